// The state the stand-in phone server pushes to the client object under Wine: the channel parts
// of the status bar with the music player's fade, status texts, messages and warnings.  The
// commands arrive at the client's own port as the server sends them.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include "client/app.h"
#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "client/comminterface.h"
#include "client/itunes.h"
#include "kestar/base/hash.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysresource.h"
#include "kestar/devices/netproc.h"
#include "kestar/windowing/statusbar.h"
#include "tests/client/clientprogram_support.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/dialog_watcher_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/playerprocess_support.h"
#include "tests/support/standinprocess_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

// The colour at the middle of an icon, as 0xRRGGBB; -1 without an icon.
long IconMiddle(HICON icon)
{
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return -1;
    BITMAP bitmap{};
    GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = bitmap.bmWidth;
    bi.bmiHeader.biHeight = -bitmap.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<unsigned char> bits(static_cast<size_t>(bitmap.bmWidth * bitmap.bmHeight * 4));
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, info.hbmColor, 0, static_cast<UINT>(bitmap.bmHeight), bits.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    const size_t at = static_cast<size_t>((bitmap.bmHeight / 2 * bitmap.bmWidth + bitmap.bmWidth / 2) * 4);
    return (bits[at + 2] << 16) | (bits[at + 1] << 8) | bits[at];
}

// The middle colour of the icon of a channel state, as the program's resources draw it.
long StateColour(int state)
{
    HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2140 + state), IMAGE_ICON,
                                               16, 16, 0));
    const long colour = IconMiddle(icon);
    DestroyIcon(icon);
    return colour;
}

class PUSHEDSTATETEST : public CLIENTPROGRAMTEST {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartServer());
        HASH settings;
        ASSERT_NO_FATAL_FAILURE(MakeClientFolder(&settings));
        CLIENTTIMING::Set(CLIENTTIMING::RPC, 10000);
        CLIENTTIMING::Set(CLIENTTIMING::CONNECT, 5000);
        CLIENTTIMING::Set(CLIENTTIMING::ITUNESSTEP, 1);
        gOwnPort = "0";
        // These tests log on themselves where they need it: no logon of the constructor.
        APP::LogonAtStart = 0;
        App.reset(new APP(0));
        ASSERT_NE(App->hWnd, nullptr);
        ASSERT_NE(App->StatusBar, nullptr);
        Bar = App->StatusBar->hWnd;
    }
    void TearDown() override
    {
        EndClient();
        Player.Stop();
        gITunesControl = 0;
        gITunesLevel = 40;
    }
    // Calls this client's own port as the server would.
    std::string CallClient(const char *command, HASH &params)
    {
        NETPROC caller("6666", "0", 5000);
        caller.SetConnectTimeout(3000);
        STRING result;
        EXPECT_TRUE(caller.CallNetProcedure(("127.0.0.1:" + S(gOwnPort)).c_str(), command, params, result, 1, nullptr,
                                            10000));
        return S(result);
    }
    // The same from another thread, while this one (the window thread) goes on dispatching: boxes
    // owned by the main window need it.
    std::string CallClientPumping(const char *command, HASH &params)
    {
        std::string result;
        std::atomic<bool> done{false};
        std::thread caller([&] {
            result = CallClient(command, params);
            done = true;
        });
        WaitUntil([&] { return done.load(); }, 30000);
        caller.join();
        return result;
    }
    std::string Channels(const char *text)
    {
        HASH params;
        params["BChannelStatus"] = text;
        return CallClient("BCHANNELSTATUS", params);
    }
    int Parts() { return static_cast<int>(SendMessageA(Bar, SB_GETPARTS, 0, 0)); }
    std::string PartText(int part)
    {
        char text[256] = "";
        SendMessageA(Bar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
        return text;
    }
    long PartIcon(int part)
    {
        return IconMiddle(reinterpret_cast<HICON>(SendMessageA(Bar, SB_GETICON, static_cast<WPARAM>(part), 0)));
    }
    // Lets the window thread take what the call threads posted.
    void Settle() { WaitUntil([] { return false; }, 200); }

    PLAYERPROCESS Player;
    HWND Bar = nullptr;
};

} // namespace

