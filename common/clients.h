// CLIENTS, the users of the server with their rights: a HASHLIST of client records.  The active
// clients (the users logged on) are kept in a CLIENTS list as well and prepared the same way.
// Portable: the stand-in server shares it.
#ifndef COMMON_CLIENTS_H
#define COMMON_CLIENTS_H

#include <cstdint>

#include "kestar/base/hashlist.h"

class APP;
class WINDOW;

class CLIENTS : public HASHLIST {
public:
    CLIENTS() = default;
    CLIENTS(const CLIENTS &other) = default;
    CLIENTS &operator=(const CLIENTS &other) = default;

    struct DEFAULT {
        const char *Key;
        const char *Value;
    };
    // The schema with its defaults, in preparation order.
    static const DEFAULT DEFAULTS[];
    static const int NUMDEFAULTS;

    // Gives every key absent or empty its default, gives a record without a handle (0) handle
    // (logged), and locks the key table.
    static void Prepare(HASH &record, uint32_t handle);

    // Runs the client editor on this list; true when it was closed with OK.  Defined with the
    // client's editors (Windows only).
    bool Edit(WINDOW *parent, APP *app, int unused);
};

#endif
