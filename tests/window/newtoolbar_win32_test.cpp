// The toolbar under Wine: clicks post commands, drop-down parts notify the owner once per 250 ms,
// check buttons, the stored symbol size and the commands that change it, texts and tooltips from
// the menu, subclassing the owner, and owner-drawn menu items.
#include "kestar/windowing/memorybitmap.h"
#include "kestar/windowing/newtoolbar.h"

#include "kestar/base/osysinfo.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/registry.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/recordingwindow_support.h"
#include "tests/window/window_test_ids.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace TOOLBARMATH;

namespace {

// Tests run side by side in one registry: the two that read the stored size have bars of their own.
const int kBarId = 4711;

void Pump(int ms)
{
    DWORD until = GetTickCount() + static_cast<DWORD>(ms);
    do {
        WINDOW::WinProcessMessages(200);
        Sleep(10);
    } while (static_cast<int>(until - GetTickCount()) > 0);
}

// The owner: records the drop-down notifications (they reach slot 0 only) and answers tooltip
// requests for buttons the menu does not name.
class OWNER : public RECORDINGWINDOW {
public:
    OWNER() : RECORDINGWINDOW(WS_OVERLAPPEDWINDOW, nullptr, 0, 0, 40, 40, 640, 240) {}
    LRESULT WinProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NOTIFY) {
            NMHDR *header = reinterpret_cast<NMHDR *>(lParam);
            if (header->code == static_cast<UINT>(TBN_DROPDOWN)) {
                Calls.push_back("DropDown(" + std::to_string(reinterpret_cast<NMTOOLBARA *>(lParam)->iItem) + ")");
                return TBDDRET_DEFAULT;
            }
        }
        return RECORDINGWINDOW::WinProc(message, wParam, lParam);
    }
    LRESULT OnNotify(int code, CONTROL *control, LPARAM data) override
    {
        if (code == static_cast<int>(TTN_GETDISPINFOA)) {
            NMTTDISPINFOA *info = reinterpret_cast<NMTTDISPINFOA *>(data);
            lstrcpyA(info->szText, "From the owner\tF9");
            return 1;
        }
        return RECORDINGWINDOW::OnNotify(code, control, data);
    }
};

// The symbol-size value of the test bar (under the key the bar builds from text 10002 of the
// language module, which the fixture sets first).
class STOREDSIZE {
public:
    ~STOREDSIZE() { Reset(); }
    int Id = kBarId;
    void Reset() { Registry().DeleteValue("SmallSymbols"); }
    std::string Read()
    {
        STRING value;
        if (!Registry().ReadString("SmallSymbols", value))
            return "<none>";
        return static_cast<const char *>(value);
    }
    void Write(const char *value) { Registry().WriteString("SmallSymbols", value); }

private:
    REGISTRY &Registry()
    {
        STRING folder = OSYS::GetStringFromResource(10002);
        STRING name(("Toolbar" + std::to_string(Id)).c_str());
        STRING key = folder.IsEmpty() ? name : REGISTRY::JoinPath(folder, name);
        registry.reset(new REGISTRY(key, "Software\\Orvak", REGISTRY::USER_CURRENT));
        return *registry;
    }
    std::unique_ptr<REGISTRY> registry;
};

// The commands and drop-down notifications among what the owner recorded.
std::string Clicks(RECORDINGWINDOW &owner)
{
    std::string out;
    for (const std::string &call : owner.Calls)
        if (call.rfind("OnCommand", 0) == 0 || call.rfind("DropDown", 0) == 0)
            out += (out.empty() ? "" : " ") + call;
    owner.Clear();
    return out;
}

