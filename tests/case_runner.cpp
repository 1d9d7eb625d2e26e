// Runs the cases of tests/cases/*.case: each builds a tree in a fresh temporary
// folder, runs `elenco` there (through faulty_elenco, which can make the
// platform fail) and compares its status, standard error and output bytes.
// The format is described in README.md, section "Tests".
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "case_runner.h"
#include "faults.h"
#include "platform.h"
#include "process.h"
#include "temp_dir.h"

void (*runDialogSteps)(const DialogSteps& steps, const Platform& system) = nullptr;

namespace {

const char ROOT[] = "@ROOT@";

#ifdef _WIN32
const bool WINDOWS = true;
#else
const bool WINDOWS = false;
#endif

struct Output {
    std::string file; // empty: standard output
    bool present = true;
    bool lines = false; // the bytes' lines appear in this order, among others
    std::string bytes;
};

struct Case {
    std::string name; // <file>_<case>, as GoogleTest shows it
    std::string where;
    std::string only;
    std::vector<std::vector<std::string>> tree; // dir/file/text/link lines, split into words
    std::vector<std::string> faults;            // KIND or KIND:PATH (relative)
    std::string cd;
    std::vector<std::string> environment; // NAME=VALUE, over the runner's LC_ALL=C.UTF-8
    bool top = false; // the tree right under the file system's root
    std::vector<std::string> arguments;
    std::vector<std::string> sameAs; // another command that must give the same outputs
    DialogSteps steps;               // a dialog case: the user's steps in place of a command
    int status = 0;
    std::vector<std::string> stderrLines;
    std::vector<Output> outputs;
    bool filesGiven = false;
    std::vector<std::string> files; // the names ROOT holds after the run, in byte order
};

// One word of a line: quoted or not, with \xNN, \\, \" and {TEXT*N} expanded.
std::string expandWord(const std::string& raw) {
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == '\\' && i + 1 < raw.size()) {
            char next = raw[++i];
            if (next == 'x' && i + 2 < raw.size()) {
                out += static_cast<char>(std::stoi(raw.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                out += next == 'n' ? '\n' : next;
            }
        } else if (c == '{' && raw.find('}', i) != std::string::npos) {
            size_t close = raw.find('}', i);
            std::string inner = raw.substr(i + 1, close - i - 1);
            size_t star = inner.rfind('*');
            if (inner.compare(star, 2, "*=") == 0) { // fitted to the root later
                out += raw.substr(i, close - i + 1);
                i = close;
                continue;
            }
            std::string piece = expandWord(inner.substr(0, star));
            for (int n = std::stoi(inner.substr(star + 1)); n > 0; --n)
                out += piece;
            i = close;
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        std::string raw;
        bool quoted = line[i] == '"';
        if (quoted) ++i;
        for (; i < line.size() && (quoted ? line[i] != '"' : line[i] != ' '); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) raw += line[i++];
            raw += line[i];
        }
        if (quoted) ++i;
        words.push_back(expandWord(raw));
    }
    return words;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The lines of a text, without their ends (CR ignored) and trailing empty lines.
std::vector<std::string> textLines(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::vector<std::string> lines;
    for (size_t from = 0; from < text.size();) {
        size_t end = std::min(text.find('\n', from), text.size());
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

// The cases of one file. A block's bytes run from the end of its marker line
// to the start of the next line that begins with "=== " or "--- ".
void parseFile(const std::string& path, const std::string& group, std::vector<Case>& cases) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t at = 0;
    int lineNumber = 0;
    Case* current = nullptr;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        size_t next = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(at, next - at);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        ++lineNumber;
        at = next;
        std::string where = path + ":" + std::to_string(lineNumber);
        if (startsWith(line, "=== ")) {
            cases.emplace_back();
            current = &cases.back();
            current->name = group + "_" + line.substr(4);
            std::replace(current->name.begin(), current->name.end(), '-', '_');
            current->where = where;
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        if (!current) throw std::runtime_error(where + ": a line before the first case");
        if (startsWith(line, "--- ")) {
            size_t blockEnd = at;
            while (blockEnd < text.size() && !startsWith(text.substr(blockEnd, 4), "=== ") &&
                   !startsWith(text.substr(blockEnd, 4), "--- ")) {
                size_t lineEnd = text.find('\n', blockEnd);
                blockEnd = lineEnd == std::string::npos ? text.size() : lineEnd + 1;
                ++lineNumber;
            }
            std::string block = text.substr(at, blockEnd - at);
            at = blockEnd;
            std::vector<std::string> words = splitWords(line.substr(4));
            if (words.at(0) == "stderr") {
                current->stderrLines = textLines(block);
            } else if (words.at(0) == "files") {
                current->filesGiven = true;
                current->files = textLines(block);
            } else {
                Output output;
                output.present = words[0] != "no";
                output.lines = words[0] == "lines";
                if (!output.present || output.lines) words.erase(words.begin());
                if (words.at(0) == "report")
                    output.file = words.size() > 1 ? words[1] : "elenco_dei_files.txt";
                output.bytes = block;
                current->outputs.push_back(output);
            }
            continue;
        }
        std::vector<std::string> words = splitWords(line);
        const std::string& verb = words.at(0);
        if (verb == ">") {
            current->steps.emplace_back(words.begin() + 1, words.end());
        } else if (verb == "$") {
            current->arguments.assign(words.begin() + 2, words.end());
        } else if (verb == "=") {
            current->sameAs.assign(words.begin() + 2, words.end());
        } else if (verb == "?") {
            current->status = std::stoi(words.at(1));
        } else if (verb == "only") {
            current->only = words.at(1);
        } else if (verb == "top") {
            current->top = true;
        } else if (verb == "env") {
            current->environment.assign(words.begin() + 1, words.end());
        } else if (verb == "cd") {
            current->cd = words.at(1);
        } else if (verb == "fault") {
            std::string fault = words.at(1);
            for (size_t i = 2; i < words.size(); ++i)
                fault += ":" + words[i];
            current->faults.push_back(fault);
        } else if (verb == "dir" || verb == "file" || verb == "text" || verb == "link" ||
                   verb == "many") {
            current->tree.push_back(words);
        } else {
            throw std::runtime_error(where + ": unknown line '" + line + "'");
        }
    }
}

std::vector<Case> loadCases() {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(ZARPELLO_CASES_DIR))
        if (entry.path().extension() == ".case") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    std::vector<Case> cases;
    for (const std::string& file : files)
        parseFile(file, std::filesystem::path(file).stem().string(), cases);
    return cases;
}

// {C*=N} in a path: C repeated until the absolute path, to the end of that
// component (the next '/' or ':'), is N characters long, wherever the
// temporary folder is.
std::string fitToLength(const std::string& path, const std::string& root) {
    std::string out = path;
    for (size_t open = out.find('{'); open != std::string::npos; open = out.find('{', open)) {
        size_t mark = out.find("*=", open);
        size_t close = out.find('}', open);
        if (mark == std::string::npos || close == std::string::npos || mark > close) {
            ++open;
            continue;
        }
        std::string piece = out.substr(open + 1, mark - open - 1);
        size_t wanted = std::stoul(out.substr(mark + 2, close - mark - 2));
        size_t componentEnd = std::min(out.find_first_of("/:", close), out.size());
        size_t fixed = root.size() + 1 + open + (componentEnd - close - 1);
        std::string filler;
        while (fixed + filler.size() < wanted)
            filler += piece;
        out.replace(open, close - open + 1, filler);
    }
    return out;
}

// "@ROOT@" becomes the folder's path, and {C*=N} behind it is fitted; on
// Windows, '/' becomes '\' from there to the end of the line.
std::string placeRoot(std::string text, const std::string& root) {
    for (size_t at = text.find(ROOT); at != std::string::npos; at = text.find(ROOT, at)) {
        text.replace(at, sizeof ROOT - 1, root);
        size_t lineEnd = std::min(text.find_first_of("\r\n", at), text.size());
        size_t relative = at + root.size() + 1;
        if (relative < lineEnd) {
            std::string fitted = fitToLength(text.substr(relative, lineEnd - relative), root);
            text.replace(relative, lineEnd - relative, fitted);
            lineEnd = relative + fitted.size();
        }
        if (WINDOWS) std::replace(text.begin() + at, text.begin() + lineEnd, '/', '\\');
        at += root.size();
    }
    return text;
}

void makeParents(const ScopedTempDir& dir, const std::string& relative) {
    for (size_t slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', slash + 1)) {
        std::string parent = relative.substr(0, slash);
        if (!std::filesystem::exists(std::filesystem::u8path(dir.at(parent))))
            dir.makeFolder(parent);
    }
}

void makeTree(const ScopedTempDir& dir, const std::vector<std::vector<std::string>>& tree) {
    for (const std::vector<std::string>& words : tree) {
        const std::string path = fitToLength(words.at(1), dir.path);
        makeParents(dir, words[0] == "dir" ? path + "/" : path);
        if (words[0] == "file") {
            uint64_t length = words.size() > 2 ? std::stoull(words[2]) : 0;
            int64_t when = unixTime(2000, 1, 1, 0, 0, 0);
            if (words.size() > 4) {
                int y, mo, d, h, mi, s;
                sscanf((words[3] + " " + words[4]).c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h,
                       &mi, &s);
                when = unixTime(y, mo, d, h, mi, s);
            }
            dir.makeFile(path, length, when);
        } else if (words[0] == "text") {
            std::string content;
            for (size_t i = 2; i < words.size(); ++i)
                content += (i > 2 ? " " : "") + words[i];
            std::ofstream(std::filesystem::u8path(dir.at(path)), std::ios::binary) << content;
        } else if (words[0] == "link") {
            dir.makeLink(path, words.at(2));
        } else if (words[0] == "many") {
            for (int i = std::stoi(words.at(2)) - 1; i >= 0; --i)
                dir.makeFile(path + std::to_string(i), 0);
        }
    }
}

// The files and standard output a case names, byte for byte.
void checkOutputs(const Case& c, const ScopedTempDir& dir, const std::string& out,
                  const std::string& root) {
    if (c.filesGiven) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(root)))
            names.push_back(entry.path().filename().u8string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.files) << "the entries of the case's folder";
    }
    for (const Output& output : c.outputs) {
        std::string where;
        if (startsWith(output.file, ROOT))
            where = placeRoot(output.file, root);
        else if (!output.file.empty())
            where = dir.at(c.cd.empty() ? output.file
                                        : fitToLength(c.cd, dir.path) + "/" + output.file);
        std::string actual = output.file.empty() ? out : readFile(where);
        if (!output.present) {
            EXPECT_FALSE(fileExists(where)) << where << " exists";
            continue;
        }
        if (!output.file.empty()) {
            EXPECT_TRUE(fileExists(where)) << where << " is missing";
        }
        if (!output.lines) {
            EXPECT_EQ(placeRoot(output.bytes, root), actual)
                << (output.file.empty() ? "standard output" : output.file);
            continue;
        }
        std::vector<std::string> lines = textLines(actual);
        auto at = lines.begin();
        for (const std::string& wanted : textLines(placeRoot(output.bytes, root)))
            if (startsWith(wanted, "~ ")) { // a pattern that some line, anywhere, matches
                if (std::none_of(lines.begin(), lines.end(), [&](const std::string& line) {
                        return std::regex_match(line, std::regex(wanted.substr(2)));
                    }))
                    ADD_FAILURE() << "no line matches '" << wanted << "':\n" << actual;
            } else if ((at = std::find(at, lines.end(), wanted)) == lines.end())
                ADD_FAILURE() << "'" << wanted << "' is not among the lines, in order:\n" << actual;
            else
                ++at;
    }
}

