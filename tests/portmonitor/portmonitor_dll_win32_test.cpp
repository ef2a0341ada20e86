// The port monitor libraries as the spooler meets them: each library of this architecture is
// loaded from the build folder by the stand-in spooler host, which calls its entry and its
// operations in the spooler's order.  The i686 build covers NT and 9x, the x86_64 build X64.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "standins/spooler/monitorhost.h"
#include "tests/portmonitor/dropfolder_support.h"
#include "tests/support/dialog_watcher_support.h"

namespace {

struct LIBRARYCASE {
    const char *label;
    const char *file;
    MONITORHOST::FORM form;
    DWORD needLevel1; // EnumPorts' needed sizes
    DWORD needLevel2;
};

#if defined(_WIN64)
const LIBRARYCASE kLibraries[] = {
    {"X64", "PARLOMATIXPORTX64.DLL", MONITORHOST::FORM_NT, 38, 154},
};
#else
const LIBRARYCASE kLibraries[] = {
    {"NT", "PARLOMATIXPORTNT.DLL", MONITORHOST::FORM_NT, 34, 142},
    {"9x", "PARLOMATIXPORT9x.DLL", MONITORHOST::FORM_9X, 19, 81},
};
#endif

const char kPrinter[] = "PlxPdf"; // a queue of tools/cups.sh, which Wine lists
const char kNoPrinter[] = "No Such Printer Here";

std::string ProgramFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// An ASCII text of the form's width at p.
std::string Text(const void *p, size_t charSize)
{
    std::string text;
    if (charSize == 1)
        return static_cast<const char *>(p);
    for (const WCHAR *w = static_cast<const WCHAR *>(p); *w; ++w)
        text += static_cast<char>(*w);
    return text;
}

class PORTMONITOR_DLL : public testing::TestWithParam<LIBRARYCASE> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Load(ProgramFolder() + GetParam().file, GetParam().form)) << host.Error();
        cs = host.CharSize();
    }
    MONITORHOST host;
    size_t cs = 1;
    DROPFOLDER drop; // the files of the jobs land in a scratch folder
};

std::string CaseName(const testing::TestParamInfo<LIBRARYCASE> &info)
{
    return info.param.label;
}

} // namespace

TEST_P(PORTMONITOR_DLL, EntryFillsTheTableWhereTheSpoolerLooks)
{
    // Entry numbers that hold an operation; the others must be null.
    std::vector<int> filled = {1, 2, 4, 5, 6, 7, 8, 9, 11, 12}; // NT: ConfigurePort 11, DeletePort 12
    if (GetParam().form == MONITORHOST::FORM_9X)
        filled = {1, 2, 4, 5, 6, 7, 8, 9, 10, 11}; // 9x: ConfigurePort 10, DeletePort 11
    for (int i = 1; i <= host.EntryCount(); ++i) {
        bool wanted = std::find(filled.begin(), filled.end(), i) != filled.end();
        EXPECT_EQ(host.Entry(i) != nullptr, wanted) << "entry " << i;
    }
    if (GetParam().form == MONITORHOST::FORM_NT) {
        EXPECT_EQ(host.MonitorSize(), 14 * sizeof(void *)) << "56 bytes on i686, 112 on x86_64";
    }
    EXPECT_TRUE(host.GuardIntact()) << "the 9x entry wrote past the 13th entry";
}

