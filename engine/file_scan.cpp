#include "file_scan.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "listing_summary.h"
#include "text.h"

void splitFileName(const char* fileName, char* name, size_t nameCapacity, char* type,
                   size_t typeCapacity) {
    const char* dot = strrchr(fileName, '.');
    if (!dot) {
        copyText(name, nameCapacity, fileName);
        copyText(type, typeCapacity, "");
        return;
    }
    copyText(name, nameCapacity, "");
    appendText(name, nameCapacity, fileName, static_cast<size_t>(dot - fileName));
    copyText(type, typeCapacity, dot + 1);
}

static_assert(MAX_SEARCHABLE_PATH < sizeof FileEntry().folder, "a searched path fits a record");

// A file listed without its details: the user hears of it by its full path.
static void noteDetailsUnknown(DialogHandle dialog, ListingJob& job, const DirEntry& entry) {
    char path[2 * PATH_BUFFER];
    joinPath(path, sizeof path, job.currentPath, entry.name);
    SearchFolder folder = {job.listing, job.currentNode, job.currentPath};
    noteIncomplete(job, dialog, INCOMPLETE_DETAILS_UNREADABLE, path, folder, entry.realName,
                   entry.detailsError);
}

int32_t scanFiles(DialogHandle dialog, ListingJob& job, int* reason) {
    // Measured once: every record of the scan holds the same folder.
    size_t folderLength = strlen(job.currentPath);
    if (folderLength > MAX_SEARCHABLE_PATH) {
        if (reason) *reason = ENAMETOOLONG;
        return RESULT_CANNOT_OPEN_FOLDER;
    }
    DirEntry entry;
    const Platform& platform = *job.platform;
    SearchFolder folder = {job.listing, job.currentNode, job.currentPath};
    DirSearch* search = findFirst(platform, folder, SEARCH_FULL, &entry);
    if (!search) {
        if (reason) *reason = errno;
        return RESULT_CANNOT_OPEN_FOLDER;
    }
    int32_t result = RESULT_OK;
    int32_t firstRecord = job.fileCount;
    int step = SEARCH_ENTRY;
    for (; step == SEARCH_ENTRY; step = findNext(platform, search, &entry)) {
        if (isDotEntry(entry.name) || (entry.attributes & FOLDER_ATTRIBUTE)) continue;
        if (reserveFileRecord(job, job.fileCount) != RESULT_OK) {
            result = RESULT_OUT_OF_MEMORY;
            break;
        }
        FileEntry& file = job.files[job.fileCount];
        splitFileName(entry.name, file.name, sizeof file.name, file.type, sizeof file.type);
        memcpy(file.folder, job.currentPath, folderLength + 1);
        file.sizeHigh = entry.sizeHigh;
        file.sizeLow = entry.sizeLow;
        file.attributes = entry.attributes;
        if (entry.detailsError) {
            file.attributes |= DETAILS_UNKNOWN;
            noteDetailsUnknown(dialog, job, entry);
        }
        file.lastAccess = entry.lastAccess;
        file.lastWrite = entry.lastWrite;
        file.depth = job.depth;
        int32_t nameLength = static_cast<int32_t>(platform.textColumns(platform, file.name));
        if (nameLength > job.widestName) job.widestName = nameLength;
        ++job.fileCount;
    }
    // Some of its files are unknown: a list that looked whole would mislead.
    if (step == SEARCH_ERROR) {
        if (reason) *reason = errno;
        job.fileCount = firstRecord;
        result = RESULT_CANNOT_OPEN_FOLDER;
    }
    findClose(platform, search);
    return result;
}

static const FileEntry& asFile(const void* record) {
    return *static_cast<const FileEntry*>(record);
}

int compareByName(const void* a, const void* b) {
    return compareIgnoringCase(asFile(a).name, asFile(b).name);
}

int compareByType(const void* a, const void* b) {
    return compareBytes(asFile(a).type, asFile(b).type);
}

int compareByLength(const void* a, const void* b) {
    uint64_t x = fileLength(asFile(a));
    uint64_t y = fileLength(asFile(b));
    return (x > y) - (x < y);
}

static uint64_t lastWriteOf(const FileEntry& e) {
    return (static_cast<uint64_t>(e.lastWrite.high) << 32) | e.lastWrite.low;
}

int compareByTime(const void* a, const void* b) {
    uint64_t x = lastWriteOf(asFile(a));
    uint64_t y = lastWriteOf(asFile(b));
    if (x < y) return -1;
    if (y < x) return 1;
    return compareByName(a, b);
}

