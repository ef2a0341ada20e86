// RECORDMEMORY: on Windows, size classes of its own; elsewhere the C library's heap.
#include "kestar/base/recordmemory.h"

#include <cstdlib>

#if defined(_WIN32)
#include "kestar/base/critsect.h"
#endif

namespace {

// The storage of records.  On Windows it comes from size classes of its own:
// the Windows heap keeps its free blocks of a few hundred bytes to a few KB in lists that it
// searches from the front, so once a list of records had been freed (the client does so at every
// logon), every record made later walked past thousands of freed blocks too small for it, and a
// list that reads in 35 ms took 750 ms.  Here a freed piece goes to the list of its size class
// and the next piece of that class takes it at once.  The pieces stay with the pool for later
// records.  Elsewhere the C library's heap is left to do this (and the sanitizers see every
// piece).
#if defined(_WIN32)
const size_t kGrain = 16;          // pieces are whole multiples of this
const size_t kLargest = 8192;      // larger pieces come from the heap as they are
const size_t kChunk = 256 * 1024;  // what the pool takes from the heap at a time

struct POOL {
    CRITSECT Lock;
    void *Free[kLargest / kGrain + 1] = {}; // freed pieces of each class, linked through their first bytes
    char *Next = nullptr;                  // the part of the newest chunk that is not handed out yet
    char *End = nullptr;
};

POOL &Pool()
{
    // Never destroyed: records of static objects are freed after the end of main.
    static POOL *pool = new POOL();
    return *pool;
}
#endif

} // namespace

#if defined(_WIN32)
void *RECORDMEMORY::Get(size_t bytes)
{
    if (bytes > kLargest)
        return std::malloc(bytes);
    size_t kind = (bytes + kGrain - 1) / kGrain;
    size_t size = kind * kGrain;
    POOL &pool = Pool();
    CRITSECTHOLD hold(pool.Lock);
    if (void *p = pool.Free[kind]) {
        pool.Free[kind] = *static_cast<void **>(p);
        return p;
    }
    if (static_cast<size_t>(pool.End - pool.Next) < size) {
        char *chunk = static_cast<char *>(std::malloc(kChunk));
        if (!chunk)
            return nullptr;
        // The rest of the old chunk is a free piece of the class it fills.
        size_t rest = static_cast<size_t>(pool.End - pool.Next) / kGrain;
        if (rest > 0) {
            *reinterpret_cast<void **>(pool.Next) = pool.Free[rest];
            pool.Free[rest] = pool.Next;
        }
        pool.Next = chunk;
        pool.End = chunk + kChunk;
    }
    void *p = pool.Next;
    pool.Next += size;
    return p;
}

void RECORDMEMORY::Put(void *p, size_t bytes)
{
    if (!p)
        return;
    if (bytes > kLargest) {
        std::free(p);
        return;
    }
    size_t kind = (bytes + kGrain - 1) / kGrain;
    POOL &pool = Pool();
    CRITSECTHOLD hold(pool.Lock);
    *static_cast<void **>(p) = pool.Free[kind];
    pool.Free[kind] = p;
}
#else
void *RECORDMEMORY::Get(size_t bytes)
{
    return std::malloc(bytes);
}

void RECORDMEMORY::Put(void *p, size_t)
{
    std::free(p);
}
#endif

