// The client object against the stand-in phone server under Wine: what goes out (the sender keys,
// the peer names, the wait cursor), what comes in (remote calls and broadcasts), and the failures
// that never reach the network.  Each test starts its own stand-in on a port of the system's
// choice, in a scratch work folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "client/app.h"
#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "client/comminterface.h"
#include "common/broadcastline.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysresource.h"
#include "kestar/devices/netproc.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/standinprocess_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

// Waits up to ms for done(), dispatching the test thread's messages meanwhile.
template <class F> bool WaitUntil(F done, int ms = 10000)
{
    const DWORD end = GetTickCount() + ms;
    while (!done()) {
        if (GetTickCount() >= end)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(20);
    }
    return true;
}

class CLIENTAPPTEST : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = LoadLibraryA((TestProgramFolder() + "\\parlomatixenglish.dll").c_str());
        ASSERT_NE(library, nullptr);
        OSYS::SetLanguageModule(library);
        CallLog = Work.File("calls.log");
        ASSERT_TRUE(Server.Start("/PORT:0 /HOST:standinhost /CONNECTTIMEOUT:3000 /PUSHTIMEOUT:5000 \"/STATE:" +
                                 Work.File("state") + "\" \"/CALLLOG:" + CallLog + "\""))
            << Server.Printed();
        ClientFolder = Work.File("client");
        ASSERT_TRUE(CreateDirectoryA(ClientFolder.c_str(), nullptr));
        HASH settings;
        settings["NetworkPrimaryServer"] = Server.Address().c_str();
        ASSERT_TRUE(settings.Save((ClientFolder + "\\parlomatix.ini").c_str()));
        std::string program = TestProgramFolder() + "\\parlomatix.exe";
        std::string workdir = "/WORKDIR:" + ClientFolder;
        char *entries[] = {&program[0], &workdir[0], nullptr};
        ORVAKAPP::ProcessArguments(2, entries, 9);
        CLIENTTIMING::Set(CLIENTTIMING::RPC, 10000);
        CLIENTTIMING::Set(CLIENTTIMING::CONNECT, 5000);
        gOwnPort = "0";
        App.reset(new APP(0));
        ASSERT_NE(App->hWnd, nullptr);
        ASSERT_NE(App->Comm, nullptr);
        ASSERT_NE(S(gOwnPort), "0");
    }
    void TearDown() override
    {
        App.reset();
        Server.Stop();
        ORVAKAPP::ResetForTests();
        CLIENTTIMING::Reset();
        gOwnPort = "6667";
        gWorkDir = ".";
        OSYS::SetLanguageModule(nullptr);
        if (library)
            FreeLibrary(library);
    }
    HASHLIST ReadCallLog()
    {
        HASHLIST log;
        log.FromString(STRING(ReadWholeFile(CallLog).c_str()));
        return log;
    }
    // The call-log entries of command.
    int Logged(const char *command)
    {
        HASHLIST log = ReadCallLog();
        int n = 0;
        for (int i = 0; i < log.NumItems(); ++i)
            if (log[i]->Get("Command") == command)
                ++n;
        return n;
    }
    // Calls this client's own port as the server would.
    std::string CallClient(const char *command, HASH &params)
    {
        NETPROC caller("6666", "0", 5000);
        caller.SetConnectTimeout(3000);
        STRING result;
        EXPECT_TRUE(caller.CallNetProcedure(("127.0.0.1:" + S(gOwnPort)).c_str(), command, params, result, 1, nullptr,
                                            5000));
        return S(result);
    }
    // Lets the stand-in broadcast line.
    void ServerBroadcasts(const std::string &line)
    {
        NETPROC caller("6666", "0", 5000);
        HASH params;
        params["Action"] = "BROADCAST";
        params["Line"] = line.c_str();
        STRING result;
        ASSERT_TRUE(caller.CallNetProcedure(Server.Address().c_str(), "STANDINCONTROL", params, result, 1, nullptr,
                                            5000));
    }
    void SetServer(const std::string &server)
    {
        App->SetSetting("NetworkPrimaryServer", server.c_str());
        App->Comm.load()->MakeNetworkAndDevice();
    }

    TEMPFOLDER Work;
    std::string CallLog;
    std::string ClientFolder;
    SERVERPROCESS Server;
    HMODULE library = nullptr;
    std::unique_ptr<APP> App;
};

} // namespace

