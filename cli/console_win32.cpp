#include "console.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "cp1252.h"

// The console's code page as the user had it, given back when elenco.exe ends.
static UINT userCodePage;

static void restoreCodePage() {
    SetConsoleOutputCP(userCodePage);
}

void prepareStandardStreams() {
    // Text mode would turn each CR LF of the report into CR CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    // Messages are UTF-8: names (converted from Windows-1252) and Italian texts alike.
    userCodePage = GetConsoleOutputCP();
    if (userCodePage && SetConsoleOutputCP(CP_UTF8)) atexit(restoreCodePage);
    // The progress line clears itself with an escape sequence.
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(error, &mode))
        SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

// Ctrl-C on Windows ends elenco.exe at the report's next write; the line stays.
void clearLineOnInterrupt() {}

ReportEncoding encodingOfLocale() {
    return ENCODING_WINDOWS_1252;
}

std::string systemTextAsUtf8(const char* text) {
    std::string utf8(strlen(text) * 3 + 1, '\0');
    utf8.resize(cp1252ToUtf8(text, &utf8[0], utf8.size()));
    return utf8;
}
