#include "report_output.h"

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
    bool inPlace;
    bool temporaryMade;
    char temporary[8192];
    char temporaryFolder[8192];
    const char* temporaryName;
} output;

void beginReportOutput(const char* target, const Platform& inner) {
    output.inner = inner;
    output.target = target;
    output.inPlace = !target || writtenInPlace(target);
    output.temporaryMade = false;
}

// "/x/.r.ab12Cd" is held as the folder "/x" and the name ".r.ab12Cd".
static void splitTemporary() {
    copyText(output.temporaryFolder, sizeof output.temporaryFolder, output.temporary);
    char* separator = strrchr(output.temporaryFolder, PATH_SEPARATOR);
    output.temporaryName = output.temporary + (separator - output.temporaryFolder) + 1;
    separator[separator == output.temporaryFolder ? 1 : 0] = '\0';
}

ReportFile* openReportOutput(const char*) {
    if (!output.target) return reinterpret_cast<ReportFile*>(stdout);
    if (output.inPlace) return output.inner.openReport(output.inner, output.target);
    if (!createTemporary(output.target, output.temporary, sizeof output.temporary)) return nullptr;
    ReportFile* file = output.inner.openReport(output.inner, output.temporary);
    if (!file) {
        removeTemporary(output.temporary);
        return nullptr;
    }
    output.temporaryMade = true;
    splitTemporary();
    return file;
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
    if (!output.temporaryMade) return 1;
    output.temporaryMade = false;
    if (complete && replaceWithTemporary(output.temporary, output.target)) return 1;
    removeTemporary(output.temporary);
    return !complete;
}

bool holdsReportTemporary(const char* folder) {
    return output.temporaryMade && samePath(folder, output.temporaryFolder);
}

bool isReportTemporary(const char* name) {
    return strcmp(name, output.temporaryName) == 0;
}
