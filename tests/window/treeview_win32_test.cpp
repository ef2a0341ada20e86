// Tree views under Wine: sorted and unsorted insertion, the missing parent, selection, the item
// ids in tree order, the expanded state, images, the item under the cursor, and the search lock
// shared by a worker thread and the window thread.
#include "kestar/windowing/treeview.h"

#include <commctrl.h>

#include "kestar/base/logit.h"
#include "kestar/base/mutexsem.h"
#include "kestar/windowing/window.h"
#include "tests/support/cursor_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/window/window_test_ids.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The tree's owner: records the notification codes that reach its window procedure.
class TREEHOST : public WINDOW {
public:
    TREEHOST() : WINDOW(WS_OVERLAPPEDWINDOW | WS_VISIBLE, "Tree host", 60, 60, 400, 400, nullptr, 0, 0) {}
    LRESULT WinProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NOTIFY && lParam != 0)
            Codes.push_back(static_cast<int>(reinterpret_cast<const NMHDR *>(lParam)->code));
        return WINDOW::WinProc(message, wParam, lParam);
    }
    std::vector<int> Codes;
};

class TREEVIEWTEST : public testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&init);
        host.reset(new TREEHOST());
        ASSERT_TRUE(host->IsValid());
        tree.reset(new TREEVIEW(WS_VISIBLE, 0, 0, 380, 360, host->hWnd, 88));
        ASSERT_TRUE(tree->IsValid());
    }
    void TearDown() override
    {
        tree.reset();
        host.reset();
        WINDOW::WinProcessMessages(1000);
    }

    std::vector<int> AllIds()
    {
        std::vector<int> ids(64, -7);
        int end = tree->GetAllItemIds(ids.data(), 0, static_cast<int>(ids.size()));
        return end < 0 ? std::vector<int>{} : std::vector<int>(ids.begin(), ids.begin() + end);
    }
    std::string ItemText(int id)
    {
        char text[600] = "";
        TVITEMA item = {};
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = tree->FindItem(id);
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tree->hWnd, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    int ParentId(int id)
    {
        HTREEITEM parent = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree->hWnd, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(tree->FindItem(id))));
        if (parent == nullptr)
            return -1;
        TVITEMA item = {};
        item.mask = TVIF_PARAM | TVIF_HANDLE;
        item.hItem = parent;
        SendMessageA(tree->hWnd, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return static_cast<int>(item.lParam);
    }
    UINT State(int id)
    {
        return static_cast<UINT>(SendMessageA(tree->hWnd, TVM_GETITEMSTATE,
                                              reinterpret_cast<WPARAM>(tree->FindItem(id)), 0xFF));
    }

    std::unique_ptr<TREEHOST> host;
    std::unique_ptr<TREEVIEW> tree;
};

} // namespace

TEST_F(TREEVIEWTEST, SortedInsertsAndRenamesKeepTheSiblingsInOrder)
{
    tree->SetImages(0, 0, nullptr, 0, true, true);
    LONG style = GetWindowLongA(tree->hWnd, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(TVS_HASBUTTONS | TVS_HASLINES | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS),
              style & (TVS_HASBUTTONS | TVS_HASLINES | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS));
    EXPECT_EQ("TREEVIEW", std::string(tree->GetText()));
    ASSERT_NE(nullptr, tree->InsertRootItem(1, -1, "root"));
    ASSERT_NE(nullptr, tree->InsertChildItem(2, 1, -1, "b"));
    ASSERT_NE(nullptr, tree->InsertChildItem(3, 1, -1, "a"));
    EXPECT_EQ((std::vector<int>{1, 3, 2}), AllIds());
    EXPECT_TRUE(tree->SetItemText(3, "c"));
    EXPECT_EQ((std::vector<int>{1, 2, 3}), AllIds());
    EXPECT_EQ("c", ItemText(3));
    EXPECT_TRUE(State(1) & TVIS_EXPANDED) << "the parent is marked expanded";

    // Unsorted: in the order of insertion; wide and long texts.
    TREEVIEW plain(WS_VISIBLE, 0, 0, 100, 100, host->hWnd, 89);
    plain.InsertRootItem(1, -1, L"zulu");
    plain.InsertRootItem(2, -1, L"alpha");
    std::vector<int> ids(8, -7);
    EXPECT_EQ(2, plain.GetAllItemIds(ids.data(), 0, 8));
    EXPECT_EQ((std::vector<int>{1, 2, -1}), std::vector<int>(ids.begin(), ids.begin() + 3));
    tree->SetItemText(2, WSTRING(std::wstring(600, L'q').c_str()));
    EXPECT_EQ(std::string(511, 'q'), ItemText(2));
}

