// The platform layer on Windows: ANSI calls throughout, since the system's text
// is 8-bit in the code page Windows-1252.
#include <windows.h>

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

static void fillEntry(const WIN32_FIND_DATAA& data, DirEntry* entry) {
    copyText(entry->name, sizeof entry->name, data.cFileName);
    entry->attributes = data.dwFileAttributes;
    entry->sizeHigh = data.nFileSizeHigh;
    entry->sizeLow = data.nFileSizeLow;
    entry->lastAccess = fromFiletime(data.ftLastAccessTime);
    entry->lastWrite = fromFiletime(data.ftLastWriteTime);
}

// The search reports every detail at once, so `detail` changes nothing here.
static DirSearch* win32FindFirst(const char* folder, SearchDetail, DirEntry* entry) {
    char pattern[PATH_BUFFER] = "";
    if (!copyText(pattern, sizeof pattern, folder) ||
        !appendText(pattern, sizeof pattern, "\\*.*", 4))
        return nullptr;
    WIN32_FIND_DATAA data;
    HANDLE handle = FindFirstFileA(pattern, &data);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    fillEntry(data, entry);
    return reinterpret_cast<DirSearch*>(handle);
}

static int win32FindNext(DirSearch* search, DirEntry* entry) {
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(handleOf(search), &data)) return 0;
    fillEntry(data, entry);
    return 1;
}

static void win32FindClose(DirSearch* search) {
    FindClose(handleOf(search));
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

static void win32ShowMessage(DialogHandle owner, const UserMessage& message) {
    MessageBoxA(static_cast<HWND>(owner), message.text, message.caption, MB_OK);
}

static void win32EndDialog(DialogHandle owner, int result) {
    EndDialog(static_cast<HWND>(owner), result);
}

static void win32NoteLeftOut(DialogHandle, const char*, const char*) {}

static void win32ExpectSearches(const FolderEntry*, int32_t) {}

const Platform defaultPlatform = {
    win32FindFirst,   win32FindNext,    win32FindClose,   win32FileTimeToCalendar,
    win32ShowMessage, win32EndDialog,   win32NoteLeftOut, runtimeReallocate,
    stdioOpenReport,  stdioWriteReport, stdioCloseReport, win32ExpectSearches,
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
