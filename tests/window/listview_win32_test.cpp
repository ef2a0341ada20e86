// List views under Wine: records and their fields, the insert that fails, sorting with the header
// arrows, stored column widths, selection modes, the row under the cursor and tool tips.
#include "kestar/windowing/listview.h"

#include <commctrl.h>

#include "kestar/base/logit.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/registry.h"
#include "kestar/windowing/dialog.h"
#include "tests/support/cursor_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/window/window_test_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kScratchKey[] = "PlxTestListview";

// The list's owner: records the notification codes it gets and gives tool-tip texts.
class HOSTWINDOW : public WINDOW {
public:
    HOSTWINDOW() : WINDOW(WS_OVERLAPPEDWINDOW | WS_VISIBLE, "List host", 50, 50, 600, 400, nullptr, 0, 0) {}
    LRESULT OnNotify(int code, CONTROL *control, LPARAM data) override
    {
        (void)control;
        Codes.push_back(code);
        if (code == -520) {
            NMTTDISPINFOA *info = reinterpret_cast<NMTTDISPINFOA *>(data);
            lstrcpynA(info->szText, "tip text", sizeof info->szText);
            info->lpszText = info->szText;
        }
        return 0;
    }
    std::vector<int> Codes;
};

class LISTVIEWTEST : public testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&init);
        OSYS::SetOsVersionIdOverride(-1);
        host.reset(new HOSTWINDOW());
        ASSERT_TRUE(host->IsValid());
        list.reset(new LISTVIEW(WS_VISIBLE, 0, 0, 560, 340, host->hWnd, 77, 0));
        ASSERT_TRUE(list->IsValid());
        list->InsertColumnText(0, "Name", 120);
        list->InsertColumnText(1, "Number", 80);
        list->InsertColumnText(2, "Place", 200);
    }
    void TearDown() override
    {
        OSYS::SetOsVersionIdOverride(-1);
        list.reset();
        host.reset();
        WINDOW::WinProcessMessages(1000);
    }

    std::string Text(int handle, int column)
    {
        return std::string(static_cast<const char *>(list->GetRecordString(handle, column)));
    }
    // The handles in row order.
    std::vector<int> Handles()
    {
        std::vector<int> handles;
        for (int row = 0; row < list->GetItemCount(); ++row)
            handles.push_back(list->GetHandle(row, true));
        return handles;
    }
    int HeaderFormat(int column)
    {
        HWND header = reinterpret_cast<HWND>(SendMessageA(list->hWnd, LVM_GETHEADER, 0, 0));
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    }
    UINT State(int handle)
    {
        return static_cast<UINT>(SendMessageA(list->hWnd, LVM_GETITEMSTATE,
                                              static_cast<WPARAM>(list->FindHandle(handle, true)),
                                              LVIS_SELECTED | LVIS_FOCUSED));
    }

    std::unique_ptr<HOSTWINDOW> host;
    std::unique_ptr<LISTVIEW> list;
};

// Refuses new rows while Refuse is set (a stand-in for a control that cannot make one).
WNDPROC gListProc = nullptr;
bool gRefuse = false;
LRESULT CALLBACK RefusingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (gRefuse && (message == LVM_INSERTITEMW || message == LVM_INSERTITEMA))
        return -1;
    return CallWindowProcW(gListProc, window, message, wParam, lParam);
}

} // namespace

