// The operating system's side of UNICODE: the system's ANSI and OEM code pages, and the pages we
// carry no table for, converted by Windows.
#include <windows.h>

#include "kestar/base/unicode.h"

bool UNICODE::OsToWide(unsigned char byte, char16_t *out) const
{
    char in = (char)byte;
    WCHAR wide[2];
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, &in, 1, wide, 2) != 1)
        return false;
    *out = (char16_t)wide[0];
    return true;
}

unsigned char UNICODE::OsFromWide(unsigned int value, int ospage) const
{
    UINT cp = ospage == OSPAGE_ANSI ? CP_ACP : ospage == OSPAGE_OEM ? CP_OEMCP : (UINT)ospage;
    if (value > 0xFFFF || (ospage < 0 && ospage != OSPAGE_ANSI && ospage != OSPAGE_OEM))
        return OsDefaultChar();
    WCHAR wide = (WCHAR)value;
    char out[8];
    // A page that Windows does not know fails outright; a double-byte result is no single byte.
    // Both give the default character, as a character without a mapping does.
    if (WideCharToMultiByte(cp, 0, &wide, 1, out, sizeof(out), nullptr, nullptr) != 1)
        return OsDefaultChar();
    return (unsigned char)out[0];
}

unsigned char UNICODE::OsDefaultChar() const
{
    CPINFO info;
    if (!GetCPInfo(CP_ACP, &info))
        return '?';
    return info.DefaultChar[0];
}
