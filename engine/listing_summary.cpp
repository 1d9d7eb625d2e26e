#include "listing_summary.h"

#include "text.h"

void noteIncomplete(ListingJob& job, DialogHandle dialog, IncompleteKind kind, const char* path,
                    const SearchFolder& where, const char* realName, int reason) {
    const Platform& platform = *job.platform;
    char real[REAL_PATH_BUFFER] = "";
    if (!platform.realPath(platform, where, real, sizeof real))
        copyText(real, sizeof real, where.path);
    if (realName) joinPath(real, sizeof real, real, realName);
    ListingSummary& summary = *job.summary;
    if (kind == INCOMPLETE_PATH_TOO_LONG) ++summary.foldersLeftOut;
    if (kind == INCOMPLETE_DETAILS_UNREADABLE) ++summary.filesWithoutDetails;
    if (kind == INCOMPLETE_FOLDER_UNREADABLE) ++summary.foldersUnreadable;
    platform.noteIncomplete(platform, dialog, kind, path, real, reason);
}
