// MUTEXSEM natively: a re-entrant lock with the Win32 mutex's semantics, built from a pthread
// mutex and condition variable.  An owner thread that ended without releasing the lock leaves it
// abandoned: the next thread that waits for it takes it over, as a Win32 mutex hands over with
// WAIT_ABANDONED.  Waiters look at the owner's liveness every few milliseconds.
#include "kestar/base/mutexsem.h"

#include "kestar/base/logit.h"

#include <cerrno>
#include <cstdio>
#include <csignal>
#include <ctime>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <new>

namespace {

struct POSIXMUTEX {
    pthread_mutex_t guard;
    pthread_cond_t freed;
    long owner = 0;      // kernel thread id of the owner, 0 when free (under guard)
    unsigned count = 0;  // ownerships held by the owner (under guard)
};

// Asked of the kernel once per thread: every obtain and release needs it.
long ThreadId()
{
    static thread_local long tid = static_cast<long>(syscall(SYS_gettid));
    return tid;
}

bool ThreadAlive(long tid)
{
    return syscall(SYS_tgkill, static_cast<long>(getpid()), tid, 0) == 0 || errno != ESRCH;
}

long long NowMs()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Results numbered as the Win32 wait codes, so the log lines read the same on both systems.
enum RESULT { GOT = 0, ABANDONED = 0x80, TIMEDOUT = 258 };
const int WAIT_FAILED = -1;

RESULT Acquire(POSIXMUTEX *m, int timeout)
{
    const long me = ThreadId();
    const long long deadline = timeout < 0 ? 0 : NowMs() + timeout;
    RESULT result = GOT;
    pthread_mutex_lock(&m->guard);
    if (m->owner == me) {
        ++m->count;
        pthread_mutex_unlock(&m->guard);
        return GOT;
    }
    while (m->owner != 0) {
        if (!ThreadAlive(m->owner)) {
            result = ABANDONED;
            break;
        }
        long long now = NowMs();
        if (timeout >= 0 && now >= deadline) {
            pthread_mutex_unlock(&m->guard);
            return TIMEDOUT;
        }
        long long slice = 20;
        if (timeout >= 0 && deadline - now < slice)
            slice = deadline - now;
        struct timespec until;
        clock_gettime(CLOCK_MONOTONIC, &until);
        until.tv_nsec += static_cast<long>(slice) * 1000000L;
        until.tv_sec += until.tv_nsec / 1000000000L;
        until.tv_nsec %= 1000000000L;
        pthread_cond_timedwait(&m->freed, &m->guard, &until);
    }
    m->owner = me;
    m->count = 1;
    pthread_mutex_unlock(&m->guard);
    return result;
}

} // namespace

MUTEXSEM::MUTEXSEM(bool initiallyOwned, const char *name) : hmux(new (std::nothrow) POSIXMUTEX)
{
    ORVAK_ASSERT(this->hmux);
    if (hmux) {
        POSIXMUTEX *m = static_cast<POSIXMUTEX *>(hmux);
        pthread_mutex_init(&m->guard, nullptr);
        pthread_condattr_t attr;
        pthread_condattr_init(&attr);
        pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
        pthread_cond_init(&m->freed, &attr);
        pthread_condattr_destroy(&attr);
        if (initiallyOwned) {
            m->owner = ThreadId();
            m->count = 1;
        }
    }
    LOGIT::PrintfLevel(11, "MUTEXSEM::MUTEXSEM created %p, name= %s\n", hmux, name ? name : "<null>");
}

MUTEXSEM::~MUTEXSEM()
{
    POSIXMUTEX *m = static_cast<POSIXMUTEX *>(hmux);
    hmux = nullptr;
    if (m) {
        pthread_cond_destroy(&m->freed);
        pthread_mutex_destroy(&m->guard);
        delete m;
    }
    LOGIT::PrintfLevel(11, "MUTEXSEM::MUTEXSEM delete %p\n", static_cast<void *>(m));
}

bool MUTEXSEM::Obtain(int timeout)
{
    // No window messages natively: the window thread waits like any other.
    int rc = hmux ? static_cast<int>(Acquire(static_cast<POSIXMUTEX *>(hmux), timeout)) : WAIT_FAILED;
    ORVAK_ASSERT(rc!=WAIT_FAILED);
    LOGIT::PrintfLevel(11, "MUTEXSEM::Obtain %p rc= %d\n", hmux, rc);
    if (rc == ABANDONED)
        LOGIT::Printf("MUTEXSEM::Obtain %p was abandoned by its owner, obtained\n", hmux);
    return rc == GOT || rc == ABANDONED;
}

bool MUTEXSEM::WinObtain(int timeout)
{
    if (!hmux)
        return false;
    int rc = static_cast<int>(Acquire(static_cast<POSIXMUTEX *>(hmux), timeout));
    LOGIT::PrintfLevel(11, "MUTEXSEM::WinObtain %p rc= %d\n", hmux, rc);
    if (rc == ABANDONED)
        LOGIT::Printf("MUTEXSEM::WinObtain %p was abandoned by its owner, obtained\n", hmux);
    return rc == GOT || rc == ABANDONED;
}

void MUTEXSEM::Release()
{
    bool ok = false;
    POSIXMUTEX *m = static_cast<POSIXMUTEX *>(hmux);
    if (m) {
        pthread_mutex_lock(&m->guard);
        if (m->owner == ThreadId() && m->count > 0) {
            ok = true;
            if (--m->count == 0) {
                m->owner = 0;
                pthread_cond_signal(&m->freed);
            }
        }
        pthread_mutex_unlock(&m->guard);
    }
    if (!ok) {
        char info[64];
        std::snprintf(info, sizeof(info), "handle= %p", hmux);
        ORVAK_ASSERT_INFO(ok, info);
    }
    LOGIT::PrintfLevel(11, "MUTEXSEM::Release %p rc= %d\n", hmux, ok ? 1 : 0);
}
