// SEMITOOLTIPINLAY: the child that fills the notification pop-up and does all its drawing: the
// marked-up text (see popupmarkup.h) in four fonts on a gradient background, the clickable boxes
// with their hover and pressed looks, and the clicks, which it reports to its pop-up.  Drawing is
// double-buffered.  Window thread only.  Windows only.
#ifndef KESTAR_WINDOWING_SEMITOOLTIPINLAY_H
#define KESTAR_WINDOWING_SEMITOOLTIPINLAY_H

#include "kestar/base/dllinterface.h"
#include "kestar/base/string.h"
#include "kestar/base/wstring.h"
#include "kestar/windowing/childwindow.h"
#include "kestar/windowing/popupmarkup.h"
#include "kestar/windowing/windowfont.h"

class SEMITOOLTIP;

class SEMITOOLTIPINLAY : public CHILDWINDOW {
public:
    enum { ID = 901 };

    // A child of popup (borrowed, outlives the inlay) with the text (code page 1252; null is an
    // assertion failure and draws nothing), the colours (colour references), the font text (empty
    // or null: the system's icon-title font) and the margins (below 1: from the normal font).
    // Measures the text at once.
    SEMITOOLTIPINLAY(SEMITOOLTIP &popup, const char *text, COLORREF textColour, COLORREF background,
                     const char *fontText, int marginX, int marginY);
    ~SEMITOOLTIPINLAY() override;

    // Slot 0: adds WM_PRINTCLIENT (the animations draw through it).
    LRESULT WinProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnPaint() override;
    LRESULT OnMouse(UINT message, int x, int y, int keys) override;

    // Draws the whole client area into target.
    void PaintTo(HDC target);

    int GetTextWidth() const { return TextWidth; }
    int GetTextHeight() const { return TextHeight; }
    int GetMarginX() const { return MarginX; }
    int GetMarginY() const { return MarginY; }
    // The recorded clickable rectangles (filled by the first painting); false outside the table.
    int GetClickRectCount() const { return NumClickRects; }
    bool GetClickRect(int index, RECT *rect, int *id) const;
    const WSTRING &GetTextWide() const { return TextWide; }

    int TickCount = 0;
    bool Closing = false; // set while the pop-up goes: no more hover repaints

private:
    struct CLICKRECT {
        RECT Rect;
        int Id;
    };
    struct MEASURING;

    HFONT FontFor(const POPUPMARKUP::SEGMENT &segment);
    static POPUPMARKUP::EXTENT Measure(void *context, const POPUPMARKUP::SEGMENT &segment);
    void MeasureText();
    void DrawBackground(HDC dc, const RECT &client);
    void DrawLines(HDC dc, const RECT &client);
    void DrawSeparator(HDC dc, int left, int right, int y);
    void FillGradient(HDC dc, const RECT &rect, COLORREF from, COLORREF to, bool vertical);

    SEMITOOLTIP *Popup;           // borrowed: the pop-up this fills
    WSTRING TextWide;             // the text with 0x0E and 0x0F expanded; NULL without a text
    std::vector<POPUPMARKUP::LINE> Lines;
    STRING FontText;
    COLORREF TextColour, Background;
    int TextWidth = 0, TextHeight = 0;
    int MarginX, MarginY;
    int MouseX = -1, MouseY = -1;
    UINT MouseButton = 0;         // the button message of the last press; 0 after a move
    WINDOWFONT FontNormal, FontBold, FontSmall, FontSmallBold;
    CLICKRECT ClickRects[POPUPMARKUP::MAX_CLICKRECTS];
    int NumClickRects = 0;
    DLLINTERFACE Msimg32;         // GradientFill, when the system has it
};

#endif
