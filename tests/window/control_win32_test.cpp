// Controls under Wine: the wrappers of dialog items, created and replacing controls, the posted
// user messages, check boxes and the drop-down kinds of combo boxes.
#include "kestar/windowing/button.h"
#include "kestar/windowing/control.h"
#include "kestar/windowing/dialog.h"
#include "kestar/windowing/icon.h"
#include "kestar/windowing/listbox.h"
#include "kestar/windowing/menu.h"
#include "kestar/windowing/ownerdraw.h"
#include "kestar/windowing/statusbar.h"
#include "kestar/windowing/taskbaricon.h"
#include "kestar/windowing/updown.h"

#include "kestar/base/logit.h"
#include "tests/support/logcapture_support.h"
#include "tests/window/window_test_ids.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

// The controls dialog of the test program, recording the notifications it gets.
class CONTROLSDIALOG : public DIALOG {
public:
    CONTROLSDIALOG() : DIALOG(IDD_TEST_CONTROLS, nullptr, GetModuleHandleA(nullptr)) {}
    LRESULT OnNotify(int code, CONTROL *control, LPARAM data) override
    {
        (void)data;
        Notes.push_back(std::to_string(control ? control->Id : -1) + ":" + std::to_string(code));
        return 1;
    }
    LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        (void)lParam;
        User.push_back(static_cast<int>(message));
        UserParameter = wParam;
        return 1;
    }
    std::vector<std::string> Notes;
    std::vector<int> User;
    WPARAM UserParameter = 0;
};

// The buttons dialog of the test program.
class TESTBUTTONS : public DIALOG {
public:
    TESTBUTTONS() : DIALOG(IDD_TEST_BUTTONS, nullptr, GetModuleHandleA(nullptr)) {}
};

class CONTROLTEST : public testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
    }
    void TearDown() override { WINDOW::WinProcessMessages(1000); }
};

} // namespace

