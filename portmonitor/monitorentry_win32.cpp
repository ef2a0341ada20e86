// The spooler-facing entry of the fax port monitor libraries: the library entry and the one
// exported function the spooler looks up (InitializePrintMonitor for NT and x64,
// InitializeMonitorEx for 9x).  Everything else is PORTMONITOR's.
#include "portmonitor/portmonitor.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        PORTMONITOR::Attach();
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

#if defined(PLX_PORTMONITOR_ANSI)
// winsplp.h declares InitializeMonitorEx with the NT record; the 9x entry takes the 9x record
// and is exported under the spooler's name by the library's .def file.
extern "C" BOOL WINAPI InitializeMonitor9x(LPSTR, MONITOR9X *monitor)
{
    return PORTMONITOR::FillTable9x(monitor) ? TRUE : FALSE;
}
#else
extern "C" LPMONITOREX WINAPI InitializePrintMonitor(LPWSTR)
{
    return PORTMONITOR::GetTable();
}
#endif
