// CHILDWINDOW: the plain child window on which the library's own child windows are built (the
// tool-tip inlay, the splitter, the wizard's separator line).  It owns its window.  Windows only.
#ifndef KESTAR_WINDOWING_CHILDWINDOW_H
#define KESTAR_WINDOWING_CHILDWINDOW_H

#include "kestar/windowing/window.h"

class CHILDWINDOW : public WINDOW {
public:
    // A child of parent with WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN plus style, empty text,
    // id as its child id, of the class className (null: "KestarChildWindow", registered on first
    // use).  On failure hWnd stays null.
    CHILDWINDOW(WINDOW &parent, int id, int x, int y, int width, int height, DWORD style,
                const char *className = nullptr);
    ~CHILDWINDOW() override {}
};

#endif
