// CLIENTTIMING: every wait and pause of the client in one place, each with the product's default,
// so that tests need not wait out the long product time-outs.  A test sets them in its own
// process (Set) or for a started client with the switch "/TIMING:NAME=ms", once per name.
// Portable.
//
// Threads: set on the main thread before the waits are used; read by any thread.
#ifndef CLIENT_CLIENTTIMING_H
#define CLIENT_CLIENTTIMING_H

#include "kestar/base/string.h"

class CLIENTTIMING {
public:
    enum WAIT {
        RPC,      // "RPC": every acknowledgement and protocol read of a remote call, and the
                  // result wait a caller leaves to the default (-1): 40000
        CONNECT,  // "CONNECT": a remote call's connect: 60000
        EOT,      // "EOT": the closing byte of a remote call: 500
        DTMFHINT, // "DTMFHINT": between the hint before DTMF tones and the tones: 500
        CALLERS,  // "CALLERS": the result of "GETCALLERS" for the fax dialogs' phone book: 80000
        LOOKUPPROGRAM, // "LOOKUPPROGRAM": the secondary caller lookup's program: 60000
        ITUNESSTEP,    // "ITUNESSTEP": after each volume step of the music player's fade: 150
        ITUNESPLAY,    // "ITUNESPLAY": after starting the stopped player before fading up: 4000
        WORKERPASS,    // "WORKERPASS": the worker thread's sleep per pass: 100
        PINGEVERY,     // "PINGEVERY": between two checks of the server by the worker: 20000
        RELOGONPAUSE,  // "RELOGONPAUSE": between the connection tests of a re-logon: 5000
        STATUSBARSHOW, // "STATUSBARSHOW": a server's status text without "Duration": 20000
        ITEMS,    // "ITEMS": the result of "GETITEMS" at logon: 80000
        CONNECTIVITY, // "CONNECTIVITY": the result of "CHECKCONNECTIVITY": 20000
        STARTING, // "STARTING": the pause after the answer that the server is starting: 2000
        STATUSCLEAR, // "STATUSCLEAR": until timer 4 clears a status text: 10000
        RELOGONTRIES, // "RELOGONTRIES": how often a re-logon tests the connection (a count): 12
        COUNT
    };

    static int Get(WAIT wait);
    static void Set(WAIT wait, int ms);
    // The wait of that name (case ignored), or -1 for an unknown name.
    static WAIT Find(const char *name);
    // Reads every "/TIMING:NAME=ms"; an unknown name or a value that is no number >= 0 is logged
    // and left out.  Returns how many were taken.
    static int ReadSwitches();
    // The defaults again.
    static void Reset();
    // A wait given by a caller: -1 means the remote-call default.
    static int CallWait(int ms) { return ms == -1 ? Get(RPC) : ms; }
};

#endif
