// MACROTEXT: fills the "$name" macros of a user's or a language text in one pass.  A value is
// inserted as text and never searched again, so a name or a number that came from the network
// cannot bring in a macro of its own.  Portable.
#ifndef CLIENT_MACROTEXT_H
#define CLIENT_MACROTEXT_H

#include "kestar/base/string.h"

struct MACRO {
    const char *Name; // "$toname"; matched with case
    STRING Value;
};

class MACROTEXT {
public:
    // text with every macro replaced.  At each position the macros are tried in the given order,
    // so a longer name that begins like a shorter one ("$fromname", "$from") must come first.
    // A null text gives an empty one.
    static STRING Expand(const char *text, const MACRO *macros, int count);
};

#endif
