// The system's layer on Linux: folders are read with getdents64.
// Symbolic links are never followed: a link is an ordinary entry with its own
// length and time, so a walk always ends.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "calendar.h"
#include "platform.h"
#include "platform_runtime.h"
#include "text.h"

const char PATH_SEPARATOR = '/';

enum { READ_BUFFER = 32768, OPEN_DEPTH = 160, NODE_BLOCK = 1 << 14, NODE_BLOCKS = 1 << 14 };

// A folder of the listing. The walk reads each folder once, for its folders,
// and keeps its entries, each with what the walk had to learn of it, so that
// the search of its files reads it no more and examines only what the walk did
// not. A folder is opened by its real name below its parent, never by a path:
// neither the length of a real path nor the report's form of a name stands in
// the way (a network share also answers one lookup rather than one a name).
// Several threads read folders of one walk at once: a folder's entries are a
// block of its own and nodes never move, so what one thread has kept stays
// where another reads it.
struct FolderNode {
    uint32_t parent;  // its parent's node; 0 for the selected folder
    const char* name; // its real name, in its parent's entries (selected folder: its path)
    char* entries;    // its kept entries, once read
    uint32_t entriesSize;
    bool read;
    bool withoutFolders; // its link count says it holds none: the walk need not read it
    bool otherDevice;    // -x: on another device than its parent, so left out
    bool deviceKnown;
    bool linksCountFolders;
    dev_t device;
};

// A kept entry: this header, the name and its terminator, then the details
// when the walk had to examine the entry to learn its kind.
struct KeptEntry {
    uint32_t node; // a folder's node, else 0
    uint8_t kind;  // as dirent's d_type
    uint8_t nameLength;
    uint8_t examined;
};

static size_t keptSize(const KeptEntry& header) {
    return sizeof header + header.nameLength + 1 + (header.examined ? sizeof(EntryDetails) : 0);
}

// The folders one thread holds open: the selected folder and those below it
// down to the last one it opened. The next folder, in the report's order, is
// mostly below one of them.
struct OpenChain {
    OpenChain* next; // among the chains no search holds
    int count;
    uint32_t nodes[OPEN_DEPTH];
    int descriptors[OPEN_DEPTH];
};

struct ListingState {
    FolderNode* nodes[NODE_BLOCKS]; // blocks of NODE_BLOCK nodes, from index 1
    uint32_t nodeCount;
    char* selectedPath;
    bool oneFileSystem;   // -x: folders on another device are left out of the walk
    pthread_mutex_t lock; // of `chains` and `nodeCount`: readers search at once
    OpenChain* chains;
};

struct DirSearch {
    ListingState* listing;
    uint32_t node;
    SearchDetail detail;
    int descriptor; // -1 while nothing needs the folder open
    const char* path;
    // The entries: kept ones in `keptBytes` from `at` to `end`, or read into `buffer`.
    bool kept;
    const char* keptBytes;
    uint32_t at;
    uint32_t end;
    char* buffer;
    size_t bufferUsed;
    size_t bufferAt;
};

static FolderNode& nodeAt(const ListingState& listing, uint32_t index) {
    return listing.nodes[index / NODE_BLOCK][index % NODE_BLOCK];
}

// A new node for the folder named `name`. Returns its index, or 0.
static uint32_t addNode(ListingState& listing, uint32_t parent, const char* name) {
    pthread_mutex_lock(&listing.lock);
    uint32_t index = listing.nodeCount;
    FolderNode** block =
        index / NODE_BLOCK < NODE_BLOCKS ? &listing.nodes[index / NODE_BLOCK] : nullptr;
    if (block && !*block) *block = static_cast<FolderNode*>(calloc(NODE_BLOCK, sizeof(FolderNode)));
    if (block && *block)
        ++listing.nodeCount;
    else
        index = 0;
    pthread_mutex_unlock(&listing.lock);
    if (index) {
        nodeAt(listing, index).parent = parent;
        nodeAt(listing, index).name = name;
    }
    return index;
}

static void closeChain(OpenChain& chain, int keep) {
    while (chain.count > keep)
        close(chain.descriptors[--chain.count]);
}