TEST_F(TREEVIEWTEST, AChildOfAMissingParentGoesToTheTopLevel)
{
    tree->InsertRootItem(1, -1, "root");
    LOGCAPTURE log;
    ASSERT_NE(nullptr, tree->InsertChildItem(5, 99, -1, "orphan"));
    EXPECT_EQ((std::vector<std::string>{"hitem"}), log.Conditions());
    EXPECT_EQ(-1, ParentId(5));
    EXPECT_EQ((std::vector<int>{1, 5}), AllIds());
}

TEST_F(TREEVIEWTEST, SelectionAndMissingItems)
{
    EXPECT_EQ(-1, tree->GetSelectedId());
    tree->InsertRootItem(1, -1, "one");
    tree->InsertChildItem(2, 1, -1, "two");
    EXPECT_TRUE(tree->SelectItem(2));
    EXPECT_EQ(2, tree->GetSelectedId());

    LOGCAPTURE log;
    EXPECT_FALSE(tree->SelectItem(42));
    EXPECT_FALSE(tree->SetItemText(42, "x"));
    EXPECT_FALSE(tree->SetExpandedState(42, true));
    EXPECT_FALSE(tree->SetItemImage(1, 0)) << "no fixed images";
    EXPECT_FALSE(tree->DeleteItem(42)) << "silently";
    EXPECT_EQ((std::vector<std::string>{"hitem", "hitem", "hitem", "this->HasFixedImages"}), log.Conditions());
    EXPECT_EQ(2, tree->GetSelectedId());

    EXPECT_TRUE(tree->DeleteItem(1));
    EXPECT_EQ(nullptr, tree->FindItem(2)) << "the children went with it";
    tree->InsertRootItem(3, -1, "three");
    tree->DeleteAllItems();
    EXPECT_TRUE(AllIds().empty());
    EXPECT_EQ(-1, tree->GetSelectedId());
}

TEST_F(TREEVIEWTEST, AllItemIdsInTreeOrderWithinTheCapacity)
{
    // Empty: only the -1, at the first index.
    std::vector<int> ids(8, -7);
    EXPECT_EQ(3, tree->GetAllItemIds(ids.data(), 3, 8));
    EXPECT_EQ((std::vector<int>{-7, -7, -7, -1, -7, -7, -7, -7}), ids);

    // Three levels: 1 (10 (100, 101), 11), 2 (20).
    tree->InsertRootItem(1, -1, "1");
    tree->InsertChildItem(10, 1, -1, "10");
    tree->InsertChildItem(100, 10, -1, "100");
    tree->InsertChildItem(101, 10, -1, "101");
    tree->InsertChildItem(11, 1, -1, "11");
    tree->InsertRootItem(2, -1, "2");
    tree->InsertChildItem(20, 2, -1, "20");
    EXPECT_EQ((std::vector<int>{1, 10, 100, 101, 11, 2, 20}), AllIds());
    EXPECT_EQ(tree->FindItem(20), tree->FindItem(20, tree->FindItem(2)));
    EXPECT_EQ(nullptr, tree->FindItem(1, tree->FindItem(2))) << "only from the start's sibling chain on";

    // A smaller capacity: filled up to the slot for the -1, nothing beyond it.
    std::vector<int> small(6, -7);
    EXPECT_EQ(4, tree->GetAllItemIds(small.data(), 1, 5));
    EXPECT_EQ((std::vector<int>{-7, 1, 10, 100, -1, -7}), small);
    EXPECT_EQ(0, tree->GetAllItemIds(small.data(), 0, 1));
    EXPECT_EQ(-1, small[0]);

    LOGCAPTURE log;
    EXPECT_EQ(-1, tree->GetAllItemIds(small.data(), 5, 5));
    EXPECT_EQ(-1, tree->GetAllItemIds(nullptr, 0, 5));
    EXPECT_EQ(2, log.Failures());
}

TEST_F(TREEVIEWTEST, ExpandedStateChangesTheStateBitOnly)
{
    tree->InsertRootItem(1, -1, "parent");
    tree->InsertChildItem(2, 1, -1, "child");
    SendMessageA(tree->hWnd, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(tree->FindItem(1)));
    host->Codes.clear();
    UINT before = State(1);
    ASSERT_FALSE(before & TVIS_EXPANDED);
    EXPECT_TRUE(tree->SetExpandedState(1, true));
    EXPECT_EQ(before | TVIS_EXPANDED, State(1));
    EXPECT_TRUE(tree->SetExpandedState(1, true));
    EXPECT_EQ(before | TVIS_EXPANDED, State(1));
    EXPECT_TRUE(tree->SetExpandedState(1, false));
    EXPECT_EQ(before, State(1));
    for (int code : host->Codes) {
        EXPECT_NE(static_cast<int>(TVN_ITEMEXPANDINGA), code);
        EXPECT_NE(static_cast<int>(TVN_ITEMEXPANDINGW), code);
    }
}

