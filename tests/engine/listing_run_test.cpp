#include "listing_run.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "temp_dir.h"

namespace {

TEST(RunListing, FolderThatCannotBeOpenedStillGivesAReport) {
    ScopedTempDir dir;
    FakePlatform fake;
    ScopedWorkingDir cwd(dir.path);
    std::string missing = dir.at("assente");
    runListing(nullptr, missing.c_str(), 30);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "Invalid handle");
    EXPECT_EQ(fake.messages[0].caption, "ATTENZIONE");
    EXPECT_EQ(fake.dialogsEnded, 1);
    EXPECT_EQ(readFile(dir.at("elenco_dei_files.txt")),
              crlf({"Elenco dei file contenuti in", missing, "",
                    "Tipo  Nome lunghezza ultima modifica", "", "", "Totale file n 0", ""}));

    runListing(nullptr, missing.c_str(), 31);
    EXPECT_EQ(readFile(dir.at("elenco_dei_files.txt")),
              crlf({"Elenco delle cartelle e file contenuti in " + missing, "", missing, "",
                    "Cartella non leggibile", "", "", "Totale cartelle n 1", ""}));
}

TEST(RunListing, FlatListingIgnoresSubfolders) {
    ScopedTempDir dir;
    FakePlatform fake;
    dir.makeFolder("sotto");
    dir.makeFile("sotto/dentro.txt", 5);
    dir.makeFile("fuori.txt", 5);
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, dir.path.c_str(), 16);
    std::string report = readFile(dir.at("elenco_dei_files.txt"));
    EXPECT_EQ(report.find("dentro"), std::string::npos);
    EXPECT_EQ(report.find("sotto"), std::string::npos);
    EXPECT_NE(report.find("fuori  \r\n"), std::string::npos);
    EXPECT_TRUE(fake.messages.empty());
}

TEST(RunListing, EmptyOrOverlongPathDoesNothing) {
    ScopedTempDir dir;
    FakePlatform fake;
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, "", 31);
    runListing(nullptr, std::string(260, 'x').c_str(), 31);
    EXPECT_FALSE(fileExists(dir.at("elenco_dei_files.txt")));
    EXPECT_TRUE(fake.messages.empty());
    EXPECT_EQ(fake.allocations, 0);
}

// The rows of a flat report: the lines between the header's empty line and the
// empty line before the total.
int flatRows(const std::string& report) {
    size_t first = report.find("\r\n\r\n", report.find("\r\n\r\n") + 4) + 4;
    size_t last = report.find("\r\n\r\nTotale file n ");
    int rows = 0;
    for (size_t at = first; at < last + 2; at = report.find("\r\n", at) + 2)
        ++rows;
    return rows;
}

// Each allocation of a run failing in turn, in both forms: the user hears of it,
// nothing leaks, and a report, when one is written, is whole as far as it goes.
TEST(RunListing, EveryAllocationFailingInTurn) {
    ScopedTempDir dir;
    dir.makeFolder("t");
    dir.makeFolder("t/a");
    for (int i = 0; i < 1001; ++i) {
        dir.makeFile("t/a/f" + std::to_string(i), 1);
        dir.makeFile("t/f" + std::to_string(i), 1);
        dir.makeFolder("t/d" + std::to_string(i));
    }
    ScopedWorkingDir cwd(dir.path);
    for (ListingOptions options : {31u, 30u}) {
        int allocationsOfARun = 0;
        {
            FakePlatform fake;
            runListing(nullptr, dir.at("t").c_str(), options);
            allocationsOfARun = fake.allocations;
            EXPECT_TRUE(fake.messages.empty());
            EXPECT_EQ(fake.liveBlocks, 0);
        }
        ASSERT_GE(allocationsOfARun, 4); // two arrays, a growth, the writer
        for (int failing = 1; failing <= allocationsOfARun; ++failing) {
            SCOPED_TRACE("options " + std::to_string(options) + ", allocation " +
                         std::to_string(failing));
            remove(dir.at("elenco_dei_files.txt").c_str());
            FakePlatform fake;
            fake.failOnlyAllocation(failing);
            runListing(nullptr, dir.at("t").c_str(), options);
            ASSERT_EQ(fake.messages.size(), 1u);
            EXPECT_EQ(fake.messages[0].text, "Memoria insufficiente");
            EXPECT_EQ(fake.dialogsEnded, 1);
            EXPECT_EQ(fake.liveBlocks, 0);
            std::string report = readFile(dir.at("elenco_dei_files.txt"));
            // The two arrays reserved at the start: an error, and no report at all.
            if (failing <= 2) {
                EXPECT_EQ(fake.messages[0].caption, "ERRORE");
                EXPECT_TRUE(report.empty());
                continue;
            }
            EXPECT_EQ(fake.messages[0].caption, "ATTENZIONE");
            if (report.empty()) continue;
            if (options & LIST_SUBFOLDERS) {
                EXPECT_NE(report.find("Totale cartelle n "), std::string::npos);
            } else {
                // The growth failed at the 1001st file: the 1000 kept are written.
                EXPECT_EQ(flatRows(report), 1000);
                EXPECT_NE(report.find("\r\n\r\nTotale file n 1000\r\n\r\n"), std::string::npos);
            }
        }
    }
}

TEST(RunListing, ReservationFailureAtStartIsAnErrorPerArray) {
    ScopedTempDir dir;
    ScopedWorkingDir cwd(dir.path);
    FakePlatform fake;
    fake.failAllocationsFrom(1);
    runListing(nullptr, dir.path.c_str(), 31);
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].caption, "ERRORE");
    EXPECT_EQ(fake.dialogsEnded, 1);
    EXPECT_FALSE(fileExists(dir.at("elenco_dei_files.txt")));
}

} // namespace
