// MUTEXSEM on a Win32 mutex.  Failures of the kernel calls are assertion failures, after which
// the program goes on and the operation reports false.
#include "kestar/mutexsem.h"

#include "kestar/logit.h"
#include "kestar/winwait.h"

#include <windows.h>

#include <cstdio>

namespace {

DWORD WaitTime(int timeout)
{
    return timeout < 0 ? INFINITE : static_cast<DWORD>(timeout);
}

} // namespace

MUTEXSEM::MUTEXSEM(bool initiallyOwned, const char *name) : hmux(CreateMutexA(nullptr, initiallyOwned, name))
{
    ORVAK_ASSERT(this->hmux);
    LOGIT::PrintfLevel(11, "MUTEXSEM::MUTEXSEM created %p, name= %s\n", hmux, name ? name : "<null>");
}

MUTEXSEM::~MUTEXSEM()
{
    HANDLE h = hmux;
    hmux = nullptr;
    if (h) {
        BOOL ok = CloseHandle(h);
        if (!ok) {
            char info[64];
            std::snprintf(info, sizeof(info), "handle= %p", h);
            ORVAK_ASSERT_INFO(ok, info);
        }
    }
    LOGIT::PrintfLevel(11, "MUTEXSEM::MUTEXSEM delete %p\n", h);
}

bool MUTEXSEM::Obtain(int timeout)
{
    if (WindowThreadId != 0 && WindowThreadId == GetCurrentThreadId())
        return WinObtain(timeout);
    DWORD rc = hmux ? WaitForSingleObject(hmux, WaitTime(timeout)) : WAIT_FAILED;
    ORVAK_ASSERT(rc!=WAIT_FAILED);
    LOGIT::PrintfLevel(11, "MUTEXSEM::Obtain %p rc= %d\n", hmux, static_cast<int>(rc));
    if (rc == WAIT_ABANDONED) {
        // Its owner ended without releasing it.  We own it now and must release it like any other
        // obtained lock; what it guards may be half-changed, so say so.
        LOGIT::Printf("MUTEXSEM::Obtain %p was abandoned by its owner, obtained\n", hmux);
        return true;
    }
    return rc == WAIT_OBJECT_0;
}

bool MUTEXSEM::WinObtain(int timeout)
{
    if (!hmux)
        return false;
    DWORD rc = WINWAIT::WaitForHandle(hmux, timeout);
    LOGIT::PrintfLevel(11, "MUTEXSEM::WinObtain %p rc= %d\n", hmux, static_cast<int>(rc));
    if (rc == WAIT_ABANDONED) {
        LOGIT::Printf("MUTEXSEM::WinObtain %p was abandoned by its owner, obtained\n", hmux);
        return true;
    }
    return rc == WAIT_OBJECT_0;
}

void MUTEXSEM::Release()
{
    BOOL ok = hmux ? ReleaseMutex(hmux) : FALSE;
    if (!ok) {
        char info[64];
        std::snprintf(info, sizeof(info), "handle= %p", hmux);
        ORVAK_ASSERT_INFO(ok, info);
    }
    LOGIT::PrintfLevel(11, "MUTEXSEM::Release %p rc= %d\n", hmux, ok ? 1 : 0);
}
