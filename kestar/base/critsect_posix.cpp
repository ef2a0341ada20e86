// CRITSECT on a recursive pthread mutex, as re-entrant as the Win32 critical section it stands
// in for.
#include "kestar/base/critsect.h"

#include "kestar/base/logit.h"

#include <pthread.h>

#include <new>

CRITSECT::CRITSECT() : pCritSect(new (std::nothrow) pthread_mutex_t)
{
    ORVAK_ASSERT(this->pCritSect);
    if (pCritSect) {
        pthread_mutexattr_t attr;
        pthread_mutexattr_init(&attr);
        pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
        pthread_mutex_init(static_cast<pthread_mutex_t *>(pCritSect), &attr);
        pthread_mutexattr_destroy(&attr);
    }
}

CRITSECT::~CRITSECT()
{
    if (pCritSect) {
        pthread_mutex_destroy(static_cast<pthread_mutex_t *>(pCritSect));
        delete static_cast<pthread_mutex_t *>(pCritSect);
        pCritSect = nullptr;
    }
}

void CRITSECT::Enter()
{
    if (pCritSect)
        pthread_mutex_lock(static_cast<pthread_mutex_t *>(pCritSect));
}

void CRITSECT::Leave()
{
    if (pCritSect)
        pthread_mutex_unlock(static_cast<pthread_mutex_t *>(pCritSect));
}
