// DRIVERFILES: the version classes, the file table's rows and the copy or check over a system
// whose answers and actions are recorded.
#include "client/driverfiles.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

class FAKESYSTEM : public DRIVERFILES::SYSTEM {
public:
    int GetVersionClass() override { return VersionClass; }
    bool IsWow64() override { return Wow64; }
    STRING GetDriverFolder() override
    {
        Steps.push_back(RedirectionOff ? "driver folder, redirection off" : "driver folder");
        return STRING(DriverFolder.c_str());
    }
    STRING GetSystemFolder() override { return STRING(SystemFolder.c_str()); }
    bool DisableRedirection() override
    {
        Steps.push_back("disable");
        RedirectionOff = CanSwitch;
        return CanSwitch;
    }
    void RevertRedirection() override
    {
        Steps.push_back("revert");
        RedirectionOff = false;
    }
    bool FileExists(const char *path) override
    {
        Steps.push_back(std::string("exists ") + path);
        return Present.count(path) != 0;
    }
    bool CopyNew(const char *from, const char *to) override
    {
        Steps.push_back(std::string("copy ") + from + " > " + to);
        return false; // failed copies are ignored
    }

    int VersionClass = 5;
    bool Wow64 = false;
    bool CanSwitch = true;
    bool RedirectionOff = false;
    std::string DriverFolder = "C:\\drv";
    std::string SystemFolder = "C:\\sys";
    std::set<std::string> Present;
    std::vector<std::string> Steps;
};

std::vector<std::string> Names(const DRIVERFILES::ROW &row)
{
    std::vector<std::string> names(row.driverFiles, row.driverFiles + row.driverCount);
    names.push_back(row.systemFile);
    return names;
}

} // namespace

TEST(DRIVERFILES, VersionClasses)
{
    struct CASE {
        bool nt;
        unsigned major, minor;
        int expect;
    } cases[] = {{false, 4, 10, 0}, {false, 6, 0, 0}, {true, 3, 51, 1}, {true, 4, 0, 1}, {true, 5, 0, 2},
                 {true, 5, 1, 3},   {true, 5, 2, 4},  {true, 5, 7, 4},  {true, 6, 0, 5}, {true, 6, 3, 5},
                 {true, 7, 0, 5},   {true, 10, 0, 5}};
    for (const auto &c : cases)
        EXPECT_EQ(DRIVERFILES::VersionClass(c.nt, c.major, c.minor), c.expect) << c.nt << " " << c.major << "." << c.minor;
}

TEST(DRIVERFILES, RowsInTheirOrder)
{
    const std::vector<std::string> wow64 = {"PRLMXX64.DLL", "PRLMXX64.GPD", "PARLOMATIXPORTX64.DLL"};
    const std::vector<std::string> nt6 = {"PRLMXWDM.DLL", "PRLMXWDM.GPD", "PARLOMATIXPORTNT.DLL"};
    const std::vector<std::string> win9x = {"PRLMXPRN.DRV", "UNIDRV.DLL", "UNIDRV.HLP", "ICONLIB.DLL",
                                            "PARLOMATIXPORT9x.DLL"};
    const std::vector<std::string> nt = {"PRLMXPRN.DLL", "RASDD.DLL", "RASDDUI.DLL", "RASDDUI.HLP",
                                         "PARLOMATIXPORTNT.DLL"};
    for (int cls = 0; cls <= 5; ++cls)
        EXPECT_EQ(Names(DRIVERFILES::FilesFor(cls, true)), wow64) << cls;
    EXPECT_EQ(Names(DRIVERFILES::FilesFor(5, false)), nt6);
    EXPECT_EQ(Names(DRIVERFILES::FilesFor(0, false)), win9x);
    for (int cls = 1; cls <= 4; ++cls)
        EXPECT_EQ(Names(DRIVERFILES::FilesFor(cls, false)), nt) << cls;
}

