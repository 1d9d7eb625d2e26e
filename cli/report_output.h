// Where `elenco`'s report goes. It is readied before the listing starts, so a
// place that cannot be written fails at once. A file is written to a temporary
// file beside it and renamed over it once complete, so a failed or interrupted
// run leaves the old report as it was and a link at its name is replaced, not
// written through. Standard output, devices, pipes and the system's links to
// open files are written in place, as the shell's `>` does. A report the user
// may write in a folder they may not, or one with other names (hard links), is
// rewritten in place from a temporary file elsewhere once complete.
#pragma once

#include "platform.h"

// Readies the report for `target`, an absolute path, or for standard output
// when it is null: opens a device, or makes the temporary file. `inner` opens,
// writes and closes the files. Returns 1, or 0 with errno set when the report
// cannot be written there.
int beginReportOutput(const char* target, const Platform& inner);

// The platform's report entries for the engine; the name opened is the target's.
ReportFile* openReportOutput(const char* name);
int writeReportOutput(ReportFile* file, const char* bytes, size_t length);
int closeReportOutput(ReportFile* file);

// Puts the complete report in place of the target, or removes the temporary
// file when `complete` is false; closes a device the engine never took.
// Returns 1, or 0 with errno set when the report was complete but could not
// replace the target.
int finishReportOutput(bool complete);

// Whether the search in progress may meet the temporary file: one listing's
// searches, which the engine makes one at a time on its own thread.
struct ReportHiding {
    bool searchMeetsReport;
};

// A layer over `below` whose searches pass over the report's temporary file,
// so that a listing shows the report's folder as it was.
Platform reportHidingLayer(const Platform& below, ReportHiding& state);
