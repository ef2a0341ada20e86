// standinserver.exe as a child of a test (see standinprocess_support.h).
#include "tests/support/standinprocess_support.h"

#include <cstdlib>

#include "kestar/base/hash.h"
#include "kestar/devices/netproc.h"
#include "tests/support/childprogram_support.h"

bool SERVERPROCESS::Start(const std::string &args, int timeoutMs)
{
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0))
        return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::string line = "\"" + TestProgramFolder() + "\\standinserver.exe\" " + args;
    PROCESS_INFORMATION pi{};
    const BOOL ok = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    if (!ok) {
        CloseHandle(readEnd);
        return false;
    }
    Process = pi.hProcess;
    CloseHandle(pi.hThread);
    Output = readEnd;
    const DWORD end = GetTickCount() + timeoutMs;
    while (GetTickCount() < end) {
        ReadAvailable();
        const size_t at = Text.find("PORT ");
        if (at != std::string::npos && Text.find('\n', at) != std::string::npos) {
            Port = std::atoi(Text.c_str() + at + 5);
            return Port > 0;
        }
        if (WaitForSingleObject(Process, 20) == WAIT_OBJECT_0) {
            ReadAvailable();
            return false;
        }
    }
    return false;
}

int SERVERPROCESS::Stop()
{
    if (!Process)
        return ExitCode;
    if (Port > 0) {
        NETPROC caller("6666", "0", 5000);
        caller.SetConnectTimeout(3000);
        HASH params;
        params["Action"] = "STOP";
        STRING result;
        caller.CallNetProcedure(Address().c_str(), "STANDINCONTROL", params, result, 1, nullptr, 5000);
    }
    if (WaitForSingleObject(Process, 15000) != WAIT_OBJECT_0)
        TerminateProcess(Process, 99);
    WaitForSingleObject(Process, 5000);
    DWORD code = 0;
    ExitCode = GetExitCodeProcess(Process, &code) ? static_cast<int>(code) : -1;
    ReadAvailable();
    CloseHandle(Process);
    Process = nullptr;
    if (Output)
        CloseHandle(Output);
    Output = nullptr;
    return ExitCode;
}

const std::string &SERVERPROCESS::Printed()
{
    ReadAvailable();
    return Text;
}

void SERVERPROCESS::ReadAvailable()
{
    DWORD avail = 0;
    while (Output && PeekNamedPipe(Output, nullptr, 0, nullptr, &avail, nullptr) && avail > 0) {
        char buf[4096];
        DWORD got = 0;
        if (!ReadFile(Output, buf, sizeof buf < avail ? sizeof buf : avail, &got, nullptr) || got == 0)
            break;
        Text.append(buf, got);
    }
}
