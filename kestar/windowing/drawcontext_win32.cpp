// The drawing context (see drawcontext.h): plain GDI for opaque colours, the GDI+ flat API for
// colours with partial alpha, and GradientFill from Msimg32 when the system has it.
#include "kestar/windowing/drawcontext.h"

#include <gdiplus.h>

#include "kestar/base/dllinterface.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysinfo.h"
#include "kestar/windowing/windowmath.h"

#include <vector>

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

// Process-wide, set on first use by the window thread; GDI+ is never shut down.
bool gGdiplusTried = false;
bool gGdiplusStarted = false;
DLLINTERFACE *gMsimg = nullptr; // owned: stays loaded for the process

typedef BOOL(WINAPI *GRADIENTFILL)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

GRADIENTFILL GradientFillFunction()
{
    if (gMsimg == nullptr && OSYS::GetOsVersionId() > 1) {
        DLLINTERFACE *msimg = new DLLINTERFACE("Msimg32", "GradientFill");
        if (msimg->GetFunction() != nullptr)
            gMsimg = msimg;
        else
            delete msimg;
    }
    return gMsimg ? reinterpret_cast<GRADIENTFILL>(gMsimg->GetFunction()) : nullptr;
}

COLORREF GdiColour(uint32_t colour)
{
    return static_cast<COLORREF>(colour & 0x00FFFFFF);
}

// GDI+ wants 0xAARRGGBB.
ARGB GdiplusArgb(uint32_t colour, unsigned alpha)
{
    unsigned r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    return (static_cast<ARGB>(alpha & 0xFF) << 24) | (r << 16) | (g << 8) | b;
}

// A GDI+ surface on a DC, deleted with the holder.
class SURFACE {
public:
    explicit SURFACE(HDC dc) : graphics(nullptr)
    {
        if (GdipCreateFromHDC(dc, &graphics) != Ok)
            graphics = nullptr;
        else
            GdipSetSmoothingMode(graphics, SmoothingModeHighQuality);
    }
    ~SURFACE()
    {
        if (graphics)
            GdipDeleteGraphics(graphics);
    }
    SURFACE(const SURFACE &) = delete;
    SURFACE &operator=(const SURFACE &) = delete;
    GpGraphics *graphics;
};

} // namespace

DRAWCONTEXT::DRAWCONTEXT(HWND window) : hDC(::GetDC(window)), hwndAutoRelease(window), hFontSave(nullptr), Rect()
{
    Start();
    if (window)
        ::GetClientRect(window, &Rect);
}

DRAWCONTEXT::DRAWCONTEXT(HDC dc, HWND window) : hDC(dc), hwndAutoRelease(nullptr), hFontSave(nullptr), Rect()
{
    Start();
    if (window)
        ::GetClientRect(window, &Rect);
}

DRAWCONTEXT::DRAWCONTEXT(const PAINTSTRUCT *paint, HWND window)
    : hDC(paint ? paint->hdc : nullptr), hwndAutoRelease(nullptr), hFontSave(nullptr), Rect()
{
    Start();
    if (window)
        ::GetClientRect(window, &Rect);
}

DRAWCONTEXT::DRAWCONTEXT(HDC dc, const RECT &rect) : hDC(dc), hwndAutoRelease(nullptr), hFontSave(nullptr), Rect(rect)
{
    Start();
}

DRAWCONTEXT::~DRAWCONTEXT()
{
    if (hFontSave)
        RestoreFont(nullptr);
    if (hwndAutoRelease && hDC)
        ::ReleaseDC(hwndAutoRelease, hDC);
}

void DRAWCONTEXT::Start()
{
    if (gGdiplusTried)
        return;
    gGdiplusTried = true;
    GdiplusStartupInput input;
    ULONG_PTR token = 0;
    gGdiplusStarted = GdiplusStartup(&token, &input, nullptr) == Ok;
    if (!gGdiplusStarted)
        LOGIT::Printf("DRAWCONTEXT GdiplusStartup failed: colours with alpha draw opaque\n");
}

bool DRAWCONTEXT::IsGdiplusColour(uint32_t colour)
{
    unsigned alpha = colour >> 24;
    return gGdiplusStarted && alpha != 0 && alpha != 0xFF;
}

void DRAWCONTEXT::ForgetGradientFill()
{
    delete gMsimg;
    gMsimg = nullptr;
}

bool DRAWCONTEXT::SelectFont(HFONT font)
{
    if (!LOGIT::Assert(hFontSave == nullptr, "this->hFontSave==NULL", __FILE__, __LINE__, nullptr, 0) ||
        hFontSave != nullptr)
        return false;
    hFontSave = static_cast<HFONT>(SelectObject(hDC, font));
    return hFontSave != nullptr;
}

