// Failures made on demand, for the cases: a layer over the system's own.
#pragma once

#include <stdint.h>

#include <memory>
#include <string>

#include "platform.h"

struct FaultState;

// The fault layer over `below`, with `faults` in force: KIND or KIND:ARGUMENT,
// '|'-separated, paths absolute; the kinds of README.md's `fault` case lines:
// unreadable:PATH, readerror:PATH:N, vanish:PATH, nodetails:PATH, hold:PATH,
// alloc:N, allocsite:SITE, write, signal; allocsites: the sites of the C
// allocations, on stderr; late: every search keeps its thread off
// the processor twice; threads: the threads that searched for the walk, or
// for the report, whichever are more, counted on stderr.
// The C allocations of a program linked as faulty_elenco is. Makes the Nth
// from now on fail; 0 for none.
void failAllocation(long nth);
// Makes the first one made at `site`, as the `allocsites` fault tells it, fail.
void failAllocationAt(intptr_t site);
// Counts the sites where they are made from now on, told on stderr at exit.
void countAllocationSites();

struct FaultLayer {
    FaultLayer(const Platform& below, const std::string& faults);
    ~FaultLayer();
    std::unique_ptr<FaultState> state;
    Platform layer;
};
