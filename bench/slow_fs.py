#!/usr/bin/python3
"""A read-only view of FOLDER at MOUNTPOINT that waits DELAY_MS before answering
every lookup, open, directory read and stat: a stand-in for a network share.
    slow_fs.py FOLDER MOUNTPOINT DELAY_MS [--no-kinds]
With --no-kinds its directory reads give no kind for any entry (DT_UNKNOWN), as
many network file systems' do: a reader must then stat each entry to tell a
folder from a file.
Runs in the foreground until unmounted (fusermount -u / umount). Requests are
served by several threads, as a network file system's are; the kernel keeps
what it learns for libfuse's default second."""
import errno
import os
import sys
import time

from fusepy import FUSE, FuseOSError, Operations

STAT_FIELDS = ("st_mode", "st_nlink", "st_uid", "st_gid", "st_size", "st_atime", "st_mtime",
               "st_ctime")


def attributes(info):
    fields = {name: getattr(info, name) for name in STAT_FIELDS}
    # Whole nanoseconds, as the real files have them.
    fields["st_atime"] = info.st_atime_ns / 1e9
    fields["st_mtime"] = info.st_mtime_ns / 1e9
    fields["st_ctime"] = info.st_ctime_ns / 1e9
    return fields


class Slow(Operations):
    def __init__(self, root, delay, kinds):
        self.root = root
        self.delay = delay
        self.kinds = kinds

    def real(self, path):
        return self.root + path

    def wait(self):
        time.sleep(self.delay)

    def getattr(self, path, fh=None):
        self.wait()
        try:
            return attributes(os.lstat(self.real(path)))
        except OSError as error:
            raise FuseOSError(error.errno)

    def opendir(self, path):
        self.wait()
        if not os.path.isdir(self.real(path)):
            raise FuseOSError(errno.ENOTDIR)
        return 0

    def readdir(self, path, fh):
        self.wait()
        entries = [(".", None, 0), ("..", None, 0)]
        with os.scandir(self.real(path)) as listing:
            for item in listing:
                # The kind of each entry, as readdir gives it on a local disk;
                # no attributes at all make libfuse give DT_UNKNOWN.
                kind = None
                if self.kinds:
                    kind = {"st_mode": item.stat(follow_symlinks=False).st_mode & 0o170000}
                entries.append((item.name, kind, 0))
        return entries

    def open(self, path, flags):
        self.wait()
        return os.open(self.real(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)

    def readlink(self, path):
        return os.readlink(self.real(path))

    def statfs(self, path):
        info = os.statvfs(self.real(path))
        return {name: getattr(info, name) for name in
                ("f_bsize", "f_frsize", "f_blocks", "f_bfree", "f_bavail", "f_files", "f_ffree",
                 "f_favail", "f_flag", "f_namemax")}


def main():
    arguments = sys.argv[1:]
    kinds = "--no-kinds" not in arguments
    if not kinds:
        arguments.remove("--no-kinds")
    if len(arguments) != 3:
        sys.exit("usage: slow_fs.py FOLDER MOUNTPOINT DELAY_MS [--no-kinds]")
    root = os.path.realpath(arguments[0])
    FUSE(Slow(root, float(arguments[2]) / 1000, kinds), arguments[1], foreground=True, ro=True,
         nothreads=False)


if __name__ == "__main__":
    main()
