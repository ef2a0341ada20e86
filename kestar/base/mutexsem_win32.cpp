// MUTEXSEM on Windows: a re-entrant lock with the Win32 mutex's behaviour and a user-mode fast
// path.  Every HASH and list holds such locks and takes them on each name lookup; a kernel mutex
// costs a system call per obtain and release (under Wine a round trip to the wine server), so an
// obtain or release without contention is one atomic operation on the owner's thread id.  Only
// threads that find the lock taken wait on a kernel event, made at the first contention.
//
// Win32 mutex behaviour kept: re-entrance by the owning thread, a release by another thread is an
// assertion failure, and a lock whose owner thread ended is taken over as abandoned (waiters look
// at the owner every 100 ms; a thread id that the system has already given to a new thread
// cannot be told from the old one).  A named lock is shared with other processes and stays a
// kernel mutex.
#include "kestar/base/mutexsem.h"

#include "kestar/base/logit.h"
#include "kestar/base/recordmemory.h"
#include "kestar/base/winwait.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <new>

namespace {

struct FASTMUTEX {
    std::atomic<DWORD> Owner{0};     // thread id of the owner, 0 when free
    unsigned Count = 0;              // ownerships held; written by the owner only
    std::atomic<long> Waiters{0};    // threads in Contend
    std::atomic<HANDLE> Wake{nullptr}; // owned: auto-reset event for waiters, made on demand
    HANDLE Named = nullptr;          // owned: the kernel mutex of a named lock, else null

    // Every record has a lock: they come from the records' storage, as the records do, rather
    // than from the heap one by one.
    static void *operator new(size_t bytes, const std::nothrow_t &) noexcept { return RECORDMEMORY::Get(bytes); }
    static void operator delete(void *p, const std::nothrow_t &) noexcept { RECORDMEMORY::Put(p, sizeof(FASTMUTEX)); }
    static void operator delete(void *p, size_t bytes) { RECORDMEMORY::Put(p, bytes); }
};

// Results numbered as the Win32 wait codes, so the log lines read as before.
const DWORD GOT = WAIT_OBJECT_0;
const DWORD ABANDONED = WAIT_ABANDONED;
const DWORD TIMEDOUT = WAIT_TIMEOUT;

// How often a waiter looks whether the owner thread still exists.
const DWORD kOwnerCheckMs = 100;

DWORD WaitTime(int timeout)
{
    return timeout < 0 ? INFINITE : static_cast<DWORD>(timeout);
}

// True when no thread with this id runs any more.
bool OwnerEnded(DWORD tid)
{
    HANDLE h = OpenThread(SYNCHRONIZE, FALSE, tid);
    if (h == nullptr)
        return GetLastError() == ERROR_INVALID_PARAMETER; // no such thread
    bool ended = WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
    CloseHandle(h);
    return ended;
}

HANDLE WakeEvent(FASTMUTEX *m)
{
    HANDLE ev = m->Wake.load();
    if (ev != nullptr)
        return ev;
    HANDLE made = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (made == nullptr)
        return nullptr;
    if (!m->Wake.compare_exchange_strong(ev, made)) {
        CloseHandle(made); // another waiter was first
        return ev;
    }
    return made;
}

// The slow path: the lock is (or was a moment ago) held by another thread.
DWORD Contend(FASTMUTEX *m, DWORD me, int timeout, bool pump)
{
    HANDLE ev = WakeEvent(m);
    if (ev == nullptr)
        return WAIT_FAILED;
    const ULONGLONG start = GetTickCount64();
    DWORD result = TIMEDOUT;
    // Counted before the next look at the owner: a release after that look sees us and wakes us.
    m->Waiters.fetch_add(1);
    bool checkOwner = true;
    for (;;) {
        DWORD owner = 0;
        if (m->Owner.compare_exchange_strong(owner, me)) {
            result = GOT;
            break;
        }
        if (checkOwner && OwnerEnded(owner)) {
            if (m->Owner.compare_exchange_strong(owner, me)) {
                result = ABANDONED;
                break;
            }
            continue; // the owner changed meanwhile: look again
        }
        DWORD slice = kOwnerCheckMs;
        if (timeout >= 0) {
            ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= static_cast<ULONGLONG>(timeout))
                break;
            if (static_cast<ULONGLONG>(timeout) - elapsed < slice)
                slice = static_cast<DWORD>(timeout - elapsed);
        }
        DWORD rc = pump ? WINWAIT::WaitForHandle(ev, static_cast<int>(slice)) : WaitForSingleObject(ev, slice);
        if (rc == WAIT_FAILED) {
            result = WAIT_FAILED;
            break;
        }
        // Woken by a release: take the lock if it is still free; after a quiet slice, also see
        // whether the owner has ended.
        checkOwner = rc == WAIT_TIMEOUT;
    }
    m->Waiters.fetch_sub(1);
    if (result == GOT || result == ABANDONED)
        m->Count = 1;
    return result;
}

