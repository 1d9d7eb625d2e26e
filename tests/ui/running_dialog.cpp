#include "running_dialog.h"

#include <algorithm>

#include "resource.h"
#include "start.h"

static const DWORD WAIT_MS = 5000;

// A visible box of the dialog class with `caption`, other than `except`, waited for.
static HWND waitForDialogWindow(const char* caption, HWND except, DWORD wait = WAIT_MS) {
    for (DWORD waited = 0; waited <= wait; waited += 10, Sleep(10))
        for (HWND found = nullptr; (found = FindWindowExA(nullptr, found, "#32770", caption));)
            if (found != except && IsWindowVisible(found)) return found;
    return nullptr;
}

RunningDialog::RunningDialog() {
    thread = std::thread([this] {
        threadId = GetCurrentThreadId();
        char noArguments[] = "";
        dialogResult = WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWNORMAL);
        finished = true;
    });
    window = waitForDialogWindow("Zarpello", nullptr);
    tree = GetDlgItem(window, IDC_FOLDER_TREE);
    // Shown is not yet active: the focus is placed once it is.
    for (DWORD waited = 0; window && !focus() && waited < WAIT_MS; waited += 10)
        Sleep(10);
}

RunningDialog::~RunningDialog() {
    // A test that stopped early leaves its dialog, or a box, open: answer as a user would.
    for (DWORD waited = 0; !finished && waited < WAIT_MS; waited += 50, Sleep(50)) {
        if (HWND box = waitForDialogWindow(nullptr, window, 0))
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        if (window) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    }
    thread.join();
}

std::string RunningDialog::answerMessage(const char* caption) const {
    HWND box = waitForDialogWindow(caption, window);
    if (!box) return "(no message box)";
    char buffer[1024] = "";
    GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    // The box is gone once its thread has handled the press.
    for (DWORD waited = 0; IsWindow(box) && waited < WAIT_MS; waited += 10)
        Sleep(10);
    return buffer;
}

INT_PTR RunningDialog::result() {
    for (DWORD waited = 0; !finished && waited < WAIT_MS; waited += 10)
        Sleep(10);
    return finished ? dialogResult : -100;
}

HWND RunningDialog::focus() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(threadId, &info);
    return info.hwndFocus;
}

// Waits until the dialog has handled a state of the Abbandona button posted
// after everything else, and has painted.
bool RunningDialog::settle() const {
    HWND button = control(IDC_ABANDON);
    InvalidateRect(window, nullptr, FALSE);
    for (BOOL pushed : {TRUE, FALSE}) {
        PostMessageA(button, BM_SETSTATE, pushed, 0);
        DWORD_PTR state = !pushed;
        for (DWORD waited = 0; waited < WAIT_MS && ((state & BST_PUSHED) != 0) != pushed;
             waited += 10, Sleep(10))
            SendMessageTimeoutA(button, BM_GETSTATE, 0, 0, SMTO_NORMAL, WAIT_MS, &state);
    }
    for (DWORD waited = 0; waited < WAIT_MS; waited += 10, Sleep(10))
        if (!GetUpdateRect(window, nullptr, FALSE)) return true;
    return false;
}

std::string itemText(HWND tree, HTREEITEM item) {
    char buffer[260] = "";
    TVITEMA read = {};
    read.mask = TVIF_TEXT;
    read.hItem = item;
    read.pszText = buffer;
    read.cchTextMax = sizeof buffer;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read));
    return buffer;
}

static HTREEITEM firstChild(HWND tree, HTREEITEM parent) {
    return parent == TVI_ROOT ? TreeView_GetRoot(tree) : TreeView_GetChild(tree, parent);
}

std::vector<std::string> childTexts(HWND tree, HTREEITEM parent) {
    std::vector<std::string> texts;
    for (HTREEITEM child = firstChild(tree, parent); child;
         child = TreeView_GetNextSibling(tree, child))
        texts.push_back(itemText(tree, child));
    return texts;
}

HTREEITEM childItem(HWND tree, HTREEITEM parent, const std::string& text) {
    for (HTREEITEM child = firstChild(tree, parent); child;
         child = TreeView_GetNextSibling(tree, child))
        if (itemText(tree, child).compare(0, parent == TVI_ROOT ? 3 : text.npos, text) == 0)
            return child;
    return nullptr;
}

void selectItem(HWND tree, HTREEITEM item) {
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

HTREEITEM revealFolder(HWND tree, const std::string& path) {
    HTREEITEM item = childItem(tree, TVI_ROOT, path.substr(0, 3));
    for (size_t start = 3; item && start < path.size();) {
        size_t end = std::min(path.find('\\', start), path.size());
        selectItem(tree, item);
        item = childItem(tree, item, path.substr(start, end - start));
        start = end + 1;
    }
    return item;
}
