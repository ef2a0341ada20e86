// Calling a number back from the client object under Wine: the three ways of "DoubleClickCallback"
// (telephony through its seam, DTMF tones after the once-box hint on the null audio device, a
// program of the user's choice) and the values that do nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "client/app.h"
#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "kestar/base/hash.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysresource.h"
#include "lang/resource_ids.h"
#include "tests/client/clientprogram_support.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/dialog_watcher_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

struct MAKECALLRECORD {
    int calls = 0;
    std::string destination, appName, calledParty, comment;
    long answer = 0;
} gMakeCall;

long RecordMakeCall(const char *destination, const char *appName, const char *calledParty, const char *comment)
{
    ++gMakeCall.calls;
    gMakeCall.destination = destination ? destination : "<null>";
    gMakeCall.appName = appName ? appName : "<null>";
    gMakeCall.calledParty = calledParty ? calledParty : "<null>";
    gMakeCall.comment = comment ? comment : "<null>";
    return gMakeCall.answer;
}

bool WaitForFile(const std::string &name, int ms)
{
    const DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end) {
        // The child writes and closes at once; a non-empty file is complete enough once it ends
        // in a line feed.
        const std::string text = ReadWholeFile(name);
        if (!text.empty() && text.back() == '\n')
            return true;
        Sleep(20);
    }
    return false;
}

class DTMFCALLBACKTEST : public CLIENTPROGRAMTEST {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(LoadLanguage());
        ASSERT_NO_FATAL_FAILURE(MakeClientFolder(nullptr));
        HASH settings;
        settings["NetworkPrimaryServer"] = "";
        ASSERT_TRUE(settings.Save((ClientFolder + "\\parlomatix.ini").c_str()));
        CLIENTTIMING::Set(CLIENTTIMING::DTMFHINT, 10);
        gOwnPort = "0";
        App.reset(new APP(1));
        ASSERT_NE(App->hWnd, nullptr);
        gMakeCall = MAKECALLRECORD();
        RealMakeCall = APP::MakeCall;
        APP::MakeCall = RecordMakeCall;
        ProbeOut = Work.File("args.txt");
        ASSERT_TRUE(SetEnvironmentVariableA("PLX_ARGPROBE_OUT", ProbeOut.c_str()));
        Probe = TestProgramFolder() + "\\argprobe.exe";
    }
    void TearDown() override
    {
        App.reset();
        if (RealMakeCall)
            APP::MakeCall = RealMakeCall;
        SetEnvironmentVariableA("PLX_ARGPROBE_OUT", nullptr);
        EndClient();
    }
    void Configure(const char *mode, const char *outsideLine, const std::string &program = "")
    {
        App->SetSetting("DoubleClickCallback", mode);
        App->SetSetting("LocalOutsideLine", outsideLine);
        App->SetSetting("CallbackSpecialProgram", program.c_str());
    }

    std::string ProbeOut;
    std::string Probe;
    APP::MAKECALLFUNCTION RealMakeCall = nullptr;
};

} // namespace

TEST_F(DTMFCALLBACKTEST, TelephonyGetsFullNumberTitleAndName)
{
    Configure("1", "0");
    LOGCAPTURE capture;
    EXPECT_EQ(App->CallPhoneNumber("89123", "Anna Berg"), 1);
    EXPECT_EQ(gMakeCall.calls, 1);
    EXPECT_EQ(gMakeCall.destination, "089123");
    EXPECT_EQ(gMakeCall.appName, S(OSYS::GetStringFromResource(IDS_APPTITLE)));
    EXPECT_EQ(gMakeCall.appName, "Parlomatix");
    EXPECT_EQ(gMakeCall.calledParty, "Anna Berg");
    EXPECT_EQ(gMakeCall.comment, "");

    // A refused request is reported, not taken for a call.
    gMakeCall.answer = -5;
    EXPECT_EQ(App->CallPhoneNumber("1", nullptr), 0);
    EXPECT_EQ(gMakeCall.calls, 2);
    EXPECT_EQ(gMakeCall.calledParty, "");
    EXPECT_EQ(capture.CountLines("APP::CallPhoneNumber TAPI Make call to 089123"), 1);
    EXPECT_EQ(capture.CountLines("APP::CallPhoneNumber tapiRequestMakeCall failed: -5"), 1);
}

