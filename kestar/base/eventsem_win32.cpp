// EVENTSEM on Windows: a manual-reset event whose state lives in user mode.  Every device and
// connection makes a few of these and most are set and reset without anybody ever waiting; a
// Win32 event costs a system call to make, set, reset and close (under Wine each is a round trip
// to the wine server).  So the kernel event is made only when a thread has to block on it, and
// from then on it mirrors the state: both change together under the guard.
#include "kestar/base/eventsem.h"

#include "kestar/base/logit.h"

#include <windows.h>

#include <cstdio>
#include <new>

namespace {

struct WINEVENT {
    CRITICAL_SECTION guard;
    bool signalled = false; // under guard
    HANDLE event = nullptr; // owned: made by the first wait that blocks; under guard
};

void AssertOk(BOOL ok, void *handle)
{
    if (!ok) {
        char info[64];
        std::snprintf(info, sizeof(info), "handle= %p", handle);
        ORVAK_ASSERT_INFO(ok, info);
    }
}

} // namespace

EVENTSEM::EVENTSEM(bool initiallySignalled) : hev(new (std::nothrow) WINEVENT)
{
    ORVAK_ASSERT(this->hev);
    if (hev) {
        WINEVENT *e = static_cast<WINEVENT *>(hev);
        InitializeCriticalSection(&e->guard);
        e->signalled = initiallySignalled;
    }
    LOGIT::PrintfLevel(7, "EVENTSEM::EVENTSEM created %p\n", hev);
}

EVENTSEM::~EVENTSEM()
{
    WINEVENT *e = static_cast<WINEVENT *>(hev);
    hev = nullptr;
    AssertOk(e != nullptr, e);
    if (e) {
        if (e->event)
            AssertOk(CloseHandle(e->event), e->event);
        DeleteCriticalSection(&e->guard);
        delete e;
    }
    LOGIT::PrintfLevel(12, "EVENTSEM::~EVENTSEM deleted %p, ok= %d\n", static_cast<void *>(e), e ? 1 : 0);
}

void EVENTSEM::Set()
{
    WINEVENT *e = static_cast<WINEVENT *>(hev);
    BOOL ok = e != nullptr;
    if (e) {
        EnterCriticalSection(&e->guard);
        e->signalled = true;
        if (e->event)
            ok = SetEvent(e->event);
        LeaveCriticalSection(&e->guard);
    }
    AssertOk(ok, e);
    LOGIT::PrintfLevel(12, "EVENTSEM::Set %p\n", hev);
}

void EVENTSEM::Reset()
{
    WINEVENT *e = static_cast<WINEVENT *>(hev);
    BOOL ok = e != nullptr;
    if (e) {
        EnterCriticalSection(&e->guard);
        e->signalled = false;
        if (e->event)
            ok = ResetEvent(e->event);
        LeaveCriticalSection(&e->guard);
    }
    AssertOk(ok, e);
    LOGIT::PrintfLevel(12, "EVENTSEM::Reset %p\n", hev);
}

bool EVENTSEM::Wait(int timeout)
{
    WINEVENT *e = static_cast<WINEVENT *>(hev);
    if (!e) {
        ORVAK_ASSERT(this->hev);
        return false;
    }
    EnterCriticalSection(&e->guard);
    bool signalled = e->signalled;
    HANDLE event = e->event;
    if (!signalled && timeout != 0 && !event) {
        // Made not signalled, which is the state now; Set and Reset keep it in step from here on.
        event = e->event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    LeaveCriticalSection(&e->guard);
    if (signalled || timeout == 0) {
        LOGIT::PrintfLevel(12, "EVENTSEM::Wait %p rc=%d\n", hev, signalled ? 0 : static_cast<int>(WAIT_TIMEOUT));
        return signalled;
    }
    DWORD rc = event ? WaitForSingleObject(event, timeout < 0 ? INFINITE : static_cast<DWORD>(timeout)) : WAIT_FAILED;
    ORVAK_ASSERT(rc!=WAIT_FAILED);
    LOGIT::PrintfLevel(12, "EVENTSEM::Wait %p rc=%d\n", hev, static_cast<int>(rc));
    return rc == WAIT_OBJECT_0;
}
