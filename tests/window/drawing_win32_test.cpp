// Drawing and fonts under Wine: memory bitmaps, the drawing context's renderers and its alpha
// readings, frames, gradients with and without GradientFill, the font texts through LOGFONT, and
// window and control fonts.
#include "kestar/windowing/controlfont.h"
#include "kestar/windowing/drawcontext.h"
#include "kestar/windowing/memorybitmap.h"
#include "kestar/windowing/window.h"
#include "kestar/windowing/windowfont.h"
#include "kestar/windowing/windraw.h"

#include "kestar/base/osysinfo.h"
#include "tests/support/logcapture_support.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// A white 64 x 130 memory bitmap with a drawing context on it.
class SHEET {
public:
    SHEET(int cx = 64, int cy = 130) : bitmap(nullptr, cx, cy), dc(bitmap.GetDC(), RECT{0, 0, cx, cy})
    {
        RECT all = {0, 0, cx, cy};
        dc.FillRect(all, 0x00FFFFFF);
    }
    COLORREF At(int x, int y) { return GetPixel(bitmap.GetDC(), x, y); }
    MEMORYBITMAP bitmap;
    DRAWCONTEXT dc;
};

int Red(COLORREF c)
{
    return GetRValue(c);
}

// Keeps the system's version id and GradientFill as they were.
class VERSIONOVERRIDE {
public:
    explicit VERSIONOVERRIDE(int id)
    {
        OSYS::SetOsVersionIdOverride(id);
        DRAWCONTEXT::ForgetGradientFill();
    }
    ~VERSIONOVERRIDE()
    {
        OSYS::SetOsVersionIdOverride(-1);
        DRAWCONTEXT::ForgetGradientFill();
    }
};

} // namespace

TEST(MEMORYBITMAP, SizesAndResize)
{
    HDC screen = GetDC(nullptr);
    HBITMAP tiny = MEMORYBITMAP::CreateMemoryBitmap(screen, 0, 0);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(nullptr, tiny);
    BITMAP info = {};
    GetObjectA(tiny, sizeof info, &info);
    EXPECT_EQ(1, info.bmWidth);
    EXPECT_EQ(1, info.bmHeight);
    DeleteObject(tiny);

    MEMORYBITMAP bitmap(nullptr, 40, 30);
    ASSERT_NE(nullptr, bitmap.GetDC());
    EXPECT_EQ(40, bitmap.GetWidth());
    EXPECT_EQ(0, bitmap.Resize(40, 30));
    EXPECT_EQ(1, bitmap.Resize(80, 10));
    EXPECT_EQ(80, bitmap.GetWidth());
    GetObjectA(bitmap.GetBitmap(), sizeof info, &info);
    EXPECT_EQ(80, info.bmWidth);
    EXPECT_EQ(10, info.bmHeight);
    EXPECT_GE(info.bmBitsPixel, 16); // compatible with the screen, not the monochrome memory DC

    // A window with an empty client area still gets a 1 x 1 bitmap.
    WINDOW empty(WS_POPUP, "", 0, 0, 0, 0, nullptr, 0, 0);
    MEMORYBITMAP forEmpty(empty.hWnd, 0, 0);
    EXPECT_EQ(1, forEmpty.GetWidth());
    EXPECT_EQ(1, forEmpty.GetHeight());
    WINDOW window(WS_POPUP, "", 0, 0, 120, 70, nullptr, 0, 0);
    MEMORYBITMAP forWindow(window.hWnd, 5, 0);
    EXPECT_EQ(120, forWindow.GetWidth());
    EXPECT_EQ(70, forWindow.GetHeight());
    EXPECT_EQ(1, forWindow.Resize(10, 10));
    EXPECT_EQ(1, forWindow.ResizeToWindow());
    EXPECT_EQ(120, forWindow.GetWidth());
}

