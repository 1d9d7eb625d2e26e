// The four comparisons handed to qsort, on records of any bytes: each must be a
// consistent order (reflexive, antisymmetric, transitive), checked on every
// ordering of three records, and the sorts must leave their arrays in order.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "file_scan.h"
#include "folder_walk.h"

static void require(bool holds) {
    if (!holds) __builtin_trap();
}

static int sign(int value) {
    return (value > 0) - (value < 0);
}

typedef int (*Comparison)(const void*, const void*);

template <typename Record>
static void requireConsistentOrder(Comparison compare, const Record (&r)[3]) {
    for (int i = 0; i < 3; ++i) {
        require(compare(&r[i], &r[i]) == 0);
        for (int j = 0; j < 3; ++j) {
            int ij = sign(compare(&r[i], &r[j]));
            require(ij == -sign(compare(&r[j], &r[i])));
            for (int k = 0; k < 3; ++k) {
                int jk = sign(compare(&r[j], &r[k]));
                int ik = sign(compare(&r[i], &r[k]));
                if (ij <= 0 && jk <= 0) require(ik <= 0);
                if (ij == 0 && jk == 0) require(ik == 0);
                if ((ij < 0 && jk <= 0) || (ij <= 0 && jk < 0)) require(ik < 0);
            }
        }
    }
}

template <typename Record> static void requireSorted(Comparison compare, const Record (&r)[3]) {
    for (int i = 0; i + 1 < 3; ++i)
        require(compare(&r[i], &r[i + 1]) <= 0);
}

// Text of any bytes but the terminator, held in `texts`; short runs make
// equal keys likely.
static const char* fill(FuzzedDataProvider& input, std::string& text) {
    text = input.ConsumeRandomLengthString(259);
    text = text.substr(0, text.find('\0'));
    return text.c_str();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    FileEntry files[3] = {};
    FolderEntry folders[3] = {};
    std::string texts[12];
    std::string* text = texts;
    for (FileEntry& file : files) {
        file.name = fill(input, *text++);
        file.type = fill(input, *text++);
        file.sizeHigh = input.ConsumeIntegral<uint32_t>();
        file.sizeLow = input.ConsumeIntegral<uint32_t>();
        file.lastWrite.high = input.ConsumeIntegral<uint32_t>();
        file.lastWrite.low = input.ConsumeIntegral<uint32_t>();
    }
    for (FolderEntry& folder : folders) {
        folder.parent = fill(input, *text++);
        folder.name = fill(input, *text++);
    }

    requireConsistentOrder(compareByName, files);
    requireConsistentOrder(compareByType, files);
    requireConsistentOrder(compareByLength, files);
    requireConsistentOrder(compareByTime, files);
    requireConsistentOrder(compareFolderPaths, folders);

    ListingJob job = ListingJob();
    job.files = files;
    job.fileCount = 3;
    job.folders = folders;
    job.folderCount = 3;
    const ListingOptions sorts[] = {SORT_BY_NAME, SORT_BY_TYPE, SORT_BY_LENGTH, SORT_BY_TIME};
    const Comparison comparisons[] = {compareByName, compareByType, compareByLength, compareByTime};
    for (int i = 0; i < 4; ++i) {
        job.options = sorts[i];
        sortFiles(job);
        requireSorted(comparisons[i], files);
    }
    sortFolders(job);
    requireSorted(compareFolderPaths, folders);
    return 0;
}
