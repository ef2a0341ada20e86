// BUTTON: a push button of a dialog, with the default-button state and the elevation shield.
// Windows only.
#ifndef KESTAR_WINDOWING_BUTTON_H
#define KESTAR_WINDOWING_BUTTON_H

#include "kestar/windowing/control.h"

#include <commctrl.h>

class BUTTON : public CONTROL {
public:
    // The dialog item id of parent (id -1: parent is the button), not owned.
    BUTTON(HWND parent, int id);
    // Destroys the image list when one was set.
    ~BUTTON() override;
    BUTTON(const BUTTON &) = delete;
    BUTTON &operator=(const BUTTON &) = delete;

    // On: makes it the default push button (and tells the dialog); off: a plain push button.
    void SetDefault(bool on);
    // Shows or hides the shield; the text gets one leading blank while the shield shows.
    void SetShield(bool on);

    HIMAGELIST ImageList; // owned; null until set
};

#endif
