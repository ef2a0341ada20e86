// TABCONTROL: the wrapper of a tab control whose tabs each own a page window (the tab's item
// data).  It is taken over an existing control, such as a dialog item, and does not own it.
// Windows only.
#ifndef KESTAR_WINDOWING_TABCONTROL_H
#define KESTAR_WINDOWING_TABCONTROL_H

#include "kestar/base/string.h"
#include "kestar/base/wstring.h"
#include "kestar/windowing/control.h"

class TABCONTROL : public CONTROL {
public:
    // The dialog item id of parent (id -1: parent is the tab control itself), not owned.
    TABCONTROL(HWND parent, int id) : CONTROL(parent, id) {}
    explicit TABCONTROL(HWND control) : CONTROL(control) {}
    ~TABCONTROL() override {}

    // Appends a tab titled title (at most 255 characters) for page (may be null).  An existing
    // page gets WS_TABSTOP and WS_EX_CONTROLPARENT and is hidden.  The new index, -1 on failure.
    int AddPage(const WSTRING &title, HWND page);
    // The same with an 8-bit title (system code page).
    int AddPage(const char *title, HWND page);
    int GetItemCount();
    int GetCurSel();
    // The page window of tab index; null when none.
    HWND GetPageWindow(int index);
    // Selects tab index as a click would: the parent gets TCN_SELCHANGING, the tab changes, then
    // the parent gets TCN_SELCHANGE.
    void SelectPage(int index);
    // Shows the page of index on the tab's display area (2 pixels below its top), on top of its
    // siblings, and hides every other page; unless the tab control has the focus, the page's
    // first control takes it.
    void PageChanged(int index);
    // Ctrl+Tab (next tab) and Ctrl+Shift+Tab (previous tab), both wrapping, on WM_KEYDOWN or
    // WM_SYSKEYDOWN; true when the key was used.
    bool HandleKey(UINT message, int key);
};

#endif