class NEWTOOLBARTEST : public testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&init);
        // The language library gives the application key (text 10002); the test program carries
        // the icons (the fall-back module) and the menus.
        static HMODULE language = LoadLibraryA((TestProgramFolder() + "\\parlomatixenglish.dll").c_str());
        ASSERT_NE(nullptr, language);
        OSYS::SetLanguageModule(language);
        stored.Reset();
        owner.Show(true);
    }
    void TearDown() override { OSYS::SetOsVersionIdOverride(-1); }

    // The bar of this test: its stored size starts missing.
    void OwnBar(int id)
    {
        stored.Id = id;
        stored.Reset();
    }

    std::unique_ptr<NEWTOOLBAR> MakeBar(int small = 16, int large = 32)
    {
        std::unique_ptr<NEWTOOLBAR> bar(new NEWTOOLBAR(owner.hWnd, stored.Id, small, large, true));
        bar->Show(true);
        bar->Resize(0);
        return bar;
    }

    void Click(NEWTOOLBAR &bar, int x, int y)
    {
        SendMessageA(bar.hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(bar.hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Pump(20);
    }

    void ClickButton(NEWTOOLBAR &bar, int command, bool arrowPart = false)
    {
        const BUTTON *b = bar.GetButton(command);
        ASSERT_NE(nullptr, b);
        int x = arrowPart ? b->X + b->Width - 2 : b->X + 2;
        Click(bar, x, b->Y + bar.GetSymbolSize() / 2);
    }

    STOREDSIZE stored;
    OWNER owner;
};

} // namespace

TEST_F(NEWTOOLBARTEST, PlainButtonPostsItsCommand)
{
    std::unique_ptr<NEWTOOLBAR> bar = MakeBar();
    EXPECT_TRUE(bar->AddButton(IDM_TEST_OPEN, 0, IDI_TEST_TOOL1));
    EXPECT_TRUE(bar->AddButton(IDM_TEST_PRINT, 0, IDI_TEST_TOOL2));
    EXPECT_EQ(std::string("OrvakWinClassNewToolbar"), static_cast<const char *>(bar->GetClassName()));
    EXPECT_TRUE(bar->GetButton(IDM_TEST_OPEN)->Style & STYLE_GAP); // the first button always
    owner.Clear();
    ClickButton(*bar, IDM_TEST_PRINT);
    EXPECT_EQ("OnCommand(322)", Clicks(owner));

    // A disabled button posts nothing.
    EXPECT_TRUE(bar->EnableButton(IDM_TEST_PRINT, false));
    ClickButton(*bar, IDM_TEST_PRINT);
    EXPECT_EQ("", Clicks(owner));
    EXPECT_FALSE(bar->EnableButton(999, false));
}

TEST_F(NEWTOOLBARTEST, ArrowPartNotifiesOncePer250Ms)
{
    std::unique_ptr<NEWTOOLBAR> bar = MakeBar();
    bar->AddButton(IDM_TEST_OPEN, 0, IDI_TEST_TOOL1);
    bar->AddButton(IDM_TEST_PRINT, STYLE_ARROW, IDI_TEST_TOOL2);
    bar->AddButton(IDM_TEST_SEND, STYLE_DROPDOWN, IDI_TEST_TOOL3);
    owner.Clear();
    ClickButton(*bar, IDM_TEST_PRINT, true);
    EXPECT_EQ("DropDown(322)", Clicks(owner));
    EXPECT_TRUE(bar->IsDropDownOpen());
    // Within 250 ms: nothing, on either drop-down button.
    ClickButton(*bar, IDM_TEST_PRINT, true);
    ClickButton(*bar, IDM_TEST_SEND);
    EXPECT_EQ("", Clicks(owner));
    DWORD until = GetTickCount() + 3000;
    while (bar->IsDropDownOpen() && static_cast<int>(until - GetTickCount()) > 0)
        Pump(20);
    EXPECT_FALSE(bar->IsDropDownOpen());
    // The whole of a style-8 button opens its drop-down; the left part of an arrow button is a command.
    ClickButton(*bar, IDM_TEST_SEND);
    EXPECT_EQ("DropDown(323)", Clicks(owner));
    ClickButton(*bar, IDM_TEST_PRINT);
    EXPECT_EQ("OnCommand(322)", Clicks(owner));
}

