// Replacing the report on POSIX: mkstemp beside the target, rename over it, and
// a signal handler that removes the temporary file before the signal ends the
// program as it would have.
#include "report_files.h"

#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static const int ENDING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

// Read by the handler, so set while the signals are blocked.
static char guardedPath[8192];
static volatile sig_atomic_t guarding = 0;

static void removeAndEnd(int signal) {
    if (guarding) unlink(guardedPath);
    // SA_RESETHAND has put the default action back: once this handler
    // returns, the signal raised again ends the program with its own status.
    raise(signal);
}

static void setBlocked(bool blocked) {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : ENDING_SIGNALS)
        sigaddset(&set, signal);
    sigprocmask(blocked ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

// A signal the user chose to ignore (nohup) stays ignored.
static void installHandlers() {
    for (int signal : ENDING_SIGNALS) {
        struct sigaction action = {};
        action.sa_handler = removeAndEnd;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        struct sigaction previous;
        if (sigaction(signal, &action, &previous) == 0 && previous.sa_handler == SIG_IGN)
            sigaction(signal, &previous, nullptr);
    }
}

bool writtenInPlace(const char* target) {
    struct stat info;
    return stat(target, &info) == 0 && !S_ISREG(info.st_mode);
}

int createTemporary(const char* target, char* temporary, size_t capacity) {
    const char* slash = strrchr(target, '/');
    int folderLength = slash ? static_cast<int>(slash - target) + 1 : 0;
    const char* name = target + folderLength;
    if (snprintf(temporary, capacity, "%.*s.%s.XXXXXX", folderLength, target, name) >=
            static_cast<int>(capacity) ||
        strlen(temporary) >= sizeof guardedPath) {
        errno = ENAMETOOLONG;
        return 0;
    }
    installHandlers();
    setBlocked(true);
    int descriptor = mkstemp(temporary);
    int error = errno;
    if (descriptor >= 0) {
        memcpy(guardedPath, temporary, strlen(temporary) + 1);
        guarding = 1;
        // mkstemp makes the file private; a report is as readable as any new file.
        mode_t mask = umask(0);
        umask(mask);
        fchmod(descriptor, 0666 & ~mask);
        close(descriptor);
    }
    setBlocked(false);
    errno = error;
    return descriptor >= 0;
}

int replaceWithTemporary(const char* temporary, const char* target) {
    setBlocked(true);
    int renamed = rename(temporary, target) == 0;
    int error = errno;
    if (renamed) guarding = 0;
    setBlocked(false);
    errno = error;
    return renamed;
}

void removeTemporary(const char* temporary) {
    int error = errno;
    setBlocked(true);
    unlink(temporary);
    guarding = 0;
    setBlocked(false);
    errno = error;
}

bool samePath(const char* a, const char* b) {
    return strcmp(a, b) == 0;
}

bool interruptRequested() {
    return false;
}
