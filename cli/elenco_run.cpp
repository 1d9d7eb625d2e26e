// `elenco`: the listing engine behind a command line. The engine's messages
// become lines on standard error and the exit status; its report goes to the
// file or stream the user named.
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "elenco_run.h"

#include "cli_options.h"
#include "console.h"
#include "cp1252.h"
#include "folder_check.h"
#include "i18n.h"
#include "listing_run.h"
#include "messages.h"
#include "platform.h"
#include "quote.h"
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

// What the engine's "dialog" is to this front end.
struct Session {
    const char* givenFolder;
    const char* givenOutput; // null: standard output
    char folder[8192];
    char reportFolder[PATH_BUFFER]; // the folder as the engine sees it
    bool utf8;
    char output[8192];
    bool toStandardOutput;
    bool progress;
    int status;
    long leftOut;
    long foldersSeen;
    long filesSeen;
    long foldersListed;
    long entriesSeen;
    SearchDetail lastDetail;
    bool searchMeetsReport; // the search may meet the report being written
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
    clearLineOnInterrupt();
    fprintf(stderr, "\relenco: ");
    fprintf(stderr, translatePlural("%ld folder", "%ld folders", session.foldersSeen),
            session.foldersSeen);
    fprintf(stderr, translatePlural(", %ld file", ", %ld files", session.filesSeen),
            session.filesSeen);
    fputs("\033[K", stderr);
}

// Passes over the report's temporary file: the listing shows its folder as it was.
static int skipReport(DirSearch* search, DirEntry* entry) {
    while (session.searchMeetsReport && isReportTemporary(entry->name)) {
        if (!inner.findNext(search, entry)) return 0;
    }
    return 1;
}

static DirSearch* countingFindFirst(const char* folder, SearchDetail detail, DirEntry* entry) {
    session.lastDetail = detail;
    if (detail == SEARCH_KINDS_ONLY) ++session.foldersSeen;
    if (detail == SEARCH_FULL) ++session.foldersListed;
    session.searchMeetsReport = detail == SEARCH_FULL && holdsReportTemporary(folder);
    DirSearch* search = inner.findFirst(folder, detail, entry);
    if (search && !skipReport(search, entry)) {
        inner.findClose(search);
        search = nullptr;
    }
    if (search && detail == SEARCH_FULL && !(entry->attributes & FOLDER_ATTRIBUTE))
        ++session.filesSeen;
    return search;
}

