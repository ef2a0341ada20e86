// Child programs of tests (see childprogram_support.h).  The dialog is found among the top-level
// windows by the child's process id, and the button pressed by posting the WM_COMMAND that a click
// sends, which works without the dialog being the active window.
#include "tests/support/childprogram_support.h"
#include "tests/support/dialog_watcher_support.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

struct FIND {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindChildDialog(HWND hwnd, LPARAM param)
{
    FIND *f = reinterpret_cast<FIND *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != f->process || !IsWindowVisible(hwnd))
        return TRUE;
    char cls[64];
    if (!GetClassNameA(hwnd, cls, sizeof(cls)) || std::strcmp(cls, "#32770") != 0)
        return TRUE;
    f->found = hwnd;
    return FALSE;
}

} // namespace

CHILDRESULT RunChildProgram(const std::string &commandLine, const std::string &folder, int buttonId, int timeoutMs)
{
    CHILDRESULT result;
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return result;
    result.started = true;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(pi.hProcess, &code);
            result.finished = true;
            result.exitCode = code;
            break;
        }
        if (GetTickCount64() > deadline) {
            TerminateProcess(pi.hProcess, 255);
            WaitForSingleObject(pi.hProcess, 5000);
            break;
        }
        if (buttonId != 0 && !result.pressed) {
            FIND f = {pi.dwProcessId, nullptr};
            EnumWindows(FindChildDialog, reinterpret_cast<LPARAM>(&f));
            HWND button = f.found ? GetDlgItem(f.found, buttonId) : nullptr;
            if (button && IsWindowEnabled(button)) {
                char buffer[512];
                GetWindowTextA(f.found, buffer, sizeof(buffer));
                result.title = buffer;
                result.text = DialogStaticText(f.found);
                PostMessageA(f.found, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
                result.pressed = true;
            }
        }
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
}

std::string TestProgramFolder()
{
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return ".";
        if (n < path.size() - 1) {
            std::string s(path.data(), n);
            size_t slash = s.find_last_of("\\/");
            return slash == std::string::npos ? "." : s.substr(0, slash);
        }
        path.resize(path.size() * 2);
    }
}

bool CopyFileForTest(const std::string &from, const std::string &to)
{
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}
