// The client object against the stand-in phone server under Wine: what goes out (the sender keys,
// the peer names, the wait cursor), what comes in (remote calls and broadcasts), and the failures
// that never reach the network.  Each test starts its own stand-in on a port of the system's
// choice, in a scratch work folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <utility>
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
#include "tests/client/clientprogram_support.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/dialog_watcher_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/standinprocess_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

class CLIENTAPPTEST : public CLIENTPROGRAMTEST {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartServer());
        HASH settings;
        ASSERT_NO_FATAL_FAILURE(MakeClientFolder(&settings));
        CLIENTTIMING::Set(CLIENTTIMING::RPC, 10000);
        CLIENTTIMING::Set(CLIENTTIMING::CONNECT, 5000);
        gOwnPort = "0";
        // These tests call the server themselves: no logon of the constructor.
        APP::LogonAtStart = 0;
        App.reset(new APP(0));
        ASSERT_NE(App->hWnd, nullptr);
        ASSERT_NE(App->Comm, nullptr);
        ASSERT_NE(S(gOwnPort), "0");
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
    // command: a logon, which gives up at once while the PC is powered down.
    App->PoweredDown = 1;
    struct CASE {
        const char *server;
        bool obeyed;
    } cases[] = {{"otherhost:6666", false}, {"StandinHost.lan:6666", true}, {"", true}};
    int round = 0;
    for (const auto &c : cases) {
        SetServer(c.server);
        LOGCAPTURE capture;
        const std::string marker = "x" + std::to_string(round++);
        const int before = App->LogonRequests;
        ServerBroadcasts("STARTSERVER " + marker + "\\x20y");
        const bool arrived = WaitUntil([&] { return App->LogonRequests > before; }, c.obeyed ? 10000 : 2000);
        EXPECT_EQ(arrived, c.obeyed) << c.server;
        const std::string &text = capture.Text();
        EXPECT_EQ(text.find("cmd=STARTSERVER, Parm1=" + marker + " y") != std::string::npos, c.obeyed) << c.server;
    }
    App->PoweredDown = 0;
}

