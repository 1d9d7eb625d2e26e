// The real dialog, started by WinMain on a thread of its own and driven from
// the test's thread with the platform's messages, as a user's would be.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "resource.h"
#include "start.h"

// Polls `done` every 10 ms for 5 s at most; whether it came true.
template <typename Done> bool waitFor(Done done) {
    for (DWORD waited = 0; !done(); waited += 10, Sleep(10))
        if (waited >= 5000) return false;
    return true;
}

// A shown box of the dialog class with `caption` (any when null), not `except`.
inline HWND dialogBox(const char* caption, HWND except) {
    for (HWND found = nullptr; (found = FindWindowExA(nullptr, found, "#32770", caption));)
        if (found != except && IsWindowVisible(found)) return found;
    return nullptr;
}

struct RunningDialog {
    HWND window = nullptr, tree = nullptr;
    std::atomic<DWORD> threadId{0};
    std::atomic<bool> finished{false};
    INT_PTR dialogResult = -100;
    std::thread thread{[this] {
        threadId = GetCurrentThreadId();
        char noArguments[] = "";
        dialogResult = WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWNORMAL);
        finished = true;
    }};

    RunningDialog() {
        waitFor([&] { return (window = dialogBox("Zarpello", nullptr)) != nullptr; });
        tree = GetDlgItem(window, IDC_FOLDER_TREE);
        waitFor([&] { return !window || focus(); }); // shown is not yet active
    }
    ~RunningDialog() { // a test that stopped early leaves a box open: answered as a user would
        waitFor([&] {
            if (HWND box = dialogBox(nullptr, window)) PostMessageA(box, WM_COMMAND, IDOK, 0);
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            return finished.load();
        });
        thread.join();
    }
    HWND focus() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(threadId, &info);
        return info.hwndFocus;
    }
    INT_PTR result() const { // -100 while the dialog is open
        return waitFor([&] { return finished.load(); }) ? dialogResult : -100;
    }
    // Presses OK on the box with `caption` and returns its text, once the box is gone.
    std::string answerMessage(const char* caption) const {
        HWND box = nullptr;
        char text[4096] = "(no message box)";
        if (!waitFor([&] { return (box = dialogBox(caption, window)) != nullptr; })) return text;
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        waitFor([&] { return !IsWindow(box); });
        return text;
    }
};

// The folder tree (TVI_ROOT: the drives), read and clicked from the test's thread.
inline std::vector<HTREEITEM> childItems(HWND tree, HTREEITEM parent) {
    std::vector<HTREEITEM> items;
    for (HTREEITEM item = parent == TVI_ROOT ? TreeView_GetRoot(tree)
                                             : TreeView_GetChild(tree, parent);
         item; item = TreeView_GetNextSibling(tree, item))
        items.push_back(item);
    return items;
}

// The item's text, for a drive followed by its image and its image when selected.
inline std::string itemText(HWND tree, HTREEITEM item) {
    char text[260] = "";
    TVITEMA read = {TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, item, 0, 0, text, 260, 0, 0, 0, 0};
    TreeView_GetItem(tree, &read);
    if (TreeView_GetParent(tree, item)) return text;
    return text + (" " + std::to_string(read.iImage)) + "/" + std::to_string(read.iSelectedImage);
}

// Selects each folder above `path` ("Z:\tmp\x"), so that each gets its
// children; the item of `path`, not selected, or null.
inline HTREEITEM revealFolder(HWND tree, const std::string& path) {
    HTREEITEM item = TVI_ROOT;
    std::istringstream names(path);
    for (std::string name; item && std::getline(names, name, '\\');) {
        if (item != TVI_ROOT) TreeView_SelectItem(tree, item);
        std::vector<HTREEITEM> children = childItems(tree, item);
        item = nullptr;
        for (HTREEITEM child : children) // a drive by its letter: "Z:\ DISCO FISSO 3/3"
            if (itemText(tree, child) == name || itemText(tree, child).rfind(name + "\\ ", 0) == 0)
                item = child;
    }
    return item;
}
