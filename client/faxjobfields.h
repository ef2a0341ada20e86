// FAXJOBFIELDS: the texts of a fax job made from the send options: the destination as the
// server dials it and the headline.  Portable.
#ifndef CLIENT_FAXJOBFIELDS_H
#define CLIENT_FAXJOBFIELDS_H

#include "kestar/base/string.h"

class FAXJOBFIELDS {
public:
    // The destination without any of " /-()" and with every "+" written "00"; a NULL text gives
    // an empty one.
    static STRING Destination(const char *destination);
    // "[" + the first 28 characters of headline + "]".
    static STRING Headline(const char *headline);
};

#endif
