// POPUPREQUEST: what the list update hands the window thread for one call pop-up (message 1025).
// It is filled on a remote-call thread and posted; from then on the window owns it and deletes it
// after showing the pop-up.  Portable.
#ifndef CLIENT_POPUPREQUEST_H
#define CLIENT_POPUPREQUEST_H

#include "kestar/base/hash.h"
#include "kestar/base/string.h"

struct POPUPREQUEST {
    int ItemIndex = -1;       // the item's index in the current list when it was posted
    int TargetIndex = -1;     // the target's index in TARGETS, -1 for none
    int HasCaller = 0;        // 1 when a caller record was found
    HASH Caller;              // a copy of the caller record (empty without one)
    STRING Text;              // the pop-up text (APP::FillPopupString)
    unsigned long TextColor = 0;
    unsigned long BackgroundColor = 0;
    int Position = 0;         // 1 to 5
    int Blink = 0;
};

#endif
