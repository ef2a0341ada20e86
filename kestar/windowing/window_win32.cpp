// The window class: creation, the static window procedure, the dispatcher into the 36 slots and
// the window services (see window.h).
#include "kestar/windowing/window.h"

#include <commctrl.h>
#include <shellapi.h>

#include "kestar/base/dllinterface.h"
#include "kestar/base/helpfile.h"
#include "kestar/base/keyboard.h"
#include "kestar/base/logit.h"
#include "kestar/devices/netproc.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/registry.h"
#include "kestar/base/stringarray.h"
#include "kestar/base/unicode.h"
#include "kestar/base/winwait.h"
#include "kestar/base/wstring.h"
#include "kestar/windowing/control.h"
#include "kestar/windowing/drawcontext.h"
#include "kestar/windowing/ownerdraw.h"
#include "kestar/windowing/windowmath.h"

#include <cstdio>
#include <cstring>
#include <vector>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef ETDT_ENABLETAB
#define ETDT_ENABLETAB 6
#endif
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

namespace {

// Process-wide, user-interface thread only (see window.h).
int gClassCounter = 0;
int gDpiOverride = -1;
DLLINTERFACE *gShcore = nullptr; // owned for the process once loaded
bool gShcoreTried = false;
WINDOW::LINKOPENER gLinkOpener = nullptr;

HINSTANCE LanguageModule()
{
    HINSTANCE module = static_cast<HINSTANCE>(OSYS::GetLanguageModule());
    return module ? module : GetModuleHandleA(nullptr);
}

bool OpenLinkByShell(const wchar_t *url)
{
    HINSTANCE rc = ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(rc) > 32;
}

// The monitor function of shcore (GetDpiForMonitor), loaded once; null when missing.
typedef HRESULT(WINAPI *GETDPIFORMONITOR)(HMONITOR, int, UINT *, UINT *);
GETDPIFORMONITOR DpiForMonitor()
{
    if (!gShcoreTried) {
        gShcoreTried = true;
        gShcore = new DLLINTERFACE("shcore.dll", "GetDpiForMonitor");
        if (!gShcore->IsLoaded() || gShcore->GetFunction() == nullptr) {
            delete gShcore;
            gShcore = nullptr;
        }
    }
    return gShcore ? reinterpret_cast<GETDPIFORMONITOR>(gShcore->GetFunction()) : nullptr;
}

STRING WideToText(const wchar_t *wide, int length)
{
    return STRING(wide, length, UNICODE_CPSYSTEM);
}

// A remote call made for a window wraps the handle in a temporary window object after each read
// of its result (a window of this process without a control id is asked for its id).
void ProbeWindow(void *window)
{
    WINDOW probe(static_cast<HWND>(window));
}

// Every program with window objects links this file, so its calls get the probe before main.
struct PROBEARMING {
    PROBEARMING() { NETPROC::SetWindowProbe(ProbeWindow); }
} gProbeArming;

} // namespace

// ---- construction ----------------------------------------------------------------------------

WINDOW::WINDOW() : AutoDestroy(0), DpiScale(-1)
{
}

WINDOW::WINDOW(HWND window) : AutoDestroy(0), DpiScale(-1)
{
    Init(window);
}

WINDOW::WINDOW(const WINDOW &other) : BASEWINDOW(), AutoDestroy(0), DpiScale(-1)
{
    hWnd = other.hWnd;
    Id = other.Id;
}

void WINDOW::Assign(const WINDOW &other)
{
    if (this == &other)
        return;
    hWnd = other.hWnd;
    Id = other.Id;
    HookProc = other.HookProc;
    AutoDestroy = 0;
    DpiScale = -1;
}

WINDOW::WINDOW(DWORD style, const char *text, int x, int y, int width, int height, HWND parent, int id, int menuId,
               const char *className, HCURSOR cursor)
    : AutoDestroy(0), DpiScale(-1)
{
    Create(style, text, x, y, width, height, parent, id, menuId, className, cursor);
    AutoDestroy = 1;
    if (!(style & WS_CHILD))
        DpiScale = static_cast<short>(GetDpiScale(hWnd));
}

