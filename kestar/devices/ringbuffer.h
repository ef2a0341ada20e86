// RINGBUFFER, the receive buffer of every device: one writer (the device's daemon or the reader
// filling it for itself) and readers that wait for data with a time-out and may stop at the first
// of a set of end bytes.  A byte's place in the block is its running count modulo the size.
#ifndef KESTAR_RINGBUFFER_H
#define KESTAR_RINGBUFFER_H

#include <cstdint>

#include "kestar/base/eventsem.h"
#include "kestar/base/mutexsem.h"

class RINGBUFFER {
public:
    // Allocates the data block at once; a failed allocation is an assertion failure and leaves a
    // buffer that refuses every write.
    explicit RINGBUFFER(int size);
    ~RINGBUFFER();
    RINGBUFFER(const RINGBUFFER &) = delete;
    RINGBUFFER &operator=(const RINGBUFFER &) = delete;

    // Appends length bytes, waiting in 100 ms steps while the free room is too small.  Returns 1
    // when stored; 0 without a data block, for a length above the size (that could never fit, so
    // it is refused at once instead of waited for), and when abort (may be null) is set while
    // waiting.
    int Write(const void *data, int length, EVENTSEM *abort = nullptr);
    // Moves up to *length bytes to destination.  When the buffer is empty it waits up to wait ms
    // for data (-1 without limit, 0 or another negative value: not at all).  With endBytes (a
    // zero-terminated set, may be null) the bytes end just after the first end byte.  *length
    // gets the count moved (0 on failure); returns 1 when it is above 0.
    int Read(void *destination, int *length, int wait, const char *endBytes = nullptr);
    // Bytes held, under the lock.
    int Count();
    int Size() const { return size; }

private:
    MUTEXSEM lock;          // guards the counts and the data
    // Set by a write while a reader waits for data; reset by the last waiting reader as it leaves.
    // A reader that never needs to wait (the device filling the buffer for itself) so costs no
    // kernel call per read.
    EVENTSEM dataAvailable;
    int waiters;            // readers waiting for dataAvailable; guarded by lock
    char *data;             // owned: the block of size bytes; null when the allocation failed
    // Bytes written and read since the buffer was last empty; 64-bit so that a buffer that is
    // never quite emptied cannot overflow them.
    int64_t writeCount;
    int64_t readCount;
    int size;
};

#endif
