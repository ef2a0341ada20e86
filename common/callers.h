// CALLERS, the phone book: a HASHLIST of caller records.  Prepare makes every key of the schema
// present and closes the record to other keys, so a misspelt key shows up as an assertion.
// Portable: the stand-in server shares it.
#ifndef COMMON_CALLERS_H
#define COMMON_CALLERS_H

#include "kestar/base/hashlist.h"

class APP;
class WINDOW;

class CALLERS : public HASHLIST {
public:
    CALLERS() = default;
    CALLERS(const CALLERS &other) = default;
    CALLERS &operator=(const CALLERS &other) = default;

    // The schema, in preparation order.
    static const char *const KEYS[];
    static const int NUMKEYS;

    // Makes every key present (empty when missing) and locks the key table.  The handle stays.
    static void Prepare(HASH &record);

    // Runs the phone-book editor on this list; true when it was closed with OK.  Defined with the
    // client's editors (Windows only).
    bool Edit(WINDOW *parent, APP *app, int mode, int remote, int local);
};

#endif
