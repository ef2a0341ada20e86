// The message boxes under Wine, driven by the dialog watcher: the answers of the five standard
// boxes, Escape, the default title, the owner, the log lines and the formatted text; and the
// remembered box: its state key, the check box, its buttons and the null key.
#include "kestar/base/winorvak.h"
#include "kestar/windowing/remembermsgbox.h"

#include "kestar/base/hash.h"
#include "kestar/base/osysresource.h"
#include "lang/resource_ids.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/dialog_watcher_support.h"
#include "tests/support/logcapture_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The English library is the language module while it lives.
class ENGLISH {
public:
    ENGLISH() : previous(OSYS::GetLanguageModule()), library(LoadLibraryA((TestProgramFolder() + "\\parlomatixenglish.dll").c_str()))
    {
        EXPECT_NE(library, nullptr);
        OSYS::SetLanguageModule(library);
    }
    ~ENGLISH()
    {
        OSYS::SetLanguageModule(previous);
        if (library)
            FreeLibrary(library);
    }
    ENGLISH(const ENGLISH &) = delete;
    ENGLISH &operator=(const ENGLISH &) = delete;

private:
    void *previous;
    HMODULE library;
};

bool Has(const std::vector<int> &ids, int id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// A top-level window with a child, to name the child as the box's parent.
struct OWNERWINDOWS {
    OWNERWINDOWS()
    {
        top = CreateWindowA("STATIC", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
        child = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, top, nullptr, GetModuleHandleA(nullptr),
                              nullptr);
    }
    ~OWNERWINDOWS() { DestroyWindow(top); }
    HWND top;
    HWND child;
};

} // namespace

TEST(WINORVAK, StandardBoxAnswers)
{
    ENGLISH english;
    enum { INFO, WARNING, ERR, YESNO, YESNOCANCEL };
    struct CASE {
        int box;
        int button;
        int expect;
    } cases[] = {
        {INFO, IDOK, 0}, {WARNING, IDOK, 0}, {ERR, IDOK, 0},
        {YESNO, IDYES, 1}, {YESNO, IDNO, 0},
        {YESNOCANCEL, IDYES, 1}, {YESNOCANCEL, IDNO, 0}, {YESNOCANCEL, IDCANCEL, -1},
    };
    const char *names[] = {"InfoMsgBox", "WarningMsgBox", "ErrorMsgBox", "YesNoMsgBox", "YesNoCancelMsgBox"};
    for (const CASE &c : cases) {
        LOGCAPTURE log;
        DIALOGWATCHER watcher(c.button, 30000, GetCurrentThreadId());
        int answer = 0;
        switch (c.box) {
        case INFO:
            WINORVAK::InfoMsgBox(nullptr, "Title", "Go on?\nReally");
            break;
        case WARNING:
            WINORVAK::WarningMsgBox(nullptr, "Title", "Go on?\nReally");
            break;
        case ERR:
            WINORVAK::ErrorMsgBox(nullptr, "Title", "Go on?\nReally");
            break;
        case YESNO:
            answer = WINORVAK::YesNoMsgBox(nullptr, "Title", "Go on?\nReally");
            break;
        case YESNOCANCEL:
            answer = WINORVAK::YesNoCancelMsgBox(nullptr, "Title", "Go on?\nReally");
            break;
        }
        EXPECT_TRUE(watcher.Pressed()) << names[c.box];
        EXPECT_EQ(answer, c.expect) << names[c.box] << " button " << c.button;
        EXPECT_EQ(watcher.Title(), "Title");
        // The box shows the formatted text: the single break became a blank.
        EXPECT_NE(watcher.Text().find("Go on? Really"), std::string::npos) << watcher.Text();
        EXPECT_EQ(log.CountLines(std::string("WINORVAK::") + names[c.box] + " title=Title text=Go on?"), 1)
            << log.Text();
    }
}

TEST(WINORVAK, EscapeDefaultTitleAndOwner)
{
    ENGLISH english;
    {
        // Escape in the yes/no/cancel box is Cancel.
        DIALOGWATCHER watcher({DIALOGSTEP::Key(IDCANCEL, VK_ESCAPE)}, 30000, GetCurrentThreadId());
        EXPECT_EQ(WINORVAK::YesNoCancelMsgBox(nullptr, "Leave", "Save first?"), -1);
        EXPECT_TRUE(watcher.Pressed());
    }
    {
        // A null title shows the application name, text 10001.
        LOGCAPTURE log;
        DIALOGWATCHER watcher(IDOK, 30000, GetCurrentThreadId());
        WINORVAK::WarningMsgBox(nullptr, nullptr, "Careful");
        EXPECT_EQ(watcher.Title(), OSYS::GetStringFromResource(IDS_APPNAME).GetBuffer());
        EXPECT_EQ(watcher.Title(), "Parlomatix");
        EXPECT_EQ(log.CountLines("WINORVAK::WarningMsgBox title=<NULL> text=Careful"), 1);
    }
    {
        // The owner is the top-level window of the window named.
        OWNERWINDOWS windows;
        DIALOGWATCHER watcher(IDOK, 30000, GetCurrentThreadId());
        WINORVAK::InfoMsgBox(windows.child, "Owned", "Text");
        EXPECT_TRUE(watcher.Pressed());
        EXPECT_EQ(watcher.Owner(), windows.top);
    }
}

