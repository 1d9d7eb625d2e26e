#include "read_ahead.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <chrono>
#include <exception>

#include "folder_search.h"
#include "folder_walk.h"
#include "text.h"
#include "thread_waits.h"

namespace {

enum {
    SLOT_BYTES = READ_AHEAD_BYTES / READ_AHEAD_WINDOW,
    WALK_KNOWN = 4096, // the walk's next folders kept in view
    WALK_SLOTS = 256,  // and the most read ahead of it
    LATE_IN_ROW = 3,   // the walk's folders that came late, one after another
};

// How one entry is kept: these fields, then the name and the real name, each
// with its terminator.
struct StoredEntry {
    EntryDetails details;
    uint32_t node;
    uint32_t nameLength;
    uint32_t realNameLength;
};
enum { LARGEST_STORED = sizeof(StoredEntry) + 2 * PATH_BUFFER };

// A search through this layer: a read handed over, and how far its entries are taken.
struct AheadSearch {
    FolderRead read;
    size_t offset;
};

size_t storedSize(const StoredEntry& stored) {
    return sizeof stored + stored.nameLength + stored.realNameLength + 2;
}

// Room for one more entry of any length within a slot's share: an entry is
// taken from the search only once it can be kept.
bool makeRoom(FolderRead& read, size_t& capacity) {
    size_t needed = read.used + LARGEST_STORED;
    if (needed <= capacity) return true;
    if (needed > SLOT_BYTES) return false;
    size_t grown = std::min<size_t>(std::max(2 * capacity, needed), SLOT_BYTES);
    char* bytes = static_cast<char*>(realloc(read.bytes, grown));
    if (!bytes) return false;
    read.bytes = bytes;
    capacity = grown;
    return true;
}

void store(FolderRead& read, const DirEntry& entry) {
    StoredEntry stored = {
        entry, entry.node, static_cast<uint32_t>(strnlen(entry.name, sizeof entry.name - 1)),
        static_cast<uint32_t>(strnlen(entry.realName, sizeof entry.realName - 1))};
    char* at = read.bytes + read.used;
    memcpy(at, &stored, sizeof stored);
    memcpy(at + sizeof stored, entry.name, stored.nameLength + 1);
    memcpy(at + sizeof stored + stored.nameLength + 1, entry.realName, stored.realNameLength + 1);
    read.used += storedSize(stored);
}

// Searches `folder` on the calling thread, without the lock, as far as a
// slot's share goes; past it the search is left open in the read.
FolderRead readFolder(const Platform& below, const SearchFolder& folder, SearchDetail detail) {
    FolderRead read = {true};
    size_t capacity = 0;
    if (!makeRoom(read, capacity)) {
        read.error = ENOMEM;
        return read;
    }
    DirEntry entry;
    DirSearch* search = findFirst(below, folder, detail, &entry);
    if (!search) {
        read.error = errno;
        return read;
    }
    int step = SEARCH_ENTRY;
    while (step == SEARCH_ENTRY) {
        store(read, entry);
        if (!makeRoom(read, capacity)) {
            read.rest = search;
            return read;
        }
        step = findNext(below, search, &entry);
    }
    if (step == SEARCH_ERROR) read.error = errno ? errno : EIO;
    findClose(below, search);
    return read;
}

void discard(const Platform* below, FolderRead& read) {
    if (read.rest) findClose(*below, read.rest);
    free(read.bytes);
    read = FolderRead();
}

// The key of the subfolder of rank `rank` of the folder keyed `parent`.
std::string keyBelow(const std::string& parent, uint32_t rank) {
    char bytes[4] = {static_cast<char>(rank >> 24), static_cast<char>(rank >> 16),
                     static_cast<char>(rank >> 8), static_cast<char>(rank)};
    return parent + std::string(bytes, sizeof bytes);
}

// The folders the walk will search below `parent`, as `read` holds them, keyed
// below `key`; none without the memory to list them (the walk then searches
// them itself).
std::map<std::string, WalkAhead> subfoldersOf(const Platform& below, const char* parent,
                                              const std::string& key, const FolderRead& read) try {
    std::map<std::string, WalkAhead> found;
    uint32_t rank = 0;
    for (size_t offset = 0; offset < read.used && found.size() < WALK_KNOWN;) {
        StoredEntry stored;
        memcpy(&stored, read.bytes + offset, sizeof stored);
        const char* name = read.bytes + offset + sizeof stored;
        char path[SHOWN_PATH_BUFFER];
        if ((stored.details.attributes & FOLDER_ATTRIBUTE) && !isDotEntry(name) &&
            stored.details.detailsError == 0 &&
            searchablePath(below, parent, name, path, sizeof path))
            found.emplace(keyBelow(key, rank++), WalkAhead{stored.node, path});
        offset += storedSize(stored);
    }
    return found;
} catch (const std::exception&) {
    return std::map<std::string, WalkAhead>();
}

// Offers the readers the subfolders of a folder read for the walk, under the
// lock; past the most kept in view, those the walk comes to last are left to it.
void offer(ReadAhead& ahead, std::map<std::string, WalkAhead>& next) {
    size_t offered = next.size();
    ahead.walkNext.merge(next);
    while (ahead.walkNext.size() > WALK_KNOWN)
        ahead.walkNext.erase(std::prev(ahead.walkNext.end()));
    for (size_t i = 0; i < offered; ++i)
        ahead.submitted.notify_one();
}

WalkedSlot* walkedSlot(ReadAhead& ahead, const SearchFolder& folder) {
    for (WalkedSlot& slot : ahead.walked)
        if (slot.node == folder.node && slot.path == folder.path) return &slot;
    return nullptr;
}

// How long a read kept its thread waiting for the system. The system is asked
// for the thread's waits only after a read that took a millisecond or more
// (`slow`, kept by the thread): the call costs as much as a cached folder.
struct ReadTiming {
    explicit ReadTiming(bool& slow)
        : slow(slow), before(slow ? threadWaits() : ThreadWaits()),
          start(std::chrono::steady_clock::now()) {}

