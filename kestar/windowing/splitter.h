// SPLITTER: a vertical bar (child id 911) between a left and a right pane that the user drags to
// share the parent's width.  While dragging, a dark ghost bar (child id 901) follows the mouse;
// on release the bar moves there, the panes are laid out against it and the parent is told
// with the notify message.  The owner calls OnParentSize when the parent's size changed.
// Windows only; the limits are CONTROLMATH::SplitterX.
#ifndef KESTAR_WINDOWING_SPLITTER_H
#define KESTAR_WINDOWING_SPLITTER_H

#include "kestar/windowing/childwindow.h"

#include <memory>

class SPLITTER : public CHILDWINDOW {
public:
    enum { BAR_ID = 911, GHOST_ID = 901 };

    // The bar (at 0,0, 10 by 10, shown) and the hidden ghost bar as children of parent.  The
    // panes are borrowed and must outlive the splitter (or be replaced with SetPanes).
    SPLITTER(HWND left, HWND right, WINDOW &parent);
    ~SPLITTER() override;
    SPLITTER(const SPLITTER &) = delete;
    SPLITTER &operator=(const SPLITTER &) = delete;

    void SetMargins(int top, int bottom);
    // The narrowest left pane and the room kept free right of the bar.
    void SetLimits(int minimumLeft, int spaceRight);
    // Sent to the parent (wParam and lParam 0) after a drag moved the bar; 0 for none.
    void SetNotifyMessage(UINT message);
    // New panes; they are laid out at the next OnParentSize.
    void SetPanes(HWND left, HWND right);
    // Fits the bar to the parent's height (less the margins) at its present x, and lays out the
    // panes when the bar moved since the last layout.
    void OnParentSize();
    // Places the left pane up to the bar and the right pane from it, each keeping its outer edge.
    void LayoutPanes();

    // The dragging (bar's client coordinates).
    LRESULT OnMouse(UINT message, int x, int y, int keys) override;
    // COLOR_BTNFACE.
    LRESULT OnPaint() override;

    WINDOW Left;             // borrowed
    WINDOW Right;            // borrowed
    std::unique_ptr<CHILDWINDOW> Ghost; // owned: the bar shown while dragging
    int ParentHeight;        // at the last layout
    int LastX;               // the bar's x at the last layout; -1 before the first
    int BarWidth;
    int TopMargin;
    int BottomMargin;
    int MinimumLeft;
    int SpaceRight;
    UINT NotifyMessage;      // 0: none
    bool Dragging;
    int GrabOffset;          // the mouse x in the bar when the drag began

private:
    // Where the bar's left edge goes for the mouse at x (bar's client coordinates).
    int ClampedX(int x);
};

#endif
