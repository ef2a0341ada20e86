// The toolbar window: buttons, images, tooltips, the stored symbol size, painting, the mouse and
// the owner-drawn menu items (see newtoolbar.h).
#include "kestar/windowing/newtoolbar.h"

#include "kestar/base/dllinterface.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/registry.h"
#include "kestar/windowing/drawcontext.h"
#include "kestar/windowing/menu.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifndef COLOR_MENUHILIGHT
#define COLOR_MENUHILIGHT 29
#endif
#ifndef COLOR_MENUBAR
#define COLOR_MENUBAR 30
#endif
#ifndef ODS_HOTLIGHT
#define ODS_HOTLIGHT 0x0040
#endif

using namespace TOOLBARMATH;

namespace {

const char kClass[] = "OrvakWinClassNewToolbar";
const char kMissing[] = "** menuitem not found **";

std::u16string ToU16(const WSTRING &text)
{
    const char16_t *chars = text.GetBuffer();
    return chars ? std::u16string(chars, static_cast<size_t>(text.Length())) : std::u16string();
}

const wchar_t *W(const std::u16string &text)
{
    return reinterpret_cast<const wchar_t *>(text.c_str());
}

int BarHeight(int s)
{
    return s + std::min(s + 1, 25) + 1;
}

// The REBAR theme colour (uxtheme, loaded at run time); false when the theme cannot tell.
bool RebarThemeColour(HWND window, COLORREF *colour)
{
    typedef HANDLE(WINAPI * OPENTHEMEDATA)(HWND, LPCWSTR);
    typedef HRESULT(WINAPI * GETTHEMECOLOR)(HANDLE, int, int, int, COLORREF *);
    typedef HRESULT(WINAPI * CLOSETHEMEDATA)(HANDLE);
    DLLINTERFACE uxtheme("uxtheme.dll");
    OPENTHEMEDATA open = reinterpret_cast<OPENTHEMEDATA>(uxtheme.GetFunction("OpenThemeData"));
    GETTHEMECOLOR get = reinterpret_cast<GETTHEMECOLOR>(uxtheme.GetFunction("GetThemeColor"));
    CLOSETHEMEDATA close = reinterpret_cast<CLOSETHEMEDATA>(uxtheme.GetFunction("CloseThemeData"));
    if (!open || !get || !close)
        return false;
    HANDLE theme = open(window, L"REBAR");
    if (!theme)
        return false;
    bool ok = get(theme, 0, 0, 3821, colour) == S_OK;
    close(theme);
    return ok;
}

void Fill(HDC dc, const RECT &rect, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour)
{
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void Outline(HDC dc, const RECT &rect, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FrameRect(dc, &rect, brush);
    DeleteObject(brush);
}

} // namespace

// ---- construction ----------------------------------------------------------------------------

NEWTOOLBAR::NEWTOOLBAR(HWND parent, int id, int smallSize, int largeSize, bool smallByDefault)
    : WINDOW(WS_CHILD, "", 0, 0, 40, smallSize + 18, parent, id, 0, kClass),
      ImageModule(static_cast<HMODULE>(OSYS::GetLanguageModule())),
      hImageList(nullptr),
      hTooltip(nullptr),
      hFont(nullptr),
      hMenuFont(nullptr),
      Menu(nullptr),
      OwnerPrevWinProc(nullptr),
      NoSubclass(false),
      Owner(parent),
      Bitmap(hWnd, 40, smallSize + 18),
      NumButtons(0),
      MaxButtons(128),
      SymbolSize(smallSize),
      SmallSize(smallSize),
      LargeSize(largeSize),
      MenuLoop(WM_EXITMENULOOP),
      DropDownOpen(false),
      hMenuBrush(nullptr)
{
    LOGIT::Printf("NEWTOOLBAR::NEWTOOLBAR\n");
    Look = LookFor(OSYS::GetOsVersionId(), HasManifest(nullptr));
    Themed = Look.Themed;
    Key = RegistryKey();
    if (SmallSize != LargeSize) {
        REGISTRY registry(Key, "Software\\Orvak", REGISTRY::USER_CURRENT);
        STRING value;
        if (registry.ReadString("SmallSymbols", value) && value.NotEmpty()) {
            SymbolSize = std::atoi(value) != 0 ? SmallSize : LargeSize;
        } else {
            SymbolSize = smallByDefault ? SmallSize : LargeSize;
            registry.WriteString("SmallSymbols", smallByDefault ? "1" : "0");
        }
    }
    ApplyHeight();
    Buttons.reserve(static_cast<size_t>(MaxButtons));
    Extras.reserve(static_cast<size_t>(MaxButtons));
    RebuildImageList();
    hTooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hWnd, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
    LOGFONTA font = {};
    if (SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0))
        hFont = CreateFontIndirectA(&font);
    ReadColours();
    LOGIT::Printf("NEWTOOLBAR::NEWTOOLBAR done\n");
}

