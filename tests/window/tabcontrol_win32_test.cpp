// Tab controls under Wine, inside a dialog as they are used: pages, the notifications of a
// selection, Ctrl+Tab and Ctrl+Shift+Tab, the page shown on the display area, and clicks.
#include "kestar/windowing/tabcontrol.h"

#include <commctrl.h>

#include "kestar/windowing/dialog.h"
#include "tests/window/window_test_ids.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const int kTab = 470;

// A dialog with a tab control of three pages; it records the tab notifications that reach it
// and shows the page of a new selection.
class TABDIALOG : public DIALOG {
public:
    TABDIALOG() : DIALOG(IDD_TEST_BUTTONS, nullptr, GetModuleHandleA(nullptr))
    {
        MoveWindow(hWnd, 40, 40, 420, 300, TRUE);
        Tab.reset(new TABCONTROL(CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 60,
                                                 300, 180, hWnd, reinterpret_cast<HMENU>(kTab),
                                                 GetModuleHandleA(nullptr), nullptr)));
        const char *titles[] = {"First", "Second", "Third"};
        for (int i = 0; i < 3; ++i) {
            Pages[i] = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, hWnd, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
            Edits[i] = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 5, 5, 80, 20, Pages[i],
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(600 + i)),
                                       GetModuleHandleA(nullptr), nullptr);
            Tab->AddPage(titles[i], Pages[i]);
        }
    }
    LRESULT DlgProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NOTIFY && lParam != 0 && reinterpret_cast<const NMHDR *>(lParam)->idFrom == kTab) {
            int code = static_cast<int>(reinterpret_cast<const NMHDR *>(lParam)->code);
            // The tab notifications only (a click also brings NM_CLICK).
            if (code <= static_cast<int>(TCN_FIRST) && code >= static_cast<int>(TCN_LAST))
                Codes.push_back(code);
        }
        return DIALOG::DlgProc(message, wParam, lParam);
    }
    LRESULT OnNotify(int code, CONTROL *control, LPARAM data) override
    {
        (void)data;
        if (code == static_cast<int>(TCN_SELCHANGE) && control != nullptr && control->hWnd == Tab->hWnd)
            Tab->PageChanged(Tab->GetCurSel());
        return 0;
    }

    std::unique_ptr<TABCONTROL> Tab;
    HWND Pages[3] = {};
    HWND Edits[3] = {};
    std::vector<int> Codes;
};

// Sets Ctrl and Shift in this thread's keyboard state, as GetKeyState reads it.
void SetModifiers(bool ctrl, bool shift)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
}

class TABCONTROLTEST : public testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&init);
        dialog.reset(new TABDIALOG());
        ASSERT_TRUE(dialog->IsValid());
        dialog->Show(true);
        WINDOW::WinProcessMessages(200);
    }
    void TearDown() override
    {
        SetModifiers(false, false);
        dialog.reset();
        WINDOW::WinProcessMessages(1000);
    }
    const std::vector<int> change = {static_cast<int>(TCN_SELCHANGING), static_cast<int>(TCN_SELCHANGE)};
    std::unique_ptr<TABDIALOG> dialog;
};

} // namespace

TEST_F(TABCONTROLTEST, PagesAreTheTabsItemData)
{
    TABCONTROL &tab = *dialog->Tab;
    EXPECT_EQ(3, tab.GetItemCount());
    EXPECT_EQ(0, tab.GetCurSel());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dialog->Pages[i], tab.GetPageWindow(i));
        EXPECT_FALSE(IsWindowVisible(dialog->Pages[i])) << "hidden until chosen";
        EXPECT_TRUE(GetWindowLongA(dialog->Pages[i], GWL_STYLE) & WS_TABSTOP);
        EXPECT_TRUE(GetWindowLongA(dialog->Pages[i], GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    }
    EXPECT_EQ(nullptr, tab.GetPageWindow(3));
    EXPECT_EQ(3, tab.AddPage(std::string(300, 'x').c_str(), nullptr));
    char title[400] = "";
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = title;
    item.cchTextMax = sizeof title;
    SendMessageA(tab.hWnd, TCM_GETITEMA, 3, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::string(255, 'x'), std::string(title));
    EXPECT_EQ(nullptr, tab.GetPageWindow(3));
}

