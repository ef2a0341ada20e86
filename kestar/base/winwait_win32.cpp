// The message-pumping wait (see winwait.h).
//
// MsgWaitForMultipleObjectsEx with MWMO_INPUTAVAILABLE: plain QS_ALLINPUT only wakes for input
// that arrived since the last look at the queue, so messages left over after dispatching ten would
// otherwise sleep until the next one comes.  The time-out is recomputed from a deadline on every
// round, so steady traffic cannot stretch it.  The log lines are those of the window class's
// wait, which is this one.
#include "kestar/base/winwait.h"

#include "kestar/base/logit.h"

#include <windows.h>

namespace WINWAIT {

unsigned long WaitForHandle(void *handle, int timeout)
{
    const ULONGLONG start = GetTickCount64();
    bool quit = false;
    WPARAM quitCode = 0;
    DWORD rc;
    for (;;) {
        DWORD wait = INFINITE;
        if (timeout >= 0) {
            ULONGLONG elapsed = GetTickCount64() - start;
            wait = elapsed >= static_cast<ULONGLONG>(timeout) ? 0 : static_cast<DWORD>(timeout - elapsed);
        }
        HANDLE h = static_cast<HANDLE>(handle);
        rc = MsgWaitForMultipleObjectsEx(1, &h, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (rc != WAIT_OBJECT_0 + 1)
            break;
        // Input first gets a last look at the handle when the time is up: a free lock wins.
        if (wait == 0) {
            rc = WaitForSingleObject(h, 0);
            break;
        }
        MSG msg;
        for (int i = 0; i < 10 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
            if (msg.message == WM_QUIT) {
                // Keep the quit for the message loop; it is posted again when the wait ends.
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            LOGIT::Printf("WINDOW::WinWaitForSingleObject dispatch msg= %04x\n", msg.message);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
    LOGIT::Printf("WINDOW::WinWaitForSingleObject finished\n");
    return rc;
}

} // namespace WINWAIT
