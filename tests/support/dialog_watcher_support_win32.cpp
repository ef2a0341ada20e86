// The dialog watcher of the tests (see dialog_watcher_support.h).
//
// The button is pressed by posting WM_COMMAND/BN_CLICKED with the button's id to the dialog,
// which is what a click sends; unlike BM_CLICK it does not need the dialog to be the active
// window, which under Xvfb without a window manager it may not be.
#include "tests/support/dialog_watcher_support.h"

#include <windows.h>

#include <cstring>

namespace {

struct SEARCH {
    DWORD process;
    unsigned long thread;
    const std::string *titlePart;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM param)
{
    SEARCH *s = reinterpret_cast<SEARCH *>(param);
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->process || (s->thread != 0 && tid != s->thread) || !IsWindowVisible(hwnd))
        return TRUE;
    char cls[64];
    if (!GetClassNameA(hwnd, cls, sizeof(cls)) || std::strcmp(cls, "#32770") != 0)
        return TRUE;
    if (!s->titlePart->empty()) {
        char title[512];
        GetWindowTextA(hwnd, title, sizeof(title));
        if (!std::strstr(title, s->titlePart->c_str()))
            return TRUE;
    }
    s->found = hwnd;
    return FALSE;
}

BOOL CALLBACK CollectStatic(HWND hwnd, LPARAM param)
{
    std::string *text = reinterpret_cast<std::string *>(param);
    char cls[64];
    if (GetClassNameA(hwnd, cls, sizeof(cls)) && lstrcmpiA(cls, "Static") == 0) {
        char buffer[4096];
        if (GetWindowTextA(hwnd, buffer, sizeof(buffer)) > 0) {
            if (!text->empty())
                *text += "\n";
            *text += buffer;
        }
    }
    return TRUE;
}

} // namespace

std::string DialogStaticText(void *dialog)
{
    std::string text;
    EnumChildWindows(static_cast<HWND>(dialog), CollectStatic, reinterpret_cast<LPARAM>(&text));
    return text;
}

DIALOGWATCHER::DIALOGWATCHER(int buttonId, int timeoutMs, unsigned long ownerThreadId, const char *titlePart)
    : buttonId(buttonId), timeoutMs(timeoutMs), ownerThreadId(ownerThreadId), titlePart(titlePart ? titlePart : ""),
      thread(nullptr), owner(nullptr), stopEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      doneEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)), pressed(false)
{
    thread = CreateThread(nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(&DIALOGWATCHER::Run), this, 0, nullptr);
}

DIALOGWATCHER::~DIALOGWATCHER()
{
    SetEvent(stopEvent);
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    CloseHandle(stopEvent);
    CloseHandle(doneEvent);
}

unsigned long __stdcall DIALOGWATCHER::Run(void *self)
{
    static_cast<DIALOGWATCHER *>(self)->Watch();
    return 0;
}

void DIALOGWATCHER::Watch()
{
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (GetTickCount64() < deadline) {
        SEARCH s = {GetCurrentProcessId(), ownerThreadId, &titlePart, nullptr};
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&s));
        HWND button = s.found ? GetDlgItem(s.found, buttonId) : nullptr;
        if (button && IsWindowEnabled(button)) {
            char buffer[512];
            GetWindowTextA(s.found, buffer, sizeof(buffer));
            title = buffer;
            owner = GetWindow(s.found, GW_OWNER);
            text.clear();
            EnumChildWindows(s.found, CollectStatic, reinterpret_cast<LPARAM>(&text));
            PostMessageA(s.found, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
            pressed = true;
            SetEvent(doneEvent);
            return;
        }
        if (WaitForSingleObject(stopEvent, 50) == WAIT_OBJECT_0)
            return;
    }
}

bool DIALOGWATCHER::WaitPressed(int timeout)
{
    return WaitForSingleObject(doneEvent, timeout < 0 ? INFINITE : static_cast<DWORD>(timeout)) == WAIT_OBJECT_0;
}

bool DIALOGWATCHER::Pressed() const
{
    return pressed;
}

std::string DIALOGWATCHER::Title() const
{
    return pressed ? title : std::string();
}

std::string DIALOGWATCHER::Text() const
{
    return pressed ? text : std::string();
}

void *DIALOGWATCHER::Owner() const
{
    return pressed ? owner : nullptr;
}
