// The lock of the print-job spool of a Wine prefix (see printjob_support.h).
#include "tests/support/printjob_support.h"

#include <windows.h>

PRINTJOBLOCK::PRINTJOBLOCK(int timeoutMs) : mutex(CreateMutexA(nullptr, FALSE, "PlxTestPrintJobSpool")), held(false)
{
    if (!mutex)
        return;
    const DWORD rc = WaitForSingleObject(static_cast<HANDLE>(mutex), static_cast<DWORD>(timeoutMs));
    // An owner that died holding it has left no open spool file behind.
    held = rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED;
}

PRINTJOBLOCK::~PRINTJOBLOCK()
{
    if (held)
        ReleaseMutex(static_cast<HANDLE>(mutex));
    if (mutex)
        CloseHandle(static_cast<HANDLE>(mutex));
}
