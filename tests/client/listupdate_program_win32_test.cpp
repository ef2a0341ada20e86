// The list updates in the client object under Wine: the stand-in phone server pushes
// "UPDATELISTVIEW" from a script, and the tests read what the client made of it (its lists, its
// files, its log, the program it started), the archive fill's messages and the fax report's
// print dialog cancelled through the watcher.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "client/app.h"
#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "client/comminterface.h"
#include "client/listupdate.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysfile.h"
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

// Dispatches the test thread's messages (the client's window lives here) for ms.
void Pump(int ms)
{
    const DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
}

class LISTUPDATEAPP : public CLIENTPROGRAMTEST {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartServer());
        HASH settings;
        settings["NumberOfEntries"] = "10";
        settings["PopupOpenMode"] = "2";
        ASSERT_NO_FATAL_FAILURE(MakeClientFolder(&settings));
        CLIENTTIMING::Set(CLIENTTIMING::RPC, 10000);
        CLIENTTIMING::Set(CLIENTTIMING::CONNECT, 5000);
        LISTUPDATE::ArchiveWaitMs = 10000;
        gOwnPort = "0";
        // The stand-in pushes to this client's port: no logon of the constructor, whose lists
        // would replace the ones the tests set.
        APP::LogonAtStart = 0;
        App.reset(new APP(0));
        ASSERT_NE(App->hWnd, nullptr);
        ASSERT_NE(S(gOwnPort), "0");
    }
    void TearDown() override
    {
        EndClient();
        LISTUPDATE::ArchiveWaitMs = 300000;
        LISTUPDATE::ScrollLockOffMs = 1000;
    }
    // Tells the stand-in to push one "UPDATELISTVIEW" to this client now and waits until it was
    // answered; then lets the window take what was posted to it.
    void Push(HASH &params)
    {
        HASHLIST script;
        HASH push;
        push["Push"] = "UPDATELISTVIEW";
        push["To"] = ("127.0.0.1:" + S(gOwnPort)).c_str();
        push["Params"] = params.ToString();
        push["At"] = "0";
        push["Sync"] = "1";
        script.AddItem(push);
        Control("SCRIPT", S(script.ToString()));
        Control("WAITIDLE", "");
        Pump(300);
    }
    void Control(const char *action, const std::string &script)
    {
        NETPROC caller("6666", "0", 5000);
        HASH params;
        params["Action"] = action;
        if (!script.empty())
            params["Script"] = script.c_str();
        STRING result;
        ASSERT_TRUE(caller.CallNetProcedure(Server.Address().c_str(), "STANDINCONTROL", params, result, 1, nullptr,
                                            25000));
        ASSERT_EQ(S(result), "<OK>") << action;
    }
    static HASH Update(const char *action, const char *id, const std::string &item)
    {
        HASH params;
        params["Action"] = action;
        params["Id"] = id;
        if (!item.empty())
            params["Item"] = item.c_str();
        return params;
    }
    static std::string Call(const char *id, const char *status, const char *inProgress, const char *extra = "")
    {
        return std::string("#Handle=") + id + "\nType=SOUND\nCallerNumber=0301234\nCallerCanonical=0301234\n" +
               "TargetNumber=5551001\nStatus=" + status + "\nInProgress=" + inProgress + "\nLTime=1700000000\n" + extra;
    }
    int Items()
    {
        const int n = App->ItemView.LockItems().NumItems();
        App->ItemView.UnlockItems();
        return n;
    }
};

} // namespace

TEST_F(LISTUPDATEAPP, NewCallIsStoredSavedAndItsPopupRequestLogged)
{
    HASH rights;
    rights["PermLocalRecentcalls"] = "1";
    App->SetRights(rights);
    LOGCAPTURE capture;
    HASH create = Update("CREATE", "77", Call("77", "RINGING", "1"));
    create["Sender"] = "standinhost";
    Push(create);
    ASSERT_EQ(Items(), 1);
    EXPECT_EQ(S(App->PeerLastId("standinhost")), "77");

    HASHLIST saved;
    ASSERT_TRUE(saved.Load((ClientFolder + "\\recentcalls.ini").c_str()));
    ASSERT_EQ(saved.NumItems(), 1);
    EXPECT_EQ(saved[0]->Handle, 77u);
    EXPECT_EQ(S(saved[0]->Get("Status")), "RINGING");
    EXPECT_TRUE(saved[0]->Exists("CallerName")); // saved prepared, with the defaults

    // The pop-up request went to the window, which logged and freed it.
    EXPECT_EQ(capture.CountLines("APP::WinProc WM__OPENPOPUPWINDOW item=0"), 1) << capture.Text();
    EXPECT_EQ(capture.CountLines("APP::WinProc WM__LASTRECORDFOCUS handle=77"), 1);
    EXPECT_EQ(capture.Failures(), 0);
}

