// `elenco` with failures put into the platform table, for the case runner.
//   faulty_elenco FAULTS [ELENCO ARGUMENT]...
// FAULTS is a '|'-separated list of KIND or KIND:ARGUMENT (folder paths are
// absolute): unreadable:PATH, vanish:PATH, alloc:N, open, write, close, signal.
#include <errno.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <set>
#include <string>

#include "elenco_run.h"
#include "platform.h"

namespace {

std::set<std::string> unreadable;
std::set<std::string> vanishing;
long failingAllocation = 0;
long allocations = 0;
bool failOpen = false;
bool failWrite = false;
bool failClose = false;
bool signalOnWrite = false;

DirSearch* faultyFindFirst(const char* folder, SearchDetail detail, DirEntry* entry) {
    if (unreadable.count(folder)) {
        errno = EACCES;
        return nullptr;
    }
    return defaultPlatform.findFirst(folder, detail, entry);
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
    if (kind == "alloc") failingAllocation = atol(argument.c_str());
    failOpen |= kind == "open";
    failWrite |= kind == "write";
    failClose |= kind == "close";
    signalOnWrite |= kind == "signal";
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 125;
    std::string faults = argv[1];
    for (size_t start = 0; start < faults.size();) {
        size_t end = faults.find('|', start);
        if (end == std::string::npos) end = faults.size();
        addFault(faults.substr(start, end - start));
        start = end + 1;
    }
    platform.findFirst = faultyFindFirst;
    platform.reallocate = faultyReallocate;
    platform.openReport = faultyOpenReport;
    platform.writeReport = faultyWriteReport;
    platform.closeReport = faultyCloseReport;
    argv[1] = argv[0];
    return runElenco(argc - 1, argv + 1);
}
