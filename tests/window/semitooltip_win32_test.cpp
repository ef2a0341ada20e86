// The notification pop-up under Wine: clicks on entries and beside them reach the owner, the
// click table holds 32 entries at most, transparency, placement, the tick timer and a pop-up
// without a text.
#include "kestar/windowing/memorybitmap.h"
#include "kestar/windowing/semitooltip.h"
#include "kestar/windowing/semitooltipinlay.h"

#include "tests/support/logcapture_support.h"
#include "tests/support/recordingwindow_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const char kEntries[] = "Call from 0301 234567\n\x1b[*=7]Call back\x1b[*=8]Mail\x1b[*]Open";
const int kDefaultId = 55;

void Pump(int ms)
{
    DWORD until = GetTickCount() + static_cast<DWORD>(ms);
    do {
        WINDOW::WinProcessMessages(200);
        Sleep(10);
    } while (static_cast<int>(until - GetTickCount()) > 0);
}

// A pop-up of the entries' text, painted once (which records the click table).
std::unique_ptr<SEMITOOLTIP> MakePopup(HWND owner, const char *text = kEntries, int position = 4,
                                       const int *options = nullptr, bool timer = false)
{
    std::unique_ptr<SEMITOOLTIP> popup(
        new SEMITOOLTIP(text, 0x00000000, 0x00F0D0B0, "9.MS Shell Dlg", position, timer, owner, kDefaultId, options));
    if (popup->GetInlay() && popup->GetInlay()->hWnd)
        UpdateWindow(popup->GetInlay()->hWnd);
    Pump(50);
    return popup;
}

void Click(SEMITOOLTIP &popup, UINT message, int x, int y)
{
    SendMessageA(popup.GetInlay()->hWnd, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON,
                 MAKELPARAM(x, y));
    Pump(50);
}

// The click reports among what the owner recorded.
std::string Reports(RECORDINGWINDOW &owner)
{
    std::string out;
    for (const std::string &call : owner.Calls)
        if (call.rfind("OnUserMessage", 0) == 0)
            out += (out.empty() ? "" : " ") + call;
    owner.Clear();
    return out;
}

POINT CentreOf(SEMITOOLTIP &popup, int entry)
{
    RECT r = {};
    popup.GetInlay()->GetClickRect(entry, &r, nullptr);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

} // namespace

TEST(SEMITOOLTIP, LeftClickOnAnEntryReportsItsIdAndHides)
{
    struct CASE {
        int entry;
        const char *report;
    } cases[] = {
        {0, "OnUserMessage(0420,0,7)"},
        {1, "OnUserMessage(0420,0,8)"},
        {2, "OnUserMessage(0420,0,55)"},
    };
    for (const CASE &c : cases) {
        RECORDINGWINDOW owner;
        std::unique_ptr<SEMITOOLTIP> popup = MakePopup(owner.hWnd);
        ASSERT_EQ(3, popup->GetInlay()->GetClickRectCount());
        ASSERT_TRUE(IsWindowVisible(popup->hWnd));
        owner.Clear();
        POINT p = CentreOf(*popup, c.entry);
        Click(*popup, WM_LBUTTONDOWN, p.x, p.y);
        EXPECT_EQ(c.report, Reports(owner)) << c.entry;
        EXPECT_FALSE(IsWindowVisible(popup->hWnd)) << c.entry;
    }
}

TEST(SEMITOOLTIP, EdgesCountAsInsideAndBesideGivesTheDefaultId)
{
    RECORDINGWINDOW owner;
    std::unique_ptr<SEMITOOLTIP> popup = MakePopup(owner.hWnd);
    RECT r = {};
    int id = 0;
    ASSERT_TRUE(popup->GetInlay()->GetClickRect(1, &r, &id));
    EXPECT_EQ(8, id);
    owner.Clear();
    // (Its left edge is the right edge of the entry before it, which is found first.)
    Click(*popup, WM_LBUTTONDOWN, r.right, r.bottom);
    EXPECT_EQ("OnUserMessage(0420,0,8)", Reports(owner));

    std::unique_ptr<SEMITOOLTIP> second = MakePopup(owner.hWnd);
    owner.Clear();
    Click(*second, WM_LBUTTONDOWN, 1, 1);
    EXPECT_EQ("OnUserMessage(0420,0,55)", Reports(owner));
    EXPECT_FALSE(IsWindowVisible(second->hWnd));
}

TEST(SEMITOOLTIP, RightClickReportsTheDefaultIdAndStays)
{
    RECORDINGWINDOW owner;
    std::unique_ptr<SEMITOOLTIP> popup = MakePopup(owner.hWnd);
    owner.Clear();
    POINT p = CentreOf(*popup, 0);
    Click(*popup, WM_RBUTTONDOWN, p.x, p.y);
    EXPECT_EQ("OnUserMessage(0420,1,55)", Reports(owner));
    EXPECT_TRUE(IsWindowVisible(popup->hWnd));
}