TEST_F(NEWTOOLBARTEST, CheckButtonsToggleAndGroupsStayChecked)
{
    std::unique_ptr<NEWTOOLBAR> bar = MakeBar();
    bar->AddButton(IDM_TEST_OPEN, STYLE_CHECK, IDI_TEST_TOOL1);
    bar->AddButton(IDM_TEST_VIEWA, STYLE_CHECK | STYLE_GROUP, IDI_TEST_TOOL2);
    bar->AddButton(IDM_TEST_VIEWB, STYLE_CHECK | STYLE_GROUP, IDI_TEST_TOOL3);
    owner.Clear();
    ClickButton(*bar, IDM_TEST_OPEN);
    EXPECT_TRUE(bar->IsChecked(IDM_TEST_OPEN));
    ClickButton(*bar, IDM_TEST_OPEN);
    EXPECT_FALSE(bar->IsChecked(IDM_TEST_OPEN));
    EXPECT_EQ("OnCommand(321) OnCommand(321)", Clicks(owner));

    EXPECT_TRUE(bar->CheckButton(IDM_TEST_VIEWA, true));
    ClickButton(*bar, IDM_TEST_VIEWB);
    EXPECT_FALSE(bar->IsChecked(IDM_TEST_VIEWA));
    EXPECT_TRUE(bar->IsChecked(IDM_TEST_VIEWB));
    ClickButton(*bar, IDM_TEST_VIEWB);
    EXPECT_TRUE(bar->IsChecked(IDM_TEST_VIEWB));
    EXPECT_FALSE(bar->IsChecked(999));
}

TEST_F(NEWTOOLBARTEST, StoredSymbolSize)
{
    OwnBar(4712);
    // Missing: the flag decides and is written.
    {
        std::unique_ptr<NEWTOOLBAR> bar(new NEWTOOLBAR(owner.hWnd, stored.Id, 16, 32, false));
        EXPECT_EQ(32, bar->GetSymbolSize());
        EXPECT_EQ("0", stored.Read());
        EXPECT_EQ(32 + 25 + 1, bar->GetRect().bottom - bar->GetRect().top);
    }
    // "1" gives the small size at the next creation, whatever the flag.
    stored.Write("1");
    {
        std::unique_ptr<NEWTOOLBAR> bar(new NEWTOOLBAR(owner.hWnd, stored.Id, 16, 32, false));
        EXPECT_EQ(16, bar->GetSymbolSize());
        EXPECT_EQ(16 + 17 + 1, bar->GetRect().bottom - bar->GetRect().top);
    }
    // Equal sizes: nothing is read or written.
    stored.Write("");
    {
        std::unique_ptr<NEWTOOLBAR> bar(new NEWTOOLBAR(owner.hWnd, stored.Id, 24, 24, false));
        EXPECT_EQ(24, bar->GetSymbolSize());
        EXPECT_EQ("", stored.Read());
    }
}

TEST_F(NEWTOOLBARTEST, SymbolCommandsChangeSizeValueAndPostWmSize)
{
    OwnBar(4713);
    std::unique_ptr<NEWTOOLBAR> bar = MakeBar();
    bar->AddButton(IDM_TEST_OPEN, 0, IDI_TEST_TOOL1);
    EXPECT_EQ(16, bar->GetSymbolSize());
    EXPECT_EQ("1", stored.Read());
    Pump(20);
    owner.Clear();
    SendMessageA(bar->hWnd, WM_COMMAND, NEWTOOLBAR::CMD_LARGESYMBOLS, 0);
    EXPECT_EQ(32, bar->GetSymbolSize());
    EXPECT_EQ("0", stored.Read());
    EXPECT_EQ(32 + 25 + 1, bar->GetRect().bottom - bar->GetRect().top);
    Pump(20);
    EXPECT_NE(std::string::npos, owner.Take().find("OnSized"));
    SendMessageA(bar->hWnd, WM_COMMAND, NEWTOOLBAR::CMD_SMALLSYMBOLS, 0);
    EXPECT_EQ(16, bar->GetSymbolSize());
    EXPECT_EQ("1", stored.Read());
    Pump(20);
    EXPECT_NE(std::string::npos, owner.Take().find("OnSized"));
    // The button's place follows the size.
    EXPECT_EQ(9, bar->GetButton(IDM_TEST_OPEN)->Y);
}