WINDOW::~WINDOW()
{
    if (AutoDestroy) {
        LOGIT::Printf("WINDOW::~WINDOW auto-destroying %s %d\n", static_cast<const char *>(GetText()), Id);
        if (hWnd)
            DestroyWindow(hWnd);
        AutoDestroy = 0;
    }
    // A window that outlives its object must not call into freed memory.
    if (hWnd && IsWindow(hWnd) && GetWindowLongPtrA(hWnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
    hWnd = nullptr;
}

bool WINDOW::Create(DWORD style, const char *text, int x, int y, int width, int height, HWND parent, int id,
                    int menuId, const char *className, HCURSOR cursor)
{
    hWnd = nullptr;
    HookProc = nullptr;
    Id = id;
    char name[64];
    if (className == nullptr) {
        std::snprintf(name, sizeof name, "AppWindow%d", gClassCounter++);
        className = name;
    }
    HINSTANCE language = LanguageModule();
    HINSTANCE program = GetModuleHandleA(nullptr);
    HICON icon = nullptr;
    if (Id > 0 && Id <= 0xFFFF)
        icon = LoadIconA(language, MAKEINTRESOURCEA(Id));
    if (icon == nullptr)
        icon = LoadIconA(program, MAKEINTRESOURCEA(1));
    if (icon == nullptr)
        icon = LoadIconA(language, MAKEINTRESOURCEA(1));
    if (icon == nullptr)
        icon = LoadIconA(nullptr, IDI_APPLICATION);

    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = StaticWndProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = language;
    wc.hIcon = icon;
    wc.hCursor = cursor ? cursor : LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    wc.lpszClassName = className;
    // A class registered before stays as it was: the repeat fails quietly.
    RegisterClassA(&wc);

    HMENU menu = nullptr;
    bool ownMenu = false;
    if (!(style & WS_CHILD)) {
        if (menuId != 0) {
            menu = LoadMenuA(language, MAKEINTRESOURCEA(menuId));
            ownMenu = menu != nullptr;
        }
    } else {
        menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    }
    HWND window = CreateWindowExA(0, className, text ? text : "", style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, y,
                                  width, height, parent, menu, language, this);
    if (window == nullptr) {
        LOGIT::Printf("WINDOW::Create CreateWindowExA(%s) failed: %lu\n", className, GetLastError());
        if (ownMenu)
            DestroyMenu(menu);
        return false;
    }
    hWnd = window;
    RECT client = {};
    ::GetClientRect(window, &client);
    if ((width == CW_USEDEFAULT && client.right - client.left == 0) ||
        (height == CW_USEDEFAULT && client.bottom - client.top == 0))
        MoveWindow(window, 32, 32, 600, 400, TRUE);
    return true;
}

// ---- the window procedure and the dispatcher ---------------------------------------------------

LRESULT CALLBACK WINDOW::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Item texts owned by a list go with their item, whatever the window's object does.
    if (message == WM_DELETEITEM)
        OWNERDRAW::DeleteItem(lParam);
    if (message == WM_CREATE && lParam != 0) {
        const CREATESTRUCTA *create = reinterpret_cast<const CREATESTRUCTA *>(lParam);
        WINDOW *object = static_cast<WINDOW *>(create->lpCreateParams);
        if (object) {
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
            object->hWnd = window;
        }
    }
    WINDOW *object = reinterpret_cast<WINDOW *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (object == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    LRESULT hooked = 0;
    if (object->HookProc)
        hooked = object->HookProc(window, message, wParam, lParam);
    LOGIT::HandleDebugHotKeys(message, wParam, lParam);
    if (message == WM_DESTROY)
        object->WinProc(message, wParam, lParam);
    LRESULT result = object->WinProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The handle may be reused by a new window: the object lets go of it for good, so its
        // destructor never destroys somebody else's window.
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        if (object->hWnd == window) {
            object->hWnd = nullptr;
            object->AutoDestroy = 0;
        }
    }
    return result | hooked;
}

LRESULT WINDOW::Default(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (DialogRouting)
        return 0;
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

LRESULT WINDOW::Slot(LRESULT result, UINT message, WPARAM wParam, LPARAM lParam)
{
    return result != 0 ? result : Default(message, wParam, lParam);
}

LRESULT WINDOW::WinProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        if (lParam != 0) {
            // OnCreate runs from the message loop, after the constructor has finished.
            PostMessageA(hWnd, WM__DEFERREDCREATE, 0, 0);
            return Default(message, wParam, lParam);
        }
        return Slot(OnCreate(), message, wParam, lParam);
    case WM__DEFERREDCREATE:
        WinProc(WM_CREATE, 0, 0);
        return Default(message, wParam, lParam);
    case WM_DESTROY: {
        LRESULT result = OnDestroy();
        HookProc = nullptr;
        return Slot(result, message, wParam, lParam);
    }
    case WM_MOVE:
        return Slot(OnMoved(), message, wParam, lParam);
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED)
            return Slot(OnMinimized(), message, wParam, lParam);
        if (wParam == SIZE_RESTORED)
            OnRestored();
        return Slot(OnSized(), message, wParam, lParam);
    case WM_ACTIVATE:
        return Slot(LOWORD(wParam) ? OnActivate() : OnDeactivate(), message, wParam, lParam);
    case WM_SHOWWINDOW:
        return Slot(wParam ? OnShow() : OnHide(), message, wParam, lParam);
    case WM_SETFOCUS:
        return Slot(OnSetFocus(), message, wParam, lParam);
    case WM_KILLFOCUS:
        return Slot(OnKillFocus(), message, wParam, lParam);
    case WM_PAINT:
        return Slot(OnPaint(), message, wParam, lParam);
    case WM_CLOSE:
        return Slot(OnClose(), message, wParam, lParam);
    case WM_NCPAINT:
        return Slot(OnNcPaint(), message, wParam, lParam);
    case WM_HELP:
        return Slot(OnHelp(), message, wParam, lParam);
    case WM_TIMER:
        return Slot(OnTimer(wParam), message, wParam, lParam);
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
        return Slot(OnMenuLoop(message, wParam), message, wParam, lParam);
    case WM_ENDSESSION:
        if (wParam == 0)
            return Default(message, wParam, lParam);
        return Slot(OnEndSession(), message, wParam, lParam);
    case WM_QUERYENDSESSION:
    case WM_ERASEBKGND:
        return 1;
    case WM_INPUTLANGCHANGE:
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_COMPOSITION:
        return Slot(OnImeMessage(message, wParam, lParam), message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_IME_CHAR: {
        KEYEVENT key;
        std::memset(&key, 0, sizeof key);
        if (!KEYBOARD::GetInstance()->HandleKeyboardMsg(message, wParam, lParam, &key))
            return Default(message, wParam, lParam);
        return Slot(OnKey(&key), message, wParam, lParam);
    }
    case WM_COMMAND:
        return DispatchCommand(wParam, lParam);
    case WM_NOTIFY:
        return DispatchNotify(wParam, lParam);
    case WM_HSCROLL:
    case WM_VSCROLL:
        return DispatchScroll(message, wParam, lParam);
    case WM_CTLCOLORSTATIC: {
        CONTROL control(reinterpret_cast<HWND>(lParam));
        LRESULT brush;
        {
            DRAWCONTEXT context(reinterpret_cast<HDC>(wParam), control.hWnd);
            brush = OnCtlColor(message, &control, &context);
        }
        return Slot(brush, message, wParam, lParam);
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        return Slot(OnMouse(message, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                            static_cast<int>(wParam)),
                    message, wParam, lParam);
    case WM_MOUSEWHEEL: {
        int delta = static_cast<short>(HIWORD(wParam));
        // A zero delta moves nothing: no slot.
        if (delta == 0)
            return Default(message, wParam, lParam);
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ScreenToClient(hWnd, &point);
        return Slot(OnMouse(message, point.x, point.y, WINDOWMATH::WheelAmount(delta)), message, wParam, lParam);
    }
    case WM_SIZING:
        return Slot(OnSizing(reinterpret_cast<RECT *>(lParam), WINDOWMATH::SizingEdgeBits(static_cast<int>(wParam))),
                    message, wParam, lParam);
    case WM_DROPFILES:
        return DispatchDropFiles(wParam, lParam);
    case WM_DPICHANGED:
        return DispatchDpiChanged(wParam, lParam);
    case WM_GETDPISCALEDSIZE:
        return DispatchDpiScaledSize(wParam, lParam);
    case WM__QUERYID:
        if (wParam != 0)
            *reinterpret_cast<int *>(wParam) = Id;
        return Default(message, wParam, lParam);
    case WM__QUERYOBJECT:
        if (wParam != 0)
            *reinterpret_cast<void **>(wParam) = QueryObject();
        return 1;
    default:
        if (message >= WM__USERFIRST && message <= WM__USERLAST)
            return Slot(OnUserMessage(message, wParam, lParam), message, wParam, lParam);
        return Default(message, wParam, lParam);
    }
}

LRESULT WINDOW::DispatchCommand(WPARAM wParam, LPARAM lParam)
{
    int code = HIWORD(wParam);
    if (code <= 1 && lParam == 0)
        return Slot(OnCommand(LOWORD(wParam)), WM_COMMAND, wParam, lParam);
    CONTROL control(reinterpret_cast<HWND>(lParam));
    LRESULT result = 0;
    switch (code) {
    case BN_CLICKED: {
        int id = LOWORD(wParam);
        if (control.IsClass("Button", BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_USERBUTTON)) {
            if (id == IDHELP || id == 0xFFFC) {
                result = OnHelp();
            } else {
                result = OnPushbutton(id);
                if (result == 0)
                    result = OnNotify(0, &control, 0);
            }
        } else {
            result = OnNotify(0, &control, 0);
        }
        break;
    }
    case 1:
    case 2:
    case 4:
    case 5:
    case 0x13:
    case 0x200:
    case 0x300:
        result = OnNotify(code, &control, 0);
        break;
    default:
        break;
    }
    return Slot(result, WM_COMMAND, wParam, lParam);
}

LRESULT WINDOW::DispatchNotify(WPARAM wParam, LPARAM lParam)
{
    const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
    if (header == nullptr)
        return Default(WM_NOTIFY, wParam, lParam);
    CONTROL control(header->hwndFrom);
    int code = static_cast<int>(header->code);
    STRING className = control.GetClassName();
    LRESULT result = 0;
    if (STR::stricmp(className, "SysListView32") == 0) {
        switch (code) {
        case -3: // NM_DBLCLK
        case -4: // NM_RETURN
        case -5: // NM_RCLICK
        case -7: // NM_SETFOCUS
        case -101: // LVN_ITEMCHANGED
            return Slot(OnNotify(code, &control, 0), WM_NOTIFY, wParam, lParam);
        case -108: { // LVN_COLUMNCLICK
            const NMLISTVIEW *list = reinterpret_cast<const NMLISTVIEW *>(lParam);
            LOGIT::Assert(list->iItem == -1, "pnm->iItem==-1", __FILE__, __LINE__, nullptr, 0);
            return Slot(OnNotify(code, &control, list->iSubItem), WM_NOTIFY, wParam, lParam);
        }
        case -109: // LVN_BEGINDRAG
        case -155: // LVN_KEYDOWN
            return Slot(OnNotify(code, &control, lParam), WM_NOTIFY, wParam, lParam);
        default:
            break;
        }
    } else if (STR::stricmp(className, "SysTabControl32") == 0) {
        if (code == -551) // TCN_SELCHANGE
            return Slot(OnNotify(code, &control, 0), WM_NOTIFY, wParam, lParam);
        if (code == -552) // TCN_SELCHANGING
            return 1;
    } else if (STR::stricmp(className, "SysTreeView32") == 0) {
        if (code == -402) // TVN_SELCHANGED
            return Slot(OnNotify(code, &control, 0), WM_NOTIFY, wParam, lParam);
    }
    switch (code) {
    case -722: { // UDN_DELTAPOS
        const NMUPDOWN *updown = reinterpret_cast<const NMUPDOWN *>(lParam);
        result = OnNotify(code, &control, updown->iPos + updown->iDelta);
        return Slot(result, WM_NOTIFY, wParam, lParam);
    }
    case -520: // the tool-tip text request
        return Slot(OnNotify(code, &control, lParam), WM_NOTIFY, wParam, lParam);
    case -2: // NM_CLICK
    case -4: // NM_RETURN
        // Only a link control sends the link record; list views, tree views and status bars
        // send a bare header that must not be read as one.
        if (STR::stricmp(className, "SysLink") == 0) {
            const NMLINK *link = reinterpret_cast<const NMLINK *>(lParam);
            wchar_t url[L_MAX_URL_LENGTH];
            lstrcpynW(url, link->item.szUrl, L_MAX_URL_LENGTH);
            LINKOPENER opener = gLinkOpener ? gLinkOpener : OpenLinkByShell;
            opener(url);
            return 1;
        }
        break;
    default:
        break;
    }
    return Default(WM_NOTIFY, wParam, lParam);
}

LRESULT WINDOW::DispatchScroll(UINT message, WPARAM wParam, LPARAM lParam)
{
    int code = LOWORD(wParam);
    int position = HIWORD(wParam);
    CONTROL control(reinterpret_cast<HWND>(lParam));
    int low = 0, high = 100;
    if (lParam == 0 || !GetScrollRange(reinterpret_cast<HWND>(lParam), SB_CTL, &low, &high)) {
        low = 0;
        high = 100;
    }
    if (code == SB_ENDSCROLL)
        return Default(message, wParam, lParam);
    if (code == SB_TOP) {
        code = SB_THUMBPOSITION;
        position = low;
    } else if (code == SB_BOTTOM) {
        code = SB_THUMBPOSITION;
        position = high;
    }
    return Slot(OnScroll(code, &control, position), message, wParam, lParam);
}

LRESULT WINDOW::DispatchDropFiles(WPARAM wParam, LPARAM lParam)
{
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    STRINGARRAY paths(64);
    for (UINT i = 0; i < count; ++i) {
        // Each path at its full length: a long path cut at 260 would name another file.
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::vector<wchar_t> path(length + 1);
        UINT got = DragQueryFileW(drop, i, path.data(), length + 1);
        paths.AddItem(WideToText(path.data(), static_cast<int>(got)));
    }
    LRESULT result = OnDropFiles(static_cast<int>(count), paths);
    DragFinish(drop);
    return Slot(result, WM_DROPFILES, wParam, lParam);
}

LRESULT WINDOW::DispatchDpiChanged(WPARAM wParam, LPARAM lParam)
{
    if (wParam == 0 || lParam == 0)
        return Default(WM_DPICHANGED, wParam, lParam);
    int scale = WINDOWMATH::ScaleFromDpi(LOWORD(wParam), HIWORD(wParam));
    DpiScale = static_cast<short>(scale);
    RECT *rect = reinterpret_cast<RECT *>(lParam);
    int forRect = GetDpiScaleForRect(rect);
    LOGIT::Assert(forRect == scale, "dpifornewrect==newscale", __FILE__, __LINE__, nullptr, 0);
    LOGIT::Printf("WinProc WM_DPICHANGED newscale=%d, rect=%d/%d %d/%d, size=%dx%d ******\n", scale,
                  static_cast<int>(rect->left), static_cast<int>(rect->top), static_cast<int>(rect->right),
                  static_cast<int>(rect->bottom), static_cast<int>(rect->right - rect->left),
                  static_cast<int>(rect->bottom - rect->top));
    LRESULT result = OnDpiChanged(scale, rect);
    if (result != 0)
        return result;
    SetWindowPos(hWnd, nullptr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    return 1;
}

LRESULT WINDOW::DispatchDpiScaledSize(WPARAM wParam, LPARAM lParam)
{
    if (DpiScale == -1 || lParam == 0)
        return Default(WM_GETDPISCALEDSIZE, wParam, lParam);
    SIZE *size = reinterpret_cast<SIZE *>(lParam);
    int scale = static_cast<int>(wParam) * 100 / 96;
    LOGIT::Printf("WinProc WM_GETDPISCALEDSIZE.1 current scale=%d, current size %dx%d  ******\n", DpiScale,
                  static_cast<int>(size->cx), static_cast<int>(size->cy));
    int width = WINDOWMATH::ScaledSize(size->cx, scale, DpiScale);
    int height = WINDOWMATH::ScaledSize(size->cy, scale, DpiScale);
    LOGIT::Printf("WinProc WM_GETDPISCALEDSIZE.2 new scale=%d, new size %dx%d  ******\n", scale, width, height);
    RECT rect = {};
    ::GetWindowRect(hWnd, &rect);
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    // OnSizing sees the new scale through GetDpiScaleForRect.
    gDpiOverride = scale;
    LRESULT result = OnSizing(&rect, 0);
    gDpiOverride = -1;
    if (result == 0)
        return Default(WM_GETDPISCALEDSIZE, wParam, lParam);
    size->cx = rect.right - rect.left;
    size->cy = rect.bottom - rect.top;
    LOGIT::Printf("WinProc WM_GETDPISCALEDSIZE.4, final size is %dx%d  ******\n", static_cast<int>(size->cx),
                  static_cast<int>(size->cy));
    return result;
}

// ---- default slots -----------------------------------------------------------------------------

LRESULT WINDOW::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hWnd, &paint);
    RECT client = {};
    ::GetClientRect(hWnd, &client);
    if (dc)
        ::FillRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW));
    ::EndPaint(hWnd, &paint);
    return 1;
}

