// The standard message boxes of WINORVAK on MessageBoxW: the title is code page 1252 whatever the
// machine's ANSI code page is, and the text goes through FormatMsgBoxText.
#include "kestar/base/winorvak.h"

#include "kestar/base/logit.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/wstring.h"
#include "lang/resource_ids.h"

#include <windows.h>

namespace {

const UINT kInfoStyle = MB_SETFOREGROUND | MB_ICONINFORMATION | MB_OK;            // 0x10040
const UINT kWarningStyle = MB_SETFOREGROUND | MB_ICONEXCLAMATION | MB_OK;         // 0x10030
const UINT kErrorStyle = MB_SETFOREGROUND | MB_ICONHAND | MB_OK;                  // 0x10010
const UINT kYesNoStyle = MB_SETFOREGROUND | MB_ICONQUESTION | MB_YESNO;           // 0x10024
const UINT kYesNoCancelStyle = MB_SETFOREGROUND | MB_ICONQUESTION | MB_YESNOCANCEL; // 0x10023

// The rule of WINDOW::GetTopLevel (the frame below the windowing library calls these boxes, so
// they cannot use WINDOW): up the parents while the window is a child.
HWND TopLevelOf(HWND window)
{
    while (window && (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD)) {
        HWND parent = GetParent(window);
        if (parent == nullptr)
            break;
        window = parent;
    }
    return window;
}

int ShowBox(const char *kind, void *parent, const char *title, const char *text, UINT style)
{
    LOGIT::Printf("WINORVAK::%s title=%s text=%s\n", kind, title ? title : "<NULL>", text ? text : "<NULL>");
    HWND owner = parent ? TopLevelOf(static_cast<HWND>(parent)) : nullptr;
    WSTRING wideText = WINORVAK::FormatMsgBoxText(STRING(text ? text : ""), 55, 0);
    STRING caption = title ? STRING(title) : OSYS::GetStringFromResource(IDS_APPNAME);
    WSTRING wideTitle(caption, 1252);
    return MessageBoxW(owner, wideText.NotEmpty() ? wideText.GetWide() : L"",
                       wideTitle.NotEmpty() ? wideTitle.GetWide() : L"", style);
}

} // namespace

namespace WINORVAK {

void InfoMsgBox(void *parent, const char *title, const char *text)
{
    ShowBox("InfoMsgBox", parent, title, text, kInfoStyle);
}

void WarningMsgBox(void *parent, const char *title, const char *text)
{
    ShowBox("WarningMsgBox", parent, title, text, kWarningStyle);
}

void ErrorMsgBox(void *parent, const char *title, const char *text)
{
    ShowBox("ErrorMsgBox", parent, title, text, kErrorStyle);
}

int YesNoMsgBox(void *parent, const char *title, const char *text)
{
    return ShowBox("YesNoMsgBox", parent, title, text, kYesNoStyle) == IDYES ? 1 : 0;
}

int YesNoCancelMsgBox(void *parent, const char *title, const char *text)
{
    switch (ShowBox("YesNoCancelMsgBox", parent, title, text, kYesNoCancelStyle)) {
    case IDCANCEL:
        return -1;
    case IDYES:
        return 1;
    default:
        return 0;
    }
}

} // namespace WINORVAK
