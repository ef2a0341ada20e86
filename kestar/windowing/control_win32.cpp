// Child controls (see control.h).
#include "kestar/windowing/control.h"

#include <commctrl.h>

#include "kestar/base/logit.h"

CONTROL::CONTROL(HWND parent, int id) : WINDOW(id == -1 ? parent : GetDlgItem(parent, id))
{
}

CONTROL::CONTROL(HWND parent, int id, const char *className, DWORD style, int x, int y, int width, int height,
                 const char *text, DWORD exStyle)
{
    Create(parent, id, className, style, x, y, width, height, text, exStyle);
}

UINT CONTROL::ImageListColourFlag(int depth)
{
    switch (depth) {
    case 32: return ILC_COLOR32;
    case 24: return ILC_COLOR24;
    case 16: return ILC_COLOR16;
    case 8: return ILC_COLOR8;
    default: return ILC_COLOR;
    }
}

CONTROL CONTROL::FromDialogItem(HWND parentOrControl, int id)
{
    return CONTROL(parentOrControl, id);
}

bool CONTROL::Create(HWND parent, int id, const char *className, DWORD style, int x, int y, int width, int height,
                     const char *text, DWORD exStyle)
{
    LOGIT::Printf("CONTROL::CONTROL %p, %d, %s, %s, %x, %x\n", static_cast<void *>(parent), id, className,
                  text ? text : "", static_cast<unsigned>(style), static_cast<unsigned>(exStyle));
    LOGIT::Printf("CONTROL::CONTROL %d\n", IsWindow(parent) ? 1 : 0);
    hWnd = CreateWindowExA(exStyle, className, text ? text : "", style | WS_CHILD, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (hWnd == nullptr) {
        LOGIT::Printf("CONTROL::Create CreateWindowExA(%s) failed: %lu\n", className, GetLastError());
        LOGIT::Assert(0, "this->hWnd", __FILE__, __LINE__, nullptr, 0);
        return false;
    }
    Id = id;
    AutoDestroy = 1;
    TakeParentFont(parent);
    return true;
}

bool CONTROL::ReplaceDialogItem(HWND parent, int id, const char *className, DWORD style, int placeholderId,
                                const char *text, DWORD exStyle)
{
    LOGIT::Printf("CONTROL::CONTROL %p, %d, %s, %s, %x, %x\n", static_cast<void *>(parent), id, className,
                  text ? text : "", static_cast<unsigned>(style), static_cast<unsigned>(exStyle));
    HWND placeholder = GetDlgItem(parent, placeholderId);
    RECT rect = {};
    if (placeholder != nullptr) {
        GetWindowRect(placeholder, &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&rect), 2);
    }
    hWnd = CreateWindowExA(exStyle, className, text ? text : "", style | WS_CHILD, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (hWnd == nullptr) {
        LOGIT::Printf("CONTROL::ReplaceDialogItem CreateWindowExA(%s) failed: %lu\n", className, GetLastError());
        LOGIT::Assert(0, "this->hWnd", __FILE__, __LINE__, nullptr, 0);
        return false;
    }
    if (placeholder != nullptr) {
        SetZOrder(+1, placeholder);
        ShowWindow(placeholder, SW_HIDE);
    }
    if (GetDlgItem(parent, id) != hWnd)
        LOGIT::Assert(0, "CONTROL(hwndparent, idc).Hwnd()==this->hWnd", __FILE__, __LINE__, nullptr, 0);
    Id = id;
    AutoDestroy = 1;
    TakeParentFont(parent);
    return true;
}

void CONTROL::TakeParentFont(HWND parent)
{
    LRESULT font = SendMessageA(parent, WM_GETFONT, 0, 0);
    SendMessageA(hWnd, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
}

bool CONTROL::PostUserMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!(message >= WM_USER + 0x0001 && message < WM_USER + 0x00f0))
        LOGIT::Assert(0, "msg>=WM_USER+0x0001 && msg<WM_USER+0x00f0", "winbase_win32", __LINE__, nullptr, 0);
    return PostMessageA(hWnd, message, wParam, lParam) != 0;
}

int CONTROL::GetCheck()
{
    return static_cast<int>(SendMessageA(hWnd, BM_GETCHECK, 0, 0));
}

void CONTROL::SetCheck(int state)
{
    SendMessageA(hWnd, BM_SETCHECK, static_cast<WPARAM>(state), 0);
    SendMessageA(::GetParent(hWnd), WM_COMMAND, MAKEWPARAM(Id, BN_CLICKED), reinterpret_cast<LPARAM>(hWnd));
}

void CONTROL::SetNumeric(bool on)
{
    if (on)
        AddStyle(ES_NUMBER);
    else
        RemoveStyle(ES_NUMBER);
}

void CONTROL::LimitText(int characters)
{
    SendMessageA(hWnd, EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

void CONTROL::SetSel(int from, int to)
{
    SendMessageA(hWnd, EM_SETSEL, static_cast<WPARAM>(from), static_cast<LPARAM>(to));
}

void CONTROL::SetScrollRange(int low, int high)
{
    SendMessageA(hWnd, SBM_SETRANGE, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
}

void CONTROL::SetScrollPos(int position, bool redraw)
{
    SendMessageA(hWnd, SBM_SETPOS, static_cast<WPARAM>(position), redraw ? TRUE : FALSE);
}
