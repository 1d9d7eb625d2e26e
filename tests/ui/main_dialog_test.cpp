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
