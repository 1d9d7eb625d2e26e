#include "text.h"

#include <gtest/gtest.h>

#include <string>

#include "platform.h"

namespace {

TEST(Text, CopiesAreBoundedAndSayWhetherTheyFit) {
    char buffer[8] = "";
    EXPECT_EQ(copyText(buffer, sizeof buffer, "1234567"), 1);
    EXPECT_EQ(copyText(buffer, sizeof buffer, "123456789"), 0);
    EXPECT_STREQ(buffer, "1234567");
    EXPECT_EQ(appendText(buffer, sizeof buffer, "x", 1), 0);
    EXPECT_STREQ(buffer, "1234567");
}

TEST(Text, JoinPathAddsOneSeparatorAndRefusesWhatDoesNotFit) {
    char path[16];
    std::string s(1, PATH_SEPARATOR);
    EXPECT_EQ(joinPath(path, sizeof path, "", "C:"), 1);
    EXPECT_STREQ(path, "C:");
    EXPECT_EQ(joinPath(path, sizeof path, "C:", "Dati"), 1);
    EXPECT_EQ(path, "C:" + s + "Dati");
    EXPECT_EQ(joinPath(path, sizeof path, s.c_str(), "usr"), 1);
    EXPECT_EQ(path, s + "usr");
    EXPECT_EQ(joinPath(path, sizeof path, "0123456789", "abcde"), 0);
    EXPECT_STREQ(path, "");
    EXPECT_EQ(joinPath(path, sizeof path, "0123456789", "abcd"), 1);
}

TEST(Text, CaseFoldingIsAsciiOnlyAndBytesAreUnsigned) {
    EXPECT_EQ(compareIgnoringCase("ABC", "abc"), 0);
    EXPECT_LT(compareIgnoringCase("_", "a"), 0);
    EXPECT_LT(compareIgnoringCase("_", "A"), 0); // 'A' counts as 'a' (97), after '_' (95)
    EXPECT_LT(compareIgnoringCase("abc", "abcd"), 0);
    EXPECT_GT(compareIgnoringCase("\xE0", "z"), 0);
    EXPECT_GT(compareBytes("\xE0", "z"), 0);
    EXPECT_LT(compareBytes("TXT", "doc"), 0);
}

} // namespace
