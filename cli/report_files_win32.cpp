// Replacing the report on Windows: GetTempFileName beside the target (it
// creates the file exclusively), MoveFileEx over it. Ctrl-C removes the
// temporary file while it is closed; once it is open, which a file must not be
// to be removed, Ctrl-C is noted for the writer.
#include "report_files.h"

#include <windows.h>

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "platform_win32.h"

enum { UNGUARDED, MADE, OPEN };
// Read by the console's interrupt handler, on a thread of its own.
static char guardedPath[MAX_PATH];
static volatile LONG guarding = UNGUARDED;
static volatile LONG interrupted = 0;

static BOOL WINAPI noteInterrupt(DWORD) {
    // Not yet open: removed here, and the default action ends the program.
    if (InterlockedCompareExchange(&guarding, UNGUARDED, MADE) == MADE) {
        DeleteFileA(guardedPath);
        return FALSE;
    }
    if (guarding == UNGUARDED) return FALSE;
    interrupted = 1;
    return TRUE;
}

// With FILE_FLAG_OPEN_REPARSE_POINT, the file itself, not what a link at its name leads to.
static HANDLE openExisting(const char* target, DWORD access, DWORD flags) {
    return CreateFileA(target, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, flags, nullptr);
}

bool writtenInPlace(const char* target) {
    HANDLE handle = openExisting(target, 0, FILE_FLAG_BACKUP_SEMANTICS);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool inPlace = GetFileType(handle) != FILE_TYPE_DISK ||
                   (GetFileAttributesA(target) & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(handle);
    return inPlace;
}

bool hasOtherNames(const char* target) {
    HANDLE handle = openExisting(target, 0, FILE_FLAG_OPEN_REPARSE_POINT);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION information;
    bool linked = GetFileInformationByHandle(handle, &information) &&
                  !(information.dwFileAttributes &
                    (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
                  information.nNumberOfLinks > 1;
    CloseHandle(handle);
    return linked;
}

int createTemporary(const char* target, char* temporary, size_t capacity) {
    char folder[MAX_PATH];
    const char* separator = target ? strrchr(target, '\\') : nullptr;
    int folderLength = separator ? static_cast<int>(separator - target) + 1 : 0;
    bool fits = target
                    ? snprintf(folder, sizeof folder, "%.*s", folderLength, target) < MAX_PATH - 14
                    : GetTempPathA(sizeof folder, folder) - 1 < MAX_PATH - 15;
    if (capacity < MAX_PATH || !fits) {
        errno = ENAMETOOLONG;
        return 0;
    }
    static const BOOL handlerSet = SetConsoleCtrlHandler(noteInterrupt, TRUE);
    (void)handlerSet; // installed once
    if (!GetTempFileNameA(folder[0] ? folder : ".", "eln", 0, temporary)) {
        errno = errnoOfWindowsError(GetLastError());
        return 0;
    }
    memcpy(guardedPath, temporary, strlen(temporary) + 1);
    guarding = MADE;
    return 1;
}

bool temporaryOpening() {
    return InterlockedCompareExchange(&guarding, OPEN, MADE) == MADE;
}

int replaceWithTemporary(const char* temporary, const char* target) {
    if (!MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING)) {
        errno = errnoOfWindowsError(GetLastError());
        return 0;
    }
    guarding = UNGUARDED;
    return 1;
}

KeptReport keepToRewrite(const char* target) {
    HANDLE handle = openExisting(target, GENERIC_WRITE, FILE_FLAG_OPEN_REPARSE_POINT);
    BY_HANDLE_FILE_INFORMATION information;
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        errno = errnoOfWindowsError(GetLastError());
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        return NO_KEPT_REPORT;
    }
    return reinterpret_cast<KeptReport>(handle);
}

int rewriteFromTemporary(KeptReport kept, const char* temporary) {
    HANDLE handle = reinterpret_cast<HANDLE>(kept);
    HANDLE source = CreateFileA(temporary, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    bool copied = source != INVALID_HANDLE_VALUE &&
                  SetFilePointer(handle, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
    char buffer[65536];
    while (copied) {
        DWORD read = 0;
        DWORD written = 0;
        copied = ReadFile(source, buffer, sizeof buffer, &read, nullptr);
        if (!copied || read == 0) break;
        copied = WriteFile(handle, buffer, read, &written, nullptr) && written == read;
    }
    copied = copied && SetEndOfFile(handle);
    if (!copied) errno = errnoOfWindowsError(GetLastError());
    if (source != INVALID_HANDLE_VALUE) CloseHandle(source);
    CloseHandle(handle);
    return copied;
}

void releaseKept(KeptReport kept) {
    CloseHandle(reinterpret_cast<HANDLE>(kept));
}

// The system's calls leave the C runtime's errno as it was.
void removeTemporary(const char* temporary) {
    DeleteFileA(temporary);
    guarding = UNGUARDED;
}

bool samePath(const char* a, const char* b) {
    return lstrcmpiA(a, b) == 0;
}

bool interruptRequested() {
    return interrupted != 0;
}
