// The LOGFONT side of the font texts and the fonts made for a window (see windraw.h).
#include "kestar/windowing/windraw.h"

#include "kestar/base/logit.h"
#include "kestar/base/unicode.h"
#include "kestar/windowing/window.h"

#include <cstdio>
#include <cstring>

namespace WINDRAW {

int ScreenDpiY()
{
    HDC dc = GetDC(nullptr);
    if (dc == nullptr)
        return 96;
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

bool FontSpecToLogFont(const char *spec, int codepage, LOGFONTA *logFont)
{
    if (logFont == nullptr) {
        LOGIT::Assert(0, "plf", __FILE__, __LINE__, nullptr, 0);
        return false;
    }
    std::memset(logFont, 0, sizeof *logFont);
    const char *p = spec ? spec : "";
    int points = 0;
    while (*p >= '0' && *p <= '9' && points <= 32767)
        points = points * 10 + (*p++ - '0');
    bool bold = false, italic = false, fixed = false;
    while (*p != 0 && *p != '.') {
        switch (*p) {
        case 'B': case 'b': bold = true; break;
        case 'I': case 'i': italic = true; break;
        case 'F': case 'f': fixed = true; break;
        default: break;
        }
        ++p;
    }
    const char *face = *p == '.' ? p + 1 : "";
    if (_stricmp(face, "Helv") == 0)
        face = "MS Shell Dlg";
    logFont->lfHeight = FontHeightForPoints(points, ScreenDpiY());
    logFont->lfWeight = bold ? FW_BOLD : 0;
    logFont->lfItalic = italic ? 1 : 0;
    logFont->lfPitchAndFamily = fixed ? FF_MODERN : 0;
    logFont->lfCharSet = static_cast<BYTE>(CodePageToCharset(codepage, DEFAULT_CHARSET));
    lstrcpynA(logFont->lfFaceName, face, LF_FACESIZE);
    return true;
}

bool FormatFontSpec(const LOGFONTA *logFont, char *buffer, int size)
{
    if (buffer == nullptr || size <= 0 || logFont == nullptr)
        return false;
    char face[LF_FACESIZE + 1];
    lstrcpynA(face, logFont->lfFaceName, LF_FACESIZE);
    STRING text = FontSpecText(PointsForFontHeight(logFont->lfHeight, ScreenDpiY()), logFont->lfWeight >= FW_BOLD,
                               logFont->lfItalic != 0, (logFont->lfPitchAndFamily & 0x30) != 0, face);
    if (static_cast<int>(text.Length()) >= size) {
        buffer[0] = 0;
        return false;
    }
    std::memcpy(buffer, static_cast<const char *>(text), text.Length() + 1);
    return true;
}

STRING GetIconTitleFontSpec()
{
    LOGFONTA font;
    STRING empty;
    empty.SetNotNull();
    if (!SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) {
        LOGIT::Printf("WINDRAW::GetIconTitleFontSpec SystemParametersInfoA failed: %lu\n", GetLastError());
        return empty;
    }
    char text[128];
    if (!FormatFontSpec(&font, text, sizeof text))
        return empty;
    return STRING(text);
}

HFONT CreateWindowFont(HWND window, const wchar_t *face, int points, bool bold, bool italic, bool fixed,
                       int codepage)
{
    int dpi = WINDOW::GetDpiScale(window) * 96 / 100;
    HFONT font = CreateFontW(FontHeightForPoints(points, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic ? 1 : 0,
                             0, 0, static_cast<DWORD>(CodePageToCharset(codepage, DEFAULT_CHARSET)), OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, fixed ? (FIXED_PITCH | FF_MODERN) : 0,
                             face ? face : L"");
    if (font == nullptr)
        LOGIT::Printf("WINDRAW::CreateWindowFont CreateFontW failed: %lu\n", GetLastError());
    return font;
}

HFONT CreateFontFromSpec(HWND window, const char16_t *spec, int codepage)
{
    WSTRING face;
    int points = 0;
    bool bold = false, italic = false, fixed = false;
    if (!ParseFontSpecW(spec, &face, &points, &bold, &italic, &fixed))
        return nullptr;
    return CreateWindowFont(window, face.GetWide(), points, bold, italic, fixed, codepage);
}

HFONT CreateFontFromSpec(HWND window, const char *spec, int codepage)
{
    WSTRING wide(spec ? spec : "", UNICODE_CPSYSTEM);
    wide.SetNotNull();
    return CreateFontFromSpec(window, wide.GetBuffer(), codepage);
}

} // namespace WINDRAW
