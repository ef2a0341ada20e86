// CONTROL: the wrapper of a child control.  Wrappers do not own their control: the dispatcher
// makes one on the stack for the sender of a notification and drops it afterwards.  Windows only.
#ifndef KESTAR_WINDOWING_CONTROL_H
#define KESTAR_WINDOWING_CONTROL_H

#include "kestar/windowing/window.h"

class CONTROL : public WINDOW {
public:
    // Attaches without owning (see BASEWINDOW::Init).
    explicit CONTROL(HWND control) : WINDOW(control) {}
    ~CONTROL() override {}
};

#endif
