#include "start.h"

#include <commctrl.h>
#include <string.h>

#include "main_dialog.h"
#include "resource.h"

char* commandLineTail(char* line) {
    char* tail = line;
    if (*tail == '"') {
        char* closing = strchr(tail + 1, '"');
        if (!closing) return line;
        tail = closing + 1;
    } else {
        while (*tail != '\0' && *tail != ' ')
            ++tail;
    }
    while (*tail == ' ')
        ++tail;
    return tail;
}

// The class "ZARPELLO", which no window uses; a second registration fails harmlessly.
static void registerWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = DefDlgProcA;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hIcon = nullptr;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = "ZARPELLO";
    RegisterClassA(&windowClass);
}

// Only the instance is used: the program takes no arguments.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    registerWindowClass(instance);
    INITCOMMONCONTROLSEX controls = {sizeof controls, 0xFFFFFFFF}; // every class
    InitCommonControlsEx(&controls);
    return static_cast<int>(
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, mainDialogProc, 0));
}
