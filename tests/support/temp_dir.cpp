#include "temp_dir.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

static void check(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error("test fixture: " + what);
}

// On Windows the "\\?\" form lifts the 260-character limit, so tests can build
// paths longer than the programs under test can reach.
static fs::path longForm(const std::string& path) {
#ifdef _WIN32
    return fs::u8path("\\\\?\\" + path);
#else
    return path;
#endif
}

ScopedTempDir::ScopedTempDir(bool atTop) {
    // Under Wine, ZARPELLO_TEST_TEMP is a Z: path on the Linux disk.
    const char* chosen = getenv("ZARPELLO_TEST_TEMP");
    fs::path base = chosen && *chosen ? fs::path(chosen) : fs::canonical(fs::temp_directory_path());
    if (atTop) base = base.root_path();
    auto n = std::chrono::steady_clock::now().time_since_epoch().count() % 999999;
    while (!fs::create_directory(base / ("zarpello-" + std::to_string(n))))
        ++n;
    path = (base / ("zarpello-" + std::to_string(n))).string();
}

// Depth first, removing a link itself, never what it points to.
static void removeTree(const fs::path& folder) {
#ifdef _WIN32
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((folder / "*").c_str(), &data);
    for (bool found = search != INVALID_HANDLE_VALUE; found; found = FindNextFileW(search, &data)) {
        if (data.cFileName == std::wstring(L".") || data.cFileName == std::wstring(L".."))
            continue;
        fs::path entry = folder / data.cFileName;
        SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            removeTree(entry);
        else if (!DeleteFileW(entry.c_str()))
            RemoveDirectoryW(entry.c_str());
    }
    FindClose(search);
    RemoveDirectoryW(folder.c_str());
#else
    std::error_code ignored;
    fs::remove_all(folder, ignored);
#endif
}

ScopedTempDir::~ScopedTempDir() {
    removeTree(fs::u8path(path));
}

std::string ScopedTempDir::at(const std::string& relative) const {
    std::string native = relative.empty() ? path : path + "/" + relative;
    std::replace(native.begin(), native.end(), '/', static_cast<char>(fs::path::preferred_separator));
    return native;
}

// The folders on the way to `relative`, as needed.
static void makeParents(const ScopedTempDir& dir, const std::string& relative) {
    std::error_code exists;
    for (size_t slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', slash + 1))
        fs::create_directory(longForm(dir.at(relative.substr(0, slash))), exists);
}

void ScopedTempDir::makeFolder(const std::string& relative) const {
    makeParents(*this, relative + "/");
    check(fs::is_directory(longForm(at(relative))), "mkdir " + relative);
}

void ScopedTempDir::makeFile(const std::string& relative, uint64_t length, int64_t unixSeconds,
                             int64_t accessSeconds) const {
    makeParents(*this, relative);
    if (accessSeconds == INT64_MIN) accessSeconds = unixSeconds;
#ifdef _WIN32
    HANDLE file = CreateFileW(longForm(at(relative)).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    check(file != INVALID_HANDLE_VALUE, "create " + relative);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(length);
    auto fileTime = [](int64_t seconds) {
        uint64_t ticks = static_cast<uint64_t>(seconds + 11644473600LL) * 10000000ULL;
        return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    };
    FILETIME written = fileTime(unixSeconds), read = fileTime(accessSeconds);
    bool done = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file) &&
                SetFileTime(file, nullptr, &read, &written);
    CloseHandle(file);
#else
    int fd = open(at(relative).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    check(fd >= 0, "create " + relative);
    struct timespec times[2] = {{accessSeconds, 0}, {unixSeconds, 0}};
    bool done = ftruncate(fd, static_cast<off_t>(length)) == 0 && futimens(fd, times) == 0;
    close(fd);
#endif
    check(done, "size or time of " + relative);
}

void ScopedTempDir::makeLink(const std::string& relative, const std::string& target) const {
    makeParents(*this, relative);
    fs::create_symlink(target, longForm(at(relative)));
}

int64_t unixTime(int year, int month, int day, int hour, int minute, int second) {
    // Days from civil (H. Hinnant), the inverse of the engine's own conversion.
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return (era * 146097 + dayOfEra - 719468) * 86400 + hour * 3600 + minute * 60 + second;
}

std::string readFile(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
