// OSYS::StartProgram: waiting, exit codes, show modes, work folder, handles.
#include <gtest/gtest.h>

#include "kestar/base/osysprogram.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/tempfolder_support.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

std::string Str(const STRING &s)
{
    return s.Buffer ? std::string(s.Buffer, static_cast<size_t>(s.StrLen)) : std::string("<NULL>");
}

std::string Cmd()
{
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, sizeof(dir));
    return std::string(dir) + "\\cmd.exe";
}

} // namespace

TEST(OSYSPROGRAM, MakeProgramCommandLine)
{
    const struct {
        const char *program, *parameters, *expected;
    } cases[] = {
        {"C:\\Program Files\\Orvak\\setup.exe", "/ADMIN:ADDPRINTER", "\"C:\\Program Files\\Orvak\\setup.exe\" /ADMIN:ADDPRINTER"},
        {"\"C:\\x y\\p.exe\"", "-q", "\"C:\\x y\\p.exe\" -q"},
        {"notepad.exe", "", "notepad.exe"},
        {"notepad.exe", nullptr, "notepad.exe"},
        {"C:\\x y\\p.exe -a", nullptr, "C:\\x y\\p.exe -a"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Str(OSYS::MakeProgramCommandLine(c.program, c.parameters)), c.expected) << c.program;
}

TEST(OSYSPROGRAM, StartProgramWaitsAndReturnsTheExitCode)
{
    const struct {
        std::string program;
        int flags;
    } cases[] = {
        {Cmd(), OSYS::START_WAIT},
        {Cmd(), OSYS::START_WAIT | OSYS::START_DISPATCH},
        {"#" + Cmd(), OSYS::START_WAIT},
        {"*" + Cmd(), OSYS::START_WAIT | OSYS::START_MAXIMIZED},
        {Cmd(), OSYS::START_WAIT | OSYS::START_HIDDEN | OSYS::START_DISPATCH},
    };
    for (const auto &c : cases) {
        int code = 0;
        EXPECT_TRUE(OSYS::StartProgram(c.program.c_str(), "/c exit 3", nullptr, "plx test", c.flags, nullptr, &code))
            << c.program << " " << c.flags;
        EXPECT_EQ(code, 3) << c.program << " " << c.flags;
    }
    EXPECT_TRUE(OSYS::RunProgramWithParms(Cmd().c_str(), "/c exit 0", nullptr, true));
}

TEST(OSYSPROGRAM, StartProgramWithoutWaitingHandsOutTheProcess)
{
    int code = 0;
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(OSYS::StartProgram(Cmd().c_str(), "/c exit 5", nullptr, nullptr, OSYS::START_HIDDEN, &pi, &code));
    EXPECT_EQ(code, OSYS::NO_EXIT_CODE);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
    DWORD exit = 0;
    EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &exit));
    EXPECT_EQ(exit, 5u);
    EXPECT_NE(pi.dwProcessId, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

TEST(OSYSPROGRAM, StartProgramRunsInTheWorkFolder)
{
    TEMPFOLDER temp;
    std::ofstream(temp.File("marker.txt")) << "here";
    int code = 0;
    ASSERT_TRUE(OSYS::StartProgram(Cmd().c_str(), "/c if exist marker.txt exit 7", temp.Path().c_str(), nullptr,
                                   OSYS::START_WAIT, nullptr, &code));
    EXPECT_EQ(code, 7);
}

TEST(OSYSPROGRAM, StartProgramOfAPathWithABlank)
{
    TEMPFOLDER temp;
    std::string folder = temp.File("with blank");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string copy = folder + "\\cmd.exe";
    ASSERT_TRUE(CopyFileA(Cmd().c_str(), copy.c_str(), FALSE));
    int code = 0;
    EXPECT_TRUE(OSYS::StartProgram(copy.c_str(), "/c exit 4", nullptr, nullptr, OSYS::START_WAIT, nullptr, &code));
    EXPECT_EQ(code, 4);
}

TEST(OSYSPROGRAM, StartProgramThatCannotStart)
{
    int code = 0;
    EXPECT_FALSE(OSYS::StartProgram("C:\\plx-no-such-folder\\none.exe", "-x", nullptr, nullptr, OSYS::START_WAIT,
                                    nullptr, &code));
    EXPECT_EQ(code, OSYS::NO_EXIT_CODE);
    EXPECT_FALSE(OSYS::RunProgram("plx-no-such-program-anywhere.exe", nullptr, true));
}

TEST(OSYSPROGRAM, RunProgramTimedTellsEndedFromNotStarted)
{
    EXPECT_EQ(OSYS::RunProgramTimed((Cmd() + " /c exit 4").c_str(), "plx test", 20000), 1);
    EXPECT_EQ(OSYS::RunProgramTimed("C:\\plx-no-such-folder\\none.exe", nullptr, 100), -1);
}

namespace {

std::string StartProbe()
{
    return TestProgramFolder() + "\\startprobe.exe";
}

// The "key=value" lines the child wrote.
std::map<std::string, std::string> Report(const std::string &file)
{
    std::map<std::string, std::string> values;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

// A message-only window that answers the child's sent message with 42 and counts its posted one.
int gPosted = 0;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_APP + 1)
        return 42;
    if (message == WM_APP + 2) {
        gPosted++;
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

} // namespace

TEST(OSYSPROGRAM, TheStartedProgramSeesShowModeAndTitle)
{
    TEMPFOLDER temp;
    const std::string report = temp.File("report.txt");
    const std::string probe = StartProbe();
    const struct {
        std::string program;
        int flags;
        const char *useShow, *show;
    } cases[] = {
        {probe, OSYS::START_WAIT, "0", nullptr},
        {probe, OSYS::START_WAIT | OSYS::START_HIDDEN | OSYS::START_MINIMIZED, "1", "0"},
        {probe, OSYS::START_WAIT | OSYS::START_MINIMIZED | OSYS::START_MAXIMIZED, "1", "2"},
        {probe, OSYS::START_WAIT | OSYS::START_MAXIMIZED, "1", "3"},
        {"#" + probe, OSYS::START_WAIT | OSYS::START_MAXIMIZED, "1", "0"}, // the prefix wins
        {"*" + probe, OSYS::START_WAIT | OSYS::START_HIDDEN, "1", "2"},
    };
    for (const auto &c : cases) {
        DeleteFileA(report.c_str());
        int code = -1;
        ASSERT_TRUE(OSYS::StartProgram(c.program.c_str(), ("\"" + report + "\"").c_str(), nullptr, "plx probe",
                                       c.flags, nullptr, &code))
            << c.program << " " << c.flags;
        EXPECT_EQ(code, 0);
        auto values = Report(report);
        EXPECT_EQ(values["useshow"], c.useShow) << c.program << " " << c.flags;
        if (c.show) {
            EXPECT_EQ(values["show"], c.show) << c.program << " " << c.flags;
        }
        EXPECT_EQ(values["title"], "plx probe");
    }
}

TEST(OSYSPROGRAM, WaitingWithDispatchKeepsTheWindowsAnswering)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ProbeWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PlxStartProbeWindow";
    RegisterClassA(&wc);
    HWND window = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    TEMPFOLDER temp;
    const std::string parameters = "\"" + temp.File("report.txt") + "\" " +
                                   std::to_string(static_cast<long long>(reinterpret_cast<INT_PTR>(window)));
    // With dispatching the sent message is answered and the posted one handled during the wait.
    gPosted = 0;
    int code = -1;
    ASSERT_TRUE(OSYS::StartProgram(StartProbe().c_str(), parameters.c_str(), nullptr, nullptr,
                                   OSYS::START_WAIT | OSYS::START_DISPATCH, nullptr, &code));
    EXPECT_EQ(code, 42);
    EXPECT_EQ(gPosted, 1);
    // Without it nothing is handled while waiting: the child's send times out.
    gPosted = 0;
    ASSERT_TRUE(OSYS::StartProgram(StartProbe().c_str(), parameters.c_str(), nullptr, nullptr, OSYS::START_WAIT,
                                   nullptr, &code));
    EXPECT_EQ(code, 1);
    EXPECT_EQ(gPosted, 0);
    MSG msg;
    while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    EXPECT_EQ(gPosted, 1);
    DestroyWindow(window);
}

namespace {

// Waits up to 30 seconds for a file to hold text (the shell starts programs without a handle to
// wait on).
bool FileSaysSoon(const std::string &file, const std::string &text)
{
    for (int i = 0; i < 600; i++) {
        std::ifstream in(file);
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (all.find(text) != std::string::npos)
            return true;
        Sleep(50);
    }
    return false;
}

} // namespace

TEST(OSYSPROGRAM, ShellExecuteRunStartsInTheWorkFolder)
{
    TEMPFOLDER temp;
    // A relative report name: the file lands in the work folder only when the child runs there.
    EXPECT_TRUE(OSYS::ShellExecuteRun(nullptr, StartProbe().c_str(), "report.txt", temp.Path().c_str()));
    EXPECT_TRUE(FileSaysSoon(temp.File("report.txt"), "title="));
    EXPECT_FALSE(OSYS::ShellExecuteRun(nullptr, temp.File("none.exe").c_str(), "x", temp.Path().c_str()));
}

TEST(OSYSPROGRAM, ShellOpenOpensAFileWithItsProgramInTheCurrentFolder)
{
    TEMPFOLDER temp;
    const std::string cwd = CurrentFolderForTest();
    ASSERT_TRUE(ChangeFolderForTest(temp.Path()));
    std::ofstream("open.bat") << "@echo opened> opened.txt\r\n";
    EXPECT_TRUE(OSYS::ShellOpen("open.bat", nullptr));
    EXPECT_TRUE(FileSaysSoon(temp.File("opened.txt"), "opened"));
    EXPECT_FALSE(OSYS::ShellOpen("missing.bat", nullptr));
    ChangeFolderForTest(cwd);
}
