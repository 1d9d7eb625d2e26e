// The real main dialog, started as the program starts it (WinMain, with this
// test program's copy of the template) on a thread of its own, and driven from
// the test's thread with the platform's messages, as a user's clicks would be.
// Commands whose handling shows a message box are posted, never sent, and the
// boxes are found and answered here.
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
    RunningDialog(const RunningDialog&) = delete;
    RunningDialog& operator=(const RunningDialog&) = delete;

    HWND control(int id) const;
    std::string text(int id) const;
    // Clicks a button as the mouse would; for buttons whose handling shows no box.
    void click(int id) const;
    // Posts the command, as a click on its button would, without waiting for its handling.
    void post(int command) const;
    // Waits for a message box with `caption` on the dialog's thread, presses its
    // OK and returns its text; "(no message box)" when none came.
    std::string answerMessage(const char* caption) const;
    // Waits for the dialog to end: its result, or -100 when it is still open.
    INT_PTR result();
    // The control that has the keyboard focus on the dialog's thread.
    HWND focus() const;
    // Waits until every message posted before has been taken from the queue,
    // and the dialog has repainted. False when it never paints.
    bool settle() const;

    HWND window = nullptr;
    HWND tree = nullptr;

  private:
    std::thread thread;
    std::atomic<DWORD> threadId{0};
    std::atomic<bool> finished{false};
    INT_PTR dialogResult = -100;
};

// Items of the folder tree, read from the test's thread.
std::string itemText(HWND tree, HTREEITEM item);
// The texts of the children of `parent` (TVI_ROOT: the drives), in the tree's order.
std::vector<std::string> childTexts(HWND tree, HTREEITEM parent);
// The child of `parent` with `text`, or null.
HTREEITEM childItem(HWND tree, HTREEITEM parent, const std::string& text);
// Selects `item` as a click on it would, and waits until the dialog has handled it.
void selectItem(HWND tree, HTREEITEM item);
// Selects, from its drive down, each folder of `path` ("Z:\tmp\x"), so that each
// gets its children, and returns the item of `path` itself, not yet selected; null
// when a folder on the way is missing.
HTREEITEM revealFolder(HWND tree, const std::string& path);
