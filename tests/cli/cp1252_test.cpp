// The converter on every boundary between what Windows-1252 holds and what it does not.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "cp1252.h"
#include "utf8.h"

TEST(Cp1252, FromUtf8OnEveryBoundary) {
    // UTF-8, Windows-1252, display columns: U+007F, U+0080, U+0081, U+00A0, U+00FF, U+0152,
    // U+20AC, U+FFFD, an emoji, CJK, a combining mark; then truncated, overlong, surrogate,
    // past U+10FFFF and Latin-1 bytes, which stay as they are.
    const char* rows[][3] = {
        {"\x7F", "\x7F", "1"},
        {"\xC2\x80", "?", "1"},
        {"\xC2\x81", "?", "1"},
        {"\xC2\xA0", "\xA0", "1"},
        {"\xC3\xBF", "\xFF", "1"},
        {"\xC5\x92", "\x8C", "1"},
        {"\xE2\x82\xAC", "\x80", "1"},
        {"\xEF\xBF\xBD", "?", "1"},
        {"\xF0\x9F\x98\x80", "?", "2"},
        {"\xE4\xB8\xAD\xE6\x96\x87", "??", "4"},
        {"e\xCC\x81", "e?", "1"},
        {"a\xE2\x82", "a\xE2\x82", "3"},
        {"\xC0\xAF", "\xC0\xAF", "2"},
        {"\xE0\x80\xAF", "\xE0\x80\xAF", "3"},
        {"\xED\xA0\x80", "\xED\xA0\x80", "3"},
        {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80", "4"},
        {"caff\xE8", "caff\xE8", "5"},
    };
    for (const auto& row : rows) {
        char converted[16];
        EXPECT_TRUE(utf8ToCp1252(row[0], converted, sizeof converted));
        EXPECT_STREQ(converted, row[1]) << row[0];
        EXPECT_EQ(utf8Columns(row[0]), static_cast<size_t>(atoi(row[2]))) << row[0];
    }
    char cut[3];
    EXPECT_FALSE(utf8ToCp1252("abc", cut, sizeof cut));
    EXPECT_STREQ(cut, "ab");
    // One table serves both ways: every byte Windows-1252 defines comes back as itself.
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        const char text[] = {static_cast<char>(byte), '\0'};
        char utf8[8];
        char back[8];
        cp1252ToUtf8(text, utf8, sizeof utf8);
        utf8ToCp1252(utf8, back, sizeof back);
        bool undefined =
            byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
        EXPECT_STREQ(back, undefined ? "?" : text) << byte;
    }
}
