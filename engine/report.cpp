#include "report.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <charconv>

#include "calendar.h"
#include "file_scan.h"
#include "folder_walk.h"
#include "listing_summary.h"
#include "messages.h"

static void flush(ReportWriter& report) {
    if (report.used > 0 && !report.failed &&
        !report.platform->writeReport(*report.platform, report.file, report.buffer, report.used)) {
        report.failed = true;
        report.failure = errno;
    }
    report.used = 0;
}

// Names and paths (`asName`): a control character would break its line or its
// columns, so each is written as '?'.
static void put(ReportWriter& report, const char* bytes, size_t length, bool asName = false) {
    while (length > 0) {
        if (report.used == sizeof report.buffer) flush(report);
        size_t taken = std::min(length, sizeof report.buffer - report.used);
        char* out = report.buffer + report.used;
        memcpy(out, bytes, taken);
        for (size_t i = 0; asName && i < taken; ++i) {
            unsigned char c = static_cast<unsigned char>(out[i]);
            if (c < 0x20 || c == 0x7F) out[i] = '?';
        }
        report.used += taken;
        bytes += taken;
        length -= taken;
    }
}

static void putText(ReportWriter& report, const char* text) {
    put(report, text, strlen(text));
}

static void putName(ReportWriter& report, const char* name) {
    put(report, name, strlen(name), true);
}

static void putRepeated(ReportWriter& report, const char* piece, size_t length, int64_t count) {
    for (int64_t i = 0; i < count; ++i)
        put(report, piece, length);
}

static void putLineEnds(ReportWriter& report, int count) {
    putRepeated(report, "\r\n", 2, count);
}

// Padding goes in as whole runs of spaces, not a call per space.
static void putSpaces(ReportWriter& report, int64_t count) {
    static const char SPACES[] = "                                "; // 32
    for (; count > 0; count -= 32)
        put(report, SPACES, count < 32 ? static_cast<size_t>(count) : 32);
}

// Decimal digits of `value`, right-aligned with spaces in at least `width` characters.
static void putNumber(ReportWriter& report, uint64_t value, int width) {
    char digits[24];
    char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    size_t count = static_cast<size_t>(end - digits);
    putSpaces(report, width - static_cast<int64_t>(count));
    put(report, digits, count);
}

static void twoDigits(char* text, int value) {
    text[0] = static_cast<char>('0' + value / 10 % 10);
    text[1] = static_cast<char>('0' + value % 10);
}

// "dd/mm/yyyy hh:mm:ss" in UTC; a time the calendar cannot hold shows as dashes
// of the same width, so the columns stay aligned. The row's time is built
// whole, then put once; the year alone may take more than four digits.
static void putLastWrite(ReportWriter& report, FileTime time) {
    CalendarTime c;
    if (!calendarFromFileTime(time, &c)) {
        putText(report, "--/--/---- --:--:--");
        return;
    }
    char text[32] = "dd/mm/";
    twoDigits(text, c.day);
    twoDigits(text + 3, c.month);
    char* end = std::to_chars(text + 6, text + 20, c.year).ptr;
    memcpy(end, " hh:mm:ss", 9);
    twoDigits(end + 1, c.hour);
    twoDigits(end + 4, c.minute);
    twoDigits(end + 7, c.second);
    put(report, text, static_cast<size_t>(end + 9 - text));
}

// One file row with `levels` indentations, "\r\n" included.
static void writeFileRow(ReportWriter& report, const ListingJob& job, const FileEntry& file,
                         int32_t levels) {
    const Platform& platform = *job.platform;
    putRepeated(report, "... ", 4, levels);
    if (job.options & SHOW_TYPE) {
        putName(report, file.type);
        putSpaces(report, 6 - static_cast<int64_t>(platform.textColumns(platform, file.type)));
    }
    putName(report, file.name);
    putSpaces(report,
              job.widestName - static_cast<int64_t>(platform.textColumns(platform, file.name)));
    put(report, "  ", 2);
    if (job.options & SHOW_LENGTH) {
        if (file.attributes & DETAILS_UNKNOWN) {
            putSpaces(report, 9);
            put(report, "?", 1);
        } else {
            putNumber(report, fileLength(file), 10);
        }
        put(report, "  ", 2);
    }
    if (job.options & SHOW_MODIFIED) putLastWrite(report, file.lastWrite);
    putLineEnds(report, 1);
}

static void putHeaderTitles(ReportWriter& report, const ListingJob& job, const char* lengthTitle,
                            const char* modifiedTitle) {
    if (job.options & SHOW_TYPE) {
        putText(report, "Tipo  Nome");
        putSpaces(report, job.widestName - 4);
    }
    if (job.options & SHOW_LENGTH) putText(report, lengthTitle);
    if (job.options & SHOW_MODIFIED) putText(report, modifiedTitle);
    putLineEnds(report, 2);
}

