#include "console.h"

// POSIX streams pass bytes through as they are.
void prepareStandardStreams() {}
