// WINDRAW, the windowing library's side: the font texts and the fonts made for a window.  The
// code-page side (CodePageToCharset) sits in the base library.
//
// A font text names a font in one line: a decimal point size above 0, any of the letters B
// (bold), I (italic) and F (fixed pitch) in either case and order, a dot and the face name, as in
// "8B.MS Shell Dlg".  The face "Helv" stands for "MS Shell Dlg".  Parsing and formatting are
// portable (windraw.cpp); the LOGFONT forms and the fonts are Win32 (windraw_win32.cpp).
#ifndef KESTAR_WINDOWING_WINDRAW_H
#define KESTAR_WINDOWING_WINDRAW_H

#include "kestar/base/fontcharset.h"
#include "kestar/base/string.h"
#include "kestar/base/wstring.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace WINDRAW {

// Splits a font text.  False (outputs unchanged) when the point size is not above 0 (or beyond
// 32767) or no dot follows it.  The letters count only before the dot; "Helv" (exact case)
// becomes "MS Shell Dlg".  Any output may be null.
bool ParseFontSpecW(const char16_t *spec, WSTRING *face, int *points, bool *bold, bool *italic, bool *fixed);
// The font text of the parts: "%d%s%s%s.%s" with "B", "I" and "F" for the flags set.
STRING FontSpecText(int points, bool bold, bool italic, bool fixed, const char *face);
// The LOGFONT height of a point size at dpi dots per inch: -(points * dpi / 72), cut to an integer.
int FontHeightForPoints(int points, int dpi);
// The point size of a LOGFONT height at dpi: |height * 72 / dpi|, rounded as MulDiv rounds; 0
// for a dpi of 0.
int PointsForFontHeight(int height, int dpi);

#if defined(_WIN32)
// Fills *logFont (cleared first) from an 8-bit font text for the screen: height from the screen's
// LOGPIXELSY, weight 700 with B (else 0), italic with I, pitch-and-family 0x30 with F, the
// character set of codepage, the face after the dot ("Helv", case ignored, is "MS Shell Dlg"; no
// dot: an empty face).  A null logFont is an assertion failure and gives false.
bool FontSpecToLogFont(const char *spec, int codepage, LOGFONTA *logFont);
// Writes the font text of a LOGFONT into buffer (size bytes): points from the height at the
// screen's LOGPIXELSY, "B" for a weight of 700 or more, "I" when italic, "F" when the
// pitch-and-family has bits of 0x30.  False (buffer emptied when size > 0) when it does not fit.
bool FormatFontSpec(const LOGFONTA *logFont, char *buffer, int size);
// The font text of the system's icon-title font; empty when the system cannot tell.
STRING GetIconTitleFontSpec();
// The screen's vertical dots per inch (96 when no screen DC is available).
int ScreenDpiY();

// A font of points at the DPI scale of window (null: the desktop's): height
// -(points * (scale * 96 / 100) / 72), weight 700 or 400, pitch-and-family 0x31 when fixed, the
// character set of codepage.  The caller owns the font; null on failure.
HFONT CreateWindowFont(HWND window, const wchar_t *face, int points, bool bold, bool italic, bool fixed,
                       int codepage);
// The same from a font text (the 8-bit form converts with the system code page first); null for
// an invalid text.
HFONT CreateFontFromSpec(HWND window, const char16_t *spec, int codepage);
HFONT CreateFontFromSpec(HWND window, const char *spec, int codepage);
#endif

} // namespace WINDRAW

#endif