namespace {

// The remote item operations, the server's edit locks and the lists fetched for the dialogs.
class REMOTEITEMS : public CLIENTAPPTEST {
protected:
    // Queues answers of the stand-in: command and answer text, in turn.
    void Answers(const std::vector<std::pair<const char *, const char *>> &answers)
    {
        HASHLIST list;
        for (const auto &a : answers) {
            HASH entry;
            entry["Command"] = a.first;
            entry["Answer"] = a.second;
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
    // Sends command as the client other would.
    std::string CallAs(const char *other, const char *command, HASH &params)
    {
        NETPROC caller("6666", "0", 5000);
        params["@Sender"] = other;
        STRING result;
        EXPECT_TRUE(caller.CallNetProcedure(Server.Address().c_str(), command, params, result, 1, nullptr, 5000));
        return S(result);
    }
    // The parameters of the last call-log entry of command.
    HASH LastParams(const char *command)
    {
        HASHLIST log = ReadCallLog();
        for (int i = log.NumItems() - 1; i >= 0; --i)
            if (log[i]->Get("Command") == command)
                return HASH(log[i]->Get("Params"));
        return HASH();
    }
};

void WriteBytes(const std::string &path, const std::string &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

// A mono 16-bit PCM WAVE file of samples samples at 8000 Hz.
std::string Wave(int samples)
{
    auto le = [](uint32_t v, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += static_cast<char>((v >> (8 * i)) & 0xff);
        return out;
    };
    const uint32_t data = static_cast<uint32_t>(samples) * 2;
    return "RIFF" + le(36 + data, 4) + "WAVE" + "fmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(8000, 4) +
           le(16000, 4) + le(2, 2) + le(16, 2) + "data" + le(data, 4) + std::string(data, '\x01');
}

} // namespace

TEST_F(REMOTEITEMS, LocksTakenHeldAndFreed)
{
    STRING holder("none");
    EXPECT_EQ(App->LockServerAction("LOCK_CALLERS_RW", &holder), 1);
    EXPECT_EQ(S(holder), "none");
    EXPECT_EQ(App->UnlockServerAction("LOCK_CALLERS_RW"), 1);

    // Held by another client: 0 and who holds it.
    HASH lock;
    lock["Action"] = "LOCK_TARGETS_RW";
    ASSERT_EQ(CallAs("olga@pc9", "ACTIONLOCK", lock), "<OK>");
    EXPECT_EQ(App->LockServerAction("LOCK_TARGETS_RW", &holder), 0);
    EXPECT_EQ(S(holder), "olga@pc9");

    // The answer words in any case; an unlock answered otherwise than "<OK>" fails unreported.
    Answers({{"ACTIONLOCK", "<locked>\nkurt@pc2"}, {"ACTIONLOCK", "<ok>"}, {"ACTIONUNLOCK", "<NOK>"},
             {"ACTIONLOCK", "<NOK>"}});
    LOGCAPTURE capture;
    holder = "none";
    EXPECT_EQ(App->LockServerAction("LOCK_CLIENTS_RW", &holder), 0);
    EXPECT_EQ(S(holder), "kurt@pc2");
    EXPECT_EQ(App->LockServerAction("LOCK_CLIENTS_RW", nullptr), 1);
    EXPECT_EQ(App->UnlockServerAction("LOCK_CLIENTS_RW"), 0);
    holder = "none";
    EXPECT_EQ(App->LockServerAction("LOCK_CLIENTS_RW", &holder), 0);
    EXPECT_EQ(S(holder), "none");
    EXPECT_EQ(capture.Failures(), 0);
    EXPECT_EQ(capture.CountLines("APP::LockServerAction action=LOCK_CLIENTS_RW returns 0"), 2);
    EXPECT_EQ(capture.CountLines("APP::UnlockServerAction action=LOCK_CLIENTS_RW returns 0"), 1);
}

TEST_F(REMOTEITEMS, FailedLockCallIsReportedQuietly)
{
    SetServer("");
    LOGCAPTURE capture;
    STRING holder("none");
    EXPECT_EQ(App->LockServerAction("LOCK_CALLERS_RW", &holder), 0);
    EXPECT_EQ(App->UnlockServerAction("LOCK_CALLERS_RW"), 0);
    EXPECT_EQ(capture.InfoOf("FALSE"), "DispatchFunction ACTIONLOCK failed");
    EXPECT_NE(ReadWholeFile("assert.log").find("DispatchFunction ACTIONUNLOCK failed"), std::string::npos);
    EXPECT_EQ(S(holder), "none");
}

TEST_F(REMOTEITEMS, MessageFileFetchedOrOneBox)
{
    const std::string bytes = Wave(3000) + std::string("\0\xff\r\n", 4);
    WriteBytes(Work.File("state") + "\\message1.wav", bytes);
    HASH item;
    item.Handle = 4711;
    STRING path = App->PeerMsgFile(item, ".\\message1.wav");
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_EQ(ReadWholeFile(S(path)), bytes);
    DeleteFileA(path);
    HASH sent = LastParams("GETMESSAGEFILE");
    EXPECT_EQ(S(sent["ItemID"]), "4711");
    EXPECT_EQ(S(sent["Filename"]), ".\\message1.wav");

    // Refused: an empty path and one box, pressed by the watcher.
    {
        DIALOGWATCHER watcher(IDOK, 20000);
        EXPECT_EQ(S(App->PeerMsgFile(item, ".\\..\\outside.wav")), "");
        EXPECT_TRUE(watcher.Pressed());
        EXPECT_NE(watcher.Text().find("could not be fetched"), std::string::npos) << watcher.Text();
        EXPECT_EQ(watcher.Title(), "Parlomatix");
    }
    // Powered down: no box.
    App->PoweredDown = 1;
    {
        DIALOGWATCHER watcher(IDOK, 2000);
        EXPECT_EQ(S(App->PeerMsgFile(item, ".\\missing.wav")), "");
        EXPECT_FALSE(watcher.WaitPressed(1000));
    }
    App->PoweredDown = 0;

    // A name that is not relative to the server's folders is not asked for.
    LOGCAPTURE capture;
    App->PoweredDown = 1;
    EXPECT_EQ(S(App->PeerMsgFile(item, "c:\\x.wav")), "");
    App->PoweredDown = 0;
    EXPECT_EQ(capture.Conditions(), std::vector<std::string>{"msgfile[0]=='.'"});
}

TEST_F(REMOTEITEMS, ActiveClientsReplacedAndPrepared)
{
    HASH stale;
    stale["Name"] = "gone@pc0";
    App->ActiveClients.AddItem(stale);
    Answers({{"GETACTIVECLIENTS", "<OK>\n<NULL>"},
             {"GETACTIVECLIENTS",
              "<OK>\n[#0]\nName=anna@pc1\nPeerId=10.0.0.5\nPort=6670\n\n[#1]\nName=bernd@pc2\nPassiveMode=1\n\n"}});
    App->GetServerActiveClients();
    EXPECT_EQ(App->ActiveClients.NumItems(), 0);

    LOGCAPTURE capture;
    App->GetServerActiveClients();
    ASSERT_EQ(App->ActiveClients.NumItems(), 2);
    HASH *anna = App->ActiveClients[0];
    HASH *bernd = App->ActiveClients[1];
    EXPECT_EQ(S(anna->Get("Name")), "anna@pc1");
    EXPECT_EQ(S(anna->Get("OwnMSN")), "*");
    EXPECT_NE(anna->Handle, 0u);
    EXPECT_NE(anna->Handle, bernd->Handle);
    EXPECT_FALSE(bernd->Exists("PeerId"));
    EXPECT_EQ(capture.Failures(), 0);
    // A dispatch reads the records without raising the locked-record assertion.
    STRING result;
    HASH none;
    EXPECT_EQ(App->DispatchFunction("bernd@pc2", "PING", none, result, 1, -1), 1);
    EXPECT_EQ(capture.Failures(), 0);
}

TEST_F(REMOTEITEMS, FilteredCallersLocalFirstWithFaxNumbers)
{
    HASH localFax("Name=Local fax\nNumberFax=0301\n");
    HASH localPhone("Name=Local phone\nNumber=0302\n");
    App->Callers.AddItem(localPhone);
    App->Callers.AddItem(localFax);
    Answers({{"GETCALLERS",
              "<OK>\n[#0]\nName=Server phone\nNumber=0401\n\n[#1]\nName=Server fax\nNumberFax=0402\n\n"}});
    CALLERS out;
    App->GetFilteredCallers(out, "NumberFax", 1, 1, 1); // MAPI is off in the client options
    ASSERT_EQ(out.NumItems(), 2);
    EXPECT_EQ(S(out[0]->Get("Name")), "Local fax");
    EXPECT_EQ(S(out[1]->Get("Name")), "Server fax");
    EXPECT_EQ(out[1]->NumKeys(), CALLERS::NUMKEYS);
    EXPECT_EQ(App->Callers.NumItems(), 2);

    // The address books last, when the client options allow them: the stand-in MAPI library of
    // the program folder, which Wine takes over its own for as long as the override is set.
    HKEY overrides = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &overrides, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(overrides, "mapi32", 0, REG_SZ, reinterpret_cast<const BYTE *>("native"), 7);
    HMODULE mapi = LoadLibraryA("mapi32.dll");
    RegDeleteValueA(overrides, "mapi32");
    RegCloseKey(overrides);
    ASSERT_NE(mapi, nullptr);
    if (!GetProcAddress(mapi, "StandinMapiCounters")) {
        FreeLibrary(mapi);
        GTEST_SKIP() << "the stand-in MAPI library was not the one loaded";
    }
    App->SetSetting("MapiCallerSearch", "1");
    App->SetSetting("MapiInAddressBooks", "1");
    App->SetSetting("MapiAddressBooks", "[#0]\nName=Contacts\nActive=1\n\n[#1]\nName=Suppliers\nActive=0\n\n");
    Answers({{"GETCALLERS",
              "<OK>\n[#0]\nName=Server phone\nNumber=0401\n\n[#1]\nName=Server fax\nNumberFax=0402\n\n"}});
    CALLERS withBooks;
    App->GetFilteredCallers(withBooks, "NumberFax", 1, 1, 1);
    FreeLibrary(mapi);
    ASSERT_GE(withBooks.NumItems(), 4);
    EXPECT_EQ(S(withBooks[0]->Get("Name")), "Local fax");
    EXPECT_EQ(S(withBooks[1]->Get("Name")), "Server fax");
    std::vector<std::string> books;
    for (int i = 2; i < withBooks.NumItems(); ++i) {
        books.push_back(S(withBooks[i]->Get("Name")));
        EXPECT_FALSE(withBooks[i]->Get("NumberFax").IsEmpty());
    }
    EXPECT_EQ(books, (std::vector<std::string>{"Anna Becker", "Gustav Hahn"}));
    App->SetSetting("MapiInAddressBooks", "0");

    // The server failing leaves its part out, silently.
    SetServer("");
    LOGCAPTURE capture;
    CALLERS all;
    App->GetFilteredCallers(all, nullptr, 1, 1, 0);
    EXPECT_EQ(all.NumItems(), 2);
    EXPECT_EQ(capture.Failures(), 0);
}

TEST_F(REMOTEITEMS, ItemCommandsCarryTheirIds)
{
    App->ItemDelete("17|18");
    App->ItemArchive("19", "1");
    App->ItemComment("20", "call back");
    App->ItemSeen("21", 1);
    for (const char *command : {"ITEMDELETE", "ITEMARCHIVE", "ITEMCOMMENT", "ITEMSEEN"})
        ASSERT_TRUE(WaitUntil([&] { return Logged(command) == 1; })) << command;
    EXPECT_EQ(S(LastParams("ITEMDELETE")["ItemID"]), "17|18");
    HASH archive = LastParams("ITEMARCHIVE");
    EXPECT_EQ(S(archive["ItemID"]), "19");
    EXPECT_EQ(S(archive["State"]), "1");
    HASH comment = LastParams("ITEMCOMMENT");
    EXPECT_EQ(S(comment["ItemID"]), "20");
    EXPECT_EQ(S(comment["Comment"]), "call back");
    HASH seen = LastParams("ITEMSEEN");
    EXPECT_EQ(S(seen["ItemID"]), "21");
    EXPECT_EQ(S(seen["Seen"]), "1");
    EXPECT_EQ(S(seen["@ExecMode"]), "<ASYNC>");
}

TEST_F(REMOTEITEMS, LastIdsPerPeer)
{
    EXPECT_EQ(S(App->PeerLastId("standinhost")), "0");
    App->SetPeerLastId("standinhost", "42");
    EXPECT_EQ(S(App->PeerLastId("standinhost")), "42");
    EXPECT_EQ(S(App->PeerLastId("other")), "0");
    EXPECT_EQ(S(App->GetSetting("NetworkClientLastId.standinhost")), "42");
}

TEST_F(REMOTEITEMS, BrokenSoundsAndTheirBoxes)
{
    const std::string good = Work.File("good.wav");
    WriteBytes(good, Wave(800));
    const std::string missing = Work.File("missing.wav");
    HASH anton;
    anton["Name"] = "Anton";
    anton["Sound"] = missing.c_str();
    HASH berta;
    berta["Name"] = "Berta";
    berta["Sound"] = good.c_str();
    HASH quiet;
    quiet["Name"] = "Quiet";
    App->Callers.AddItem(anton);
    App->Callers.AddItem(berta);
    App->Callers.AddItem(quiet);
    HASH office;
    office["Name"] = "Office";
    office["Sound"] = Work.File("broken.wav").c_str();
    WriteBytes(Work.File("broken.wav"), "RIFF....WAVE");
    App->Targets.AddItem(office);

    STRINGARRAY broken;
    broken.AddItem(STRING("stale"));
    App->GetBrokenSounds(broken, 1, 1);
    ASSERT_EQ(broken.NumItems(), 2);
    EXPECT_EQ(S(*broken[0]), missing + "|Anton");
    EXPECT_EQ(S(*broken[1]), Work.File("broken.wav") + "|Office");
    App->GetBrokenSounds(broken, 0, 1);
    EXPECT_EQ(broken.NumItems(), 1);

    // One box per entry, the empty entry left out.
    broken.AddItem(STRING(""));
    broken.AddItem(STRING("x.wav|Carl"));
    DIALOGWATCHER watcher({DIALOGSTEP::Press(IDOK, "broken.wav"), DIALOGSTEP::Press(IDOK, "x.wav")}, 20000);
    App->AlertBrokenFiles(broken);
    EXPECT_EQ(watcher.StepsDone(), 2);
    EXPECT_NE(watcher.TextAt(0).find("broken.wav (used by Office)"), std::string::npos) << watcher.TextAt(0);
    EXPECT_NE(watcher.TextAt(1).find("x.wav (used by Carl)"), std::string::npos) << watcher.TextAt(1);
}