LRESULT WINDOW::OnHelp()
{
    HELPFILE *help = HELPFILE::GetHelpFile();
    if (!help->IsAvailable())
        return 0;
    HWND focus = ::GetFocus();
    if (focus && IsWindow(focus) && help->ShowHelpForWindow(focus))
        return 1;
    if (help->ShowTopic(Id))
        return 1;
    if (help->ShowHelpForWindow(hWnd))
        return 1;
    if (help->GetFallbackTopic() != -1 && help->ShowTopic(help->GetFallbackTopic()))
        return 1;
    return 0;
}

LRESULT WINDOW::OnEndSession()
{
    PostMessageA(hWnd, WM_CLOSE, 0, 0);
    return 0;
}

bool WINDOW::IsMaximized()
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    return GetWindowPlacement(hWnd, &placement) && placement.showCmd == SW_SHOWMAXIMIZED;
}

// ---- window services ---------------------------------------------------------------------------

void WINDOW::AddStyle(DWORD bits)
{
    SetWindowLongPtrA(hWnd, GWL_STYLE, GetWindowLongPtrA(hWnd, GWL_STYLE) | bits);
}

void WINDOW::RemoveStyle(DWORD bits)
{
    SetWindowLongPtrA(hWnd, GWL_STYLE, GetWindowLongPtrA(hWnd, GWL_STYLE) & ~static_cast<LONG_PTR>(bits));
}

