// What one listing came to, for the front end that ran it: runListing fills it
// as the listing goes, and the front end reads it when the run returns.
#pragma once

#include <stdint.h>

#include "listing_job.h"
#include "platform.h"

struct ListingSummary {
    bool reportWritten;
    bool selectedUnreadable; // the selected folder could not be read whole
    int32_t foldersListed;
    int32_t foldersLeftOut; // their path would exceed 255 characters
    int32_t foldersUnreadable;
    int32_t filesWithoutDetails;
};

// Counts what the listing could not hold in the job's summary, and tells it
// through the seam as it is found: `path` is the folder or file as the report
// shows it; `where` the folder as the system opens it, and `realName` the
// file's real name in it, or null for the folder itself.
void noteIncomplete(ListingJob& job, DialogHandle dialog, IncompleteKind kind, const char* path,
                    const SearchFolder& where, const char* realName, int reason);
