// MONITORHOST plays the print spooler for a port monitor library.  Wine's spooler loads a monitor
// but never drives its ports, so the tests load the library through this host, call its entry
// and then its operations as the spooler does: OpenPort; per job StartDocPort, WritePort in
// pieces, EndDocPort; finally ClosePort.  Both record forms: the NT one (InitializePrintMonitor,
// a MONITOREX, wide strings) and the 9x one (InitializeMonitorEx filling a record of 13 entries,
// ANSI strings).  Windows only.
#ifndef STANDINS_SPOOLER_MONITORHOST_H
#define STANDINS_SPOOLER_MONITORHOST_H

#include <windows.h>

#include <string>

class MONITORHOST {
public:
    enum FORM { FORM_NT, FORM_9X };

    MONITORHOST();
    // Unloads the library.
    ~MONITORHOST();
    MONITORHOST(const MONITORHOST &) = delete;
    MONITORHOST &operator=(const MONITORHOST &) = delete;

    // Loads the library and calls its entry.  false, with the reason in Error(), when the library
    // or its entry is missing or the entry fails.
    bool Load(const std::string &path, FORM form);
    const std::string &Error() const { return error; }
    FORM Form() const { return form; }
    // Bytes of one character of the form's strings.
    size_t CharSize() const { return form == FORM_NT ? sizeof(WCHAR) : sizeof(char); }

    // The table as the library handed it over: entry index (from 1) in the library's own order;
    // null for an empty entry or an index past EntryCount().
    void *Entry(int index) const;
    // 14 for NT (the spooler reads no more), 13 for 9x.
    int EntryCount() const { return form == FORM_NT ? 14 : 13; }
    // NT: the record's dwMonitorSize; 9x: 0.
    DWORD MonitorSize() const;
    // 9x: whether the word after the 13th entry of the record handed to the entry still holds
    // the host's guard value; NT: true.
    bool GuardIntact() const;

    // The operations.  Strings are given as 8-bit text (ASCII) and passed in the form's width.
    BOOL EnumPorts(DWORD level, BYTE *buffer, DWORD size, DWORD *needed, DWORD *returned);
    BOOL OpenPort(HANDLE *port);
    BOOL StartDocPort(HANDLE port, const std::string &printer, DWORD jobId);
    BOOL WritePort(HANDLE port, const void *bytes, DWORD count, DWORD *written);
    BOOL ReadPort(HANDLE port, BYTE *buffer, DWORD size, DWORD *read);
    BOOL EndDocPort(HANDLE port);
    BOOL ClosePort(HANDLE port);
    BOOL AddPort(HWND owner);
    BOOL ConfigurePort(HWND owner);
    BOOL DeletePort(HWND owner);

    // One job as the spooler sends it: StartDocPort, WritePort in pieces of at most pieceSize
    // bytes, EndDocPort.  false at the first call that fails (the calls after it are not made).
    bool PrintJob(HANDLE port, const std::string &printer, DWORD jobId, const std::string &bytes, size_t pieceSize);

private:
    void *Call(int ntIndex, int x9Index) const;

    HMODULE library;   // owned
    FORM form;
    std::string error;
    void *monitorEx;   // NT: borrowed from the library (its static record)
    void *record9x;    // 9x: owned, the record handed to InitializeMonitorEx and its guard word
};

#endif
