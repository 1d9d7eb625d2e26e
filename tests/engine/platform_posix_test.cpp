// What the POSIX directory search makes of links and unusual entries.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "fake_platform.h"
#include "listing_run.h"
#include "temp_dir.h"

namespace {

TEST(PosixSearch, LinksAreEntriesOfTheirOwnAndNeverFollowed) {
    ScopedTempDir dir;
    dir.makeFolder("a");
    dir.makeFile("a/dati.bin", 100000);
    ASSERT_EQ(symlink("..", dir.at("a/giro").c_str()), 0); // a loop
    ASSERT_EQ(symlink("dati.bin", dir.at("a/collegamento").c_str()), 0);
    FakePlatform fake;
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, dir.at("a").c_str(), 1 + 2 + 16);
    EXPECT_EQ(readFile(dir.at("elenco_dei_files.txt")),
              crlf({"Elenco delle cartelle e file contenuti in " + dir.at("a"), "", dir.at("a"), "",
                    "   lunghezza", "", "collegamento           8  ", "dati              100000  ",
                    "giro                   2  ", "", "Totale files  3", "", "",
                    "Totale cartelle n 1", ""}));
}

// Names are bytes: every byte from 0x80 to 0xFF and printf's '%' come out as
// they are, and sort after the ASCII letters, of which only A to Z are folded.
TEST(PosixSearch, NamesWithAnyByteAreWrittenAsTheyAre) {
    std::string high;
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        high += static_cast<char>(byte);
    ScopedTempDir dir;
    for (const std::string& name :
         {high, std::string("citt\xC3\xA0 %s %n.\xFF\x80"), std::string("\xC0%"),
          std::string("_bozza"), std::string("Zeta"), std::string("alfa")})
        dir.makeFile(name, 1);
    FakePlatform fake;
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, dir.path.c_str(), SHOW_TYPE | SORT_BY_NAME);
    std::string padding(high.size(), ' ');
    EXPECT_EQ(
        readFile(dir.at("elenco_dei_files.txt")),
        crlf({"Elenco dei file contenuti in", dir.path, "",
              "Tipo  Nome" + std::string(high.size() - 4, ' '), "",
              "      _bozza" + padding.substr(6) + "  ", "      alfa" + padding.substr(4) + "  ",
              "\xFF\x80    citt\xC3\xA0 %s %n" + padding.substr(12) + "  ",
              "      Zeta" + padding.substr(4) + "  ", "      " + high + "  ",
              "      \xC0%" + padding.substr(2) + "  ", "", "Totale file n 6", ""}));
}

TEST(FullPath, ResolvesDotsByNameAndRefusesWhatDoesNotFit) {
    char out[8192];
    EXPECT_EQ(fullPath("/a/./b//../c/", out, sizeof out), 1);
    EXPECT_STREQ(out, "/a/c");
    EXPECT_EQ(fullPath("/..", out, sizeof out), 1);
    EXPECT_STREQ(out, "/");
    EXPECT_EQ(fullPath(("/" + std::string(258, 'a')).c_str(), out, PATH_BUFFER), 1);
    EXPECT_EQ(fullPath(("/" + std::string(259, 'a')).c_str(), out, PATH_BUFFER), 0);
    // A component that could not be held must not let a later ".." climb over
    // the one before it: this path is far too long, not "/c".
    std::string overlong = "/" + std::string(8190, 'a') + "/b/../c";
    EXPECT_EQ(fullPath(overlong.c_str(), out, PATH_BUFFER), 0);
    EXPECT_EQ(fullPath(overlong.c_str(), out, sizeof out), 0);
}

// The walk skips reading a folder whose link count says it holds no folder; a
// folder that gains one between two listings must still be found by the second.
TEST(PosixSearch, FolderThatGainsASubfolderIsWalkedNextTime) {
    ScopedTempDir dir;
    dir.makeFolder("t");
    dir.makeFolder("t/foglia");
    dir.makeFile("t/foglia/nota.txt", 3);
    FakePlatform fake;
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, dir.at("t").c_str(), 1 + 16);
    std::string first = readFile(dir.at("elenco_dei_files.txt"));
    EXPECT_NE(first.find("Totale cartelle n 2"), std::string::npos);
    EXPECT_NE(first.find("nota"), std::string::npos);
    dir.makeFolder("t/foglia/nuova");
    runListing(nullptr, dir.at("t").c_str(), 1 + 16);
    std::string second = readFile(dir.at("elenco_dei_files.txt"));
    EXPECT_NE(second.find(dir.at("t/foglia/nuova") + "\r\n"), std::string::npos);
    EXPECT_NE(second.find("Totale cartelle n 3"), std::string::npos);
}

} // namespace
