// The first allocation at each place where the program takes memory failing
// in turn, with and without readers, in both report forms: the run either
// tells it once, status 4, or gets by without it; either way the report is the
// whole one. Leaks show in the sanitizer build.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <thread>

#include "process.h"
#include "temp_dir.h"

namespace {

TEST(Allocation, EachPlaceFailingInTurn) {
#ifdef _WIN32
    GTEST_SKIP() << "allocations fail on demand in the Linux build only";
#endif
    ScopedTempDir dir;
    dir.makeFolder("t");
    dir.makeFolder("t/a");
    for (int i = 0; i < 1001; ++i) {
        dir.makeFile("t/a/f" + std::to_string(i), 1);
        dir.makeFile("t/f" + std::to_string(i), 1);
        dir.makeFolder("t/d" + std::to_string(i));
    }
    for (const char* options : {"-j 4 --options=31", "--options=30", "-j 1 --options=31"}) {
        ProgramRun listed = runProgram(programPath("faulty_elenco"),
                                       std::string("allocsites ") + options + " t", dir.path);
        ASSERT_EQ(listed.status, 0) << listed.err;
        std::string whole = readFile(dir.at("elenco_dei_files.txt"));
        std::istringstream sites(listed.err.substr(listed.err.find(": ") + 2));
        int places = 0;
        for (std::string site; sites >> site; ++places) {
            SCOPED_TRACE(std::string(options) + ", allocation at " + site);
            ProgramRun run = runProgram(programPath("faulty_elenco"),
                                        "allocsite:" + site + " " + options + " t", dir.path);
            if (run.status != 0) {
                EXPECT_EQ(run.status, 4) << run.err;
                EXPECT_EQ(run.err, "elenco: memory exhausted\n");
            }
            ASSERT_EQ(readFile(dir.at("elenco_dei_files.txt")), whole);
        }
        // The arrays, the writer, the names, the folders' entries and searches.
        EXPECT_GE(places, 10);
    }
}

// Readers a whole window ahead, one held at its last folder, while the report
// writes a long first section: none may take a folder whose slot is still full.
TEST(ReadAhead, ReadersStayWithinTheWindow) {
    ScopedTempDir dir;
    for (int i = 0; i < 3000; ++i)
        dir.makeFile("t/f" + std::to_string(i), 1);
    for (int i = 10; i < 40; ++i) // t/d24 is the window's last folder
        dir.makeFile("t/d" + std::to_string(i) + "/f", 1);
    ProgramRun run = runProgram(programPath("faulty_elenco"),
                                "hold:" + dir.at("t/d24") + " -j 4 -o - t", dir.path);
    EXPECT_EQ(run.status, 0) << run.err;
}

// Readers grow while folders come late, from one per core to 16 or -j at most,
// and only then: a local disk's folders never come late.
TEST(ReadAhead, ReadersGrowOnlyWhileFoldersComeLate) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows does not tell a thread's waits";
#endif
    ScopedTempDir dir;
    // Two levels, so that readers also go ahead of the walk, which meets them
    // at folders they are still reading.
    for (int i = 0; i < 200; ++i)
        dir.makeFile("t/d" + std::to_string(i / 10) + "/e" + std::to_string(i % 10) + "/f", 1);
    int cores = std::max(2, static_cast<int>(std::thread::hardware_concurrency()));
    auto threads = [&](const std::string& faults, const std::string& options) {
        ProgramRun run = runProgram(programPath("faulty_elenco"),
                                    "'" + faults + "' " + options + " -o - t", dir.path);
        EXPECT_EQ(run.status, 0) << run.err;
        return std::stoi(run.err.substr(run.err.find(": ") + 2));
    };
    int late = threads("threads|late", "");
    EXPECT_GT(late, std::min(cores, 15));
    EXPECT_LE(late, 16);
    EXPECT_LE(threads("threads|late", "-j 3"), 3);
    EXPECT_LE(threads("threads", ""), cores);
    EXPECT_LE(threads("threads", "-j 64"), cores);
}

} // namespace
