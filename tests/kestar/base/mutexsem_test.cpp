// MUTEXSEM: re-entrance, polling a lock that another thread holds, waiting without limit, and an
// abandoned lock.
#include "kestar/base/mutexsem.h"

#include "kestar/base/critsect.h"
#include "kestar/base/eventsem.h"
#include "kestar/base/osysthread.h"
#include "kestar/base/raisethreadpriority.h"
#include "tests/support/logcapture_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

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

struct POLL {
    MUTEXSEM *lock;
    std::atomic<int> got{-1};
};

// Whether another thread gets the lock at once (and gives it back).
bool OtherThreadGetsIt(MUTEXSEM &lock)
{
    POLL poll;
    poll.lock = &lock;
    void *t = OSYS::CreateThread(
        [](void *p) -> unsigned {
            OSYS::InitThreadCrashHandler();
            POLL *poll = static_cast<POLL *>(p);
            bool got = poll->lock->Obtain(0);
            if (got)
                poll->lock->Release();
            poll->got = got ? 1 : 0;
            return 0;
        },
        &poll);
    EXPECT_NE(nullptr, t);
    EXPECT_TRUE(t && OSYS::WaitThread(t, -1));
    return poll.got == 1;
}

struct CONTENDED {
    MUTEXSEM lock;
    long value = 0;
    std::atomic<int> timeouts{0};
};

unsigned AddUnderLock(void *p)
{
    OSYS::InitThreadCrashHandler();
    CONTENDED *c = static_cast<CONTENDED *>(p);
    for (int i = 0; i < 20000; ++i) {
        // Now and then a bounded wait, which may give up while another thread holds the lock.
        if (i % 100 == 0 && !c->lock.Obtain(0)) {
            ++c->timeouts;
            continue;
        }
        if (i % 100 != 0)
            c->lock.Obtain(-1);
        c->lock.Obtain(-1); // re-entrant for its owner
        long v = c->value;
        c->value = v + 1;
        c->lock.Release();
        c->lock.Release();
    }
    return 0;
}

TEST(MUTEXSEM, SerialisesThreadsThatContend)
{
    CONTENDED c;
    void *threads[4];
    for (void *&t : threads) {
        t = OSYS::CreateThread(AddUnderLock, &c);
        ASSERT_NE(nullptr, t);
    }
    for (void *t : threads)
        EXPECT_TRUE(OSYS::WaitThread(t, -1));
    EXPECT_EQ(80000 - c.timeouts.load(), c.value);
    EXPECT_TRUE(OtherThreadGetsIt(c.lock)); // free again for anyone
}

unsigned ReleaseForeign(void *p)
{
    OSYS::InitThreadCrashHandler();
    static_cast<MUTEXSEM *>(p)->Release();
    return 0;
}

TEST(MUTEXSEM, ReleaseByAThreadThatDoesNotOwnItAssertsAndKeepsTheLock)
{
    MUTEXSEM lock;
    ASSERT_TRUE(lock.Obtain(0));
    {
        LOGCAPTURE log;
        void *t = OSYS::CreateThread(ReleaseForeign, &lock);
        ASSERT_NE(nullptr, t);
        ASSERT_TRUE(OSYS::WaitThread(t, -1));
        std::vector<std::string> conditions = log.Conditions();
        ASSERT_EQ(1u, conditions.size());
        EXPECT_EQ("ok", conditions[0]);
        EXPECT_EQ(0u, log.InfoOf("ok").find("handle= "));
    }
    // Still ours: another thread cannot have it, and our release frees it.
    EXPECT_FALSE(OtherThreadGetsIt(lock));
    lock.Release();
    EXPECT_TRUE(OtherThreadGetsIt(lock));
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