TEST_F(NEWTOOLBARTEST, TextsAndTooltipsFromTheMenu)
{
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_TEST_TOOLBAR));
    ASSERT_NE(nullptr, menu);
    std::unique_ptr<NEWTOOLBAR> bar = MakeBar();
    bar->AddButton(IDM_TEST_OPEN, STYLE_TEXT, IDI_TEST_TOOL1, menu);
    bar->AddButton(IDM_TEST_PRINT, STYLE_TEXT, "Print &all...\tCtrl+P", IDI_TEST_TOOL2);
    bar->AddButton(IDM_TEST_SEND, 0, IDI_TEST_TOOL3);
    EXPECT_EQ(std::wstring(L"Open "), std::wstring(bar->GetButtonText(IDM_TEST_OPEN).GetWide()));
    EXPECT_EQ(std::wstring(L"Print all "), std::wstring(bar->GetButtonText(IDM_TEST_PRINT).GetWide()));
    EXPECT_TRUE(bar->GetButton(IDM_TEST_OPEN)->TextFlags & TEXT_HAS);

    // Tooltips: the attached menu's text, else the owner's answer.
    NMTTDISPINFOA info = {};
    info.hdr.hwndFrom = bar->GetTooltipWindow();
    info.hdr.idFrom = IDM_TEST_SEND;
    info.hdr.code = TTN_GETDISPINFOA;
    SendMessageA(bar->hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(std::string("From the owner  (F9)"), info.lpszText);
    bar->AttachMenu(menu, IDM_TEST_TOOLBAR, true);
    info = NMTTDISPINFOA{};
    info.hdr.hwndFrom = bar->GetTooltipWindow();
    info.hdr.idFrom = IDM_TEST_OPEN;
    info.hdr.code = TTN_GETDISPINFOA;
    SendMessageA(bar->hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(std::string("&Open...  (Ctrl+O)"), info.lpszText);
    EXPECT_EQ(info.szText, info.lpszText);
    // Null: the attached menu's text.
    EXPECT_TRUE(bar->SetButtonText(IDM_TEST_SEND, nullptr));
    EXPECT_EQ(std::wstring(L"Send fax "), std::wstring(bar->GetButtonText(IDM_TEST_SEND).GetWide()));
    bar.reset();
    DestroyMenu(menu);
}

TEST_F(NEWTOOLBARTEST, NarrowBarDropsTextsAndHidesButtons)
{
    std::unique_ptr<NEWTOOLBAR> bar = MakeBar();
    for (int id : {IDM_TEST_OPEN, IDM_TEST_PRINT, IDM_TEST_SEND})
        bar->AddButton(id, STYLE_TEXT, "A longer button text", IDI_TEST_TOOL1);
    EXPECT_FALSE(bar->GetButton(IDM_TEST_SEND)->TextFlags & TEXT_DROPPED);
    bar->Move(0, 0, 200, -1);
    EXPECT_TRUE(bar->GetButton(IDM_TEST_SEND)->TextFlags & TEXT_DROPPED);
    bar->Move(0, 0, 60, -1);
    EXPECT_TRUE(bar->GetButton(IDM_TEST_OPEN)->TextFlags & TEXT_DROPPED);
    EXPECT_TRUE(bar->GetButton(IDM_TEST_SEND)->State & STATE_NOFIT);
    // A button that does not fit does not click.
    owner.Clear();
    const BUTTON *hidden = bar->GetButton(IDM_TEST_SEND);
    Click(*bar, hidden->X + 2, hidden->Y + 2);
    EXPECT_EQ("", Clicks(owner));
    bar->Resize(0);
    EXPECT_FALSE(bar->GetButton(IDM_TEST_SEND)->State & STATE_NOFIT);
    EXPECT_FALSE(bar->GetButton(IDM_TEST_OPEN)->TextFlags & TEXT_DROPPED);
}

TEST_F(NEWTOOLBARTEST, AttachMenuSubclassesTheOwnerUntilDestroyed)
{
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_TEST_TOOLBAR));
    SetMenu(owner.hWnd, menu);
    LONG_PTR before = GetWindowLongPtrA(owner.hWnd, GWLP_WNDPROC);
    {
        std::unique_ptr<NEWTOOLBAR> bar = MakeBar();
        bar->AddButton(IDM_TEST_OPEN, 0, IDI_TEST_TOOL1);
        EXPECT_TRUE(bar->AttachMenu(menu, IDM_TEST_TOOLBAR, false));
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(&NEWTOOLBAR::OwnerWinProc), GetWindowLongPtrA(owner.hWnd, GWLP_WNDPROC));
        // Messages still reach the owner's object.
        owner.Clear();
        SendMessageA(owner.hWnd, WM_COMMAND, 77, 0);
        EXPECT_EQ("OnCommand(77)", Clicks(owner));
        // Twice: still one subclass.
        EXPECT_TRUE(bar->SubclassOwner(true));
    }
    EXPECT_EQ(before, GetWindowLongPtrA(owner.hWnd, GWLP_WNDPROC));
    SetMenu(owner.hWnd, nullptr);
    DestroyMenu(menu);
}

