// MAILIO: messages of at most 400 bytes out, whole messages of up to 1400 bytes in, repeated
// messages dropped, writers that never interleave, reconnection after a failed write, the local
// fallback of domain-wide names, the properties, and a shutdown that never waits for a message.
#include <gtest/gtest.h>

#include "kestar/devices/mailio.h"
#include "tests/support/bytes_support.h"
#include "tests/support/logcapture_support.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// A slot name of its own for every device of every test program running at the same time.
std::string UniqueName(const char *kind)
{
    static int counter = 0;
    char name[96];
    snprintf(name, sizeof(name), "\\\\.\\%s\\plxtest_%lu_%d", kind, GetCurrentProcessId(), ++counter);
    return name;
}

// A reading device with a callback that collects the messages.
class RECEIVER {
public:
    explicit RECEIVER(int readTimeout = 50) : name(UniqueName("mailslot")), device(name.c_str(), "", "")
    {
        device.SetReadTimeout(readTimeout);
        device.SetDataCallback(Received, this);
        accepted = device.AcceptCall() != 0;
    }

    // Waits until count messages arrived (at most 20 s, so that a fault fails instead of hanging).
    std::vector<std::string> WaitFor(size_t count)
    {
        std::unique_lock<std::mutex> hold(lock);
        arrived.wait_for(hold, std::chrono::seconds(20), [&] { return messages.size() >= count; });
        return messages;
    }

    std::string name;
    MAILIO device;
    bool accepted = false;

private:
    static void Received(void *self, const void *data, int length)
    {
        RECEIVER *r = static_cast<RECEIVER *>(self);
        std::lock_guard<std::mutex> hold(r->lock);
        r->messages.emplace_back(static_cast<const char *>(data), static_cast<size_t>(length));
        r->arrived.notify_all();
    }

    std::mutex lock;
    std::condition_variable arrived;
    std::vector<std::string> messages;
};

// length bytes whose 400-byte chunks all differ (no chunk is a repeat of the one before).
std::string Data(size_t length, int seed)
{
    std::string s(length, ' ');
    for (size_t i = 0; i < length; ++i)
        s[i] = static_cast<char>(33 + (i + 13 * static_cast<size_t>(seed)) % 93);
    return s;
}

// A message-mode pipe that stands in for a peer slot that can go away.
HANDLE NewPipe(const std::string &name)
{
    return CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                            4, 0, 4096, 0, nullptr);
}

std::string ReadPipeMessage(HANDLE pipe)
{
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(pipe, buffer, sizeof(buffer), &got, nullptr))
        return "<read failed>";
    return std::string(buffer, got);
}

// length bytes that end right before a page that may not be read.
class GUARDEDBYTES {
public:
    GUARDEDBYTES(const std::string &content)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page = info.dwPageSize;
        base = static_cast<char *>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base + page, page, PAGE_NOACCESS, &old);
        data = base + page - content.size();
        memcpy(data, content.data(), content.size());
    }
    ~GUARDEDBYTES() { VirtualFree(base, 0, MEM_RELEASE); }
    char *data;

private:
    DWORD page;
    char *base;
};

} // namespace

TEST(MAILIO, WritesInMessagesOf400Bytes)
{
    RECEIVER reader;
    ASSERT_TRUE(reader.accepted);
    MAILIO writer("\\\\.\\mailslot\\plxtest_unused", "", "");
    ASSERT_TRUE(writer.MakeCall(reader.name.c_str()));
    const struct {
        size_t length;
        std::vector<size_t> messages;
    } cases[] = {
        {1, {1}},
        {399, {399}},
        {400, {400}},
        {401, {400, 1}},
        {1000, {400, 400, 200}},
        {1400, {400, 400, 400, 200}},
        {2000, {400, 400, 400, 400, 400}},
    };
    size_t expected = 0;
    int seed = 0;
    for (const auto &c : cases) {
        std::string data = Data(c.length, ++seed);
        EXPECT_EQ(writer.Write(data.data(), static_cast<int>(data.size())), 1);
        size_t first = expected;
        expected += c.messages.size();
        std::vector<std::string> got = reader.WaitFor(expected);
        ASSERT_EQ(got.size(), expected) << c.length;
        std::string joined;
        for (size_t i = 0; i < c.messages.size(); ++i) {
            EXPECT_EQ(got[first + i].size(), c.messages[i]) << c.length;
            joined += got[first + i];
        }
        EXPECT_EQ(joined, data);
    }
}