// The sort runs over small keys rather than the records themselves: each key
// holds the first 16 bytes of the sort field as two big-endian numbers, so most
// comparisons touch neither the records nor memory far apart, and each record
// then moves once. Keys that differ order their records as the full comparison
// would; equal keys defer to it, so the order is the one qsort gives the records.
enum { LEAD_WORDS = 2 };

struct SortKey {
    uint64_t lead[LEAD_WORDS];
    FileEntry* file;
};

static void setLead(SortKey& key, const char* text, bool folded) {
    bool ended = false;
    for (uint64_t& word : key.lead) {
        word = 0;
        for (int i = 0; i < 8; ++i) {
            unsigned char c = ended ? 0 : static_cast<unsigned char>(*text++);
            ended = c == 0;
            word = word << 8 | (folded ? foldAscii(c) : c);
        }
    }
}

template <int (*compare)(const void*, const void*)>
static int compareKeys(const void* a, const void* b) {
    const SortKey& x = *static_cast<const SortKey*>(a);
    const SortKey& y = *static_cast<const SortKey*>(b);
    for (int i = 0; i < LEAD_WORDS; ++i) {
        if (x.lead[i] != y.lead[i]) return x.lead[i] < y.lead[i] ? -1 : 1;
    }
    // A last byte of 0 means the field ended within the key: equal keys, equal fields.
    if ((x.lead[LEAD_WORDS - 1] & 0xFF) == 0) return 0;
    return compare(x.file, y.file);
}

// Moves each record to the place of its key, following the cycles of the
// permutation with one record held aside.
static void applyOrder(FileEntry* files, SortKey* keys, int32_t count) {
    for (int32_t start = 0; start < count; ++start) {
        if (keys[start].file == files + start) continue;
        FileEntry held = files[start];
        int32_t place = start;
        for (;;) {
            FileEntry* source = keys[place].file;
            keys[place].file = files + place;
            if (source == files + start) {
                files[place] = held;
                break;
            }
            files[place] = *source;
            place = static_cast<int32_t>(source - files);
        }
    }
}

static void reverseFiles(FileEntry* files, int32_t count) {
    for (int32_t i = 0, j = count - 1; i < j; ++i, --j) {
        FileEntry held = files[i];
        files[i] = files[j];
        files[j] = held;
    }
}

static void sortByKey(ListingJob& job) {
    int (*compare)(const void*, const void*) = nullptr;
    int (*compareKey)(const void*, const void*) = nullptr;
    if (job.options & SORT_BY_TIME) {
        compare = compareByTime;
        compareKey = compareKeys<compareByTime>;
    } else if (job.options & SORT_BY_LENGTH) {
        compare = compareByLength;
        compareKey = compareKeys<compareByLength>;
    } else if (job.options & SORT_BY_TYPE) {
        compare = compareByType;
        compareKey = compareKeys<compareByType>;
    } else if (job.options & SORT_BY_NAME) {
        compare = compareByName;
        compareKey = compareKeys<compareByName>;
    }
    if (!compare || job.fileCount < 2) return;
    size_t count = static_cast<size_t>(job.fileCount);
    // Scratch whose only use is speed: without it the records are sorted in
    // place, in the same order, so it stays outside the allocations the user
    // must hear of.
    SortKey* keys = static_cast<SortKey*>(malloc(count * sizeof(SortKey)));
    if (!keys) {
        qsort(job.files, count, sizeof(FileEntry), compare);
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        FileEntry& file = job.files[i];
        keys[i].file = &file;
        if (compare == compareByLength) {
            keys[i].lead[0] = fileLength(file);
            keys[i].lead[1] = 0;
        } else if (compare == compareByTime) {
            // A last byte other than 0 sends equal times on to the full
            // comparison, which orders them by name.
            keys[i].lead[0] = lastWriteOf(file);
            keys[i].lead[1] = 1;
        } else {
            setLead(keys[i], compare == compareByType ? file.type : file.name,
                    compare == compareByName);
        }
    }
    qsort(keys, count, sizeof(SortKey), compareKey);
    applyOrder(job.files, keys, job.fileCount);
    free(keys);
}

void sortFiles(ListingJob& job) {
    sortByKey(job);
    if (job.options & SORT_REVERSED) reverseFiles(job.files, job.fileCount);
}