bool DRAWCONTEXT::RestoreFont(HFONT expected)
{
    if (!LOGIT::Assert(hFontSave != nullptr, "this->hFontSave!=NULL", __FILE__, __LINE__, nullptr, 0) ||
        hFontSave == nullptr)
        return false;
    HFONT taken = static_cast<HFONT>(SelectObject(hDC, hFontSave));
    hFontSave = nullptr;
    LOGIT::Assert(taken == expected || expected == nullptr, "hfonttmp==hfont || hfont==NULL", __FILE__, __LINE__,
                  nullptr, 0);
    return true;
}

bool DRAWCONTEXT::DrawLine(int x1, int y1, int x2, int y2, uint32_t colour)
{
    if (hDC == nullptr)
        return false;
    if (IsGdiplusColour(colour)) {
        SURFACE surface(hDC);
        if (surface.graphics == nullptr)
            return false;
        GpPen *pen = nullptr;
        if (GdipCreatePen1(GdiplusArgb(colour, colour >> 24), 1.0f, UnitPixel, &pen) != Ok)
            return false;
        bool ok = GdipDrawLineI(surface.graphics, pen, x1, y1, x2, y2) == Ok;
        GdipDeletePen(pen);
        return ok;
    }
    HPEN pen = colour == 0xFFFFFFFF ? nullptr : CreatePen(PS_SOLID, 1, GdiColour(colour));
    HGDIOBJ oldPen = pen ? SelectObject(hDC, pen) : nullptr;
    POINT old;
    MoveToEx(hDC, x1, y1, &old);
    bool ok = LineTo(hDC, x2, y2) != 0;
    MoveToEx(hDC, old.x, old.y, nullptr);
    if (pen) {
        SelectObject(hDC, oldPen);
        DeleteObject(pen);
    }
    return ok;
}

void DRAWCONTEXT::FillGdi(const RECT &rect, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    ::FillRect(hDC, &rect, brush);
    DeleteObject(brush);
}

bool DRAWCONTEXT::FillRect(const RECT &rect, uint32_t colour)
{
    if (hDC == nullptr)
        return false;
    if (IsGdiplusColour(colour)) {
        SURFACE surface(hDC);
        if (surface.graphics == nullptr)
            return false;
        GpSolidFill *brush = nullptr;
        if (GdipCreateSolidFill(GdiplusArgb(colour, 255 - (colour >> 24)), &brush) != Ok)
            return false;
        bool ok = GdipFillRectangleI(surface.graphics, brush, rect.left, rect.top, rect.right - rect.left,
                                     rect.bottom - rect.top) == Ok;
        GdipDeleteBrush(brush);
        return ok;
    }
    FillGdi(rect, GdiColour(colour));
    return true;
}

