#include "file_scan.h"

#include <string.h>

#include <algorithm>

#include "calendar.h"
#include "folder_search.h"
#include "listing_summary.h"
#include "text.h"

// The first 16 bytes of `name` as compareIgnoringCase sees them, the first the
// most significant and none past the end: keys that differ order their names,
// so that most comparisons of a sort end without reading a name.
static void nameKey(const char* name, uint64_t (&key)[2]) {
    for (uint64_t& part : key) {
        part = 0;
        for (int i = 0; i < 8; ++i) {
            part <<= 8;
            if (*name) part |= foldAscii(static_cast<unsigned char>(*name++));
        }
    }
}

int32_t scanFiles(DialogHandle dialog, ListingJob& job, int& reason) {
    // A scan that starts the array over starts its texts over too.
    if (job.fileCount == 0) rewindArena(job.fileTexts);
    const Platform& platform = *job.platform;
    SearchFolder folder = {job.listing, job.currentNode, job.currentPath};
    int32_t firstRecord = job.fileCount;
    auto storeFile = [&](const DirEntry& entry) -> int32_t {
        if (entry.attributes & FOLDER_ATTRIBUTE) return RESULT_OK;
        char* fileName = nullptr;
        if (reserveFileRecord(job, job.fileCount) != RESULT_OK ||
            !(fileName = storeText(job.fileTexts, entry.name, strlen(entry.name))))
            return RESULT_OUT_OF_MEMORY;
        // The name before the last '.', the type after it; without one, no type.
        char* dot = strrchr(fileName, '.');
        if (dot) *dot = '\0';
        const char* type = dot ? dot + 1 : fileName + strlen(fileName);
        FileEntry& file = job.files[job.fileCount];
        file = {fileName, type, entry.sizeHigh, entry.sizeLow, entry.attributes, entry.lastWrite};
        nameKey(file.name, file.nameKey);
        if (entry.detailsError) {
            // Listed without its details: the user hears of it by its full path.
            file.attributes |= DETAILS_UNKNOWN;
            char path[2 * SHOWN_PATH_BUFFER];
            joinPath(path, sizeof path, job.currentPath, entry.name);
            noteIncomplete(job, dialog, INCOMPLETE_DETAILS_UNREADABLE, path, folder, entry.realName,
                           entry.detailsError);
        }
        int32_t nameLength = static_cast<int32_t>(platform.textColumns(platform, file.name));
        if (nameLength > job.widestName) job.widestName = nameLength;
        ++job.fileCount;
        return RESULT_OK;
    };
    int32_t result = searchFolder(job, folder, SEARCH_FULL, reason, 0, storeFile);
    // Some of its files are unknown: a list that looked whole would mislead.
    if (result == RESULT_CANNOT_OPEN_FOLDER) job.fileCount = firstRecord;
    return result;
}

template <typename T> static int ordered(T x, T y) {
    return (y < x) - (x < y);
}

// The last write as a signed count of ticks: a time before 1601 (negative, as
// ext4 and Wine hold it) comes before every later one, and an unknown time, or
// one past the calendar's range, after every known one.
static int64_t writeTime(const FileEntry& e) {
    if (e.lastWrite.high == UNKNOWN_FILE_TIME.high && e.lastWrite.low == UNKNOWN_FILE_TIME.low)
        return INT64_MAX;
    return static_cast<int64_t>((static_cast<uint64_t>(e.lastWrite.high) << 32) | e.lastWrite.low);
}

// Names that agree but for case go by type, then byte by byte, then by what
// their rows show besides: the same files come in the same order from any disk.
static int compareByName(const FileEntry& x, const FileEntry& y) {
    int order = ordered(x.nameKey[0], y.nameKey[0]);
    if (order == 0) order = ordered(x.nameKey[1], y.nameKey[1]);
    if (order == 0) order = compareIgnoringCase(x.name, y.name);
    if (order == 0) order = strcmp(x.type, y.type);
    if (order == 0) order = strcmp(x.name, y.name);
    if (order == 0) order = ordered(fileLength(x), fileLength(y));
    if (order == 0) order = ordered(writeTime(x), writeTime(y));
    if (order == 0) order = ordered(x.attributes & DETAILS_UNKNOWN, y.attributes & DETAILS_UNKNOWN);
    return order;
}

static int compareByType(const FileEntry& x, const FileEntry& y) {
    int order = strcmp(x.type, y.type);
    return order != 0 ? order : compareByName(x, y);
}

static int compareByLength(const FileEntry& x, const FileEntry& y) {
    int order = ordered(fileLength(x), fileLength(y));
    return order != 0 ? order : compareByName(x, y);
}

int compareByTime(const FileEntry& x, const FileEntry& y) {
    int order = ordered(writeTime(x), writeTime(y));
    return order != 0 ? order : compareByName(x, y);
}

// The first whose bit is set wins.
static const struct {
    ListingOptions bit;
    int (*compare)(const FileEntry&, const FileEntry&);
} FILE_ORDERS[] = {
    {SORT_BY_TIME, compareByTime},
    {SORT_BY_LENGTH, compareByLength},
    {SORT_BY_TYPE, compareByType},
    {SORT_BY_NAME, compareByName},
};

void sortFiles(ListingJob& job) {
    for (const auto& order : FILE_ORDERS) {
        if (!(job.options & order.bit)) continue;
        std::sort(job.files, job.files + job.fileCount,
                  [&](const FileEntry& x, const FileEntry& y) { return order.compare(x, y) < 0; });
        break;
    }
    if (job.options & SORT_REVERSED) std::reverse(job.files, job.files + job.fileCount);
}