TEST(MAILIO, RepeatedMessageReachesTheCallbackOnce)
{
    RECEIVER reader;
    ASSERT_TRUE(reader.accepted);
    MAILIO writer("\\\\.\\mailslot\\plxtest_unused", "", "");
    ASSERT_TRUE(writer.MakeCall(reader.name.c_str()));
    const std::vector<std::string> sent = {
        "[0001.a.b]HELLO\n", "[0001.a.b]HELLO\n", "[0002.a.b]HELLO\n", "[0001.a.b]HELLO\n",
        "[0001.a.b]HELLO\n", std::string("A\0x", 3), std::string("A\0y", 3), "end"};
    const std::vector<std::string> delivered = {"[0001.a.b]HELLO\n", "[0002.a.b]HELLO\n", "[0001.a.b]HELLO\n",
                                                std::string("A\0x", 3), std::string("A\0y", 3), "end"};
    for (const std::string &m : sent)
        EXPECT_EQ(writer.Write(m.data(), static_cast<int>(m.size())), 1);
    EXPECT_EQ(reader.WaitFor(delivered.size()), delivered);
}

TEST(MAILIO, ReadsWholeMessagesOfUpTo1400Bytes)
{
    RECEIVER reader;
    ASSERT_TRUE(reader.accepted);
    HANDLE peer = CreateFileA(reader.name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(peer, INVALID_HANDLE_VALUE);
    const std::vector<std::string> sent = {Data(1400, 1), "x", Data(1399, 2), Data(1400, 3)};
    for (const std::string &m : sent) {
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(peer, m.data(), static_cast<DWORD>(m.size()), &written, nullptr));
    }
    CloseHandle(peer);
    EXPECT_EQ(reader.WaitFor(sent.size()), sent);
}

TEST(MAILIO, ConcurrentWritersKeepTheirChunksTogether)
{
    RECEIVER reader;
    ASSERT_TRUE(reader.accepted);
    MAILIO writer("\\\\.\\mailslot\\plxtest_unused", "", "");
    ASSERT_TRUE(writer.MakeCall(reader.name.c_str()));
    const int threads = 4;
    const int records = 100;
    // 1000 bytes: three messages, each different from the one before.
    auto record = [](int thread, int n) {
        char head[32];
        snprintf(head, sizeof(head), "T%d R%03d ", thread, n);
        return std::string(head) + Data(1000 - strlen(head), thread * 1000 + n);
    };
    auto write = [&](int thread) {
        for (int n = 0; n < records; ++n) {
            std::string r = record(thread, n);
            writer.Write(r.data(), static_cast<int>(r.size()));
        }
    };
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back(write, t);
    for (std::thread &t : writers)
        t.join();
    const size_t total = static_cast<size_t>(threads * records * 3);
    std::vector<std::string> got = reader.WaitFor(total);
    ASSERT_EQ(got.size(), total);
    std::vector<int> next(threads, 0);
    for (size_t i = 0; i + 2 < got.size(); i += 3) {
        std::string whole = got[i] + got[i + 1] + got[i + 2];
        int thread = whole[1] - '0';
        ASSERT_TRUE(thread >= 0 && thread < threads) << "message " << i;
        ASSERT_EQ(whole, record(thread, next[thread]++)) << "message " << i;
    }
    for (int t = 0; t < threads; ++t)
        EXPECT_EQ(next[t], records);
}

TEST(MAILIO, FailedWriteReopensThePeerAndWritesAgain)
{
    std::string name = UniqueName("pipe");
    HANDLE first = NewPipe(name);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    LOGCAPTURE log;
    MAILIO writer("\\\\.\\mailslot\\plxtest_unused", "", "");
    ASSERT_TRUE(writer.MakeCall(name.c_str()));
    ConnectNamedPipe(first, nullptr);
    EXPECT_EQ(writer.Write("first", -1), 1);
    EXPECT_EQ(ReadPipeMessage(first), "first");

    // The peer goes away and comes back; the data ends where readable memory ends.
    HANDLE second = NewPipe(name);
    ASSERT_NE(second, INVALID_HANDLE_VALUE);
    DisconnectNamedPipe(first);
    CloseHandle(first);
    std::string record = Data(1000, 7);
    GUARDEDBYTES guarded(record);
    EXPECT_EQ(writer.Write(guarded.data, static_cast<int>(record.size())), 1);
    ConnectNamedPipe(second, nullptr);
    EXPECT_EQ(ReadPipeMessage(second), record.substr(0, 400));
    EXPECT_EQ(ReadPipeMessage(second), record.substr(400, 400));
    EXPECT_EQ(ReadPipeMessage(second), record.substr(800));

    // Gone for good: every message is tried three times, and the write reports the loss.
    DisconnectNamedPipe(second);
    CloseHandle(second);
    std::string lost = Data(500, 8);
    GUARDEDBYTES guardedLost(lost);
    EXPECT_EQ(writer.Write(guardedLost.data, static_cast<int>(lost.size())), 0);
    EXPECT_EQ(writer.Write("after", -1), 0); // no peer left

    // One failure and reconnection for the first record, three for each message of the second.
    EXPECT_EQ(log.CountLines("MAILIO::DevWrite connection will be reestablished!!"), 1 + 2 * 3);
    EXPECT_EQ(log.CountLines("MAILIO::DevWrite s= " + record + ", len= 1000 returned: len 0, ok= 0"), 1);
    EXPECT_EQ(log.CountLines("MAILIO::DevWrite s= " + lost + ", len= 500 returned: len 0, ok= 0"), 6);
    EXPECT_EQ(log.CountLines("MAILIO::DevWrite done ok= 1"), 2);
    EXPECT_EQ(log.CountLines("MAILIO::DevWrite done ok= 0"), 1);
    EXPECT_TRUE(log.Conditions().empty());
}

