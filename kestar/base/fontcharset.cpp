// The code-page side of font selection; portable, as it only maps numbers.
#include "kestar/base/fontcharset.h"

namespace WINDRAW {

int CodePageToCharset(int codepage, int defaultCharset)
{
    switch (codepage) {
    case 0:
    case 850:
    case 1000:
    case 1252:
    case 8860:
        return CHARSET_ANSI;
    case 437:
    case 737:
    case 852:
    case 866:
        return CHARSET_OEM;
    case 1250:
    case 8861:
        return CHARSET_EASTEUROPE;
    case 1251:
    case 8864:
        return CHARSET_RUSSIAN;
    case 1253:
    case 8866:
        return CHARSET_GREEK;
    case 1254:
    case 8868:
        return CHARSET_TURKISH;
    case 1255:
    case 8867:
        return CHARSET_HEBREW;
    case 1256:
    case 8865:
        return CHARSET_ARABIC;
    case 8870:
        return CHARSET_THAI;
    case 8872:
        return CHARSET_BALTIC;
    case -1:
        return CHARSET_DEFAULT;
    default:
        return defaultCharset;
    }
}

} // namespace WINDRAW
