#include "reparse.h"

#include "platform.h"

// IsReparseTagNameSurrogate's bit.
static const uint32_t NAME_SURROGATE_TAG = 0x20000000;

uint32_t listedAttributes(uint32_t attributes, uint32_t reparseTag) {
    if (!(attributes & REPARSE_POINT_ATTRIBUTE) || !(attributes & FOLDER_ATTRIBUTE))
        return attributes;
    // No reparse point has the reserved tag 0, but Wine gives it to a Linux
    // symbolic link: taken for the link it is.
    bool link = reparseTag == 0 || (reparseTag & NAME_SURROGATE_TAG);
    return link ? (attributes & ~FOLDER_ATTRIBUTE) | FOLDER_LINK_ATTRIBUTE : attributes;
}
