// DYNARRAY<TYPE>, the one container of the system: a growable table of pointers to owned elements
// with a diagnostic type name and a re-entrant lock of its own, so that lists can be shared by the
// window thread, the worker thread and the remote-call threads.  Inserting stores a copy of the
// element, deleting destroys it.  Sorting goes through the virtual Compare of a descendant and is
// serialised per element type.  A bad position is an assertion failure followed by the orderly
// stop: the table is never read or written outside its elements.
#ifndef KESTAR_DYNARRAY_H
#define KESTAR_DYNARRAY_H

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kestar/base/binary.h"
#include "kestar/base/critsect.h"
#include "kestar/base/logit.h"
#include "kestar/base/mutexsem.h"

template <class TYPE> class DYNARRAY {
public:
    // size null slots; step slots more whenever the table is full (-1: the same as size).
    explicit DYNARRAY(STRING_SIZE_T size = 0, STRING_SIZE_T step = -1);
    // Deep copy of elements, MaxItems, GrowBy and ItemCount under this array's lock, then the
    // other's; the type name of a copy is empty.
    DYNARRAY(const DYNARRAY &other);
    DYNARRAY &operator=(const DYNARRAY &other);
    // Slot 0: the order of two elements (negative, zero, positive).  The base cannot sort: it
    // reports an assertion failure and returns 0.
    virtual int Compare(TYPE *item1, TYPE *item2, int flags);
    virtual ~DYNARRAY();

    // Stores a copy of item at pos (0 <= pos <= ItemCount); later elements move up.  Returns pos.
    STRING_SIZE_T InsertItem(STRING_SIZE_T pos, const TYPE &item);
    // Appends a copy and returns its index.
    STRING_SIZE_T AddItem(const TYPE &item);
    // Appends copies of all elements of another array.
    void AddItems(const DYNARRAY &other);
    // The element at i (borrowed: owned by the array; valid until it is deleted).
    TYPE *operator[](STRING_SIZE_T i);
    // ItemCount, read without the lock (hold the lock around count-then-index sequences).
    STRING_SIZE_T NumItems() const { return ItemCount; }
    // Destroys the element at pos and closes the gap.
    void DeleteItem(STRING_SIZE_T pos);
    // Deletes all elements, the last first; the table stays.
    void DeleteAll();
    // Destroys all elements and frees the table; the next insertion allocates GrowBy slots.
    void FreeItems();
    void Swap(STRING_SIZE_T pos1, STRING_SIZE_T pos2);
    // Sorts by Compare with flags (0x08 descending; the others are Compare's).  Not stable.
    void Sort(int flags);
    // For a reader that knows how many elements follow: an array without elements gets a table of
    // exactly slots entries (growth stays GrowBy); an array with elements is left as it is.
    void FitEmpty(STRING_SIZE_T slots);
    // The array's lock (re-entrant for the holding thread); timeout in ms, -1 without limit.
    bool Lock(int timeout = -1);
    void Unlock();

    char TypeName[32];      // diagnostic name, zero-filled
    MUTEXSEM *pLock;        // owned: the array's lock
    TYPE **ppItems;         // owned: MaxItems slots, null at and above ItemCount
    STRING_SIZE_T ItemCount;
    STRING_SIZE_T MaxItems;
    STRING_SIZE_T GrowBy;

protected:
    void SetTypeName(const char *name);

private:
    // Holds the lock for one scope.
    class HOLD {
    public:
        explicit HOLD(MUTEXSEM *lock) : Lock(lock), Held(lock != nullptr && lock->Obtain(-1)) {}
        ~HOLD()
        {
            if (Held)
                Lock->Release();
        }
        HOLD(const HOLD &) = delete;
        HOLD &operator=(const HOLD &) = delete;

    private:
        MUTEXSEM *Lock;
        bool Held;
    };

    void CreateLock();
    // Allocates a table of slots entries (copying the current pointers); stops the program in
    // order when that is impossible.
    void Reallocate(long long slots);
    void CopyFrom(const DYNARRAY &other);

    // The sort of one element type at a time: the array being sorted and its flags, guarded by
    // SortSection (entered by the sorting thread for the whole sort).
    static inline DYNARRAY *SortThis = nullptr;
    static inline int SortFlags = 0;
    static CRITSECT &SortSection()
    {
        static CRITSECT *section = new CRITSECT();
        return *section;
    }
    static int QsortCompare(const void *a, const void *b);
};

template <class TYPE> DYNARRAY<TYPE>::DYNARRAY(STRING_SIZE_T size, STRING_SIZE_T step)
    : pLock(nullptr), ppItems(nullptr), ItemCount(0), MaxItems(0), GrowBy(0)
{
    memset(TypeName, 0, sizeof(TypeName));
    if (size < 0)
        size = 0;
    GrowBy = step == -1 ? size : step;
    CreateLock();
    if (size > 0)
        Reallocate(size);
}

