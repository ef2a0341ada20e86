// The worker thread of the client object under Wine, against the stand-in phone server: the
// periodic "PING" and what its answers lead to, the queued jobs with their log lines, the re-logon
// after a power-down and the main window's power notices.  The waits are set short; the stand-in
// answers "PING" from a script where a test needs another answer.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "client/app.h"
#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysresource.h"
#include "kestar/devices/netproc.h"
#include "kestar/windowing/statusbar.h"
#include "lang/resource_ids.h"
#include "tests/client/clientprogram_support.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/dialog_watcher_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/standinprocess_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

// The lines of text that contain part, in order.
std::vector<std::string> Lines(const std::string &text, const std::string &part)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(at, end - at);
        if (line.find(part) != std::string::npos)
            lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

class WORKERTEST : public CLIENTPROGRAMTEST {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartServer());
        HASH settings;
        ASSERT_NO_FATAL_FAILURE(MakeClientFolder(&settings));
        CLIENTTIMING::Set(CLIENTTIMING::RPC, 10000);
        CLIENTTIMING::Set(CLIENTTIMING::CONNECT, 3000);
        CLIENTTIMING::Set(CLIENTTIMING::CONNECTIVITY, 5000);
        CLIENTTIMING::Set(CLIENTTIMING::ITEMS, 10000);
        CLIENTTIMING::Set(CLIENTTIMING::STATUSCLEAR, 300);
        CLIENTTIMING::Set(CLIENTTIMING::WORKERPASS, 100);
        CLIENTTIMING::Set(CLIENTTIMING::PINGEVERY, 60000);
        CLIENTTIMING::Set(CLIENTTIMING::RELOGONPAUSE, 10);
        gOwnPort = "0";
    }
    void TearDown() override
    {
        EndClient();
        gSilentRelogin = 0;
    }
    // Builds the client; logOn: it logs on to the stand-in while it is built, as the program does.
    void Start(bool logOn)
    {
        APP::LogonAtStart = logOn ? 1 : 0;
        App.reset(new APP(0));
        ASSERT_NE(App->hWnd, nullptr);
        if (logOn)
            ASSERT_EQ(App->LoggedOn, 1);
    }
    // Answers of the stand-in: command and answer text, in turn.
    void Answers(const std::vector<std::pair<const char *, const char *>> &answers)
    {
        HASHLIST list;
        for (const auto &a : answers) {
            HASH entry;
            entry["Command"] = a.first;
            entry["Answer"] = a.second;
            list.AddItem(entry);
        }
        NETPROC caller("6666", "0", 5000);
        HASH params;
        params["Action"] = "SCRIPT";
        params["Script"] = list.ToString();
        STRING result;
        ASSERT_TRUE(caller.CallNetProcedure(Server.Address().c_str(), "STANDINCONTROL", params, result, 1, nullptr,
                                            5000));
    }
    int Logged(const char *command)
    {
        HASHLIST log;
        log.FromString(STRING(ReadWholeFile(CallLog).c_str()));
        int n = 0;
        for (int i = 0; i < log.NumItems(); ++i)
            if (log[i]->Get("Command") == command)
                ++n;
        return n;
    }
    // Queues the jobs at once, so that the worker takes them in this order.
    void Queue(std::initializer_list<const char *> names)
    {
        App->QueuedFunctions.Lock();
        for (const char *name : names)
            App->QueuedFunctions.AddItem(STRING(name));
        App->QueuedFunctions.Unlock();
    }
    std::string StatusText()
    {
        char text[256] = "";
        SendMessageA(App->StatusBar->hWnd, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }
};

} // namespace

TEST_F(WORKERTEST, FirstPingAfterTheFirstPassAndNoneWhileLoggedOut)
{
    // Logged on while it is built: the worker's first pass pings, long before PINGEVERY.
    const DWORD start = GetTickCount();
    Start(true);
    ASSERT_TRUE(WaitUntil([&] { return Logged("PING") == 1; }, 5000));
    EXPECT_LT(GetTickCount() - start, 15000u);
    WaitUntil([] { return false; }, 500);
    EXPECT_EQ(Logged("PING"), 1);
    EXPECT_EQ(App->LoggedOn, 1); // the stand-in answered "<OK>"

    // Logged out: no "PING", but the server is still "checked" every PINGEVERY.
    App->LogoutFromServer(0);
    LOGCAPTURE capture;
    CLIENTTIMING::Set(CLIENTTIMING::PINGEVERY, 200);
    WaitUntil([] { return false; }, 1500);
    const std::string &text = capture.Text();
    EXPECT_GE(Lines(text, "APP::PingThread is starting checking {SERVER}").size(), 3u);
    EXPECT_GE(Lines(text, "APP::PingThread ended checking {SERVER}").size(), 3u);
    EXPECT_EQ(Logged("PING"), 1);
}

