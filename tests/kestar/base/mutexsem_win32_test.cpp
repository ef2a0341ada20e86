// The window thread's wait for a MUTEXSEM keeps its messages flowing: a worker that holds the
// lock and sends a message to the window is answered, and steady posted traffic cannot stretch a
// bounded wait past its time-out.
#include "kestar/base/mutexsem.h"

#include "kestar/base/eventsem.h"
#include "kestar/base/nulldacl.h"
#include "kestar/base/osysthread.h"
#include "kestar/base/winwait.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

namespace {

std::atomic<int> gSeen{0};

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_APP + 7) {
        ++gSeen;
        return 77;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND MakeMessageWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PlxWinWaitTest";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "PlxWinWaitTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

struct SENDER {
    MUTEXSEM *lock;
    HWND window;
    EVENTSEM holding;
    LRESULT answer = 0;
};

// Holds the lock while it waits for the window thread to answer a sent message.
unsigned HoldAndSend(void *p)
{
    OSYS::InitThreadCrashHandler();
    SENDER *s = static_cast<SENDER *>(p);
    s->lock->Obtain(-1);
    s->holding.Set();
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(s->window, WM_APP + 7, 0, 0, SMTO_NORMAL, 30000, &result))
        s->answer = static_cast<LRESULT>(result);
    s->lock->Release();
    return 0;
}

TEST(MUTEXSEM, WindowThreadDispatchesWhileItWaits)
{
    HWND window = MakeMessageWindow();
    ASSERT_NE(nullptr, window);
    gSeen = 0;
    MUTEXSEM lock;
    lock.WindowThreadId = GetCurrentThreadId();
    SENDER s;
    s.lock = &lock;
    s.window = window;
    void *t = OSYS::CreateThread(HoldAndSend, &s);
    ASSERT_NE(nullptr, t);
    ASSERT_TRUE(s.holding.Wait(30000));
    // A plain blocking wait would deadlock here: the holder waits for this thread's answer.
    EXPECT_TRUE(lock.Obtain(60000));
    lock.Release();
    EXPECT_EQ(1, gSeen.load());
    EXPECT_EQ(77, s.answer);
    EXPECT_TRUE(OSYS::WaitThread(t, -1));
    DestroyWindow(window);
}

struct TRAFFIC {
    DWORD target;
    std::atomic<bool> stop{false};
    std::atomic<int> posted{0};
};

// Posts a message to the target thread every few milliseconds, for at most 20 seconds.
unsigned PostSteadily(void *p)
{
    OSYS::InitThreadCrashHandler();
    TRAFFIC *t = static_cast<TRAFFIC *>(p);
    ULONGLONG end = GetTickCount64() + 20000;
    while (!t->stop && GetTickCount64() < end) {
        if (PostThreadMessageA(t->target, WM_APP + 9, 0, 0))
            ++t->posted;
        Sleep(2);
    }
    return 0;
}

struct HOLD {
    MUTEXSEM *lock;
    EVENTSEM holding;
    EVENTSEM release;
};

unsigned HoldUntilTold(void *p)
{
    OSYS::InitThreadCrashHandler();
    HOLD *h = static_cast<HOLD *>(p);
    h->lock->Obtain(-1);
    h->holding.Set();
    h->release.Wait(-1);
    h->lock->Release();
    return 0;
}

TEST(MUTEXSEM, BoundedWindowWaitKeepsItsTimeoutUnderSteadyTraffic)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // this thread gets its message queue
    MUTEXSEM lock;
    lock.WindowThreadId = GetCurrentThreadId();
    HOLD hold;
    hold.lock = &lock;
    void *holder = OSYS::CreateThread(HoldUntilTold, &hold);
    ASSERT_TRUE(hold.holding.Wait(30000));

    TRAFFIC traffic;
    traffic.target = GetCurrentThreadId();
    void *poster = OSYS::CreateThread(PostSteadily, &traffic);
    ASSERT_NE(nullptr, poster);
    while (traffic.posted < 5)
        Sleep(1);
    ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(lock.Obtain(300));
    ULONGLONG elapsed = GetTickCount64() - start;
    bool posterStillRunning = !traffic.stop;
    traffic.stop = true;
    // Restarting the full time-out after each dispatch would keep waiting while the poster runs
    // (20 s); the wait must end near its 300 ms.
    EXPECT_LT(elapsed, 10000u);
    EXPECT_TRUE(posterStillRunning);
    EXPECT_TRUE(OSYS::WaitThread(poster, -1));
    hold.release.Set();
    EXPECT_TRUE(OSYS::WaitThread(holder, -1));
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST(WINWAIT, KeepsTheQuitMessageForTheMessageLoop)
{
    HANDLE ev = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    PostQuitMessage(5);
    EXPECT_EQ(static_cast<unsigned long>(WAIT_TIMEOUT), WINWAIT::WaitForHandle(ev, 50));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(5u, msg.wParam);
    SetEvent(ev);
    EXPECT_EQ(static_cast<unsigned long>(WAIT_OBJECT_0), WINWAIT::WaitForHandle(ev, -1));
    CloseHandle(ev);
}

TEST(NULLDACL, LetsEveryoneOpenTheObject)
{
    NULLDACL dacl;
    ASSERT_TRUE(dacl.Success);
    SECURITY_ATTRIBUTES *sa = static_cast<SECURITY_ATTRIBUTES *>(dacl.Attributes());
    ASSERT_NE(nullptr, sa);
    EXPECT_EQ(sizeof(SECURITY_ATTRIBUTES), sa->nLength);
    EXPECT_TRUE(sa->bInheritHandle);
    BOOL present = FALSE, defaulted = TRUE;
    PACL acl = reinterpret_cast<PACL>(1);
    ASSERT_TRUE(GetSecurityDescriptorDacl(sa->lpSecurityDescriptor, &present, &acl, &defaulted));
    EXPECT_TRUE(present);
    EXPECT_EQ(nullptr, acl);
    EXPECT_FALSE(defaulted);
    HANDLE ev = CreateEventA(sa, TRUE, FALSE, nullptr);
    EXPECT_NE(nullptr, ev);
    CloseHandle(ev);
}

} // namespace
