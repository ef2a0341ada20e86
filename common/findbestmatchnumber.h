// FindBestMatchNumber: which phone-book record a received number belongs to.  The longest
// stored number that begins the received number wins, with a second chance through the
// canonical form ("+" written "00").  Portable: the stand-in server shares it.
#ifndef COMMON_FINDBESTMATCHNUMBER_H
#define COMMON_FINDBESTMATCHNUMBER_H

#include "kestar/base/hashlist.h"
#include "kestar/base/string.h"

// The keys searched, in order; a match under key i > 0 writes i as the key position.
extern const char *const MATCHNUMBERKEYS[5];

// The index of the record of list whose number best matches number (as received) or canonical
// (null or empty: none), or -1.  Each value is tried as stored and without blanks, "/", "-",
// "(" and ")"; only a strictly longer match replaces the best; a match of the whole received
// (or canonical) number ends the search.  keyPosition (may be null): the position ("1" to "4")
// of the key of the best match, or its value on entry when that was "Number" or nothing matched.
// Takes no lock: the caller holds the list's.
int FindBestMatchNumber(HASHLIST &list, const char *number, const char *canonical, STRING *keyPosition);

#endif
