// Finding every folder below the selected one, and ordering them by path.
#pragma once

#include <errno.h>

#include "listing_job.h"
#include "platform.h"
#include "text.h"

// Searches `folder`, the job's current folder, handing `visit` each entry but
// "." and "..", until it returns other than 1. Returns what `visit` last
// returned; -4 when the folder cannot be searched (also when its path is over
// 255 characters) or its search fails midway, with the system's reason in
// `reason`, or `unknownReason` when a failure midway leaves errno 0.
template <typename Visit>
int32_t searchFolder(const ListingJob& job, const SearchFolder& folder, SearchDetail detail,
                     int& reason, int unknownReason, Visit visit) {
    const Platform& platform = *job.platform;
    if (platform.textLength(platform, job.currentPath) > MAX_SEARCHABLE_PATH) {
        reason = ENAMETOOLONG;
        return RESULT_CANNOT_OPEN_FOLDER;
    }
    DirEntry entry;
    DirSearch* search = findFirst(platform, folder, detail, &entry);
    if (!search) {
        reason = errno;
        return RESULT_CANNOT_OPEN_FOLDER;
    }
    int32_t result = RESULT_OK;
    int step = SEARCH_ENTRY;
    while (step == SEARCH_ENTRY && result == RESULT_OK) {
        if (!isDotEntry(entry.name)) result = visit(entry);
        if (result == RESULT_OK) step = findNext(platform, search, &entry);
    }
    if (step == SEARCH_ERROR) {
        reason = errno ? errno : unknownReason;
        result = RESULT_CANNOT_OPEN_FOLDER;
    }
    findClose(platform, search);
    return result;
}

// Appends a record for every folder below job.currentPath, in pre-order, each
// with the job's depth at its level. A subfolder whose full path would exceed
// 255 characters cannot be searched, so it is left out and announced through
// platform.noteIncomplete. A subfolder that cannot be searched is kept, with
// nothing below it and the reason in its readError, which the report tells.
// Returns 1 when every entry was read; -4 when job.currentPath cannot be
// searched, or its search failed midway, with the system's reason in `reason`;
// -2 when the array could not grow, at any level: the walk then
// stops and the records stored before stay valid. currentPath and depth are
// restored whatever the result.
int32_t walkFolders(DialogHandle dialog, ListingJob& job, int& reason);

// The path of subfolder `name` of `parent` as the walk searches it. Returns 1,
// or 0 when it is too long to search: the walk then leaves the folder out.
int searchablePath(const Platform& platform, const char* parent, const char* name, char* path,
                   size_t capacity);

// Orders all folderCount records by full path, case-insensitively.
void sortFolders(ListingJob& job);

// The full path of a folder record into a buffer of `capacity` bytes.
// Returns 1, or 0 when it does not fit (the buffer is then empty).
int folderFullPath(const FolderEntry& folder, char* target, size_t capacity);
