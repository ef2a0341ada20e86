// Scoped priority of the calling thread: raised (or lowered) for the life of the object, restored
// at its end only when the change succeeded.  Priorities are the Win32 thread priorities
// (1 = above normal, -1 = below normal, 2 = highest, ...).
#ifndef KESTAR_RAISETHREADPRIORITY_H
#define KESTAR_RAISETHREADPRIORITY_H

class RAISETHREADPRIORITY {
public:
    // restorePriority -1: restore the priority the thread has now.
    explicit RAISETHREADPRIORITY(int priority, int restorePriority = -1);
    ~RAISETHREADPRIORITY();
    RAISETHREADPRIORITY(const RAISETHREADPRIORITY &) = delete;
    RAISETHREADPRIORITY &operator=(const RAISETHREADPRIORITY &) = delete;

    // Sets the priority of the recorded thread; false when the system refused.
    bool SetPriority(int priority);

    bool RaiseOk = false; // the raise in the constructor succeeded

private:
    void *hthread;        // borrowed: the calling thread (a pseudo handle on Windows)
    int RestorePriority;  // set back by the destructor when RaiseOk
};

// The calling thread's priority as the Win32 thread priorities count it.
int GetCurrentThreadPriority();

#endif