TEST_F(CLIENTAPPTEST, ServerInAnyCaseGetsExactlyTheFiveSenderKeys)
{
    EXPECT_EQ(S(gWorkDir), ClientFolder); // the work-folder decision of the constructor
    HASH params;
    params["Number"] = "*";
    STRING result;
    ASSERT_EQ(App->DispatchFunction("{server}", "GETTARGETS", params, result, 1, -1), 1) << S(result);
    EXPECT_EQ(S(result).substr(0, 5), "<OK>\n");
    EXPECT_EQ(params.NumKeys(), 1); // the caller's record is not changed

    HASHLIST log = ReadCallLog();
    ASSERT_EQ(log.NumItems(), 1);
    HASH sent(log[0]->Get("Params"));
    HASH atKeys;
    for (int i = 0; i < sent.NumKeys(); ++i)
        if (sent.GetKeyAt(i)[0] == '@')
            atKeys[sent.GetKeyAt(i)] = sent.GetValueAt(i);
    HASH expected;
    expected["@Sender"] = OSYS::GetUserName() + "@" + OSYS::GetStationName();
    expected["@Port"] = gOwnPort;
    expected["@Version"] = "4.23";
    expected["@SenderRole"] = "{CLIENT}";
    expected["@ExecMode"] = "<SYNC>";
    EXPECT_EQ(S(atKeys.ToString()), S(expected.ToString()));
    EXPECT_EQ(S(sent["Number"]), "*");
    EXPECT_EQ(S(log[0]->Get("Mode")), "CALL");

    EXPECT_EQ(S(App->DispatchFunctionResult("{SERVER}", "ITEMSEEN", params, 0, -1)), "<ASYNC>");
}

TEST_F(CLIENTAPPTEST, PeersThatNeverReachTheNetwork)
{
    // "{LOCAL}" runs here, in the calling thread.
    HASH none;
    STRING result;
    EXPECT_EQ(App->DispatchFunction("{LOCAL}", "PING", none, result, 1, -1), 1);
    EXPECT_EQ(S(result), "<NOK>");
    EXPECT_EQ(App->DispatchFunction("{local}", "CHECKCONNECTIVITY", none, result, 1, -1), 1);
    EXPECT_EQ(S(result), "<OK>");

    // A client that left, and one in passive mode: success, nothing sent.
    HASH pat;
    pat["Name"] = "pat@pc7";
    pat["PeerId"] = "127.0.0.1";
    pat["Port"] = STRING(Server.Port);
    pat["PassiveMode"] = "1";
    App->ActiveClients.AddItem(pat);
    for (const char *peer : {"nobody@nowhere", "PAT@pc7"}) {
        result = "stale";
        EXPECT_EQ(App->DispatchFunction(peer, "GETCALLERS", none, result, 1, -1), 1) << peer;
        EXPECT_EQ(S(result), "") << peer;
    }

    // No server: failure, empty result.
    SetServer("");
    result = "stale";
    EXPECT_EQ(App->DispatchFunction("{SERVER}", "GETCALLERS", none, result, 1, -1), 0);
    EXPECT_EQ(S(result), "");
    EXPECT_EQ(S(App->DispatchFunctionResult("{SERVER}", "GETCALLERS", none, 1, -1)), "");
    EXPECT_EQ(App->Comm.load()->CallRemoteFunction("", "GETCALLERS", none, result, 1, -1), 0);
    EXPECT_EQ(S(result), "No hostname given");

    // All clients at once: only a server does that.
    {
        LOGCAPTURE capture;
        EXPECT_EQ(App->DispatchFunction("{CLIENTS}", "SETSTATUSBAR", none, result, 1, -1), 0);
        EXPECT_EQ(capture.Conditions(), (std::vector<std::string>{"NETWORK_SERVER", "!sync"}));
    }

    EXPECT_EQ(ReadCallLog().NumItems(), 0);
}

TEST_F(CLIENTAPPTEST, IncomingCallsAndTheUnknownCommand)
{
    HASH none;
    EXPECT_EQ(CallClient("PING", none), "<NOK>");
    App->SetLoggedOnServer("standinhost", "6666", Server.Address().c_str());
    EXPECT_EQ(CallClient("ping", none), "<OK>");
    EXPECT_EQ(CallClient("SERVERCALLERSCHANGED", none), "<NULL>");

    // The server's connectivity check calls this client back on the port it names.
    HASH check;
    check["From"] = (S(OSYS::GetUserName()) + "@" + S(OSYS::GetStationName())).c_str();
    check["Port"] = gOwnPort;
    STRING result;
    EXPECT_EQ(App->DispatchFunction("{SERVER}", "CHECKCONNECTIVITY", check, result, 1, -1), 1);
    EXPECT_NE(S(result).find("<OK>"), std::string::npos) << S(result);

    LOGCAPTURE capture;
    EXPECT_EQ(CallClient("NOSUCHCOMMAND", none), "<NULL>");
    EXPECT_NE(ReadWholeFile("assert.log").find("NOSUCHCOMMAND"), std::string::npos); // in the capture's folder
    EXPECT_EQ(capture.InfoOf("FALSE"), "NOSUCHCOMMAND");
}

