// Failures put into the platform table on demand, for the cases.
#pragma once

#include <string>

// Sets the platform table to the system's own entries with `faults` in them: a
// '|'-separated list of KIND or KIND:ARGUMENT (paths absolute): unreadable:PATH
// (its search fails), vanish:PATH (removed as the report opens), nodetails:PATH
// (a file listed without its length and times), alloc:N (the N-th allocation
// fails), open, write, close (the report's), signal (SIGINT at the first write).
void installFaults(const std::string& faults);
