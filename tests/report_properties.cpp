// The report read back and held against the disk over random trees, and runs
// compared with each other, never with stored copies (README.md, "Tests").
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "process.h"
#include "temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
const char SEPARATOR = static_cast<char>(fs::path::preferred_separator);
const bool WINDOWS = SEPARATOR == '\\';
// The report's bytes as the Windows build writes them, whatever the locale;
// messages in English, whatever the machine's language.
const std::string WINDOWS_1252 = "--encoding=windows-1252 ";
const bool englishMessages = (setEnvironment("LC_ALL", "C.UTF-8"), setEnvironment("LANGUAGE", ""), true);

const int64_t BEFORE_1601 = -11644473600LL;   // Unix seconds of 1601-01-01
const int64_t UNKNOWN_TIME = BEFORE_1601 - 1; // all the report can tell of earlier times
const char* const NO_TIME = "--/--/---- --:--:--";

// Windows-1252's bytes 0x80-0x9F as Unicode (0: none); 0xA0-0xFF are Latin-1's.
const uint16_t HIGH_ROW[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                               0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The Unicode character of a Windows-1252 byte; 0 where there is none.
uint32_t pointOfByte(int byte) {
    return byte >= 0x80 && byte < 0xA0 ? HIGH_ROW[byte - 0x80] : byte;
}

std::string utf8Of(uint32_t point) {
    return fs::path(std::u32string(1, static_cast<char32_t>(point))).u8string();
}

// A UTF-8 name as the report shows it: each character its Windows-1252 byte,
// '?' where it has none, control characters '?'.
std::string inReport(const std::string& name) {
    std::string out;
    for (char32_t point : fs::u8path(name).u32string()) {
        char byte = '?';
        for (int b = 0x20; b < 0x100; ++b)
            if (b != 0x7F && pointOfByte(b) == point) byte = static_cast<char>(b);
        out += byte;
    }
    return out;
}

// The runtime's case-insensitive comparison: A-Z as a-z, then unsigned bytes.
int compareIgnoringCase(const std::string& a, const std::string& b) {
    for (size_t i = 0;; ++i) {
        int x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        int y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y || x == 0) return x - y;
    }
}

struct DiskFile {
    std::string name, type; // as the report shows them
    uint64_t length;
    int64_t lastWrite; // Unix seconds, UTC
};

// Each folder below `root` (itself included) by the path its report line
// shows, with its files' lengths and last writes as the file system gives them.
using Disk = std::map<std::string, std::vector<DiskFile>>;

void readDisk(const fs::path& folder, const std::string& shown, Disk& disk) {
    std::vector<DiskFile>& files = disk[shown];
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string name = inReport(entry.path().filename().u8string());
        if (entry.symlink_status().type() == fs::file_type::directory) {
            readDisk(entry.path(), shown + SEPARATOR + name, disk);
            continue;
        }
        size_t dot = name.rfind('.');
        std::string type = dot == std::string::npos ? "" : name.substr(dot + 1);
#ifdef _WIN32
        WIN32_FILE_ATTRIBUTE_DATA data;
        ASSERT_TRUE(GetFileAttributesExW(entry.path().c_str(), GetFileExInfoStandard, &data));
        FILETIME time = data.ftLastWriteTime;
        files.push_back({name.substr(0, dot), type, uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
                         int64_t((uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 10000000) + BEFORE_1601});
#else
        struct stat info;
        ASSERT_EQ(lstat(entry.path().c_str(), &info), 0) << entry.path();
        files.push_back({name.substr(0, dot), type, uint64_t(info.st_size),
                         std::max<int64_t>(info.st_mtim.tv_sec, UNKNOWN_TIME)});
#endif
    }
}

// Unix seconds of "dd/mm/yyyy hh:mm:ss", or of the unknown time.
bool parseTime(const std::string& text, int64_t& seconds) {
    seconds = UNKNOWN_TIME;
    if (text == NO_TIME) return true;
    int day, month, year, hour, minute, second;
    char tail;
    if (text.size() < 19 ||
        sscanf(text.c_str(), "%2d/%2d/%d %2d:%2d:%2d%c", &day, &month, &year, &hour, &minute,
               &second, &tail) != 6 ||
        text[2] != '/' || text[5] != '/' || text[text.size() - 9] != ' ')
        return false;
    seconds = unixTime(year, month, day, hour, minute, second);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour < 24 && minute < 60 &&
           second < 60;
}

std::string padded(const std::string& text, size_t width) {
    return text.size() < width ? text + std::string(width - text.size(), ' ') : text;
}

