// Which Windows reparse points are links. Plain bits in, bits out, so the
// decision is built and tested on every platform.
#pragma once

#include <stdint.h>

enum : uint32_t {
    // The attribute bit of a reparse point, as a Windows directory search gives it.
    REPARSE_POINT_ATTRIBUTE = 0x400,
    // Not a Windows bit: set in place of the folder bit on a link to a folder,
    // which is listed as one row and never walked, but which the folder tree
    // offers, so that it can be picked on purpose.
    FOLDER_LINK_ATTRIBUTE = 0x40000000,
};

// The attributes an entry of a Windows search is listed with, from its own and
// its reparse tag (WIN32_FIND_DATA's dwReserved0, which counts only with the
// reparse-point bit). A name surrogate (symbolic link, junction, mount point)
// stands for a folder elsewhere: walking it could list a folder twice, or
// loop. Any other reparse point (a OneDrive placeholder, a deduplicated
// folder) is the folder or file it says it is.
uint32_t listedAttributes(uint32_t attributes, uint32_t reparseTag);
