// Speed of remote procedure calls over 127.0.0.1: synchronous calls per second and the median and
// 99th-percentile time of one call, with 1 KB and 100 KB of parameters and 1 and 32 callers at
// once, beside a bare TCP exchange of the same bytes in the same run (connect, send, the peer
// echoes them, close).  The procedure echoes its parameter, so both move the bytes both ways.
// Last, 64 callers call at the same moment and every failed call is counted.
//
// Prints figures and fails only when a call fails or an echo comes back wrong, never on time.
//
//   netproc_win32_bench [calls [log switch]]   (default 400 calls per measure, at least 2 per
//                                               caller; e.g. "/LOGIT:rpc.log" logs the run)
#include "kestar/base/eventsem.h"
#include "kestar/base/hash.h"
#include "kestar/base/logit.h"
#include "kestar/devices/netproc.h"
#include "kestar/base/osysthread.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kMaxCallers = 64;

double NowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The procedure: answers the "Data" parameter unchanged.
class ECHOPROC : public NETPROC {
public:
    ECHOPROC() : NETPROC("6666", "0", 20000, false) { StartListeners(); }
    ~ECHOPROC() override { Shutdown(); }
    STRING &HandleProcCall(STRING &result, STRING &, HASH &params, const char *) override
    {
        STRING *data = nullptr;
        result = params.Exists("Data", &data) ? *data : STRING("<NOK>");
        return result;
    }
};

// The reference: a plain echo server with one acceptor thread per possible caller, so that it
// never makes a caller wait for a thread.  It reads until the caller's end of sending, echoes
// everything and closes.  The acceptors wait in select (which wakes when a connection comes) and
// look at the stop flag between waits.
class BARESERVER {
public:
    BARESERVER()
    {
        listening = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listening, reinterpret_cast<sockaddr *>(&a), sizeof a);
        listen(listening, SOMAXCONN);
        u_long nonBlocking = 1;
        ioctlsocket(listening, FIONBIO, &nonBlocking);
        int length = sizeof a;
        getsockname(listening, reinterpret_cast<sockaddr *>(&a), &length);
        port = ntohs(a.sin_port);
        for (int i = 0; i < kMaxCallers; ++i)
            threads.push_back(OSYS::CreateThread(Acceptor, this));
    }
    ~BARESERVER()
    {
        stop = true;
        for (void *h : threads)
            OSYS::WaitThread(h, 10000);
        closesocket(listening);
    }

    // One exchange: connect, send, end sending, read the echo until the server closes.
    static bool Exchange(int port, const std::string &out, std::string &in)
    {
        in.clear();
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s == INVALID_SOCKET)
            return false;
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<u_short>(port));
        bool ok = connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 && SendAll(s, out);
        shutdown(s, SD_SEND);
        char buffer[16384];
        int n;
        while (ok && (n = recv(s, buffer, sizeof buffer, 0)) > 0)
            in.append(buffer, static_cast<size_t>(n));
        closesocket(s);
        return ok;
    }

    int port = 0;

private:
    static bool SendAll(SOCKET s, const std::string &data)
    {
        for (size_t sent = 0; sent < data.size();) {
            int n = send(s, data.data() + sent, static_cast<int>(data.size() - sent), 0);
            if (n <= 0)
                return false;
            sent += static_cast<size_t>(n);
        }
        return true;
    }
    static unsigned Acceptor(void *p)
    {
        OSYS::InitThreadCrashHandler();
        BARESERVER *self = static_cast<BARESERVER *>(p);
        std::vector<char> buffer(16384);
        while (!self->stop) {
            fd_set ready;
            FD_ZERO(&ready);
            FD_SET(self->listening, &ready);
            timeval tv = {0, 100000};
            if (select(0, &ready, nullptr, nullptr, &tv) <= 0)
                continue;
            SOCKET c = accept(self->listening, nullptr, nullptr);
            if (c == INVALID_SOCKET)
                continue; // another acceptor was faster
            u_long blocking = 0;
            ioctlsocket(c, FIONBIO, &blocking);
            std::string data;
            int n;
            while ((n = recv(c, buffer.data(), static_cast<int>(buffer.size()), 0)) > 0)
                data.append(buffer.data(), static_cast<size_t>(n));
            SendAll(c, data);
            closesocket(c);
        }
        return 0;
    }

    SOCKET listening = INVALID_SOCKET;
    std::atomic<bool> stop{false};
    std::vector<void *> threads;
};

// One measure: calls spread over callers threads that start together.
struct RUN {
    bool rpc = true;
    NETPROC *client = nullptr;
    std::string peer;     // "127.0.0.1:port" of the procedure server
    int barePort = 0;
    std::string data;     // the parameter value
    std::string bareText; // the same bytes as the parameter packet
    int calls = 0;

    std::atomic<int> next{0};
    std::atomic<int> failed{0};
    std::vector<double> times;
    EVENTSEM go;

    static unsigned Caller(void *p)
    {
        OSYS::InitThreadCrashHandler();
        RUN *r = static_cast<RUN *>(p);
        r->go.Wait(-1);
        for (;;) {
            int i = r->next.fetch_add(1);
            if (i >= r->calls)
                return 0;
            double t0 = NowMs();
            bool ok;
            if (r->rpc) {
                HASH params;
                params["Data"] = r->data.c_str();
                STRING result;
                ok = r->client->CallNetProcedure(r->peer.c_str(), "ECHO", params, result, 1, nullptr, -1) == 1 &&
                     result.Length() == static_cast<int>(r->data.size()) &&
                     std::string(static_cast<const char *>(result), r->data.size()) == r->data;
                if (!ok)
                    std::printf("call %d failed: %.60s\n", i, result.IsNull() ? "<NULL>" : static_cast<const char *>(result));
            } else {
                std::string echo;
                ok = BARESERVER::Exchange(r->barePort, r->bareText, echo) && echo == r->bareText;
                if (!ok)
                    std::printf("bare exchange %d failed\n", i);
            }
            r->times[static_cast<size_t>(i)] = NowMs() - t0;
            if (!ok)
                r->failed++;
        }
    }
};