NEWTOOLBAR::~NEWTOOLBAR()
{
    LOGIT::Printf("NEWTOOLBAR::~NEWTOOLBAR\n");
    if (OwnerPrevWinProc)
        SubclassOwner(false);
    if (hImageList)
        ImageList_Destroy(hImageList);
    if (hFont)
        DeleteObject(hFont);
    if (hMenuFont)
        DeleteObject(hMenuFont);
    if (hTooltip && IsWindow(hTooltip))
        DestroyWindow(hTooltip);
    if (hMenuBrush)
        DeleteObject(hMenuBrush);
    LOGIT::Printf("NEWTOOLBAR::~NEWTOOLBAR done\n");
}

STRING NEWTOOLBAR::RegistryKey() const
{
    STRING folder = OSYS::GetStringFromResource(10002);
    char name[32];
    std::snprintf(name, sizeof name, "Toolbar%d", Id);
    if (folder.IsEmpty())
        return STRING(name);
    return REGISTRY::JoinPath(folder, name);
}

void NEWTOOLBAR::ApplyHeight()
{
    RECT rect = {};
    if (hWnd)
        ::GetWindowRect(hWnd, &rect);
    SetSize(std::max<int>(rect.right - rect.left, 1), BarHeight(SymbolSize));
}

void NEWTOOLBAR::ReadColours()
{
    int version = OSYS::GetOsVersionId();
    COLORREF bar = GetSysColor(COLOR_BTNFACE);
    if (Look.Bar == BAR_MENUBAR) {
        bar = GetSysColor(COLOR_MENUBAR);
    } else if (Look.Bar == BAR_REBARTHEME) {
        COLORREF themed = 0;
        if (RebarThemeColour(hWnd, &themed))
            bar = themed;
    }
    Background = bar;
    HighlightBackground = Towards255(bar, Look.HighlightPercent);
    MenuHighlight = GetSysColor(version >= 3 ? COLOR_MENUHILIGHT : COLOR_MENU);
}

// ---- buttons ---------------------------------------------------------------------------------

int NEWTOOLBAR::Find(int command) const
{
    for (int i = 0; i < NumButtons; ++i)
        if (Buttons[static_cast<size_t>(i)].Command == command)
            return i;
    return -1;
}

const BUTTON *NEWTOOLBAR::GetButton(int command) const
{
    int i = Find(command);
    return i < 0 ? nullptr : &Buttons[static_cast<size_t>(i)];
}

WSTRING NEWTOOLBAR::GetButtonText(int command) const
{
    int i = Find(command);
    return i < 0 ? WSTRING() : Extras[static_cast<size_t>(i)].Text;
}

int NEWTOOLBAR::LoadButtonImage(int iconId)
{
    if (!hImageList || iconId <= 0)
        return -1;
    HICON icon = nullptr;
    if (ImageModule)
        icon = static_cast<HICON>(
            ::LoadImageA(ImageModule, MAKEINTRESOURCEA(iconId), IMAGE_ICON, SymbolSize, SymbolSize, 0));
    if (!icon)
        icon = static_cast<HICON>(::LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                               SymbolSize, SymbolSize, 0));
    if (!LOGIT::Assert(icon != nullptr, "hicon", __FILE__, __LINE__, nullptr, 0) || !icon)
        return -1;
    int image = ImageList_AddIcon(hImageList, icon);
    DestroyIcon(icon);
    return image;
}

void NEWTOOLBAR::RebuildImageList()
{
    if (hImageList)
        ImageList_Destroy(hImageList);
    int depth = GetScreenColorDepth();
    UINT colour = depth >= 32 ? ILC_COLOR32 : depth >= 24 ? ILC_COLOR24 : depth >= 16 ? ILC_COLOR16 : ILC_COLOR8;
    hImageList = ImageList_Create(SymbolSize, SymbolSize, ILC_MASK | colour, 8, 8);
    for (int i = 0; i < NumButtons; ++i)
        Extras[static_cast<size_t>(i)].Image = LoadButtonImage(Extras[static_cast<size_t>(i)].IconId);
}

STRING NEWTOOLBAR::MenuText(HMENU menu, int command) const
{
    if (!menu)
        return STRING();
    MENU wrapper = MENU::FromHandle(menu);
    return wrapper.GetMenuItemTextA(command, false);
}