TEST_F(CLIENTAPPTEST, SmsReportsForUnknownDialogsAreIgnored)
{
    HASH report;
    report["This"] = "305419896";
    report["JobId"] = "4";
    report["Info"] = "JOB COMPLETED";
    report["AppData"] = "jo@pc SMSDIALOGCALLBACK 305419896 305419896";
    LOGCAPTURE capture;
    EXPECT_EQ(CallClient("SMSDIALOGCALLBACK", report), "<NULL>");
    EXPECT_EQ(capture.CountLines("no open dialog for This=305419896"), 1);
    EXPECT_EQ(capture.Failures(), 0);
}

TEST_F(CLIENTAPPTEST, WaitCursorForGetCallersNotForLocks)
{
    HASH none, lock;
    lock["Action"] = "LOCK_CALLERS_RW";
    STRING result;
    const int before = App->Comm.load()->WaitCursorsShown;
    ASSERT_EQ(App->DispatchFunction("{SERVER}", "ACTIONLOCK", lock, result, 1, -1), 1);
    ASSERT_EQ(App->DispatchFunction("{SERVER}", "ACTIONUNLOCK", lock, result, 1, -1), 1);
    EXPECT_EQ(App->Comm.load()->WaitCursorsShown, before);
    ASSERT_EQ(App->DispatchFunction("{SERVER}", "GETCALLERS", none, result, 1, -1), 1);
    EXPECT_EQ(App->Comm.load()->WaitCursorsShown, before + 1);
    ASSERT_EQ(App->DispatchFunction("{SERVER}", "ITEMSEEN", none, result, 0, -1), 1); // asynchronous
    EXPECT_EQ(App->Comm.load()->WaitCursorsShown, before + 1);
}

TEST_F(CLIENTAPPTEST, CommErrorIsAQuietAssertion)
{
    LOGCAPTURE capture;
    App->ReportCommError("DispatchFunction GETTARGETS failed", "COMM", "NETWORK");
    EXPECT_EQ(capture.InfoOf("FALSE"), "DispatchFunction GETTARGETS failed");
    EXPECT_EQ(capture.CountLines("misccommon"), 1);
    EXPECT_NE(ReadWholeFile("assert.log").find("895"), std::string::npos);
}

TEST_F(CLIENTAPPTEST, BroadcastsBothWays)
{
    if (!App->Comm.load()->CanReceiveBroadcasts())
        GTEST_SKIP() << "the mailslots are not available here";
    // Out: one record in the prefix reaches the stand-in, blanks of a parameter restored there.
    ASSERT_EQ(App->DispatchBroadcast(BROADCASTLINE::Make("HELLO", "a b", "c")), 1);
    ASSERT_TRUE(WaitUntil([&] { return Logged("HELLO") == 1; }));
    HASHLIST log = ReadCallLog();
    HASH heard(log[0]->Get("Params"));
    EXPECT_EQ(S(heard["@Parm1"]), "a b");
    EXPECT_EQ(S(heard["@Parm2"]), "c");
    EXPECT_EQ(S(log[0]->Get("Mode")), "BROADCAST");

    // In: "STARTSERVER" is obeyed only from the configured server (compared by host name, any
    // case, "." as "_"), and from anybody while none is configured.  Obeyed, it runs here as a
    // command, which this client does not know yet: an assertion naming it.
    struct CASE {
        const char *server;
        bool obeyed;
    } cases[] = {{"otherhost:6666", false}, {"StandinHost.lan:6666", true}, {"", true}};
    int round = 0;
    for (const auto &c : cases) {
        SetServer(c.server);
        LOGCAPTURE capture;
        const std::string marker = "x" + std::to_string(round++);
        ServerBroadcasts("STARTSERVER " + marker + "\\x20y");
        const bool arrived = WaitUntil([&] { return ReadWholeFile("assert.log").find("STARTSERVER") != std::string::npos; },
                                       c.obeyed ? 10000 : 2000);
        EXPECT_EQ(arrived, c.obeyed) << c.server;
        const std::string &text = capture.Text();
        EXPECT_EQ(text.find("cmd=STARTSERVER, Parm1=" + marker + " y") != std::string::npos, c.obeyed) << c.server;
    }
}
