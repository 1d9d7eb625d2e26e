#include "report_output.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <utility>

#include "text.h"

// A Ctrl-C the writer acts on ends the program as a shell reports an interrupt.
static const int INTERRUPTED_STATUS = 130;

// The temporary file beside `target`, or in the system's folder when null;
// "/x/.r.ab12Cd" is held as the folder "/x" and the name ".r.ab12Cd".
static int makeTemporary(ReportOutput& output, const char* target) {
    if (!createTemporary(target, output.temporary, sizeof output.temporary)) return 0;
    output.temporaryMade = true;
    copyText(output.temporaryFolder, sizeof output.temporaryFolder, output.temporary);
    char* separator = strrchr(output.temporaryFolder, PATH_SEPARATOR);
    output.temporaryName = output.temporary + (separator - output.temporaryFolder) + 1;
    separator[separator == output.temporaryFolder ? 1 : 0] = '\0';
    return 1;
}

// The report is kept as it is, open, and rewritten once the listing is complete.
static int keepInPlace(ReportOutput& output, const char* target) {
    output.kept = keepToRewrite(target);
    if (output.kept == NO_KEPT_REPORT) return 0;
    if (makeTemporary(output, nullptr)) return 1;
    releaseKept(output.kept);
    output.kept = NO_KEPT_REPORT;
    return 0;
}

int beginReportOutput(ReportOutput& output, const char* target, const Platform& below) {
    output = ReportOutput();
    output.below = below;
    output.target = target;
    if (!target) return 1;
    if (writtenInPlace(target)) {
        output.device = below.openReport(below, target);
        return output.device != nullptr;
    }
    if (hasOtherNames(target) && keepInPlace(output, target)) return 1;
    if (makeTemporary(output, target)) return 1;
    // A folder the user may not write may still hold a report they may.
    int error = errno;
    if (keepInPlace(output, target)) return 1;
    errno = error;
    return 0;
}

static ReportOutput& outputOf(const Platform& self) {
    return *static_cast<ReportOutput*>(self.context);
}

static ReportFile* outputOpenReport(const Platform& self, const char*) {
    ReportOutput& output = outputOf(self);
    if (!output.target) return reinterpret_cast<ReportFile*>(stdout);
    if (ReportFile* device = std::exchange(output.device, nullptr)) return device;
    if (!temporaryOpening()) {
        errno = EINTR;
        return nullptr;
    }
    return self.below->openReport(*self.below, output.temporary);
}

static int outputWriteReport(const Platform& self, ReportFile* file, const char* bytes,
                             size_t length) {
    if (outputOf(self).temporaryMade && interruptRequested()) {
        self.below->closeReport(*self.below, file);
        removeTemporary(outputOf(self).temporary);
        exit(INTERRUPTED_STATUS);
    }
    return self.below->writeReport(*self.below, file, bytes, length);
}

// Standard output stays open for whatever follows; a failed flush still counts.
static int outputCloseReport(const Platform& self, ReportFile* file) {
    if (!outputOf(self).target) return fflush(stdout) == 0 && !ferror(stdout);
    return self.below->closeReport(*self.below, file);
}

int finishReportOutput(ReportOutput& output, bool complete) {
    if (output.device) output.below.closeReport(output.below, output.device);
    output.device = nullptr;
    if (!output.temporaryMade) return 1;
    output.temporaryMade = false;
    bool rewrite = output.kept != NO_KEPT_REPORT;
    bool placed = false;
    if (rewrite && complete)
        placed = rewriteFromTemporary(output.kept, output.temporary);
    else if (rewrite)
        releaseKept(output.kept);
    else if (complete)
        placed = replaceWithTemporary(output.temporary, output.target);
    output.kept = NO_KEPT_REPORT;
    if (rewrite || !placed) removeTemporary(output.temporary);
    return placed || !complete;
}

// Passes over the temporary file, in a search that may meet it.
static int skipReport(const Platform& self, DirSearch* search, DirEntry* entry) {
    const ReportOutput& output = outputOf(self);
    int step = SEARCH_ENTRY;
    while (step == SEARCH_ENTRY && output.searchMeetsReport &&
           strcmp(entry->name, output.temporaryName) == 0)
        step = findNext(*self.below, search, entry);
    return step;
}

static DirSearch* hidingFindFirst(const Platform& self, const SearchFolder& folder,
                                  SearchDetail detail, DirEntry* entry) {
    ReportOutput& output = outputOf(self);
    char real[sizeof output.temporaryFolder];
    output.searchMeetsReport = detail == SEARCH_FULL && output.temporaryMade &&
                               self.below->realPath(*self.below, folder, real, sizeof real) &&
                               samePath(real, output.temporaryFolder);
    DirSearch* search = findFirst(*self.below, folder, detail, entry);
    int step = search ? skipReport(self, search, entry) : SEARCH_ENTRY;
    if (step == SEARCH_ENTRY) return search;
    int reason = step == SEARCH_ERROR ? errno : 0;
    findClose(*self.below, search);
    errno = reason;
    return nullptr;
}

static int hidingFindNext(const Platform& self, DirSearch* search, DirEntry* entry) {
    int step = findNext(*self.below, search, entry);
    return step == SEARCH_ENTRY ? skipReport(self, search, entry) : step;
}

Platform reportOutputLayer(const Platform& below, ReportOutput& output) {
    Platform layer = layerOver(below, &output);
    layer.findFirst = hidingFindFirst;
    layer.findNext = hidingFindNext;
    layer.openReport = outputOpenReport;
    layer.writeReport = outputWriteReport;
    layer.closeReport = outputCloseReport;
    return layer;
}
