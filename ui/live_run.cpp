// One thread, the dialog's: the engine, its message boxes and the report's
// layers keep their state in plain tables and statics, and show boxes owned by
// the dialog, so serving the queue from inside the searches keeps all of that
// where it is. A worker thread would need every box and the end of the dialog
// handed back to this thread, and a stop would still be a check in the
// searches. The cost: a single search call that blocks (a share that does not
// answer) holds the window for that call.
#include "live_run.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "messages.h"
#include "report_output.h"
#include "resource.h"
#include "text.h"

// How often the status and the queue are served, in milliseconds.
static const DWORD SERVE_EVERY_MS = 100;
enum { NAMED_FOLDERS = 5 };

struct Missing {
    int count;
    char names[NAMED_FOLDERS][2 * PATH_BUFFER];
};

static struct {
    HWND dialog;
    bool placeReady; // the report's place was readied before the listing
    int placeError;  // why not: errno and the system's error
    DWORD placeSystemError;
    bool going;
    bool stopped;
    ReportOutput output;
    Platform placed; // the layer below this one: the report's place
    SearchDetail detail;
    long walkSearches;
    long fileSearches;
    long files;
    DWORD lastServed;
    Missing leftOut;
    Missing unreadable;
} run;

static void showCounts() {
    char status[128];
    long folders = run.walkSearches > run.fileSearches ? run.walkSearches : run.fileSearches;
    snprintf(status, sizeof status, "Preparazione dell'elenco in corso (cartelle: %ld, file: %ld)",
             folders, run.files);
    SetDlgItemTextA(run.dialog, IDC_STATUS_TEXT, status);
}

static bool isInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

static bool stopsTheRun(const MSG& message) {
    return (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) ||
           (message.message == WM_LBUTTONDOWN &&
            message.hwnd == GetDlgItem(run.dialog, IDC_ABANDON));
}

