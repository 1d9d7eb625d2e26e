// The real dialog, started by WinMain on a thread of its own and driven from
// the test's thread with the platform's messages, as a user's would be.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

struct RunningDialog {
    RunningDialog();
    ~RunningDialog();

    HWND control(int id) const { return GetDlgItem(window, id); }
    // click waits for the button's handling; post does not, for those that show a box.
    void click(int id) const { SendMessageA(control(id), BM_CLICK, 0, 0); }
    void post(int id) const { PostMessageA(window, WM_COMMAND, id, LPARAM(control(id))); }
    // Presses OK on the box with `caption` and returns its text.
    std::string answerMessage(const char* caption) const;
    // The dialog's result, or -100 when it is still open.
    INT_PTR result();
    HWND focus() const;
    // Waits until every message posted before is handled and the dialog has repainted.
    bool settle() const;

    HWND window = nullptr;
    HWND tree = nullptr;

  private:
    std::thread thread;
    std::atomic<DWORD> threadId{0};
    std::atomic<bool> finished{false};
    INT_PTR dialogResult = -100;
};

// The folder tree, read and clicked from the test's thread (TVI_ROOT: the drives).
std::string itemText(HWND tree, HTREEITEM item);
std::vector<std::string> childTexts(HWND tree, HTREEITEM parent);
// A drive is named by its first three characters ("Z:\").
HTREEITEM childItem(HWND tree, HTREEITEM parent, const std::string& text);
void selectItem(HWND tree, HTREEITEM item);
// Selects each folder above `path` ("Z:\tmp\x"), so that each gets its children;
// the item of `path`, not selected, or null.
HTREEITEM revealFolder(HWND tree, const std::string& path);
