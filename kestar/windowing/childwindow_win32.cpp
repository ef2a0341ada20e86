// The plain child window (see childwindow.h).
#include "kestar/windowing/childwindow.h"

CHILDWINDOW::CHILDWINDOW(WINDOW &parent, int id, int x, int y, int width, int height, DWORD style,
                         const char *className)
    : WINDOW(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | style, "", x, y, width, height, parent.hWnd, id, 0,
             className ? className : "KestarChildWindow", nullptr)
{
}
