// DRIVERFILES: the files that make the fax printer work (the printer driver's files in the
// printer driver folder and the port monitor in the system folder), which depend on the Windows
// version and on a 32-bit client running on 64-bit Windows; and the operation that copies them
// into place or checks that they are there.  The table and the operation are portable; what they
// ask of the system goes through SYSTEM, answered by Windows in printerdriverfiles_win32.cpp and
// by tests with answers of their own.
#ifndef CLIENT_DRIVERFILES_H
#define CLIENT_DRIVERFILES_H

#include "kestar/base/string.h"

class DRIVERFILES {
public:
    class SYSTEM {
    public:
        virtual ~SYSTEM() {}
        // The Windows version class (see VersionClass) and whether this is a 32-bit process on
        // 64-bit Windows.
        virtual int GetVersionClass() = 0;
        virtual bool IsWow64() = 0;
        // The printer driver folder and the system folder, without a trailing backslash; empty
        // when the system could not tell.
        virtual STRING GetDriverFolder() = 0;
        virtual STRING GetSystemFolder() = 0;
        // Switches the calling thread's file-system redirection off; true when it was switched,
        // and then RevertRedirection must switch it on again.
        virtual bool DisableRedirection() = 0;
        virtual void RevertRedirection() = 0;
        virtual bool FileExists(const char *path) = 0;
        // Copies from to to, never over an existing file; true when copied.
        virtual bool CopyNew(const char *from, const char *to) = 0;
    };

    // A row of the file table: the driver folder's files in order, then the system folder's one.
    struct ROW {
        const char *driverFiles[4];
        int driverCount;
        const char *systemFile;
    };

    // The version class: 0 not the NT platform (Windows 9x), 1 NT before 5, 2 NT 5.0, 3 NT 5.1,
    // 4 any other 5.x, 5 NT 6 and later.
    static int VersionClass(bool ntPlatform, unsigned major, unsigned minor);
    // The row of the table for a version class; under WOW64 the 64-bit row whatever the class.
    static const ROW &FilesFor(int versionClass, bool wow64);

    // Copies (checkOnly false) the row's files from sourceFolder (null or empty: the bare names,
    // that is, the current folder) into their folders, never over an existing file and ignoring
    // copies that fail; or checks (checkOnly true) that each is there.  Under WOW64 redirection is
    // off meanwhile and on again on every way out.  1 when every file was handled; 0 when the
    // check found a file missing, or when a folder could not be told (nothing is then copied).
    static int Copy(SYSTEM &system, const char *sourceFolder, bool checkOnly);
};

#endif
