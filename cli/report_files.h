// What replacing the report safely needs from the system, one file per platform.
#pragma once

#include <stddef.h>
#include <stdint.h>

// True when what stands at `target`, links followed, is not a regular file (a
// device, a pipe, a socket, a terminal, a folder), or is reached through one
// of the system's links to a file this program holds open (/dev/stdout,
// /dev/fd/N, /proc/self/fd/N): the report is written there in place, as the
// shell's `>` does, since a rename would put a file where the link was.
bool writtenInPlace(const char* target);

// Whether `target` is a regular file (not a link) with other names, hard links
// that a rename would leave holding the old report.
bool hasOtherNames(const char* target);

// Creates a new, empty file exclusively, readable by its owner alone until it
// is put in place, and puts its path in `temporary`: in the folder of
// `target`, or in the system's folder for temporary files when `target` is
// null. From then until it is renamed or removed, an interrupt removes it
// before the program ends. Returns 1, or 0 with errno set.
int createTemporary(const char* target, char* temporary, size_t capacity);

// Called before the temporary file is opened for writing. On Windows an open
// file cannot be removed from the interrupt's thread, so from here on an
// interrupt is only noted, for the writer (interruptRequested). Returns false
// when an interrupt has already removed the file.
bool temporaryOpening();

// Renames `temporary` over `target`, replacing whatever stands there, a link
// included. The new file takes the permission bits of the regular file it
// replaces and its group where the system allows (without that group, no
// group bits); a new one gets those of any new file. Returns 1, or 0 with
// errno set (the temporary file stays).
int replaceWithTemporary(const char* temporary, const char* target);

// A regular file (not a link) opened for writing and left as it is, for a
// report rewritten in place: one in a folder the user may not write, or one
// with other names: its descriptor or handle, or NO_KEPT_REPORT with errno set
// when it cannot be.
typedef intptr_t KeptReport;
const KeptReport NO_KEPT_REPORT = -1;
KeptReport keepToRewrite(const char* target);
// Copies the complete `temporary` over the kept file's content and releases
// it. Returns 1, or 0 with errno set.
int rewriteFromTemporary(KeptReport kept, const char* temporary);
// Releases the kept file unchanged.
void releaseKept(KeptReport kept);

// Removes the temporary file; errno is kept.
void removeTemporary(const char* temporary);

// Whether two paths name the same entry as the system compares names.
bool samePath(const char* a, const char* b);

// True once an interrupt came that the system could not act on at once
// (Ctrl-C on Windows while the temporary file is open): the writer then
// removes the temporary file and ends the program.
bool interruptRequested();
