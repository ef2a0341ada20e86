// PORTMONITOR: the operation table and the port operations of the fax port monitor.  EnumPorts,
// OpenPort and ClosePort run under the one critical section; the job operations work on their
// own FAXPORT only, which the spooler never hands to two threads at once.
#include "portmonitor/portmonitor.h"

#include <cstring>
#include <new>

#include "kestar/base/critsect.h"
#include "kestar/base/logit.h"
#include "portmonitor/faxport.h"
#include "portmonitor/faxwriter.h"

#if defined(PLX_PORTMONITOR_ANSI)
#define PM_MessageBox MessageBoxA
#define PM_OpenPrinter OpenPrinterA
#define PM_SetJob SetJobA
#define PM_lstrlen lstrlenA
#define PM_lstrcpy lstrcpyA
typedef PORT_INFO_1A PM_PORT_INFO_1;
typedef PORT_INFO_2A PM_PORT_INFO_2;
#else
#define PM_MessageBox MessageBoxW
#define PM_OpenPrinter OpenPrinterW
#define PM_SetJob SetJobW
#define PM_lstrlen lstrlenW
#define PM_lstrcpy lstrcpyW
typedef PORT_INFO_1W PM_PORT_INFO_1;
typedef PORT_INFO_2W PM_PORT_INFO_2;
#endif

namespace {

const PMCHAR kPortName[] = PMTEXT("ParlomatixFax:");
const PMCHAR kMonitorName[] = PMTEXT("ParlomatixFax Port Monitor");
const PMCHAR kDescription[] = PMTEXT("ParlomatixFax Port");
const PMCHAR kConfigureText[] = PMTEXT("There is nothing to configure for this port.");
const PMCHAR kAddText[] = PMTEXT("Thanks for adding the ParlomatixFax port.");

// Made by Attach and never deleted: a spooler thread may still be inside an operation while the
// library detaches.
CRITSECT *gLock = nullptr;

class MONITORLOCK {
public:
    MONITORLOCK()
    {
        if (gLock)
            gLock->Enter();
    }
    ~MONITORLOCK()
    {
        if (gLock)
            gLock->Leave();
    }
    MONITORLOCK(const MONITORLOCK &) = delete;
    MONITORLOCK &operator=(const MONITORLOCK &) = delete;
};

// Bytes of a text with its terminator.
DWORD TextBytes(const PMCHAR *text)
{
    return static_cast<DWORD>((PM_lstrlen(text) + 1) * sizeof(PMCHAR));
}

// Copies text to the end of the free space [*end - its size, *end) and moves *end down to it.
PMCHAR *PackDown(LPBYTE *end, const PMCHAR *text)
{
    *end -= TextBytes(text);
    PMCHAR *copy = reinterpret_cast<PMCHAR *>(*end);
    PM_lstrcpy(copy, text);
    return copy;
}

// Closes the job's printer handle, if any; the field is null afterwards.
void ClosePrinterOf(FAXPORT *port)
{
    if (port->PrinterHandle == nullptr)
        return;
    if (!ClosePrinter(static_cast<HANDLE>(port->PrinterHandle)))
        LOGIT::Printf("PORTMONITOR ClosePrinter failed: %lu\n", GetLastError());
    port->PrinterHandle = nullptr;
}

BOOL ShowInformation(HWND owner, const PMCHAR *text)
{
    PM_MessageBox(owner, text, kMonitorName, MB_OK | MB_ICONINFORMATION);
    return TRUE;
}

#if !defined(PLX_PORTMONITOR_ANSI)
// The spooler's view of the monitor; the entries past the 14th stay null.
MONITOREX gTable = {
    static_cast<DWORD>(14 * sizeof(void *)),
    {
        PORTMONITOR::EnumPorts,     // EnumPorts
        PORTMONITOR::OpenPort,      // OpenPort
        nullptr,                    // OpenPortEx
        PORTMONITOR::StartDocPort,  // StartDocPort
        PORTMONITOR::WritePort,     // WritePort
        PORTMONITOR::ReadPort,      // ReadPort
        PORTMONITOR::EndDocPort,    // EndDocPort
        PORTMONITOR::ClosePort,     // ClosePort
        PORTMONITOR::AddPort,       // AddPort
        nullptr,                    // AddPortEx
        PORTMONITOR::ConfigurePort, // ConfigurePort
        PORTMONITOR::DeletePort,    // DeletePort
        nullptr,                    // GetPrinterDataFromPort
        nullptr,                    // SetPortTimeOuts
        nullptr,                    // XcvOpenPort
        nullptr,                    // XcvDataPort
        nullptr,                    // XcvClosePort
    },
};
#endif

} // namespace

void PORTMONITOR::Attach()
{
    LOGIT::SetNoAssert(true);
    if (gLock == nullptr)
        gLock = new (std::nothrow) CRITSECT();
}

