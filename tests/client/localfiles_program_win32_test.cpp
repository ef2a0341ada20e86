// The local list files of the client against the stand-in phone server under Wine: which right
// lets which list be loaded and saved, the server's targets merged into the local ones, the
// defaults of a sparse recent-calls file, the saves after the end of the session, the backups and
// a write that fails.  Each test starts its own stand-in and client object in a scratch work folder
// and sets the rights itself.
#include <windows.h>

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
#include "common/callitem.h"
#include "common/sms.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysresource.h"
#include "kestar/devices/netproc.h"
#include "tests/client/clientprogram_support.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/standinprocess_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

void WriteText(const std::string &path, const std::string &text)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

// The names in folder that are neither the given ones nor folders.
std::vector<std::string> FilesIn(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE walk = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (walk == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(data.cFileName);
    } while (FindNextFileA(walk, &data));
    FindClose(walk);
    std::sort(names.begin(), names.end());
    return names;
}

class LOCALFILESAPP : public CLIENTPROGRAMTEST {
protected:
    void SetUp() override
    {
        SMS::ResetForTests();
        ASSERT_NO_FATAL_FAILURE(StartServer());
        HASH settings;
        ASSERT_NO_FATAL_FAILURE(MakeClientFolder(&settings));
        CLIENTTIMING::Set(CLIENTTIMING::RPC, 10000);
        CLIENTTIMING::Set(CLIENTTIMING::CONNECT, 5000);
        gOwnPort = "0";
        // These tests log on themselves where they need it: no logon of the constructor.
        APP::LogonAtStart = 0;
        App.reset(new APP(0));
        ASSERT_NE(App->hWnd, nullptr);
        ASSERT_EQ(S(gWorkDir), ClientFolder);
    }
    void TearDown() override
    {
        EndClient();
        SMS::ResetForTests();
    }
    std::string File(const char *name) const { return ClientFolder + "\\" + name; }
    void Rights(const char *text) { App->SetRights(HASH(text)); }
    // Queues answers of the stand-in: command and answer text, in turn.
    void Answers(const std::vector<std::pair<const char *, std::string>> &answers)
    {
        HASHLIST list;
        for (const auto &a : answers) {
            HASH entry;
            entry["Command"] = a.first;
            entry["Answer"] = a.second.c_str();
            list.AddItem(entry);
        }
        NETPROC caller("6666", "0", 5000);
        HASH params;
        params["Action"] = "SCRIPT";
        params["Script"] = list.ToString();
        STRING result;
        ASSERT_TRUE(caller.CallNetProcedure(Server.Address().c_str(), "STANDINCONTROL", params, result, 1, nullptr,
                                            5000));
        ASSERT_EQ(S(result), "<OK>");
    }
    // The target with that number, or null.
    HASH *Target(const char *number)
    {
        const int idx = App->Targets.FindValue("Number", number, 1);
        return idx == -1 ? nullptr : App->Targets[idx];
    }
};

const char *const kLocalCallers = "[#0]\r\nName=Anton\r\nNumber=0301234\r\n\r\n";

} // namespace

TEST_F(LOCALFILESAPP, CallersOnlyWithTheirRight)
{
    // Without the right: an empty list, and an edit writes no file.
    Rights("PermLocalTargets=1\nPermLocalRecentcalls=1\n");
    WriteText(Work.File("elsewhere.ini"), kLocalCallers);
    App->GetLocalCallers();
    EXPECT_EQ(App->Callers.NumItems(), 0);
    HASH berta("Name=Berta\nNumber=0409876\n");
    App->Callers.AddItem(berta);
    EXPECT_EQ(App->SaveLocalFiles(0, 1, 0, 0, 0), 1);
    EXPECT_FALSE(FileExistsForTest(File("callers.ini")));

    // A file present but no right: still empty.
    WriteText(File("callers.ini"), kLocalCallers);
    App->GetLocalCallers();
    EXPECT_EQ(App->Callers.NumItems(), 0);

    // With it: loaded and prepared, and saved back.
    Rights("PermLocalCallers=1\n");
    LOGCAPTURE capture;
    App->GetLocalCallers();
    ASSERT_EQ(App->Callers.NumItems(), 1);
    EXPECT_EQ(App->Callers[0]->NumKeys(), CALLERS::NUMKEYS);
    EXPECT_EQ(capture.CountLines("APP::GetLocalCallers"), 1);
    App->Callers.AddItem(berta);
    EXPECT_EQ(App->SaveLocalFiles(0, 1, 0, 0, 0), 1);
    CALLERS saved;
    saved.Load(File("callers.ini").c_str());
    ASSERT_EQ(saved.NumItems(), 2);
    EXPECT_EQ(S(saved[1]->Get("Name")), "Berta");
}