TEST_F(PUSHEDSTATETEST, ChannelPartsOfTheStatusBar)
{
    ASSERT_NE(StateColour(0), StateColour(1)); // the states' icons tell them apart

    EXPECT_EQ(Channels("00"), "<NULL>");
    ASSERT_TRUE(WaitUntil([&] { return Parts() == 3; })) << Parts();
    EXPECT_EQ(PartText(1), "Ch1");
    EXPECT_EQ(PartText(2), "Ch2");
    EXPECT_EQ(PartIcon(1), StateColour(0));
    EXPECT_EQ(PartIcon(2), StateColour(0));
    int edges[8] = {};
    SendMessageA(Bar, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges));
    const int scale = WINDOW::GetDpiScale(App->hWnd);
    EXPECT_EQ(edges[2] - edges[1], 70 * scale / 100); // the last part is wider
    EXPECT_EQ(edges[1] - edges[0], 55 * scale / 100);

    // The same number of channels keeps the parts and changes the icons.
    Channels("21");
    ASSERT_TRUE(WaitUntil([&] { return PartIcon(1) == StateColour(2); }));
    EXPECT_EQ(PartIcon(2), StateColour(1));
    EXPECT_EQ(Parts(), 3);

    // Nine digits: six channel parts, the bar's most.
    Channels("123456789");
    ASSERT_TRUE(WaitUntil([&] { return Parts() == 7; })) << Parts();
    EXPECT_EQ(PartText(6), "Ch6");
    EXPECT_EQ(PartIcon(6), StateColour(6));

    // A character that is no digit shows as a free channel.
    Channels("x");
    ASSERT_TRUE(WaitUntil([&] { return Parts() == 2; })) << Parts();
    EXPECT_EQ(PartIcon(1), StateColour(0));

    // Empty: the bar has its one part again.
    Channels("");
    ASSERT_TRUE(WaitUntil([&] { return Parts() == 1; })) << Parts();
}

TEST_F(PUSHEDSTATETEST, BusyChannelsFadeTheMusicPlayer)
{
    ASSERT_TRUE(PLAYERPROCESS::Register());
    gITunesControl = 1;
    gITunesLevel = 40;
    ASSERT_TRUE(Player.Start(ITUNES::PLAYING, 100, Work.File("player.log")));

    Channels("00");
    EXPECT_TRUE(Player.Logged("SoundVolume").empty());
    Channels("01");
    std::vector<int> down;
    for (int v = 100; v >= 40; v -= 5)
        down.push_back(v);
    down.push_back(40);
    EXPECT_EQ(Player.Logged("SoundVolume"), down);
    // Still busy: no second fade.
    Channels("11");
    EXPECT_EQ(Player.Logged("SoundVolume"), down);

    Channels("00");
    std::vector<int> both = down;
    for (int v = 40; v <= 100; v += 5)
        both.push_back(v);
    both.push_back(100);
    EXPECT_EQ(Player.Logged("SoundVolume"), both);
    Channels("00");
    EXPECT_EQ(Player.Logged("SoundVolume"), both);
    EXPECT_TRUE(Player.Logged("Pause").empty());
    EXPECT_TRUE(Player.Logged("Play").empty());
}

TEST_F(PUSHEDSTATETEST, NoFadeForAPausedPlayerNoneWithoutAPlayerNoneWhenOff)
{
    ASSERT_TRUE(PLAYERPROCESS::Register());
    gITunesControl = 1;
    // Paused: no fade, so nothing to restore.
    ASSERT_TRUE(Player.Start(ITUNES::STOPPED, 80, Work.File("paused.log")));
    Channels("10");
    Channels("00");
    EXPECT_TRUE(Player.Logged("SoundVolume").empty());
    EXPECT_EQ(App->ITunesFaded, 0);
    Player.Stop();

    // No player at all.
    Channels("10");
    EXPECT_EQ(App->ITunesFaded, 0);
    Channels("00");

    // Control off: a playing player is left alone.
    gITunesControl = 0;
    ASSERT_TRUE(Player.Start(ITUNES::PLAYING, 80, Work.File("off.log")));
    Channels("10");
    EXPECT_TRUE(Player.Logged("SoundVolume").empty());
    EXPECT_EQ(App->ITunesFaded, 0);
}

