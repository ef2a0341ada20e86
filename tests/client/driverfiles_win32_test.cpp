// The fax printer driver files under Wine: the real folders of this build (the NT 6 row on
// x86_64; the WOW64 row for the i686 build on 64-bit Wine) and, through answers of the test's
// own for the version and the folders, every other row with real file operations.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/printerdriversystem.h"
#include "tests/support/tempfolder_support.h"

namespace {

bool WriteFileForTest(const std::string &name, const std::string &text)
{
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    CloseHandle(file);
    return ok;
}

std::string Folder(const STRING &s)
{
    return std::string(static_cast<const char *>(s));
}

// The answers of this Windows, with the version class and the folders of the test's choosing.
class ROWSYSTEM : public PRINTERDRIVERSYSTEM {
public:
    ROWSYSTEM(int versionClass, const std::string &driverFolder, const std::string &systemFolder)
        : Class(versionClass), DriverFolder(driverFolder), SystemFolder(systemFolder)
    {
    }
    int GetVersionClass() override { return Class; }
    bool IsWow64() override { return false; }
    STRING GetDriverFolder() override { return STRING(DriverFolder.c_str()); }
    STRING GetSystemFolder() override { return STRING(SystemFolder.c_str()); }

    int Class;
    std::string DriverFolder, SystemFolder;
};

// The row's files: the driver folder's, then the system folder's.
std::vector<std::string> Targets(const DRIVERFILES::ROW &row, const std::string &driver, const std::string &system)
{
    std::vector<std::string> targets;
    for (int i = 0; i < row.driverCount; ++i)
        targets.push_back(driver + "\\" + row.driverFiles[i]);
    targets.push_back(system + "\\" + row.systemFile);
    return targets;
}

// Source files for a row, each holding its own name.
void MakeSources(const DRIVERFILES::ROW &row, const std::string &folder)
{
    for (int i = 0; i <= row.driverCount; ++i) {
        const char *name = i < row.driverCount ? row.driverFiles[i] : row.systemFile;
        ASSERT_TRUE(WriteFileForTest(folder + "\\" + name, name));
    }
}

} // namespace

TEST(DRIVERFILES, EveryRowThroughTheSeam)
{
    for (int cls = 0; cls <= 4; ++cls) {
        TEMPFOLDER work;
        const std::string source = work.File("source"), driver = work.File("driver"), system = work.File("system");
        for (const std::string &f : {source, driver, system})
            ASSERT_TRUE(CreateDirectoryA(f.c_str(), nullptr));
        const DRIVERFILES::ROW &row = DRIVERFILES::FilesFor(cls, false);
        MakeSources(row, source);
        const std::vector<std::string> targets = Targets(row, driver, system);
        // One target there already, with other contents: it is kept.
        ASSERT_TRUE(WriteFileForTest(targets[1], "kept"));

        ROWSYSTEM answers(cls, driver, system);
        EXPECT_EQ(DRIVERFILES::Copy(answers, nullptr, true), 0) << cls;
        EXPECT_EQ(DRIVERFILES::Copy(answers, source.c_str(), false), 1) << cls;
        EXPECT_EQ(DRIVERFILES::Copy(answers, nullptr, true), 1) << cls;
        for (size_t i = 0; i < targets.size(); ++i) {
            const std::string name = targets[i].substr(targets[i].rfind('\\') + 1);
            EXPECT_EQ(ReadWholeFile(targets[i]), i == 1 ? "kept" : name) << targets[i];
        }
        // The last file missing alone fails the check too.
        ASSERT_TRUE(DeleteFileA(targets.back().c_str()));
        EXPECT_EQ(DRIVERFILES::Copy(answers, nullptr, true), 0) << cls;
    }
}

TEST(DRIVERFILES, RealFoldersOfThisBuild)
{
    PRINTERDRIVERSYSTEM system;
    const bool wow64 = CheckWow64();
#if defined(_WIN64)
    EXPECT_FALSE(wow64);
    EXPECT_EQ(GetWindowsVersionClass(), 5); // Wine reports an NT 6 or later
#endif
    const DRIVERFILES::ROW &row = DRIVERFILES::FilesFor(GetWindowsVersionClass(), wow64);
    // Under WOW64 the real 64-bit system folder is meant: seen from here through "sysnative".
    std::string systemFolder = Folder(system.GetSystemFolder());
    if (wow64) {
        char windows[MAX_PATH];
        ASSERT_GT(GetWindowsDirectoryA(windows, sizeof(windows)), 0u);
        systemFolder = std::string(windows) + "\\sysnative";
    }
    const std::vector<std::string> targets = Targets(row, Folder(system.GetDriverFolder()), systemFolder);
    ASSERT_FALSE(Folder(system.GetDriverFolder()).empty());
    for (const auto &t : targets)
        DeleteFileA(t.c_str());

    TEMPFOLDER work;
    MakeSources(row, work.Path());
    ASSERT_TRUE(WriteFileForTest(targets[0], "kept"));
    EXPECT_EQ(CheckPrinterDriverFiles(), 0);
    EXPECT_EQ(CopyPrinterDriverFiles(work.Path().c_str(), 0), 1);
    EXPECT_EQ(CheckPrinterDriverFiles(), 1);
    for (size_t i = 0; i < targets.size(); ++i) {
        const std::string name = targets[i].substr(targets[i].rfind('\\') + 1);
        EXPECT_EQ(ReadWholeFile(targets[i]), i == 0 ? "kept" : name) << targets[i];
    }
    if (wow64) {
        // Redirection is on again: the 32-bit system folder does not hold the 64-bit port monitor.
        const std::string redirected = Folder(system.GetSystemFolder()) + "\\" + row.systemFile;
        EXPECT_EQ(GetFileAttributesA(redirected.c_str()), INVALID_FILE_ATTRIBUTES);
        // Also after a check that stopped early at a missing file.
        ASSERT_TRUE(DeleteFileA(targets[0].c_str()));
        EXPECT_EQ(CheckPrinterDriverFiles(), 0);
        EXPECT_EQ(GetFileAttributesA(redirected.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_NE(GetFileAttributesA(targets.back().c_str()), INVALID_FILE_ATTRIBUTES);
    }
    for (const auto &t : targets)
        DeleteFileA(t.c_str());
}