TEST(SEMITOOLTIP, AGoneOwnerIsNotReached)
{
    HWND gone;
    {
        RECORDINGWINDOW owner;
        gone = owner.hWnd;
    }
    std::unique_ptr<SEMITOOLTIP> popup = MakePopup(gone);
    POINT p = CentreOf(*popup, 0);
    Click(*popup, WM_LBUTTONDOWN, p.x, p.y);
    EXPECT_FALSE(IsWindowVisible(popup->hWnd));
}

TEST(SEMITOOLTIP, FortyEntriesRecordThirtyTwo)
{
    std::string text = "Forty";
    for (int i = 1; i <= 40; ++i) {
        if (i % 10 == 1)
            text += "\n";
        text += "\x1b[*=" + std::to_string(i) + "]" + std::to_string(i);
    }
    RECORDINGWINDOW owner;
    std::unique_ptr<SEMITOOLTIP> popup = MakePopup(owner.hWnd, text.c_str(), 5);
    SEMITOOLTIPINLAY *inlay = popup->GetInlay();
    ASSERT_EQ(32, inlay->GetClickRectCount());
    int id = 0;
    EXPECT_TRUE(inlay->GetClickRect(31, nullptr, &id));
    EXPECT_EQ(32, id);
    EXPECT_FALSE(inlay->GetClickRect(32, nullptr, &id));
    // Painting again records nothing more.
    InvalidateRect(inlay->hWnd, nullptr, FALSE);
    UpdateWindow(inlay->hWnd);
    EXPECT_EQ(32, inlay->GetClickRectCount());
}

