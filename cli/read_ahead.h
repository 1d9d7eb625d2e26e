// Reading folders ahead: while the walk goes down one folder, and while one
// folder's section of the report is written, other threads search the folders
// that come next into buffers of their own, and the searches are answered from
// those buffers in their own order, so the report and its failures stay the
// same byte for byte.
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform.h"

// The most that the buffers of folders read ahead hold at once. Past its
// share, a folder's search is handed over still open, and the one who asked
// for the folder reads on where the reader stopped.
enum { READ_AHEAD_BYTES = 4 * 1024 * 1024, READ_AHEAD_WINDOW = 16 };

// What a reader's search of one folder gave: its first entries as stored
// bytes, then the rest of its search or how the search ended.
struct FolderRead {
    bool ready = false; // false while a reader is at it
    char* bytes = nullptr;
    size_t used = 0;
    int error = 0;             // the reason of a search that failed, at its start or midway
    DirSearch* rest = nullptr; // the search, still open, past what the bytes hold
};

// One of the report's folders read ahead.
struct ReadAheadSlot {
    int32_t index = -1; // the folder it holds, or -1
    FolderRead read;
};

// A folder the walk will come to. Folders are keyed by their place in the
// walk's order: the key of their parent, then their rank among its subfolders
// as 4 bytes, most significant first, so that keys compare as the walk goes.
struct WalkAhead {
    uint32_t node;
    std::string path;
};

// One of the walk's folders taken by a reader, known by its node and path.
struct WalkedSlot : WalkAhead {
    std::string key;
    FolderRead read;
};

// The state of reading ahead, all of it. During the walk: the subfolders of
// the folders read so far, taken by readers in the walk's order while what
// waits for the walk stays within bounds. During the report: a bounded queue
// of the planned folders, in which the readers take folder i + 16 only once
// the report has taken folder i.
struct ReadAhead {
    // `threads` - 1 readers to start with, up to `mostThreads` - 1 while reads wait.
    ReadAhead(int threads, int mostThreads) : readers(threads - 1), mostReaders(mostThreads - 1) {}
    ~ReadAhead();

    const Platform* below = nullptr;
    int readers;
    int mostReaders;
    std::mutex lock;
    std::condition_variable submitted; // a folder may be taken by a reader
    std::condition_variable done;      // the folder waited for is read
    std::vector<std::thread> threads;
    ListingState* listing = nullptr;
    std::map<std::string, WalkAhead> walkNext; // the walk's folders no thread has taken, by key
    std::vector<WalkedSlot> walked;            // the walk's folders taken by readers
    size_t walkedBytes = 0;                    // what their entries take
    std::string walkAt;            // the key of the last offered folder the walk came to
    uint32_t unknownSince = 0;     // the folders it came to since, offered to none
    bool walkLate = false;         // the walk's folders come late: readers go ahead of it
    bool reportOnlyIfLate = false; // readers go ahead of the report only if walkLate
    bool walkSlow = false;         // the walk's last read took a millisecond or more
    int lateInRow = 0;             // the walk's last reads that came late, while it goes alone
    const FolderEntry* planned = nullptr;
    int32_t plannedCount = 0;
    int32_t nextWanted = 0; // the folder the report asks for next
    int32_t nextToRead = 0; // the first folder no thread has taken
    bool stopping = false;
    ReadAheadSlot slots[READ_AHEAD_WINDOW];
};

// The layer over `below` that answers the walk's and the report's searches
// from `ahead`, with its readers beside the listing's own thread; with no
// reader it hands every call down.
Platform readAheadLayer(const Platform& below, ReadAhead& ahead);
