// RINGBUFFER: a byte ring under a lock, with an event that wakes waiting readers.
#include "kestar/devices/ringbuffer.h"

#include "kestar/base/logit.h"
#include "kestar/base/osysthread.h"

#include <atomic>
#include <cstring>
#include <new>

namespace {

bool IsEndByte(const char *endBytes, char c)
{
    for (const char *p = endBytes; *p; ++p) {
        if (*p == c)
            return true;
    }
    return false;
}

// A few freed blocks of the size every device uses are kept for the next buffer: a connection
// makes a device (and so a buffer) per call, and a fresh 1 MiB block costs the system a mapping
// and page faults each time.
const int kKeptSize = 0x100000;
std::atomic<char *> gKept[4];

char *TakeBlock(int size)
{
    if (size == kKeptSize) {
        for (std::atomic<char *> &slot : gKept) {
            if (char *block = slot.exchange(nullptr))
                return block;
        }
    }
    return new (std::nothrow) char[static_cast<size_t>(size)];
}

void GiveBlock(char *block, int size)
{
    if (!block)
        return;
    if (size == kKeptSize) {
        for (std::atomic<char *> &slot : gKept) {
            char *empty = nullptr;
            if (slot.compare_exchange_strong(empty, block))
                return;
        }
    }
    delete[] block;
}

} // namespace

RINGBUFFER::RINGBUFFER(int size)
    : dataAvailable(false), waiters(0), data(nullptr), writeCount(0), readCount(0), size(size > 0 ? size : 0)
{
    if (this->size > 0)
        data = TakeBlock(this->size);
    ORVAK_ASSERT(this->data);
}

RINGBUFFER::~RINGBUFFER()
{
    GiveBlock(data, size);
    data = nullptr;
}

int RINGBUFFER::Count()
{
    lock.Obtain(-1);
    int held = static_cast<int>(writeCount - readCount);
    lock.Release();
    return held;
}

int RINGBUFFER::Write(const void *bytes, int length, EVENTSEM *abort)
{
    if (!data)
        return 0;
    if (length < 0 || (length > 0 && !bytes)) {
        ORVAK_ASSERT(length>=0 && bytes!=NULL);
        return 0;
    }
    if (length > size) {
        LOGIT::Printf("RINGBUFFER::Write refused: %d bytes never fit a buffer of %d\n", length, size);
        return 0;
    }
    if (length == 0)
        return 1;
    for (;;) {
        lock.Obtain(-1);
        int64_t held = writeCount - readCount;
        if (size - held >= length) {
            int pos = static_cast<int>(writeCount % size);
            int first = size - pos < length ? size - pos : length;
            std::memcpy(data + pos, bytes, static_cast<size_t>(first));
            if (first < length)
                std::memcpy(data, static_cast<const char *>(bytes) + first, static_cast<size_t>(length - first));
            writeCount += length;
            if (waiters > 0)
                dataAvailable.Set();
            lock.Release();
            return 1;
        }
        LOGIT::Printf("RINGBUFFER::Write Buffer full -- waiting ...\n");
        lock.Release();
        if (abort) {
            if (abort->Wait(100)) {
                LOGIT::Printf("RINGBUFFER::Write given up: the device is stopping\n");
                return 0;
            }
        } else {
            OSYS::Sleep(100);
        }
    }
}

int RINGBUFFER::Read(void *destination, int *length, int wait, const char *endBytes)
{
    if (!length) {
        ORVAK_ASSERT(length!=NULL);
        return 0;
    }
    int room = *length;
    *length = 0;
    if (!data || room <= 0 || !destination)
        return 0;

    lock.Obtain(-1);
    int64_t held = writeCount - readCount;
    if (held == 0) {
        if (wait == 0 || wait < -1) {
            lock.Release();
            return 0;
        }
        ++waiters;
        lock.Release();
        bool woken = dataAvailable.Wait(wait);
        lock.Obtain(-1);
        // The last reader to leave resets the event; writers set it only while somebody waits.
        if (--waiters == 0)
            dataAvailable.Reset();
        held = writeCount - readCount;
        if (!woken && held == 0) {
            lock.Release();
            return 0;
        }
    }

    int count = held < room ? static_cast<int>(held) : room;
    int start = static_cast<int>(readCount % size);
    if (endBytes && *endBytes) {
        for (int i = 0; i < count; ++i) {
            if (IsEndByte(endBytes, data[(start + i) % size])) {
                count = i + 1;
                break;
            }
        }
    }
    int first = size - start < count ? size - start : count;
    std::memcpy(destination, data + start, static_cast<size_t>(first));
    if (first < count)
        std::memcpy(static_cast<char *>(destination) + first, data, static_cast<size_t>(count - first));
    readCount += count;
    if (readCount == writeCount) {
        readCount = 0;
        writeCount = 0;
    }
    lock.Release();
    *length = count;
    return count > 0 ? 1 : 0;
}
