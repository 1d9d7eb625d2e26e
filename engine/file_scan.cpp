#include "file_scan.h"

#include <stdlib.h>
#include <string.h>

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

int32_t scanFiles(DialogHandle, ListingJob& job) {
    if (strlen(job.currentPath) > MAX_SEARCHABLE_PATH) return RESULT_CANNOT_OPEN_FOLDER;
    DirEntry entry;
    DirSearch* search = platform.findFirst(job.currentPath, SEARCH_FULL, &entry);
    if (!search) return RESULT_CANNOT_OPEN_FOLDER;
    int32_t result = RESULT_OK;
    do {
        if (isDotEntry(entry.name) || (entry.attributes & FOLDER_ATTRIBUTE)) continue;
        if (reserveFileRecord(job, job.fileCount) != RESULT_OK) {
            result = RESULT_OUT_OF_MEMORY;
            break;
        }
        FileEntry& file = job.files[job.fileCount];
        splitFileName(entry.name, file.name, sizeof file.name, file.type, sizeof file.type);
        copyText(file.folder, sizeof file.folder, job.currentPath);
        file.sizeHigh = entry.sizeHigh;
        file.sizeLow = entry.sizeLow;
        file.attributes = entry.attributes;
        file.lastAccess = entry.lastAccess;
        file.lastWrite = entry.lastWrite;
        file.depth = job.depth;
        int32_t nameLength = static_cast<int32_t>(strlen(file.name));
        if (nameLength > job.widestName) job.widestName = nameLength;
        ++job.fileCount;
    } while (platform.findNext(search, &entry));
    platform.findClose(search);
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

void sortFiles(ListingJob& job) {
    int (*compare)(const void*, const void*) = nullptr;
    if (job.options & SORT_BY_LENGTH)
        compare = compareByLength;
    else if (job.options & SORT_BY_TYPE)
        compare = compareByType;
    else if (job.options & SORT_BY_NAME)
        compare = compareByName;
    if (!compare || job.fileCount < 2) return;
    qsort(job.files, static_cast<size_t>(job.fileCount), sizeof(FileEntry), compare);
}
