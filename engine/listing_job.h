// The vocabulary the whole listing engine shares: the option word, the file and
// folder records, and the state of one listing run.
#pragma once

#include <stdint.h>

struct Platform;

typedef uint32_t ListingOptions;

enum {
    LIST_SUBFOLDERS = 1,
    SHOW_LENGTH = 2,
    SHOW_TYPE = 4,
    SHOW_MODIFIED = 8,
    SORT_BY_NAME = 16,
    SORT_BY_TYPE = 32,
    SORT_BY_LENGTH = 64,
    // Beyond the dialog's word: orders only the command line asks for.
    SORT_BY_TIME = 128, // by last write, oldest first; ties by name
    SORT_REVERSED = 256,
    // Beyond the dialog's word: a selected folder that cannot be read leaves no report.
    STOP_WHEN_UNREADABLE = 512,
};

// Engine results.
enum {
    RESULT_OK = 1,
    RESULT_CANNOT_OPEN_REPORT = -1,
    RESULT_OUT_OF_MEMORY = -2,
    RESULT_CANNOT_OPEN_FOLDER = -4,
};

// Set by the scan in FileEntry::attributes of a file whose length and times
// could not be read; no file system uses this bit.
const uint32_t DETAILS_UNKNOWN = 0x80000000u;

enum {
    PATH_BUFFER = 260, // 259 characters and the terminator
    MAX_PATH_LENGTH = 259,
    MAX_SEARCHABLE_PATH = 255, // the search pattern adds "\*.*" within the same 260 bytes
    RECORD_TEXT = 261,         // record names have room for 260 characters
    GROWTH_STEP = 1000,
};

// 100-nanosecond intervals since 1 January 1601, UTC, low half first.
struct FileTime {
    uint32_t low;
    uint32_t high;
};

struct FileEntry {
    char name[RECORD_TEXT];
    char folder[RECORD_TEXT];
    // An extension is at most 258 characters, so it is always held whole.
    char type[PATH_BUFFER];
    uint32_t sizeHigh;
    uint32_t sizeLow;
    uint32_t attributes;
    FileTime lastAccess;
    FileTime lastWrite;
    int32_t depth;
};

struct FolderEntry {
    char name[RECORD_TEXT];
    char parent[RECORD_TEXT];
    int32_t depth;
    int32_t readError; // 0, or why the walk could not read the folder whole (errno)
    uint32_t node;     // how the system's layer opens it
};

struct ListingJob {
    FileEntry* files;
    FolderEntry* folders;
    int32_t fileCapacity;
    int32_t fileCount;
    int32_t folderCapacity;
    int32_t folderCount;
    char currentPath[PATH_BUFFER];
    int32_t widestName;
    ListingOptions options;
    int32_t depth;
    // The top layer of the seam: every call the listing makes to the system.
    const Platform* platform;
    struct ListingState* listing; // the system's state of this listing
    uint32_t currentNode;         // the node of the folder in currentPath
    // What the listing comes to, filled as it goes.
    struct ListingSummary* summary;
};

// Reserves both arrays with room for 1000 records and copies `path` (at most
// 259 characters, longer is cut) into currentPath. Returns 1, or -2 when an
// array cannot be reserved; then `filesReserved`/`foldersReserved` say which
// failed, and whatever was reserved is released again.
int32_t createJob(ListingJob& job, const Platform& platform, const char* path, ListingOptions options, bool& filesReserved,
                  bool& foldersReserved);

// Releases both arrays; safe on a job whose arrays are null.
void releaseJob(ListingJob& job);

// Makes room for a record at `index`, growing by 1000 records when full.
// Returns 1, or -2 when the growth fails: the array and capacity are left as
// they were, so the records already stored stay usable.
int32_t reserveFileRecord(ListingJob& job, int32_t index);
int32_t reserveFolderRecord(ListingJob& job, int32_t index);

// The length of a file in bytes.
inline uint64_t fileLength(const FileEntry& e) {
    return (static_cast<uint64_t>(e.sizeHigh) << 32) | e.sizeLow;
}
