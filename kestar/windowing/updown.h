// UPDOWN: an up-down control bound to a buddy edit, with 16- and 32-bit ranges and positions.
// Windows only.
#ifndef KESTAR_WINDOWING_UPDOWN_H
#define KESTAR_WINDOWING_UPDOWN_H

#include "kestar/windowing/control.h"

class UPDOWN : public CONTROL {
public:
    // Creates and owns an up-down control beside the dialog item buddyId of parent (visible,
    // arrow keys, no thousands separators, right-aligned, setting the buddy's number).
    UPDOWN(HWND parent, int id, int buddyId, DWORD style, DWORD exStyle);
    // Wraps an existing one, not owned.
    explicit UPDOWN(HWND control) : CONTROL(control) {}
    ~UPDOWN() override {}

    // Orders the bounds, limits the buddy edit to the characters they need and sets the range
    // (the 32-bit message when a bound does not fit in 16 bits).
    void SetRange(int lo, int hi);
    int GetPos();
    void SetPos(int value);
};

#endif
