// OSYS::StartProgram and the shell's "open" verb on CreateProcessA and ShellExecuteA.
#include "kestar/base/osysprogram.h"

#include "kestar/base/logit.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char *Safe(const char *text)
{
    return text ? text : "";
}

std::string ErrorText(DWORD code)
{
    char buf[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                             sizeof(buf), nullptr);
    while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n'))
        n--;
    return n ? std::string(buf, n) : "error " + std::to_string(code);
}

// Dispatches up to max queued messages of this thread, so that a window thread stays alive while
// it waits for a program.
void DispatchSome(int max)
{
    MSG msg;
    for (int i = 0; i < max && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); i++) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

namespace OSYS {

STRING MakeProgramCommandLine(const char *program, const char *parameters)
{
    std::string line;
    if (parameters && *parameters) {
        if (program && program[0] == '"')
            line = std::string(program) + " " + parameters;
        else
            line = "\"" + std::string(Safe(program)) + "\" " + parameters;
    } else {
        line = Safe(program);
    }
    return STRING(line.c_str());
}

bool StartProgram(const char *program, const char *parameters, const char *workFolder, const char *windowTitle,
                  int flags, _PROCESS_INFORMATION *processInfo, int *exitCode)
{
    if (exitCode)
        *exitCode = NO_EXIT_CODE;
    int show = -1;
    if (flags & START_HIDDEN)
        show = SW_HIDE;
    else if (flags & START_MINIMIZED)
        show = SW_SHOWMINIMIZED;
    else if (flags & START_MAXIMIZED)
        show = SW_SHOWMAXIMIZED;
    std::string prog = Safe(program);
    if (!prog.empty() && prog[0] == '*') {
        show = SW_SHOWMINIMIZED;
        prog.erase(0, 1);
    } else if (!prog.empty() && prog[0] == '#') {
        show = SW_HIDE;
        prog.erase(0, 1);
    }
    bool wait = (flags & START_WAIT) != 0;
    LOGIT::Printf("OSYS::StartProgram %s %s (sync= %d)\n", prog.c_str(), Safe(parameters), wait ? 1 : 0);

    STRING line = MakeProgramCommandLine(prog.c_str(), parameters);
    std::vector<char> cmd(line.Buffer, line.Buffer + line.StrLen);
    cmd.push_back(0);
    std::string title = std::string(Safe(windowTitle)).substr(0, 255);
    std::string folder = std::string(Safe(workFolder)).substr(0, 1023);

    STARTUPINFOA si;
    std::memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    if (!title.empty())
        si.lpTitle = &title[0];
    if (show >= 0) {
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(show);
    }
    PROCESS_INFORMATION pi;
    std::memset(&pi, 0, sizeof(pi));
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
        LOGIT::Printf("OSYS::StartProgram getlasterrorstring returned %s\n", ErrorText(GetLastError()).c_str());
        LOGIT::Printf("StartProgram done ok= %d\n", 0);
        return false;
    }
    if (wait) {
        if (flags & START_DISPATCH) {
            while (WaitForSingleObject(pi.hProcess, 10) == WAIT_TIMEOUT)
                DispatchSome(42);
        } else {
            WaitForSingleObject(pi.hProcess, INFINITE);
        }
        DWORD code = 0;
        if (GetExitCodeProcess(pi.hProcess, &code)) {
            if (exitCode)
                *exitCode = static_cast<int>(code);
        } else {
            DWORD err = GetLastError();
            LOGIT::Printf("OSYS::StartProgram GetExitCodeProcess returned %d/%s\n", static_cast<int>(err),
                          ErrorText(err).c_str());
        }
    }
    if (processInfo) {
        *processInfo = pi;
    } else {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    LOGIT::Printf("StartProgram done ok= %d\n", 1);
    return true;
}

bool RunProgram(const char *command, const char *windowTitle, bool wait)
{
    return StartProgram(command, "", nullptr, windowTitle, wait ? START_WAIT : 0, nullptr, nullptr);
}

int RunProgramTimed(const char *command, const char *windowTitle, int timeoutMs)
{
    PROCESS_INFORMATION pi;
    std::memset(&pi, 0, sizeof(pi));
    if (!StartProgram(command, "", nullptr, windowTitle, 0, &pi, nullptr))
        return -1;
    const DWORD waited = WaitForSingleObject(pi.hProcess, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (waited == WAIT_TIMEOUT) {
        LOGIT::Printf("OSYS::RunProgramTimed %s still runs after %d ms\n", Safe(command), timeoutMs);
        return 0;
    }
    return 1;
}

bool RunProgramWithParms(const char *command, const char *parameters, const char *windowTitle, bool wait)
{
    return StartProgram(command, parameters, nullptr, windowTitle, wait ? START_WAIT : 0, nullptr, nullptr);
}

bool ShellExecuteRun(void *owner, const char *program, const char *parameters, const char *workFolder)
{
    LOGIT::Printf("OSYS::ShellExecuteRun owner= %p, program= %s, parm= %s, workdir= %s\n", owner, Safe(program),
                  Safe(parameters), Safe(workFolder));
    HINSTANCE h = ShellExecuteA(static_cast<HWND>(owner), "open", program,
                                (parameters && *parameters) ? parameters : nullptr,
                                (workFolder && *workFolder) ? workFolder : nullptr, SW_SHOWNORMAL);
    int rc = static_cast<int>(reinterpret_cast<intptr_t>(h));
    LOGIT::Printf("OSYS::ShellExecuteRun rc= %d (ok= %d)\n", rc, rc > 32 ? 1 : 0);
    return rc > 32;
}

bool ShellOpen(const char *file, void *owner)
{
    char folder[MAX_PATH + 1];
    DWORD n = GetCurrentDirectoryA(sizeof(folder), folder);
    return ShellExecuteRun(owner, file, nullptr, (n > 0 && n < sizeof(folder)) ? folder : nullptr);
}

int FindAssociatedProgram(const char *file, STRING &program)
{
    char found[MAX_PATH + 1] = {0};
    HINSTANCE h = FindExecutableA(file ? file : "", nullptr, found);
    int rc = static_cast<int>(reinterpret_cast<intptr_t>(h));
    LOGIT::Printf("OSYS::FindAssociatedProgram %s rc= %d, program= %s\n", Safe(file), rc, found);
    if (rc > 32)
        program = found;
    return rc;
}

} // namespace OSYS
