// A whole listing over a small tree that the input describes, built in a fresh
// temporary folder, with any option word. Without a fault the report must hold
// exactly the folders within the path limit, in path order, each with its own
// files, with CR LF line ends and totals that match; a fault injected through
// the platform must be told to the user and leave nothing allocated.
#include <stddef.h>
#include <stdint.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "fake_platform.h"
#include "listing_run.h"
#include "temp_dir.h"

static void require(bool holds) {
    if (!holds) __builtin_trap();
}

struct Folder {
    std::string relative; // empty for the selected folder
    int parent;
    int depth;
    int files;
    bool listed;
    bool unsearchable;
};

enum Fault { NO_FAULT, FAIL_SEARCH, FAIL_ALLOCATION, FAIL_WRITES, FAIL_CLOSE };

// An entry name of any bytes a POSIX name may hold, but CR and LF, which would
// be indistinguishable from the report's own line ends.
static std::string entryName(FuzzedDataProvider& input) {
    std::string name = input.ConsumeRandomLengthString(255);
    name.erase(
        std::remove_if(name.begin(), name.end(),
                       [](char c) { return c == '\0' || c == '/' || c == '\r' || c == '\n'; }),
        name.end());
    return name == "." || name == ".." ? "" : name;
}

static bool foldedLess(const std::string& a, const std::string& b) {
    auto fold = [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return u >= 'A' && u <= 'Z' ? u + 32 : u;
    };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return fold(x) < fold(y); });
}

