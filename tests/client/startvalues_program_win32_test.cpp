// STARTVALUES::Settle under Wine: the registry values of a scratch key, ports held by a second
// process, and the work folder from the switch and from the registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "client/clientglobals.h"
#include "client/startvalues.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/registry.h"
#include "kestar/devices/tcpipio.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

// A second process that holds count ports from first on.
class PORTHOLDER {
public:
    PORTHOLDER(int first, int count)
    {
        const std::string ready = Folder.File("ready.txt");
        std::string line = "\"" + TestProgramFolder() + "\\portholder.exe\" " + std::to_string(first) + " " +
                           std::to_string(count) + " \"" + ready + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return;
        Process = pi.hProcess;
        CloseHandle(pi.hThread);
        const DWORD end = GetTickCount() + 30000;
        while (GetTickCount() < end && !FileExistsForTest(ready))
            Sleep(20);
        Sleep(50); // the file is written whole before it is closed; give it that moment
        Held = std::atoi(ReadWholeFile(ready).c_str());
    }
    ~PORTHOLDER()
    {
        if (Process) {
            TerminateProcess(Process, 0);
            WaitForSingleObject(Process, 10000);
            CloseHandle(Process);
        }
    }
    int Held = 0;

private:
    TEMPFOLDER Folder;
    HANDLE Process = nullptr;
};

// A base of n free ports, away from those of other tests of this run.
int FreePortBase(int n)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        const int base = 20000 + static_cast<int>((GetTickCount() * 7919u + GetCurrentProcessId() * 104729u +
                                                   attempt * 1009u) % 35000u);
        bool free = true;
        for (int p = base; p < base + n && free; ++p)
            free = TCP::TryBind(p) != 0;
        if (free)
            return base;
    }
    return 0;
}

class STARTVALUESWINTEST : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = LoadLibraryA((TestProgramFolder() + "\\parlomatixenglish.dll").c_str());
        ASSERT_NE(library, nullptr);
        OSYS::SetLanguageModule(library);
        Base = "Software\\PlxTest" + std::to_string(GetCurrentProcessId()) + "\\";
        Program = Scratch.File("prog\\parlomatix.exe");
        CreateDirectoryA(Scratch.File("prog").c_str(), nullptr);
        Arguments({});
        gOwnPort = "6667";
    }
    void TearDown() override
    {
        std::string key = Base.substr(0, Base.size() - 1);
        RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
        ORVAKAPP::ResetForTests();
        gOwnPort = "6667";
        gWorkDir = ".";
        OSYS::SetLanguageModule(nullptr);
        FreeLibrary(library);
    }
    void Arguments(std::vector<std::string> args)
    {
        args.insert(args.begin(), Program);
        std::vector<char *> entries;
        for (auto &a : args)
            entries.push_back(&a[0]);
        entries.push_back(nullptr);
        ORVAKAPP::ProcessArguments(static_cast<int>(args.size()), entries.data(), 9);
    }
    void Store(const char *value, const std::string &text)
    {
        REGISTRY key("Parlomatix", Base.c_str(), REGISTRY::USER_CURRENT);
        ASSERT_TRUE(key.WriteString(value, text.c_str()));
    }

    TEMPFOLDER Scratch;
    std::string Base;
    std::string Program;
    HMODULE library = nullptr;
};

} // namespace

TEST_F(STARTVALUESWINTEST, PortsHeldByAnotherProcessAreSkipped)
{
    const int base = FreePortBase(STARTVALUES::PORTSCAN + 8);
    ASSERT_NE(base, 0);
    Store("NetworkRpcPortIn", std::to_string(base));
    {
        PORTHOLDER holder(base, 2);
        ASSERT_EQ(holder.Held, 2);
        STARTVALUES::Settle(Base.c_str());
        EXPECT_EQ(S(gOwnPort), std::to_string(base + 2));
    }
    // All 32 held (a new base: the ports just released are left alone): the configured port stays.
    const int all = FreePortBase(STARTVALUES::PORTSCAN + 8);
    ASSERT_NE(all, 0);
    Store("NetworkRpcPortIn", std::to_string(all));
    PORTHOLDER holder(all, STARTVALUES::PORTSCAN);
    ASSERT_EQ(holder.Held, STARTVALUES::PORTSCAN);
    gOwnPort = "6667";
    STARTVALUES::Settle(Base.c_str());
    EXPECT_EQ(S(gOwnPort), std::to_string(all));
}

TEST_F(STARTVALUESWINTEST, EmptyRegistryValueKeepsTheDefault)
{
    Store("NetworkRpcPortIn", "");
    STARTVALUES::Settle(Base.c_str());
    // 6667 or, when something of this machine holds it, one of the 31 above.
    const int port = std::atoi(S(gOwnPort).c_str());
    EXPECT_GE(port, 6667);
    EXPECT_LT(port, 6667 + STARTVALUES::PORTSCAN);
}

TEST_F(STARTVALUESWINTEST, WorkFolderFromSwitchOrRegistry)
{
    const std::string programFolder = Scratch.File("prog");
    const std::string existing = Scratch.File("data");
    ASSERT_TRUE(CreateDirectoryA(existing.c_str(), nullptr));
    const std::string stored = Scratch.File("stored");
    ASSERT_TRUE(CreateDirectoryA(stored.c_str(), nullptr));
    struct CASE {
        std::string bySwitch; // empty: no switch
        std::string expect;
    } cases[] = {
        {"data", programFolder},                     // relative
        {Scratch.File("missing"), programFolder},    // absolute, but no such folder
        {existing + "\\", existing},                 // trailing "\" removed
        {"", stored},                                // the registry value
    };
    Store("WorkDir", stored + "\\");
    for (const auto &c : cases) {
        Arguments(c.bySwitch.empty() ? std::vector<std::string>{} : std::vector<std::string>{"/WORKDIR:" + c.bySwitch});
        STARTVALUES::Settle(Base.c_str());
        EXPECT_EQ(S(gWorkDir), c.expect) << c.bySwitch;
    }
}
