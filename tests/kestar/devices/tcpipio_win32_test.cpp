// TCPIPIO over 127.0.0.1: connect and accept, reads and writes, the shared listening sockets and
// their use count, the errors of MakeCall, the connect time-out and the properties.  Every test
// listens on a port the system picks: other test programs run at the same time.
#include "kestar/devices/tcpipio.h"

#include "kestar/base/logit.h"
#include "kestar/base/osysthread.h"
#include "tests/support/foreignlistener_support.h"
#include "tests/support/logcapture_support.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

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

std::string Prop(BASEIO &io, const char *name)
{
    STRING result;
    io.GetProperty(result, name);
    return result.IsNull() ? "<NULL>" : static_cast<const char *>(result);
}

std::string ReadFrom(BASEIO &io, int room, int timeout, const char *endBytes = nullptr)
{
    std::string out(static_cast<size_t>(room), '\0');
    int n = room;
    io.Read(&out[0], &n, timeout, endBytes);
    out.resize(static_cast<size_t>(n));
    return out;
}

// A listening socket held for the whole test (as NETPROC holds one), so that devices with the
// port as own id share it.
class LISTENER {
public:
    LISTENER() : holder("0")
    {
        socket = holder.MakeAcceptSocket(&port, &serial);
    }
    ~LISTENER()
    {
        if (socket != TCPSOCKET_NONE)
            TCPIPIO::FreeAcceptSocket(socket, serial, 0);
    }
    std::string PortText() const { return std::to_string(port); }
    std::string Peer() const { return "127.0.0.1:" + PortText(); }

    TCPIPIO holder;
    TCPSOCKET socket = TCPSOCKET_NONE;
    int port = 0;
    unsigned serial = 0;
};

// Runs AcceptCall of a device on a thread of its own.
class ACCEPTOR {
public:
    explicit ACCEPTOR(TCPIPIO &device) : device(device)
    {
        thread = OSYS::CreateThread(Run, this);
    }
    // The result of AcceptCall (waits for it).
    int Result()
    {
        if (thread) {
            EXPECT_TRUE(OSYS::WaitThread(thread, 60000));
            thread = nullptr;
        }
        return result;
    }
    ~ACCEPTOR() { Result(); }

private:
    static unsigned Run(void *p)
    {
        OSYS::InitThreadCrashHandler();
        ACCEPTOR *a = static_cast<ACCEPTOR *>(p);
        a->result = a->device.AcceptCall();
        return 0;
    }
    TCPIPIO &device;
    void *thread = nullptr;
    std::atomic<int> result{-1};
};

TEST(TCPIPIO, CallAcceptAndExchangeBytes)
{
    LISTENER listener;
    ASSERT_NE(TCPSOCKET_NONE, listener.socket);
    TCPIPIO server(listener.PortText().c_str());
    TCPIPIO client("0");
    EXPECT_EQ("0", Prop(client, "ONLINE"));
    EXPECT_EQ("<unknown>", Prop(client, "CALLERID"));

    ACCEPTOR acceptor(server);
    ASSERT_EQ(1, client.MakeCall(listener.Peer().c_str())) << Prop(client, "LASTERRORSTRING");
    ASSERT_EQ(1, acceptor.Result()) << Prop(server, "LASTERRORSTRING");

    EXPECT_EQ("1", Prop(client, "ONLINE"));
    EXPECT_EQ("1", Prop(server, "ONLINE"));
    EXPECT_NE(std::string::npos, Prop(client, "CALLERID").find(" (127.0.0.1)")) << Prop(client, "CALLERID");
    EXPECT_EQ("127.0.0.1", Prop(server, "CALLERID"));
    EXPECT_EQ("127.0.0.1", Prop(server, "PEERIP"));
    EXPECT_EQ("0", Prop(server, "LASTERROR"));
    EXPECT_EQ("No Error", Prop(server, "LASTERRORSTRING"));
    EXPECT_EQ("200", Prop(server, "LASTERRORCLASS"));
    long idle = std::stol(Prop(server, "IDLE_TIME"));
    EXPECT_GE(idle, 0);
    EXPECT_LT(idle, 60);

    ASSERT_EQ(1, client.Write("\x01NETPROC\x0a\x02" "tail", -1));
    EXPECT_EQ("\x01NETPROC\x0a\x02", ReadFrom(server, 4096, 5000, "\x02"));
    EXPECT_EQ("tail", ReadFrom(server, 4, 5000));
    ASSERT_EQ(1, server.WriteByte(0x06));
    unsigned char byte = 0;
    EXPECT_EQ(1, client.ReadByte(&byte, 5000));
    EXPECT_EQ(0x06, byte);

    // A read without limit waits for late bytes, and ends when the peer hangs up.
    struct LATE {
        TCPIPIO *device;
        static unsigned Run(void *p)
        {
            OSYS::InitThreadCrashHandler();
            OSYS::Sleep(600);
            static_cast<LATE *>(p)->device->Write("late\x03", -1);
            OSYS::Sleep(400);
            static_cast<LATE *>(p)->device->DropCall();
            return 0;
        }
    } late{&client};
    void *t = OSYS::CreateThread(LATE::Run, &late);
    ASSERT_NE(nullptr, t);
    EXPECT_EQ("late\x03", ReadFrom(server, 100, -1, "\x03"));
    EXPECT_EQ("", ReadFrom(server, 100, -1, "\x03"));
    EXPECT_TRUE(OSYS::WaitThread(t, 30000));
    EXPECT_EQ("0", Prop(server, "ONLINE"));
    EXPECT_EQ("4099", Prop(server, "LASTERROR"));
    EXPECT_EQ("Remote disconnected", Prop(server, "LASTERRORSTRING"));
    EXPECT_EQ(0, server.Write("x", 1));
}

