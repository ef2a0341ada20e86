// The wizard's separator line (see wizardline.h).
#include "kestar/windowing/wizardline.h"

#include "kestar/windowing/drawcontext.h"

WIZARDLINE::WIZARDLINE(WINDOW &parent, int id) : CHILDWINDOW(parent, id, 0, 0, 100, 2, 0, "KestarWizardLine") {}

LRESULT WIZARDLINE::OnPaint()
{
    PAINTSTRUCT paint;
    if (BeginPaint(&paint)) {
        DRAWCONTEXT context(&paint, hWnd);
        RECT rect = context.GetRect();
        context.FillRect(rect, GetSysColor(COLOR_BTNHIGHLIGHT));
        context.DrawLine(rect.left, rect.top, rect.right, rect.top, GetSysColor(COLOR_BTNSHADOW));
    }
    EndPaint(&paint);
    return 1;
}
