// Window fonts (see windowfont.h).
#include "kestar/windowing/windowfont.h"

#include "kestar/base/logit.h"
#include "kestar/base/string.h"
#include "kestar/base/unicode.h"
#include "kestar/windowing/window.h"

WINDOWFONT::WINDOWFONT(HWND window)
    : Points(0), Bold(false), Italic(false), Fixed(false), CodePage(1252), Scale(-1), Window(window), hFont(nullptr)
{
}

WINDOWFONT::WINDOWFONT(HWND window, const char *spec, int codepage) : WINDOWFONT(window)
{
    Create(spec, codepage);
}

WINDOWFONT::~WINDOWFONT()
{
    Delete();
}

void WINDOWFONT::Delete()
{
    if (hFont)
        DeleteObject(hFont);
    hFont = nullptr;
}

bool WINDOWFONT::Create(const char *spec, int codepage)
{
    Delete();
    WSTRING wide(spec ? spec : "", UNICODE_CPSYSTEM);
    wide.SetNotNull();
    WSTRING face;
    int points = 0;
    bool bold = false, italic = false, fixed = false;
    if (!WINDRAW::ParseFontSpecW(wide.GetBuffer(), &face, &points, &bold, &italic, &fixed)) {
        LOGIT::Printf("WINDOWFONT::Create invalid font text \"%s\"\n", spec ? spec : "<null>");
        return false;
    }
    Face = face;
    Points = points;
    Bold = bold;
    Italic = italic;
    Fixed = fixed;
    CodePage = codepage;
    hFont = WINDRAW::CreateWindowFont(Window, Face.GetWide(), Points, Bold, Italic, Fixed, CodePage);
    Scale = WINDOW::GetDpiScale(Window);
    return hFont != nullptr;
}
