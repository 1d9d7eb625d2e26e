// Which reparse points are links, on the attributes and tags Windows gives.
#include "reparse.h"

#include <gtest/gtest.h>

#include "platform.h"

namespace {

TEST(Reparse, OnlyNameSurrogatesAreLinks) {
    const uint32_t folder = FOLDER_ATTRIBUTE | REPARSE_POINT_ATTRIBUTE;
    const uint32_t link = REPARSE_POINT_ATTRIBUTE | FOLDER_LINK_ATTRIBUTE;
    const struct {
        uint32_t attributes, tag, listed;
    } table[] = {
        {folder, 0xA000000C, link},                                     // symbolic link
        {folder | 0x2, 0xA000001D, link | 0x2},                         // WSL's link; hidden stays
        {folder, 0, link},                                              // Wine's link to a folder
        {folder, 0x9000001A, folder},                                   // OneDrive placeholder
        {REPARSE_POINT_ATTRIBUTE, 0xA000000C, REPARSE_POINT_ATTRIBUTE}, // link to a file
        {FOLDER_ATTRIBUTE, 0xA000000C, FOLDER_ATTRIBUTE},               // tag without the bit
    };
    for (const auto& row : table)
        EXPECT_EQ(listedAttributes(row.attributes, row.tag), row.listed) << std::hex << row.tag;
}

} // namespace
