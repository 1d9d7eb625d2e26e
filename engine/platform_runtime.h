// The share of the platform layer that the C runtime gives on every system:
// memory blocks and binary-mode report files. Both platform tables use these.
#pragma once

#include <stddef.h>

struct ReportFile;

// realloc, with a size of 0 freeing the block.
void* runtimeReallocate(void* block, size_t bytes);

ReportFile* stdioOpenReport(const char* name);
int stdioWriteReport(ReportFile* file, const char* bytes, size_t length);
int stdioCloseReport(ReportFile* file);
