#include "main_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "resource.h"
#include "running_dialog.h"
#include "temp_dir.h"

namespace {

const char FINAL_SENTENCE[] =
    "Per stampare l'elenco aprire con un elaboratore di testi il file di testo ...";

const DWORD CHILD = WS_CHILD | WS_VISIBLE;

struct TemplateControl {
    int id;
    const char* className;
    DWORD style;
    const char* text;
    RECT units; // left, top, right, bottom in dialog units
};

const TemplateControl CONTROLS[] = {
    {IDC_TREE_CAPTION,
     "Static",
     CHILD | SS_CENTER | WS_GROUP,
     "Scegli la cartella",
     {15, 5, 205, 17}},
    {IDC_FOLDER_TREE,
     "SysTreeView32",
     CHILD | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_CLIPSIBLINGS,
     "",
     {15, 18, 205, 203}},
    {IDC_FOLDERS_GROUP, "Button", CHILD | BS_GROUPBOX, "Cartelle", {220, 15, 330, 50}},
    {IDC_WITH_SUBFOLDERS,
     "Button",
     CHILD | BS_AUTORADIOBUTTON | WS_GROUP,
     "Incluse le sotto cartelle",
     {230, 25, 324, 35}},
    {IDC_WITHOUT_SUBFOLDERS,
     "Button",
     CHILD | BS_AUTORADIOBUTTON,
     "Escluse sottocartelle",
     {230, 35, 324, 45}},
    {IDC_DETAILS_GROUP, "Button", CHILD | BS_GROUPBOX, "Dettagli", {220, 60, 330, 105}},
    {IDC_SHOW_LENGTH,
     "Button",
     CHILD | BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP,
     "Inserisci la lunghezza",
     {230, 70, 324, 80}},
    {IDC_SHOW_TYPE,
     "Button",
     CHILD | BS_AUTOCHECKBOX | WS_TABSTOP,
     "Inserisci il tipo",
     {230, 80, 324, 90}},
    {IDC_SHOW_MODIFIED,
     "Button",
     CHILD | BS_AUTOCHECKBOX | WS_TABSTOP,
     "Inserisci ultima modifica",
     {230, 90, 324, 100}},
    {IDC_SORT_GROUP, "Button", CHILD | BS_GROUPBOX, "Ordina per", {220, 115, 330, 160}},
    {IDC_SORT_NAME,
     "Button",
     CHILD | BS_AUTORADIOBUTTON | WS_GROUP,
     "Nome file",
     {230, 125, 324, 135}},
    {IDC_SORT_TYPE, "Button", CHILD | BS_AUTORADIOBUTTON, "Tipo file", {230, 135, 324, 145}},
    {IDC_SORT_LENGTH, "Button", CHILD | BS_AUTORADIOBUTTON, "Lunghezza", {230, 145, 324, 155}},
    {IDC_PREPARE,
     "Button",
     CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP,
     "Prepara l'elenco",
     {220, 170, 330, 184}},
    {IDC_ABANDON, "Button", CHILD | BS_PUSHBUTTON | WS_TABSTOP, "Abbandona", {220, 190, 330, 204}},
    {IDC_SELECTED_CAPTION,
     "Static",
     CHILD | SS_LEFT | WS_GROUP,
     "Cartella selezionata:",
     {15, 210, 85, 225}},
    {IDC_SELECTED_PATH,
     "Static",
     CHILD | SS_LEFT | WS_GROUP,
     ". . . . . 5 . . . . . 10 . . . . . 15 . . . . . 20 . . . . . 25 . . . . . 30 . . . . .35 "
     ". . . . . 40 . . . . .45",
     {85, 210, 350, 230}},
    {IDC_STATUS_TEXT,
     "Static",
     CHILD | SS_CENTER | WS_GROUP,
     "Per stampare l'elenco aprire con un elaboratore di testi il file di testo ...",
     {15, 220, 335, 230}},
    {IDC_REPORT_NAME,
     "Static",
     CHILD | SS_CENTER | WS_GROUP,
     "Elenco_dei_files.txt",
     {15, 230, 335, 240}},
};

INT_PTR CALLBACK passiveProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The template as the dialog manager builds it, before any code of the program runs.
TEST(MainDialogTemplate, ControlsHaveTheirClassStyleTextAndRectangle) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    EXPECT_NE(FindResourceExA(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(IDD_MAIN),
                              MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN)),
              nullptr);
    HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(IDD_MAIN), nullptr, passiveProc, 0);
    ASSERT_NE(dialog, nullptr);
    char caption[32] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Zarpello");
    DWORD dialogStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & dialogStyle, dialogStyle);
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, "System");
    RECT size = {0, 0, 345, 240};
    MapDialogRect(dialog, &size);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    HWND previous = nullptr;
    for (const TemplateControl& expected : CONTROLS) {
        SCOPED_TRACE(expected.id);
        HWND control = GetDlgItem(dialog, expected.id);
        ASSERT_NE(control, nullptr);
        // Template order is also the order of the child windows.
        EXPECT_EQ(GetWindow(control, GW_HWNDPREV), previous);
        previous = control;
        char className[32] = "";
        GetClassNameA(control, className, sizeof className);
        EXPECT_STREQ(className, expected.className);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)), expected.style);
        char text[128] = "";
        GetWindowTextA(control, text, sizeof text);
        EXPECT_STREQ(text, expected.text);
        RECT wanted = expected.units;
        MapDialogRect(dialog, &wanted);
        RECT actual;
        GetWindowRect(control, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, wanted.left);
        EXPECT_EQ(actual.top, wanted.top);
        EXPECT_EQ(actual.right, wanted.right);
        EXPECT_EQ(actual.bottom, wanted.bottom);
    }
    DestroyWindow(dialog);
}

