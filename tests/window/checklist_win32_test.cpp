// Check lists under Wine: lines from a placeholder's text, the check marks of the language
// library, a click that toggles a line, sizing and enabling.
#include "kestar/windowing/checklist.h"

#include <commctrl.h>

#include "kestar/base/osysresource.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/logcapture_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// The language library beside the test program holds the check marks.
HMODULE LanguageLibrary()
{
    static HMODULE library = LoadLibraryA((TestProgramFolder() + "\\parlomatixenglish.dll").c_str());
    return library;
}

class CHECKLISTTEST : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, LanguageLibrary());
        OSYS::SetLanguageModule(LanguageLibrary());
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&init);
        host.reset(new WINDOW(WS_OVERLAPPEDWINDOW | WS_VISIBLE, "Check list host", 70, 70, 400, 300, nullptr, 0, 0));
        ASSERT_TRUE(host->IsValid());
        placeholder = CreateWindowExA(0, "STATIC", "a\n\nc  \r", WS_CHILD | WS_VISIBLE, 20, 30, 200, 120, host->hWnd,
                                      reinterpret_cast<HMENU>(500), GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, placeholder);
    }
    void TearDown() override
    {
        host.reset();
        WINDOW::WinProcessMessages(1000);
    }

    // A click on the middle of line row, as the mouse makes it.
    void ClickRow(CHECKLIST &list, int row)
    {
        RECT rect = {};
        rect.left = LVIR_LABEL;
        ASSERT_TRUE(SendMessageA(list.List.hWnd, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect)));
        LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PostMessageA(list.List.hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list.List.hWnd, WM_LBUTTONUP, 0, at);
        WINDOW::WinProcessMessages(200);
    }

    std::unique_ptr<WINDOW> host;
    HWND placeholder = nullptr;
};

} // namespace

TEST_F(CHECKLISTTEST, PlaceholderLinesBecomeUncheckedLines)
{
    CHECKLIST list(host->hWnd, 300, 500);
    ASSERT_TRUE(list.IsValid());
    EXPECT_EQ("WinClassOrvakCheckList", std::string(list.GetClassName()));
    EXPECT_EQ(300, GetDlgCtrlID(list.hWnd));
    EXPECT_EQ(CHECKLIST::LIST_ID, GetDlgCtrlID(list.List.hWnd));
    EXPECT_FALSE(IsWindowVisible(placeholder));
    EXPECT_TRUE(IsWindowVisible(list.hWnd));
    RECT rect = list.GetRect();
    EXPECT_EQ(20, rect.left);
    EXPECT_EQ(30, rect.top);
    EXPECT_EQ(200, rect.right - rect.left);
    EXPECT_EQ(120, rect.bottom - rect.top);

    // "a", an empty line, "c": ids 0 and 2.
    ASSERT_EQ(2, list.List.GetItemCount());
    EXPECT_EQ(0, list.List.GetHandle(0, true));
    EXPECT_EQ(2, list.List.GetHandle(1, true));
    EXPECT_EQ("a", std::string(list.List.GetRecordString(0, 0)));
    EXPECT_EQ("c", std::string(list.List.GetRecordString(2, 0)));
    EXPECT_EQ(0, list.IsChecked(0));
    EXPECT_EQ(0, list.IsChecked(2));

    // The two check marks of the language library, a hidden header, full-row selection.
    ASSERT_NE(nullptr, list.List.ImageList);
    EXPECT_EQ(2, ImageList_GetImageCount(list.List.ImageList));
    EXPECT_TRUE(GetWindowLongA(list.List.hWnd, GWL_STYLE) & LVS_NOCOLUMNHEADER);
    EXPECT_TRUE(GetWindowLongA(list.List.hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(SendMessageA(list.List.hWnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
}

TEST_F(CHECKLISTTEST, AClickTogglesTheLine)
{
    CHECKLIST list(host->hWnd, 300, 500);
    EXPECT_TRUE(list.AddItem(7, "seven", true));
    EXPECT_EQ(1, list.IsChecked(7));
    ClickRow(list, 1);
    EXPECT_EQ(1, list.IsChecked(2));
    EXPECT_EQ(0, list.IsChecked(0));
    EXPECT_EQ(1, list.IsChecked(7));
    ClickRow(list, 1);
    EXPECT_EQ(0, list.IsChecked(2));
    ClickRow(list, 2);
    EXPECT_EQ(0, list.IsChecked(7));
    EXPECT_TRUE(list.SetChecked(0, true));
    EXPECT_EQ(1, list.IsChecked(0));

    LOGCAPTURE log;
    EXPECT_EQ(0, list.IsChecked(99));
    EXPECT_EQ(1, log.Failures());
}

TEST_F(CHECKLISTTEST, TheListFillsTheWindowAndFollowsItsState)
{
    CHECKLIST list(host->hWnd, 301, -1);
    EXPECT_EQ(0, list.List.GetItemCount());
    list.Move(10, 10, 250, 150);
    RECT client = list.GetClientRect();
    RECT inner = list.List.GetRect();
    EXPECT_EQ(0, inner.left);
    EXPECT_EQ(0, inner.top);
    EXPECT_EQ(client.right, inner.right - inner.left);
    EXPECT_EQ(client.bottom, inner.bottom - inner.top);
    EXPECT_EQ(client.right - 4, list.List.GetColumnWidth(0));
    list.Enable(false);
    EXPECT_FALSE(IsWindowEnabled(list.List.hWnd));
    list.Enable(true);
    EXPECT_TRUE(IsWindowEnabled(list.List.hWnd));

    HWND inner_handle = list.List.hWnd;
    HWND outer = list.hWnd;
    {
        CHECKLIST gone(host->hWnd, 302, -1);
        inner_handle = gone.List.hWnd;
        outer = gone.hWnd;
    }
    EXPECT_FALSE(IsWindow(inner_handle));
    EXPECT_FALSE(IsWindow(outer));
}
