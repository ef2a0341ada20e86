// The operating system's side of UNICODE for the native build: the system's ANSI page is taken as
// 1252 and its OEM page as 437, both from our own tables; the default character is '?'.
#include "kestar/base/unicode.h"

bool UNICODE::OsToWide(unsigned char byte, char16_t *out) const
{
    *out = GetEntry(0, byte);
    return true;
}

unsigned char UNICODE::OsFromWide(unsigned int value, int ospage) const
{
    int cp = ospage == OSPAGE_ANSI ? 1252 : ospage == OSPAGE_OEM ? 437 : ospage;
    int idx = GetTableIndex(cp);
    int byte = idx == -1 ? -1 : ScanTable(idx, value);
    return byte == -1 ? OsDefaultChar() : (unsigned char)byte;
}

unsigned char UNICODE::OsDefaultChar() const
{
    return '?';
}