TEST(MAILIO, DomainWideNameReachesTheSlotOfThisComputer)
{
    RECEIVER reader;
    ASSERT_TRUE(reader.accepted);
    std::string everywhere = "\\\\*\\" + reader.name.substr(4);
    MAILIO writer("\\\\.\\mailslot\\plxtest_unused", "", "");
    ASSERT_TRUE(writer.MakeCall(everywhere.c_str()));
    EXPECT_EQ(writer.Write("[0001.client.*]NEEDSERVER\n", -1), 1);
    EXPECT_EQ(reader.WaitFor(1), std::vector<std::string>{"[0001.client.*]NEEDSERVER\n"});
}

TEST(MAILIO, AnswersItsProperties)
{
    LOGCAPTURE log;
    std::string own = UniqueName("mailslot");
    MAILIO device(own.c_str(), "", "");
    STRING value;
    EXPECT_EQ(TextOf(device.GetProperty(value, "online")), "0");
    EXPECT_FALSE(device.MakeCall(UniqueName("mailslot").c_str())); // nobody reads there
    EXPECT_EQ(TextOf(device.GetProperty(value, "ONLINE")), "0");
    const struct {
        const char *name;
        std::string value;
    } cases[] = {
        {"DEVICENAME", "MAIL"}, {"BandWidth", "10000000"}, {"LASTERROR", "0"},
        {"LASTERRORSTRING", "<unknown>"}, {"OWNID", own}, {"CALLERID", "<unknown>"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TextOf(device.GetProperty(value, c.name)), c.value) << c.name;
    EXPECT_EQ(TextOf(device.GetProperty(value, "SPEED")), "");
    EXPECT_EQ(log.Conditions(), std::vector<std::string>{"FALSE"}); // the unknown name alone

    RECEIVER reader;
    ASSERT_TRUE(reader.accepted);
    EXPECT_EQ(TextOf(reader.device.GetProperty(value, "ONLINE")), "1");
}

TEST(MAILIO, AcceptCallNeedsTheCallbackFirst)
{
    LOGCAPTURE log;
    std::string own = UniqueName("mailslot");
    MAILIO device(own.c_str(), "", "");
    EXPECT_EQ(device.AcceptCall(), 0);
    EXPECT_EQ(log.Conditions(), std::vector<std::string>{"this->pfnDataCallback"});
    STRING value;
    EXPECT_EQ(TextOf(device.GetProperty(value, "ONLINE")), "0");
}

TEST(MAILIO, StopsWithoutWaitingForAMessage)
{
    // With the product's read time-out, idle, reading and without a slot: each destructor ends
    // (a blocked read would hang it, and with it this test).
    for (int round = 0; round < 3; ++round) {
        RECEIVER idle(MAILIO_DEFAULT_READ_TIMEOUT);
        ASSERT_TRUE(idle.accepted);
        MAILIO noSlot(UniqueName("mailslot").c_str(), "", "");
        noSlot.SetDataCallback([](void *, const void *, int) {}, nullptr);
        RECEIVER busy(MAILIO_DEFAULT_READ_TIMEOUT);
        ASSERT_TRUE(busy.accepted);
        MAILIO writer("\\\\.\\mailslot\\plxtest_unused", "", "");
        ASSERT_TRUE(writer.MakeCall(busy.name.c_str()));
        writer.Write("ping", -1);
        EXPECT_EQ(busy.WaitFor(1).size(), 1u);
    }
}