struct BULKWRITER {
    TCPIPIO *device;
    std::string data;
    std::atomic<int> ok{0};
    static unsigned Run(void *p)
    {
        OSYS::InitThreadCrashHandler();
        BULKWRITER *w = static_cast<BULKWRITER *>(p);
        w->ok = w->device->Write(w->data.data(), static_cast<int>(w->data.size()));
        return 0;
    }
};

TEST(TCPIPIO, MoreThanTheRingBufferArrivesWholeAndInOrder)
{
    LISTENER listener;
    TCPIPIO server(listener.PortText().c_str());
    TCPIPIO client("0");
    ACCEPTOR acceptor(server);
    ASSERT_EQ(1, client.MakeCall(listener.Peer().c_str()));
    ASSERT_EQ(1, acceptor.Result());

    BULKWRITER writer;
    writer.device = &client;
    for (int i = 0; i < 3 * 1024 * 1024 + 17; ++i)
        writer.data.push_back(static_cast<char>((i * 7 + i / 251) & 0xff));
    void *t = OSYS::CreateThread(BULKWRITER::Run, &writer);
    ASSERT_NE(nullptr, t);
    std::string got;
    while (got.size() < writer.data.size()) {
        size_t left = writer.data.size() - got.size();
        std::string part = ReadFrom(server, left < 4096 ? static_cast<int>(left) : 4096, 10000);
        if (part.empty())
            break;
        got += part;
    }
    EXPECT_TRUE(OSYS::WaitThread(t, 60000));
    EXPECT_EQ(1, writer.ok.load());
    EXPECT_TRUE(got == writer.data) << got.size();
}

TEST(TCPIPIO, AcceptingDevicesShareOneListeningSocket)
{
    TCPIPIO first("0");
    int port = 0;
    unsigned serial1 = 0;
    TCPSOCKET s1 = first.MakeAcceptSocket(&port, &serial1);
    ASSERT_NE(TCPSOCKET_NONE, s1);
    ASSERT_GT(port, 0);
    EXPECT_EQ(1, TCPIPIO::AcceptSocketUseCount(port));

    TCPIPIO second(std::to_string(port).c_str());
    unsigned serial2 = 0;
    int port2 = 0;
    EXPECT_EQ(s1, second.MakeAcceptSocket(&port2, &serial2));
    EXPECT_EQ(port, port2);
    EXPECT_EQ(serial1, serial2);
    EXPECT_EQ(2, TCPIPIO::AcceptSocketUseCount(port));

    // Freeing one holder leaves the socket open: a call still gets through.
    TCPIPIO::FreeAcceptSocket(s1, serial1, 0);
    EXPECT_EQ(1, TCPIPIO::AcceptSocketUseCount(port));
    {
        TCPIPIO server(std::to_string(port).c_str());
        TCPIPIO client("0");
        ACCEPTOR acceptor(server);
        EXPECT_EQ(1, client.MakeCall(("127.0.0.1:" + std::to_string(port)).c_str()));
        EXPECT_EQ(1, acceptor.Result());
        // The accepting device keeps its reference (parked) for the next accept.
        EXPECT_EQ(2, TCPIPIO::AcceptSocketUseCount(port));
        EXPECT_EQ("-1", Prop(server, "ACCEPTPORT"));
    }
    EXPECT_EQ(1, TCPIPIO::AcceptSocketUseCount(port));

    // The last holder closes it.
    TCPIPIO::FreeAcceptSocket(s1, serial1, 0);
    EXPECT_EQ(0, TCPIPIO::AcceptSocketUseCount(port));
    TCPIPIO caller("0");
    caller.SetConnectTimeout(5000);
    EXPECT_EQ(0, caller.MakeCall(("127.0.0.1:" + std::to_string(port)).c_str()));

    // A new listening socket may get the old number; freeing the old one again leaves it alone.
    TCPIPIO third("0");
    int port3 = 0;
    unsigned serial3 = 0;
    TCPSOCKET s3 = third.MakeAcceptSocket(&port3, &serial3);
    ASSERT_NE(TCPSOCKET_NONE, s3);
    EXPECT_NE(serial1, serial3);
    TCPIPIO::FreeAcceptSocket(s1, serial1, 0);
    TCPIPIO::FreeAcceptSocket(s1, serial1, 1);
    EXPECT_EQ(1, TCPIPIO::AcceptSocketUseCount(port3));
    TCPIPIO server(std::to_string(port3).c_str());
    TCPIPIO client("0");
    {
        ACCEPTOR acceptor(server);
        EXPECT_EQ(1, client.MakeCall(("127.0.0.1:" + std::to_string(port3)).c_str()));
        EXPECT_EQ(1, acceptor.Result());
    }
    TCPIPIO::FreeAcceptSocket(s3, serial3, 0);
}