TEST_F(CONTROLTEST, DialogItemsAreWrappedWithoutOwning)
{
    CONTROLSDIALOG dialog;
    ASSERT_TRUE(dialog.IsValid());
    CONTROL edit = CONTROL::FromDialogItem(dialog.hWnd, IDC_TEST_EDIT1);
    EXPECT_EQ(GetDlgItem(dialog.hWnd, IDC_TEST_EDIT1), edit.hWnd);
    EXPECT_EQ(IDC_TEST_EDIT1, edit.Id);
    EXPECT_EQ(0, edit.AutoDestroy);
    CONTROL same(edit.hWnd, -1);
    EXPECT_EQ(edit.hWnd, same.hWnd);
    EXPECT_EQ(IDC_TEST_EDIT1, same.Id);
    // The drop-down kinds.
    EXPECT_TRUE(CONTROL(dialog.hWnd, IDC_TEST_DROPLIST).IsDropdownList());
    EXPECT_FALSE(CONTROL(dialog.hWnd, IDC_TEST_DROPLIST).IsDropdownCombo());
    EXPECT_TRUE(CONTROL(dialog.hWnd, IDC_TEST_COMBO).IsDropdownCombo());
    EXPECT_FALSE(CONTROL(dialog.hWnd, IDC_TEST_COMBO).IsDropdownList());
    EXPECT_FALSE(edit.IsDropdownList());
    // Edit services.
    edit.SetNumeric(true);
    EXPECT_TRUE(GetWindowLongA(edit.hWnd, GWL_STYLE) & ES_NUMBER);
    edit.SetNumeric(false);
    EXPECT_FALSE(GetWindowLongA(edit.hWnd, GWL_STYLE) & ES_NUMBER);
    edit.LimitText(4);
    SetWindowTextA(edit.hWnd, "abcdef");
    edit.SetSel(1, 3);
    DWORD from = 0, to = 0;
    SendMessageA(edit.hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(1u, from);
    EXPECT_EQ(3u, to);
    EXPECT_EQ(4, static_cast<int>(SendMessageA(edit.hWnd, EM_GETLIMITTEXT, 0, 0)));
}

TEST_F(CONTROLTEST, CreatedAndReplacingControlsAreOwnedAndTakeTheParentFont)
{
    CONTROLSDIALOG dialog;
    HWND handle;
    {
        CONTROL created(dialog.hWnd, 450, "Button", BS_PUSHBUTTON | WS_VISIBLE, 1, 2, 60, 20, "made", 0);
        ASSERT_TRUE(created.IsValid());
        handle = created.hWnd;
        EXPECT_EQ(1, created.AutoDestroy);
        EXPECT_EQ(450, GetDlgCtrlID(handle));
        EXPECT_EQ(SendMessageA(dialog.hWnd, WM_GETFONT, 0, 0), SendMessageA(handle, WM_GETFONT, 0, 0));
        EXPECT_EQ("made", std::string(created.GetText()));
    }
    EXPECT_FALSE(IsWindow(handle)) << "the owner destroyed it";

    HWND placeholder = GetDlgItem(dialog.hWnd, IDC_TEST_PLACEHOLDER);
    RECT spot;
    GetWindowRect(placeholder, &spot);
    CONTROL replacing;
    ASSERT_TRUE(replacing.ReplaceDialogItem(dialog.hWnd, 451, "msctls_trackbar32", WS_VISIBLE, IDC_TEST_PLACEHOLDER,
                                            "", 0));
    RECT rect;
    GetWindowRect(replacing.hWnd, &rect);
    EXPECT_TRUE(EqualRect(&spot, &rect));
    EXPECT_FALSE(IsWindowVisible(placeholder));
    EXPECT_EQ(replacing.hWnd, GetWindow(placeholder, GW_HWNDNEXT)) << "right after the placeholder";
    EXPECT_EQ(1, replacing.AutoDestroy);
    EXPECT_EQ(451, replacing.Id);

    LOGCAPTURE log;
    CONTROL failed(dialog.hWnd, 452, "NoSuchClassAtAll", 0, 0, 0, 10, 10, "", 0);
    EXPECT_FALSE(failed.IsValid());
    EXPECT_EQ(1, log.Failures());
    EXPECT_EQ("this->hWnd", log.Conditions().at(0));
}

TEST_F(CONTROLTEST, UserMessagesOutsideTheirRangeAssertAndArePostedAnyway)
{
    CONTROLSDIALOG dialog;
    CONTROL self(dialog.hWnd, -1);
    {
        LOGCAPTURE log;
        EXPECT_TRUE(self.PostUserMessage(0x4EF, 3, 0));
        EXPECT_TRUE(self.PostUserMessage(0x4F0, 4, 0));
        ASSERT_EQ(1, log.Failures()) << "only the second";
        EXPECT_EQ("msg>=WM_USER+0x0001 && msg<WM_USER+0x00f0", log.Conditions().at(0));
    }
    WINDOW::WinProcessMessages(100);
    EXPECT_EQ((std::vector<int>{0x4EF, 0x4F0}), dialog.User);
    EXPECT_EQ(4u, dialog.UserParameter);
}

TEST_F(CONTROLTEST, SetCheckIsSeenAsAClick)
{
    CONTROLSDIALOG dialog;
    CONTROL check(dialog.hWnd, IDC_TEST_CHECK);
    check.SetCheck(BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, check.GetCheck());
    check.SetCheck(BST_UNCHECKED);
    EXPECT_EQ(BST_UNCHECKED, check.GetCheck());
    EXPECT_EQ((std::vector<std::string>{"423:0", "423:0"}), dialog.Notes);
}

TEST_F(CONTROLTEST, ListsAndCombosSelectAndNotify)
{
    CONTROLSDIALOG dialog;
    LISTBOX combo(dialog.hWnd, IDC_TEST_COMBO);
    EXPECT_FALSE(combo.IsListBox);
    combo.AddTextList("one,two,three", ',', -1);
    EXPECT_EQ(3, combo.GetCount());
    EXPECT_EQ(1, combo.FindString("tw"));
    combo.Select(1, true);
    EXPECT_EQ(1, combo.GetSelection(0));
    EXPECT_EQ(-1, combo.GetSelection(1));
    EXPECT_EQ("two", std::string(combo.GetItemText(-1)));
    dialog.Notes.clear();
    combo.Select(1, false);
    EXPECT_EQ(-1, combo.GetSelection(0));
    EXPECT_EQ("", std::string(combo.GetSelectedText(0)));
    EXPECT_EQ((std::vector<std::string>{"421:1"}), dialog.Notes) << "cleared, and still notified";
    EXPECT_EQ(1, combo.GetSelCount());

    LISTBOX multi(dialog.hWnd, IDC_TEST_MULTILIST);
    EXPECT_TRUE(multi.IsListBox);
    multi.AddTextList("a b c d", ' ', -1);
    multi.InsertText("\xE4rger", 0); // code page 1252 through the wide messages
    EXPECT_EQ("\xE4rger", std::string(multi.GetItemText(0)));
    multi.Select(1, true);
    multi.Select(3, true);
    EXPECT_EQ(2, multi.GetSelCount());
    EXPECT_EQ(3, multi.GetSelection(1));
    EXPECT_EQ("c", std::string(multi.GetSelectedText(1)));
    EXPECT_EQ(-1, multi.GetSelection(2));
    multi.DeleteString(0);
    multi.ResetContent();
    EXPECT_EQ(0, multi.GetCount());

    {
        LOGCAPTURE log;
        LISTBOX::FromDropdownList(dialog.hWnd, IDC_TEST_DROPLIST);
        LISTBOX::FromDropdownCombo(dialog.hWnd, IDC_TEST_COMBO);
        LISTBOX::FromDropdownList(dialog.hWnd, IDC_TEST_COMBO);
        EXPECT_EQ((std::vector<std::string>{"this->IsDropdownList() || !this->IsValid()"}), log.Conditions());
    }
    LISTBOX created(dialog.hWnd, 460, 0, 0, 0, 50, 50);
    EXPECT_TRUE(created.IsListBox);
    EXPECT_EQ(1, created.AutoDestroy);
}

TEST_F(CONTROLTEST, OwnerDrawnComboItemsAreMeasuredFromTextsTheListOwns)
{
    CONTROLSDIALOG dialog;
    LISTBOX combo(dialog.hWnd, IDC_TEST_OWNERCOMBO);
    const int icon = WINDOW::GetIconSizeForDpi(16, dialog.hWnd) + 4;
    // The selection field sits beside an edit: as high as that edit's client area minus 3.
    RECT edit;
    GetClientRect(GetDlgItem(dialog.hWnd, IDC_TEST_EDIT2), &edit);
    MEASUREITEMSTRUCT field = {};
    field.CtlType = ODT_COMBOBOX;
    field.CtlID = IDC_TEST_OWNERCOMBO;
    field.itemID = static_cast<UINT>(-1);
    EXPECT_EQ(0, OWNERDRAW::MeasureItem(dialog.hWnd, IDC_TEST_OWNERCOMBO, reinterpret_cast<LPARAM>(&field)));
    EXPECT_EQ(edit.bottom - 3, static_cast<int>(field.itemHeight));
    // Beside anything else: the icon size.
    field.CtlID = IDC_TEST_DROPLIST;
    EXPECT_EQ(0, OWNERDRAW::MeasureItem(dialog.hWnd, IDC_TEST_DROPLIST, reinterpret_cast<LPARAM>(&field)));
    EXPECT_EQ(icon, static_cast<int>(field.itemHeight));

    {
        std::string temporary = "##ICON=7";
        EXPECT_EQ(0, combo.AddText(temporary.c_str()));
        temporary.assign(temporary.size(), '?');
    }
    EXPECT_EQ(1, combo.AddText("plain"));
    EXPECT_EQ(icon, static_cast<int>(SendMessageA(combo.hWnd, CB_GETITEMHEIGHT, 0, 0)));
    EXPECT_EQ("##ICON=7", std::string(combo.GetItemText(0)));
    EXPECT_EQ("plain", std::string(combo.GetItemText(1)));
    ULONG_PTR data = static_cast<ULONG_PTR>(SendMessageA(combo.hWnd, CB_GETITEMDATA, 0, 0));
    EXPECT_NE(nullptr, OWNERDRAW::OwnedText(data));
    combo.DeleteString(0);
    EXPECT_EQ(nullptr, OWNERDRAW::OwnedText(data)) << "freed with its item";
    ULONG_PTR last = static_cast<ULONG_PTR>(SendMessageA(combo.hWnd, CB_GETITEMDATA, 0, 0));
    ASSERT_NE(nullptr, OWNERDRAW::OwnedText(last));
    // Data a caller set itself is neither read as text nor freed.
    SendMessageA(combo.hWnd, CB_SETITEMDATA, 0, 12345);
    EXPECT_EQ("", std::string(combo.GetItemText(0)));
    combo.ResetContent();
    SendMessageA(combo.hWnd, CB_ADDSTRING, 0, 0);
    EXPECT_EQ(0, static_cast<int>(SendMessageA(combo.hWnd, CB_GETITEMDATA, 0, 0)));
    combo.AddText("goes with the dialog");
    ULONG_PTR kept = static_cast<ULONG_PTR>(SendMessageA(combo.hWnd, CB_GETITEMDATA, 1, 0));
    ASSERT_NE(nullptr, OWNERDRAW::OwnedText(kept));
    DestroyWindow(dialog.hWnd);
    EXPECT_EQ(nullptr, OWNERDRAW::OwnedText(kept));
}

TEST_F(CONTROLTEST, ButtonsDefaultAndShield)
{
    TESTBUTTONS buttons;
    BUTTON button(buttons.hWnd, IDC_TEST_OTHER);
    button.SetDefault(true);
    EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongA(button.hWnd, GWL_STYLE) & 0xF);
    WINDOW::WinProcessMessages(100);
    EXPECT_EQ(IDC_TEST_OTHER, LOWORD(SendMessageA(buttons.hWnd, DM_GETDEFID, 0, 0)));
    button.SetDefault(false);
    EXPECT_EQ(BS_PUSHBUTTON, GetWindowLongA(button.hWnd, GWL_STYLE) & 0xF);
    SetWindowTextA(button.hWnd, " \tOther");
    button.SetShield(true);
    EXPECT_EQ(" Other", std::string(button.GetText()));
    button.SetShield(true);
    EXPECT_EQ(" Other", std::string(button.GetText()));
    button.SetShield(false);
    EXPECT_EQ("Other", std::string(button.GetText()));
}

