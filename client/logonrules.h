// LOGONRULES: the decisions of the logon to the phone server that need no window and no network:
// what an answer to "LOGIN" asks for, which server a "WELCOME" names, which calls "GETITEMS"
// fetches, and the texts of a failed connectivity check.  Portable.
#ifndef CLIENT_LOGONRULES_H
#define CLIENT_LOGONRULES_H

#include <cstdint>

#include "kestar/base/string.h"

class LOGONRULES {
public:
    // What the client does after an answer to "LOGIN".
    enum NEXT {
        USE_STORED,      // a password is asked for: send the stored one (once)
        ASK_PASSWORD,    // a password is asked for and none is stored: the password dialog
        WAIT_STARTING,   // the server is starting: pause, then ask again
        CLIENT_NOT_FOUND, // the server does not know this client: box 3014
        WRONG_VERSION,   // another communication version: box 3034
        SUCCESS,         // logged on
        REFUSED,         // anything else: the logon ends without a message
    };
    // ok: the answer's "Ok".  commVersion: its "CommVersion", null when it has none ("n/a").
    // haveStored: a stored password exists.
    static NEXT Answer(const char *ok, const char *commVersion, bool haveStored);

    // The server that a "WELCOME" names: the part of sender after the first "@", with ":" and
    // port appended when a port is given (non-null) and is not "6666".  False, server unchanged,
    // when that host part is empty or the port is given but is no number from 1 to 65535.
    static bool WelcomeServer(const char *sender, const char *port, STRING &server);

    // "FirstId" of "GETITEMS".  localList: the user keeps a local list of calls (the right
    // "PermLocalRecentcalls"); haveItems and firstHandle: the current list's first item; lastId:
    // the last id stored for the server.  With a local list the list goes on from its first item,
    // or after the last id when the list is empty; without one everything is fetched again and
    // resetLastId tells that the stored last id becomes "0".
    static uint32_t FirstId(bool localList, bool haveItems, uint32_t firstHandle, uint32_t lastId,
                            bool &resetLastId);

    // The port of a server text: what follows its last ":", else "6666".
    static STRING ServerPort(const char *server);
    // The texts of a failed connectivity check.  callFailed (text 3025): "$SP" = serverPort, then
    // "$S" = server.  Refused (text 3026): "$CP" = ownPort, "$C" = station, then "$S" = server.
    // The longer placeholders go first, so the shorter ones never cut them.
    static STRING CallFailedText(const char *text, const char *serverPort, const char *server);
    static STRING RefusedText(const char *text, const char *ownPort, const char *station, const char *server);

    // Whether the logged-on server runs on this computer: its name equals the station name,
    // ignoring case (both non-empty).
    static bool IsLocalServer(const char *serverName, const char *station);
};

#endif