// Tells the user why there is no report, and marks the dialog to end.
static int32_t reportFailure(DialogHandle dialog, const Platform& platform,
                             const UserMessage& message, int reason) {
    platform.showMessage(platform, dialog, message, reason);
    platform.endDialog(platform, dialog, 0);
    return RESULT_CANNOT_OPEN_REPORT;
}

// An empty line, `text` (and `count`, when it is one) and an empty line: how
// every report and section ends.
static void putLoneLine(ReportWriter& report, const char* text, int32_t count = -1) {
    putLineEnds(report, 1);
    putText(report, text);
    if (count >= 0) putNumber(report, static_cast<uint64_t>(count), 0);
    putLineEnds(report, 2);
}

// Opens the report, has `writeBody` fill it and closes it; the writer, too
// large for a thread's stack, lives on the heap for that time.
template <typename Body>
static int32_t writeReport(DialogHandle dialog, const Platform& platform, Body writeBody) {
    ReportWriter* report = static_cast<ReportWriter*>(malloc(sizeof(ReportWriter)));
    if (!report) return reportFailure(dialog, platform, OUT_OF_MEMORY, 0);
    report->platform = &platform;
    report->used = 0;
    report->failed = false;
    report->file = platform.openReport(platform, REPORT_FILE_NAME);
    int32_t result = report->file ? 0 : reportFailure(dialog, platform, CANNOT_OPEN_REPORT, errno);
    if (report->file) {
        writeBody(*report);
        flush(*report);
        // A report that could not be written whole is a failure, not a listing.
        bool closed = platform.closeReport(platform, report->file);
        if (!closed || report->failed)
            result = reportFailure(dialog, platform, CANNOT_WRITE_REPORT,
                                   report->failed ? report->failure : errno);
    }
    free(report);
    return result;
}

int32_t writeFlatReport(DialogHandle dialog, ListingJob& job, bool folderRead) {
    return writeReport(dialog, *job.platform, [&](ReportWriter& report) {
        putText(report, "Elenco dei file contenuti in");
        putLineEnds(report, 1);
        putName(report, job.currentPath);
        putLineEnds(report, 2);
        putHeaderTitles(report, job, " lunghezza", " ultima modifica");
        // What the folder holds is unknown: a total of 0 would be a claim.
        if (!folderRead) return putLoneLine(report, "Cartella non leggibile");
        for (int32_t i = 0; i < job.fileCount; ++i)
            writeFileRow(report, job, job.files[i], 0);
        putLoneLine(report, "Totale file n ", job.fileCount);
    });
}

// The section of one folder: its files, or "Nessun file".
static void writeFolderSection(ReportWriter& report, ListingJob& job) {
    if (job.fileCount == 0) return putLoneLine(report, "Nessun file");
    putLineEnds(report, 1);
    putRepeated(report, "    ", 4, job.depth);
    putHeaderTitles(report, job, "   lunghezza", "  ultima modifica");
    for (int32_t i = 0; i < job.fileCount; ++i)
        writeFileRow(report, job, job.files[i], job.depth);
    putLoneLine(report, "Totale files  ", job.fileCount);
}

int32_t writeTreeReport(DialogHandle dialog, ListingJob& job) {
    return writeReport(dialog, *job.platform, [&](ReportWriter& report) {
        putText(report, "Elenco delle cartelle e file contenuti in ");
        putName(report, job.currentPath);
        putLineEnds(report, 2);
        const Platform& platform = *job.platform;
        platform.expectSearches(platform, job.listing, job.folders, job.folderCount);
        bool memoryReported = false;
        for (int32_t i = 0; i < job.folderCount; ++i) {
            const FolderEntry& folder = job.folders[i];
            folderFullPath(folder, job.currentPath, sizeof job.currentPath);
            putName(report, job.currentPath);
            putLineEnds(report, 1);
            job.fileCount = 0;
            job.depth = folder.depth;
            job.widestName = 0;
            job.currentNode = folder.node;
            // A folder the walk could not read whole is not read again.
            int reason = folder.readError;
            int32_t scanned = reason ? RESULT_CANNOT_OPEN_FOLDER : scanFiles(dialog, job, reason);
            if (scanned == RESULT_CANNOT_OPEN_FOLDER) {
                // What it holds is unknown: "Nessun file" would be a claim. The
                // selected folder's failure in the walk is the run's to tell.
                if (i > 0 || !folder.readError)
                    noteIncomplete(job, dialog, INCOMPLETE_FOLDER_UNREADABLE, job.currentPath,
                                   {job.listing, job.currentNode, job.currentPath}, nullptr,
                                   reason);
                putLoneLine(report, "Cartella non leggibile");
                continue;
            }
            if (scanned == RESULT_OUT_OF_MEMORY && !memoryReported) {
                memoryReported = true;
                reportFailure(dialog, platform, OUT_OF_MEMORY, 0);
            }
            sortFiles(job);
            writeFolderSection(report, job);
        }
        putLoneLine(report, "Totale cartelle n ", job.folderCount);
    });
}