TEST_F(CONTROLTEST, UpDownRangesLimitTheBuddy)
{
    CONTROLSDIALOG dialog;
    UPDOWN updown(dialog.hWnd, IDC_TEST_UPDOWN, IDC_TEST_EDIT1, 0, 0);
    ASSERT_TRUE(updown.IsValid());
    HWND edit = GetDlgItem(dialog.hWnd, IDC_TEST_EDIT1);
    EXPECT_EQ(edit, reinterpret_cast<HWND>(SendMessageA(updown.hWnd, UDM_GETBUDDY, 0, 0)));
    updown.SetRange(0, 99999);
    EXPECT_EQ(5, static_cast<int>(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0)));
    int lo = 0, hi = 0;
    SendMessageA(updown.hWnd, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
    EXPECT_EQ(0, lo);
    EXPECT_EQ(99999, hi);
    updown.SetPos(70000);
    EXPECT_EQ(70000, updown.GetPos());
    updown.SetRange(10, -5);
    EXPECT_EQ(3, static_cast<int>(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0)));
    LRESULT range = SendMessageA(updown.hWnd, UDM_GETRANGE, 0, 0);
    EXPECT_EQ(10, static_cast<short>(LOWORD(range)));
    EXPECT_EQ(-5, static_cast<short>(HIWORD(range)));
    updown.SetPos(-3);
    EXPECT_EQ(-3, updown.GetPos());
}

