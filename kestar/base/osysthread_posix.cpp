// OSYS thread services natively, on pthreads.  A thread handle is a small block that holds the
// pthread; waiting with a time-out uses the GNU timed join.  Stacks keep the system's default
// size: natively there is no commit size, and the sanitizers need more than 32 KB.
#include "kestar/base/osysthread.h"

#include "kestar/base/logit.h"
#include "kestar/base/logitos.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <pthread.h>
#include <sched.h>
#include <cstdint>
#include <sys/syscall.h>
#include <unistd.h>

#include <new>

namespace {

struct THREAD {
    pthread_t thread;
};

// Handed to the new thread; the starter frees it once the thread has published its id, after
// which the thread no longer touches it.
struct START {
    OSYS::THREADPROC proc;
    void *argument;
    std::atomic<unsigned long> tid{0};
};

void *Trampoline(void *p)
{
    START *start = static_cast<START *>(p);
    OSYS::THREADPROC proc = start->proc;
    void *argument = start->argument;
    start->tid.store(static_cast<unsigned long>(syscall(SYS_gettid)), std::memory_order_release);
    unsigned rc = proc(argument);
    return reinterpret_cast<void *>(static_cast<uintptr_t>(rc));
}

THREAD *Start(OSYS::THREADPROC start, void *argument, unsigned long &tid)
{
    tid = 0;
    THREAD *t = new (std::nothrow) THREAD;
    START *block = new (std::nothrow) START;
    if (!t || !block) {
        delete t;
        delete block;
        return nullptr;
    }
    block->proc = start;
    block->argument = argument;
    if (pthread_create(&t->thread, nullptr, Trampoline, block) != 0) {
        delete t;
        delete block;
        return nullptr;
    }
    while ((tid = block->tid.load(std::memory_order_acquire)) == 0)
        sched_yield();
    delete block;
    return t;
}

} // namespace

namespace OSYS {

void *CreateThread(THREADPROC start, void *argument)
{
    unsigned long tid;
    THREAD *t = Start(start, argument, tid);
    LOGIT::Printf("OSYS::CreateThread returned hthread= %p, tid= %04lx\n", static_cast<void *>(t), tid);
    return t;
}

void *CreateThreadWithParm(THREADPROC start, void *object, int parameter)
{
    THREADPARM *pparm = new (std::nothrow) THREADPARM{THREADPARM_MAGIC, object, parameter};
    if (!pparm) {
        ORVAK_ASSERT(pparm);
        return nullptr;
    }
    unsigned long tid;
    THREAD *t = Start(start, pparm, tid);
    if (!t)
        delete pparm;
    LOGIT::Printf("OSYS::CreateThreadWithParm returned %p, tid= %04lx\n", static_cast<void *>(t), tid);
    return t;
}

bool WaitThread(void *hthread, int timeout)
{
    if (!hthread) {
        ORVAK_ASSERT(hthread!=NULL);
        return false;
    }
    THREAD *t = static_cast<THREAD *>(hthread);
    if (timeout != 0)
        LOGIT::Printf("OSYS::WaitThread hthread=%p, timeout=%d\n", hthread, timeout);
    int rc;
    if (timeout < 0) {
        rc = pthread_join(t->thread, nullptr);
    } else if (timeout == 0) {
        rc = pthread_tryjoin_np(t->thread, nullptr);
    } else {
        struct timespec until;
        clock_gettime(CLOCK_REALTIME, &until);
        until.tv_sec += timeout / 1000;
        until.tv_nsec += static_cast<long>(timeout % 1000) * 1000000L;
        until.tv_sec += until.tv_nsec / 1000000000L;
        until.tv_nsec %= 1000000000L;
        rc = pthread_timedjoin_np(t->thread, nullptr, &until);
    }
    if (rc == 0) {
        delete t;
        return true;
    }
    if (timeout != 0) {
        char text[256];
        LOGITOS::ErrorText(rc, text, sizeof(text));
        LOGIT::Printf("OSYS::WaitThread hthread=%p timeout=%d failed %s\n", hthread, timeout, text);
    }
    return false;
}

void CloseThreadHandle(void *hthread)
{
    THREAD *t = static_cast<THREAD *>(hthread);
    if (t) {
        pthread_detach(t->thread);
        delete t;
    }
}

void Sleep(int milliseconds)
{
    if (milliseconds < 0) {
        for (;;)
            pause();
    }
    struct timespec ts;
    ts.tv_sec = milliseconds / 1000;
    ts.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

unsigned long GetCurrentThreadId()
{
    return static_cast<unsigned long>(syscall(SYS_gettid));
}

} // namespace OSYS
