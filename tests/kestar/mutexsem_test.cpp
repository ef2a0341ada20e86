// MUTEXSEM: re-entrance, polling a lock that another thread holds, waiting without limit, and an
// abandoned lock.
#include "kestar/mutexsem.h"

#include "kestar/eventsem.h"
#include "kestar/osysthread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

struct HOLDER {
    MUTEXSEM *lock;
    EVENTSEM taken;
    EVENTSEM release;
    std::atomic<bool> obtained{false};
};

// Takes the lock, says so, and keeps it until told to let go.
unsigned HoldLock(void *p)
{
    OSYS::InitThreadCrashHandler();
    HOLDER *h = static_cast<HOLDER *>(p);
    h->obtained = h->lock->Obtain(-1);
    h->taken.Set();
    h->release.Wait(-1);
    h->lock->Release();
    return 0;
}

unsigned PollLock(void *p)
{
    OSYS::InitThreadCrashHandler();
    MUTEXSEM *lock = static_cast<MUTEXSEM *>(p);
    bool got = lock->Obtain(0);
    if (got)
        lock->Release();
    return got ? 1 : 0;
}

unsigned WaitResult(void *hthread)
{
    EXPECT_TRUE(OSYS::WaitThread(hthread, -1));
    return 0;
}

TEST(MUTEXSEM, IsReentrantForItsOwner)
{
    MUTEXSEM lock;
    ASSERT_TRUE(lock.Obtain(0));
    ASSERT_TRUE(lock.Obtain(0));
    lock.Release();
    // Still held once: another thread cannot have it.
    void *t = OSYS::CreateThread(PollLock, &lock);
    ASSERT_NE(nullptr, t);
    ASSERT_TRUE(OSYS::WaitThread(t, -1));
    lock.Release();
    HOLDER h;
    h.lock = &lock;
    void *holder = OSYS::CreateThread(HoldLock, &h);
    ASSERT_TRUE(h.taken.Wait(10000));
    EXPECT_TRUE(h.obtained);
    h.release.Set();
    WaitResult(holder);
}

TEST(MUTEXSEM, PollOnLockHeldElsewhereFailsAtOnceAndUnlimitedWaitSucceeds)
{
    MUTEXSEM lock;
    HOLDER h;
    h.lock = &lock;
    void *holder = OSYS::CreateThread(HoldLock, &h);
    ASSERT_NE(nullptr, holder);
    ASSERT_TRUE(h.taken.Wait(10000));
    EXPECT_FALSE(lock.Obtain(0));
    EXPECT_FALSE(lock.Obtain(30));
    h.release.Set();
    EXPECT_TRUE(lock.Obtain(-1));
    lock.Release();
    WaitResult(holder);
}

} // namespace
