// The push thread of the stand-in server.
#include "standins/standinserver/standinpusher.h"

#include <algorithm>
#include <chrono>

#include "kestar/base/osysthread.h"

STANDINPUSHER::STANDINPUSHER(SENDFN send, TICKFN tick, void *user) : Send(send), Tick(tick), User(user) {}

STANDINPUSHER::~STANDINPUSHER()
{
    Stop();
}

int64_t STANDINPUSHER::Now()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool STANDINPUSHER::Start()
{
    if (hThread)
        return true;
    Stopping = false;
    hThread = OSYS::CreateThread(&STANDINPUSHER::Main, this);
    return hThread != nullptr;
}

void STANDINPUSHER::Stop(int waitMs)
{
    if (!hThread)
        return;
    Stopping = true;
    Wake.Set();
    OSYS::WaitThread(hThread, waitMs);
    OSYS::CloseThreadHandle(hThread);
    hThread = nullptr;
}

void STANDINPUSHER::Queue(const JOB &job)
{
    lock.Enter();
    Jobs.push_back(job);
    lock.Leave();
    Wake.Set();
}

int STANDINPUSHER::Pending()
{
    lock.Enter();
    const int n = static_cast<int>(Jobs.size());
    lock.Leave();
    return n + Busy.load();
}

bool STANDINPUSHER::WaitIdle(int timeoutMs)
{
    const int64_t end = Now() + timeoutMs;
    while (Pending() > 0) {
        if (Now() >= end)
            return false;
        OSYS::Sleep(10);
    }
    return true;
}

unsigned STANDINPUSHER::Main(void *self)
{
    OSYS::InitThreadCrashHandler();
    static_cast<STANDINPUSHER *>(self)->Run();
    return 0;
}

void STANDINPUSHER::Run()
{
    while (!Stopping) {
        if (Tick)
            Tick(User);
        JOB job;
        bool have = false;
        int64_t wait = 50;
        lock.Enter();
        if (!Jobs.empty()) {
            // The earliest due job; among equal times the first queued.
            auto next = std::min_element(Jobs.begin(), Jobs.end(),
                                         [](const JOB &a, const JOB &b) { return a.DueMs < b.DueMs; });
            const int64_t now = Now();
            if (next->DueMs <= now) {
                job = *next;
                Jobs.erase(next);
                have = true;
                ++Busy;
            } else {
                wait = std::min<int64_t>(wait, next->DueMs - now);
            }
        }
        if (!have)
            Wake.Reset();
        lock.Leave();
        if (have) {
            Send(User, job);
            --Busy;
            continue;
        }
        Wake.Wait(static_cast<int>(std::max<int64_t>(1, wait)));
    }
}
