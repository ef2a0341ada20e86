// WINDOWFONT: a font made from a font text at the DPI of a window, kept with its parts and deleted
// with the object.  Windows only.
#ifndef KESTAR_WINDOWING_WINDOWFONT_H
#define KESTAR_WINDOWING_WINDOWFONT_H

#include <windows.h>

#include "kestar/windowing/windraw.h"
#include "kestar/base/wstring.h"

class WINDOWFONT {
public:
    // window (borrowed, may be null for the desktop) gives the DPI scale.
    explicit WINDOWFONT(HWND window = nullptr);
    // The least a window with a font text needs: Create(spec, codepage) at once.
    WINDOWFONT(HWND window, const char *spec, int codepage = 1252);
    virtual ~WINDOWFONT();
    WINDOWFONT(const WINDOWFONT &) = delete;
    WINDOWFONT &operator=(const WINDOWFONT &) = delete;

    // The font (HFONT), null until created; owned by this object.
    virtual HFONT Get() { return hFont; }
    // Replaces the font by one for an 8-bit font text; false (and no font) for an invalid text.
    bool Create(const char *spec, int codepage = 1252);

    const WSTRING &GetFace() const { return Face; }
    int GetPoints() const { return Points; }
    bool IsBold() const { return Bold; }
    bool IsItalic() const { return Italic; }
    bool IsFixed() const { return Fixed; }
    int GetCodePage() const { return CodePage; }
    int GetScale() const { return Scale; }

protected:
    void Delete();

    WSTRING Face;
    int Points;
    bool Bold, Italic, Fixed;
    int CodePage;
    int Scale;     // the DPI scale the font was made at; -1 until then
    HWND Window;   // borrowed
    HFONT hFont;   // owned; null until created
};

#endif
