// MENU: a menu from a resource (owned), a window's menu bar or a menu handle (borrowed), with item
// states, texts and the pop-up menu at a point.  Windows only.
#ifndef KESTAR_WINDOWING_MENU_H
#define KESTAR_WINDOWING_MENU_H

#include <windows.h>

#include "kestar/base/string.h"
#include "kestar/base/wstring.h"

class MENU {
public:
    // The menu resource menuId of module (null: the language module), owned.
    explicit MENU(int menuId, HMODULE module = nullptr);
    // Destroys owned menus only.
    ~MENU();
    MENU(const MENU &) = delete;
    MENU &operator=(const MENU &) = delete;
    MENU(MENU &&other) noexcept;

    // The menu bar of window, borrowed; DeleteItem redraws that window's bar.
    static MENU FromWindow(HWND window);
    // A menu handle, borrowed.
    static MENU FromHandle(HMENU menu);

    void Destroy();
    bool EnableItem(int id, bool on);
    bool CheckItem(int id, bool on);
    // False when grayed or disabled; an id the menu does not have counts as enabled.
    bool IsItemEnabled(int id);
    bool DeleteItem(int idOrPosition, bool byPosition);
    // At most 255 characters; empty when there is no such item.
    WSTRING GetMenuItemText(int idOrPosition, bool byPosition);
    STRING GetMenuItemTextA(int idOrPosition, bool byPosition);
    // Shows the menu's items as a pop-up for owner at point (screen coordinates; client
    // coordinates of a child owner; null: the cursor).  flags: TrackPopupMenu's, bit 0 asking for
    // the chosen command as the result.  Without bit 0 the result is TrackPopupMenu's success.
    int TrackPopup(HWND owner, const POINT *point, UINT flags);

    HMENU Handle() const { return hMenu; }

private:
    MENU() : Owned(false), hMenu(nullptr), hwndRedraw(nullptr) {}

    bool Owned;
    HMENU hMenu;      // owned when Owned
    HWND hwndRedraw;  // borrowed: the window whose menu bar is redrawn after a change
};

#endif
