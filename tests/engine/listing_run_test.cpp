#include "listing_run.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "temp_dir.h"

namespace {

TEST(RunListing, FolderThatCannotBeOpenedStillGivesAnEmptyReport) {
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
                    "Nessun file", "", "", "Totale cartelle n 1", ""}));
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

// Each allocation of a run failing in turn: the user hears of it, nothing leaks,
// and a report, when one is written, is whole as far as it goes.
TEST(RunListing, EveryAllocationFailingInTurn) {
    ScopedTempDir dir;
    dir.makeFolder("t");
    dir.makeFolder("t/a");
    for (int i = 0; i < 1001; ++i)
        dir.makeFile("t/a/f" + std::to_string(i), 1);
    for (int i = 0; i < 1001; ++i)
        dir.makeFolder("t/d" + std::to_string(i));
    ScopedWorkingDir cwd(dir.path);
    int allocationsOfARun = 0;
    {
        FakePlatform fake;
        runListing(nullptr, dir.at("t").c_str(), 31);
        allocationsOfARun = fake.allocations;
        EXPECT_TRUE(fake.messages.empty());
        EXPECT_EQ(fake.liveBlocks, 0);
    }
    ASSERT_GE(allocationsOfARun, 4); // two arrays, their growths, the writer
    for (int failing = 1; failing <= allocationsOfARun; ++failing) {
        remove(dir.at("elenco_dei_files.txt").c_str());
        FakePlatform fake;
        fake.failOnlyAllocation(failing);
        runListing(nullptr, dir.at("t").c_str(), 31);
        ASSERT_FALSE(fake.messages.empty()) << "allocation " << failing;
        EXPECT_EQ(fake.messages[0].text, "Memoria insufficiente") << "allocation " << failing;
        EXPECT_EQ(fake.dialogsEnded, 1) << "allocation " << failing;
        EXPECT_EQ(fake.liveBlocks, 0) << "allocation " << failing;
        std::string report = readFile(dir.at("elenco_dei_files.txt"));
        if (!report.empty()) {
            EXPECT_NE(report.find("Totale cartelle n "), std::string::npos);
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
