#include "folder_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "listing_run.h"
#include "temp_dir.h"
#include "text.h"

namespace {

struct WalkScope {
    explicit WalkScope(const std::string& path) {
        bool files, folders;
        createJob(job, path.c_str(), 31, files, folders);
        selectedFolderEntry(job.currentPath, job.folders[0]);
        job.folderCount = 1;
        job.depth = 1;
    }
    ~WalkScope() { releaseJob(job); }
    // Full paths relative to `base`, each with its depth.
    std::vector<std::string> paths(const std::string& base) const {
        std::vector<std::string> result;
        for (int i = 0; i < job.folderCount; ++i) {
            char path[PATH_BUFFER];
            folderFullPath(job.folders[i], path, sizeof path);
            result.push_back(std::string(path).substr(base.size()) + " " +
                             std::to_string(job.folders[i].depth));
        }
        return result;
    }
    ListingJob job;
};

std::string sep(const std::string& path) {
    std::string native = path;
    for (char& c : native)
        if (c == '/') c = PATH_SEPARATOR;
    return native;
}

TEST(WalkFolders, PreOrderWithDepthsThenPathOrder) {
    ScopedTempDir dir;
    for (const char* f : {"Dati", "Dati/Lettere", "Dati/Lettere/Bozze", "Dati/Conti"})
        dir.makeFolder(f);
    dir.makeFile("Dati/Conti/file", 1);
    WalkScope scope(dir.at("Dati"));
    ASSERT_EQ(walkFolders(nullptr, scope.job), 1);
    ASSERT_EQ(scope.job.folderCount, 4);
    // Pre-order: each folder directly followed by the folders below it.
    std::vector<std::string> walked = scope.paths(dir.at("Dati"));
    auto at = [&](const std::string& p) {
        return std::find(walked.begin(), walked.end(), p) - walked.begin();
    };
    EXPECT_EQ(at(sep("/Lettere/Bozze 2")), at(sep("/Lettere 1")) + 1);
    sortFolders(scope.job);
    EXPECT_EQ(scope.paths(dir.at("Dati")),
              (std::vector<std::string>{" 0", sep("/Conti 1"), sep("/Lettere 1"),
                                        sep("/Lettere/Bozze 2")}));
    EXPECT_STREQ(scope.job.currentPath, dir.at("Dati").c_str());
    EXPECT_EQ(scope.job.depth, 1);
}

TEST(FolderOrder, SeparatorSortsAfterPunctuationAndBeforeLetters) {
    ScopedTempDir dir;
    for (const char* f : {"Foto", "Foto/Estate", "Foto 2", "Foto-vecchie", "Foto.bak",
                          "Foto_vecchie", "Fotografie"})
        dir.makeFolder(f);
    WalkScope scope(dir.path);
    ASSERT_EQ(walkFolders(nullptr, scope.job), 1);
    sortFolders(scope.job);
    EXPECT_EQ(
        scope.paths(dir.path),
        (std::vector<std::string>{" 0", sep("/Foto 1"), sep("/Foto 2 1"), sep("/Foto-vecchie 1"),
                                  sep("/Foto.bak 1"), sep("/Foto/Estate 2"), sep("/Foto_vecchie 1"),
                                  sep("/Fotografie 1")}));
}

TEST(FolderOrder, CaseDoesNotMatter) {
    FolderEntry alfa = {"alfa", "C:", 1}, beta = {"Beta", "C:", 1}, gamma = {"gamma", "C:", 1};
    EXPECT_LT(compareFolderPaths(&alfa, &beta), 0);
    EXPECT_LT(compareFolderPaths(&beta, &gamma), 0);
    FolderEntry drive = {"C:", "", 0};
    EXPECT_LT(compareFolderPaths(&drive, &alfa), 0);
}

TEST(WalkFolders, UnreadableSubfolderIsKeptAndItsSiblingsWalked) {
    ScopedTempDir dir;
    for (const char* f : {"a", "a/chiusa", "a/chiusa/dentro", "a/aperta", "a/aperta/giu"})
        dir.makeFolder(f);
    FakePlatform fake;
    fake.failSearchOf(dir.at("a/chiusa"));
    WalkScope scope(dir.at("a"));
    ASSERT_EQ(walkFolders(nullptr, scope.job), 1);
    sortFolders(scope.job);
    EXPECT_EQ(
        scope.paths(dir.at("a")),
        (std::vector<std::string>{" 0", sep("/aperta 1"), sep("/aperta/giu 2"), sep("/chiusa 1")}));
    EXPECT_TRUE(fake.messages.empty());
}

TEST(WalkFolders, RestoresPathAndDepthOnEveryResult) {
    ScopedTempDir dir;
    for (const char* f : {"a", "a/b", "a/b/c"})
        dir.makeFolder(f);
    WalkScope missing(dir.at("nessuna"));
    EXPECT_EQ(walkFolders(nullptr, missing.job), -4);
    EXPECT_EQ(missing.job.folderCount, 1);
    EXPECT_STREQ(missing.job.currentPath, dir.at("nessuna").c_str());

    FakePlatform fake;
    WalkScope scope(dir.at("a"));
    fake.failAllocationsFrom(fake.allocations + 1);
    scope.job.folderCount = scope.job.folderCapacity; // the next record needs a growth
    EXPECT_EQ(walkFolders(nullptr, scope.job), -2);
    EXPECT_STREQ(scope.job.currentPath, dir.at("a").c_str());
    EXPECT_EQ(scope.job.depth, 1);
}

TEST(WalkFolders, GrowthFailureDeepDownStopsTheWholeWalk) {
    ScopedTempDir dir;
    dir.makeFolder("a");
    std::string deep = "a";
    for (int i = 0; i < 3; ++i)
        dir.makeFolder(deep += "/d");
    FakePlatform fake;
    WalkScope scope(dir.at("a"));
    scope.job.folderCount = scope.job.folderCapacity - 2; // two records fit, the third must grow
    fake.failAllocationsFrom(fake.allocations + 1);
    EXPECT_EQ(walkFolders(nullptr, scope.job), -2);
    EXPECT_EQ(scope.job.folderCount, scope.job.folderCapacity);
    EXPECT_EQ(scope.job.depth, 1);
}

TEST(SelectedFolder, SplitAtTheLastSeparator) {
    FolderEntry folder;
    selectedFolderEntry(sep("/Dati/Lettere").c_str(), folder);
    EXPECT_STREQ(folder.parent, sep("/Dati").c_str());
    EXPECT_STREQ(folder.name, "Lettere");
    selectedFolderEntry("C:", folder);
    EXPECT_STREQ(folder.parent, "");
    EXPECT_STREQ(folder.name, "C:");
    EXPECT_EQ(folder.depth, 0);
}

} // namespace
