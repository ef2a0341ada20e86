// ICON: an icon or bitmap handle loaded from the language module or the program, which can sit on
// a button or be a window's small and large icon (the window gets its previous icons back when the
// icon goes).  Windows only.
#ifndef KESTAR_WINDOWING_ICON_H
#define KESTAR_WINDOWING_ICON_H

#include <windows.h>

class ICON {
public:
    // id 0 or -1: none; otherwise Load(id).  With a window: attached as its small and large icon.
    ICON(int id = 0, HWND window = nullptr);
    // Gives an attached window (if it still exists) its previous icons, then Free.
    virtual ~ICON();
    ICON(const ICON &) = delete;
    ICON &operator=(const ICON &) = delete;

    // BS_ICON or BS_BITMAP and BM_SETIMAGE on the button id of parent.
    virtual void PutOnButton(HWND parent, int id);
    // Takes the image off again (it must be this one) and removes the style bit.
    virtual void RemoveFromButton(HWND parent, int id);
    // flags: 1 small icon, 2 large icon.  Needs an icon and no earlier attachment.
    virtual bool AttachToWindow(HWND window, int flags);
    virtual void DetachFromWindow(int flags);
    // Free first; id 0 only tells whether a handle is held.  module null: the language module,
    // then the program.  True when a handle is held afterwards.
    virtual bool Load(int id, HMODULE module = nullptr);
    virtual bool LoadSized(int id, int cx, int cy, HMODULE module = nullptr);
    virtual bool LoadBitmap(int id, int cx, int cy, HMODULE module = nullptr);
    // Detaches from the window and destroys the handle.
    virtual void Free();
    virtual bool IsAttached();
    virtual int GetResourceId() { return ResourceId; }
    virtual HICON GetHandle() { return hIcon; }
    virtual HBITMAP GetBitmap() { return reinterpret_cast<HBITMAP>(hIcon); }
    virtual bool IsLoaded() { return hIcon != nullptr; }

    HICON hIcon;           // owned: an icon, or a bitmap when IsIcon is false
    HWND hwndAttach;       // borrowed: the window whose icons this replaced
    HICON PreviousSmall;   // borrowed: what the window had before
    HICON PreviousLarge;
    int ResourceId;
    int AttachFlags;       // 1 small, 2 large
    bool IsIcon;

private:
    HMODULE ModuleFor(int id, LPCSTR type, HMODULE module);
};

#endif