TEST_F(PUSHEDSTATETEST, StatusTextOfTheServerClearsAfterItsDuration)
{
    HASH params;
    params["Server"] = "PBX1";
    params["Info"] = "Backup running";
    params["Duration"] = "1";
    EXPECT_EQ(CallClient("SETSTATUSBAR", params), "<NULL>");
    ASSERT_TRUE(WaitUntil([&] { return PartText(0).find("Backup running") != std::string::npos; }));
    EXPECT_EQ(PartText(0), "Message from PBX1: Backup running");
    const DWORD start = GetTickCount();
    ASSERT_TRUE(WaitUntil([&] { return PartText(0).empty(); }, 5000));
    EXPECT_GE(GetTickCount() - start, 500u);

    // Without "Duration" the settable default holds.
    CLIENTTIMING::Set(CLIENTTIMING::STATUSBARSHOW, 300);
    params.DeleteKey("Duration");
    CallClient("SETSTATUSBAR", params);
    ASSERT_TRUE(WaitUntil([&] { return !PartText(0).empty(); }));
    ASSERT_TRUE(WaitUntil([&] { return PartText(0).empty(); }, 3000));
}

TEST_F(PUSHEDSTATETEST, MessagesAndWarningsInBoxes)
{
    {
        DIALOGWATCHER watcher(IDOK);
        HASH params;
        params["From"] = "olga@pc9";
        params["Message"] = "Lunch at noon?";
        EXPECT_EQ(CallClient("SHOWMESSAGE", params), "<NULL>");
        ASSERT_TRUE(watcher.WaitPressed());
        EXPECT_EQ(watcher.Title(), "Message from olga@pc9");
        EXPECT_NE(watcher.Text().find("Lunch at noon?"), std::string::npos) << watcher.Text();
    }
    {
        DIALOGWATCHER watcher(IDOK);
        HASH none;
        EXPECT_EQ(CallClientPumping("ALERTTOOMUCHDEVICES", none), "<NULL>");
        ASSERT_TRUE(watcher.WaitPressed());
        EXPECT_EQ(watcher.Title(), S(OSYS::GetStringFromResource(10004)));
        EXPECT_NE(watcher.Text().find("licence"), std::string::npos) << watcher.Text();
    }
    {
        // One box per damaged file; an empty line gives none.
        DIALOGWATCHER watcher({DIALOGSTEP::Press(IDOK, "a.wav"), DIALOGSTEP::Press(IDOK, "b.wav")});
        HASH params;
        params["Broken"] = "a.wav|Anna\r\n\nb.wav|Bert";
        EXPECT_EQ(CallClientPumping("ALERTBROKENFILES", params), "<NULL>");
        ASSERT_TRUE(watcher.WaitPressed());
        EXPECT_NE(watcher.TextAt(0).find("Anna"), std::string::npos) << watcher.TextAt(0);
        EXPECT_NE(watcher.TextAt(1).find("Bert"), std::string::npos) << watcher.TextAt(1);
    }
}

namespace {

// The server's targets and active clients: the lists, the call items they touch and the jobs
// queued for the tree.
class PUSHEDSTATETARGETS : public PUSHEDSTATETEST {
protected:
    void AddTarget(std::initializer_list<std::pair<const char *, const char *>> values)
    {
        HASH target;
        for (const auto &v : values)
            target[v.first] = v.second;
        App->Targets.Lock();
        TARGETS::Prepare(target, App->Targets.NewHandle());
        App->Targets.AddItem(target);
        App->Targets.Unlock();
    }
    void AddItem(uint32_t id, const char *targetNumber)
    {
        HASH item;
        item["Type"] = "SOUND";
        item["TargetNumber"] = targetNumber;
        item["TargetName"] = "old";
        item["TargetIcon"] = "0";
        item.Handle = id;
        APP::PrepareCallItem(item);
        HASHLIST &items = App->ItemView.LockItems();
        items.AddItem(item);
        App->ItemView.UnlockItems();
    }
    std::string ItemValue(uint32_t id, const char *key)
    {
        App->ItemView.LockItems();
        HASH *item = App->ItemView.GetItem(id);
        const std::string value = item ? S(item->Get(key)) : "<none>";
        App->ItemView.UnlockItems();
        return value;
    }
    // The target with that number: its value of key, "<none>" without the target.
    std::string TargetValue(const char *number, const char *key)
    {
        App->Targets.Lock();
        const int idx = App->Targets.FindValue("Number", number, 1);
        const std::string value = idx == -1 ? "<none>" : S(App->Targets[idx]->Get(key));
        App->Targets.Unlock();
        return value;
    }
    void SetRight(const char *value)
    {
        HASH rights;
        rights["PermLocalTargets"] = value;
        App->SetRights(rights);
    }
};

HASHLIST TargetList(std::initializer_list<std::initializer_list<std::pair<const char *, const char *>>> records)
{
    HASHLIST list;
    for (const auto &r : records) {
        HASH record;
        for (const auto &v : r)
            record[v.first] = v.second;
        list.AddItem(record);
    }
    return list;
}

} // namespace

