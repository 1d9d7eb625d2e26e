// dialog_pose FOLDER READY DONE: the dialog with FOLDER selected, for a picture;
// makes the file READY, and closes once the file DONE exists (60 s at most).
#include <stdio.h>

#include "resource.h"
#include "running_dialog.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: dialog_pose FOLDER READY DONE\n");
        return 2;
    }
    RunningDialog dialog;
    HTREEITEM item = dialog.window ? revealFolder(dialog.tree, argv[1]) : nullptr;
    if (!item) {
        fprintf(stderr, "dialog_pose: %s is not in the tree\n", argv[1]);
        return 1;
    }
    selectItem(dialog.tree, item);
    SendMessageA(dialog.tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(dialog.window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dialog.tree), TRUE);
    CloseHandle(CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    for (int waited = 0; waited < 600 && GetFileAttributesA(argv[3]) == INVALID_FILE_ATTRIBUTES;
         ++waited)
        Sleep(100);
    dialog.click(IDC_ABANDON);
    return static_cast<int>(dialog.result());
}
