// WINDOW: the base of every window of the program.  It owns the window it created (AutoDestroy)
// and sorts the Win32 messages into 36 virtual slots through one dispatcher (WinProc).  Every slot
// returns 0 by default, and a 0 lets the message go on to DefWindowProcA, so derived classes
// override only what they need.  It also keeps the window's DPI scale and offers the small window
// services (styles, placement, positions in the registry, message pumping, transparency, focus).
//
// All windows live on the thread that created them; other threads only post to them.  The class
// counter, the DPI override and the shcore binding are process-wide and touched by that thread.
// Windows only; the arithmetic is in windowmath.h.
#ifndef KESTAR_WINDOWING_WINDOW_H
#define KESTAR_WINDOWING_WINDOW_H

#include "kestar/windowing/basewindow.h"
#include "kestar/base/string.h"

class CONTROL;
class DRAWCONTEXT;
class STRINGARRAY;
struct KEYEVENT;

class WINDOW : public BASEWINDOW {
public:
    // Not attached: hWnd null, Id 0, AutoDestroy 0, DpiScale -1.
    WINDOW();
    // Attached without owning (FromHandle), see BASEWINDOW::Init.
    explicit WINDOW(HWND window);
    // Copies hWnd and Id, not the hook; not owning (FromWindow).
    WINDOW(const WINDOW &other);
    // Assign: copies hWnd, Id and HookProc; not owning; DpiScale -1.
    WINDOW &operator=(const WINDOW &other) { Assign(other); return *this; }
    void Assign(const WINDOW &other);
    // Creates the window (see Create) and owns it; a top-level window measures its DpiScale.
    // menuId: the menu of a top-level window in the language module; className: null for a class
    // of its own ("AppWindow%d"); cursor: null for the arrow.  On failure hWnd stays null.
    WINDOW(DWORD style, const char *text, int x, int y, int width, int height, HWND parent, int id, int menuId,
           const char *className = nullptr, HCURSOR cursor = nullptr);
    // Destroys an owned window (logged); always forgets the handle.
    ~WINDOW() override;

    // Registers the class when needed (on the language module, icon: icon Id of the language
    // module, icon 1 of the program, icon 1 of the language module, IDI_APPLICATION) and creates
    // the window with this object as its creation parameter.  A CW_USEDEFAULT width or height that
    // leaves the client area empty is repaired to 32,32 600x400.  True when a window was made.
    bool Create(DWORD style, const char *text, int x, int y, int width, int height, HWND parent, int id,
                int menuId, const char *className, HCURSOR cursor);
    // The window procedure of every class of the library.
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Slot 0: the dispatcher.
    LRESULT WinProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Slots 3 to 35 (the message that reaches each is in window_win32.cpp's dispatcher).
    virtual LRESULT OnCreate() { return 0; }
    virtual LRESULT OnActivate() { return 0; }
    virtual LRESULT OnDeactivate() { return 0; }
    virtual LRESULT OnCommand(int command) { (void)command; return 0; }
    virtual LRESULT OnPushbutton(int button) { (void)button; return 0; }
    // data: 0, a column, a position or the notification record (LPARAM), per notification.
    virtual LRESULT OnNotify(int code, CONTROL *control, LPARAM data) { (void)code; (void)control; (void)data; return 0; }
    virtual LRESULT OnScroll(int code, CONTROL *control, int position) { (void)code; (void)control; (void)position; return 0; }
    virtual LRESULT OnKey(KEYEVENT *key) { (void)key; return 0; }
    virtual LRESULT OnMenuLoop(UINT message, WPARAM wParam) { (void)message; (void)wParam; return 0; }
    virtual LRESULT OnImeMessage(UINT message, WPARAM wParam, LPARAM lParam) { (void)message; (void)wParam; (void)lParam; return 0; }
    virtual LRESULT OnTimer(UINT_PTR timer) { (void)timer; return 0; }
    virtual LRESULT OnMoved() { return 0; }
    virtual LRESULT OnSized() { return 0; }
    // edges: 1 left, 2 right, 4 top, 8 bottom (0 for the DPI size query).
    virtual LRESULT OnSizing(RECT *rect, int edges) { (void)rect; (void)edges; return 0; }
    virtual LRESULT OnDpiChanged(int scale, RECT *suggested) { (void)scale; (void)suggested; return 0; }
    virtual LRESULT OnShow() { return 0; }
    virtual LRESULT OnHide() { return 0; }
    virtual LRESULT OnSetFocus() { return 0; }
    virtual LRESULT OnKillFocus() { return 0; }
    virtual LRESULT OnMinimized() { return 0; }
    virtual LRESULT OnRestored() { return 0; }
    // keys: the key state of a mouse message, or the wheel amount (1000 per notch).
    virtual LRESULT OnMouse(UINT message, int x, int y, int keys) { (void)message; (void)x; (void)y; (void)keys; return 0; }
    virtual LRESULT OnDropFiles(int count, STRINGARRAY &paths) { (void)count; (void)paths; return 0; }
    virtual LRESULT OnNcPaint() { return 0; }
    // Returns a brush (HBRUSH) or 0.
    virtual LRESULT OnCtlColor(UINT message, CONTROL *control, DRAWCONTEXT *context) { (void)message; (void)control; (void)context; return 0; }
    virtual LRESULT OnClose() { return 0; }
    // Runs twice per window (see StaticWndProc): overrides must be harmless the second time.
    virtual LRESULT OnDestroy() { return 0; }
    virtual LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) { (void)message; (void)wParam; (void)lParam; return 0; }
    virtual LRESULT OnSpare(WPARAM a, WPARAM b, LPARAM c) { (void)a; (void)b; (void)c; return 0; }
    // Fills the client area with COLOR_BTNSHADOW; 1.
    virtual LRESULT OnPaint();
    // Context help (see window_win32.cpp); 0 when no help file is set.
    virtual LRESULT OnHelp();
    // Posts WM_CLOSE to itself; 0.
    virtual LRESULT OnEndSession();
    virtual bool IsMaximized();

