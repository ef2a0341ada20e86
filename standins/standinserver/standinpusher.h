// STANDINPUSHER, the thread that makes the stand-in server's calls to its clients ("pushes"),
// so that requests are answered while pushes go out: a client calls back into the server from
// inside its handler of a push.  Jobs run in the order of their due times; a job's send function
// is the server's.  Every wait here is short and bounded.  Portable.
//
// Threads: any thread queues; the pusher thread runs the send and tick functions.
#ifndef STANDINS_STANDINSERVER_STANDINPUSHER_H
#define STANDINS_STANDINSERVER_STANDINPUSHER_H

#include <atomic>
#include <cstdint>
#include <vector>

#include "kestar/base/critsect.h"
#include "kestar/base/eventsem.h"
#include "kestar/base/hash.h"
#include "kestar/base/string.h"

class STANDINPUSHER {
public:
    struct JOB {
        STRING Peer;       // "host:port"
        STRING Client;     // the client's name, for the log
        STRING Command;
        HASH Params;
        bool Sync = false; // wait for the client's result ("Call") or not ("Post")
        int64_t DueMs = 0; // STANDINPUSHER::Now() time at which it may run
    };
    typedef void (*SENDFN)(void *user, JOB &job);
    // Called on the pusher thread at least every 50 ms (the server's timed script pushes).
    typedef void (*TICKFN)(void *user);

    STANDINPUSHER(SENDFN send, TICKFN tick, void *user);
    // Stop(), without running the jobs still queued.
    ~STANDINPUSHER();
    STANDINPUSHER(const STANDINPUSHER &) = delete;
    STANDINPUSHER &operator=(const STANDINPUSHER &) = delete;

    bool Start();
    // Ends the thread after the running job; waits for it at most waitMs.
    void Stop(int waitMs = 10000);
    void Queue(const JOB &job);
    // Jobs queued and not yet finished (a running one counts).
    int Pending();
    // Waits until nothing is pending, at most timeoutMs; true when idle.
    bool WaitIdle(int timeoutMs);

    // Milliseconds of a steady clock.
    static int64_t Now();

private:
    static unsigned Main(void *self);
    void Run();

    SENDFN Send;
    TICKFN Tick;
    void *User;              // borrowed: the server, which outlives the pusher's thread
    std::vector<JOB> Jobs;   // guarded by lock
    std::atomic<int> Busy{0};
    std::atomic<bool> Stopping{false};
    EVENTSEM Wake;
    CRITSECT lock;
    void *hThread = nullptr; // owned
};

#endif
