// WINRAS: the names of the computer's dial-up networking (remote access) phone-book entries, for
// the option dialogs.  The remote access library is loaded at run time, once for all WINRAS
// objects of the process; a computer without it simply has no entries.  Windows only.
//
// The client keeps one global WINRAS, built by a static initialiser: the process-wide state below
// is constant-initialised, so a WINRAS may be built before main.
#ifndef KESTAR_WINRAS_H
#define KESTAR_WINRAS_H

#include "kestar/base/string.h"

class DLLINTERFACE;

class WINRAS {
public:
    // Counts the instance and, for the first one, loads the library (InitPointers).
    explicit WINRAS(int parameter = 0);
    // The last instance frees the library and forgets every entry point.
    ~WINRAS();
    WINRAS(const WINRAS &) = delete;
    WINRAS &operator=(const WINRAS &) = delete;

    // Counts this instance; the first instance loads "RASAPI32" and binds its entry points.  The
    // first eight are required (an assertion failure when one is missing; the others found are
    // still bound), the statistics pair is optional.  A missing library leaves every entry point
    // null.  True when the library is loaded.
    bool InitPointers();

    // The entry names in the order the system returns them, joined by "|"; an empty (not NULL)
    // text when the library is not loaded, the enumeration fails or there are no entries.  Any
    // number of entries is listed: a call that reports too little room is repeated with the room
    // it asks for.
    STRING GetEntryList();

    // Whether the process holds the library (for callers that want to hide a dial-up choice).
    static bool IsLibraryLoaded();

private:
    // Process-wide, guarded by the lock of winras_win32.cpp.
    static int InstanceCount;        // WINRAS objects alive
    static DLLINTERFACE *hRasApi;    // owned: the loaded library, null when not loaded

    STRING Text;   // "0" after construction; no operation of this system reads it
    int Parameter; // given to the constructor; no operation of this system reads it
    int Reserved;  // 0
};

#endif
