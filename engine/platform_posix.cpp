// The platform layer on POSIX systems (Linux: folders are read with getdents64).
// Symbolic links are never followed: a link is an ordinary entry with its own
// length and time, so a walk always ends.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
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

// The names and kinds of the folders the walk read, kept so that the search of
// a folder's files need not read it again: one block of records, each a header,
// the folder's name (a full path for the walk's first folder, otherwise its
// name in its parent's record) and its entries, each as its kind, the length of
// its name and the name. A table of full-path hashes leads to the records.
// Only the walk writes it; file searches, on several threads, only read it
// until the listing's searches are over, when it is freed. Blocks are plain
// memory outside the platform's allocations: without them every folder is
// simply read again.
struct FolderRecord {
    uint32_t parent; // the parent's record + 1; 0 when the name is a full path
    uint32_t hash;   // of the full path
    uint32_t nameLength;
    uint32_t entryBytes;
};

struct WalkArena {
    char* bytes;
    size_t used;
    size_t capacity;
    uint32_t* slots; // record + 1, or 0 for a free slot
    size_t slotCount;
    size_t records;
    int rootDescriptor; // the walk's first folder, which file searches open below
    char rootPath[PATH_BUFFER];
};

static WalkArena arena = {nullptr, 0, 0, nullptr, 0, 0, -1, ""};

enum { READ_BUFFER = 32768 };

struct DirSearch {
    int descriptor; // -1 for a folder known to hold no folder, whose search is "." alone
    SearchDetail detail;
    // The entries: in the arena from `at` to `end`, or read into `buffer`.
    bool stored;
    uint32_t at;
    uint32_t end;
    char* buffer;
    size_t bufferUsed;
    size_t bufferAt;
    // Names-only searches only: the search of the parent, still open; the
    // folder's record and path; whether the link count of each subfolder tells
    // whether it holds folders (its device must be the same).
    DirSearch* outer;
    uint32_t record;
    char path[PATH_BUFFER];
    bool linksCountFolders;
    dev_t device;
};

// The walk reads every folder only for the folders in it. A folder whose link
// count is 2 holds none (its "." and its name in the parent): the names-only
// search that reported it notes its path here, and the walk's search of it,
// which comes next, is answered without reading it. A noted folder is on its
// parent's device, whose kind of file system it shares. One listing runs at a
// time; only names-only searches touch these.
static char knownOnDevice[PATH_BUFFER];
static bool knownWithoutFolders;
static DirSearch* innermostWalk;
static char walkBuffer[READ_BUFFER];

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

static FolderRecord recordAt(uint32_t offset) {
    FolderRecord record;
    memcpy(&record, arena.bytes + offset, sizeof record);
    return record;
}

static uint32_t pathHash(const char* path, size_t length) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i)
        hash = (hash ^ static_cast<unsigned char>(path[i])) * 16777619u;
    return hash;
}

// Whether the record at `offset` is that of the `length` bytes of `path`,
// comparing name by name up to the record named by a full path.
static bool recordMatches(uint32_t offset, const char* path, size_t length) {
    for (;;) {
        FolderRecord record = recordAt(offset);
        const char* name = arena.bytes + offset + sizeof record;
        if (record.parent == 0)
            return record.nameLength == length && memcmp(name, path, length) == 0;
        if (length < record.nameLength + 2) return false;
        size_t parentLength = length - record.nameLength - 1;
        if (path[parentLength] != '/' ||
            memcmp(path + parentLength + 1, name, record.nameLength) != 0)
            return false;
        // The parent of "/usr" is "/" itself.
        length = parentLength ? parentLength : 1;
        offset = record.parent - 1;
    }
}

// The slot of `path`: the one of its record, or the free one it would take.
static uint32_t* slotOf(const char* path, size_t length, uint32_t hash) {
    size_t mask = arena.slotCount - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        uint32_t slot = arena.slots[i];
        if (slot == 0 || (recordAt(slot - 1).hash == hash && recordMatches(slot - 1, path, length)))
            return &arena.slots[i];
    }
}

static bool growSlots() {
    size_t count = arena.slotCount ? arena.slotCount * 2 : 1024;
    uint32_t* slots = static_cast<uint32_t*>(calloc(count, sizeof(uint32_t)));
    if (!slots) return false;
    for (size_t i = 0; i < arena.slotCount; ++i) {
        uint32_t slot = arena.slots[i];
        if (!slot) continue;
        size_t j = recordAt(slot - 1).hash & (count - 1);
        while (slots[j])
            j = (j + 1) & (count - 1);
        slots[j] = slot;
    }
    free(arena.slots);
    arena.slots = slots;
    arena.slotCount = count;
    return true;
}

