// parlomatix.exe itself under Wine and Xvfb: a second start only brings the first window to the
// front and ends with 0; from a folder with "main.cpp" a second instance runs.  Both end when
// their window is closed, with exit code 0, the log names the own port, and no assertion fails.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/childprogram_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

const char kClass[] = "OrvakParlomatixWinClass";

std::vector<HWND> MainWindows()
{
    std::vector<HWND> found;
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, kClass, nullptr)) != nullptr)
        found.push_back(w);
    return found;
}

template <class F> bool WaitUntil(F done, int ms)
{
    const DWORD end = GetTickCount() + ms;
    while (!done()) {
        if (GetTickCount() >= end)
            return false;
        Sleep(50);
    }
    return true;
}

// parlomatix.exe started in folder with args; ended by force when the test leaves it running.
class CLIENTPROCESS {
public:
    CLIENTPROCESS(const std::string &folder, const std::string &args)
    {
        std::string line = "\"" + TestProgramFolder() + "\\parlomatix.exe\" " + args;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
            Process = pi.hProcess;
            CloseHandle(pi.hThread);
        }
    }
    ~CLIENTPROCESS()
    {
        if (Process) {
            if (WaitForSingleObject(Process, 0) != WAIT_OBJECT_0)
                TerminateProcess(Process, 99);
            WaitForSingleObject(Process, 10000);
            CloseHandle(Process);
        }
    }
    // The exit code once it ended within ms, else -1.
    long WaitExit(int ms)
    {
        DWORD code = 0;
        if (!Process || WaitForSingleObject(Process, ms) != WAIT_OBJECT_0 || !GetExitCodeProcess(Process, &code))
            return -1;
        return static_cast<long>(code);
    }
    HANDLE Process = nullptr;
};

} // namespace

TEST(CLIENTINSTANCE, SecondStartShowsTheFirstUnlessMainCppIsThere)
{
    ASSERT_TRUE(MainWindows().empty()) << "a client runs already";
    TEMPFOLDER first, second;
    const std::string firstLog = first.File("client.log");
    CLIENTPROCESS one(first.Path(), "/MIN /NOASSERT /WORKDIR:" + first.Path() + " /LOGIT:" + firstLog);
    ASSERT_NE(one.Process, nullptr);
    ASSERT_TRUE(WaitUntil([] { return MainWindows().size() == 1; }, 60000));
    HWND window = MainWindows()[0];
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(window) != 0; }, 10000)); // "/MIN"

    // The second start restores the first and ends at once.
    CLIENTPROCESS two(second.Path(), "/NOASSERT /WORKDIR:" + second.Path());
    EXPECT_EQ(two.WaitExit(60000), 0);
    EXPECT_EQ(MainWindows().size(), 1u);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(window) && IsWindowVisible(window); }, 10000));

    // From a development folder a second instance runs beside the first.
    FILE *f = std::fopen(second.File("main.cpp").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    CLIENTPROCESS three(second.Path(), "/NOASSERT /WORKDIR:" + second.Path());
    EXPECT_TRUE(WaitUntil([] { return MainWindows().size() == 2; }, 60000));

    for (HWND w : MainWindows())
        PostMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(one.WaitExit(30000), 0);
    EXPECT_EQ(three.WaitExit(30000), 0);
    EXPECT_TRUE(MainWindows().empty());

    const std::string log = ReadWholeFile(firstLog);
    EXPECT_NE(log.find("APP::APP listening on port "), std::string::npos);
    EXPECT_NE(log.find("main::~main"), std::string::npos);
    // An ordinary start and end report nothing (no help file beside the program is no fault).
    EXPECT_FALSE(FileExistsForTest(first.File("assert.log"))) << ReadWholeFile(first.File("assert.log"));
}
