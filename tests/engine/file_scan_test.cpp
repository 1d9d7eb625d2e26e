#include "file_scan.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "fake_platform.h"
#include "temp_dir.h"
#include "text.h"

namespace {

struct JobScope {
    explicit JobScope(const std::string& path, ListingOptions options = 31) {
        bool files, folders;
        createJob(job, path.c_str(), options, files, folders);
    }
    ~JobScope() { releaseJob(job); }
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (int i = 0; i < job.fileCount; ++i)
            result.push_back(std::string(job.files[i].name) + "|" + job.files[i].type);
        return result;
    }
    ListingJob job;
};

FileEntry entry(const char* name, const char* type = "", uint64_t length = 0) {
    FileEntry e = FileEntry();
    copyText(e.name, sizeof e.name, name);
    copyText(e.type, sizeof e.type, type);
    e.sizeHigh = static_cast<uint32_t>(length >> 32);
    e.sizeLow = static_cast<uint32_t>(length);
    return e;
}

int order(int (*compare)(const void*, const void*), FileEntry a, FileEntry b) {
    return compare(&a, &b);
}

TEST(SplitFileName, AtTheLastDot) {
    struct Case {
        const char* file;
        const char* name;
        const char* type;
    } cases[] = {{"archivio.tar.gz", "archivio.tar", "gz"},
                 {"LEGGIMI", "LEGGIMI", ""},
                 {".profilo", "", "profilo"},
                 {"fine.", "fine", ""},
                 {"a..b", "a.", "b"}};
    for (const Case& c : cases) {
        char name[RECORD_TEXT], type[PATH_BUFFER];
        splitFileName(c.file, name, sizeof name, type, sizeof type);
        EXPECT_STREQ(name, c.name) << c.file;
        EXPECT_STREQ(type, c.type) << c.file;
    }
}

TEST(SplitFileName, LongestExtensionIsHeldWhole) {
    std::string file = "." + std::string(254, 'e');
    FileEntry e;
    splitFileName(file.c_str(), e.name, sizeof e.name, e.type, sizeof e.type);
    EXPECT_EQ(std::string(e.type), std::string(254, 'e'));
}

TEST(SplitFileName, BuffersTooSmallAreCutAndNeverOverrun) {
    char name[4] = {'#', '#', '#', '#'}, type[4] = {'#', '#', '#', '#'};
    splitFileName("a.b", name, 0, type, 0);
    EXPECT_EQ(std::string(name, 4), "####");
    EXPECT_EQ(std::string(type, 4), "####");
    splitFileName("nome.tipo", name, 3, type, 2);
    EXPECT_EQ(std::string(name, 4), std::string("no\0#", 4));
    EXPECT_EQ(std::string(type, 4), std::string("t\0##", 4));
}

TEST(ScanFiles, StoresFilesOnlyAndRaisesWidestNameToTheNameWithoutExtension) {
    ScopedTempDir dir;
    dir.makeFile("relazione.docx", 10);
    dir.makeFile("ab", 20);
    dir.makeFile("abc.d", 30);
    dir.makeFile(".nascosto", 40);
    dir.makeFolder("sotto");
    JobScope scope(dir.path);
    ASSERT_EQ(scanFiles(nullptr, scope.job), 1);
    EXPECT_EQ(scope.job.fileCount, 4);
    EXPECT_EQ(scope.job.widestName, 9);
    sortFiles(scope.job);
    EXPECT_EQ(scope.names(),
              (std::vector<std::string>{"|nascosto", "ab|", "abc|d", "relazione|docx"}));
    EXPECT_STREQ(scope.job.files[0].folder, dir.path.c_str());
    EXPECT_EQ(scope.job.files[0].sizeLow, 40u);
}

TEST(ScanFiles, OnlyAppendsAndOnlyRaises) {
    ScopedTempDir dir;
    dir.makeFolder("sotto");
    dir.makeFile("ab", 1);
    JobScope scope(dir.path);
    scope.job.fileCount = 3;
    scope.job.widestName = 12;
    scope.job.depth = 2;
    ASSERT_EQ(scanFiles(nullptr, scope.job), 1);
    EXPECT_EQ(scope.job.fileCount, 4);
    EXPECT_EQ(scope.job.widestName, 12);
    EXPECT_EQ(scope.job.files[3].depth, 2);
    EXPECT_STREQ(scope.job.currentPath, dir.path.c_str());
}

TEST(ScanFiles, FolderThatCannotBeSearchedChangesNothing) {
    ScopedTempDir dir;
    JobScope missing(dir.at("assente"));
    EXPECT_EQ(scanFiles(nullptr, missing.job), -4);
    EXPECT_EQ(missing.job.fileCount, 0);
    JobScope tooLong(dir.path + "/" + std::string(255 - dir.path.size(), 'x'));
    EXPECT_EQ(scanFiles(nullptr, tooLong.job), -4);
}

