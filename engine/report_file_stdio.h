// Report output through the C runtime's binary-mode files, which every
// platform has; the platform tables use these as their defaults.
#pragma once

#include <stddef.h>

struct ReportFile;

ReportFile* stdioOpenReport(const char* name);
int stdioWriteReport(ReportFile* file, const char* bytes, size_t length);
int stdioCloseReport(ReportFile* file);