static bool reserveArena(size_t bytes) {
    size_t needed = arena.used + bytes;
    if (needed <= arena.capacity) return true;
    if (needed > UINT32_MAX) return false;
    size_t capacity = arena.capacity ? arena.capacity * 2 : 65536;
    while (capacity < needed)
        capacity *= 2;
    char* grown = static_cast<char*>(realloc(arena.bytes, capacity));
    if (!grown) return false;
    arena.bytes = grown;
    arena.capacity = capacity;
    return true;
}

static void releaseArena() {
    free(arena.bytes);
    free(arena.slots);
    if (arena.rootDescriptor >= 0) close(arena.rootDescriptor);
    arena = {nullptr, 0, 0, nullptr, 0, 0, -1, ""};
}

// The record of `path`, or -1 when the walk did not read it.
static int64_t findRecord(const char* path) {
    if (arena.records == 0) return -1;
    size_t length = strlen(path);
    uint32_t slot = *slotOf(path, length, pathHash(path, length));
    return slot ? static_cast<int64_t>(slot) - 1 : -1;
}

// The part of `folder` below the first `length` bytes of `path`, or null when
// those do not name a folder above it.
static const char* partBelow(const char* path, size_t length, const char* folder) {
    if (length == 0 || strncmp(folder, path, length) != 0) return nullptr;
    const char* rest = folder + length;
    // Below "/" a name follows the root's own separator; elsewhere one comes first.
    if (!(length == 1 && path[0] == '/')) {
        if (*rest != '/') return nullptr;
        ++rest;
    }
    return *rest ? rest : nullptr;
}

// `path` below the walk's first folder, relative to it; null when it is not below.
static const char* belowRoot(const char* path) {
    if (arena.rootDescriptor < 0) return nullptr;
    return partBelow(arena.rootPath, strlen(arena.rootPath), path);
}

// The next record read from the folder into `buffer`; null at its end (errno 0)
// or on an error (errno its reason).
static const struct dirent64* readRecord(int descriptor, char* buffer, size_t& used, size_t& at) {
    if (at >= used) {
        ssize_t read = getdents64(descriptor, buffer, READ_BUFFER);
        if (read == 0) errno = 0;
        if (read <= 0) return nullptr;
        used = static_cast<size_t>(read);
        at = 0;
    }
    const struct dirent64* record = reinterpret_cast<const struct dirent64*>(buffer + at);
    at += record->d_reclen;
    return record;
}

// Reads the whole folder of a names-only search into a record of the arena.
// Returns 1; 0, with the arena as it was and the folder read from its start
// again, when the arena cannot hold it; -1 when the read fails (errno).
static int storeFolder(DirSearch* search, uint32_t parent, const char* name) {
    size_t start = arena.used;
    size_t nameLength = strlen(name);
    bool stored = reserveArena(sizeof(FolderRecord) + nameLength);
    if (stored) {
        arena.used += sizeof(FolderRecord);
        memcpy(arena.bytes + arena.used, name, nameLength);
        arena.used += nameLength;
    }
    size_t used = 0;
    size_t at = 0;
    while (stored) {
        const struct dirent64* record = readRecord(search->descriptor, walkBuffer, used, at);
        if (!record && errno != 0) {
            // A folder cut short is never kept as if whole.
            arena.used = start;
            return -1;
        }
        if (!record) break;
        size_t length = strlen(record->d_name);
        stored = reserveArena(2 + length);
        if (!stored) break;
        arena.bytes[arena.used] = static_cast<char>(record->d_type);
        arena.bytes[arena.used + 1] = static_cast<char>(length);
        memcpy(arena.bytes + arena.used + 2, record->d_name, length);
        arena.used += 2 + length;
    }
    if (stored && (arena.records + 1) * 2 > arena.slotCount) stored = growSlots();
    if (!stored) {
        arena.used = start;
        lseek(search->descriptor, 0, SEEK_SET);
        return 0;
    }
    size_t pathLength = strlen(search->path);
    uint32_t hash = pathHash(search->path, pathLength);
    FolderRecord header = {parent, hash, static_cast<uint32_t>(nameLength),
                           static_cast<uint32_t>(arena.used - start - sizeof header - nameLength)};
    memcpy(arena.bytes + start, &header, sizeof header);
    search->record = static_cast<uint32_t>(start);
    search->stored = true;
    search->at = static_cast<uint32_t>(start + sizeof header + nameLength);
    search->end = static_cast<uint32_t>(arena.used);
    *slotOf(search->path, pathLength, hash) = static_cast<uint32_t>(start) + 1;
    ++arena.records;
    return 1;
}

