// The folder tree of the main dialog: one item for each usable drive, and below
// it the folders, added one level at a time as items are selected. Every item's
// user value is its own handle.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <stdint.h>

// Gives the dialog's tree its images and its drives with their first level of folders.
void setupFolderTree(HWND dialog);

// Appends the six images: folder, open folder, floppy, fixed disk, removable drive, CD-ROM.
void loadTreeIcons(HIMAGELIST imageList);

// One root item for each removable, fixed or CD-ROM drive, in letter order, each
// with its first level of folders.
void addDriveItems(HWND tree);

// Adds the subfolders of `path` (a drive "C:" or a folder "C:\Documenti") below
// `parentItem`, in the tree's alphabetical order. One level only.
void addSubfolderItems(const char* path, HWND tree, HTREEITEM parentItem);

// The full path of `item` into `path` (260 bytes): "C:" for a drive,
// "C:\Documenti\Lettere" for a folder; empty when it would not fit.
void itemPath(HWND tree, HTREEITEM item, char* path);

// Nonzero when `item` has at least one child item.
int32_t itemHasChildren(HWND tree, HTREEITEM item);
