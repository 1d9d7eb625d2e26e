#include "listing_job.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "platform.h"
#include "text.h"

struct TextBlock {
    TextBlock* next;
    size_t capacity; // bytes of text after this header
};

enum : size_t { FIRST_BLOCK = 4096, LARGEST_BLOCK = 1 << 20 };

char* storeText(TextArena& arena, const char* text, size_t length) {
    size_t needed = length + 1;
    // A block rewound over is filled again before a new one is taken.
    while (!arena.current || arena.used + needed > arena.current->capacity) {
        TextBlock* next = arena.current ? arena.current->next : arena.first;
        if (!next) {
            size_t capacity = arena.current ? arena.current->capacity * 2 : FIRST_BLOCK;
            if (capacity > LARGEST_BLOCK) capacity = LARGEST_BLOCK;
            if (capacity < needed) capacity = needed;
            next = static_cast<TextBlock*>(malloc(sizeof(TextBlock) + capacity));
            if (!next) return nullptr;
            *next = {nullptr, capacity};
            (arena.current ? arena.current->next : arena.first) = next;
        }
        arena.current = next;
        arena.used = 0;
    }
    char* copy = reinterpret_cast<char*>(arena.current + 1) + arena.used;
    memcpy(copy, text, length);
    copy[length] = '\0';
    arena.used += needed;
    return copy;
}

void rewindArena(TextArena& arena) {
    arena.current = nullptr;
    arena.used = 0;
}

static void releaseArena(TextArena& arena) {
    while (arena.first) {
        TextBlock* next = arena.first->next;
        free(arena.first);
        arena.first = next;
    }
    rewindArena(arena);
}

int32_t createJob(ListingJob& job, const Platform& platform, const char* path,
                  ListingOptions options) {
    job = ListingJob();
    copyText(job.currentPath, sizeof job.currentPath, path);
    job.options = options;
    job.platform = &platform;
    job.files = static_cast<FileEntry*>(malloc(GROWTH_STEP * sizeof(FileEntry)));
    job.folders = static_cast<FolderEntry*>(malloc(GROWTH_STEP * sizeof(FolderEntry)));
    if (!job.files || !job.folders) return RESULT_OUT_OF_MEMORY;
    job.fileCapacity = GROWTH_STEP;
    job.folderCapacity = GROWTH_STEP;
    return RESULT_OK;
}

void releaseJob(ListingJob& job) {
    releaseArena(job.fileTexts);
    releaseArena(job.folderTexts);
    free(job.files);
    free(job.folders);
}

// Both arrays grow the same way; only the record type differs. Doubling keeps
// the copies made over a run below the size of the final array.
template <typename Record>
static int32_t reserveRecord(Record*& records, int32_t& capacity, int32_t index) {
    if (index < capacity) return RESULT_OK;
    if (capacity > INT32_MAX / 2 || static_cast<size_t>(capacity) > SIZE_MAX / 2 / sizeof(Record))
        return RESULT_OUT_OF_MEMORY;
    size_t grown = static_cast<size_t>(capacity) * 2;
    void* block = realloc(records, grown * sizeof(Record));
    if (!block) return RESULT_OUT_OF_MEMORY;
    records = static_cast<Record*>(block);
    capacity = static_cast<int32_t>(grown);
    return RESULT_OK;
}

int32_t reserveFileRecord(ListingJob& job, int32_t index) {
    return reserveRecord(job.files, job.fileCapacity, index);
}

int32_t reserveFolderRecord(ListingJob& job, int32_t index) {
    return reserveRecord(job.folders, job.folderCapacity, index);
}
