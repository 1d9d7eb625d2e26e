// Real folders at and past the engine's limits: names of 255 bytes, paths
// around 255 and 259 characters, a tree far deeper than a path can reach,
// times at the ends of what the file system holds, a hundred thousand files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "file_scan.h"
#include "listing_run.h"
#include "report_text.h"
#include "temp_dir.h"

namespace {

std::vector<std::string> sorted(std::vector<std::string> texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

TEST(Boundaries, NamesOf255Bytes) {
    ScopedTempDir dir;
    dir.makeFolder("nomi");
    std::string longName(255, 'n'), longType(253, 'e'), longFolder(255, 'c');
    dir.makeFile("nomi/" + longName, 1);
    dir.makeFile("nomi/a." + longType, 1);
    dir.makeFolder("nomi/" + longFolder); // its path can only be past the limit
    FakePlatform fake;
    ScopedWorkingDir cwd(dir.path);
    std::string selected = dir.at("nomi");
    runListing(nullptr, selected.c_str(), LIST_SUBFOLDERS | SHOW_TYPE | SORT_BY_NAME);
    EXPECT_EQ(readFile(dir.at("elenco_dei_files.txt")),
              treeReport(selected,
                         crlf({selected, "", "Tipo  Nome" + std::string(251, ' '), "",
                               longType + "a" + std::string(254, ' ') + "  ",
                               "      " + longName + "  ", "", "Totale files  2", ""}),
                         1));
    EXPECT_EQ(fake.leftOut, std::vector<std::string>{selected + "/" + longFolder});
    EXPECT_TRUE(fake.messages.empty());
}

// Folders whose full paths are exactly 255, 256, 259 and 260 characters long,
// each holding the file "f"; the one of 255 holds the folder "g" as well.
struct PathLimitTest : ::testing::Test {
    void SetUp() override {
        dir.makeFolder("s");
        selected = dir.at("s");
        ASSERT_LT(selected.size(), 250u) << "temporary folder too deep for these paths";
        for (size_t length : {255, 256, 259, 260}) {
            std::string name(length - selected.size() - 1, 'x');
            dir.makeFolder("s/" + name);
            dir.makeFile("s/" + name + "/f", 1);
            paths.push_back(selected + "/" + name);
        }
        dir.makeFolder("s/" + paths[0].substr(selected.size() + 1) + "/g");
    }
    ScopedTempDir dir;
    std::string selected;
    std::vector<std::string> paths; // of 255, 256, 259 and 260 characters
};

TEST_F(PathLimitTest, TheWalkTakesFoldersUpTo255CharactersAndAnnouncesTheRest) {
    FakePlatform fake;
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, selected.c_str(), NAMES_ONLY_TREE);
    EXPECT_EQ(readFile(dir.at("elenco_dei_files.txt")),
              treeReport(selected,
                         namesOnlySection(selected, 0, {}) + namesOnlySection(paths[0], 1, {"f"}),
                         2));
    EXPECT_EQ(sorted(fake.leftOut), sorted({paths[0] + "/g", paths[1], paths[2], paths[3]}));
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(PathLimitTest, TheScanSearchesPathsUpTo255Characters) {
    const int expected[] = {1, -4, -4};
    for (int i = 0; i < 3; ++i) {
        ListingJob job;
        bool files, folders;
        ASSERT_EQ(createJob(job, paths[i].c_str(), SORT_BY_NAME, files, folders), 1);
        EXPECT_EQ(scanFiles(nullptr, job), expected[i]) << paths[i].size();
        EXPECT_EQ(job.fileCount, expected[i] == 1 ? 1 : 0) << paths[i].size();
        releaseJob(job);
    }
}

TEST_F(PathLimitTest, ListingAFolderPastTheLimit) {
    FakePlatform fake;
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, paths[2].c_str(), SORT_BY_NAME); // 259: held, not searchable
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "Invalid handle");
    EXPECT_EQ(
        readFile(dir.at("elenco_dei_files.txt")),
        crlf({"Elenco dei file contenuti in", paths[2], "", "", "", "", "Totale file n 0", ""}));
    remove(dir.at("elenco_dei_files.txt").c_str());
    runListing(nullptr, paths[3].c_str(), SORT_BY_NAME); // 260: not even held
    EXPECT_FALSE(fileExists(dir.at("elenco_dei_files.txt")));
    EXPECT_EQ(fake.messages.size(), 1u);
}

