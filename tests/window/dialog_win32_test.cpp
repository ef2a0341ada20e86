// Dialogs under Wine: end codes, the deferred OnCreate, nested modal loops, the owner during the
// loop, the default-focus marker, centring, Ctrl+Tab and Tab, a quit inside the loop, the
// template copy with the font rewrite, and the plain child window.  Nothing waits for a person:
// every click is posted before DoModal, and a safety timer ends any loop that would not end.
#include "kestar/windowing/childwindow.h"
#include "kestar/windowing/control.h"
#include "kestar/windowing/dialog.h"
#include "kestar/windowing/dialogtemplate.h"

#include "kestar/base/keyboard.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysresource.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/window/window_test_ids.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace {

const UINT_PTR SAFETY_TIMER = 77;

HMODULE Program()
{
    return GetModuleHandleA(nullptr);
}

// A dialog of the test program's templates that records what it saw and never runs forever.
class TESTDIALOG : public DIALOG {
public:
    explicit TESTDIALOG(int templateId = IDD_TEST_BUTTONS, HWND parent = nullptr)
        : DIALOG(templateId, parent, Program())
    {
        Constructed = true;
        if (hWnd)
            SetTimer(SAFETY_TIMER, 5000);
    }
    LRESULT OnCreate() override
    {
        CreatedAfterConstructor = Constructed;
        ++Creates;
        if (EndInCreate >= 0)
            EndModal(EndInCreate);
        return 0;
    }
    LRESULT OnTimer(UINT_PTR timer) override
    {
        if (timer == SAFETY_TIMER)
            EndModal(-99);
        return 1;
    }
    LRESULT OnKey(KEYEVENT *key) override
    {
        (void)key;
        ++Keys;
        EndModal(55);
        return 1;
    }
    void OnEndModal(int code) override { EndSeen = code; }
    LRESULT OnNotify(int code, CONTROL *control, LPARAM data) override
    {
        (void)code;
        (void)control;
        (void)data;
        return NotifyAnswer;
    }

    LRESULT NotifyAnswer = 0;
    bool Constructed = false;
    bool CreatedAfterConstructor = false;
    int Creates = 0;
    int EndInCreate = -1;
    int Keys = 0;
    int EndSeen = -1000;
};

void Click(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

class DIALOGTEST : public testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
    }
    void TearDown() override
    {
        OSYS::SetOsVersionIdOverride(-1);
        WINDOW::WinProcessMessages(1000);
    }
};

} // namespace

TEST_F(DIALOGTEST, EndCodesOfButtonsAndClosing)
{
    struct CASE {
        const char *what;
        int button; // 0: WM_CLOSE
        int code;
    } cases[] = {
        {"Cancel", IDCANCEL, 0},
        {"OK", IDOK, 1},
        {"another button", IDC_TEST_OTHER, IDC_TEST_OTHER},
        {"the title-bar close", 0, 0},
    };
    for (const CASE &c : cases) {
        TESTDIALOG dialog;
        ASSERT_TRUE(dialog.IsValid()) << c.what;
        EXPECT_EQ(1, dialog.AutoDestroy);
        EXPECT_EQ(IDD_TEST_BUTTONS, dialog.Id);
        if (c.button)
            Click(dialog.hWnd, c.button);
        else
            PostMessageA(dialog.hWnd, WM_CLOSE, 0, 0);
        EXPECT_EQ(c.code, dialog.DoModal()) << c.what;
        EXPECT_EQ(c.code, dialog.EndSeen) << c.what;
        EXPECT_TRUE(IsWindow(dialog.hWnd)) << c.what << ": the window stays until the object goes";
        EXPECT_FALSE(IsWindowVisible(dialog.hWnd)) << c.what;
        EXPECT_EQ(1, dialog.Creates) << c.what;
        EXPECT_TRUE(dialog.CreatedAfterConstructor) << c.what;
    }
}

TEST_F(DIALOGTEST, EndModalInsideOnCreateEndsTheFirstLoop)
{
    struct ENDING : TESTDIALOG {
        ENDING() { EndInCreate = 7; }
    } dialog;
    EXPECT_EQ(7, dialog.DoModal());
}

