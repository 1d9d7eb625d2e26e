// zarpello.exe itself, started as a user starts it and driven from this
// process: only messages without pointers cross between processes, so the tree
// is walked by item handles and the texts are read with WM_GETTEXT.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "process.h"
#include "resource.h"
#include "temp_dir.h"

namespace {

struct ProcessWindow {
    DWORD process;
    const char* caption;
    HWND except;
    HWND found;
};

BOOL CALLBACK matchProcessWindow(HWND window, LPARAM lParam) {
    ProcessWindow& search = *reinterpret_cast<ProcessWindow*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char caption[64] = "";
    GetWindowTextA(window, caption, sizeof caption);
    if (owner != search.process || window == search.except || !IsWindowVisible(window) ||
        strcmp(caption, search.caption) != 0)
        return TRUE;
    search.found = window;
    return FALSE;
}

HWND waitForWindow(DWORD process, const char* caption, HWND except) {
    for (int waited = 0; waited < 1000; ++waited) {
        ProcessWindow search = {process, caption, except, nullptr};
        EnumWindows(matchProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(10);
    }
    return nullptr;
}

struct StartedProgram {
    explicit StartedProgram(const std::string& folder) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string commandLine = quoteArgument(programPath("zarpello")) + "  ignorato";
        started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 folder.c_str(), &startup, &info);
        if (started) dialog = waitForWindow(info.dwProcessId, "Zarpello", nullptr);
    }
    ~StartedProgram() {
        if (!started) return;
        if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(info.hProcess, 99);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    // The exit code once the program has ended; -1 when it is still running.
    int exitCode() const {
        if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        return static_cast<int>(code);
    }
    BOOL started = FALSE;
    PROCESS_INFORMATION info = {};
    HWND dialog = nullptr;
};

// Presses OK on the program's message box with `caption` and returns its text.
std::string answerMessage(const StartedProgram& program, const char* caption) {
    HWND box = waitForWindow(program.info.dwProcessId, caption, program.dialog);
    if (!box) return "(no message box)";
    char text[512] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return text;
}

TEST(Program, AbandonEndsTheProgramWithZero) {
    ScopedTempDir work;
    StartedProgram program(work.path);
    ASSERT_NE(program.dialog, nullptr);
    PostMessageA(program.dialog, WM_COMMAND, IDC_ABANDON, 0);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_FALSE(fileExists(work.at("elenco_dei_files.txt")));
}

// B: is an empty floppy in the UI suite's prefix, the second drive of the tree.
TEST(Program, ListsTheSelectedDriveIntoItsWorkingDirectory) {
    ScopedTempDir work;
    StartedProgram program(work.path);
    ASSERT_NE(program.dialog, nullptr);
    HWND tree = GetDlgItem(program.dialog, IDC_FOLDER_TREE);
    LPARAM first = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    LPARAM second = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, first);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, second);
    char path[260] = "";
    GetDlgItemTextA(program.dialog, IDC_SELECTED_PATH, path, sizeof path);
    EXPECT_STREQ(path, "B:");
    PostMessageA(program.dialog, WM_COMMAND, IDC_PREPARE, 0);
    // An empty drive has not even "." to find, and is an empty folder all the same.
    EXPECT_EQ(answerMessage(program, "Zarpello"),
              "Per stampare l'elenco aprire con un elaboratore di testi il file di testo ...\n" +
                  work.path + "\\elenco_dei_files.txt");
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(readFile(work.at("elenco_dei_files.txt")),
              crlf({"Elenco delle cartelle e file contenuti in B:", "", "B:", "", "Nessun file", "",
                    "", "Totale cartelle n 1", ""}));
}

} // namespace
