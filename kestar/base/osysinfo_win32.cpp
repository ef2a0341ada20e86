// The Win32 half of the OSYS system information and one-call services.
#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "kestar/base/logit.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/registry.h"

namespace {

// ntdll's RtlGetVersion reports the version the system runs; GetVersionEx reports what the
// program's manifest declares it supports (Windows 8 without supportedOS entries).
typedef LONG(WINAPI *RTLGETVERSION)(OSVERSIONINFOW *);

int QueryOsVersionId()
{
    OSVERSIONINFOEXW info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    RTLGETVERSION rtlGetVersion =
        ntdll ? reinterpret_cast<RTLGETVERSION>(reinterpret_cast<void *>(GetProcAddress(ntdll, "RtlGetVersion")))
              : nullptr;
    if (rtlGetVersion != nullptr && rtlGetVersion(reinterpret_cast<OSVERSIONINFOW *>(&info)) == 0) {
        return OSYS::OsVersionId(info.dwPlatformId == VER_PLATFORM_WIN32_NT, info.dwMajorVersion,
                                 info.dwMinorVersion);
    }
    OSVERSIONINFOA old;
    std::memset(&old, 0, sizeof old);
    old.dwOSVersionInfoSize = sizeof old;
    if (!GetVersionExA(&old)) {
        LOGIT::Printf("OSYS::GetOsVersionId GetVersionExA failed: %lu\n", GetLastError());
        return 1;
    }
    return OSYS::OsVersionId(old.dwPlatformId == VER_PLATFORM_WIN32_NT, old.dwMajorVersion,
                             old.dwMinorVersion);
}

// Clipboard data block of bytes; null on failure.  The clipboard owns it once SetClipboardData
// accepted it.
HGLOBAL NewGlobal(const void *data, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) {
        return nullptr;
    }
    void *target = GlobalLock(block);
    if (target == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, data, size);
    GlobalUnlock(block);
    return block;
}

bool PutOnClipboard(UINT format, const void *data, size_t size)
{
    HGLOBAL block = NewGlobal(data, size);
    if (block == nullptr) {
        LOGIT::Printf("OSYS::CopyToClipboard GlobalAlloc(%u) failed: %lu\n", static_cast<unsigned>(size),
                      GetLastError());
        return false;
    }
    if (SetClipboardData(format, block) == nullptr) {
        LOGIT::Printf("OSYS::CopyToClipboard SetClipboardData(%u) failed: %lu\n", format, GetLastError());
        GlobalFree(block);
        return false;
    }
    return true;
}

} // namespace

namespace OSYS {

int GetOsVersionId()
{
    if (GetOsVersionIdOverride() != -1)
        return GetOsVersionIdOverride();
    static const int id = QueryOsVersionId();
    return id;
}

STRING GetUserName()
{
    char name[256];
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) {
        LOGIT::Printf("OSYS::GetUserName failed: %lu\n", GetLastError());
        STRING empty;
        empty.SetNotNull();
        return empty;
    }
    return STRING(name);
}

STRING GetComputerName()
{
    char name[256];
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) {
        LOGIT::Printf("OSYS::GetComputerName failed: %lu\n", GetLastError());
        return STRING("<N/A>");
    }
    return STRING(name);
}

STRING GetProgramFile()
{
    char path[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    // A path that filled the buffer was cut off: a wrong path is worse than none.
    if (length == 0 || length >= sizeof path) {
        LOGIT::Printf("OSYS::GetProgramFile failed: %lu\n", GetLastError());
        STRING empty;
        empty.SetNotNull();
        return empty;
    }
    path[length] = '\0';
    return STRING(path);
}

STRING GetLastErrorString(int code)
{
    const DWORD saved = GetLastError();
    const DWORD error = code == LASTERROR ? saved : static_cast<DWORD>(code);
    char text[256] = "<no error>";
    char message[256];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                  error, 0, message, sizeof message, nullptr);
    if (length > 0 && length < sizeof message) {
        while (length > 0 && (message[length - 1] == '\r' || message[length - 1] == '\n')) {
            length--;
        }
        message[length] = '\0';
        std::memcpy(text, message, length + 1);
    }
    SetLastError(saved);
    return STRING(text);
}

bool GetPerformanceCounter(int64_t *counter, int64_t *frequency)
{
    bool ok = true;
    LARGE_INTEGER value;
    if (counter != nullptr) {
        ok = QueryPerformanceCounter(&value) != 0 && ok;
        *counter = ok ? value.QuadPart : 0;
    }
    if (frequency != nullptr) {
        bool read = QueryPerformanceFrequency(&value) != 0;
        *frequency = read ? value.QuadPart : 0;
        ok = read && ok;
    }
    return ok;
}

STRING GetCurrentDirectory()
{
    char path[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof path, path);
    if (length == 0 || length >= sizeof path) {
        LOGIT::Printf("OSYS::GetCurrentDirectory failed: %lu (length %lu)\n", GetLastError(), length);
        STRING empty;
        empty.SetNotNull();
        return empty;
    }
    return STRING(path);
}

bool SetCurrentDirectory(const char *path)
{
    if (path == nullptr || !SetCurrentDirectoryA(path)) {
        LOGIT::Printf("OSYS::SetCurrentDirectory %s failed: %lu\n", path ? path : "<null>", GetLastError());
        return false;
    }
    return true;
}

uint32_t GetSysColor(int index)
{
    return static_cast<uint32_t>(::GetSysColor(index));
}

