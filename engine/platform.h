// The seam through which the engine reaches the operating system: a stack of
// layers, each a table of calls. Every call that a test may need to make fail
// goes through it, so a fault layer fails single calls without touching the
// disk; the Win32 and POSIX implementations fill the bottom layer, one file each.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "listing_job.h"

// The window that owns the engine's messages: the main dialog on Windows, the
// front end's own state elsewhere. The engine only hands it on.
typedef void* DialogHandle;

// Attribute bit of a folder, as the directory search reports it.
enum { FOLDER_ATTRIBUTE = 16 };

// What a search tells of an entry besides its names.
struct EntryDetails {
    uint32_t attributes;
    uint32_t sizeHigh;
    uint32_t sizeLow;
    FileTime lastWrite;
    // 0, or the system's reason (an errno value) why the entry was listed but
    // its length and times could not be read: they are then unknown; for a
    // folder, why it cannot be searched.
    int32_t detailsError;
};

// One entry of a directory search: the name the report shows beside the name
// the system knows it by, and, for a folder a listing's walk found, the node by
// which the system's layer opens it.
struct DirEntry : EntryDetails {
    char name[PATH_BUFFER];
    char realName[PATH_BUFFER];
    uint32_t node;
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

// One listing's state in the system's layer (the walk's folders and their
// names, the folders held open): made when the listing starts and released
// when it ends, by the listing.
struct ListingState;
enum { SELECTED_FOLDER_NODE = 1 }; // the listing's first folder

// A folder to search: the path the report shows, and the node of the listing
// by which the system's layer opens it (0: by the path, outside a listing).
struct SearchFolder {
    ListingState* listing;
    uint32_t node;
    const char* path;
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

// What a search's step gives: an entry, the end of the folder, or an error
// (the reason in errno) after which the folder's entries are not all known.
enum SearchStep {
    SEARCH_ERROR = -1,
    SEARCH_END = 0,
    SEARCH_ENTRY = 1,
};

// One layer of the seam. It holds the layer below, as a VFS shim holds its
// parent: an entry it does not change hands the call down (see layerOver).
// Every entry gets its own layer as `self`, so that it reaches its state
// (`context`) and the layer below.
struct Platform {
    const Platform* below; // null for the system's own layer
    void* context;

    // Starts the state of a listing of `folder` (its real path, the node 1 of
    // the listing). Returns 1, or 0 when memory runs out; `listing` may be null
    // for a system that keeps no state.
    // With STAY_ON_FILE_SYSTEM in `options`, the walk's searches give a folder on
    // another file system with the reason EXDEV, and the walk leaves it out.
    int (*beginListing)(const Platform& self, const char* folder, ListingOptions options,
                        ListingState** listing);
    void (*endListing)(const Platform& self, ListingState* listing);
    // `real`, a name or path as the system gives it, as the report shows it.
    // Returns 1, or 0 when it does not fit `capacity`.
    int (*showName)(const Platform& self, const char* real, char* shown, size_t capacity);
    // The real path of `folder`, as the system names it. Returns 1, or 0 when
    // it does not fit `capacity`.
    int (*realPath)(const Platform& self, const SearchFolder& folder, char* out, size_t capacity);

    // Starts a search of `folder`. Returns the search with its first entry in
    // `entry`, or null with the reason in errno when the folder cannot be
    // searched. A folder without a single entry (an empty drive has not even
    // ".") gives a search whose one entry is ".".
    DirSearch* (*findFirst)(const Platform& self, const SearchFolder& folder, SearchDetail detail,
                            DirEntry* entry);
    // The next entry in `entry`: a SearchStep.
    int (*findNext)(const Platform& self, DirSearch* search, DirEntry* entry);
    void (*findClose)(const Platform& self, DirSearch* search);

    // The columns a name takes in the report, for widths and padding.
    size_t (*textColumns)(const Platform& self, const char* text);
    // The characters of a shown name or path: what the limits of 255 and 259 count.
    size_t (*textLength)(const Platform& self, const char* text);

    // Shows a message owned by `owner` and waits until it is dismissed.
    // `reason` is the errno value of the failure it tells of, or 0.
    void (*showMessage)(const Platform& self, DialogHandle owner, const UserMessage& message,
                        int reason);
    // Marks the dialog to end with `result` once the current command is handled.
    void (*endDialog)(const Platform& self, DialogHandle owner, int result);
    // Something the listing could not hold, told as it is found: `path` is the
    // folder or file as the report shows it, which for INCOMPLETE_PATH_TOO_LONG
    // may be longer than any path buffer, and `realPath` as the system names
    // it; `reason` is an errno value, 0 for INCOMPLETE_PATH_TOO_LONG.
    void (*noteIncomplete)(const Platform& self, DialogHandle owner, IncompleteKind kind,
                           const char* path, const char* realPath, int reason);

    // The report's calls leave the reason of a failure in errno.
    // Opens `name` for writing in binary mode, replacing it; null on failure.
    ReportFile* (*openReport)(const Platform& self, const char* name);
    // Returns 1 when all `length` bytes were written, 0 otherwise.
    int (*writeReport)(const Platform& self, ReportFile* file, const char* bytes, size_t length);
    // Returns 1 when the file was flushed and closed, 0 otherwise; closes it in both cases.
    int (*closeReport)(const Platform& self, ReportFile* file);

    // A hint for a layer that can search ahead: the folders whose files the
    // report is about to gather, in that order, as soon as the report is open;
    // then, with a count of 0, that the listing's searches are over. Searches
    // give the same entries whether the hint is heeded or not.
    void (*expectSearches)(const Platform& self, ListingState* listing, const FolderEntry* folders,
                           int32_t count);
};

// A layer over `below`, with `context` as its state, whose every entry hands
// the call down unchanged; the layer then sets the entries it changes.
Platform layerOver(const Platform& below, void* context);

// The system's own calls: the bottom layer.
extern const Platform systemPlatform;

// The calls through a layer, so that a call site reads as the call it makes.
inline DirSearch* findFirst(const Platform& p, const SearchFolder& folder, SearchDetail detail,
                            DirEntry* entry) {
    return p.findFirst(p, folder, detail, entry);
}
inline int findNext(const Platform& p, DirSearch* search, DirEntry* entry) {
    return p.findNext(p, search, entry);
}
inline void findClose(const Platform& p, DirSearch* search) {
    p.findClose(p, search);
}

// The separator of path components: '\\' on Windows, '/' elsewhere.
extern const char PATH_SEPARATOR;

// Turns `path` into an absolute path without a trailing separator (the root
// keeps its own: "/" or "C:"). Returns 1, or 0 when it does not fit `capacity`.
int fullPath(const char* path, char* out, size_t capacity);