static void posixEndListing(const Platform&, ListingState* listing) {
    while (OpenChain* chain = listing->chains) {
        listing->chains = chain->next;
        closeChain(*chain, 0);
        free(chain);
    }
    pthread_mutex_destroy(&listing->lock);
    for (uint32_t index = SELECTED_FOLDER_NODE; index < listing->nodeCount; ++index)
        free(nodeAt(*listing, index).entries);
    for (FolderNode* block : listing->nodes)
        free(block);
    free(listing->selectedPath);
    free(listing);
}

static int posixBeginListing(const Platform&, const char* folder, ListingOptions options,
                             ListingState** made) {
    ListingState* listing = static_cast<ListingState*>(calloc(1, sizeof(ListingState)));
    *made = listing;
    if (!listing || pthread_mutex_init(&listing->lock, nullptr) != 0) {
        free(listing);
        return 0;
    }
    listing->nodeCount = SELECTED_FOLDER_NODE;
    listing->oneFileSystem = options & STAY_ON_FILE_SYSTEM;
    listing->selectedPath = strdup(folder);
    if (!listing->selectedPath || !addNode(*listing, 0, listing->selectedPath)) {
        posixEndListing(Platform(), listing);
        return 0;
    }
    return 1;
}

static int openBelow(int parent, const char* name) {
    if (parent < 0) return open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Puts in `line` the nodes from `index` up to the selected folder. Returns
// their count, or 0 with errno ENAMETOOLONG when they are more than OPEN_DEPTH.
static int lineOf(const ListingState& listing, uint32_t index, uint32_t* line) {
    int depth = 0;
    for (uint32_t at = index; at != 0; at = nodeAt(listing, at).parent) {
        if (depth == OPEN_DEPTH) return errno = ENAMETOOLONG, 0;
        line[depth++] = at;
    }
    return depth;
}

// Opens folder `index` by its name below the deepest folder above it that
// `chain` holds, opening those between the same way and holding them too.
static int openInChain(const ListingState& listing, OpenChain& chain, uint32_t index) {
    uint32_t line[OPEN_DEPTH];
    int depth = lineOf(listing, index, line);
    if (depth == 0) return -1;
    int held = 0;
    while (held < chain.count && held < depth - 1 && chain.nodes[held] == line[depth - 1 - held])
        ++held;
    closeChain(chain, held);
    for (int level = held; level < depth; ++level) {
        uint32_t at = line[depth - 1 - level];
        int descriptor =
            openBelow(level ? chain.descriptors[level - 1] : -1, nodeAt(listing, at).name);
        if (descriptor < 0) return -1;
        chain.nodes[chain.count] = at;
        chain.descriptors[chain.count++] = descriptor;
    }
    // The folder searched stays held too, for the folders below it: the search
    // has a copy of its own, or without one takes the chain's.
    int copy = fcntl(chain.descriptors[chain.count - 1], F_DUPFD_CLOEXEC, 0);
    return copy >= 0 ? copy : chain.descriptors[--chain.count];
}

// Opens the folder of a search: by its node in a listing, else by its path.
static bool openFolder(DirSearch* search) {
    if (!search->listing) {
        search->descriptor = openBelow(-1, search->path[0] ? search->path : ".");
        return search->descriptor >= 0;
    }
    // A chain no other search holds, given back once the folder is open.
    ListingState& listing = *search->listing;
    pthread_mutex_lock(&listing.lock);
    OpenChain* chain = listing.chains;
    if (chain) listing.chains = chain->next;
    pthread_mutex_unlock(&listing.lock);
    if (!chain) chain = static_cast<OpenChain*>(calloc(1, sizeof(OpenChain)));
    if (!chain) return false;
    search->descriptor = openInChain(listing, *chain, search->node);
    pthread_mutex_lock(&listing.lock);
    chain->next = listing.chains;
    listing.chains = chain;
    pthread_mutex_unlock(&listing.lock);
    return search->descriptor >= 0;
}

// File systems that keep a folder's link count at 2 plus its subfolders.
static bool linksCountFolders(int descriptor) {
    struct statfs volume;
    if (fstatfs(descriptor, &volume) != 0) return false;
    return volume.f_type == EXT4_SUPER_MAGIC || volume.f_type == XFS_SUPER_MAGIC ||
           volume.f_type == TMPFS_MAGIC;
}

// Only the fields an entry holds are asked for, which spares a network file
// system the others.
enum { ENTRY_FIELDS = STATX_TYPE | STATX_SIZE | STATX_MTIME };

// Examines `name` in the folder. Returns 0 when it vanished before it could be
// looked at; the search then passes over it.
static int examine(int folder, const char* name, EntryDetails& details, unsigned char& kind) {
    struct statx info;
    details = EntryDetails();
    if (statx(folder, name, AT_SYMLINK_NOFOLLOW, ENTRY_FIELDS, &info) != 0) {
        if (errno == ENOENT) return 0;
        // Listed but not examinable (a folder without search permission): kept,
        // with an unknown length and time rather than made-up ones.
        details.detailsError = errno;
        details.lastWrite = UNKNOWN_FILE_TIME;
        return 1;
    }
    kind = S_ISDIR(info.stx_mode) ? DT_DIR : DT_REG;
    details.attributes = S_ISDIR(info.stx_mode) ? FOLDER_ATTRIBUTE : 0;
    uint64_t size = S_ISREG(info.stx_mode) || S_ISLNK(info.stx_mode) ? info.stx_size : 0;
    details.sizeHigh = static_cast<uint32_t>(size >> 32);
    details.sizeLow = static_cast<uint32_t>(size);
    details.lastWrite = fileTimeFromUnix(info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec);
    return 1;
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

// What subfolder `child` tells of itself, asked only where it counts: with -x,
// whether it is a mount point, on another device than `parent`; on the same
// device, where link counts count folders, whether it holds none.
static void learnSubfolder(ListingState& listing, uint32_t parent, int folder, const char* name,
                           uint32_t child) {
    const FolderNode& above = nodeAt(listing, parent);
    FolderNode& node = nodeAt(listing, child);
    struct stat info;
    if (!(listing.oneFileSystem || above.linksCountFolders) ||
        fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    if (info.st_dev != above.device) {
        node.otherDevice = listing.oneFileSystem;
    } else if (above.linksCountFolders && S_ISDIR(info.st_mode)) {
        node.deviceKnown = true;
        node.device = info.st_dev;
        node.linksCountFolders = true;
        node.withoutFolders = info.st_nlink == 2;
    }
}

// A folder's entries as they are read: a block that grows, then is kept.
struct KeptBlock {
    char* bytes;
    size_t used;
    size_t capacity;
};

// Keeps one entry of folder `parent`, with a node when it is a folder (its
// name found again once the block stops moving).
static bool keepEntry(ListingState& listing, uint32_t parent, int folder, KeptBlock& block,
                      const char* name, unsigned char kind) {
    EntryDetails details;
    bool examined = kind == DT_UNKNOWN && !isDotEntry(name);
    if (examined && !examine(folder, name, details, kind)) return true;
    size_t length = strlen(name);
    KeptEntry header = {0, kind, static_cast<uint8_t>(length), examined};
    size_t size = keptSize(header);
    if (block.used + size > block.capacity) {
        // An entry takes less than a first block's 1024 bytes: doubling makes room.
        size_t capacity = block.capacity ? 2 * block.capacity : 1024;
        char* grown =
            capacity <= UINT32_MAX ? static_cast<char*>(realloc(block.bytes, capacity)) : nullptr;
        if (!grown) return false;
        block.bytes = grown;
        block.capacity = capacity;
    }
    char* at = block.bytes + block.used;
    memcpy(at + sizeof header, name, length + 1);
    if (examined) memcpy(at + sizeof header + length + 1, &details, sizeof details);
    if (kind == DT_DIR && !isDotEntry(name)) {
        header.node = addNode(listing, parent, nullptr);
        if (!header.node) return false;
        learnSubfolder(listing, parent, folder, name, header.node);
    }
    memcpy(at, &header, sizeof header);
    block.used += size;
    return true;
}

// Reads folder `index` whole into its node. Returns false, with nothing kept,
// when the read fails or memory runs out (errno): a folder cut short is never
// kept as if whole. The folder is this thread's alone while it reads it.
static bool readIntoNode(ListingState& listing, uint32_t index, int folder) {
    FolderNode& node = nodeAt(listing, index);
    if (!node.deviceKnown) {
        struct stat info;
        if (fstat(folder, &info) != 0) return false;
        const FolderNode* parent = node.parent ? &nodeAt(listing, node.parent) : nullptr;
        // The kind of file system goes with the device: asked once for each.
        node.linksCountFolders = parent && parent->device == info.st_dev
                                     ? parent->linksCountFolders
                                     : linksCountFolders(folder);
        node.device = info.st_dev;
        node.deviceKnown = true;
    }
    KeptBlock block = {nullptr, 0, 0};
    char buffer[READ_BUFFER];
    size_t used = 0;
    size_t at = 0;
    for (;;) {
        const struct dirent64* record = readRecord(folder, buffer, used, at);
        if (!record && errno == 0) break;
        if (!record || !keepEntry(listing, index, folder, block, record->d_name, record->d_type)) {
            if (record) errno = ENOMEM;
            // The nodes it made stay unused: nothing leads to them.
            free(block.bytes);
            return false;
        }
    }
    // Where the block ends up, the subfolders' names are.
    char* kept = block.used ? static_cast<char*>(realloc(block.bytes, block.used)) : block.bytes;
    if (!kept) kept = block.bytes;
    for (size_t offset = 0; offset < block.used;) {
        KeptEntry header;
        memcpy(&header, kept + offset, sizeof header);
        if (header.node) nodeAt(listing, header.node).name = kept + offset + sizeof header;
        offset += keptSize(header);
    }
    node.entries = kept;
    node.entriesSize = static_cast<uint32_t>(block.used);
    node.read = true;
    return true;
}

// Fills `entry` with a name and what is known of it, examining it where a
// search of files needs what the folder did not tell. Returns 0 for an entry
// that vanished.
static int fillEntry(DirSearch* search, const char* name, unsigned char kind,
                     const EntryDetails* kept, uint32_t node, DirEntry* entry) {
    size_t length = strnlen(name, NAME_MAX);
    memcpy(entry->name, name, length + 1);
    memcpy(entry->realName, name, length + 1);
    entry->node = node;
    EntryDetails details = EntryDetails();
    bool needed = search->detail == SEARCH_FULL ? kind != DT_DIR : kind == DT_UNKNOWN;
    if (kept) {
        details = *kept;
    } else if (needed && !isDotEntry(name)) {
        if (search->descriptor < 0 && !openFolder(search)) return -1;
        if (!examine(search->descriptor, name, details, kind)) return 0;
    }
    if (kind == DT_DIR || isDotEntry(name)) details.attributes = FOLDER_ATTRIBUTE;
    static_cast<EntryDetails&>(*entry) = details;
    if (node && search->detail == SEARCH_KINDS_ONLY && nodeAt(*search->listing, node).otherDevice)
        entry->detailsError = EXDEV;
    return 1;
}

static int posixFindNext(const Platform&, DirSearch* search, DirEntry* entry) {
    for (;;) {
        int filled;
        if (search->kept) {
            if (search->at >= search->end) return SEARCH_END;
            const char* bytes = search->keptBytes + search->at;
            KeptEntry header;
            memcpy(&header, bytes, sizeof header);
            const char* name = bytes + sizeof header;
            EntryDetails details;
            if (header.examined) memcpy(&details, name + header.nameLength + 1, sizeof details);
            search->at += static_cast<uint32_t>(keptSize(header));
            filled = fillEntry(search, name, header.kind, header.examined ? &details : nullptr,
                               header.node, entry);
        } else {
            const struct dirent64* record = readRecord(search->descriptor, search->buffer,
                                                       search->bufferUsed, search->bufferAt);
            if (!record) return errno ? SEARCH_ERROR : SEARCH_END;
            filled = fillEntry(search, record->d_name, record->d_type, nullptr, 0, entry);
        }
        if (filled < 0) return SEARCH_ERROR;
        if (filled > 0) return SEARCH_ENTRY;
    }
}

// Starts the search: the folder's kept entries when the walk read it, else the
// walk's reading of it, else the folder read now.
static bool startSearch(DirSearch* search) {
    ListingState* listing = search->listing;
    FolderNode* node = listing ? &nodeAt(*listing, search->node) : nullptr;
    if (!node || !node->read) {
        if (!openFolder(search)) return false;
        if (node && search->detail == SEARCH_KINDS_ONLY) {
            if (!readIntoNode(*listing, search->node, search->descriptor)) return false;
            // Its entries are kept; its folders are opened through the chain.
            close(search->descriptor);
            search->descriptor = -1;
        }
    }
    if (node && node->read) {
        search->kept = true;
        search->keptBytes = node->entries;
        search->at = 0;
        search->end = node->entriesSize;
        return true;
    }
    search->buffer = static_cast<char*>(malloc(READ_BUFFER));
    return search->buffer != nullptr;
}

static void posixFindClose(const Platform&, DirSearch* search) {
    if (search->descriptor >= 0) close(search->descriptor);
    free(search->buffer);
    free(search);
}

// The one entry of a search that reads nothing: the folder itself.
static DirSearch* dotAlone(DirSearch* search, DirEntry* entry) {
    dotEntry(entry);
    search->kept = true;
    search->at = search->end = 0;
    return search;
}

static DirSearch* posixFindFirst(const Platform& self, const SearchFolder& folder,
                                 SearchDetail detail, DirEntry* entry) {
    DirSearch* search = static_cast<DirSearch*>(calloc(1, sizeof(DirSearch)));
    if (!search) return nullptr;
    search->listing = folder.node ? folder.listing : nullptr;
    search->node = folder.node;
    search->detail = detail;
    search->descriptor = -1;
    search->path = folder.path;
    // The walk need not read a folder known to hold no folder.
    if (search->listing && detail == SEARCH_KINDS_ONLY &&
        nodeAt(*search->listing, folder.node).withoutFolders)
        return dotAlone(search, entry);
    errno = 0;
    int step = startSearch(search) ? posixFindNext(self, search, entry) : SEARCH_ERROR;
    if (step == SEARCH_ENTRY) return search;
    // The end of a folder that has not even "." is an empty folder; an error is not.
    if (step == SEARCH_END) return dotAlone(search, entry);
    int reason = errno ? errno : EIO;
    posixFindClose(self, search);
    errno = reason;
    return nullptr;
}

// The real path of a node: the selected folder's path, then the names down.
static int posixRealPath(const Platform&, const SearchFolder& folder, char* out, size_t capacity) {
    if (!folder.listing || !folder.node) return copyText(out, capacity, folder.path);
    const ListingState& listing = *folder.listing;
    uint32_t line[OPEN_DEPTH];
    int depth = lineOf(listing, folder.node, line);
    int fits = depth > 0 && copyText(out, capacity, "");
    while (fits && depth > 0)
        fits = joinPath(out, capacity, out, nodeAt(listing, line[--depth]).name);
    return fits;
}

static void posixShowMessage(const Platform&, DialogHandle, const UserMessage& message,
                             int reason) {
    fprintf(stderr, "%s: %s%s%s\n", message.caption, message.text, reason ? ": " : "",
            reason ? strerror(reason) : "");
}

static void posixEndDialog(const Platform&, DialogHandle, int) {}

const Platform systemPlatform = {
    nullptr,
    nullptr,
    posixBeginListing,
    posixEndListing,
    runtimeShowName,
    posixRealPath,
    posixFindFirst,
    posixFindNext,
    posixFindClose,
    runtimeTextColumns,
    runtimeTextColumns,
    posixShowMessage,
    posixEndDialog,
    runtimeNoteIncomplete,
    stdioOpenReport,
    stdioWriteReport,
    stdioCloseReport,
    runtimeExpectSearches,
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
    char work[REAL_PATH_BUFFER] = "/";
    if (path[0] != '/') {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd) || !appendComponents(work, sizeof work, cwd)) return 0;
    }
    return appendComponents(work, sizeof work, path) && copyText(out, capacity, work);
}
