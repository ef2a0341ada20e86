// Atomic file replacement on Windows: CreateFile(CREATE_NEW) + FlushFileBuffers + MoveFileEx.
// MOVEFILE_REPLACE_EXISTING is what makes this work on the NT family and under Wine; the C
// library's rename() refuses to replace an existing file there.
#include "kestar/base/atomicfile.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

volatile LONG gTempCounter = 0; // only makes names distinct; CREATE_NEW settles any race

} // namespace

bool ATOMICFILE::WriteReplace(const char *path, const void *data, size_t len, int *error)
{
    if (error)
        *error = 0;
    if (!path || !*path || (len > 0 && !data)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        if (error)
            *error = ERROR_INVALID_PARAMETER;
        return false;
    }

    // Windows refuses to rename over a read-only file, Wine does not: refuse it here on both,
    // before anything is written, so a file the user protected stays as it is.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        if (error)
            *error = ERROR_ACCESS_DENIED;
        return false;
    }

    std::string tmp;
    HANDLE h = INVALID_HANDLE_VALUE;
    DWORD err = 0;
    for (int attempt = 0; attempt < 100; attempt++) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".~%lx-%lx.tmp", GetCurrentProcessId(),
                      static_cast<unsigned long>(InterlockedIncrement(&gTempCounter)));
        tmp = std::string(path) + suffix;
        h = CreateFileA(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
        if (h != INVALID_HANDLE_VALUE)
            break;
        err = GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS)
            break;
    }
    if (h != INVALID_HANDLE_VALUE) {
        err = 0;
        const char *p = static_cast<const char *>(data);
        size_t left = len;
        while (left > 0) {
            DWORD chunk = left > 0x100000 ? 0x100000 : static_cast<DWORD>(left);
            DWORD written = 0;
            if (!WriteFile(h, p, chunk, &written, nullptr) || written != chunk) {
                err = GetLastError();
                if (err == 0)
                    err = ERROR_WRITE_FAULT;
                break;
            }
            p += written;
            left -= written;
        }
        if (err == 0 && !FlushFileBuffers(h))
            err = GetLastError();
        if (!CloseHandle(h) && err == 0)
            err = GetLastError();
        if (err == 0 && !MoveFileExA(tmp.c_str(), path,
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            err = GetLastError();
        if (err != 0)
            DeleteFileA(tmp.c_str());
    }
    if (error)
        *error = static_cast<int>(err);
    SetLastError(err);
    return err == 0;
}
