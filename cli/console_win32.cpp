#include "console.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

void prepareStandardStreams() {
    // Text mode would turn each CR LF of the report into CR CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}
