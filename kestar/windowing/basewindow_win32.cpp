// Attaching a window object to a handle (see basewindow.h).
#include "kestar/windowing/basewindow.h"

#include "kestar/base/logit.h"

void BASEWINDOW::Init(HWND window)
{
    hWnd = window;
    HookProc = nullptr;
    if (window == nullptr) {
        Id = -1;
        return;
    }
    Id = static_cast<int>(GetWindowLongPtrA(window, GWLP_ID));
    if (Id != 0)
        return;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) {
        // A foreign window could not answer with a pointer into our memory anyway.
        LOGIT::Printf("BASEWINDOW::Init Not our process, WM__QUERYID was not sent\n");
        return;
    }
    int id = 0;
    SendMessageA(window, WM__QUERYID, reinterpret_cast<WPARAM>(&id), 0);
    Id = id;
}
