// WINDRAW's code-page side: the choice of a GDI character set for a code page, which every font
// makes through it (the page font of the printer, the window and control fonts).  It maps only
// numbers, so it sits with the code pages in the base library where the printer can reach it; the
// windowing library adds its drawing helpers to the same namespace.
#ifndef KESTAR_FONTCHARSET_H
#define KESTAR_FONTCHARSET_H

namespace WINDRAW {

// The GDI character sets (the Win32 values, for code that cannot see windows.h).
enum : int {
    CHARSET_ANSI = 0,
    CHARSET_DEFAULT = 1,
    CHARSET_BALTIC = 186,
    CHARSET_RUSSIAN = 204,
    CHARSET_THAI = 222,
    CHARSET_EASTEUROPE = 238,
    CHARSET_GREEK = 161,
    CHARSET_TURKISH = 162,
    CHARSET_HEBREW = 177,
    CHARSET_ARABIC = 178,
    CHARSET_OEM = 255,
};

// The character set of a font that shows text of code page codepage: the Windows pages and their
// ISO 8859 counterparts (numbered 8860 and up), the OEM pages 437, 737, 852 and 866, 0, 850 and
// 1000 (ANSI), and -1 for the default set; any other page gives defaultCharset.
int CodePageToCharset(int codepage, int defaultCharset);

} // namespace WINDRAW

#endif