TEST(MEMORYBITMAP, DibFallbackHasTheReferenceDepth)
{
    LOGCAPTURE log;
    MEMORYBITMAP::ForceDibFallback(true);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = MEMORYBITMAP::CreateMemoryBitmap(screen, 0, 5);
    ReleaseDC(nullptr, screen);
    MEMORYBITMAP::ForceDibFallback(false);
    ASSERT_NE(nullptr, bitmap);
    DIBSECTION section = {};
    ASSERT_EQ(static_cast<int>(sizeof section), GetObjectA(bitmap, sizeof section, &section));
    EXPECT_EQ(1, section.dsBm.bmWidth);
    EXPECT_EQ(5, section.dsBm.bmHeight);
    EXPECT_EQ(MEMORYBITMAP::ReferenceBitCount(), section.dsBmih.biBitCount);
    DeleteObject(bitmap);
    EXPECT_EQ(1, log.CountLines("CreateCompatibleBitmap 1/5 failed, fallback to DIBitmap"));
    EXPECT_TRUE(log.Conditions().empty());
}

TEST(DRAWCONTEXT, OpaqueAndAlphaColours)
{
    EXPECT_FALSE(DRAWCONTEXT::IsGdiplusColour(0x00FF0000));
    EXPECT_FALSE(DRAWCONTEXT::IsGdiplusColour(0xFFFF0000));
    SHEET sheet;
    EXPECT_TRUE(DRAWCONTEXT::IsGdiplusColour(0x80FF0000)); // GDI+ started with the first context

    // 0x00 and 0xFF draw opaque with GDI.
    RECT a = {0, 0, 10, 10}, b = {10, 0, 20, 10};
    sheet.dc.FillRect(a, 0x00FF0000);
    sheet.dc.FillRect(b, 0xFF0000FF);
    EXPECT_EQ(RGB(0, 0, 255), sheet.At(5, 5));
    EXPECT_EQ(RGB(255, 0, 0), sheet.At(15, 5));

    // Blue with top byte 0x80: filled at about alpha 0x7F, drawn at 0x80; 0x40 shows the two
    // readings apart (fill alpha 0xBF, line alpha 0x40).  White under it: red = 255 - alpha.
    struct CASE {
        uint32_t colour;
        int fillRed, lineDarkness;
    } cases[] = {{0x80FF0000, 255 - 0x7F, 0x80}, {0x40FF0000, 255 - 0xBF, 0x40}, {0xC0FF0000, 255 - 0x3F, 0xC0}};
    for (const CASE &c : cases) {
        SHEET s;
        RECT fill = {0, 0, 30, 30};
        ASSERT_TRUE(s.dc.FillRect(fill, c.colour));
        EXPECT_NEAR(c.fillRed, Red(s.At(15, 15)), 4) << std::hex << c.colour;
        EXPECT_EQ(255, GetBValue(s.At(15, 15)));
        ASSERT_TRUE(s.dc.DrawLine(5, 60, 55, 60, c.colour));
        // Anti-aliased: the line may spread over two rows; its coverage adds up to its alpha.
        int darkness = 0;
        for (int y = 57; y <= 63; ++y)
            darkness += 255 - Red(s.At(30, y));
        EXPECT_NEAR(c.lineDarkness, darkness, 12) << std::hex << c.colour;
    }

    // A GDI line puts back the pen and the current position; -1 uses the current pen.
    POINT before = {3, 4};
    MoveToEx(sheet.dc.GetHdc(), before.x, before.y, nullptr);
    HGDIOBJ pen = GetCurrentObject(sheet.dc.GetHdc(), OBJ_PEN);
    sheet.dc.DrawLine(0, 40, 60, 40, 0x0000FF00);
    POINT after;
    GetCurrentPositionEx(sheet.dc.GetHdc(), &after);
    EXPECT_EQ(3, after.x);
    EXPECT_EQ(4, after.y);
    EXPECT_EQ(pen, GetCurrentObject(sheet.dc.GetHdc(), OBJ_PEN));
    EXPECT_EQ(RGB(0, 255, 0), sheet.At(30, 40));
    sheet.dc.DrawLine(0, 42, 60, 42, 0xFFFFFFFF);
    EXPECT_EQ(RGB(0, 0, 0), sheet.At(30, 42)); // the DC's own black pen
}

