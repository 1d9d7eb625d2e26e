// `elenco`: the listing engine behind a command line. The engine's messages
// become lines on standard error and the exit status; its report goes to the
// file or stream the user named.
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "elenco_run.h"

#include "cli_options.h"
#include "console.h"
#include "i18n.h"
#include "listing_run.h"
#include "listing_summary.h"
#include "messages.h"
#include "platform.h"
#include "quote.h"
#include "read_ahead.h"
#include "report_names.h"
#include "report_output.h"
#include "thread_waits.h"
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
    const char* givenFolder;
    const char* givenOutput; // as given: the report's own name when none is
    char folder[REAL_PATH_BUFFER];
    char output[REAL_PATH_BUFFER];
    bool toStandardOutput;
    bool progress;
    int status;
    long foldersSeen;
    long filesSeen;
    long entriesSeen;
    SearchDetail lastDetail;
    std::chrono::steady_clock::time_point lastProgress;
};

static void clearProgress(const Session& session) {
    if (session.progress) fputs("\r\033[K", stderr);
}

// "elenco: 3 folders, 1 file", without a line end.
static void tellCounts(const char* start, long folders, long files) {
    fprintf(stderr, "%selenco: ", start);
    fprintf(stderr, translatePlural("%ld folder", "%ld folders", folders), folders);
    fprintf(stderr, translatePlural(", %ld file", ", %ld files", files), files);
}

static void showProgress(Session& session) {
    if (!session.progress) return;
    auto now = std::chrono::steady_clock::now();
    if (now - session.lastProgress < std::chrono::milliseconds(200)) return;
    session.lastProgress = now;
    clearLineOnInterrupt();
    tellCounts("\r", session.foldersSeen, session.filesSeen);
    fputs("\033[K", stderr);
}

static DirSearch* countingFindFirst(const Platform& self, const SearchFolder& folder,
                                    SearchDetail detail, DirEntry* entry) {
    Session& session = *static_cast<Session*>(self.context);
    session.lastDetail = detail;
    if (detail == SEARCH_KINDS_ONLY) ++session.foldersSeen;
    DirSearch* search = findFirst(*self.below, folder, detail, entry);
    if (search && detail == SEARCH_FULL && !(entry->attributes & FOLDER_ATTRIBUTE))
        ++session.filesSeen;
    return search;
}

static int countingFindNext(const Platform& self, DirSearch* search, DirEntry* entry) {
    Session& session = *static_cast<Session*>(self.context);
    int step = findNext(*self.below, search, entry);
    if (step != SEARCH_ENTRY) return step;
    if (session.lastDetail == SEARCH_FULL && !(entry->attributes & FOLDER_ATTRIBUTE))
        ++session.filesSeen;
    if ((++session.entriesSeen & 1023) == 0) showProgress(session);
    return SEARCH_ENTRY;
}

static void raiseStatus(Session& session, int status) {
    if (status > session.status) session.status = status;
}

// A name the system gave, quoted for the terminal in its own script.
static std::string quoted(const char* systemText) {
    return quoteName(systemTextAsUtf8(systemText).c_str());
}

// One line on standard error: "elenco: " TEXT, its %s (if any) the quoted
// `name`, then the system's reason when there is one.
static void tell(const Session& session, const char* text, const std::string& name, int reason) {
    clearProgress(session);
    fputs("elenco: ", stderr);
    fprintf(stderr, text, name.c_str());
    if (reason) fprintf(stderr, ": %s", strerror(reason));
    fputc('\n', stderr);
}

// The engine's messages, told as a command line tells them: what failed, on
// which object, and the system's reason. The dialog's texts are its own.
static void cliShowMessage(const Platform&, DialogHandle owner, const UserMessage& message,
                           int reason) {
    Session& session = *static_cast<Session*>(owner);
    switch (message.code) {
    case MESSAGE_INVALID_HANDLE:
        tell(session, _("cannot read folder %s"), quoted(session.givenFolder), reason);
        return raiseStatus(session, EXIT_INCOMPLETE);
    case MESSAGE_CANNOT_OPEN_REPORT:
        tell(session, _("cannot open %s"), quoted(session.givenOutput), reason);
        return raiseStatus(session, EXIT_REPORT_FAILED);
    case MESSAGE_CANNOT_WRITE_REPORT:
        if (session.toStandardOutput) tell(session, _("write error"), std::string(), reason);
        else tell(session, _("error writing %s"), quoted(session.givenOutput), reason);
        return raiseStatus(session, EXIT_REPORT_FAILED);
    case MESSAGE_OUT_OF_MEMORY:
        tell(session, _("memory exhausted"), std::string(), 0);
        return raiseStatus(session, EXIT_OUT_OF_MEMORY);
    }
}

static void cliEndDialog(const Platform&, DialogHandle, int) {}

// What the listing could not hold, named as it is found by its real path, the
// bytes the system gave, so that the terminal shows the name the user knows;
// the summary counts it.
static void cliNoteIncomplete(const Platform&, DialogHandle owner, IncompleteKind kind,
                              const char*, const char* named, int reason) {
    Session& session = *static_cast<Session*>(owner);
    switch (kind) {
    case INCOMPLETE_PATH_TOO_LONG:
        tell(session, _("%s left out: its path would exceed 255 characters"), quoted(named), 0);
        break;
    case INCOMPLETE_FOLDER_UNREADABLE:
        tell(session, _("cannot read folder %s"), quoted(named), reason);
        break;
    case INCOMPLETE_DETAILS_UNREADABLE:
        tell(session, _("cannot access %s"), quoted(named), reason);
        break;
    case INCOMPLETE_OTHER_FILE_SYSTEM:
        // Asked for with -x: told, but no failure.
        tell(session, _("%s left out: on another file system"), quoted(named), 0);
        break;
    }
}

