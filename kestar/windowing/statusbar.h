// STATUSBAR: the status bar at the foot of a window, in parts set by widths (one of them
// stretching to the room left), with a text and an icon per part.  Windows only.
#ifndef KESTAR_WINDOWING_STATUSBAR_H
#define KESTAR_WINDOWING_STATUSBAR_H

#include "kestar/windowing/controlmath.h"
#include "kestar/windowing/window.h"

class STATUSBAR : public WINDOW {
public:
    // Creates and owns a status bar of parent with child id id.
    STATUSBAR(HWND parent, int id);
    // Destroys the icons of all parts (the bar goes with the WINDOW part).
    ~STATUSBAR() override;
    STATUSBAR(const STATUSBAR &) = delete;
    STATUSBAR &operator=(const STATUSBAR &) = delete;

    // count parts (2..7) of widths, exactly one of them negative (see CONTROLMATH::StatusBarEdges).
    // Another count is an assertion failure and leaves the bar unchanged (false).  The icons of
    // parts count..7 are destroyed.
    bool SetParts(int count, const int *widths);
    // Spreads the bar over the parent's client width and sets the part edges.
    void Resize();
    // One part over the whole bar; the icons of parts 1..7 destroyed.
    void Reset();
    int GetPartCount();
    bool SetText(int part, const char *text);
    // iconId (language module, else the program) at the DPI size for 16 on part (0..7); -1
    // removes it.  A part outside 0..7 is an assertion failure (false).
    bool SetIcon(int iconId, int part);

    int Parts[CONTROLMATH::STATUSBAR_MAXPARTS]; // widths as given
    int PartCount;
    HICON PartIcons[CONTROLMATH::STATUSBAR_MAXPARTS]; // owned

private:
    void DestroyIcon(int part);
};

#endif
