// Dialog cases' steps in the real dialog, each a user's action or a check; the dialog must end.
#include <gtest/gtest.h>

#include "case_runner.h"
#include "main_dialog.h"
#include "process.h"
#include "running_dialog.h"

namespace {

// `hold PATH`: the search of PATH's files finds "." over and over, for as long as the case needs.
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

// The language of a module's resource, exact (FindResourceEx would fall back to a neutral one).
BOOL CALLBACK keepLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR into) {
    *reinterpret_cast<WORD*>(into) = language;
    return FALSE;
}
WORD languageOf(HMODULE module, LPCSTR type, int name) { // 0: no such resource
    WORD language = 0;
    EnumResourceLanguagesA(module, type, MAKEINTRESOURCEA(name), keepLanguage, LONG_PTR(&language));
    return language;
}

void runSteps(const DialogSteps& steps, const Platform& system) {
    holdLayer = layerOver(system, nullptr);
    holdLayer.findFirst = holdingFindFirst;
    holdLayer.findNext = holdingFindNext;
    dialogSystemLayer = &holdLayer;
    held = false;
    RunningDialog dialog;
    ASSERT_NE(dialog.window, nullptr);
    for (const std::vector<std::string>& step : steps) {
        const std::string& verb = step.at(0);
        const std::string argument = step.size() > 1 ? step[1] : "";
        SCOPED_TRACE("> " + verb + " " + argument);
        HWND control = GetDlgItem(dialog.window, atoi(argument.c_str())); // by its number
        if (verb == "select" || verb == "absent") {
            HTREEITEM item = revealFolder(dialog.tree, argument);
            EXPECT_EQ(item != nullptr, verb == "select");
            if (item && verb == "select") TreeView_SelectItem(dialog.tree, item);
        } else if (verb == "click") { // waits for the button's handling
            SendMessageA(control, BM_CLICK, 0, 0);
        } else if (verb == "post") { // does not, for a button that shows a box
            PostMessageA(dialog.window, WM_COMMAND, GetDlgCtrlID(control), LPARAM(control));
        } else if (verb == "key") { // typed once, or until it took the focus to each control
            std::vector<std::string> reached, wanted(step.begin() + 2, step.end());
            const int key = argument == "TAB"    ? VK_TAB
                            : argument == "HOME" ? VK_HOME
                            : argument == "UP"   ? VK_UP
                                                 : VK_RETURN;
            do {
                HWND focus = dialog.focus();
                PostMessageA(focus, WM_KEYDOWN, key, 1);
                PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
                waitFor([&] { return dialog.focus() != focus; }); // some keys do not move it
                reached.push_back(std::to_string(GetDlgCtrlID(dialog.focus())));
            } while (reached.size() < wanted.size());
            EXPECT_EQ(wanted.empty() ? wanted : reached, wanted);
        } else if (verb == "press") { // the mouse's messages, as a click on the control sends
            PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        } else if (verb == "hold") { // the dialog's thread searches nothing meanwhile
            heldFolder = argument, heldSearch = nullptr, held = true;
        } else if (verb == "text") { // waited for; each reading has a deadline, as a user's
            char text[512] = "(no answer)";
            const std::string wanted = step.size() > 2 ? step[2] : "";
            waitFor([&] {
                return SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, LPARAM(text),
                                           SMTO_NORMAL, 1000, nullptr) &&
                       text == wanted;
            });
            EXPECT_EQ(text, wanted);
        } else if (verb == "children") { // "/": the drives
            HTREEITEM item = argument == "/" ? TVI_ROOT : revealFolder(dialog.tree, argument);
            ASSERT_NE(item, nullptr);
            std::vector<std::string> texts;
            for (HTREEITEM child : childItems(dialog.tree, item))
                texts.push_back(itemText(dialog.tree, child));
            EXPECT_EQ(texts, std::vector<std::string>(step.begin() + 2, step.end()));
        } else if (verb == "answer") {
            EXPECT_EQ(dialog.answerMessage(argument.c_str()), step.at(2));
        } else if (verb == "packaged") { // icons, DPI awareness, Italian dialog, version, manifest
            const WORD italian = MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN);
            HMODULE elenco =
                LoadLibraryExA(programPath("elenco").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
            EXPECT_TRUE(SendMessageA(dialog.window, WM_GETICON, ICON_BIG, 0) &&
                        SendMessageA(dialog.window, WM_GETICON, ICON_SMALL, 0) &&
                        IsProcessDPIAware() && languageOf(nullptr, RT_VERSION, 1) == italian &&
                        languageOf(nullptr, RT_DIALOG, IDD_MAIN) == italian &&
                        languageOf(elenco, RT_VERSION, 1) == italian &&
                        languageOf(elenco, RT_MANIFEST, 1) == italian);
        } else {
            ADD_FAILURE() << "unknown dialog step";
        }
    }
    EXPECT_EQ(dialog.result(), 0) << "-100: the dialog is still open";
}

const bool registered = (runDialogSteps = runSteps, true);

} // namespace