TEST_F(TREEVIEWTEST, ImagesAndTheItemUnderTheCursor)
{
    const int icons[] = {IDI_TEST_WINDOW, IDI_TEST_WINDOW};
    EXPECT_TRUE(tree->SetImages(16, 16, icons, 2, true, false));
    ASSERT_NE(nullptr, tree->ImageList);
    EXPECT_EQ(2, ImageList_GetImageCount(tree->ImageList));
    tree->InsertRootItem(1, 0, "first");
    tree->InsertRootItem(2, -1, "second");
    EXPECT_TRUE(tree->SetItemImage(2, 1));
    TVITEMA item = {};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    item.hItem = tree->FindItem(2);
    SendMessageA(tree->hWnd, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(1, item.iImage);
    EXPECT_EQ(1, item.iSelectedImage);

    WINDOW::WinProcessMessages(100);
    RECT label = {};
    HTREEITEM second = tree->FindItem(2);
    std::memcpy(&label, &second, sizeof second); // the message takes the item in the rectangle
    ASSERT_TRUE(SendMessageA(tree->hWnd, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label)));
    POINT point = {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
    ClientToScreen(tree->hWnd, &point);
    EXPECT_EQ(2, AskWithCursorAt(point, [&] { return tree->GetIdAtCursor(); }));
    POINT empty = {200, 300};
    ClientToScreen(tree->hWnd, &empty);
    EXPECT_EQ(-1, AskWithCursorAt(empty, [&] { return tree->GetIdAtCursor(); }));
}

namespace {

struct SEARCHER {
    TREEVIEW *Tree;
    HANDLE Holding;              // set once the worker holds the lock (first test only)
    std::atomic<int> Found{0};
    std::atomic<int> Rounds{0};
    int Loops = 0;
};

DWORD WINAPI SearchInALoop(void *parameter)
{
    SEARCHER *searcher = static_cast<SEARCHER *>(parameter);
    for (int i = 0; i < searcher->Loops; ++i) {
        if (searcher->Tree->FindItem(1 + i % 40) != nullptr)
            ++searcher->Found;
        ++searcher->Rounds;
    }
    return 0;
}

DWORD WINAPI HoldTheLockAndSend(void *parameter)
{
    SEARCHER *searcher = static_cast<SEARCHER *>(parameter);
    MUTEXSEM &lock = TREEVIEW::SearchLock();
    lock.Obtain(-1);
    SetEvent(searcher->Holding);
    Sleep(100);
    // The window thread is waiting for the lock by now: it must serve this.
    if (searcher->Tree->FindItem(1) != nullptr)
        ++searcher->Found;
    lock.Release();
    return 0;
}

} // namespace

TEST_F(TREEVIEWTEST, TheWindowThreadServesAWorkerThatHoldsTheLock)
{
    tree->InsertRootItem(1, -1, "one");
    SEARCHER searcher;
    searcher.Tree = tree.get();
    searcher.Holding = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE worker = CreateThread(nullptr, 0, HoldTheLockAndSend, &searcher, 0, nullptr);
    ASSERT_NE(nullptr, worker);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(searcher.Holding, 10000));
    EXPECT_NE(nullptr, tree->FindItem(1));
    EXPECT_TRUE(WINDOW::WinWaitForSingleObject(worker, 20000));
    EXPECT_EQ(1, searcher.Found.load());
    CloseHandle(worker);
    CloseHandle(searcher.Holding);
}

TEST_F(TREEVIEWTEST, AWorkerSearchesWhileTheWindowThreadChangesTheTree)
{
    for (int id = 1; id <= 20; ++id)
        tree->InsertRootItem(id, -1, "item");
    SEARCHER searcher;
    searcher.Tree = tree.get();
    searcher.Loops = 100;
    HANDLE worker = CreateThread(nullptr, 0, SearchInALoop, &searcher, 0, nullptr);
    ASSERT_NE(nullptr, worker);
    int round = 0;
    while (WaitForSingleObject(worker, 0) == WAIT_TIMEOUT && round < 100000) {
        int id = 21 + round % 20;
        tree->InsertChildItem(id, 1 + round % 20, -1, "child");
        tree->FindItem(id);
        tree->SetItemText(id, "renamed");
        tree->DeleteItem(id);
        ++round;
        WINDOW::WinProcessMessages(20);
    }
    EXPECT_TRUE(WINDOW::WinWaitForSingleObject(worker, 60000));
    EXPECT_EQ(100, searcher.Rounds.load());
    EXPECT_GE(searcher.Found.load(), 100 / 2) << "the ids 1 to 20 stay in the tree";
    EXPECT_EQ(20u, AllIds().size());
    CloseHandle(worker);
}
