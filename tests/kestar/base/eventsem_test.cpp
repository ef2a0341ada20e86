// EVENTSEM: a manual-reset event.
#include "kestar/base/eventsem.h"

#include "kestar/base/osysthread.h"

#include <gtest/gtest.h>

namespace {

TEST(EVENTSEM, StaysSetUntilReset)
{
    EVENTSEM ev;
    EXPECT_FALSE(ev.Wait(0));
    EXPECT_FALSE(ev.Wait(20));
    ev.Set();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(ev.Wait(0)) << i;
    EXPECT_TRUE(ev.Wait(-1));
    ev.Reset();
    EXPECT_FALSE(ev.Wait(0));
    EXPECT_FALSE(ev.Wait(20)); // a wait that blocks sees the reset too
    ev.Set();
    EXPECT_TRUE(ev.Wait(20));
    ev.Reset();
    EXPECT_FALSE(ev.Wait(20));

    EVENTSEM initiallySet(true);
    EXPECT_TRUE(initiallySet.Wait(0));
    EXPECT_TRUE(initiallySet.Wait(0));
}

struct PAIR {
    EVENTSEM ping;
    EVENTSEM pong;
};

unsigned Answer(void *p)
{
    OSYS::InitThreadCrashHandler();
    PAIR *pair = static_cast<PAIR *>(p);
    if (!pair->ping.Wait(-1))
        return 1;
    pair->pong.Set();
    return 0;
}

TEST(EVENTSEM, WakesAWaiterOnAnotherThread)
{
    PAIR pair;
    void *t = OSYS::CreateThread(Answer, &pair);
    ASSERT_NE(nullptr, t);
    EXPECT_FALSE(pair.pong.Wait(10));
    pair.ping.Set();
    EXPECT_TRUE(pair.pong.Wait(30000));
    EXPECT_TRUE(OSYS::WaitThread(t, -1));
}

} // namespace
