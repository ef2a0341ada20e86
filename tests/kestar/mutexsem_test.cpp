// MUTEXSEM: re-entrance, polling a lock that another thread holds, waiting without limit, and an
// abandoned lock.
#include "kestar/mutexsem.h"

#include "kestar/critsect.h"
#include "kestar/eventsem.h"
#include "kestar/osysthread.h"
#include "kestar/raisethreadpriority.h"

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

unsigned TakeAndEnd(void *p)
{
    OSYS::InitThreadCrashHandler();
    return static_cast<MUTEXSEM *>(p)->Obtain(-1) ? 1 : 0; // ends without releasing
}

TEST(MUTEXSEM, AbandonedLockCountsAsObtainedAndIsReleasedByItsNewOwner)
{
    MUTEXSEM lock;
    void *t = OSYS::CreateThread(TakeAndEnd, &lock);
    ASSERT_NE(nullptr, t);
    ASSERT_TRUE(OSYS::WaitThread(t, -1));
    EXPECT_TRUE(lock.Obtain(30000));
    lock.Release();
    // Released for real: another thread gets it at once.
    t = OSYS::CreateThread(PollLock, &lock);
    ASSERT_TRUE(OSYS::WaitThread(t, -1));
    EXPECT_TRUE(lock.Obtain(0));
    lock.Release();
}

TEST(MUTEXSEM, InitiallyOwnedByItsCreator)
{
    MUTEXSEM lock(true, nullptr);
    void *t = OSYS::CreateThread(PollLock, &lock);
    ASSERT_NE(nullptr, t);
    ASSERT_TRUE(OSYS::WaitThread(t, -1));
    lock.Release();
    HOLDER h;
    h.lock = &lock;
    void *holder = OSYS::CreateThread(HoldLock, &h);
    ASSERT_TRUE(h.taken.Wait(30000));
    EXPECT_TRUE(h.obtained);
    h.release.Set();
    WaitResult(holder);
}

struct COUNTER {
    CRITSECT section;
    long value = 0;
};

unsigned AddMany(void *p)
{
    OSYS::InitThreadCrashHandler();
    COUNTER *c = static_cast<COUNTER *>(p);
    for (int i = 0; i < 20000; ++i) {
        c->section.Enter();
        c->section.Enter(); // re-entrant for its owner
        long v = c->value;
        c->value = v + 1;
        c->section.Leave();
        c->section.Leave();
    }
    return 0;
}

TEST(CRITSECT, SerialisesThreads)
{
    COUNTER c;
    void *threads[4];
    for (void *&t : threads) {
        t = OSYS::CreateThread(AddMany, &c);
        ASSERT_NE(nullptr, t);
    }
    for (void *t : threads)
        EXPECT_TRUE(OSYS::WaitThread(t, -1));
    EXPECT_EQ(80000, c.value);
}

unsigned PriorityScenario(void *p)
{
    OSYS::InitThreadCrashHandler();
    int *out = static_cast<int *>(p);
    // A run under nice starts elsewhere than 0: the end must be where the thread began.
    out[5] = GetCurrentThreadPriority();
    {
        RAISETHREADPRIORITY lowered(-1);
        out[0] = lowered.RaiseOk ? 1 : 0;
        out[1] = GetCurrentThreadPriority();
        {
            // 100 is no thread priority: the raise fails, and the end of the scope must not
            // "restore" to 2 either.
            RAISETHREADPRIORITY refused(100, 2);
            out[2] = refused.RaiseOk ? 1 : 0;
        }
        out[3] = GetCurrentThreadPriority();
    }
    out[4] = GetCurrentThreadPriority();
    return 0;
}

TEST(RAISETHREADPRIORITY, RestoresOnlyWhenTheChangeSucceeded)
{
    int out[6] = {-9, -9, -9, -9, -9, -9};
    void *t = OSYS::CreateThread(PriorityScenario, out);
    ASSERT_NE(nullptr, t);
    ASSERT_TRUE(OSYS::WaitThread(t, -1));
    EXPECT_EQ(1, out[0]);
    EXPECT_EQ(-1, out[1]);
    EXPECT_EQ(0, out[2]);
    EXPECT_EQ(-1, out[3]);
    EXPECT_EQ(out[5], out[4]);
}

} // namespace