TEST(DRAWCONTEXT, Frames)
{
    SHEET sheet;
    COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
    COLORREF dark = GetSysColor(COLOR_3DDKSHADOW), face = GetSysColor(COLOR_BTNFACE);
    struct CASE {
        int mode;
        COLORREF topLeft, bottomRight;
    } cases[] = {{1, highlight, shadow}, {2, highlight, dark}, {-1, shadow, highlight}, {-2, dark, highlight},
                 {0, RGB(10, 20, 30), RGB(10, 20, 30)}};
    for (const CASE &c : cases) {
        SHEET s;
        RECT r = {2, 2, 22, 12};
        EXPECT_TRUE(s.dc.Draw3DFrame(r, c.mode, true, c.mode == 0 ? RGB(10, 20, 30) : 0xFFFFFFFF));
        EXPECT_EQ(c.topLeft, s.At(2, 5)) << c.mode;     // left edge
        EXPECT_EQ(c.topLeft, s.At(10, 2)) << c.mode;    // top edge
        EXPECT_EQ(c.bottomRight, s.At(21, 5)) << c.mode; // right edge at right - 1
        EXPECT_EQ(c.bottomRight, s.At(10, 11)) << c.mode;
        EXPECT_EQ(c.mode == 0 ? RGB(10, 20, 30) : face, s.At(10, 6)) << c.mode;
        EXPECT_EQ(RGB(255, 255, 255), s.At(10, 12)) << c.mode; // nothing outside
    }
    {
        LOGCAPTURE log;
        RECT r = {2, 20, 22, 30};
        sheet.dc.Draw3DFrame(r, 3, false, 0xFFFFFFFF);
        EXPECT_EQ(RGB(0, 0, 0), sheet.At(2, 25));
        EXPECT_EQ(RGB(255, 255, 255), sheet.At(10, 25)); // not filled
        EXPECT_EQ(std::vector<std::string>{"mode==2 || mode==1 || mode==0 || mode==-1 || mode==-2"}, log.Conditions());
    }
    RECT r = {30, 20, 50, 30};
    sheet.dc.DrawFrame(r, RGB(200, 0, 0), RGB(0, 0, 200));
    EXPECT_EQ(RGB(200, 0, 0), sheet.At(30, 25));
    EXPECT_EQ(RGB(200, 0, 0), sheet.At(49, 25));
    EXPECT_EQ(RGB(200, 0, 0), sheet.At(40, 29));
    EXPECT_EQ(RGB(0, 0, 200), sheet.At(40, 25));
    EXPECT_EQ(RGB(255, 255, 255), sheet.At(50, 25));
    RECT hollow = {30, 40, 50, 50};
    sheet.dc.DrawFrame(hollow, RGB(200, 0, 0), 0xFFFFFFFF);
    EXPECT_EQ(RGB(255, 255, 255), sheet.At(40, 45));
}

TEST(DRAWCONTEXT, GradientsOnBothSidesOfTheVersion)
{
    RECT area = {0, 0, 10, 120};
    // Equal colours: a plain fill.
    {
        SHEET s;
        EXPECT_TRUE(s.dc.Gradient(area, RGB(0, 128, 0), RGB(0, 128, 0), true, nullptr));
        for (int y = 0; y < 120; y += 7)
            EXPECT_EQ(RGB(0, 128, 0), s.At(5, y));
    }
    // An old system (id 1) never loads GradientFill: 120 rows in bands of 2.
    {
        VERSIONOVERRIDE old(1);
        SHEET s;
        EXPECT_TRUE(s.dc.Gradient(area, RGB(0, 0, 0), RGB(240, 240, 240), true, nullptr));
        std::set<COLORREF> bands;
        for (int y = 0; y < 120; y += 2) {
            EXPECT_EQ(s.At(5, y), s.At(5, y + 1)) << y;
            bands.insert(s.At(5, y));
        }
        EXPECT_EQ(60u, bands.size());
        EXPECT_EQ(RGB(0, 0, 0), s.At(5, 0));
        // Horizontal: one line per column.
        RECT wide = {0, 0, 60, 5};
        s.dc.Gradient(wide, RGB(0, 0, 0), RGB(240, 0, 0), false, nullptr);
        EXPECT_EQ(RGB(0, 0, 0), s.At(0, 2));
        EXPECT_EQ(RGB(120, 0, 0), s.At(30, 2));
    }
    // A current system uses GradientFill: neighbouring rows differ within a band of 2.
    {
        VERSIONOVERRIDE current(9);
        SHEET s;
        EXPECT_TRUE(s.dc.Gradient(area, RGB(0, 0, 0), RGB(240, 240, 240), true, nullptr));
        int pairsDiffering = 0;
        for (int y = 0; y < 120; y += 2)
            pairsDiffering += s.At(5, y) != s.At(5, y + 1);
        EXPECT_GT(pairsDiffering, 30);
    }
    // A clip rectangle limits the drawing and is removed afterwards.
    {
        SHEET s;
        RECT clip = {0, 0, 5, 120};
        s.dc.Gradient(area, RGB(0, 0, 0), RGB(0, 0, 255), true, &clip);
        EXPECT_NE(RGB(255, 255, 255), s.At(2, 60));
        EXPECT_EQ(RGB(255, 255, 255), s.At(7, 60));
        RECT after = {6, 0, 10, 10};
        s.dc.FillRect(after, RGB(1, 2, 3));
        EXPECT_EQ(RGB(1, 2, 3), s.At(8, 5));
    }
}

