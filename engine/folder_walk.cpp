#include "folder_walk.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "text.h"

int folderFullPath(const FolderEntry& folder, char* target, size_t capacity) {
    return joinPath(target, capacity, folder.parent, folder.name);
}

// Records one subfolder and walks below it. `parent` is the stored copy of
// savedPath that its siblings share, made for the first of them. Returns -2
// when the walk must stop.
static int32_t recordAndDescend(DialogHandle dialog, ListingJob& job, const char* name,
                                const char* savedPath, const char*& parent) {
    char childPath[PATH_BUFFER];
    if (!joinPath(childPath, sizeof childPath, savedPath, name) ||
        strlen(childPath) > MAX_SEARCHABLE_PATH) {
        char leftOut[2 * PATH_BUFFER];
        joinPath(leftOut, sizeof leftOut, savedPath, name);
        platform.noteIncomplete(dialog, INCOMPLETE_PATH_TOO_LONG, leftOut, 0);
        return RESULT_OK;
    }
    if (reserveFolderRecord(job, job.folderCount) != RESULT_OK) return RESULT_OUT_OF_MEMORY;
    if (!parent) parent = storeText(job.folderTexts, savedPath, strlen(savedPath));
    const char* storedName = parent ? storeText(job.folderTexts, name, strlen(name)) : nullptr;
    if (!storedName) return RESULT_OUT_OF_MEMORY;
    FolderEntry& folder = job.folders[job.folderCount];
    folder.parent = parent;
    folder.name = storedName;
    folder.depth = job.depth;
    ++job.folderCount;

    ++job.depth;
    copyText(job.currentPath, sizeof job.currentPath, childPath);
    int32_t nested = walkFolders(dialog, job);
    copyText(job.currentPath, sizeof job.currentPath, savedPath);
    --job.depth;
    return nested == RESULT_OUT_OF_MEMORY ? RESULT_OUT_OF_MEMORY : RESULT_OK;
}

int32_t walkFolders(DialogHandle dialog, ListingJob& job, int* reason) {
    if (strlen(job.currentPath) > MAX_SEARCHABLE_PATH) {
        if (reason) *reason = ENAMETOOLONG;
        return RESULT_CANNOT_OPEN_FOLDER;
    }
    char savedPath[PATH_BUFFER];
    copyText(savedPath, sizeof savedPath, job.currentPath);
    DirEntry entry;
    DirSearch* search = platform.findFirst(savedPath, SEARCH_KINDS_ONLY, &entry);
    if (!search) {
        if (reason) *reason = errno;
        return RESULT_CANNOT_OPEN_FOLDER;
    }
    int32_t result = RESULT_OK;
    const char* parent = nullptr;
    do {
        if (isDotEntry(entry.name) || !(entry.attributes & FOLDER_ATTRIBUTE)) continue;
        result = recordAndDescend(dialog, job, entry.name, savedPath, parent);
    } while (result == RESULT_OK && platform.findNext(search, &entry));
    platform.findClose(search);
    return result;
}

// Case aside first; paths that agree but for case (two folders on a Linux
// disk) then go byte by byte, so that the order is total.
static int pathOrder(const char* a, const char* b) {
    int order = compareIgnoringCase(a, b);
    return order != 0 ? order : compareBytes(a, b);
}

int compareFolderPaths(const void* a, const void* b) {
    const FolderEntry& x = *static_cast<const FolderEntry*>(a);
    const FolderEntry& y = *static_cast<const FolderEntry*>(b);
    // Siblings share one copy of their parent's path: past it, their names decide.
    if (x.parent == y.parent) return pathOrder(x.name, y.name);
    char pathA[PATH_BUFFER];
    char pathB[PATH_BUFFER];
    folderFullPath(x, pathA, sizeof pathA);
    folderFullPath(y, pathB, sizeof pathB);
    return pathOrder(pathA, pathB);
}

void sortFolders(ListingJob& job) {
    if (job.folderCount < 2) return;
    qsort(job.folders, static_cast<size_t>(job.folderCount), sizeof(FolderEntry),
          compareFolderPaths);
}