// Forty levels of ten-character names: the walk goes as deep as a path can be
// searched, announces the one folder below, and never sees the rest.
TEST(Boundaries, FortyLevelsDeepPastThePathLimit) {
    ScopedTempDir dir;
    std::vector<std::string> chain = {"deep"};
    for (int level = 1; level <= 40; ++level) {
        char name[16];
        snprintf(name, sizeof name, "livello_%02d", level);
        chain.push_back(chain.back() + "/" + name);
    }
    std::string sections;
    int listed = 0;
    for (const std::string& folder : chain) {
        dir.makeFolder(folder);
        dir.makeFile(folder + "/f", 1);
        if (dir.at(folder).size() <= 255) {
            sections += namesOnlySection(dir.at(folder), listed, {"f"});
            ++listed;
        }
    }
    ASSERT_GT(listed, 10);
    ASSERT_LT(listed, 41);
    FakePlatform fake;
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, dir.at("deep").c_str(), NAMES_ONLY_TREE);
    EXPECT_EQ(readFile(dir.at("elenco_dei_files.txt")),
              treeReport(dir.at("deep"), sections, listed));
    EXPECT_EQ(fake.leftOut, std::vector<std::string>{dir.at(chain[listed])});
    EXPECT_TRUE(fake.messages.empty());
}

// Each time the file system keeps as it was given is printed as it was given;
// times it clamps (ext4 holds 1901 to 2446) are left out of the check.
TEST(Boundaries, TimesFarBeforeAndAfter1970) {
    struct Case {
        int64_t time;
        const char* printed;
    } cases[] = {
        {unixTime(1601, 1, 1, 0, 0, 0), "01/01/1601 00:00:00"},
        {unixTime(1800, 2, 28, 12, 0, 0), "28/02/1800 12:00:00"},
        {-2147483648LL, "13/12/1901 20:45:52"},
        {-1, "31/12/1969 23:59:59"},
        {unixTime(2000, 2, 29, 0, 0, 0), "29/02/2000 00:00:00"},
        {unixTime(2446, 5, 10, 22, 38, 55), "10/05/2446 22:38:55"},
        {unixTime(9999, 12, 31, 23, 59, 59), "31/12/9999 23:59:59"},
        {unixTime(30000, 1, 1, 0, 0, 0), "01/01/30000 00:00:00"},
    };
    ScopedTempDir dir;
    dir.makeFolder("tempi");
    std::string rows;
    int kept = 0;
    for (const Case& c : cases) {
        std::string name = "t" + std::to_string(kept);
        dir.makeFile("tempi/" + name, 0, c.time);
        struct stat info;
        ASSERT_EQ(stat(dir.at("tempi/" + name).c_str(), &info), 0);
        if (info.st_mtim.tv_sec != c.time) {
            remove(dir.at("tempi/" + name).c_str());
            continue;
        }
        rows += name + "  " + c.printed + "\r\n";
        ++kept;
    }
    ASSERT_GE(kept, 3) << "1901, 1969 and 2000 fit every file system";
    FakePlatform fake;
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, dir.at("tempi").c_str(), SHOW_MODIFIED | SORT_BY_NAME);
    EXPECT_EQ(readFile(dir.at("elenco_dei_files.txt")),
              crlf({"Elenco dei file contenuti in", dir.at("tempi"), "", " ultima modifica", ""}) +
                  rows + crlf({"", "Totale file n " + std::to_string(kept), ""}));
}

// A hundred thousand names, as hard links to two empty files so that making
// them costs directory entries only: the array grows 99 times past 1000.
TEST(Boundaries, AHundredThousandFiles) {
    const int count = 100000;
    ScopedTempDir dir;
    dir.makeFolder("molti");
    std::string first;
    for (int i = count - 1; i >= 0; --i) {
        char name[16];
        snprintf(name, sizeof name, "f%06d", i);
        std::string path = dir.at("molti/") + name;
        if (i % 50000 == 49999) { // well below any file system's limit of links
            first = path;
            dir.makeFile(std::string("molti/") + name, 0);
        } else {
            ASSERT_EQ(link(first.c_str(), path.c_str()), 0) << path;
        }
    }
    FakePlatform fake;
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, dir.at("molti").c_str(), SORT_BY_NAME);
    EXPECT_EQ(fake.allocations, 2 + 99 + 1); // the two arrays, 99 growths, the writer
    EXPECT_TRUE(fake.messages.empty());
    std::string expected = crlf({"Elenco dei file contenuti in", dir.at("molti"), "", "", ""});
    for (int i = 0; i < count; ++i) {
        char row[16];
        snprintf(row, sizeof row, "f%06d  \r\n", i);
        expected += row;
    }
    expected += crlf({"", "Totale file n 100000", ""});
    EXPECT_TRUE(readFile(dir.at("elenco_dei_files.txt")) == expected);
}

} // namespace
