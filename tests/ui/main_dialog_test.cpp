#include "main_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <errno.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform.h"
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

// The selected folder's failure is told, and the report written all the same:
// the dialog then shows where it is, and ends.
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
                    folder.at("sparita"), "", "Cartella non leggibile", "", "",
                    "Totale cartelle n 1", ""}));
}

std::set<std::string> unreadable; // folders whose search fails while a row runs

DirSearch* findFirstOrRefuse(const char* folder, SearchDetail detail, DirEntry* entry) {
    if (unreadable.count(folder)) {
        errno = EACCES;
        return nullptr;
    }
    return defaultPlatform.findFirst(folder, detail, entry);
}

// Below the selected folder (whose path is far shorter): a folder whose path exceeds 255.
void makeTooDeep(const ScopedTempDir& folder, char letter) {
    folder.makeFolder(std::string(230, letter));
}

void makeUnreadable(const ScopedTempDir& folder, const std::string& name) {
    folder.makeFolder(name);
    unreadable.insert(folder.at(name));
}

const char LEFT_OUT_ONE[] = "1 cartella esclusa: il percorso supera 255 caratteri";
const char LEFT_OUT_TWO[] = "2 cartelle escluse: il percorso supera 255 caratteri";

const struct {
    const char* name;
    void (*arrange)(const ScopedTempDir& folder, const ScopedTempDir& out);
    std::vector<std::pair<std::string, std::string>> boxes; // caption and text, in order
    bool finalMessage;
} FAILURE_ROWS[] = {
    {"nothing left out: no notice", [](const ScopedTempDir&, const ScopedTempDir&) {}, {}, true},
    {"one left out, two unreadable",
     [](const ScopedTempDir& folder, const ScopedTempDir&) {
         makeTooDeep(folder, 'a');
         makeUnreadable(folder, "chiusa");
         makeUnreadable(folder, "sbarrata");
     },
     {{"ATTENZIONE", std::string(LEFT_OUT_ONE) + "\n2 cartelle non leggibili"}},
     true},
    {"two left out",
     [](const ScopedTempDir& folder, const ScopedTempDir&) {
         makeTooDeep(folder, 'a');
         makeTooDeep(folder, 'b');
     },
     {{"ATTENZIONE", LEFT_OUT_TWO}},
     true},
    {"one unreadable",
     [](const ScopedTempDir& folder, const ScopedTempDir&) { makeUnreadable(folder, "chiusa"); },
     {{"ATTENZIONE", "1 cartella non leggibile"}},
     true},
    {"a folder in the report's place",
     [](const ScopedTempDir&, const ScopedTempDir& out) { out.makeFolder("elenco_dei_files.txt"); },
     {{"ATTENZIONE", "IMPOSSIBILE APRIRE IL FILE <elenco_dei_files.txt>\nforse \xE8 usato da un "
                     "altro programma"}},
     false},
    {"a write that fails",
     [](const ScopedTempDir&, const ScopedTempDir&) {
         platform.writeReport = [](ReportFile*, const char*, size_t) { return 0; };
     },
     {{"ATTENZIONE", "IMPOSSIBILE SCRIVERE IL FILE <elenco_dei_files.txt>\nforse il disco \xE8 "
                     "pieno"}},
     false},
    {"no memory at the start",
     [](const ScopedTempDir&, const ScopedTempDir&) {
         platform.reallocate = [](void*, size_t) -> void* { return nullptr; };
     },
     {{"ERRORE", "Memoria insufficiente"}, {"ERRORE", "Memoria insufficiente"}},
     false},
};

// The notice of what the report lacks comes before the final message, and only
// then; after a failure its own box is the last word and the dialog just ends.
TEST(MainDialog, NoticesAndFailuresBeforeTheFinalMessage) {
    for (const auto& row : FAILURE_ROWS) {
        SCOPED_TRACE(row.name);
        ScopedTempDir folder;
        folder.makeFile("a.txt", 1);
        ScopedTempDir out;
        ScopedWorkingDir cwd(out.path);
        RunningDialog dialog;
        ASSERT_NE(dialog.window, nullptr);
        selectItem(dialog.tree, revealFolder(dialog.tree, folder.path));
        unreadable.clear();
        row.arrange(folder, out);
        platform.findFirst = findFirstOrRefuse;
        dialog.post(IDC_PREPARE);
        for (const auto& box : row.boxes)
            EXPECT_EQ(dialog.answerMessage(box.first.c_str()), box.second);
        if (row.finalMessage)
            EXPECT_EQ(dialog.answerMessage("Zarpello"),
                      std::string(FINAL_SENTENCE) + "\n" + out.path + "\\elenco_dei_files.txt");
        // A final message not answered would hold the dialog open.
        EXPECT_EQ(dialog.result(), 0);
        platform = defaultPlatform;
    }
}

} // namespace