template <class TYPE> DYNARRAY<TYPE>::DYNARRAY(const DYNARRAY &other)
    : pLock(nullptr), ppItems(nullptr), ItemCount(0), MaxItems(0), GrowBy(0)
{
    memset(TypeName, 0, sizeof(TypeName));
    CreateLock();
    HOLD mine(pLock);
    HOLD theirs(other.pLock);
    CopyFrom(other);
}

template <class TYPE> DYNARRAY<TYPE> &DYNARRAY<TYPE>::operator=(const DYNARRAY &other)
{
    if (this == &other)
        return *this;
    HOLD mine(pLock);
    HOLD theirs(other.pLock);
    FreeItems();
    CopyFrom(other);
    return *this;
}

template <class TYPE> DYNARRAY<TYPE>::~DYNARRAY()
{
    FreeItems();
    delete pLock;
    pLock = nullptr;
}

template <class TYPE> int DYNARRAY<TYPE>::Compare(TYPE *, TYPE *, int)
{
    LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, TypeName, 0);
    return 0;
}

template <class TYPE> void DYNARRAY<TYPE>::SetTypeName(const char *name)
{
    memset(TypeName, 0, sizeof(TypeName));
    if (name != nullptr)
        strncpy(TypeName, name, sizeof(TypeName) - 1);
}

template <class TYPE> void DYNARRAY<TYPE>::CreateLock()
{
    pLock = new MUTEXSEM();
    if (pLock == nullptr) {
        LOGIT::Assert(0, "pLock", __FILE__, __LINE__, TypeName, 0);
        LOGIT::OrderlyStop();
    }
}

template <class TYPE> void DYNARRAY<TYPE>::Reallocate(long long slots)
{
    TYPE **table = nullptr;
    if (slots > 0 && slots <= 0x3FFFFFFF)
        table = static_cast<TYPE **>(calloc(static_cast<size_t>(slots), sizeof(TYPE *)));
    if (table == nullptr) {
        char info[64];
        snprintf(info, sizeof(info), "slots= %lld, type= %s", slots, TypeName);
        LOGIT::Assert(0, "this->ppItems", __FILE__, __LINE__, info, 0);
        LOGIT::OrderlyStop();
    }
    if (ppItems != nullptr && ItemCount > 0)
        memcpy(table, ppItems, static_cast<size_t>(ItemCount) * sizeof(TYPE *));
    free(ppItems);
    ppItems = table;
    MaxItems = static_cast<STRING_SIZE_T>(slots);
}

template <class TYPE> void DYNARRAY<TYPE>::CopyFrom(const DYNARRAY &other)
{
    GrowBy = other.GrowBy;
    ItemCount = 0;
    if (other.MaxItems > 0)
        Reallocate(other.MaxItems);
    for (STRING_SIZE_T i = 0; i < other.ItemCount; i++)
        ppItems[i] = new TYPE(*other.ppItems[i]);
    ItemCount = other.ItemCount;
}

template <class TYPE> STRING_SIZE_T DYNARRAY<TYPE>::InsertItem(STRING_SIZE_T pos, const TYPE &item)
{
    HOLD hold(pLock);
    if (pos < 0 || pos > ItemCount) {
        char info[32];
        snprintf(info, sizeof(info), "%d/%d", pos, ItemCount);
        LOGIT::Assert(0, "pos>=0 && pos<=this->ItemCount", __FILE__, __LINE__, info, 0);
        LOGIT::OrderlyStop();
    }
    if (ItemCount >= MaxItems) {
        const long long slots = static_cast<long long>(MaxItems) + GrowBy;
        if (slots <= ItemCount) {
            LOGIT::Assert(0, "this->ItemCount<this->MaxItems", __FILE__, __LINE__, TypeName, 0);
            LOGIT::OrderlyStop();
        }
        Reallocate(slots);
    }
    // The copy is made before any slot moves: item may be an element of this array.
    TYPE *copy = new TYPE(item);
    memmove(ppItems + pos + 1, ppItems + pos, static_cast<size_t>(ItemCount - pos) * sizeof(TYPE *));
    ppItems[pos] = copy;
    ItemCount++;
    return pos;
}

template <class TYPE> STRING_SIZE_T DYNARRAY<TYPE>::AddItem(const TYPE &item)
{
    HOLD hold(pLock);
    return InsertItem(ItemCount, item);
}

template <class TYPE> void DYNARRAY<TYPE>::AddItems(const DYNARRAY &other)
{
    HOLD mine(pLock);
    if (&other == this) {
        const STRING_SIZE_T count = ItemCount;
        for (STRING_SIZE_T i = 0; i < count; i++)
            InsertItem(ItemCount, *ppItems[i]);
        return;
    }
    HOLD theirs(other.pLock);
    for (STRING_SIZE_T i = 0; i < other.ItemCount; i++)
        InsertItem(ItemCount, *other.ppItems[i]);
}

