// The command line of `elenco`.
#pragma once

#include <stddef.h>
#include <stdio.h>

#include "listing_job.h"

enum ReportEncoding {
    ENCODING_OF_LOCALE,    // none asked for: the user's locale decides
    ENCODING_WINDOWS_1252, // names and paths as the Windows build writes them
    ENCODING_UTF8,         // names and paths as they are, padded by display columns
};

struct CliOptions {
    ListingOptions word; // the settings, the last given of each winning
    const char* folder;  // "." when none is given
    const char* output;  // null: the report's own name; "-": standard output
    ReportEncoding encoding;
    int jobs;           // the most threads reading folders (-j); 0: 16
    bool quiet;
    bool help;
    bool version;
};

// Fills `options` from argv. Returns 1, or 0 with a one-line reason, in the
// user's language, in `error`.
int parseCliOptions(int argc, char** argv, CliOptions& options, char* error, size_t errorCapacity);

// Writes --help, in the user's language, to `out`. Returns 0 when it could not be written.
int writeCliUsage(FILE* out);
