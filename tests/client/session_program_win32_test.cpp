// The session with the server and the jobs, under Wine against the stand-in phone server: the
// logon with its password and refusal paths, the fetches, the server's logon commands, the
// logout, the connectivity check and "ADDJOB".  The stand-in answers from a script where a test
// needs another answer than its own; the dialog watcher presses the boxes and fills dialog 2058.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "client/app.h"
#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "client/comminterface.h"
#include "common/sms.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysinfo.h"
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

std::string Who()
{
    return S(OSYS::GetUserName()) + "@" + S(OSYS::GetStationName());
}

// A successful answer to "LOGIN" with the rights given.
std::string LoginAnswer(const char *serverName, const char *rights, const char *commVersion = "1004_421")
{
    HASH answer;
    answer["Ok"] = "SUCCESSFUL";
    answer["ServerName"] = serverName;
    answer["ServerPort"] = "6666";
    answer["Permissions"] = HASH(rights).ToString();
    answer["ServerDirectory"] = "C:\\pbx";
    if (commVersion)
        answer["CommVersion"] = commVersion;
    answer["InitialServerLogin"] = "0";
    return S(answer.ToString());
}

// A thread that runs one call of the application object.
class CALLTHREAD {
public:
    template <class F> explicit CALLTHREAD(F call) : body(new F(call))
    {
        run = [](void *p) { (*static_cast<F *>(p))(); };
        destroy = [](void *p) { delete static_cast<F *>(p); };
        thread = CreateThread(nullptr, 0, &CALLTHREAD::Entry, this, 0, nullptr);
    }
    ~CALLTHREAD()
    {
        Wait(30000);
        if (thread)
            CloseHandle(thread);
        destroy(body);
    }
    bool Wait(int ms) { return thread && WaitForSingleObject(thread, ms) == WAIT_OBJECT_0; }

private:
    static DWORD WINAPI Entry(void *self)
    {
        CALLTHREAD *t = static_cast<CALLTHREAD *>(self);
        t->run(t->body);
        return 0;
    }
    void *body;
    void (*run)(void *);
    void (*destroy)(void *);
    HANDLE thread = nullptr;
};

