// Icon and bitmap handles (see icon.h).
#include "kestar/windowing/icon.h"

#include "kestar/base/logit.h"
#include "kestar/base/osysresource.h"

ICON::ICON(int id, HWND window)
    : hIcon(nullptr), hwndAttach(nullptr), PreviousSmall(nullptr), PreviousLarge(nullptr), ResourceId(0),
      AttachFlags(0), IsIcon(false)
{
    if (id == 0 || id == -1)
        return;
    Load(id, nullptr);
    if (window)
        AttachToWindow(window, 3);
}

ICON::~ICON()
{
    Free();
}

HMODULE ICON::ModuleFor(int id, LPCSTR type, HMODULE module)
{
    if (module)
        return module;
    HMODULE language = static_cast<HMODULE>(OSYS::GetLanguageModule());
    if (language && FindResourceA(language, MAKEINTRESOURCEA(id), type))
        return language;
    return GetModuleHandleA(nullptr);
}

bool ICON::Load(int id, HMODULE module)
{
    return LoadSized(id, 0, 0, module);
}

bool ICON::LoadSized(int id, int cx, int cy, HMODULE module)
{
    if (id == 0)
        return hIcon != nullptr;
    Free();
    HMODULE from = ModuleFor(id, reinterpret_cast<LPCSTR>(RT_GROUP_ICON), module);
    UINT flags = LR_DEFAULTCOLOR | (cx == 0 && cy == 0 ? LR_DEFAULTSIZE : 0);
    hIcon = static_cast<HICON>(LoadImageA(from, MAKEINTRESOURCEA(id), IMAGE_ICON, cx, cy, flags));
    ResourceId = id;
    IsIcon = true;
    return hIcon != nullptr;
}

bool ICON::LoadBitmap(int id, int cx, int cy, HMODULE module)
{
    Free();
    HMODULE from = ModuleFor(id, reinterpret_cast<LPCSTR>(RT_BITMAP), module);
    hIcon = static_cast<HICON>(
        LoadImageA(from, MAKEINTRESOURCEA(id), IMAGE_BITMAP, cx, cy, LR_LOADMAP3DCOLORS | LR_LOADTRANSPARENT));
    ResourceId = id;
    IsIcon = false;
    return hIcon != nullptr;
}

void ICON::Free()
{
    if (hIcon == nullptr)
        return;
    if (hwndAttach)
        DetachFromWindow(3);
    if (IsIcon)
        DestroyIcon(hIcon);
    else
        DeleteObject(hIcon);
    hIcon = nullptr;
    ResourceId = 0;
    IsIcon = false;
}

bool ICON::AttachToWindow(HWND window, int flags)
{
    if (!IsIcon || hIcon == nullptr) {
        LOGIT::Assert(0, "this->IsIcon", __FILE__, __LINE__, nullptr, 0);
        return false;
    }
    if (hwndAttach) {
        LOGIT::Assert(0, "!this->hwndAttach", __FILE__, __LINE__, nullptr, 0);
        return false;
    }
    if (AttachFlags) {
        LOGIT::Assert(0, "!this->AttachFlags", __FILE__, __LINE__, nullptr, 0);
        return false;
    }
    hwndAttach = window;
    if (flags & 1) {
        PreviousSmall = reinterpret_cast<HICON>(
            SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
        AttachFlags |= 1;
    }
    if (flags & 2) {
        PreviousLarge = reinterpret_cast<HICON>(
            SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(hIcon)));
        AttachFlags |= 2;
    }
    SendMessageA(window, WM_NCPAINT, 1, 0);
    return true;
}

void ICON::DetachFromWindow(int flags)
{
    if (hwndAttach == nullptr) {
        if (AttachFlags)
            LOGIT::Assert(0, "!this->AttachFlags", __FILE__, __LINE__, nullptr, 0);
        return;
    }
    if (!IsIcon)
        LOGIT::Assert(0, "this->IsIcon", __FILE__, __LINE__, nullptr, 0);
    if (!AttachFlags)
        LOGIT::Assert(0, "this->AttachFlags", __FILE__, __LINE__, nullptr, 0);
    bool alive = IsWindow(hwndAttach) != 0;
    if ((flags & 1) && (AttachFlags & 1)) {
        if (alive)
            SendMessageA(hwndAttach, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(PreviousSmall));
        PreviousSmall = nullptr;
        AttachFlags &= ~1;
    }
    if ((flags & 2) && (AttachFlags & 2)) {
        if (alive)
            SendMessageA(hwndAttach, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(PreviousLarge));
        PreviousLarge = nullptr;
        AttachFlags &= ~2;
    }
    if (AttachFlags == 0)
        hwndAttach = nullptr;
}

bool ICON::IsAttached()
{
    return hwndAttach != nullptr && AttachFlags != 0;
}

void ICON::PutOnButton(HWND parent, int id)
{
    HWND button = GetDlgItem(parent, id);
    LONG style = GetWindowLongA(button, GWL_STYLE);
    SetWindowLongA(button, GWL_STYLE, style | (IsIcon ? BS_ICON : BS_BITMAP));
    SendMessageA(button, BM_SETIMAGE, IsIcon ? IMAGE_ICON : IMAGE_BITMAP, reinterpret_cast<LPARAM>(hIcon));
}

void ICON::RemoveFromButton(HWND parent, int id)
{
    HWND button = GetDlgItem(parent, id);
    HANDLE last = reinterpret_cast<HANDLE>(
        SendMessageA(button, BM_SETIMAGE, IsIcon ? IMAGE_ICON : IMAGE_BITMAP, 0));
    if (last != hIcon)
        LOGIT::Assert(0, "hiconlast==this->hIcon", __FILE__, __LINE__, nullptr, 0);
    LONG style = GetWindowLongA(button, GWL_STYLE);
    SetWindowLongA(button, GWL_STYLE, style & ~(IsIcon ? BS_ICON : BS_BITMAP));
}
