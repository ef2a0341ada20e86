// The standard message boxes of WINORVAK on MessageBoxW: the texts are code page 1252 whatever the
// machine's ANSI code page is, so they are converted here and shown through the wide call.
#include "kestar/base/winorvak.h"

#include "kestar/base/logit.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/wstring.h"
#include "lang/resource_ids.h"

#include <windows.h>

namespace {

const UINT kInfoStyle = MB_SETFOREGROUND | MB_ICONINFORMATION | MB_OK;  // 0x10040
const UINT kErrorStyle = MB_SETFOREGROUND | MB_ICONHAND | MB_OK;        // 0x10010
const UINT kYesNoStyle = MB_SETFOREGROUND | MB_ICONQUESTION | MB_YESNO; // 0x10024

int ShowBox(const char *kind, void *parent, const char *title, const char *text, UINT style)
{
    LOGIT::Printf("WINORVAK::%s title=%s text=%s\n", kind, title ? title : "<NULL>", text ? text : "<NULL>");
    HWND owner = parent ? GetAncestor(static_cast<HWND>(parent), GA_ROOT) : nullptr;
    STRING caption = title ? STRING(title) : OSYS::GetStringFromResource(IDS_APPNAME);
    WSTRING wideText(text ? text : "", 1252);
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

void ErrorMsgBox(void *parent, const char *title, const char *text)
{
    ShowBox("ErrorMsgBox", parent, title, text, kErrorStyle);
}

int YesNoMsgBox(void *parent, const char *title, const char *text)
{
    return ShowBox("YesNoMsgBox", parent, title, text, kYesNoStyle) == IDYES ? 1 : 0;
}

} // namespace WINORVAK
