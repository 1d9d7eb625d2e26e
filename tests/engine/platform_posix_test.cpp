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

} // namespace