ProgramRun runElenco(const Case& c, const ScopedTempDir& dir, const std::string& faults,
                     const std::vector<std::string>& words) {
    std::string arguments = quoteArgument(faults);
    for (const std::string& word : words)
        arguments += " " + quoteArgument(placeRoot(word, dir.path));
    // The user's locale decides the report's encoding and the messages' language:
    // the same one for every case, whatever the machine's, unless a case names its own.
    std::vector<std::string> environment = {"LC_ALL=C.UTF-8", "LANGUAGE="};
    environment.insert(environment.end(), c.environment.begin(), c.environment.end());
    for (const std::string& setting : environment) {
        size_t equals = setting.find('=');
        setEnvironment(setting.substr(0, equals), setting.substr(equals + 1));
    }
    return runProgram(programPath("faulty_elenco"), arguments, dir.at(fitToLength(c.cd, dir.path)));
}

// A case's "= elenco ..." command against its first run (or its dialog): the
// same status, standard error, and standard output and report taken together,
// so that "-o -" may meet its file.
void compareRuns(const Case& c, const ScopedTempDir& dir, const std::string& faults,
                 const ProgramRun& first, const std::string& firstReport) {
    ProgramRun again = runElenco(c, dir, faults, c.sameAs);
    std::string report = readFile(dir.at(fitToLength(c.cd, dir.path) + "/elenco_dei_files.txt"));
    EXPECT_EQ(again.status, first.status) << again.err;
    EXPECT_EQ(again.err, first.err);
    EXPECT_TRUE(again.out + report == first.out + firstReport) << "the outputs differ";
}