class SESSIONBASE : public CLIENTPROGRAMTEST {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartServer());
        ASSERT_NO_FATAL_FAILURE(MakeClientFolder(nullptr));
        TempFolder = Work.File("temp");
        ASSERT_TRUE(CreateDirectoryA(TempFolder.c_str(), nullptr));
        char oldTemp[MAX_PATH] = "";
        if (GetEnvironmentVariableA("TEMP", oldTemp, sizeof oldTemp))
            OldTemp = oldTemp;
        SetEnvironmentVariableA("TEMP", TempFolder.c_str());
        CLIENTTIMING::Set(CLIENTTIMING::RPC, 10000);
        CLIENTTIMING::Set(CLIENTTIMING::CONNECT, 5000);
        CLIENTTIMING::Set(CLIENTTIMING::CONNECTIVITY, 10000);
        CLIENTTIMING::Set(CLIENTTIMING::ITEMS, 10000);
        CLIENTTIMING::Set(CLIENTTIMING::STARTING, 20);
        CLIENTTIMING::Set(CLIENTTIMING::STATUSCLEAR, 300);
        // The worker thread stays idle: these tests log on and off themselves, and a scripted
        // "LOGIN" answer leaves the stand-in answering the worker's "PING" with "<NOK>".
        CLIENTTIMING::Set(CLIENTTIMING::WORKERPASS, 600000);
    }
    void TearDown() override
    {
        EndClient();
        SetEnvironmentVariableA("TEMP", OldTemp.empty() ? nullptr : OldTemp.c_str());
    }
    // The client with server as "NetworkPrimaryServer"; logon: the constructor's logon thread.
    void Construct(const std::string &server, bool logon)
    {
        App.reset();
        HASH settings;
        settings["NetworkPrimaryServer"] = server.c_str();
        settings["NumberOfEntries"] = "128"; // the client's default list length
        ASSERT_TRUE(settings.Save((ClientFolder + "\\parlomatix.ini").c_str()));
        gOwnPort = "0";
        APP::LogonAtStart = logon ? 1 : 0;
        App.reset(new APP(0));
        ASSERT_NE(App->hWnd, nullptr);
        ASSERT_NE(S(gOwnPort), "0");
    }
    HASHLIST ReadCallLog()
    {
        HASHLIST log;
        log.FromString(STRING(ReadWholeFile(CallLog).c_str()));
        return log;
    }
    int Logged(const char *command)
    {
        HASHLIST log = ReadCallLog();
        int n = 0;
        for (int i = 0; i < log.NumItems(); ++i)
            if (log[i]->Get("Command") == command && log[i]->Get("Mode") == "CALL")
                ++n;
        return n;
    }
    // The commands this client called, in order.
    std::vector<std::string> Calls()
    {
        std::vector<std::string> out;
        HASHLIST log = ReadCallLog();
        for (int i = 0; i < log.NumItems(); ++i)
            if (log[i]->Get("Mode") == "CALL" && !(log[i]->Get("Command") == "STANDINCONTROL"))
                out.push_back(S(log[i]->Get("Command")));
        return out;
    }
    // The parameters of every call of command, in order.
    std::vector<HASH> ParamsOf(const char *command)
    {
        std::vector<HASH> out;
        HASHLIST log = ReadCallLog();
        for (int i = 0; i < log.NumItems(); ++i)
            if (log[i]->Get("Command") == command && log[i]->Get("Mode") == "CALL")
                out.emplace_back(log[i]->Get("Params"));
        return out;
    }
    void Answers(const std::vector<std::pair<const char *, std::string>> &answers)
    {
        HASHLIST list;
        for (const auto &a : answers) {
            HASH entry;
            entry["Command"] = a.first;
            entry["Answer"] = a.second.c_str();
            list.AddItem(entry);
        }
        Script(S(list.ToString()));
    }
    void Script(const std::string &text)
    {
        NETPROC caller("6666", "0", 5000);
        HASH params;
        params["Action"] = "SCRIPT";
        params["Script"] = text.c_str();
        STRING result;
        ASSERT_TRUE(caller.CallNetProcedure(Server.Address().c_str(), "STANDINCONTROL", params, result, 1, nullptr,
                                            5000));
        ASSERT_EQ(S(result), "<OK>");
    }
    // Calls this client's own port as the server would, from another thread while this one (the
    // window thread) goes on dispatching, as it would in the program.
    std::string CallClient(const char *command, HASH &params)
    {
        STRING result;
        int ok = 0;
        const std::string address = "127.0.0.1:" + S(gOwnPort);
        {
            CALLTHREAD call([&] {
                NETPROC caller("6666", "0", 5000);
                caller.SetConnectTimeout(3000);
                ok = caller.CallNetProcedure(address.c_str(), command, params, result, 1, nullptr, 60000);
            });
            EXPECT_TRUE(WaitUntil([&] { return call.Wait(0); }, 70000));
        }
        EXPECT_TRUE(ok) << command;
        return S(result);
    }
    std::string StatusText()
    {
        char text[512] = "";
        SendMessageA(App->StatusBar->hWnd, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }

    std::string TempFolder;
    std::string OldTemp;
};

class SESSION : public SESSIONBASE {};
class JOBS : public SESSIONBASE {};

} // namespace

TEST_F(SESSION, ConstructorLogsOnAndFetchesInOrder)
{
    Construct(Server.Address(), true);
    EXPECT_EQ(App->LoggedOn, 1);
    EXPECT_EQ(S(App->GetLoggedOnServer()), "standinhost");
    EXPECT_EQ(App->TrayIconId, 2090);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"CHECKCONNECTIVITY", "LOGIN", "GETSRVHARDWARE", "GETSERVERFILE",
                                                 "GETSMSSENDOPTIONS", "GETTARGETS", "GETACTIVECLIENTS", "GETITEMS"}));
    HASHLIST log = ReadCallLog();
    bool successful = false;
    for (int i = 0; i < log.NumItems(); ++i)
        if (log[i]->Get("Command") == "LOGIN")
            successful = HASH(log[i]->Get("Result")).Get("Ok") == "SUCCESSFUL";
    EXPECT_TRUE(successful);
    HASH login = ParamsOf("LOGIN").at(0);
    EXPECT_EQ(S(login["From"]), Who());
    EXPECT_EQ(S(login["Port"]), S(gOwnPort));
    EXPECT_EQ(S(login["Version"]), "4.23");
    EXPECT_EQ(S(login["CommVersion"]), "1004_421");
    EXPECT_FALSE(login.Exists("Password"));
    EXPECT_EQ(App->CanFax, 1);
    EXPECT_NE(S(App->ServerDirectory), "");
    // The server's providers, and its gateway ("0193010", the first record) selected.
    EXPECT_EQ(SMS::GetProviders(nullptr).NumItems(), 3);
    EXPECT_EQ(S(SMS::GetServiceProtocol()), "UCP");
    // The server's targets; the client list of the server.
    EXPECT_GT(App->Targets.NumItems(), 0);
    EXPECT_GT(App->ActiveClients.NumItems(), 0);
    EXPECT_EQ(gNetworkFlags & NETWORK_LOCALCLIENT, 0);
    // The user "*" keeps no local list: everything fetched; the calls created moved the last id on.
    HASH items = ParamsOf("GETITEMS").at(0);
    EXPECT_EQ(S(items["FirstId"]), "0");
    EXPECT_EQ(S(App->PeerLastId("standinhost")), "1009");
    // The loading text goes with timer 4.
    EXPECT_TRUE(WaitUntil([&] { return StatusText().empty(); }, 5000)) << StatusText();

    // The clean-up logs out.
    App.reset();
    EXPECT_EQ(Logged("LOGOUT"), 1);
    EXPECT_EQ(S(ParamsOf("LOGOUT").at(0)["From"]), Who());
}