TEST_F(WORKERTEST, AnswersOfPing)
{
    // "<ok>" in any case counts as "<OK>"; "<NOK>" logs on again without logging out.
    Answers({{"PING", "<ok>"}, {"PING", "<NOK>"}});
    CLIENTTIMING::Set(CLIENTTIMING::PINGEVERY, 300);
    LOGCAPTURE capture;
    Start(true);
    const int requests = App->LogonRequests;
    ASSERT_TRUE(WaitUntil([&] { return Logged("PING") >= 2 && App->LogonRequests > requests; }));
    CLIENTTIMING::Set(CLIENTTIMING::PINGEVERY, 60000);
    ASSERT_TRUE(WaitUntil([&] { return App->LoggedOn == 1; }));
    const std::string &text = capture.Text();
    EXPECT_EQ(Lines(text, "APP::PingThread received <NOK>, so relogin").size(), 1u);
    EXPECT_EQ(Lines(text, "did not receive <OK>").size(), 0u);
    EXPECT_EQ(Lines(text, "APP::LogoutFromServer(1)").size(), 0u); // never logged out as lost
}

TEST_F(WORKERTEST, ALostServerLogsOutAndOpensTheConnectDialog)
{
    // "<NULL>" (no result): logged out as lost, box 3027, then the 'connect to' dialog.
    Answers({{"PING", "<NULL>"}});
    DIALOGWATCHER watcher(IDOK);
    LOGCAPTURE capture;
    Start(true);
    // The box is owned by the main window: this thread dispatches meanwhile.
    ASSERT_TRUE(WaitUntil([&] { return watcher.Pressed(); }, 15000));
    EXPECT_EQ(watcher.Title(), S(OSYS::GetStringFromResource(IDS_APPNAME)));
    EXPECT_EQ(watcher.Text(), S(OSYS::GetStringFromResource(IDS_SERVERLOST)));
    WaitUntil([] { return false; }, 1000);
    EXPECT_EQ(App->LoggedOn, 0);
    const std::string &text = capture.Text();
    EXPECT_EQ(Lines(text, "APP::PingThread did not receive <OK>, commok=1, so try to logout").size(), 1u);
    EXPECT_EQ(Lines(text, "APP::LogoutFromServer(1)").size(), 1u);
    EXPECT_EQ(Lines(text, "APP::PingThread after posting 'connect to' dialog").size(), 1u);
    EXPECT_EQ(Lines(text, "APP::ConnectDialog").size(), 1u); // WM_COMMAND 2103 reached the window
    EXPECT_EQ(Lines(text, "relogonafterpowerdown").size(), 0u);
}

TEST_F(WORKERTEST, SilentReloginQueuesOneReLogonAndShowsNothing)
{
    gSilentRelogin = 1;
    Answers({{"PING", "<FAIL>"}});
    DIALOGWATCHER watcher(IDOK, 4000);
    LOGCAPTURE capture;
    Start(true);
    ASSERT_TRUE(WaitUntil([&] { return Logged("PING") == 1; }));
    // The re-logon runs at once: the connection is tested, then the logon.
    ASSERT_TRUE(WaitUntil([&] { return Logged("LOGIN") == 2 && App->LoggedOn == 1; }, 15000));
    WaitUntil([] { return false; }, 1000);
    EXPECT_FALSE(watcher.Pressed());
    const std::string &text = capture.Text();
    EXPECT_EQ(Lines(text, "APP::PingThread added relogonafterpowerdown cause of gSilentRelogin is set").size(), 1u);
    EXPECT_EQ(Lines(text, "APP queued QUEUED_RELOGONAFTERPOWERDOWN").size(), 1u);
    EXPECT_EQ(Lines(text, "APP::PingThread processed queued function QUEUED_RELOGONAFTERPOWERDOWN").size(), 1u);
    EXPECT_EQ(Lines(text, "APP::PingThread ReLogonToServer after powerdown processing finished").size(), 1u);
    EXPECT_EQ(Lines(text, "testing connection failed").size(), 0u);
    EXPECT_EQ(Lines(text, "after posting 'connect to' dialog").size(), 0u);
}

