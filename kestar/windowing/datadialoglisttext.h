// DATADIALOGLISTTEXT: The selected entry's text of a list ("" for none); without entries of its own the entry that begins with the datum is chosen.  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGLISTTEXT_H
#define KESTAR_WINDOWING_DATADIALOGLISTTEXT_H

#include "kestar/windowing/datadialoglist.h"

class DATADIALOGLISTTEXT : public DATADIALOGLIST {
public:
    // entries: borrowed, may be null.
    DATADIALOGLISTTEXT(int id, STRING &datum, STRINGARRAY *entries = nullptr);
    void Init(HWND dialog) override;
    void Exit(HWND dialog) override;
};

#endif
