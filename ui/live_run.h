// The dialog's layer over the listing while it runs, on the dialog's own
// thread: between searches (and every so many entries of a long one) it shows
// the counts in the status text and serves the window's messages, so the
// window repaints and answers; input is thrown away, but for a press of
// "Abbandona" or Escape, which stops the listing: searches end, nothing is
// written, no message is shown. It writes the report through a temporary file
// (report_output) and gathers what the listing left out for the closing notice.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "platform.h"

// Starts a run for `dialog` over the entries of `below`, the report going to
// `reportPath` (absolute). Returns the layer the listing is to use, which
// holds `below`.
Platform beginLiveRun(HWND dialog, const Platform& below, const char* reportPath);

// Ends the run: puts the report in place when `written` (the listing's
// result) says it is whole and the run was not stopped, and removes the
// temporary file otherwise. Returns true when the report is in place; a
// failure to put it there has been told.
bool endLiveRun(const Platform& live, int32_t written);

// True from beginLiveRun to endLiveRun.
bool liveRunGoing();
// Stops the run in progress, as "Abbandona" does.
void stopLiveRun();
bool liveRunStopped();

// What the listing could not hold, gathered for the notice.
void gatherIncomplete(IncompleteKind kind, const char* path);
// The notice: a line per kind with up to five of its folders below it and "e
// altre N" for the rest; empty when nothing is missing.
void composeIncompleteNotice(char* notice, size_t capacity);
