// PROVIDERFILE: the SMS provider file that the server sends at logon ("GETSERVERFILE", Base64).
// It is written into a new folder of its own under the temporary folder, so that no other file
// of that name is ever overwritten or deleted, read from there and removed again.  Portable.
#ifndef CLIENT_PROVIDERFILE_H
#define CLIENT_PROVIDERFILE_H

#include "kestar/base/string.h"

class PROVIDERFILE {
public:
    // The file's name in its folder.
    static const char *const Name; // "smsprovider.ini"

    // The bytes of an answer: true with bytes set when the answer is Base64 (line breaks and
    // blanks between the groups allowed) of at least one byte; false for an empty answer and for
    // anything else (a result word such as "<NOK>", bad characters, a cut group), bytes unchanged.
    static bool Decode(const STRING &answer, STRING &bytes);
    // Creates a new folder with a free name in parent and writes bytes there as Name.  The
    // folder's path, or empty when either step failed (nothing is left behind then).
    static STRING WriteInNewFolder(const char *parent, const STRING &bytes);
    // Deletes Name in folder, then the folder; true when the folder is gone.
    static bool RemoveFolder(const char *folder);
};

#endif