// Everything waiting but input is handled as the modal loop would.
static void serveQueue() {
    MSG message;
    while (!run.stopped && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (stopsTheRun(message)) stopLiveRun();
        if (isInput(message.message)) continue;
        if (!IsDialogMessageA(run.dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

static void serveNow() {
    showCounts();
    UpdateWindow(run.dialog);
    serveQueue();
    run.lastServed = GetTickCount();
}

static void serveWhenDue() {
    if (GetTickCount() - run.lastServed >= SERVE_EVERY_MS) serveNow();
}

static void countEntry(const DirEntry& entry) {
    if (run.detail == SEARCH_FULL && !(entry.attributes & FOLDER_ATTRIBUTE)) ++run.files;
}

static DirSearch* liveFindFirst(const Platform& self, const SearchFolder& folder,
                                SearchDetail detail, DirEntry* entry) {
    serveWhenDue();
    if (run.stopped) {
        errno = EINTR;
        return nullptr;
    }
    run.detail = detail;
    ++(detail == SEARCH_KINDS_ONLY ? run.walkSearches : run.fileSearches);
    DirSearch* search = findFirst(*self.below, folder, detail, entry);
    if (search) countEntry(*entry);
    return search;
}

static int liveFindNext(const Platform& self, DirSearch* search, DirEntry* entry) {
    serveWhenDue();
    if (run.stopped) {
        errno = EINTR;
        return SEARCH_ERROR;
    }
    int step = findNext(*self.below, search, entry);
    if (step == SEARCH_ENTRY) countEntry(*entry);
    return step;
}

// The open failure's third line: the system's own reason, in its language.
static void appendSystemReason(char* text, size_t capacity, DWORD error) {
    char reason[256] = "";
    if (!error || !FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reason, sizeof reason, nullptr))
        return;
    size_t length = strlen(reason);
    while (length > 0 &&
           (reason[length - 1] == '\r' || reason[length - 1] == '\n' || reason[length - 1] == ' '))
        reason[--length] = '\0';
    size_t used = strlen(text);
    snprintf(text + used, capacity - used, "\n%s", reason);
}

static void showMessageBelow(const Platform& self, DialogHandle owner, const UserMessage& message,
                             int reason, DWORD error) {
    if (run.stopped) return;
    char text[512];
    copyText(text, sizeof text, message.text);
    if (message.code == MESSAGE_CANNOT_OPEN_REPORT) appendSystemReason(text, sizeof text, error);
    UserMessage told = {message.code, text, message.caption};
    self.below->showMessage(*self.below, owner, told, reason);
}

static void liveShowMessage(const Platform& self, DialogHandle owner, const UserMessage& message,
                            int reason) {
    showMessageBelow(self, owner, message, reason, GetLastError());
}

static void liveNoteIncomplete(const Platform&, DialogHandle, IncompleteKind kind, const char* path,
                               const char*, int) {
    if (!run.stopped) gatherIncomplete(kind, path);
}

static ReportFile* liveOpenReport(const Platform& self, const char* name) {
    if (run.stopped) return nullptr;
    // A place that could not be readied fails now, with its own reason.
    if (!run.placeReady) {
        SetLastError(run.placeSystemError);
        errno = run.placeError;
        return nullptr;
    }
    // A failure that sets no system error must not be told with an older one.
    SetLastError(0);
    return self.below->openReport(*self.below, name);
}

static int liveWriteReport(const Platform& self, ReportFile* file, const char* bytes,
                           size_t length) {
    serveWhenDue();
    if (run.stopped) {
        errno = EINTR;
        return 0;
    }
    return self.below->writeReport(*self.below, file, bytes, length);
}

Platform beginLiveRun(HWND dialog, const Platform& below, const char* reportPath) {
    run = {};
    run.dialog = dialog;
    run.going = true;
    SetLastError(0);
    run.placeReady = beginReportOutput(run.output, reportPath, below);
    run.placeError = errno;
    run.placeSystemError = GetLastError();
    run.placed = reportOutputLayer(below, run.output);
    Platform live = layerOver(run.placed, &run);
    live.findFirst = liveFindFirst;
    live.findNext = liveFindNext;
    live.showMessage = liveShowMessage;
    live.noteIncomplete = liveNoteIncomplete;
    live.openReport = liveOpenReport;
    live.writeReport = liveWriteReport;
    serveNow();
    return live;
}

bool endLiveRun(const Platform& live, int32_t written) {
    run.going = false;
    bool complete = written == 0 && !run.stopped;
    if (finishReportOutput(run.output, complete)) return complete;
    showMessageBelow(live, run.dialog, CANNOT_WRITE_REPORT, errno, GetLastError());
    return false;
}

bool liveRunGoing() {
    return run.going;
}

void stopLiveRun() {
    run.stopped = true;
}

bool liveRunStopped() {
    return run.stopped;
}

void gatherIncomplete(IncompleteKind kind, const char* path) {
    Missing* missing = kind == INCOMPLETE_PATH_TOO_LONG       ? &run.leftOut
                       : kind == INCOMPLETE_FOLDER_UNREADABLE ? &run.unreadable
                                                              : nullptr;
    if (!missing) return;
    if (missing->count < NAMED_FOLDERS)
        copyText(missing->names[missing->count], sizeof missing->names[0], path);
    ++missing->count;
}

// A line of the notice; a notice too long for its buffer is cut, never overrun.
static void appendLine(char* notice, size_t capacity, const char* line) {
    if (notice[0]) appendText(notice, capacity, "\n", 1);
    appendText(notice, capacity, line, strlen(line));
}

static void appendKind(char* notice, size_t capacity, const Missing& missing, const char* one,
                       const char* many) {
    if (missing.count == 0) return;
    char line[64];
    snprintf(line, sizeof line, missing.count == 1 ? one : many, missing.count);
    appendLine(notice, capacity, line);
    for (int i = 0; i < missing.count && i < NAMED_FOLDERS; ++i)
        appendLine(notice, capacity, missing.names[i]);
    if (missing.count <= NAMED_FOLDERS) return;
    snprintf(line, sizeof line, "e altre %d", missing.count - NAMED_FOLDERS);
    appendLine(notice, capacity, line);
}

void composeIncompleteNotice(char* notice, size_t capacity) {
    notice[0] = '\0';
    appendKind(notice, capacity, run.leftOut,
               "1 cartella esclusa: il percorso supera 255 caratteri",
               "%d cartelle escluse: il percorso supera 255 caratteri");
    appendKind(notice, capacity, run.unreadable, "1 cartella non leggibile",
               "%d cartelle non leggibili");
}
