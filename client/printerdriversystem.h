// The fax printer driver files on this Windows: PRINTERDRIVERSYSTEM answers DRIVERFILES' questions
// from Windows (the version, WOW64, the printer driver and system folders, the redirection of a
// 32-bit process on 64-bit Windows, the files), and the client's entry points use it.  Tests derive
// from it to give other answers for the version and the folders.  Windows only.
#ifndef CLIENT_PRINTERDRIVERSYSTEM_H
#define CLIENT_PRINTERDRIVERSYSTEM_H

#include "client/driverfiles.h"

class PRINTERDRIVERSYSTEM : public DRIVERFILES::SYSTEM {
public:
    PRINTERDRIVERSYSTEM();
    // Switches redirection on again when it is still off.
    ~PRINTERDRIVERSYSTEM() override;
    PRINTERDRIVERSYSTEM(const PRINTERDRIVERSYSTEM &) = delete;
    PRINTERDRIVERSYSTEM &operator=(const PRINTERDRIVERSYSTEM &) = delete;

    int GetVersionClass() override;
    bool IsWow64() override;
    // GetPrinterDriverDirectory of the local machine for this environment (level 1).
    STRING GetDriverFolder() override;
    STRING GetSystemFolder() override;
    // Wow64DisableWow64FsRedirection and Wow64RevertWow64FsRedirection, looked up in kernel32;
    // where they are missing nothing is switched.
    bool DisableRedirection() override;
    void RevertRedirection() override;
    bool FileExists(const char *path) override;
    bool CopyNew(const char *from, const char *to) override;

private:
    void *OldRedirection; // the value Wow64DisableWow64FsRedirection gave
    bool Switched;        // redirection is off through this object
};

// The version class of GetVersionEx (see DRIVERFILES::VersionClass).
int GetWindowsVersionClass();
// true when kernel32 exports IsWow64Process and it reports this process as running under WOW64.
bool CheckWow64();
// DRIVERFILES::Copy on this Windows: copies the files from sourceFolder (null: bare names) or,
// with checkOnly, checks that they are there.
int CopyPrinterDriverFiles(const char *sourceFolder, int checkOnly);
// CopyPrinterDriverFiles(null, 1): 1 when the fax printer's files are all there.
int CheckPrinterDriverFiles();

#endif
