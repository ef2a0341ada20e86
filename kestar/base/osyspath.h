// OSYS::GetSystemPath: the user's and the machine's standard folders by type number.  Windows only
// (the native build gets its folders through the placeholder lookup of FILENAME).
#ifndef KESTAR_OSYSPATH_H
#define KESTAR_OSYSPATH_H

#include "kestar/base/string.h"

namespace OSYS {

// Folder types (the numbers are part of the interface).
enum {
    SYSPATH_PROGRAMS = 0,
    SYSPATH_STARTUP = 1,
    SYSPATH_PROGRAMFILES = 2,
    SYSPATH_APPDATA = 5,
    SYSPATH_HOME = 6,            // the user's documents
    SYSPATH_PICTURES = 7,
    SYSPATH_DESKTOP = 8,
    SYSPATH_SENDTO = 9,
    SYSPATH_COMMONPROGRAMS = 10,
    SYSPATH_COMMONSTARTUP = 11,
    SYSPATH_COMMONDOCUMENTS = 12,
    SYSPATH_COMMONAPPDATA = 13,
    SYSPATH_DOCUMENTS = 14,
    SYSPATH_LOGS = 18,           // the user's documents
    SYSPATH_DOWNLOADS = 19,      // the user's documents
    SYSPATH_LOCALAPPDATA = 22,
};

// The folder of a type, ending in exactly one "\"; empty when it cannot be found (an unknown type
// is an assertion failure).  Read from the "Shell Folders" key; when that key cannot be opened, the
// value is missing or shorter than three characters, the shell is asked for the folder.
STRING GetSystemPath(int type);

// The same for one registry value: root (a predefined key), key, value name and the shell's
// folder id (-1 for none).
STRING GetSystemPathFrom(void *root, const char *key, const char *value, int folderId);

} // namespace OSYS

#endif
