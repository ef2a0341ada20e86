// Up-down controls (see updown.h).
#include "kestar/windowing/updown.h"

#include <commctrl.h>

#include "kestar/base/logit.h"
#include "kestar/windowing/controlmath.h"

UPDOWN::UPDOWN(HWND parent, int id, int buddyId, DWORD style, DWORD exStyle)
    : CONTROL(parent, id, UPDOWN_CLASSA,
              style | WS_VISIBLE | UDS_NOTHOUSANDS | UDS_ARROWKEYS | UDS_ALIGNRIGHT | UDS_SETBUDDYINT, 0, 0, 0, 0, "",
              exStyle)
{
    if (hWnd)
        SendMessageA(hWnd, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(parent, buddyId)), 0);
}

void UPDOWN::SetRange(int lo, int hi)
{
    if (lo > hi) {
        int swap = lo;
        lo = hi;
        hi = swap;
    }
    HWND buddy = reinterpret_cast<HWND>(SendMessageA(hWnd, UDM_GETBUDDY, 0, 0));
    if (buddy)
        SendMessageA(buddy, EM_LIMITTEXT, static_cast<WPARAM>(CONTROLMATH::UpDownCharacters(lo, hi)), 0);
    if (!CONTROLMATH::UpDownNeeds32Bit(lo, hi)) {
        SendMessageA(hWnd, UDM_SETRANGE, 0, MAKELPARAM(static_cast<short>(hi), static_cast<short>(lo)));
        return;
    }
    int low = -1, high = -2;
    SendMessageA(hWnd, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    if (low == -1 || high == -2)
        LOGIT::Assert(0, "lo!=-1 && hi!=-2", __FILE__, __LINE__, "COMCTL32 V4.71 or higher required", 0);
    SendMessageA(hWnd, UDM_SETRANGE32, static_cast<WPARAM>(lo), static_cast<LPARAM>(hi));
}

int UPDOWN::GetPos()
{
    BOOL error = -2;
    LRESULT position = SendMessageA(hWnd, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error));
    if (error == -2)
        return static_cast<short>(LOWORD(SendMessageA(hWnd, UDM_GETPOS, 0, 0)));
    return static_cast<int>(position);
}

void UPDOWN::SetPos(int value)
{
    if (value >= -0x8000 && value <= 0x7FFF) {
        SendMessageA(hWnd, UDM_SETPOS, 0, MAKELPARAM(static_cast<short>(value), 0));
        return;
    }
    SendMessageA(hWnd, UDM_SETPOS32, 0, static_cast<LPARAM>(value));
    int readBack = GetPos();
    if (readBack != value)
        LOGIT::Assert(0, "val==val2", __FILE__, __LINE__, nullptr, 0);
}
