// Control fonts (see controlfont.h).
#include "kestar/windowing/controlfont.h"

#include "kestar/base/logit.h"

CONTROLFONT::CONTROLFONT(HWND control) : WINDOWFONT(control), Control(control), hFontPrev(nullptr), Applied(false)
{
}

CONTROLFONT::CONTROLFONT(HWND control, const char *spec, int codepage) : CONTROLFONT(control)
{
    SetFont(spec, codepage);
}

CONTROLFONT::~CONTROLFONT()
{
    Restore();
}

bool CONTROLFONT::SetFont(const char *spec, int codepage)
{
    Restore();
    if (Control == nullptr || !IsWindow(Control))
        return false;
    if (!Create(spec, codepage))
        return false;
    hFontPrev = reinterpret_cast<HFONT>(SendMessageA(Control, WM_GETFONT, 0, 0));
    SendMessageA(Control, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
    Applied = true;
    return true;
}

bool CONTROLFONT::Restore()
{
    if (!Applied)
        return false;
    Applied = false;
    if (!IsWindow(Control))
        return false;
    HFONT current = reinterpret_cast<HFONT>(SendMessageA(Control, WM_GETFONT, 0, 0));
    LOGIT::Assert(current == hFont, "hfontprev==this->hFont", __FILE__, __LINE__, nullptr, 0);
    SendMessageA(Control, WM_SETFONT, reinterpret_cast<WPARAM>(hFontPrev), TRUE);
    return true;
}
