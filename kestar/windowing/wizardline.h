// WIZARDLINE: the wizard's separator line, a child window two pixels high that paints itself as
// an etched line (shadow on top, highlight below).  Windows only.
#ifndef KESTAR_WINDOWING_WIZARDLINE_H
#define KESTAR_WINDOWING_WIZARDLINE_H

#include "kestar/windowing/childwindow.h"

class WIZARDLINE : public CHILDWINDOW {
public:
    // A hidden line of 100 by 2 pixels at 0,0 of parent (borrowed; the owner places and shows it).
    WIZARDLINE(WINDOW &parent, int id);
    ~WIZARDLINE() override {}

    // The whole line in the highlight colour, then its upper pixel row in the shadow colour.
    LRESULT OnPaint() override;
};

#endif
