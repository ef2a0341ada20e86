// DATADIALOGLIST: the wrapping shared by the list items: a list box, a drop-down list or combo
// box, or a black or gray frame placeholder that a new list box replaces.  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGLIST_H
#define KESTAR_WINDOWING_DATADIALOGLIST_H

#include "kestar/windowing/datadialogitem.h"

class LISTBOX;
class STRINGARRAY;

class DATADIALOGLIST : public DATADIALOGITEM {
public:
    // entries: borrowed, may be null (the list keeps what it has).
    DATADIALOGLIST(int id, STRING &datum, STRINGARRAY *entries);
    ~DATADIALOGLIST() override;

protected:
    // The wrapper, made on the first call; a wrapper of no window when the control does not fit.
    LISTBOX *Wrap(HWND dialog);
    // Empties the list and adds the entries, when there are any.
    void Fill();

    STRINGARRAY *pEntries; // borrowed
    LISTBOX *pList = nullptr; // owned
};

#endif
