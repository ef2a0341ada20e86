// The dialog watcher's scripts on a dialog of the test program: each kind of step acts on its
// control and tells the dialog as the user's action would; a step waits for its match.
#include "kestar/windowing/control.h"
#include "kestar/windowing/dialog.h"

#include "tests/support/dialog_watcher_support.h"
#include "tests/window/window_test_ids.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <map>

namespace {

// The controls dialog, which counts the notifications of its controls and never runs forever.
class CONTROLSDIALOG : public DIALOG {
public:
    CONTROLSDIALOG() : DIALOG(IDD_TEST_CONTROLS, nullptr, GetModuleHandleA(nullptr))
    {
        for (const char *text : {"zero", "one", "two"}) {
            SendDlgItemMessageA(hWnd, IDC_TEST_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            SendDlgItemMessageA(hWnd, IDC_TEST_DROPLIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        }
        SetDlgItemTextA(hWnd, IDC_TEST_PLACEHOLDER, "Step by step");
        SetTimer(1, 5000);
    }
    LRESULT OnNotify(int code, CONTROL *control, LPARAM data) override
    {
        (void)data;
        ++Notified[GetDlgCtrlID(control->hWnd) * 100 + code];
        return 0;
    }
    LRESULT OnTimer(UINT_PTR timer) override
    {
        (void)timer;
        EndModal(-99);
        return 1;
    }
    std::map<int, int> Notified; // control id * 100 + notification code: how often
};

} // namespace

TEST(DIALOGWATCHER, ScriptStepsActAndNotify)
{
    CONTROLSDIALOG dialog;
    ASSERT_TRUE(dialog.IsValid());
    DIALOGWATCHER watcher({DIALOGSTEP::SetText(IDC_TEST_EDIT1, "typed", "Test controls"),
                           DIALOGSTEP::Check(IDC_TEST_CHECK, true, "Step by step"),
                           DIALOGSTEP::Choose(IDC_TEST_LIST, 2), DIALOGSTEP::Choose(IDC_TEST_DROPLIST, 1),
                           DIALOGSTEP::Press(IDOK)},
                          30000, GetCurrentThreadId());
    EXPECT_EQ(dialog.DoModal(), IDOK);
    ASSERT_TRUE(watcher.Pressed());
    EXPECT_EQ(watcher.StepsDone(), 5);
    char text[32] = "";
    GetDlgItemTextA(dialog.hWnd, IDC_TEST_EDIT1, text, sizeof text);
    EXPECT_STREQ(text, "typed");
    EXPECT_EQ(IsDlgButtonChecked(dialog.hWnd, IDC_TEST_CHECK), BST_CHECKED);
    EXPECT_EQ(SendDlgItemMessageA(dialog.hWnd, IDC_TEST_LIST, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendDlgItemMessageA(dialog.hWnd, IDC_TEST_DROPLIST, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(dialog.Notified[IDC_TEST_CHECK * 100 + BN_CLICKED], 1);
    EXPECT_EQ(dialog.Notified[IDC_TEST_LIST * 100 + LBN_SELCHANGE], 1);
    EXPECT_EQ(dialog.Notified[IDC_TEST_DROPLIST * 100 + CBN_SELCHANGE], 1);
    EXPECT_EQ(watcher.TitleAt(0), "Test controls");
    EXPECT_NE(watcher.TextAt(1).find("Step by step"), std::string::npos);
    EXPECT_EQ(watcher.TitleAt(5), ""); // no such step
}

TEST(DIALOGWATCHER, StepWaitsForItsMatch)
{
    CONTROLSDIALOG dialog;
    ASSERT_TRUE(dialog.IsValid());
    // No dialog says "Elsewhere": the first step never acts, the second never comes.
    DIALOGWATCHER watcher({DIALOGSTEP::Press(IDOK, "Elsewhere"), DIALOGSTEP::Press(IDOK)}, 1500, GetCurrentThreadId());
    EXPECT_EQ(dialog.DoModal(), -99);
    EXPECT_FALSE(watcher.Pressed());
    EXPECT_EQ(watcher.StepsDone(), 0);
}
