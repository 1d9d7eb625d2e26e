// `elenco`: the listing engine behind a command line. The engine's messages
// become lines on standard error and the exit status; its report goes to the
// file or stream the user named.
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "elenco_run.h"

#include "cli_options.h"
#include "console.h"
#include "cp1252.h"
#include "listing_run.h"
#include "listing_summary.h"
#include "messages.h"
#include "platform.h"
#include "read_ahead.h"
#include "report_names.h"
#include "report_output.h"
#include "version.h"

static const char VERSION[] = "elenco (Zarpello) " ZARPELLO_VERSION "\n";

enum ExitStatus {
    EXIT_WRITTEN = 0,
    EXIT_USAGE = 1,
    EXIT_INCOMPLETE = 2, // a folder or a file's details could not be read, or a folder was left out
    EXIT_REPORT_FAILED = 3,
    EXIT_OUT_OF_MEMORY = 4,
};

// What the engine's "dialog" is to this front end, and the state of its own layer.
struct Session {
    char folder[8192];
    char output[8192];
    bool toStandardOutput;
    bool progress;
    int status;
    long foldersSeen;
    long filesSeen;
    long foldersListed;
    long entriesSeen;
    SearchDetail lastDetail;
    bool searchMeetsReport; // the search may meet the report being written
    std::chrono::steady_clock::time_point lastProgress;
};

static void clearProgress(const Session& session) {
    if (session.progress) fputs("\r\033[K", stderr);
}

static void showProgress(Session& session) {
    if (!session.progress) return;
    auto now = std::chrono::steady_clock::now();
    if (now - session.lastProgress < std::chrono::milliseconds(200)) return;
    session.lastProgress = now;
    fprintf(stderr, "\relenco: %ld folders, %ld files\033[K", session.foldersSeen,
            session.filesSeen);
}

// Passes over the report's temporary file: the listing shows its folder as it was.
static int skipReport(const Platform& self, DirSearch* search, DirEntry* entry) {
    const Session& session = *static_cast<const Session*>(self.context);
    int step = SEARCH_ENTRY;
    while (step == SEARCH_ENTRY && session.searchMeetsReport && isReportTemporary(entry->name))
        step = findNext(*self.below, search, entry);
    return step;
}

static DirSearch* countingFindFirst(const Platform& self, const SearchFolder& folder,
                                    SearchDetail detail, DirEntry* entry) {
    Session& session = *static_cast<Session*>(self.context);
    session.lastDetail = detail;
    if (detail == SEARCH_KINDS_ONLY) ++session.foldersSeen;
    if (detail == SEARCH_FULL) ++session.foldersListed;
    char real[8192];
    session.searchMeetsReport = detail == SEARCH_FULL &&
                                self.below->realPath(*self.below, folder, real, sizeof real) &&
                                holdsReportTemporary(real);
    DirSearch* search = findFirst(*self.below, folder, detail, entry);
    int step = search ? skipReport(self, search, entry) : SEARCH_ERROR;
    if (search && step != SEARCH_ENTRY) {
        int reason = step == SEARCH_ERROR ? errno : 0;
        findClose(*self.below, search);
        errno = reason;
        search = nullptr;
    }
    if (search && detail == SEARCH_FULL && !(entry->attributes & FOLDER_ATTRIBUTE))
        ++session.filesSeen;
    return search;
}

static int countingFindNext(const Platform& self, DirSearch* search, DirEntry* entry) {
    Session& session = *static_cast<Session*>(self.context);
    int step = findNext(*self.below, search, entry);
    if (step == SEARCH_ENTRY) step = skipReport(self, search, entry);
    if (step != SEARCH_ENTRY) return step;
    if (session.lastDetail == SEARCH_FULL && !(entry->attributes & FOLDER_ATTRIBUTE))
        ++session.filesSeen;
    if ((++session.entriesSeen & 1023) == 0) showProgress(session);
    return SEARCH_ENTRY;
}

static int statusOf(MessageCode code) {
    switch (code) {
    case MESSAGE_INVALID_HANDLE:
        return EXIT_INCOMPLETE;
    case MESSAGE_CANNOT_OPEN_REPORT:
    case MESSAGE_CANNOT_WRITE_REPORT:
        return EXIT_REPORT_FAILED;
    case MESSAGE_OUT_OF_MEMORY:
        return EXIT_OUT_OF_MEMORY;
    }
    return EXIT_REPORT_FAILED;
}

static void raiseStatus(Session& session, int status) {
    if (status > session.status) session.status = status;
}

// "elenco: PATH: TEXT", the message's lines joined by " ", then the system's reason.
static void showMessageTo(Session& session, const UserMessage& message, int reason) {
    bool aboutReport =
        message.code == MESSAGE_CANNOT_OPEN_REPORT || message.code == MESSAGE_CANNOT_WRITE_REPORT;
    const char* path = aboutReport ? session.output : session.folder;
    char text[512];
    cp1252ToUtf8(message.text, text, sizeof text);
    for (char* c = text; *c; ++c) {
        if (*c == '\n') *c = ' ';
    }
    clearProgress(session);
    if (reason)
        fprintf(stderr, "elenco: %s: %s: %s\n", path, text, strerror(reason));
    else
        fprintf(stderr, "elenco: %s: %s\n", path, text);
    raiseStatus(session, statusOf(message.code));
}