void WINDOW::AddExStyle(DWORD bits)
{
    SetWindowLongPtrA(hWnd, GWL_EXSTYLE, GetWindowLongPtrA(hWnd, GWL_EXSTYLE) | bits);
}

void WINDOW::RemoveExStyle(DWORD bits)
{
    SetWindowLongPtrA(hWnd, GWL_EXSTYLE, GetWindowLongPtrA(hWnd, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(bits));
}

void WINDOW::Show(bool on)
{
    if (!on) {
        ShowWindow(hWnd, SW_HIDE);
        return;
    }
    if (IsMinimized())
        ShowWindow(hWnd, SW_RESTORE);
    else if (IsMaximized())
        ShowWindow(hWnd, SW_SHOWMAXIMIZED);
    else
        ShowWindow(hWnd, SW_SHOWNORMAL);
}

void WINDOW::Minimize()
{
    ShowWindow(hWnd, SW_MINIMIZE);
}

void WINDOW::Maximize()
{
    ShowWindow(hWnd, SW_SHOWMAXIMIZED);
}

bool WINDOW::IsMinimized()
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    return GetWindowPlacement(hWnd, &placement) && placement.showCmd == SW_SHOWMINIMIZED;
}

bool WINDOW::IsChild()
{
    return (GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CHILD) != 0;
}

