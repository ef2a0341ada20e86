// The notification pop-up's frame window: placement, transparency, animations, the tick timer and
// the click report to the owner (see semitooltip.h).
#include "kestar/windowing/semitooltip.h"

#include "kestar/base/logit.h"
#include "kestar/windowing/control.h"
#include "kestar/windowing/semitooltipinlay.h"

SEMITOOLTIP::SEMITOOLTIP(const char *text, COLORREF textColour, COLORREF background, const char *fontText,
                         int position, bool withTimer, HWND owner, int defaultId, const int *options)
    : WINDOW(WS_POPUP | WS_BORDER, "", CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, 0, 0,
             "OrvakWinClassSemitooltip"),
      Position(position),
      DefaultId(defaultId),
      Owner(owner)
{
    LOGIT::Printf("SEMITOOLTIP::Constructor\n");
    POPUPMARKUP::OPTIONS o = POPUPMARKUP::OptionsFromRecord(options);
    Transparency = o.Transparency;
    AnimationKind = o.Animation;
    if (hWnd)
        Inlay.reset(new SEMITOOLTIPINLAY(*this, text, textColour, background, fontText, o.MarginX, o.MarginY));
    AnimationMs = 250;
    Init(withTimer);
    LOGIT::Printf("SEMITOOLTIP::Constructor dne\n");
}

SEMITOOLTIP::~SEMITOOLTIP()
{
    LOGIT::Printf("SEMITOOLTIP::Destructor\n");
    Closing = true;
    if (Inlay)
        Inlay->Closing = true;
    if (hWnd) {
        ::KillTimer(hWnd, 1);
        if (IsWindowVisible(hWnd))
            HideAnimated();
    }
    Inlay.reset();
}

LRESULT SEMITOOLTIP::WinProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PRINTCLIENT) {
        // The inlay covers the whole client area.
        if (Inlay)
            Inlay->PaintTo(reinterpret_cast<HDC>(wParam));
        return 0;
    }
    return WINDOW::WinProc(message, wParam, lParam);
}

void SEMITOOLTIP::Init(bool withTimer)
{
    if (!hWnd || !Inlay)
        return;
    if (Transparency != 0)
        SetTransparency(255 - Transparency, -1);
    AddExStyle(WS_EX_TOOLWINDOW);
    LOGIT::Printf("SEMITOOLTIP::Init opts= %d, %d, %d\n", Transparency, AnimationKind, Position);

    int width = Inlay->GetTextWidth() + 2 * Inlay->GetMarginX();
    int height = Inlay->GetTextHeight() + 2 * Inlay->GetMarginY();
    RECT desk = GetDesktopRect();
    POPUPMARKUP::AREA work = {static_cast<int>(desk.left), static_cast<int>(desk.top), static_cast<int>(desk.right),
                              static_cast<int>(desk.bottom)};
    int x = 0, y = 0;
    POPUPMARKUP::Place(Position, work, width, height, &x, &y);
    LOGIT::Printf("SEMITOOLTIP::Init dimensions= %d, %d\n", width, height);
    SetWindowPos(hWnd, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE);
    OnSized();

    POPUPMARKUP::ANIMATION a = POPUPMARKUP::AnimationFor(AnimationKind, Position);
    ShowFlags = a.Show;
    HideFlags = a.Hide;
    AnimationMs = a.Ms;
    LOGIT::Printf("SEMITOOLTIP::Init ShowAnimated(%d, %d)\n", static_cast<int>(ShowFlags), AnimationMs);
    if (ShowFlags == 0)
        ShowWindow(hWnd, SW_SHOWNOACTIVATE);
    else
        AnimateShow(ShowFlags, static_cast<DWORD>(AnimationMs), true);

    if (withTimer)
        SetTimer(1, 500);
    LOGIT::Printf("SEMITOOLTIP::~Init\n");
}

void SEMITOOLTIP::StopTimer()
{
    KillTimer(1);
    TickCount = 0;
    if (Inlay) {
        Inlay->TickCount = 0;
        Inlay->Invalidate(nullptr, false);
    }
    Invalidate(nullptr, false);
}

void SEMITOOLTIP::HideAnimated()
{
    if (HideFlags == 0)
        ShowWindow(hWnd, SW_HIDE);
    else
        AnimateShow(HideFlags, static_cast<DWORD>(AnimationMs), false);
}

LRESULT SEMITOOLTIP::OnPaint()
{
    // Nothing of the frame shows: the inlay paints the client area.
    PAINTSTRUCT paint;
    BeginPaint(&paint);
    EndPaint(&paint);
    return 1;
}

LRESULT SEMITOOLTIP::OnSized()
{
    if (Inlay && Inlay->hWnd) {
        RECT client = GetClientRect();
        Inlay->Move(0, 0, client.right, client.bottom);
    }
    return 0;
}

LRESULT SEMITOOLTIP::OnTimer(UINT_PTR timer)
{
    if (timer != 1)
        return 0;
    ++TickCount;
    if (Inlay) {
        ++Inlay->TickCount;
        Inlay->Invalidate(nullptr, false);
    }
    return 1;
}

LRESULT SEMITOOLTIP::OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM__POPUPCLICK)
        return 0;
    int id = static_cast<int>(lParam);
    if (id == -1)
        id = DefaultId;
    bool left = wParam == WM_LBUTTONDOWN;
    if (Owner && IsWindow(Owner)) {
        CONTROL owner(Owner);
        owner.PostUserMessage(WM__POPUPCLICK, left ? 0 : 1, id);
    }
    if (left) {
        if (Inlay)
            Inlay->Closing = true;
        HideAnimated();
    }
    return 1;
}
