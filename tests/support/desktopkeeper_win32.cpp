// Holds Wine's virtual desktop open for a whole test run.  Wine starts the desktop (its explorer
// process) for the first program that needs a window and closes it again soon after the last such
// program ends; with tests starting side by side, programs then race a desktop that is coming up or
// going down, and some lose their X window.  The test script starts this program once per prefix
// before the tests, waits for its "desktop-ready" line, and ends it with the prefix's wineserver.
#include <windows.h>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    // A run that forgets to end us still ends: hours by default, settable for a check by hand.
    const DWORD lifetimeMs = (argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 4 * 3600) * 1000u;
    HWND window = CreateWindowExA(0, "STATIC", "plx desktop keeper", WS_POPUP, 0, 0, 1, 1,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr || GetDesktopWindow() == nullptr) {
        std::printf("desktop-failed %lu\n", GetLastError());
        return 1;
    }
    std::printf("desktop-ready\n");
    std::fflush(stdout);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < lifetimeMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return 0;
            DispatchMessageA(&msg);
        }
    }
    return 0;
}
