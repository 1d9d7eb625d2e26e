#include "read_ahead.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <exception>

#include "folder_walk.h"

namespace {

enum { SLOT_BYTES = READ_AHEAD_BYTES / READ_AHEAD_WINDOW };

// How one entry is kept: these fields, then the name and the real name, each
// with its terminator.
struct StoredEntry {
    EntryDetails details;
    uint32_t nameLength;
    uint32_t realNameLength;
};

enum SlotState {
    SLOT_READING,
    SLOT_READY, // entries, then the end or the error in `error`; none: the search failed
    SLOT_LEFT,  // too large or no memory: the report's thread searches it
};

// A search through this layer: the one below, or a folder's stored entries.
struct AheadSearch {
    DirSearch* inner;
    char* bytes;
    size_t used;
    size_t offset;
    int error; // after the stored entries: 0 for the end, else the reason
};

bool store(ReadAheadSlot& slot, size_t& capacity, const DirEntry& entry) {
    size_t nameLength = strnlen(entry.name, sizeof entry.name - 1);
    size_t realNameLength = strnlen(entry.realName, sizeof entry.realName - 1);
    size_t needed = slot.used + sizeof(StoredEntry) + nameLength + realNameLength + 2;
    if (needed > SLOT_BYTES) return false;
    if (needed > capacity) {
        size_t grown = capacity ? capacity * 2 : 4096;
        while (grown < needed)
            grown *= 2;
        if (grown > SLOT_BYTES) grown = SLOT_BYTES;
        char* bytes = static_cast<char*>(realloc(slot.bytes, grown));
        if (!bytes) return false;
        slot.bytes = bytes;
        capacity = grown;
    }
    StoredEntry stored = {entry, static_cast<uint32_t>(nameLength),
                          static_cast<uint32_t>(realNameLength)};
    char* at = slot.bytes + slot.used;
    memcpy(at, &stored, sizeof stored);
    at += sizeof stored;
    memcpy(at, entry.name, nameLength);
    at[nameLength] = '\0';
    memcpy(at + nameLength + 1, entry.realName, realNameLength);
    at[nameLength + 1 + realNameLength] = '\0';
    slot.used = needed;
    return true;
}

// Searches folder `index` on a reader's thread, without the lock.
ReadAheadSlot readFolder(const ReadAhead& ahead, int32_t index) {
    ReadAheadSlot slot = {index, SLOT_READY, nullptr, 0, ENAMETOOLONG};
    char path[SHOWN_PATH_BUFFER];
    if (!folderFullPath(ahead.planned[index], path, sizeof path)) return slot;
    DirEntry entry;
    SearchFolder folder = {ahead.listing, ahead.planned[index].node, path};
    DirSearch* search = findFirst(*ahead.below, folder, SEARCH_FULL, &entry);
    if (!search) {
        slot.error = errno;
        return slot;
    }
    slot.error = 0;
    size_t capacity = 0;
    int step = SEARCH_ENTRY;
    while (step == SEARCH_ENTRY) {
        if (!store(slot, capacity, entry)) {
            free(slot.bytes);
            slot = {index, SLOT_LEFT, nullptr, 0, 0};
            break;
        }
        step = findNext(*ahead.below, search, &entry);
        if (step == SEARCH_ERROR) slot.error = errno ? errno : EIO;
    }
    findClose(*ahead.below, search);
    return slot;
}

bool mayReadOn(const ReadAhead& ahead) {
    return ahead.nextToRead < ahead.plannedCount &&
           ahead.nextToRead < ahead.nextWanted + READ_AHEAD_WINDOW;
}

void readAhead(ReadAhead* ahead) {
    std::unique_lock<std::mutex> held(ahead->lock);
    for (;;) {
        ahead->submitted.wait(held, [ahead] { return ahead->stopping || mayReadOn(*ahead); });
        if (ahead->stopping) return;
        int32_t index = ahead->nextToRead++;
        // The folder a window back has been taken by the report: the slot is free.
        ReadAheadSlot& slot = ahead->slots[index % READ_AHEAD_WINDOW];
        slot = {index, SLOT_READING, nullptr, 0, 0};
        held.unlock();
        ReadAheadSlot read = readFolder(*ahead, index);
        held.lock();
        slot = read;
        if (index == ahead->nextWanted) ahead->done.notify_one();
    }
}

int nextStored(AheadSearch* search, DirEntry* entry) {
    if (search->offset >= search->used) {
        errno = search->error;
        return search->error ? SEARCH_ERROR : SEARCH_END;
    }
    StoredEntry stored;
    const char* at = search->bytes + search->offset;
    memcpy(&stored, at, sizeof stored);
    static_cast<EntryDetails&>(*entry) = stored.details;
    memcpy(entry->name, at + sizeof stored, stored.nameLength + 1);
    memcpy(entry->realName, at + sizeof stored + stored.nameLength + 1, stored.realNameLength + 1);
    entry->node = 0;
    search->offset += sizeof stored + stored.nameLength + stored.realNameLength + 2;
    return SEARCH_ENTRY;
}

// The search of the layer below, as a search of this one.
DirSearch* searchBelow(const Platform& self, const SearchFolder& folder, SearchDetail detail,
                       DirEntry* entry) {
    AheadSearch* search = static_cast<AheadSearch*>(calloc(1, sizeof(AheadSearch)));
    if (!search) {
        errno = ENOMEM;
        return nullptr;
    }
    search->inner = findFirst(*self.below, folder, detail, entry);
    if (search->inner) return reinterpret_cast<DirSearch*>(search);
    free(search);
    return nullptr;
}

// Hands over a slot to the report, as the search of its folder would have.
DirSearch* answer(const Platform& self, const ReadAheadSlot& slot, const SearchFolder& folder,
                  DirEntry* entry) {
    if (slot.state == SLOT_LEFT) return searchBelow(self, folder, SEARCH_FULL, entry);
    // No entry: the search failed at its start, as it will for the report.
    if (slot.used == 0) {
        errno = slot.error;
        return nullptr;
    }
    AheadSearch* search = static_cast<AheadSearch*>(malloc(sizeof(AheadSearch)));
    if (!search) {
        free(slot.bytes);
        return searchBelow(self, folder, SEARCH_FULL, entry);
    }
    *search = {nullptr, slot.bytes, slot.used, 0, slot.error};
    nextStored(search, entry);
    return reinterpret_cast<DirSearch*>(search);
}

DirSearch* aheadFindFirst(const Platform& self, const SearchFolder& folder, SearchDetail detail,
                          DirEntry* entry) {
    ReadAhead& ahead = *static_cast<ReadAhead*>(self.context);
    if (detail != SEARCH_FULL || !ahead.planned) return searchBelow(self, folder, detail, entry);
    std::unique_lock<std::mutex> held(ahead.lock);
    // The report asks in the planned order; a folder it passes over is dropped.
    while (ahead.nextWanted < ahead.plannedCount) {
        int32_t index = ahead.nextWanted;
        char path[SHOWN_PATH_BUFFER];
        bool wanted =
            folderFullPath(ahead.planned[index], path, sizeof path) && strcmp(path, folder.path) == 0;
        ReadAheadSlot taken = {-1, SLOT_LEFT, nullptr, 0, 0};
        if (index == ahead.nextToRead) {
            // No reader has come to it yet: searching it here is quicker than waiting.
            ++ahead.nextToRead;
        } else {
            // The layers below hear that the report has come to this folder.
            held.unlock();
            self.below->expectSearches(*self.below, ahead.listing, ahead.planned + index,
                                       ahead.plannedCount - index);
            held.lock();
            ReadAheadSlot& slot = ahead.slots[index % READ_AHEAD_WINDOW];
            ahead.done.wait(held, [&] { return slot.index == index && slot.state != SLOT_READING; });
            taken = slot;
            slot = ReadAheadSlot();
        }
        // Only now may a reader take the folder a window on.
        ++ahead.nextWanted;
        ahead.submitted.notify_one();
        if (!wanted) {
            free(taken.bytes);
            continue;
        }
        held.unlock();
        return answer(self, taken, folder, entry);
    }
    held.unlock();
    return searchBelow(self, folder, detail, entry);
}

int aheadFindNext(const Platform& self, DirSearch* handle, DirEntry* entry) {
    AheadSearch* search = reinterpret_cast<AheadSearch*>(handle);
    if (search->inner) return findNext(*self.below, search->inner, entry);
    return nextStored(search, entry);
}

void aheadFindClose(const Platform& self, DirSearch* handle) {
    AheadSearch* search = reinterpret_cast<AheadSearch*>(handle);
    if (search->inner) findClose(*self.below, search->inner);
    free(search->bytes);
    free(search);
}

void stopReaders(ReadAhead& ahead) {
    {
        std::lock_guard<std::mutex> held(ahead.lock);
        ahead.stopping = true;
    }
    ahead.submitted.notify_all();
    for (std::thread& thread : ahead.threads)
        thread.join();
    ahead.threads.clear();
    for (ReadAheadSlot& slot : ahead.slots) {
        free(slot.bytes);
        slot = ReadAheadSlot();
    }
    ahead.planned = nullptr;
    ahead.plannedCount = 0;
}

void aheadExpectSearches(const Platform& self, ListingState* listing, const FolderEntry* folders,
                         int32_t count) {
    ReadAhead& ahead = *static_cast<ReadAhead*>(self.context);
    stopReaders(ahead);
    if (count > 0) {
        ahead.listing = listing;
        ahead.planned = folders;
        ahead.plannedCount = count;
        ahead.nextWanted = 0;
        ahead.nextToRead = 0;
        ahead.stopping = false;
        // Fewer readers than asked for, if the system has no more threads to give.
        try {
            for (int i = 0; i < ahead.readers; ++i)
                ahead.threads.emplace_back(readAhead, &ahead);
        } catch (const std::exception&) {
        }
    }
    self.below->expectSearches(*self.below, listing, folders, count);
}

} // namespace

ReadAhead::~ReadAhead() {
    stopReaders(*this);
}

Platform readAheadLayer(const Platform& below, ReadAhead& ahead) {
    Platform layer = layerOver(below, &ahead);
    if (ahead.readers < 1) return layer;
    ahead.below = &below;
    layer.findFirst = aheadFindFirst;
    layer.findNext = aheadFindNext;
    layer.findClose = aheadFindClose;
    layer.expectSearches = aheadExpectSearches;
    return layer;
}
