// What replacing the report safely needs from the system, one file per platform.
#pragma once

#include <stddef.h>

// True when something other than a file stands at `target` (links followed):
// a device, a pipe, a folder. The report is written there in place, since a
// rename would put a file where the device was.
bool writtenInPlace(const char* target);

// Creates a new, empty file exclusively in the folder of `target`, with the
// permissions a new file gets, and puts its path in `temporary`. From then
// until it is renamed or removed, an interrupt removes it before the program
// ends. Returns 1, or 0 with errno set.
int createTemporary(const char* target, char* temporary, size_t capacity);

// Renames `temporary` over `target`, replacing whatever stands there, a link
// included. Returns 1, or 0 with errno set (the temporary file stays).
int replaceWithTemporary(const char* temporary, const char* target);

// Removes the temporary file; errno is kept.
void removeTemporary(const char* temporary);

// Whether two paths name the same entry as the system compares names.
bool samePath(const char* a, const char* b);

// True once an interrupt came that the system could not act on at once
// (Ctrl-C on Windows, whose open files cannot be removed): the writer then
// removes the temporary file and ends the program.
bool interruptRequested();
