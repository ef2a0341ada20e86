// OSYS thread services: the only way the system starts threads, waits for them and sleeps.
//
// Every thread body calls OSYS::InitThreadCrashHandler first.  Thread handles are the platform's
// (a Win32 thread handle); the caller owns the handle it gets and gives it back through
// OSYS::WaitThread (closed once the thread has ended) or OSYS::CloseThreadHandle.
#ifndef KESTAR_OSYSTHREAD_H
#define KESTAR_OSYSTHREAD_H

namespace OSYS {

// A thread's start routine: one pointer argument, an unsigned result.
typedef unsigned (*THREADPROC)(void *argument);

// The start block of CreateThreadWithParm: allocated by the starter, owned and deleted (with
// delete) by the started thread, whose start routine receives it as its argument.
struct THREADPARM {
    unsigned magic;   // THREADPARM_MAGIC
    void *object;     // borrowed: the object the thread works for
    int parameter;
};
const unsigned THREADPARM_MAGIC = 0xFFEEDDCCu;

// Starts start(argument) on a new thread with a 32768-byte committed stack; the thread handle,
// null on failure.
void *CreateThread(THREADPROC start, void *argument);
// Starts start(THREADPARM*) on a new thread; the started thread owns the block.  Null on failure
// (the block is then freed here).
void *CreateThreadWithParm(THREADPROC start, void *object, int parameter);
// The first call of every thread body: arms the crash handler for this process again when crash
// dumps are on.
void InitThreadCrashHandler();
// Set by the application frame: arms its crash handler (called by InitThreadCrashHandler while
// the crash-dump level is above 0).
void SetCrashHandlerArm(void (*arm)());
// Waits at most timeout ms (-1 without limit, 0 polls silently) for the thread to end.  True when
// it has ended: the handle is then closed.  False leaves the handle open.
bool WaitThread(void *hthread, int timeout);
// Gives up a thread handle without waiting (the thread runs on).
void CloseThreadHandle(void *hthread);
void Sleep(int milliseconds);
// The calling thread's id (as in the log's thread column and MUTEXSEM::WindowThreadId).
unsigned long GetCurrentThreadId();

} // namespace OSYS

#endif
