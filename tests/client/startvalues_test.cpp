// STARTVALUES: the port scan, the switches and the work-folder rule (the registry and real ports
// are in the program tests).
#include "client/startvalues.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "client/clientglobals.h"
#include "kestar/base/orvakapp.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

std::set<int> gTaken;
int CanBind(int port)
{
    return gTaken.count(port) ? 0 : 1;
}

std::set<std::string> gFolders;
bool IsFolder(const char *path)
{
    return gFolders.count(path) > 0;
}

void Arguments(std::vector<std::string> args)
{
    args.insert(args.begin(), "C:\\plx\\parlomatix.exe");
    std::vector<char *> entries;
    for (auto &a : args)
        entries.push_back(&a[0]);
    entries.push_back(nullptr);
    ORVAKAPP::ProcessArguments(static_cast<int>(args.size()), entries.data(), 9);
}

} // namespace

TEST(STARTVALUES, PortScanTakesTheFirstFreeOfThirtyTwo)
{
    struct CASE {
        const char *configured;
        std::vector<int> taken;
        const char *expect;
    } cases[] = {
        {"7000", {}, "7000"},
        {"7000", {7000, 7001}, "7002"},
        {"7000", {7000, 7001, 7002, 7003, 7004, 7005, 7006, 7007, 7008, 7009, 7010, 7011, 7012, 7013, 7014, 7015,
                  7016, 7017, 7018, 7019, 7020, 7021, 7022, 7023, 7024, 7025, 7026, 7027, 7028, 7029, 7030},
         "7031"},                                 // the 32nd port is the last tried
        {"65534", {65534, 65535}, "65534"},       // no port above 65535
        {"abc", {}, "abc"},                       // not a port: kept as configured
        {"0", {}, "0"},
    };
    for (const auto &c : cases) {
        gTaken = std::set<int>(c.taken.begin(), c.taken.end());
        EXPECT_EQ(S(STARTVALUES::ScanPort(STRING(c.configured), CanBind)), c.expect) << c.configured;
    }
    // All 32 taken: the configured port stays, 7032 is never tried.
    gTaken.clear();
    for (int p = 7000; p < 7032; ++p)
        gTaken.insert(p);
    EXPECT_EQ(S(STARTVALUES::ScanPort(STRING("7000"), CanBind)), "7000");
}

TEST(STARTVALUES, WorkFolderMustBeAnExistingAbsoluteFolder)
{
    gFolders = {"C:\\data", "\\\\server\\share\\plx", "C:\\data\\", "C:\\data\\\\/", "data"};
    struct CASE {
        const char *bySwitch;
        const char *stored;
        const char *expect;
    } cases[] = {
        {"C:\\data", "", "C:\\data"},
        {"C:\\data\\", "", "C:\\data"},            // trailing "\" removed
        {"C:\\data\\\\/", "", "C:\\data\\\\"},     // "\" then "/": only the trailing "/" goes after the "\"s
        {"\\\\server\\share\\plx", "", "\\\\server\\share\\plx"},
        {"data", "", "C:\\prog"},                  // relative
        {"C:\\missing", "", "C:\\prog"},           // absolute but missing
        {"", "C:\\data", "C:\\data"},              // the registry value when no switch is given
        {"C:\\missing", "C:\\data", "C:\\prog"},   // a given switch wins even when refused
        {"", "", "C:\\prog"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(S(STARTVALUES::ChooseWorkDir(STRING(c.bySwitch), STRING(c.stored), STRING("C:\\prog"), IsFolder)),
                  c.expect)
            << c.bySwitch << " | " << c.stored;
}

TEST(STARTVALUES, Switches)
{
    struct CASE {
        std::vector<std::string> args;
        int min, silent, keep, itunes, level;
    } cases[] = {
        {{}, 0, 0, 0, 0, 40},
        {{"/MIN", "-silentrelogin", "/NOHIDEDURINGMINIMIZE"}, 1, 1, 1, 0, 40},
        {{"/ITUNES"}, 0, 0, 0, 1, 40},
        {{"/ITUNES:25"}, 0, 0, 0, 1, 25},
        {{"/itunes:7", "/ITUNES:30"}, 0, 0, 0, 1, 7}, // the first occurrence decides
    };
    for (const auto &c : cases) {
        gSilentRelogin = gKeepWindowWhileMinimized = gITunesControl = 0;
        gITunesLevel = 40;
        Arguments(c.args);
        EXPECT_EQ(STARTVALUES::ReadSwitches(), c.min);
        EXPECT_EQ(gSilentRelogin, c.silent);
        EXPECT_EQ(gKeepWindowWhileMinimized, c.keep);
        EXPECT_EQ(gITunesControl, c.itunes);
        EXPECT_EQ(gITunesLevel, c.level);
    }
    ORVAKAPP::ResetForTests();
    gSilentRelogin = gKeepWindowWhileMinimized = gITunesControl = 0;
    gITunesLevel = 40;
}