TEST_F(SESSION, StoredPasswordFirstThenTheDialog)
{
    Construct(Server.Address(), false);
    App->StoredPassword = "0123abcd";
    Answers({{"LOGIN", "Ok=PASSWORD_REQUIRED\n"}, {"LOGIN", "Ok=PASSWORD_WRONG\n"}});
    DIALOGWATCHER watcher({DIALOGSTEP::SetText(IDC_PASSWORD_EDIT, "secret"), DIALOGSTEP::Press(IDOK)}, 30000);
    EXPECT_EQ(App->LogonToServer(0), 1);
    EXPECT_EQ(watcher.StepsDone(), 2);
    std::vector<HASH> logins = ParamsOf("LOGIN");
    ASSERT_EQ(logins.size(), 3u);
    EXPECT_FALSE(logins[0].Exists("Password"));
    EXPECT_EQ(S(logins[1]["Password"]), "0123abcd");
    // The typed password goes as its MD5, in lower-case hex; it is the stored one from now on.
    EXPECT_EQ(S(logins[2]["Password"]), "5ebe2294ecd0e0f08eab7690d2a6ee69");
    EXPECT_EQ(S(App->StoredPassword), "5ebe2294ecd0e0f08eab7690d2a6ee69");
    EXPECT_EQ(App->LoggedOn, 1);
}

TEST_F(SESSION, PasswordCancelledOrEmptyEndsWithoutABox)
{
    Construct(Server.Address(), false);
    Answers({{"LOGIN", "Ok=PASSWORD_REQUIRED\n"}, {"LOGIN", "Ok=PASSWORD_REQUIRED\n"}});
    {
        DIALOGWATCHER watcher(IDCANCEL, 30000);
        EXPECT_EQ(App->LogonToServer(0), 0);
        EXPECT_TRUE(watcher.Pressed());
    }
    {
        DIALOGWATCHER watcher({DIALOGSTEP::SetText(IDC_PASSWORD_EDIT, ""), DIALOGSTEP::Press(IDOK)}, 30000);
        EXPECT_EQ(App->LogonToServer(0), 0);
        EXPECT_EQ(watcher.StepsDone(), 2);
    }
    DIALOGWATCHER noBox(IDOK, 1500);
    EXPECT_FALSE(noBox.WaitPressed(1500));
    EXPECT_EQ(Logged("LOGIN"), 2);
    EXPECT_EQ(App->LoggedOn, 0);
    EXPECT_EQ(StatusText(), "");
    // The lock was given back: a logout gets it at once.
    EXPECT_EQ(App->LogoutFromServer(0), 1);
}

TEST_F(SESSION, ServerStartingThreeTimesGivesThreePauses)
{
    Construct(Server.Address(), false);
    Answers({{"LOGIN", "Ok=SERVER_IS_STARTING\n"}, {"LOGIN", "Ok=SERVER_IS_STARTING\n"},
             {"LOGIN", "Ok=SERVER_IS_STARTING\n"}});
    LOGCAPTURE capture;
    EXPECT_EQ(App->LogonToServer(0), 1);
    EXPECT_EQ(capture.CountLines("APP::LogonToServer server is starting, waiting"), 3);
    EXPECT_EQ(Logged("LOGIN"), 4);
}

TEST_F(SESSION, CleanupEndsTheWaitForAStartingServer)
{
    Construct(Server.Address(), false);
    CLIENTTIMING::Set(CLIENTTIMING::STARTING, 60000);
    Answers({{"LOGIN", "Ok=SERVER_IS_STARTING\n"}, {"LOGIN", "Ok=SERVER_IS_STARTING\n"}});
    int result = -1;
    CALLTHREAD logon([&] { result = App->LogonToServer(0); });
    ASSERT_TRUE(WaitUntil([&] { return Logged("LOGIN") == 1; }));
    App->Cleanup();
    EXPECT_TRUE(WaitUntil([&] { return logon.Wait(0); }, 5000));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Logged("LOGIN"), 1);
}

