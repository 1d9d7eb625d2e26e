#include "folder_check.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#include "text.h"

int folderCanBeListed(const Platform& platform, const char* folder) {
    // A drive held as "T:" names its current folder to stat; its root is meant.
    char root[PATH_BUFFER + 1];
    size_t length = strlen(folder);
    bool drive = length > 0 && folder[length - 1] == ':' && copyText(root, sizeof root, folder) &&
                 appendText(root, sizeof root, &PATH_SEPARATOR, 1);
    struct stat info;
    if (stat(drive ? root : folder, &info) != 0) return 0;
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return 0;
    }
    // The listing searches no folder whose path is longer.
    if (strlen(folder) > MAX_SEARCHABLE_PATH) {
        errno = ENAMETOOLONG;
        return 0;
    }
    DirEntry entry;
    DirSearch* search = findFirst(platform, folder, SEARCH_KINDS_ONLY, &entry);
    if (!search) return 0;
    findClose(platform, search);
    return 1;
}