int runElenco(int argc, char** argv, const Platform& system) {
    prepareStandardStreams();
    startTranslations();
    CliOptions options;
    char error[512];
    if (!parseCliOptions(argc, argv, options, error, sizeof error)) {
        fprintf(stderr, "elenco: %s\n", error);
        fputs(_("Try 'elenco --help' for more information.\n"), stderr);
        return EXIT_USAGE;
    }
    Session session = {};
    // As coreutils do, a help that could not be written is a failure of its own.
    if (options.help || options.version) {
        if (options.help ? writeCliUsage(stdout) : fputs(VERSION, stdout) >= 0 && fflush(stdout) == 0)
            return EXIT_WRITTEN;
        tell(session, _("write error"), std::string(), errno);
        return EXIT_INCOMPLETE;
    }

    // The layers over the system, from the bottom up: names as the report holds
    // them; reading ahead of the walk and the report (its readers search
    // through the names); the report's place, which hides its temporary file
    // from the searches; this front end's own, which counts for the progress
    // line and turns messages into lines on standard error.
    ReportEncoding encoding = options.encoding ? options.encoding : encodingOfLocale();
    Platform names = reportNamesLayer(system, encoding == ENCODING_UTF8);
    // Readers start at one per core, and more join while folders come late, up
    // to -j or 16: more than the cores only cost a local disk. They go ahead of
    // the walk only once its folders come late, and unasked, of the report too:
    // a local disk's folders are quicker read by one thread. A system that does
    // not tell a thread's waits gets as many as asked, ahead of both, at once.
    int cores = std::max(2, static_cast<int>(std::thread::hardware_concurrency()));
    int most = options.jobs ? options.jobs : READ_AHEAD_WINDOW;
    bool waitsTold = threadWaits().count >= 0;
    ReadAhead ahead(waitsTold || !options.jobs ? std::min(cores, most) : most, most);
    ahead.walkLate = !waitsTold;
    ahead.reportOnlyIfLate = waitsTold && !options.jobs;
    Platform readAhead = readAheadLayer(names, ahead);
    ReportOutput output;
    Platform placed = reportOutputLayer(readAhead, output);
    Platform front = layerOver(placed, &session);
    front.findFirst = countingFindFirst;
    front.findNext = countingFindNext;
    front.showMessage = cliShowMessage;
    front.endDialog = cliEndDialog;
    front.noteIncomplete = cliNoteIncomplete;

    session.givenFolder = options.folder;
    session.givenOutput = options.output ? options.output : REPORT_FILE_NAME;
    errno = 0;
    if (!fullPath(options.folder, session.folder, sizeof session.folder)) {
        // getcwd's own reason (a removed working folder), or a path beyond the limit.
        cliShowMessage(front, &session, INVALID_HANDLE, errno ? errno : ENAMETOOLONG);
        return session.status;
    }
    session.toStandardOutput = options.output && strcmp(options.output, "-") == 0;
    if (!session.toStandardOutput &&
        !fullPath(session.givenOutput, session.output, sizeof session.output))
        snprintf(session.output, sizeof session.output, "%s", session.givenOutput);
    bool onTerminal = !options.quiet && isatty(STDERR_FILENO);
    session.progress = onTerminal && !(session.toStandardOutput && isatty(STDOUT_FILENO));
    session.lastProgress = std::chrono::steady_clock::now();

    // Before the walk: a place the report cannot go fails before any folder is read.
    const char* target = session.toStandardOutput ? nullptr : session.output;
    if (!beginReportOutput(output, target, readAhead)) {
        cliShowMessage(front, &session, CANNOT_OPEN_REPORT, errno);
        return session.status;
    }
    ListingOptions word = options.word | STOP_WHEN_UNREADABLE;
    ListingSummary summary;
    // A folder that cannot be read leaves no report, and an old one as it was.
    int32_t result = runListing(&session, front, session.folder, word, summary);
    // Only a report written whole takes the old one's place.
    if (!finishReportOutput(output, summary.reportWritten && session.status < EXIT_REPORT_FAILED))
        cliShowMessage(front, &session, CANNOT_WRITE_REPORT, errno);
    if (result == RESULT_CANNOT_OPEN_FOLDER && !summary.selectedUnreadable) {
        cliShowMessage(front, &session, INVALID_HANDLE, ENAMETOOLONG);
        return session.status;
    }
    clearProgress(session);
    if (summary.foldersLeftOut + summary.foldersUnreadable + summary.filesWithoutDetails > 0)
        raiseStatus(session, EXIT_INCOMPLETE);
    long leftOut = summary.foldersLeftOut;
    if (leftOut > 0) {
        fputs("elenco: ", stderr);
        fprintf(stderr,
                translatePlural("%ld folder left out of the listing\n",
                                "%ld folders left out of the listing\n", leftOut),
                leftOut);
    }
    // On a terminal, where the report went: a newcomer learns its name.
    if (onTerminal && !session.toStandardOutput && summary.reportWritten &&
        session.status < EXIT_REPORT_FAILED) {
        tellCounts("", summary.foldersListed, session.filesSeen);
        fprintf(stderr, ": %s\n", quoted(session.output).c_str());
    }
    return session.status;
}
