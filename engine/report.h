// Writing the report file: the flat listing of one folder, or the listing of a
// folder and every folder below it, section by section.
#pragma once

#include "listing_job.h"
#include "platform.h"

// The open report with its output buffer: rows go out in large blocks, and a
// failed write is remembered, with its reason, until the report is closed.
struct ReportWriter {
    const Platform* platform;
    ReportFile* file;
    size_t used;
    bool failed;
    int failure; // errno of the failed write
    char buffer[64 * 1024];
};

// Writes the first fileCount records, already gathered and ordered, or, when
// the folder could not be read (`folderRead` false), "Cartella non leggibile"
// in place of their total. Returns 0, or -1 when the report cannot be opened
// or written: the user has then been told and the dialog marked to end.
int32_t writeFlatReport(DialogHandle dialog, ListingJob& job, bool folderRead);

// Gathers, orders and writes each of the first folderCount records in turn.
// Returns 0, or -1 as writeFlatReport. A folder whose files do not fit in
// memory is reported to the user and written with the files that did fit. A
// folder that cannot be searched reads "Cartella non leggibile"; each below the
// selected one is told through the seam's noteIncomplete (the selected folder's
// own failure is the run's to tell).
int32_t writeTreeReport(DialogHandle dialog, ListingJob& job);