TEST_F(PUSHEDSTATETARGETS, WithTheRightTheServersTargetsAreMergedIntoTheLocalOnes)
{
    SetRight("1");
    AddTarget({{"Number", "5551001"}, {"Name", "Mine"}, {"Sound", "ring.wav"}, {"Program", "notepad.exe"},
               {"RunProg", "1"}});
    AddTarget({{"Number", "999"}, {"Name", "Gone"}});
    AddItem(7, "5551002");
    AddItem(8, "999");

    // One number: fetched and merged, never a target removed.
    HASH one;
    one["Target"] = "Number=5551003\nName=ignored\n";
    LOGCAPTURE capture;
    EXPECT_EQ(CallClientPumping("SERVERONETARGETCHANGED", one), "<NULL>");
    EXPECT_EQ(TargetValue("999", "Name"), "Gone");
    EXPECT_EQ(TargetValue("5551003", "Name"), "Buchhaltung");

    // All: the local keys of existing targets stay, the server's other targets go.
    HASH all;
    all["Targets"] = "ignored with the right";
    EXPECT_EQ(CallClientPumping("SERVERTARGETSCHANGED", all), "<NULL>");
    EXPECT_EQ(App->Targets.NumItems(), 6);
    EXPECT_EQ(TargetValue("999", "Name"), "<none>");
    EXPECT_EQ(TargetValue("5551001", "Name"), "Mine");
    EXPECT_EQ(TargetValue("5551001", "Sound"), "ring.wav");
    EXPECT_EQ(TargetValue("5551001", "Program"), "notepad.exe");
    EXPECT_EQ(TargetValue("5551001", "RunProg"), "1");
    // The call items of the changed targets are named again; the removed one's name goes.
    EXPECT_EQ(ItemValue(7, "TargetName"), "Vertrieb");
    EXPECT_EQ(ItemValue(8, "TargetName"), "");
    EXPECT_EQ(capture.CountLines("APP queued QUEUED_FILLTREEVIEW"), 2);
    EXPECT_EQ(capture.CountLines("APP queued QUEUED_CLEARTREEVIEW"), 0);
    EXPECT_EQ(capture.Failures(), 0);
}

TEST_F(PUSHEDSTATETARGETS, WithoutTheRightTheServersTargetsReplaceTheListWithoutPrograms)
{
    SetRight("0");
    AddTarget({{"Number", "5551001"}, {"Name", "Mine"}, {"Sound", "ring.wav"}});
    AddItem(7, "1");
    HASH params;
    params["Targets"] = TargetList({{{"Number", "1"}, {"Name", "Alpha"}, {"RunProg", "1"}, {"Program", "evil.exe"},
                                     {"ProgParm", "/x"}},
                                    {{"Number", "2"}, {"Name", "Beta"}, {"BackColor", "255"}}})
                            .ToString();
    LOGCAPTURE capture;
    EXPECT_EQ(CallClientPumping("SERVERTARGETSCHANGED", params), "<NULL>");
    ASSERT_EQ(App->Targets.NumItems(), 2);
    EXPECT_EQ(TargetValue("5551001", "Name"), "<none>");
    EXPECT_EQ(TargetValue("1", "RunProg"), "0");
    EXPECT_EQ(TargetValue("1", "Program"), "");
    EXPECT_EQ(TargetValue("1", "ProgParm"), "");
    // Prepared as targets: new handles, every key of the schema with its default.
    EXPECT_NE(App->Targets[0]->Handle, 0u);
    EXPECT_NE(App->Targets[1]->Handle, 0u);
    EXPECT_NE(App->Targets[0]->Handle, App->Targets[1]->Handle);
    EXPECT_EQ(TargetValue("1", "BackColor"), "8388608");
    EXPECT_EQ(TargetValue("2", "BackColor"), "255");
    EXPECT_EQ(TargetValue("2", "FonPickupTime"), "10");
    EXPECT_EQ(ItemValue(7, "TargetName"), "Alpha");
    EXPECT_EQ(capture.CountLines("APP queued QUEUED_CLEARTREEVIEW"), 1);
    EXPECT_EQ(capture.CountLines("APP queued QUEUED_FILLTREEVIEW"), 1);
    EXPECT_EQ(capture.Failures(), 0);

    // One target takes the server's values (and still no program).
    HASH one;
    one["Target"] = "Number=2\nName=Beta 2\nProgram=evil.exe\nRunProg=1\n";
    EXPECT_EQ(CallClientPumping("SERVERONETARGETCHANGED", one), "<NULL>");
    EXPECT_EQ(TargetValue("2", "Name"), "Beta 2");
    EXPECT_EQ(TargetValue("2", "Program"), "");
    EXPECT_EQ(TargetValue("2", "RunProg"), "0");
}

