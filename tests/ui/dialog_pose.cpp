// dialog_pose FOLDER READY DONE: the dialog with FOLDER selected, for a picture;
// makes the file READY, and closes once the file DONE exists (60 s at most).
#include "running_dialog.h"

int main(int argc, char** argv) {
    RunningDialog dialog;
    HTREEITEM item = argc == 4 ? revealFolder(dialog.tree, argv[1]) : nullptr;
    if (!item) return 1;
    TreeView_SelectItem(dialog.tree, item);
    SendMessageA(dialog.window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dialog.tree), TRUE);
    CloseHandle(CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    for (int waited = 0; waited < 600 && GetFileAttributesA(argv[3]) == INVALID_FILE_ATTRIBUTES;
         ++waited)
        Sleep(100);
    SendMessageA(GetDlgItem(dialog.window, IDC_ABANDON), BM_CLICK, 0, 0);
    return static_cast<int>(dialog.result());
}
