// A manual-reset event: waiting does not reset it.
#ifndef KESTAR_EVENTSEM_H
#define KESTAR_EVENTSEM_H

class EVENTSEM {
public:
    explicit EVENTSEM(bool initiallySignalled = false);
    ~EVENTSEM();
    EVENTSEM(const EVENTSEM &) = delete;
    EVENTSEM &operator=(const EVENTSEM &) = delete;

    void Set();
    void Reset();
    // true when signalled; false on time-out (ms, -1 without limit, 0 polls).
    bool Wait(int timeout = -1);

private:
    void *hev; // owned: the platform's event handle
};

#endif
