// Whole reports, byte for byte, from real folders.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "listing_run.h"
#include "messages.h"
#include "temp_dir.h"

namespace {

// The folder of the worked examples: three files, and Foto (two files) and Vuota (none).
struct LavoroTest : ::testing::Test {
    void SetUp() override {
        dir.makeFolder("Lavoro");
        dir.makeFolder("Lavoro/Foto");
        dir.makeFolder("Lavoro/Vuota");
        dir.makeFile("Lavoro/lettera.txt", 1234, unixTime(2010, 3, 5, 14, 7, 9));
        dir.makeFile("Lavoro/bilancio.xls", 20480, unixTime(2010, 2, 28, 9, 15, 0));
        dir.makeFile("Lavoro/LEGGIMI", 512, unixTime(2009, 12, 31, 23, 59, 59));
        dir.makeFile("Lavoro/Foto/tramonto.jpeg", 2359296, unixTime(2010, 8, 2, 19, 45, 30));
        dir.makeFile("Lavoro/Foto/mare.jpg", 1048576, unixTime(2010, 7, 14, 10, 30, 0));
        dir.makeFolder("out");
    }

    std::string list(const std::string& relative, ListingOptions options) {
        ScopedWorkingDir cwd(dir.at("out"));
        runListing(nullptr, dir.at(relative).c_str(), options);
        return readFile(dir.at("out/elenco_dei_files.txt"));
    }

    ScopedTempDir dir;
    FakePlatform fake;
};

TEST_F(LavoroTest, FlatReportWithEveryColumn) {
    EXPECT_EQ(list("Lavoro", 30), crlf({
                                      "Elenco dei file contenuti in",
                                      dir.at("Lavoro"),
                                      "",
                                      "Tipo  Nome     lunghezza ultima modifica",
                                      "",
                                      "xls   bilancio       20480  28/02/2010 09:15:00",
                                      "      LEGGIMI          512  31/12/2009 23:59:59",
                                      "txt   lettera         1234  05/03/2010 14:07:09",
                                      "",
                                      "Totale file n 3",
                                      "",
                                  }));
    EXPECT_TRUE(fake.messages.empty());
    EXPECT_EQ(fake.dialogsEnded, 0);
}

TEST_F(LavoroTest, TreeReportFolderByFolder) {
    EXPECT_EQ(list("Lavoro", 31),
              crlf({
                  "Elenco delle cartelle e file contenuti in " + dir.at("Lavoro"),
                  "",
                  dir.at("Lavoro"),
                  "",
                  "Tipo  Nome       lunghezza  ultima modifica",
                  "",
                  "xls   bilancio       20480  28/02/2010 09:15:00",
                  "      LEGGIMI          512  31/12/2009 23:59:59",
                  "txt   lettera         1234  05/03/2010 14:07:09",
                  "",
                  "Totale files  3",
                  "",
                  dir.at("Lavoro/Foto"),
                  "",
                  "    Tipo  Nome       lunghezza  ultima modifica",
                  "",
                  "... jpg   mare         1048576  14/07/2010 10:30:00",
                  "... jpeg  tramonto     2359296  02/08/2010 19:45:30",
                  "",
                  "Totale files  2",
                  "",
                  dir.at("Lavoro/Vuota"),
                  "",
                  "Nessun file",
                  "",
                  "",
                  "Totale cartelle n 3",
                  "",
              }));
}

TEST_F(LavoroTest, LengthAloneEndsRowsWithTwoSpaces) {
    EXPECT_EQ(list("Lavoro", 18), crlf({
                                      "Elenco dei file contenuti in",
                                      dir.at("Lavoro"),
                                      "",
                                      " lunghezza",
                                      "",
                                      "bilancio       20480  ",
                                      "LEGGIMI          512  ",
                                      "lettera         1234  ",
                                      "",
                                      "Totale file n 3",
                                      "",
                                  }));
}

TEST_F(LavoroTest, NoColumnsGivesNamesAndSeparatorOnly) {
    EXPECT_EQ(list("Lavoro/Foto", 17),
              crlf({
                  "Elenco delle cartelle e file contenuti in " + dir.at("Lavoro/Foto"),
                  "",
                  dir.at("Lavoro/Foto"),
                  "",
                  "",
                  "",
                  "mare      ",
                  "tramonto  ",
                  "",
                  "Totale files  2",
                  "",
                  "",
                  "Totale cartelle n 1",
                  "",
              }));
}

TEST_F(LavoroTest, EarlierLongerReportIsReplacedWhole) {
    list("Lavoro", 31);
    EXPECT_EQ(list("Lavoro/Vuota", 30), crlf({
                                            "Elenco dei file contenuti in",
                                            dir.at("Lavoro/Vuota"),
                                            "",
                                            "Tipo  Nome lunghezza ultima modifica",
                                            "",
                                            "",
                                            "Totale file n 0",
                                            "",
                                        }));
}

TEST(ReportLayout, LongTypesWideLengthsDeepFoldersAndOddTimes) {
    ScopedTempDir dir;
    FakePlatform fake;
    dir.makeFolder("a");
    dir.makeFolder("a/b");
    dir.makeFolder("a/b/c");
    dir.makeFile("a/b/c/dati.backup", 10000000000ull, unixTime(1969, 7, 20, 20, 17, 40));
    dir.makeFile("a/b/c/x.y", 4294967296ull, unixTime(2038, 1, 19, 3, 14, 8));
    dir.makeFile("a/b/c/z", 0, unixTime(1950, 1, 1, 0, 0, 0));
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, dir.at("a/b/c").c_str(), 1 + 2 + 4 + 8 + 64);
    // widestName is 4: the titles take no padding; "backup" touches its name.
    EXPECT_EQ(readFile(dir.at("elenco_dei_files.txt")),
              crlf({
                  "Elenco delle cartelle e file contenuti in " + dir.at("a/b/c"),
                  "",
                  dir.at("a/b/c"),
                  "",
                  "Tipo  Nome   lunghezza  ultima modifica",
                  "",
                  "      z              0  01/01/1950 00:00:00",
                  "y     x     4294967296  19/01/2038 03:14:08",
                  "backupdati  10000000000  20/07/1969 20:17:40",
                  "",
                  "Totale files  3",
                  "",
                  "",
                  "Totale cartelle n 1",
                  "",
              }));
}

TEST(ReportLayout, DepthTwoIndentsHeaderByEightSpacesAndRowsTwice) {
    ScopedTempDir dir;
    FakePlatform fake;
    dir.makeFolder("a");
    dir.makeFolder("a/b");
    dir.makeFolder("a/b/c");
    dir.makeFile("a/b/c/ab", 7, 0);
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, dir.at("a").c_str(), 1 + 4);
    std::string report = readFile(dir.at("elenco_dei_files.txt"));
    EXPECT_NE(report.find(crlf({dir.at("a/b/c"), "", "        Tipo  Nome", "",
                                "... ... "
                                "      ab  "})),
              std::string::npos)
        << report;
}

} // namespace