static int countingFindNext(DirSearch* search, DirEntry* entry) {
    if (!inner.findNext(search, entry) || !skipReport(search, entry)) return 0;
    if (session.lastDetail == SEARCH_FULL && !(entry->attributes & FOLDER_ATTRIBUTE))
        ++session.filesSeen;
    if ((++session.entriesSeen & 1023) == 0) showProgress();
    return 1;
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

static void raiseStatus(int status) {
    if (status > session.status) session.status = status;
}

// A path the engine gives, quoted for a message. The engine's paths are in the
// report's encoding; the terminal's are UTF-8.
static std::string shown(const char* enginePath) {
    if (session.utf8) return quoteName(enginePath);
    std::string text(strlen(enginePath) * 3 + 1, '\0');
    text.resize(cp1252ToUtf8(enginePath, &text[0], text.size()));
    return quoteName(text.c_str());
}

// One line on standard error: "elenco: " TEXT, its %s (if any) the quoted
// `name`, then the system's reason when there is one.
static void tell(const char* text, const std::string& name, int reason) {
    clearProgress();
    fputs("elenco: ", stderr);
    fprintf(stderr, text, name.c_str());
    if (reason) fprintf(stderr, ": %s", strerror(reason));
    fputc('\n', stderr);
}

// The engine's messages, told as a command line tells them: what failed, on
// which object, and the system's reason. The dialog's texts are its own.
static void cliShowMessage(DialogHandle, const UserMessage& message, int reason) {
    switch (message.code) {
    case MESSAGE_INVALID_HANDLE:
        tell(_("cannot read folder %s"), quoteName(session.givenFolder), reason);
        break;
    case MESSAGE_CANNOT_OPEN_REPORT:
        tell(_("cannot open %s"), quoteName(session.givenOutput), reason);
        break;
    case MESSAGE_CANNOT_WRITE_REPORT:
        if (session.toStandardOutput) tell(_("write error"), std::string(), reason);
        else tell(_("error writing %s"), quoteName(session.givenOutput), reason);
        break;
    case MESSAGE_OUT_OF_MEMORY:
        tell(_("memory exhausted"), std::string(), 0);
        break;
    }
    raiseStatus(statusOf(message.code));
}

static void cliEndDialog(DialogHandle, int) {}

// What the listing could not hold makes it incomplete: named here, exit 2 at the end.
static void cliNoteIncomplete(DialogHandle, IncompleteKind kind, const char* path, int reason) {
    switch (kind) {
    case INCOMPLETE_PATH_TOO_LONG:
        ++session.leftOut;
        clearProgress();
        fputs("elenco: ", stderr);
        fprintf(stderr, _("%s left out: its path would exceed %d characters\n"),
                shown(path).c_str(), MAX_SEARCHABLE_PATH);
        break;
    case INCOMPLETE_FOLDER_UNREADABLE:
        tell(_("cannot read folder %s"), shown(path), reason);
        break;
    case INCOMPLETE_DETAILS_UNREADABLE:
        tell(_("cannot access %s"), shown(path), reason);
        break;
    case INCOMPLETE_OTHER_FILE_SYSTEM:
        // Asked for with -x, so no failure; the path comes from below the names' layer.
        tell(_("%s left out: on another file system"), quoteName(path), 0);
        return;
    }
    raiseStatus(EXIT_INCOMPLETE);
}

// On a terminal, where the report went: a newcomer learns its name.
static void showWhereReportWent() {
    long files = session.filesSeen;
    long folders = session.foldersListed;
    fputs("elenco: ", stderr);
    fprintf(stderr, translatePlural("%ld folder", "%ld folders", folders), folders);
    fprintf(stderr, translatePlural(", %ld file", ", %ld files", files), files);
    fprintf(stderr, ": %s\n", quoteName(session.output).c_str());
}

static int usageError(const char* reason) {
    fprintf(stderr, "elenco: %s\n", reason);
    fputs(_("Try 'elenco --help' for more information.\n"), stderr);
    return EXIT_USAGE;
}

int runElenco(int argc, char** argv) {
    prepareStandardStreams();
    startTranslations();
    CliOptions options;
    char error[512];
    if (!parseCliOptions(argc, argv, options, error, sizeof error)) return usageError(error);
    // As coreutils do, a help that could not be written is a failure of its own.
    if (options.help || options.version) {
        if (options.help ? writeCliUsage(stdout) : fputs(VERSION, stdout) >= 0 && fflush(stdout) == 0)
            return EXIT_WRITTEN;
        tell(_("write error"), std::string(), errno);
        return EXIT_INCOMPLETE;
    }

    // Layers over the system's searches, from the bottom: names as the report
    // holds them, then reading ahead (its readers search converted paths), then
    // the counts of the progress line.
    ReportEncoding encoding = options.encoding ? options.encoding : encodingOfLocale();
    session.utf8 = encoding == ENCODING_UTF8;
    useReportEncoding(session.utf8);
    session.givenFolder = options.folder;
    session.givenOutput = options.output ? options.output : REPORT_FILE_NAME;
    errno = 0;
    if (!fullPath(options.folder, session.folder, sizeof session.folder) ||
        !reportPath(session.folder, session.reportFolder, sizeof session.reportFolder)) {
        // getcwd's own reason (a removed working folder), or a path beyond the limit.
        cliShowMessage(&session, INVALID_HANDLE, errno ? errno : ENAMETOOLONG);
        return session.status;
    }
    // Before anything is written, so that a mistyped folder destroys nothing.
    if (!folderCanBeListed(session.folder)) {
        cliShowMessage(&session, INVALID_HANDLE, errno);
        return session.status;
    }
    keepWalkOnFileSystem(options.oneFileSystem);
    installReadAhead(options.jobs ? options.jobs
                                  : static_cast<int>(std::thread::hardware_concurrency()));
    session.toStandardOutput = options.output && strcmp(options.output, "-") == 0;
    const char* output = options.output ? options.output : REPORT_FILE_NAME;
    if (session.toStandardOutput)
        snprintf(session.output, sizeof session.output, "(standard output)");
    else if (!fullPath(output, session.output, sizeof session.output))
        snprintf(session.output, sizeof session.output, "%s", output);
    bool onTerminal = !options.quiet && isatty(STDERR_FILENO);
    session.progress = onTerminal && !(session.toStandardOutput && isatty(STDOUT_FILENO));
    session.lastProgress = std::chrono::steady_clock::now();

    inner = platform;
    platform.findFirst = countingFindFirst;
    platform.findNext = countingFindNext;
    platform.showMessage = cliShowMessage;
    platform.endDialog = cliEndDialog;
    platform.noteIncomplete = cliNoteIncomplete;
    // Before the walk: a place the report cannot go fails before any folder is read.
    if (!beginReportOutput(session.toStandardOutput ? nullptr : session.output, inner)) {
        cliShowMessage(&session, CANNOT_OPEN_REPORT, errno);
        return session.status;
    }
    platform.openReport = openReportOutput;
    platform.writeReport = writeReportOutput;
    platform.closeReport = closeReportOutput;

    runListing(&session, session.reportFolder, options.word);
    if (!finishReportOutput(session.status < EXIT_REPORT_FAILED))
        cliShowMessage(&session, CANNOT_WRITE_REPORT, errno);
    clearProgress();
    if (session.leftOut > 0) {
        fputs("elenco: ", stderr);
        fprintf(stderr,
                translatePlural("%ld folder left out of the listing\n",
                                "%ld folders left out of the listing\n", session.leftOut),
                session.leftOut);
    }
    if (onTerminal && !session.toStandardOutput && session.status < EXIT_REPORT_FAILED)
        showWhereReportWent();
    return session.status;
}
