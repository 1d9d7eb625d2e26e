// The platform layer on Windows: ANSI calls throughout, since the system's text
// is 8-bit in the code page Windows-1252.
#include <windows.h>

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "platform.h"
#include "platform_runtime.h"
#include "text.h"

const char PATH_SEPARATOR = '\\';

static HANDLE handleOf(DirSearch* search) {
    return reinterpret_cast<HANDLE>(search);
}

static FileTime fromFiletime(const FILETIME& time) {
    return {time.dwLowDateTime, time.dwHighDateTime};
}

// The errno value that says what Windows' error code says, so that the C
// runtime's strerror tells it in the same words on every platform.
static int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    default:
        return EIO;
    }
}

static void entryFromFindData(const WIN32_FIND_DATAA& data, DirEntry* entry) {
    copyText(entry->name, sizeof entry->name, data.cFileName);
    // A junction, directory link or mount point is never walked into, so a link
    // above itself cannot make the walk endless: it is an entry of its own, as
    // a link to a folder is on other systems.
    entry->attributes = data.dwFileAttributes;
    if (entry->attributes & FILE_ATTRIBUTE_REPARSE_POINT) entry->attributes &= ~FOLDER_ATTRIBUTE;
    entry->detailsError = 0;
    entry->sizeHigh = data.nFileSizeHigh;
    entry->sizeLow = data.nFileSizeLow;
    entry->lastAccess = fromFiletime(data.ftLastAccessTime);
    entry->lastWrite = fromFiletime(data.ftLastWriteTime);
}

// The search of a folder that holds no entry at all, not even ".": a drive's
// root has no "." and, when empty, its search finds nothing.
static DirSearch* const EMPTY_SEARCH = reinterpret_cast<DirSearch*>(INVALID_HANDLE_VALUE);

// Whether `folder`, whose search found no entry, is a folder that exists.
static bool isEmptyFolder(const char* folder) {
    char root[PATH_BUFFER] = "";
    if (!copyText(root, sizeof root, folder) || !appendText(root, sizeof root, "\\", 1))
        return false;
    DWORD attributes = GetFileAttributesA(root);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The search reports every detail at once, so `detail` changes nothing here.
static DirSearch* win32FindFirst(const char* folder, SearchDetail, DirEntry* entry) {
    char pattern[PATH_BUFFER] = "";
    if (!copyText(pattern, sizeof pattern, folder) ||
        !appendText(pattern, sizeof pattern, "\\*.*", 4))
        return nullptr;
    WIN32_FIND_DATAA data;
    HANDLE handle = FindFirstFileA(pattern, &data);
    if (handle != INVALID_HANDLE_VALUE) {
        entryFromFindData(data, entry);
        return reinterpret_cast<DirSearch*>(handle);
    }
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND && isEmptyFolder(folder)) {
        *entry = DirEntry();
        copyText(entry->name, sizeof entry->name, ".");
        entry->attributes = FOLDER_ATTRIBUTE;
        return EMPTY_SEARCH;
    }
    errno = errnoOf(error);
    return nullptr;
}

static int win32FindNext(DirSearch* search, DirEntry* entry) {
    WIN32_FIND_DATAA data;
    if (search == EMPTY_SEARCH || !FindNextFileA(handleOf(search), &data)) return 0;
    entryFromFindData(data, entry);
    return 1;
}

static void win32FindClose(DirSearch* search) {
    if (search != EMPTY_SEARCH) FindClose(handleOf(search));
}

static int win32FileTimeToCalendar(FileTime time, CalendarTime* calendar) {
    FILETIME fileTime = {time.low, time.high};
    SYSTEMTIME system;
    if (!FileTimeToSystemTime(&fileTime, &system)) return 0;
    calendar->year = system.wYear;
    calendar->month = system.wMonth;
    calendar->day = system.wDay;
    calendar->hour = system.wHour;
    calendar->minute = system.wMinute;
    calendar->second = system.wSecond;
    return 1;
}

// The box tells the system's own text; the reason is for the command line.
static void win32ShowMessage(DialogHandle owner, const UserMessage& message, int) {
    MessageBoxA(static_cast<HWND>(owner), message.text, message.caption, MB_OK);
}

static void win32EndDialog(DialogHandle owner, int result) {
    EndDialog(static_cast<HWND>(owner), result);
}

static void win32NoteIncomplete(DialogHandle, IncompleteKind, const char*, int) {}

const Platform defaultPlatform = {
    win32FindFirst,   win32FindNext,    win32FindClose,      win32FileTimeToCalendar,
    win32ShowMessage, win32EndDialog,   win32NoteIncomplete, runtimeReallocate,
    stdioOpenReport,  stdioWriteReport, stdioCloseReport,
};

Platform platform = defaultPlatform;

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
