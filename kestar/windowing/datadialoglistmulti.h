// DATADIALOGLISTMULTI: a multi-selection list over records: each record's displayKey value is an
// entry; the datum holds the selected records' valueKey values (displayKey without one) joined by
// "|".  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGLISTMULTI_H
#define KESTAR_WINDOWING_DATADIALOGLISTMULTI_H

#include "kestar/windowing/datadialoglist.h"

class HASHLIST;

class DATADIALOGLISTMULTI : public DATADIALOGLIST {
public:
    // records: borrowed, may be null (then nothing happens); valueKey null: displayKey.
    DATADIALOGLISTMULTI(int id, STRING &datum, HASHLIST *records, const char *displayKey, const char *valueKey);
    void Init(HWND dialog) override;
    void Exit(HWND dialog) override;

private:
    HASHLIST *pInitHash; // borrowed
    STRING pInitHashKey;
    STRING ValueKey;
};

#endif