// GoogleTest names a failing case by where it stands, not by its bytes.
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.where;
}

struct CaseTest : ::testing::TestWithParam<Case> {};

TEST_P(CaseTest, Holds) {
    const Case& c = GetParam();
    SCOPED_TRACE(c.where);
    if ((c.only == "linux" && WINDOWS) || (c.only == "windows" && !WINDOWS))
        GTEST_SKIP() << "holds on " << c.only << " only";
    ScopedTempDir dir(c.top);
    makeTree(dir, c.tree);
    std::string root = dir.path;
    std::string faults;
    for (const std::string& fault : c.faults) { // KIND, alloc:N, KIND:PATH or readerror:PATH:N
        size_t colon = fault.find(':');
        faults += (faults.empty() ? "" : "|") + fault.substr(0, colon);
        if (colon == std::string::npos) continue;
        size_t end = startsWith(fault, "readerror:") ? fault.rfind(':') : fault.size();
        std::string argument = fault.substr(colon + 1, end - colon - 1);
        faults += ":" + (startsWith(fault, "alloc:") ? argument : dir.at(argument)) + fault.substr(end);
    }
    if (runDialogSteps || !c.steps.empty()) {
        if (!runDialogSteps || c.steps.empty())
            GTEST_SKIP() << (c.steps.empty() ? "not a dialog case" : "a dialog case");
        DialogSteps steps = c.steps;
        for (std::vector<std::string>& step : steps)
            for (std::string& word : step)
                word = placeRoot(word, root);
        ScopedWorkingDir cwd(dir.at(fitToLength(c.cd, root)));
        FaultLayer faultLayer(systemPlatform, faults);
        runDialogSteps(steps, faultLayer.layer);
        checkOutputs(c, dir, "", root);
        std::string report = readFile(dir.at(fitToLength(c.cd, root) + "/elenco_dei_files.txt"));
        if (!c.sameAs.empty()) compareRuns(c, dir, faults, {0, "", ""}, report);
        return;
    }
    ProgramRun run = runElenco(c, dir, faults, c.arguments);

    EXPECT_EQ(run.status, c.status) << "standard error:\n" << run.err;
    std::vector<std::string> errLines = textLines(run.err);
    bool errMatches = errLines.size() == c.stderrLines.size();
    std::string expectedErr;
    for (size_t i = 0; i < c.stderrLines.size(); ++i) {
        // In a pattern, @ROOT@ stands for any root and '/' for either separator.
        bool pattern = startsWith(c.stderrLines[i], "~ ");
        std::string line = pattern
                               ? std::regex_replace(std::regex_replace(c.stderrLines[i].substr(2),
                                                                       std::regex(ROOT), ".+"),
                                                    std::regex("/"), "[/\\\\]")
                               : placeRoot(c.stderrLines[i], root);
        expectedErr += (pattern ? "~ " : "") + line + "\n";
        if (errMatches)
            errMatches =
                pattern ? std::regex_match(errLines[i], std::regex(line)) : errLines[i] == line;
    }
    EXPECT_TRUE(errMatches) << "standard error, expected:\n"
                            << expectedErr << "actual:\n"
                            << run.err;

    checkOutputs(c, dir, run.out, root);
    std::string report = readFile(dir.at(fitToLength(c.cd, root) + "/elenco_dei_files.txt"));
    if (!c.sameAs.empty()) compareRuns(c, dir, faults, run, report);
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, CaseTest, ::testing::ValuesIn(loadCases()), caseName);

} // namespace
