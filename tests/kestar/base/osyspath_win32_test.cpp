// OSYS::GetSystemPath and the placeholders that rest on it.
#include <gtest/gtest.h>

#include "kestar/base/filename.h"
#include "kestar/base/osyspath.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace {

std::string Str(const STRING &s)
{
    return s.Buffer ? std::string(s.Buffer, static_cast<size_t>(s.StrLen)) : std::string("<NULL>");
}

std::string ShellFolder(int id)
{
    char buf[MAX_PATH];
    if (FAILED(SHGetFolderPathA(nullptr, id | CSIDL_FLAG_CREATE, nullptr, 0, buf)))
        return std::string();
    return std::string(buf) + "\\";
}

class SYSPATHKEY : public ::testing::Test {
protected:
    void SetUp() override
    {
        static LONG counter = 0;
        path = "Software\\Orvak\\PlxPathTest-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(InterlockedIncrement(&counter));
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        RegCloseKey(key);
        RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    }
    void Set(const char *name, DWORD type, const char *text)
    {
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(text),
                                 static_cast<DWORD>(strlen(text) + 1)),
                  ERROR_SUCCESS);
    }
    HKEY key = nullptr;
    std::string path;
};

} // namespace

TEST(OSYSPATH, GetSystemPathEndsInOneBackslash)
{
    for (int type : {0, 1, 2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 18, 19, 22}) {
        std::string p = Str(OSYS::GetSystemPath(type));
        ASSERT_GE(p.size(), 4u) << type << ": " << p;
        EXPECT_EQ(p.back(), '\\') << type;
        EXPECT_NE(p[p.size() - 2], '\\') << type;
        EXPECT_EQ(p.find('%'), std::string::npos) << type << ": " << p; // references expanded
    }
    EXPECT_EQ(Str(OSYS::GetSystemPath(6)), Str(OSYS::GetSystemPath(14)));
    EXPECT_EQ(Str(OSYS::GetSystemPath(3)), ""); // no such type
}

TEST_F(SYSPATHKEY, FallsBackToTheShellWhenTheRegistryCannotTell)
{
    std::string appdata = ShellFolder(CSIDL_APPDATA);
    ASSERT_FALSE(appdata.empty());
    // The key cannot be opened.
    EXPECT_EQ(Str(OSYS::GetSystemPathFrom(HKEY_CURRENT_USER, (path + "\\missing").c_str(), "AppData", CSIDL_APPDATA)), appdata);
    // The value is missing, or only a bare drive.
    EXPECT_EQ(Str(OSYS::GetSystemPathFrom(HKEY_CURRENT_USER, path.c_str(), "AppData", CSIDL_APPDATA)), appdata);
    Set("Drive", REG_SZ, "C:");
    EXPECT_EQ(Str(OSYS::GetSystemPathFrom(HKEY_CURRENT_USER, path.c_str(), "Drive", CSIDL_APPDATA)), appdata);
    // Without a shell folder there is nothing to fall back to.
    EXPECT_EQ(Str(OSYS::GetSystemPathFrom(HKEY_CURRENT_USER, path.c_str(), "AppData", -1)), "");
}

TEST_F(SYSPATHKEY, RegistryValuesAreExpandedAndEndInOneBackslash)
{
    Set("Slashes", REG_SZ, "C:\\plx\\dir\\\\");
    Set("Plain", REG_SZ, "D:\\data");
    Set("Expand", REG_EXPAND_SZ, "%SystemRoot%\\plx");
    EXPECT_EQ(Str(OSYS::GetSystemPathFrom(HKEY_CURRENT_USER, path.c_str(), "Slashes", CSIDL_APPDATA)), "C:\\plx\\dir\\");
    EXPECT_EQ(Str(OSYS::GetSystemPathFrom(HKEY_CURRENT_USER, path.c_str(), "Plain", CSIDL_APPDATA)), "D:\\data\\");
    char root[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableA("SystemRoot", root, sizeof(root)), 0u);
    EXPECT_EQ(Str(OSYS::GetSystemPathFrom(HKEY_CURRENT_USER, path.c_str(), "Expand", CSIDL_APPDATA)),
              std::string(root) + "\\plx\\");
}

TEST(FILENAME, PlatformPlaceholders)
{
    std::string appdata = Str(OSYS::GetSystemPath(5));
    appdata.pop_back();
    EXPECT_EQ(std::string(FILENAME("%APPDATA%\\Orvak\\x.ini").Text()), appdata + "\\Orvak\\x.ini");
    std::string common = Str(OSYS::GetSystemPath(13));
    common.pop_back();
    EXPECT_EQ(std::string(FILENAME("%ALLUSERAPPDATA%\\Orvak").Text()), common + "\\Orvak");
    std::string docs = Str(OSYS::GetSystemPath(14));
    docs.pop_back();
    EXPECT_EQ(std::string(FILENAME("%USERDOCUMENTS%").Text()), docs);

    char user[256];
    DWORD n = sizeof(user);
    ASSERT_TRUE(GetUserNameA(user, &n));
    EXPECT_EQ(std::string(FILENAME("C:\\x\\%USERNAME%.log").Text()), std::string("C:\\x\\") + user + ".log");
    char computer[256];
    n = sizeof(computer);
    ASSERT_TRUE(GetComputerNameA(computer, &n));
    EXPECT_EQ(std::string(FILENAME("C:\\%COMPUTERNAME%").Text()), std::string("C:\\") + computer);

    char self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof(self)), 0u);
    EXPECT_EQ(std::string(FILENAME("<self>").Text()), self);

    // "<tmp>" follows the environment variable as it is now.
    char old[MAX_PATH] = "";
    DWORD had = GetEnvironmentVariableA("TEMP", old, sizeof(old));
    std::string folder = ShellFolder(CSIDL_APPDATA);
    folder.pop_back();
    SetEnvironmentVariableA("TEMP", folder.c_str());
    FILENAME tmp("<tmp>");
    SetEnvironmentVariableA("TEMP", had ? old : nullptr);
    EXPECT_EQ(std::string(tmp.GetFolder().Text()), folder);
}
