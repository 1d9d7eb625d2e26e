// Replacing the report on POSIX: mkstemp beside the target, rename over it, and
// a signal handler that removes the temporary file before the signal ends the
// program as it would have.
#include "report_files.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <string>

#include "listing_job.h"

static const int ENDING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

// A signal handler reaches no other state: set while the signals are blocked.
static char guardedPath[REAL_PATH_BUFFER];
static volatile sig_atomic_t guarding = 0;

static void removeAndEnd(int signal) {
    if (guarding) unlink(guardedPath);
    // SA_RESETHAND has put the default action back: once this handler
    // returns, the signal raised again ends the program with its own status.
    raise(signal);
}

// errno is kept, for the reason of the call made while the signals were blocked.
static void setBlocked(bool blocked) {
    int error = errno;
    sigset_t set;
    sigemptyset(&set);
    for (int signal : ENDING_SIGNALS)
        sigaddset(&set, signal);
    sigprocmask(blocked ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
    errno = error;
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

// Whether `path` leads, link by link, to a link of /proc: the system's name
// for a file some process holds open, which opening reaches as `>` does.
static bool throughOpenFileLink(const char* target) {
    std::string path = target;
    for (int links = 0; links < 40; ++links) {
        int descriptor = open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (descriptor < 0) return false;
        struct stat info;
        struct statfs system;
        bool isLink = fstat(descriptor, &info) == 0 && S_ISLNK(info.st_mode);
        bool onProc = fstatfs(descriptor, &system) == 0 && system.f_type == PROC_SUPER_MAGIC;
        close(descriptor);
        if (!isLink) return false;
        if (onProc) return true;
        char next[PATH_MAX];
        ssize_t length = readlink(path.c_str(), next, sizeof next - 1);
        if (length <= 0) return false;
        // A relative link counts from its own folder.
        size_t slash = path.rfind('/');
        path.resize(next[0] != '/' && slash != std::string::npos ? slash + 1 : 0);
        path.append(next, static_cast<size_t>(length));
    }
    return false;
}

bool writtenInPlace(const char* target) {
    struct stat info;
    return stat(target, &info) == 0 && (!S_ISREG(info.st_mode) || throughOpenFileLink(target));
}

bool hasOtherNames(const char* target) {
    struct stat info;
    return lstat(target, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink > 1;
}

int createTemporary(const char* target, char* temporary, size_t capacity) {
    int written;
    if (target) {
        const char* slash = strrchr(target, '/');
        int folderLength = slash ? static_cast<int>(slash - target) + 1 : 0;
        written = snprintf(temporary, capacity, "%.*s.%s.XXXXXX", folderLength, target,
                           target + folderLength);
    } else {
        const char* folder = getenv("TMPDIR");
        if (!folder || folder[0] != '/') folder = "/tmp";
        // "/tmp/" gives "/tmp/elenco.ab12Cd", in the folder a listing calls "/tmp".
        int folderLength = static_cast<int>(strlen(folder));
        while (folderLength > 1 && folder[folderLength - 1] == '/')
            --folderLength;
        written = snprintf(temporary, capacity, "%.*s/elenco.XXXXXX", folderLength, folder);
    }
    if (written >= static_cast<int>(capacity) || strlen(temporary) >= sizeof guardedPath) {
        errno = ENAMETOOLONG;
        return 0;
    }
    installHandlers();
    setBlocked(true);
    int descriptor = mkstemp(temporary);
    if (descriptor >= 0) {
        memcpy(guardedPath, temporary, strlen(temporary) + 1);
        guarding = 1;
        close(descriptor);
    }
    setBlocked(false);
    return descriptor >= 0;
}

bool temporaryOpening() {
    return true;
}

// The bits and group the report is to have, given while it is still private.
static void setPermissions(const char* temporary, const char* target) {
    struct stat old;
    if (lstat(target, &old) == 0 && S_ISREG(old.st_mode)) {
        mode_t bits = old.st_mode & 07777;
        struct stat made;
        bool sameGroup = stat(temporary, &made) == 0 && made.st_gid == old.st_gid;
        if (!sameGroup && chown(temporary, static_cast<uid_t>(-1), old.st_gid) != 0)
            bits &= ~static_cast<mode_t>(S_IRWXG);
        chmod(temporary, bits);
        return;
    }
    mode_t mask = umask(0);
    umask(mask);
    chmod(temporary, 0666 & ~mask);
}

int replaceWithTemporary(const char* temporary, const char* target) {
    setPermissions(temporary, target);
    setBlocked(true);
    int renamed = rename(temporary, target) == 0;
    if (renamed) guarding = 0;
    setBlocked(false);
    return renamed;
}

KeptReport keepToRewrite(const char* target) {
    return open(target, O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
}

int rewriteFromTemporary(KeptReport kept, const char* temporary) {
    int descriptor = static_cast<int>(kept);
    int source = open(temporary, O_RDONLY | O_CLOEXEC);
    bool copied = source >= 0 && lseek(descriptor, 0, SEEK_SET) == 0;
    off_t length = 0;
    for (ssize_t sent = 1; copied && sent > 0; length += sent) {
        sent = sendfile(descriptor, source, nullptr, 1 << 30);
        copied = sent >= 0;
    }
    copied = copied && ftruncate(descriptor, length) == 0;
    int error = errno;
    if (source >= 0) close(source);
    // A close that fails after a whole copy tells its own reason.
    if (close(descriptor) != 0 && copied) {
        copied = false;
        error = errno;
    }
    errno = error;
    return copied;
}

void releaseKept(KeptReport kept) {
    int error = errno;
    close(static_cast<int>(kept));
    errno = error;
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
