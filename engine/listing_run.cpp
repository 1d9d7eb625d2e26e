#include "listing_run.h"

#include <string.h>

#include "file_scan.h"
#include "folder_walk.h"
#include "messages.h"
#include "report.h"
#include "text.h"

void selectedFolderEntry(const char* path, FolderEntry& folder) {
    const char* separator = strrchr(path, PATH_SEPARATOR);
    folder.depth = 0;
    folder.parent[0] = '\0';
    // No separator (a drive such as "C:"), or only the leading one of a root.
    if (!separator || (separator == path && path[1] == '\0')) {
        copyText(folder.name, sizeof folder.name, path);
        return;
    }
    // "/usr" is held as "/" and "usr", so that joining gives "/usr" again.
    size_t parentLength = separator == path ? 1 : static_cast<size_t>(separator - path);
    appendText(folder.parent, sizeof folder.parent, path, parentLength);
    copyText(folder.name, sizeof folder.name, separator + 1);
}

static void reportGathering(DialogHandle dialog, int32_t result, int reason) {
    if (result == RESULT_OUT_OF_MEMORY) platform.showMessage(dialog, OUT_OF_MEMORY, 0);
    if (result == RESULT_CANNOT_OPEN_FOLDER) platform.showMessage(dialog, INVALID_HANDLE, reason);
    if (result == RESULT_OUT_OF_MEMORY || result == RESULT_CANNOT_OPEN_FOLDER)
        platform.endDialog(dialog, 0);
}

static int32_t listTree(DialogHandle dialog, ListingJob& job) {
    selectedFolderEntry(job.currentPath, job.folders[0]);
    job.folderCount = 1;
    job.depth = 1;
    int reason = 0;
    int32_t walked = walkFolders(dialog, job, &reason);
    reportGathering(dialog, walked, reason);
    sortFolders(job);
    int32_t written = writeTreeReport(dialog, job);
    platform.expectSearches(nullptr, 0);
    return written;
}

static int32_t listFlat(DialogHandle dialog, ListingJob& job) {
    int reason = 0;
    int32_t scanned = scanFiles(dialog, job, &reason);
    reportGathering(dialog, scanned, reason);
    sortFiles(job);
    return writeFlatReport(dialog, job, scanned != RESULT_CANNOT_OPEN_FOLDER);
}

int32_t runListing(DialogHandle dialog, const char* path, ListingOptions options) {
    size_t length = strnlen(path, PATH_BUFFER);
    if (length == 0 || length > MAX_PATH_LENGTH) return RESULT_CANNOT_OPEN_FOLDER;
    ListingJob job;
    bool filesReserved = false;
    bool foldersReserved = false;
    if (createJob(job, path, options, filesReserved, foldersReserved) != RESULT_OK) {
        if (!filesReserved) platform.showMessage(dialog, OUT_OF_MEMORY_AT_START, 0);
        if (!foldersReserved) platform.showMessage(dialog, OUT_OF_MEMORY_AT_START, 0);
        platform.endDialog(dialog, 0);
        return RESULT_OUT_OF_MEMORY;
    }
    int32_t written = options & LIST_SUBFOLDERS ? listTree(dialog, job) : listFlat(dialog, job);
    releaseJob(job);
    return written;
}
