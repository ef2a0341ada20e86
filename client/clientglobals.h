// The client's process-wide start values: set once by the program's main before the application
// object exists (own port, switches) and read by the rest of the client.  The work folder is the
// frame's gWorkDir (kestar/base/orvakapp.h).
//
// Threads: written on the main thread before APP is created; only read afterwards.
#ifndef CLIENT_CLIENTGLOBALS_H
#define CLIENT_CLIENTGLOBALS_H

#include <atomic>

#include "kestar/base/string.h"

// The own listening port as decimal text ("6667" until the start values are settled).
extern STRING gOwnPort;
// The program version "4.23" and its sub-version (empty in this build); shown joined.
extern STRING gVersion;
extern STRING gSubVersion;
// The communication version that client and server must share.
extern STRING gCommVersion;
// When this build was compiled, as the banner and "LOGIN" show it.
extern STRING gCompiled;
// Switches of the command line.
extern int gSilentRelogin;            // "SILENTRELOGIN"
extern int gKeepWindowWhileMinimized; // "NOHIDEDURINGMINIMIZE"
extern int gITunesControl;            // "ITUNES" in either form
extern int gITunesLevel;              // the value of "ITUNES:n", else 40
// The command line without its logging switches, as the start found it.
extern STRING gCommandLine;
// The class of the main window, by which a second start finds the first.
extern STRING gMainWindowClass;

// How this client stands in the network: NETWORK_LOCALCLIENT while it is logged on to a server
// that runs on this computer (its "ServerName" is the station name).  Written by the logon and
// the logout, read by any thread.
enum { NETWORK_LOCALCLIENT = 0x1 };
extern std::atomic<int> gNetworkFlags;

// The version with its sub-version, as "@Version" and the title show it.
STRING ClientVersionText();

#endif