TEST_F(PUSHEDSTATETARGETS, NoJobsQueuedWhileConstructingOrCleaningUp)
{
    SetRight("0");
    HASH params;
    params["Targets"] = "Number=1\n";
    App->Constructing = 1;
    LOGCAPTURE capture;
    CallClientPumping("SERVERTARGETSCHANGED", params);
    App->Constructing = 0;
    EXPECT_EQ(capture.CountLines("APP queued"), 0);
    EXPECT_EQ(capture.CountLines("not queued while constructing or cleaning up"), 2);
}

TEST_F(PUSHEDSTATETARGETS, ForwardingAnswerFillsTheOpenDialog)
{
    SetRight("0");
    AddTarget({{"Number", "5551001"}, {"Name", "Mine"}});
    HWND dialog = CreateWindowA("STATIC", "forwarding", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    for (int id : {204, 205, 206})
        CreateWindowA("EDIT", "?", WS_CHILD, 0, 0, 100, 20, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                      nullptr, nullptr);
    HWND answered = CreateWindowA("BUTTON", "OK", WS_CHILD | WS_DISABLED, 0, 0, 50, 20, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(101)), nullptr, nullptr);
    App->ForwardingDialog = dialog;
    App->CFQueryInProgress = 1;

    HASH target;
    target["Number"] = "5551001";
    target["ForwardLastRemoteState"] = "UNCONDITIONAL=0301234\nBUSY=\nNOREPLY=0171555\n";
    HASH params;
    params["Target"] = target.ToString();
    params["CFQueryResult"] = "1";
    LOGCAPTURE capture;
    EXPECT_EQ(CallClientPumping("SERVERONETARGETCHANGED", params), "<NULL>");
    EXPECT_EQ(App->CFQueryInProgress, 0);
    EXPECT_EQ(capture.CountLines("HandleClientFunction SERVERONETARGETCHANGED set CFQueryInProgress to FALSE"), 1);
    char text[64];
    GetDlgItemTextA(dialog, 204, text, sizeof(text));
    EXPECT_STREQ(text, "0301234");
    GetDlgItemTextA(dialog, 205, text, sizeof(text));
    EXPECT_STREQ(text, "");
    GetDlgItemTextA(dialog, 206, text, sizeof(text));
    EXPECT_STREQ(text, "0171555");
    EXPECT_TRUE(IsWindowEnabled(answered));
    EXPECT_EQ(TargetValue("5551001", "ForwardLastRemoteState"), "UNCONDITIONAL=0301234\nBUSY=\nNOREPLY=0171555\n");

    // Without "CFQueryResult" the flag stays; a closed dialog is left alone.
    App->CFQueryInProgress = 1;
    DestroyWindow(dialog);
    params.DeleteKey("CFQueryResult");
    EXPECT_EQ(CallClientPumping("SERVERONETARGETCHANGED", params), "<NULL>");
    EXPECT_EQ(App->CFQueryInProgress, 1);
    App->ForwardingDialog = nullptr;
}

