// -x over a real mount point, which a case cannot make: the folder mounted
// below the listed one is named as left out and listed not at all, and the run
// still succeeds; without -x it is listed like any folder.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include "process.h"
#include "temp_dir.h"

TEST(OneFileSystem, MountPointIsLeftOutAndNamed) {
    ScopedTempDir dir;
    dir.makeFolder("t");
    dir.makeFolder("t/montato");
    dir.makeFile("t/fuori", 1);
    if (mount("zarpello", dir.at("t/montato").c_str(), "tmpfs", 0, nullptr) != 0)
        GTEST_SKIP() << "no right to mount a tmpfs here";
    dir.makeFile("t/montato/dentro", 1);
    ProgramRun kept = runProgram(programPath("elenco"), "-x -o - t", dir.path);
    ProgramRun crossed = runProgram(programPath("elenco"), "-o - t", dir.path);
    umount(dir.at("t/montato").c_str());
    EXPECT_EQ(kept.status, 0);
    EXPECT_EQ(kept.err, "elenco: '" + dir.at("t/montato") + "' left out: on another file system\n");
    EXPECT_EQ(kept.out.find("montato"), std::string::npos);
    EXPECT_NE(kept.out.find("fuori"), std::string::npos);
    EXPECT_NE(crossed.out.find("dentro"), std::string::npos);
}