TEST(DRIVERFILES, CheckLooksInBothFoldersAndStopsAtTheFirstMissingFile)
{
    FAKESYSTEM xp;
    xp.VersionClass = 3;
    const std::vector<std::string> all = {"C:\\drv\\PRLMXPRN.DLL", "C:\\drv\\RASDD.DLL", "C:\\drv\\RASDDUI.DLL",
                                          "C:\\drv\\RASDDUI.HLP", "C:\\sys\\PARLOMATIXPORTNT.DLL"};
    xp.Present.insert(all.begin(), all.end());
    EXPECT_EQ(DRIVERFILES::Copy(xp, nullptr, true), 1);
    std::vector<std::string> expect = {"driver folder"};
    for (const auto &f : all)
        expect.push_back("exists " + f);
    EXPECT_EQ(xp.Steps, expect);

    FAKESYSTEM missing;
    missing.VersionClass = 3;
    missing.Present = {all[0], all[2], all[3], all[4]};
    EXPECT_EQ(DRIVERFILES::Copy(missing, nullptr, true), 0);
    EXPECT_EQ(missing.Steps, (std::vector<std::string>{"driver folder", "exists " + all[0], "exists " + all[1]}));
}

TEST(DRIVERFILES, Wow64SwitchesRedirectionOffFirstAndOnAgainOnEveryWayOut)
{
    for (bool present : {true, false}) {
        FAKESYSTEM wow;
        wow.Wow64 = true;
        wow.VersionClass = 5;
        if (present)
            wow.Present = {"C:\\drv\\PRLMXX64.DLL", "C:\\drv\\PRLMXX64.GPD", "C:\\sys\\PARLOMATIXPORTX64.DLL"};
        EXPECT_EQ(DRIVERFILES::Copy(wow, nullptr, true), present ? 1 : 0);
        ASSERT_GE(wow.Steps.size(), 3u);
        EXPECT_EQ(wow.Steps.front(), "disable");
        EXPECT_EQ(wow.Steps[1], "driver folder, redirection off");
        EXPECT_EQ(wow.Steps.back(), "revert");
        EXPECT_FALSE(wow.RedirectionOff);
    }
    // Without the functions to switch, nothing is switched back either.
    FAKESYSTEM old;
    old.Wow64 = true;
    old.CanSwitch = false;
    EXPECT_EQ(DRIVERFILES::Copy(old, nullptr, true), 0);
    EXPECT_EQ(old.Steps, (std::vector<std::string>{"disable", "driver folder", "exists C:\\drv\\PRLMXX64.DLL"}));
    // Not under WOW64: never switched.
    FAKESYSTEM native;
    EXPECT_EQ(DRIVERFILES::Copy(native, nullptr, false), 1);
    for (const auto &step : native.Steps)
        EXPECT_TRUE(step != "disable" && step != "revert") << step;
}

TEST(DRIVERFILES, CopyTakesEveryFileFromTheSourceFolder)
{
    struct CASE {
        const char *source;
        const char *prefix;
    } cases[] = {{"D:\\setup", "D:\\setup\\"}, {"D:\\setup\\", "D:\\setup\\"}, {nullptr, ""}, {"", ""}};
    for (const auto &c : cases) {
        FAKESYSTEM nine;
        nine.VersionClass = 0;
        EXPECT_EQ(DRIVERFILES::Copy(nine, c.source, false), 1);
        const std::string p = c.prefix;
        EXPECT_EQ(nine.Steps, (std::vector<std::string>{
                                  "driver folder",
                                  "copy " + p + "PRLMXPRN.DRV > C:\\drv\\PRLMXPRN.DRV",
                                  "copy " + p + "UNIDRV.DLL > C:\\drv\\UNIDRV.DLL",
                                  "copy " + p + "UNIDRV.HLP > C:\\drv\\UNIDRV.HLP",
                                  "copy " + p + "ICONLIB.DLL > C:\\drv\\ICONLIB.DLL",
                                  "copy " + p + "PARLOMATIXPORT9x.DLL > C:\\sys\\PARLOMATIXPORT9x.DLL",
                              }))
            << (c.source ? c.source : "<null>");
    }
}

TEST(DRIVERFILES, AFolderThatCannotBeToldHandlesNothing)
{
    for (int which = 0; which < 2; ++which) {
        for (bool checkOnly : {true, false}) {
            FAKESYSTEM wow;
            wow.Wow64 = true;
            (which == 0 ? wow.DriverFolder : wow.SystemFolder) = "";
            EXPECT_EQ(DRIVERFILES::Copy(wow, "D:\\setup", checkOnly), 0);
            EXPECT_EQ(wow.Steps, (std::vector<std::string>{"disable", "driver folder, redirection off", "revert"}));
        }
    }
}
