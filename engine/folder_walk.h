// Finding every folder below the selected one, and ordering them by path.
#pragma once

#include "listing_job.h"
#include "platform.h"

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

// Orders all folderCount records by full path, case-insensitively.
void sortFolders(ListingJob& job);

// The full path of a folder record into a buffer of `capacity` bytes.
// Returns 1, or 0 when it does not fit (the buffer is then empty).
int folderFullPath(const FolderEntry& folder, char* target, size_t capacity);
