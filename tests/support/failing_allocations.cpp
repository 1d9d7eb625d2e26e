// The C allocations of the program's own code, failing on demand. The program
// is linked with --wrap for malloc, calloc and realloc: the calls its own
// objects make pass here, those within the C and C++ libraries do not. So the
// system's layer and the readers, which take memory beside the layers, fail as
// the engine does.
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <atomic>
#include <mutex>
#include <set>

#include "faults.h"

extern "C" {
void* __real_malloc(size_t bytes);
void* __real_calloc(size_t count, size_t bytes);
void* __real_realloc(void* block, size_t bytes);
}

namespace {

std::atomic<long> failing{0}; // the Nth allocation, or none
std::atomic<long> taken{0};
std::atomic<intptr_t> failingSite{0}; // the first allocation made there; 0 for none
std::mutex sitesLock;
std::set<intptr_t>* sitesSeen; // while they are counted

// Where a call was made, the same in every run whatever the load address.
intptr_t siteOf(void* returnAddress) {
    return static_cast<char*>(returnAddress) - reinterpret_cast<char*>(&failAllocation);
}

bool failsNow(void* returnAddress) {
    intptr_t site = siteOf(returnAddress);
    if (sitesSeen) {
        std::lock_guard<std::mutex> hold(sitesLock);
        sitesSeen->insert(site);
    }
    bool fails = (failing > 0 && ++taken == failing) || failingSite.compare_exchange_strong(site, 0);
    if (fails) errno = ENOMEM;
    return fails;
}

} // namespace

void failAllocation(long nth) {
    taken = 0;
    failing = nth;
}

void failAllocationAt(intptr_t site) {
    failingSite = site;
}

void countAllocationSites() {
    sitesSeen = new std::set<intptr_t>;
    atexit([] {
        fprintf(stderr, "allocation sites:");
        for (intptr_t site : *sitesSeen)
            fprintf(stderr, " %lld", static_cast<long long>(site));
        fprintf(stderr, "\n");
    });
}

extern "C" void* __wrap_malloc(size_t bytes) {
    return failsNow(__builtin_return_address(0)) ? nullptr : __real_malloc(bytes);
}

extern "C" void* __wrap_calloc(size_t count, size_t bytes) {
    return failsNow(__builtin_return_address(0)) ? nullptr : __real_calloc(count, bytes);
}

extern "C" void* __wrap_realloc(void* block, size_t bytes) {
    return bytes > 0 && failsNow(__builtin_return_address(0)) ? nullptr
                                                              : __real_realloc(block, bytes);
}