bool WINDOW::IsValid()
{
    return hWnd != nullptr && IsWindow(hWnd);
}

bool WINDOW::IsEnabled()
{
    return IsWindowEnabled(hWnd) != 0;
}

void WINDOW::Enable(bool on)
{
    EnableWindow(hWnd, on ? TRUE : FALSE);
}

void WINDOW::SetFocus()
{
    ::SetFocus(hWnd);
}

bool WINDOW::SetTimer(UINT_PTR timer, UINT ms)
{
    return ::SetTimer(hWnd, timer, ms, nullptr) != 0;
}

bool WINDOW::KillTimer(UINT_PTR timer)
{
    return ::KillTimer(hWnd, timer) != 0;
}

void WINDOW::Invalidate(const RECT *rect, bool erase)
{
    InvalidateRect(hWnd, rect, erase ? TRUE : FALSE);
}

HDC WINDOW::GetDC()
{
    return ::GetDC(hWnd);
}

void WINDOW::ReleaseDC(HDC dc)
{
    ::ReleaseDC(hWnd, dc);
}

HDC WINDOW::BeginPaint(PAINTSTRUCT *paint)
{
    return ::BeginPaint(hWnd, paint);
}

void WINDOW::EndPaint(PAINTSTRUCT *paint)
{
    ::EndPaint(hWnd, paint);
}

