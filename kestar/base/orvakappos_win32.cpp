// The frame's process facts from Win32 (see orvakappos.h).  The wide calls with a growing buffer
// read paths longer than MAX_PATH whole; the result is converted to code page 1252.
#include "kestar/base/orvakappos.h"

#include <windows.h>

#include <vector>

namespace ORVAKAPPOS {

STRING ProgramFile()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            STRING empty;
            empty.SetNotNull();
            return empty;
        }
        // A full buffer means the path was cut: try again with a larger one.
        if (n < buffer.size() - 1)
            return STRING(buffer.data(), static_cast<STRING_SIZE_T>(n), 1252);
        if (buffer.size() >= 32768 * 2) {
            STRING empty;
            empty.SetNotNull();
            return empty;
        }
        buffer.resize(buffer.size() * 2);
    }
}

STRING CurrentDirectory()
{
    DWORD need = GetCurrentDirectoryW(0, nullptr);
    for (int attempt = 0; need > 0 && attempt < 3; ++attempt) {
        std::vector<wchar_t> buffer(need + 1);
        DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (n > 0 && n < buffer.size())
            return STRING(buffer.data(), static_cast<STRING_SIZE_T>(n), 1252);
        need = n; // the folder changed meanwhile and grew
    }
    STRING empty;
    empty.SetNotNull();
    return empty;
}

unsigned long ProcessId()
{
    return GetCurrentProcessId();
}

void LocaleIds(unsigned long &thread, unsigned long &user, unsigned long &system)
{
    thread = GetThreadLocale();
    user = GetUserDefaultLCID();
    system = GetSystemDefaultLCID();
}

char Separator()
{
    return '\\';
}

} // namespace ORVAKAPPOS
