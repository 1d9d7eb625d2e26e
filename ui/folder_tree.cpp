#include "folder_tree.h"

#include <stdio.h>
#include <string.h>

#include "listing_job.h"
#include "main_dialog.h"
#include "platform.h"
#include "reparse.h"
#include "resource.h"
#include "text.h"

// Indexes in the tree's image list, in the order loadTreeIcons appends them.
enum {
    FOLDER_IMAGE,
    OPEN_FOLDER_IMAGE,
    FLOPPY_IMAGE,
    FIXED_DISK_IMAGE,
    REMOVABLE_IMAGE,
    CDROM_IMAGE,
};

// The shell's icon resources for those images, in the same order.
static const WORD SHELL_ICONS[] = {4, 5, 6, 8, 9, 12};

void setupFolderTree(HWND dialog) {
    InitCommonControls();
    HIMAGELIST images = ImageList_Create(GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), ILC_COLOR32, 4, 4);
    loadTreeIcons(images);
    HWND tree = GetDlgItem(dialog, IDC_FOLDER_TREE);
    SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
    addDriveItems(tree);
}

void loadTreeIcons(HIMAGELIST imageList) {
    ImageList_SetBkColor(imageList, GetSysColor(COLOR_WINDOW));
    HMODULE shell = LoadLibraryA("shell32.dll");
    for (WORD id : SHELL_ICONS) {
        HICON icon = shell ? LoadIconA(shell, MAKEINTRESOURCEA(id)) : nullptr;
        // A missing icon would shift every later image: the system's own holds its place.
        if (!icon) icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
        ImageList_ReplaceIcon(imageList, -1, icon);
    }
    if (shell) FreeLibrary(shell);
}

// Inserts an item and makes its user value its own handle. Returns the item, or
// null when the tree refuses it.
static HTREEITEM insertItem(HWND tree, HTREEITEM parent, HTREEITEM after, const char* text,
                            int image, int selectedImage) {
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.lParam = 0;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item) return nullptr;
    TVITEMA value = {};
    value.mask = TVIF_PARAM;
    value.hItem = item;
    value.lParam = reinterpret_cast<LPARAM>(item);
    SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&value));
    return item;
}

struct DriveKind {
    const char* label; // null: the drive gets no item
    int image;
};

static DriveKind driveKind(UINT type, char letter) {
    switch (type) {
    case DRIVE_REMOVABLE:
        if (letter == 'A' || letter == 'B') return {" DISCO FLOPPY", FLOPPY_IMAGE};
        return {" DISCO RIMUOVIBILE", REMOVABLE_IMAGE};
    case DRIVE_FIXED:
        return {" DISCO FISSO", FIXED_DISK_IMAGE};
    case DRIVE_CDROM:
        return {" LETTORE CD/ROM", CDROM_IMAGE};
    default: // unknown, no root, network drives and RAM disks are not offered
        return {nullptr, 0};
    }
}

void addDriveItems(HWND tree) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const char root[] = {letter, ':', '\\', '\0'};
        const char path[] = {letter, ':', '\0'};
        DriveKind kind = driveKind(GetDriveTypeA(root), letter);
        if (!kind.label) continue;
        char text[32];
        snprintf(text, sizeof text, "%s%s", root, kind.label);
        HTREEITEM item = insertItem(tree, TVI_ROOT, TVI_LAST, text, kind.image, kind.image);
        // A drive the tree refuses is left out with its folders, so that every
        // folder item still has its drive above it.
        if (item) addSubfolderItems(path, tree, item);
    }
}

void addSubfolderItems(const char* path, HWND tree, HTREEITEM parentItem) {
    // The engine's own search: a folder too deep for its pattern cannot be
    // searched either, and stays without children.
    DirEntry entry;
    const Platform& system = *dialogSystemLayer;
    DirSearch* search = findFirst(system, {nullptr, 0, path}, SEARCH_KINDS_ONLY, &entry);
    if (!search) return;
    size_t pathLength = strlen(path);
    int added = 0;
    do {
        if (isDotEntry(entry.name) ||
            !(entry.attributes & (FOLDER_ATTRIBUTE | FOLDER_LINK_ATTRIBUTE)))
            continue;
        // Only folders that can be searched are offered: any other could be
        // neither listed nor opened, and a listing of its parent names it as
        // left out.
        if (pathLength + 1 + strlen(entry.name) > MAX_SEARCHABLE_PATH) continue;
        if (!insertItem(tree, parentItem, TVI_SORT, entry.name, FOLDER_IMAGE, OPEN_FOLDER_IMAGE)) {
            // The count is of the folders this search did add before the refusal.
            char message[PATH_BUFFER];
            snprintf(message, sizeof message, "%s\n%d elementi", path, added);
            MessageBoxA(tree, message, "ERRORE", MB_OK);
            break;
        }
        ++added;
    } while (findNext(system, search, &entry) == SEARCH_ENTRY);
    findClose(system, search);
}

// The text of `item` into `text` of 260 bytes.
static void readItemText(HWND tree, HTREEITEM item, char* text) {
    text[0] = '\0';
    TVITEMA read = {};
    read.mask = TVIF_TEXT;
    read.hItem = item;
    read.pszText = text;
    read.cchTextMax = PATH_BUFFER;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read));
    text[PATH_BUFFER - 1] = '\0';
}

void itemPath(HWND tree, HTREEITEM item, char* path) {
    readItemText(tree, item, path);
    // Only a drive's text holds a backslash: "C:\ DISCO FISSO" is the drive "C:".
    char* driveEnd = strchr(path, '\\');
    if (driveEnd) {
        *driveEnd = '\0';
        return;
    }
    for (HTREEITEM current = item;;) {
        current = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(current)));
        char above[PATH_BUFFER] = "";
        if (current) readItemText(tree, current, above);
        driveEnd = strchr(above, '\\');
        if (driveEnd) *driveEnd = '\0';
        if (!current || !appendText(above, sizeof above, "\\", 1) ||
            !appendText(above, sizeof above, path, strlen(path))) {
            path[0] = '\0';
            return;
        }
        copyText(path, PATH_BUFFER, above);
        if (driveEnd) return;
    }
}

int32_t itemHasChildren(HWND tree, HTREEITEM item) {
    TVITEMA read = {};
    read.mask = TVIF_CHILDREN;
    read.hItem = item;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read));
    return read.cChildren;
}
