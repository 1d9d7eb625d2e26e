#include "listing_summary.h"

#include "text.h"

enum { REAL_PATH = 8192 };

void noteIncomplete(ListingJob& job, DialogHandle dialog, IncompleteKind kind, const char* path,
                    const SearchFolder& where, const char* realName, int reason) {
    const Platform& platform = *job.platform;
    char real[REAL_PATH] = "";
    if (!platform.realPath(platform, where, real, sizeof real))
        copyText(real, sizeof real, where.path);
    if (realName) {
        char folder[REAL_PATH];
        copyText(folder, sizeof folder, real);
        joinPath(real, sizeof real, folder, realName);
    }
    ListingSummary& summary = *job.summary;
    if (kind == INCOMPLETE_PATH_TOO_LONG) ++summary.foldersLeftOut;
    if (kind == INCOMPLETE_DETAILS_UNREADABLE) ++summary.filesWithoutDetails;
    if (kind == INCOMPLETE_FOLDER_UNREADABLE && summary.foldersUnreadable++ < NAMED_UNREADABLE)
        copyText(summary.unreadable[summary.foldersUnreadable - 1], PATH_BUFFER, real);
    platform.noteIncomplete(platform, dialog, kind, path, real, reason);
}