TEST_F(LISTUPDATEAPP, OneCallLogLineWhenTheCallEnds)
{
    const std::string log = ClientFolder + "\\calllog.txt";
    App->SetSetting("Logfile", log.c_str());
    HASH create = Update("CREATE", "5", Call("5", "RINGING", "1"));
    Push(create);
    HASH answered = Update("CHANGE", "5", Call("5", "OTHER", "1"));
    Push(answered);
    EXPECT_FALSE(FileExists(log.c_str()));
    HASH ended = Update("CHANGE", "5", Call("5", "DROPPED|0:10", "0"));
    Push(ended);
    HASH commented = Update("CHANGE", "5", Call("5", "DROPPED|0:10", "0", "Comment=later\n"));
    Push(commented);
    const std::string text = ReadWholeFile(log);
    size_t lines = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(lines, 1u) << text;
}

TEST_F(LISTUPDATEAPP, TargetProgramStartsWithTheCallersNumber)
{
    const std::string out = Work.File("probe.txt");
    SetEnvironmentVariableA("PLX_ARGPROBE_OUT", out.c_str());
    App->Targets.Lock();
    HASH target;
    target["Number"] = "5551001";
    target["Name"] = "Office";
    target["RunProg"] = "1";
    target["Program"] = (TestProgramFolder() + "\\argprobe.exe").c_str();
    target["ProgParm"] = "$fromnumber $toname";
    TARGETS::Prepare(target, 1);
    App->Targets.AddItem(target);
    App->Targets.Unlock();

    HASH create = Update("CREATE", "9", Call("9", "RINGING", "1"));
    Push(create);
    ASSERT_TRUE(WaitUntil([&] { return ReadWholeFile(out).find("Office") != std::string::npos; })) << ReadWholeFile(out);
    const std::string text = ReadWholeFile(out);
    EXPECT_NE(text.find("\n0301234\nOffice\n"), std::string::npos) << text;
    SetEnvironmentVariableA("PLX_ARGPROBE_OUT", nullptr);
}

TEST_F(LISTUPDATEAPP, ArchiveFillSendsItsMessagesInOrder)
{
    LOGCAPTURE capture;
    ASSERT_TRUE(App->StartFillArchiveListview("Archived=1"));
    EXPECT_FALSE(App->StartFillArchiveListview("again")); // one at a time
    ASSERT_TRUE(WaitUntil([&] { return App->FillArchiveRunning == 0; }, 20000));
    Pump(100);
    App->ArchiveView.LockItems();
    const int archived = App->ArchiveView.Items.NumItems();
    App->ArchiveView.UnlockItems();
    EXPECT_GE(archived, 1); // the data set's archived call

    const std::string &text = capture.Text();
    const size_t open = text.find("APP::WinProc WM__PLEASEWAITDLGOPEN delay=0, stopflag=1");
    const size_t set = text.find("APP::WinProc WM__PLEASEWAITDLGSETTEXT text=" +
                                 S(OSYS::GetStringFromResource(3038)));
    const size_t close = text.find("APP::WinProc WM__PLEASEWAITDLGCLOSE");
    ASSERT_NE(open, std::string::npos) << text;
    ASSERT_NE(set, std::string::npos) << text;
    ASSERT_NE(close, std::string::npos) << text;
    EXPECT_LT(open, set);
    EXPECT_LT(set, close);
    // A second fill may start once the first has ended.
    EXPECT_TRUE(App->StartFillArchiveListview("Archived=1"));
    App->StopFillArchiveListview();
    EXPECT_EQ(App->FillArchiveRunning, 0);
}

