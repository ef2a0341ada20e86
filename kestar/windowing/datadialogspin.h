// DATADIALOGSPIN: an edit field with an up-down control (id = edit id + 55000, made on the first
// Init) bound to a number in low..high.  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGSPIN_H
#define KESTAR_WINDOWING_DATADIALOGSPIN_H

#include "kestar/windowing/datadialogitem.h"

class UPDOWN;

class DATADIALOGSPIN : public DATADIALOGITEM {
public:
    // The up-down control's id is the edit's id plus this.
    static const int SPINOFFSET = 55000;
    DATADIALOGSPIN(int id, STRING &datum, int low, int high);
    // Detaches the up-down control from its edit before it goes.
    ~DATADIALOGSPIN() override;
    void Init(HWND dialog) override;
    void Exit(HWND dialog) override;

private:
    int Low, High;
    UPDOWN *pSpin = nullptr; // owned
};

#endif
