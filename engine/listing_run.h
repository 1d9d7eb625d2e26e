// The one entry into the listing engine.
#pragma once

#include "listing_job.h"
#include "platform.h"

// Lists `path` (a folder without a trailing separator, as the system names it;
// at most 259 characters as the report shows it) into the report file as
// `options` say, reaching the system through the layers of `platform`, and
// telling the user of every failure through messages owned by `dialog`.
// `summary` tells what the listing came to. Returns 0 when the report was
// written whole, even if it lists less than was asked (the user has been told
// why); -1 when it could not be opened or written whole; -2 when the run could
// not reserve its memory, and wrote nothing; -4 when `path` is empty or
// over-long, and nothing was done.
int32_t runListing(DialogHandle dialog, const Platform& platform, const char* path,
                   ListingOptions options, struct ListingSummary& summary);
