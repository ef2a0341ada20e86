// BASEIO over a scripted device: reads with end bytes and time-outs (-1 without limit), the
// synchronous fill, the daemon with ring buffer or data callback, pushback and the properties.
#include "kestar/devices/baseio.h"

#include "kestar/base/eventsem.h"
#include "kestar/base/mutexsem.h"
#include "kestar/base/osysthread.h"
#include "tests/support/logcapture_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace {

long long NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A device whose received bytes are queued by the test; DevRead hands out at most what is asked
// and waits (in short slices when called without limit) for bytes to arrive.
class FAKEIO : public BASEIO {
public:
    // start false holds a daemon back until Go.
    explicit FAKEIO(int flags, bool connected = true, bool start = true)
        : BASEIO("own", "type", "0", flags), connected(connected)
    {
        if ((flags & BASEIO_DEVICE_SIGNALS_DONE) && start)
            ConstructorDone.Set();
    }
    void Go() { ConstructorDone.Set(); }
    ~FAKEIO() override { KillDaemon(1); }

    void Arrive(const std::string &bytes)
    {
        lock.Obtain();
        pending += bytes;
        lock.Release();
        arrived.Set();
    }
    void Disconnect() { connected = false; arrived.Set(); }

    int DevRead(void *buffer, int *count, int timeout) override
    {
        asked.push_back(*count);
        int room = *count;
        *count = 0;
        long long until = timeout < 0 ? -1 : NowMs() + timeout;
        for (;;) {
            lock.Obtain();
            if (!pending.empty()) {
                int n = room < static_cast<int>(pending.size()) ? room : static_cast<int>(pending.size());
                memcpy(buffer, pending.data(), static_cast<size_t>(n));
                pending.erase(0, static_cast<size_t>(n));
                if (pending.empty())
                    arrived.Reset();
                lock.Release();
                *count = n;
                return 1;
            }
            lock.Release();
            if (!connected)
                return 0;
            long long left = until < 0 ? 20 : until - NowMs();
            if (left <= 0)
                return 0;
            arrived.Wait(static_cast<int>(left < 20 ? left : 20));
            if (timeout < 0 && pending.empty())
                return 0; // the daemon comes back after its pause
        }
    }
    int DevWrite(const void *data, int count) override
    {
        written.append(static_cast<const char *>(data), static_cast<size_t>(count));
        return 1;
    }
    int DevGetNumAvail() override
    {
        lock.Obtain();
        int n = static_cast<int>(pending.size());
        lock.Release();
        return n;
    }
    int DevIsConnected() override { return connected ? 1 : 0; }
    int IsReady() override { return 1; }
    int MakeCall(const char *) override { return 1; }
    int AcceptCall() override { return 1; }
    int DropCall() override { return 1; }

    std::atomic<bool> connected;
    std::vector<int> asked; // the counts DevRead was asked for
    std::string written;

private:
    MUTEXSEM lock;
    EVENTSEM arrived;
    std::string pending;
};

std::string ReadFrom(BASEIO &io, int room, int timeout, const char *endBytes = nullptr)
{
    std::string out(static_cast<size_t>(room), '\0');
    int n = room;
    int rc = io.Read(&out[0], &n, timeout, endBytes);
    EXPECT_EQ(n > 0 ? 1 : 0, rc);
    out.resize(static_cast<size_t>(n));
    return out;
}

const int kSyncFill = BASEIO_DEVICE_SIGNALS_DONE | BASEIO_DEVICE_SUPPORTS_READTIMEOUT;

TEST(BASEIO, ReadStopsAtAnEndByteAndKeepsTheRest)
{
    struct CASE {
        int flags;
        const char *name;
    } cases[] = {
        {kSyncFill, "synchronous fill"},
        {BASEIO_DEVICE_SIGNALS_DONE, "daemon"},
    };
    for (const CASE &c : cases) {
        FAKEIO io(c.flags);
        io.Arrive(std::string("ab\x03" "cd", 5));
        EXPECT_EQ(std::string("ab\x03", 3), ReadFrom(io, 100, 5000, "\x03")) << c.name;
        EXPECT_EQ("cd", ReadFrom(io, 2, 5000, "\x03")) << c.name;
        // Several end bytes: the first one found ends the read.
        io.Arrive(std::string("xy\x02z\x03", 5));
        EXPECT_EQ(std::string("xy\x02", 3), ReadFrom(io, 100, 5000, "\x02\x03")) << c.name;
        EXPECT_EQ(std::string("z\x03", 2), ReadFrom(io, 100, 5000, "\x02\x03")) << c.name;
    }
}

