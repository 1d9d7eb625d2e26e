// Runs the cases of tests/cases/*.case, whose format README.md's "Tests" gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "case_runner.h"
#include "faults.h"
#include "platform.h"
#include "process.h"
#include "temp_dir.h"

void (*runDialogSteps)(const DialogSteps& steps, const Platform& system) = nullptr;

namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;
const char ROOT[] = "@ROOT@";
const bool WINDOWS = fs::path::preferred_separator == '\\';

struct Output {
    std::string file; // empty: standard output
    bool present = true;
    bool lines = false; // the bytes' lines appear in this order, among others
    std::string bytes;
};

struct Case {
    std::string name, where; // <file>_<case>, as GoogleTest shows it; its line
    std::map<std::string, Words> last; // of each other verb ($ = ? only top cd env), its line
    std::vector<Words> tree, faults, steps; // their lines, split into words
    std::map<std::string, std::string> blocks; // stderr, files
    std::vector<Output> outputs;
    // The words of the line of `verb` from the `n`-th on.
    Words from(const char* verb, size_t n) const {
        auto line = last.find(verb);
        return line == last.end() || line->second.size() <= n
                   ? Words()
                   : Words(line->second.begin() + n, line->second.end());
    }
    std::string word(const char* verb, size_t n) const {
        Words words = from(verb, n);
        return words.empty() ? "" : words[0];
    }
};

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// One word of a line: quoted or not, with \xNN, \\, \" and {TEXT*N} expanded;
// {C*=N} is left for fitToLength.
std::string expandWord(const std::string& raw) {
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        size_t close = raw.find('}', i), star = raw.rfind('*', close);
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            char next = raw[++i];
            if (next == 'x' && i + 2 < raw.size()) {
                out += static_cast<char>(std::stoi(raw.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                out += next == 'n' ? '\n' : next;
            }
        } else if (raw[i] == '{' && close != std::string::npos && star != std::string::npos &&
                   star > i && raw[star + 1] != '=') {
            std::string piece = expandWord(raw.substr(i + 1, star - i - 1));
            for (int n = std::stoi(raw.substr(star + 1, close - star - 1)); n > 0; --n)
                out += piece;
            i = close;
        } else {
            out += raw[i];
        }
    }
    return out;
}

Words splitWords(const std::string& line) {
    Words words;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == ' ') continue;
        std::string raw;
        bool quoted = line[i] == '"';
        for (i += quoted; i < line.size() && line[i] != (quoted ? '"' : ' '); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) raw += line[i++];
            raw += line[i];
        }
        words.push_back(expandWord(raw));
    }
    return words;
}

// The lines of a text, without their ends (CR ignored) and trailing empty lines.
Words textLines(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    Words lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

// Every case of every file. A block's bytes run from the end of its marker line
// to the start of the next line that begins with "=== " or "--- ".
std::vector<Case> loadCases() {
    Words files;
    for (const auto& entry : fs::directory_iterator(ZARPELLO_CASES_DIR))
        if (entry.path().extension() == ".case") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    std::vector<Case> cases;
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::string* block = nullptr; // the bytes of the block being read
        std::string raw;
        for (int number = 1; std::getline(in, raw); ++number) {
            std::string line = raw.substr(0, raw.find_last_not_of('\r') + 1);
            std::string where = file + ":" + std::to_string(number);
            bool marker = startsWith(line, "=== ") || startsWith(line, "--- ");
            if (block && !marker) {
                *block += raw + (in.eof() ? "" : "\n");
                continue;
            }
            block = nullptr;
            if (startsWith(line, "=== ")) {
                cases.push_back(Case());
                cases.back().name = fs::path(file).stem().string() + "_" + line.substr(4);
                std::replace(cases.back().name.begin(), cases.back().name.end(), '-', '_');
                cases.back().where = where;
                continue;
            }
            if (line.empty() || line[0] == '#') continue;
            if (cases.empty()) throw std::runtime_error(where + ": a line before the first case");
            Case& c = cases.back();
            Words words = splitWords(startsWith(line, "--- ") ? line.substr(4) : line);
            const std::string& verb = words.at(0);
            if (startsWith(line, "--- ")) {
                if (verb == "stderr" || verb == "files") {
                    block = &c.blocks[verb];
                } else {
                    Output output;
                    output.present = verb != "no";
                    output.lines = verb == "lines";
                    if (!output.present || output.lines) words.erase(words.begin());
                    if (words.at(0) == "report")
                        output.file = words.size() > 1 ? words[1] : "elenco_dei_files.txt";
                    c.outputs.push_back(output);
                    block = &c.outputs.back().bytes;
                }
            } else if (verb == ">" || verb == "fault") {
                (verb == ">" ? c.steps : c.faults).emplace_back(words.begin() + 1, words.end());
            } else if (verb == "dir" || verb == "file" || verb == "text" || verb == "link" ||
                       verb == "many") {
                c.tree.push_back(words);
            } else if (verb == "$" || verb == "=" || verb == "?" || verb == "only" ||
                       verb == "top" || verb == "cd" || verb == "env") {
                c.last[verb] = words;
            } else {
                throw std::runtime_error(where + ": unknown line '" + line + "'");
            }
        }
    }
    return cases;
}

