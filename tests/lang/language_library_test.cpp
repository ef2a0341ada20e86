// The language libraries lie in the program folder and give their texts by number.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "lang/resource_ids.h"

namespace {

std::string ProgramFolder()
{
    char path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string Text(HMODULE lib, UINT id)
{
    char buf[512];
    int n = LoadStringA(lib, id, buf, sizeof(buf));
    return std::string(buf, n > 0 ? n : 0);
}

} // namespace

TEST(LanguageLibrary, EnglishGivesNameAndKey)
{
    std::string path = ProgramFolder() + "parlomatixenglish.dll";
    HMODULE lib = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(lib, nullptr) << path << " error " << GetLastError();
    EXPECT_EQ(Text(lib, IDS_APPNAME), "Parlomatix");
    EXPECT_EQ(Text(lib, IDS_APPREGKEY), "Parlomatix");
    EXPECT_EQ(Text(lib, 4), "");   // an unknown number has no text
    FreeLibrary(lib);
}

TEST(LanguageLibrary, LoadsAsModule)
{
    std::string path = ProgramFolder() + "parlomatixenglish.dll";
    HMODULE lib = LoadLibraryA(path.c_str());
    ASSERT_NE(lib, nullptr) << path << " error " << GetLastError();
    EXPECT_EQ(Text(lib, IDS_APPNAME), "Parlomatix");
    FreeLibrary(lib);
}
