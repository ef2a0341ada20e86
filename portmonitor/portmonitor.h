// PORTMONITOR, the fax port monitor as the print spooler sees it: the operation table and the
// port operations behind it.  One source, two character forms: the NT and x64 libraries speak
// the spooler's wide interface; built with PLX_PORTMONITOR_ANSI it is the 9x library's ANSI one.
//
// This is the spooler interface itself, so it calls the spooler and the message box directly:
// which form (W or A) it calls is fixed per library, and the class library is built only once
// per architecture.
#ifndef PORTMONITOR_PORTMONITOR_H
#define PORTMONITOR_PORTMONITOR_H

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

// winspool.h maps these names to the spooler's client functions, which the monitor never calls;
// here they are the monitor's own operations.
#undef EnumPorts
#undef AddPort
#undef ConfigurePort
#undef DeletePort

#if defined(PLX_PORTMONITOR_ANSI)
typedef char PMCHAR;
#define PMTEXT(text) text
#else
typedef wchar_t PMCHAR;
#define PMTEXT(text) L##text
#endif

// The 9x spooler's operation record: 13 entries, the NT record's without AddPortEx and the Xcv
// functions.  The headers have no declaration of it.
struct MONITOR9X {
    BOOL(WINAPI *pfnEnumPorts)(LPSTR pName, DWORD Level, LPBYTE pPorts, DWORD cbBuf, LPDWORD pcbNeeded,
                               LPDWORD pcReturned);
    BOOL(WINAPI *pfnOpenPort)(LPSTR pName, PHANDLE pHandle);
    BOOL(WINAPI *pfnOpenPortEx)(LPSTR pPortName, LPSTR pPrinterName, PHANDLE pHandle, MONITOR9X *pMonitor);
    BOOL(WINAPI *pfnStartDocPort)(HANDLE hPort, LPSTR pPrinterName, DWORD JobId, DWORD Level, LPBYTE pDocInfo);
    BOOL(WINAPI *pfnWritePort)(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten);
    BOOL(WINAPI *pfnReadPort)(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead);
    BOOL(WINAPI *pfnEndDocPort)(HANDLE hPort);
    BOOL(WINAPI *pfnClosePort)(HANDLE hPort);
    BOOL(WINAPI *pfnAddPort)(LPSTR pName, HWND hWnd, LPSTR pMonitorName);
    BOOL(WINAPI *pfnConfigurePort)(LPSTR pName, HWND hWnd, LPSTR pPortName);
    BOOL(WINAPI *pfnDeletePort)(LPSTR pName, HWND hWnd, LPSTR pPortName);
    BOOL(WINAPI *pfnGetPrinterDataFromPort)(HANDLE hPort, DWORD ControlID, LPSTR pValueName, LPSTR lpInBuffer,
                                            DWORD cbInBuffer, LPSTR lpOutBuffer, DWORD cbOutBuffer,
                                            LPDWORD lpcbReturned);
    BOOL(WINAPI *pfnSetPortTimeOuts)(HANDLE hPort, LPCOMMTIMEOUTS lpCTO, DWORD reserved);
};

class PORTMONITOR {
public:
    // The library entry's part: the critical section (made once, never deleted) and no assertion
    // box, ever: the monitor runs inside the spooler, where nobody answers a box.  Safe to call
    // more than once.
    static void Attach();

#if defined(PLX_PORTMONITOR_ANSI)
    // Writes the 13 entries of the 9x table (the unused ones null); false for a null record.
    static bool FillTable9x(MONITOR9X *table);
#else
    // The one static table; dwMonitorSize counts the 14 entries the spooler knows, the Xcv
    // entries after them are null.  Never null.
    static MONITOREX *GetTable();
#endif

    // The port operations, with the spooler's signatures.  A null port handle makes StartDocPort,
    // WritePort, EndDocPort and ClosePort return FALSE and change nothing.
    //
    // The one port at level 1 or 2, its strings packed down from the buffer's end.  *needed is
    // set at both levels; *returned only on success.  Too small a buffer: ERROR_INSUFFICIENT_BUFFER;
    // another level: ERROR_INVALID_LEVEL, nothing written.
    static BOOL WINAPI EnumPorts(PMCHAR *name, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed,
                                 LPDWORD returned);
    // A new FAXPORT in *handle (the spooler owns it until ClosePort); FALSE and null when it
    // cannot be made.
    static BOOL WINAPI OpenPort(PMCHAR *name, PHANDLE handle);
    // Begins a job: an empty job buffer, the job id, and the job's printer opened by name (the
    // handle stays null when that fails; the job goes on).  A printer handle that an unfinished
    // job left is closed first.
    static BOOL WINAPI StartDocPort(HANDLE port, PMCHAR *printerName, DWORD jobId, DWORD level, LPBYTE docInfo);
    // Keeps all count bytes and reports them written.  A job past its limit, or bytes that
    // cannot be kept, give FALSE with ERROR_NOT_ENOUGH_MEMORY and 0 written, and the job makes
    // no fax.
    static BOOL WINAPI WritePort(HANDLE port, LPBYTE bytes, DWORD count, LPDWORD written);
    // Nothing to read: TRUE, arguments untouched.
    static BOOL WINAPI ReadPort(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD read);
    // Ends the job: turns it into the fax file for the client (FAXWRITER, which shows a box when
    // it cannot), reports it sent to the printer and closes the printer handle.  TRUE unless the
    // handle is null.
    static BOOL WINAPI EndDocPort(HANDLE port);
    // Frees the FAXPORT, closing a printer handle that an unfinished job left.
    static BOOL WINAPI ClosePort(HANDLE port);
    // Tell the user that there is nothing to do (a box with the monitor's caption, owned by the
    // window given); TRUE.
    static BOOL WINAPI AddPort(PMCHAR *name, HWND owner, PMCHAR *monitorName);
    static BOOL WINAPI ConfigurePort(PMCHAR *name, HWND owner, PMCHAR *portName);
    // Nothing to delete: TRUE.
    static BOOL WINAPI DeletePort(PMCHAR *name, HWND owner, PMCHAR *portName);
};

#endif
