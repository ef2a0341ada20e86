// standinserver.exe under Wine: this program plays two clients with NETPROC (and MAILIO for the
// broadcasts) against a server started for each test on a port of the system's choice, with its
// own working folder and call log.  Every wait is bounded; the server is stopped by
// "STANDINCONTROL" and, should that fail, ended by force.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/broadcastline.h"
#include "common/commandnames.h"
#include "common/listresult.h"
#include "common/mailrecord.h"
#include "kestar/base/critsect.h"
#include "kestar/base/hashlist.h"
#include "kestar/devices/mailio.h"
#include "kestar/devices/netproc.h"
#include "kestar/base/osysthread.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/standinprocess_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

const char kMd5Demo[] = "fe01ce2a7fbac8fafaed7c982a04e229"; // bernd's password "demo"

// A client: calls the server and records what the server pushes to it.
class TESTCLIENT : public NETPROC {
public:
    TESTCLIENT(const char *name, const std::string &server)
        : NETPROC("6666", "0", 10000, false), Name(name), Server(server)
    {
        SetConnectTimeout(5000);
        StartListeners();
    }
    ~TESTCLIENT() override { Shutdown(); }

    STRING &HandleProcCall(STRING &result, STRING &command, HASH &params, const char *) override
    {
        lock.Enter();
        Pushes.emplace_back(command, params);
        lock.Leave();
        result = PLXRESULT::OK;
        return result;
    }

    // Calls command at the server with the keys a client adds; the result text.
    std::string Call(const char *command, HASH params = HASH(), bool sync = true, bool *ok = nullptr)
    {
        params["@Sender"] = Name.c_str();
        params["@Port"] = GetOurPort();
        params["@Version"] = "4.23";
        params["@SenderRole"] = PLXPEER::ROLE_CLIENT;
        params["@ExecMode"] = sync ? PLXPEER::SYNC : PLXPEER::ASYNC;
        STRING result;
        const int done = CallNetProcedure(Server.c_str(), command, params, result, sync ? 1 : 0, nullptr, 10000);
        if (ok)
            *ok = done != 0;
        return S(result);
    }

    HASH Login(const char *password = nullptr, const char *commVersion = PLXLOGIN::COMMVERSION)
    {
        HASH params;
        params["From"] = Name.c_str();
        params["Port"] = GetOurPort();
        params["Version"] = "4.23";
        params["SubVersion"] = "";
        params["CommVersion"] = commVersion;
        params["Compiled"] = "test";
        if (password)
            params["Password"] = password;
        return HASH(STRING(Call(PLXCMD::LOGIN, params).c_str()));
    }

    // Waits for a push of command (ignoring case) for at most timeoutMs and takes it off the list.
    bool WaitFor(const char *command, HASH *params = nullptr, int timeoutMs = 10000,
                 const char *key = nullptr, const char *value = nullptr)
    {
        const DWORD end = GetTickCount() + timeoutMs;
        for (;;) {
            lock.Enter();
            for (auto it = Pushes.begin(); it != Pushes.end(); ++it) {
                if (it->first != command)
                    continue;
                if (key && it->second[key] != value)
                    continue;
                if (params)
                    *params = it->second;
                Pushes.erase(it);
                lock.Leave();
                return true;
            }
            lock.Leave();
            if (GetTickCount() >= end)
                return false;
            Sleep(20);
        }
    }

    std::string Name;
    std::string Server;

private:
    std::vector<std::pair<STRING, HASH>> Pushes; // guarded by lock
    CRITSECT lock;
};

class STANDINSERVERTEST : public ::testing::Test {
protected:
    bool StartServer(const std::string &extra = "")
    {
        CallLog = Work.File("calls.log");
        const std::string args = "/PORT:0 /HOST:standinhost /JOBSTEP:50 /PUSHTIMEOUT:5000 /CONNECTTIMEOUT:3000 \"/STATE:" +
                                 Work.File("state") + "\" \"/CALLLOG:" + CallLog + "\" " + extra;
        return Server.Start(args);
    }
    std::string Demo(const std::string &name) { return TestProgramFolder() + "\\standindemo\\" + name; }
    // The call log as records.
    HASHLIST ReadCallLog()
    {
        HASHLIST log;
        log.FromString(STRING(ReadWholeFile(CallLog).c_str()));
        return log;
    }

