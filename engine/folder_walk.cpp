#include "folder_walk.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "folder_search.h"
#include "listing_summary.h"
#include "text.h"

int folderFullPath(const FolderEntry& folder, char* target, size_t capacity) {
    return joinPath(target, capacity, folder.parent, folder.name);
}

// Records one subfolder and walks below it. `parent` is the stored copy of
// savedPath that its siblings share, made for the first of them. Returns -2
// when the walk must stop.
static int32_t recordAndDescend(DialogHandle dialog, ListingJob& job, const DirEntry& entry,
                                const char* savedPath, uint32_t savedNode, const char*& parent) {
    const char* name = entry.name;
    // Room for a path too long to search, which is only named: a path that
    // fills a shown path's buffer is already far over 255 characters.
    char childPath[2 * SHOWN_PATH_BUFFER];
    SearchFolder where = {job.listing, entry.node, childPath};
    if (!searchablePath(*job.platform, savedPath, name, childPath, sizeof childPath)) {
        noteIncomplete(job, dialog, INCOMPLETE_PATH_TOO_LONG, childPath, where, nullptr, 0);
        return RESULT_OK;
    }
    // A mount point the user asked to stay off (-x) is told, and no failure.
    if (entry.detailsError == EXDEV) {
        noteIncomplete(job, dialog, INCOMPLETE_OTHER_FILE_SYSTEM, childPath, where, nullptr, 0);
        return RESULT_OK;
    }
    if (reserveFolderRecord(job, job.folderCount) != RESULT_OK) return RESULT_OUT_OF_MEMORY;
    if (!parent) parent = storeText(job.folderTexts, savedPath, strlen(savedPath));
    const char* storedName = parent ? storeText(job.folderTexts, name, strlen(name)) : nullptr;
    if (!storedName) return RESULT_OUT_OF_MEMORY;
    int32_t index = job.folderCount++;
    job.folders[index] = {storedName, parent, job.depth, entry.detailsError, entry.node};
    // A folder the search knows cannot be searched is listed as such.
    if (entry.detailsError) return RESULT_OK;
    int reason = 0;
    ++job.depth;
    copyText(job.currentPath, sizeof job.currentPath, childPath);
    job.currentNode = entry.node;
    int32_t nested = walkFolders(dialog, job, reason);
    copyText(job.currentPath, sizeof job.currentPath, savedPath);
    job.currentNode = savedNode;
    --job.depth;
    // The array may have moved during the nested walk.
    if (nested == RESULT_CANNOT_OPEN_FOLDER) job.folders[index].readError = reason;
    return nested == RESULT_OUT_OF_MEMORY ? RESULT_OUT_OF_MEMORY : RESULT_OK;
}

int32_t walkFolders(DialogHandle dialog, ListingJob& job, int& reason) {
    char savedPath[SHOWN_PATH_BUFFER];
    copyText(savedPath, sizeof savedPath, job.currentPath);
    uint32_t savedNode = job.currentNode;
    SearchFolder folder = {job.listing, savedNode, savedPath};
    const char* parent = nullptr;
    // A folder cut short is not whole: the subfolders found stay, and the
    // report tells the folder as one it could not read.
    return searchFolder(
        job, folder, SEARCH_KINDS_ONLY, reason, EIO, [&](const DirEntry& entry) -> int32_t {
            if (!(entry.attributes & FOLDER_ATTRIBUTE)) return RESULT_OK;
            return recordAndDescend(dialog, job, entry, savedPath, savedNode, parent);
        });
}

// Case aside first; paths that agree but for case (two folders on a Linux
// disk) then go byte by byte, so that the order is total.
static int pathOrder(const char* a, const char* b) {
    int order = compareIgnoringCase(a, b);
    return order != 0 ? order : strcmp(a, b);
}

static int compareFolderPaths(const void* a, const void* b) {
    const FolderEntry& x = *static_cast<const FolderEntry*>(a);
    const FolderEntry& y = *static_cast<const FolderEntry*>(b);
    // Siblings share one copy of their parent's path: past it, their names decide.
    if (x.parent == y.parent) return pathOrder(x.name, y.name);
    char pathA[SHOWN_PATH_BUFFER];
    char pathB[SHOWN_PATH_BUFFER];
    folderFullPath(x, pathA, sizeof pathA);
    folderFullPath(y, pathB, sizeof pathB);
    return pathOrder(pathA, pathB);
}

void sortFolders(ListingJob& job) {
    qsort(job.folders, static_cast<size_t>(job.folderCount), sizeof(FolderEntry),
          compareFolderPaths);
}
