// Status bars (see statusbar.h).
#include "kestar/windowing/statusbar.h"

#include <commctrl.h>

#include "kestar/base/logit.h"
#include "kestar/base/osysresource.h"

STATUSBAR::STATUSBAR(HWND parent, int id) : PartCount(0)
{
    for (int i = 0; i < CONTROLMATH::STATUSBAR_MAXPARTS; ++i) {
        Parts[i] = 0;
        PartIcons[i] = nullptr;
    }
    hWnd = CreateStatusWindowA(WS_CHILD, "", parent, static_cast<UINT>(id));
    if (hWnd == nullptr)
        LOGIT::Printf("STATUSBAR::STATUSBAR CreateStatusWindowA failed: %lu\n", GetLastError());
    Id = id;
    AutoDestroy = 1;
}

STATUSBAR::~STATUSBAR()
{
    for (int i = 0; i < CONTROLMATH::STATUSBAR_MAXPARTS; ++i)
        DestroyIcon(i);
}

void STATUSBAR::DestroyIcon(int part)
{
    if (PartIcons[part]) {
        ::DestroyIcon(PartIcons[part]);
        PartIcons[part] = nullptr;
    }
}

bool STATUSBAR::SetParts(int count, const int *widths)
{
    if (count >= CONTROLMATH::STATUSBAR_MAXPARTS) {
        LOGIT::Assert(0, "nparts<ARRAYMAX(this->Parts)", __FILE__, __LINE__, nullptr, 0);
        return false;
    }
    if (count <= 1) {
        LOGIT::Assert(0, "nparts>1", __FILE__, __LINE__, nullptr, 0);
        return false;
    }
    for (int i = 0; i < count; ++i)
        Parts[i] = widths[i];
    PartCount = count;
    Resize();
    for (int i = count; i < CONTROLMATH::STATUSBAR_MAXPARTS; ++i)
        DestroyIcon(i);
    return true;
}

void STATUSBAR::Resize()
{
    if (hWnd == nullptr)
        return;
    RECT own = GetRect();
    RECT client = {};
    ::GetClientRect(::GetParent(hWnd), &client);
    MoveWindow(hWnd, own.left, own.top, client.right - client.left, own.bottom - own.top, TRUE);
    if (PartCount < 2)
        return;
    int edges[CONTROLMATH::STATUSBAR_MAXPARTS];
    if (CONTROLMATH::StatusBarEdges(Parts, PartCount, client.right - client.left, edges) == -1)
        LOGIT::Assert(0, "dyna!=-1", __FILE__, __LINE__, nullptr, 0);
    SendMessageA(hWnd, SB_SETPARTS, static_cast<WPARAM>(PartCount), reinterpret_cast<LPARAM>(edges));
}

void STATUSBAR::Reset()
{
    int whole = -1;
    SendMessageA(hWnd, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&whole));
    PartCount = 0;
    for (int i = 1; i < CONTROLMATH::STATUSBAR_MAXPARTS; ++i)
        DestroyIcon(i);
}

int STATUSBAR::GetPartCount()
{
    return static_cast<int>(SendMessageA(hWnd, SB_GETPARTS, 0, 0));
}

bool STATUSBAR::SetText(int part, const char *text)
{
    return SendMessageA(hWnd, SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text ? text : "")) != 0;
}

bool STATUSBAR::SetIcon(int iconId, int part)
{
    if (part < 0 || part >= CONTROLMATH::STATUSBAR_MAXPARTS) {
        LOGIT::Assert(0, "part>=0 && part<ARRAYMAX(this->PartIcons)", __FILE__, __LINE__, nullptr, 0);
        return false;
    }
    HICON icon = nullptr;
    if (iconId != -1) {
        int size = GetIconSizeForDpi(16, hWnd);
        HMODULE language = static_cast<HMODULE>(OSYS::GetLanguageModule());
        if (language)
            icon = static_cast<HICON>(LoadImageA(language, MAKEINTRESOURCEA(iconId), IMAGE_ICON, size, size, 0));
        if (icon == nullptr)
            icon = static_cast<HICON>(
                LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId), IMAGE_ICON, size, size, 0));
    }
    SendMessageA(hWnd, SB_SETICON, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(icon));
    DestroyIcon(part);
    PartIcons[part] = icon;
    return iconId == -1 || icon != nullptr;
}