TEST(TCPIPIO, DropCallEndsAWaitingAcceptAndClosesTheSharedSocketOnce)
{
    LISTENER listener;
    TCPIPIO waiting(listener.PortText().c_str());
    TCPIPIO other(listener.PortText().c_str());
    ACCEPTOR acceptor(waiting);
    ACCEPTOR second(other);
    for (int i = 0; i < 400 && (Prop(waiting, "ACCEPTPORT") == "-1" || Prop(other, "ACCEPTPORT") == "-1"); ++i)
        OSYS::Sleep(10);
    EXPECT_EQ(listener.PortText(), Prop(waiting, "ACCEPTPORT"));
    EXPECT_EQ(3, TCPIPIO::AcceptSocketUseCount(listener.port));

    long long t0 = NowMs();
    EXPECT_EQ(1, waiting.DropCall());
    EXPECT_EQ(0, acceptor.Result());
    EXPECT_EQ(0, second.Result()); // the shared socket is gone for every holder
    EXPECT_LT(NowMs() - t0, 20000);
    EXPECT_EQ("4103", Prop(waiting, "LASTERROR"));
    EXPECT_EQ(0, TCPIPIO::AcceptSocketUseCount(listener.port));
    // The holders' own frees (the listener's destructor, the devices' parked references) find
    // nothing to close.
}

TEST(TCPIPIO, DestroyingADeviceEndsItsAccept)
{
    LISTENER listener;
    TCPIPIO *device = new TCPIPIO(listener.PortText().c_str());
    ACCEPTOR acceptor(*device);
    for (int i = 0; i < 400 && Prop(*device, "ACCEPTPORT") == "-1"; ++i)
        OSYS::Sleep(10);
    delete device; // waits until AcceptCall has returned
    EXPECT_EQ(0, acceptor.Result());
}

TEST(TCPIPIO, AnAcceptCanTimeOutAndTryAgain)
{
    LISTENER listener;
    TCPIPIO server(listener.PortText().c_str());
    server.SetAcceptTimeout(300);
    long long t0 = NowMs();
    EXPECT_EQ(0, server.AcceptCall());
    EXPECT_GE(NowMs() - t0, 300);
    EXPECT_TRUE(server.AcceptTimedOut());
    EXPECT_EQ("4103", Prop(server, "LASTERROR"));
    EXPECT_EQ(2, TCPIPIO::AcceptSocketUseCount(listener.port)); // kept for the next accept

    server.SetAcceptTimeout(-1);
    TCPIPIO client("0");
    ACCEPTOR acceptor(server);
    EXPECT_EQ(1, client.MakeCall(listener.Peer().c_str()));
    EXPECT_EQ(1, acceptor.Result());
    EXPECT_FALSE(server.AcceptTimedOut());
    EXPECT_EQ(2, TCPIPIO::AcceptSocketUseCount(listener.port));
}

