// Splitters (see splitter.h).
#include "kestar/windowing/splitter.h"

#include "kestar/base/logit.h"
#include "kestar/windowing/controlmath.h"

namespace {

// The ghost bar paints itself dark grey.
class GHOSTBAR : public CHILDWINDOW {
public:
    GHOSTBAR(WINDOW &parent, int id) : CHILDWINDOW(parent, id, 0, 0, 5, 10, 0, "KestarSplitterGhost") {}
    LRESULT OnPaint() override
    {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(&paint);
        if (dc) {
            HBRUSH brush = CreateSolidBrush(RGB(64, 64, 64));
            RECT client = GetClientRect();
            FillRect(dc, &client, brush);
            DeleteObject(brush);
        }
        EndPaint(&paint);
        return 1;
    }
};

} // namespace

SPLITTER::SPLITTER(HWND left, HWND right, WINDOW &parent)
    : CHILDWINDOW(parent, BAR_ID, 0, 0, 10, 10, WS_VISIBLE, "KestarSplitterBar"), Left(left), Right(right),
      ParentHeight(0), LastX(-1), BarWidth(5), TopMargin(0), BottomMargin(0), MinimumLeft(32), SpaceRight(0),
      NotifyMessage(0), Dragging(false), GrabOffset(0)
{
    Ghost.reset(new GHOSTBAR(parent, GHOST_ID));
}

SPLITTER::~SPLITTER()
{
    if (Dragging)
        ReleaseCapture();
}

void SPLITTER::SetMargins(int top, int bottom)
{
    TopMargin = top;
    BottomMargin = bottom;
}

void SPLITTER::SetLimits(int minimumLeft, int spaceRight)
{
    MinimumLeft = minimumLeft;
    SpaceRight = spaceRight;
}

void SPLITTER::SetNotifyMessage(UINT message)
{
    NotifyMessage = message;
}

void SPLITTER::SetPanes(HWND left, HWND right)
{
    Left = WINDOW(left);
    Right = WINDOW(right);
    LastX = -1;
}

int SPLITTER::ClampedX(int x)
{
    RECT bar = GetRect();
    int wanted = bar.left + x - GrabOffset;
    WINDOW parent = GetParent();
    if (!parent.IsOnScreen())
        return wanted;
    RECT client = parent.GetClientRect();
    return CONTROLMATH::SplitterX(wanted, MinimumLeft, (client.right - client.left) - SpaceRight);
}

LRESULT SPLITTER::OnMouse(UINT message, int x, int y, int keys)
{
    (void)y;
    (void)keys;
    if (message == WM_MOUSEMOVE || message == WM_LBUTTONUP)
        SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
    switch (message) {
    case WM_LBUTTONDOWN:
        Dragging = true;
        GrabOffset = x;
        SetCapture(true);
        Ghost->SetZOrder(0, nullptr);
        Ghost->Show(true);
        break;
    case WM_MOUSEMOVE:
        if (Dragging) {
            RECT bar = GetRect();
            Ghost->Move(ClampedX(x), bar.top, bar.right - bar.left, bar.bottom - bar.top);
        }
        break;
    case WM_LBUTTONUP:
        if (Dragging) {
            int target = ClampedX(x);
            SetCapture(false);
            Dragging = false;
            Ghost->Show(false);
            MoveToX(target);
            LayoutPanes();
            LOGIT::Printf("SPLITTER::OnMouse moved the bar to %d\n", target);
            if (NotifyMessage != 0)
                SendMessageA(GetParent().hWnd, NotifyMessage, 0, 0);
        }
        break;
    default:
        return 0;
    }
    return 1;
}

LRESULT SPLITTER::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(&paint);
    if (dc) {
        RECT client = GetClientRect();
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    }
    EndPaint(&paint);
    return 1;
}

void SPLITTER::LayoutPanes()
{
    Show(false);
    RECT bar = GetRect();
    if (Left.hWnd != nullptr) {
        RECT rect = Left.GetRect();
        Left.Move(rect.left, rect.top, bar.left - rect.left, rect.bottom - rect.top);
    }
    if (Right.hWnd != nullptr) {
        RECT rect = Right.GetRect();
        Right.Move(bar.right, rect.top, rect.right - bar.right, rect.bottom - rect.top);
    }
    Show(true);
}

void SPLITTER::OnParentSize()
{
    WINDOW parent = GetParent();
    RECT client = parent.GetClientRect();
    int height = (client.bottom - client.top) - TopMargin - BottomMargin;
    RECT bar = GetRect();
    int x = bar.left;
    Move(x, TopMargin, BarWidth, height);
    if (x != LastX)
        LayoutPanes();
    ParentHeight = client.bottom - client.top;
    LastX = x;
}
