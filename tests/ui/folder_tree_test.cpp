// The folder tree inside the running dialog. The suite runs in a Wine prefix
// of its own (tests/ui/run_ui_tests.sh) whose drives are, beside Wine's C: and
// Z:, floppies at A: and B:, a CD-ROM at D:, a removable drive at E:, a network
// drive at N: and a RAM disk at R:, each a fixture folder.
#include "folder_tree.h"

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resource.h"
#include "running_dialog.h"
#include "temp_dir.h"

namespace {

using Texts = std::vector<std::string>;

int itemImage(HWND tree, HTREEITEM item, bool selected) {
    TVITEMA read = {};
    read.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    read.hItem = item;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read));
    return selected ? read.iSelectedImage : read.iImage;
}

bool contains(const Texts& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(FolderTree, DrivesInLetterOrderByTypeWithTheirFirstLevelOfFolders) {
    RunningDialog dialog;
    ASSERT_NE(dialog.window, nullptr);
    HWND tree = dialog.tree;
    ASSERT_EQ(childTexts(tree, TVI_ROOT),
              Texts({"A:\\ DISCO FLOPPY", "B:\\ DISCO FLOPPY", "C:\\ DISCO FISSO",
                     "D:\\ LETTORE CD/ROM", "E:\\ DISCO RIMUOVIBILE", "Z:\\ DISCO FISSO"}));
    const int driveImages[] = {2, 2, 3, 5, 4, 3};
    HTREEITEM drive =
        reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (int image : driveImages) {
        EXPECT_EQ(itemImage(tree, drive, false), image) << itemText(tree, drive);
        EXPECT_EQ(itemImage(tree, drive, true), image) << itemText(tree, drive);
        drive = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(drive)));
    }
    HIMAGELIST list =
        reinterpret_cast<HIMAGELIST>(SendMessageA(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
    EXPECT_EQ(ImageList_GetImageCount(list), 6);

    // Folders only, hidden ones too, in alphabetical order; the drives' folders
    // are there from the start, theirs not yet.
    EXPECT_EQ(childTexts(tree, childItem(tree, TVI_ROOT, "A:\\ DISCO FLOPPY")),
              Texts({"Archivio"}));
    EXPECT_EQ(childTexts(tree, childItem(tree, TVI_ROOT, "B:\\ DISCO FLOPPY")), Texts());
    EXPECT_EQ(childTexts(tree, childItem(tree, TVI_ROOT, "D:\\ LETTORE CD/ROM")),
              Texts({"Musica", "Video"}));
    HTREEITEM removable = childItem(tree, TVI_ROOT, "E:\\ DISCO RIMUOVIBILE");
    EXPECT_EQ(childTexts(tree, removable), Texts({".nascosta", "Documenti", "Foto"}));
    HTREEITEM documents = childItem(tree, removable, "Documenti");
    EXPECT_EQ(childTexts(tree, documents), Texts());
    EXPECT_EQ(itemHasChildren(tree, documents), 0);
    EXPECT_NE(itemHasChildren(tree, removable), 0);
    EXPECT_TRUE(
        contains(childTexts(tree, childItem(tree, TVI_ROOT, "C:\\ DISCO FISSO")), "windows"));
    EXPECT_TRUE(contains(childTexts(tree, childItem(tree, TVI_ROOT, "Z:\\ DISCO FISSO")), "tmp"));
}

TEST(FolderTree, SelectionShowsThePathAndAddsSubfoldersOnce) {
    ScopedTempDir folder;
    folder.makeFolder("alfa");
    folder.makeFolder("alfa/uno");
    folder.makeFolder("alfa/due");
    folder.makeFolder("Beta");
    folder.makeFile("file.txt", 1);
    RunningDialog dialog;
    ASSERT_NE(dialog.window, nullptr);
    HWND tree = dialog.tree;

    HTREEITEM drive = childItem(tree, TVI_ROOT, "Z:\\ DISCO FISSO");
    selectItem(tree, drive);
    EXPECT_EQ(dialog.text(IDC_SELECTED_PATH), "Z:");
    EXPECT_TRUE(IsWindowEnabled(dialog.control(IDC_PREPARE)));

    HTREEITEM item = revealFolder(tree, folder.path);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(childTexts(tree, item), Texts());
    selectItem(tree, item);
    EXPECT_EQ(dialog.text(IDC_SELECTED_PATH), folder.path);
    EXPECT_EQ(childTexts(tree, item), Texts({"alfa", "Beta"}));
    HTREEITEM alfa = childItem(tree, item, "alfa");
    selectItem(tree, alfa);
    EXPECT_EQ(dialog.text(IDC_SELECTED_PATH), folder.at("alfa"));
    EXPECT_EQ(childTexts(tree, alfa), Texts({"due", "uno"}));

    // An item that has children is not searched again.
    folder.makeFolder("gamma");
    selectItem(tree, item);
    EXPECT_EQ(childTexts(tree, item), Texts({"alfa", "Beta"}));
    // One without children is, at each selection.
    HTREEITEM beta = childItem(tree, item, "Beta");
    selectItem(tree, beta);
    EXPECT_EQ(childTexts(tree, beta), Texts());
    folder.makeFolder("Beta/nuova");
    selectItem(tree, alfa);
    selectItem(tree, beta);
    EXPECT_EQ(childTexts(tree, beta), Texts({"nuova"}));
    EXPECT_EQ(dialog.text(IDC_SELECTED_PATH), folder.at("Beta"));
    EXPECT_TRUE(IsWindowEnabled(dialog.control(IDC_PREPARE)));

    // A change that leaves nothing selected changes nothing.
    selectItem(tree, nullptr);
    EXPECT_EQ(dialog.text(IDC_SELECTED_PATH), folder.at("Beta"));
}

// Only folders whose full path fits 259 characters are offered, so every path
// shown is whole; one of exactly 259 is too deep to be searched for children.
TEST(FolderTree, FoldersBeyondThePathLimitAreNotOffered) {
    ScopedTempDir folder;
    std::string chain = std::string(100, 'a') + "/" + std::string(100, 'b');
    size_t used = folder.at(chain).size();
    if (used > 250) GTEST_SKIP() << "the temporary folder's path is too long: " << folder.path;
    std::string fits = chain + "/" + std::string(259 - used - 1, 'c');
    std::string over = chain + "/" + std::string(260 - used - 1, 'd');
    folder.makeFolder(chain.substr(0, 100));
    folder.makeFolder(chain);
    folder.makeFolder(fits);
    folder.makeFolder(over);
    folder.makeFolder(fits + "/e");
    RunningDialog dialog;
    ASSERT_NE(dialog.window, nullptr);

    HTREEITEM parent = revealFolder(dialog.tree, folder.at(chain));
    ASSERT_NE(parent, nullptr);
    selectItem(dialog.tree, parent);
    ASSERT_EQ(childTexts(dialog.tree, parent), Texts({std::string(259 - used - 1, 'c')}));
    HTREEITEM deepest = childItem(dialog.tree, parent, std::string(259 - used - 1, 'c'));
    char path[260];
    itemPath(dialog.tree, deepest, path);
    EXPECT_EQ(path, folder.at(fits));
    EXPECT_EQ(std::string(path).size(), 259u);
    selectItem(dialog.tree, deepest);
    EXPECT_EQ(dialog.text(IDC_SELECTED_PATH), folder.at(fits));
    EXPECT_EQ(childTexts(dialog.tree, deepest), Texts());
}

// The tree refusing a folder: the failure message names the folder and the
// number of folders added before the refusal, and those folders stay.
WNDPROC treeProc;
int insertionsLeft;

LRESULT CALLBACK refusingTreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TVM_INSERTITEMA && insertionsLeft-- <= 0) return 0;
    return CallWindowProcA(treeProc, tree, message, wParam, lParam);
}

