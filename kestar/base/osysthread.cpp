// The portable half of the thread services: arming the crash handler in each new thread, the same
// on every platform (the platform layers start the threads and call InitThreadCrashHandler).
#include "kestar/base/osysthread.h"

#include "kestar/base/logit.h"

#include <atomic>

namespace {

std::atomic<void (*)()> gCrashArm{nullptr};

} // namespace

namespace OSYS {

void InitThreadCrashHandler()
{
    void (*arm)() = gCrashArm.load();
    if (arm && LOGIT::GetCrashDumpLevel() > 0)
        arm();
}

void SetCrashHandlerArm(void (*arm)())
{
    gCrashArm.store(arm);
}

} // namespace OSYS
