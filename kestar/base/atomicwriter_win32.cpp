// The streamed file replacement on Windows: CreateFile(CREATE_NEW) + WriteFile + FlushFileBuffers
// + MoveFileEx.  MOVEFILE_REPLACE_EXISTING is what makes this work on the NT family and under Wine;
// the C library's rename() refuses to replace an existing file there.
#include "kestar/base/atomicwriter.h"

#include <windows.h>

#include <cstdio>

namespace {

volatile LONG gTempCounter = 0; // only makes names distinct; CREATE_NEW settles any race

HANDLE AsHandle(intptr_t file)
{
    return reinterpret_cast<HANDLE>(file);
}

} // namespace

ATOMICWRITER::ATOMICWRITER() : file(-1), error(0)
{
}

ATOMICWRITER::~ATOMICWRITER()
{
    // Keep the caller's last error: destroying an abandoned stream is no new failure.
    DWORD last = GetLastError();
    Abandon();
    SetLastError(last);
}

void ATOMICWRITER::KeepError() const
{
    SetLastError(static_cast<DWORD>(error));
}

bool ATOMICWRITER::Fail(int code)
{
    if (error == 0)
        error = code != 0 ? code : ERROR_WRITE_FAULT;
    Abandon();
    KeepError();
    return false;
}

bool ATOMICWRITER::Open(const char *path)
{
    if (IsOpen()) {
        // A second Open would lose the first stream's file: refused, the open stream goes on.
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    error = 0;
    if (!path || !*path)
        return Fail(ERROR_INVALID_PARAMETER);

    // Windows refuses to rename over a read-only file, Wine does not: refuse it here on both,
    // before anything is written, so a file the user protected stays as it is.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return Fail(ERROR_ACCESS_DENIED);

    target = path;
    for (int attempt = 0; attempt < 100; attempt++) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".~%lx-%lx.tmp", GetCurrentProcessId(),
                      static_cast<unsigned long>(InterlockedIncrement(&gTempCounter)));
        temp = target + suffix;
        HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            file = reinterpret_cast<intptr_t>(h);
            KeepError();
            return true;
        }
        const DWORD err = GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS)
            return Fail(static_cast<int>(err));
    }
    return Fail(ERROR_FILE_EXISTS);
}

bool ATOMICWRITER::Write(const void *data, size_t len)
{
    if (!IsOpen())
        return Fail(error != 0 ? error : ERROR_INVALID_HANDLE);
    if (len > 0 && !data)
        return Fail(ERROR_INVALID_PARAMETER);
    const char *p = static_cast<const char *>(data);
    while (len > 0) {
        DWORD chunk = len > 0x100000 ? 0x100000 : static_cast<DWORD>(len);
        DWORD written = 0;
        if (!WriteFile(AsHandle(file), p, chunk, &written, nullptr) || written != chunk)
            return Fail(static_cast<int>(GetLastError()));
        p += written;
        len -= written;
    }
    KeepError();
    return true;
}

bool ATOMICWRITER::Commit()
{
    if (!IsOpen())
        return Fail(error != 0 ? error : ERROR_INVALID_HANDLE);
    // The flush makes the replacement safe: a crash after the rename must not find a file whose
    // blocks never reached the disk.
    if (!FlushFileBuffers(AsHandle(file)))
        return Fail(static_cast<int>(GetLastError()));
    // Closed here, so that a failure below removes the file by its name only.
    HANDLE h = AsHandle(file);
    file = -1;
    bool ok = CloseHandle(h) &&
              MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        const DWORD err = GetLastError();
        error = err != 0 ? static_cast<int>(err) : ERROR_WRITE_FAULT;
        DeleteFileA(temp.c_str());
    }
    KeepError();
    return ok;
}

void ATOMICWRITER::Abandon()
{
    if (!IsOpen())
        return;
    CloseHandle(AsHandle(file));
    file = -1;
    DeleteFileA(temp.c_str());
}
