// The sort over keys must order the records exactly as qsort does with the
// three comparisons themselves.
#include "file_scan.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <vector>

#include "text.h"

namespace {

struct JobScope {
    explicit JobScope(ListingOptions options) {
        bool files, folders;
        createJob(job, systemPlatform, "x", options, files, folders);
    }
    ~JobScope() { releaseJob(job); }
    ListingJob job;
};

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
    for (ListingOptions sort : {SORT_BY_NAME, SORT_BY_TYPE, SORT_BY_LENGTH, SORT_BY_TIME}) {
        JobScope scope(sort);
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
                e.lastWrite = {e.sizeHigh, e.sizeLow}; // times that tie and differ alike
                e.depth = n;                           // tells tied records apart
                ++n;
            }
        }
        scope.job.fileCount = n;
        std::vector<FileEntry> expected(scope.job.files, scope.job.files + n);
        int (*compare)(const void*, const void*) = sort == SORT_BY_NAME     ? compareByName
                                                   : sort == SORT_BY_TYPE   ? compareByType
                                                   : sort == SORT_BY_LENGTH ? compareByLength
                                                                            : compareByTime;
        qsort(expected.data(), expected.size(), sizeof(FileEntry), compare);
        sortFiles(scope.job);
        for (int32_t i = 0; i < n; ++i)
            EXPECT_EQ(memcmp(&scope.job.files[i], &expected[i], sizeof(FileEntry)), 0)
                << "sort " << sort << ", place " << i;
    }
}

} // namespace
