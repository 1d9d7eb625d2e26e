// The steps of dialog cases, done in the real dialog (RunningDialog) on the
// folders the case made. Each step is one user action or one check.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>

#include "case_runner.h"
#include "main_dialog.h"
#include "platform.h"
#include "process.h"
#include "resource.h"
#include "running_dialog.h"

namespace {

#define CONTROL(name)                                                                              \
    { #name, name }
const std::map<std::string, int> CONTROLS = {
    CONTROL(IDC_PREPARE),         CONTROL(IDC_ABANDON),       CONTROL(IDC_SELECTED_PATH),
    CONTROL(IDC_WITH_SUBFOLDERS), CONTROL(IDC_SHOW_LENGTH),   CONTROL(IDC_WITHOUT_SUBFOLDERS),
    CONTROL(IDC_SHOW_TYPE),       CONTROL(IDC_SHOW_MODIFIED), CONTROL(IDC_SORT_NAME),
    CONTROL(IDC_SORT_TYPE),       CONTROL(IDC_SORT_LENGTH),   {"IDOK", IDOK},
};

// `hold PATH`: the search of PATH's files stalls, finding "." over and over,
// until `release`: a listing that lasts as long as a case needs.
Platform holdLayer;
std::string heldFolder;
DirSearch* heldSearch;
std::atomic<bool> held;

DirSearch* holdingFindFirst(const Platform& self, const SearchFolder& folder, SearchDetail detail,
                            DirEntry* entry) {
    DirSearch* search = findFirst(*self.below, folder, detail, entry);
    if (detail == SEARCH_FULL && heldFolder == folder.path) heldSearch = search;
    return search;
}

int holdingFindNext(const Platform& self, DirSearch* search, DirEntry* entry) {
    if (!held || search != heldSearch) return findNext(*self.below, search, entry);
    Sleep(1);
    *entry = DirEntry();
    entry->name[0] = '.';
    entry->attributes = FOLDER_ATTRIBUTE;
    return SEARCH_ENTRY;
}

// The text of a control read with a deadline, as a user sees whether the window answers.
std::string textWithin(HWND control, DWORD milliseconds) {
    char buffer[512] = "";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                             SMTO_NORMAL, milliseconds, &copied))
        return "(no answer)";
    return buffer;
}

const std::map<std::string, int> KEYS = {
    {"TAB", VK_TAB}, {"RETURN", VK_RETURN}, {"ESCAPE", VK_ESCAPE}, {"HOME", VK_HOME}};

std::string joined(const std::vector<std::string>& words, size_t from) {
    std::string text;
    for (size_t i = from; i < words.size(); ++i)
        text += (i > from ? "|" : "") + words[i];
    return text;
}

