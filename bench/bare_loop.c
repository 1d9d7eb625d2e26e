/* The floor the benchmark measures against: every entry of a tree read with
 * readdir and examined with one fstatat, nothing formatted, nothing sorted.
 *   bare_loop FOLDER      prints the count of entries and their total size */
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static unsigned long long entries;
static unsigned long long bytes;

static void walk(int parent, const char* name) {
    int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd < 0) return;
    DIR* folder = fdopendir(fd);
    if (!folder) {
        close(fd);
        return;
    }
    struct dirent* record;
    while ((record = readdir(folder)) != NULL) {
        const char* child = record->d_name;
        if (child[0] == '.' && (child[1] == '\0' || (child[1] == '.' && child[2] == '\0')))
            continue;
        struct stat info;
        if (fstatat(fd, child, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        ++entries;
        bytes += (unsigned long long)info.st_size;
        if (S_ISDIR(info.st_mode)) walk(fd, child);
    }
    closedir(folder);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: bare_loop FOLDER\n");
        return 1;
    }
    walk(AT_FDCWD, argv[1]);
    printf("%llu entries, %llu bytes\n", entries, bytes);
    return 0;
}