TEST_F(NEWTOOLBARTEST, MenuItemsBecomeOwnerDrawnAndMeasureByTheFormula)
{
    for (int version : {5, 6}) {
        OSYS::SetOsVersionIdOverride(version);
        HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_TEST_TOOLBAR));
        SetMenu(owner.hWnd, menu);
        std::unique_ptr<NEWTOOLBAR> bar = MakeBar();
        bar->AddButton(IDM_TEST_OPEN, 0, IDI_TEST_TOOL1);
        ASSERT_TRUE(bar->AttachMenu(menu, IDM_TEST_TOOLBAR, false));

        HMENU file = GetSubMenu(menu, 0);
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_DATA;
        ASSERT_TRUE(GetMenuItemInfoA(file, IDM_TEST_OPEN, FALSE, &item));
        EXPECT_TRUE(item.fType & MFT_OWNERDRAW) << version;
        EXPECT_EQ((static_cast<ULONG_PTR>(IDM_TEST_TOOLBAR) << 16) | IDM_TEST_OPEN, item.dwItemData);
        ASSERT_TRUE(GetMenuItemInfoA(file, 2, TRUE, &item));
        EXPECT_FALSE(item.fType & MFT_OWNERDRAW); // the separator
        // Menu-bar items that open a submenu: from version id 6 on.
        ASSERT_TRUE(GetMenuItemInfoA(menu, 1, TRUE, &item));
        EXPECT_EQ(version >= 6, (item.fType & MFT_OWNERDRAW) != 0) << version;
        if (version >= 6) {
            EXPECT_EQ((static_cast<ULONG_PTR>(IDM_TEST_TOOLBAR) << 16) | 0x8000 | 1, item.dwItemData);
        }

        // Measuring goes through the owner; the size follows the formula in the menu font.
        NONCLIENTMETRICSA metrics = {};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        HFONT font = CreateFontIndirectA(&metrics.lfMenuFont);
        HDC dc = GetDC(bar->hWnd);
        HGDIOBJ old = SelectObject(dc, font);
        SIZE label = {}, shortcut = {};
        GetTextExtentPoint32A(dc, "Open...", 7, &label);
        GetTextExtentPoint32A(dc, "Ctrl+O", 6, &shortcut);
        SelectObject(dc, old);
        ReleaseDC(bar->hWnd, dc);
        DeleteObject(font);
        MEASUREITEMSTRUCT measure = {};
        measure.CtlType = ODT_MENU;
        measure.itemID = IDM_TEST_OPEN;
        measure.itemData = (static_cast<ULONG_PTR>(IDM_TEST_TOOLBAR) << 16) | IDM_TEST_OPEN;
        EXPECT_TRUE(SendMessageA(owner.hWnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
        EXPECT_EQ(static_cast<UINT>(label.cx + shortcut.cx + 16 + 16 + 30), measure.itemWidth);
        EXPECT_EQ(static_cast<UINT>(std::max<LONG>(label.cy, 16) + 3), measure.itemHeight);
        // Drawing an item with and without a button image.
        HDC screen = GetDC(owner.hWnd);
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.hDC = screen;
        draw.rcItem = RECT{0, 0, static_cast<LONG>(measure.itemWidth), static_cast<LONG>(measure.itemHeight)};
        draw.itemData = measure.itemData;
        EXPECT_TRUE(SendMessageA(owner.hWnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)));
        draw.itemData = (static_cast<ULONG_PTR>(IDM_TEST_TOOLBAR) << 16) | IDM_TEST_NOBUTTON;
        draw.itemState = ODS_GRAYED | ODS_SELECTED;
        EXPECT_TRUE(SendMessageA(owner.hWnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)));
        ReleaseDC(owner.hWnd, screen);

        bar.reset();
        SetMenu(owner.hWnd, nullptr);
        DestroyMenu(menu);
    }
}

