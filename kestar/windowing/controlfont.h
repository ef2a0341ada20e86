// CONTROLFONT: a WINDOWFONT put on a control.  It remembers the control's previous font and puts
// it back when restored or destroyed.  Windows only.
#ifndef KESTAR_WINDOWING_CONTROLFONT_H
#define KESTAR_WINDOWING_CONTROLFONT_H

#include "kestar/windowing/windowfont.h"

class CONTROLFONT : public WINDOWFONT {
public:
    // control: borrowed; it gives the DPI scale and receives the font.
    explicit CONTROLFONT(HWND control);
    CONTROLFONT(HWND control, const char *spec, int codepage = 1252);
    // Restore().
    ~CONTROLFONT() override;

    // Puts an applied font back first; then, when the control exists, makes the font and sets it
    // (WM_SETFONT with redraw), keeping the control's previous font.  True when set.
    bool SetFont(const char *spec, int codepage = 1252);
    // Sets the previous font back when a font is applied; the control must still carry this
    // font (an assertion otherwise; the previous font is set back anyway).
    bool Restore();
    bool IsApplied() const { return Applied; }

private:
    HWND Control;      // borrowed
    HFONT hFontPrev;   // not owned: the control's font before ours
    bool Applied;
};

#endif
