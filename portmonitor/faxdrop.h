// FAXDROP hands a finished fax to the client through the drop folder.  The client's spool scan
// takes every "plxfax_*.sff" it finds, so the file is written under a temporary name that the
// scan never matches (long or short name) and renamed to its spool name only when complete.
// An existing spool file is never replaced: while the name is taken, the time field counts up.
// Portable: the native tests run it on a scratch folder.
#ifndef PORTMONITOR_FAXDROP_H
#define PORTMONITOR_FAXDROP_H

#include <cstddef>
#include <cstdint>

#include "kestar/base/string.h"

class FAXDROP {
public:
    // How many later seconds are tried when spool names are taken.
    static const int kMaxTries = 100000;

    // "<folder>\plxfax_<user>_<time>_<pages>.sff" (the format "%s\%s_%s_%ld_%d.sff").
    static STRING SpoolName(const STRING &folder, const STRING &user, int32_t time, int pages);

    // Writes length bytes as the spool file of user with the given time and page count: first to
    // a temporary file in folder, then renamed to the first free spool name from that time on.
    // true when the file is complete under its spool name, which goes to *written (may be null).
    // false on any failure; the temporary file is then removed and *written is unchanged.
    static bool Drop(const STRING &folder, const STRING &user, int32_t time, int pages, const void *bytes,
                     size_t length, STRING *written);

    // A name for the temporary file in folder: "plxtmp_" and a part unique to this process and
    // call, extension ".tmp".  The name may still be taken; Drop creates it exclusively.
    static STRING TempName(const STRING &folder);
};

#endif