// The order the option word asks for, as a three-way comparison; 0 when the
// word names no key. Ties of every key go by name (case aside), then type,
// then byte by byte, so the same tree gives the same bytes from any disk.
int compareByKey(int word, const DiskFile& a, const DiskFile& b) {
    auto three = [](auto x, auto y) { return (x > y) - (x < y); };
    int order = word & 128  ? three(a.lastWrite, b.lastWrite)
                : word & 64 ? three(a.length, b.length)
                : word & 32 ? a.type.compare(b.type)
                : word & 16 ? compareIgnoringCase(a.name, b.name)
                            : 0;
    if (order || !(word & 240)) return order;
    order = compareIgnoringCase(a.name, b.name);
    if (!order) order = a.type.compare(b.type);
    return order ? order : a.name.compare(b.name);
}

// The lines of a report, which must end each with CR LF.
std::vector<std::string> reportLines(const std::string& report) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t end; (end = report.find("\r\n", from)) != std::string::npos; from = end + 2) {
        lines.push_back(report.substr(from, end - from));
        EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos) << "a lone line end";
    }
    EXPECT_EQ(from, report.size()) << "text after the last line end";
    return lines;
}

// Reads one folder's rows at lines[at]... and checks them against its files.
void checkRows(const std::vector<std::string>& lines, size_t& at, int word, size_t depth, bool tree,
               std::vector<DiskFile> files) {
    size_t widest = 0;
    for (const DiskFile& file : files)
        widest = std::max(widest, file.name.size());
    std::string header = std::string(tree ? 4 * depth : 0, ' ');
    if (word & 4) header += padded("Tipo  Nome", widest + 6);
    if (word & 2) header += tree ? "   lunghezza" : " lunghezza";
    if (word & 8) header += tree ? "  ultima modifica" : " ultima modifica";
    EXPECT_EQ(lines.at(at++), header) << "the header line";
    EXPECT_EQ(lines.at(at++), "");
    DiskFile previous;
    size_t rows = 0;
    for (; !lines.at(at).empty(); ++at, ++rows) {
        const std::string& row = lines[at];
        auto shows = [&](const DiskFile& file) {
            std::string front;
            for (size_t level = 0; tree && level < depth; ++level)
                front += "... ";
            if (word & 4) front += padded(file.type, 6);
            front += padded(file.name, widest) + "  ";
            std::string digits = std::to_string(file.length);
            if (word & 2)
                front += std::string(10 - std::min<size_t>(10, digits.size()), ' ') + digits + "  ";
            int64_t shown;
            if (!(word & 8)) return row == front;
            return row.compare(0, front.size(), front) == 0 &&
                   parseTime(row.substr(front.size()), shown) && shown == file.lastWrite;
        };
        // Of the files a row could show, the first in the key's order.
        int sign = word & 256 ? -1 : 1;
        auto match = files.end();
        for (auto file = files.begin(); file != files.end(); ++file)
            if (shows(*file) && (match == files.end() || sign * compareByKey(word, *file, *match) < 0))
                match = file;
        if (match == files.end()) {
            ADD_FAILURE() << "a row no file on the disk matches: '" << row << "'";
            continue;
        }
        EXPECT_TRUE(rows == 0 || sign * compareByKey(word, previous, *match) <= 0)
            << "out of order: '" << row << "' after '" << lines[at - 1] << "'";
        previous = *match;
        files.erase(match);
    }
    for (const DiskFile& file : files)
        ADD_FAILURE() << "no row for " << file.name << "." << file.type;
    EXPECT_EQ(lines.at(++at), (tree ? "Totale files  " : "Totale file n ") + std::to_string(rows));
    EXPECT_EQ(lines.at(++at), "");
    ++at;
}

// Every property of one report against the disk below `root`.
void checkReport(const std::string& report, const std::string& root, int word) {
    Disk disk;
    readDisk(fs::u8path(root), root, disk);
    std::vector<std::string> lines = reportLines(report);
    size_t at = 0;
    if (!(word & 1)) {
        EXPECT_EQ(lines.at(at++), "Elenco dei file contenuti in");
        EXPECT_EQ(lines.at(at++), root);
        EXPECT_EQ(lines.at(at++), "");
        checkRows(lines, at, word, 0, false, disk[root]);
        EXPECT_EQ(at, lines.size());
        return;
    }
    EXPECT_EQ(lines.at(at++), "Elenco delle cartelle e file contenuti in " + root);
    EXPECT_EQ(lines.at(at++), "");
    std::string previous;
    size_t sections = 0;
    for (; !lines.at(at).empty(); ++sections) {
        std::string path = lines.at(at++);
        ASSERT_TRUE(disk.count(path)) << "a section for no folder: " << path;
        int order = compareIgnoringCase(previous, path);
        EXPECT_LT(order ? order : previous.compare(path), 0) << path << " after " << previous;
        previous = path;
        EXPECT_EQ(lines.at(at++), "");
        if (disk[path].empty()) {
            EXPECT_EQ(lines.at(at++), "Nessun file") << path;
            EXPECT_EQ(lines.at(at++), "");
        } else {
            size_t depth = std::count(path.begin() + root.size(), path.end(), SEPARATOR);
            checkRows(lines, at, word, depth, true, disk[path]);
        }
        disk.erase(path);
    }
    for (const auto& left : disk)
        ADD_FAILURE() << "no section for " << left.first;
    EXPECT_EQ(lines.at(at++), "");
    EXPECT_EQ(lines.at(at++), "Totale cartelle n " + std::to_string(sections));
    EXPECT_EQ(lines.at(at++), "");
    EXPECT_EQ(at, lines.size());
}

