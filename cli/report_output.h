// Where `elenco`'s report goes. A file is written to a temporary file beside
// it and renamed over it once complete, so a failed or interrupted run leaves
// the old report as it was and a link at its name is replaced, not written
// through. Standard output, devices and pipes are written in place.
#pragma once

#include "platform.h"

// Readies the report for `target`, an absolute path, or for standard output
// when it is null. `inner` opens, writes and closes the files.
void beginReportOutput(const char* target, const Platform& inner);

// The platform's report entries for the engine; the name opened is the target's.
ReportFile* openReportOutput(const char* name);
int writeReportOutput(ReportFile* file, const char* bytes, size_t length);
int closeReportOutput(ReportFile* file);

// Puts the complete report in place of the target, or removes the temporary
// file when `complete` is false. Returns 1, or 0 with errno set when the
// report was complete but could not replace the target.
int finishReportOutput(bool complete);

// Whether the search of `folder` may meet the temporary file, and whether
// `name` is it: a listing passes over the file being written.
bool holdsReportTemporary(const char* folder);
bool isReportTemporary(const char* name);