TEST(MainDialog, StartsWithPrepareDisabledDefaultOptionsAndEmptyTexts) {
    RunningDialog dialog;
    ASSERT_NE(dialog.window, nullptr);
    EXPECT_FALSE(IsWindowEnabled(dialog.control(IDC_PREPARE)));
    EXPECT_TRUE(IsWindowEnabled(dialog.control(IDC_ABANDON)));
    ListingOptions options = 99;
    readOptions(dialog.window, options);
    EXPECT_EQ(options, 31u);
    EXPECT_EQ(dialog.text(IDC_SELECTED_PATH), "");
    EXPECT_EQ(dialog.text(IDC_STATUS_TEXT), "");
    EXPECT_EQ(dialog.text(IDC_REPORT_NAME), "");

    // WinMain registered the class that no window uses.
    WNDCLASSA windowClass = {};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "ZARPELLO", &windowClass));
    EXPECT_EQ(windowClass.style, 0u);
    EXPECT_EQ(windowClass.cbWndExtra, DLGWINDOWEXTRA);
    EXPECT_EQ(windowClass.hCursor, LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    EXPECT_EQ(windowClass.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));

    // The OK command, from the Enter key, changes nothing.
    SendMessageA(dialog.window, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(dialog.isOpen());
    dialog.click(IDC_ABANDON);
    EXPECT_EQ(dialog.result(), 0);
}

TEST(MainDialog, OptionButtonsMakeTheOptionWord) {
    RunningDialog dialog;
    ASSERT_NE(dialog.window, nullptr);
    dialog.click(IDC_WITHOUT_SUBFOLDERS);
    dialog.click(IDC_SHOW_LENGTH);
    dialog.click(IDC_SHOW_MODIFIED);
    dialog.click(IDC_SORT_TYPE);
    ListingOptions options = 0;
    readOptions(dialog.window, options);
    EXPECT_EQ(options, 36u);
    dialog.click(IDC_WITH_SUBFOLDERS);
    dialog.click(IDC_SHOW_TYPE);
    dialog.click(IDC_SORT_LENGTH);
    readOptions(dialog.window, options);
    EXPECT_EQ(options, 65u);
}