static void cliShowMessage(const Platform&, DialogHandle owner, const UserMessage& message,
                           int reason) {
    showMessageTo(*static_cast<Session*>(owner), message, reason);
}

static void cliEndDialog(const Platform&, DialogHandle, int) {}

// What the listing could not hold, named as it is found by its real path, the
// bytes the system gave; the summary counts it.
static void cliNoteIncomplete(const Platform&, DialogHandle owner, IncompleteKind kind,
                              const char*, const char* named, int reason) {
    Session& session = *static_cast<Session*>(owner);
    clearProgress(session);
    if (kind == INCOMPLETE_PATH_TOO_LONG)
        fprintf(stderr, "elenco: %s: left out, its path would exceed %d characters\n", named,
                MAX_SEARCHABLE_PATH);
    else
        fprintf(stderr, "elenco: %s: %s\n", named, strerror(reason));
}

// The report through report_output: a temporary file renamed into place.
static ReportFile* outputOpenReport(const Platform&, const char* name) {
    return openReportOutput(name);
}
static int outputWriteReport(const Platform&, ReportFile* file, const char* bytes, size_t length) {
    return writeReportOutput(file, bytes, length);
}
static int outputCloseReport(const Platform&, ReportFile* file) {
    return closeReportOutput(file);
}

// On a terminal, where the report went: a newcomer learns its name.
static void showWhereReportWent(const Session& session) {
    long files = session.filesSeen;
    long folders = session.foldersListed;
    fprintf(stderr, "elenco: %ld folder%s, %ld file%s: %s\n", folders, folders == 1 ? "" : "s",
            files, files == 1 ? "" : "s", session.output);
}

static int folderTooLong(const char* folder) {
    fprintf(stderr, "elenco: %s: Invalid handle: the full path exceeds %d characters\n", folder,
            MAX_PATH_LENGTH);
    return EXIT_INCOMPLETE;
}

static int usageError(const char* reason) {
    fprintf(stderr, "elenco: %s\nTry 'elenco --help' for more information.\n", reason);
    return EXIT_USAGE;
}

int runElenco(int argc, char** argv, const Platform& system) {
    prepareStandardStreams();
    CliOptions options;
    char error[512];
    if (!parseCliOptions(argc, argv, options, error, sizeof error)) return usageError(error);
    if (options.help) return fputs(CLI_USAGE, stdout) < 0 ? EXIT_USAGE : EXIT_WRITTEN;
    if (options.version) return fputs(VERSION, stdout) < 0 ? EXIT_USAGE : EXIT_WRITTEN;

    // The layers over the system, from the bottom up: names as the report holds
    // them; reading ahead of the report (its readers search through the names);
    // this front end's own, which counts for the progress line, turns messages
    // into lines on standard error and writes the report through report_output.
    Platform names;
    if (!reportNamesLayer(system, options.utf8, names))
        return usageError("--encoding=utf-8 needs the Linux build: this one reads names in "
                          "Windows-1252");
    ReadAhead ahead(options.jobs ? options.jobs
                                 : static_cast<int>(std::thread::hardware_concurrency()));
    Platform readAhead = readAheadLayer(names, ahead);
    Session session = {};
    Platform front = layerOver(readAhead, &session);
    front.findFirst = countingFindFirst;
    front.findNext = countingFindNext;
    front.showMessage = cliShowMessage;
    front.endDialog = cliEndDialog;
    front.noteIncomplete = cliNoteIncomplete;
    front.openReport = outputOpenReport;
    front.writeReport = outputWriteReport;
    front.closeReport = outputCloseReport;

    if (!fullPath(options.folder, session.folder, sizeof session.folder))
        return folderTooLong(options.folder);
    session.toStandardOutput = options.output && strcmp(options.output, "-") == 0;
    const char* output = options.output ? options.output : REPORT_FILE_NAME;
    if (session.toStandardOutput)
        snprintf(session.output, sizeof session.output, "(standard output)");
    else if (!fullPath(output, session.output, sizeof session.output))
        snprintf(session.output, sizeof session.output, "%s", output);
    bool onTerminal = !options.quiet && isatty(STDERR_FILENO);
    session.progress = onTerminal && !(session.toStandardOutput && isatty(STDOUT_FILENO));
    session.lastProgress = std::chrono::steady_clock::now();

    beginReportOutput(session.toStandardOutput ? nullptr : session.output, readAhead);

    ListingSummary summary;
    // A folder that cannot be read leaves no report, and an old one as it was.
    int32_t result =
        runListing(&session, front, session.folder, options.word | STOP_WHEN_UNREADABLE, summary);
    if (result == RESULT_CANNOT_OPEN_FOLDER && !summary.selectedUnreadable)
        return folderTooLong(options.folder);
    if (!finishReportOutput(session.status < EXIT_REPORT_FAILED))
        showMessageTo(session, CANNOT_WRITE_REPORT, errno);
    clearProgress(session);
    if (summary.foldersLeftOut + summary.foldersUnreadable + summary.filesWithoutDetails > 0)
        raiseStatus(session, EXIT_INCOMPLETE);
    if (summary.foldersLeftOut > 0)
        fprintf(stderr, "elenco: %ld folder(s) left out of the listing\n",
                static_cast<long>(summary.foldersLeftOut));
    if (onTerminal && !session.toStandardOutput && session.status < EXIT_REPORT_FAILED)
        showWhereReportWent(session);
    return session.status;
}