bool DRAWCONTEXT::Draw3DFrame(const RECT &rect, int mode, bool fill, uint32_t colour)
{
    uint32_t face = colour == 0xFFFFFFFF ? GetSysColor(COLOR_BTNFACE) : colour;
    uint32_t first, second;
    switch (mode) {
    case 1: first = GetSysColor(COLOR_BTNHIGHLIGHT); second = GetSysColor(COLOR_BTNSHADOW); break;
    case 2: first = GetSysColor(COLOR_BTNHIGHLIGHT); second = GetSysColor(COLOR_3DDKSHADOW); break;
    case -1: first = GetSysColor(COLOR_BTNSHADOW); second = GetSysColor(COLOR_BTNHIGHLIGHT); break;
    case -2: first = GetSysColor(COLOR_3DDKSHADOW); second = GetSysColor(COLOR_BTNHIGHLIGHT); break;
    case 0: first = second = face; break;
    default:
        LOGIT::Assert(0, "mode==2 || mode==1 || mode==0 || mode==-1 || mode==-2", __FILE__, __LINE__, nullptr, 0);
        first = second = 0;
        break;
    }
    if (fill) {
        RECT inside = {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
        if (inside.right > inside.left && inside.bottom > inside.top)
            FillRect(inside, face);
    }
    bool ok = DrawLine(rect.left, rect.top, rect.right - 1, rect.top, first);
    ok = DrawLine(rect.left, rect.top, rect.left, rect.bottom - 1, first) && ok;
    ok = DrawLine(rect.right - 1, rect.top, rect.right - 1, rect.bottom, second) && ok;
    ok = DrawLine(rect.left, rect.bottom - 1, rect.right, rect.bottom - 1, second) && ok;
    return ok;
}

bool DRAWCONTEXT::DrawFrame(const RECT &rect, uint32_t colour, uint32_t fillColour)
{
    if (fillColour != 0xFFFFFFFF) {
        RECT inside = {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
        if (inside.right > inside.left && inside.bottom > inside.top)
            FillRect(inside, fillColour);
    }
    bool ok = DrawLine(rect.left, rect.top, rect.right - 1, rect.top, colour);
    ok = DrawLine(rect.right - 1, rect.top, rect.right - 1, rect.bottom - 1, colour) && ok;
    ok = DrawLine(rect.right - 1, rect.bottom - 1, rect.left, rect.bottom - 1, colour) && ok;
    ok = DrawLine(rect.left, rect.bottom - 1, rect.left, rect.top, colour) && ok;
    return ok;
}

bool DRAWCONTEXT::Gradient(const RECT &rect, uint32_t from, uint32_t to, bool vertical, const RECT *clip)
{
    if (hDC == nullptr)
        return false;
    GRADIENTFILL gradientFill = GradientFillFunction();
    // The caller's clip region comes back afterwards (null when there was none).
    HRGN saved = nullptr;
    if (clip) {
        saved = CreateRectRgn(0, 0, 0, 0);
        if (GetClipRgn(hDC, saved) != 1) {
            DeleteObject(saved);
            saved = nullptr;
        }
        HRGN region = CreateRectRgnIndirect(clip);
        ExtSelectClipRgn(hDC, region, saved ? RGN_AND : RGN_COPY);
        DeleteObject(region);
    }
    bool ok = true;
    if (from == to) {
        ok = FillRect(rect, from);
    } else if (gradientFill) {
        TRIVERTEX vertex[2];
        vertex[0].x = rect.left;
        vertex[0].y = rect.top;
        vertex[0].Red = static_cast<COLOR16>((from & 0xFF) << 8);
        vertex[0].Green = static_cast<COLOR16>(((from >> 8) & 0xFF) << 8);
        vertex[0].Blue = static_cast<COLOR16>(((from >> 16) & 0xFF) << 8);
        vertex[0].Alpha = 0x7F00;
        vertex[1].x = rect.right;
        vertex[1].y = rect.bottom;
        vertex[1].Red = static_cast<COLOR16>((to & 0xFF) << 8);
        vertex[1].Green = static_cast<COLOR16>(((to >> 8) & 0xFF) << 8);
        vertex[1].Blue = static_cast<COLOR16>(((to >> 16) & 0xFF) << 8);
        vertex[1].Alpha = 0x7F00;
        GRADIENT_RECT index = {0, 1};
        ok = gradientFill(hDC, vertex, 2, &index, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H) != 0;
    } else if (vertical) {
        int height = rect.bottom - rect.top;
        int rows = WINDOWMATH::GradientBandRows(height);
        for (int y = rect.top; y < rect.bottom; y += rows) {
            uint32_t colour = OSYS::MixColors(from, to, WINDOWMATH::GradientPercent(y - rect.top, height));
            int band = rect.bottom - y < rows ? rect.bottom - y : rows;
            if (band == 1) {
                ok = DrawLine(rect.left, y, rect.right, y, colour) && ok;
            } else {
                RECT part = {rect.left, y, rect.right, y + band};
                ok = FillRect(part, colour) && ok;
            }
        }
    } else {
        int width = rect.right - rect.left;
        for (int x = rect.left; x < rect.right; ++x) {
            uint32_t colour = OSYS::MixColors(from, to, WINDOWMATH::GradientPercent(x - rect.left, width));
            ok = DrawLine(x, rect.top, x, rect.bottom, colour) && ok;
        }
    }
    if (clip) {
        SelectClipRgn(hDC, saved);
        if (saved)
            DeleteObject(saved);
    }
    return ok;
}

bool DRAWCONTEXT::TextOut(int x, int y, const wchar_t *text, int length, POINT *out)
{
    if (hDC == nullptr || text == nullptr)
        return false;
    if (length < 0)
        length = lstrlenW(text);
    bool ok;
    if (GetTextAlign(hDC) & TA_UPDATECP) {
        MoveToEx(hDC, x, y, nullptr);
        ok = TextOutW(hDC, 0, 0, text, length) != 0;
    } else {
        ok = TextOutW(hDC, x, y, text, length) != 0;
    }
    if (out)
        GetCurrentPositionEx(hDC, out);
    return ok;
}

SIZE DRAWCONTEXT::GetTextExtent(const wchar_t *text, int length)
{
    SIZE size = {0, 0};
    if (hDC == nullptr || text == nullptr)
        return size;
    if (length < 0)
        length = lstrlenW(text);
    if (!GetTextExtentPoint32W(hDC, text, length, &size))
        size.cx = size.cy = 0;
    return size;
}

SIZE DRAWCONTEXT::GetTextExtent(const char *text, int length)
{
    SIZE size = {0, 0};
    if (hDC == nullptr || text == nullptr)
        return size;
    if (length < 0)
        length = lstrlenA(text);
    int wideLength = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    std::vector<wchar_t> wide(wideLength + 1);
    MultiByteToWideChar(CP_ACP, 0, text, length, wide.data(), wideLength);
    return GetTextExtent(wide.data(), wideLength);
}