bool CopyToClipboard(const char *text)
{
    if (text == nullptr) {
        LOGIT::Printf("OSYS::CopyToClipboard without a text\n");
        return false;
    }
    // The system's texts are code page 1252.  Handed over as Unicode and as OEM text made from
    // it, every reader gets the same characters; 1252 bytes labelled as OEM text would turn
    // every accented letter into another one.
    int wideLength = MultiByteToWideChar(1252, 0, text, -1, nullptr, 0);
    if (wideLength <= 0) {
        LOGIT::Printf("OSYS::CopyToClipboard MultiByteToWideChar failed: %lu\n", GetLastError());
        return false;
    }
    std::vector<wchar_t> wide(static_cast<size_t>(wideLength));
    MultiByteToWideChar(1252, 0, text, -1, wide.data(), wideLength);
    int oemLength = WideCharToMultiByte(CP_OEMCP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> oem(static_cast<size_t>(oemLength > 0 ? oemLength : 1), '\0');
    if (oemLength > 0) {
        WideCharToMultiByte(CP_OEMCP, 0, wide.data(), -1, oem.data(), oemLength, nullptr, nullptr);
    }

    // Another program may hold the clipboard for a moment.
    bool open = false;
    for (int attempt = 0; attempt < 10 && !open; attempt++) {
        open = OpenClipboard(nullptr) != 0;
        if (!open) {
            Sleep(10);
        }
    }
    if (!open) {
        LOGIT::Printf("OSYS::CopyToClipboard OpenClipboard failed: %lu\n", GetLastError());
        return false;
    }
    bool ok = EmptyClipboard() != 0;
    if (!ok) {
        LOGIT::Printf("OSYS::CopyToClipboard EmptyClipboard failed: %lu\n", GetLastError());
    }
    ok = ok && PutOnClipboard(CF_UNICODETEXT, wide.data(), wide.size() * sizeof(wchar_t));
    ok = ok && PutOnClipboard(CF_OEMTEXT, oem.data(), oem.size());
    CloseClipboard();
    return ok;
}

bool SetAutostart(const char *valueName, const char *command)
{
    LOGIT::Printf("OSYS::SetAutostart %s %s\n", valueName ? valueName : "<null>",
                  command == AUTOSTART_SELF ? "<self>" : command ? command : "<null>");
    if (valueName == nullptr) {
        return false;
    }
    REGISTRY key(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", nullptr,
                 REGISTRY::MODE_CREATE);
    if (!key.IsOpen()) {
        return false;
    }
    if (command == nullptr) {
        // Asked for no autostart: done also when there was none.
        STRING old;
        return key.DeleteValue(valueName) || !key.ReadString(valueName, old);
    }
    STRING self = GetProgramFile();
    const bool own = command == AUTOSTART_SELF || lstrcmpiA(command, "<self>") == 0 ||
                     lstrcmpiA(command, "<ownfile>") == 0 || (self.NotEmpty() && lstrcmpiA(command, self) == 0);
    if (!own) {
        return key.WriteString(valueName, command);
    }
    if (self.IsEmpty()) {
        return false;
    }
    STRING quoted;
    quoted.Format("\"%s\"", static_cast<const char *>(self));
    return key.WriteString(valueName, quoted);
}

STRING GetListSeparator()
{
    char separator[16] = {0};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLIST, separator, sizeof separator) <= 0 || !separator[0]) {
        LOGIT::Printf("OSYS::GetListSeparator GetLocaleInfo failed: %lu\n", GetLastError());
        return STRING(",");
    }
    return STRING(separator);
}

bool PlaySoundFile(const char *file, bool wait)
{
    LOGIT::Printf("OSYS::PlaySoundFile %s (wait= %d)\n", file ? file : "<null>", wait ? 1 : 0);
    // A null name would stop the sound that is playing instead of playing one.
    BOOL ok = file != nullptr &&
              PlaySoundA(file, nullptr, SND_FILENAME | SND_NODEFAULT | SND_NOSTOP | (wait ? SND_SYNC : SND_ASYNC));
    if (!ok) {
        LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, "OSYS::Playsound failed", 1);
        return false;
    }
    return true;
}

void WakeupHarddisk(const char *folder)
{
    if (folder == nullptr) {
        return;
    }
    char path[MAX_PATH];
    size_t length = std::strlen(folder);
    const char *separator = length > 0 && (folder[length - 1] == '\\' || folder[length - 1] == '/') ? "" : "\\";
    if (length + std::strlen(separator) + std::strlen("wakeup_harddisk.tmp") >= sizeof path) {
        LOGIT::Printf("OSYS::WakeupHarddisk folder too long: %s\n", folder);
        return;
    }
    wsprintfA(path, "%s%swakeup_harddisk.tmp", folder, separator);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        LOGIT::Printf("OSYS::WakeupHarddisk CreateFileA(%s) failed: %lu\n", path, GetLastError());
        return;
    }
    DWORD written = 0;
    WriteFile(file, "Time to Wakeup", 14, &written, nullptr);
    CloseHandle(file);
    DeleteFileA(path);
}

namespace {

BOOL CALLBACK CloseVisibleWindow(HWND window, LPARAM)
{
    if (IsWindowVisible(window)) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

} // namespace

void WakeupScreensaver()
{
    LOGIT::Printf("OSYS::WakeupScreensaver\n");
    if (GetOsVersionId() <= 0) {
        // The old Windows family runs its screen saver on the normal desktop: a key press ends it.
        keybd_event(VK_SHIFT, 69, KEYEVENTF_EXTENDEDKEY, 0);
        keybd_event(VK_SHIFT, 69, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
        return;
    }
    HDESK desktop = OpenDesktopA("Screen-saver", 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_WRITEOBJECTS);
    if (desktop == nullptr) {
        return;
    }
    EnumDesktopWindows(desktop, CloseVisibleWindow, 0);
    CloseDesktop(desktop);
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_SENDWININICHANGE);
}

} // namespace OSYS
