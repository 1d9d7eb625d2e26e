// The pass-through layer: each entry calls the same entry of the layer below.
#include "platform.h"

static int downBeginListing(const Platform& self, const char* folder, ListingOptions options,
                            ListingState** listing) {
    return self.below->beginListing(*self.below, folder, options, listing);
}
static void downEndListing(const Platform& self, ListingState* listing) {
    self.below->endListing(*self.below, listing);
}
static int downShowName(const Platform& self, const char* real, char* shown, size_t capacity) {
    return self.below->showName(*self.below, real, shown, capacity);
}
static int downRealPath(const Platform& self, const SearchFolder& folder, char* out,
                        size_t capacity) {
    return self.below->realPath(*self.below, folder, out, capacity);
}
static DirSearch* downFindFirst(const Platform& self, const SearchFolder& folder,
                                SearchDetail detail, DirEntry* entry) {
    return findFirst(*self.below, folder, detail, entry);
}
static int downFindNext(const Platform& self, DirSearch* search, DirEntry* entry) {
    return findNext(*self.below, search, entry);
}
static void downFindClose(const Platform& self, DirSearch* search) {
    findClose(*self.below, search);
}
static int downFileTimeToCalendar(const Platform& self, FileTime time, CalendarTime* calendar) {
    return self.below->fileTimeToCalendar(*self.below, time, calendar);
}
static size_t downTextColumns(const Platform& self, const char* text) {
    return self.below->textColumns(*self.below, text);
}
static size_t downTextLength(const Platform& self, const char* text) {
    return self.below->textLength(*self.below, text);
}
static void downShowMessage(const Platform& self, DialogHandle owner, const UserMessage& message,
                            int reason) {
    self.below->showMessage(*self.below, owner, message, reason);
}
static void downEndDialog(const Platform& self, DialogHandle owner, int result) {
    self.below->endDialog(*self.below, owner, result);
}
static void downNoteIncomplete(const Platform& self, DialogHandle owner, IncompleteKind kind,
                               const char* path, const char* realPath, int reason) {
    self.below->noteIncomplete(*self.below, owner, kind, path, realPath, reason);
}
static void* downReallocate(const Platform& self, void* block, size_t bytes) {
    return self.below->reallocate(*self.below, block, bytes);
}
static ReportFile* downOpenReport(const Platform& self, const char* name) {
    return self.below->openReport(*self.below, name);
}
static int downWriteReport(const Platform& self, ReportFile* file, const char* bytes,
                           size_t length) {
    return self.below->writeReport(*self.below, file, bytes, length);
}
static int downCloseReport(const Platform& self, ReportFile* file) {
    return self.below->closeReport(*self.below, file);
}
static void downExpectSearches(const Platform& self, ListingState* listing,
                               const FolderEntry* folders, int32_t count) {
    self.below->expectSearches(*self.below, listing, folders, count);
}

Platform layerOver(const Platform& below, void* context) {
    return {&below,          context,         downBeginListing,   downEndListing,
            downShowName,    downRealPath,    downFindFirst,      downFindNext,
            downFindClose,   downFileTimeToCalendar, downTextColumns, downTextLength, downShowMessage,
            downEndDialog,   downNoteIncomplete, downReallocate,  downOpenReport,
            downWriteReport, downCloseReport, downExpectSearches};
}