TEST_F(LOCALFILESAPP, TargetsWithoutTheRightNeverRunAProgram)
{
    Rights("PermLocalCallers=1\n");
    WriteText(File("targets.ini"), "[#0]\r\nNumber=5551001\r\nProgram=local.exe\r\n\r\n");
    Answers({{"GETTARGETS", "<OK>\n[#0]\nNumber=5551001\nName=Zentrale\nRunProg=1\nProgram=calc.exe\n"
                            "ProgParm=/x\nDoAnswerphone=1\n\n[#1]\nNumber=5551002\nRunProg=1\n\n"}});
    LOGCAPTURE capture;
    App->GetLocalTargets();
    ASSERT_EQ(App->Targets.NumItems(), 2);
    for (int i = 0; i < 2; ++i) {
        HASH *target = App->Targets[i];
        EXPECT_EQ(S(target->Get("RunProg")), "0");
        EXPECT_EQ(S(target->Get("Program")), "");
        EXPECT_EQ(S(target->Get("ProgParm")), "");
        EXPECT_EQ(target->NumKeys(), 74); // prepared as targets
        EXPECT_NE(target->Handle, 0u);
    }
    EXPECT_NE(App->Targets[0]->Handle, App->Targets[1]->Handle);
    EXPECT_EQ(S(App->Targets[0]->Get("DoAnswerphone")), "1");
    EXPECT_EQ(capture.CountLines("APP::GetServerTargets"), 1);
    EXPECT_EQ(capture.CountLines("APP::GetLocalTargets"), 0);
}

TEST_F(LOCALFILESAPP, FailedTargetsCallIsReportedAndLeavesNone)
{
    App->SetSetting("NetworkPrimaryServer", "");
    App->Comm.load()->MakeNetworkAndDevice();
    LOGCAPTURE capture;
    App->GetLocalTargets();
    EXPECT_EQ(App->Targets.NumItems(), 0);
    EXPECT_EQ(capture.InfoOf("FALSE"), "DispatchFunction GETTARGETS failed");
}