// A random tree, as README.md's "Tests" describes it.
struct TreeMaker {
    std::mt19937_64 random;
    const ScopedTempDir& dir;
    int64_t pick(int64_t low, int64_t high) {
        return std::uniform_int_distribution<int64_t>(low, high)(random);
    }
    bool chance(int percent) { return pick(1, 100) <= percent; }

    std::string name() {
        static const std::vector<std::string> common = {
            "a", "B", "zeta", "Alfa", "_", "~", "1", "10", "9", " ", ".",   "è", "à",
            "É", "ü", "€",    "’",    "“", "”", "ñ", "Œ",  "ß", "ÿ", "x y", "-"};
        static const std::vector<std::string> beyond = {"中", "ā", "😀", "\xD0\x96"};
        std::string text;
        for (int64_t n = pick(1, 4); n > 0; --n)
            text += !WINDOWS && chance(10) ? beyond[pick(0, beyond.size() - 1)]
                                           : common[pick(0, common.size() - 1)];
        if (chance(5)) text = "." + text;
        if (chance(5)) text = std::string(pick(100, 200), 'L') + text;
        while (text.back() == ' ' || text.back() == '.')
            text.pop_back();
        while (!text.empty() && text[0] == ' ')
            text.erase(0, 1);
        return text.empty() ? "n" : text;
    }
    std::string extension() {
        static const std::vector<std::string> types = {"txt",    "TXT",        "doc", "jpeg", "c",
                                                       "backup", "estensione", "x y", "ès"};
        return chance(30) ? "" : "." + types[pick(0, types.size() - 1)];
    }
    void grow(const std::string& folder, int depth) {
        std::vector<std::string> taken;
        auto fresh = [&](std::string candidate) {
            for (const std::string& name : taken)
                if (compareIgnoringCase(name, candidate) == 0 &&
                    (WINDOWS || name == candidate || depth > 0))
                    return false; // case twins only where the disk tells them apart
            taken.push_back(candidate);
            return true;
        };
        for (int64_t n = pick(0, 7); n > 0; --n) {
            std::string file = chance(10) && !taken.empty() ? taken.back() : name() + extension();
            if (chance(50))
                for (char& c : file)
                    if (isalpha(static_cast<unsigned char>(c))) c ^= 0x20;
            if (!fresh(file)) continue;
            uint64_t length = chance(10) ? pick(4294967296LL, 20000000000LL) : pick(0, 99999);
            int64_t written =
                chance(20) ? pick(WINDOWS ? BEFORE_1601 : BEFORE_1601 - 99999999, 32503680000LL)
                           : pick(0, 4102444800LL);
            dir.makeFile(folder + "/" + file, length, written, written + pick(1, 99999999));
        }
        for (int64_t n = depth < 3 ? pick(0, 3) : 0; n > 0; --n) {
            std::string sub = name();
            if (sub.size() > 30 || !fresh(sub) || inReport(sub).find('?') != std::string::npos)
                continue;
            dir.makeFolder(folder + "/" + sub);
            grow(folder + "/" + sub, depth + 1);
        }
    }
};