#if defined(PLX_PORTMONITOR_ANSI)
bool PORTMONITOR::FillTable9x(MONITOR9X *table)
{
    if (table == nullptr)
        return false;
    table->pfnEnumPorts = EnumPorts;
    table->pfnOpenPort = OpenPort;
    table->pfnOpenPortEx = nullptr;
    table->pfnStartDocPort = StartDocPort;
    table->pfnWritePort = WritePort;
    table->pfnReadPort = ReadPort;
    table->pfnEndDocPort = EndDocPort;
    table->pfnClosePort = ClosePort;
    table->pfnAddPort = AddPort;
    table->pfnConfigurePort = ConfigurePort;
    table->pfnDeletePort = DeletePort;
    table->pfnGetPrinterDataFromPort = nullptr;
    table->pfnSetPortTimeOuts = nullptr;
    return true;
}
#else
MONITOREX *PORTMONITOR::GetTable()
{
    return &gTable;
}
#endif

BOOL WINAPI PORTMONITOR::EnumPorts(PMCHAR *, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed,
                                   LPDWORD returned)
{
    MONITORLOCK lock;
    DWORD need;
    if (level == 1)
        need = sizeof(PM_PORT_INFO_1) + TextBytes(kPortName);
    else if (level == 2)
        need = sizeof(PM_PORT_INFO_2) + TextBytes(kPortName) + TextBytes(kMonitorName) + TextBytes(kDescription);
    else {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    if (needed)
        *needed = need;
    if (ports == nullptr || size < need) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    LPBYTE end = ports + size;
    if (level == 1) {
        PM_PORT_INFO_1 *info = reinterpret_cast<PM_PORT_INFO_1 *>(ports);
        info->pName = PackDown(&end, kPortName);
    } else {
        PM_PORT_INFO_2 *info = reinterpret_cast<PM_PORT_INFO_2 *>(ports);
        info->pPortName = PackDown(&end, kPortName);
        info->pMonitorName = PackDown(&end, kMonitorName);
        info->pDescription = PackDown(&end, kDescription);
        info->fPortType = PORT_TYPE_WRITE | PORT_TYPE_READ;
        info->Reserved = 0;
    }
    if (returned)
        *returned = 1;
    return TRUE;
}

BOOL WINAPI PORTMONITOR::OpenPort(PMCHAR *, PHANDLE handle)
{
    MONITORLOCK lock;
    if (handle == nullptr)
        return FALSE;
    FAXPORT *port = new (std::nothrow) FAXPORT();
    *handle = port;
    return port != nullptr;
}

BOOL WINAPI PORTMONITOR::StartDocPort(HANDLE handle, PMCHAR *printerName, DWORD jobId, DWORD, LPBYTE)
{
    FAXPORT *port = static_cast<FAXPORT *>(handle);
    if (port == nullptr)
        return FALSE;
    // A job that never reached EndDocPort would otherwise leak its printer handle.
    ClosePrinterOf(port);
    port->StartJob(jobId);
    HANDLE printer = nullptr;
    if (!PM_OpenPrinter(printerName, &printer, nullptr)) {
        LOGIT::Printf("PORTMONITOR::StartDocPort OpenPrinter failed: %lu\n", GetLastError());
        printer = nullptr;
    }
    port->PrinterHandle = printer;
    return TRUE;
}

BOOL WINAPI PORTMONITOR::WritePort(HANDLE handle, LPBYTE bytes, DWORD count, LPDWORD written)
{
    FAXPORT *port = static_cast<FAXPORT *>(handle);
    if (written)
        *written = 0;
    if (port == nullptr)
        return FALSE;
    if (bytes == nullptr && count > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!port->Write(bytes, count)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    if (written)
        *written = count;
    return TRUE;
}

BOOL WINAPI PORTMONITOR::ReadPort(HANDLE, LPBYTE, DWORD, LPDWORD)
{
    return TRUE;
}

BOOL WINAPI PORTMONITOR::EndDocPort(HANDLE handle)
{
    FAXPORT *port = static_cast<FAXPORT *>(handle);
    if (port == nullptr)
        return FALSE;
    FAXWRITER::WriteJob(*port);
    // Whether or not a file was written, the job counts as sent.
    if (port->PrinterHandle != nullptr) {
        if (!PM_SetJob(static_cast<HANDLE>(port->PrinterHandle), port->JobId, 0, nullptr,
                       JOB_CONTROL_SENT_TO_PRINTER))
            LOGIT::Printf("PORTMONITOR::EndDocPort SetJob %lu failed: %lu\n", static_cast<unsigned long>(port->JobId),
                          GetLastError());
        ClosePrinterOf(port);
    }
    return TRUE;
}

BOOL WINAPI PORTMONITOR::ClosePort(HANDLE handle)
{
    MONITORLOCK lock;
    FAXPORT *port = static_cast<FAXPORT *>(handle);
    if (port == nullptr)
        return FALSE;
    ClosePrinterOf(port);
    delete port;
    return TRUE;
}

BOOL WINAPI PORTMONITOR::AddPort(PMCHAR *, HWND owner, PMCHAR *)
{
    return ShowInformation(owner, kAddText);
}

BOOL WINAPI PORTMONITOR::ConfigurePort(PMCHAR *, HWND owner, PMCHAR *)
{
    return ShowInformation(owner, kConfigureText);
}

BOOL WINAPI PORTMONITOR::DeletePort(PMCHAR *, HWND, PMCHAR *)
{
    return TRUE;
}