TEST_F(CONTROLTEST, StatusBarPartsIconsAndRefusedCases)
{
    WINDOW parent(WS_OVERLAPPEDWINDOW, "status", 0, 0, 300, 200, nullptr, 0, 0);
    RECT client = {0, 0, 400, 200};
    AdjustWindowRect(&client, WS_OVERLAPPEDWINDOW, FALSE);
    parent.SetSize(client.right - client.left, client.bottom - client.top);
    ASSERT_EQ(400, parent.GetClientRect().right);
    STATUSBAR bar(parent.hWnd, 470);
    ASSERT_TRUE(bar.IsValid());
    const int widths[] = {100, -50, 80, 10, 10, 10, 10, 10};
    ASSERT_TRUE(bar.SetParts(3, widths));
    int edges[8] = {};
    EXPECT_EQ(3, static_cast<int>(SendMessageA(bar.hWnd, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges))));
    EXPECT_EQ(100, edges[0]);
    EXPECT_EQ(320, edges[1]);
    EXPECT_EQ(400, edges[2]);
    EXPECT_EQ(3, bar.GetPartCount());
    EXPECT_TRUE(bar.SetText(1, "middle"));
    char text[32] = "";
    SendMessageA(bar.hWnd, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("middle", text);
    EXPECT_TRUE(bar.SetIcon(IDI_TEST_WINDOW, 2));
    EXPECT_NE(nullptr, bar.PartIcons[2]);
    EXPECT_TRUE(bar.SetIcon(-1, 2));
    EXPECT_EQ(nullptr, bar.PartIcons[2]);
    {
        LOGCAPTURE log;
        EXPECT_FALSE(bar.SetParts(8, widths));
        EXPECT_FALSE(bar.SetParts(1, widths));
        EXPECT_FALSE(bar.SetIcon(IDI_TEST_WINDOW, 8));
        EXPECT_FALSE(bar.SetIcon(IDI_TEST_WINDOW, -1));
        EXPECT_EQ(4, log.Failures());
    }
    EXPECT_EQ(3, bar.GetPartCount()) << "unchanged";
    EXPECT_EQ(3, bar.PartCount);
    bar.Reset();
    EXPECT_EQ(1, bar.GetPartCount());
}

