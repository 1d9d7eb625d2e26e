#include "faults.h"

#include <errno.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>

#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "folder_walk.h"

struct FaultState {
    std::set<std::string> unreadable;
    std::set<std::string> vanishing;
    std::set<std::string> withoutDetails;
    std::map<std::string, long> readErrors; // folder -> entries before the error
    std::set<std::string> held;
    std::set<std::string> heldTaken; // by a reader
    bool planned = false;
    long failingAllocation = 0;
    long allocations = 0;
    bool failOpen = false;
    bool failWrite = false;
    bool failClose = false;
    bool signalOnWrite = false;
    std::thread::id reportThread = std::this_thread::get_id();
    std::string reached; // the folder the report last came to
    bool searchesOver = false;
    std::mutex lock; // readers ahead search at once
    std::condition_variable moved;
};

namespace {

// A search of this layer: the one below, its folder and what is left of it.
struct FaultySearch {
    DirSearch* inner;
    std::string folder;
    long entriesLeft; // before a read error; -1 for none
};

FaultState& stateOf(const Platform& self) {
    return *static_cast<FaultState*>(self.context);
}

// As a folder without search permission gives its files: named, nothing more.
void hideDetails(const FaultState& state, const FaultySearch& search, DirEntry* entry) {
    if (!state.withoutDetails.count(search.folder + PATH_SEPARATOR + entry->name)) return;
    entry->sizeHigh = entry->sizeLow = 0;
    entry->lastWrite = {0xFFFFFFFFu, 0xFFFFFFFFu};
    entry->detailsError = EACCES;
}

// Whether the read error planted in the search's folder happens now: once, in
// the first search that goes past its count, as a share that drops once.
bool readFails(FaultState& state, FaultySearch& search) {
    if (search.entriesLeft < 0 || search.entriesLeft-- > 0) return false;
    std::lock_guard<std::mutex> hold(state.lock);
    return state.readErrors.erase(search.folder) > 0;
}

// One step of the search, with the read error where one is planted.
int step(const Platform& self, FaultySearch& search, DirEntry* entry, int found) {
    if (found == SEARCH_ENTRY && readFails(stateOf(self), search)) {
        errno = EIO;
        return SEARCH_ERROR;
    }
    if (found == SEARCH_ENTRY) hideDetails(stateOf(self), search, entry);
    return found;
}

void holdUntilReached(FaultState& state, const std::string& folder) {
    std::unique_lock<std::mutex> hold(state.lock);
    if (!state.held.count(folder) || std::this_thread::get_id() == state.reportThread) return;
    state.heldTaken.insert(folder);
    state.moved.notify_all();
    state.moved.wait(hold, [&] { return state.searchesOver || state.reached == folder; });
}

DirSearch* faultyFindFirst(const Platform& self, const SearchFolder& where, SearchDetail detail,
                           DirEntry* entry) {
    const char* folder = where.path;
    FaultState& state = stateOf(self);
    if (detail == SEARCH_FULL) holdUntilReached(state, folder);
    if (state.unreadable.count(folder)) {
        errno = EACCES;
        return nullptr;
    }
    FaultySearch* search = new FaultySearch{nullptr, folder, -1};
    {
        std::lock_guard<std::mutex> hold(state.lock);
        auto readError = state.readErrors.find(folder);
        if (readError != state.readErrors.end()) search->entriesLeft = readError->second;
    }
    search->inner = findFirst(*self.below, where, detail, entry);
    if (search->inner && step(self, *search, entry, SEARCH_ENTRY) == SEARCH_ENTRY)
        return reinterpret_cast<DirSearch*>(search);
    int reason = errno;
    if (search->inner) findClose(*self.below, search->inner);
    delete search;
    errno = reason;
    return nullptr;
}

int faultyFindNext(const Platform& self, DirSearch* handle, DirEntry* entry) {
    FaultySearch& search = *reinterpret_cast<FaultySearch*>(handle);
    return step(self, search, entry, findNext(*self.below, search.inner, entry));
}

void faultyFindClose(const Platform& self, DirSearch* handle) {
    FaultySearch* search = reinterpret_cast<FaultySearch*>(handle);
    findClose(*self.below, search->inner);
    delete search;
}

void faultyExpectSearches(const Platform& self, ListingState* listing, const FolderEntry* folders,
                          int32_t count) {
    FaultState& state = stateOf(self);
    {
        std::unique_lock<std::mutex> hold(state.lock);
        char path[PATH_BUFFER] = "";
        if (count > 0) folderFullPath(folders[0], path, sizeof path);
        state.reached = path;
        state.searchesOver = count == 0;
        state.moved.notify_all();
        // The report starts only once readers hold every held folder.
        if (count > 0 && !state.planned)
            state.moved.wait(hold, [&] { return state.heldTaken.size() == state.held.size(); });
        state.planned = true;
    }
    self.below->expectSearches(*self.below, listing, folders, count);
}

void* faultyReallocate(const Platform& self, void* block, size_t bytes) {
    FaultState& state = stateOf(self);
    if (bytes > 0 && ++state.allocations == state.failingAllocation) {
        errno = ENOMEM;
        return nullptr;
    }
    return self.below->reallocate(*self.below, block, bytes);
}

ReportFile* faultyOpenReport(const Platform& self, const char* name) {
    FaultState& state = stateOf(self);
    for (const std::string& folder : state.vanishing)
        std::filesystem::remove_all(folder);
    if (state.failOpen) {
        errno = EACCES;
        return nullptr;
    }
    return self.below->openReport(*self.below, name);
}

int faultyWriteReport(const Platform& self, ReportFile* file, const char* bytes, size_t length) {
    FaultState& state = stateOf(self);
    if (state.signalOnWrite) raise(SIGINT);
    if (state.failWrite) {
        errno = ENOSPC;
        return 0;
    }
    return self.below->writeReport(*self.below, file, bytes, length);
}

int faultyCloseReport(const Platform& self, ReportFile* file) {
    int closed = self.below->closeReport(*self.below, file);
    if (!stateOf(self).failClose) return closed;
    errno = ENOSPC;
    return 0;
}

void addFault(FaultState& state, const std::string& fault) {
    size_t colon = fault.find(':');
    std::string kind = fault.substr(0, colon);
    std::string argument = colon == std::string::npos ? "" : fault.substr(colon + 1);
    if (kind == "unreadable") state.unreadable.insert(argument);
    if (kind == "vanish") state.vanishing.insert(argument);
    if (kind == "nodetails") state.withoutDetails.insert(argument);
    if (kind == "hold") state.held.insert(argument);
    if (kind == "readerror") {
        size_t count = argument.rfind(':');
        state.readErrors[argument.substr(0, count)] = atol(argument.c_str() + count + 1);
    }
    if (kind == "alloc") state.failingAllocation = atol(argument.c_str());
    state.failOpen |= kind == "open";
    state.failWrite |= kind == "write";
    state.failClose |= kind == "close";
    state.signalOnWrite |= kind == "signal";
}

} // namespace

FaultLayer::FaultLayer(const Platform& below, const std::string& faults)
    : state(new FaultState), layer(layerOver(below, state.get())) {
    for (size_t start = 0; start < faults.size();) {
        size_t end = faults.find('|', start);
        if (end == std::string::npos) end = faults.size();
        addFault(*state, faults.substr(start, end - start));
        start = end + 1;
    }
    layer.findFirst = faultyFindFirst;
    layer.findNext = faultyFindNext;
    layer.findClose = faultyFindClose;
    layer.expectSearches = faultyExpectSearches;
    layer.reallocate = faultyReallocate;
    layer.openReport = faultyOpenReport;
    layer.writeReport = faultyWriteReport;
    layer.closeReport = faultyCloseReport;
}

FaultLayer::~FaultLayer() = default;
