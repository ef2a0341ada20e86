// Splitters under Wine: a drag made of mouse messages moves the bar, lays the panes out and tells
// the parent; the limits; a release without a press; fitting to the parent's size.
#include "kestar/windowing/splitter.h"

#include "kestar/windowing/window.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const UINT kMoved = WM_USER + 100;

// The parent: two panes and a splitter between them; records the notify message.
class SPLITHOST : public WINDOW {
public:
    SPLITHOST() : WINDOW(WS_POPUP | WS_VISIBLE, "Split host", 30, 30, 600, 400, nullptr, 0, 0)
    {
        LeftPane = Pane(0, 200);
        RightPane = Pane(205, 395);
    }
    LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        (void)wParam;
        (void)lParam;
        Messages.push_back(message);
        return 1;
    }
    HWND Pane(int x, int width)
    {
        return CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, x, 0, width, 400, hWnd, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    HWND LeftPane = nullptr;
    HWND RightPane = nullptr;
    std::vector<UINT> Messages;
};

class SPLITTERTEST : public testing::Test {
protected:
    void SetUp() override
    {
        host.reset(new SPLITHOST());
        ASSERT_TRUE(host->IsValid());
        splitter.reset(new SPLITTER(host->LeftPane, host->RightPane, *host));
        ASSERT_TRUE(splitter->IsValid());
        splitter->SetNotifyMessage(kMoved);
        splitter->MoveToX(200);
        splitter->OnParentSize();
    }
    void TearDown() override
    {
        splitter.reset();
        host.reset();
        WINDOW::WinProcessMessages(1000);
    }

    // Press at the bar's x 2, move by dx, release there.
    void Drag(int dx)
    {
        SendMessageA(splitter->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 10));
        SendMessageA(splitter->hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<short>(2 + dx), 10));
        SendMessageA(splitter->hWnd, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<short>(2 + dx), 10));
    }
    RECT Rect(HWND window) { return WINDOW(window).GetRect(); }

    std::unique_ptr<SPLITHOST> host;
    std::unique_ptr<SPLITTER> splitter;
};

} // namespace

TEST_F(SPLITTERTEST, BarAndGhostAreMadeWithTheirIds)
{
    EXPECT_EQ(SPLITTER::BAR_ID, GetDlgCtrlID(splitter->hWnd));
    ASSERT_TRUE(splitter->Ghost && splitter->Ghost->IsValid());
    EXPECT_EQ(SPLITTER::GHOST_ID, GetDlgCtrlID(splitter->Ghost->hWnd));
    EXPECT_FALSE(IsWindowVisible(splitter->Ghost->hWnd));
    EXPECT_TRUE(IsWindowVisible(splitter->hWnd));
    RECT bar = Rect(splitter->hWnd);
    EXPECT_EQ(200, bar.left);
    EXPECT_EQ(0, bar.top);
    EXPECT_EQ(5, bar.right - bar.left);
    EXPECT_EQ(400, bar.bottom - bar.top);
    EXPECT_EQ(200, splitter->LastX);
    EXPECT_EQ(400, splitter->ParentHeight);
}

TEST_F(SPLITTERTEST, ADragMovesTheBarLaysOutThePanesAndNotifies)
{
    SendMessageA(splitter->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 10));
    EXPECT_TRUE(splitter->Dragging);
    EXPECT_TRUE(IsWindowVisible(splitter->Ghost->hWnd));
    SendMessageA(splitter->hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(102, 10));
    EXPECT_EQ(300, Rect(splitter->Ghost->hWnd).left) << "the ghost follows";
    EXPECT_EQ(200, Rect(splitter->hWnd).left) << "the bar waits for the release";
    SendMessageA(splitter->hWnd, WM_LBUTTONUP, 0, MAKELPARAM(102, 10));
    EXPECT_FALSE(splitter->Dragging);
    EXPECT_FALSE(IsWindowVisible(splitter->Ghost->hWnd));
    EXPECT_EQ(300, Rect(splitter->hWnd).left);
    RECT left = Rect(host->LeftPane), right = Rect(host->RightPane);
    EXPECT_EQ(0, left.left);
    EXPECT_EQ(300, left.right);
    EXPECT_EQ(305, right.left);
    EXPECT_EQ(600, right.right) << "the right pane keeps its right edge";
    EXPECT_EQ(std::vector<UINT>{kMoved}, host->Messages);
    EXPECT_TRUE(IsWindowVisible(splitter->hWnd));
}

TEST_F(SPLITTERTEST, DragsStopAtTheLimits)
{
    splitter->SetLimits(32, 50);
    Drag(-190); // to x 10
    EXPECT_EQ(32, Rect(splitter->hWnd).left);
    Drag(1000);
    EXPECT_EQ(600 - 50, Rect(splitter->hWnd).left);
    // A parent narrower than the minimum still gives the minimum.
    splitter->SetLimits(32, 590);
    Drag(-100);
    EXPECT_EQ(32, Rect(splitter->hWnd).left);
    EXPECT_EQ(3u, host->Messages.size());
}

TEST_F(SPLITTERTEST, AReleaseWithoutAPressMovesNothing)
{
    SendMessageA(splitter->hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(102, 10));
    SendMessageA(splitter->hWnd, WM_LBUTTONUP, 0, MAKELPARAM(102, 10));
    EXPECT_EQ(200, Rect(splitter->hWnd).left);
    EXPECT_EQ(200, Rect(host->LeftPane).right);
    EXPECT_TRUE(host->Messages.empty());
    EXPECT_FALSE(IsWindowVisible(splitter->Ghost->hWnd));
}

TEST_F(SPLITTERTEST, TheBarFitsTheParentBetweenItsMargins)
{
    splitter->SetMargins(20, 30);
    SetWindowPos(host->hWnd, nullptr, 0, 0, 600, 300, SWP_NOMOVE | SWP_NOZORDER);
    splitter->OnParentSize();
    RECT bar = Rect(splitter->hWnd);
    EXPECT_EQ(20, bar.top);
    EXPECT_EQ(300 - 20 - 30, bar.bottom - bar.top);
    EXPECT_EQ(300, splitter->ParentHeight);

    // The panes are laid out again only when the bar moved, or after new panes were set.
    MoveWindow(host->LeftPane, 0, 0, 50, 300, TRUE);
    splitter->OnParentSize();
    EXPECT_EQ(50, Rect(host->LeftPane).right);
    splitter->SetPanes(host->LeftPane, host->RightPane);
    EXPECT_EQ(-1, splitter->LastX);
    splitter->OnParentSize();
    EXPECT_EQ(200, Rect(host->LeftPane).right);
    splitter->MoveToX(250);
    splitter->OnParentSize();
    EXPECT_EQ(250, Rect(host->LeftPane).right);
    EXPECT_EQ(255, Rect(host->RightPane).left);
}
