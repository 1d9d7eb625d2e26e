// The steps of dialog cases, done in the real dialog (RunningDialog) on the
// folders the case made. Each step is one user action or one check.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "case_runner.h"
#include "main_dialog.h"
#include "resource.h"
#include "running_dialog.h"

namespace {

#define CONTROL(name)                                                                              \
    { #name, name }
const std::map<std::string, int> CONTROLS = {
    CONTROL(IDC_PREPARE),       CONTROL(IDC_ABANDON),
    CONTROL(IDC_SELECTED_PATH), CONTROL(IDC_STATUS_TEXT),
    CONTROL(IDC_REPORT_NAME),   CONTROL(IDC_WITH_SUBFOLDERS),
    CONTROL(IDC_SHOW_LENGTH),   CONTROL(IDC_WITHOUT_SUBFOLDERS),
    CONTROL(IDC_SHOW_TYPE),     CONTROL(IDC_SHOW_MODIFIED),
    CONTROL(IDC_SORT_NAME),     CONTROL(IDC_SORT_TYPE),
    CONTROL(IDC_SORT_LENGTH),   {"IDOK", IDOK},
};

// The tree refuses every insertion once `insertionsLeft` have gone through.
WNDPROC treeProc;
int insertionsLeft;

LRESULT CALLBACK refusingTreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TVM_INSERTITEMA && insertionsLeft-- <= 0) return 0;
    return CallWindowProcA(treeProc, tree, message, wParam, lParam);
}

std::string joined(const std::vector<std::string>& words, size_t from) {
    std::string text;
    for (size_t i = from; i < words.size(); ++i)
        text += (i > from ? "|" : "") + words[i];
    return text;
}

// The item of a folder path already in the tree ("/": the root), selecting nothing.
HTREEITEM itemOf(HWND tree, const std::string& path) {
    if (path == "/") return TVI_ROOT;
    HTREEITEM item = TreeView_GetRoot(tree);
    while (item && itemText(tree, item).compare(0, 3, path, 0, 3) != 0)
        item = TreeView_GetNextSibling(tree, item);
    for (size_t start = 3; item && start < path.size();) {
        size_t end = std::min(path.find('\\', start), path.size());
        item = childItem(tree, item, path.substr(start, end - start));
        start = end + 1;
    }
    return item;
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
        if (verb == "select" || verb == "select-drive") {
            item = verb == "select" ? revealFolder(dialog.tree, argument)
                                    : childItem(dialog.tree, TVI_ROOT, argument);
            ASSERT_NE(item, nullptr);
            selectItem(dialog.tree, item);
        } else if (verb == "reveal" || verb == "post-select") {
            item = revealFolder(dialog.tree, argument);
            ASSERT_NE(item, nullptr);
            if (verb == "post-select") // its handling may show a box: not waited for
                PostMessageA(dialog.tree, TVM_SELECTITEM, TVGN_CARET,
                             reinterpret_cast<LPARAM>(item));
        } else if (verb == "absent") {
            EXPECT_EQ(revealFolder(dialog.tree, argument), nullptr);
        } else if (verb == "select-nothing") {
            selectItem(dialog.tree, nullptr);
        } else if (verb == "click") {
            dialog.click(control);
        } else if (verb == "post") {
            dialog.post(control);
        } else if (verb == "escape") {
            PostMessageA(dialog.tree, WM_KEYDOWN, VK_ESCAPE, 0);
        } else if (verb == "close") {
            PostMessageA(dialog.window, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (verb == "text") {
            EXPECT_EQ(dialog.text(control), rest);
        } else if (verb == "enabled" || verb == "disabled") {
            EXPECT_EQ(IsWindowEnabled(dialog.control(control)) != 0, verb == "enabled");
        } else if (verb == "options") {
            ListingOptions options = 0;
            readOptions(dialog.window, options);
            EXPECT_EQ(options, std::stoul(argument));
        } else if (verb == "children") {
            item = itemOf(dialog.tree, argument);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(joined(childTexts(dialog.tree, item), 0), joined(step, 2));
        } else if (verb == "drive-images") {
            HTREEITEM drive = TreeView_GetRoot(dialog.tree);
            for (size_t i = 1; i < step.size();
                 ++i, drive = TreeView_GetNextSibling(dialog.tree, drive)) {
                TVITEMA read = {};
                read.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
                read.hItem = drive;
                TreeView_GetItem(dialog.tree, &read);
                EXPECT_EQ(read.iImage, std::stoi(step[i])) << itemText(dialog.tree, drive);
                EXPECT_EQ(read.iSelectedImage, read.iImage) << itemText(dialog.tree, drive);
            }
        } else if (verb == "mkdir") {
            EXPECT_TRUE(CreateDirectoryA(argument.c_str(), nullptr));
        } else if (verb == "rmdir") {
            EXPECT_TRUE(RemoveDirectoryA(argument.c_str()));
        } else if (verb == "refuse-after") {
            insertionsLeft = std::stoi(argument);
            treeProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                dialog.tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(refusingTreeProc)));
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