static void noteSubfolder(DirSearch* search, const char* name) {
    knownOnDevice[0] = '\0';
    if (!search->linksCountFolders || isDotEntry(name)) return;
    struct stat info;
    if (fstatat(search->descriptor, name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISDIR(info.st_mode) || info.st_dev != search->device)
        return;
    joinPath(knownOnDevice, sizeof knownOnDevice, search->path, name);
    knownWithoutFolders = info.st_nlink == 2;
}

// Only the fields an entry holds are asked for, which spares a network file
// system the others.
enum { ENTRY_FIELDS = STATX_TYPE | STATX_SIZE | STATX_ATIME | STATX_MTIME };

static void fillFromStatx(const struct statx& info, DirEntry* entry) {
    entry->attributes = S_ISDIR(info.stx_mode) ? FOLDER_ATTRIBUTE : 0;
    uint64_t size = S_ISREG(info.stx_mode) || S_ISLNK(info.stx_mode) ? info.stx_size : 0;
    entry->sizeHigh = static_cast<uint32_t>(size >> 32);
    entry->sizeLow = static_cast<uint32_t>(size);
    entry->lastAccess = fileTimeFromUnix(info.stx_atime.tv_sec, info.stx_atime.tv_nsec);
    entry->lastWrite = fileTimeFromUnix(info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec);
}

// Fills `entry` from a name and its kind as the folder gives it. Returns 0 for
// an entry that vanished before it could be looked at, which the search then
// passes over.
static int fillEntry(DirSearch* search, const char* name, size_t length, unsigned char kind,
                     DirEntry* entry) {
    memcpy(entry->name, name, length);
    entry->name[length] = '\0';
    memset(&entry->lastAccess, 0, sizeof entry->lastAccess);
    memset(&entry->lastWrite, 0, sizeof entry->lastWrite);
    entry->sizeHigh = 0;
    entry->sizeLow = 0;
    entry->detailsError = 0;
    entry->attributes = kind == DT_DIR ? FOLDER_ATTRIBUTE : 0;
    // The kind from the folder spares a stat where nothing else is needed.
    bool kindKnown = kind != DT_UNKNOWN;
    if (kindKnown && search->detail == SEARCH_KINDS_ONLY) {
        if (kind == DT_DIR) noteSubfolder(search, entry->name);
        return 1;
    }
    if (kindKnown && kind == DT_DIR) return 1;
    if (isDotEntry(entry->name)) return 1;
    struct statx info;
    if (statx(search->descriptor, entry->name, AT_SYMLINK_NOFOLLOW, ENTRY_FIELDS, &info) == 0) {
        fillFromStatx(info, entry);
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

// The next name of the search and its kind: a SearchStep.
static int nextName(DirSearch* search, const char*& name, size_t& length, unsigned char& kind) {
    if (search->stored) {
        if (search->at >= search->end) return SEARCH_END;
        const char* bytes = arena.bytes + search->at;
        kind = static_cast<unsigned char>(bytes[0]);
        length = static_cast<unsigned char>(bytes[1]);
        name = bytes + 2;
        search->at += static_cast<uint32_t>(2 + length);
        return SEARCH_ENTRY;
    }
    const struct dirent64* record =
        readRecord(search->descriptor, search->buffer, search->bufferUsed, search->bufferAt);
    if (!record) return errno ? SEARCH_ERROR : SEARCH_END;
    name = record->d_name;
    length = strnlen(name, NAME_MAX);
    kind = record->d_type;
    return SEARCH_ENTRY;
}

static int nextEntry(DirSearch* search, DirEntry* entry) {
    if (search->descriptor < 0) return SEARCH_END;
    const char* name;
    size_t length;
    unsigned char kind;
    int step;
    while ((step = nextName(search, name, length, kind)) == SEARCH_ENTRY) {
        if (fillEntry(search, name, length, kind, entry)) return SEARCH_ENTRY;
    }
    return step;
}

// A names-only search of a folder that is not known to hold no folder: opened
// below the search of its parent when that is still open, read whole into the
// arena, and kept open while the walk goes below it.
static bool startWalkSearch(DirSearch* search, const char* folder, bool onParentDevice) {
    if (!copyText(search->path, sizeof search->path, folder)) return false;
    DirSearch* parent = innermostWalk;
    const char* name = nullptr;
    if (parent) {
        size_t length = strlen(parent->path);
        bool rootParent = length == 1 && parent->path[0] == '/';
        if (length > 0 && strncmp(folder, parent->path, length) == 0 &&
            (rootParent || folder[length] == '/')) {
            name = folder + length + (rootParent ? 0 : 1);
            if (!name[0] || strchr(name, '/')) name = nullptr;
        }
    } else {
        // A new walk: the folders of the one before are no longer needed.
        releaseArena();
    }
    if (name)
        search->descriptor =
            openat(parent->descriptor, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    else
        search->descriptor = open(folder[0] ? folder : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (search->descriptor < 0) return false;
    if (!parent && copyText(arena.rootPath, sizeof arena.rootPath, folder))
        arena.rootDescriptor = fcntl(search->descriptor, F_DUPFD_CLOEXEC, 0);
    struct stat info;
    if (onParentDevice && parent) {
        search->device = parent->device;
        search->linksCountFolders = true;
    } else if (fstat(search->descriptor, &info) == 0) {
        // The kind of file system goes with the device: asked once for each.
        search->device = info.st_dev;
        search->linksCountFolders = parent && parent->device == info.st_dev
                                        ? parent->linksCountFolders
                                        : linksCountFolders(search->descriptor);
    }
    // A record is named within its parent's only when the parent has one.
    bool named = name && parent->stored;
    int stored = storeFolder(search, named ? parent->record + 1 : 0, named ? name : folder);
    if (stored < 0) return false;
    if (stored == 0) {
        search->buffer = static_cast<char*>(malloc(READ_BUFFER));
        if (!search->buffer) return false;
    }
    search->outer = parent;
    innermostWalk = search;
    return true;
}

// Each thread keeps the folder of its last file search open, and those above
// it, each a prefix of `path`: the folders come in the report's order, so the
// next one is mostly below one of them and is opened by its name there, which
// on a network share is one lookup rather than one for each of its path's
// names. The descriptors close when the thread ends or the listing's searches
// are over.
enum { OPEN_DEPTH = 8 };

struct OpenFolders {
    char path[PATH_BUFFER];
    int count;
    size_t lengths[OPEN_DEPTH];
    int descriptors[OPEN_DEPTH];
};

static pthread_key_t openFoldersKey;
static pthread_once_t openFoldersOnce = PTHREAD_ONCE_INIT;
static bool openFoldersReady;

static void closeOpenFolders(void* held) {
    OpenFolders* folders = static_cast<OpenFolders*>(held);
    for (int i = 0; i < folders->count; ++i)
        close(folders->descriptors[i]);
    free(folders);
}

static void makeOpenFoldersKey() {
    openFoldersReady = pthread_key_create(&openFoldersKey, closeOpenFolders) == 0;
}

static OpenFolders* threadOpenFolders() {
    pthread_once(&openFoldersOnce, makeOpenFoldersKey);
    if (!openFoldersReady) return nullptr;
    OpenFolders* folders = static_cast<OpenFolders*>(pthread_getspecific(openFoldersKey));
    if (folders) return folders;
    folders = static_cast<OpenFolders*>(calloc(1, sizeof(OpenFolders)));
    if (folders && pthread_setspecific(openFoldersKey, folders) != 0) {
        free(folders);
        return nullptr;
    }
    return folders;
}

static void releaseOpenFolders() {
    if (!openFoldersReady) return;
    OpenFolders* folders = static_cast<OpenFolders*>(pthread_getspecific(openFoldersKey));
    if (!folders) return;
    pthread_setspecific(openFoldersKey, nullptr);
    closeOpenFolders(folders);
}

static int openFileFolder(const char* folder) {
    OpenFolders* folders = threadOpenFolders();
    const char* rest = nullptr;
    int descriptor;
    if (folders) {
        while (folders->count > 0 &&
               !(rest = partBelow(folders->path, folders->lengths[folders->count - 1], folder)))
            close(folders->descriptors[--folders->count]);
    }
    if (rest) {
        descriptor = openat(folders->descriptors[folders->count - 1], rest,
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } else if ((rest = belowRoot(folder))) {
        descriptor =
            openat(arena.rootDescriptor, rest, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } else {
        descriptor = open(folder[0] ? folder : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (descriptor < 0 || !folders || folders->count == OPEN_DEPTH) return descriptor;
    size_t length = strlen(folder);
    if (length == 0 || length >= sizeof folders->path) return descriptor;
    int kept = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (kept < 0) return descriptor;
    memcpy(folders->path, folder, length + 1);
    folders->lengths[folders->count] = length;
    folders->descriptors[folders->count++] = kept;
    return descriptor;
}

// A search of a folder's files: its names from the walk's record when there is
// one, else read now; the folder is opened below the walk's first one.
static bool startFileSearch(DirSearch* search, const char* folder) {
    search->descriptor = openFileFolder(folder);
    if (search->descriptor < 0) return false;
    int64_t record = findRecord(folder);
    if (record >= 0) {
        FolderRecord header = recordAt(static_cast<uint32_t>(record));
        search->stored = true;
        search->at = static_cast<uint32_t>(record + sizeof header + header.nameLength);
        search->end = search->at + header.entryBytes;
        return true;
    }
    search->buffer = static_cast<char*>(malloc(READ_BUFFER));
    return search->buffer != nullptr;
}

static int posixFindNext(const Platform&, DirSearch* search, DirEntry* entry) {
    return nextEntry(search, entry);
}

static void closeSearch(DirSearch* search) {
    if (search->detail == SEARCH_KINDS_ONLY) {
        knownOnDevice[0] = '\0';
        if (innermostWalk == search) innermostWalk = search->outer;
    }
    if (search->descriptor >= 0) close(search->descriptor);
    free(search->buffer);
    free(search);
}

// The one entry of a search that reads nothing: the folder itself.
static DirSearch* dotAlone(DirSearch* search, DirEntry* entry) {
    *entry = DirEntry();
    copyText(entry->name, sizeof entry->name, ".");
    entry->attributes = FOLDER_ATTRIBUTE;
    return search;
}

static void posixFindClose(const Platform&, DirSearch* search) {
    closeSearch(search);
}

static DirSearch* posixFindFirst(const Platform&, const char* folder, SearchDetail detail,
                                 DirEntry* entry) {
    // Only the walk's searches use the note and the arena's writing, so
    // searches of files may run on several threads at once.
    bool onDevice = false;
    if (detail == SEARCH_KINDS_ONLY) {
        onDevice = folder[0] && strcmp(folder, knownOnDevice) == 0;
        knownOnDevice[0] = '\0';
    }
    bool withoutFolders = onDevice && knownWithoutFolders;
    DirSearch* search = static_cast<DirSearch*>(calloc(1, sizeof(DirSearch)));
    if (!search) return nullptr;
    search->detail = detail;
    search->descriptor = -1;
    if (withoutFolders) return dotAlone(search, entry);
    errno = 0;
    bool started = detail == SEARCH_KINDS_ONLY ? startWalkSearch(search, folder, onDevice)
                                               : startFileSearch(search, folder);
    int step = started ? nextEntry(search, entry) : SEARCH_ERROR;
    if (step == SEARCH_ENTRY) return search;
    // The end of a folder that has not even "." is an empty folder; an error is not.
    if (step == SEARCH_END) return dotAlone(search, entry);
    int reason = errno ? errno : EIO;
    closeSearch(search);
    errno = reason;
    return nullptr;
}

static int posixFileTimeToCalendar(const Platform&, FileTime time, CalendarTime* calendar) {
    return calendarFromFileTime(time, calendar);
}

static void posixShowMessage(const Platform&, DialogHandle, const UserMessage& message,
                             int reason) {
    if (reason)
        fprintf(stderr, "%s: %s: %s\n", message.caption, message.text, strerror(reason));
    else
        fprintf(stderr, "%s: %s\n", message.caption, message.text);
}

static void posixEndDialog(const Platform&, DialogHandle, int) {}

static void posixNoteIncomplete(const Platform&, DialogHandle, IncompleteKind, const char*, int) {}

// The end of a listing's searches frees what the walk kept.
static void posixExpectSearches(const Platform&, const FolderEntry*, int32_t count) {
    if (count > 0) return;
    releaseArena();
    releaseOpenFolders();
}

const Platform systemPlatform = {
    nullptr,          nullptr,          posixFindFirst,     posixFindNext,
    posixFindClose,   posixFileTimeToCalendar, runtimeTextColumns, posixShowMessage,
    posixEndDialog,   posixNoteIncomplete, runtimeReallocate, stdioOpenReport,
    stdioWriteReport, stdioCloseReport, posixExpectSearches,
};

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