TEST(SEMITOOLTIP, TransparencyAndStyles)
{
    RECORDINGWINDOW owner;
    const int options[4] = {40, 0, 0, 0};
    std::unique_ptr<SEMITOOLTIP> popup = MakePopup(owner.hWnd, kEntries, 4, options);
    LONG_PTR ex = GetWindowLongPtrA(popup->hWnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(popup->hWnd, nullptr, &alpha, &flags));
    EXPECT_EQ(255 - 40, alpha);
    EXPECT_TRUE(flags & LWA_ALPHA);

    std::unique_ptr<SEMITOOLTIP> opaque = MakePopup(owner.hWnd);
    EXPECT_FALSE(GetWindowLongPtrA(opaque->hWnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(0, opaque->Transparency);
    EXPECT_EQ(std::string("OrvakWinClassSemitooltip"), static_cast<const char *>(opaque->GetClassName()));
    EXPECT_EQ(std::string("OrvakWinClassSemitooltipInlay"),
              static_cast<const char *>(opaque->GetInlay()->GetClassName()));
    EXPECT_EQ(SEMITOOLTIPINLAY::ID, GetDlgCtrlID(opaque->GetInlay()->hWnd));
}

TEST(SEMITOOLTIP, PlacementSizeAndMargins)
{
    RECORDINGWINDOW owner;
    RECT work = WINDOW::GetDesktopRect();
    const int options[4] = {0, 11, 6, 0};
    for (int position : {1, 3, 4, 5, 2}) {
        std::unique_ptr<SEMITOOLTIP> popup = MakePopup(owner.hWnd, kEntries, position, options);
        SEMITOOLTIPINLAY *inlay = popup->GetInlay();
        EXPECT_EQ(11, inlay->GetMarginX());
        EXPECT_EQ(6, inlay->GetMarginY());
        RECT r = {};
        GetWindowRect(popup->hWnd, &r);
        EXPECT_EQ(inlay->GetTextWidth() + 22, r.right - r.left);
        EXPECT_EQ(inlay->GetTextHeight() + 12, r.bottom - r.top);
        int width = r.right - r.left, height = r.bottom - r.top;
        switch (position) {
        case 1:
            EXPECT_EQ(work.left, r.left);
            EXPECT_EQ(work.top, r.top);
            break;
        case 3:
            EXPECT_EQ(work.left, r.left);
            EXPECT_EQ(work.bottom, r.bottom);
            break;
        case 4:
            EXPECT_EQ(work.right, r.right);
            EXPECT_EQ(work.bottom, r.bottom);
            break;
        case 5:
            EXPECT_EQ(work.left + (work.right - work.left - width) / 2, r.left);
            EXPECT_EQ(work.top + (work.bottom - work.top - height) / 2, r.top);
            break;
        default:
            EXPECT_EQ(work.right, r.right);
            EXPECT_EQ(work.top, r.top);
            break;
        }
        // The inlay fills the client area.
        RECT client = popup->GetClientRect(), inner = inlay->GetClientRect();
        EXPECT_EQ(client.right, inner.right);
        EXPECT_EQ(client.bottom, inner.bottom);
    }
    // Default margins: the width of "o" and a third of its height.
    std::unique_ptr<SEMITOOLTIP> plain = MakePopup(owner.hWnd);
    EXPECT_GT(plain->GetInlay()->GetMarginX(), 2);
    EXPECT_GT(plain->GetInlay()->GetMarginY(), 1);
    EXPECT_LT(plain->GetInlay()->GetMarginY(), plain->GetInlay()->GetMarginX() * 2);
}

TEST(SEMITOOLTIP, AnimationShowsAndHides)
{
    RECORDINGWINDOW owner;
    const int options[4] = {0, 0, 0, 3};
    LOGCAPTURE log;
    SEMITOOLTIP *popup = MakePopup(owner.hWnd, kEntries, 4, options).release();
    EXPECT_EQ(static_cast<DWORD>(AW_VER_NEGATIVE | AW_SLIDE), popup->ShowFlags);
    EXPECT_EQ(static_cast<DWORD>(AW_VER_POSITIVE | AW_SLIDE), popup->HideFlags);
    EXPECT_EQ(500, popup->AnimationMs);
    EXPECT_TRUE(IsWindowVisible(popup->hWnd));
    HWND window = popup->hWnd;
    delete popup;
    EXPECT_FALSE(IsWindow(window));
    const std::string &text = log.Text();
    EXPECT_NE(std::string::npos, text.find("SEMITOOLTIP::Init opts= 0, 3, 4"));
    EXPECT_NE(std::string::npos, text.find("SEMITOOLTIP::Init ShowAnimated(262152, 500)"));
    EXPECT_NE(std::string::npos, text.find("SEMITOOLTIP::Destructor"));
}

TEST(SEMITOOLTIP, TimerTicksUntilStopped)
{
    RECORDINGWINDOW owner;
    std::unique_ptr<SEMITOOLTIP> popup = MakePopup(owner.hWnd, kEntries, 4, nullptr, true);
    DWORD until = GetTickCount() + 5000;
    while (popup->TickCount < 1 && static_cast<int>(until - GetTickCount()) > 0)
        Pump(50);
    EXPECT_GE(popup->TickCount, 1);
    EXPECT_EQ(popup->TickCount, popup->GetInlay()->TickCount);
    popup->StopTimer();
    EXPECT_EQ(0, popup->TickCount);
    EXPECT_EQ(0, popup->GetInlay()->TickCount);
    Pump(700);
    EXPECT_EQ(0, popup->TickCount);
}

TEST(SEMITOOLTIP, OneLineIsCentredAsItStands)
{
    RECORDINGWINDOW owner;
    std::unique_ptr<SEMITOOLTIP> popup = MakePopup(owner.hWnd, "\x1b[*=7]not an entry");
    EXPECT_EQ(0, popup->GetInlay()->GetClickRectCount());
    EXPECT_GT(popup->GetInlay()->GetTextWidth(), 0);
    // 0x0E and 0x0F are expanded in the stored text.
    std::unique_ptr<SEMITOOLTIP> expanded = MakePopup(owner.hWnd, "a\x0e" "b\n\x0f" "c");
    const WSTRING &wide = expanded->GetInlay()->GetTextWide();
    EXPECT_EQ(std::wstring(L"a\x1b[n]b\n\x1b[s]c"), std::wstring(wide.GetWide()));
}

TEST(SEMITOOLTIP, WithoutATextAssertsAndShowsAnEmptyBox)
{
    RECORDINGWINDOW owner;
    LOGCAPTURE log;
    std::unique_ptr<SEMITOOLTIP> popup = MakePopup(owner.hWnd, nullptr);
    ASSERT_NE(nullptr, popup->GetInlay());
    EXPECT_TRUE(popup->GetInlay()->GetTextWide().IsNull());
    EXPECT_EQ(0, popup->GetInlay()->GetTextWidth());
    InvalidateRect(popup->GetInlay()->hWnd, nullptr, FALSE);
    UpdateWindow(popup->GetInlay()->hWnd);
    owner.Clear();
    Click(*popup, WM_LBUTTONDOWN, 1, 1);
    EXPECT_EQ("OnUserMessage(0420,0,55)", Reports(owner));
    EXPECT_EQ(1, log.Failures());
    EXPECT_EQ("this->TextWide.NotNull()", log.Conditions().at(0));
}

TEST(SEMITOOLTIP, AnEntryUnderTheMouseGetsAnInnerFrame)
{
    RECORDINGWINDOW owner;
    std::unique_ptr<SEMITOOLTIP> popup = MakePopup(owner.hWnd);
    SEMITOOLTIPINLAY *inlay = popup->GetInlay();
    RECT r = {};
    ASSERT_TRUE(inlay->GetClickRect(0, &r, nullptr));
    int y = (r.top + r.bottom) / 2;
    // Drawn into a bitmap of its own: the screen may show other tests' windows.
    RECT client = inlay->GetClientRect();
    MEMORYBITMAP picture(inlay->hWnd, client.right, client.bottom);
    auto pixel = [&]() {
        SendMessageA(inlay->hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture.GetDC()), PRF_CLIENT);
        return GetPixel(picture.GetDC(), r.left + 1, y);
    };
    COLORREF before = pixel();
    SendMessageA(inlay->hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 3, y));
    COLORREF hover = pixel();
    // Off the entry again: the frame goes.
    SendMessageA(inlay->hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    COLORREF after = pixel();
    EXPECT_NE(before, hover);
    EXPECT_EQ(0x00000000u, hover); // the text colour
    EXPECT_EQ(before, after);
}
