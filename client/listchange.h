// LISTCHANGE: what follows a change of the phone book or of the targets in the list of calls: the
// records two versions of a list differ in, and the caller and target values of the call items
// that such a change touches.  APP joins it with its lists and views.  Portable.
#ifndef CLIENT_LISTCHANGE_H
#define CLIENT_LISTCHANGE_H

#include <functional>
#include <vector>

#include "common/targets.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/string.h"

class LISTCHANGE {
public:
    // Removes from both lists every record of a whose "Name" (case ignored) names a record of b
    // with the same text form (handle, key, names and values), then empties out and appends
    // copies of the records left in a and then of those left in b: the changed, added and removed
    // records.  Takes the locks of a, b and out in that order.
    static void DiffRecordLists(HASHLIST &a, HASHLIST &b, HASHLIST &out);

    // The server's targets for a user without the right to keep targets of his own: targets is
    // emptied and takes copies of the received records, each without its program ("RunProg" "0",
    // "Program" and "ProgParm" empty: the server never starts a program on this PC) and prepared
    // with a new handle.  Holds targets' lock, then received's.
    static void TakeServerTargets(TARGETS &targets, HASHLIST &received);

    // Looks a caller's number up as it stands now: 1 with a copy of the record and the matched
    // key's position (unchanged for "Number"), or 0.
    typedef std::function<int(const char *number, const char *canonical, HASH &caller, STRING *keyPosition)>
        CALLERLOOKUP;

    // For every item of items (the caller holds their lock): when callersDiff is given and the
    // item's "CallerNumber" or "CallerCanonical" matches one of its records (the phone-book
    // matching), "CallerName", "CallerIcon" and "CallerSubtype" are taken again from lookup (the
    // name of the "CallerAdditionalInfo" record, "0" and "0" when it finds none); when targetsDiff
    // is given and the item's "TargetNumber" is the "Number" of one of its records, "TargetName"
    // and "TargetIcon" are taken again from targets (under its lock; empty and "0" when the
    // target is gone).  Returns the indexes of the items whose values changed.
    static std::vector<int> RefreshItems(HASHLIST &items, HASHLIST *callersDiff, HASHLIST *targetsDiff,
                                         const CALLERLOOKUP &lookup, TARGETS &targets);
};

#endif
