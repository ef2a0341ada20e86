// The window arithmetic (see windowmath.h).
#include "kestar/windowing/windowmath.h"

namespace WINDOWMATH {

int ScaleFromDpi(int dpiX, int dpiY)
{
    return ((dpiX + dpiY) / 2) * 100 / 96;
}

int ScaleValue(int value, int scale)
{
    return static_cast<int>(static_cast<int64_t>(value) * scale / 100);
}

int IconSizeForScale(int base, int scale, bool *valid)
{
    static const int sizes[] = {16, 24, 32, 48, 64};
    int first;
    switch (base) {
    case 16: first = 0; break;
    case 24: first = 1; break;
    case 32: first = 2; break;
    default: first = -1; break;
    }
    if (valid)
        *valid = first >= 0;
    if (first < 0)
        first = 0;
    int step = scale >= 200 ? 2 : scale >= 150 ? 1 : 0;
    return sizes[first + step];
}

int SizingEdgeBits(int wmszEdge)
{
    // WMSZ_LEFT 1, RIGHT 2, TOP 3, TOPLEFT 4, TOPRIGHT 5, BOTTOM 6, BOTTOMLEFT 7, BOTTOMRIGHT 8.
    static const int bits[] = {0, 1, 2, 4, 5, 6, 8, 9, 10};
    if (wmszEdge < 0 || wmszEdge > 8)
        return 0;
    return bits[wmszEdge];
}

int WheelAmount(int delta)
{
    return delta * 100 / 12;
}

int ScaledSize(int size, int newScale, int currentScale)
{
    if (currentScale <= 0)
        return size;
    return static_cast<int>(static_cast<double>(newScale) * size / currentScale);
}

void EncodeRect(const RECTANGLE &rect, unsigned char out[16])
{
    const int32_t values[4] = {rect.Left, rect.Top, rect.Right, rect.Bottom};
    for (int i = 0; i < 4; ++i) {
        uint32_t v = static_cast<uint32_t>(values[i]);
        for (int b = 0; b < 4; ++b)
            out[i * 4 + b] = static_cast<unsigned char>(v >> (8 * b));
    }
}

bool AcceptStoredRect(const unsigned char *data, size_t length, const RECTANGLE &desktop, RECTANGLE *out)
{
    if (data == nullptr || length != 16)
        return false;
    int32_t values[4];
    for (int i = 0; i < 4; ++i) {
        uint32_t v = 0;
        for (int b = 0; b < 4; ++b)
            v |= static_cast<uint32_t>(data[i * 4 + b]) << (8 * b);
        values[i] = static_cast<int32_t>(v);
    }
    RECTANGLE r = {values[0], values[1], values[2], values[3]};
    // 64-bit so that desktops near the ends of the int range cannot overflow the bounds.
    int64_t top = r.Top, left = r.Left;
    if (top < int64_t(desktop.Top) - 10 || top >= int64_t(desktop.Bottom) - 10)
        return false;
    if (left < int64_t(desktop.Left) - 10 || left >= int64_t(desktop.Right) - 10)
        return false;
    if (out)
        *out = r;
    return true;
}

int GradientBandRows(int height)
{
    int rows = height / 50;
    return rows < 1 ? 1 : rows;
}

int GradientPercent(int offset, int size)
{
    if (size <= 0)
        return 0;
    return static_cast<int>(static_cast<int64_t>(offset) * 100 / size);
}

} // namespace WINDOWMATH
