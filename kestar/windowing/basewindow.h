// BASEWINDOW: the abstract root of every window object, one object bound to one Win32 window.  It
// holds the handle, the window's id (a child's control id, or the resource id that stands for a
// top-level window) and an optional hook procedure that sees every message before the dispatch.
// Windows only.
#ifndef KESTAR_WINDOWING_BASEWINDOW_H
#define KESTAR_WINDOWING_BASEWINDOW_H

#include <windows.h>

// The private messages of the library (values fixed: other parts post or send them by number).
enum : UINT {
    WM__USERFIRST = WM_USER + 1,  // 0x401: first message of OnUserMessage
    WM__USERLAST = WM_USER + 249, // 0x4F9: last message of OnUserMessage
    WM__POSTLAST = WM_USER + 239, // 0x4EF: last message other threads may post
    WM__POPUPCLICK = 0x420,       // the notification pop-up's click
    WM__TRAYCALLBACK = 0x4F0,     // notification-area icon events
    WM__ENDMODAL = 0x4F1,         // a dialog's end code in wParam
    WM__QUERYID = 0x4FA,          // wParam: int* that receives the window's Id
    WM__QUERYOBJECT = 0x4FB,      // wParam: void** that receives QueryObject(); answer 1
    WM__DEFERREDCREATE = 0x501,   // runs OnCreate after the creating call returned
};

class BASEWINDOW {
public:
    // The hook's shape: a window procedure.
    typedef LRESULT(CALLBACK *HOOKPROC)(HWND, UINT, WPARAM, LPARAM);

    BASEWINDOW() : hWnd(nullptr), Id(0), HookProc(nullptr) {}
    virtual ~BASEWINDOW() {}

    // Slot 0: the dispatcher.
    virtual LRESULT WinProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Slot 1: the object behind the window, answered to WM__QUERYOBJECT; null by default.
    virtual void *QueryObject() { return nullptr; }

    // Attaches to a handle without owning it: hook cleared; Id -1 for a null handle, else the
    // control id; a window without one is asked with WM__QUERYID when it belongs to this process
    // (a window of another process is never sent anything, and its Id is 0).
    void Init(HWND window);

    HWND hWnd;          // the window; null while not attached
    int Id;             // see above; 0 in an object made unattached
    HOOKPROC HookProc;  // called before every dispatch; cleared on WM_DESTROY
};

#endif
