// Whole runs over real folders with failures injected through the platform
// layer at chosen points: what the report then holds, and what the user hears.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "listing_run.h"
#include "report_text.h"
#include "temp_dir.h"

namespace {

// A chain of folders, one file in each; the folder at each depth in turn cannot
// be opened: it is listed with no files and nothing below it, and only the
// selected folder's failure is told.
TEST(FaultInjection, FolderThatCannotBeOpenedAtEachDepthOfTheWalk) {
    ScopedTempDir dir;
    dir.makeFolder("out");
    std::vector<std::string> chain = {"top"};
    for (const char* level : {"l1", "l2", "l3", "l4"})
        chain.push_back(chain.back() + "/" + level);
    for (const std::string& folder : chain) {
        dir.makeFolder(folder);
        dir.makeFile(folder + "/f", 1);
    }
    for (int failing = 0; failing < static_cast<int>(chain.size()); ++failing) {
        FakePlatform fake;
        fake.failSearchOf(dir.at(chain[failing]));
        ScopedWorkingDir cwd(dir.at("out"));
        runListing(nullptr, dir.at("top").c_str(), NAMES_ONLY_TREE);
        std::string sections;
        for (int depth = 0; depth < failing; ++depth)
            sections += namesOnlySection(dir.at(chain[depth]), depth, {"f"});
        sections += namesOnlySection(dir.at(chain[failing]), failing, {});
        EXPECT_EQ(readFile(dir.at("out/elenco_dei_files.txt")),
                  treeReport(dir.at("top"), sections, failing + 1))
            << "depth " << failing;
        if (failing == 0) {
            ASSERT_EQ(fake.messages.size(), 1u);
            EXPECT_EQ(fake.messages[0].text, "Invalid handle");
            EXPECT_EQ(fake.dialogsEnded, 1);
        } else {
            EXPECT_TRUE(fake.messages.empty()) << "depth " << failing;
            EXPECT_EQ(fake.dialogsEnded, 0) << "depth " << failing;
        }
        EXPECT_EQ(fake.liveBlocks, 0);
    }
}

// Folders found by the walk and gone by the time their files are scanned:
// each is still listed, as a folder without files, and nobody is alarmed.
TEST(FaultInjection, FoldersThatVanishBetweenTheWalkAndTheirScan) {
    ScopedTempDir dir;
    for (const char* folder : {"out", "top", "top/resta", "top/sparita", "top/sparita/sotto"})
        dir.makeFolder(folder);
    dir.makeFile("top/resta/a.txt", 1);
    dir.makeFile("top/sparita/b.txt", 1);
    dir.makeFile("top/sparita/sotto/c.txt", 1);
    FakePlatform fake;
    fake.beforeReportOpens = [&] { std::filesystem::remove_all(dir.at("top/sparita")); };
    ScopedWorkingDir cwd(dir.at("out"));
    runListing(nullptr, dir.at("top").c_str(), NAMES_ONLY_TREE);
    EXPECT_EQ(readFile(dir.at("out/elenco_dei_files.txt")),
              treeReport(dir.at("top"),
                         namesOnlySection(dir.at("top"), 0, {}) +
                             namesOnlySection(dir.at("top/resta"), 1, {"a"}) +
                             namesOnlySection(dir.at("top/sparita"), 1, {}) +
                             namesOnlySection(dir.at("top/sparita/sotto"), 2, {}),
                         4));
    EXPECT_TRUE(fake.messages.empty());
    EXPECT_EQ(fake.dialogsEnded, 0);
    EXPECT_EQ(fake.liveBlocks, 0);
}

} // namespace