TEST(DRAWCONTEXT, FontsAndText)
{
    SHEET sheet;
    HFONT font = WINDRAW::CreateFontFromSpec(static_cast<HWND>(nullptr), "12B.Arial", 1252);
    ASSERT_NE(nullptr, font);
    HGDIOBJ original = GetCurrentObject(sheet.dc.GetHdc(), OBJ_FONT);
    EXPECT_TRUE(sheet.dc.SelectFont(font));
    {
        LOGCAPTURE log;
        EXPECT_FALSE(sheet.dc.SelectFont(font));
        EXPECT_EQ(std::vector<std::string>{"this->hFontSave==NULL"}, log.Conditions());
    }
    SIZE size = sheet.dc.GetTextExtent(L"Hello", -1);
    EXPECT_GT(size.cx, 0);
    EXPECT_GT(size.cy, 0);
    SIZE narrow = sheet.dc.GetTextExtent("Hello", 5);
    EXPECT_EQ(size.cx, narrow.cx);
    POINT out = {-1, -1};
    SetTextAlign(sheet.dc.GetHdc(), TA_UPDATECP);
    EXPECT_TRUE(sheet.dc.TextOut(4, 50, L"Hi", -1, &out));
    EXPECT_EQ(50, out.y);
    EXPECT_GT(out.x, 4);
    SetTextAlign(sheet.dc.GetHdc(), TA_NOUPDATECP);
    {
        LOGCAPTURE log;
        EXPECT_TRUE(sheet.dc.RestoreFont(reinterpret_cast<HFONT>(GetStockObject(SYSTEM_FONT))));
        EXPECT_EQ(std::vector<std::string>{"hfonttmp==hfont || hfont==NULL"}, log.Conditions());
    }
    EXPECT_EQ(original, GetCurrentObject(sheet.dc.GetHdc(), OBJ_FONT));
    {
        LOGCAPTURE log;
        EXPECT_FALSE(sheet.dc.RestoreFont(nullptr));
        EXPECT_EQ(std::vector<std::string>{"this->hFontSave!=NULL"}, log.Conditions());
    }
    DeleteObject(font);
    DRAWCONTEXT none(static_cast<HDC>(nullptr), RECT{0, 0, 1, 1});
    EXPECT_EQ(0, none.GetTextExtent(L"x", 1).cx);
}

