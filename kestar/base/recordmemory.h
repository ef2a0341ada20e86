// The storage of records: their blocks of fields and texts, their tables, the records themselves
// and their locks.  A phone book is tens of thousands of records of a few hundred bytes each,
// made and freed all at once at every load and logon.
#ifndef KESTAR_RECORDMEMORY_H
#define KESTAR_RECORDMEMORY_H

#include <cstddef>

class RECORDMEMORY {
public:
    // A piece of at least bytes (aligned for any type), or null when memory is out.
    static void *Get(size_t bytes);
    // Gives back a piece of Get; bytes: what Get was asked for.  Null is ignored.
    static void Put(void *p, size_t bytes);
};

#endif