TEST_F(SESSION, RefusedLogonsStayLoggedOut)
{
    Construct(Server.Address(), false);
    struct CASE {
        std::string answer;
        const char *text; // in the box; null: no box
    } cases[] = {
        {LoginAnswer("standinhost", "", nullptr), "different versions"},
        {LoginAnswer("standinhost", "", "1003_400"), "different versions"},
        {"Ok=DIFFERENT_COMM_VERSION\n", "different versions"},
        {"Ok=CLIENT_NOT_FOUND\n", "does not know the client"},
        {"Ok=NOT_TODAY\n", nullptr},
    };
    for (const auto &c : cases) {
        Answers({{"LOGIN", c.answer}});
        DIALOGWATCHER watcher(IDOK, c.text ? 30000 : 1500);
        EXPECT_EQ(App->LogonToServer(0), 0) << c.answer;
        if (c.text) {
            EXPECT_TRUE(watcher.Pressed()) << c.answer;
            EXPECT_NE(watcher.Text().find(c.text), std::string::npos) << watcher.Text();
            EXPECT_EQ(watcher.Title(), "Parlomatix");
        } else {
            EXPECT_FALSE(watcher.WaitPressed(1500));
        }
        EXPECT_EQ(App->LoggedOn, 0);
        EXPECT_EQ(S(App->GetLoggedOnServer()), "");
    }
    // The client the server does not know is named in the box.
    Answers({{"LOGIN", "Ok=CLIENT_NOT_FOUND\n"}});
    DIALOGWATCHER watcher(IDOK, 30000);
    App->LogonToServer(0);
    EXPECT_NE(watcher.Text().find(Who()), std::string::npos) << watcher.Text();
    EXPECT_EQ(Logged("GETITEMS"), 0);

    // Powered down: no box, no logon at all.
    App->PoweredDown = 1;
    EXPECT_EQ(App->LogonToServer(0), 0);
    App->PoweredDown = 0;
    EXPECT_EQ(Logged("LOGIN"), 6);
}

TEST_F(SESSION, ItemsFromTheLastIdWithALocalList)
{
    Construct(Server.Address(), false);
    App->SetPeerLastId("standinhost", "41");
    App->SetSetting("NumberOfEntries", "250");
    Answers({{"LOGIN", LoginAnswer("standinhost", "PermLocalRecentcalls=1\nPermFax=1\n")}});
    LOGCAPTURE capture;
    ASSERT_EQ(App->LogonToServer(0), 1);
    HASH items = ParamsOf("GETITEMS").at(0);
    EXPECT_EQ(S(items["MaxNumber"]), "250");
    EXPECT_EQ(S(items["FirstId"]), "42");
    EXPECT_EQ(capture.CountLines("APP::LogonToServer locallist=1, firstid=42, lastid=41"), 1);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"LOGIN", "GETSRVHARDWARE", "GETSERVERFILE", "GETSMSSENDOPTIONS",
                                                 "GETTARGETS", "GETACTIVECLIENTS", "GETITEMS"}));

    // A local list that holds calls goes on from its first item.  (The logout saves the list: the
    // file is written after it.)
    App->LogoutFromServer(0);
    App->SetSetting("RememberMsglist", "1");
    ASSERT_TRUE(STRING("[#0]\n#Handle=120\nType=CALL\n\n[#1]\n#Handle=121\nType=CALL\n\n")
                    .Save((ClientFolder + "\\recentcalls.ini").c_str()));
    Answers({{"LOGIN", LoginAnswer("standinhost", "PermLocalRecentcalls=1\n")}});
    ASSERT_EQ(App->LogonToServer(0), 1);
    EXPECT_EQ(S(ParamsOf("GETITEMS").at(1)["FirstId"]), "120");

    // Without the right: from the start, and the last id is reset (the server has no calls here,
    // so nothing moves it on again).
    App->SetPeerLastId("standinhost", "41");
    Answers({{"LOGIN", LoginAnswer("standinhost", "PermLocalRecentcalls=0\n")}, {"GETITEMS", "<OK>\n<NULL>\n"}});
    ASSERT_EQ(App->LogonToServer(0), 1);
    EXPECT_EQ(Logged("LOGOUT"), 2); // a logon while logged on logs out first
    items = ParamsOf("GETITEMS").at(2);
    EXPECT_EQ(S(items["FirstId"]), "0");
    EXPECT_EQ(S(App->PeerLastId("standinhost")), "0");
}

