// OSYS::GetSystemPath on the registry's "Shell Folders" values and SHGetFolderPath.  The legacy
// key is what older installations and administrators redirect; the shell knows the folder even
// when that key is gone (fresh profiles, some Wine prefixes).
#include "kestar/base/osyspath.h"

#include "kestar/base/logit.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct SYSPATHROW {
    int Type;
    const char *Value;
    bool Machine;
    const char *Key; // null: kShellFolders
    int FolderId;
};

const SYSPATHROW kRows[] = {
    {0, "Programs", false, nullptr, CSIDL_PROGRAMS},
    {1, "Startup", false, nullptr, CSIDL_STARTUP},
    {2, "ProgramFilesDir", true, "Software\\Microsoft\\Windows\\CurrentVersion", CSIDL_PROGRAM_FILES},
    {5, "AppData", false, nullptr, CSIDL_APPDATA},
    {6, "Personal", false, nullptr, CSIDL_PERSONAL},
    {14, "Personal", false, nullptr, CSIDL_PERSONAL},
    {18, "Personal", false, nullptr, CSIDL_PERSONAL},
    {19, "Personal", false, nullptr, CSIDL_PERSONAL},
    {7, "My Pictures", false, nullptr, CSIDL_MYPICTURES},
    {8, "Desktop", false, nullptr, CSIDL_DESKTOPDIRECTORY},
    {9, "SendTo", false, nullptr, CSIDL_SENDTO},
    {10, "Common Programs", true, nullptr, CSIDL_COMMON_PROGRAMS},
    {11, "Common Startup", true, nullptr, CSIDL_COMMON_STARTUP},
    {12, "Common Documents", true, nullptr, CSIDL_COMMON_DOCUMENTS},
    {13, "Common AppData", true, nullptr, CSIDL_COMMON_APPDATA},
    {22, "Local AppData", false, nullptr, CSIDL_LOCAL_APPDATA},
};

bool OldWindowsFamily()
{
    return (GetVersion() & 0x80000000u) != 0;
}

} // namespace

namespace OSYS {

STRING GetSystemPathFrom(void *root, const char *key, const char *value, int folderId)
{
    char buf[1024];
    buf[0] = 0;
    DWORD size = sizeof(buf) - 1;
    HKEY hkey = nullptr;
    LONG rc = RegOpenKeyExA(static_cast<HKEY>(root), key, 0, KEY_READ, &hkey);
    if (rc == ERROR_SUCCESS) {
        DWORD type = REG_NONE;
        rc = RegQueryValueExA(hkey, value, nullptr, &type, reinterpret_cast<BYTE *>(buf), &size);
        RegCloseKey(hkey);
        if (rc == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ)
            rc = ERROR_INVALID_DATA;
        if (rc == ERROR_SUCCESS)
            buf[size < sizeof(buf) ? size : sizeof(buf) - 1] = 0;
        else
            buf[0] = 0;
    }
    // A missing key, a missing value or a bare drive ("C:") is not a folder: ask the shell.
    if ((rc != ERROR_SUCCESS || std::strlen(buf) < 3 || size < 3) && folderId >= 0) {
        buf[0] = 0;
        if (SUCCEEDED(SHGetFolderPathA(nullptr, folderId | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, buf)) &&
            buf[0])
            rc = ERROR_SUCCESS;
        else if (rc == ERROR_SUCCESS)
            rc = ERROR_FILE_NOT_FOUND;
    }
    std::string result;
    if (rc == ERROR_SUCCESS) {
        char expanded[1024];
        DWORD n = ExpandEnvironmentStringsA(buf, expanded, sizeof(expanded));
        result = (n > 0 && n <= sizeof(expanded)) ? expanded : buf;
        while (!result.empty() && (result.back() == '\\' || result.back() == '/'))
            result.pop_back();
        result += '\\';
    }
    return STRING(result.c_str());
}

STRING GetSystemPath(int type)
{
    LOGIT::Printf("[>>]OSYS::GetSystemPath %d\n", type);
    const SYSPATHROW *row = nullptr;
    for (const SYSPATHROW &r : kRows)
        if (r.Type == type)
            row = &r;
    STRING result("");
    if (!row) {
        LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, "GetSystemPath type", 0);
    } else {
        const char *value = row->Value;
        int folderId = row->FolderId;
        if (type == 12 && OldWindowsFamily()) {
            value = "Common AppData";
            folderId = CSIDL_COMMON_APPDATA;
        }
        HKEY root = row->Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        result = GetSystemPathFrom(root, row->Key ? row->Key : kShellFolders, value, folderId);
        int rc = result.NotEmpty() ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        char info[64];
        std::snprintf(info, sizeof(info), "GetSystemPath %d", type);
        LOGIT::Assert(rc == ERROR_SUCCESS ? 1 : 0, "rc==ERROR_SUCCESS", __FILE__, __LINE__, info, 1);
    }
    LOGIT::Printf("OSYS::GetSystemPath type %d -> '%s'\n", type, result.Buffer ? static_cast<const char *>(result.Buffer) : "");
    LOGIT::Printf("[<<]OSYS::GetSystemPath done\n");
    return result;
}

} // namespace OSYS
