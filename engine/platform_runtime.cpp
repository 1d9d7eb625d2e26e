#include "platform_runtime.h"

#include <stdio.h>
#include <string.h>

#include "text.h"

size_t runtimeTextColumns(const Platform&, const char* text) {
    return strlen(text);
}

int runtimeShowName(const Platform&, const char* real, char* shown, size_t capacity) {
    return copyText(shown, capacity, real);
}

void runtimeNoteIncomplete(const Platform&, DialogHandle, IncompleteKind, const char*, const char*,
                           int) {}

void runtimeExpectSearches(const Platform&, ListingState*, const FolderEntry*, int32_t) {}

void dotEntry(DirEntry* entry) {
    *entry = {{FOLDER_ATTRIBUTE, 0, 0, {0, 0}, 0}, ".", ".", 0};
}

// Binary mode: the writer puts CR LF itself, so every platform writes the same bytes.
ReportFile* stdioOpenReport(const Platform&, const char* name) {
    return reinterpret_cast<ReportFile*>(fopen(name, "wb"));
}

int stdioWriteReport(const Platform&, ReportFile* file, const char* bytes, size_t length) {
    return fwrite(bytes, 1, length, reinterpret_cast<FILE*>(file)) == length;
}

int stdioCloseReport(const Platform&, ReportFile* file) {
    FILE* stream = reinterpret_cast<FILE*>(file);
    bool flushed = fflush(stream) == 0 && !ferror(stream);
    bool closed = fclose(stream) == 0;
    return flushed && closed;
}
