// The whole `elenco` program but for its entry, so that a test build can put
// its own platform entries in place first.
#pragma once

#include "platform.h"

// Runs `elenco` with `argv` and returns its exit status. `system` is the layer
// it reaches the system through: the system's own, or a test's over it.
int runElenco(int argc, char** argv, const Platform& system);