// {C*=N} in a path: C repeated until the absolute path, to the end of that
// component (the next '/' or ':'), is N characters long.
std::string fitToLength(std::string out, const std::string& root) {
    static const std::regex fit(R"(\{([^{}*]+)\*=(\d+)\})");
    for (std::smatch m; std::regex_search(out, m, fit);) {
        size_t open = m.position(0), close = open + m.length(0) - 1;
        size_t componentEnd = std::min(out.find_first_of("/:", close), out.size());
        size_t fixed = root.size() + 1 + open + (componentEnd - close - 1);
        std::string filler;
        while (fixed + filler.size() < std::stoul(m[2]))
            filler += m[1];
        out.replace(open, m.length(0), filler);
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

void makeTree(const ScopedTempDir& dir, const std::vector<Words>& tree) {
    for (const Words& words : tree) {
        const std::string& verb = words[0];
        const std::string path = fitToLength(words.at(1), dir.path);
        if (verb == "dir") dir.makeFolder(path);
        if (verb == "link") dir.makeLink(path, words.at(2));
        for (int i = verb == "many" ? std::stoi(words.at(2)) - 1 : -1; i >= 0; --i)
            dir.makeFile(path + std::to_string(i), 0);
        if (verb == "file") {
            int y = 2000, mo = 1, d = 1, h = 0, mi = 0, s = 0;
            if (words.size() > 4)
                sscanf((words[3] + " " + words[4]).c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h,
                       &mi, &s);
            dir.makeFile(path, words.size() > 2 ? std::stoull(words[2]) : 0,
                         unixTime(y, mo, d, h, mi, s));
        } else if (verb == "text") {
            dir.makeFile(path, 0);
            std::ofstream text(fs::u8path(dir.at(path)), std::ios::binary);
            for (size_t i = 2; i < words.size(); ++i)
                text << (i > 2 ? " " : "") << words[i];
        }
    }
}

// GoogleTest names a failing case by where it stands, not by its bytes.
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.where;
}

struct CaseTest : ::testing::TestWithParam<Case> {};

TEST_P(CaseTest, Holds) {
    Case c = GetParam(); // a copy, whose missing blocks read as empty
    SCOPED_TRACE(c.where);
    if (c.word("only", 1) == (WINDOWS ? "linux" : "windows")) GTEST_SKIP() << "on one build only";
    if (!runDialogSteps != c.steps.empty())
        GTEST_SKIP() << (c.steps.empty() ? "not a dialog case" : "a dialog case");
    ScopedTempDir dir(c.last.count("top"));
    makeTree(dir, c.tree);
    const std::string root = dir.path, cd = fitToLength(c.word("cd", 1), root);
    auto inCd = [&](const std::string& name) { return dir.at(cd.empty() ? name : cd + "/" + name); };
    std::string faults; // KIND, KIND:PATH, readerror:PATH:N or alloc:N
    for (const Words& fault : c.faults) {
        std::string argument = fault.size() > 1 ? fault[1] : "";
        size_t count = fault[0] == "readerror" ? argument.rfind(':') : argument.size();
        if (fault[0] != "alloc" && !argument.empty())
            argument = dir.at(argument.substr(0, count)) + argument.substr(count);
        faults += (faults.empty() ? "" : "|") + fault[0] + (argument.empty() ? "" : ":" + argument);
    }
    // Every run in the same locale, whatever the machine's, unless a case names its own.
    auto run = [&](const Words& words) {
        std::string arguments = quoteArgument(faults);
        for (const std::string& word : words)
            arguments += " " + quoteArgument(placeRoot(word, root));
        Words environment = {"LC_ALL=C.UTF-8", "LANGUAGE="}, own = c.from("env", 1);
        environment.insert(environment.end(), own.begin(), own.end());
        for (const std::string& setting : environment)
            setEnvironment(setting.substr(0, setting.find('=')), setting.substr(setting.find('=') + 1));
        return runProgram(programPath("faulty_elenco"), arguments, dir.at(cd));
    };
    ProgramRun first = {0, "", "", ""};
    if (runDialogSteps) {
        DialogSteps steps = c.steps;
        for (Words& step : steps)
            for (std::string& word : step)
                word = placeRoot(word, root);
        fs::path previous = fs::current_path();
        fs::current_path(fs::u8path(dir.at(cd)));
        FaultLayer faultLayer(systemPlatform, faults);
        runDialogSteps(steps, faultLayer.layer);
        fs::current_path(previous);
        first.report = readFile(inCd("elenco_dei_files.txt"));
    } else {
        first = run(c.from("$", 2));
        EXPECT_EQ(first.status, std::stoi("0" + c.word("?", 1))) << "standard error:\n" << first.err;
        // In a pattern, @ROOT@ stands for any root and '/' for either separator.
        Words lines = textLines(first.err), wanted = textLines(c.blocks["stderr"]);
        bool matches = lines.size() == wanted.size();
        for (size_t i = 0; matches && i < wanted.size(); ++i)
            matches = startsWith(wanted[i], "~ ")
                          ? std::regex_match(lines[i], std::regex(std::regex_replace(
                                                           std::regex_replace(wanted[i].substr(2),
                                                                              std::regex(ROOT), ".+"),
                                                           std::regex("/"), "[/\\\\]")))
                          : lines[i] == placeRoot(wanted[i], root);
        EXPECT_TRUE(matches) << "standard error, expected:\n" << c.blocks["stderr"] << "actual:\n" << first.err;
    }

    if (c.blocks.count("files")) {
        Words names;
        for (const auto& entry : fs::directory_iterator(fs::u8path(root)))
            names.push_back(entry.path().filename().u8string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, textLines(c.blocks["files"])) << "the entries of the case's folder";
    }
    for (const Output& output : c.outputs) {
        std::string where = output.file.empty() ? "" : inCd(output.file);
        std::string actual = output.file.empty() ? first.out : readFile(where);
        std::error_code unknown;
        EXPECT_TRUE(where.empty() || fs::exists(fs::u8path(where), unknown) == output.present)
            << where << (output.present ? " is missing" : " exists");
        if (!output.present) continue;
        if (!output.lines) {
            EXPECT_EQ(placeRoot(output.bytes, root), actual)
                << (output.file.empty() ? "standard output" : output.file);
            continue;
        }
        Words lines = textLines(actual);
        auto at = lines.begin();
        for (const std::string& wanted : textLines(placeRoot(output.bytes, root)))
            if (startsWith(wanted, "~ ")) { // a pattern that some line, anywhere, matches
                if (std::none_of(lines.begin(), lines.end(), [&](const std::string& line) {
                        return std::regex_match(line, std::regex(wanted.substr(2)));
                    }))
                    ADD_FAILURE() << "no line matches '" << wanted << "':\n" << actual;
            } else if ((at = std::find(at, lines.end(), wanted)) == lines.end()) {
                ADD_FAILURE() << "'" << wanted << "' is not among the lines, in order:\n" << actual;
            } else {
                ++at;
            }
    }
    // "= elenco ...": the same status, standard error, and standard output and
    // report taken together (so that "-o -" may meet its file) as the first run.
    if (!c.last.count("=")) return;
    ProgramRun again = run(c.from("=", 2));
    EXPECT_EQ(again.status, first.status) << again.err;
    EXPECT_EQ(again.err, first.err);
    EXPECT_TRUE(again.out + again.report == first.out + first.report)
        << "the outputs differ";
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, CaseTest, ::testing::ValuesIn(loadCases()), caseName);

} // namespace
