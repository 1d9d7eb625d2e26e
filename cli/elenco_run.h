// The whole `elenco` program but for its entry, so that a test build can put
// its own platform entries in place first.
#pragma once

// Runs `elenco` with `argv` and returns its exit status. The platform table
// in force when it is called is the one it reaches the system through.
int runElenco(int argc, char** argv);
