// The platform layer on POSIX systems. Symbolic links are never followed: a
// link is an ordinary entry with its own length and time, so a walk always ends.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include "calendar.h"
#include "platform.h"
#include "platform_runtime.h"
#include "text.h"

const char PATH_SEPARATOR = '/';

struct DirSearch {
    DIR* directory; // null for a folder known to hold no folder, whose search is "." alone
    SearchDetail detail;
    // Names-only searches only: the folder's own path, and whether the link count
    // of each subfolder tells whether it holds folders (its device must be the same).
    char path[PATH_BUFFER];
    bool linksCountFolders;
    dev_t device;
};

// The walk reads every folder only for the folders in it. A folder whose link
// count is 2 holds none (its "." and its name in the parent): the names-only
// search that reported it notes its path here, and the walk's search of it,
// which comes next, is answered without reading it. One listing runs at a time.
static char knownWithoutFolders[PATH_BUFFER];

// File systems that keep a folder's link count at 2 plus its subfolders.
static bool linksCountFolders(int descriptor) {
#ifdef __linux__
    struct statfs volume;
    if (fstatfs(descriptor, &volume) != 0) return false;
    return volume.f_type == EXT4_SUPER_MAGIC || volume.f_type == XFS_SUPER_MAGIC ||
           volume.f_type == TMPFS_MAGIC;
#else
    (void)descriptor;
    return false;
#endif
}