TEST_F(WORKERTEST, PoweredDownPostsTheConnectDialogWithoutABox)
{
    for (int silent : {0, 1}) {
        gSilentRelogin = silent;
        Answers({{"PING", "<OK>"}, {"PING", "<NULL>"}});
        CLIENTTIMING::Set(CLIENTTIMING::PINGEVERY, 60000);
        DIALOGWATCHER watcher(IDOK, 4000);
        auto capture = std::make_unique<LOGCAPTURE>();
        Start(true);
        ASSERT_TRUE(WaitUntil([&] { return Logged("PING") >= 1; })) << silent;
        App->PoweredDown = 1;
        CLIENTTIMING::Set(CLIENTTIMING::PINGEVERY, 200);
        ASSERT_TRUE(WaitUntil([&] { return App->LoggedOn == 0; })) << silent;
        CLIENTTIMING::Set(CLIENTTIMING::PINGEVERY, 60000);
        WaitUntil([] { return false; }, 500);
        EXPECT_FALSE(watcher.Pressed()) << silent;
        const std::string &text = capture->Text();
        EXPECT_EQ(Lines(text, "APP::PingThread after posting 'connect to' dialog").size(), 1u) << silent;
        EXPECT_EQ(Lines(text, "APP::ConnectDialog").size(), 1u) << silent;
        EXPECT_EQ(Lines(text, "added relogonafterpowerdown").size(), 0u) << silent;
        capture.reset();
        App.reset();
    }
}

TEST_F(WORKERTEST, ReLogonAgainstAServerThatNeverAnswers)
{
    Start(false);
    App->SetSetting("NetworkPrimaryServer", "127.0.0.1:1");
    // The logon at the end tests the connection once more, not silently: its box is pressed.
    DIALOGWATCHER watcher(IDOK, 30000);
    LOGCAPTURE capture;
    App->AddQueuedFunction("QUEUED_RELOGONAFTERPOWERDOWN");
    ASSERT_TRUE(WaitUntil([&] { return StatusText() == S(OSYS::GetStringFromResource(IDS_RELOGON_WAITING)); }));
    ASSERT_TRUE(WaitUntil([&] { return watcher.Pressed(); }, 60000));
    WaitUntil([] { return false; }, 500);
    const std::string &text = capture.Text();
    const std::vector<std::string> tries = Lines(text, "APP::PingThread ReLogonToServer testing connection failed");
    ASSERT_EQ(tries.size(), 12u);
    for (int i = 0; i < 12; ++i)
        EXPECT_NE(tries[static_cast<size_t>(i)].find("try=" + std::to_string(12 - i) + ", waiting 6 seconds"),
                  std::string::npos)
            << tries[static_cast<size_t>(i)];
    // One logon after the last try.
    const size_t last = text.find("try=1, waiting");
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(Lines(text.substr(last), "APP::LogonToServer()").size(), 1u);
    EXPECT_EQ(Lines(text.substr(0, last), "APP::LogonToServer()").size(), 0u);
    EXPECT_EQ(Lines(text, "APP::PingThread ReLogonToServer after powerdown processing finished").size(), 1u);
}

TEST_F(WORKERTEST, ACleanUpCutsTheReLogonShort)
{
    Start(false);
    App->SetSetting("NetworkPrimaryServer", "127.0.0.1:1");
    CLIENTTIMING::Set(CLIENTTIMING::RELOGONPAUSE, 60000);
    LOGCAPTURE capture;
    App->AddQueuedFunction("QUEUED_RELOGONAFTERPOWERDOWN");
    // Long enough for the first failed try to be over.
    WaitUntil([] { return false; }, 2500);
    const DWORD start = GetTickCount();
    App.reset();
    EXPECT_LT(GetTickCount() - start, 10000u);
    const std::string &text = capture.Text();
    EXPECT_EQ(Lines(text, "try=12, waiting").size(), 1u);
    EXPECT_EQ(Lines(text, "try=11, waiting").size(), 0u);
    EXPECT_EQ(Lines(text, "APP::LogonToServer()").size(), 0u);
    EXPECT_EQ(Lines(text, "APP::PingThread ends").size(), 1u);
}

