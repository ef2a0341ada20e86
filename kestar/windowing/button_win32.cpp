// Push buttons (see button.h).
#include "kestar/windowing/button.h"

#include <string>

#ifndef BCM_SETSHIELD
#define BCM_SETSHIELD (0x1600 + 0x000C)
#endif

BUTTON::BUTTON(HWND parent, int id) : CONTROL(parent, id), ImageList(nullptr)
{
}

BUTTON::~BUTTON()
{
    if (ImageList)
        ImageList_Destroy(ImageList);
}

void BUTTON::SetDefault(bool on)
{
    LONG style = GetWindowLongA(hWnd, GWL_STYLE);
    bool isDefault = (style & 0xF) == BS_DEFPUSHBUTTON;
    if (on && !isDefault) {
        SendMessageA(hWnd, BM_SETSTYLE, (style & ~0xF) | BS_DEFPUSHBUTTON, TRUE);
        PostMessageA(::GetParent(hWnd), DM_SETDEFID, static_cast<WPARAM>(Id), 0);
    } else if (!on && isDefault) {
        SendMessageA(hWnd, BM_SETSTYLE, (style & ~0xF) | BS_PUSHBUTTON, TRUE);
    }
}

void BUTTON::SetShield(bool on)
{
    STRING current = GetText();
    const char *raw = current;
    std::string text = raw ? raw : "";
    size_t start = text.find_first_not_of(" \t");
    text = start == std::string::npos ? std::string() : text.substr(start);
    if (on)
        text = " " + text;
    SetText(text.c_str());
    SendMessageA(hWnd, BCM_SETSHIELD, 0, on ? TRUE : FALSE);
}