TEST_F(SESSION, ItemsMergedIntoTheLocalList)
{
    Construct(Server.Address(), false);
    // The local list: a call the server no longer lists (1001 is archived there) and one it has,
    // with a comment of its own.  Calls up to the last id are changed in place, the others created.
    App->SetSetting("RememberMsglist", "1");
    ASSERT_TRUE(STRING("[#0]\n#Handle=1001\nType=SOUND\n\n[#1]\n#Handle=1003\nType=SOUND\nComment=old local\n\n")
                    .Save((ClientFolder + "\\recentcalls.ini").c_str()));
    App->SetPeerLastId("standinhost", "1004");
    Answers({{"LOGIN", LoginAnswer("standinhost", "PermLocalRecentcalls=1\n")}});
    LOGCAPTURE capture;
    ASSERT_EQ(App->LogonToServer(0), 1);
    EXPECT_EQ(S(ParamsOf("GETITEMS").at(0)["FirstId"]), "1001");
    EXPECT_EQ(capture.CountLines("APP::LogonToServer merged: 3 changed, 5 created"), 1);
    std::vector<uint32_t> handles;
    std::string comment = "<missing>";
    {
        HASHLIST &items = App->ItemView.LockItems();
        for (int i = 0; i < items.NumItems(); ++i) {
            handles.push_back(items[i]->Handle);
            if (items[i]->Handle == 1003)
                comment = S(items[i]->Get("Comment"));
        }
        App->ItemView.UnlockItems();
    }
    std::sort(handles.begin(), handles.end());
    EXPECT_EQ(handles, (std::vector<uint32_t>{1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009}));
    EXPECT_EQ(comment, ""); // the server's (empty) comment
    EXPECT_EQ(S(App->PeerLastId("standinhost")), "1009");
    // Saved once after the batch, with every call.
    HASHLIST saved;
    ASSERT_TRUE(saved.Load((ClientFolder + "\\recentcalls.ini").c_str()));
    EXPECT_EQ(saved.NumItems(), 8);
}

TEST_F(SESSION, ServerOnThisComputerIsALocalClient)
{
    Construct(Server.Address(), false);
    Answers({{"LOGIN", LoginAnswer(S(OSYS::GetStationName()).c_str(), "")}});
    ASSERT_EQ(App->LogonToServer(0), 1);
    EXPECT_NE(gNetworkFlags & NETWORK_LOCALCLIENT, 0);
    App->LogoutFromServer(0);
    EXPECT_EQ(gNetworkFlags & NETWORK_LOCALCLIENT, 0);
}

TEST_F(SESSION, WelcomeTakenOnlyWithoutAServer)
{
    Construct("", false);
    // Powered down, the logon that follows gives up at once: only the server is taken.
    App->PoweredDown = 1;
    struct CASE {
        const char *sender;
        const char *port;
        const char *server;
    } cases[] = {
        {"standin@pbxhost", "6666", "pbxhost"},
        {"standin@pbxhost", "7000", "pbxhost:7000"},
        {"standin@pbxhost", nullptr, "pbxhost"},
        {"standin@", "7000", ""},
        {"standin@pbxhost", "70a0", ""},
    };
    for (const auto &c : cases) {
        App->SetSetting("NetworkPrimaryServer", "");
        HASH welcome;
        welcome["@Sender"] = c.sender;
        if (c.port)
            welcome["Port"] = c.port;
        const int before = App->LogonRequests;
        CallClient("WELCOME", welcome);
        EXPECT_EQ(S(App->GetSetting("NetworkPrimaryServer")), c.server) << c.sender << " " << (c.port ? c.port : "");
        EXPECT_EQ(App->LogonRequests - before, *c.server ? 1 : 0) << c.sender;
    }
    // A configured server stays.
    App->SetSetting("NetworkPrimaryServer", "pbx9");
    HASH welcome;
    welcome["@Sender"] = "standin@pbxhost";
    welcome["Port"] = "7000";
    const int before = App->LogonRequests;
    CallClient("WELCOME", welcome);
    EXPECT_EQ(S(App->GetSetting("NetworkPrimaryServer")), "pbx9");
    EXPECT_EQ(App->LogonRequests, before);

    // The stand-in itself: taken, and logged on to.
    App->PoweredDown = 0;
    App->SetSetting("NetworkPrimaryServer", "");
    welcome["@Sender"] = "standin@127.0.0.1";
    welcome["Port"] = std::to_string(Server.Port).c_str();
    CallClient("WELCOME", welcome);
    EXPECT_EQ(S(App->GetSetting("NetworkPrimaryServer")), Server.Address());
    EXPECT_EQ(App->LoggedOn, 1);
    EXPECT_EQ(Logged("LOGIN"), 1);
}