struct FIGURES {
    double perSecond = 0;
    double median = 0;
    double p99 = 0;
    int failed = 0;
};

FIGURES Measure(bool rpc, NETPROC &client, const std::string &peer, int barePort, int size, int callers, int calls)
{
    RUN r;
    r.rpc = rpc;
    r.client = &client;
    r.peer = peer;
    r.barePort = barePort;
    r.data.assign(static_cast<size_t>(size), 'x');
    for (size_t i = 0; i < r.data.size(); i += 61)
        r.data[i] = static_cast<char>('a' + i % 26);
    HASH params;
    params["Data"] = r.data.c_str();
    STRING text = params.ToString();
    r.bareText.assign(static_cast<const char *>(text), static_cast<size_t>(text.Length()));
    r.calls = calls;
    r.times.assign(static_cast<size_t>(calls), 0.0);
    std::vector<void *> threads;
    for (int i = 0; i < callers; ++i)
        threads.push_back(OSYS::CreateThread(RUN::Caller, &r));
    OSYS::Sleep(50);
    double t0 = NowMs();
    r.go.Set();
    for (void *h : threads)
        OSYS::WaitThread(h, -1);
    double elapsed = NowMs() - t0;
    FIGURES f;
    f.failed = r.failed.load();
    f.perSecond = calls * 1000.0 / (elapsed > 0 ? elapsed : 1);
    std::vector<double> sorted = r.times;
    std::sort(sorted.begin(), sorted.end());
    f.median = sorted[sorted.size() / 2];
    f.p99 = sorted[std::min(sorted.size() - 1, static_cast<size_t>(sorted.size() * 0.99))];
    return f;
}

void Row(const char *measure, double ours, double reference, const char *goal)
{
    std::printf("BENCH %s | %.3f | %.3f | %.2f | %s\n", measure, ours, reference,
                reference > 0 ? ours / reference : 0.0, goal);
}

} // namespace

int main(int argc, char **argv)
{
    int calls = argc > 1 ? std::atoi(argv[1]) : 400;
    if (calls < 2)
        calls = 2;
    if (argc > 2)
        LOGIT::HandleSwitch(argv[2]);
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    int failures = 0;
    {
        ECHOPROC server;
        NETPROC client("6666", "0", 20000);
        BARESERVER bare;
        std::string peer = "127.0.0.1:" + std::string(static_cast<const char *>(server.GetOurPort()));
        std::printf("remote procedure calls over 127.0.0.1, %d calls per measure (at least 2 per caller)\n", calls);

        // Warm both up: first connections, threads and allocations are not what we measure.
        Measure(true, client, peer, bare.port, 1024, 1, 5);
        Measure(false, client, peer, bare.port, 1024, 1, 5);

        const int sizes[] = {1024, 102400};
        const int callerCounts[] = {1, 32};
        double perSecond1k[2] = {0, 0};
        for (int size : sizes) {
            for (int ci = 0; ci < 2; ++ci) {
                int callers = callerCounts[ci];
                int n = std::max(calls, 2 * callers);
                // 100 KB moves a hundred times the bytes: fewer calls keep the run short.
                if (size > 1024)
                    n = std::max(n / 4, 2 * callers);
                FIGURES ours = Measure(true, client, peer, bare.port, size, callers, n);
                FIGURES ref = Measure(false, client, peer, bare.port, size, callers, n);
                failures += ours.failed + ref.failed;
                if (size == 1024)
                    perSecond1k[ci] = ours.perSecond;
                char name[96];
                const char *kb = size == 1024 ? "1 KB" : "100 KB";
                bool oneCallGoal = size == 1024 && callers == 1;
                std::snprintf(name, sizeof name, "rpc %s, %d caller%s: calls/s (vs bare TCP)", kb, callers,
                              callers > 1 ? "s" : "");
                Row(name, ours.perSecond, ref.perSecond, "-");
                std::snprintf(name, sizeof name, "rpc %s, %d caller%s: median ms (vs bare TCP)", kb, callers,
                              callers > 1 ? "s" : "");
                Row(name, ours.median, ref.median, oneCallGoal ? "<= 2" : "-");
                std::snprintf(name, sizeof name, "rpc %s, %d caller%s: p99 ms (vs bare TCP)", kb, callers,
                              callers > 1 ? "s" : "");
                Row(name, ours.p99, ref.p99, "-");
                std::fflush(stdout);
            }
        }
        Row("rpc 1 KB: calls/s of 32 callers (vs 1 caller)", perSecond1k[1], perSecond1k[0], ">= 10");

        // 64 callers at the same moment, three rounds of one call each.
        int failed64 = 0;
        for (int round = 0; round < 3; ++round)
            failed64 += Measure(true, client, peer, bare.port, 1024, kMaxCallers, kMaxCallers).failed;
        std::printf("BENCH rpc 1 KB, 64 callers at once: failed calls | %d | 0 | - | 0\n", failed64);
        failures += failed64;
    }
    WSACleanup();
    if (failures) {
        std::printf("%d calls failed\n", failures);
        return 1;
    }
    std::printf("all calls ok\n");
    return 0;
}
