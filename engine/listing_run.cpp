#include "listing_run.h"

#include <string.h>

#include "file_scan.h"
#include "folder_walk.h"
#include "listing_summary.h"
#include "messages.h"
#include "report.h"

// The record of the selected folder itself, its texts stored in `texts`: split
// at its last separator, a root or drive having an empty parent and itself as name.
static int32_t selectedFolderEntry(TextArena& texts, const char* path, FolderEntry& folder) {
    const char* separator = strrchr(path, PATH_SEPARATOR);
    const char* name = path;
    size_t parentLength = 0;
    // No separator (a drive such as "C:"), or only the leading one of a root:
    // no parent. "/usr" is held as "/" and "usr", so that joining gives "/usr" again.
    if (separator && !(separator == path && path[1] == '\0')) {
        parentLength = separator == path ? 1 : static_cast<size_t>(separator - path);
        name = separator + 1;
    }
    const char* parent = storeText(texts, path, parentLength);
    folder = {parent ? storeText(texts, name, strlen(name)) : nullptr, parent, 0, 0,
              SELECTED_FOLDER_NODE};
    return folder.name ? RESULT_OK : RESULT_OUT_OF_MEMORY;
}

// Tells how gathering the selected folder failed. Returns whether the run stops there.
static bool reportGathering(DialogHandle dialog, ListingJob& job, int32_t result, int reason) {
    const Platform& platform = *job.platform;
    if (result == RESULT_CANNOT_OPEN_FOLDER) job.summary->selectedUnreadable = true;
    if (result == RESULT_OUT_OF_MEMORY) platform.showMessage(platform, dialog, OUT_OF_MEMORY, 0);
    if (result == RESULT_CANNOT_OPEN_FOLDER)
        platform.showMessage(platform, dialog, INVALID_HANDLE, reason);
    if (result == RESULT_OUT_OF_MEMORY || result == RESULT_CANNOT_OPEN_FOLDER)
        platform.endDialog(platform, dialog, 0);
    return result == RESULT_CANNOT_OPEN_FOLDER && (job.options & STOP_WHEN_UNREADABLE);
}

static int32_t listTree(DialogHandle dialog, ListingJob& job) {
    if (selectedFolderEntry(job.folderTexts, job.currentPath, job.folders[0]) != RESULT_OK) {
        reportGathering(dialog, job, RESULT_OUT_OF_MEMORY, 0);
        return RESULT_OUT_OF_MEMORY;
    }
    job.folderCount = 1;
    job.depth = 1;
    int reason = 0;
    int32_t walked = walkFolders(dialog, job, reason);
    if (walked == RESULT_CANNOT_OPEN_FOLDER) job.folders[0].readError = reason;
    if (reportGathering(dialog, job, walked, reason)) return RESULT_CANNOT_OPEN_FOLDER;
    sortFolders(job);
    int32_t written = writeTreeReport(dialog, job);
    job.platform->expectSearches(*job.platform, job.listing, nullptr, 0);
    return written;
}

static int32_t listFlat(DialogHandle dialog, ListingJob& job) {
    int reason = 0;
    int32_t scanned = scanFiles(dialog, job, reason);
    if (reportGathering(dialog, job, scanned, reason)) return RESULT_CANNOT_OPEN_FOLDER;
    sortFiles(job);
    return writeFlatReport(dialog, job, scanned != RESULT_CANNOT_OPEN_FOLDER);
}

int32_t runListing(DialogHandle dialog, const Platform& platform, const char* path,
                   ListingOptions options, ListingSummary& summary) {
    summary = ListingSummary();
    // The limits count what the report shows, not the bytes of the real path.
    char shown[SHOWN_PATH_BUFFER + 1];
    if (!platform.showName(platform, path, shown, sizeof shown)) return RESULT_CANNOT_OPEN_FOLDER;
    size_t length = platform.textLength(platform, shown);
    if (length == 0 || length > MAX_PATH_LENGTH) return RESULT_CANNOT_OPEN_FOLDER;
    ListingJob job;
    bool jobMade = createJob(job, platform, shown, options) == RESULT_OK;
    if (!jobMade || !platform.beginListing(platform, path, options, &job.listing)) {
        // One message for each reservation that failed.
        if (!job.files) platform.showMessage(platform, dialog, OUT_OF_MEMORY_AT_START, 0);
        if (!job.folders) platform.showMessage(platform, dialog, OUT_OF_MEMORY_AT_START, 0);
        if (jobMade) platform.showMessage(platform, dialog, OUT_OF_MEMORY_AT_START, 0);
        platform.endDialog(platform, dialog, 0);
        releaseJob(job);
        return RESULT_OUT_OF_MEMORY;
    }
    job.summary = &summary;
    job.currentNode = SELECTED_FOLDER_NODE;
    int32_t written = options & LIST_SUBFOLDERS ? listTree(dialog, job) : listFlat(dialog, job);
    summary.reportWritten = written == 0;
    summary.foldersListed = options & LIST_SUBFOLDERS ? job.folderCount : 1;
    platform.endListing(platform, job.listing);
    releaseJob(job);
    return written;
}
