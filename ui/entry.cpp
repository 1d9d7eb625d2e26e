// The program's own entry: the runtime's start-up calls it and exits with its
// result, the dialog's.
#include "start.h"

int main() {
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLineTail(GetCommandLineA()),
                   SW_SHOWNORMAL);
}
