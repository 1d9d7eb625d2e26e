#include <fcntl.h>
#include <ftw.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

#include "temp_dir.h"

static void check(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error("test fixture: " + what);
}

ScopedTempDir::ScopedTempDir(bool atTop) {
    const char* base = atTop ? "" : getenv("TMPDIR");
    std::string pattern =
        std::string(atTop || (base && *base) ? base : "/tmp") + "/zarpello-XXXXXX";
    check(mkdtemp(&pattern[0]) != nullptr, "mkdtemp " + pattern);
    char resolved[PATH_MAX];
    check(realpath(pattern.c_str(), resolved) != nullptr, "realpath " + pattern);
    path = resolved;
}

static int removeEntry(const char* entry, const struct stat*, int, struct FTW*) {
    return remove(entry);
}

// Depth first and without following links, so a link out of the folder is
// removed, never what it points to.
ScopedTempDir::~ScopedTempDir() {
    nftw(path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string ScopedTempDir::at(const std::string& relative) const {
    return relative.empty() ? path : path + "/" + relative;
}

void ScopedTempDir::makeFolder(const std::string& relative) const {
    check(mkdir(at(relative).c_str(), 0755) == 0, "mkdir " + relative);
}

void ScopedTempDir::makeFile(const std::string& relative, uint64_t length,
                             int64_t unixSeconds, int64_t accessSeconds) const {
    std::string file = at(relative);
    int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    check(fd >= 0, "create " + relative);
    bool sized = ftruncate(fd, static_cast<off_t>(length)) == 0;
    if (accessSeconds == INT64_MIN) accessSeconds = unixSeconds;
    struct timespec times[2] = {{accessSeconds, 0}, {unixSeconds, 0}};
    bool timed = futimens(fd, times) == 0;
    close(fd);
    check(sized && timed, "size or time of " + relative);
}

void ScopedTempDir::makeLink(const std::string& relative, const std::string& target) const {
    check(symlink(target.c_str(), at(relative).c_str()) == 0, "symlink " + relative);
}

ScopedWorkingDir::ScopedWorkingDir(const std::string& folder) {
    char current[PATH_MAX];
    check(getcwd(current, sizeof current) != nullptr, "getcwd");
    previous = current;
    check(chdir(folder.c_str()) == 0, "chdir " + folder);
}

ScopedWorkingDir::~ScopedWorkingDir() {
    int restored = chdir(previous.c_str());
    (void)restored;
}
