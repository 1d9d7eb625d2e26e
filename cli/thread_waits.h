// How much the calling thread has waited for the system (a disk, a network):
// what tells a reader that its folders come from a share that answers each
// request late.
#pragma once

#include <chrono>

struct ThreadWaits {
    long count;     // the times it gave up the processor to wait; -1 where the system does not tell
    long preempted; // the times the system took the processor from it for another
    std::chrono::microseconds worked; // the processor time it has used
};

// The calling thread's waits so far.
ThreadWaits threadWaits();