// Each way out ends the dialog with 0 and writes nothing, before or after a selection.
TEST(MainDialog, AbandonEscapeAndCloseBoxEndWithZeroAndWriteNothing) {
    ScopedTempDir folder;
    ScopedWorkingDir cwd(folder.path);
    for (int way = 0; way < 6; ++way) {
        SCOPED_TRACE(way);
        RunningDialog dialog;
        ASSERT_NE(dialog.window, nullptr);
        if (way >= 3) {
            selectItem(dialog.tree, revealFolder(dialog.tree, folder.path));
            ASSERT_EQ(dialog.text(IDC_SELECTED_PATH), folder.path);
        }
        if (way % 3 == 0) dialog.click(IDC_ABANDON);
        if (way % 3 == 1) PostMessageA(dialog.tree, WM_KEYDOWN, VK_ESCAPE, 0);
        if (way % 3 == 2) PostMessageA(dialog.window, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(dialog.result(), 0);
    }
    EXPECT_FALSE(fileExists(folder.at("elenco_dei_files.txt")));
}

TEST(MainDialog, PrepareWritesTheChosenListingShowsWhereAndEnds) {
    ScopedTempDir folder;
    folder.makeFile("lettera.txt", 1234, unixTime(2010, 3, 5, 14, 7, 9));
    folder.makeFile("bilancio.xls", 20480);
    folder.makeFile("LEGGIMI", 512);
    folder.makeFolder("Foto");
    folder.makeFile("Foto/mare.jpg", 10);
    ScopedTempDir out;
    ScopedWorkingDir cwd(out.path);

    RunningDialog dialog;
    ASSERT_NE(dialog.window, nullptr);
    HTREEITEM item = revealFolder(dialog.tree, folder.path);
    ASSERT_NE(item, nullptr);
    selectItem(dialog.tree, item);
    EXPECT_EQ(dialog.text(IDC_SELECTED_PATH), folder.path);
    EXPECT_TRUE(IsWindowEnabled(dialog.control(IDC_PREPARE)));
    dialog.click(IDC_WITHOUT_SUBFOLDERS);
    dialog.click(IDC_SHOW_LENGTH);
    dialog.click(IDC_SHOW_MODIFIED);
    dialog.click(IDC_SORT_TYPE);

    dialog.post(IDC_PREPARE);
    EXPECT_EQ(dialog.answerMessage("Zarpello"),
              std::string(FINAL_SENTENCE) + "\n" + out.path + "\\elenco_dei_files.txt");
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(readFile(out.at("elenco_dei_files.txt")),
              crlf({"Elenco dei file contenuti in", folder.path, "", "Tipo  Nome    ", "",
                    "      LEGGIMI   ", "txt   lettera   ", "xls   bilancio  ", "",
                    "Totale file n 3", ""}));
}

// The final message is sized for the longest working directory, so a long one is shown whole.
TEST(MainDialog, FinalMessageShowsALongWorkingDirectoryWhole) {
    ScopedTempDir folder;
    std::string deep = "cartella-di-lavoro-" + std::string(100, 'x');
    folder.makeFolder(deep);
    std::string second = std::string(230 - folder.at(deep).size() - 1, 'y');
    folder.makeFolder(deep + "/" + second);
    std::string work = folder.at(deep + "/" + second);
    ASSERT_EQ(work.size(), 230u);
    ScopedWorkingDir cwd(work);

    RunningDialog dialog;
    ASSERT_NE(dialog.window, nullptr);
    selectItem(dialog.tree, revealFolder(dialog.tree, folder.path));
    dialog.click(IDC_WITHOUT_SUBFOLDERS);
    dialog.post(IDC_PREPARE);
    EXPECT_EQ(dialog.answerMessage("Zarpello"),
              std::string(FINAL_SENTENCE) + "\n" + work + "\\elenco_dei_files.txt");
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_TRUE(fileExists(work + "\\elenco_dei_files.txt"));
}

// After a failure of the listing the dialog still shows where the report is, and ends.
TEST(MainDialog, ListingOfAVanishedFolderStillEndsWithTheFinalMessage) {
    ScopedTempDir folder;
    folder.makeFolder("sparita");
    ScopedTempDir out;
    ScopedWorkingDir cwd(out.path);

    RunningDialog dialog;
    ASSERT_NE(dialog.window, nullptr);
    selectItem(dialog.tree, revealFolder(dialog.tree, folder.at("sparita")));
    ASSERT_TRUE(RemoveDirectoryA(folder.at("sparita").c_str()));
    dialog.post(IDC_PREPARE);
    EXPECT_EQ(dialog.answerMessage("ATTENZIONE"), "Invalid handle");
    EXPECT_EQ(dialog.answerMessage("Zarpello"),
              std::string(FINAL_SENTENCE) + "\n" + out.path + "\\elenco_dei_files.txt");
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(readFile(out.at("elenco_dei_files.txt")),
              crlf({"Elenco delle cartelle e file contenuti in " + folder.at("sparita"), "",
                    folder.at("sparita"), "", "Nessun file", "", "", "Totale cartelle n 1", ""}));
}

} // namespace