TEST_F(SESSION, NoServerAsksTheNetwork)
{
    Construct("", false);
    LOGCAPTURE capture;
    EXPECT_EQ(App->LogonToServer(1), 0);
    // The stand-in answers with "WELCOME", whose logon gives up at once while powered down (the
    // stand-in's own name is no address here).
    App->PoweredDown = 1;
    EXPECT_NE(StatusText().find("No server is configured"), std::string::npos) << StatusText();
    EXPECT_TRUE(WaitUntil([&] { return StatusText().empty(); }, 5000)) << StatusText();
    // "NEEDSERVER", user@station (blanks written "\x20") and the own port.
    std::string who = Who();
    for (size_t at = 0; (at = who.find(' ', at)) != std::string::npos;)
        who.replace(at, 1, "\\x20");
    if (App->Comm.load()->CanReceiveBroadcasts()) {
        EXPECT_TRUE(WaitUntil([&] { return App->LogonRequests == 2; }));
        EXPECT_EQ(S(App->GetSetting("NetworkPrimaryServer")), "standinhost:" + std::to_string(Server.Port));
    }
    EXPECT_EQ(capture.CountLines("APP::DispatchBroadcast NEEDSERVER " + who + " " + S(gOwnPort)), 1);
    EXPECT_EQ(Logged("LOGIN"), 0);
}

TEST_F(SESSION, StopServerLogsOutWithoutLogout)
{
    Construct(Server.Address(), false);
    ASSERT_EQ(App->LogonToServer(0), 1);
    HASH caller("Name=Anna\nNumber=0301\n");
    App->Callers.AddItem(caller);
    HASH target("Name=Office\nNumber=100\n");
    App->Targets.AddItem(target);
    EXPECT_GT(App->ActiveClients.NumItems(), 0);
    LOGCAPTURE capture;
    HASH none;
    CallClient("STOPSERVER", none);
    EXPECT_EQ(App->LoggedOn, 0);
    EXPECT_EQ(App->Callers.NumItems(), 0);
    EXPECT_EQ(App->Targets.NumItems(), 0);
    EXPECT_EQ(App->ActiveClients.NumItems(), 0);
    EXPECT_EQ(App->TrayIconId, 2093);
    EXPECT_EQ(Logged("LOGOUT"), 0);
    EXPECT_EQ(capture.CountLines("APP::CloseArchiveView"), 1);
    EXPECT_EQ(capture.CountLines("APP::ClearTreeview"), 1);

    // STARTSERVER and PERMCHANGED log on again; an ordinary logout sends "LOGOUT" and leaves the
    // archive view open.
    CallClient("STARTSERVER", none);
    EXPECT_EQ(App->LoggedOn, 1);
    CallClient("PERMCHANGED", none);
    EXPECT_EQ(App->LoggedOn, 1);
    EXPECT_EQ(Logged("LOGIN"), 3);
    App->LogoutFromServer(0);
    EXPECT_EQ(Logged("LOGOUT"), 2);
    EXPECT_EQ(App->LoggedOn, 0);
}

TEST_F(SESSION, OneLogonAtATimeAndLogoutAfterwards)
{
    Construct(Server.Address(), false);
    // The first logon's "LOGIN" takes a while.
    HASHLIST script;
    HASH slow;
    slow["Command"] = "LOGIN";
    slow["Answer"] = LoginAnswer("standinhost", "").c_str();
    slow["Delay"] = "1500";
    script.AddItem(slow);
    Script(S(script.ToString()));
    int first = -1;
    {
        CALLTHREAD logon([&] { first = App->LogonToServer(0); });
        ASSERT_TRUE(WaitUntil([&] { return App->LogonRequests == 1; }));
        Sleep(200);
        LOGCAPTURE capture;
        EXPECT_EQ(App->LogonToServer(0), 0);
        EXPECT_EQ(capture.CountLines("APP::LogonToServer cancelled because InsideLogon=1()"), 1);
        ASSERT_TRUE(WaitUntil([&] { return logon.Wait(0); }, 30000));
    }
    EXPECT_EQ(first, 1);
    EXPECT_EQ(App->LoggedOn, 1);
    // A logout on another thread is not kept waiting by the logon.
    int loggedOut = 0;
    CALLTHREAD logout([&] { loggedOut = App->LogoutFromServer(0); });
    EXPECT_TRUE(WaitUntil([&] { return logout.Wait(0); }, 20000));
    EXPECT_EQ(loggedOut, 1);
    EXPECT_EQ(App->LoggedOn, 0);
}

