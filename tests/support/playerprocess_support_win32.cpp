// itunesstandin.exe as a child of a test (see playerprocess_support.h).
#include "tests/support/playerprocess_support.h"

#include <fstream>
#include <sstream>

#include "tests/support/childprogram_support.h"

bool PLAYERPROCESS::Register()
{
    static int registered = -1;
    if (registered == -1) {
        const CHILDRESULT result =
            RunChildProgram("\"" + TestProgramFolder() + "\\itunesstandin.exe\" /REGSERVER", TestProgramFolder(), 0,
                            30000);
        registered = result.finished && result.exitCode == 0 ? 1 : 0;
    }
    return registered == 1;
}

bool PLAYERPROCESS::Start(int state, int volume, const std::string &logFile)
{
    Stop();
    LogFile = logFile;
    DeleteFileA(logFile.c_str());
    std::string line = "\"" + TestProgramFolder() + "\\itunesstandin.exe\" /STATE:" + std::to_string(state) +
                       " /VOLUME:" + std::to_string(volume) + " \"/LOG:" + logFile + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    Process = pi.hProcess;
    CloseHandle(pi.hThread);
    const DWORD end = GetTickCount() + 20000;
    while (GetTickCount() < end) {
        if (FindWindowA("iTunes", nullptr))
            return true;
        if (WaitForSingleObject(Process, 20) == WAIT_OBJECT_0)
            return false;
    }
    return false;
}

void PLAYERPROCESS::Stop()
{
    if (!Process)
        return;
    HWND window = FindWindowA("iTunes", nullptr);
    if (window)
        PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(Process, 10000) != WAIT_OBJECT_0)
        TerminateProcess(Process, 99);
    WaitForSingleObject(Process, 5000);
    CloseHandle(Process);
    Process = nullptr;
}

std::vector<int> PLAYERPROCESS::Logged(const char *word) const
{
    std::vector<int> values;
    std::ifstream in(LogFile);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        unsigned long ms = 0;
        std::string name;
        int value = 0;
        if (fields >> ms >> name >> value && name == word)
            values.push_back(value);
    }
    return values;
}
