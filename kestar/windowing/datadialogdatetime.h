// DATADIALOGDATETIME: a date-time picker bound to a time in seconds since 1970 (local time in the
// control).  "", "0" and "-1" keep the control's own date.  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGDATETIME_H
#define KESTAR_WINDOWING_DATADIALOGDATETIME_H

#include "kestar/windowing/datadialogitem.h"

class DATADIALOGDATETIME : public DATADIALOGITEM {
public:
    DATADIALOGDATETIME(int id, STRING &datum);
    void Init(HWND dialog) override;
    void Exit(HWND dialog) override;
};

#endif
