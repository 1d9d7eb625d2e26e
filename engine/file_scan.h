// Gathering the files of one folder and putting them in the chosen order.
#pragma once

#include "listing_job.h"
#include "platform.h"

// Appends one record for each file (not folder) of job.currentPath, from index
// fileCount on, and raises widestName to the longest name stored. A file whose
// details could not be read is stored marked DETAILS_UNKNOWN and told through
// the seam's noteIncomplete. Returns 1 when every entry was read; -4 when the
// folder cannot be searched (also when its path is over 255 characters) or its
// search fails midway, storing nothing, with the system's reason in `reason`;
// -2 when the array could not grow: the records stored before
// stay valid and counted.
int32_t scanFiles(DialogHandle dialog, ListingJob& job, int& reason);

// Orders the first fileCount records by the key the options select: time
// over length over type over name. With no sort bit the scan order is kept;
// SORT_REVERSED then reverses whichever order that is.
void sortFiles(ListingJob& job);

// The order of -s time, a three-way comparison: by last write, oldest first, times before
// 1601 included; a total order of what the rows show, ties going by name.
int compareByTime(const FileEntry& a, const FileEntry& b);