TEST_F(LOCALFILESAPP, TargetsWithTheRightMergeTheServers)
{
    Rights("PermLocalTargets=1\n");
    // The local copy of a server target with its own name, sound and program and an old
    // answering-machine flag; and a target the server no longer has.
    WriteText(File("targets.ini"), "[#0]\r\nNumber=5551001\r\nName=My office\r\nSound=ring.wav\r\n"
                                   "RunProg=1\r\nProgram=notepad.exe\r\nDoAnswerphone=0\r\n\r\n"
                                   "[#1]\r\nNumber=0000\r\nName=Gone\r\n\r\n");
    LOGCAPTURE capture;
    App->GetLocalTargets();
    HASHLIST server;
    server.Load((Work.File("state") + "\\targets.ini").c_str());
    ASSERT_GT(server.NumItems(), 1);
    EXPECT_EQ(App->Targets.NumItems(), server.NumItems());
    EXPECT_EQ(Target("0000"), nullptr);
    HASH *office = Target("5551001");
    ASSERT_NE(office, nullptr);
    EXPECT_EQ(S(office->Get("Name")), "My office");
    EXPECT_EQ(S(office->Get("Program")), "notepad.exe");
    EXPECT_EQ(S(office->Get("RunProg")), "1");
    EXPECT_EQ(S(office->Get("Sound")), "ring.wav");
    EXPECT_EQ(S(office->Get("DoAnswerphone")), "1"); // the server's
    // A target new here takes the server's name too.
    HASH *second = Target(S(server[1]->Get("Number")).c_str());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(S(second->Get("Name")), S(server[1]->Get("Name")));
    EXPECT_EQ(capture.CountLines("APP::UpdateTargetsFromServer num of targets=" + std::to_string(server.NumItems()) +
                                 ", fullrebuild=1"),
              1);
    // The merge was saved.
    TARGETS saved;
    saved.Load(File("targets.ini").c_str());
    EXPECT_EQ(saved.NumItems(), server.NumItems());

    // One number never removes any; its case does not matter.
    HASH extra("Number=abc\nName=Extra\n");
    TARGETS::Prepare(extra, App->Targets.NewHandle());
    App->Targets.AddItem(extra);
    Answers({{"GETTARGETS", "<OK>\n[#0]\nNumber=ABC\nName=Server name\nDoFaxmachine=1\n\n"}});
    EXPECT_EQ(App->GetServerTargets("abc"), 1);
    EXPECT_EQ(App->Targets.NumItems(), server.NumItems() + 1);
    ASSERT_NE(Target("abc"), nullptr);
    EXPECT_EQ(S(Target("abc")->Get("Name")), "Extra");
    EXPECT_EQ(S(Target("abc")->Get("DoFaxmachine")), "1");
    // "<NULL>": nothing received, nothing changed.
    Answers({{"GETTARGETS", "<OK>\n<NULL>"}});
    EXPECT_EQ(App->GetServerTargets("*"), 0);
    EXPECT_EQ(App->Targets.NumItems(), server.NumItems() + 1);
}