bool WINDOW::SetText(const char *text)
{
    WSTRING wide(text ? text : "", UNICODE_CPSYSTEM);
    wide.SetNotNull();
    return SetWindowTextW(hWnd, wide.GetWide()) != 0;
}

STRING WINDOW::GetText()
{
    int length = GetWindowTextLengthW(hWnd);
    std::vector<wchar_t> text(length + 1);
    int got = hWnd ? GetWindowTextW(hWnd, text.data(), length + 1) : 0;
    STRING result = WideToText(text.data(), got);
    result.SetNotNull();
    return result;
}

RECT WINDOW::GetClientRect()
{
    RECT rect = {};
    if (!LOGIT::Assert(hWnd != HWND_DESKTOP, "this->hWnd!=HWND_DESKTOP", __FILE__, __LINE__, nullptr, 0) ||
        hWnd == HWND_DESKTOP)
        return rect;
    ::GetClientRect(hWnd, &rect);
    return rect;
}

RECT WINDOW::GetRect()
{
    RECT rect = {};
    if (hWnd == nullptr) {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &rect, 0);
        return rect;
    }
    ::GetWindowRect(hWnd, &rect);
    HWND parent = ::GetAncestor(hWnd, GA_PARENT);
    HWND owner = ::GetWindow(hWnd, GW_OWNER);
    if ((GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CHILD) && parent && parent != owner)
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

RECT WINDOW::GetDesktopRect()
{
    RECT rect = {};
    int monitors = GetSystemMetrics(SM_CMONITORS);
    LOGIT::Printf("WINDOW::GetDesktopRect detected %d monitors\n", monitors);
    if (monitors <= 1) {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &rect, 0);
    } else {
        rect.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        rect.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        rect.right = rect.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
        rect.bottom = rect.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    }
    LOGIT::Printf("WINDOW::GetDesktopRect return (%d %d %d %d)\n", static_cast<int>(rect.left),
                  static_cast<int>(rect.top), static_cast<int>(rect.right), static_cast<int>(rect.bottom));
    return rect;
}

bool WINDOW::IsOnScreen()
{
    if (!IsWindowVisible(hWnd))
        return false;
    RECT rect = GetRect();
    RECT desktop = GetDesktopRect();
    return rect.right > desktop.left && rect.left < desktop.right && rect.bottom > desktop.top &&
           rect.top < desktop.bottom;
}

bool WINDOW::Move(int x, int y, int width, int height)
{
    if (width == -1 || height == -1) {
        RECT rect = {};
        ::GetWindowRect(hWnd, &rect);
        if (width == -1)
            width = rect.right - rect.left;
        if (height == -1)
            height = rect.bottom - rect.top;
    }
    return MoveWindow(hWnd, x, y, width, height, TRUE) != 0;
}

