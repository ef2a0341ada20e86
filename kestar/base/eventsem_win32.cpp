// EVENTSEM on a manual-reset Win32 event.
#include "kestar/base/eventsem.h"

#include "kestar/base/logit.h"

#include <windows.h>

#include <cstdio>

namespace {

void AssertOk(BOOL ok, void *handle)
{
    if (!ok) {
        char info[64];
        std::snprintf(info, sizeof(info), "handle= %p", handle);
        ORVAK_ASSERT_INFO(ok, info);
    }
}

} // namespace

EVENTSEM::EVENTSEM(bool initiallySignalled) : hev(CreateEventA(nullptr, TRUE, initiallySignalled, nullptr))
{
    ORVAK_ASSERT(this->hev);
    LOGIT::PrintfLevel(7, "EVENTSEM::EVENTSEM created %p\n", hev);
}

EVENTSEM::~EVENTSEM()
{
    HANDLE h = hev;
    hev = nullptr;
    BOOL ok = h ? CloseHandle(h) : FALSE;
    AssertOk(ok, h);
    LOGIT::PrintfLevel(12, "EVENTSEM::~EVENTSEM deleted %p, ok= %d\n", h, ok ? 1 : 0);
}

void EVENTSEM::Set()
{
    AssertOk(hev ? SetEvent(hev) : FALSE, hev);
    LOGIT::PrintfLevel(12, "EVENTSEM::Set %p\n", hev);
}

void EVENTSEM::Reset()
{
    AssertOk(hev ? ResetEvent(hev) : FALSE, hev);
    LOGIT::PrintfLevel(12, "EVENTSEM::Reset %p\n", hev);
}

bool EVENTSEM::Wait(int timeout)
{
    DWORD rc = hev ? WaitForSingleObject(hev, timeout < 0 ? INFINITE : static_cast<DWORD>(timeout)) : WAIT_FAILED;
    ORVAK_ASSERT(rc!=WAIT_FAILED);
    LOGIT::PrintfLevel(12, "EVENTSEM::Wait %p rc=%d\n", hev, static_cast<int>(rc));
    return rc == WAIT_OBJECT_0;
}
