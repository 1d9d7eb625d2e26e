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
#include "report_files.h"

// One report's place: the target, and the temporary file or the device it is
// written to until finishReportOutput.
struct ReportOutput {
    Platform below;     // opens, writes and closes the files
    const char* target; // null: standard output
    ReportFile* device; // written in place: open from the start until the engine takes it
    KeptReport kept = NO_KEPT_REPORT; // rewritten in place from the temporary file once complete
    bool temporaryMade;
    char temporary[REAL_PATH_BUFFER];
    char temporaryFolder[REAL_PATH_BUFFER];
    const char* temporaryName;
    bool searchMeetsReport; // the search in progress may meet the temporary file
};

// Readies `output` for `target`, an absolute path, or for standard output when
// it is null: opens a device through `below`, or makes the temporary file.
// Returns 1, or 0 with errno set when the report cannot be written there.
int beginReportOutput(ReportOutput& output, const char* target, const Platform& below);

// A layer over `below` that writes the engine's report (whatever name it
// opens) to `output`, and whose searches pass over the report's temporary
// file, so that a listing shows the report's folder as it was. The engine
// searches one folder at a time on its own thread.
Platform reportOutputLayer(const Platform& below, ReportOutput& output);

// Puts the complete report in place of the target, or removes the temporary
// file when `complete` is false; closes a device the engine never took.
// Returns 1, or 0 with errno set when the report was complete but could not
// replace the target.
int finishReportOutput(ReportOutput& output, bool complete);
