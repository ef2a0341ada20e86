// CRITSECT on a Win32 critical section (re-entrant by the same thread).
#include "kestar/base/critsect.h"

#include "kestar/base/logit.h"

#include <windows.h>

#include <new>

CRITSECT::CRITSECT() : pCritSect(new (std::nothrow) CRITICAL_SECTION)
{
    ORVAK_ASSERT(this->pCritSect);
    if (pCritSect)
        InitializeCriticalSection(static_cast<CRITICAL_SECTION *>(pCritSect));
}

CRITSECT::~CRITSECT()
{
    if (pCritSect) {
        DeleteCriticalSection(static_cast<CRITICAL_SECTION *>(pCritSect));
        delete static_cast<CRITICAL_SECTION *>(pCritSect);
        pCritSect = nullptr;
    }
}

void CRITSECT::Enter()
{
    if (pCritSect)
        EnterCriticalSection(static_cast<CRITICAL_SECTION *>(pCritSect));
}

void CRITSECT::Leave()
{
    if (pCritSect)
        LeaveCriticalSection(static_cast<CRITICAL_SECTION *>(pCritSect));
}