TEST_F(WORKERTEST, JobsRunFirstInFirstOutAndAnUnknownOneIsDropped)
{
    Start(false);
    LOGCAPTURE capture;
    Queue({"QUEUED_FILLTREEVIEW", "QUEUED_FILLTREEVIEW", "NO_SUCH_JOB", "queued_cleartreeview",
           "QUEUED_RENEWTREEVIEW", "QUEUED_CLEARLISTVIEW", "QUEUED_FILLLISTVIEW"});
    ASSERT_TRUE(WaitUntil([&] { return App->QueuedFunctions.NumItems() == 0; }));
    WaitUntil([] { return false; }, 300);
    const std::string &text = capture.Text();
    const std::vector<std::string> processed = Lines(text, "APP::PingThread processed queued function ");
    ASSERT_EQ(processed.size(), 7u);
    EXPECT_NE(processed[2].find("NO_SUCH_JOB"), std::string::npos);
    EXPECT_EQ(Lines(text, "APP::PingThread FillTreeview processing finished").size(), 2u);
    EXPECT_EQ(Lines(text, "APP::PingThread ClearTreeview processing finished").size(), 1u);
    EXPECT_EQ(Lines(text, "APP::PingThread RenewTreeview processing finished").size(), 1u);
    EXPECT_EQ(Lines(text, "APP::PingThread ClearListview processing finished").size(), 1u);
    EXPECT_EQ(Lines(text, "APP::PingThread FillListview processing finished").size(), 1u);
    // The tree seams ran: two fills, the renew's clear and fill, one clear.
    EXPECT_EQ(Lines(text, "APP::FillTreeview").size(), 3u);
    EXPECT_EQ(Lines(text, "APP::ClearTreeview").size(), 2u);
    EXPECT_EQ(capture.InfoOf("FALSE"), "Unknown PingThread command=NO_SUCH_JOB");
    EXPECT_EQ(capture.CountLines("miscclient"), 1);
    // The job after the unknown one still ran.
    EXPECT_LT(text.find("NO_SUCH_JOB"), text.find("ClearTreeview processing finished"));
}

TEST_F(WORKERTEST, PowerNoticesLogOffAndOnAgain)
{
    Start(true);
    struct CASE {
        WPARAM down, up;
    } cases[] = {{PBT_APMSUSPEND, PBT_APMRESUMESUSPEND}, {PBT_APMSTANDBY, PBT_APMRESUMESTANDBY}};
    for (const CASE &c : cases) {
        LOGCAPTURE capture;
        const int logouts = Logged("LOGOUT");
        PostMessageA(App->hWnd, WM_POWERBROADCAST, c.down, 0);
        ASSERT_TRUE(WaitUntil([&] { return App->PoweredDown == 1 && App->LoggedOn == 0; })) << c.down;
        EXPECT_EQ(Logged("LOGOUT"), logouts + 1);
        // Another notice changes nothing.
        PostMessageA(App->hWnd, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
        WaitUntil([] { return false; }, 200);
        EXPECT_EQ(App->PoweredDown, 1);
        PostMessageA(App->hWnd, WM_POWERBROADCAST, c.up, 0);
        ASSERT_TRUE(WaitUntil([&] { return App->PoweredDown == 0 && App->LoggedOn == 1; }, 15000)) << c.up;
        // The logon queued the list and tree jobs before it set LoggedOn; the worker takes them
        // only after the re-logon job has ended and logged so.
        ASSERT_TRUE(WaitUntil([&] { return App->QueuedFunctions.NumItems() == 0; }));
        const std::string &text = capture.Text();
        EXPECT_EQ(Lines(text, "APP::WinProc WM_POWERBROADCAST notifies powerdown").size(), 1u);
        EXPECT_EQ(Lines(text, "APP::WinProc WM_POWERBROADCAST notifies powerup").size(), 1u);
        EXPECT_EQ(Lines(text, "APP::WM_POWERBROADCAST added LogonToServer").size(), 1u);
        EXPECT_EQ(Lines(text, "APP::LogoutFromServer(0)").size(), 1u);
        EXPECT_EQ(Lines(text, "APP::PingThread ReLogonToServer after powerdown processing finished").size(), 1u);
    }
}