TEST(FolderTree, RefusedFolderIsToldWithTheCountAddedBefore) {
    ScopedTempDir folder;
    for (const char* name : {"uno", "due", "tre", "quattro"})
        folder.makeFolder(name);
    RunningDialog dialog;
    ASSERT_NE(dialog.window, nullptr);
    HTREEITEM item = revealFolder(dialog.tree, folder.path);
    ASSERT_NE(item, nullptr);
    insertionsLeft = 2;
    treeProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(dialog.tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(refusingTreeProc)));
    PostMessageA(dialog.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(dialog.answerMessage("ERRORE"), folder.path + "\n2 elementi");
    SetWindowLongPtrA(dialog.tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(treeProc));
    EXPECT_EQ(childTexts(dialog.tree, item).size(), 2u);
    EXPECT_EQ(dialog.text(IDC_SELECTED_PATH), folder.path);
}

// A drive the tree refuses is left out with its folders, and nothing is shown.
LRESULT CALLBACK refusingDriveCProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    const TVINSERTSTRUCTA* insert = reinterpret_cast<const TVINSERTSTRUCTA*>(lParam);
    if (message == TVM_INSERTITEMA && insert->item.pszText &&
        strncmp(insert->item.pszText, "C:\\", 3) == 0)
        return 0;
    return CallWindowProcA(treeProc, tree, message, wParam, lParam);
}

LRESULT CALLBACK subclassTreeOnCreation(int code, WPARAM wParam, LPARAM lParam) {
    char className[32] = "";
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && GetClassNameA(window, className, sizeof className) &&
        strcmp(className, WC_TREEVIEWA) == 0)
        treeProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(refusingDriveCProc)));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(FolderTree, RefusedDriveIsLeftOutWithItsFolders) {
    RunningDialog dialog(
        [] { SetWindowsHookExA(WH_CBT, subclassTreeOnCreation, nullptr, GetCurrentThreadId()); });
    ASSERT_NE(dialog.window, nullptr);
    EXPECT_EQ(childTexts(dialog.tree, TVI_ROOT),
              Texts({"A:\\ DISCO FLOPPY", "B:\\ DISCO FLOPPY", "D:\\ LETTORE CD/ROM",
                     "E:\\ DISCO RIMUOVIBILE", "Z:\\ DISCO FISSO"}));
    EXPECT_EQ(childTexts(dialog.tree, childItem(dialog.tree, TVI_ROOT, "D:\\ LETTORE CD/ROM")),
              Texts({"Musica", "Video"}));
}

} // namespace
