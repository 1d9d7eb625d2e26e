// The one entry into the listing engine.
#pragma once

#include "listing_job.h"
#include "platform.h"

// Lists `path` (a folder without a trailing separator, at most 259 characters)
// into the report file as `options` say, telling the user of every failure
// through messages owned by `dialog`. An empty or over-long path does nothing.
// Returns 0.
int32_t runListing(DialogHandle dialog, const char* path, ListingOptions options);

// The record of the selected folder itself: split at its last separator, a
// root or drive having an empty parent and itself as name.
void selectedFolderEntry(const char* path, FolderEntry& folder);
