// Real folders for tests: a fresh temporary folder removed with everything in
// it at the end of the test, and files of a chosen length and last write.
#pragma once

#include <stdint.h>

#include <string>

struct ScopedTempDir {
    // In the temporary folder, or with `atTop` right under the file system's root.
    explicit ScopedTempDir(bool atTop = false);
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;

    // The native path of `relative` ('/'-separated, names in UTF-8) inside the
    // folder. Each `make` makes the folders on the way as needed.
    std::string at(const std::string& relative) const;
    void makeFolder(const std::string& relative) const;
    // A sparse file of `length` bytes last written at `unixSeconds` (UTC), and
    // last read at `accessSeconds` (by default the same).
    void makeFile(const std::string& relative, uint64_t length, int64_t unixSeconds = 0,
                  int64_t accessSeconds = INT64_MIN) const;
    // A symbolic link; Linux only, as Wine makes none.
    void makeLink(const std::string& relative, const std::string& target) const;

    std::string path; // absolute, native, without a trailing separator
};

// Seconds since 1970-01-01 UTC of a calendar date and time.
int64_t unixTime(int year, int month, int day, int hour, int minute, int second);

// The whole content of a file (a UTF-8 path); empty when it cannot be read.
std::string readFile(const std::string& path);