TEST_F(LISTVIEWTEST, CreatedAsAReportListWithItsToolTip)
{
    LONG style = GetWindowLongA(list->hWnd, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(LVS_REPORT), style & LVS_TYPEMASK);
    EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
    EXPECT_TRUE(style & WS_TABSTOP);
    EXPECT_EQ("LISTVIEW", std::string(list->GetText()));
    EXPECT_EQ(77, GetDlgCtrlID(list->hWnd));
    EXPECT_EQ(3, list->GetColumnCount());
    int column = -1, order = -1;
    list->GetSortOrder(&column, &order);
    EXPECT_EQ(0, column);
    EXPECT_EQ(0, order);
    EXPECT_EQ(0, list->HasFixedImages);
    EXPECT_NE(nullptr, list->ToolTip);

    // In place of a placeholder of a dialog, with a client edge.
    DIALOG dialog(IDD_TEST_CONTROLS, nullptr, GetModuleHandleA(nullptr));
    HWND placeholder = GetDlgItem(dialog.hWnd, IDC_TEST_PLACEHOLDER);
    RECT spot;
    GetWindowRect(placeholder, &spot);
    LISTVIEW replacing(dialog.hWnd, 460, 0, IDC_TEST_PLACEHOLDER, 0);
    ASSERT_TRUE(replacing.IsValid());
    RECT rect;
    GetWindowRect(replacing.hWnd, &rect);
    EXPECT_TRUE(EqualRect(&spot, &rect));
    EXPECT_TRUE(GetWindowLongA(replacing.hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(IsWindowVisible(placeholder));
}

TEST_F(LISTVIEWTEST, RecordFieldsFillTheirColumns)
{
    EXPECT_EQ(0, list->InsertRecordText(1, -1, "Smith\t0301 555\tBerlin"));
    // An empty second field ends the record, even with a third after it.
    EXPECT_EQ(1, list->InsertRecordText(2, -1, "Jones\t\tParis"));
    std::wstring longField(600, L'x');
    longField[510] = L'L';
    longField[511] = L'M';
    EXPECT_EQ(2, list->InsertRecord(3, -1, WSTRING((L"Long\t" + longField).c_str())));
    EXPECT_EQ(3, list->InsertRecordText(4, -1, "M\xFCller\t1"));

    EXPECT_EQ("Smith", Text(1, 0));
    EXPECT_EQ("0301 555", Text(1, 1));
    EXPECT_EQ("Berlin", Text(1, 2));
    EXPECT_EQ("Jones", Text(2, 0));
    EXPECT_EQ("", Text(2, 1));
    EXPECT_EQ("", Text(2, 2));
    WSTRING cut = list->GetRecordText(3, 1);
    EXPECT_EQ(511, cut.Length());
    EXPECT_EQ(u'L', cut[510]);
    EXPECT_EQ("M\xFCller", Text(4, 0));

    EXPECT_TRUE(list->SetRecordText(2, 2, "Rome"));
    EXPECT_EQ("Rome", Text(2, 2));
    EXPECT_TRUE(list->SetRecordText(2, 1, WSTRING((longField + L"!").c_str())));
    EXPECT_EQ(511, list->GetRecordText(2, 1).Length());
    EXPECT_EQ(4, list->GetItemCount());
    EXPECT_EQ(2, list->FindHandle(3, true));
    EXPECT_EQ(4, list->GetHandle(3, true));

    EXPECT_TRUE(list->DeleteRecord(1));
    EXPECT_EQ((std::vector<int>{2, 3, 4}), Handles());
    list->DeleteAllRecords();
    EXPECT_EQ(0, list->GetItemCount());
}

TEST_F(LISTVIEWTEST, MissingRecordsAssertAndChangeNothing)
{
    list->InsertRecordText(1, -1, "a\tb\tc");
    {
        LOGCAPTURE quiet;
        EXPECT_EQ(-1, list->FindHandle(9, false));
        EXPECT_EQ(0, quiet.Failures());
    }
    LOGCAPTURE log;
    EXPECT_EQ(-1, list->FindHandle(9, true));
    EXPECT_EQ(-1, list->GetHandle(5, true));
    EXPECT_EQ(-1, list->GetHandle(5, false));
    EXPECT_FALSE(list->SetRecordText(9, 0, "x"));
    EXPECT_FALSE(list->DeleteRecord(9));
    EXPECT_FALSE(list->SetRecordImage(1, 0)) << "no fixed images";
    EXPECT_EQ("", std::string(static_cast<const char *>(list->GetRecordString(9, 0))));
    EXPECT_EQ((std::vector<std::string>{"!mustfind || rc!=-1", "!mustfind || ok", "n!=-1", "n!=-1",
                                        "this->HasFixedImages"}),
              log.Conditions());
    EXPECT_EQ("handle= 9", log.InfoOf("!mustfind || rc!=-1"));
    EXPECT_EQ("index= 5", log.InfoOf("!mustfind || ok"));
    EXPECT_EQ("a", Text(1, 0));
    EXPECT_EQ(1, list->GetItemCount());
}

TEST_F(LISTVIEWTEST, AFailedFirstFieldLeavesTheOtherRowsUntouched)
{
    list->InsertRecordText(1, -1, "first\tone\tuno");
    gListProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list->hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefusingProc)));
    gRefuse = true;
    {
        LOGCAPTURE log;
        EXPECT_EQ(-1, list->InsertRecordText(2, -1, "second\ttwo\tdos"));
        EXPECT_EQ((std::vector<std::string>{"rc!=-1"}), log.Conditions()) << "no field went anywhere";
    }
    gRefuse = false;
    SetWindowLongPtrW(list->hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gListProc));
    EXPECT_EQ(1, list->GetItemCount());
    EXPECT_EQ("first", Text(1, 0));
    EXPECT_EQ("one", Text(1, 1));
    EXPECT_EQ("uno", Text(1, 2));
}

