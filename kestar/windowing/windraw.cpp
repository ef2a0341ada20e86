// The font texts (see windraw.h); portable, as they only map numbers and text.
#include "kestar/windowing/windraw.h"

#include <cstdint>

namespace WINDRAW {

bool ParseFontSpecW(const char16_t *spec, WSTRING *face, int *points, bool *bold, bool *italic, bool *fixed)
{
    if (spec == nullptr)
        return false;
    const char16_t *p = spec;
    long value = 0;
    while (*p >= u'0' && *p <= u'9') {
        value = value * 10 + (*p - u'0');
        if (value > 32767)
            return false;
        ++p;
    }
    if (value <= 0)
        return false;
    bool b = false, i = false, f = false;
    while (*p != 0 && *p != u'.') {
        switch (*p) {
        case u'B': case u'b': b = true; break;
        case u'I': case u'i': i = true; break;
        case u'F': case u'f': f = true; break;
        default: break;
        }
        ++p;
    }
    if (*p != u'.')
        return false;
    ++p;
    static const char16_t helv[] = u"Helv";
    static const char16_t shell[] = u"MS Shell Dlg";
    bool isHelv = true;
    for (int k = 0; k < 5; ++k) {
        if (p[k] != helv[k]) {
            isHelv = false;
            break;
        }
    }
    if (face) {
        WSTRING name(isHelv ? shell : p);
        name.SetNotNull();
        *face = name;
    }
    if (points)
        *points = static_cast<int>(value);
    if (bold)
        *bold = b;
    if (italic)
        *italic = i;
    if (fixed)
        *fixed = f;
    return true;
}

STRING FontSpecText(int points, bool bold, bool italic, bool fixed, const char *face)
{
    STRING text;
    text.Format("%d%s%s%s.%s", points, bold ? "B" : "", italic ? "I" : "", fixed ? "F" : "", face ? face : "");
    return text;
}

int FontHeightForPoints(int points, int dpi)
{
    return -static_cast<int>(static_cast<int64_t>(points) * dpi / 72);
}

int PointsForFontHeight(int height, int dpi)
{
    if (dpi == 0)
        return 0;
    // |MulDiv(height, 72, dpi)|: MulDiv rounds half away from zero, so the magnitudes suffice.
    int64_t a = static_cast<int64_t>(height) * 72;
    int64_t d = dpi;
    if (a < 0)
        a = -a;
    if (d < 0)
        d = -d;
    int64_t q = (a + d / 2) / d;
    return static_cast<int>(q);
}

} // namespace WINDRAW