TEST_F(NEWTOOLBARTEST, MenuIdsBeyondFifteenBitsStayPlain)
{
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 0x8001, "Too &high");
    AppendMenuA(menu, MF_STRING, 0x7FFF, "&Highest");
    std::unique_ptr<NEWTOOLBAR> bar = MakeBar();
    LOGCAPTURE log;
    bar->AttachMenu(menu, 7, true);
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoA(menu, 0, TRUE, &item));
    EXPECT_FALSE(item.fType & MFT_OWNERDRAW);
    ASSERT_TRUE(GetMenuItemInfoA(menu, 1, TRUE, &item));
    EXPECT_TRUE(item.fType & MFT_OWNERDRAW);
    EXPECT_EQ((7u << 16) | 0x8000u | 0x7FFFu, item.dwItemData); // attached as the menu bar
    EXPECT_EQ(1, log.Failures());
    bar.reset();
    DestroyMenu(menu);
}

TEST_F(NEWTOOLBARTEST, PaintsEnabledDisabledCheckedAndHot)
{
    std::unique_ptr<NEWTOOLBAR> bar = MakeBar();
    bar->AddButton(IDM_TEST_OPEN, STYLE_CHECK | STYLE_TEXT, "Open", IDI_TEST_TOOL1);
    bar->AddButton(IDM_TEST_PRINT, STYLE_ARROW, IDI_TEST_TOOL2);
    bar->AddButton(IDM_TEST_SEND, STYLE_GAP, IDI_TEST_TOOL1);
    bar->CheckButton(IDM_TEST_OPEN, true);
    bar->EnableButton(IDM_TEST_SEND, false);
    const BUTTON *print = bar->GetButton(IDM_TEST_PRINT);
    SendMessageA(bar->hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(print->X + 3, print->Y + 3));
    EXPECT_TRUE(bar->GetButton(IDM_TEST_PRINT)->State & STATE_HOT);
    // The disabled button's image is grey; the enabled one of the same icon has colour.  The bar
    // is drawn into a bitmap of its own: the screen may show other tests' windows.
    RECT client = bar->GetClientRect();
    MEMORYBITMAP picture(bar->hWnd, client.right, client.bottom);
    HDC dc = picture.GetDC();
    SendMessageA(bar->hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    auto coloured = [&](const BUTTON *b) {
        int n = 0;
        for (int y = b->Y; y < b->Y + 16; ++y)
            for (int x = b->X; x < b->X + 16; ++x) {
                COLORREF c = GetPixel(dc, x, y);
                if (GetRValue(c) != GetGValue(c) || GetGValue(c) != GetBValue(c))
                    ++n;
            }
        return n;
    };
    EXPECT_GT(coloured(bar->GetButton(IDM_TEST_OPEN)), 0);
    EXPECT_EQ(0, coloured(bar->GetButton(IDM_TEST_SEND)));
    // Leaving the bar clears hot.
    SendMessageA(bar->hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(-5, -5));
    EXPECT_FALSE(bar->GetButton(IDM_TEST_PRINT)->State & STATE_HOT);
}

TEST_F(NEWTOOLBARTEST, DisablingClearsHotUnlessChecked)
{
    std::unique_ptr<NEWTOOLBAR> bar = MakeBar();
    bar->AddButton(IDM_TEST_OPEN, STYLE_CHECK, IDI_TEST_TOOL1);
    bar->AddButton(IDM_TEST_PRINT, 0, IDI_TEST_TOOL2);
    for (int id : {IDM_TEST_OPEN, IDM_TEST_PRINT}) {
        const BUTTON *b = bar->GetButton(id);
        SendMessageA(bar->hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(b->X + 3, b->Y + 3));
        ASSERT_TRUE(bar->GetButton(id)->State & STATE_HOT) << id;
        if (id == IDM_TEST_OPEN)
            bar->CheckButton(id, true);
        EXPECT_TRUE(bar->EnableButton(id, false));
        EXPECT_EQ(id == IDM_TEST_OPEN, (bar->GetButton(id)->State & STATE_HOT) != 0) << id;
        EXPECT_FALSE(bar->GetButton(id)->State & STATE_ENABLED);
    }
    // A disabled button under the pointer does not become hot.
    const BUTTON *print = bar->GetButton(IDM_TEST_PRINT);
    SendMessageA(bar->hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(print->X + 4, print->Y + 4));
    EXPECT_FALSE(bar->GetButton(IDM_TEST_PRINT)->State & STATE_HOT);
}