template <class TYPE> TYPE *DYNARRAY<TYPE>::operator[](STRING_SIZE_T i)
{
    HOLD hold(pLock);
    if (i < 0 || i >= MaxItems || i >= ItemCount) {
        char info[160];
        snprintf(info, sizeof(info), "i= %d, max= %d, count= %d, type= %s, this= %p", i, MaxItems, ItemCount, TypeName,
                 static_cast<void *>(this));
        LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, info, 0);
        LOGIT::OrderlyStop();
    }
    return ppItems[i];
}

template <class TYPE> void DYNARRAY<TYPE>::DeleteItem(STRING_SIZE_T pos)
{
    HOLD hold(pLock);
    if (pos < 0 || pos >= ItemCount) {
        char info[32];
        snprintf(info, sizeof(info), "%d/%d", pos, ItemCount);
        LOGIT::Assert(0, "pos>=0 && pos<this->ItemCount", __FILE__, __LINE__, info, 0);
        LOGIT::OrderlyStop();
    }
    TYPE *item = ppItems[pos];
    LOGIT::PrintfLevel(1, "DYNARRAY::DeleteItem is called for pitem= %p\n", static_cast<void *>(item));
    delete item;
    memmove(ppItems + pos, ppItems + pos + 1, static_cast<size_t>(ItemCount - pos - 1) * sizeof(TYPE *));
    ItemCount--;
    ppItems[ItemCount] = nullptr;
}

template <class TYPE> void DYNARRAY<TYPE>::DeleteAll()
{
    HOLD hold(pLock);
    for (STRING_SIZE_T i = ItemCount - 1; i >= 0; i--)
        DeleteItem(i);
}

template <class TYPE> void DYNARRAY<TYPE>::FreeItems()
{
    HOLD hold(pLock);
    if (ppItems != nullptr) {
        // Last first, as DeleteAll does and as C++ ends an array: storage that hands out what was
        // freed last first (the records' own does) then gives the next list its pieces in the
        // order of the last one, not reversed at every turn.
        for (STRING_SIZE_T i = MaxItems - 1; i >= 0; i--) {
            delete ppItems[i];
            ppItems[i] = nullptr;
        }
        free(ppItems);
    }
    ppItems = nullptr;
    MaxItems = 0;
    ItemCount = 0;
}

template <class TYPE> void DYNARRAY<TYPE>::Swap(STRING_SIZE_T pos1, STRING_SIZE_T pos2)
{
    HOLD hold(pLock);
    char info[32];
    snprintf(info, sizeof(info), "%d/%d/%d", pos1, pos2, ItemCount);
    if (pos1 < 0 || pos1 >= ItemCount) {
        LOGIT::Assert(0, "pos1>=0 && pos1<this->ItemCount", __FILE__, __LINE__, info, 0);
        LOGIT::OrderlyStop();
    }
    if (pos2 < 0 || pos2 >= ItemCount) {
        LOGIT::Assert(0, "pos2>=0 && pos2<this->ItemCount", __FILE__, __LINE__, info, 0);
        LOGIT::OrderlyStop();
    }
    TYPE *keep = ppItems[pos1];
    ppItems[pos1] = ppItems[pos2];
    ppItems[pos2] = keep;
}

template <class TYPE> int DYNARRAY<TYPE>::QsortCompare(const void *a, const void *b)
{
    TYPE *item1 = *static_cast<TYPE *const *>(a);
    TYPE *item2 = *static_cast<TYPE *const *>(b);
    const int rc = SortThis->Compare(item1, item2, SortFlags);
    const int sign = (rc > 0) - (rc < 0);
    return (SortFlags & 0x08) ? -sign : sign;
}

template <class TYPE> void DYNARRAY<TYPE>::Sort(int flags)
{
    CRITSECT &section = SortSection();
    section.Enter();
    if (SortThis != nullptr) {
        // Another sort of this element type on this thread (from a Compare): the shared sort
        // state cannot serve two sorts at once.
        LOGIT::Assert(0, "DYNARRAY<TYPE>::SortThis==NULL", __FILE__, __LINE__, TypeName, 0);
        LOGIT::OrderlyStop();
    }
    SortThis = this;
    SortFlags = flags;
    {
        HOLD hold(pLock);
        if (ItemCount > 1)
            qsort(ppItems, static_cast<size_t>(ItemCount), sizeof(TYPE *), QsortCompare);
    }
    SortThis = nullptr;
    section.Leave();
}

template <class TYPE> void DYNARRAY<TYPE>::FitEmpty(STRING_SIZE_T slots)
{
    HOLD hold(pLock);
    if (ItemCount == 0 && slots > 0 && slots != MaxItems) {
        free(ppItems);
        ppItems = nullptr;
        MaxItems = 0;
        Reallocate(slots);
    }
}

template <class TYPE> bool DYNARRAY<TYPE>::Lock(int timeout)
{
    return pLock != nullptr && pLock->Obtain(timeout);
}

template <class TYPE> void DYNARRAY<TYPE>::Unlock()
{
    if (pLock != nullptr)
        pLock->Release();
}

#endif
