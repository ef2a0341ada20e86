// DRAWCONTEXT: a device context bound to a window, with font selection and the few drawing
// operations of the library (lines, fills, 3-D frames, gradients, text).  A colour is 0xAABBGGRR:
// a top byte of 0x00 or 0xFF draws opaque with GDI, 1 to 254 draws anti-aliased with GDI+ (when
// it started).  DrawLine reads that byte as the opacity, FillRect as the transparency (255 - A):
// callers depend on both readings.  -1 is "no colour" where an operation says so.  Windows only.
#ifndef KESTAR_WINDOWING_DRAWCONTEXT_H
#define KESTAR_WINDOWING_DRAWCONTEXT_H

#include <windows.h>

#include <cstdint>

class DRAWCONTEXT {
public:
    // The window's DC (GetDC), released by the destructor; the client rectangle.
    explicit DRAWCONTEXT(HWND window);
    // A DC from elsewhere (not released); the window, when given, gives the client rectangle.
    DRAWCONTEXT(HDC dc, HWND window);
    // The DC of a paint already begun (EndPaint stays the caller's).
    DRAWCONTEXT(const PAINTSTRUCT *paint, HWND window);
    // A DC from elsewhere with an explicit rectangle.
    DRAWCONTEXT(HDC dc, const RECT &rect);
    // Restores a selected font and releases its own DC.
    ~DRAWCONTEXT();
    DRAWCONTEXT(const DRAWCONTEXT &) = delete;
    DRAWCONTEXT &operator=(const DRAWCONTEXT &) = delete;

    HDC GetHdc() const { return hDC; }
    const RECT &GetRect() const { return Rect; }

    // Selects font and keeps the one it replaced; a second selection without RestoreFont is an
    // assertion failure and selects nothing.
    bool SelectFont(HFONT font);
    // Puts the kept font back; expected (may be null) must be the font taken out.
    bool RestoreFont(HFONT expected);

    bool DrawLine(int x1, int y1, int x2, int y2, uint32_t colour);
    bool FillRect(const RECT &rect, uint32_t colour);
    // A one-pixel frame: mode 1 highlight/shadow, 2 highlight/dark shadow, -1 shadow/highlight,
    // -2 dark shadow/highlight (left and top / right and bottom), 0 colour all round (COLOR_BTNFACE
    // for -1); fill paints the inside with colour (COLOR_BTNFACE for -1).  Another mode asserts
    // and draws black.
    bool Draw3DFrame(const RECT &rect, int mode, bool fill, uint32_t colour);
    // The inside (less one pixel each side) filled with fillColour unless it is -1, then a
    // one-pixel outline in colour along the inner edge.
    bool DrawFrame(const RECT &rect, uint32_t colour, uint32_t fillColour);
    // From colour to colour, left to right or (vertical) top to bottom, within clip when given.
    bool Gradient(const RECT &rect, uint32_t from, uint32_t to, bool vertical, const RECT *clip);
    // length -1: to the terminator.  With TA_UPDATECP drawn at the current position; *out (may be
    // null) receives the current position afterwards.
    bool TextOut(int x, int y, const wchar_t *text, int length, POINT *out);
    // The size of a text; 0,0 on failure.  The 8-bit form converts with the system code page.
    SIZE GetTextExtent(const wchar_t *text, int length);
    SIZE GetTextExtent(const char *text, int length);

    // Whether colour draws with GDI+ (top byte 1 to 254, GDI+ started).
    static bool IsGdiplusColour(uint32_t colour);
    // For tests: forgets the loaded GradientFill, so the next gradient looks it up again.
    static void ForgetGradientFill();

private:
    void Start();
    void FillGdi(const RECT &rect, COLORREF colour);

    HDC hDC;              // the DC; owned (released) when hwndAutoRelease is set
    HWND hwndAutoRelease; // the window whose DC the destructor releases; null otherwise
    HFONT hFontSave;      // the font SelectFont replaced; null when none is kept
    RECT Rect;            // the client rectangle of the window, or the one given
};

#endif
