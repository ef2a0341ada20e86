// OSYS::StartProgram: waiting, exit codes, show modes, work folder, handles.
#include <gtest/gtest.h>

#include "kestar/osysprogram.h"
#include "tests/support/tempfolder_support.h"

#include <windows.h>

#include <fstream>
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
