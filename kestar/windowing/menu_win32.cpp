// Menus (see menu.h).
#include "kestar/windowing/menu.h"

#include "kestar/base/logit.h"
#include "kestar/base/osysresource.h"

#include <vector>

MENU::MENU(int menuId, HMODULE module) : Owned(true), hMenu(nullptr), hwndRedraw(nullptr)
{
    if (module == nullptr) {
        module = static_cast<HMODULE>(OSYS::GetLanguageModule());
        if (module == nullptr)
            module = GetModuleHandleA(nullptr);
    }
    hMenu = LoadMenuA(module, MAKEINTRESOURCEA(menuId));
    if (hMenu == nullptr)
        LOGIT::Printf("MENU::MENU LoadMenuA(%d) failed: %lu\n", menuId, GetLastError());
}

MENU::MENU(MENU &&other) noexcept : Owned(other.Owned), hMenu(other.hMenu), hwndRedraw(other.hwndRedraw)
{
    other.Owned = false;
    other.hMenu = nullptr;
}

MENU::~MENU()
{
    if (Owned)
        Destroy();
}

MENU MENU::FromWindow(HWND window)
{
    MENU menu;
    menu.hMenu = GetMenu(window);
    menu.hwndRedraw = window;
    return menu;
}

MENU MENU::FromHandle(HMENU handle)
{
    MENU menu;
    menu.hMenu = handle;
    return menu;
}

void MENU::Destroy()
{
    if (hMenu)
        DestroyMenu(hMenu);
    hMenu = nullptr;
}

bool MENU::EnableItem(int id, bool on)
{
    return EnableMenuItem(hMenu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)) != -1;
}

bool MENU::CheckItem(int id, bool on)
{
    return CheckMenuItem(hMenu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)) !=
           static_cast<DWORD>(-1);
}

bool MENU::IsItemEnabled(int id)
{
    UINT state = GetMenuState(hMenu, static_cast<UINT>(id), MF_BYCOMMAND);
    if (state == static_cast<UINT>(-1))
        return true;
    return !(state & (MF_GRAYED | MF_DISABLED));
}

bool MENU::DeleteItem(int idOrPosition, bool byPosition)
{
    BOOL done = DeleteMenu(hMenu, static_cast<UINT>(idOrPosition), byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
    if (hwndRedraw)
        DrawMenuBar(hwndRedraw);
    return done != 0;
}

WSTRING MENU::GetMenuItemText(int idOrPosition, bool byPosition)
{
    LOGIT::Printf("MENU::GetMenuItemText %d (ispos=%d)\n", idOrPosition, byPosition ? 1 : 0);
    wchar_t text[256] = L"";
    int got = GetMenuStringW(hMenu, static_cast<UINT>(idOrPosition), text, 256,
                             byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
    if (got <= 0 && !byPosition) {
        // Not found directly (e.g. in a pop-up the lookup does not reach): search the items.
        int count = GetMenuItemCount(hMenu);
        for (int i = 0; i < count; ++i) {
            if (static_cast<int>(GetMenuItemID(hMenu, i)) == idOrPosition) {
                got = GetMenuStringW(hMenu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
                break;
            }
        }
    }
    if (got <= 0)
        return WSTRING(u"");
    return WSTRING(text, got);
}

STRING MENU::GetMenuItemTextA(int idOrPosition, bool byPosition)
{
    return STRING(GetMenuItemText(idOrPosition, byPosition), 1252);
}

int MENU::TrackPopup(HWND owner, const POINT *point, UINT flags)
{
    POINT at = {};
    if (point) {
        at = *point;
        if (GetWindowLongA(owner, GWL_STYLE) & WS_CHILD)
            ClientToScreen(owner, &at);
    } else {
        GetCursorPos(&at);
    }
    // The system treats only a sub-menu as a pop-up: the menu goes into a wrapper for the call.
    HMENU wrapper = CreateMenu();
    if (wrapper == nullptr) {
        LOGIT::Assert(0, "hmenu", __FILE__, __LINE__, nullptr, 0);
        return 0;
    }
    if (!AppendMenuA(wrapper, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(hMenu), "BLUB")) {
        LOGIT::Assert(0, "hmenuShow", __FILE__, __LINE__, nullptr, 0);
        DestroyMenu(wrapper);
        return 0;
    }
    HMENU shown = GetSubMenu(wrapper, 0);
    SetForegroundWindow(owner);
    if (flags & 1)
        flags = (flags & ~1u) | TPM_RETURNCMD;
    TPMPARAMS exclude = {};
    exclude.cbSize = sizeof exclude;
    SetRect(&exclude.rcExclude, 0, 0, 10, 10);
    int result = static_cast<int>(TrackPopupMenuEx(shown, flags, at.x, at.y, owner, &exclude));
    PostMessageA(owner, WM_NULL, 0, 0);
    // Taken out again before the wrapper goes, so the menu itself survives.
    RemoveMenu(wrapper, 0, MF_BYPOSITION);
    DestroyMenu(wrapper);
    return result;
}
