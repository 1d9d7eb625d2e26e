// The command line of `elenco`.
#pragma once

#include <stddef.h>

#include "listing_job.h"

struct CliOptions {
    ListingOptions word; // the flags' word, or the one given with --options
    const char* folder; // "." when none is given
    const char* output; // null: the report's own name; "-": standard output
    bool utf8;          // --encoding=utf-8: names and paths as they are, padded by display columns
    int jobs;           // threads reading folders (-j); 0: one per core
    bool quiet;
    bool help;
    bool version;
};

// Fills `options` from argv. Returns 1, or 0 with a one-line reason in `error`.
int parseCliOptions(int argc, char** argv, CliOptions& options, char* error, size_t errorCapacity);

// The text of --help.
extern const char CLI_USAGE[];
