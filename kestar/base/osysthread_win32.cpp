// OSYS thread services on Win32.
//
// Threads start through _beginthreadex so that the C runtime's per-thread state is set up.  Its
// stack size is a commit size (no STACK_SIZE_PARAM_IS_A_RESERVATION): 32768 bytes are committed
// up front while the reserve stays the program's default, so deep code cannot overflow a 32 KB
// stack.  A small trampoline calls the start routine, so that start routines are plain functions
// on both architectures (_beginthreadex wants __stdcall).
#include "kestar/base/osysthread.h"

#include "kestar/base/logit.h"
#include "kestar/base/logitos.h"

#include <windows.h>
#include <process.h>

#include <atomic>
#include <new>

namespace {

const unsigned kStackCommit = 32768;

struct START {
    OSYS::THREADPROC proc;
    void *argument;
};

unsigned __stdcall Trampoline(void *p)
{
    START start = *static_cast<START *>(p);
    delete static_cast<START *>(p);
    return start.proc(start.argument);
}

} // namespace

namespace OSYS {

void *CreateThread(THREADPROC start, void *argument)
{
    START *block = new (std::nothrow) START{start, argument};
    if (!block)
        return nullptr;
    unsigned tid = 0;
    uintptr_t h = _beginthreadex(nullptr, kStackCommit, Trampoline, block, 0, &tid);
    if (h == 0)
        delete block;
    LOGIT::Printf("OSYS::CreateThread returned hthread= %p, tid= %04x\n", reinterpret_cast<void *>(h), tid);
    return reinterpret_cast<void *>(h);
}

void *CreateThreadWithParm(THREADPROC start, void *object, int parameter)
{
    THREADPARM *pparm = new (std::nothrow) THREADPARM{THREADPARM_MAGIC, object, parameter};
    if (!pparm) {
        ORVAK_ASSERT(pparm);
        return nullptr;
    }
    START *block = new (std::nothrow) START{start, pparm};
    unsigned tid = 0;
    uintptr_t h = block ? _beginthreadex(nullptr, kStackCommit, Trampoline, block, 0, &tid) : 0;
    if (h == 0) {
        delete block;
        delete pparm;
    }
    LOGIT::Printf("OSYS::CreateThreadWithParm returned %p, tid= %04x\n", reinterpret_cast<void *>(h), tid);
    return reinterpret_cast<void *>(h);
}

bool WaitThread(void *hthread, int timeout)
{
    if (!hthread) {
        ORVAK_ASSERT(hthread!=NULL);
        return false;
    }
    if (timeout != 0)
        LOGIT::Printf("OSYS::WaitThread hthread=%p, timeout=%d\n", hthread, timeout);
    DWORD rc = WaitForSingleObject(hthread, timeout < 0 ? INFINITE : static_cast<DWORD>(timeout));
    if (rc == WAIT_OBJECT_0) {
        CloseHandle(hthread);
        return true;
    }
    if (timeout != 0) {
        char text[512];
        LOGITOS::ErrorText(static_cast<int>(GetLastError()), text, sizeof(text));
        LOGIT::Printf("OSYS::WaitThread hthread=%p timeout=%d failed %s\n", hthread, timeout, text);
    }
    return false;
}

void CloseThreadHandle(void *hthread)
{
    if (hthread)
        CloseHandle(hthread);
}

void Sleep(int milliseconds)
{
    ::Sleep(milliseconds < 0 ? INFINITE : static_cast<DWORD>(milliseconds));
}

unsigned long GetCurrentThreadId()
{
    return ::GetCurrentThreadId();
}

} // namespace OSYS