TEST_F(DIALOGTEST, AMissingTemplateAssertsAndLeavesNoWindow)
{
    LOGCAPTURE log;
    DIALOG dialog(4711, nullptr, Program());
    EXPECT_EQ(nullptr, dialog.hWnd);
    EXPECT_FALSE(dialog.IsValid());
    EXPECT_EQ("4711", log.InfoOf("this->hWnd"));
    // Unattached on purpose: template 0.
    DIALOG none(0, nullptr);
    EXPECT_EQ(nullptr, none.hWnd);
}

namespace {

// Opens an inner dialog from its button 410 after asking for its own end: the inner loop must not
// take the outer dialog's end, and the outer one must still get it afterwards.
class OUTERDIALOG : public TESTDIALOG {
public:
    explicit OUTERDIALOG(HWND owner) : TESTDIALOG(IDD_TEST_BUTTONS, owner), Owner(owner) {}
    LRESULT OnCreate() override
    {
        OwnerEnabledInLoop = IsWindowEnabled(Owner) != 0;
        return TESTDIALOG::OnCreate();
    }
    LRESULT OnPushbutton(int button) override
    {
        if (button != IDC_TEST_OTHER)
            return TESTDIALOG::OnPushbutton(button);
        EndModal(5);
        TESTDIALOG inner(IDD_TEST_BUTTONS, hWnd);
        Click(inner.hWnd, IDOK);
        InnerCode = inner.DoModal();
        SelfEnabledAfterInner = IsWindowEnabled(hWnd) != 0;
        // A second dialog of the same owner leaves it disabled for this one.
        TESTDIALOG sibling(IDD_TEST_BUTTONS, Owner);
        Click(sibling.hWnd, IDCANCEL);
        sibling.DoModal();
        OwnerEnabledAfterSibling = IsWindowEnabled(Owner) != 0;
        return 1;
    }
    HWND Owner;
    bool OwnerEnabledInLoop = true;
    bool SelfEnabledAfterInner = false;
    bool OwnerEnabledAfterSibling = true;
    int InnerCode = -1;
};

} // namespace

TEST_F(DIALOGTEST, NestedLoopsEndOnTheirOwnEndAndTheOwnerIsDisabledMeanwhile)
{
    WINDOW owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, "owner", 50, 50, 400, 300, nullptr, 0, 0);
    ASSERT_TRUE(owner.IsValid());
    OUTERDIALOG outer(owner.hWnd);
    ASSERT_TRUE(outer.IsValid());
    EXPECT_EQ(owner.hWnd, outer.GetOwner().hWnd);
    Click(outer.hWnd, IDC_TEST_OTHER);
    EXPECT_EQ(5, outer.DoModal());
    EXPECT_EQ(1, outer.InnerCode);
    EXPECT_TRUE(outer.SelfEnabledAfterInner);
    EXPECT_FALSE(outer.OwnerEnabledInLoop);
    EXPECT_FALSE(outer.OwnerEnabledAfterSibling);
    EXPECT_TRUE(IsWindowEnabled(owner.hWnd));
}

TEST_F(DIALOGTEST, ControlEightHundredKeepsTheDefaultFocusAway)
{
    TESTDIALOG normal(IDD_TEST_BUTTONS);
    TESTDIALOG marked(IDD_TEST_NOFOCUS);
    ASSERT_TRUE(marked.IsValid());
    // The answer to the real WM_INITDIALOG (non-zero lParam) is what the dialog manager acts on.
    EXPECT_EQ(1, normal.DlgProc(WM_INITDIALOG, 0, 1));
    EXPECT_EQ(0, marked.DlgProc(WM_INITDIALOG, 0, 1));
    EXPECT_NE(GetDlgItem(marked.hWnd, IDC_TEST_EDIT1), GetFocus());
}