TEST(BASEIO, ReadTimeOuts)
{
    // A connected device that sends nothing: nothing after the whole time-out.
    FAKEIO quiet(kSyncFill);
    long long t0 = NowMs();
    EXPECT_EQ("", ReadFrom(quiet, 10, 300));
    EXPECT_GE(NowMs() - t0, 300);

    // A disconnected device that holds nothing: after the first pass, not after 30 s.
    FAKEIO gone(kSyncFill, false);
    t0 = NowMs();
    EXPECT_EQ("", ReadFrom(gone, 10, 30000));
    EXPECT_LT(NowMs() - t0, 10000);

    // ... but what it still holds is delivered.
    FAKEIO closing(kSyncFill, false);
    closing.Arrive("last");
    EXPECT_EQ("last", ReadFrom(closing, 10, 30000));

    // 0 polls.
    FAKEIO poll(kSyncFill);
    poll.Arrive("p");
    EXPECT_EQ("p", ReadFrom(poll, 10, 0));
    EXPECT_EQ("", ReadFrom(poll, 10, 0));
}

struct LATER {
    FAKEIO *io;
    int delayMs;
    std::string bytes; // empty: disconnect instead
    static unsigned Run(void *p)
    {
        OSYS::InitThreadCrashHandler();
        LATER *l = static_cast<LATER *>(p);
        OSYS::Sleep(l->delayMs);
        if (l->bytes.empty())
            l->io->Disconnect();
        else
            l->io->Arrive(l->bytes);
        return 0;
    }
};

TEST(BASEIO, ReadWithoutLimitWaitsForDataOrTheEndOfTheConnection)
{
    for (int flags : {kSyncFill, static_cast<int>(BASEIO_DEVICE_SIGNALS_DONE)}) {
        FAKEIO io(flags);
        LATER later{&io, 700, std::string("late\x03", 5)};
        void *t = OSYS::CreateThread(LATER::Run, &later);
        ASSERT_NE(nullptr, t);
        EXPECT_EQ(std::string("late\x03", 5), ReadFrom(io, 100, -1, "\x03")) << flags;
        EXPECT_TRUE(OSYS::WaitThread(t, 30000));

        LATER hangup{&io, 500, ""};
        t = OSYS::CreateThread(LATER::Run, &hangup);
        ASSERT_NE(nullptr, t);
        EXPECT_EQ("", ReadFrom(io, 100, -1, "\x03")) << flags;
        EXPECT_TRUE(OSYS::WaitThread(t, 30000));
    }
}

TEST(BASEIO, DeviceReadsAskForWhatIsPendingOrAByteOr128)
{
    struct CASE {
        int pending;
        int timeout;
        int asked;
    } cases[] = {
        {0, -1, 1},
        {0, 0, 128},
        {0, 50, 128},
        {5, -1, 5},
        {0x9000, 100, 0x8000},
    };
    for (const CASE &c : cases) {
        FAKEIO io(kSyncFill);
        io.Arrive(std::string(static_cast<size_t>(c.pending), 'x'));
        if (c.pending == 0 && c.timeout == -1)
            io.connected = false; // the read returns at once instead of waiting
        io.ReadDeviceToRingbuffer(c.timeout);
        ASSERT_EQ(1u, io.asked.size());
        EXPECT_EQ(c.asked, io.asked[0]) << c.pending << " " << c.timeout;
        EXPECT_EQ(c.pending, io.NumAvail()); // moved to the ring buffer or still in the device
    }
}

TEST(BASEIO, PushedBackBytesComeFirst)
{
    FAKEIO io(kSyncFill);
    io.Arrive("world");
    io.PushBack("hel", 3);
    io.PushBack("lo ", 3);
    EXPECT_EQ("hello world", ReadFrom(io, 11, 5000));
    io.PushBack("a\x03" "b", 3);
    EXPECT_EQ(std::string("a\x03", 2), ReadFrom(io, 10, 5000, "\x03"));
    EXPECT_EQ("b", ReadFrom(io, 10, 0));
}

struct COLLECT {
    MUTEXSEM lock;
    std::string bytes;
    static void Callback(void *user, const void *data, int length)
    {
        COLLECT *c = static_cast<COLLECT *>(user);
        c->lock.Obtain();
        c->bytes.append(static_cast<const char *>(data), static_cast<size_t>(length));
        c->lock.Release();
    }
    std::string Get()
    {
        lock.Obtain();
        std::string copy = bytes;
        lock.Release();
        return copy;
    }
};

