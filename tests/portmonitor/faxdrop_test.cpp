// FAXDROP: spool names, and files that arrive whole under a name no other file had.
#include <gtest/gtest.h>

#include <string>

#include "kestar/base/filesearch.h"
#include "portmonitor/faxdrop.h"
#include "tests/support/faxpages_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

// Drop writes "\"-separated paths; the native file layer maps them, the tests' helpers do not.
std::string Native(std::string path)
{
#if !defined(_WIN32)
    for (char &c : path)
        if (c == '\\')
            c = '/';
#endif
    return path;
}

std::string Read(const std::string &path)
{
    return ReadWholeFile(Native(path));
}

bool WriteText(const std::string &path, const std::string &text)
{
    return faxtest::WriteFile(Native(path), std::vector<uint8_t>(text.begin(), text.end()));
}

std::string Std(const STRING &s)
{
    return s.IsNull() ? std::string() : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

// The spool file at `time` in the scratch folder, as Drop names it.
std::string Spool(const TEMPFOLDER &folder, const char *user, int32_t time, int pages)
{
    return Std(FAXDROP::SpoolName(STRING(folder.Path().c_str()), STRING(user), time, pages));
}

bool Drop(const TEMPFOLDER &folder, const char *user, int32_t time, int pages, const std::string &bytes,
          std::string *name)
{
    STRING written;
    bool ok = FAXDROP::Drop(STRING(folder.Path().c_str()), STRING(user), time, pages, bytes.data(), bytes.size(),
                            &written);
    if (name)
        *name = Std(written);
    return ok;
}

} // namespace

TEST(PORTMONITOR_FAXDROP, SpoolNameFormat)
{
    EXPECT_EQ(Std(FAXDROP::SpoolName(STRING("C:\\Data\\Orvak\\Parlomatix"), STRING("anna"), 1700000000, 3)),
              "C:\\Data\\Orvak\\Parlomatix\\plxfax_anna_1700000000_3.sff");
    // A user name with "_" stays as it is; the client reads the fields from the right.
    EXPECT_EQ(Std(FAXDROP::SpoolName(STRING("D:"), STRING("a_b"), -1, 0)), "D:\\plxfax_a_b_-1_0.sff");
    STRING temp = FAXDROP::TempName(STRING("D:\\x"));
    EXPECT_EQ(Std(temp).rfind("D:\\x\\plxtmp_", 0), 0u) << Std(temp);
    EXPECT_EQ(Std(temp).substr(Std(temp).size() - 4), ".tmp");
    EXPECT_NE(Std(temp), Std(FAXDROP::TempName(STRING("D:\\x")))) << "a new name per call";
}

TEST(PORTMONITOR_FAXDROP, FileArrivesWholeUnderItsSpoolName)
{
    TEMPFOLDER folder;
    std::string bytes(100000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    std::string name;
    ASSERT_TRUE(Drop(folder, "anna", 1000, 2, bytes, &name));
    EXPECT_EQ(name, Spool(folder, "anna", 1000, 2));
    EXPECT_EQ(Read(name), bytes);
    // Nothing else is left in the folder.
    int files = 0;
    for (FILESEARCH search((folder.Path() + "\\*").c_str()); search.Found(); search.Next())
        if (!search.IsDirectory())
            ++files;
    EXPECT_EQ(files, 1);
}

TEST(PORTMONITOR_FAXDROP, TakenNamesAreNeverReplaced)
{
    TEMPFOLDER folder;
    // Files the test made for the next seconds: the new file takes the first free time.
    for (int32_t t = 2000; t < 2003; ++t)
        ASSERT_TRUE(WriteText(Spool(folder, "bob", t, 1), "older fax " + std::to_string(t)));
    std::string name;
    ASSERT_TRUE(Drop(folder, "bob", 2000, 1, "new fax", &name));
    EXPECT_EQ(name, Spool(folder, "bob", 2003, 1));
    EXPECT_EQ(Read(name), "new fax");
    for (int32_t t = 2000; t < 2003; ++t)
        EXPECT_EQ(Read(Spool(folder, "bob", t, 1)), "older fax " + std::to_string(t));

    // Two jobs in the same second give two files.
    std::string first, second;
    ASSERT_TRUE(Drop(folder, "bob", 3000, 1, "one", &first));
    ASSERT_TRUE(Drop(folder, "bob", 3000, 1, "two", &second));
    EXPECT_NE(first, second);
    EXPECT_EQ(Read(first), "one");
    EXPECT_EQ(Read(second), "two");
    // Another page count is another name.
    ASSERT_TRUE(Drop(folder, "bob", 3000, 2, "three", &name));
    EXPECT_EQ(name, Spool(folder, "bob", 3000, 2));
}

TEST(PORTMONITOR_FAXDROP, MissingFolderFailsAndLeavesNothing)
{
    TEMPFOLDER folder;
    std::string missing = folder.Path() + "\\missing";
    STRING written("unchanged");
    EXPECT_FALSE(FAXDROP::Drop(STRING(missing.c_str()), STRING("anna"), 1, 1, "x", 1, &written));
    EXPECT_EQ(Std(written), "unchanged");
}