TEST(ScanFiles, GrowsByThousandAtTheThousandAndFirstFile) {
    ScopedTempDir dir;
    for (int i = 0; i < 1000; ++i)
        dir.makeFile("f" + std::to_string(i), 0);
    JobScope scope(dir.path);
    ASSERT_EQ(scanFiles(nullptr, scope.job), 1);
    EXPECT_EQ(scope.job.fileCapacity, 1000);
    dir.makeFile("ultimo", 0);
    scope.job.fileCount = 0;
    ASSERT_EQ(scanFiles(nullptr, scope.job), 1);
    EXPECT_EQ(scope.job.fileCount, 1001);
    EXPECT_EQ(scope.job.fileCapacity, 2000);
}

TEST(FileOrder, ByNameFoldsOnlyAsciiLetters) {
    EXPECT_LT(order(compareByName, entry("_bozza"), entry("Alfa")), 0);
    EXPECT_LT(order(compareByName, entry("Alfa"), entry("beta")), 0);
    EXPECT_LT(order(compareByName, entry("beta"), entry("Zeta")), 0);
    EXPECT_EQ(order(compareByName, entry("relazione", "doc"), entry("Relazione", "txt")), 0);
    EXPECT_NE(order(compareByName, entry("\xC8"), entry("\xE8")), 0);
    EXPECT_GT(order(compareByName, entry("\xE8"), entry("z")), 0);
}

TEST(FileOrder, ByTypeIsCaseSensitiveWithEmptyFirst) {
    EXPECT_LT(order(compareByType, entry("a", ""), entry("a", "TXT")), 0);
    EXPECT_LT(order(compareByType, entry("a", "TXT"), entry("a", "doc")), 0);
    EXPECT_LT(order(compareByType, entry("a", "doc"), entry("a", "txt")), 0);
}

TEST(FileOrder, ByLengthAsUnsigned64Bits) {
    JobScope scope("x", SORT_BY_LENGTH | SORT_BY_TYPE | SORT_BY_NAME);
    const uint64_t lengths[] = {4294967296ull, 3000000000ull, 0, 2147483648ull, 1000};
    for (uint64_t length : lengths)
        scope.job.files[scope.job.fileCount++] = entry("f", "", length);
    sortFiles(scope.job);
    const uint64_t expected[] = {0, 1000, 2147483648ull, 3000000000ull, 4294967296ull};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(fileLength(scope.job.files[i]), expected[i]);
}

TEST(FileOrder, WithoutSortBitsTheScanOrderStays) {
    JobScope scope("x", SHOW_TYPE);
    scope.job.files[scope.job.fileCount++] = entry("b");
    scope.job.files[scope.job.fileCount++] = entry("a");
    sortFiles(scope.job);
    EXPECT_EQ(scope.names(), (std::vector<std::string>{"b|", "a|"}));
}

// The order must be the one qsort gives the records themselves, ties included:
// names and types that agree in their first 8 or 16 bytes (and differ only in
// case there), end exactly there, or hold bytes above 0x7F; lengths that tie.
TEST(FileOrder, SameAsSortingTheRecordsThemselves) {
    const char* const stems[] = {"",
                                 "a",
                                 "A",
                                 "relazion",
                                 "RELAZION",
                                 "relazione",
                                 "relazione_2",
                                 "RELAZIONE_1",
                                 "scansioneAnnuale",
                                 "ScansioneAnnualE",
                                 "scansioneannuale",
                                 "scansioneannualeX",
                                 "\xC8lite",
                                 "\xE8lite",
                                 "_bozza",
                                 "Zeta"};
    const char* const types[] = {"", "txt", "TXT", "tar", "abcdefgh", "abcdefghi", "ABCDEFGH"};
    const uint64_t lengths[] = {0, 1, 4294967296ull, 4294967297ull, 255, 256};
    for (ListingOptions sort : {SORT_BY_NAME, SORT_BY_TYPE, SORT_BY_LENGTH}) {
        JobScope scope("x", sort);
        int32_t n = 0;
        for (int round = 0; round < 9; ++round) {
            for (size_t i = 0; i < sizeof stems / sizeof stems[0]; ++i) {
                ASSERT_EQ(reserveFileRecord(scope.job, n), 1);
                FileEntry& e = scope.job.files[n];
                memset(&e, 'a' + n % 26, sizeof e); // what follows a terminator must not count
                copyText(e.name, sizeof e.name, stems[(i * 7 + round) % 16]);
                copyText(e.type, sizeof e.type, types[(i + round) % 7]);
                uint64_t length = lengths[(i * 5 + round * 3) % 6];
                e.sizeHigh = static_cast<uint32_t>(length >> 32);
                e.sizeLow = static_cast<uint32_t>(length);
                e.depth = n; // tells tied records apart
                ++n;
            }
        }
        scope.job.fileCount = n;
        std::vector<FileEntry> expected(scope.job.files, scope.job.files + n);
        int (*compare)(const void*, const void*) = sort == SORT_BY_NAME   ? compareByName
                                                   : sort == SORT_BY_TYPE ? compareByType
                                                                          : compareByLength;
        qsort(expected.data(), expected.size(), sizeof(FileEntry), compare);
        sortFiles(scope.job);
        for (int32_t i = 0; i < n; ++i)
            EXPECT_EQ(memcmp(&scope.job.files[i], &expected[i], sizeof(FileEntry)), 0)
                << "sort " << sort << ", place " << i;
    }
}

} // namespace
