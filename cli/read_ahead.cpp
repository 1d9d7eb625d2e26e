#include "read_ahead.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "folder_walk.h"
#include "platform.h"

namespace {

// Folders read ahead of the one the report asks for; each has an equal share
// of the buffer bytes.
enum { WINDOW = 16, SLOT_BYTES = READ_AHEAD_BYTES / WINDOW };

// How one entry is kept: these fields, then the name and its terminator.
struct StoredEntry {
    uint32_t attributes;
    uint32_t sizeHigh;
    uint32_t sizeLow;
    FileTime lastAccess;
    FileTime lastWrite;
    int32_t detailsError;
    uint32_t nameLength;
};

enum SlotState {
    SLOT_READING,
    SLOT_READY,
    SLOT_UNSEARCHABLE, // the search gave nothing, as it will for the report
    SLOT_LEFT,         // too large or no memory: the report's thread searches it
};

struct Slot {
    int32_t index; // the folder it holds, or -1
    SlotState state;
    char* bytes;
    size_t used;
    int error; // unsearchable: the system's reason, handed on in errno
};

// The entries of one folder being handed to the report, one at a time.
struct Replay {
    char* bytes;
    size_t used;
    size_t offset;
};

Platform below;
int readers;
std::mutex lock;
std::condition_variable changed;
std::vector<std::thread> threads;
const FolderEntry* planned;
int32_t plannedCount;
int32_t nextWanted; // the folder the report asks for next
int32_t nextToRead; // the first folder no thread has taken
bool stopping;
Slot slots[WINDOW];
Replay replay;

DirSearch* replayHandle() {
    return reinterpret_cast<DirSearch*>(&replay);
}

bool store(Slot& slot, size_t& capacity, const DirEntry& entry) {
    size_t nameLength = strnlen(entry.name, sizeof entry.name - 1);
    size_t needed = slot.used + sizeof(StoredEntry) + nameLength + 1;
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
    StoredEntry stored = {entry.attributes, entry.sizeHigh,   entry.sizeLow,
                          entry.lastAccess, entry.lastWrite,  entry.detailsError,
                          static_cast<uint32_t>(nameLength)};
    memcpy(slot.bytes + slot.used, &stored, sizeof stored);
    memcpy(slot.bytes + slot.used + sizeof stored, entry.name, nameLength);
    slot.bytes[needed - 1] = '\0';
    slot.used = needed;
    return true;
}

// Searches folder `index` on a reader's thread, without the lock.
Slot readFolder(int32_t index) {
    Slot slot = {index, SLOT_UNSEARCHABLE, nullptr, 0, ENAMETOOLONG};
    char path[PATH_BUFFER];
    if (!folderFullPath(planned[index], path, sizeof path)) return slot;
    DirEntry entry;
    DirSearch* search = below.findFirst(path, SEARCH_FULL, &entry);
    if (!search) {
        slot.error = errno;
        return slot;
    }
    slot.state = SLOT_READY;
    size_t capacity = 0;
    do {
        if (!store(slot, capacity, entry)) {
            free(slot.bytes);
            slot = {index, SLOT_LEFT, nullptr, 0, 0};
            break;
        }
    } while (below.findNext(search, &entry));
    below.findClose(search);
    return slot;
}

bool mayReadOn() {
    return nextToRead < plannedCount && nextToRead < nextWanted + WINDOW;
}

// Takes the next folder no thread has taken and reads it into its slot; the
// lock is let go meanwhile.
void readNext(std::unique_lock<std::mutex>& held) {
    int32_t index = nextToRead++;
    // The folder WINDOW places back has been taken by the report: the slot is free.
    Slot& slot = slots[index % WINDOW];
    slot = {index, SLOT_READING, nullptr, 0, 0};
    held.unlock();
    Slot read = readFolder(index);
    held.lock();
    slot = read;
    changed.notify_all();
}

void readAhead() {
    std::unique_lock<std::mutex> held(lock);
    for (;;) {
        changed.wait(held, [] { return stopping || mayReadOn(); });
        if (stopping) return;
        readNext(held);
    }
}

int nextStored(DirEntry* entry) {
    if (replay.offset >= replay.used) return 0;
    StoredEntry stored;
    memcpy(&stored, replay.bytes + replay.offset, sizeof stored);
    entry->attributes = stored.attributes;
    entry->sizeHigh = stored.sizeHigh;
    entry->sizeLow = stored.sizeLow;
    entry->lastAccess = stored.lastAccess;
    entry->lastWrite = stored.lastWrite;
    entry->detailsError = stored.detailsError;
    memcpy(entry->name, replay.bytes + replay.offset + sizeof stored, stored.nameLength + 1);
    replay.offset += sizeof stored + stored.nameLength + 1;
    return 1;
}

// Hands over folder `slot` to the report, as the search of it would have.
DirSearch* answer(const Slot& slot, const char* folder, DirEntry* entry) {
    if (slot.state == SLOT_UNSEARCHABLE) {
        errno = slot.error;
        return nullptr;
    }
    if (slot.state == SLOT_LEFT) return below.findFirst(folder, SEARCH_FULL, entry);
    replay = {slot.bytes, slot.used, 0};
    nextStored(entry);
    return replayHandle();
}

DirSearch* aheadFindFirst(const char* folder, SearchDetail detail, DirEntry* entry) {
    if (detail != SEARCH_FULL || !planned) return below.findFirst(folder, detail, entry);
    std::unique_lock<std::mutex> held(lock);
    // The report asks in the planned order; a folder it passes over is dropped.
    while (nextWanted < plannedCount) {
        int32_t index = nextWanted;
        char path[PATH_BUFFER];
        bool wanted =
            folderFullPath(planned[index], path, sizeof path) && strcmp(path, folder) == 0;
        if (index == nextToRead) {
            // No reader has come to it yet: searching it here is quicker than waiting.
            ++nextToRead;
            ++nextWanted;
            changed.notify_all();
            if (!wanted) continue;
            held.unlock();
            return below.findFirst(folder, detail, entry);
        }
        Slot& slot = slots[index % WINDOW];
        // Waiting for a reader, the report's thread reads ahead too.
        while (slot.index != index || slot.state == SLOT_READING) {
            if (mayReadOn())
                readNext(held);
            else
                changed.wait(held);
        }
        Slot taken = slot;
        slot = {-1, SLOT_LEFT, nullptr, 0, 0};
        // Only now may a reader take the slot for the folder WINDOW places on.
        ++nextWanted;
        changed.notify_all();
        if (!wanted) {
            free(taken.bytes);
            continue;
        }
        held.unlock();
        return answer(taken, folder, entry);
    }
    held.unlock();
    return below.findFirst(folder, detail, entry);
}

int aheadFindNext(DirSearch* search, DirEntry* entry) {
    if (search == replayHandle()) return nextStored(entry);
    return below.findNext(search, entry);
}

void aheadFindClose(DirSearch* search) {
    if (search != replayHandle()) {
        below.findClose(search);
        return;
    }
    free(replay.bytes);
    replay = {nullptr, 0, 0};
}

void stopReaders() {
    {
        std::lock_guard<std::mutex> held(lock);
        stopping = true;
    }
    changed.notify_all();
    for (std::thread& thread : threads)
        thread.join();
    threads.clear();
    for (Slot& slot : slots) {
        free(slot.bytes);
        slot = {-1, SLOT_LEFT, nullptr, 0, 0};
    }
    planned = nullptr;
    plannedCount = 0;
}

void aheadExpectSearches(const FolderEntry* folders, int32_t count) {
    stopReaders();
    if (count > 0) {
        planned = folders;
        plannedCount = count;
        nextWanted = 0;
        nextToRead = 0;
        stopping = false;
        // Fewer readers than asked for, if the system has no more threads to give.
        try {
            for (int i = 0; i < readers; ++i)
                threads.emplace_back(readAhead);
        } catch (const std::exception&) {
        }
    }
    below.expectSearches(folders, count);
}

} // namespace

void installReadAhead(int threadCount) {
    if (threadCount <= 1) return;
    readers = threadCount - 1;
    for (Slot& slot : slots)
        slot = {-1, SLOT_LEFT, nullptr, 0, 0};
    below = platform;
    platform.findFirst = aheadFindFirst;
    platform.findNext = aheadFindNext;
    platform.findClose = aheadFindClose;
    platform.expectSearches = aheadExpectSearches;
}
