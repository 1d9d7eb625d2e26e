// What the Windows build makes of paths and names.
#include <gtest/gtest.h>
#include <windows.h>

#include "fake_platform.h"
#include "folder_walk.h"
#include "listing_run.h"
#include "temp_dir.h"

namespace {

TEST(Win32Paths, BackslashSortsAfterDigitsAndPunctuation) {
    ScopedTempDir dir;
    for (const char* f :
         {"Foto", "Foto\\Estate", "Foto 2", "Foto-vecchie", "Foto.bak", "Foto2", "Foto_vecchie"})
        dir.makeFolder(f);
    FakePlatform fake;
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, dir.path.c_str(), 1);
    std::string report = readFile(dir.at("elenco_dei_files.txt"));
    size_t previous = 0;
    for (const char* f :
         {"Foto 2", "Foto-vecchie", "Foto.bak", "Foto2", "Foto\\Estate", "Foto_vecchie"}) {
        size_t at = report.find(dir.at(f) + "\r\n");
        ASSERT_NE(at, std::string::npos) << f;
        EXPECT_GT(at, previous) << f << " out of order in\n" << report;
        previous = at;
    }
}

TEST(Win32Paths, AccentedNamesReachTheReportAsWindows1252) {
    ScopedTempDir dir;
    HANDLE file =
        CreateFileW((std::wstring(dir.path.begin(), dir.path.end()) + L"\\citt\u00e0.txt").c_str(),
                    GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    FakePlatform fake;
    ScopedWorkingDir cwd(dir.path);
    runListing(nullptr, dir.path.c_str(), 4 + 16);
    EXPECT_NE(readFile(dir.at("elenco_dei_files.txt")).find("txt   citt\xE0  \r\n"),
              std::string::npos);
}

TEST(Win32Paths, DriveIsWrittenWithoutBackslash) {
    FolderEntry drive;
    selectedFolderEntry("C:", drive);
    FolderEntry child = {"Programmi", "C:", 1};
    char path[PATH_BUFFER];
    ASSERT_TRUE(folderFullPath(child, path, sizeof path));
    EXPECT_STREQ(path, "C:\\Programmi");
    ASSERT_TRUE(folderFullPath(drive, path, sizeof path));
    EXPECT_STREQ(path, "C:");
}

} // namespace