TEST_F(PUSHEDSTATETARGETS, ActiveClientsReplacedAndPrepared)
{
    App->ActiveClients.Lock();
    HASH stale;
    stale["Name"] = "old@pc1";
    App->ActiveClients.AddItem(stale);
    App->ActiveClients.Unlock();
    HASH params;
    params["ActiveClients"] = TargetList({{{"Name", "olga@pc9"}, {"PeerId", "10.0.0.9"}, {"Port", "6667"}},
                                          {{"Name", "kurt@pc2"}, {"PeerId", "10.0.0.2"}, {"Port", "6668"},
                                           {"PassiveMode", "1"}}})
                                  .ToString();
    auto capture = std::make_unique<LOGCAPTURE>();
    EXPECT_EQ(CallClient("UPDATEACTIVECLIENTS", params), "<NULL>");
    ASSERT_EQ(App->ActiveClients.NumItems(), 2);
    EXPECT_EQ(S(App->ActiveClients[0]->Get("Name")), "olga@pc9");
    EXPECT_EQ(S(App->ActiveClients[0]->Get("OwnMSN")), "*"); // a client record's default
    EXPECT_NE(App->ActiveClients[0]->Handle, 0u);
    EXPECT_EQ(S(App->ActiveClients[1]->Get("PassiveMode")), "1");
    // Not logged on: the tree is not refilled.
    EXPECT_EQ(capture->CountLines("APP queued QUEUED_FILLTREEVIEW"), 0);

    capture.reset();
    capture = std::make_unique<LOGCAPTURE>();
    App->LoggedOn = 1;
    EXPECT_EQ(CallClient("UPDATEACTIVECLIENTS", params), "<NULL>");
    App->LoggedOn = 0;
    EXPECT_EQ(capture->CountLines("APP queued QUEUED_FILLTREEVIEW"), 1);
}

TEST_F(PUSHEDSTATETARGETS, SingleTargetsAndCallersOnTheServer)
{
    HASH target;
    target["Number"] = "5551002";
    target["Name"] = "Sales";
    EXPECT_EQ(App->SaveServerOneTarget(target, 1), 1);
    HASHLIST log;
    log.FromString(STRING(ReadWholeFile(Work.File("calls.log")).c_str()));
    ASSERT_GE(log.NumItems(), 1);
    HASH sent(log[log.NumItems() - 1]->Get("Params"));
    EXPECT_EQ(S(log[log.NumItems() - 1]->Get("Command")), "SAVEONETARGET");
    EXPECT_EQ(S(sent["TreeUpdate"]), "1");
    EXPECT_EQ(S(HASH(sent["Target"])["Name"]), "Sales");
    HASH nameless;
    nameless["Name"] = "no number";
    EXPECT_EQ(App->SaveServerOneTarget(nameless, 0), 0); // the server refuses it

    HASH caller;
    caller["Name"] = "unchanged";
    EXPECT_EQ(App->FindServerCaller("000", caller), 0);
    EXPECT_EQ(S(caller["Name"]), "unchanged");
    EXPECT_EQ(App->FindServerCaller("089 100 1000", caller), 1);
    EXPECT_EQ(S(caller["Name"]), "Anton Adler");

    HASH added;
    added["Name"] = "New Caller";
    added["Number"] = "0301112223";
    App->AddServerCaller(added);
    HASH found;
    ASSERT_TRUE(WaitUntil([&] { return App->FindServerCaller("0301112223", found) == 1; }));
    EXPECT_EQ(S(found["Name"]), "New Caller");

    // Without a server each failure is reported once.
    App->SetSetting("NetworkPrimaryServer", "");
    LOGCAPTURE capture;
    EXPECT_EQ(App->SaveServerOneTarget(target, 0), 0);
    EXPECT_EQ(App->FindServerCaller("089 100 1000", caller), 0);
    App->AddServerCaller(added);
    EXPECT_EQ(capture.CountLines("DispatchFunction SAVEONETARGET failed"), 1);
    EXPECT_EQ(capture.CountLines("DispatchFunction FINDCALLER failed"), 1);
    EXPECT_EQ(capture.CountLines("DispatchFunction ADDCALLER failed"), 1);
    EXPECT_EQ(capture.CountLines("APP::FindServerCaller done found=0"), 1);
}
