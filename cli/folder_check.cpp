#include "folder_check.h"

#include <errno.h>
#include <sys/stat.h>

#include "platform.h"

int folderCanBeListed(const char* folder) {
    struct stat info;
    if (stat(folder, &info) != 0) return 0;
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return 0;
    }
    // A folder that is there but cannot be searched: where the search does
    // not say why (Windows), permission is the reason left.
    errno = EACCES;
    DirEntry entry;
    DirSearch* search = platform.findFirst(folder, SEARCH_KINDS_ONLY, &entry);
    if (!search) return 0;
    platform.findClose(search);
    return 1;
}
