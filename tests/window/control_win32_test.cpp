// Controls under Wine: the wrappers of dialog items, created and replacing controls, the posted
// user messages, check boxes and the drop-down kinds of combo boxes.
#include "kestar/windowing/control.h"
#include "kestar/windowing/dialog.h"

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
