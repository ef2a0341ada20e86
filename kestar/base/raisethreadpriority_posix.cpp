// RAISETHREADPRIORITY natively: the Win32 thread priorities map onto the thread's nice value
// (priority p is nice -p); values that Win32 refuses are refused here too.
#include "kestar/base/raisethreadpriority.h"

#include "kestar/base/logit.h"

#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool ValidPriority(int priority)
{
    return (priority >= -2 && priority <= 2) || priority == 15 || priority == -15;
}

id_t ThreadId()
{
    return static_cast<id_t>(syscall(SYS_gettid));
}

} // namespace

RAISETHREADPRIORITY::RAISETHREADPRIORITY(int priority, int restorePriority)
    : hthread(reinterpret_cast<void *>(static_cast<intptr_t>(ThreadId()))), RestorePriority(restorePriority)
{
    LOGIT::PrintfLevel(1, "RAISETHREADPRIORITY::RAISETHREADPRIORITY prio= %d\n", priority);
    if (RestorePriority == -1)
        RestorePriority = GetCurrentThreadPriority();
    RaiseOk = SetPriority(priority);
    LOGIT::PrintfLevel(1, "RAISETHREADPRIORITY::RAISETHREADPRIORITY done, ok= %d, origclass= %d\n", RaiseOk ? 1 : 0,
                       RestorePriority);
}

RAISETHREADPRIORITY::~RAISETHREADPRIORITY()
{
    LOGIT::PrintfLevel(1, "RAISETHREADPRIORITY::~RAISETHREADPRIORITY (RaiseOk=%d)\n", RaiseOk ? 1 : 0);
    if (RaiseOk) {
        bool rc = SetPriority(RestorePriority);
        LOGIT::PrintfLevel(1, "RAISETHREADPRIORITY::~RAISETHREADPRIORITY done (rc= %d)\n", rc ? 1 : 0);
    }
}

bool RAISETHREADPRIORITY::SetPriority(int priority)
{
    LOGIT::PrintfLevel(1, "RAISETHREADPRIORITY::SetPriority called, prio= %d\n", priority);
    if (!ValidPriority(priority))
        return false;
    id_t tid = static_cast<id_t>(reinterpret_cast<intptr_t>(hthread));
    return setpriority(PRIO_PROCESS, tid, -priority) == 0;
}

int GetCurrentThreadPriority()
{
    errno = 0;
    int nice = getpriority(PRIO_PROCESS, ThreadId());
    return errno == 0 ? -nice : 0;
}
