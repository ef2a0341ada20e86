// DATADIALOGLISTINDEX: The selected index of a list as decimal text (-1: none).  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGLISTINDEX_H
#define KESTAR_WINDOWING_DATADIALOGLISTINDEX_H

#include "kestar/windowing/datadialoglist.h"

class DATADIALOGLISTINDEX : public DATADIALOGLIST {
public:
    // entries: borrowed, may be null.
    DATADIALOGLISTINDEX(int id, STRING &datum, STRINGARRAY *entries = nullptr);
    void Init(HWND dialog) override;
    void Exit(HWND dialog) override;
};

#endif
