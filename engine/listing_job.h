// The vocabulary the whole listing engine shares: the option word, the file and
// folder records, and the state of one listing run.
#pragma once

#include <stddef.h>
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
    // -x: the walk leaves out the folders on another file system than the selected one.
    STAY_ON_FILE_SYSTEM = 1024,
};

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
    // A shown path of 259 characters, which in a UTF-8 report take up to 4 bytes each.
    SHOWN_PATH_BUFFER = 4 * MAX_PATH_LENGTH + 1,
    // A path as the system names it, which no limit of the report's bounds.
    REAL_PATH_BUFFER = 8192,
    GROWTH_STEP = 1000, // each array's first room, in records; it then doubles
};

// The names and paths the records point at, copied one after another into
// blocks that never move: a record costs what its texts hold, not the 260
// bytes they may reach. Each block is twice the size of the one before, up
// to a bound, so a folder of a million files takes few allocations and none
// larger than that bound.
struct TextBlock;
struct TextArena {
    TextBlock* first;
    TextBlock* current; // the block being filled; null before the first text
    size_t used;        // bytes of it taken
};

// Copies `length` bytes of `text` and a terminator into the arena. Returns the
// copy, or null when no block could be had: what was stored stays valid.
char* storeText(TextArena& arena, const char* text, size_t length);

// Lets the arena be filled again from its start, keeping its blocks: every
// text it held is then gone.
void rewindArena(TextArena& arena);

// 100-nanosecond intervals since 1 January 1601, UTC, low half first.
struct FileTime {
    uint32_t low;
    uint32_t high;
};

// The texts of both records live in the job's arenas: a file's name and type
// are the two halves of one copy of its name, split at the last '.'; the
// subfolders of one folder share one copy of its path.
struct FileEntry {
    const char* name;
    const char* type;
    uint32_t sizeHigh;
    uint32_t sizeLow;
    uint32_t attributes;
    FileTime lastWrite;
    uint64_t nameKey[2] = {}; // what the name order makes of the name's first 16 bytes
};

struct FolderEntry {
    const char* name;
    const char* parent;
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
    char currentPath[SHOWN_PATH_BUFFER];
    int32_t widestName;
    ListingOptions options;
    int32_t depth;
    // The top layer of the seam: every call the listing makes to the system.
    const Platform* platform;
    struct ListingState* listing; // the system's state of this listing
    uint32_t currentNode;         // the node of the folder in currentPath
    // What the listing comes to, filled as it goes.
    struct ListingSummary* summary;
    TextArena fileTexts;   // rewound when the file array starts over
    TextArena folderTexts; // kept for the whole run
};

// Reserves both arrays with room for 1000 records and copies `path` (at most
// 259 characters, longer is cut) into currentPath. Returns 1, or -2 when an
// array cannot be reserved: it is then null, and releaseJob releases the other.
int32_t createJob(ListingJob& job, const Platform& platform, const char* path,
                  ListingOptions options);

// Releases both arrays and both arenas; safe on a job whose arrays are null.
void releaseJob(ListingJob& job);

// Makes room for a record at `index`, doubling the array when full.
// Returns 1, or -2 when the growth fails: the array and capacity are left as
// they were, so the records already stored stay usable.
int32_t reserveFileRecord(ListingJob& job, int32_t index);
int32_t reserveFolderRecord(ListingJob& job, int32_t index);

// The length of a file in bytes.
inline uint64_t fileLength(const FileEntry& e) {
    return (static_cast<uint64_t>(e.sizeHigh) << 32) | e.sizeLow;
}