TEST(WINDRAW, FontTextsThroughLogFont)
{
    LOGFONTA font;
    ASSERT_TRUE(WINDRAW::FontSpecToLogFont("10f.Helv", 1252, &font));
    EXPECT_STREQ("MS Shell Dlg", font.lfFaceName);
    EXPECT_EQ(0x30, font.lfPitchAndFamily);
    EXPECT_EQ(WINDRAW::FontHeightForPoints(10, WINDRAW::ScreenDpiY()), font.lfHeight);
    ASSERT_TRUE(WINDRAW::FontSpecToLogFont("9.hELv", 1251, &font)); // case ignored here
    EXPECT_STREQ("MS Shell Dlg", font.lfFaceName);
    EXPECT_EQ(RUSSIAN_CHARSET, font.lfCharSet);
    ASSERT_TRUE(WINDRAW::FontSpecToLogFont("9B", 1252, &font));
    EXPECT_STREQ("", font.lfFaceName);
    EXPECT_EQ(700, font.lfWeight);

    // 13 points bold italic: written back as "13BI." and the face, and read to the same height.
    ASSERT_TRUE(WINDRAW::FontSpecToLogFont("13ib.Arial", 1252, &font));
    char text[64];
    ASSERT_TRUE(WINDRAW::FormatFontSpec(&font, text, sizeof text));
    EXPECT_STREQ("13BI.Arial", text);
    LOGFONTA again;
    ASSERT_TRUE(WINDRAW::FontSpecToLogFont(text, 1252, &again));
    EXPECT_EQ(font.lfHeight, again.lfHeight);
    EXPECT_FALSE(WINDRAW::FormatFontSpec(&font, text, 5));
    EXPECT_STREQ("", text);
    {
        LOGCAPTURE log;
        EXPECT_FALSE(WINDRAW::FontSpecToLogFont("8.Arial", 1252, nullptr));
        EXPECT_EQ(std::vector<std::string>{"plf"}, log.Conditions());
    }
    STRING icon = WINDRAW::GetIconTitleFontSpec();
    WSTRING wide(static_cast<const char *>(icon));
    EXPECT_TRUE(WINDRAW::ParseFontSpecW(wide.GetBuffer(), nullptr, nullptr, nullptr, nullptr, nullptr))
        << static_cast<const char *>(icon);
}

TEST(WINDRAW, WindowFontsFollowTheScale)
{
    WINDOW::SetDpiScaleOverride(150);
    HFONT font = WINDRAW::CreateFontFromSpec(static_cast<HWND>(nullptr), u"10BF.Courier New", 1250);
    WINDOW::SetDpiScaleOverride(-1);
    ASSERT_NE(nullptr, font);
    LOGFONTW info = {};
    GetObjectW(font, sizeof info, &info);
    EXPECT_EQ(-20, info.lfHeight); // 10 points at 144 dpi
    EXPECT_EQ(700, info.lfWeight);
    EXPECT_EQ(FIXED_PITCH | FF_MODERN, info.lfPitchAndFamily);
    EXPECT_EQ(EASTEUROPE_CHARSET, info.lfCharSet);
    DeleteObject(font);
    EXPECT_EQ(nullptr, WINDRAW::CreateFontFromSpec(static_cast<HWND>(nullptr), "0.Arial", 1252));

    WINDOWFONT windowFont(nullptr, "8B.MS Shell Dlg");
    ASSERT_NE(nullptr, windowFont.Get());
    EXPECT_EQ(8, windowFont.GetPoints());
    EXPECT_TRUE(windowFont.IsBold());
    EXPECT_EQ(100, windowFont.GetScale());
    EXPECT_FALSE(windowFont.Create("no dot"));
    EXPECT_EQ(nullptr, windowFont.Get());
}

TEST(WINDRAW, ControlFontRestoresTheFontBefore)
{
    WINDOW window(WS_OVERLAPPEDWINDOW, "fonts", 0, 0, 200, 100, nullptr, 0, 0);
    HWND label = CreateWindowExA(0, "Static", "text", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, window.hWnd, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    HFONT before = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(before), FALSE);
    {
        CONTROLFONT font(label, "14B.MS Shell Dlg");
        ASSERT_TRUE(font.IsApplied());
        EXPECT_EQ(font.Get(), reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
        // Setting another text puts the first font back before the new one goes on.
        EXPECT_TRUE(font.SetFont("9.Arial"));
        EXPECT_EQ(font.Get(), reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
        EXPECT_TRUE(font.Restore());
        EXPECT_EQ(before, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
        EXPECT_TRUE(font.SetFont("9.Arial"));
    }
    EXPECT_EQ(before, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
    // Somebody else changed the font meanwhile: one assertion, and the old font comes back anyway.
    LOGCAPTURE log;
    {
        CONTROLFONT font(label, "10.MS Shell Dlg");
        SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
    }
    EXPECT_EQ(1, log.Failures());
    EXPECT_EQ(std::vector<std::string>{"hfontprev==this->hFont"}, log.Conditions());
    EXPECT_EQ(before, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
    CONTROLFONT orphan(nullptr, "10.Arial");
    EXPECT_FALSE(orphan.IsApplied());
}
