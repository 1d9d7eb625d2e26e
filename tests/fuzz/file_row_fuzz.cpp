// Composing one report row from any record and any job: the row must be
// exactly what the C runtime's formatted output makes of the same fields,
// and the calendar fields of its date must convert back to the same second.
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "calendar.h"
#include "report.h"
#include "temp_dir.h"

static void require(bool holds) {
    if (!holds) __builtin_trap();
}

static std::string written;

static int collectWrite(ReportFile*, const char* bytes, size_t length) {
    written.append(bytes, length);
    return 1;
}

// The text as the report shows it, control characters as '?', padded to `width`.
static std::string padded(std::string text, int64_t width) {
    for (char& c : text)
        if ((c >= 0 && c < 0x20) || c == 0x7F) c = '?';
    return width > static_cast<int64_t>(text.size()) ? text + std::string(width - text.size(), ' ')
                                                     : text;
}

// The date column as printf gives it, after checking the calendar fields.
static std::string expectedDate(FileTime time) {
    CalendarTime c;
    if (!calendarFromFileTime(time, &c)) return "--/--/---- --:--:--";
    require(c.month >= 1 && c.month <= 12 && c.day >= 1 && c.day <= 31 && c.hour < 24 &&
            c.minute < 60 && c.second < 60 && c.year >= 1601);
    uint64_t ticks = (static_cast<uint64_t>(time.high) << 32) | time.low;
    int64_t since1970 = unixTime(c.year, c.month, c.day, c.hour, c.minute, c.second);
    require(static_cast<uint64_t>(since1970 + 11644473600LL) == ticks / 10000000);
    char text[64];
    snprintf(text, sizeof text, "%02d/%02d/%d %02d:%02d:%02d", c.day, c.month, c.year, c.hour,
             c.minute, c.second);
    return text;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    ListingJob job = ListingJob();
    job.options = input.ConsumeIntegral<uint32_t>();
    // Past what a real folder gives (259 characters, 127 levels) and below zero.
    job.widestName = input.ConsumeIntegralInRange<int32_t>(-10, 600);
    int32_t levels = input.ConsumeIntegralInRange<int32_t>(-10, 300);
    // Rows already waiting in the writer's buffer, so a row can cross a flush.
    size_t waiting = input.ConsumeIntegralInRange<size_t>(0, sizeof(ReportWriter::buffer));
    std::unique_ptr<FileEntry> file(new FileEntry());
    file->sizeHigh = input.ConsumeIntegral<uint32_t>();
    file->sizeLow = input.ConsumeIntegral<uint32_t>();
    file->lastWrite.low = input.ConsumeIntegral<uint32_t>();
    file->lastWrite.high = input.ConsumeIntegral<uint32_t>();
    std::string type = input.ConsumeRandomLengthString(sizeof file->type - 1);
    std::string name = input.ConsumeRemainingBytesAsString().substr(0, sizeof file->name - 1);
    type = type.substr(0, type.find('\0'));
    name = name.substr(0, name.find('\0'));
    memcpy(file->type, type.c_str(), type.size() + 1);
    memcpy(file->name, name.c_str(), name.size() + 1);

    std::unique_ptr<ReportWriter> report(new ReportWriter());
    report->file = reinterpret_cast<ReportFile*>(report.get());
    report->used = waiting;
    memset(report->buffer, 'w', waiting);
    platform.writeReport = collectWrite;
    written.clear();
    writeFileRow(*report, job, *file, levels);
    written.append(report->buffer, report->used);
    platform = defaultPlatform;
    require(written.compare(0, waiting, std::string(waiting, 'w')) == 0);
    written.erase(0, waiting);

    std::string expected;
    for (int32_t i = 0; i < levels; ++i)
        expected += "... ";
    if (job.options & SHOW_TYPE) expected += padded(type, 6);
    expected += padded(name, job.widestName) + "  ";
    if (job.options & SHOW_LENGTH) {
        char length[32];
        snprintf(length, sizeof length, "%10llu  ",
                 static_cast<unsigned long long>(fileLength(*file)));
        expected += length;
    }
    if (job.options & SHOW_MODIFIED) expected += expectedDate(file->lastWrite);
    expected += "\r\n";
    require(written == expected);
    require(!report->failed);
    return 0;
}