bool WINDOW::SetSize(int width, int height)
{
    return SetWindowPos(hWnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

bool WINDOW::MoveToX(int x)
{
    RECT rect = GetRect();
    return SetWindowPos(hWnd, nullptr, x, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

WINDOW WINDOW::GetParent()
{
    return WINDOW(::GetParent(hWnd));
}

WINDOW WINDOW::GetOwner()
{
    if (IsChild())
        return WINDOW(::GetAncestor(hWnd, GA_ROOT));
    return WINDOW(::GetWindow(hWnd, GW_OWNER));
}

WINDOW WINDOW::GetTopLevel()
{
    HWND window = hWnd;
    while (window && (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD)) {
        HWND parent = ::GetParent(window);
        if (parent == nullptr)
            break;
        window = parent;
    }
    return WINDOW(window);
}

STRING WINDOW::GetClassName()
{
    char name[128];
    int length = hWnd ? ::GetClassNameA(hWnd, name, sizeof name) : 0;
    STRING result(length > 0 ? name : "");
    result.SetNotNull();
    return result;
}

bool WINDOW::IsClass(const char *name, int s1, int s2, int s3)
{
    if (STR::stricmp(GetClassName(), name) != 0)
        return false;
    if (s1 == -1)
        return true;
    int low = static_cast<int>(GetWindowLongPtrA(hWnd, GWL_STYLE) & 0xF);
    return low == s1 || low == s2 || low == s3;
}

bool WINDOW::IsDropdownList()
{
    return hWnd && IsClass("ComboBox") && (GetWindowLongA(hWnd, GWL_STYLE) & 7) == CBS_DROPDOWNLIST;
}

bool WINDOW::IsDropdownCombo()
{
    return hWnd && IsClass("ComboBox") && (GetWindowLongA(hWnd, GWL_STYLE) & 7) == CBS_DROPDOWN;
}

bool WINDOW::BringToForeground()
{
    BOOL rc = SetForegroundWindow(hWnd);
    LOGIT::Printf("WINDOW::BringToForeground SetForegroundWindow (1), rc= %d\n", rc);
    return rc != 0;
}

void WINDOW::SetTopmost(bool on)
{
    SetWindowPos(hWnd, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void WINDOW::SetZOrder(int direction, HWND reference)
{
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW;
    if (reference == nullptr) {
        SetWindowPos(hWnd, direction == -1 ? HWND_BOTTOM : HWND_TOP, 0, 0, 0, 0, flags);
        return;
    }
    if (!LOGIT::Assert(direction == 1, "topbottom==+1", __FILE__, __LINE__, nullptr, 0) || direction != 1)
        return;
    SetWindowPos(hWnd, reference, 0, 0, 0, 0, flags);
}

void WINDOW::SetCapture(bool on)
{
    if (on)
        ::SetCapture(hWnd);
    else
        ReleaseCapture();
}

void WINDOW::ShowWaitCursor()
{
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

void WINDOW::RefreshCursor()
{
    POINT point;
    if (GetCursorPos(&point))
        SetCursorPos(point.x, point.y);
}

bool WINDOW::SetTransparency(int alpha, int colourKey)
{
    typedef BOOL(WINAPI * SETLAYERED)(HWND, COLORREF, BYTE, DWORD);
    SETLAYERED setLayered =
        reinterpret_cast<SETLAYERED>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetLayeredWindowAttributes"));
    if (setLayered == nullptr)
        return false;
    if (alpha < 0)
        alpha = 0;
    if (alpha > 255)
        alpha = 255;
    if (alpha == 255) {
        RemoveExStyle(WS_EX_LAYERED);
        return true;
    }
    AddExStyle(WS_EX_LAYERED);
    setLayered(hWnd, colourKey == -1 ? 0 : static_cast<COLORREF>(colourKey), static_cast<BYTE>(alpha),
               colourKey == -1 ? LWA_ALPHA : LWA_COLORKEY);
    return true;
}

bool WINDOW::AnimateShow(DWORD flags, DWORD ms, bool show)
{
    typedef BOOL(WINAPI * ANIMATE)(HWND, DWORD, DWORD);
    ANIMATE animate = reinterpret_cast<ANIMATE>(GetProcAddress(GetModuleHandleA("user32.dll"), "AnimateWindow"));
    if (flags == 0 || animate == nullptr) {
        Show(show);
        return true;
    }
    if (show) {
        ShowWindow(hWnd, SW_HIDE);
        animate(hWnd, ms, flags);
    } else {
        animate(hWnd, ms, flags | AW_HIDE);
    }
    return true;
}

int WINDOW::FocusFirstControl()
{
    for (HWND child = FindWindowExA(hWnd, nullptr, nullptr, nullptr); child;
         child = FindWindowExA(hWnd, child, nullptr, nullptr)) {
        WINDOW control(child);
        LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
        bool takes = (style & WS_TABSTOP) && IsWindowEnabled(child) && !control.IsClass("STATIC") &&
                     (style & 0xF) != BS_AUTORADIOBUTTON;
        if (takes || SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            ::SetFocus(child);
            return static_cast<int>(GetWindowLongPtrA(child, GWLP_ID));
        }
    }
    return 0;
}

bool WINDOW::HasManifest(HMODULE module)
{
    if (module == nullptr)
        module = GetModuleHandleA(nullptr);
    return FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) != nullptr;
}

bool WINDOW::EnableThemeTexture(HMODULE manifestModule)
{
    bool found = false;
    if (HasManifest(manifestModule)) {
        DLLINTERFACE uxtheme("uxtheme", "EnableThemeDialogTexture");
        typedef HRESULT(WINAPI * ENABLETEXTURE)(HWND, DWORD);
        ENABLETEXTURE enable = reinterpret_cast<ENABLETEXTURE>(uxtheme.GetFunction());
        if (enable) {
            found = true;
            enable(hWnd, ETDT_ENABLETAB);
            for (HWND child = FindWindowExA(hWnd, nullptr, nullptr, nullptr); child;
                 child = FindWindowExA(hWnd, child, nullptr, nullptr)) {
                WINDOW control(child);
                if (control.IsClass("Button") && (GetWindowLongPtrA(child, GWL_STYLE) & 7) != 0)
                    control.AddExStyle(WS_EX_TRANSPARENT);
            }
        }
    }
    AddExStyle(WS_EX_CONTROLPARENT);
    return found;
}

// ---- window positions ----------------------------------------------------------------------------

bool WINDOW::StoreWindowPos(const char *appKey, const char *name)
{
    if (!IsOnScreen())
        return false;
    RECT rect = GetRect();
    bool maximized = IsMaximized();
    if (maximized) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        GetWindowPlacement(hWnd, &placement);
        rect = placement.rcNormalPosition;
    }
    LOGIT::Printf("WINDOW::StoreWindowPos(%d, %d, %d, %d)\n", static_cast<int>(rect.left), static_cast<int>(rect.top),
                  static_cast<int>(rect.right), static_cast<int>(rect.bottom));
    WINDOWMATH::RECTANGLE stored = {rect.left, rect.top, rect.right, rect.bottom};
    unsigned char bytes[16];
    WINDOWMATH::EncodeRect(stored, bytes);
    REGISTRY key(appKey, "Software\\Orvak", REGISTRY::USER_CURRENT);
    key.WriteBinary(name, bytes, sizeof bytes);
    STRING flag(name);
    flag.Append("Maximized");
    return key.WriteString(flag, maximized ? "1" : "0");
}

bool WINDOW::RestoreWindowPos(const char *appKey, const char *name, bool moveOnly)
{
    if (!moveOnly) {
        bool canSize = (GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_THICKFRAME) != 0;
        LOGIT::Assert(canSize, "(cansize)", __FILE__, __LINE__, "You should call this function with move_only=TRUE", 0);
    }
    RECT desktop = GetDesktopRect();
    LOGIT::Printf("WINDOW::RestoreWindowPos screen= (%d, %d, %d, %d)\n", static_cast<int>(desktop.left),
                  static_cast<int>(desktop.top), static_cast<int>(desktop.right), static_cast<int>(desktop.bottom));
    REGISTRY key(appKey, "Software\\Orvak", REGISTRY::USER_CURRENT);
    bool moved = false;
    STRING value;
    if (key.ReadString(name, value)) {
        WINDOWMATH::RECTANGLE area = {desktop.left, desktop.top, desktop.right, desktop.bottom};
        WINDOWMATH::RECTANGLE rect;
        if (WINDOWMATH::AcceptStoredRect(reinterpret_cast<const unsigned char *>(static_cast<const char *>(value)),
                                         value.Length(), area, &rect)) {
            moved = moveOnly ? Move(rect.Left, rect.Top, -1, -1)
                             : Move(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top);
            LOGIT::Printf("WINDOW::RestoreWindowPos rect= (%d, %d, %d, %d), success= %d\n", rect.Left, rect.Top,
                          rect.Right, rect.Bottom, moved ? 1 : 0);
        }
    }
    STRING flag(name);
    flag.Append("Maximized");
    STRING maximized;
    if (key.ReadString(flag, maximized) && STR::stricmp(maximized, "1") == 0)
        ShowWindow(hWnd, SW_SHOWMAXIMIZED);
    return moved;
}

// ---- message pumping -----------------------------------------------------------------------------

int WINDOW::WinProcessMessages(int n)
{
    int dispatched = 0;
    MSG msg;
    while (dispatched < n && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        LOGIT::Printf("WINDOW::WinProcessMessages dispatch msg= %04x\n", msg.message);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        ++dispatched;
    }
    LOGIT::Printf("WINDOW::WinProcessMessages done after n=%d messages\n", dispatched);
    return n - dispatched;
}

bool WINDOW::WinWaitForSingleObject(HANDLE handle, int ms)
{
    // The wait keeps to the whole time-out however many messages arrive (WINWAIT).
    unsigned long rc = WINWAIT::WaitForHandle(handle, ms);
    return rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED;
}

int WINDOW::GetScreenColorDepth()
{
    HDC dc = ::GetDC(nullptr);
    if (dc == nullptr)
        return 0;
    int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ::ReleaseDC(nullptr, dc);
    return bits == 16 || bits == 24 || bits == 32 ? bits : 8;
}

// ---- DPI -----------------------------------------------------------------------------------------

int WINDOW::GetDpiScaleForRect(const RECT *rect)
{
    if (gDpiOverride != -1)
        return gDpiOverride;
    if (GETDPIFORMONITOR dpiForMonitor = DpiForMonitor()) {
        RECT empty = {};
        HMONITOR monitor = MonitorFromRect(rect ? rect : &empty, MONITOR_DEFAULTTONEAREST);
        UINT x = 0, y = 0;
        if (monitor && SUCCEEDED(dpiForMonitor(monitor, 0, &x, &y)))
            return WINDOWMATH::ScaleFromDpi(static_cast<int>(x), static_cast<int>(y));
    }
    HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (dc == nullptr)
        return 100;
    int scale = WINDOWMATH::ScaleFromDpi(GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY));
    DeleteDC(dc);
    return scale;
}

int WINDOW::GetDpiScale(HWND window)
{
    while (window && (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD)) {
        HWND parent = ::GetParent(window);
        if (parent == nullptr)
            break;
        window = parent;
    }
    RECT rect = {};
    if (window)
        ::GetWindowRect(window, &rect);
    return GetDpiScaleForRect(&rect);
}

int WINDOW::ScaleByDpi(int value, HWND window)
{
    return WINDOWMATH::ScaleValue(value, GetDpiScale(window));
}

int WINDOW::GetIconSizeForDpi(int base, HWND window)
{
    bool valid = true;
    int size = WINDOWMATH::IconSizeForScale(base, GetDpiScale(window), &valid);
    LOGIT::Assert(valid, "FALSE", __FILE__, __LINE__, nullptr, 0);
    return size;
}

void WINDOW::SetDpiScaleOverride(int scale)
{
    gDpiOverride = scale;
}

int WINDOW::GetDpiScaleOverride()
{
    return gDpiOverride;
}

void WINDOW::SetLinkOpener(LINKOPENER opener)
{
    gLinkOpener = opener;
}
