// WINDOWMATH: the arithmetic of the window class that needs no window: DPI scales, icon sizes for
// a scale, the edge bits of a sizing message, the wheel amount, the rule for a stored window
// rectangle and the bands of the gradient painted without GradientFill.  Portable, so that the
// native build tests it under the sanitizers.
#ifndef KESTAR_WINDOWING_WINDOWMATH_H
#define KESTAR_WINDOWING_WINDOWMATH_H

#include <cstddef>
#include <cstdint>

namespace WINDOWMATH {

// A rectangle as the window class stores it: left, top, right, bottom.
struct RECTANGLE {
    int32_t Left, Top, Right, Bottom;
};

// The scale in percent of 96 dpi for horizontal and vertical dots per inch:
// ((x + y) / 2) * 100 / 96 in integer arithmetic.
int ScaleFromDpi(int dpiX, int dpiY);
// value * scale / 100 (integer).
int ScaleValue(int value, int scale);

// The icon size for a base size of 16, 24 or 32 at a scale: below 150 the base, 150 to 199 one
// step up, 200 and more two steps up (16, 24, 32, 48, 64).  Another base counts as 16; *valid
// (may be null) tells whether the base was one of the three.
int IconSizeForScale(int base, int scale, bool *valid);

// The edge bits of a WM_SIZING edge value (WMSZ_LEFT 1 .. WMSZ_BOTTOMRIGHT 8): 1 left, 2 right,
// 4 top, 8 bottom; 0 and unknown values give 0.
int SizingEdgeBits(int wmszEdge);

// The amount of a wheel message's signed 16-bit delta: delta * 100 / 12, so one notch of 120 is
// 1000.
int WheelAmount(int delta);

// The size offered for a new scale: trunc(newScale * size / currentScale), in floating point.
// currentScale must be above 0 (else the size is returned unchanged).
int ScaledSize(int size, int newScale, int currentScale);

// The 16 bytes of a stored window rectangle: four 32-bit little-endian signed integers.
void EncodeRect(const RECTANGLE &rect, unsigned char out[16]);
// Whether a stored value may be applied on a desktop: exactly 16 bytes, top within
// [desktop top - 10, desktop bottom - 10) and left within [desktop left - 10, desktop right - 10).
// On true *out holds the rectangle; on false it is unchanged.
bool AcceptStoredRect(const unsigned char *data, size_t length, const RECTANGLE &desktop, RECTANGLE *out);

// The fallback gradient: rows per band of a vertical gradient of height rows (height / 50, at
// least 1), and the mix percent at an offset (offset * 100 / size; 0 for an empty size).
int GradientBandRows(int height);
int GradientPercent(int offset, int size);

} // namespace WINDOWMATH

#endif
