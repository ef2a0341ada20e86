// The dialog watcher of the tests (see dialog_watcher_support.h).
//
// The button is pressed by posting WM_COMMAND/BN_CLICKED with the button's id to the dialog,
// which is what a click sends; unlike BM_CLICK it does not need the dialog to be the active
// window, which under Xvfb without a window manager it may not be.
#include "tests/support/dialog_watcher_support.h"

#include <windows.h>

#include <cstring>

namespace {

BOOL CALLBACK CollectStatic(HWND hwnd, LPARAM param);

struct SEARCH {
    DWORD process;
    unsigned long thread;
    const DIALOGSTEP *step;
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
    HWND control = GetDlgItem(hwnd, s->step->id);
    if (control == nullptr || (s->step->action == DIALOGSTEP::PRESS && !IsWindowEnabled(control)))
        return TRUE;
    const std::string &match = s->step->match;
    if (!match.empty()) {
        char title[512] = "";
        GetWindowTextA(hwnd, title, sizeof(title));
        bool found = std::strstr(title, match.c_str()) != nullptr;
        if (!found && !s->step->titleOnly) {
            std::string text;
            EnumChildWindows(hwnd, CollectStatic, reinterpret_cast<LPARAM>(&text));
            found = text.find(match) != std::string::npos;
        }
        if (!found)
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

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM param)
{
    if (IsWindowVisible(hwnd))
        reinterpret_cast<std::vector<int> *>(param)->push_back(GetDlgCtrlID(hwnd));
    return TRUE;
}

} // namespace

std::string DialogStaticText(void *dialog)
{
    std::string text;
    EnumChildWindows(static_cast<HWND>(dialog), CollectStatic, reinterpret_cast<LPARAM>(&text));
    return text;
}

DIALOGSTEP DIALOGSTEP::Press(int id, const char *match)
{
    return DIALOGSTEP{PRESS, id, 0, std::string(), match ? match : "", false, 0, {}};
}

DIALOGSTEP DIALOGSTEP::Check(int id, bool on, const char *match)
{
    return DIALOGSTEP{CHECK, id, on ? 1 : 0, std::string(), match ? match : "", false, 0, {}};
}

DIALOGSTEP DIALOGSTEP::SetText(int id, const char *text, const char *match)
{
    return DIALOGSTEP{SETTEXT, id, 0, text ? text : "", match ? match : "", false, 0, {}};
}

DIALOGSTEP DIALOGSTEP::Choose(int id, int index, const char *match)
{
    return DIALOGSTEP{CHOOSE, id, index, std::string(), match ? match : "", false, 0, {}};
}

DIALOGSTEP DIALOGSTEP::Key(int id, int virtualKey, const char *match)
{
    return DIALOGSTEP{KEY, id, virtualKey, std::string(), match ? match : "", false, 0, {}};
}

DIALOGWATCHER::DIALOGWATCHER(int buttonId, int timeoutMs, unsigned long ownerThreadId, const char *titlePart)
    : timeoutMs(timeoutMs), ownerThreadId(ownerThreadId)
{
    DIALOGSTEP press = DIALOGSTEP::Press(buttonId, titlePart);
    press.titleOnly = true;
    script.push_back(press);
    Start();
}

DIALOGWATCHER::DIALOGWATCHER(const std::vector<DIALOGSTEP> &script, int timeoutMs, unsigned long ownerThreadId)
    : script(script), timeoutMs(timeoutMs), ownerThreadId(ownerThreadId)
{
    Start();
}

void DIALOGWATCHER::Start()
{
    thread = nullptr;
    owner = nullptr;
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    doneEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    pressed = false;
    stepsDone = 0;
    titles.resize(script.size());
    texts.resize(script.size());
    visibleIds.resize(script.size());
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
    for (size_t n = 0; n < script.size(); ++n) {
        const DIALOGSTEP &step = script[n];
        HWND dialog = nullptr;
        while (dialog == nullptr) {
            if (GetTickCount64() >= deadline)
                return;
            SEARCH s = {GetCurrentProcessId(), ownerThreadId, &step, nullptr};
            EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&s));
            dialog = s.found;
            if (dialog == nullptr && WaitForSingleObject(stopEvent, 50) == WAIT_OBJECT_0)
                return;
        }
        if (step.settleMs > 0 && WaitForSingleObject(stopEvent, static_cast<DWORD>(step.settleMs)) == WAIT_OBJECT_0)
            return;
        while (step.ready && !step.ready(dialog)) {
            if (GetTickCount64() >= deadline || WaitForSingleObject(stopEvent, 50) == WAIT_OBJECT_0)
                return;
        }
        char buffer[512] = "";
        GetWindowTextA(dialog, buffer, sizeof(buffer));
        titles[n] = buffer;
        owner = GetWindow(dialog, GW_OWNER);
        EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&texts[n]));
        EnumChildWindows(dialog, CollectVisible, reinterpret_cast<LPARAM>(&visibleIds[n]));
        HWND control = GetDlgItem(dialog, step.id);
        switch (step.action) {
        case DIALOGSTEP::PRESS:
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(step.id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
            break;
        case DIALOGSTEP::CHECK:
            SendMessageA(control, BM_SETCHECK, step.value ? BST_CHECKED : BST_UNCHECKED, 0);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(step.id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
            break;
        case DIALOGSTEP::SETTEXT:
            SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step.text.c_str()));
            break;
        case DIALOGSTEP::CHOOSE: {
            char cls[64] = "";
            GetClassNameA(control, cls, sizeof(cls));
            bool combo = lstrcmpiA(cls, "ComboBox") == 0;
            SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(step.value), 0);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(step.id, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(control));
            break;
        }
        case DIALOGSTEP::KEY: {
            // Keys go to the focused window of the dialog's thread, where its loop reads them.
            GUITHREADINFO gui = {};
            gui.cbSize = sizeof gui;
            HWND target = dialog;
            if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui) && gui.hwndFocus)
                target = gui.hwndFocus;
            PostMessageA(target, WM_KEYDOWN, static_cast<WPARAM>(step.value), 1);
            PostMessageA(target, WM_KEYUP, static_cast<WPARAM>(step.value), 0xC0000001);
            break;
        }
        }
        InterlockedIncrement(&stepsDone);
    }
    pressed = true;
    SetEvent(doneEvent);
}

bool DIALOGWATCHER::WaitPressed(int timeout)
{
    return WaitForSingleObject(doneEvent, timeout < 0 ? INFINITE : static_cast<DWORD>(timeout)) == WAIT_OBJECT_0;
}

bool DIALOGWATCHER::Pressed() const
{
    return pressed;
}

int DIALOGWATCHER::StepsDone() const
{
    return static_cast<int>(stepsDone);
}

std::string DIALOGWATCHER::Title() const
{
    return pressed && !titles.empty() ? titles.back() : std::string();
}

std::string DIALOGWATCHER::Text() const
{
    return pressed && !texts.empty() ? texts.back() : std::string();
}

std::string DIALOGWATCHER::TitleAt(int n) const
{
    return n >= 0 && n < StepsDone() ? titles[static_cast<size_t>(n)] : std::string();
}

std::string DIALOGWATCHER::TextAt(int n) const
{
    return n >= 0 && n < StepsDone() ? texts[static_cast<size_t>(n)] : std::string();
}

std::vector<int> DIALOGWATCHER::VisibleIdsAt(int n) const
{
    return n >= 0 && n < StepsDone() ? visibleIds[static_cast<size_t>(n)] : std::vector<int>();
}

void *DIALOGWATCHER::Owner() const
{
    return pressed ? owner : nullptr;
}
