// LISTRESULT, the answer of a remote command that returns a list: "<OK>", a line feed and the
// HASHLIST text of the records, or "<OK>", a line feed and "<NULL>" when there are none.
#ifndef COMMON_LISTRESULT_H
#define COMMON_LISTRESULT_H

#include "kestar/base/hashlist.h"
#include "kestar/base/string.h"

class LISTRESULT {
public:
    // The answer for list (locked while it is written).
    static STRING Make(HASHLIST &list);
    // Reads an answer: true when its first line is "<OK>" (ignoring case); out is emptied and gets
    // the records (none for "<NULL>" or nothing after the first line).  On false out is emptied.
    static bool Read(const STRING &result, HASHLIST &out);
};

#endif
