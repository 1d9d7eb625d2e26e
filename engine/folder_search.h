// Searching a folder, as the walk searches it for its folders and the scan for
// its files.
#pragma once

#include <errno.h>

#include "listing_job.h"
#include "platform.h"
#include "text.h"

// Whether `path`, as the report shows it, can be searched: at most 255
// characters.
inline bool searchable(const Platform& platform, const char* path) {
    return platform.textLength(platform, path) <= MAX_SEARCHABLE_PATH;
}

// The path of subfolder `name` of `parent` as the walk searches it. Returns 1,
// or 0 when it is too long to search: the walk then leaves the folder out.
inline int searchablePath(const Platform& platform, const char* parent, const char* name,
                          char* path, size_t capacity) {
    return joinPath(path, capacity, parent, name) && searchable(platform, path);
}

// What a search that failed for `reason` fails: the run when memory ran out
// (-2), as for the engine's own memory, since the folder may well be
// readable; else the folder (-4).
inline int32_t searchFailure(int reason) {
    return reason == ENOMEM ? RESULT_OUT_OF_MEMORY : RESULT_CANNOT_OPEN_FOLDER;
}

// Searches `folder`, the job's current folder, handing `visit` each entry but
// "." and "..", until it returns other than 1. Returns what `visit` last
// returned; when the folder cannot be searched (also when its path is over
// 255 characters) or its search fails midway, what searchFailure says, with
// the system's reason in `reason`, or `unknownReason` when a failure midway
// leaves errno 0.
template <typename Visit>
int32_t searchFolder(const ListingJob& job, const SearchFolder& folder, SearchDetail detail,
                     int& reason, int unknownReason, Visit visit) {
    const Platform& platform = *job.platform;
    if (!searchable(platform, job.currentPath)) {
        reason = ENAMETOOLONG;
        return RESULT_CANNOT_OPEN_FOLDER;
    }
    DirEntry entry;
    DirSearch* search = findFirst(platform, folder, detail, &entry);
    if (!search) {
        reason = errno;
        return searchFailure(reason);
    }
    int32_t result = RESULT_OK;
    int step = SEARCH_ENTRY;
    while (step == SEARCH_ENTRY && result == RESULT_OK) {
        if (!isDotEntry(entry.name)) result = visit(entry);
        if (result == RESULT_OK) step = findNext(platform, search, &entry);
    }
    if (step == SEARCH_ERROR) {
        reason = errno ? errno : unknownReason;
        result = searchFailure(reason);
    }
    findClose(platform, search);
    return result;
}
