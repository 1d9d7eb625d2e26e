// Failures made on demand, for the cases: a layer over the system's own.
#pragma once

#include <memory>
#include <string>

#include "platform.h"

struct FaultState;

// The fault layer over `below`, with `faults` in force: a '|'-separated list
// of KIND or KIND:ARGUMENT (paths absolute): unreadable:PATH (its search
// fails), readerror:PATH:N (the first search of it to read past N entries
// fails there with EIO; later ones succeed, as on a share that drops once),
// vanish:PATH (removed as the report opens), nodetails:PATH (a file listed
// without its length and times), hold:PATH (with readers ahead, -j above 1:
// the report starts only once a reader searches PATH, and that reader waits
// until the report comes to PATH), alloc:N (the N-th
// allocation fails), open, write, close (the report's), signal (SIGINT at the
// first write).
struct FaultLayer {
    FaultLayer(const Platform& below, const std::string& faults);
    ~FaultLayer();
    std::unique_ptr<FaultState> state;
    Platform layer;
};
