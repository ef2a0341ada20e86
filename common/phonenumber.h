// PHONENUMBER: the phone number a text holds, for calling a number found in a call's or a
// contact's text.  Portable.
#ifndef COMMON_PHONENUMBER_H
#define COMMON_PHONENUMBER_H

#include "kestar/base/string.h"

class PHONENUMBER {
public:
    // The digits from the text's first digit on; blanks, "-", "/", "(" and ")" between them are
    // skipped, any other character ends the number.  Empty when the text (or a null text) holds
    // no digit.
    static STRING Extract(const char *text);
};

#endif
