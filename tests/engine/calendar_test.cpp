#include "calendar.h"

#include <gtest/gtest.h>

#include "file_scan.h"
#include "temp_dir.h"
#include "text.h"

namespace {

std::string show(FileTime time) {
    CalendarTime c;
    if (!calendarFromFileTime(time, &c)) return "out of range";
    char text[64];
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
             c.minute, c.second);
    return text;
}

FileTime ticks(uint64_t value) {
    return {static_cast<uint32_t>(value), static_cast<uint32_t>(value >> 32)};
}

// The ends of the range; the times between are the report's properties'.
TEST(Calendar, FieldsAtTheEndsOfTheRange) {
    EXPECT_EQ(show(ticks(0)), "1601-01-01 00:00:00");
    EXPECT_EQ(show(ticks(0x7FFFFFFFFFFFFFFFull)), "30828-09-14 02:48:05");
    EXPECT_EQ(show(ticks(0x8000000000000000ull)), "out of range");
    EXPECT_EQ(show(fileTimeFromUnix(unixTime(1600, 12, 31, 23, 59, 59), 0)), "out of range");
    EXPECT_EQ(show(fileTimeFromUnix(INT64_MAX / 2, 0)), "out of range");
    EXPECT_EQ(show(fileTimeFromUnix(unixTime(1601, 1, 1, 0, 0, 0), 0)), "1601-01-01 00:00:00");
}

// Times the calendar cannot show still order as they happened (tmpfs and btrfs
// hold times before 1601), and equal times go by name.
TEST(Calendar, EveryTimeOrdersAsItHappened) {
    const int64_t seconds[] = {INT64_MIN, unixTime(1200, 1, 1, 0, 0, 0), 0, INT64_MAX / 2};
    FileEntry earlier = {}, later = {};
    earlier.name = "B";
    later.name = "a";
    earlier.type = later.type = "";
    for (size_t i = 0; i + 1 < sizeof seconds / sizeof seconds[0]; ++i) {
        earlier.lastWrite = fileTimeFromUnix(seconds[i], 0);
        later.lastWrite = fileTimeFromUnix(seconds[i + 1], 0);
        EXPECT_LT(compareByTime(earlier, later), 0) << i;
    }
    later.lastWrite = earlier.lastWrite;
    EXPECT_GT(compareByTime(earlier, later), 0);
}

} // namespace