TEST_F(CONTROLTEST, IconsGiveTheWindowItsIconsBack)
{
    WINDOW window(WS_OVERLAPPEDWINDOW, "icons", 0, 0, 200, 100, nullptr, 0, 0);
    HICON before = LoadIconA(nullptr, IDI_WARNING);
    SendMessageA(window.hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(before));
    SendMessageA(window.hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(before));
    ICON icon(IDI_TEST_WINDOW, window.hWnd);
    ASSERT_TRUE(icon.IsLoaded());
    EXPECT_TRUE(icon.IsAttached());
    EXPECT_EQ(IDI_TEST_WINDOW, icon.GetResourceId());
    EXPECT_EQ(icon.GetHandle(), reinterpret_cast<HICON>(SendMessageA(window.hWnd, WM_GETICON, ICON_SMALL, 0)));
    icon.Free();
    EXPECT_FALSE(icon.IsLoaded());
    EXPECT_FALSE(icon.IsAttached());
    EXPECT_EQ(0, icon.GetResourceId());
    EXPECT_EQ(before, reinterpret_cast<HICON>(SendMessageA(window.hWnd, WM_GETICON, ICON_SMALL, 0)));
    EXPECT_EQ(before, reinterpret_cast<HICON>(SendMessageA(window.hWnd, WM_GETICON, ICON_BIG, 0)));

    // On a button, and off again.
    CONTROLSDIALOG dialog;
    CONTROL check(dialog.hWnd, IDC_TEST_CHECK);
    ICON sized;
    ASSERT_TRUE(sized.LoadSized(IDI_TEST_WINDOW, 16, 16));
    sized.PutOnButton(dialog.hWnd, IDC_TEST_CHECK);
    EXPECT_TRUE(GetWindowLongA(check.hWnd, GWL_STYLE) & BS_ICON);
    {
        LOGCAPTURE log;
        sized.RemoveFromButton(dialog.hWnd, IDC_TEST_CHECK);
        EXPECT_EQ(0, log.Failures());
    }
    EXPECT_FALSE(GetWindowLongA(check.hWnd, GWL_STYLE) & BS_ICON);
    ICON missing(4711);
    EXPECT_FALSE(missing.IsLoaded());
}

namespace {

// Picks the first item of the pop-up menu of this thread once it is up (or cancels it after a
// while, so that nothing waits).
int gMenuTicks = 0;
HWND gMenuOwner = nullptr;
void CALLBACK PickFirstItem(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND menu = FindWindowA("#32768", nullptr);
    if (menu != nullptr && GetWindowThreadProcessId(menu, nullptr) == GetCurrentThreadId() && IsWindowVisible(menu)) {
        KillTimer(nullptr, timer);
        PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    } else if (++gMenuTicks > 100) {
        KillTimer(nullptr, timer);
        SendMessageA(gMenuOwner, WM_CANCELMODE, 0, 0);
    }
}

} // namespace

TEST_F(CONTROLTEST, MenusTellStatesAndTrackAPopup)
{
    MENU menu(IDM_TEST_CONTEXT, GetModuleHandleA(nullptr));
    ASSERT_NE(nullptr, menu.Handle());
    EXPECT_TRUE(menu.IsItemEnabled(IDM_TEST_ALPHA));
    EXPECT_FALSE(menu.IsItemEnabled(IDM_TEST_BETA));
    EXPECT_TRUE(menu.IsItemEnabled(9999)) << "an unknown item counts as enabled";
    EXPECT_TRUE(menu.EnableItem(IDM_TEST_BETA, true));
    EXPECT_TRUE(menu.IsItemEnabled(IDM_TEST_BETA));
    EXPECT_EQ("&Gamma", std::string(menu.GetMenuItemTextA(IDM_TEST_GAMMA, false)));
    EXPECT_EQ("&Beta", std::string(menu.GetMenuItemTextA(1, true)));
    EXPECT_EQ("", std::string(menu.GetMenuItemTextA(9999, false)));

    WINDOW owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, "popup owner", 100, 100, 300, 200, nullptr, 0, 0);
    gMenuOwner = owner.hWnd;
    gMenuTicks = 0;
    SetTimer(nullptr, 0, 50, PickFirstItem);
    POINT at = {150, 150};
    EXPECT_EQ(IDM_TEST_ALPHA, menu.TrackPopup(owner.hWnd, &at, TPM_LEFTALIGN | 1));
    // The menu survives its showing.
    EXPECT_EQ(3, GetMenuItemCount(menu.Handle()));
    EXPECT_TRUE(menu.DeleteItem(IDM_TEST_GAMMA, false));
    EXPECT_EQ(2, GetMenuItemCount(menu.Handle()));
}

