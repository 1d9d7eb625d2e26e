#include <direct.h>
#include <stdlib.h>
#include <windows.h>

#include <stdexcept>
#include <string>

#include "temp_dir.h"

static void check(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error("test fixture: " + what);
}

// ZARPELLO_TEST_TEMP names the folder for test folders (under Wine, a Z: path
// on the Linux disk); otherwise the user's temporary folder.
static std::string temporaryRoot() {
    const char* chosen = getenv("ZARPELLO_TEST_TEMP");
    if (chosen && *chosen) return chosen;
    char buffer[MAX_PATH];
    DWORD length = GetTempPathA(sizeof buffer, buffer);
    check(length > 0 && length < sizeof buffer, "GetTempPathA");
    std::string root(buffer, length);
    if (root.back() == '\\') root.pop_back();
    return root;
}

ScopedTempDir::ScopedTempDir(bool atTop) {
    std::string root = temporaryRoot();
    if (atTop) root.resize(2); // the drive

    for (unsigned attempt = 0;; ++attempt) {
        path = root + "\\zarpello-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(GetTickCount() + attempt);
        if (CreateDirectoryA(path.c_str(), nullptr)) return;
        check(GetLastError() == ERROR_ALREADY_EXISTS && attempt < 1000, "CreateDirectory " + path);
    }
}

static void removeTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string entry = folder + "\\" + name;
            // A link is removed itself, never what it points to.
            bool link = data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
            SetFileAttributesA(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !link)
                removeTree(entry);
            else if (!DeleteFileA(entry.c_str()))
                RemoveDirectoryA(entry.c_str());
        } while (FindNextFileA(search, &data));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

ScopedTempDir::~ScopedTempDir() {
    removeTree(path);
}

std::string ScopedTempDir::at(const std::string& relative) const {
    std::string native = relative;
    for (char& c : native)
        if (c == '/') c = '\\';
    return native.empty() ? path : path + "\\" + native;
}

// The wide "\\?\" form lifts the 260-character limit, so tests can build paths
// longer than the programs under test can reach.
static std::wstring longForm(const std::string& path) {
    std::string full = "\\\\?\\" + path;
    std::wstring wide(full.size(), L'\0');
    int length = MultiByteToWideChar(CP_UTF8, 0, full.data(), static_cast<int>(full.size()),
                                     &wide[0], static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return wide;
}

void ScopedTempDir::makeFolder(const std::string& relative) const {
    check(CreateDirectoryW(longForm(at(relative)).c_str(), nullptr) != 0, "mkdir " + relative);
}

void ScopedTempDir::makeFile(const std::string& relative, uint64_t length,
                             int64_t unixSeconds, int64_t accessSeconds) const {
    HANDLE file = CreateFileW(longForm(at(relative)).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    check(file != INVALID_HANDLE_VALUE, "create " + relative);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(length);
    bool sized = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    if (accessSeconds == INT64_MIN) accessSeconds = unixSeconds;
    auto fileTime = [](int64_t seconds) {
        uint64_t ticks = static_cast<uint64_t>(seconds + 11644473600LL) * 10000000ULL;
        return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    };
    FILETIME written = fileTime(unixSeconds), read = fileTime(accessSeconds);
    bool timed = SetFileTime(file, nullptr, &read, &written) != 0;
    CloseHandle(file);
    check(sized && timed, "size or time of " + relative);
}

// Wine's CreateSymbolicLinkW makes nothing, yet shows a link made on the Linux
// side as a reparse point: there the link is made by Linux's own `ln`.
typedef char*(CDECL* UnixFileName)(LPCWSTR);

static bool makeLinkUnderWine(const std::wstring& link, const std::string& target) {
    UnixFileName unixName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(link.c_str()) : nullptr;
    if (!name) return false;
    std::string command = "/bin/ln -s \"" + target + "\" \"" + name + "\"";
    HeapFree(GetProcessHeap(), 0, name);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA("/bin/ln", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // Wine's handle of a Linux process does not wait for its end: the link does.
    for (int waited = 0; waited < 5000; waited += 10) {
        if (GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(10);
    }
    return false;
}

void ScopedTempDir::makeLink(const std::string& relative, const std::string& target) const {
    std::wstring link = longForm(at(relative));
    std::wstring wideTarget(target.begin(), target.end());
    if (!CreateSymbolicLinkW(link.c_str(), wideTarget.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES)
        makeLinkUnderWine(link, target);
    check(GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES, "symlink " + relative);
}

ScopedWorkingDir::ScopedWorkingDir(const std::string& folder) {
    char current[MAX_PATH];
    check(GetCurrentDirectoryA(sizeof current, current) > 0, "GetCurrentDirectory");
    previous = current;
    check(SetCurrentDirectoryA(folder.c_str()) != 0, "chdir " + folder);
}

ScopedWorkingDir::~ScopedWorkingDir() {
    SetCurrentDirectoryA(previous.c_str());
}
