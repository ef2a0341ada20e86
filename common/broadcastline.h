// BROADCASTLINE, the command line that a mailslot broadcast carries: the command word, then the
// parameters separated by single blanks, a blank inside a parameter written "\x20".  The
// receiver hands on the first two parameters as "@Parm1" and "@Parm2" and the sender as "@Sender".
#ifndef COMMON_BROADCASTLINE_H
#define COMMON_BROADCASTLINE_H

#include "kestar/base/hash.h"
#include "kestar/base/string.h"

class BROADCASTLINE {
public:
    // command, then each non-null parameter with its blanks written "\x20".
    static STRING Make(const char *command, const char *parm1 = nullptr, const char *parm2 = nullptr);
    // Splits a received line: returns the command word (empty for an empty line); params gets
    // "@Parm1" and "@Parm2" (blanks restored; only those present) and "@Sender".
    static STRING Split(const STRING &line, const char *sender, HASH &params);
};

#endif
