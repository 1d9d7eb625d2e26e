#include "fake_platform.h"

#include <errno.h>

static FakePlatform* current = nullptr;

static DirSearch* fakeFindFirst(const char* folder, SearchDetail detail, DirEntry* entry) {
    current->searched.push_back(folder);
    if (current->unsearchable.count(folder)) {
        errno = EACCES;
        return nullptr;
    }
    return defaultPlatform.findFirst(folder, detail, entry);
}

static void fakeShowMessage(DialogHandle, const UserMessage& message, int) {
    current->messages.push_back({message.code, message.text, message.caption});
}

static void fakeEndDialog(DialogHandle, int) {
    ++current->dialogsEnded;
}

static void fakeNoteIncomplete(DialogHandle, IncompleteKind kind, const char* path, int) {
    if (kind == INCOMPLETE_PATH_TOO_LONG) current->leftOut.push_back(path);
    if (kind == INCOMPLETE_FOLDER_UNREADABLE) current->unreadable.push_back(path);
}

static void* fakeReallocate(void* block, size_t bytes) {
    if (bytes == 0) {
        if (block) --current->liveBlocks;
        return defaultPlatform.reallocate(block, 0);
    }
    ++current->allocations;
    int n = current->allocations;
    int failing = current->failingAllocation;
    if (failing > 0 && (current->onlyOneFails ? n == failing : n >= failing)) return nullptr;
    void* result = defaultPlatform.reallocate(block, bytes);
    if (result && !block) ++current->liveBlocks;
    return result;
}

static ReportFile* fakeOpenReport(const char* name) {
    if (current->beforeReportOpens) current->beforeReportOpens();
    return current->failOpen ? nullptr : defaultPlatform.openReport(name);
}

static int fakeWriteReport(ReportFile* file, const char* bytes, size_t length) {
    if (current->failWrites) return 0;
    return defaultPlatform.writeReport(file, bytes, length);
}

static int fakeCloseReport(ReportFile* file) {
    int closed = defaultPlatform.closeReport(file);
    return current->failClose ? 0 : closed;
}

FakePlatform::FakePlatform() {
    current = this;
    platform.findFirst = fakeFindFirst;
    platform.showMessage = fakeShowMessage;
    platform.endDialog = fakeEndDialog;
    platform.noteIncomplete = fakeNoteIncomplete;
    platform.reallocate = fakeReallocate;
    platform.openReport = fakeOpenReport;
    platform.writeReport = fakeWriteReport;
    platform.closeReport = fakeCloseReport;
}

FakePlatform::~FakePlatform() {
    platform = defaultPlatform;
    current = nullptr;
}
