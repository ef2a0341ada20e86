// The portable path rules of the work folder: inside-or-same and the rebasing of stored paths.
#include "kestar/base/workdir.h"

#include <gtest/gtest.h>

#include <string>

TEST(WORKDIR, SameOrInsideTable)
{
    struct CASE {
        const char *folder;
        const char *base;
        bool inside;
    } cases[] = {
        {"C:\\Data", "C:\\Data", true},          {"c:\\data\\", "C:\\Data", true},
        {"C:\\Data\\New", "C:\\Data", true},      {"C:\\Data/New/Deeper", "c:\\data\\", true},
        {"C:\\DataNew", "C:\\Data", false},       {"C:\\Dat", "C:\\Data", false},
        {"D:\\Data", "C:\\Data", false},          {"C:\\Other\\Data", "C:\\Data", false},
        {"C:\\anything", "C:\\", true},           {"", "C:\\Data", false},
        {"C:\\Data", "", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(WORKDIR::IsSameOrInside(c.folder, c.base), c.inside) << c.folder << " in " << c.base;
}

TEST(WORKDIR, RebaseFolderTable)
{
    struct CASE {
        const char *oldPrefix;
        const char *newPrefix;
        const char *path;
        bool rebased;
        const char *result;
    } cases[] = {
        {"C:\\Old", "D:\\New", "C:\\Old\\faxes\\a.sff", true, "D:\\New\\faxes\\a.sff"},
        {"c:\\old\\", "D:\\New\\", "C:\\OLD\\a.ini", true, "D:\\New\\a.ini"},
        {"C:\\Old", "D:\\New", "C:\\Old", true, "D:\\New"},
        {"C:\\Old", "D:\\New", "C:\\Older\\a.ini", false, "C:\\Older\\a.ini"}, // only whole folder names
        {"C:\\Old", "D:\\New", "E:\\Old\\a.ini", false, "E:\\Old\\a.ini"},
        {"C:\\", "D:\\New", "C:\\a.ini", true, "D:\\New\\a.ini"},
    };
    for (const auto &c : cases) {
        STRING path(c.path);
        EXPECT_EQ(WORKDIR::RebaseFolder(c.oldPrefix, c.newPrefix, path), c.rebased) << c.path;
        EXPECT_EQ(std::string(path), c.result);
    }
}
