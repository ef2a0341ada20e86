// EVENTSEM natively: a manual-reset event from a pthread mutex, condition variable and flag.
#include "kestar/base/eventsem.h"

#include "kestar/base/logit.h"

#include <cstdio>
#include <ctime>
#include <pthread.h>

#include <new>

namespace {

struct POSIXEVENT {
    pthread_mutex_t guard;
    pthread_cond_t changed;
    bool signalled = false; // under guard
};

void AssertOk(bool ok, void *handle)
{
    if (!ok) {
        char info[64];
        std::snprintf(info, sizeof(info), "handle= %p", handle);
        ORVAK_ASSERT_INFO(ok, info);
    }
}

const int WAIT_FAILED = -1;

} // namespace

EVENTSEM::EVENTSEM(bool initiallySignalled) : hev(new (std::nothrow) POSIXEVENT)
{
    ORVAK_ASSERT(this->hev);
    if (hev) {
        POSIXEVENT *e = static_cast<POSIXEVENT *>(hev);
        pthread_mutex_init(&e->guard, nullptr);
        pthread_condattr_t attr;
        pthread_condattr_init(&attr);
        pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
        pthread_cond_init(&e->changed, &attr);
        pthread_condattr_destroy(&attr);
        e->signalled = initiallySignalled;
    }
    LOGIT::PrintfLevel(7, "EVENTSEM::EVENTSEM created %p\n", hev);
}

EVENTSEM::~EVENTSEM()
{
    POSIXEVENT *e = static_cast<POSIXEVENT *>(hev);
    hev = nullptr;
    AssertOk(e != nullptr, e);
    if (e) {
        pthread_cond_destroy(&e->changed);
        pthread_mutex_destroy(&e->guard);
        delete e;
    }
    LOGIT::PrintfLevel(12, "EVENTSEM::~EVENTSEM deleted %p, ok= %d\n", static_cast<void *>(e), e ? 1 : 0);
}

void EVENTSEM::Set()
{
    POSIXEVENT *e = static_cast<POSIXEVENT *>(hev);
    AssertOk(e != nullptr, e);
    if (e) {
        pthread_mutex_lock(&e->guard);
        e->signalled = true;
        pthread_cond_broadcast(&e->changed);
        pthread_mutex_unlock(&e->guard);
    }
    LOGIT::PrintfLevel(12, "EVENTSEM::Set %p\n", hev);
}

void EVENTSEM::Reset()
{
    POSIXEVENT *e = static_cast<POSIXEVENT *>(hev);
    AssertOk(e != nullptr, e);
    if (e) {
        pthread_mutex_lock(&e->guard);
        e->signalled = false;
        pthread_mutex_unlock(&e->guard);
    }
    LOGIT::PrintfLevel(12, "EVENTSEM::Reset %p\n", hev);
}

bool EVENTSEM::Wait(int timeout)
{
    POSIXEVENT *e = static_cast<POSIXEVENT *>(hev);
    int rc = WAIT_FAILED;
    if (e) {
        struct timespec until;
        clock_gettime(CLOCK_MONOTONIC, &until);
        if (timeout > 0) {
            until.tv_sec += timeout / 1000;
            until.tv_nsec += static_cast<long>(timeout % 1000) * 1000000L;
            until.tv_sec += until.tv_nsec / 1000000000L;
            until.tv_nsec %= 1000000000L;
        }
        pthread_mutex_lock(&e->guard);
        bool timedOut = false;
        while (!e->signalled && !timedOut) {
            if (timeout == 0)
                timedOut = true;
            else if (timeout < 0)
                pthread_cond_wait(&e->changed, &e->guard);
            else
                timedOut = pthread_cond_timedwait(&e->changed, &e->guard, &until) != 0 && !e->signalled;
        }
        rc = e->signalled ? 0 : 258; // WAIT_OBJECT_0 or WAIT_TIMEOUT, as the log shows on Windows
        pthread_mutex_unlock(&e->guard);
    }
    ORVAK_ASSERT(rc!=WAIT_FAILED);
    LOGIT::PrintfLevel(12, "EVENTSEM::Wait %p rc=%d\n", hev, rc);
    return rc == 0;
}
