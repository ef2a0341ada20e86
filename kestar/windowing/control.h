// CONTROL: the wrapper of a child control.  A wrapper made from a handle or a dialog item does not
// own the control (the dispatcher makes one on the stack for the sender of a notification); one
// that created its control (Create, ReplaceDialogItem) owns it and is a member of its window's
// object.  Most operations are one message.  Windows only.
#ifndef KESTAR_WINDOWING_CONTROL_H
#define KESTAR_WINDOWING_CONTROL_H

#include "kestar/windowing/window.h"

class CONTROL : public WINDOW {
public:
    // Unattached, for Create or ReplaceDialogItem later.
    CONTROL() {}
    // Attaches without owning (see BASEWINDOW::Init).
    explicit CONTROL(HWND control) : WINDOW(control) {}
    // FromDialogItem(parent, id).
    CONTROL(HWND parent, int id);
    // Creates and owns a control (see Create).
    CONTROL(HWND parent, int id, const char *className, DWORD style, int x, int y, int width, int height,
            const char *text, DWORD exStyle);
    ~CONTROL() override {}

    // The dialog item id of parent, not owned; id -1: parentOrControl is the control itself.
    static CONTROL FromDialogItem(HWND parentOrControl, int id);
    // The image-list colour flag (ILC_COLOR...) for a screen of depth bits per pixel.
    static UINT ImageListColourFlag(int depth);
    // Creates a control of className with WS_CHILD added and id as its child id, owned, with the
    // parent's font.  On failure the assertion "this->hWnd" and false (hWnd null).
    bool Create(HWND parent, int id, const char *className, DWORD style, int x, int y, int width, int height,
                const char *text, DWORD exStyle);
    // Creates the control in place of the placeholder item placeholderId of parent (its rectangle,
    // right after it in Z order; the placeholder is hidden).  Owned; false on failure.
    bool ReplaceDialogItem(HWND parent, int id, const char *className, DWORD style, int placeholderId,
                           const char *text, DWORD exStyle);

    // Posts message (0x401..0x4EF: the way other threads reach a window; another message asserts
    // and is still posted).  False when the post failed.
    bool PostUserMessage(UINT message, WPARAM wParam, LPARAM lParam);
    int GetCheck();
    // BM_SETCHECK, then WM_COMMAND BN_CLICKED to the parent, so the owner sees the change as a click.
    void SetCheck(int state);
    void SetNumeric(bool on);
    void LimitText(int characters);
    void SetSel(int from, int to);
    void SetScrollRange(int low, int high);
    void SetScrollPos(int position, bool redraw);

private:
    void TakeParentFont(HWND parent);
};

#endif
