// The main dialog: it keeps its state in its controls and reads it back when
// the listing starts.
#pragma once

#include <windows.h>

#include "listing_job.h"
#include "platform.h"

// The layer the dialog reaches the system through: the system's own, or a
// test's fault layer over it, set before the dialog starts.
extern const Platform* dialogSystemLayer;

INT_PTR CALLBACK mainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Fills the tree and sets the starting state: prepare disabled, option word 31,
// texts emptied, the focus on the first option. Zero: the focus is placed.
INT_PTR initMainDialog(HWND dialog, WPARAM wParam, LPARAM lParam);

// The option word the check boxes and radio buttons say.
void readOptions(HWND dialog, ListingOptions& options);