    // Whether the read waited more than once, and a millisecond in all beyond
    // the processor time it used, without being made to give way to another
    // thread: its folder is on a share that answers each request late, where
    // one reader more keeps one more request in flight. A local disk's cached
    // folders never wait; a large one takes processor time; a busy processor
    // keeps any read off it.
    bool waitedLong() {
        auto took = std::chrono::steady_clock::now() - start;
        bool asked = slow;
        slow = took >= std::chrono::milliseconds(1);
        if (!asked || !slow) return false;
        ThreadWaits after = threadWaits();
        return after.count - before.count >= 2 && after.preempted == before.preempted &&
               took - (after.worked - before.worked) >= std::chrono::milliseconds(1);
    }

    bool& slow;
    ThreadWaits before;
    std::chrono::steady_clock::time_point start;
};

bool mayReadOn(const ReadAhead& ahead) {
    if (!ahead.planned)
        return !ahead.walkNext.empty() && ahead.walked.size() < WALK_SLOTS &&
               ahead.walkedBytes < READ_AHEAD_BYTES;
    return ahead.nextToRead < ahead.plannedCount &&
           ahead.nextToRead < ahead.nextWanted + READ_AHEAD_WINDOW;
}

void readAhead(ReadAhead* ahead);

// One reader more, under the lock, up to the most allowed, while there is
// more to read.
void addReader(ReadAhead& ahead) {
    if (ahead.stopping || static_cast<int>(ahead.threads.size()) >= ahead.mostReaders ||
        !mayReadOn(ahead))
        return;
    try {
        ahead.threads.emplace_back(readAhead, &ahead);
    } catch (const std::exception&) {
    }
}

// A reader's turn during the walk: the first of the walk's next folders.
void readForWalk(ReadAhead& ahead, std::unique_lock<std::mutex>& held, bool& slow) {
    auto first = ahead.walkNext.begin();
    WalkedSlot taken = {std::move(first->second), first->first, {}};
    ahead.walkNext.erase(first);
    char path[SHOWN_PATH_BUFFER];
    copyText(path, sizeof path, taken.path.c_str());
    std::string key = taken.key;
    SearchFolder folder = {ahead.listing, taken.node, path};
    try {
        ahead.walked.push_back(std::move(taken));
    } catch (const std::exception&) {
        return;
    }
    held.unlock();
    ReadTiming timing(slow);
    FolderRead read = readFolder(*ahead.below, folder, SEARCH_KINDS_ONLY);
    bool late = timing.waitedLong();
    std::map<std::string, WalkAhead> below = subfoldersOf(*ahead.below, path, key, read);
    held.lock();
    walkedSlot(ahead, folder)->read = read;
    ahead.walkedBytes += read.used;
    ahead.done.notify_one();
    offer(ahead, below);
    if (late) addReader(ahead);
}

// A reader's turn during the report: the first planned folder no one has taken.
void readForReport(ReadAhead& ahead, std::unique_lock<std::mutex>& held, bool& slow) {
    int32_t index = ahead.nextToRead++;
    // The folder a window back has been taken by the report: the slot is free.
    ReadAheadSlot& slot = ahead.slots[index % READ_AHEAD_WINDOW];
    slot.index = index;
    slot.read.ready = false;
    held.unlock();
    FolderRead read = {true, nullptr, 0, ENAMETOOLONG};
    char path[SHOWN_PATH_BUFFER];
    ReadTiming timing(slow);
    if (folderFullPath(ahead.planned[index], path, sizeof path))
        read =
            readFolder(*ahead.below, {ahead.listing, ahead.planned[index].node, path}, SEARCH_FULL);
    bool late = timing.waitedLong();
    held.lock();
    slot.read = read;
    if (index == ahead.nextWanted) ahead.done.notify_one();
    if (late) addReader(ahead);
}

void readAhead(ReadAhead* ahead) {
    std::unique_lock<std::mutex> held(ahead->lock);
    bool slow = false; // this reader's last read took a millisecond or more
    for (;;) {
        ahead->submitted.wait(held, [ahead] { return ahead->stopping || mayReadOn(*ahead); });
        if (ahead->stopping) return;
        if (ahead->planned)
            readForReport(*ahead, held, slow);
        else
            readForWalk(*ahead, held, slow);
    }
}

// Starts the readers, fewer than asked for if the system has no more threads to give.
void startReaders(ReadAhead& ahead, ListingState* listing) {
    ahead.listing = listing;
    ahead.stopping = false;
    try {
        for (int i = 0; i < ahead.readers; ++i)
            ahead.threads.emplace_back(readAhead, &ahead);
    } catch (const std::exception&) {
    }
}

void stopReaders(ReadAhead& ahead) {
    {
        std::lock_guard<std::mutex> held(ahead.lock);
        ahead.stopping = true;
    }
    ahead.submitted.notify_all();
    for (std::thread& thread : ahead.threads)
        thread.join();
    // The report's folders are read by as many as the walk's came to need.
    ahead.readers = std::max(ahead.readers, static_cast<int>(ahead.threads.size()));
    ahead.threads.clear();
    for (ReadAheadSlot& slot : ahead.slots) {
        discard(ahead.below, slot.read);
        slot.index = -1;
    }
    for (WalkedSlot& slot : ahead.walked)
        discard(ahead.below, slot.read);
    ahead.walked.clear();
    ahead.walkedBytes = 0;
    ahead.walkNext.clear();
    ahead.walkAt.clear();
    ahead.unknownSince = 0;
    ahead.planned = nullptr;
    ahead.plannedCount = 0;
}

int aheadFindNext(const Platform& self, DirSearch* handle, DirEntry* entry) {
    AheadSearch* search = reinterpret_cast<AheadSearch*>(handle);
    const FolderRead& read = search->read;
    if (search->offset >= read.used) {
        if (read.rest) return findNext(*self.below, read.rest, entry);
        errno = read.error;
        return read.error ? SEARCH_ERROR : SEARCH_END;
    }
    StoredEntry stored;
    const char* at = read.bytes + search->offset;
    memcpy(&stored, at, sizeof stored);
    static_cast<EntryDetails&>(*entry) = stored.details;
    entry->node = stored.node;
    memcpy(entry->name, at + sizeof stored, stored.nameLength + 1);
    memcpy(entry->realName, at + sizeof stored + stored.nameLength + 1, stored.realNameLength + 1);
    search->offset += storedSize(stored);
    return SEARCH_ENTRY;
}

// The search of the layer below, as a search of this one.
DirSearch* searchBelow(const Platform& self, const SearchFolder& folder, SearchDetail detail,
                       DirEntry* entry) {
    AheadSearch* search = static_cast<AheadSearch*>(calloc(1, sizeof(AheadSearch)));
    if (!search) return nullptr;
    search->read.rest = findFirst(*self.below, folder, detail, entry);
    if (search->read.rest) return reinterpret_cast<DirSearch*>(search);
    free(search);
    return nullptr;
}

// Hands over a read to the one who asked, as the search of its folder would have.
DirSearch* answer(const Platform& self, FolderRead& read, DirEntry* entry) {
    // No entry: the search failed at its start, as it will for the one who
    // asked. No memory for the search fails the run, as any other search's.
    AheadSearch* search =
        read.used ? static_cast<AheadSearch*>(malloc(sizeof(AheadSearch))) : nullptr;
    if (!search) {
        int reason = read.used ? ENOMEM : read.error;
        discard(self.below, read);
        errno = reason;
        return nullptr;
    }
    *search = {read, 0};
    DirSearch* handle = reinterpret_cast<DirSearch*>(search);
    aheadFindNext(self, handle, entry);
    return handle;
}

// The walk's search: from a reader's slot, waited for if a reader is at it;
// else searched here, and its subfolders offered to the readers.
DirSearch* walkFindFirst(const Platform& self, const SearchFolder& folder, DirEntry* entry) {
    ReadAhead& ahead = *static_cast<ReadAhead*>(self.context);
    // A local disk's walk is quicker alone: readers go ahead of it only once
    // its folders come late, several in a row, since a busy processor can
    // keep one cached folder waiting too.
    if (!ahead.walkLate) {
        ReadTiming timing(ahead.walkSlow);
        DirSearch* search = searchBelow(self, folder, SEARCH_KINDS_ONLY, entry);
        ahead.lateInRow = timing.waitedLong() ? ahead.lateInRow + 1 : 0;
        ahead.walkLate = ahead.lateInRow >= LATE_IN_ROW;
        return search;
    }
    std::unique_lock<std::mutex> held(ahead.lock);
    if (ahead.threads.empty()) startReaders(ahead, folder.listing);
    if (walkedSlot(ahead, folder)) {
        ahead.done.wait(held, [&] { return walkedSlot(ahead, folder)->read.ready; });
        WalkedSlot* slot = walkedSlot(ahead, folder);
        ahead.walkedBytes -= slot->read.used;
        FolderRead taken = slot->read;
        ahead.walkAt = slot->key;
        ahead.unknownSince = 0;
        ahead.walked.erase(ahead.walked.begin() + (slot - ahead.walked.data()));
        ahead.submitted.notify_one();
        held.unlock();
        return answer(self, taken, entry);
    }
    // Mostly the first of the walk's next folders.
    auto known = std::find_if(ahead.walkNext.begin(), ahead.walkNext.end(), [&](const auto& next) {
        return next.second.node == folder.node && next.second.path == folder.path;
    });
    std::string key;
    if (known == ahead.walkNext.end()) {
        // One no reader was offered (the first, or one past the most kept in
        // view) comes after the last folder offered and what that leads to.
        key = keyBelow(ahead.walkAt + std::string(4, '\xff'), ahead.unknownSince++);
    } else {
        key = ahead.walkAt = known->first;
        ahead.unknownSince = 0;
        ahead.walkNext.erase(known);
    }
    held.unlock();
    FolderRead taken = readFolder(*self.below, folder, SEARCH_KINDS_ONLY);
    std::map<std::string, WalkAhead> below = subfoldersOf(*self.below, folder.path, key, taken);
    held.lock();
    offer(ahead, below);
    held.unlock();
    return answer(self, taken, entry);
}

DirSearch* aheadFindFirst(const Platform& self, const SearchFolder& folder, SearchDetail detail,
                          DirEntry* entry) {
    ReadAhead& ahead = *static_cast<ReadAhead*>(self.context);
    if (detail == SEARCH_KINDS_ONLY) return walkFindFirst(self, folder, entry);
    if (!ahead.planned) return searchBelow(self, folder, detail, entry);
    std::unique_lock<std::mutex> held(ahead.lock);
    // The report asks in the planned order; a folder it passes over is dropped.
    while (ahead.nextWanted < ahead.plannedCount) {
        int32_t index = ahead.nextWanted;
        char path[SHOWN_PATH_BUFFER];
        bool wanted = folderFullPath(ahead.planned[index], path, sizeof path) &&
                      strcmp(path, folder.path) == 0;
        FolderRead taken;
        bool searchHere = index == ahead.nextToRead;
        if (searchHere) {
            // No reader has come to it yet: searching it here is quicker than waiting.
            ++ahead.nextToRead;
        } else {
            // The layers below hear that the report has come to this folder.
            held.unlock();
            self.below->expectSearches(*self.below, ahead.listing, ahead.planned + index,
                                       ahead.plannedCount - index);
            held.lock();
            ReadAheadSlot& slot = ahead.slots[index % READ_AHEAD_WINDOW];
            ahead.done.wait(held, [&] { return slot.index == index && slot.read.ready; });
            taken = slot.read;
            slot = ReadAheadSlot();
        }
        // Only now may a reader take the folder a window on.
        ++ahead.nextWanted;
        ahead.submitted.notify_one();
        if (!wanted) {
            discard(self.below, taken);
            continue;
        }
        held.unlock();
        return searchHere ? searchBelow(self, folder, detail, entry) : answer(self, taken, entry);
    }
    held.unlock();
    return searchBelow(self, folder, detail, entry);
}

void aheadFindClose(const Platform& self, DirSearch* handle) {
    AheadSearch* search = reinterpret_cast<AheadSearch*>(handle);
    discard(self.below, search->read);
    free(search);
}

void aheadExpectSearches(const Platform& self, ListingState* listing, const FolderEntry* folders,
                         int32_t count) {
    ReadAhead& ahead = *static_cast<ReadAhead*>(self.context);
    // The walk is over: its readers turn to the report's folders.
    stopReaders(ahead);
    if (count > 0 && (ahead.walkLate || !ahead.reportOnlyIfLate)) {
        ahead.planned = folders;
        ahead.plannedCount = count;
        ahead.nextWanted = 0;
        ahead.nextToRead = 0;
        startReaders(ahead, listing);
    }
    self.below->expectSearches(*self.below, listing, folders, count);
}

// No reader may search a listing that is over.
void aheadEndListing(const Platform& self, ListingState* listing) {
    stopReaders(*static_cast<ReadAhead*>(self.context));
    self.below->endListing(*self.below, listing);
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
    layer.endListing = aheadEndListing;
    return layer;
}
