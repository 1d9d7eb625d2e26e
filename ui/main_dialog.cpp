#include "main_dialog.h"

#include <commctrl.h>
#include <direct.h>
#include <stdio.h>
#include <string.h>

#include "folder_tree.h"
#include "listing_run.h"
#include "listing_summary.h"
#include "live_run.h"
#include "messages.h"
#include "platform.h"
#include "resource.h"
#include "text.h"

static const char FINAL_SENTENCE[] =
    "Per stampare l'elenco aprire con un elaboratore di testi il file di testo ...";

// The working directory, a backslash and the report's name: room for the longest directory.
enum { REPORT_PATH_BUFFER = PATH_BUFFER + 21 };

static const struct {
    int control;
    ListingOptions bit;
} OPTION_CONTROLS[] = {
    {IDC_WITH_SUBFOLDERS, LIST_SUBFOLDERS},
    {IDC_SHOW_LENGTH, SHOW_LENGTH},
    {IDC_SHOW_TYPE, SHOW_TYPE},
    {IDC_SHOW_MODIFIED, SHOW_MODIFIED},
    {IDC_SORT_NAME, SORT_BY_NAME},
    {IDC_SORT_TYPE, SORT_BY_TYPE},
    {IDC_SORT_LENGTH, SORT_BY_LENGTH},
};

// The program's icon on the caption and in the task bar, each at its own size.
static void setDialogIcons(HWND dialog) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const struct {
        WPARAM which;
        int width, height;
    } sizes[] = {{ICON_BIG, SM_CXICON, SM_CYICON}, {ICON_SMALL, SM_CXSMICON, SM_CYSMICON}};
    for (const auto& size : sizes) {
        HANDLE icon = LoadImageA(instance, MAKEINTRESOURCEA(IDI_ZARPELLO), IMAGE_ICON,
                                 GetSystemMetrics(size.width), GetSystemMetrics(size.height), 0);
        SendMessageA(dialog, WM_SETICON, size.which, reinterpret_cast<LPARAM>(icon));
    }
}

INT_PTR initMainDialog(HWND dialog, WPARAM, LPARAM) {
    setDialogIcons(dialog);
    setupFolderTree(dialog);
    EnableWindow(GetDlgItem(dialog, IDC_PREPARE), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_ABANDON), TRUE);
    CheckRadioButton(dialog, IDC_WITH_SUBFOLDERS, IDC_WITHOUT_SUBFOLDERS, IDC_WITH_SUBFOLDERS);
    CheckRadioButton(dialog, IDC_SORT_NAME, IDC_SORT_LENGTH, IDC_SORT_NAME);
    CheckDlgButton(dialog, IDC_SHOW_LENGTH, BST_CHECKED);
    CheckDlgButton(dialog, IDC_SHOW_TYPE, BST_CHECKED);
    CheckDlgButton(dialog, IDC_SHOW_MODIFIED, BST_CHECKED);
    SetDlgItemTextA(dialog, IDC_SELECTED_PATH, "");
    SetDlgItemTextA(dialog, IDC_STATUS_TEXT, "");
    SetDlgItemTextA(dialog, IDC_REPORT_NAME, "");
    // Not the tree: given the focus, it would select its first drive at once.
    SetFocus(GetDlgItem(dialog, IDC_WITH_SUBFOLDERS));
    return FALSE;
}

void readOptions(HWND dialog, ListingOptions& options) {
    options = 0;
    for (const auto& option : OPTION_CONTROLS)
        if (IsDlgButtonChecked(dialog, option.control) == BST_CHECKED) options |= option.bit;
}

static void selectionChanged(HWND dialog, const NMTREEVIEWA& change) {
    HTREEITEM item = reinterpret_cast<HTREEITEM>(change.itemNew.lParam);
    // The tree also reports changes that leave no item selected.
    if (!item) return;
    HWND tree = GetDlgItem(dialog, IDC_FOLDER_TREE);
    char path[PATH_BUFFER];
    itemPath(tree, item, path);
    SetDlgItemTextA(dialog, IDC_SELECTED_PATH, path);
    EnableWindow(GetDlgItem(dialog, IDC_PREPARE), TRUE);
    if (!itemHasChildren(tree, item)) addSubfolderItems(path, tree, item);
}

// The sentence and, on the next line, the full path of the report file, which
// goes to `reportPath` too.
static void composeFinalMessage(char* message, size_t capacity, char* reportPath) {
    char directory[PATH_BUFFER];
    if (!_getcwd(directory, sizeof directory)) directory[0] = '\0';
    joinPath(reportPath, REPORT_PATH_BUFFER, directory, REPORT_FILE_NAME);
    snprintf(message, capacity, "%s\n%s", FINAL_SENTENCE, reportPath);
}

const Platform* dialogSystemLayer = &systemPlatform;

// One box for all the folders the report lacks, naming them; none when it lacks none.
static void showIncompleteNotice(HWND dialog) {
    char notice[4096];
    composeIncompleteNotice(notice, sizeof notice);
    if (notice[0]) MessageBoxA(dialog, notice, "ATTENZIONE", MB_OK);
}

static void prepareListing(HWND dialog) {
    ListingOptions options = 0;
    readOptions(dialog, options);
    char path[PATH_BUFFER] = "";
    GetDlgItemTextA(dialog, IDC_SELECTED_PATH, path, sizeof path);
    char message[sizeof FINAL_SENTENCE + 1 + REPORT_PATH_BUFFER];
    char reportPath[REPORT_PATH_BUFFER];
    composeFinalMessage(message, sizeof message, reportPath);
    // The layers, from the system up: the live run's, which serves the window
    // and shows "Preparazione dell'elenco in corso" with its counts at once.
    Platform live = beginLiveRun(dialog, *dialogSystemLayer, reportPath);
    ListingSummary summary;
    bool written = endLiveRun(live, runListing(dialog, live, path, options, summary));
    SetDlgItemTextA(dialog, IDC_STATUS_TEXT, "");
    // After a failure its own box has told the user, and a stop needs no word.
    if (written && !summary.selectedUnreadable) {
        showIncompleteNotice(dialog);
        MessageBoxA(dialog, message, "Zarpello", MB_OK);
    }
    EndDialog(dialog, 0);
}

// Abbandona, Escape and the close box end the dialog; during a listing they
// stop it, and the prepare command then ends the dialog.
static void abandon(HWND dialog) {
    if (liveRunGoing())
        stopLiveRun();
    else
        EndDialog(dialog, 0);
}

INT_PTR CALLBACK mainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return initMainDialog(dialog, wParam, lParam);
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == TVN_SELCHANGEDA)
            selectionChanged(dialog, *reinterpret_cast<const NMTREEVIEWA*>(lParam));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
        case IDC_ABANDON:
            abandon(dialog);
            return TRUE;
        case IDC_PREPARE:
            // A command that reaches the dialog while a listing runs starts no other.
            if (!liveRunGoing()) prepareListing(dialog);
            return FALSE;
        default:
            return FALSE;
        }
    case WM_CLOSE:
        abandon(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}
