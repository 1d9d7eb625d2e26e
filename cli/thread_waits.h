// How much the calling thread has waited for the system (a disk, a network):
// what tells a reader that its folders come from a share that answers each
// request late.
#pragma once

#include <chrono>

// As made, what a system that does not tell them gives.
struct ThreadWaits {
    long count = -1;    // the times it gave up the processor to wait; -1: not told
    long preempted = 0; // the times the system took the processor from it for another
    std::chrono::microseconds worked{}; // the processor time it has used
};

// The calling thread's waits so far.
ThreadWaits threadWaits();