TEST(WINORVAK, RememberedBoxState)
{
    ENGLISH english;
    // A state that says "do not show": -1 at once, no box (no watcher: a box would hang here).
    for (const char *value : {"1", "7", "-1"}) {
        HASH settings;
        settings["DontShowAgainTest"] = value;
        EXPECT_EQ(WINORVAK::RememberMsgBox(MB_ICONINFORMATION | MB_OK, nullptr, "T", "Text", settings, "DontShowAgainTest"), -1);
    }
    // "0", empty and missing show it; OK leaves the box unticked: "0".
    for (const char *value : std::vector<const char *>{"0", "", "abc", nullptr}) {
        HASH settings;
        if (value)
            settings["DontShowAgainTest"] = value;
        DIALOGWATCHER watcher(IDOK, 30000, GetCurrentThreadId());
        EXPECT_EQ(WINORVAK::RememberMsgBox(MB_ICONINFORMATION | MB_OK, nullptr, "Hint", "Text", settings, "DontShowAgainTest"), 1);
        EXPECT_TRUE(watcher.Pressed()) << (value ? value : "(missing)");
        EXPECT_STREQ(settings["DontShowAgainTest"].GetBuffer(), "0");
    }
}

TEST(WINORVAK, RememberedBoxTickedAndAnswered)
{
    ENGLISH english;
    struct CASE {
        int type;
        bool tick;
        int button;
        int expect;
        const char *state;
    } cases[] = {
        {MB_ICONQUESTION | MB_YESNO, true, IDNO, 0, "1"},
        {MB_ICONQUESTION | MB_YESNO, false, IDYES, 1, "0"},
        {MB_ICONEXCLAMATION | MB_YESNO, true, IDYES, 1, "1"}, // remembered whatever the answer
        {MB_ICONINFORMATION | MB_OK, true, IDOK, 1, "1"},
    };
    for (const CASE &c : cases) {
        HASH settings;
        settings.AllowNewKeys(0); // the caller's lock stays as it was
        DIALOGWATCHER watcher({DIALOGSTEP::Check(IDC_REMEMBERBOX_CHECK, c.tick), DIALOGSTEP::Press(c.button)}, 30000,
                              GetCurrentThreadId());
        LOGCAPTURE log;
        EXPECT_EQ(WINORVAK::RememberMsgBox(c.type, nullptr, nullptr, "Dial by\ntones?", settings, "DontShowAgainDtmf"),
                  c.expect);
        ASSERT_TRUE(watcher.Pressed());
        EXPECT_STREQ(settings["DontShowAgainDtmf"].GetBuffer(), c.state);
        EXPECT_EQ(settings.AllowNewKeys(0), 1) << "the record is still locked";
        EXPECT_EQ(log.Failures(), 0) << log.Text();
        EXPECT_EQ(watcher.Title(), "Parlomatix"); // a null title is text 10001
        EXPECT_NE(watcher.Text().find("Dial by tones?"), std::string::npos) << watcher.Text();
        std::vector<int> visible = watcher.VisibleIdsAt(1);
        const bool yesNo = (c.type & 0xF) == MB_YESNO;
        EXPECT_EQ(Has(visible, IDOK), !yesNo);
        EXPECT_EQ(Has(visible, IDYES), yesNo);
        EXPECT_EQ(Has(visible, IDNO), yesNo);
        EXPECT_TRUE(Has(visible, IDC_REMEMBERBOX_CHECK));
        EXPECT_TRUE(Has(visible, IDC_REMEMBERBOX_TEXT));
    }
}

TEST(WINORVAK, RememberedBoxWithoutStateKeyAndInfoOnce)
{
    ENGLISH english;
    {
        HASH settings;
        LOGCAPTURE log;
        DIALOGWATCHER watcher({DIALOGSTEP::Check(IDC_REMEMBERBOX_CHECK, true), DIALOGSTEP::Press(IDOK)}, 30000,
                              GetCurrentThreadId());
        EXPECT_EQ(WINORVAK::RememberMsgBox(MB_ICONHAND | MB_OK, nullptr, "T", "No key", settings, nullptr), 1);
        EXPECT_TRUE(watcher.Pressed());
        EXPECT_EQ(log.Conditions(), std::vector<std::string>{"pstatekey"});
        EXPECT_EQ(settings.NumKeys(), 0); // nothing read or stored
    }
    {
        OWNERWINDOWS windows;
        HASH settings;
        DIALOGWATCHER watcher({DIALOGSTEP::Check(IDC_REMEMBERBOX_CHECK, true), DIALOGSTEP::Press(IDOK)}, 30000,
                              GetCurrentThreadId());
        WINORVAK::InfoOnceMsgBox(windows.child, nullptr, "Once", settings, "DontShowAgainDtmfCallback");
        EXPECT_TRUE(watcher.Pressed());
        EXPECT_EQ(watcher.Owner(), windows.top);
        EXPECT_EQ(watcher.Title(), "Parlomatix");
        EXPECT_STREQ(settings["DontShowAgainDtmfCallback"].GetBuffer(), "1");
        // Ticked: the next call shows nothing.
        WINORVAK::InfoOnceMsgBox(windows.child, nullptr, "Once", settings, "DontShowAgainDtmfCallback");
    }
    {
        // Unknown button and icon kinds: the assertion "FALSE", the template's buttons, still an answer.
        HASH settings;
        LOGCAPTURE log;
        DIALOGWATCHER watcher({DIALOGSTEP::Press(IDOK).After(300)}, 30000, GetCurrentThreadId());
        EXPECT_EQ(WINORVAK::RememberMsgBox(0x52, nullptr, "T", "Odd kinds", settings, "Odd"), 1);
        EXPECT_TRUE(watcher.Pressed());
        std::vector<std::string> failures = log.Conditions();
        EXPECT_GE(std::count(failures.begin(), failures.end(), std::string("FALSE")), 1);
        EXPECT_STREQ(settings["Odd"].GetBuffer(), "0");
    }
}