    TEMPFOLDER Work;
    std::string CallLog;
    SERVERPROCESS Server;
};

} // namespace

TEST_F(STANDINSERVERTEST, LoginTable)
{
    ASSERT_TRUE(StartServer()) << Server.Printed();
    TESTCLIENT bernd("bernd@pc2", Server.Address());
    TESTCLIENT zoe("zoe@pc9", Server.Address());

    EXPECT_EQ(S(zoe.Login(nullptr, "1000_400")["Ok"]), PLXLOGIN::DIFFERENT_COMM_VERSION);
    EXPECT_EQ(S(bernd.Login()["Ok"]), PLXLOGIN::PASSWORD_REQUIRED);
    EXPECT_EQ(S(bernd.Login("0123456789abcdef0123456789abcdef")["Ok"]), PLXLOGIN::PASSWORD_WRONG);
    EXPECT_EQ(bernd.Call(PLXCMD::PING), "<NOK>");

    HASH ok = bernd.Login(kMd5Demo);
    EXPECT_EQ(S(ok["Ok"]), PLXLOGIN::SUCCESSFUL);
    EXPECT_EQ(S(ok["ServerName"]), "standinhost");
    EXPECT_EQ(S(ok["ServerPort"]), std::to_string(Server.Port));
    EXPECT_EQ(S(ok["CommVersion"]), PLXLOGIN::COMMVERSION);
    EXPECT_EQ(S(ok["InitialServerLogin"]), "1");
    EXPECT_FALSE(S(ok["ServerDirectory"]).empty());
    HASH perms(ok["Permissions"]);
    EXPECT_EQ(S(perms["PermSMS"]), "0");
    EXPECT_EQ(S(perms["PermAdministrateServer"]), "0");
    EXPECT_EQ(bernd.Call(PLXCMD::PING), "<OK>");
    HASH check;
    check["From"] = "bernd@pc2";
    check["Port"] = bernd.GetOurPort();
    EXPECT_EQ(bernd.Call(PLXCMD::CHECKCONNECTIVITY, check), "<OK>"); // the server called this client back
    check["Port"] = "1";
    EXPECT_EQ(bernd.Call(PLXCMD::CHECKCONNECTIVITY, check), "<NOK>");
    EXPECT_TRUE(bernd.WaitFor(PLXCMD::UPDATEACTIVECLIENTS));

    // An unlisted user logs on as "*"; the second logon is not the first any more.
    HASH star = zoe.Login();
    EXPECT_EQ(S(star["Ok"]), PLXLOGIN::SUCCESSFUL);
    EXPECT_EQ(S(HASH(star["Permissions"])["PermFax"]), "0");
    EXPECT_EQ(S(star["InitialServerLogin"]), "1");
    EXPECT_EQ(S(zoe.Login()["InitialServerLogin"]), "0");
    HASH active;
    ASSERT_TRUE(bernd.WaitFor(PLXCMD::UPDATEACTIVECLIENTS, &active));
    HASHLIST clients(active["ActiveClients"]);
    EXPECT_EQ(clients.NumItems(), 2);
    EXPECT_GE(clients.FindValue("Name", "zoe@pc9", 1), 0);

    // Without the "*" user an unlisted one is not found; the others hear PERMCHANGED.
    HASHLIST users;
    ASSERT_TRUE(LISTRESULT::Read(STRING(bernd.Call(PLXCMD::GETCLIENTS).c_str()), users));
    ASSERT_EQ(users.NumItems(), 5);
    users.DeleteItem(users.FindValue("Name", "*", 1));
    HASH save;
    save["Clients"] = users.ToString();
    EXPECT_EQ(bernd.Call(PLXCMD::SAVECLIENTS, save), "<OK>");
    EXPECT_TRUE(bernd.WaitFor(PLXCMD::PERMCHANGED));
    TESTCLIENT nobody("nobody@pc3", Server.Address());
    EXPECT_EQ(S(nobody.Login()["Ok"]), PLXLOGIN::CLIENT_NOT_FOUND);
}

