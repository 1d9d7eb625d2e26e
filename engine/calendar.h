// File times and calendar fields, computed without the C library's time zone
// handling, so the result never depends on TZ.
#pragma once

#include <stdint.h>

#include "platform.h"

struct CalendarTime {
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
};

// The file time that stands for "unknown": beyond the calendar's range. Read
// as a signed count it is also the last tick before 1601: a file written at
// exactly that instant is taken for one whose time is unknown.
const FileTime UNKNOWN_FILE_TIME = {0xFFFFFFFFu, 0xFFFFFFFFu};

// UTC calendar fields of `time`. Returns 1, or 0 for a time from 2^63 on, which
// the Windows conversion rejects too: read as a signed count, a time before 1601.
int calendarFromFileTime(FileTime time, CalendarTime* calendar);

// The file time of `seconds` and `nanoseconds` since 1970-01-01 UTC. A time
// before 1601 (tmpfs and btrfs hold them) is a negative count in two's
// complement, as Wine gives it to Windows programs, so that it orders before
// later ones; the earliest are held as the first the count can hold. A time
// past the calendar's range is UNKNOWN_FILE_TIME.
FileTime fileTimeFromUnix(int64_t seconds, int64_t nanoseconds);
