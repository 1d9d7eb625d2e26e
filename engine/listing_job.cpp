#include "listing_job.h"

#include "platform.h"
#include "text.h"

int32_t createJob(ListingJob& job, const Platform& platform, const char* path, ListingOptions options, bool& filesReserved,
                  bool& foldersReserved) {
    job = ListingJob();
    copyText(job.currentPath, sizeof job.currentPath, path);
    job.options = options;
    job.platform = &platform;
    job.files =
        static_cast<FileEntry*>(platform.reallocate(platform, nullptr, GROWTH_STEP * sizeof(FileEntry)));
    job.folders =
        static_cast<FolderEntry*>(platform.reallocate(platform, nullptr, GROWTH_STEP * sizeof(FolderEntry)));
    filesReserved = job.files != nullptr;
    foldersReserved = job.folders != nullptr;
    if (!filesReserved || !foldersReserved) {
        releaseJob(job);
        return RESULT_OUT_OF_MEMORY;
    }
    job.fileCapacity = GROWTH_STEP;
    job.folderCapacity = GROWTH_STEP;
    return RESULT_OK;
}

void releaseJob(ListingJob& job) {
    if (job.files) job.platform->reallocate(*job.platform, job.files, 0);
    if (job.folders) job.platform->reallocate(*job.platform, job.folders, 0);
    job.files = nullptr;
    job.folders = nullptr;
    job.fileCapacity = 0;
    job.folderCapacity = 0;
}

// Both arrays grow the same way; only the record type differs.
template <typename Record>
static int32_t reserveRecord(const Platform& platform, Record*& records, int32_t& capacity,
                             int32_t index) {
    if (index < capacity) return RESULT_OK;
    size_t grown = static_cast<size_t>(capacity) + GROWTH_STEP;
    void* block = platform.reallocate(platform, records, grown * sizeof(Record));
    if (!block) return RESULT_OUT_OF_MEMORY;
    records = static_cast<Record*>(block);
    capacity = static_cast<int32_t>(grown);
    return RESULT_OK;
}

int32_t reserveFileRecord(ListingJob& job, int32_t index) {
    return reserveRecord(*job.platform, job.files, job.fileCapacity, index);
}

int32_t reserveFolderRecord(ListingJob& job, int32_t index) {
    return reserveRecord(*job.platform, job.folders, job.folderCapacity, index);
}