TEST(TCPIPIO, MakeCallFailures)
{
    LOGCAPTURE capture;
    struct CASE {
        const char *peer;
        const char *error;
        const char *textStart;
    } cases[] = {
        {"nosuchhost.invalid:6666", "4098", "Host not found. ("},
        {"127.0.0.1:0", "4097", "No TCP/IP socket or service. ("},
    };
    for (const CASE &c : cases) {
        TCPIPIO device("0");
        EXPECT_EQ(0, device.MakeCall(c.peer)) << c.peer;
        EXPECT_EQ(c.error, Prop(device, "LASTERROR")) << c.peer;
        EXPECT_EQ(0u, Prop(device, "LASTERRORSTRING").find(c.textStart)) << Prop(device, "LASTERRORSTRING");
        EXPECT_EQ("0", Prop(device, "ONLINE"));
    }
    // A port nobody listens on: refused.
    int port = 0;
    {
        LISTENER gone;
        port = gone.port;
    }
    TCPIPIO device("0");
    device.SetConnectTimeout(10000);
    EXPECT_EQ(0, device.MakeCall(("127.0.0.1:" + std::to_string(port)).c_str()));
    EXPECT_EQ("4096", Prop(device, "LASTERROR"));
    std::string text = Prop(device, "LASTERRORSTRING");
    EXPECT_EQ(0u, text.find("No response. (")) << text;
    EXPECT_EQ(')', text.back()) << text;
    EXPECT_GT(text.size(), std::string("No response. ()").size()) << text;
    EXPECT_EQ("400", Prop(device, "LASTERRORCLASS"));
    EXPECT_EQ(text.substr(14, text.size() - 15), Prop(device, "WSALASTERRORSTRING"));
    EXPECT_TRUE(capture.Conditions().empty());
}

TEST(TCPIPIO, AConnectThatNobodyAnswersEndsAtTheConnectTimeout)
{
    // A listener with a backlog of 1 that never accepts: once its queue is full, further
    // connection requests are left unanswered.
    WSADATA data;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &data));
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a));
    ASSERT_EQ(0, listen(s, 1));
    int length = sizeof a;
    ASSERT_EQ(0, getsockname(s, reinterpret_cast<sockaddr *>(&a), &length));
    std::string peer = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));

    std::vector<TCPIPIO *> queued;
    long long slow = 0;
    for (int i = 0; i < 8 && slow == 0; ++i) {
        TCPIPIO *device = new TCPIPIO("0");
        device->SetConnectTimeout(700);
        long long t0 = NowMs();
        if (device->MakeCall(peer.c_str())) {
            queued.push_back(device);
            continue;
        }
        slow = NowMs() - t0;
        EXPECT_EQ("4096", Prop(*device, "LASTERROR"));
        EXPECT_EQ(0u, Prop(*device, "LASTERRORSTRING").find("No response. (")) << Prop(*device, "LASTERRORSTRING");
        delete device;
    }
    EXPECT_GE(slow, 700);
    EXPECT_LT(slow, 30000);
    for (TCPIPIO *device : queued)
        delete device;
    closesocket(s);
    WSACleanup();
}

TEST(TCPIPIO, ANameThatResolvesToSeveralAddressesReachesTheIpv4Listener)
{
    LISTENER listener;
    TCPIPIO server(listener.PortText().c_str());
    for (const char *host : {"localhost", "127.000.000.001"}) {
        TCPIPIO client("0");
        client.SetConnectTimeout(10000);
        ACCEPTOR acceptor(server);
        EXPECT_EQ(1, client.MakeCall((std::string(host) + ":" + listener.PortText()).c_str()))
            << host << " " << Prop(client, "LASTERRORSTRING");
        EXPECT_EQ(1, acceptor.Result());
        EXPECT_NE(std::string::npos, Prop(client, "CALLERID").find("(127.0.0.1)")) << Prop(client, "CALLERID");
        client.DropCall();
        server.DropCall();
    }
}

TEST(TCPIPIO, ResolvingPeers)
{
    TCPIPIO device("0");
    struct CASE {
        const char *peer;
        int port;
        const char *address;
        int family;
    } cases[] = {
        {"127.0.0.1", 23, "127.0.0.1", AF_INET},
        {"127.0.0.1:6666", 6666, "127.0.0.1", AF_INET},
        {"010.000.000.005:6666", 6666, "10.0.0.5", AF_INET},
        {"[::1]:6666", 6666, "::1", AF_INET6},
    };
    for (const CASE &c : cases) {
        TCPPEER peer;
        ASSERT_EQ(1, device.Resolv(c.peer, &peer)) << c.peer;
        EXPECT_EQ(c.port, peer.Port) << c.peer;
        EXPECT_STREQ(c.address, peer.Address) << c.peer;
        EXPECT_EQ(c.family, peer.Addresses[0].Family) << c.peer;
    }
    TCPPEER peer;
    ASSERT_EQ(1, device.Resolv("localhost:6666", &peer));
    EXPECT_STREQ("localhost", peer.Name);
    EXPECT_EQ(6666, peer.Port);
    STRING error;
    EXPECT_EQ(0, device.ResolvText("nosuchhost.invalid:6666", &peer, error));
    EXPECT_EQ(0, peer.Count);
    EXPECT_EQ(6666, peer.Port);
    EXPECT_TRUE(error.NotEmpty());
}

