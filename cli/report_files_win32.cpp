// Replacing the report on Windows: GetTempFileName beside the target (it
// creates the file exclusively), MoveFileEx over it, and Ctrl-C noted for the
// writer, since a file still open cannot be removed from the handler's thread.
#include "report_files.h"

#include <windows.h>

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "platform_win32.h"

static volatile LONG guarding = 0;
static volatile LONG interrupted = 0;

static BOOL WINAPI noteInterrupt(DWORD) {
    if (!guarding) return FALSE; // nothing to clean up: the default action ends the program
    interrupted = 1;
    return TRUE;
}

static void setErrnoFromSystem() {
    errno = errnoOfWindowsError(GetLastError());
}

bool writtenInPlace(const char* target) {
    HANDLE handle = CreateFileA(target, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool inPlace = GetFileType(handle) != FILE_TYPE_DISK ||
                   (GetFileAttributesA(target) & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(handle);
    return inPlace;
}

int createTemporary(const char* target, char* temporary, size_t capacity) {
    char folder[MAX_PATH];
    const char* separator = strrchr(target, '\\');
    int folderLength = separator ? static_cast<int>(separator - target) + 1 : 0;
    if (capacity < MAX_PATH ||
        snprintf(folder, sizeof folder, "%.*s", folderLength, target) >= MAX_PATH - 14) {
        errno = ENAMETOOLONG;
        return 0;
    }
    static bool handlerSet = false;
    if (!handlerSet) handlerSet = SetConsoleCtrlHandler(noteInterrupt, TRUE) != 0;
    if (!GetTempFileNameA(folderLength ? folder : ".", "eln", 0, temporary)) {
        setErrnoFromSystem();
        return 0;
    }
    guarding = 1;
    return 1;
}

int replaceWithTemporary(const char* temporary, const char* target) {
    if (!MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING)) {
        setErrnoFromSystem();
        return 0;
    }
    guarding = 0;
    return 1;
}

void removeTemporary(const char* temporary) {
    int error = errno;
    DeleteFileA(temporary);
    guarding = 0;
    errno = error;
}

bool samePath(const char* a, const char* b) {
    return lstrcmpiA(a, b) == 0;
}

bool interruptRequested() {
    return interrupted != 0;
}
