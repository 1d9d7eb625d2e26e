// Failures made on demand, for the cases: a layer over the system's own.
#pragma once

#include <memory>
#include <string>

#include "platform.h"

struct FaultState;

// The fault layer over `below`, with `faults` in force: KIND or KIND:ARGUMENT,
// '|'-separated, paths absolute; the kinds of README.md's `fault` case lines:
// unreadable:PATH, readerror:PATH:N, vanish:PATH, nodetails:PATH, hold:PATH,
// alloc:N, write, signal; late: every search keeps its thread off
// the processor twice; threads: the threads that searched for the walk, or
// for the report, whichever are more, counted on stderr.
struct FaultLayer {
    FaultLayer(const Platform& below, const std::string& faults);
    ~FaultLayer();
    std::unique_ptr<FaultState> state;
    Platform layer;
};
