// DATADIALOGRADIO: a radio button that stands for one value of a number; checked when the datum
// holds it, and storing it only when checked.  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGRADIO_H
#define KESTAR_WINDOWING_DATADIALOGRADIO_H

#include "kestar/windowing/datadialogitem.h"

class DATADIALOGRADIO : public DATADIALOGITEM {
public:
    DATADIALOGRADIO(int id, STRING &datum, int value);
    void Init(HWND dialog) override;
    void Exit(HWND dialog) override;

private:
    int Value;
};

#endif
