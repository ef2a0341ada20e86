// RAISETHREADPRIORITY on SetThreadPriority.
#include "kestar/base/raisethreadpriority.h"

#include "kestar/base/logit.h"

#include <windows.h>

RAISETHREADPRIORITY::RAISETHREADPRIORITY(int priority, int restorePriority)
    : hthread(GetCurrentThread()), RestorePriority(restorePriority)
{
    LOGIT::PrintfLevel(1, "RAISETHREADPRIORITY::RAISETHREADPRIORITY prio= %d\n", priority);
    if (RestorePriority == -1)
        RestorePriority = GetThreadPriority(hthread);
    RaiseOk = SetPriority(priority);
    LOGIT::PrintfLevel(1, "RAISETHREADPRIORITY::RAISETHREADPRIORITY done, ok= %d, origclass= %d\n", RaiseOk ? 1 : 0,
                       RestorePriority);
}

RAISETHREADPRIORITY::~RAISETHREADPRIORITY()
{
    LOGIT::PrintfLevel(1, "RAISETHREADPRIORITY::~RAISETHREADPRIORITY (RaiseOk=%d)\n", RaiseOk ? 1 : 0);
    if (RaiseOk) {
        BOOL rc = SetThreadPriority(hthread, RestorePriority);
        LOGIT::PrintfLevel(1, "RAISETHREADPRIORITY::~RAISETHREADPRIORITY done (rc= %d)\n", rc ? 1 : 0);
    }
}

bool RAISETHREADPRIORITY::SetPriority(int priority)
{
    LOGIT::PrintfLevel(1, "RAISETHREADPRIORITY::SetPriority called, prio= %d\n", priority);
    return SetThreadPriority(hthread, priority) != 0;
}

int GetCurrentThreadPriority()
{
    return GetThreadPriority(GetCurrentThread());
}