// What random names seldom make: siblings that differ at the separator; dotted
// names, names alike past a sort key's lead, at one time; a chain deeper than
// a reader keeps open; (Linux) links to itself and to nothing, case octuplets.
void addFixedFamilies(const ScopedTempDir& dir) {
    for (const char* folder : {"Foto/Estate", "Foto 2", "Foto-v", "Foto.bak", "Foto_v", "Fotografie",
                               "Foto2", "foto3"})
        dir.makeFolder(std::string("albero/") + folder);
    for (const char* file : {"..notes.txt", ".profilo", "archivio.tar.gz",
                             "Un nome lungo e comune a.txt", "un nome lungo e comune B.doc"})
        dir.makeFile(std::string("albero/Foto/") + file, 5);
    std::string chain = "albero";
    for (int level = 0; level < 12; ++level)
        dir.makeFile((chain += "/g") + "/f" + std::to_string(level), level);
    if (WINDOWS) return;
    dir.makeLink("albero/Foto/giro", ".");
    dir.makeLink("albero/Foto/rotto", "nessuno");
    // "rel" in all eight cases, so that no order of the disk's is theirs by chance.
    for (int variant = 0; variant < 8; ++variant) {
        std::string name = "rel";
        for (int letter = 0; letter < 3; ++letter)
            if (variant >> letter & 1) name[letter] ^= 0x20;
        dir.makeFile("albero/Foto/" + name + ".txt", 5);
        dir.makeFile("albero/Foto/" + name + ".doc", 5);
        dir.makeFolder("albero/Foto/Estate/" + name);
    }
}

ProgramRun listTree(const ScopedTempDir& dir, const std::string& arguments) {
    fs::remove(dir.at("elenco_dei_files.txt"));
    return runProgram(programPath("elenco"), WINDOWS_1252 + arguments + " albero", dir.path);
}

TEST(ReportProperties, HoldForEveryWordOverRandomTrees) {
    std::vector<uint64_t> seeds = {1, 2};
    if (const char* more = getenv("ZARPELLO_SEED")) seeds.push_back(strtoull(more, nullptr, 10));
    if (WINDOWS) seeds.resize(1); // each run costs a process start under Wine
    for (uint64_t seed : seeds) {
        SCOPED_TRACE("seed " + std::to_string(seed) + " (ZARPELLO_SEED=N adds one)");
        ScopedTempDir dir;
        TreeMaker{std::mt19937_64(seed), dir}.grow("albero", 0);
        addFixedFamilies(dir);
        std::string root = dir.at("albero");
        // Each word once, reversed with every fourth, -j 1 against -j 8 with
        // every eighth; under Wine (a process start each) a quarter of them.
        for (int word = 0; word < 512; ++word) {
            if ((word >= 128 && word % 4 != 1) || (WINDOWS && word % 8 != 1 && word % 8 != 6))
                continue;
            std::string arguments = "--options=" + std::to_string(word & 127);
            if (word & 128) arguments = std::string(word & 1 ? "-R" : "-1") + " -s time";
            if (word & 256) arguments += " -r";
            SCOPED_TRACE("elenco " + arguments);
            ProgramRun listing = listTree(dir, arguments + " -j 8");
            EXPECT_EQ(listing.status, 0) << listing.err;
            EXPECT_EQ(listing.err, "");
            checkReport(listing.report, root, word & 128 ? word | 30 : word);
            if (HasFailure()) return; // one report's failures are enough to read
            if (word % 8 != 1) continue;
            ProgramRun alone = listTree(dir, arguments + " -j 1");
            EXPECT_EQ(alone.status, listing.status);
            EXPECT_EQ(alone.err, listing.err);
            EXPECT_TRUE(alone.report == listing.report) << "-j 1 and -j 8 differ";
        }
    }
}

#ifndef _WIN32
// elenco as a user who is not root, as most users run it; or, as root, leading
// a shell's command line.
ProgramRun runElenco(const ScopedTempDir& dir, const std::string& arguments, bool asNobody = true) {
    std::string command = quoteArgument(programPath("elenco")) + " " + WINDOWS_1252 + arguments;
    fs::permissions(dir.path, fs::perms(0755));
    if (!asNobody) return runProgram("/bin/sh", "-c " + quoteArgument(command), dir.path);
    return runProgram("setpriv", "--reuid=nobody --regid=nogroup --clear-groups " + command, dir.path);
}
#endif