namespace {

struct SHELLCALL {
    DWORD message;
    DWORD size;
    std::string tip;
    UINT flags;
};
std::vector<SHELLCALL> gShellCalls;
std::vector<bool> gShellAnswers; // per call in order; true once they run out
BOOL FakeShell(DWORD message, NOTIFYICONDATAA *record)
{
    gShellCalls.push_back({message, record->cbSize, record->szTip, record->uFlags});
    size_t n = gShellCalls.size() - 1;
    return n < gShellAnswers.size() ? gShellAnswers[n] : TRUE;
}

std::string Messages()
{
    std::string all;
    for (const SHELLCALL &call : gShellCalls)
        all += call.message == NIM_ADD ? "A" : call.message == NIM_MODIFY ? "M" : call.message == NIM_DELETE ? "D" : "?";
    return all;
}

} // namespace

TEST_F(CONTROLTEST, TrayIconRetriesOnceAndNeverLoops)
{
    WINDOW owner(WS_OVERLAPPEDWINDOW, "tray owner", 0, 0, 100, 100, nullptr, 0, 0);
    TASKBARICON::SetShellNotify(FakeShell);
    struct CASE {
        const char *what;
        std::vector<bool> answers;
        int action; // 0 add (constructor), 1 tooltip change, 2 icon change
        std::string calls;
        bool result;
    } cases[] = {
        {"an add that fails once", {false, true}, 0, "AA", true},
        {"an add that fails twice", {false, false}, 0, "AA", false},
        {"a tooltip change that works", {true}, 1, "AM", true},
        {"a tooltip change after a taskbar restart", {true, false, true, true, true}, 1, "AMDAM", true},
        {"a tooltip change that keeps failing", {true, false, true, true, false}, 1, "AMDAM", false},
        {"an icon change that fails", {true, false, true, true, true}, 2, "AMDAM", true},
    };
    for (const CASE &c : cases) {
        gShellCalls.clear();
        gShellAnswers = c.answers;
        {
            TASKBARICON tray(owner.hWnd, IDI_TEST_WINDOW, "Fax & Voice");
            bool result = tray.UpAndRunning != 0;
            if (c.action == 0) {
                EXPECT_EQ(result ? 5 : 0, tray.Version) << c.what;
            } else if (c.action == 1) {
                result = tray.SetTooltip("New & improved");
            } else {
                result = tray.SetIcon(IDI_TEST_WINDOW);
            }
            EXPECT_EQ(c.result, result) << c.what;
            EXPECT_EQ(c.calls, Messages()) << c.what;
        }
        EXPECT_EQ(c.calls + "D", Messages()) << c.what << ": the destructor removes it";
        for (const SHELLCALL &call : gShellCalls)
            EXPECT_EQ(TASKBARICON::RecordSize(), call.size) << c.what;
    }
    // The record carries the prepared tooltip.
    ASSERT_FALSE(gShellCalls.empty());
    EXPECT_EQ("Fax &&& Voice", gShellCalls[0].tip);
    EXPECT_TRUE(gShellCalls[0].flags & NIF_TIP);
    EXPECT_TRUE(gShellCalls[0].flags & NIF_ICON);
    EXPECT_TRUE(gShellCalls[0].flags & NIF_MESSAGE);
    TASKBARICON::SetShellNotify(nullptr);
}

TEST_F(CONTROLTEST, ARealTrayIconComesAndGoesQuietly)
{
    WINDOW owner(WS_OVERLAPPEDWINDOW, "tray owner", 0, 0, 100, 100, nullptr, 0, 0);
    LOGCAPTURE log;
    {
        TASKBARICON tray(owner.hWnd, IDI_TEST_WINDOW, std::string(100, 'x').c_str());
        EXPECT_EQ(63, static_cast<int>(std::string(tray.Tooltip).size()));
        tray.SetTooltip("second");
    }
    EXPECT_EQ(0, log.Failures());
}