TEST_F(SESSION, UnreachableServerAsksForAnotherConnection)
{
    Construct("127.0.0.1:1", false);
    LOGCAPTURE capture;
    {
        DIALOGWATCHER watcher(IDOK, 30000);
        EXPECT_EQ(App->LogonToServer(1), 0);
        EXPECT_TRUE(watcher.Pressed());
        // Text 3025: the port of the configured server and the server.
        EXPECT_NE(watcher.Text().find("The server 127.0.0.1:1 does not answer"), std::string::npos) << watcher.Text();
        EXPECT_NE(watcher.Text().find("port 1 is open"), std::string::npos) << watcher.Text();
    }
    EXPECT_NE(StatusText().find("The server 127.0.0.1:1 cannot be reached"), std::string::npos) << StatusText();
    EXPECT_EQ(App->TrayIconId, 2093);
    WaitUntil([] { return false; }, 300); // the posted command 2103
    EXPECT_EQ(capture.CountLines("APP::ConnectDialog"), 1);
}

TEST_F(SESSION, ConnectivityCheckBoxes)
{
    Construct(Server.Address(), false);
    EXPECT_EQ(App->QueryIPConnectivity(Server.Address().c_str(), 0), 1);
    EXPECT_EQ(App->QueryIPConnectivity("", 0), 0);

    // Refused: text 3026 with this computer and its port.
    Answers({{"CHECKCONNECTIVITY", "<NOK>"}, {"CHECKCONNECTIVITY", "<NOK>"}, {"CHECKCONNECTIVITY", "<ok>"}});
    {
        DIALOGWATCHER watcher(IDOK, 30000);
        EXPECT_EQ(App->QueryIPConnectivity(Server.Address().c_str(), 0), 0);
        EXPECT_TRUE(watcher.Pressed());
        const std::string expect = "The server " + Server.Address() + " cannot reach this computer (" +
                                   S(OSYS::GetStationName()) + ") on port " + S(gOwnPort) + ".";
        EXPECT_NE(watcher.Text().find(expect), std::string::npos) << watcher.Text();
    }
    // Silent: no box.  "<ok>" counts in any case.
    {
        DIALOGWATCHER watcher(IDOK, 1500);
        EXPECT_EQ(App->QueryIPConnectivity(Server.Address().c_str(), 1), 0);
        EXPECT_EQ(App->QueryIPConnectivity(Server.Address().c_str(), 0), 1);
        EXPECT_FALSE(watcher.WaitPressed(1500));
    }
    // Powered down: no box either.
    App->PoweredDown = 1;
    DIALOGWATCHER watcher(IDOK, 1500);
    EXPECT_EQ(App->QueryIPConnectivity("127.0.0.1:1", 0), 0);
    EXPECT_FALSE(watcher.WaitPressed(1500));
    App->PoweredDown = 0;
}

TEST_F(SESSION, ProviderFileNeverTouchesAnotherOne)
{
    const std::string unrelated = TempFolder + "\\smsprovider.ini";
    ASSERT_TRUE(STRING("mine").Save(unrelated.c_str()));
    Construct(Server.Address(), false);
    ASSERT_EQ(App->LogonToServer(0), 1);
    EXPECT_EQ(ReadWholeFile(unrelated), "mine");
    // Nothing is left behind in the temporary folder.
    WIN32_FIND_DATAA found;
    HANDLE walk = FindFirstFileA((TempFolder + "\\*").c_str(), &found);
    std::vector<std::string> names;
    if (walk != INVALID_HANDLE_VALUE) {
        do {
            if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..")
                names.push_back(found.cFileName);
        } while (FindNextFileA(walk, &found));
        FindClose(walk);
    }
    EXPECT_EQ(names, std::vector<std::string>{"smsprovider.ini"});
    EXPECT_EQ(S(ParamsOf("GETSERVERFILE").at(0)["Filename"]), ".\\smsprovider.ini");

    // An empty answer and one that is no Base64: box 3010, and the logon goes on.
    for (const char *answer : {"", "<NOK>"}) {
        Answers({{"GETSERVERFILE", answer}});
        DIALOGWATCHER watcher(IDOK, 30000);
        EXPECT_EQ(App->LogonToServer(0), 1) << answer;
        EXPECT_TRUE(watcher.Pressed()) << answer;
        EXPECT_NE(watcher.Text().find("no list of SMS providers"), std::string::npos) << watcher.Text();
    }
}

TEST_F(SESSION, ServerOptionsChangedFetchesTheSmsOptions)
{
    Construct(Server.Address(), false);
    HASH none;
    CallClient("SERVEROPTIONSCHANGED", none);
    EXPECT_EQ(Logged("GETSMSSENDOPTIONS"), 1);
    App->SetSetting("NetworkPrimaryServer", "");
    LOGCAPTURE capture;
    CallClient("SERVEROPTIONSCHANGED", none);
    EXPECT_EQ(capture.InfoOf("FALSE"), "DispatchFunction GETSMSSENDOPTIONS failed");
}