DWORD Acquire(FASTMUTEX *m, int timeout, bool pump)
{
    if (m->Named != nullptr)
        return pump ? WINWAIT::WaitForHandle(m->Named, timeout) : WaitForSingleObject(m->Named, WaitTime(timeout));
    const DWORD me = GetCurrentThreadId();
    if (m->Owner.load(std::memory_order_relaxed) == me) {
        ++m->Count;
        return GOT;
    }
    DWORD expected = 0;
    if (m->Owner.compare_exchange_strong(expected, me)) {
        m->Count = 1;
        return GOT;
    }
    return Contend(m, me, timeout, pump);
}

bool Free(FASTMUTEX *m)
{
    if (m->Named != nullptr)
        return ReleaseMutex(m->Named) != FALSE;
    if (m->Owner.load(std::memory_order_relaxed) != GetCurrentThreadId() || m->Count == 0)
        return false;
    if (--m->Count > 0)
        return true;
    m->Owner.store(0);
    if (m->Waiters.load() > 0) {
        HANDLE ev = m->Wake.load();
        if (ev != nullptr)
            SetEvent(ev);
    }
    return true;
}

void AssertClosed(BOOL ok, HANDLE h)
{
    if (!ok) {
        char info[64];
        std::snprintf(info, sizeof(info), "handle= %p", h);
        ORVAK_ASSERT_INFO(ok, info);
    }
}

} // namespace

MUTEXSEM::MUTEXSEM(bool initiallyOwned, const char *name) : hmux(nullptr)
{
    FASTMUTEX *m = new (std::nothrow) FASTMUTEX;
    if (m != nullptr && name != nullptr) {
        m->Named = CreateMutexA(nullptr, initiallyOwned, name);
        if (m->Named == nullptr) {
            delete m;
            m = nullptr;
        }
    } else if (m != nullptr && initiallyOwned) {
        m->Owner = GetCurrentThreadId();
        m->Count = 1;
    }
    hmux = m;
    ORVAK_ASSERT(this->hmux);
    LOGIT::PrintfLevel(11, "MUTEXSEM::MUTEXSEM created %p, name= %s\n", hmux, name ? name : "<null>");
}

MUTEXSEM::~MUTEXSEM()
{
    FASTMUTEX *m = static_cast<FASTMUTEX *>(hmux);
    hmux = nullptr;
    if (m != nullptr) {
        HANDLE ev = m->Wake.load();
        if (ev != nullptr)
            AssertClosed(CloseHandle(ev), ev);
        if (m->Named != nullptr)
            AssertClosed(CloseHandle(m->Named), m->Named);
        delete m;
    }
    LOGIT::PrintfLevel(11, "MUTEXSEM::MUTEXSEM delete %p\n", static_cast<void *>(m));
}

bool MUTEXSEM::Obtain(int timeout)
{
    if (WindowThreadId != 0 && WindowThreadId == GetCurrentThreadId())
        return WinObtain(timeout);
    DWORD rc = hmux ? Acquire(static_cast<FASTMUTEX *>(hmux), timeout, false) : WAIT_FAILED;
    ORVAK_ASSERT(rc!=WAIT_FAILED);
    LOGIT::PrintfLevel(11, "MUTEXSEM::Obtain %p rc= %d\n", hmux, static_cast<int>(rc));
    if (rc == ABANDONED) {
        // Its owner ended without releasing it.  We own it now and must release it like any other
        // obtained lock; what it guards may be half-changed, so say so.
        LOGIT::Printf("MUTEXSEM::Obtain %p was abandoned by its owner, obtained\n", hmux);
        return true;
    }
    return rc == GOT;
}

bool MUTEXSEM::WinObtain(int timeout)
{
    if (!hmux)
        return false;
    DWORD rc = Acquire(static_cast<FASTMUTEX *>(hmux), timeout, true);
    LOGIT::PrintfLevel(11, "MUTEXSEM::WinObtain %p rc= %d\n", hmux, static_cast<int>(rc));
    if (rc == ABANDONED) {
        LOGIT::Printf("MUTEXSEM::WinObtain %p was abandoned by its owner, obtained\n", hmux);
        return true;
    }
    return rc == GOT;
}

void MUTEXSEM::Release()
{
    bool ok = hmux != nullptr && Free(static_cast<FASTMUTEX *>(hmux));
    if (!ok) {
        char info[64];
        std::snprintf(info, sizeof(info), "handle= %p", hmux);
        ORVAK_ASSERT_INFO(ok, info);
    }
    LOGIT::PrintfLevel(11, "MUTEXSEM::Release %p rc= %d\n", hmux, ok ? 1 : 0);
}