TEST_F(LOCALFILESAPP, SparseRecentCallsGetEveryDefault)
{
    Rights("PermLocalRecentcalls=1\n");
    WriteText(File("recentcalls.ini"), "[#0]\r\n#Handle=77\r\nType=MESSAGE\r\nInProgress=1\r\nCallerIcon=\r\n\r\n"
                                       "[#1]\r\nType=SOUND\r\n\r\n");
    App->SetPeerLastId("standinhost", "42");
    LOGCAPTURE capture;
    App->GetLocalRecentcalls("standinhost", 1);
    HASHLIST &items = App->ItemView.LockItems();
    ASSERT_EQ(items.NumItems(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(items[i]->NumKeys(), CALLITEM::NUMDEFAULTS);
        EXPECT_EQ(S(items[i]->Get("InProgress")), "0");
        EXPECT_EQ(S(items[i]->Get("Archived")), "0");
        EXPECT_NE(items[i]->Handle, 0u);
    }
    EXPECT_EQ(items[0]->Handle, 77u);
    EXPECT_EQ(S(items[0]->Get("CallerIcon")), "");
    EXPECT_EQ(S(items[1]->Get("CallerIcon")), "0");
    EXPECT_EQ(App->ItemView.GetNumberOfUnreadMsgs(), 1);
    App->ItemView.UnlockItems();
    EXPECT_EQ(S(App->PeerLastId("standinhost")), "42"); // kept with the right
    EXPECT_EQ(capture.Failures(), 0);

    // Not loaded when asked not to.
    App->GetLocalRecentcalls("standinhost", 0);
    EXPECT_EQ(App->ItemView.Items.NumItems(), 0);
}

TEST_F(LOCALFILESAPP, WithoutTheRightTheLastIdIsReset)
{
    Rights("PermLocalCallers=1\n");
    WriteText(File("recentcalls.ini"), "[#0]\r\nType=MESSAGE\r\n\r\n");
    App->SetPeerLastId("standinhost", "42");
    App->SetPeerLastId("other", "7");
    LOGCAPTURE capture;
    App->GetLocalRecentcalls("standinhost", 1);
    EXPECT_EQ(App->ItemView.Items.NumItems(), 0);
    EXPECT_EQ(S(App->PeerLastId("standinhost")), "0");
    EXPECT_EQ(S(App->PeerLastId("other")), "7");
    EXPECT_EQ(capture.CountLines("APP::ResetPeerLastId"), 1);
    // Without a server name nothing is reset.
    App->SetPeerLastId("standinhost", "43");
    App->GetLocalRecentcalls("", 1);
    EXPECT_EQ(S(App->PeerLastId("standinhost")), "43");
}

TEST_F(LOCALFILESAPP, SavesWriteEachListWithItsRightOnly)
{
    Rights("PermLocalRecentcalls=1\nPermLocalCallers=0\nPermLocalTargets=1\n");
    HASH item("Type=FAX\n");
    App->PrepareCallItem(item);
    App->ItemView.Items.AddItem(item);
    HASH target("Number=123\n");
    TARGETS::Prepare(target, 16534);
    App->Targets.AddItem(target);
    App->Callers.AddItem(HASH("Name=Anton\n"));
    App->SetSetting("ListFont", "8.Arial");
    DeleteFileA(File("parlomatix.ini").c_str());
    EXPECT_EQ(App->SaveLocalFiles(1, 1, 0, 1, 1), 1);
    EXPECT_EQ(FilesIn(ClientFolder),
              (std::vector<std::string>{"parlomatix.ini", "recentcalls.ini", "targets.ini"}));
    HASH settings;
    ASSERT_TRUE(settings.Load(File("parlomatix.ini").c_str()));
    EXPECT_EQ(S(settings["ListFont"]), "8.Arial");
    HASHLIST recent;
    recent.Load(File("recentcalls.ini").c_str());
    ASSERT_EQ(recent.NumItems(), 1);
    EXPECT_EQ(recent[0]->Handle, item.Handle);

    // Only what is asked for.
    for (const char *name : {"parlomatix.ini", "recentcalls.ini", "targets.ini"})
        DeleteFileA(File(name).c_str());
    EXPECT_EQ(App->SaveLocalFiles(0, 1, 1, 1, 0), 1);
    EXPECT_EQ(FilesIn(ClientFolder), std::vector<std::string>{"targets.ini"});
}

TEST_F(LOCALFILESAPP, NothingSavedWhileForbiddenOrAfterTheSession)
{
    Rights("PermLocalRecentcalls=1\nPermLocalCallers=1\nPermLocalTargets=1\n");
    DeleteFileA(File("parlomatix.ini").c_str());
    App->NoSave = 1;
    EXPECT_EQ(App->SaveLocalFiles(1, 1, 0, 1, 1), 1);
    EXPECT_TRUE(FilesIn(ClientFolder).empty());
    App->NoSave = 0;

    SendMessageA(App->hWnd, WM_ENDSESSION, 1, 0);
    EXPECT_EQ(App->SessionEnded.load(), 1);
    EXPECT_EQ(App->Comm.load(), nullptr); // cleaned up first
    LOGCAPTURE capture;
    EXPECT_EQ(App->SaveLocalFiles(1, 1, 0, 1, 1), 1);
    EXPECT_TRUE(FilesIn(ClientFolder).empty());
    EXPECT_EQ(capture.CountLines("APP::SaveLocalFiles not after the end of the session"), 1);
}

TEST_F(LOCALFILESAPP, BackupSkipsAMissingFileAndReplacesOldCopies)
{
    WriteText(File("parlomatix.ini"), "A=1\r\n");
    WriteText(File("callers.ini"), kLocalCallers);
    WriteText(File("recentcalls.ini"), "[#0]\r\nType=FAX\r\n\r\n");
    WriteText(File("callers.ini.bak"), "old");
    EXPECT_EQ(App->BackupIniFiles(), 1);
    EXPECT_EQ(FilesIn(ClientFolder),
              (std::vector<std::string>{"callers.ini", "callers.ini.bak", "parlomatix.ini", "parlomatix.ini.bak",
                                        "recentcalls.ini", "recentcalls.ini.bak"}));
    EXPECT_EQ(ReadWholeFile(File("callers.ini.bak")), kLocalCallers);
    EXPECT_EQ(ReadWholeFile(File("parlomatix.ini.bak")), "A=1\r\n");
    EXPECT_EQ(ReadWholeFile(File("recentcalls.ini.bak")), ReadWholeFile(File("recentcalls.ini")));

    // An ordinary save leaves the backups alone.
    Rights("PermLocalCallers=1\n");
    App->GetLocalCallers();
    App->Callers.DeleteAll();
    EXPECT_EQ(App->SaveLocalFiles(0, 1, 0, 0, 0), 1);
    EXPECT_EQ(ReadWholeFile(File("callers.ini.bak")), kLocalCallers);
    EXPECT_NE(ReadWholeFile(File("callers.ini")), kLocalCallers);

    // A backup that cannot be written: 0, the old backup as it was, no temporary file left.
    WriteText(File("parlomatix.ini.bak"), "old settings");
    ASSERT_TRUE(SetFileAttributesA(File("parlomatix.ini.bak").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(App->BackupIniFiles(), 0);
    SetFileAttributesA(File("parlomatix.ini.bak").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadWholeFile(File("parlomatix.ini.bak")), "old settings");
    EXPECT_EQ(FilesIn(ClientFolder).size(), 6u);
}

TEST_F(LOCALFILESAPP, FailedWriteGivesFalseAndKeepsTheOldFile)
{
    Rights("PermLocalCallers=1\nPermLocalTargets=1\n");
    WriteText(File("callers.ini"), kLocalCallers);
    App->GetLocalCallers();
    App->Callers.AddItem(HASH("Name=Berta\n"));
    ASSERT_TRUE(SetFileAttributesA(File("callers.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    HASH target("Number=123\n");
    TARGETS::Prepare(target, 16534);
    App->Targets.AddItem(target);
    LOGCAPTURE capture;
    EXPECT_EQ(App->SaveLocalFiles(0, 1, 0, 1, 0), 0);
    SetFileAttributesA(File("callers.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadWholeFile(File("callers.ini")), kLocalCallers);
    EXPECT_TRUE(FileExistsForTest(File("targets.ini"))); // the other file is still written
    EXPECT_EQ(capture.CountLines("APP::SaveLocalFiles cannot write " + File("callers.ini")), 1);
    EXPECT_EQ(FilesIn(ClientFolder), (std::vector<std::string>{"callers.ini", "parlomatix.ini", "targets.ini"}));
}

TEST_F(LOCALFILESAPP, SparseServerOptionsCompleted)
{
    const SERVEROPTIONS::LOCATIONFUNCTION windows = APP::GetLocation;
    APP::GetLocation = [](STRING &country, STRING &city) -> long {
        country = "+43";
        city = "01";
        return 0;
    };
    // The provider table of the work folder.
    WriteText(File("smsprovider.ini"), "[#0]\r\nServiceNumber=0193700\r\nServiceProtocol=V23\r\n\r\n");
    Answers({{"GETSRVOPTIONS", "<OK>\nVersion=4.23\nSmsSendGatewayNumber=0800\nFaxSendAttempts=\n"}});
    HASH none;
    STRING result;
    ASSERT_EQ(App->DispatchFunction("{SERVER}", "GETSRVOPTIONS", none, result, 1, -1), 1);
    HASH options(result.GetLine(1, true));
    LOGCAPTURE capture;
    EXPECT_EQ(App->PrepareServerOptions(options), 0);
    APP::GetLocation = windows;
    EXPECT_EQ(options.NumKeys(), 55);
    EXPECT_EQ(S(options["Version"]), "4.23");
    EXPECT_EQ(S(options["FaxSendAttempts"]), "");
    EXPECT_EQ(S(options["SmsSendGatewayNumber"]), "0193700");
    EXPECT_EQ(S(options["LocalCountry"]), "43");
    EXPECT_EQ(S(options["LocalAreaCode"]), "1");
    EXPECT_EQ(S(options["InternetMailNotifyText"]), "PARLOMATIX: $from -> $to - $date - $status");
    EXPECT_EQ(capture.Failures(), 0);
}