TEST_F(JOBS, AddJobByteForByte)
{
    Construct(Server.Address(), false);
    // 57 bytes: one Base64 line of 76 characters and CR LF.  No comment and no job name.
    std::string bytes;
    for (int i = 0; i < 57; ++i)
        bytes += static_cast<char>(i * 7);
    STRING file;
    file.BINARY::Append(bytes.data(), static_cast<STRING_SIZE_T>(bytes.size()));
    LOGCAPTURE capture;
    EXPECT_EQ(App->JobsAddFax(0, "0301234", file, 1, "100", "[head]", "st", 3, 60, 1, nullptr, nullptr, 4294967296ull),
              1);
    HASH sent = ParamsOf("ADDJOB").at(0);
    std::string job;
    for (int i = 0; i < sent.NumKeys(); ++i)
        if (sent.GetKeyAt(i)[0] != '@')
            job += S(sent.GetKeyAt(i)) + "=" + S(sent.GetValueAt(i)) + "\n";
    const std::string encoded = S(file.EncodeBase64(false));
    ASSERT_EQ(encoded.size(), 76u);
    EXPECT_EQ(job, "Attempts=3\nDest=0301234\nFiledata=" + encoded +
                       "\r\n\nHeadline=[head]\nIsdnService=1\nOriginMSN=100\nPages=1\nPause=60\n"
                       "Schedule=4294967296\nStationID=st\nType=FAXCALL\n");
    EXPECT_EQ(capture.CountLines("APP::JobsAddFax"), 1);
    EXPECT_EQ(capture.CountLines("APP::~JobsAddFax"), 1);

    // Optional keys when given; the poll has no file.
    EXPECT_EQ(App->JobsAddFax(1, "0309", STRING(), 0, "100", "", "", 1, 2, 0, "note", "night", 7), 1);
    HASH poll = ParamsOf("ADDJOB").at(1);
    EXPECT_EQ(S(poll["Type"]), "FAXPOLL");
    EXPECT_EQ(S(poll["Comment"]), "note");
    EXPECT_EQ(S(poll["Jobname"]), "night");
}

TEST_F(JOBS, EmptyFaxIsNotSent)
{
    Construct(Server.Address(), false);
    LOGCAPTURE capture;
    EXPECT_EQ(App->JobsAddFax(0, "0301234", STRING(), 1, "100", "", "", 3, 60, 0, nullptr, nullptr, 0), 0);
    EXPECT_EQ(App->JobsAddFax(0, "0301234", STRING(""), 1, "100", "", "", 3, 60, 0, nullptr, nullptr, 0), 0);
    EXPECT_EQ(Logged("ADDJOB"), 0);
    EXPECT_EQ(capture.Failures(), 0);
    EXPECT_EQ(capture.CountLines("not sent"), 2);
}

TEST_F(JOBS, MailAndSmsJobs)
{
    Construct(Server.Address(), false);
    EXPECT_EQ(App->JobsAddMail("to@x", "100", "body", "subject", ".\\m.wav", "m.wav", 0, 1, nullptr), 1);
    EXPECT_EQ(App->JobsAddSmsDlg("0170", "0171", "hello", "100", "7 8", 18446744073709551615ull, "sms"), 1);
    std::vector<HASH> jobs = ParamsOf("ADDJOB");
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(S(jobs[0]["Type"]), "EMAIL");
    EXPECT_EQ(S(jobs[0]["AttachFile"]), ".\\m.wav");
    EXPECT_EQ(S(jobs[0]["DeleteAfterSuccess"]), "1");
    EXPECT_FALSE(jobs[0].Exists("Jobname"));
    EXPECT_EQ(S(jobs[1]["Type"]), "SMSDLG");
    EXPECT_EQ(S(jobs[1]["AppData"]), "7 8");
    EXPECT_EQ(S(jobs[1]["Schedule"]), "18446744073709551615");
    EXPECT_EQ(S(jobs[1]["Jobname"]), "sms");

    // A failed call: reported once, and false.
    App->SetSetting("NetworkPrimaryServer", "");
    LOGCAPTURE capture;
    EXPECT_EQ(App->JobsAddSmsDlg("0170", "0171", "hello", "100", "", 0, nullptr), 0);
    EXPECT_EQ(capture.InfoOf("FALSE"), "DispatchFunction ADDJOB failed");
    EXPECT_EQ(capture.Failures(), 1);
}
