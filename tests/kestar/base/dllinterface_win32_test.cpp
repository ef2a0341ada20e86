// DLLINTERFACE and resource texts: loading by full path (also a long one), entry points, and the
// language library's texts by number.
#include <gtest/gtest.h>

#include "kestar/base/dllinterface.h"
#include "kestar/base/osysresource.h"
#include "lang/resource_ids.h"
#include "tests/support/tempfolder_support.h"

#include <windows.h>

#include <string>

namespace {

std::string Str(const STRING &s)
{
    return s.Buffer ? std::string(s.Buffer, static_cast<size_t>(s.StrLen)) : std::string("<NULL>");
}

std::string SystemFile(const char *name)
{
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, sizeof(dir));
    return std::string(dir) + "\\" + name;
}

std::string ProgramFolder()
{
    char path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

} // namespace

TEST(DLLINTERFACE, LoadsASystemLibraryByFullPath)
{
    std::string kernel = SystemFile("kernel32.dll");
    DLLINTERFACE dll(kernel.c_str(), "GetTickCount");
    ASSERT_TRUE(dll.IsLoaded());
    EXPECT_EQ(Str(dll.GetDllName()), kernel);
    EXPECT_EQ(Str(dll.GetFunctionName()), "GetTickCount");
    void *bound = dll.GetFunction(nullptr);
    ASSERT_NE(bound, nullptr);
    EXPECT_EQ(bound, reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount")));
    auto pid = reinterpret_cast<DWORD(WINAPI *)()>(dll.GetFunction("GetCurrentProcessId"));
    ASSERT_NE(pid, nullptr);
    EXPECT_EQ(pid(), GetCurrentProcessId());
    EXPECT_EQ(dll.GetFunction("PlxNoSuchExport"), nullptr);

    EXPECT_FALSE(dll.Load(kernel.c_str(), "PlxNoSuchExport")); // loaded, but the entry point is missing
    EXPECT_TRUE(dll.IsLoaded());
    EXPECT_EQ(dll.GetFunction(nullptr), nullptr);
    EXPECT_FALSE(dll.Load(nullptr, nullptr)); // only unloads
    EXPECT_FALSE(dll.IsLoaded());
    EXPECT_EQ(dll.GetFunction("GetTickCount"), nullptr);

    DLLINTERFACE missing("plx-no-such-library.dll");
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_TRUE(DLLINTERFACE("user32.dll").Load("user32.dll", "SetProcessDPIAware"));
}

TEST(DLLINTERFACE, LoadsByAPathLongerThanItsOldNameField)
{
    TEMPFOLDER temp;
    std::string folder = temp.Path();
    while (folder.size() < 200)
        folder += "\\plx-a-rather-long-folder-name";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || true);
    // CreateDirectoryA makes one level at a time.
    std::string built = temp.Path();
    for (size_t pos = temp.Path().size() + 1; pos <= folder.size();) {
        size_t end = folder.find('\\', pos);
        if (end == std::string::npos)
            end = folder.size();
        built = folder.substr(0, end);
        CreateDirectoryA(built.c_str(), nullptr);
        pos = end + 1;
    }
    std::string copy = folder + "\\parlomatixenglish.dll";
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "parlomatixenglish.dll").c_str(), copy.c_str(), FALSE)) << copy;

    DLLINTERFACE dll(copy.c_str());
    ASSERT_TRUE(dll.IsLoaded()) << copy.size();
    EXPECT_EQ(Str(dll.GetDllName()), copy);
    char loaded[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(static_cast<HMODULE>(dll.GetModule()), loaded, sizeof(loaded));
    EXPECT_EQ(lstrcmpiA(std::string(loaded, n).c_str(), copy.c_str()), 0) << loaded;
    EXPECT_EQ(Str(OSYS::GetStringFromResource(IDS_APPNAME, dll.GetModule())), "Parlomatix");
    dll.Unload();
}

TEST(OSYSRESOURCE, GetStringFromResourceReadsTheLanguageLibrary)
{
    DLLINTERFACE lang((ProgramFolder() + "parlomatixenglish.dll").c_str());
    ASSERT_TRUE(lang.IsLoaded());
    OSYS::SetLanguageModule(lang.GetModule());
    EXPECT_EQ(Str(OSYS::GetStringFromResource(IDS_APPNAME)), "Parlomatix");
    EXPECT_EQ(Str(OSYS::GetStringFromResource(IDS_APPREGKEY, OSYS::LANGUAGE_MODULE)), "Parlomatix");
    EXPECT_EQ(Str(OSYS::GetStringFromResource(4)), "<STRING-ERROR>");
    OSYS::SetLanguageModule(nullptr);
    // Without a language library the program's own resources are asked; the test program has none.
    EXPECT_EQ(Str(OSYS::GetStringFromResource(IDS_APPNAME)), "<STRING-ERROR>");
    EXPECT_EQ(OSYS::GetLanguageModule(), nullptr);
}
