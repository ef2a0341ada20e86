// The file-system layer on Win32: the A functions (paths are code page 1252 text) and the
// msvcrt stream calls.  Each failure keeps the system's text for the error on the calling thread.
#include "kestar/base/fsys.h"

#include <windows.h>
#include <io.h>
#include <share.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace FSYS {

namespace {

thread_local std::string tLastError;

void KeepWin32Error(DWORD code)
{
    char buf[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                             0, buf, sizeof(buf), nullptr);
    while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' || buf[n - 1] == ' '))
        n--;
    if (n == 0)
        tLastError = "error " + std::to_string(code);
    else
        tLastError.assign(buf, n);
}

bool Failed()
{
    KeepWin32Error(GetLastError());
    return false;
}

// Calls a GetXxxPathName style function, growing the buffer when the answer does not fit.
template <typename F> bool PathCall(F call, const char *path, std::string &out)
{
    std::vector<char> buf(MAX_PATH);
    for (;;) {
        DWORD n = call(path, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return Failed();
        if (n < buf.size()) {
            out.assign(buf.data(), n);
            return true;
        }
        buf.resize(n + 1);
    }
}

struct WALK {
    HANDLE Handle;
};

void Fill(const WIN32_FIND_DATAA &fd, FINDENTRY &entry)
{
    entry.Name = fd.cFileName;
    entry.Attributes = static_cast<long>(fd.dwFileAttributes);
    entry.Size = (static_cast<int64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
}

} // namespace

std::string LastErrorText()
{
    return tLastError;
}

long Attributes(const char *path)
{
    DWORD a = GetFileAttributesA(path);
    if (a == INVALID_FILE_ATTRIBUTES) {
        Failed();
        return -1;
    }
    return static_cast<long>(a);
}

PROBE Probe(const char *path)
{
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return PROBE_EXISTS;
    DWORD err = GetLastError();
    KeepWin32Error(err);
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND)
        return PROBE_MISSING;
    return PROBE_ERROR;
}

int64_t Size(const char *path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        Failed();
        return -1;
    }
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool FullPath(const char *path, std::string &out)
{
    return PathCall([](const char *p, char *b, DWORD n) { return GetFullPathNameA(p, n, b, nullptr); },
                    path, out);
}

bool LongPath(const char *path, std::string &out)
{
    return PathCall([](const char *p, char *b, DWORD n) { return GetLongPathNameA(p, b, n); }, path, out);
}

int DriveType(const char *root)
{
    return static_cast<int>(GetDriveTypeA(root));
}

bool Remove(const char *path)
{
    return DeleteFileA(path) ? true : Failed();
}

bool MakeDir(const char *path)
{
    return CreateDirectoryA(path, nullptr) ? true : Failed();
}

bool RemoveDir(const char *path)
{
    return RemoveDirectoryA(path) ? true : Failed();
}

bool Rename(const char *from, const char *to, bool replace)
{
    // Windows refuses to replace a read-only file, Wine does not: refuse it on both.
    const DWORD attributes = replace && to ? GetFileAttributesA(to) : INVALID_FILE_ATTRIBUTES;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return Failed();
    }
    DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    return MoveFileExA(from, to, flags) ? true : Failed();
}

FILE *OpenShared(const char *path, const char *mode, int share)
{
    errno = 0;
    FILE *f = _fsopen(path, mode, share);
    if (!f)
        tLastError = std::strerror(errno);
    return f;
}

bool Commit(FILE *stream)
{
    if (std::fflush(stream) != 0 || _commit(_fileno(stream)) != 0) {
        tLastError = std::strerror(errno);
        return false;
    }
    return true;
}

int Descriptor(FILE *stream)
{
    return stream ? _fileno(stream) : -1;
}

bool GetEnv(const char *name, std::string &out)
{
    std::vector<char> buf(256);
    for (;;) {
        SetLastError(0);
        DWORD n = GetEnvironmentVariableA(name, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) {
            // An existing but empty variable also gives 0, with no error.
            if (GetLastError() != 0)
                return Failed();
            out.clear();
            return true;
        }
        if (n < buf.size()) {
            out.assign(buf.data(), n);
            return true;
        }
        buf.resize(n);
    }
}

std::string TempFolder()
{
    char buf[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof(buf), buf);
    if (n == 0 || n >= sizeof(buf)) {
        Failed();
        return std::string();
    }
    return std::string(buf, n);
}

unsigned long ProcessId()
{
    return GetCurrentProcessId();
}

void *FindFirst(const char *pattern, FINDENTRY &entry)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE) {
        Failed();
        return nullptr;
    }
    Fill(fd, entry);
    return new WALK{h};
}

bool FindNext(void *walk, FINDENTRY &entry)
{
    if (!walk)
        return false;
    WIN32_FIND_DATAA fd;
    if (!FindNextFileA(static_cast<WALK *>(walk)->Handle, &fd))
        return Failed();
    Fill(fd, entry);
    return true;
}

void FindClose(void *walk)
{
    if (!walk)
        return;
    ::FindClose(static_cast<WALK *>(walk)->Handle);
    delete static_cast<WALK *>(walk);
}

} // namespace FSYS
