// The lock of the system: a re-entrant mutex.  When the window-thread id is set and the window
// thread waits for the lock, it keeps dispatching window messages while it waits.
#ifndef KESTAR_MUTEXSEM_H
#define KESTAR_MUTEXSEM_H

class MUTEXSEM {
public:
    // initiallyOwned: the creating thread holds the lock at once; name may be null.
    explicit MUTEXSEM(bool initiallyOwned = false, const char *name = nullptr);
    ~MUTEXSEM();
    MUTEXSEM(const MUTEXSEM &) = delete;
    MUTEXSEM &operator=(const MUTEXSEM &) = delete;

    // true when obtained; timeout in ms, -1 without limit, 0 polls.
    bool Obtain(int timeout = -1);
    // Obtain with the message-pumping wait of the window thread.
    bool WinObtain(int timeout = -1);
    void Release();
    // Asks the processor to fetch the lock's state, which is about to be taken (a list takes the
    // locks of its records one after the other).
    void Prefetch() const { __builtin_prefetch(hmux); }

    unsigned long WindowThreadId = 0; // set by the owner right after construction; 0 = none

private:
    void *hmux; // owned: the platform's mutex handle; null after destruction
};

#endif