TEST_F(TABCONTROLTEST, CtrlTabWrapsBothWaysAndNotifiesTheOwner)
{
    TABCONTROL &tab = *dialog->Tab;
    SetModifiers(true, true);
    EXPECT_TRUE(tab.HandleKey(WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(2, tab.GetCurSel()) << "from the first to the last";
    EXPECT_EQ(change, dialog->Codes);
    dialog->Codes.clear();
    EXPECT_TRUE(tab.HandleKey(WM_SYSKEYDOWN, VK_TAB));
    EXPECT_EQ(1, tab.GetCurSel());
    EXPECT_EQ(change, dialog->Codes);

    SetModifiers(true, false);
    tab.SelectPage(2);
    dialog->Codes.clear();
    EXPECT_TRUE(tab.HandleKey(WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(0, tab.GetCurSel()) << "from the last to the first";
    EXPECT_EQ(change, dialog->Codes);

    dialog->Codes.clear();
    EXPECT_FALSE(tab.HandleKey(WM_KEYUP, VK_TAB));
    EXPECT_FALSE(tab.HandleKey(WM_KEYDOWN, VK_RIGHT));
    SetModifiers(false, false);
    EXPECT_FALSE(tab.HandleKey(WM_KEYDOWN, VK_TAB)) << "without Ctrl";
    EXPECT_EQ(0, tab.GetCurSel());
    EXPECT_TRUE(dialog->Codes.empty());
}

TEST_F(TABCONTROLTEST, TheChosenPageAloneShowsOnTheDisplayArea)
{
    TABCONTROL &tab = *dialog->Tab;
    tab.SelectPage(1);
    EXPECT_TRUE(IsWindowVisible(dialog->Pages[1]));
    EXPECT_FALSE(IsWindowVisible(dialog->Pages[0]));
    EXPECT_FALSE(IsWindowVisible(dialog->Pages[2]));
    RECT area = tab.GetRect();
    SendMessageA(tab.hWnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    RECT page = WINDOW(dialog->Pages[1]).GetRect();
    EXPECT_EQ(area.left, page.left);
    EXPECT_EQ(area.top + 2, page.top);
    EXPECT_EQ(area.right, page.right);
    EXPECT_EQ(area.bottom, page.bottom);
    EXPECT_EQ(dialog->Edits[1], GetFocus()) << "the page's first control, the tab having no focus";

    tab.SelectPage(2);
    EXPECT_TRUE(IsWindowVisible(dialog->Pages[2]));
    EXPECT_FALSE(IsWindowVisible(dialog->Pages[1]));
    // With the focus on the tab control, the focus stays there.
    SetFocus(tab.hWnd);
    tab.SelectPage(0);
    EXPECT_TRUE(IsWindowVisible(dialog->Pages[0]));
    EXPECT_EQ(tab.hWnd, GetFocus());
}

TEST_F(TABCONTROLTEST, AClickOnADialogsTabChangesIt)
{
    TABCONTROL &tab = *dialog->Tab;
    RECT rect = {};
    ASSERT_TRUE(SendMessageA(tab.hWnd, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&rect)));
    LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    dialog->Codes.clear();
    PostMessageA(tab.hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(tab.hWnd, WM_LBUTTONUP, 0, at);
    WINDOW::WinProcessMessages(200);
    EXPECT_EQ(2, tab.GetCurSel());
    EXPECT_EQ(change, dialog->Codes);
    EXPECT_TRUE(IsWindowVisible(dialog->Pages[2]));
}
