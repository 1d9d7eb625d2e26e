#include "calendar.h"

static const uint64_t TICKS_PER_SECOND = 10000000;
static const int64_t SECONDS_1601_TO_1970 = 11644473600LL;
static const uint64_t FIRST_INVALID = 0x8000000000000000ULL;

FileTime fileTimeFromUnix(int64_t seconds, int64_t nanoseconds) {
    const int64_t lastSecond = static_cast<int64_t>(FIRST_INVALID / TICKS_PER_SECOND) - 1;
    const int64_t firstSecond = -lastSecond;
    if (seconds > lastSecond - SECONDS_1601_TO_1970) return UNKNOWN_FILE_TIME;
    if (seconds < firstSecond - SECONDS_1601_TO_1970) seconds = firstSecond - SECONDS_1601_TO_1970;
    int64_t ticks = (seconds + SECONDS_1601_TO_1970) * static_cast<int64_t>(TICKS_PER_SECOND) +
                    nanoseconds / 100;
    uint64_t bits = static_cast<uint64_t>(ticks);
    return {static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32)};
}

// Days since 1970-01-01 to a proleptic Gregorian date (H. Hinnant's algorithm).
static void civilFromDays(int64_t days, CalendarTime* c) {
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    int64_t dayOfEra = days - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    c->day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    c->month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    c->year = static_cast<int>(yearOfEra + era * 400 + (c->month <= 2 ? 1 : 0));
}

int calendarFromFileTime(FileTime time, CalendarTime* calendar) {
    uint64_t ticks = (static_cast<uint64_t>(time.high) << 32) | time.low;
    if (ticks >= FIRST_INVALID) return 0;
    uint64_t seconds = ticks / TICKS_PER_SECOND;
    int64_t days = static_cast<int64_t>(seconds / 86400) - SECONDS_1601_TO_1970 / 86400;
    uint64_t secondOfDay = seconds % 86400;
    civilFromDays(days, calendar);
    calendar->hour = static_cast<int>(secondOfDay / 3600);
    calendar->minute = static_cast<int>(secondOfDay / 60 % 60);
    calendar->second = static_cast<int>(secondOfDay % 60);
    return 1;
}