TEST_F(DIALOGTEST, CenteredOverAWindowNearTheRightEdgeStaysOnTheDesktop)
{
    RECT desktop = WINDOW::GetDesktopRect();
    WINDOW reference(WS_POPUP | WS_VISIBLE, "edge", desktop.right - 60, 100, 120, 100, nullptr, 0, 0);
    TESTDIALOG dialog;
    dialog.CenterOver(reference.hWnd);
    RECT rect;
    GetWindowRect(dialog.hWnd, &rect);
    EXPECT_EQ(desktop.right, rect.right);
    RECT ref;
    GetWindowRect(reference.hWnd, &ref);
    int height = rect.bottom - rect.top;
    EXPECT_EQ(ref.top + ((ref.bottom - ref.top) - height) / 2 < desktop.top ? desktop.top
                                                                            : ref.top + ((ref.bottom - ref.top) - height) / 2,
              rect.top);
    // Over nothing: the middle of the work area.
    dialog.CenterOver(nullptr);
    GetWindowRect(dialog.hWnd, &rect);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(work.left + ((work.right - work.left) - (rect.right - rect.left)) / 2, rect.left);
}

TEST_F(DIALOGTEST, CtrlTabReachesOnKeyAndTabMovesTheFocus)
{
    TESTDIALOG dialog;
    HWND first = GetDlgItem(dialog.hWnd, IDC_TEST_EDIT1);
    // Plain Tab is the dialog manager's: the focus moves on, no key reaches the dialog.
    struct TABBER : TESTDIALOG {
        HWND Focus = nullptr;
        bool Foreground = false;
        LRESULT OnCreate() override
        {
            ::SetFocus(GetDlgItem(hWnd, IDC_TEST_EDIT1));
            PostMessageA(GetDlgItem(hWnd, IDC_TEST_EDIT1), WM_KEYDOWN, VK_TAB, 0);
            SetTimer(1, 100);
            return 0;
        }
        LRESULT OnTimer(UINT_PTR timer) override
        {
            if (timer == 1) {
                KillTimer(1);
                Focus = GetFocus();
                Foreground = GetForegroundWindow() == hWnd;
                EndModal(9);
                return 1;
            }
            return TESTDIALOG::OnTimer(timer);
        }
    } tabber;
    EXPECT_EQ(9, tabber.DoModal());
    EXPECT_EQ(0, tabber.Keys);
    // Tests of other programs run beside this one and may take the activation (and with it the
    // focus) away: the focus is only checked while the dialog kept it.
    if (tabber.Foreground) {
        EXPECT_NE(nullptr, tabber.Focus);
        EXPECT_NE(GetDlgItem(tabber.hWnd, IDC_TEST_EDIT1), tabber.Focus);
    }

    // With Ctrl down the key goes to the dialog itself.
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE saved = keys[VK_CONTROL];
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PostMessageA(first, WM_KEYDOWN, VK_TAB, 0);
    int code = dialog.DoModal();
    keys[VK_CONTROL] = saved;
    SetKeyboardState(keys);
    EXPECT_EQ(55, code);
    EXPECT_EQ(1, dialog.Keys);
}

TEST_F(DIALOGTEST, AQuitInsideTheLoopEndsItAndReachesTheOuterLoop)
{
    TESTDIALOG dialog;
    PostQuitMessage(3);
    EXPECT_EQ(0, dialog.DoModal());
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, message.wParam);
}

TEST_F(DIALOGTEST, TemplatesTakeTheMessageFontFromVersionFiveOn)
{
    // Wine's message font is the templates' own: this process gets another one for the test (not
    // written to the registry, so no other program sees it).
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));
    NONCLIENTMETRICSA saved = metrics;
    std::strcpy(metrics.lfMessageFont.lfFaceName, "Tahoma");
    metrics.lfMessageFont.lfHeight = -16;
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));
    auto contains = [](const std::vector<unsigned char> &bytes, const std::string &face) {
        std::vector<unsigned char> wide;
        for (char c : face) {
            wide.push_back(static_cast<unsigned char>(c));
            wide.push_back(0);
        }
        return std::search(bytes.begin(), bytes.end(), wide.begin(), wide.end()) != bytes.end();
    };
    HRSRC resource = FindResourceA(Program(), MAKEINTRESOURCEA(IDD_TEST_BUTTONS), reinterpret_cast<LPCSTR>(RT_DIALOG));
    ASSERT_NE(nullptr, resource);
    const unsigned char *original = static_cast<const unsigned char *>(LockResource(LoadResource(Program(), resource)));
    std::vector<unsigned char> plain(original, original + SizeofResource(Program(), resource));

    std::vector<unsigned char> copy;
    OSYS::SetOsVersionIdOverride(4);
    ASSERT_TRUE(DIALOG::LoadTemplate(Program(), IDD_TEST_BUTTONS, &copy));
    EXPECT_EQ(plain, copy);
    OSYS::SetOsVersionIdOverride(9);
    ASSERT_TRUE(DIALOG::LoadTemplate(Program(), IDD_TEST_BUTTONS, &copy));
    EXPECT_TRUE(contains(copy, "Tahoma"));
    EXPECT_FALSE(contains(copy, "MS Shell Dlg"));
    std::vector<unsigned char> expected;
    EXPECT_TRUE(DIALOGTEMPLATE::RewriteFont(plain.data(), plain.size(), 12, u"Tahoma", &expected));
    EXPECT_EQ(expected, copy);
    // The rewritten template makes a dialog with all its items.
    TESTDIALOG dialog;
    EXPECT_NE(nullptr, GetDlgItem(dialog.hWnd, IDC_TEST_OTHER));
    EXPECT_FALSE(DIALOG::LoadTemplate(Program(), 4711, &copy));
    EXPECT_TRUE(copy.empty());
    SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, saved.cbSize, &saved, 0);
}

