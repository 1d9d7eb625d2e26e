#include "faults.h"

#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "folder_walk.h"

struct FaultState {
    std::set<std::string> faults;           // KIND or KIND:PATH, as given
    std::map<std::string, long> readErrors; // folder -> entries before the error
    size_t held = 0;
    std::set<std::string> heldTaken; // by a reader
    bool planned = false;
    bool has(const char* kind, const std::string& path = "") const {
        return faults.count(path.empty() ? kind : kind + (":" + path)) > 0;
    }
    std::thread::id reportThread = std::this_thread::get_id();
    std::string reached; // the folder the report last came to
    bool searchesOver = false;
    // With `threads`: those that searched for the walk, and for the report.
    std::set<std::thread::id> searchers[2];
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

// A call that fails for `reason`.
template <typename T> T fail(int reason, T result) {
    errno = reason;
    return result;
}

// One step of the search. The read error planted in its folder happens once,
// in the first search that goes past its count, as on a share that drops once;
// a file planted without details is named, nothing more, as a folder without
// search permission gives its files.
int step(const Platform& self, FaultySearch& search, DirEntry* entry, int found) {
    FaultState& state = stateOf(self);
    if (found != SEARCH_ENTRY) return found;
    if (search.entriesLeft >= 0 && search.entriesLeft-- == 0) {
        std::lock_guard<std::mutex> hold(state.lock);
        if (state.readErrors.erase(search.folder)) return fail(EIO, SEARCH_ERROR);
    }
    if (state.has("nodetails", search.folder + PATH_SEPARATOR + entry->name)) {
        entry->sizeHigh = entry->sizeLow = 0;
        entry->lastWrite = {0xFFFFFFFFu, 0xFFFFFFFFu};
        entry->detailsError = EACCES;
    }
    return found;
}

void holdUntilReached(FaultState& state, const std::string& folder) {
    std::unique_lock<std::mutex> hold(state.lock);
    if (!state.has("hold", folder) || std::this_thread::get_id() == state.reportThread) return;
    state.heldTaken.insert(folder);
    state.moved.notify_all();
    state.moved.wait(hold, [&] { return state.searchesOver || state.reached == folder; });
}

DirSearch* faultyFindFirst(const Platform& self, const SearchFolder& where, SearchDetail detail,
                           DirEntry* entry) {
    const char* folder = where.path;
    FaultState& state = stateOf(self);
    if (detail == SEARCH_FULL) holdUntilReached(state, folder);
    if (state.has("threads")) {
        std::lock_guard<std::mutex> hold(state.lock);
        state.searchers[detail == SEARCH_FULL].insert(std::this_thread::get_id());
    }
    // Twice off the processor, as a share's lookup and read keep a reader.
    for (int wait = 0; wait < 2 && state.has("late"); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (state.has("unreadable", folder)) return fail(EACCES, static_cast<DirSearch*>(nullptr));
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
    return fail(reason, static_cast<DirSearch*>(nullptr));
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
            state.moved.wait(hold, [&] { return state.heldTaken.size() == state.held; });
        state.planned = true;
    }
    self.below->expectSearches(*self.below, listing, folders, count);
}

ReportFile* faultyOpenReport(const Platform& self, const char* name) {
    FaultState& state = stateOf(self);
    for (const std::string& fault : state.faults)
        if (fault.rfind("vanish:", 0) == 0) std::filesystem::remove_all(fault.substr(7));
    return self.below->openReport(*self.below, name);
}

int faultyWriteReport(const Platform& self, ReportFile* file, const char* bytes, size_t length) {
    FaultState& state = stateOf(self);
    if (state.has("signal")) raise(SIGINT);
    if (state.has("write")) return fail(ENOSPC, 0);
    return self.below->writeReport(*self.below, file, bytes, length);
}

} // namespace

FaultLayer::FaultLayer(const Platform& below, const std::string& faults)
    : state(new FaultState), layer(layerOver(below, state.get())) {
    for (size_t start = 0, end; start < faults.size(); start = end + 1) {
        end = std::min(faults.find('|', start), faults.size());
        std::string fault = faults.substr(start, end - start);
        std::string kind = fault.substr(0, fault.find(':')),
                    argument = fault.substr(fault.find(':') + 1);
        size_t count = argument.rfind(':');
        if (kind == "readerror")
            state->readErrors[argument.substr(0, count)] = atol(&argument[count + 1]);
#ifndef _WIN32
        if (kind == "alloc") failAllocation(atol(argument.c_str()));
        if (kind == "allocsite") failAllocationAt(atoll(argument.c_str()));
        if (kind == "allocsites") countAllocationSites();
#endif
        state->held += kind == "hold";
        state->faults.insert(fault);
    }
    layer.findFirst = faultyFindFirst;
    layer.findNext = faultyFindNext;
    layer.findClose = faultyFindClose;
    layer.expectSearches = faultyExpectSearches;
    layer.openReport = faultyOpenReport;
    layer.writeReport = faultyWriteReport;
}

FaultLayer::~FaultLayer() {
    if (state->has("threads"))
        fprintf(stderr, "searching threads: %zu\n",
                std::max(state->searchers[0].size(), state->searchers[1].size()));
}
