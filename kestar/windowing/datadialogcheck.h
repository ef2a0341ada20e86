// DATADIALOGCHECK: a check box bound to a number or to one bit of it (bit -1: the whole value).
// Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGCHECK_H
#define KESTAR_WINDOWING_DATADIALOGCHECK_H

#include "kestar/windowing/datadialogitem.h"

class DATADIALOGCHECK : public DATADIALOGITEM {
public:
    DATADIALOGCHECK(int id, STRING &datum, int bit = -1);
    void Init(HWND dialog) override;
    void Exit(HWND dialog) override;

private:
    int Bit;
};

#endif
