// The fax printer driver files on this Windows (see printerdriversystem.h).  The spooler and
// WOW64 calls are made here and nowhere else in the client, so they stay in this file.
#include <windows.h>

#include "client/printerdriversystem.h"

#include "kestar/base/logit.h"

namespace {

typedef BOOL(WINAPI *ISWOW64PROCESS)(HANDLE, PBOOL);
typedef BOOL(WINAPI *WOW64DISABLE)(PVOID *);
typedef BOOL(WINAPI *WOW64REVERT)(PVOID);

// Looked up at run time: older Windows lack the WOW64 functions.
FARPROC Kernel32Function(const char *name)
{
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    return kernel32 ? GetProcAddress(kernel32, name) : nullptr;
}

} // namespace

int GetWindowsVersionClass()
{
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info)) {
        LOGIT::Printf("GetVersionExA failed: %lu\n", GetLastError());
        return 5;
    }
    return DRIVERFILES::VersionClass(info.dwPlatformId == VER_PLATFORM_WIN32_NT, info.dwMajorVersion,
                                     info.dwMinorVersion);
}

bool CheckWow64()
{
    ISWOW64PROCESS isWow64 = reinterpret_cast<ISWOW64PROCESS>(Kernel32Function("IsWow64Process"));
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

int CopyPrinterDriverFiles(const char *sourceFolder, int checkOnly)
{
    PRINTERDRIVERSYSTEM system;
    return DRIVERFILES::Copy(system, sourceFolder, checkOnly != 0);
}

int CheckPrinterDriverFiles()
{
    return CopyPrinterDriverFiles(nullptr, 1);
}

PRINTERDRIVERSYSTEM::PRINTERDRIVERSYSTEM() : OldRedirection(nullptr), Switched(false)
{
}

PRINTERDRIVERSYSTEM::~PRINTERDRIVERSYSTEM()
{
    if (Switched)
        RevertRedirection();
}

int PRINTERDRIVERSYSTEM::GetVersionClass()
{
    return GetWindowsVersionClass();
}

bool PRINTERDRIVERSYSTEM::IsWow64()
{
    return CheckWow64();
}

STRING PRINTERDRIVERSYSTEM::GetDriverFolder()
{
    char folder[MAX_PATH * 2];
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(folder), sizeof(folder), &needed)) {
        LOGIT::Printf("GetPrinterDriverDirectoryA failed: %lu\n", GetLastError());
        return STRING("");
    }
    return STRING(folder);
}

STRING PRINTERDRIVERSYSTEM::GetSystemFolder()
{
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, sizeof(folder));
    if (length == 0 || length >= sizeof(folder)) {
        LOGIT::Printf("GetSystemDirectoryA failed: %lu\n", GetLastError());
        return STRING("");
    }
    return STRING(folder);
}

bool PRINTERDRIVERSYSTEM::DisableRedirection()
{
    WOW64DISABLE disable = reinterpret_cast<WOW64DISABLE>(Kernel32Function("Wow64DisableWow64FsRedirection"));
    if (Switched || !disable)
        return Switched;
    if (!disable(&OldRedirection)) {
        LOGIT::Printf("Wow64DisableWow64FsRedirection failed: %lu\n", GetLastError());
        return false;
    }
    Switched = true;
    return true;
}

void PRINTERDRIVERSYSTEM::RevertRedirection()
{
    WOW64REVERT revert = reinterpret_cast<WOW64REVERT>(Kernel32Function("Wow64RevertWow64FsRedirection"));
    if (!Switched || !revert)
        return;
    if (!revert(OldRedirection))
        LOGIT::Printf("Wow64RevertWow64FsRedirection failed: %lu\n", GetLastError());
    Switched = false;
}

bool PRINTERDRIVERSYSTEM::FileExists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool PRINTERDRIVERSYSTEM::CopyNew(const char *from, const char *to)
{
    if (!CopyFileA(from, to, TRUE)) {
        LOGIT::Printf("CopyFileA(%s) failed: %lu\n", to, GetLastError());
        return false;
    }
    return true;
}