    // Styles.
    void AddStyle(DWORD bits);
    void RemoveStyle(DWORD bits);
    void AddExStyle(DWORD bits);
    void RemoveExStyle(DWORD bits);
    // Placement and state.
    void Show(bool on);
    void Minimize();
    void Maximize();
    bool IsMinimized();
    bool IsChild();
    bool IsValid();
    bool IsEnabled();
    void Enable(bool on);
    void SetFocus();
    bool SetTimer(UINT_PTR timer, UINT ms);
    bool KillTimer(UINT_PTR timer);
    void Invalidate(const RECT *rect, bool erase);
    HDC GetDC();
    void ReleaseDC(HDC dc);
    HDC BeginPaint(PAINTSTRUCT *paint);
    void EndPaint(PAINTSTRUCT *paint);
    // Text in code page 1252 through the wide calls.
    bool SetText(const char *text);
    STRING GetText();
    // Client rectangle; asserts when not attached (then empty).
    RECT GetClientRect();
    // Window rectangle in screen coordinates, in the parent's client coordinates for a window
    // whose parent is not its owner; the work area for a null handle.
    RECT GetRect();
    // The work area with 0 or 1 monitors, else the virtual screen.
    static RECT GetDesktopRect();
    bool IsOnScreen();
    // width or height -1 keeps the present one.
    bool Move(int x, int y, int width, int height);
    bool SetSize(int width, int height);
    bool MoveToX(int x);
    WINDOW GetParent();
    WINDOW GetOwner();
    WINDOW GetTopLevel();
    STRING GetClassName();
    // Class name equal ignoring case and, unless s1 is -1, GWL_STYLE & 0xF one of s1, s2, s3.
    bool IsClass(const char *name, int s1 = -1, int s2 = -1, int s3 = -1);
    // Class "ComboBox" with GWL_STYLE & 7 equal to CBS_DROPDOWNLIST / CBS_DROPDOWN.
    bool IsDropdownList();
    bool IsDropdownCombo();
    bool BringToForeground();
    void SetTopmost(bool on);
    // Without a reference window: -1 bottom, else top.  With one, direction must be +1 and the
    // window goes right after it.
    void SetZOrder(int direction, HWND reference);
    void SetCapture(bool on);
    static void ShowWaitCursor();
    static void RefreshCursor();
    // alpha 0-255 (held to it); colourKey -1 for none.  False without SetLayeredWindowAttributes.
    bool SetTransparency(int alpha, int colourKey);
    // AnimateWindow with flags (0: plain Show).
    bool AnimateShow(DWORD flags, DWORD ms, bool show);
    // Focuses the first child that takes it; its id, or 0.
    int FocusFirstControl();
    // Themed tab texture and transparent check boxes when manifestModule (HMODULE; null: the
    // program) carries a manifest; WS_EX_CONTROLPARENT always.  True when the theme call was
    // found.
    bool EnableThemeTexture(HMODULE manifestModule = nullptr);
    // Whether module (null: the program) carries a manifest resource (type 24, id 1).
    static bool HasManifest(HMODULE module);

    // Window positions under HKEY_CURRENT_USER "Software\Orvak\" + appKey.
    bool StoreWindowPos(const char *appKey, const char *name);
    bool RestoreWindowPos(const char *appKey, const char *name, bool moveOnly);

    // Dispatches at most n pending messages; returns n minus the number dispatched.
    static int WinProcessMessages(int n);
    // Waits at most ms (-1 without limit) for handle while dispatching messages; true when the
    // handle was signalled (an abandoned mutex counts: the caller owns it).
    static bool WinWaitForSingleObject(HANDLE handle, int ms);
    // Bits per pixel of the screen: 16, 24, 32, else 8; 0 without a screen DC.
    static int GetScreenColorDepth();

    // DPI scale in percent of 96 dpi of the monitor nearest to rect (the override when set).
    static int GetDpiScaleForRect(const RECT *rect);
    // The scale of the window's top-level-most child chain (null: an empty rectangle).
    static int GetDpiScale(HWND window);
    static int ScaleByDpi(int value, HWND window);
    // 16, 24 or 32 for the window's scale; another base asserts and counts as 16.
    static int GetIconSizeForDpi(int base, HWND window);
    // The process-wide scale that GetDpiScaleForRect answers; -1 asks the monitor again.
    static void SetDpiScaleOverride(int scale);
    static int GetDpiScaleOverride();

    // Link controls open their URL through this (tests replace it; null restores ShellExecuteW).
    typedef bool (*LINKOPENER)(const wchar_t *url);
    static void SetLinkOpener(LINKOPENER opener);

    unsigned char AutoDestroy; // this object created the window and destroys it
    short DpiScale;            // scale of the window's monitor; -1 until measured

protected:
    // Set by dialogs: a slot result of 0 is answered 0 and left to the dialog manager, which calls
    // DefWindowProcA itself (calling it here too would act twice, e.g. destroy on WM_CLOSE).
    bool DialogRouting = false;

private:
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Slot(LRESULT result, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DispatchCommand(WPARAM wParam, LPARAM lParam);
    LRESULT DispatchNotify(WPARAM wParam, LPARAM lParam);
    LRESULT DispatchScroll(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DispatchDropFiles(WPARAM wParam, LPARAM lParam);
    LRESULT DispatchDpiChanged(WPARAM wParam, LPARAM lParam);
    LRESULT DispatchDpiScaledSize(WPARAM wParam, LPARAM lParam);
};

#endif
