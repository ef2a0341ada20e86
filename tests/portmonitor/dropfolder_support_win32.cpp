// Helpers of the port monitor's Windows tests (see dropfolder_support.h).
#include "tests/portmonitor/dropfolder_support.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "kestar/media/sffcodec.h"

namespace {

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kValue[] = "Common AppData";

} // namespace

DROPFOLDER::DROPFOLDER(bool remove) : removed(remove), hadValue(false)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kShellFolders, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    char old[1024];
    DWORD size = sizeof(old), type = 0;
    if (RegQueryValueExA(key, kValue, nullptr, &type, reinterpret_cast<BYTE *>(old), &size) == ERROR_SUCCESS) {
        hadValue = true;
        oldValue.assign(old, size > 0 && old[size - 1] == 0 ? size - 1 : size);
    }
    if (remove)
        RegDeleteValueA(key, kValue);
    else
        RegSetValueExA(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE *>(Root().c_str()),
                       static_cast<DWORD>(Root().size() + 1));
    RegCloseKey(key);
}

DROPFOLDER::~DROPFOLDER()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kShellFolders, 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    if (hadValue)
        RegSetValueExA(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE *>(oldValue.c_str()),
                       static_cast<DWORD>(oldValue.size() + 1));
    else
        RegDeleteValueA(key, kValue);
    RegCloseKey(key);
    if (removed)
        Clear();
}

std::string DROPFOLDER::Folder() const
{
    std::string root = Root();
    if (removed) {
        char shell[MAX_PATH] = "";
        SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, shell);
        root = shell;
    }
    if (!root.empty() && root.back() == '\\')
        root.pop_back();
    return root + "\\Orvak\\Parlomatix";
}

std::vector<std::string> DROPFOLDER::Files(const char *pattern) const
{
    std::vector<std::string> files;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((Folder() + "\\" + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(Folder() + "\\" + data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(files.begin(), files.end());
    return files;
}

void DROPFOLDER::Clear() const
{
    for (const std::string &file : Files("*"))
        DeleteFileA(file.c_str());
}

std::vector<faxtest::Page> SffPages(const std::string &path)
{
    std::string bytes = ReadWholeFile(path);
    std::vector<unsigned char> base;
    SFFCODEC::Sff2Bmp(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), base);
    return faxtest::FromBase(std::vector<uint8_t>(base.begin(), base.end()));
}

std::string ThisUser()
{
    char name[256];
    DWORD size = sizeof(name);
    return GetUserNameA(name, &size) ? std::string(name) : std::string();
}