TEST_F(LISTVIEWTEST, DefaultOrderAndTheHeaderArrows)
{
    list->InsertRecordText(1, -1, "b\t2");
    list->InsertRecordText(2, -1, "a\t9");
    list->InsertRecordText(3, -1, "A\t1");
    ASSERT_TRUE(list->SortByColumn(0, 0, LISTVIEW::DefaultCompare, nullptr));
    EXPECT_EQ((std::vector<int>{3, 2, 1}), Handles());
    EXPECT_EQ(HDF_SORTUP, HeaderFormat(0));
    ASSERT_TRUE(list->SortByColumn(1, 0, LISTVIEW::DefaultCompare, nullptr));
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Handles());
    EXPECT_EQ(HDF_SORTDOWN, HeaderFormat(0));

    // The arrow moves to the new column.
    ASSERT_TRUE(list->SortByColumn(0, 1, LISTVIEW::DefaultCompare, nullptr));
    EXPECT_EQ((std::vector<int>{3, 1, 2}), Handles());
    EXPECT_EQ(0, HeaderFormat(0));
    EXPECT_EQ(HDF_SORTUP, HeaderFormat(1));
    int column = -1, order = -1;
    list->GetSortOrder(&column, &order);
    EXPECT_EQ(1, column);
    EXPECT_EQ(0, order);

    // Outside a sort the compare reads the rows itself, with the same answer.
    list->SortByColumn(0, 0, LISTVIEW::DefaultCompare, nullptr);
    LPARAM self = reinterpret_cast<LPARAM>(list.get());
    EXPECT_LT(LISTVIEW::DefaultCompare(3, 2, self), 0);
    EXPECT_GT(LISTVIEW::DefaultCompare(1, 2, self), 0);
    EXPECT_EQ(0, LISTVIEW::DefaultCompare(2, 2, self));

    // Before version id 3 no arrow is touched.
    LISTVIEW old(WS_VISIBLE, 0, 0, 300, 200, host->hWnd, 78, 0);
    old.InsertColumnText(0, "Name", 100);
    old.InsertColumnText(1, "Number", 100);
    old.InsertRecordText(1, -1, "b\t2");
    old.InsertRecordText(2, -1, "a\t9");
    OSYS::SetOsVersionIdOverride(2);
    old.SortByColumn(1, 1, LISTVIEW::DefaultCompare, nullptr);
    HWND header = reinterpret_cast<HWND>(SendMessageA(old.hWnd, LVM_GETHEADER, 0, 0));
    for (int i = 0; i < 2; ++i) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(0, item.fmt & (HDF_SORTUP | HDF_SORTDOWN)) << "column " << i;
    }
    EXPECT_EQ(2, old.GetHandle(0, true)) << "sorted all the same";
}

namespace {

int CALLBACK ByNumberDescending(LPARAM a, LPARAM b, LPARAM context)
{
    LISTVIEW *list = reinterpret_cast<LISTVIEW *>(context);
    int x = std::atoi(list->GetRecordString(static_cast<int>(a), 1));
    int y = std::atoi(list->GetRecordString(static_cast<int>(b), 1));
    return y - x;
}

} // namespace

TEST_F(LISTVIEWTEST, OwnCompareGetsItsContext)
{
    list->InsertRecordText(1, -1, "b\t2");
    list->InsertRecordText(2, -1, "a\t9");
    list->InsertRecordText(3, -1, "A\t10");
    ASSERT_TRUE(list->SortByColumn(1, 1, ByNumberDescending, nullptr));
    EXPECT_EQ((std::vector<int>{3, 2, 1}), Handles());
    LISTVIEW other(0, 0, 0, 100, 100, host->hWnd, 79, 0);
    ASSERT_TRUE(list->SortByColumn(0, 1, ByNumberDescending, list.get()));
    EXPECT_EQ((std::vector<int>{3, 2, 1}), Handles());
}

