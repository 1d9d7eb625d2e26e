// `elenco`: the listing engine behind a command line. The engine's messages
// become lines on standard error and the exit status; its report goes to the
// file or stream the user named.
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <chrono>

#include "elenco_run.h"

#include "cli_options.h"
#include "console.h"
#include "cp1252.h"
#include "listing_run.h"
#include "messages.h"
#include "platform.h"
#include "version.h"

static const char VERSION[] = "elenco (Zarpello) " ZARPELLO_VERSION "\n";

enum ExitStatus {
    EXIT_WRITTEN = 0,
    EXIT_USAGE = 1,
    EXIT_FOLDER_UNREADABLE = 2,
    EXIT_REPORT_FAILED = 3,
    EXIT_OUT_OF_MEMORY = 4,
};

// What the engine's "dialog" is to this front end.
struct Session {
    char folder[PATH_BUFFER];
    char output[8192];
    bool toStandardOutput;
    bool progress;
    int status;
    long leftOut;
    long foldersSeen;
    long filesSeen;
    long entriesSeen;
    SearchDetail lastDetail;
    std::chrono::steady_clock::time_point lastProgress;
};

static Session session;
// The entries found in the table at the start, which this front end's own wrap.
static Platform inner;

static void clearProgress() {
    if (session.progress) fputs("\r\033[K", stderr);
}

static void showProgress() {
    if (!session.progress) return;
    auto now = std::chrono::steady_clock::now();
    if (now - session.lastProgress < std::chrono::milliseconds(200)) return;
    session.lastProgress = now;
    fprintf(stderr, "\relenco: %ld cartelle, %ld file\033[K", session.foldersSeen,
            session.filesSeen);
}

static DirSearch* countingFindFirst(const char* folder, SearchDetail detail, DirEntry* entry) {
    session.lastDetail = detail;
    if (detail == SEARCH_KINDS_ONLY) ++session.foldersSeen;
    DirSearch* search = inner.findFirst(folder, detail, entry);
    if (search && detail == SEARCH_FULL && !(entry->attributes & FOLDER_ATTRIBUTE))
        ++session.filesSeen;
    return search;
}

static int countingFindNext(DirSearch* search, DirEntry* entry) {
    if (!inner.findNext(search, entry)) return 0;
    if (session.lastDetail == SEARCH_FULL && !(entry->attributes & FOLDER_ATTRIBUTE))
        ++session.filesSeen;
    if ((++session.entriesSeen & 1023) == 0) showProgress();
    return 1;
}

static int statusOf(MessageCode code) {
    switch (code) {
    case MESSAGE_INVALID_HANDLE:
        return EXIT_FOLDER_UNREADABLE;
    case MESSAGE_CANNOT_OPEN_REPORT:
    case MESSAGE_CANNOT_WRITE_REPORT:
        return EXIT_REPORT_FAILED;
    case MESSAGE_OUT_OF_MEMORY:
        return EXIT_OUT_OF_MEMORY;
    }
    return EXIT_REPORT_FAILED;
}

// "elenco: PATH: TEXT", the message's lines joined by ": ".
static void cliShowMessage(DialogHandle, const UserMessage& message) {
    bool aboutReport =
        message.code == MESSAGE_CANNOT_OPEN_REPORT || message.code == MESSAGE_CANNOT_WRITE_REPORT;
    const char* path = aboutReport ? session.output : session.folder;
    char text[512];
    cp1252ToUtf8(message.text, text, sizeof text);
    for (char* c = text; *c; ++c) {
        if (*c == '\n') *c = ' ';
    }
    clearProgress();
    fprintf(stderr, "elenco: %s: %s\n", path, text);
    int status = statusOf(message.code);
    if (status > session.status) session.status = status;
}

static void cliEndDialog(DialogHandle, int) {}

static void cliNoteLeftOut(DialogHandle, const char* parent, const char* name) {
    ++session.leftOut;
    clearProgress();
    fprintf(stderr, "elenco: %s%c%s: left out, its path would exceed %d characters\n", parent,
            PATH_SEPARATOR, name, MAX_SEARCHABLE_PATH);
}

static ReportFile* cliOpenReport(const char* name) {
    if (session.toStandardOutput) return reinterpret_cast<ReportFile*>(stdout);
    return inner.openReport(session.output[0] ? session.output : name);
}

// Standard output stays open for whatever follows; a failed flush still counts.
static int cliCloseReport(ReportFile* file) {
    if (!session.toStandardOutput) return inner.closeReport(file);
    return fflush(stdout) == 0 && !ferror(stdout);
}

static int usageError(const char* reason) {
    fprintf(stderr, "elenco: %s\nTry 'elenco --help' for more information.\n", reason);
    return EXIT_USAGE;
}

int runElenco(int argc, char** argv) {
    prepareStandardStreams();
    CliOptions options;
    char error[512];
    if (!parseCliOptions(argc, argv, options, error, sizeof error)) return usageError(error);
    if (options.help) return fputs(CLI_USAGE, stdout) < 0 ? EXIT_USAGE : EXIT_WRITTEN;
    if (options.version) return fputs(VERSION, stdout) < 0 ? EXIT_USAGE : EXIT_WRITTEN;

    if (!fullPath(options.folder, session.folder, sizeof session.folder)) {
        fprintf(stderr, "elenco: %s: Invalid handle: the full path exceeds %d characters\n",
                options.folder, MAX_PATH_LENGTH);
        return EXIT_FOLDER_UNREADABLE;
    }
    session.toStandardOutput = options.output && strcmp(options.output, "-") == 0;
    const char* output = options.output ? options.output : REPORT_FILE_NAME;
    if (session.toStandardOutput)
        snprintf(session.output, sizeof session.output, "(standard output)");
    else if (!fullPath(output, session.output, sizeof session.output))
        snprintf(session.output, sizeof session.output, "%s", output);
    session.progress = !options.quiet && isatty(STDERR_FILENO);
    session.lastProgress = std::chrono::steady_clock::now();

    inner = platform;
    platform.findFirst = countingFindFirst;
    platform.findNext = countingFindNext;
    platform.showMessage = cliShowMessage;
    platform.endDialog = cliEndDialog;
    platform.noteLeftOut = cliNoteLeftOut;
    platform.openReport = cliOpenReport;
    platform.closeReport = cliCloseReport;

    runListing(&session, session.folder, options.word);
    clearProgress();
    if (session.leftOut > 0)
        fprintf(stderr, "elenco: %ld folder(s) left out of the listing\n", session.leftOut);
    return session.status;
}
