// RINGBUFFER: end bytes, wrap-around, waiting readers and writers, and the refused oversize write.
#include "kestar/devices/ringbuffer.h"

#include "kestar/base/eventsem.h"
#include "kestar/base/osysthread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>

namespace {

std::string ReadSome(RINGBUFFER &ring, int room, int wait, const char *endBytes = nullptr)
{
    std::string out(static_cast<size_t>(room), '\0');
    int n = room;
    int rc = ring.Read(&out[0], &n, wait, endBytes);
    EXPECT_EQ(n > 0 ? 1 : 0, rc);
    out.resize(static_cast<size_t>(n));
    return out;
}

long long NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

TEST(RINGBUFFER, ReadsEndAtTheFirstEndByteOrTheRoom)
{
    struct CASE {
        const char *written;
        int room;
        const char *endBytes;
        const char *first;
        const char *rest;
    } cases[] = {
        {"ab\x03" "cd", 100, "\x03", "ab\x03", "cd"},
        {"ab\x03" "cd", 2, "\x03", "ab", "\x03" "cd"},
        {"abcd", 100, "\x03", "abcd", ""},
        {"a\x02" "b\x03", 100, "\x02\x03", "a\x02", "b\x03"},
        {"\x03" "x", 100, "\x03", "\x03", "x"},
        {"abcdef", 3, nullptr, "abc", "def"},
    };
    for (const CASE &c : cases) {
        RINGBUFFER ring(64);
        std::string data(c.written);
        ASSERT_EQ(1, ring.Write(data.data(), static_cast<int>(data.size())));
        EXPECT_EQ(c.first, ReadSome(ring, c.room, 0, c.endBytes)) << c.written;
        EXPECT_EQ(c.rest, ReadSome(ring, 100, 0)) << c.written;
        EXPECT_EQ(0, ring.Count());
    }
}

TEST(RINGBUFFER, BytesWrapAroundTheEndOfTheBlock)
{
    RINGBUFFER ring(8);
    ASSERT_EQ(1, ring.Write("123456", 6));
    EXPECT_EQ("1234", ReadSome(ring, 4, 0));
    // 2 held; 6 more wrap past the end of the 8-byte block.
    ASSERT_EQ(1, ring.Write("abcdef", 6));
    EXPECT_EQ(8, ring.Count());
    EXPECT_EQ("56abcdef", ReadSome(ring, 100, 0));
    // An emptied buffer starts over at the front.
    ASSERT_EQ(1, ring.Write("xyz", 3));
    EXPECT_EQ("xyz", ReadSome(ring, 100, 0, "\x03"));
}

TEST(RINGBUFFER, AnEmptyBufferWaitsAsLongAsAsked)
{
    RINGBUFFER ring(16);
    long long t0 = NowMs();
    EXPECT_EQ("", ReadSome(ring, 4, 0));
    EXPECT_EQ("", ReadSome(ring, 4, 150));
    EXPECT_GE(NowMs() - t0, 150);

    // -1 waits for the writer, however long it takes.
    struct WRITER {
        RINGBUFFER *ring;
        static unsigned Run(void *p)
        {
            OSYS::InitThreadCrashHandler();
            OSYS::Sleep(300);
            static_cast<WRITER *>(p)->ring->Write("late", 4);
            return 0;
        }
    } writer{&ring};
    void *t = OSYS::CreateThread(WRITER::Run, &writer);
    ASSERT_NE(nullptr, t);
    EXPECT_EQ("late", ReadSome(ring, 16, -1));
    EXPECT_TRUE(OSYS::WaitThread(t, 30000));
}

struct DRAINER {
    RINGBUFFER *ring;
    std::atomic<int> taken{0};
    static unsigned Run(void *p)
    {
        OSYS::InitThreadCrashHandler();
        DRAINER *d = static_cast<DRAINER *>(p);
        OSYS::Sleep(250);
        char buf[6];
        int n = 6;
        d->ring->Read(buf, &n, 0);
        d->taken = n;
        return 0;
    }
};

TEST(RINGBUFFER, AFullBufferMakesTheWriterWaitForRoom)
{
    RINGBUFFER ring(10);
    ASSERT_EQ(1, ring.Write("0123456789", 10));
    DRAINER drainer;
    drainer.ring = &ring;
    void *t = OSYS::CreateThread(DRAINER::Run, &drainer);
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(1, ring.Write("abcde", 5)); // waits until the drainer took 6
    EXPECT_TRUE(OSYS::WaitThread(t, 30000));
    EXPECT_EQ(6, drainer.taken.load());
    EXPECT_EQ("6789abcde", ReadSome(ring, 100, 0));
}

TEST(RINGBUFFER, WritesThatCanNeverFitAreRefusedAndWaitsCanBeAborted)
{
    RINGBUFFER ring(10);
    long long t0 = NowMs();
    char big[11] = "0123456789";
    EXPECT_EQ(0, ring.Write(big, 11)); // refused at once, not waited for
    EXPECT_EQ(0, ring.Count());
    EXPECT_EQ(1, ring.Write(big, 10));
    EXPECT_LT(NowMs() - t0, 10000);

    // A writer waiting for room gives up when its abort event is set.
    EVENTSEM abort(true);
    EXPECT_EQ(0, ring.Write("x", 1, &abort));
    EXPECT_EQ("0123456789", ReadSome(ring, 100, 0));
    EXPECT_EQ(1, ring.Write("", 0));
}

} // namespace