TEST_F(STANDINSERVERTEST, LockIsFreedByItsHoldersLogout)
{
    ASSERT_TRUE(StartServer()) << Server.Printed();
    TESTCLIENT anna("anna@pc1", Server.Address());
    TESTCLIENT carla("carla@pc4", Server.Address());
    ASSERT_EQ(S(anna.Login()["Ok"]), PLXLOGIN::SUCCESSFUL);
    ASSERT_EQ(S(carla.Login()["Ok"]), PLXLOGIN::SUCCESSFUL);
    HASH lock;
    lock["Action"] = PLXLOCK::CALLERS;
    EXPECT_EQ(anna.Call(PLXCMD::ACTIONLOCK, lock), "<OK>");
    EXPECT_EQ(anna.Call(PLXCMD::ACTIONLOCK, lock), "<OK>"); // the holder again
    EXPECT_EQ(carla.Call(PLXCMD::ACTIONLOCK, lock), "<LOCKED>\nanna@pc1");
    EXPECT_EQ(carla.Call(PLXCMD::ACTIONUNLOCK, lock), "<NOK>");
    HASH other;
    other["Action"] = PLXLOCK::TARGETS;
    EXPECT_EQ(carla.Call(PLXCMD::ACTIONLOCK, other), "<OK>");
    HASH unknown;
    unknown["Action"] = "LOCK_EVERYTHING";
    EXPECT_EQ(carla.Call(PLXCMD::ACTIONLOCK, unknown), "<NOK>");

    HASH logout;
    logout["From"] = "anna@pc1";
    anna.Call(PLXCMD::LOGOUT, logout);
    EXPECT_EQ(carla.Call(PLXCMD::ACTIONLOCK, lock), "<OK>");
    EXPECT_EQ(carla.Call(PLXCMD::ACTIONUNLOCK, lock), "<OK>");
    EXPECT_EQ(anna.Call(PLXCMD::PING), "<NOK>");
}

TEST_F(STANDINSERVERTEST, ItemsDeletedByOneClientArePushedToTheOther)
{
    ASSERT_TRUE(StartServer()) << Server.Printed();
    TESTCLIENT anna("anna@pc1", Server.Address());
    TESTCLIENT carla("carla@pc4", Server.Address());
    ASSERT_EQ(S(anna.Login()["Ok"]), PLXLOGIN::SUCCESSFUL);
    ASSERT_EQ(S(carla.Login()["Ok"]), PLXLOGIN::SUCCESSFUL);

    HASH get;
    get["MaxNumber"] = "100";
    get["FirstId"] = "0";
    HASHLIST items;
    ASSERT_TRUE(LISTRESULT::Read(STRING(carla.Call(PLXCMD::GETITEMS, get).c_str()), items));
    ASSERT_EQ(items.NumItems(), 8);
    EXPECT_EQ(items[0]->Handle, 1002u);
    EXPECT_EQ(S((*items[0])["Server"]), "standinhost");

    HASH del;
    del["ItemID"] = "1002|1003";
    bool ok = false;
    EXPECT_EQ(anna.Call(PLXCMD::ITEMDELETE, del, false, &ok), "<ASYNC>");
    EXPECT_TRUE(ok);
    HASH push;
    ASSERT_TRUE(carla.WaitFor(PLXCMD::UPDATELISTVIEW, &push, 10000, "Action", "DELETE"));
    EXPECT_EQ(S(push["Id"]), "1002|1003");
    EXPECT_EQ(S(push["@SenderRole"]), "{SERVER}");
    EXPECT_EQ(S(push["@Sender"]), "standin@standinhost");
    ASSERT_TRUE(LISTRESULT::Read(STRING(carla.Call(PLXCMD::GETITEMS, get).c_str()), items));
    EXPECT_EQ(items.NumItems(), 6);
    EXPECT_LT(items.FindHandle(1002), 0);

    HASH seen;
    seen["ItemID"] = "1004";
    seen["Seen"] = "1";
    anna.Call(PLXCMD::ITEMSEEN, seen, false);
    ASSERT_TRUE(carla.WaitFor(PLXCMD::UPDATELISTVIEW, &push, 10000, "Action", "CHANGE"));
    EXPECT_EQ(S(push["Id"]), "1004");
    EXPECT_EQ(S(HASH(push["Item"])["MsgSeen"]), "1");
}