TEST_F(DIALOGTEST, ChildWindowsAreChildrenOfTheirClass)
{
    WINDOW parent(WS_OVERLAPPEDWINDOW, "parent", 0, 0, 300, 200, nullptr, 0, 0);
    CHILDWINDOW child(parent, 901, 5, 6, 70, 20, WS_VISIBLE);
    ASSERT_TRUE(child.IsValid());
    EXPECT_EQ(parent.hWnd, ::GetParent(child.hWnd));
    EXPECT_EQ(901, GetDlgCtrlID(child.hWnd));
    EXPECT_TRUE(child.IsClass("KestarChildWindow"));
    LONG style = GetWindowLongA(child.hWnd, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VISIBLE),
              style & (WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VISIBLE));
    CHILDWINDOW named(parent, 902, 0, 0, 10, 10, 0, "PlxTestChildClass");
    EXPECT_TRUE(named.IsClass("PlxTestChildClass"));
    EXPECT_FALSE(IsWindowVisible(named.hWnd));
}

TEST_F(DIALOGTEST, AZeroSlotAnswerIsLeftToTheDialogManager)
{
    // A dialog that lets WM_CLOSE through must not be destroyed by DefWindowProcA: the dialog
    // manager turns the close into Cancel.
    struct KEEPOPEN : TESTDIALOG {
        LRESULT OnClose() override { return 0; }
    } dialog;
    SendMessageA(dialog.hWnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(dialog.hWnd));
    EXPECT_EQ(0, dialog.DoModal());
}

TEST_F(DIALOGTEST, NotificationAnswersReachTheSender)
{
    // A slot's answer reaches the sender: an up-down control is refused its step with 1.
    TESTDIALOG dialog;
    dialog.NotifyAnswer = 1;
    CONTROL updown(dialog.hWnd, 481, UPDOWN_CLASSA, WS_VISIBLE, 0, 40, 20, 20, "", 0);
    ASSERT_TRUE(updown.IsValid());
    NMUPDOWN step = {{updown.hWnd, 481, static_cast<UINT>(UDN_DELTAPOS)}, 5, 1};
    EXPECT_EQ(1, SendMessageA(dialog.hWnd, WM_NOTIFY, 481, reinterpret_cast<LPARAM>(&step)));
    // The dispatcher's 1 for a coming tab change only means handled: a dialog's tabs still change.
    CONTROL tab(dialog.hWnd, 480, WC_TABCONTROLA, WS_VISIBLE, 0, 0, 100, 30, "", 0);
    ASSERT_TRUE(tab.IsValid());
    NMHDR header = {tab.hWnd, 480, static_cast<UINT>(TCN_SELCHANGING)};
    EXPECT_EQ(0, SendMessageA(dialog.hWnd, WM_NOTIFY, 480, reinterpret_cast<LPARAM>(&header)));
    header.code = static_cast<UINT>(TCN_SELCHANGE);
    EXPECT_EQ(1, SendMessageA(dialog.hWnd, WM_NOTIFY, 480, reinterpret_cast<LPARAM>(&header)));
}
