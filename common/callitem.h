// The call item record: one call, fax, message or job of the lists of calls, as the server sends it
// and as "recentcalls.ini" keeps it.  Prepare gives a record read from either its default keys, a
// handle and a closed key table, so that every reader finds the same keys.  Portable.
#ifndef COMMON_CALLITEM_H
#define COMMON_CALLITEM_H

#include "kestar/base/hash.h"

namespace CALLITEM {

struct DEFAULT {
    const char *Key;
    const char *Value;
};
// The keys with their defaults, in preparation order.  Keys outside this table ("OwnerClient",
// "CallerCommentSrv") may come with a record; readers ask for them with HASH::Exists.
extern const DEFAULT DEFAULTS[];
extern const int NUMDEFAULTS;

// Gives every key of the table that has no value yet its default (a key that holds an empty text
// keeps it), a record whose handle is 0 a new unique id (OSYS::GetUniqueId) as its handle, and
// closes the key table.  A record closed before is opened for the defaults first.
void Prepare(HASH &record);

} // namespace CALLITEM

#endif
