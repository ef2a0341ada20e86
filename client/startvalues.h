// STARTVALUES: what the client's main settles before the application object exists: the own
// listening port (the configured port or the first of the 31 above it that can be bound), the
// switches, and the work folder that serves until the work-folder decision of the main window.
// The rules are portable (startvalues.cpp); reading the registry and binding are Win32
// (startvalues_win32.cpp).
#ifndef CLIENT_STARTVALUES_H
#define CLIENT_STARTVALUES_H

#include "kestar/base/string.h"

class STARTVALUES {
public:
    // How many ports the scan tries, from the configured one upwards.
    static constexpr int PORTSCAN = 32;

    // Steps 2 to 5 of the start: the registry values "NetworkRpcPortIn" and "WorkDir" under
    // HKEY_CURRENT_USER registryBase + text 10002 ("Software\Orvak\" in the program), the port
    // scan, the switches and the work folder.  Sets gOwnPort, the switch globals and gWorkDir.
    // Returns the start-minimised flag of "MIN".  Windows only.
    static int Settle(const char *registryBase);

    // The own port: the first of configured .. configured+31 that canBind accepts, as decimal
    // text; configured unchanged when none can be bound (or it is no port number).
    static STRING ScanPort(const STRING &configured, int (*canBind)(int port));
    // Reads "SILENTRELOGIN", "NOHIDEDURINGMINIMIZE" and "ITUNES[:level]" into the globals;
    // returns the flag of "MIN".
    static int ReadSwitches();
    // The work folder: switchValue, else registryValue (when switchValue is empty), accepted when
    // it is an existing folder given absolutely (a "\" as first or third character), without
    // trailing "\" and then "/"; otherwise programFolder.  isDirectory: null for the file system.
    static STRING ChooseWorkDir(const STRING &switchValue, const STRING &registryValue, const STRING &programFolder,
                                bool (*isDirectory)(const char *path) = nullptr);
};

#endif