// Every character of Windows-1252 in a name. On Linux, in a folder that can
// be read but not searched, as a user who is not root: each file is listed
// without its details and named on standard error, so the table is checked
// both ways, from the UTF-8 name to the report's byte and back.
TEST(RealConditions, Windows1252BothWays) {
    ScopedTempDir dir;
    dir.makeFolder("chiusa");
    // Each name led by its byte in hex, so that no two differ by case alone.
    auto nameOf = [](int byte, const std::string& character) {
        return std::string{"0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15]} + character;
    };
    for (int byte = 0x80; byte < 0x100; ++byte)
        if (pointOfByte(byte)) dir.makeFile("chiusa/" + nameOf(byte, utf8Of(pointOfByte(byte))), 1);
#ifdef _WIN32
    ProgramRun run = runProgram(programPath("elenco"), WINDOWS_1252 + "-1 --no-type -o - chiusa", dir.path);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string details = "         1  ";
#else
    chmod(dir.at("chiusa").c_str(), 0644);
    ProgramRun run = runElenco(dir, "-1 --no-type -o - chiusa");
    EXPECT_EQ(run.status, 2);
    const std::string details = std::string("         ?  ") + NO_TIME;
#endif
    EXPECT_NE(run.out.find("\r\nTotale file n 123\r\n"), std::string::npos) << run.out;
    for (int byte = 0x80; byte < 0x100; ++byte) {
        uint32_t point = pointOfByte(byte);
        if (!point) continue;
        std::string row =
            "\r\n" + nameOf(byte, std::string(1, static_cast<char>(byte))) + "  " + details;
        EXPECT_NE(run.out.find(row), std::string::npos) << "byte " << byte;
        if (!WINDOWS) {
            EXPECT_NE(run.err.find(dir.at("chiusa/" + nameOf(byte, utf8Of(point)))),
                      std::string::npos)
                << "U+" << std::hex << point << " on standard error:\n"
                << run.err;
        }
    }
}

#ifndef _WIN32
TEST(RealConditions, WithoutPermissions) {
    ScopedTempDir dir;
    for (const char* folder : {"a", "a/aperta", "a/chiusa"})
        dir.makeFolder(folder);
    dir.makeFile("a/aperta/f", 1);
    dir.makeFile("a/chiusa/g", 1);
    chmod(dir.at("a/chiusa").c_str(), 0);
    ProgramRun run = runElenco(dir, "-o - a");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find(dir.at("a/chiusa") + "\r\n\r\nCartella non leggibile\r\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.err.find(dir.at("a/chiusa")), std::string::npos) << run.err;
    // A working directory the user cannot write to: no report, status 3.
    run = runElenco(dir, "a/aperta");
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("elenco_dei_files.txt"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir.at("elenco_dei_files.txt")));
    // On a terminal elenco says where the report went, only when it went there.
    auto onTerminal = [&](const std::string& folder) {
        std::string command = quoteArgument(programPath("elenco")) + " -o /dev/null " + folder;
        return runProgram("setpriv", "--reuid=nobody --regid=nogroup --clear-groups script -qec " +
                                         quoteArgument(command) + " /dev/null", dir.path).out;
    };
    EXPECT_NE(onTerminal("a/aperta").find("elenco: 1 folder, 1 file: '/dev/null'"), std::string::npos);
    EXPECT_EQ(onTerminal("a/chiusa").find("'/dev/null'"), std::string::npos);
}

// Standard output, devices and pipes are written in place; a full device is a
// failure. A device as a user who is not root, whom no fault lets replace it.
TEST(RealConditions, WrittenInPlace) {
    ScopedTempDir dir;
    dir.makeFolder("a");
    EXPECT_EQ(runElenco(dir, "-o - a >/dev/full", false).status, 3);
    EXPECT_EQ(runElenco(dir, "-o /dev/full a").status, 3);
    ASSERT_EQ(mkfifo(dir.at("tubo").c_str(), 0644), 0);
    EXPECT_EQ(runElenco(dir, "-o tubo a & timeout 10 cat tubo >letto; wait $!", false).status, 0);
    EXPECT_TRUE(fs::is_fifo(dir.at("tubo")));
    EXPECT_EQ(readFile(dir.at("letto")).rfind("Elenco delle cartelle", 0), 0u);
}

// elenco --help: the README holds it byte for byte, and one that cannot be
// written fails with a message, as coreutils' do.
TEST(RealConditions, HelpAsTheReadmeHoldsIt) {
    ScopedTempDir dir;
    ProgramRun help = runElenco(dir, "--help", false), full = runElenco(dir, "--help >/dev/full", false);
    EXPECT_NE(readFile(ZARPELLO_README).find("```\n" + help.out + "```\n"), std::string::npos)
        << "README.md does not hold elenco --help as it is:\n" << help.out;
    EXPECT_EQ(full.status, 2);
    EXPECT_EQ(full.err, "elenco: write error: No space left on device\n");
}

TEST(RealConditions, ModeOfANewReport) {
    ScopedTempDir dir;
    dir.makeFolder("a");
    dir.makeFile("a/f", 1);
    mode_t mask = umask(027);
    ProgramRun run = runProgram(programPath("elenco"), WINDOWS_1252 + "a", dir.path);
    umask(mask);
    EXPECT_EQ(fs::status(dir.at("elenco_dei_files.txt")).permissions(), fs::perms(0640)) << run.err;
}
#endif

} // namespace