TEST(BASEIO, APacketDeviceDeliversToItsCallbackOnTheDaemon)
{
    LOGCAPTURE capture;
    FAKEIO io(BASEIO_DEVICE_IS_PACKETBASED);
    EXPECT_EQ(nullptr, io.GetThreadHandle()); // no daemon until a callback is set
    COLLECT got;
    io.SetDataCallback(COLLECT::Callback, &got);
    EXPECT_NE(nullptr, io.GetThreadHandle());
    io.Arrive("one");
    io.Arrive("two");
    for (int i = 0; i < 500 && got.Get() != "onetwo"; ++i)
        OSYS::Sleep(10);
    EXPECT_EQ("onetwo", got.Get());
    // Read is not for packet devices.
    EXPECT_EQ("", ReadFrom(io, 10, 0));
    io.KillDaemon(0);
    EXPECT_EQ(nullptr, io.GetThreadHandle());
    io.KillDaemon(0);
    std::vector<std::string> conditions = capture.Conditions();
    ASSERT_EQ(1u, conditions.size());
    EXPECT_EQ("(this->DeviceFlags & BASEIO_DEVICE_IS_PACKETBASED)==0", conditions[0]);
    EXPECT_EQ(1, capture.CountLines("BASEIO::KillDaemon nothing to do (deamonless device or already killed)"));
    EXPECT_EQ(1, capture.CountLines("BASEIO::~Daemon"));
}

TEST(BASEIO, AFullRingBufferHoldsTheDaemonUntilReadOrKilled)
{
    // Everything is there before the daemon's first read, so that it reads whole blocks.
    FAKEIO io(BASEIO_DEVICE_SIGNALS_DONE, true, false);
    std::string block(BASEIO_MAX_DEVREAD, 'r');
    int blocks = BASEIO_RINGBUFFER_SIZE / BASEIO_MAX_DEVREAD + 2;
    for (int i = 0; i < blocks; ++i)
        io.Arrive(block);
    io.Go();
    // The daemon fills the buffer, holds one more block waiting for room, and the device keeps
    // the last one.
    auto settled = [&] {
        return io.DevGetNumAvail() == BASEIO_MAX_DEVREAD && io.NumAvail() == BASEIO_RINGBUFFER_SIZE + BASEIO_MAX_DEVREAD;
    };
    for (int i = 0; i < 1000 && !settled(); ++i)
        OSYS::Sleep(10);
    OSYS::Sleep(200);
    EXPECT_TRUE(settled()) << io.NumAvail();
    EXPECT_EQ(block, ReadFrom(io, BASEIO_MAX_DEVREAD, 1000));
    // Room for the held block: the daemon stores it, takes the last one and waits again.
    for (int i = 0; i < 1000 && io.DevGetNumAvail() != 0; ++i)
        OSYS::Sleep(10);
    EXPECT_EQ(0, io.DevGetNumAvail());
    // Killing the daemon while it waits for room does not hang.
    io.KillDaemon(0);
    EXPECT_EQ(nullptr, io.GetThreadHandle());
}

TEST(BASEIO, DirectReadGoesStraightToTheDevice)
{
    LOGCAPTURE capture;
    FAKEIO io(kSyncFill | BASEIO_DEVICE_DIRECTREAD);
    io.Arrive("abc\x03" "def");
    EXPECT_EQ("abc\x03" "d", ReadFrom(io, 5, 1000));
    EXPECT_EQ("", ReadFrom(io, 5, 1000, "\x03")); // end bytes are not allowed here
    EXPECT_EQ("ef", ReadFrom(io, 5, 1000));
    std::vector<std::string> conditions = capture.Conditions();
    ASSERT_EQ(1u, conditions.size());
    EXPECT_EQ("readuntil==NULL", conditions[0]);
}

TEST(BASEIO, WritesAndProperties)
{
    FAKEIO io(kSyncFill);
    EXPECT_EQ(1, io.Write("text", -1));
    EXPECT_EQ(1, io.Write("\x00\x01", 2));
    EXPECT_EQ(1, io.WriteByte(0x04));
    EXPECT_EQ(std::string("text\x00\x01\x04", 7), io.written);

    struct CASE {
        const char *name;
        const char *value;
    } cases[] = {
        {"ONLINE", "0"},         {"lasterror", "0"},   {"LastErrorString", "<unknown>"},
        {"OWNID", "own"},        {"CALLERID", "<unknown>"}, {"DEVICENAME", "BASEIO"},
        {"BANDWIDTH", "BASEIO::BAD-REQUEST"},
    };
    io.SetProperty("DEVICENAME", "changed"); // stored, but not what GetProperty answers
    for (const CASE &c : cases) {
        STRING result;
        EXPECT_STREQ(c.value, static_cast<const char *>(io.GetProperty(result, c.name))) << c.name;
    }
    io.SetOurId("6667");
    STRING result;
    EXPECT_STREQ("6667", static_cast<const char *>(io.GetProperty(result, "OwnId")));
    EXPECT_STREQ("6667", static_cast<const char *>(io.GetOurId()));
}

TEST(BASEIO, TheMillisecondClockStartsAtItsBase)
{
    BASEIO::GetTimeMs(1);
    OSYS::Sleep(30);
    int64_t t = BASEIO::GetTimeMs();
    EXPECT_GE(t, 30);
    EXPECT_LT(t, 60000);
    EXPECT_LE(BASEIO::GetTimeMs(1), 1);
}

} // namespace
