// Every allocation of a whole run failing in turn, in both report forms: a
// loop over the run, which no single case can be. Each failure is told once,
// and a report, where one is left, is whole as far as it goes. Leaks show in
// the sanitizer build, where the program's own exit then fails the test.
#include <gtest/gtest.h>

#include <string>

#include "process.h"
#include "temp_dir.h"

namespace {

TEST(Allocation, EveryAllocationFailingInTurn) {
    ScopedTempDir dir;
    dir.makeFolder("t");
    dir.makeFolder("t/a");
    for (int i = 0; i < 1001; ++i) {
        dir.makeFile("t/a/f" + std::to_string(i), 1);
        dir.makeFile("t/f" + std::to_string(i), 1);
        dir.makeFolder("t/d" + std::to_string(i));
    }
    for (const char* word : {"31", "30"}) {
        int failing = 1;
        for (;; ++failing) {
            SCOPED_TRACE(std::string("word ") + word + ", allocation " + std::to_string(failing));
            remove(dir.at("elenco_dei_files.txt").c_str());
            ProgramRun run = runProgram(
                programPath("faulty_elenco"),
                "alloc:" + std::to_string(failing) + " --options=" + word + " t", dir.path);
            if (run.status == 0) break;
            EXPECT_EQ(run.status, 4) << run.err;
            EXPECT_EQ(run.err, "elenco: memory exhausted\n");
            std::string report = readFile(dir.at("elenco_dei_files.txt"));
            if (failing <= 2 || report.empty()) continue;
            // The flat report's growth fails at the 1001st file: the 1000 kept are written.
            std::string total = word[1] == '1' ? "\r\n\r\nTotale cartelle n "
                                               : "\r\n\r\nTotale file n 1000\r\n\r\n";
            EXPECT_NE(report.find(total), std::string::npos);
        }
        // Two arrays and the growth of each one used, the writer, and for the
        // names of files (and of folders in a tree) two blocks: 1001 names
        // outgrow the first.
        EXPECT_GE(failing, word[1] == '1' ? 10 : 7);
    }
}

} // namespace
