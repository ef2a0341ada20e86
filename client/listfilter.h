// LISTFILTER: which call items the list of calls and messages shows, and the text that names the
// filter in the window.  A filter is a type filter (a "|"-separated list of item types) and a
// target filter (a target's number); "*", empty or NULL means no filter of that kind.  Portable:
// the caller resolves the stored options and passes the texts.
#ifndef CLIENT_LISTFILTER_H
#define CLIENT_LISTFILTER_H

#include "client/texttable.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/string.h"

class LISTFILTER {
public:
    // Whether a filter text filters at all.
    static bool IsSet(const char *filter);
    // 1 when item is filtered out: its "Type" is in none of the types of typeFilter (ignoring
    // case), or a target filter is set and its "TargetNumber" differs from it (ignoring case);
    // else 0.  The item may be locked: keys it lacks read as empty.
    static int IsItemFilteredOut(HASH &item, const char *typeFilter, const char *targetFilter);
    // The text naming the filter: the target's "Name" from targets (matched by "Number", ignoring
    // case; the number itself when none has it) and a blank, then the word for the type filter
    // (parts 1 to 4 of text 2987 for the usual sets, else the filter text, "/" written ", "), in
    // brackets after a target text.  Part 0 of 2987 when nothing results; text 3033 while the
    // archive is shown.  Takes targets' lock.
    static STRING Text(const char *typeFilter, const char *targetFilter, HASHLIST &targets, const TEXTTABLE &texts,
                       bool archive);
};

#endif
