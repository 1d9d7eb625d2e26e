#include "listing_summary.h"

#include "text.h"

void noteIncomplete(ListingJob& job, DialogHandle dialog, IncompleteKind kind, const char* path,
                    int reason) {
    ListingSummary& summary = *job.summary;
    if (kind == INCOMPLETE_PATH_TOO_LONG) ++summary.foldersLeftOut;
    if (kind == INCOMPLETE_DETAILS_UNREADABLE) ++summary.filesWithoutDetails;
    if (kind == INCOMPLETE_FOLDER_UNREADABLE && summary.foldersUnreadable++ < NAMED_UNREADABLE)
        copyText(summary.unreadable[summary.foldersUnreadable - 1], PATH_BUFFER, path);
    job.platform->noteIncomplete(*job.platform, dialog, kind, path, reason);
}