TEST_F(DTMFCALLBACKTEST, TelephonyThroughWindowsIsAcceptedUnderWine)
{
    // Wine's tapiRequestMakeCall does nothing and answers 0.
    APP::MakeCall = RealMakeCall;
    Configure("1", "");
    EXPECT_EQ(App->CallPhoneNumber("123", "x"), 1);
}

TEST_F(DTMFCALLBACKTEST, ProgramGetsNumberAsParameterOrInItsCommandLine)
{
    Configure("3", "0", Probe);
    LOGCAPTURE capture;
    EXPECT_EQ(App->CallPhoneNumber("123", "name"), 1);
    ASSERT_TRUE(WaitForFile(ProbeOut, 10000));
    EXPECT_EQ(ReadWholeFile(ProbeOut), "\"" + Probe + "\" 0123\n0123\n");
    DeleteFileA(ProbeOut.c_str());

    // Both spellings are replaced, matching case; then no parameter is passed.
    const std::string line = "\"" + Probe + "\" /dial=$nummer x$number $NUMBER";
    Configure("3", "9", line);
    EXPECT_EQ(App->CallPhoneNumber("4711", "name"), 1);
    ASSERT_TRUE(WaitForFile(ProbeOut, 10000));
    EXPECT_EQ(ReadWholeFile(ProbeOut), "\"" + Probe + "\" /dial=94711 x94711 $NUMBER\n/dial=94711\nx94711\n$NUMBER\n");
    EXPECT_EQ(capture.CountLines("APP::CallPhoneNumber external program call to 94711"), 1);
}

TEST_F(DTMFCALLBACKTEST, OtherValuesAndAMissingProgramDoNothing)
{
    const char *modes[] = {"0", "", "4", "-1", "x"};
    for (const char *mode : modes) {
        Configure(mode, "0", Probe);
        DIALOGWATCHER guard(IDOK, 1000);
        EXPECT_EQ(App->CallPhoneNumber("123", "name"), 0) << mode;
        EXPECT_FALSE(guard.WaitPressed(300)) << mode;
    }
    Configure("3", "0", "");
    EXPECT_EQ(App->CallPhoneNumber("123", "name"), 0);
    Sleep(300);
    EXPECT_EQ(gMakeCall.calls, 0);
    EXPECT_FALSE(FileExistsForTest(ProbeOut));
}

TEST_F(DTMFCALLBACKTEST, TonesAfterTheHintWhichCanBeStopped)
{
    Configure("2", "0");
    {
        LOGCAPTURE capture;
        DIALOGWATCHER watcher({DIALOGSTEP::Check(IDC_REMEMBERBOX_CHECK, true), DIALOGSTEP::Press(IDOK)}, 30000);
        EXPECT_EQ(App->CallPhoneNumber("123", "name"), 1);
        ASSERT_TRUE(watcher.WaitPressed(1000));
        EXPECT_EQ(watcher.Title(), "Parlomatix");
        EXPECT_NE(watcher.Text().find("touch tones"), std::string::npos) << watcher.Text();
        EXPECT_EQ(capture.CountLines("APP::CallPhoneNumber DTMF Melody call to 0123"), 1);
    }
    EXPECT_EQ(S(App->GetSetting("DontShowAgainDtmfCallback")), "1");

    // Ticked once, the hint stays away and the tones still play.
    DIALOGWATCHER guard(IDOK, 3000);
    EXPECT_EQ(App->CallPhoneNumber("5", "name"), 1);
    EXPECT_FALSE(guard.Pressed());
}

TEST_F(DTMFCALLBACKTEST, PlaysOnTheNullDevice)
{
    LOGCAPTURE capture;
    EXPECT_EQ(APP::PlayDtmfNumber("0123"), 1);
    EXPECT_EQ(capture.CountLines("APP::PlayDtmfNumber no wave output"), 0);
    EXPECT_EQ(APP::PlayDtmfNumber(""), 1);
    EXPECT_EQ(S(APP::ExtractPhoneNumber("Tel. (089) 12-34/5 Fax")), "08912345");
}