TEST_F(STANDINSERVERTEST, MessageFileIsServedAndPathsOutsideAreRefused)
{
    ASSERT_TRUE(StartServer()) << Server.Printed();
    TESTCLIENT anna("anna@pc1", Server.Address());
    ASSERT_EQ(S(anna.Login()["Ok"]), PLXLOGIN::SUCCESSFUL);
    HASH params;
    params["Filename"] = ".\\messages\\msg01004.wav";
    params["ItemID"] = "1004";
    const std::string result = anna.Call(PLXCMD::GETMESSAGEFILE, params);
    ASSERT_EQ(result.rfind("<file=", 0), 0u) << result;
    const std::string local = result.substr(6, result.size() - 7);
    const std::string expected = ReadWholeFile(Demo("messages\\msg01004.wav"));
    ASSERT_GT(expected.size(), 44u);
    EXPECT_EQ(ReadWholeFile(local), expected);
    DeleteFileA(local.c_str());

    for (const char *bad : {"..\\x", "..\\state\\clients.ini", "C:\\windows\\win.ini", "\\\\host\\share\\x"}) {
        params["Filename"] = bad;
        EXPECT_EQ(anna.Call(PLXCMD::GETMESSAGEFILE, params), "<NOK>") << bad;
    }
    params["Filename"] = ".\\messages\\none.wav";
    EXPECT_EQ(anna.Call(PLXCMD::GETMESSAGEFILE, params), "<FAIL>");

    HASH file;
    file["Filename"] = ".\\smsprovider.ini";
    const std::string base64 = anna.Call(PLXCMD::GETSERVERFILE, file);
    EXPECT_EQ(S(STRING(base64.c_str()).DecodeBase64()), ReadWholeFile(Demo("smsprovider.ini")));
    file["Filename"] = "..\\..\\secret.ini";
    EXPECT_EQ(anna.Call(PLXCMD::GETSERVERFILE, file), "<NOK>");
}

