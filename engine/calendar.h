// File times and calendar fields, computed without the C library's time zone
// handling, so the result never depends on TZ.
#pragma once

#include <stdint.h>

#include "platform.h"

// The file time that stands for "unknown": beyond the calendar's range.
const FileTime UNKNOWN_FILE_TIME = {0xFFFFFFFFu, 0xFFFFFFFFu};

// UTC calendar fields of `time`. Returns 1, or 0 for a time from 2^63 on, which
// the Windows conversion rejects too.
int calendarFromFileTime(FileTime time, CalendarTime* calendar);

// The file time of `seconds` and `nanoseconds` since 1970-01-01 UTC, or
// UNKNOWN_FILE_TIME when it falls before 1601 or past the calendar's range.
FileTime fileTimeFromUnix(int64_t seconds, int64_t nanoseconds);
