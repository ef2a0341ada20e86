// DATADIALOGENTRY: an edit field bound to a text, with a character limit; flag bit 0 stores the
// text as UTF-8.  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGENTRY_H
#define KESTAR_WINDOWING_DATADIALOGENTRY_H

#include "kestar/windowing/datadialogitem.h"

class DATADIALOGENTRY : public DATADIALOGITEM {
public:
    static const int UTF8 = 1;
    DATADIALOGENTRY(int id, STRING &datum, int limit, int flags = 0);
    void Init(HWND dialog) override;
    void Exit(HWND dialog) override;

private:
    int Limit;
    int Flags;
};

#endif
