// Tab controls (see tabcontrol.h).
#include "kestar/windowing/tabcontrol.h"

#include <commctrl.h>

#include "kestar/base/logit.h"
#include "kestar/base/unicode.h"

#include <vector>

namespace {

const int kTitleCharacters = 255;

} // namespace

int TABCONTROL::AddPage(const WSTRING &title, HWND page)
{
    STRING_SIZE_T length = title.Length() < kTitleCharacters ? title.Length() : kTitleCharacters;
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    for (STRING_SIZE_T i = 0; i < length; ++i)
        text[static_cast<size_t>(i)] = static_cast<wchar_t>(title[i]);
    TCITEMW item = {};
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.pszText = text.data();
    item.iImage = -1;
    item.lParam = reinterpret_cast<LPARAM>(page);
    int index = static_cast<int>(SendMessageW(hWnd, TCM_INSERTITEMW, static_cast<WPARAM>(GetItemCount()),
                                              reinterpret_cast<LPARAM>(&item)));
    if (page != nullptr && IsWindow(page)) {
        WINDOW pageWindow(page);
        pageWindow.AddStyle(WS_TABSTOP);
        pageWindow.Show(false);
        pageWindow.AddExStyle(WS_EX_CONTROLPARENT);
    }
    return index;
}

int TABCONTROL::AddPage(const char *title, HWND page)
{
    return AddPage(WSTRING(title ? title : "", UNICODE_CPSYSTEM), page);
}

int TABCONTROL::GetItemCount()
{
    return static_cast<int>(SendMessageW(hWnd, TCM_GETITEMCOUNT, 0, 0));
}

int TABCONTROL::GetCurSel()
{
    return static_cast<int>(SendMessageW(hWnd, TCM_GETCURSEL, 0, 0));
}

HWND TABCONTROL::GetPageWindow(int index)
{
    TCITEMW item = {};
    item.mask = TCIF_PARAM;
    if (index < 0 || !SendMessageW(hWnd, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return reinterpret_cast<HWND>(item.lParam);
}

void TABCONTROL::SelectPage(int index)
{
    HWND parent = ::GetParent(hWnd);
    NMHDR header = {};
    header.hwndFrom = hWnd;
    header.idFrom = static_cast<UINT_PTR>(GetWindowLongPtrA(hWnd, GWLP_ID));
    header.code = static_cast<UINT>(TCN_SELCHANGING);
    SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    SendMessageW(hWnd, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    header.code = static_cast<UINT>(TCN_SELCHANGE);
    SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void TABCONTROL::PageChanged(int index)
{
    RECT area = GetRect();
    SendMessageW(hWnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    area.top += 2;
    HWND page = GetPageWindow(index);
    if (page != nullptr) {
        SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
        LOGIT::Printf("TABCONTROL::PageChanged moves page to %d/%d %d/%d\n", static_cast<int>(area.left),
                      static_cast<int>(area.top), static_cast<int>(area.right - area.left),
                      static_cast<int>(area.bottom - area.top));
    }
    int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        HWND other = GetPageWindow(i);
        if (other != nullptr && other != page && IsWindow(other))
            ShowWindow(other, SW_HIDE);
    }
    if (page != nullptr && ::GetFocus() != hWnd)
        WINDOW(page).FocusFirstControl();
}

bool TABCONTROL::HandleKey(UINT message, int key)
{
    if ((message != WM_KEYDOWN && message != WM_SYSKEYDOWN) || key != VK_TAB)
        return false;
    if (!(::GetKeyState(VK_CONTROL) & 0x8000))
        return false;
    int count = GetItemCount();
    if (count <= 0)
        return false;
    int current = GetCurSel();
    int next;
    if (::GetKeyState(VK_SHIFT) & 0x8000)
        next = current <= 0 ? count - 1 : current - 1;
    else
        next = (current + 1) % count;
    SelectPage(next);
    return true;
}