TEST_F(LISTUPDATEAPP, ReportWithTheDialogCancelledPrintsNothingAndDeletesTheCopy)
{
    HASH item;
    item.Handle = 1006;
    item["Type"] = "FAXCALL";
    item["MsgFile"] = ".\\messages\\job01006.sff";
    item["HowMany"] = "1";
    item["TransmissionInfo"] = "FaxPages=1\nFaxDuration=34\n";
    LOGCAPTURE capture;
    DIALOGWATCHER cancel(IDCANCEL);
    EXPECT_EQ(App->PrintFaxSendingReport(item, 1), 0);
    EXPECT_TRUE(cancel.Pressed());
    const std::string &text = capture.Text();
    const std::string marker = "APP::PeerMsgFile returns ";
    const size_t at = text.find(marker);
    ASSERT_NE(at, std::string::npos) << text;
    std::string copy = text.substr(at + marker.size(), text.find('\n', at) - at - marker.size());
    if (!copy.empty() && copy.back() == '\r')
        copy.pop_back();
    ASSERT_FALSE(copy.empty());
    EXPECT_FALSE(FileExists(copy.c_str())) << copy;
    EXPECT_NE(text.find("APP::PrintFaxSendingReport opened print selection dialog, rc=0"), std::string::npos);
    EXPECT_NE(text.find("APP::PrintFaxSendingReport finished, rc=0"), std::string::npos);
}

namespace {

// The Scroll Lock light of the blinking test: every switch, in order.
std::vector<int> gLightSwitches;

int RecordLight(int mode)
{
    gLightSwitches.push_back(mode);
    return 1;
}

} // namespace

TEST_F(LISTUPDATEAPP, ScrollLockBlinksUntilStopped)
{
    gLightSwitches.clear();
    APP::SetScrollLockLight = RecordLight;
    LISTUPDATE::ScrollLockOffMs = 50;
    // Off in the settings: nothing blinks.
    App->DoScrollLockBlinking(1);
    EXPECT_EQ(App->ScrollLockBlinks, 0);

    App->SetSetting("ScrollLockBlinking", "1");
    LOGCAPTURE capture;
    App->DoScrollLockBlinking(1);
    App->DoScrollLockBlinking(1); // already blinking
    EXPECT_EQ(App->ScrollLockBlinks, 1);
    // Each tick of timer 2, about once a second, turns the light over.
    EXPECT_TRUE(WaitUntil([&] { return gLightSwitches.size() >= 2; }, 5000));
    App->DoScrollLockBlinking(0);
    App->DoScrollLockBlinking(0); // stopped already
    EXPECT_EQ(App->ScrollLockBlinks, 0);
    Pump(1500); // no tick comes after the stop
    APP::SetScrollLockLight = OSYS::SetScrollLock;
    ASSERT_GE(gLightSwitches.size(), 3u);
    EXPECT_EQ(gLightSwitches.back(), 0);
    for (size_t i = 0; i + 1 < gLightSwitches.size(); ++i)
        EXPECT_EQ(gLightSwitches[i], 2) << i;
    EXPECT_EQ(capture.CountLines("APP::DoScrollLockBlinking: blinking starts..."), 1);
    EXPECT_EQ(capture.CountLines("APP::DoScrollLockBlinking: blinking stops..."), 1);
}

TEST_F(LISTUPDATEAPP, ScrollLockBlinksWhenARemoteCallThreadStartsIt)
{
    gLightSwitches.clear();
    APP::SetScrollLockLight = RecordLight;
    LISTUPDATE::ScrollLockOffMs = 50;
    App->SetSetting("ScrollLockBlinking", "1");
    // A new message on a remote-call thread starts it; its timer belongs to the window.
    HASH create = Update("CREATE", "3", Call("3", "RINGING", "1"));
    Push(create);
    HASH message = Update("CHANGE", "3", Call("3", "MESSAGE|1", "1", "MsgSeen=0\n"));
    {
        HASH item(message["Item"]);
        item["Type"] = "MESSAGE";
        message["Item"] = item.ToString();
    }
    Push(message);
    EXPECT_EQ(App->ScrollLockBlinks, 1);
    EXPECT_TRUE(WaitUntil([&] { return gLightSwitches.size() >= 2; }, 5000));
    // Seen: the blinking stops from there too, and the light goes off.
    HASH seen(message);
    {
        HASH item(seen["Item"]);
        item["MsgSeen"] = "1";
        seen["Item"] = item.ToString();
    }
    Push(seen);
    EXPECT_EQ(App->ScrollLockBlinks, 0);
    const size_t switches = gLightSwitches.size();
    Pump(1500);
    APP::SetScrollLockLight = OSYS::SetScrollLock;
    EXPECT_EQ(gLightSwitches.size(), switches);
    EXPECT_EQ(gLightSwitches.back(), 0);
}