TEST_P(PORTMONITOR_DLL, EnumPortsPacksTheStringsFromTheBufferEnd)
{
    struct LEVELCASE {
        DWORD level;
        DWORD need;
    } levels[] = {{1, GetParam().needLevel1}, {2, GetParam().needLevel2}};
    for (const LEVELCASE &c : levels) {
        SCOPED_TRACE("level " + std::to_string(c.level));
        // Exactly the needed size.
        std::vector<BYTE> buffer(c.need, 0xCC);
        DWORD needed = 0, returned = 0;
        ASSERT_TRUE(host.EnumPorts(c.level, buffer.data(), c.need, &needed, &returned));
        EXPECT_EQ(needed, c.need);
        EXPECT_EQ(returned, 1u);
        BYTE *end = buffer.data() + c.need;
        const size_t portBytes = 15 * cs, monitorBytes = 27 * cs, descriptionBytes = 19 * cs;
        void *const *fields = reinterpret_cast<void *const *>(buffer.data());
        // The port name's terminator is the buffer's last character.
        EXPECT_EQ(fields[0], end - portBytes);
        EXPECT_EQ(Text(fields[0], cs), "ParlomatixFax:");
        EXPECT_EQ(end[-1], 0);
        if (c.level == 2) {
            EXPECT_EQ(fields[1], end - portBytes - monitorBytes);
            EXPECT_EQ(Text(fields[1], cs), "ParlomatixFax Port Monitor");
            EXPECT_EQ(fields[2], end - portBytes - monitorBytes - descriptionBytes);
            EXPECT_EQ(Text(fields[2], cs), "ParlomatixFax Port");
            const DWORD *numbers = reinterpret_cast<const DWORD *>(fields + 3);
            EXPECT_EQ(numbers[0], static_cast<DWORD>(PORT_TYPE_WRITE | PORT_TYPE_READ));
            EXPECT_EQ(numbers[0], 3u);
            EXPECT_EQ(numbers[1], 0u);
        }

        // One byte less: refused, the size told, count and buffer untouched.
        std::vector<BYTE> small(c.need - 1, 0xCC);
        needed = 0;
        returned = 0xDEAD;
        SetLastError(0);
        EXPECT_FALSE(host.EnumPorts(c.level, small.data(), c.need - 1, &needed, &returned));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        EXPECT_EQ(needed, c.need);
        EXPECT_EQ(returned, 0xDEADu);
        EXPECT_EQ(small, std::vector<BYTE>(c.need - 1, 0xCC));

        // The spooler's first call: no buffer, to learn the size.
        needed = 0;
        returned = 0xDEAD;
        SetLastError(0);
        EXPECT_FALSE(host.EnumPorts(c.level, nullptr, 0, &needed, &returned));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        EXPECT_EQ(needed, c.need);
        EXPECT_EQ(returned, 0xDEADu);
    }

    std::vector<BYTE> buffer(512, 0xCC);
    DWORD needed = 0xBEEF, returned = 0xDEAD;
    SetLastError(0);
    EXPECT_FALSE(host.EnumPorts(3, buffer.data(), 512, &needed, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
    EXPECT_EQ(needed, 0xBEEFu);
    EXPECT_EQ(returned, 0xDEADu);
    EXPECT_EQ(buffer, std::vector<BYTE>(512, 0xCC));
}

TEST_P(PORTMONITOR_DLL, NullPortHandleIsRefused)
{
    DWORD written = 77;
    EXPECT_FALSE(host.StartDocPort(nullptr, kPrinter, 1));
    EXPECT_FALSE(host.WritePort(nullptr, "abc", 3, &written));
    EXPECT_EQ(written, 0u);
    EXPECT_FALSE(host.EndDocPort(nullptr));
    EXPECT_FALSE(host.ClosePort(nullptr));
}

TEST_P(PORTMONITOR_DLL, JobsRunInTheSpoolersOrder)
{
    HANDLE port = nullptr;
    ASSERT_TRUE(host.OpenPort(&port));
    ASSERT_NE(port, nullptr);

    BYTE buffer[16];
    DWORD read = 1234;
    EXPECT_TRUE(host.ReadPort(port, buffer, sizeof(buffer), &read));
    EXPECT_EQ(read, 1234u) << "ReadPort leaves the caller's count";

    // A valid job: one blank page.  Its bytes between the records do not matter.
    std::string job = "[BEGINDOC][BEGINPAGE]" + std::string(5000, 'x') + "[LINES 4][ENDPAGE]";
    // Two jobs on one port, on a printer that exists and on one that does not, in pieces of
    // several sizes.
    EXPECT_TRUE(host.PrintJob(port, kPrinter, 1, job, 1000));
    EXPECT_TRUE(host.PrintJob(port, kNoPrinter, 2, job, 7));
    EXPECT_TRUE(host.PrintJob(port, kPrinter, 3, "[BEGINDOC]", 1)) << "a job without pages";
    EXPECT_EQ(drop.Files().size(), 3u);

    // A job that never ends: ClosePort still succeeds (and closes its printer, which the unit
    // tests see).
    ASSERT_TRUE(host.StartDocPort(port, kPrinter, 4));
    DWORD written = 0;
    EXPECT_TRUE(host.WritePort(port, job.data(), 100, &written));
    EXPECT_EQ(written, 100u);
    EXPECT_TRUE(host.ClosePort(port));
}

TEST_P(PORTMONITOR_DLL, JobPastTheSizeLimitIsRefused)
{
    HANDLE port = nullptr;
    ASSERT_TRUE(host.OpenPort(&port));
    ASSERT_TRUE(host.StartDocPort(port, kNoPrinter, 1));
    // One byte past the 256 MiB limit.  Committed but untouched pages cost nothing, and a
    // monitor that refuses never reads them.
    const DWORD size = 256u * 1024 * 1024 + 1;
    void *huge = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(huge, nullptr);
    DWORD written = 99;
    SetLastError(0);
    EXPECT_FALSE(host.WritePort(port, huge, size, &written));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(written, 0u);
    VirtualFree(huge, 0, MEM_RELEASE);
    EXPECT_FALSE(host.WritePort(port, "more", 4, &written)) << "the rest of the job is refused too";
    {
        DIALOGWATCHER watcher(IDOK, 20000, GetCurrentThreadId(), "ParlomatixFax Port Monitor");
        EXPECT_TRUE(host.EndDocPort(port));
        EXPECT_EQ(watcher.Text(), "File Write Error");
    }
    EXPECT_TRUE(drop.Files("*").empty());

    EXPECT_TRUE(host.PrintJob(port, kNoPrinter, 2, "[BEGINDOC] the next job is fine", 4));
    EXPECT_EQ(drop.Files().size(), 1u);
    EXPECT_TRUE(host.ClosePort(port));
}

TEST_P(PORTMONITOR_DLL, AddAndConfigureShowTheirBoxOverTheOwner)
{
    HWND owner = CreateWindowExA(0, "STATIC", "monitor test owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    struct BOXCASE {
        const char *what;
        BOOL (MONITORHOST::*call)(HWND);
        const char *text;
    } boxes[] = {
        {"AddPort", &MONITORHOST::AddPort, "Thanks for adding the ParlomatixFax port."},
        {"ConfigurePort", &MONITORHOST::ConfigurePort, "There is nothing to configure for this port."},
    };
    for (const BOXCASE &c : boxes) {
        SCOPED_TRACE(c.what);
        DIALOGWATCHER watcher(IDOK, 20000);
        EXPECT_TRUE((host.*c.call)(owner));
        ASSERT_TRUE(watcher.WaitPressed(1000));
        EXPECT_EQ(watcher.Title(), "ParlomatixFax Port Monitor");
        EXPECT_NE(watcher.Text().find(c.text), std::string::npos) << watcher.Text();
        EXPECT_EQ(watcher.Owner(), owner);
    }
    DestroyWindow(owner);
    EXPECT_TRUE(host.DeletePort(nullptr));
}

INSTANTIATE_TEST_SUITE_P(Libraries, PORTMONITOR_DLL, testing::ValuesIn(kLibraries), CaseName);
