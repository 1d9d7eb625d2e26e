// The share of the system's layer that the C runtime gives on every system:
// widths of 8-bit names and binary-mode report files. Both
// system layers use these.
#pragma once

#include <stddef.h>

#include "platform.h"

// strlen: in the ANSI code page a byte is one character and one column.
size_t runtimeTextColumns(const Platform& self, const char* text);

// A name or path as the report shows it: as the system gives it.
int runtimeShowName(const Platform& self, const char* real, char* shown, size_t capacity);
// The system's layer keeps no list of what was left out, nor searches ahead.
void runtimeNoteIncomplete(const Platform& self, DialogHandle owner, IncompleteKind kind,
                           const char* path, const char* realPath, int reason);
void runtimeExpectSearches(const Platform& self, ListingState* listing, const FolderEntry* folders,
                           int32_t count);

// The one entry of a folder that holds none: the folder itself, ".".
void dotEntry(DirEntry* entry);

ReportFile* stdioOpenReport(const Platform& self, const char* name);
int stdioWriteReport(const Platform& self, ReportFile* file, const char* bytes, size_t length);
int stdioCloseReport(const Platform& self, ReportFile* file);
