// The `elenco` program as a user runs it: arguments, output, exit status.
#include <gtest/gtest.h>

#include "listing_run.h"
#include "platform.h"
#include "process.h"
#include "temp_dir.h"

namespace {

struct ElencoTest : ::testing::Test {
    void SetUp() override {
        dir.makeFolder("Lavoro");
        dir.makeFolder("Lavoro/Foto");
        dir.makeFile("Lavoro/lettera.txt", 1234, unixTime(2010, 3, 5, 14, 7, 9));
        dir.makeFile("Lavoro/Foto/mare.jpg", 1048576, unixTime(2010, 7, 14, 10, 30, 0));
    }
    ProgramRun elenco(const std::string& arguments, const std::string& folder = "") {
        return runProgram(programPath("elenco"), arguments, dir.at(folder));
    }
    std::string report() { return readFile(dir.at("elenco_dei_files.txt")); }
    ScopedTempDir dir;
};

// The report's bytes are the engine's own: with no option, elenco writes what
// the dialog's defaults (word 31) write for the folder's absolute path.
TEST_F(ElencoTest, DefaultsAreTheDialogsAndTheFolderIsShownAbsolute) {
    ProgramRun run = elenco("Lavoro");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    dir.makeFolder("dialog");
    ScopedWorkingDir cwd(dir.at("dialog"));
    runListing(nullptr, dir.at("Lavoro").c_str(), 31);
    EXPECT_EQ(report(), readFile(dir.at("dialog/elenco_dei_files.txt")));
    EXPECT_NE(report().find("contenuti in " + dir.at("Lavoro") + "\r\n"), std::string::npos);
}

TEST_F(ElencoTest, EveryFormOfTheFolderGivesTheSameReport) {
    ASSERT_EQ(elenco("-q Lavoro").status, 0);
    std::string expected = report();
    const struct {
        const char* form;
        const char* where;
    } forms[] = {{"Lavoro/", ""},
                 {"./Lavoro//", ""},
                 {".", "Lavoro"},
                 {"Foto/..", "Lavoro"},
                 {"../../Lavoro", "Lavoro/Foto"}};
    for (const auto& f : forms) {
        ProgramRun run = elenco(
            "-q -o " + quoteArgument(dir.at("elenco_dei_files.txt")) + " " + f.form, f.where);
        EXPECT_EQ(run.status, 0) << f.form << run.err;
        EXPECT_EQ(report(), expected) << f.form;
    }
}

TEST_F(ElencoTest, ReportToStandardOutput) {
    ProgramRun run = elenco("-R --no-type --no-modified -o - Lavoro");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, crlf({"Elenco dei file contenuti in", dir.at("Lavoro"), "", " lunghezza", "",
                             "lettera        1234  ", "", "Totale file n 1", ""}));
    EXPECT_FALSE(fileExists(dir.at("elenco_dei_files.txt")));
}

TEST_F(ElencoTest, BadUsageExitsOneAndHelpAndVersionZero) {
    EXPECT_EQ(elenco("").status, 1);
    EXPECT_EQ(elenco("--sort=size Lavoro").status, 1);
    EXPECT_EQ(elenco("a b").status, 1);
    ProgramRun help = elenco("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: elenco [OPTION]... FOLDER"), std::string::npos);
    EXPECT_EQ(elenco("--version").out, "elenco (Zarpello) 1.0.0\n");
    EXPECT_FALSE(fileExists(dir.at("elenco_dei_files.txt")));
}

TEST_F(ElencoTest, RootIsWrittenAsItselfAndADriveWithoutBackslash) {
    bool posix = PATH_SEPARATOR == '/';
    std::string root = posix ? "/" : dir.path.substr(0, 2) + "\\";
    std::string shown = posix ? "/" : dir.path.substr(0, 2);
    ProgramRun run = elenco("-R -o - " + quoteArgument(root));
    EXPECT_EQ(run.out.rfind("Elenco dei file contenuti in\r\n" + shown + "\r\n\r\n", 0), 0u)
        << run.out;
}

} // namespace
