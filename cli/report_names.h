// How names and paths enter the engine. By default they are Windows-1252, the
// report's own encoding, as the Windows build reads them; on request they stay
// UTF-8, padded by the columns a terminal gives them.
#pragma once

#include <stddef.h>

// Sets the encoding over the searches now in `platform`. Returns 0 when this
// build cannot give names in it.
int useReportEncoding(bool utf8);

// The full path of a folder, `real`, as the engine is to see it. Returns 1, or
// 0 when that does not fit `capacity`.
int reportPath(const char* real, char* out, size_t capacity);