bool NEWTOOLBAR::Add(int command, unsigned style, int iconId, const WSTRING *text, HMENU menu)
{
    if (NumButtons >= MaxButtons) {
        MaxButtons *= 2;
        Buttons.reserve(static_cast<size_t>(MaxButtons));
        Extras.reserve(static_cast<size_t>(MaxButtons));
    }
    if (!ORVAK_ASSERT(this->NumButtons < this->MaxButtons))
        return false;
    BUTTON button;
    button.Command = command;
    button.Style = NumButtons == 0 ? (style | STYLE_GAP) : style;
    button.State = InitialState(style);
    EXTRA extra;
    extra.IconId = iconId;
    extra.Image = -1;
    if (style & STYLE_TEXT) {
        HMENU from = menu ? menu : Menu;
        LOGIT::Assert(from != nullptr || text != nullptr, "pmenu!=NULL || wtext!=NULL", __FILE__, __LINE__, nullptr, 0);
        LOGIT::Assert(menu == nullptr || text == nullptr, "pmenu==NULL || wtext==NULL", __FILE__, __LINE__, nullptr, 0);
        std::u16string source;
        if (text)
            source = ToU16(*text);
        else if (from)
            source = ToU16(WSTRING(MenuText(from, command)));
        std::u16string clean = ButtonText(source);
        extra.Text = WSTRING(clean.c_str(), static_cast<STRING_SIZE_T>(clean.size()));
    }
    Buttons.push_back(button);
    Extras.push_back(extra);
    ++NumButtons;
    if (hTooltip) {
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = hWnd;
        tool.uId = static_cast<UINT_PTR>(command);
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        SendMessageA(hTooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    int image = LoadButtonImage(iconId);
    Extras.back().Image = image;
    ArrangeButtons();
    return image >= 0;
}

bool NEWTOOLBAR::AddButton(int command, unsigned style, int iconId, HMENU menu)
{
    return Add(command, style, iconId, nullptr, menu);
}

bool NEWTOOLBAR::AddButton(int command, unsigned style, const char *text, int iconId)
{
    if (text == nullptr)
        return Add(command, style, iconId, nullptr, nullptr);
    WSTRING wide(text, 1252);
    return Add(command, style, iconId, &wide, nullptr);
}

bool NEWTOOLBAR::AddButton(int command, unsigned style, const WSTRING &text, int iconId)
{
    return Add(command, style, iconId, &text, nullptr);
}

bool NEWTOOLBAR::EnableButton(int command, bool on)
{
    int i = Find(command);
    if (i < 0)
        return false;
    BUTTON &b = Buttons[static_cast<size_t>(i)];
    unsigned before = b.State;
    if (on) {
        b.State |= STATE_ENABLED;
    } else {
        b.State &= ~STATE_ENABLED;
        if (!(b.State & STATE_CHECKED))
            b.State &= ~STATE_HOT;
    }
    if (b.State != before)
        Invalidate(nullptr, false);
    return true;
}

bool NEWTOOLBAR::IsChecked(int command)
{
    const BUTTON *b = GetButton(command);
    return b && (b->State & STATE_CHECKED);
}

bool NEWTOOLBAR::CheckButton(int command, bool on)
{
    int i = Find(command);
    if (i < 0)
        return false;
    bool ok = TOOLBARMATH::CheckButton(Buttons.data(), NumButtons, i, on);
    ArrangeButtons();
    return ok;
}

bool NEWTOOLBAR::SetButtonText(int command, const char *text)
{
    int i = Find(command);
    if (i < 0)
        return false;
    std::u16string source = text ? ToU16(WSTRING(text, 1252)) : ToU16(WSTRING(MenuText(Menu, command)));
    std::u16string clean = ButtonText(source);
    Extras[static_cast<size_t>(i)].Text = WSTRING(clean.c_str(), static_cast<STRING_SIZE_T>(clean.size()));
    ArrangeButtons();
    return true;
}

void NEWTOOLBAR::SetSymbolSize(int size)
{
    SymbolSize = size;
    ApplyHeight();
    RebuildImageList();
    if (SmallSize != LargeSize) {
        REGISTRY registry(Key, "Software\\Orvak", REGISTRY::USER_CURRENT);
        const char *wanted = size == LargeSize ? "0" : "1";
        STRING stored;
        if (!registry.ReadString("SmallSymbols", stored) || std::strcmp(stored, wanted) != 0)
            registry.WriteString("SmallSymbols", wanted);
    }
    ArrangeButtons();
}

int NEWTOOLBAR::Resize(int y)
{
    RECT parent = {};
    ::GetClientRect(Owner, &parent);
    int height = BarHeight(SymbolSize);
    Move(0, y, parent.right - parent.left, height);
    ArrangeButtons();
    return height;
}

// ---- arrangement -----------------------------------------------------------------------------

void NEWTOOLBAR::ArrangeButtons()
{
    LOGIT::PrintfLevel(1, "NEWTOOLBAR::ArrangeButtons\n");
    RECT client = {};
    ::GetClientRect(hWnd, &client);
    if (client.right <= 0 || client.bottom <= 0)
        return;
    HDC dc = ::GetDC(hWnd);
    if (!LOGIT::Assert(dc != nullptr, "hdc", __FILE__, __LINE__, nullptr, 0) || !dc)
        return;
    HGDIOBJ old = SelectObject(dc, hFont ? hFont : GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 0; i < NumButtons; ++i) {
        const WSTRING &text = Extras[static_cast<size_t>(i)].Text;
        BUTTON &b = Buttons[static_cast<size_t>(i)];
        b.HasText = text.NotEmpty();
        b.TextWidth = 0;
        if (b.HasText) {
            SIZE size = {};
            GetTextExtentPoint32W(dc, text.GetWide(), static_cast<int>(text.Length()), &size);
            b.TextWidth = size.cx;
        }
    }
    SelectObject(dc, old);
    ::ReleaseDC(hWnd, dc);
    TOOLBARMATH::ArrangeButtons(Buttons.data(), NumButtons, SymbolSize, client.right);
    if (hTooltip) {
        for (int i = 0; i < NumButtons; ++i) {
            const BUTTON &b = Buttons[static_cast<size_t>(i)];
            TOOLINFOA tool = {};
            tool.cbSize = TTTOOLINFOA_V2_SIZE;
            tool.hwnd = hWnd;
            tool.uId = static_cast<UINT_PTR>(b.Command);
            tool.rect = RECT{b.X - 2, b.Y - 2, b.X + b.Width + 2, b.Y + SymbolSize + 2};
            SendMessageA(hTooltip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    Invalidate(nullptr, false);
    LOGIT::PrintfLevel(1, "NEWTOOLBAR::ArrangeButtons done\n");
}

LRESULT NEWTOOLBAR::OnSized()
{
    ArrangeButtons();
    return 0;
}

// ---- painting --------------------------------------------------------------------------------

LRESULT NEWTOOLBAR::WinProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PRINTCLIENT) {
        RECT client = GetClientRect();
        if (wParam && client.right > 0 && client.bottom > 0)
            Paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    return WINDOW::WinProc(message, wParam, lParam);
}

LRESULT NEWTOOLBAR::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(&paint);
    RECT client = GetClientRect();
    if (dc && client.right > 0 && client.bottom > 0) {
        Bitmap.ResizeToWindow(hWnd);
        if (Bitmap.GetDC()) {
            Paint(Bitmap.GetDC(), client);
            Bitmap.BitBlt(0, 0, dc);
        }
    }
    EndPaint(&paint);
    return 1;
}

void NEWTOOLBAR::Paint(HDC dc, const RECT &client)
{
    Fill(dc, client, Background);
    if (Themed) {
        DRAWCONTEXT context(dc, client);
        context.Gradient(client, Background, HighlightBackground, true, nullptr);
    }
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    if (Look.ShadowLine)
        Line(dc, 0, 1, client.right, 1, shadow);
    if (Look.HighlightLine)
        Line(dc, 0, 2, client.right, 2, light);
    Line(dc, 0, client.bottom - 2, client.right, client.bottom - 2, shadow);
    Line(dc, 0, client.bottom - 1, client.right, client.bottom - 1, light);
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < NumButtons; ++i)
        PaintButton(dc, i);
}

void NEWTOOLBAR::PaintButton(HDC dc, int index)
{
    const BUTTON &b = Buttons[static_cast<size_t>(index)];
    const EXTRA &extra = Extras[static_cast<size_t>(index)];
    if (b.State & (STATE_HIDDEN | STATE_NOFIT))
        return;
    const int s = SymbolSize;
    if (b.Style & STYLE_GAP) {
        Line(dc, b.X - 7, b.Y - 2, b.X - 7, b.Y + s + 2, GetSysColor(COLOR_BTNSHADOW));
        Line(dc, b.X - 6, b.Y - 2, b.X - 6, b.Y + s + 2, GetSysColor(COLOR_BTNHIGHLIGHT));
    }
    RECT box = {b.X - 2, b.Y - 2, b.X + b.Width + 2, b.Y + s + 2};
    bool hot = (b.State & STATE_HOT) != 0, pressed = (b.State & STATE_PRESSED) != 0;
    bool checked = (b.State & STATE_CHECKED) != 0;
    if (Themed) {
        if (hot || pressed || checked) {
            COLORREF fill = hot && pressed ? RGB(152, 181, 226) : hot ? RGB(193, 210, 238) : RGB(193, 211, 238);
            Fill(dc, box, fill);
            if (hot)
                Outline(dc, box, RGB(49, 106, 197));
            else if (checked)
                Outline(dc, box, RGB(131, 166, 220));
        }
    } else {
        if (checked)
            Fill(dc, box, Towards255(Background, 40));
        if (hot || pressed || checked) {
            bool sunken = pressed || checked;
            COLORREF topLeft = GetSysColor(sunken ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
            COLORREF bottomRight = GetSysColor(sunken ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW);
            Line(dc, box.left, box.top, box.right - 1, box.top, topLeft);
            Line(dc, box.left, box.top, box.left, box.bottom - 1, topLeft);
            Line(dc, box.left, box.bottom - 1, box.right, box.bottom - 1, bottomRight);
            Line(dc, box.right - 1, box.top, box.right - 1, box.bottom, bottomRight);
        }
    }
    if (HasDropDown(b)) {
        int a = ArrowWidth(s);
        int right = b.X + b.Width;
        int cx = right - a / 2 - 1, cy = b.Y + s / 2;
        COLORREF arrow = GetSysColor((b.State & STATE_ENABLED) ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
        for (int row = 0; row < 3; ++row)
            Line(dc, cx - 2 + row, cy - 1 + row, cx + 3 - row, cy - 1 + row, arrow);
        if ((b.Style & STYLE_ARROW) && (hot || pressed))
            Line(dc, right - a, box.top + 1, right - a, box.bottom - 1, GetSysColor(COLOR_BTNSHADOW));
    }
    if (extra.Image >= 0) {
        if (b.State & STATE_ENABLED)
            ImageList_Draw(hImageList, extra.Image, dc, b.X, b.Y, ILD_TRANSPARENT);
        else
            PaintDisabledImage(dc, extra.Image, b.X, b.Y);
    }
    if ((b.TextFlags & TEXT_HAS) && !(b.TextFlags & TEXT_DROPPED)) {
        HGDIOBJ old = SelectObject(dc, hFont ? hFont : GetStockObject(DEFAULT_GUI_FONT));
        SetTextColor(dc, GetSysColor((b.State & STATE_ENABLED) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        RECT text = {b.X + s + s / 4 + 3, b.Y - 2, b.X + b.Width + 2, b.Y + s + 2};
        DrawTextW(dc, extra.Text.GetWide(), static_cast<int>(extra.Text.Length()), &text,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SelectObject(dc, old);
    }
}

// The image in grey: drawn on the background colour into a scratch bitmap, every pixel that is
// not the background turned grey, laid over what is already there.
void NEWTOOLBAR::PaintDisabledImage(HDC dc, int image, int x, int y)
{
    const int s = SymbolSize;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = s;
    info.bmiHeader.biHeight = -s;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *iconBits = nullptr, *underBits = nullptr;
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP icon = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &iconBits, nullptr, 0);
    HBITMAP under = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &underBits, nullptr, 0);
    if (!mem || !icon || !under) {
        if (icon)
            DeleteObject(icon);
        if (under)
            DeleteObject(under);
        if (mem)
            DeleteDC(mem);
        return;
    }
    HGDIOBJ old = SelectObject(mem, under);
    ::BitBlt(mem, 0, 0, s, s, dc, x, y, SRCCOPY);
    SelectObject(mem, icon);
    RECT all = {0, 0, s, s};
    Fill(mem, all, Background);
    ImageList_Draw(hImageList, image, mem, 0, 0, ILD_TRANSPARENT);
    GdiFlush();
    const uint32_t key = (GetRValue(Background) << 16) | (GetGValue(Background) << 8) | GetBValue(Background);
    uint32_t *src = static_cast<uint32_t *>(iconBits);
    uint32_t *dst = static_cast<uint32_t *>(underBits);
    for (int i = 0; i < s * s; ++i) {
        uint32_t p = src[i] & 0x00FFFFFF;
        if (p == key)
            continue;
        int grey = GreyOf(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                          static_cast<int>(p & 0xFF));
        uint32_t g = static_cast<uint32_t>(std::min(grey, 255));
        dst[i] = (g << 16) | (g << 8) | g;
    }
    SelectObject(mem, under);
    ::BitBlt(dc, x, y, s, s, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(icon);
    DeleteObject(under);
    DeleteDC(mem);
}

// ---- mouse -----------------------------------------------------------------------------------

int NEWTOOLBAR::ButtonAt(int x, int y) const
{
    for (int i = 0; i < NumButtons; ++i) {
        const BUTTON &b = Buttons[static_cast<size_t>(i)];
        if (b.State & (STATE_HIDDEN | STATE_NOFIT))
            continue;
        if (x >= b.X - 2 && x < b.X + b.Width + 2 && y >= b.Y - 2 && y < b.Y + SymbolSize + 2)
            return i;
    }
    return -1;
}

LRESULT NEWTOOLBAR::OnMouse(UINT message, int x, int y, int keys)
{
    (void)keys;
    switch (message) {
    case WM_MOUSEMOVE: {
        RECT client = GetClientRect();
        bool inside = x >= 0 && y >= 0 && x < client.right && y < client.bottom;
        int at = inside ? ButtonAt(x, y) : -1;
        if (at >= 0 && !(Buttons[static_cast<size_t>(at)].State & STATE_ENABLED))
            at = -1;
        bool changed = false;
        for (int i = 0; i < NumButtons; ++i) {
            BUTTON &b = Buttons[static_cast<size_t>(i)];
            unsigned before = b.State;
            if (i == at)
                b.State |= STATE_HOT;
            else
                b.State &= ~STATE_HOT;
            changed = changed || b.State != before;
        }
        if (at >= 0 && GetCapture() != hWnd)
            ::SetCapture(hWnd);
        else if (!inside && GetCapture() == hWnd)
            ReleaseCapture();
        if (changed)
            Invalidate(nullptr, false);
        return 1;
    }
    case WM_LBUTTONDOWN: {
        int at = ButtonAt(x, y);
        if (at >= 0 && (Buttons[static_cast<size_t>(at)].State & STATE_ENABLED)) {
            Buttons[static_cast<size_t>(at)].State |= STATE_HOT | STATE_PRESSED;
            Invalidate(nullptr, false);
        }
        return 1;
    }
    case WM_LBUTTONUP: {
        int at = ButtonAt(x, y);
        for (int i = 0; i < NumButtons; ++i)
            Buttons[static_cast<size_t>(i)].State &= ~STATE_PRESSED;
        Invalidate(nullptr, false);
        if (at < 0 || !(Buttons[static_cast<size_t>(at)].State & STATE_HOT) ||
            !(Buttons[static_cast<size_t>(at)].State & STATE_ENABLED))
            return 1;
        BUTTON b = Buttons[static_cast<size_t>(at)];
        bool arrow = (b.Style & STYLE_DROPDOWN) ||
                     ((b.Style & STYLE_ARROW) && x >= b.X + b.Width - ArrowWidth(SymbolSize));
        if (arrow) {
            if (!DropDownOpen) {
                DropDownOpen = true;
                SetTimer(TIMER_DROPDOWN, DROPDOWN_GUARD_MS);
                NMTOOLBARA notify = {};
                notify.hdr.hwndFrom = hWnd;
                notify.hdr.idFrom = static_cast<UINT_PTR>(Id);
                notify.hdr.code = static_cast<UINT>(TBN_DROPDOWN);
                notify.iItem = b.Command;
                notify.rcButton = RECT{b.X, b.Y, b.X + b.Width, b.Y + SymbolSize};
                SendMessageA(Owner, WM_NOTIFY, static_cast<WPARAM>(Id), reinterpret_cast<LPARAM>(&notify));
            }
            return 1;
        }
        PostMessageA(Owner, WM_COMMAND, static_cast<WPARAM>(b.Command), 0);
        LOGIT::Printf("NEWTOOLBAR::WM_LBUTTON %d posted message WM_COMMAND, %d, 0\n", at, b.Command);
        if (b.Style & STYLE_CHECK)
            CheckButton(b.Command, !(b.State & STATE_CHECKED));
        return 1;
    }
    default:
        return 0;
    }
}

LRESULT NEWTOOLBAR::OnTimer(UINT_PTR timer)
{
    if (timer != TIMER_DROPDOWN)
        return 0;
    KillTimer(TIMER_DROPDOWN);
    DropDownOpen = false;
    return 1;
}

LRESULT NEWTOOLBAR::OnCommand(int command)
{
    if (command != CMD_SMALLSYMBOLS && command != CMD_LARGESYMBOLS)
        return 0;
    SetSymbolSize(command == CMD_SMALLSYMBOLS ? SmallSize : LargeSize);
    RECT parent = {};
    ::GetClientRect(Owner, &parent);
    PostMessageA(Owner, WM_SIZE, SIZE_RESTORED, MAKELPARAM(parent.right, parent.bottom));
    return 1;
}

LRESULT NEWTOOLBAR::OnNotify(int code, CONTROL *control, LPARAM data)
{
    (void)control;
    if (code != static_cast<int>(TTN_GETDISPINFOA) || data == 0)
        return 0;
    NMTTDISPINFOA *info = reinterpret_cast<NMTTDISPINFOA *>(data);
    int command = static_cast<int>(info->hdr.idFrom);
    std::string text;
    STRING fromMenu = MenuText(Menu, command);
    if (fromMenu.NotEmpty()) {
        text = static_cast<const char *>(fromMenu);
    } else {
        info->szText[0] = '\0';
        info->lpszText = info->szText;
        SendMessageA(Owner, WM_NOTIFY, info->hdr.idFrom, data);
        if (info->lpszText && !IS_INTRESOURCE(info->lpszText))
            text = info->lpszText;
    }
    std::string tip = TooltipText(text);
    std::memcpy(info->szText, tip.c_str(), tip.size() + 1);
    info->lpszText = info->szText;
    info->hinst = nullptr;
    return 1;
}

// ---- the owner and its menu ------------------------------------------------------------------

bool NEWTOOLBAR::AttachMenu(HMENU menu, int menuId, bool noSubclass)
{
    Menu = menu;
    NoSubclass = noSubclass;
    if (!noSubclass)
        SubclassOwner(true);
    return MenuImages(menu, menuId, true);
}

bool NEWTOOLBAR::SubclassOwner(bool on)
{
    if (!Owner || !IsWindow(Owner))
        return false;
    if (on) {
        if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(Owner, GWLP_WNDPROC)) == OwnerWinProc)
            return true;
        HWND hwndtoolbar = FindWindowExA(Owner, nullptr, kClass, nullptr);
        if (!LOGIT::Assert(hwndtoolbar == hWnd, "hwndtoolbar==this->Hwnd()", __FILE__, __LINE__, nullptr, 0) ||
            hwndtoolbar != hWnd)
            return false;
        OwnerPrevWinProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(Owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OwnerWinProc)));
        return true;
    }
    if (!OwnerPrevWinProc)
        return false;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(Owner, GWLP_WNDPROC)) == OwnerWinProc)
        SetWindowLongPtrA(Owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OwnerPrevWinProc));
    OwnerPrevWinProc = nullptr;
    return true;
}

