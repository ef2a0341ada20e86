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
#include "tests/support/childprogram_support.h"
#include "tests/support/dialog_watcher_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/playerprocess_support.h"
#include "tests/support/standinprocess_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(static_cast<const char *>(s), static_cast<size_t>(s.Length()));
}

// Waits up to ms for done(), dispatching the test thread's messages (it is the window thread).
template <class F> bool WaitUntil(F done, int ms = 10000)
{
    const DWORD end = GetTickCount() + ms;
    while (!done()) {
        if (GetTickCount() >= end)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
    return true;
}

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

class PUSHEDSTATETEST : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = LoadLibraryA((TestProgramFolder() + "\\parlomatixenglish.dll").c_str());
        ASSERT_NE(library, nullptr);
        OSYS::SetLanguageModule(library);
        ASSERT_TRUE(Server.Start("/PORT:0 /HOST:standinhost /CONNECTTIMEOUT:3000 /PUSHTIMEOUT:5000 \"/STATE:" +
                                 Work.File("state") + "\" \"/CALLLOG:" + Work.File("calls.log") + "\""))
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
        App.reset();
        APP::LogonAtStart = 1;
        Player.Stop();
        Server.Stop();
        ORVAKAPP::ResetForTests();
        CLIENTTIMING::Reset();
        gOwnPort = "6667";
        gWorkDir = ".";
        gITunesControl = 0;
        gITunesLevel = 40;
        OSYS::SetLanguageModule(nullptr);
        if (library)
            FreeLibrary(library);
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

    TEMPFOLDER Work;
    std::string ClientFolder;
    SERVERPROCESS Server;
    PLAYERPROCESS Player;
    HMODULE library = nullptr;
    std::unique_ptr<APP> App;
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
