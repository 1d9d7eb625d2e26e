// What the POSIX directory search makes of links and unusual entries.
#include <gtest/gtest.h>
#include <unistd.h>

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

TEST(PosixSearch, NamesWithAnyByteAreWrittenAsTheyAre) {
    ScopedTempDir dir;
    dir.makeFile("citt\xC3\xA0 %s %n.\xFF\x80", 1);
    FakePlatform fake;
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, dir.path.c_str(), 4 + 16);
    EXPECT_NE(readFile(dir.at("elenco_dei_files.txt")).find("\xFF\x80    citt\xC3\xA0 %s %n  \r\n"),
              std::string::npos);
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