LRESULT CALLBACK NEWTOOLBAR::OwnerWinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hwndtoolbar = FindWindowExA(window, nullptr, kClass, nullptr);
    NEWTOOLBAR *This =
        hwndtoolbar ? reinterpret_cast<NEWTOOLBAR *>(GetWindowLongPtrA(hwndtoolbar, GWLP_USERDATA)) : nullptr;
    if (!LOGIT::Assert(This != nullptr && This->hWnd == hwndtoolbar, "This!=NULL && This->Hwnd()==hwndtoolbar",
                       __FILE__, __LINE__, nullptr, 0) ||
        This == nullptr || This->hWnd != hwndtoolbar || This->OwnerPrevWinProc == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    WNDPROC previous = This->OwnerPrevWinProc;
    switch (message) {
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT *item = reinterpret_cast<MEASUREITEMSTRUCT *>(lParam);
        if (item && item->CtlType == ODT_MENU) {
            This->MeasureMenuItem(item);
            CallWindowProcA(previous, window, message, wParam, lParam);
            return TRUE;
        }
        break;
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT *item = reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
        if (item && item->CtlType == ODT_MENU) {
            This->DrawMenuItem(item);
            CallWindowProcA(previous, window, message, wParam, lParam);
            return TRUE;
        }
        break;
    }
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
        This->MenuLoop = message;
        DrawMenuBar(window);
        break;
    default:
        break;
    }
    return CallWindowProcA(previous, window, message, wParam, lParam);
}

