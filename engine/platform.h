// The thin layer through which the engine reaches the operating system. Every
// call that a test may need to make fail goes through the table `platform`, so
// tests swap single entries without touching the disk; the Win32 and POSIX
// implementations fill it, one file each.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "listing_job.h"

// The window that owns the engine's messages: the main dialog on Windows, the
// front end's own state elsewhere. The engine only hands it on.
typedef void* DialogHandle;

// Attribute bit of a folder, as the directory search reports it.
enum { FOLDER_ATTRIBUTE = 16 };

// One entry of a directory search.
struct DirEntry {
    char name[PATH_BUFFER];
    uint32_t attributes;
    uint32_t sizeHigh;
    uint32_t sizeLow;
    FileTime lastAccess;
    FileTime lastWrite;
    // 0, or the system's reason (an errno value) why the entry was listed but
    // its length and times could not be read: they are then unknown.
    int detailsError;
};

// What a search must fill in: the walk needs only names and the folder bit,
// which some platforms can give without a call per entry, and only the folders
// among the entries: a names-only search of a folder known to hold no folder
// may report "." alone.
enum SearchDetail {
    SEARCH_KINDS_ONLY = 0,
    SEARCH_FULL = 1,
};

struct DirSearch;

struct CalendarTime {
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
};

// A message for the user: `text` and `caption` are the system's own Windows-1252
// texts; `code` lets a front end tell them apart without reading the text.
enum MessageCode {
    MESSAGE_OUT_OF_MEMORY,
    MESSAGE_INVALID_HANDLE,
    MESSAGE_CANNOT_OPEN_REPORT,
    MESSAGE_CANNOT_WRITE_REPORT,
};

struct UserMessage {
    MessageCode code;
    const char* text;
    const char* caption;
};

// What a listing had to leave out, each told as it is found.
enum IncompleteKind {
    INCOMPLETE_PATH_TOO_LONG,      // a folder whose path would exceed 255 characters
    INCOMPLETE_FOLDER_UNREADABLE,  // a folder listed but whose files could not be read
    INCOMPLETE_DETAILS_UNREADABLE, // a file listed without its length and times
    INCOMPLETE_OTHER_FILE_SYSTEM,  // a folder left out as asked: on another file system
};

struct ReportFile;

struct Platform {
    // Starts a search of `folder` (no trailing separator). Returns the search
    // with its first entry in `entry`, or null with the reason in errno when
    // the folder cannot be searched. A folder without a single entry (an empty
    // drive has not even ".") gives a search whose one entry is ".".
    DirSearch* (*findFirst)(const char* folder, SearchDetail detail, DirEntry* entry);
    // Returns 1 with the next entry in `entry`, 0 when none is left.
    int (*findNext)(DirSearch* search, DirEntry* entry);
    void (*findClose)(DirSearch* search);

    // Returns 1 with the UTC calendar fields, 0 when the time is out of range.
    int (*fileTimeToCalendar)(FileTime time, CalendarTime* calendar);

    // Shows a message owned by `owner` and waits until it is dismissed.
    // `reason` is the errno value of the failure it tells of, or 0.
    void (*showMessage)(DialogHandle owner, const UserMessage& message, int reason);
    // Marks the dialog to end with `result` once the current command is handled.
    void (*endDialog)(DialogHandle owner, int result);
    // Something the listing could not hold: `path` is the folder or file, which
    // for INCOMPLETE_PATH_TOO_LONG may be longer than any path buffer; `reason`
    // is an errno value, 0 for INCOMPLETE_PATH_TOO_LONG.
    void (*noteIncomplete)(DialogHandle owner, IncompleteKind kind, const char* path, int reason);

    // realloc's contract: null on failure, leaving `block` untouched.
    void* (*reallocate)(void* block, size_t bytes);

    // The report's calls leave the reason of a failure in errno.
    // Opens `name` for writing in binary mode, replacing it; null on failure.
    ReportFile* (*openReport)(const char* name);
    // Returns 1 when all `length` bytes were written, 0 otherwise.
    int (*writeReport)(ReportFile* file, const char* bytes, size_t length);
    // Returns 1 when the file was flushed and closed, 0 otherwise; closes it in both cases.
    int (*closeReport)(ReportFile* file);

    // A hint for a layer that can search ahead: the folders whose files the
    // report is about to gather, in that order, as soon as the report is open;
    // then, with a count of 0, that the listing's searches are over. Searches
    // give the same entries whether the hint is heeded or not.
    void (*expectSearches)(const FolderEntry* folders, int32_t count);
};

// The table in force; its defaults are the platform's own calls.
extern Platform platform;
// The defaults, for restoring the table after a test.
extern const Platform defaultPlatform;

// The separator of path components: '\\' on Windows, '/' elsewhere.
extern const char PATH_SEPARATOR;

// Keeps the walk on the file system of the folder it starts from: a folder on
// another one is passed over and told as INCOMPLETE_OTHER_FILE_SYSTEM. Set
// once, before the listing; POSIX only (Windows has no such mounts to cross).
void keepWalkOnFileSystem(bool keep);

// Turns `path` into an absolute path without a trailing separator (the root
// keeps its own: "/" or "C:"). Returns 1, or 0 when it does not fit `capacity`.
int fullPath(const char* path, char* out, size_t capacity);