void runSteps(const DialogSteps& steps, const Platform& system) {
    dialogSystemLayer = &system;
    RunningDialog dialog;
    ASSERT_NE(dialog.window, nullptr);
    for (const std::vector<std::string>& step : steps) {
        const std::string& verb = step.at(0);
        const std::string argument = step.size() > 1 ? step[1] : "";
        const std::string rest = step.size() > 2 ? step[2] : "";
        SCOPED_TRACE("> " + joined(step, 0));
        int control = CONTROLS.count(argument) ? CONTROLS.at(argument) : 0;
        HTREEITEM item = nullptr;
        if (verb == "select") {
            item = revealFolder(dialog.tree, argument);
            ASSERT_NE(item, nullptr);
            selectItem(dialog.tree, item);
        } else if (verb == "absent") {
            EXPECT_EQ(revealFolder(dialog.tree, argument), nullptr);
        } else if (verb == "click") {
            dialog.click(control);
        } else if (verb == "post") {
            dialog.post(control);
        } else if (verb == "key") { // to the control with the focus, as typed
            PostMessageA(dialog.focus(), WM_KEYDOWN, KEYS.at(argument), 1);
            PostMessageA(dialog.focus(), WM_KEYUP, KEYS.at(argument), 0xC0000001);
            EXPECT_TRUE(dialog.settle()) << "the dialog does not repaint";
        } else if (verb == "press") { // the mouse's messages, as a click on the control sends
            PostMessageA(dialog.control(control), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            PostMessageA(dialog.control(control), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        } else if (verb == "tab-order") { // the focus, then where each Tab takes it
            std::string order = std::to_string(GetDlgCtrlID(dialog.focus()));
            for (size_t i = 2; i < step.size(); ++i) {
                PostMessageA(dialog.focus(), WM_KEYDOWN, VK_TAB, 1);
                dialog.settle();
                order += "|" + std::to_string(GetDlgCtrlID(dialog.focus()));
            }
            EXPECT_EQ(order, joined(step, 1));
        } else if (verb == "hold") {
            holdLayer = layerOver(system, nullptr);
            holdLayer.findFirst = holdingFindFirst;
            holdLayer.findNext = holdingFindNext;
            heldFolder = argument;
            heldSearch = nullptr;
            held = true;
            dialogSystemLayer = &holdLayer;
        } else if (verb == "release") {
            held = false;
        } else if (verb == "status") { // waits for the text while the listing runs
            std::string shown;
            for (DWORD start = GetTickCount(); GetTickCount() - start < 5000 && shown != argument;
                 Sleep(20))
                shown = textWithin(dialog.control(IDC_STATUS_TEXT), 1000);
            EXPECT_EQ(shown, argument);
        } else if (verb == "packaged") {
            HMODULE elenco =
                LoadLibraryExA(programPath("elenco").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
            EXPECT_TRUE(SendMessageA(dialog.window, WM_GETICON, ICON_BIG, 0));
            EXPECT_TRUE(SendMessageA(dialog.window, WM_GETICON, ICON_SMALL, 0));
            EXPECT_TRUE(IsProcessDPIAware());
            const WORD italian = MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN);
            EXPECT_TRUE(FindResourceExA(nullptr, RT_VERSION, MAKEINTRESOURCEA(1), italian));
            EXPECT_TRUE(FindResourceExA(elenco, RT_VERSION, MAKEINTRESOURCEA(1), italian));
            EXPECT_TRUE(FindResourceExA(elenco, RT_MANIFEST, MAKEINTRESOURCEA(1), italian));
            FreeLibrary(elenco);
        } else if (verb == "text") {
            EXPECT_EQ(textWithin(dialog.control(control), 1000), rest);
        } else if (verb == "options") {
            ListingOptions options = 0;
            readOptions(dialog.window, options);
            EXPECT_EQ(options, std::stoul(argument));
        } else if (verb == "children") {
            item = argument == "/" ? TVI_ROOT : revealFolder(dialog.tree, argument);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(joined(childTexts(dialog.tree, item), 0), joined(step, 2));
        } else if (verb == "drive-images") { // each image the same when selected
            std::string images;
            for (HTREEITEM drive = TreeView_GetRoot(dialog.tree); drive;
                 drive = TreeView_GetNextSibling(dialog.tree, drive)) {
                TVITEMA read = {};
                read.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
                read.hItem = drive;
                TreeView_GetItem(dialog.tree, &read);
                images += "|" + std::to_string(read.iImage) +
                          (read.iSelectedImage == read.iImage ? "" : "?");
            }
            EXPECT_EQ(images.substr(1), joined(step, 1));
        } else if (verb == "mkdir") {
            EXPECT_TRUE(CreateDirectoryA(argument.c_str(), nullptr));
        } else if (verb == "answer") {
            EXPECT_EQ(dialog.answerMessage(argument.c_str()), rest);
        } else if (verb == "result") {
            EXPECT_EQ(dialog.result(), std::stoi(argument));
        } else {
            ADD_FAILURE() << "unknown dialog step";
        }
    }
}

const bool registered = (runDialogSteps = runSteps, true);

} // namespace
