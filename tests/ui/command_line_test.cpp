#include <gtest/gtest.h>

#include <string>

#include "start.h"

namespace {

std::string tail(std::string line) {
    return commandLineTail(&line[0]);
}

TEST(CommandLineTail, SkipsTheProgramNameAndTheSpacesAfterIt) {
    EXPECT_EQ(tail("zarpello.exe"), "");
    EXPECT_EQ(tail("zarpello.exe   uno due"), "uno due");
    EXPECT_EQ(tail("\"C:\\Programmi\\Zar pello\\zarpello.exe\"  uno"), "uno");
    EXPECT_EQ(tail("\"C:\\zarpello.exe\"uno"), "uno");
    EXPECT_EQ(tail(""), "");
}

TEST(CommandLineTail, QuoteWithoutItsEndIsTheWholeLine) {
    EXPECT_EQ(tail("\"C:\\Zar pello\\zarpello.exe uno"), "\"C:\\Zar pello\\zarpello.exe uno");
}

TEST(CommandLineTail, TabsAreNotSpaces) {
    EXPECT_EQ(tail("zarpello.exe\tuno due"), "due");
    EXPECT_EQ(tail("\"zarpello.exe\"\tuno"), "\tuno");
}

} // namespace
