// The platform layer on Windows: ANSI calls throughout, since the system's text
// is 8-bit in the code page Windows-1252. Folders are searched through the
// wide calls only to tell which ANSI names lead back to their folders.
#include <windows.h>

#include <errno.h>
#include <stdio.h>
#include <wchar.h>

#include "platform.h"
#include "platform_runtime.h"
#include "platform_win32.h"
#include "reparse.h"
#include "text.h"

const char PATH_SEPARATOR = '\\';

// A search is the system's own handle; INVALID_HANDLE_VALUE stands for a
// folder that holds no entry at all.
static DirSearch* const NO_ENTRIES = reinterpret_cast<DirSearch*>(INVALID_HANDLE_VALUE);

// The system keeps a listing's state itself: there is none to keep here.
static int win32BeginListing(const Platform&, const char*, ListingOptions, ListingState** made) {
    *made = nullptr;
    return 1;
}

static void win32EndListing(const Platform&, ListingState*) {}

static int win32RealPath(const Platform&, const SearchFolder& folder, char* out, size_t capacity) {
    return copyText(out, capacity, folder.path);
}

static FileTime fromFiletime(const FILETIME& time) {
    return {time.dwLowDateTime, time.dwHighDateTime};
}

int errnoOfWindowsError(unsigned long error) {
    static const struct {
        DWORD error;
        int code;
    } CODES[] = {
        {ERROR_FILE_NOT_FOUND, ENOENT},   {ERROR_PATH_NOT_FOUND, ENOENT},
        {ERROR_INVALID_DRIVE, ENOENT},    {ERROR_BAD_NETPATH, ENOENT},
        {ERROR_BAD_NET_NAME, ENOENT},     {ERROR_INVALID_NAME, ENOENT},
        {ERROR_BAD_PATHNAME, ENOENT},     {ERROR_DIRECTORY, ENOENT},
        {ERROR_ACCESS_DENIED, EACCES},    {ERROR_SHARING_VIOLATION, EACCES},
        {ERROR_LOCK_VIOLATION, EACCES},   {ERROR_DISK_FULL, ENOSPC},
        {ERROR_HANDLE_DISK_FULL, ENOSPC}, {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
        {ERROR_OUTOFMEMORY, ENOMEM},      {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
    };
    for (const auto& known : CODES)
        if (known.error == error) return known.code;
    return EIO;
}

// The name as the ANSI search gives it ('?' or a look-alike for a character
// the code page lacks). Returns whether it names the same entry again.
static bool ansiName(const wchar_t* wide, char* name, size_t capacity) {
    name[0] = '\0';
    if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, name, static_cast<int>(capacity), nullptr,
                             nullptr))
        return false;
    wchar_t back[MAX_PATH];
    return MultiByteToWideChar(CP_ACP, 0, name, -1, back, MAX_PATH) && wcscmp(back, wide) == 0;
}

// Files keep the ANSI name; a folder whose ANSI name would lead nowhere, or to
// another folder, goes by its short name, which is a real path to it. Without
// one (a volume that keeps no short names) no ANSI path reaches the folder: it
// is a folder that cannot be read.
static void fillEntry(const WIN32_FIND_DATAW& data, DirEntry* entry) {
    static_cast<EntryDetails&>(*entry) = {listedAttributes(data.dwFileAttributes, data.dwReserved0),
                                          data.nFileSizeHigh, data.nFileSizeLow,
                                          fromFiletime(data.ftLastWriteTime), 0};
    entry->node = 0;
    bool reaches = ansiName(data.cFileName, entry->name, sizeof entry->name);
    if (!reaches && (entry->attributes & FOLDER_ATTRIBUTE)) {
        char shortName[16];
        if (data.cAlternateFileName[0] &&
            ansiName(data.cAlternateFileName, shortName, sizeof shortName))
            copyText(entry->name, sizeof entry->name, shortName);
        else
            entry->detailsError = ENOENT;
    }
    copyText(entry->realName, sizeof entry->realName, entry->name);
}

// Whether `folder`, whose search found no entry, is a folder that exists: a
// drive's root has no "." and, when empty, its search finds nothing.
static bool isEmptyFolder(const char* folder) {
    char root[PATH_BUFFER];
    if (snprintf(root, sizeof root, "%s\\", folder) >= PATH_BUFFER) return false;
    DWORD attributes = GetFileAttributesA(root);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The search reports every detail at once, so `detail` changes nothing here.
static DirSearch* win32FindFirst(const Platform&, const SearchFolder& where, SearchDetail,
                                 DirEntry* entry) {
    const char* folder = where.path;
    char pattern[PATH_BUFFER];
    wchar_t widePattern[PATH_BUFFER];
    if (snprintf(pattern, sizeof pattern, "%s\\*.*", folder) >= PATH_BUFFER ||
        !MultiByteToWideChar(CP_ACP, 0, pattern, -1, widePattern, PATH_BUFFER)) {
        errno = ENAMETOOLONG;
        return nullptr;
    }
    WIN32_FIND_DATAW data;
    HANDLE handle = FindFirstFileW(widePattern, &data);
    if (handle != INVALID_HANDLE_VALUE) {
        fillEntry(data, entry);
        return reinterpret_cast<DirSearch*>(handle);
    }
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND && isEmptyFolder(folder)) {
        dotEntry(entry);
        return NO_ENTRIES;
    }
    // A file is no folder to search, whatever the pattern's failure says.
    DWORD attributes = GetFileAttributesA(folder);
    bool file = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    errno = file ? ENOTDIR : errnoOfWindowsError(error);
    return nullptr;
}

static int win32FindNext(const Platform&, DirSearch* search, DirEntry* entry) {
    WIN32_FIND_DATAW data;
    if (search == NO_ENTRIES) return SEARCH_END;
    if (!FindNextFileW(search, &data)) {
        DWORD error = GetLastError();
        if (error == ERROR_NO_MORE_FILES) return SEARCH_END;
        errno = errnoOfWindowsError(error);
        return SEARCH_ERROR;
    }
    fillEntry(data, entry);
    return SEARCH_ENTRY;
}

static void win32FindClose(const Platform&, DirSearch* search) {
    if (search != NO_ENTRIES) FindClose(search);
}

// The box tells the system's own text; the reason is for the command line.
static void win32ShowMessage(const Platform&, DialogHandle owner, const UserMessage& message, int) {
    MessageBoxA(static_cast<HWND>(owner), message.text, message.caption, MB_OK);
}

static void win32EndDialog(const Platform&, DialogHandle owner, int result) {
    EndDialog(static_cast<HWND>(owner), result);
}

const Platform systemPlatform = {
    nullptr,          nullptr,          win32BeginListing,  win32EndListing,
    runtimeShowName,  win32RealPath,    win32FindFirst,     win32FindNext,
    win32FindClose,   runtimeTextColumns, runtimeTextColumns, win32ShowMessage,
    win32EndDialog,   runtimeNoteIncomplete, stdioOpenReport, stdioWriteReport,
    stdioCloseReport, runtimeExpectSearches,
};

int fullPath(const char* path, char* out, size_t capacity) {
    DWORD length = GetFullPathNameA(path, static_cast<DWORD>(capacity), out, nullptr);
    if (length == 0 || length >= capacity) {
        if (capacity > 0) out[0] = '\0';
        return 0;
    }
    // "C:\" is the drive "C:"; a folder never ends with a backslash.
    if (length > 1 && out[length - 1] == '\\') out[length - 1] = '\0';
    return 1;
}
