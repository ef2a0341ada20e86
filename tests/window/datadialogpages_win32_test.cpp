// The tabbed data-bound dialog under Wine: rules across pages, what OK, Cancel and the close box
// store, close-means-OK, and the page table's limit.
#include "kestar/windowing/datadialogcheck.h"
#include "kestar/windowing/datadialogentry.h"
#include "kestar/windowing/datadialogtabs.h"

#include "tests/support/logcapture_support.h"
#include "tests/window/window_test_ids.h"

#include <gtest/gtest.h>

#include <string>

namespace {

HMODULE Program()
{
    return GetModuleHandleA(nullptr);
}

std::string Str(const STRING &s)
{
    const char *t = s;
    return t != nullptr ? t : "(null)";
}

WINDOW &NoParent()
{
    static WINDOW none;
    return none;
}

} // namespace

TEST(DATADIALOGPAGES, RuleSourceOnAnotherPage)
{
    DATADIALOGTABS tabs(IDD_TEST_TABS, NoParent(), IDC_TABS_TAB, Program());
    ASSERT_NE(nullptr, tabs.hWnd);
    STRING check("1"), text("x");
    DATADIALOG *first = tabs.NewPage(IDD_TEST_PAGE1, "First");
    DATADIALOG *second = tabs.NewPage(IDD_TEST_PAGE2, "Second");
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    first->AddItem(new DATADIALOGCHECK(IDC_PAGE_CHECK, check));
    second->AddItem(new DATADIALOGENTRY(IDC_PAGE_EDIT, text, 20));
    second->AddDisableItem(second->hWnd, IDC_PAGE_EDIT, first->hWnd, IDC_PAGE_CHECK, 1, "");
    EXPECT_EQ(2, tabs.GetPageCount());
    EXPECT_EQ(0, tabs.GetCurrentPage());
    first->InitItems();
    second->InitItems();
    HWND edit = GetDlgItem(second->hWnd, IDC_PAGE_EDIT);
    EXPECT_TRUE(IsWindowEnabled(edit));
    SendDlgItemMessageA(first->hWnd, IDC_PAGE_CHECK, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(edit));
    tabs.SelectPage(1);
    EXPECT_EQ(1, tabs.GetCurrentPage());
    // The container is not shown, so the pages' own visibility is what counts.
    EXPECT_NE(0, GetWindowLongA(second->hWnd, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(0, GetWindowLongA(first->hWnd, GWL_STYLE) & WS_VISIBLE);
}

TEST(DATADIALOGPAGES, EndingStoresOnlyWhenConfirmed)
{
    struct CASE {
        const char *what;
        int button; // 0: the close box
        int closeIsOk;
        int result;
        const char *stored;
    } cases[] = {
        {"OK", IDOK, 0, 1, "0"},
        {"Cancel", IDCANCEL, 0, 0, "1"},
        {"close box", 0, 0, 0, "1"},
        {"close box means OK", 0, 1, 1, "0"},
    };
    for (const CASE &c : cases) {
        DATADIALOGTABS tabs(IDD_TEST_TABS, NoParent(), IDC_TABS_TAB, Program());
        STRING check("1");
        DATADIALOG *first = tabs.NewPage(IDD_TEST_PAGE1, "First");
        tabs.NewPage(IDD_TEST_PAGE2, "Second");
        first->AddItem(new DATADIALOGCHECK(IDC_PAGE_CHECK, check));
        tabs.SetCloseIsOk(c.closeIsOk);
        // Posted now, handled by the modal loop after the pages are loaded.
        PostMessageA(GetDlgItem(first->hWnd, IDC_PAGE_CHECK), BM_CLICK, 0, 0);
        if (c.button != 0)
            PostMessageA(tabs.hWnd, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(tabs.hWnd, c.button)));
        else
            PostMessageA(tabs.hWnd, WM_CLOSE, 0, 0);
        EXPECT_EQ(c.result, tabs.DoModal(0)) << c.what;
        EXPECT_EQ(c.stored, Str(check)) << c.what;
    }
}

TEST(DATADIALOGPAGES, RefusesThe33rdPage)
{
    DATADIALOGTABS tabs(IDD_TEST_TABS, NoParent(), IDC_TABS_TAB, Program());
    LOGCAPTURE log;
    for (int i = 0; i < 32; i++)
        EXPECT_NE(nullptr, tabs.NewPage(IDD_TEST_PAGE2, "Page"));
    EXPECT_EQ(nullptr, tabs.NewPage(IDD_TEST_PAGE2, "Page"));
    EXPECT_EQ(32, tabs.GetPageCount());
    ASSERT_EQ(1, log.Failures());
    EXPECT_EQ("this->Howmany < this->Max", log.Conditions().at(0));
}
