// The edit field item: the text in, the text out (8-bit, UTF-8, wide or into a buffer).
#include "kestar/windowing/datadialogentry.h"

#include "kestar/base/logit.h"
#include "kestar/windowing/datadialogrules.h"
#include "kestar/windowing/control.h"

#include <cstring>
#include <vector>

DATADIALOGENTRY::DATADIALOGENTRY(int id, STRING &datum, int limit, int flags)
    : DATADIALOGITEM(id, datum), Limit(limit), Flags(flags)
{
}

static std::vector<wchar_t> WideText(HWND control)
{
    int n = GetWindowTextLengthW(control);
    std::vector<wchar_t> text(static_cast<size_t>(n < 0 ? 1 : n + 1), L'\0');
    if (n > 0)
        GetWindowTextW(control, text.data(), n + 1);
    return text;
}

void DATADIALOGENTRY::Init(HWND dialog)
{
    CONTROL entry(dialog, Id);
    CONTROL *pEntry = &entry;
    if (!DATADIALOG_REQUIRE(pEntry->IsValid(), static_cast<const char *>(STRING(Id))))
        return;
    if (GetWindowLongA(entry.hWnd, GWL_STYLE) & ES_MULTILINE)
        entry.AddStyle(ES_AUTOHSCROLL);
    entry.LimitText(Limit);
    WSTRING text = pWide != nullptr ? *pWide : WSTRING(*pData);
    SetWindowTextW(entry.hWnd, text.GetWide() != nullptr ? text.GetWide() : L"");
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(Id, EN_CHANGE), reinterpret_cast<LPARAM>(entry.hWnd));
    entry.SetSel(0, -1);
}

void DATADIALOGENTRY::Exit(HWND dialog)
{
    HWND control = GetDlgItem(dialog, Id);
    if (control == nullptr)
        return;
    std::vector<wchar_t> text = WideText(control);
    if (pWide != nullptr) {
        *pWide = WSTRING(text.data());
        if (pRaw != nullptr && pDataLength > 0) {
            wchar_t *buffer = static_cast<wchar_t *>(pRaw);
            std::memset(buffer, 0, static_cast<size_t>(pDataLength) * sizeof(wchar_t));
            size_t n = wcslen(text.data());
            if (n > static_cast<size_t>(pDataLength - 1))
                n = static_cast<size_t>(pDataLength - 1);
            std::memcpy(buffer, text.data(), n * sizeof(wchar_t));
        }
        return;
    }
    if (Flags & UTF8)
        *pData = WSTRING(text.data()).ToUtf8();
    else
        *pData = STRING(text.data());
    if (pRaw != nullptr && pDataLength > 0) {
        char *buffer = static_cast<char *>(pRaw);
        std::memset(buffer, 0, static_cast<size_t>(pDataLength));
        const char *s = *pData;
        size_t n = s != nullptr ? std::strlen(s) : 0;
        if (n > static_cast<size_t>(pDataLength - 1))
            n = static_cast<size_t>(pDataLength - 1);
        if (n > 0)
            std::memcpy(buffer, s, n);
    }
}
