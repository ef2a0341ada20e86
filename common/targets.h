// TARGETS, the user's own numbers with their answering machine, fax, notification and forwarding
// settings: a HASHLIST of target records.  Portable: the stand-in server shares it.
#ifndef COMMON_TARGETS_H
#define COMMON_TARGETS_H

#include <cstdint>

#include "kestar/base/hashlist.h"

class APP;
class WINDOW;

class TARGETS : public HASHLIST {
public:
    TARGETS() = default;
    TARGETS(const TARGETS &other) = default;
    TARGETS &operator=(const TARGETS &other) = default;

    // How a key of the schema is prepared.
    enum KIND { PRESENT, VALUE, COPYOF, ALWAYS };
    struct RULE {
        const char *Key;
        KIND Kind;
        const char *Value; // VALUE, ALWAYS: the value; COPYOF: the key copied; PRESENT: null
    };
    // The schema, in preparation order ("FonDoNotPlayBeep", prepared after the handle, is not in it).
    static const RULE RULES[];
    static const int NUMRULES;

    // Gives every key absent or empty its default, sets "FonNextCallAsSound" to "0" whatever it
    // held, gives a record without a handle (0) handle (logged), prepares "FonDoNotPlayBeep" last
    // and locks the key table.
    static void Prepare(HASH &record, uint32_t handle);

    // The keys of a target that stay as the user set them here when the server's copy is merged.
    static const char *const LOCALKEYS[];
    static const int NUMLOCALKEYS;
    // Merges the server's targets into this list by "Number" (ignoring case): a number not in the
    // list becomes a new target, prepared with a new handle, that takes every received key it has;
    // an existing target takes every received key it has except the local keys.  With fullRebuild
    // the targets whose number the received list lacks are removed.  Holds this list's lock, then
    // received's.  Returns the number of targets afterwards.
    int MergeFromServer(HASHLIST &received, int fullRebuild);

    // Runs the target editor on this list (single: the one record to edit, or null); true when it
    // was closed with OK.  Defined with the client's editors (Windows only).
    bool Edit(WINDOW *parent, APP *app, HASH *single, int mode, int remote, int pages);
};

#endif