TEST(TCPIPIO, PropertiesAndOwnIds)
{
    LOGCAPTURE capture;
    TCPIPIO device("myhost:6667");
    EXPECT_STREQ("6667[myhost]", static_cast<const char *>(device.GetOurId()));
    device.SetOurId("[::1]:6668");
    EXPECT_STREQ("6668[::1]", static_cast<const char *>(device.GetOurId()));
    device.SetOurId("6669");
    EXPECT_STREQ("6669", static_cast<const char *>(device.GetOurId()));

    EXPECT_EQ("TCPIP", Prop(device, "devicename"));
    EXPECT_EQ("0", Prop(device, "ONLINE"));
    EXPECT_EQ("-1", Prop(device, "SOCKET"));
    EXPECT_EQ("-1", Prop(device, "ACCEPTPORT"));
    EXPECT_EQ("10000000", Prop(device, "BANDWIDTH"));
    EXPECT_FALSE(Prop(device, "OWNID").empty());
    EXPECT_EQ(1, device.IsReady());
    EXPECT_EQ("", Prop(device, "NOSUCHPROPERTY"));
    std::vector<std::string> conditions = capture.Conditions();
    ASSERT_EQ(1u, conditions.size());
    EXPECT_EQ("FALSE", conditions[0]);
    EXPECT_EQ("*NOSUCHPROPERTY*", capture.InfoOf("FALSE"));
}

// A listening socket of "another program": outside this process's table of shared listening
// sockets, on a port the system picks.
TEST(TCPIPIO, APortTakenByAnotherSocketFailsTheBindAndTheAccept)
{
    FOREIGNLISTENER other;
    ASSERT_NE(0, other.port);
    int port = other.port;
    std::string portText = std::to_string(port);

    TCPIPIO device(portText.c_str());
    int got = -1;
    EXPECT_EQ(TCPSOCKET_NONE, device.MakeAcceptSocket(&got));
    EXPECT_EQ("4104", Prop(device, "LASTERROR"));
    EXPECT_EQ(0u, Prop(device, "LASTERRORSTRING").find("Bind failed. (")) << Prop(device, "LASTERRORSTRING");
    EXPECT_EQ(0, TCPIPIO::AcceptSocketUseCount(port));

    // An accept on the busy port ends at once with the reason, instead of waiting.
    TCPIPIO acceptor(portText.c_str());
    long long t0 = NowMs();
    EXPECT_EQ(0, acceptor.AcceptCall());
    EXPECT_LT(NowMs() - t0, 20000);
    EXPECT_EQ("4103", Prop(acceptor, "LASTERROR"));
    EXPECT_EQ(0u, Prop(acceptor, "LASTERRORSTRING").find("Accept failed. (")) << Prop(acceptor, "LASTERRORSTRING");
    EXPECT_EQ("-1", Prop(acceptor, "ACCEPTPORT"));
}

TEST(TCPIPIO, AWriteThatThePeerNeverTakesEndsAtTheWriteTimeout)
{
    LISTENER listener;
    TCPIPIO server(listener.PortText().c_str());
    TCPIPIO client("0");
    {
        ACCEPTOR acceptor(server);
        ASSERT_EQ(1, client.MakeCall(listener.Peer().c_str()));
        ASSERT_EQ(1, acceptor.Result());
    }
    EXPECT_EQ(-1, client.GetWriteTimeout());
    client.SetWriteTimeout(300);
    // The server reads nothing: once the connection's buffers are full, nothing moves.
    std::string block(1024 * 1024, 'w');
    int ok = 1;
    for (int i = 0; i < 256 && ok; ++i)
        ok = client.Write(block.data(), static_cast<int>(block.size()));
    EXPECT_EQ(0, ok);
    EXPECT_EQ("4096", Prop(client, "LASTERROR"));
    EXPECT_EQ(0u, Prop(client, "LASTERRORSTRING").find("No response. (")) << Prop(client, "LASTERRORSTRING");
    EXPECT_EQ("0", Prop(client, "ONLINE"));
}

TEST(TCPIPIO, TryBindTellsWhetherAPortIsFree)
{
    int port = 0;
    {
        LISTENER listener;
        port = listener.port;
        EXPECT_EQ(0, TCP::TryBind(port));
    }
    EXPECT_EQ(1, TCP::TryBind(port));
}

} // namespace