static void noteIfWithoutFolders(DirSearch* search, const char* name) {
    knownWithoutFolders[0] = '\0';
    if (!search->linksCountFolders || isDotEntry(name)) return;
    struct stat info;
    if (fstatat(dirfd(search->directory), name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(info.st_mode) && info.st_nlink == 2 && info.st_dev == search->device)
        joinPath(knownWithoutFolders, sizeof knownWithoutFolders, search->path, name);
}

static void fillFromStat(const struct stat& info, DirEntry* entry) {
    entry->attributes = S_ISDIR(info.st_mode) ? FOLDER_ATTRIBUTE : 0;
    uint64_t size =
        S_ISREG(info.st_mode) || S_ISLNK(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
    entry->sizeHigh = static_cast<uint32_t>(size >> 32);
    entry->sizeLow = static_cast<uint32_t>(size);
    entry->lastAccess = fileTimeFromUnix(info.st_atim.tv_sec, info.st_atim.tv_nsec);
    entry->lastWrite = fileTimeFromUnix(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
}

// Fills `entry` from one directory record. Returns 0 for an entry that vanished
// before it could be looked at, which the search then passes over.
static int fillEntry(DirSearch* search, const struct dirent* record, DirEntry* entry) {
    copyText(entry->name, sizeof entry->name, record->d_name);
    memset(&entry->lastAccess, 0, sizeof entry->lastAccess);
    memset(&entry->lastWrite, 0, sizeof entry->lastWrite);
    entry->sizeHigh = 0;
    entry->sizeLow = 0;
    entry->detailsError = 0;
    entry->attributes = record->d_type == DT_DIR ? FOLDER_ATTRIBUTE : 0;
    // The kind from readdir spares a stat where nothing else is needed.
    bool kindKnown = record->d_type != DT_UNKNOWN;
    if (kindKnown && search->detail == SEARCH_KINDS_ONLY) {
        if (record->d_type == DT_DIR) noteIfWithoutFolders(search, record->d_name);
        return 1;
    }
    if (kindKnown && record->d_type == DT_DIR) return 1;
    if (isDotEntry(record->d_name)) return 1;
    struct stat info;
    if (fstatat(dirfd(search->directory), record->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        fillFromStat(info, entry);
        return 1;
    }
    if (errno == ENOENT) return 0;
    // Listed but not examinable (a folder without search permission): keep the
    // entry, with an unknown length and time rather than made-up ones.
    entry->detailsError = errno;
    entry->lastAccess = UNKNOWN_FILE_TIME;
    entry->lastWrite = UNKNOWN_FILE_TIME;
    return 1;
}

static int posixFindNext(DirSearch* search, DirEntry* entry) {
    if (!search->directory) return 0;
    for (;;) {
        errno = 0;
        const struct dirent* record = readdir(search->directory);
        if (!record) return 0;
        if (fillEntry(search, record, entry)) return 1;
    }
}

// The one entry of a search that reads nothing: the folder itself.
static DirSearch* dotAlone(DirSearch* search, DirEntry* entry) {
    *entry = DirEntry();
    copyText(entry->name, sizeof entry->name, ".");
    entry->attributes = FOLDER_ATTRIBUTE;
    return search;
}

static DirSearch* posixFindFirst(const char* folder, SearchDetail detail, DirEntry* entry) {
    // Only the walk's searches use the note, so searches of files may run on
    // several threads at once.
    bool withoutFolders = false;
    if (detail == SEARCH_KINDS_ONLY) {
        withoutFolders = strcmp(folder, knownWithoutFolders) == 0 && folder[0];
        knownWithoutFolders[0] = '\0';
    }
    DirSearch* search = static_cast<DirSearch*>(malloc(sizeof(DirSearch)));
    if (!search) return nullptr;
    search->detail = detail;
    search->linksCountFolders = false;
    search->directory = nullptr;
    if (withoutFolders) return dotAlone(search, entry);
    search->directory = opendir(folder[0] ? folder : ".");
    if (!search->directory) {
        int reason = errno;
        free(search);
        errno = reason;
        return nullptr;
    }
    struct stat info;
    if (detail == SEARCH_KINDS_ONLY && fstat(dirfd(search->directory), &info) == 0 &&
        copyText(search->path, sizeof search->path, folder)) {
        search->device = info.st_dev;
        search->linksCountFolders = linksCountFolders(dirfd(search->directory));
    }
    if (posixFindNext(search, entry)) return search;
    // The end of a folder that has not even "." is an empty folder; an error is not.
    if (errno == 0) return dotAlone(search, entry);
    int reason = errno;
    closedir(search->directory);
    free(search);
    errno = reason;
    return nullptr;
}

static void posixFindClose(DirSearch* search) {
    if (search->detail == SEARCH_KINDS_ONLY) knownWithoutFolders[0] = '\0';
    if (search->directory) closedir(search->directory);
    free(search);
}

static void posixShowMessage(DialogHandle, const UserMessage& message, int reason) {
    if (reason)
        fprintf(stderr, "%s: %s: %s\n", message.caption, message.text, strerror(reason));
    else
        fprintf(stderr, "%s: %s\n", message.caption, message.text);
}

static void posixEndDialog(DialogHandle, int) {}

static void posixNoteIncomplete(DialogHandle, IncompleteKind, const char*, int) {}

static void posixExpectSearches(const FolderEntry*, int32_t) {}

const Platform defaultPlatform = {
    posixFindFirst,   posixFindNext,    posixFindClose,      calendarFromFileTime,
    posixShowMessage, posixEndDialog,   posixNoteIncomplete, runtimeReallocate,
    stdioOpenReport,  stdioWriteReport, stdioCloseReport,    posixExpectSearches,
};

Platform platform = defaultPlatform;

// Appends the components of `path` to the absolute path in `work`, resolving
// "." and ".." by name, as a shell's logical path does. Returns 0 as soon as a
// component does not fit: a later ".." would otherwise climb over the one
// before it and give a shorter path that was never meant.
static int appendComponents(char* work, size_t capacity, const char* path) {
    while (*path) {
        while (*path == '/')
            ++path;
        size_t length = strcspn(path, "/");
        if (length == 0) break;
        bool dot = length == 1 && path[0] == '.';
        bool dotDot = length == 2 && path[0] == '.' && path[1] == '.';
        if (dotDot) {
            char* last = strrchr(work, '/');
            if (last) *(last == work ? last + 1 : last) = '\0';
        } else if (!dot) {
            if (strcmp(work, "/") != 0 && !appendText(work, capacity, "/", 1)) return 0;
            if (!appendText(work, capacity, path, length)) return 0;
        }
        path += length;
    }
    return 1;
}

int fullPath(const char* path, char* out, size_t capacity) {
    char work[8192] = "/";
    if (path[0] != '/') {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd) || !appendComponents(work, sizeof work, cwd)) return 0;
    }
    if (!appendComponents(work, sizeof work, path) || strlen(work) + 1 > capacity) return 0;
    return copyText(out, capacity, work);
}