bool NEWTOOLBAR::MenuImages(HMENU menu, int menuId, bool menuBar)
{
    LOGIT::Assert(this->OwnerPrevWinProc || this->NoSubclass, "this->OwnerPrevWinProc || this->NoSubclass", __FILE__,
                  __LINE__, nullptr, 0);
    if (!menu)
        return false;
    MenuImagesOf(menu, menuId, menuBar, 0);
    if (menuBar && Look.MenuBarImages) {
        if (!hMenuBrush)
            hMenuBrush = CreateSolidBrush(MenuHighlight);
        MENUINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = MIM_BACKGROUND;
        info.hbrBack = hMenuBrush;
        SetMenuInfo(menu, &info);
    }
    return true;
}

void NEWTOOLBAR::MenuImagesOf(HMENU menu, int menuId, bool menuBar, int depth)
{
    // Submenus are made owner-drawn too (a menu bar's items all open one); the depth stops a
    // menu that holds itself.
    if (depth > 8)
        return;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = sizeof text - 1;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item))
            continue;
        if (item.hSubMenu)
            MenuImagesOf(item.hSubMenu, menuId, false, depth + 1);
        if (item.fType & (MFT_SEPARATOR | MFT_BITMAP))
            continue;
        if (item.fType & MFT_OWNERDRAW)
            continue; // done before: its text is kept already
        bool opens = item.hSubMenu != nullptr;
        if (opens && !(menuBar && Look.MenuBarImages))
            continue;
        // An item that opens a submenu has no command id: its position stands for it.
        int id = opens ? i : static_cast<int>(item.wID);
        uint32_t data = 0;
        if (!MenuItemData(menuId, menuBar, id, &data))
            continue;
        char key[48];
        std::snprintf(key, sizeof key, "%s%d", menuBar ? "MB" : "", id);
        MenuTexts[key] = text;
        MENUITEMINFOA change = {};
        change.cbSize = sizeof change;
        change.fMask = MIIM_FTYPE | MIIM_DATA;
        change.fType = item.fType | MFT_OWNERDRAW;
        change.dwItemData = data;
        BOOL ok = SetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &change);
        if (!ok) {
            char info[320];
            std::snprintf(info, sizeof info, "id= %d, menuid= %d, index= %d, text= %s", id, menuId, i, text);
            LOGIT::Assert(0, "ok", __FILE__, __LINE__, info, 0);
        }
    }
}