TEST_F(LISTVIEWTEST, ColumnWidthsRoundTripThroughTheRegistry)
{
    REGISTRY scratch(kScratchKey, "Software\\Orvak", REGISTRY::USER_CURRENT);
    scratch.DeleteValue("Widths");
    ASSERT_TRUE(list->StoreColumnWidth(kScratchKey, "Widths"));
    STRING stored;
    ASSERT_TRUE(scratch.ReadString("Widths", stored));
    EXPECT_EQ("120|80|200", std::string(static_cast<const char *>(stored)));

    list->SetColumnWidth(0, 30);
    list->SetColumnWidth(1, 40);
    list->SetColumnWidth(2, 50);
    EXPECT_TRUE(list->RestoreColumnWidths(kScratchKey, "Widths"));
    EXPECT_EQ(120, list->GetColumnWidth(0));
    EXPECT_EQ(80, list->GetColumnWidth(1));
    EXPECT_EQ(200, list->GetColumnWidth(2));

    // A missing value leaves the widths.
    list->SetColumnWidth(0, 33);
    EXPECT_FALSE(list->RestoreColumnWidths(kScratchKey, "NoSuchWidths"));
    EXPECT_EQ(33, list->GetColumnWidth(0));
    // A stored text with a field that is no width leaves that column.
    scratch.WriteString("Widths", "60|x|70");
    EXPECT_TRUE(list->RestoreColumnWidths(kScratchKey, "Widths"));
    EXPECT_EQ(60, list->GetColumnWidth(0));
    EXPECT_EQ(80, list->GetColumnWidth(1));
    EXPECT_EQ(70, list->GetColumnWidth(2));
    scratch.DeleteValue("Widths");
}

TEST_F(LISTVIEWTEST, ColumnsSizeToContentOrHeader)
{
    list->InsertRecordText(1, -1, "a\tb\tc");
    list->SetColumnWidth(0, 300);
    list->SetColumnWidth(1, 300);
    list->AutoSizeColumns(-1, false);
    EXPECT_LT(list->GetColumnWidth(0), 300);
    EXPECT_LT(list->GetColumnWidth(1), 300);
    EXPECT_LT(list->GetColumnWidth(2), 200);
    list->SetColumnWidth(1, 5);
    list->AutoSizeColumns(1, true);
    EXPECT_GT(list->GetColumnWidth(1), 5) << "as wide as its title at least";
}

