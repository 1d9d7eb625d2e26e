// Reading folders ahead of the report: while one folder's section is written,
// other threads search the folders that follow it into buffers of their own,
// and the report's searches are answered from those buffers in the report's
// own order, so the report and its failures stay the same byte for byte.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform.h"

// The most that the buffers of folders read ahead hold at once. A folder that
// does not fit its share, or whose buffer cannot be had, is searched by the
// report's own thread when its turn comes, as without reading ahead.
enum { READ_AHEAD_BYTES = 4 * 1024 * 1024, READ_AHEAD_WINDOW = 16 };

// One folder read ahead: its entries as stored bytes, and how its search ended.
struct ReadAheadSlot {
    int32_t index = -1; // the folder it holds, or -1
    int state = 0;      // a free slot's is never looked at
    char* bytes = nullptr;
    size_t used = 0;
    int error = 0; // the reason of a search that failed, at its start or midway
};

// The state of reading ahead, all of it: a bounded queue of the planned
// folders, in which the readers take folder i + 16 only once the report has
// taken folder i. The readers run from the moment the report opens until its
// searches are over.
struct ReadAhead {
    explicit ReadAhead(int threads) : readers(threads - 1) {}
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    const Platform* below = nullptr;
    int readers;
    std::mutex lock;
    std::condition_variable submitted; // a folder may be taken by a reader
    std::condition_variable done;      // the folder the report waits for is read
    std::vector<std::thread> threads;
    ListingState* listing = nullptr;
    const FolderEntry* planned = nullptr;
    int32_t plannedCount = 0;
    int32_t nextWanted = 0; // the folder the report asks for next
    int32_t nextToRead = 0; // the first folder no thread has taken
    bool stopping = false;
    ReadAheadSlot slots[READ_AHEAD_WINDOW];
};

// The layer over `below` that answers the report's searches from `ahead`, with
// `threads` - 1 readers beside the report's own thread; with 1 or less it
// hands every call down.
Platform readAheadLayer(const Platform& below, ReadAhead& ahead);