// The lines of a report that uses CR LF alone and ends with an empty line.
static std::vector<std::string> crlfLines(const std::string& report) {
    for (size_t i = 0; i < report.size(); ++i) {
        if (report[i] == '\n') require(i > 0 && report[i - 1] == '\r');
        if (report[i] == '\r') require(i + 1 < report.size() && report[i + 1] == '\n');
    }
    require(report.size() >= 4 && report.compare(report.size() - 4, 4, "\r\n\r\n") == 0);
    std::vector<std::string> lines;
    for (size_t start = 0; start < report.size();) {
        size_t end = report.find("\r\n", start);
        lines.push_back(report.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

static std::string repeated(const char* piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

// Rows from `first` up to the empty line; each starts with the indentation.
static size_t checkRows(const std::vector<std::string>& lines, size_t first, int depth) {
    size_t row = first;
    for (; lines.at(row) != ""; ++row)
        require(lines[row].compare(0, 4 * depth, repeated("... ", depth)) == 0);
    return row - first;
}

static void checkFlat(const std::vector<std::string>& lines, const std::string& root,
                      const Folder& selected) {
    int files = selected.unsearchable ? 0 : selected.files;
    require(lines.size() == 8u + files);
    require(lines[0] == "Elenco dei file contenuti in" && lines[1] == root && lines[2] == "" &&
            lines[4] == "");
    require(checkRows(lines, 5, 0) == static_cast<size_t>(files));
    require(lines[6 + files] == "Totale file n " + std::to_string(files) && lines[7 + files] == "");
}

static void checkTree(const std::vector<std::string>& lines, const std::string& root,
                      const std::vector<Folder>& folders) {
    std::map<std::string, const Folder*> expected;
    for (const Folder& folder : folders)
        if (folder.listed)
            expected[folder.relative.empty() ? root : root + "/" + folder.relative] = &folder;
    require(lines.at(0) == "Elenco delle cartelle e file contenuti in " + root &&
            lines.at(1) == "");
    std::vector<std::string> paths;
    size_t i = 2;
    while (lines.at(i) != "") {
        const std::string& path = lines[i];
        require(expected.count(path) == 1);
        const Folder& folder = *expected[path];
        expected.erase(path);
        require(paths.empty() || !foldedLess(path, paths.back()));
        paths.push_back(path);
        int files = folder.unsearchable ? 0 : folder.files;
        require(lines.at(i + 1) == "");
        if (files == 0) {
            const char* line = folder.unsearchable ? "Cartella non leggibile" : "Nessun file";
            require(lines.at(i + 2) == line && lines.at(i + 3) == "");
            i += 4;
            continue;
        }
        require(lines.at(i + 2).compare(0, 4 * folder.depth, repeated("    ", folder.depth)) == 0);
        require(lines.at(i + 3) == "");
        require(checkRows(lines, i + 4, folder.depth) == static_cast<size_t>(files));
        i += 4 + files;
        require(lines.at(i + 1) == "Totale files  " + std::to_string(files) &&
                lines.at(i + 2) == "");
        i += 3;
    }
    require(expected.empty());
    require(lines.at(i + 1) == "Totale cartelle n " + std::to_string(paths.size()));
    require(lines.at(i + 2) == "" && lines.size() == i + 3);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    ScopedTempDir tree;
    ScopedTempDir out;
    std::vector<Folder> folders = {{"", -1, 0, 0, true, false}};
    std::set<std::string> taken;
    int entries = input.ConsumeIntegralInRange(0, 24);
    for (int e = 0; e < entries; ++e) {
        bool isFolder = input.ConsumeBool();
        int at = input.ConsumeIntegralInRange<int>(0, static_cast<int>(folders.size()) - 1);
        uint64_t length = input.ConsumeIntegral<uint64_t>() & ((1ull << 40) - 1);
        int64_t time = input.ConsumeIntegralInRange<int64_t>(-(1ll << 31), (1ll << 34) - 1);
        std::string name = entryName(input);
        std::string relative =
            folders[at].relative.empty() ? name : folders[at].relative + "/" + name;
        if (name.empty() || taken.count(relative) || tree.at(relative).size() > 4000) continue;
        taken.insert(relative);
        if (isFolder) {
            tree.makeFolder(relative);
            folders.push_back({relative, at, folders[at].depth + 1, 0, false, false});
        } else {
            tree.makeFile(relative, length, time);
            ++folders[at].files;
        }
    }
    ListingOptions options = input.ConsumeIntegral<uint32_t>();
    Fault fault = static_cast<Fault>(input.ConsumeIntegralInRange(0, 7) % 5);
    int faultAt = input.ConsumeIntegralInRange(1, 4);

    FakePlatform fake;
    if (fault == FAIL_SEARCH) {
        Folder& folder = folders[faultAt % folders.size()];
        folder.unsearchable = true;
        fake.failSearchOf(tree.at(folder.relative));
    }
    if (fault == FAIL_ALLOCATION) fake.failOnlyAllocation(faultAt);
    fake.failWrites = fault == FAIL_WRITES;
    fake.failClose = fault == FAIL_CLOSE;

    // Parents come before their children, so one pass settles what is listed.
    size_t leftOut = 0;
    size_t unreadable = 0; // listed below the selected folder, told as not read
    for (Folder& folder : folders) {
        if (folder.parent < 0) continue;
        const Folder& parent = folders[folder.parent];
        bool reached = parent.listed && !parent.unsearchable;
        folder.listed = reached && tree.at(folder.relative).size() <= MAX_SEARCHABLE_PATH;
        if (reached && !folder.listed) ++leftOut;
        if (folder.listed && folder.unsearchable) ++unreadable;
    }

    std::string report;
    {
        ScopedWorkingDir cwd(out.path);
        runListing(nullptr, tree.path.c_str(), options);
        report = readFile(out.at("elenco_dei_files.txt"));
    }
    require(fake.liveBlocks == 0);
    if (fault == FAIL_ALLOCATION && fake.allocations >= faultAt) {
        require(!fake.messages.empty() && fake.messages[0].code == MESSAGE_OUT_OF_MEMORY);
        require(fake.dialogsEnded >= 1);
        if (!report.empty()) crlfLines(report);
        return 0;
    }
    if (fault == FAIL_WRITES || fault == FAIL_CLOSE) {
        require(fake.messages.size() == 1 && fake.messages[0].code == MESSAGE_CANNOT_WRITE_REPORT &&
                fake.dialogsEnded == 1);
        return 0;
    }
    bool selectedUnreadable = folders[0].unsearchable;
    require(fake.messages.size() == (selectedUnreadable ? 1u : 0u));
    if (selectedUnreadable) require(fake.messages[0].code == MESSAGE_INVALID_HANDLE);
    std::vector<std::string> lines = crlfLines(report);
    if (options & LIST_SUBFOLDERS) {
        require(fake.leftOut.size() == leftOut && fake.unreadable.size() == unreadable);
        checkTree(lines, tree.path, folders);
    } else {
        checkFlat(lines, tree.path, folders[0]);
    }
    return 0;
}
