// File services of the string classes on Windows.  The runtime's stream functions sit on the
// kernel's file calls, which leave the reason of a failure in GetLastError.
#include "kestar/base/osysfile.h"

#include <windows.h>
#include <io.h>
#include <sys/stat.h>

#include <cstring>

FILE *OSYSFILE::Open(const char *path, const char *mode)
{
    if (path == nullptr || mode == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return fopen(path, mode);
}

long long OSYSFILE::Size(const char *path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path == nullptr || !GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool OSYSFILE::Commit(FILE *stream)
{
    if (stream == nullptr)
        return false;
    return _commit(_fileno(stream)) == 0;
}

bool OSYSFILE::Exists(const char *path)
{
    return path != nullptr && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

void OSYSFILE::LastErrorText(char *text, size_t size)
{
    if (text == nullptr || size == 0)
        return;
    DWORD code = GetLastError();
    text[0] = 0;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                             0, text, static_cast<DWORD>(size), nullptr);
    if (n == 0) {
        _snprintf(text, size, "error %lu", static_cast<unsigned long>(code));
        text[size - 1] = 0;
        return;
    }
    size_t len = strlen(text);
    while (len > 0 && (text[len - 1] == '\r' || text[len - 1] == '\n' || text[len - 1] == ' '))
        text[--len] = 0;
}

bool FileExists(const char *path)
{
    if (path == nullptr)
        return false;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