TEST_F(STANDINSERVERTEST, SavedTargetsAreStoredAndPushed)
{
    ASSERT_TRUE(StartServer()) << Server.Printed();
    TESTCLIENT admin("admin@pc0", Server.Address());
    TESTCLIENT anna("anna@pc1", Server.Address());
    ASSERT_EQ(S(admin.Login("5ebe2294ecd0e0f08eab7690d2a6ee69")["Ok"]), PLXLOGIN::SUCCESSFUL);
    ASSERT_EQ(S(anna.Login()["Ok"]), PLXLOGIN::SUCCESSFUL);
    HASH all;
    all["Number"] = "*";
    HASHLIST targets;
    ASSERT_TRUE(LISTRESULT::Read(STRING(admin.Call(PLXCMD::GETTARGETS, all).c_str()), targets));
    ASSERT_EQ(targets.NumItems(), 6);
    (*targets[1])["Name"] = "Verkauf Nord";
    HASH save;
    save["Targets"] = targets.ToString();
    EXPECT_EQ(admin.Call(PLXCMD::SAVETARGETS, save, false), "<ASYNC>");
    HASH push;
    ASSERT_TRUE(anna.WaitFor(PLXCMD::SERVERTARGETSCHANGED, &push));
    HASHLIST pushed(push["Targets"]);
    ASSERT_EQ(pushed.NumItems(), 6);
    EXPECT_EQ(S((*pushed[1])["Name"]), "Verkauf Nord");
    EXPECT_NE(ReadWholeFile(Work.File("state\\targets.ini")).find("Name=Verkauf Nord"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(Demo("targets.ini")).find("Verkauf Nord"), std::string::npos);

    HASH one;
    one["Number"] = "5551006";
    HASHLIST single;
    ASSERT_TRUE(LISTRESULT::Read(STRING(anna.Call(PLXCMD::GETTARGETS, one).c_str()), single));
    ASSERT_EQ(single.NumItems(), 1);
    EXPECT_EQ(S((*single[0])["Name"]), "Privat");
}

TEST_F(STANDINSERVERTEST, BroadcastsStartServerAndAnswersNeedServerWithWelcome)
{
    // The client's slot exists before the server starts, so "/START" reaches it.
    std::vector<std::string> heard;
    CRITSECT heardLock;
    struct SINK {
        std::vector<std::string> *Heard;
        CRITSECT *Lock;
        MAILRECORD *Reader;
    };
    MAILRECORD reader("testpc");
    SINK sink{&heard, &heardLock, &reader};
    MAILIO slot(PLXSLOT::CLIENT_OWN, nullptr, nullptr);
    slot.SetDataCallback(
        [](void *user, const void *data, int length) {
            SINK *s = static_cast<SINK *>(user);
            std::vector<MAILRECORD::ENTRY> entries;
            s->Reader->Feed(data, length, entries);
            s->Lock->Enter();
            for (auto &e : entries)
                s->Heard->push_back(S(e.Sender) + " " + S(e.Payload));
            s->Lock->Leave();
        },
        &sink);
    ASSERT_TRUE(slot.AcceptCall());
    ASSERT_TRUE(StartServer("/START /STOP")) << Server.Printed();
    auto waitHeard = [&](const std::string &what) {
        for (int i = 0; i < 250; ++i) {
            heardLock.Enter();
            bool found = false;
            for (auto &h : heard)
                found = found || h == what;
            heardLock.Leave();
            if (found)
                return true;
            Sleep(20);
        }
        return false;
    };
    EXPECT_TRUE(waitHeard("standinhost STARTSERVER"));

    TESTCLIENT jo("jo@no-such-station.invalid", Server.Address());
    MAILIO out("\\\\.\\MAILSLOT\\PARLOCL4X", nullptr, nullptr); // write side only
    ASSERT_TRUE(out.MakeCall(PLXSLOT::CLIENT_PEER));
    MAILRECORD writer("testpc");
    STRING line = BROADCASTLINE::Make(PLXCMD::NEEDSERVER, "jo@no-such-station.invalid", S(jo.GetOurPort()).c_str());
    STRING record = writer.Write(line, nullptr);
    ASSERT_TRUE(out.Write(record, record.Length()));
    HASH welcome;
    ASSERT_TRUE(jo.WaitFor(PLXCMD::WELCOME, &welcome));
    EXPECT_EQ(S(welcome["Port"]), std::to_string(Server.Port));
    EXPECT_EQ(S(welcome["@Sender"]), "standin@standinhost");

    EXPECT_EQ(Server.Stop(), 0);
    EXPECT_TRUE(waitHeard("standinhost STOPSERVER"));
}

TEST_F(STANDINSERVERTEST, ScriptedAnswersPushesAndTheCallLog)
{
    const std::string script = Work.File("script.ini");
    const std::string text = "[#0]\r\nAnswer=Ok=SERVER_IS_STARTING\\n\r\nCommand=LOGIN\r\nCount=3\r\n\r\n"
                             "[#1]\r\nAfter=GETSRVHARDWARE\r\nPush=SETSTATUSBAR\r\nParams=Info=after\\n\r\n\r\n";
    ASSERT_TRUE(STRING(text.c_str()).Save(script.c_str()));
    ASSERT_TRUE(StartServer("\"/SCRIPT:" + script + "\"")) << Server.Printed();
    TESTCLIENT anna("anna@pc1", Server.Address());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(S(anna.Login()["Ok"]), PLXLOGIN::SERVER_IS_STARTING) << i;
    EXPECT_EQ(S(anna.Login()["Ok"]), PLXLOGIN::SUCCESSFUL);

    HASH hardware(STRING(anna.Call(PLXCMD::GETSRVHARDWARE).c_str()));
    EXPECT_EQ(S(hardware["CanFax"]), "1");
    HASH push;
    ASSERT_TRUE(anna.WaitFor(PLXCMD::SETSTATUSBAR, &push));
    EXPECT_EQ(S(push["Info"]), "after");

    // At run time: a push in 100 ms and an answer for PING.
    HASH control;
    control["Action"] = "SCRIPT";
    control["Script"] = "[#0]\nAt=100\nPush=BCHANNELSTATUS\nTo=anna@pc1\nParams=BChannelStatus=01\\n\n\n"
                        "[#1]\nCommand=PING\nAnswer=<NOK>\n\n";
    EXPECT_EQ(anna.Call("STANDINCONTROL", control), "<OK>");
    ASSERT_TRUE(anna.WaitFor(PLXCMD::BCHANNELSTATUS, &push));
    EXPECT_EQ(S(push["BChannelStatus"]), "01");
    EXPECT_EQ(anna.Call(PLXCMD::PING), "<NOK>");
    EXPECT_EQ(anna.Call(PLXCMD::PING), "<OK>");
    HASH wait;
    wait["Action"] = "WAITIDLE";
    EXPECT_EQ(anna.Call("STANDINCONTROL", wait), "<OK>");

    HASHLIST log = ReadCallLog();
    int logins = 0, starting = 0, pushes = 0;
    for (STRING_SIZE_T i = 0; i < log.NumItems(); ++i) {
        HASH &e = *log[i];
        if (e["Command"] == "LOGIN") {
            ++logins;
            EXPECT_EQ(S(e["Mode"]), "CALL");
            EXPECT_EQ(S(HASH(e["Params"])["From"]), "anna@pc1");
            if (S(e["Result"]).find("SERVER_IS_STARTING") != std::string::npos)
                ++starting;
        }
        if (e["Command"] == "SETSTATUSBAR" && e["Mode"] == "PUSH") {
            ++pushes;
            EXPECT_EQ(S(e["Ok"]), "1");
            EXPECT_NE(S(e["Peer"]).find("anna@pc1"), std::string::npos);
        }
        EXPECT_LE(e["Result"].Length(), 200);
    }
    EXPECT_EQ(logins, 4);
    EXPECT_EQ(starting, 3);
    EXPECT_EQ(pushes, 1);
}

TEST_F(STANDINSERVERTEST, SmsJobProgressesAndCallsTheDialogBack)
{
    ASSERT_TRUE(StartServer()) << Server.Printed();
    TESTCLIENT anna("anna@pc1", Server.Address());
    ASSERT_EQ(S(anna.Login()["Ok"]), PLXLOGIN::SUCCESSFUL);
    HASH job;
    job["Type"] = "SMSDLG";
    job["Orig"] = "Anna";
    job["Dest"] = "0171 1071037";
    job["Msg"] = "Hallo";
    job["SourceMSN"] = "5551001";
    job["AppData"] = "0x7ff612345678|window";
    job["This"] = "123456789";
    job["Schedule"] = "0";
    EXPECT_EQ(anna.Call(PLXCMD::ADDJOB, job), "<OK>");
    HASH created;
    ASSERT_TRUE(anna.WaitFor(PLXCMD::UPDATELISTVIEW, &created, 10000, "Action", "CREATE"));
    HASH item(created["Item"]);
    EXPECT_EQ(S(item["Type"]), "SMSCALL");
    EXPECT_EQ(S(item["InProgress"]), "1");
    EXPECT_EQ(S(item["OwnerClient"]), "anna@pc1");
    const std::string id = S(created["Id"]);

    HASH done;
    ASSERT_TRUE(anna.WaitFor(PLXCMD::SMSDIALOGCALLBACK, &done, 10000, "Info", "JOB|COMPLETED"));
    EXPECT_EQ(S(done["This"]), "123456789");
    EXPECT_EQ(S(done["AppData"]), "0x7ff612345678|window");
    EXPECT_EQ(S(done["JobId"]), id);
    HASH last;
    bool ended = false;
    while (!ended && anna.WaitFor(PLXCMD::UPDATELISTVIEW, &last, 2000, "Action", "CHANGE"))
        ended = HASH(last["Item"])["InProgress"] == "0";
    EXPECT_TRUE(ended);

    // A job that has ended cannot be aborted.
    HASH abort;
    abort["Handle"] = id.c_str();
    EXPECT_EQ(anna.Call(PLXCMD::ABORTFAXJOB, abort), "<NOK>");

    // A fax job keeps its file on the server, where the client can fetch it again.
    const std::string sff = ReadWholeFile(Demo("messages\\fax01005.sff"));
    ASSERT_GT(sff.size(), 20u);
    HASH fax;
    fax["Type"] = "FAXCALL";
    fax["Dest"] = "089 100 9000";
    fax["Filedata"] = STRING::FromBytes(sff.data(), static_cast<STRING_SIZE_T>(sff.size())).EncodeBase64(true);
    EXPECT_EQ(anna.Call(PLXCMD::ADDJOB, fax), "<OK>");
    ASSERT_TRUE(anna.WaitFor(PLXCMD::UPDATELISTVIEW, &created, 10000, "Action", "CREATE"));
    HASH faxItem(created["Item"]);
    EXPECT_EQ(S(faxItem["Type"]), "FAXCALL");
    HASH get;
    get["Filename"] = faxItem["MsgFile"];
    get["ItemID"] = created["Id"];
    const std::string result = anna.Call(PLXCMD::GETMESSAGEFILE, get);
    ASSERT_EQ(result.rfind("<file=", 0), 0u) << result;
    const std::string local = result.substr(6, result.size() - 7);
    EXPECT_EQ(ReadWholeFile(local), sff);
    DeleteFileA(local.c_str());
}