TEST_F(LISTVIEWTEST, SelectionModesSetTheStateBits)
{
    list->SetMultiSelect(true);
    for (int handle = 1; handle <= 3; ++handle)
        list->InsertRecordText(handle, -1, "row");
    struct CASE {
        int mode;
        UINT before, after;
    } cases[] = {
        {0, LVIS_SELECTED | LVIS_FOCUSED, 0},
        {1, LVIS_FOCUSED, LVIS_SELECTED},
        {3, LVIS_SELECTED, LVIS_FOCUSED},
        {4, 0, LVIS_SELECTED | LVIS_FOCUSED},
        {2, LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED},
        {7, 0, LVIS_SELECTED},
    };
    for (const CASE &c : cases) {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = c.before;
        SendMessageA(list->hWnd, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
        ASSERT_EQ(c.before, State(2));
        EXPECT_TRUE(list->SelectRecord(2, c.mode));
        EXPECT_EQ(c.after, State(2)) << "mode " << c.mode;
    }

    list->SelectRecord(2, 0);
    list->SelectRecord(3, 1);
    EXPECT_EQ(3, list->GetSelectedHandle(0));
    EXPECT_EQ(-1, list->GetSelectedHandle(1)) << "one selected row";
    EXPECT_EQ(1, list->GetSelectedCount());
    list->SelectRecord(1, 4);
    EXPECT_EQ(1, list->GetSelectedHandle(0));
    EXPECT_EQ(3, list->GetSelectedHandle(1));
    EXPECT_EQ(1, list->GetFocusedHandle());
    list->SelectAll();
    EXPECT_EQ(3, list->GetSelectedCount());

    // A stale handle asserts once and touches no row.
    list->SelectRecord(2, 0);
    std::vector<UINT> before = {State(1), State(2), State(3)};
    LOGCAPTURE log;
    EXPECT_FALSE(list->SelectRecord(99, 0));
    EXPECT_FALSE(list->SelectRecord(99, 4));
    EXPECT_EQ(2, log.Failures());
    EXPECT_EQ((std::vector<UINT>{State(1), State(2), State(3)}), before);
    EXPECT_FALSE(list->EnsureVisible(99, true));
    EXPECT_TRUE(list->EnsureVisible(3, false));
}

TEST_F(LISTVIEWTEST, ImagesComeFromTheGivenModule)
{
    const int icons[] = {IDI_TEST_WINDOW, IDI_TEST_WINDOW};
    EXPECT_TRUE(list->SetImages(16, 16, icons, 2, true, GetModuleHandleA(nullptr)));
    EXPECT_EQ(1, list->HasFixedImages);
    ASSERT_NE(nullptr, list->ImageList);
    EXPECT_EQ(2, ImageList_GetImageCount(list->ImageList));
    EXPECT_EQ(list->ImageList,
              reinterpret_cast<HIMAGELIST>(SendMessageA(list->hWnd, LVM_GETIMAGELIST, LVSIL_SMALL, 0)));
    list->InsertRecordText(5, 1, "with image");
    list->InsertRecordText(6, -1, "without");
    EXPECT_EQ(1, list->GetRecordImage(5));
    EXPECT_TRUE(list->SetRecordImage(5, 0));
    EXPECT_EQ(0, list->GetRecordImage(5));
    list->DeleteAllRecords();
    EXPECT_EQ(2, ImageList_GetImageCount(list->ImageList)) << "fixed images stay";

    LOGCAPTURE log;
    const int missing[] = {31999};
    EXPECT_FALSE(list->SetImages(16, 16, missing, 1, true, GetModuleHandleA(nullptr)));
    EXPECT_FALSE(list->SetImages(16, 16, missing, 1, false, GetModuleHandleA(nullptr)));
    EXPECT_FALSE(list->SetImages(16, 16, nullptr, 1, true, GetModuleHandleA(nullptr)));
    EXPECT_EQ((std::vector<std::string>{"hicon", "imageisicon", "imgids"}), log.Conditions());
}

TEST_F(LISTVIEWTEST, StylesAndExtendedStyles)
{
    list->SetMultiSelect(false);
    EXPECT_TRUE(GetWindowLongA(list->hWnd, GWL_STYLE) & LVS_SINGLESEL);
    list->SetMultiSelect(true);
    EXPECT_FALSE(GetWindowLongA(list->hWnd, GWL_STYLE) & LVS_SINGLESEL);
    list->ShowHeader(false);
    EXPECT_TRUE(GetWindowLongA(list->hWnd, GWL_STYLE) & LVS_NOCOLUMNHEADER);
    list->ShowHeader(true);
    EXPECT_FALSE(GetWindowLongA(list->hWnd, GWL_STYLE) & LVS_NOCOLUMNHEADER);
    list->SetClientEdge(true);
    EXPECT_TRUE(GetWindowLongA(list->hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    list->SetClientEdge(false);
    EXPECT_FALSE(GetWindowLongA(list->hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    list->SetFullRowSelect(true);
    EXPECT_TRUE(SendMessageA(list->hWnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
    LOGCAPTURE log;
    list->SetFullRowSelect(false);
    EXPECT_EQ((std::vector<std::string>{"FALSE"}), log.Conditions());
    EXPECT_TRUE(SendMessageA(list->hWnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
}

TEST_F(LISTVIEWTEST, RowAndColumnUnderTheCursor)
{
    for (int handle = 10; handle < 14; ++handle)
        list->InsertRecordText(handle, -1, "name\tnumber\tplace");
    WINDOW::WinProcessMessages(100);
    RECT cell = {};
    cell.top = 1;
    cell.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageA(list->hWnd, LVM_GETSUBITEMRECT, 2, reinterpret_cast<LPARAM>(&cell)));
    POINT point = {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(list->hWnd, &point);
    int column = -1;
    EXPECT_EQ(12, AskWithCursorAt(point, [&] { return list->GetHandleAtCursor(&column); }));
    EXPECT_EQ(1, column);
    EXPECT_EQ(12, AskWithCursorAt(point, [&] { return list->GetHandleAtCursor(nullptr); }));

    // Below the last row.
    RECT client;
    GetClientRect(list->hWnd, &client);
    POINT below = {20, client.bottom - 5};
    ClientToScreen(list->hWnd, &below);
    EXPECT_EQ(-1, AskWithCursorAt(below, [&] { return list->GetHandleAtCursor(&column); }));
    EXPECT_EQ(-1, column);
}

TEST_F(LISTVIEWTEST, ToolTipTextsComeFromTheOwner)
{
    EXPECT_EQ(1, list->EnableTooltips(10, 5000));
    EXPECT_EQ(640, static_cast<int>(SendMessageA(list->ToolTip, TTM_GETMAXTIPWIDTH, 0, 0)));
    EXPECT_EQ(10, static_cast<int>(SendMessageA(list->ToolTip, TTM_GETDELAYTIME, TTDT_INITIAL, 0)));
    EXPECT_EQ(5000, static_cast<int>(SendMessageA(list->ToolTip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0)));
    EXPECT_TRUE(GetWindowLongA(list->ToolTip, GWL_EXSTYLE) & WS_EX_TOPMOST);
    // The tool's text is asked from the owner.
    char text[80] = "";
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = host->hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(list->hWnd);
    tool.lpszText = text;
    SendMessageA(list->ToolTip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    EXPECT_NE(host->Codes.end(), std::find(host->Codes.begin(), host->Codes.end(), -520));
    EXPECT_STREQ("tip text", text);
}
