// DISPATCHROUTE: where an outgoing remote command goes and what it carries.  A peer name is
// "{SERVER}" (the configured server), "{LOCAL}" (this program), "{CLIENTS}" (server only), a
// client's name (user "@" computer, looked up among the clients logged on to the server) or an
// address.  Every call carries the five sender keys.  Also the test whether a broadcast comes
// from the configured server.  Portable.
#ifndef CLIENT_DISPATCHROUTE_H
#define CLIENT_DISPATCHROUTE_H

#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/string.h"

class DISPATCHROUTE {
public:
    enum KIND {
        SEND,           // address holds where to send
        LOCAL,          // run in this program
        CLIENTS,        // all clients: only a server sends that
        NOPEER,         // empty address (no server configured): not sent, failure
        SKIP_ABSENT,    // a client that is no longer logged on: not sent, success
        SKIP_PASSIVE,   // a client in passive mode: not sent, success
        SKIP_NOPEERID,  // a client record without "PeerId": not sent, success
    };

    // Routes peer.  server: the option "NetworkPrimaryServer".  activeClients: records with
    // "Name", "PeerId", "Port", "PassiveMode", locked for the lookup only (a missing
    // "PassiveMode" counts as 0; a missing "PeerId" is an assertion failure and skips).
    // address gets the target of SEND, else is emptied.
    static KIND Route(const STRING &peer, const STRING &server, HASHLIST &activeClients, STRING &address);

    // The copy of params that goes out: "@Sender", "@Port", "@Version", "@SenderRole"
    // ("{CLIENT}") and "@ExecMode" ("<SYNC>" or "<ASYNC>") added or replaced.
    static HASH WithSenderKeys(const HASH &params, const char *sender, const char *port, const char *version, bool sync);

    // A broadcast's sender (a computer name with "." as "_") is the configured server when the
    // host part of server (before ":", "." as "_") contains it, ignoring case; with no server
    // configured every sender counts.
    static bool IsFromServer(const STRING &sender, const STRING &server);
};

#endif
