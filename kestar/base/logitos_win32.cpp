// The Win32 side of the log facility's private OS services (see logitos.h).
#include "kestar/base/logitos.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

namespace {

CRITICAL_SECTION gLogLock;
INIT_ONCE gLogLockOnce = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK InitLogLock(PINIT_ONCE, PVOID, PVOID *)
{
    InitializeCriticalSection(&gLogLock);
    return TRUE;
}

void FromFileTime(const FILETIME &ft, LOGITOS::DATETIME &t)
{
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&ft, &local) || !FileTimeToSystemTime(&local, &st)) {
        t = LOGITOS::DATETIME();
        return;
    }
    t.year = st.wYear;
    t.month = st.wMonth;
    t.day = st.wDay;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    t.millisecond = st.wMilliseconds;
}

bool FolderPath(int csidl, char *buffer, size_t size)
{
    char path[MAX_PATH] = {0};
    if (size == 0)
        return false;
    buffer[0] = 0;
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) || !path[0])
        return false;
    std::snprintf(buffer, size, "%s", path);
    return true;
}

} // namespace

namespace LOGITOS {

void LockLog()
{
    InitOnceExecuteOnce(&gLogLockOnce, InitLogLock, nullptr, nullptr);
    EnterCriticalSection(&gLogLock);
}

void UnlockLog()
{
    LeaveCriticalSection(&gLogLock);
}

unsigned long long Counter()
{
    LARGE_INTEGER v;
    QueryPerformanceCounter(&v);
    return static_cast<unsigned long long>(v.QuadPart);
}

unsigned long long CounterFrequency()
{
    LARGE_INTEGER v;
    QueryPerformanceFrequency(&v);
    return static_cast<unsigned long long>(v.QuadPart);
}

void *OpenLogFile(const char *name, bool append, bool writeThrough)
{
    DWORD flags = FILE_ATTRIBUTE_NORMAL | (writeThrough ? FILE_FLAG_WRITE_THROUGH : 0);
    HANDLE h = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS, flags,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    if (append)
        SetFilePointer(h, 0, nullptr, FILE_END);
    return h;
}

void *StdErrOutput()
{
    HANDLE h = GetStdHandle(STD_ERROR_HANDLE);
    return (h == INVALID_HANDLE_VALUE) ? nullptr : h;
}

void *OpenConsole(bool &allocated)
{
    // AllocConsole fails when the process has a console already; the log then goes to that one.
    allocated = AllocConsole() != 0;
    HANDLE h = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        if (allocated)
            FreeConsole();
        allocated = false;
        return nullptr;
    }
    return h;
}

void CloseOutput(void *handle, bool freeConsole)
{
    if (handle)
        CloseHandle(handle);
    if (freeConsole)
        FreeConsole();
}

bool WriteOutput(void *handle, const char *data, size_t length)
{
    DWORD written = 0;
    return WriteFile(handle, data, static_cast<DWORD>(length), &written, nullptr) && written == length;
}

void DebuggerOutput(const char *text)
{
    OutputDebugStringA(text);
}

bool AppendToFile(const char *name, const char *text)
{
    HANDLE h = CreateFileA(name, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    // A Windows text file: line feeds become CR LF.
    bool ok = true;
    const char *p = text;
    while (*p && ok) {
        const char *lf = std::strchr(p, '\n');
        size_t n = lf ? static_cast<size_t>(lf - p) : std::strlen(p);
        DWORD written = 0;
        if (n > 0)
            ok = WriteFile(h, p, static_cast<DWORD>(n), &written, nullptr) && written == n;
        if (ok && lf)
            ok = WriteFile(h, "\r\n", 2, &written, nullptr) && written == 2;
        p += n + (lf ? 1 : 0);
    }
    CloseHandle(h);
    return ok;
}

bool RemoveFile(const char *name)
{
    // Another process (a virus scanner, a backup, a folder copy) may hold the closed log open for a
    // moment; a temporary log must not stay behind because of that, so retry for up to a second.
    for (int attempt = 0;; attempt++) {
        if (DeleteFileA(name))
            return true;
        DWORD error = GetLastError();
        if (attempt >= 20 || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED))
            return false;
        Sleep(50);
    }
}

bool FileExists(const char *name)
{
    DWORD attr = GetFileAttributesA(name);
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsAbsolutePath(const char *name)
{
    if (!name || !name[0])
        return false;
    if (name[0] == '\\' || name[0] == '/')
        return true;
    return ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) && name[1] == ':' &&
           (name[2] == '\\' || name[2] == '/');
}

char PathSeparator()
{
    return '\\';
}

int LastErrorCode()
{
    return static_cast<int>(GetLastError());
}

void ErrorText(int code, char *buffer, size_t size)
{
    if (size == 0)
        return;
    buffer[0] = 0;
    if (code == 0)
        return;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(code), 0, buffer, static_cast<DWORD>(size), nullptr);
    if (n == 0) {
        std::snprintf(buffer, size, "error %d", code);
        return;
    }
    size_t len = std::strlen(buffer);
    while (len > 0 && (buffer[len - 1] == '\r' || buffer[len - 1] == '\n' || buffer[len - 1] == ' '))
        buffer[--len] = 0;
}

void LocalNow(DATETIME &now)
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    now.year = st.wYear;
    now.month = st.wMonth;
    now.day = st.wDay;
    now.hour = st.wHour;
    now.minute = st.wMinute;
    now.second = st.wSecond;
    now.millisecond = st.wMilliseconds;
}

bool DocumentsFolder(char *buffer, size_t size, bool allUsers)
{
    return FolderPath(allUsers ? CSIDL_COMMON_DOCUMENTS : CSIDL_PERSONAL, buffer, size);
}

bool DesktopFolder(char *buffer, size_t size)
{
    return FolderPath(CSIDL_DESKTOPDIRECTORY, buffer, size);
}

bool RunsAsSystemUser()
{
    char user[256];
    DWORD n = sizeof(user);
    if (!GetUserNameA(user, &n))
        return false;
    return lstrcmpiA(user, "SYSTEM") == 0;
}

bool ProgramPath(char *buffer, size_t size)
{
    if (size == 0)
        return false;
    DWORD n = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(size));
    if (n == 0 || n >= size) {
        buffer[0] = 0;
        return false;
    }
    return true;
}

bool FileSizeAndTime(const char *name, unsigned long &size, DATETIME &modified)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name, GetFileExInfoStandard, &data))
        return false;
    size = data.nFileSizeLow;
    FromFileTime(data.ftLastWriteTime, modified);
    return true;
}

bool AskYesNo(const char *caption, const char *text)
{
    int rc = MessageBoxA(nullptr, text, caption, MB_YESNO | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    return rc != IDNO;
}

void Beep(unsigned frequency, unsigned milliseconds)
{
    ::Beep(frequency, milliseconds);
}

void ExitProcess(int code)
{
    std::fflush(nullptr);
    ::ExitProcess(static_cast<UINT>(code));
}

} // namespace LOGITOS
