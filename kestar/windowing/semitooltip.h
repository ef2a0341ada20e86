// SEMITOOLTIP: the notification pop-up, a small topmost window in a corner of the work area that
// shows a lightly marked-up text (drawn by its SEMITOOLTIPINLAY), optionally semi-transparent and
// animated, and reports clicks to an owner window with WM__POPUPCLICK (wParam 0 left, 1 right;
// lParam the id of the clicked entry, else the default id).  Deleting it hides it with its hide
// animation.  Window thread only.  Windows only.
#ifndef KESTAR_WINDOWING_SEMITOOLTIP_H
#define KESTAR_WINDOWING_SEMITOOLTIP_H

#include "kestar/windowing/popupmarkup.h"
#include "kestar/windowing/window.h"

#include <memory>

class SEMITOOLTIPINLAY;

class SEMITOOLTIP : public WINDOW {
public:
    // text: code page 1252 (see popupmarkup.h; null asserts and shows nothing); colours are colour
    // references; fontText: a font text, empty or null for the system's; position: 1 top-left,
    // 3 bottom-left, 4 bottom-right, 5 centred, else top-right; withTimer: tick every 500 ms;
    // owner: receives the clicks (may be null or gone); options: int[4] (transparency, x margin,
    // y margin, animation kind; see POPUPMARKUP::OptionsFromRecord) or null.  Shows the pop-up.
    SEMITOOLTIP(const char *text, COLORREF textColour, COLORREF background, const char *fontText, int position,
                bool withTimer, HWND owner, int defaultId, const int *options);
    // Hides with the hide animation and destroys the window and the inlay.
    ~SEMITOOLTIP() override;

    // Slot 0: adds WM_PRINTCLIENT.
    LRESULT WinProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Slot 36: transparency, size and place, animation, showing and the timer.
    virtual void Init(bool withTimer);
    // Kills timer 1, resets the tick counts and repaints.
    void StopTimer();

    LRESULT OnPaint() override;
    LRESULT OnSized() override;
    LRESULT OnTimer(UINT_PTR timer) override;
    // WM__POPUPCLICK from the inlay: wParam the mouse message, lParam the id (-1: none).
    LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Borrowed; lives as long as the pop-up.
    SEMITOOLTIPINLAY *GetInlay() { return Inlay.get(); }

    int TickCount = 0;
    int Transparency;     // 0 opaque, else 1..255
    int Position;
    int AnimationKind;
    DWORD ShowFlags = 0, HideFlags = 0;
    int AnimationMs = 250;
    bool Closing = false;
    int DefaultId;
    HWND Owner;           // borrowed: receives the clicks

private:
    void HideAnimated();

    std::unique_ptr<SEMITOOLTIPINLAY> Inlay; // owned
};

#endif