HFONT NEWTOOLBAR::MenuFont()
{
    if (!hMenuFont) {
        NONCLIENTMETRICSA metrics = {};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            hMenuFont = CreateFontIndirectA(&metrics.lfMenuFont);
    }
    return hMenuFont ? hMenuFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

LRESULT NEWTOOLBAR::MeasureMenuItem(MEASUREITEMSTRUCT *item)
{
    bool menuBar = (item->itemData & 0x8000) != 0;
    int id = static_cast<int>(item->itemData & 0x7FFF);
    char key[48];
    std::snprintf(key, sizeof key, "%s%d", menuBar ? "MB" : "", id);
    STRING *stored = nullptr;
    WSTRING text(MenuTexts.Exists(key, &stored) && stored ? static_cast<const char *>(*stored) : kMissing, 1252);
    std::u16string label, shortcut;
    SplitMenuText(ToU16(text), &label, &shortcut);
    HDC dc = ::GetDC(hWnd);
    if (!LOGIT::Assert(dc != nullptr, "hdc", __FILE__, __LINE__, nullptr, 0) || !dc)
        return 0;
    HGDIOBJ old = SelectObject(dc, MenuFont());
    SIZE labelSize = {}, shortcutSize = {};
    GetTextExtentPoint32W(dc, W(label), static_cast<int>(label.size()), &labelSize);
    if (!shortcut.empty())
        GetTextExtentPoint32W(dc, W(shortcut), static_cast<int>(shortcut.size()), &shortcutSize);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ::ReleaseDC(hWnd, dc);
    int width = 0, height = 0;
    MenuItemSize(labelSize.cx, shortcutSize.cx, !shortcut.empty(), std::max<int>(labelSize.cy, metrics.tmHeight),
                 SymbolSize, menuBar, &width, &height);
    item->itemWidth = static_cast<UINT>(width);
    item->itemHeight = static_cast<UINT>(height);
    return 1;
}

LRESULT NEWTOOLBAR::DrawMenuItem(const DRAWITEMSTRUCT *item)
{
    bool menuBar = (item->itemData & 0x8000) != 0;
    int id = static_cast<int>(item->itemData & 0x7FFF);
    LOGIT::PrintfLevel(7, "NEWTOOLBAR::MenuItemDrawing id= %d , state= %4x, ismenubaritem= %d\n", id,
                       static_cast<unsigned>(item->itemState), menuBar ? 1 : 0);
    HDC dc = item->hDC;
    RECT rect = item->rcItem;
    bool selected = (item->itemState & (ODS_SELECTED | ODS_HOTLIGHT)) != 0;
    bool grey = (item->itemState & (ODS_DISABLED | ODS_GRAYED)) != 0;
    Fill(dc, rect, selected ? MenuHighlight : GetSysColor(menuBar && Look.MenuBarImages ? COLOR_MENUBAR : COLOR_MENU));

    char key[48];
    std::snprintf(key, sizeof key, "%s%d", menuBar ? "MB" : "", id);
    STRING *stored = nullptr;
    std::string raw = MenuTexts.Exists(key, &stored) && stored ? static_cast<const char *>(*stored) : kMissing;
    int left = rect.left + 2;
    if (!menuBar) {
        int i = Find(id);
        if (i >= 0 && Extras[static_cast<size_t>(i)].Image >= 0) {
            int top = rect.top + (rect.bottom - rect.top - SymbolSize) / 2;
            if (grey)
                PaintDisabledImage(dc, Extras[static_cast<size_t>(i)].Image, left, top);
            else
                ImageList_Draw(hImageList, Extras[static_cast<size_t>(i)].Image, dc, left, top, ILD_TRANSPARENT);
        }
        left += SymbolSize + 8;
    }
    HGDIOBJ old = SelectObject(dc, MenuFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(grey ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    RECT textRect = {left, rect.top, rect.right - 8, rect.bottom};
    UINT flags = DT_SINGLELINE | DT_VCENTER;
    if (menuBar) {
        // The mnemonics show only while the owner is in its menu loop.
        std::string shown = raw;
        if (MenuLoop != WM_ENTERMENULOOP) {
            shown.erase(std::remove(shown.begin(), shown.end(), '&'), shown.end());
            flags |= DT_NOPREFIX;
        }
        WSTRING wide(shown.c_str(), 1252);
        textRect.left = rect.left;
        textRect.right = rect.right;
        DrawTextW(dc, wide.GetWide(), static_cast<int>(wide.Length()), &textRect, flags | DT_CENTER);
    } else {
        std::u16string label, shortcut;
        SplitMenuText(ToU16(WSTRING(raw.c_str(), 1252)), &label, &shortcut);
        DrawTextW(dc, W(label), static_cast<int>(label.size()), &textRect, flags | DT_NOPREFIX);
        if (!shortcut.empty())
            DrawTextW(dc, W(shortcut), static_cast<int>(shortcut.size()), &textRect, flags | DT_NOPREFIX | DT_RIGHT);
    }
    SelectObject(dc, old);
    return 1;
}
