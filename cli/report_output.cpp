#include "report_output.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "report_files.h"
#include "text.h"

// A Ctrl-C the writer acts on ends the program as a shell reports an interrupt.
static const int INTERRUPTED_STATUS = 130;

static struct {
    Platform inner;
    const char* target;
    ReportFile* device; // written in place: open from the start until the engine takes it
    KeptReport* kept;   // rewritten in place from the temporary file once complete
    bool temporaryMade;
    char temporary[REAL_PATH_BUFFER];
    char temporaryFolder[REAL_PATH_BUFFER];
    const char* temporaryName;
} output;

// "/x/.r.ab12Cd" is held as the folder "/x" and the name ".r.ab12Cd".
static void splitTemporary() {
    copyText(output.temporaryFolder, sizeof output.temporaryFolder, output.temporary);
    char* separator = strrchr(output.temporaryFolder, PATH_SEPARATOR);
    output.temporaryName = output.temporary + (separator - output.temporaryFolder) + 1;
    separator[separator == output.temporaryFolder ? 1 : 0] = '\0';
}

// The temporary file beside `target`, or in the system's folder when null.
static int makeTemporary(const char* target) {
    if (!createTemporary(target, output.temporary, sizeof output.temporary)) return 0;
    output.temporaryMade = true;
    splitTemporary();
    return 1;
}

// The report is kept as it is, open, and rewritten once the listing is complete.
static int keepInPlace(const char* target) {
    output.kept = keepToRewrite(target);
    if (!output.kept) return 0;
    if (makeTemporary(nullptr)) return 1;
    releaseKept(output.kept);
    output.kept = nullptr;
    return 0;
}

int beginReportOutput(const char* target, const Platform& inner) {
    output.inner = inner;
    output.target = target;
    output.device = nullptr;
    output.kept = nullptr;
    output.temporaryMade = false;
    if (!target) return 1;
    if (writtenInPlace(target)) {
        output.device = inner.openReport(inner, target);
        return output.device != nullptr;
    }
    if (hasOtherNames(target) && keepInPlace(target)) return 1;
    if (makeTemporary(target)) return 1;
    // A folder the user may not write may still hold a report they may.
    int error = errno;
    if (keepInPlace(target)) return 1;
    errno = error;
    return 0;
}

ReportFile* openReportOutput(const char*) {
    if (!output.target) return reinterpret_cast<ReportFile*>(stdout);
    ReportFile* device = output.device;
    output.device = nullptr;
    if (device) return device;
    if (!temporaryOpening()) {
        errno = EINTR;
        return nullptr;
    }
    return output.inner.openReport(output.inner, output.temporary);
}

int writeReportOutput(ReportFile* file, const char* bytes, size_t length) {
    if (output.temporaryMade && interruptRequested()) {
        output.inner.closeReport(output.inner, file);
        removeTemporary(output.temporary);
        exit(INTERRUPTED_STATUS);
    }
    return output.inner.writeReport(output.inner, file, bytes, length);
}

// Standard output stays open for whatever follows; a failed flush still counts.
int closeReportOutput(ReportFile* file) {
    if (!output.target) return fflush(stdout) == 0 && !ferror(stdout);
    return output.inner.closeReport(output.inner, file);
}

int finishReportOutput(bool complete) {
    if (output.device) output.inner.closeReport(output.inner, output.device);
    output.device = nullptr;
    if (!output.temporaryMade) return 1;
    output.temporaryMade = false;
    KeptReport* kept = output.kept;
    output.kept = nullptr;
    bool placed = false;
    if (kept && complete)
        placed = rewriteFromTemporary(kept, output.temporary);
    else if (kept)
        releaseKept(kept);
    else if (complete)
        placed = replaceWithTemporary(output.temporary, output.target);
    if (kept || !placed) removeTemporary(output.temporary);
    return placed || !complete;
}

// Whether the search of `folder` may meet the temporary file, and whether
// `name` is it: a listing passes over the file being written.
static bool holdsReportTemporary(const char* folder) {
    return output.temporaryMade && samePath(folder, output.temporaryFolder);
}

static bool isReportTemporary(const char* name) {
    return strcmp(name, output.temporaryName) == 0;
}

static int skipReport(const Platform& self, DirSearch* search, DirEntry* entry) {
    const ReportHiding& state = *static_cast<const ReportHiding*>(self.context);
    int step = SEARCH_ENTRY;
    while (step == SEARCH_ENTRY && state.searchMeetsReport && isReportTemporary(entry->name))
        step = findNext(*self.below, search, entry);
    return step;
}

static DirSearch* hidingFindFirst(const Platform& self, const SearchFolder& folder,
                                  SearchDetail detail, DirEntry* entry) {
    ReportHiding& state = *static_cast<ReportHiding*>(self.context);
    char real[sizeof output.temporaryFolder];
    state.searchMeetsReport = detail == SEARCH_FULL &&
                              self.below->realPath(*self.below, folder, real, sizeof real) &&
                              holdsReportTemporary(real);
    DirSearch* search = findFirst(*self.below, folder, detail, entry);
    int step = search ? skipReport(self, search, entry) : SEARCH_ERROR;
    if (search && step != SEARCH_ENTRY) {
        int reason = step == SEARCH_ERROR ? errno : 0;
        findClose(*self.below, search);
        errno = reason;
        return nullptr;
    }
    return search;
}

static int hidingFindNext(const Platform& self, DirSearch* search, DirEntry* entry) {
    int step = findNext(*self.below, search, entry);
    return step == SEARCH_ENTRY ? skipReport(self, search, entry) : step;
}

Platform reportHidingLayer(const Platform& below, ReportHiding& state) {
    state.searchMeetsReport = false;
    Platform layer = layerOver(below, &state);
    layer.findFirst = hidingFindFirst;
    layer.findNext = hidingFindNext;
    return layer;
}
