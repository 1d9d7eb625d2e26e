#include "faults.h"

#include <errno.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <set>

#include "platform.h"

namespace {

std::set<std::string> unreadable;
std::set<std::string> vanishing;
std::set<std::string> withoutDetails;
std::map<DirSearch*, std::string> searchedFolders; // readers ahead search at once
std::mutex searchedLock;
long failingAllocation = 0;
long allocations = 0;
bool failOpen = false;
bool failWrite = false;
bool failClose = false;
bool signalOnWrite = false;

// As a folder without search permission gives its files: named, nothing more.
void hideDetails(DirSearch* search, DirEntry* entry) {
    if (withoutDetails.empty()) return;
    std::string folder;
    {
        std::lock_guard<std::mutex> hold(searchedLock);
        folder = searchedFolders[search];
    }
    if (!withoutDetails.count(folder + PATH_SEPARATOR + entry->name)) return;
    entry->sizeHigh = entry->sizeLow = 0;
    entry->lastWrite = entry->lastAccess = {0xFFFFFFFFu, 0xFFFFFFFFu};
    entry->detailsError = EACCES;
}

DirSearch* faultyFindFirst(const char* folder, SearchDetail detail, DirEntry* entry) {
    if (unreadable.count(folder)) {
        errno = EACCES;
        return nullptr;
    }
    DirSearch* search = defaultPlatform.findFirst(folder, detail, entry);
    if (!search) return nullptr;
    {
        std::lock_guard<std::mutex> hold(searchedLock);
        searchedFolders[search] = folder;
    }
    hideDetails(search, entry);
    return search;
}

int faultyFindNext(DirSearch* search, DirEntry* entry) {
    if (!defaultPlatform.findNext(search, entry)) return 0;
    hideDetails(search, entry);
    return 1;
}

void faultyFindClose(DirSearch* search) {
    {
        std::lock_guard<std::mutex> hold(searchedLock);
        searchedFolders.erase(search);
    }
    defaultPlatform.findClose(search);
}

void* faultyReallocate(void* block, size_t bytes) {
    if (bytes > 0 && ++allocations == failingAllocation) {
        errno = ENOMEM;
        return nullptr;
    }
    return defaultPlatform.reallocate(block, bytes);
}

ReportFile* faultyOpenReport(const char* name) {
    for (const std::string& folder : vanishing)
        std::filesystem::remove_all(folder);
    if (failOpen) {
        errno = EACCES;
        return nullptr;
    }
    return defaultPlatform.openReport(name);
}

int faultyWriteReport(ReportFile* file, const char* bytes, size_t length) {
    if (signalOnWrite) raise(SIGINT);
    if (failWrite) {
        errno = ENOSPC;
        return 0;
    }
    return defaultPlatform.writeReport(file, bytes, length);
}

int faultyCloseReport(ReportFile* file) {
    int closed = defaultPlatform.closeReport(file);
    if (!failClose) return closed;
    errno = ENOSPC;
    return 0;
}

void addFault(const std::string& fault) {
    size_t colon = fault.find(':');
    std::string kind = fault.substr(0, colon);
    std::string argument = colon == std::string::npos ? "" : fault.substr(colon + 1);
    if (kind == "unreadable") unreadable.insert(argument);
    if (kind == "vanish") vanishing.insert(argument);
    if (kind == "nodetails") withoutDetails.insert(argument);
    if (kind == "alloc") failingAllocation = atol(argument.c_str());
    failOpen |= kind == "open";
    failWrite |= kind == "write";
    failClose |= kind == "close";
    signalOnWrite |= kind == "signal";
}

} // namespace

void installFaults(const std::string& faults) {
    unreadable.clear();
    vanishing.clear();
    withoutDetails.clear();
    failingAllocation = allocations = 0;
    failOpen = failWrite = failClose = signalOnWrite = false;
    for (size_t start = 0; start < faults.size();) {
        size_t end = faults.find('|', start);
        if (end == std::string::npos) end = faults.size();
        addFault(faults.substr(start, end - start));
        start = end + 1;
    }
    platform = defaultPlatform;
    platform.findFirst = faultyFindFirst;
    platform.findNext = faultyFindNext;
    platform.findClose = faultyFindClose;
    platform.reallocate = faultyReallocate;
    platform.openReport = faultyOpenReport;
    platform.writeReport = faultyWriteReport;
    platform.closeReport = faultyCloseReport;
}
