// Gathering the files of one folder and putting them in the chosen order.
#pragma once

#include "listing_job.h"
#include "platform.h"

// Appends one record for each file (not folder) of job.currentPath, from index
// fileCount on, and raises widestName to the longest name stored. A file whose
// details could not be read is stored marked DETAILS_UNKNOWN and told through
// the seam's noteIncomplete. Returns 1 when every entry was read; -4 when the
// folder cannot be searched (also when its path is over 255 characters) or its
// search fails midway, storing nothing, with the system's reason in `reason`
// when given; -2 when the array could not grow: the records stored before
// stay valid and counted.
int32_t scanFiles(DialogHandle dialog, ListingJob& job, int* reason = nullptr);

// Orders the first fileCount records by the key the options select: time
// over length over type over name. With no sort bit the scan order is kept;
// SORT_REVERSED then reverses whichever order that is.
void sortFiles(ListingJob& job);

// Three-way comparisons for qsort: negative, zero or positive. Each is a total
// order of what the rows show: ties of the type, length and time go by name,
// and names that agree but for case by type, then byte by byte.
int compareByName(const void* a, const void* b);
int compareByType(const void* a, const void* b);
int compareByLength(const void* a, const void* b);
// By last write, oldest first, times before 1601 included.
int compareByTime(const void* a, const void* b);

// Splits `fileName` in place at its last '.': file.name is what comes before
// it, file.type what follows; without a '.' the whole is the name and the
// type is empty.
void splitFileName(char* fileName, FileEntry& file);
