// HASH, the system's record: an ordered table of name/value STRINGs with a numeric handle and an
// optional text key.  Its text form ("#Handle=", "#Key=", then "name=value" lines with escaped
// values, base64 for binary values) is the format of every settings file and of every remote-call
// parameter block, so the writer and the reader below are exact to the byte and read whatever a
// peer or a hand-edited file sends without ending the program.
#ifndef KESTAR_HASH_H
#define KESTAR_HASH_H

#include <atomic>
#include <cstdint>
#include <vector>

#include "kestar/base/mutexsem.h"
#include "kestar/base/string.h"
#include "kestar/base/stringarray.h"

class ATOMICWRITER;

class HASH {
public:
    HASH();
    // Deep copy of handle, names, values, LockTable and Key.
    HASH(const HASH &other);
    // Parses the text form (see HASH::ParseText); a NULL text gives an empty record.
    explicit HASH(const STRING &text);
    explicit HASH(const char *text);
    virtual ~HASH();

    // Records are many and small, made and freed a list at a time: they come from the records'
    // own storage (kestar/base/recordmemory.h).
    static void *operator new(size_t bytes);
    static void operator delete(void *p, size_t bytes);

    // Copies handle, names, values, LockTable and Key (this record's arrays are freed first).
    void Assign(const HASH &other);
    HASH &operator=(const HASH &other);

    // The value of name for reading and writing; a missing name is added (in order) with a NULL
    // value.  On a locked record ("AllowNewKeys(0)") adding is the assertion failure
    // "!this->LockTable" first.  The reference stays valid until the name is deleted or the
    // record is assigned, freed or loaded.
    STRING &operator[](const char *name);
    // The value of an existing name.  A missing name is the assertion failure "rcidx!=-1" and the
    // orderly stop: callers use it only for names that must exist (Exists for the others).
    STRING &Get(const char *name);
    // 1 and *value = the value (borrowed), or 0 and *value = null.  value may be null.
    int Exists(const char *name, STRING **value = nullptr);
    // Index of name (case-insensitive), or -1.
    int FindKey(const char *name) const;
    // Number of names, the name and the value at index i (0 <= i < NumKeys(); a bad index is the
    // array's assertion failure).  Borrowed.
    int NumKeys() const;
    const STRING &GetKeyAt(int i);
    STRING &GetValueAt(int i);
    // Removes the first name equal to name (case-insensitive) with its value; 1 when removed.
    int DeleteKey(const char *name);
    // A copy of the names, in order.
    STRINGARRAY GetKeys();
    // Sets this record's value of every name of other to other's value (adding names as needed).
    // Takes this record's lock first, then other's.
    void Merge(HASH &other);

    // LockTable = !allow; returns the previous LockTable.
    int AllowNewKeys(int allow);
    void SetKey(const char *text);
    // Puts the names in case-insensitive order; equal names keep their order.
    void SortKeys();
    // true when a sorts before b: case-insensitive (ASCII letters folded to lower case, bytes
    // compared unsigned, as the Windows C library does), a null text read as "<NULL>".
    static bool KeyLess(const char *a, const char *b);

    // The text form: "#Handle=%lu" (handle not 0), "#Key=" and the escaped key (key not NULL),
    // then "name=value" for every name in order, each line ended by one line feed.
    STRING ToString();
    // Writes ToString with CR LF line ends to path, atomically (the old file stays until the new
    // one is complete).  1 on success, 0 when anything failed.
    int Save(const char *path);
    // Reads path and replaces this record by its content (names, handle, key unless the file has
    // none, LockTable becomes 0).  1 when the file could be read, else 0 and the record unchanged.
    int Load(const char *path);

    // Record number within its list; 0 = none.
    uint32_t Handle;
    // Optional text key of the record; NULL when none.
    STRING Key;

private:
    friend class HASHLIST;

    // A name and its value.  Fields live in the record's blocks and never move while the record
    // holds them, so references to values stay good while other names come and go.  The name is
    // one of a NAMES the record holds, or the field's own (OWNFIELD).
    struct FIELD {
        STRING Value;
        STRING *Name;
    };
    // A field with a name of its own, for names added one by one.
    struct OWNFIELD {
        FIELD Field;
        STRING OwnName;
    };
    // The names of records read or copied, in the order of their fields: unchangeable once made
    // and counted, so that the records of a list, which mostly have the same names, hold one
    // copy of them between them instead of one each.
    struct NAMES;
    // A piece of storage of the record: field slots, then the bytes of texts read or copied (the
    // values there borrow their buffers, STRINGFLAG_BORROWED).  Freed with the record.
    struct BLOCK;

    // Holds the record's lock (re-entrant for the holding thread) for a scope.
    class HOLD {
    public:
        explicit HOLD(const HASH &record) : R(record) { R.recordLock.Obtain(-1); }
        ~HOLD() { R.recordLock.Release(); }
        HOLD(const HOLD &) = delete;
        HOLD &operator=(const HOLD &) = delete;

    private:
        const HASH &R;
    };

    // Appends the parsed lines of text [p, p+len) and sorts the names.  Malformed lines are
    // reported and skipped.  Returns true when a "#Key=" line was seen.  Only for a record that
    // no other thread can see yet (being constructed or read into a list): it takes no locks.
    bool ParseText(const char *p, size_t len);
    // Writes a text straight into the buffer of a string (BINARY::Reserve), growing it as needed;
    // or, given a sink, through a buffer of fixed size whose bytes go to the sink whenever it is
    // full, so that a long text never has to be held whole.
    class WRITER {
    public:
        // expected: the bytes the text will probably take.  The text becomes out's content.
        WRITER(STRING &out, size_t expected);
        // The text goes to sink (borrowed, must outlive the writer) in pieces; buffer (an empty
        // string) holds each piece and gets room for size bytes (more only for one piece larger
        // than that).  After a failed sink write nothing more goes to the sink.
        WRITER(STRING &buffer, size_t size, ATOMICWRITER *sink);
        // Where the next n bytes go; the writer moves P past what it wrote.
        char *Room(size_t n)
        {
            if (static_cast<size_t>(Limit - P) < n)
                Grow(n);
            return P;
        }
        // The written bytes become the string's content, or go to the sink.  false when a sink
        // write failed (the sink's Error tells why).
        bool Finish();
        // true once a sink write failed: what is written from then on is dropped.
        bool Failed() const { return failed; }
        char *P;

    private:
        void Grow(size_t n);
        // Hands the bytes written into the buffer to the sink and starts the buffer anew.
        void Drain();
        STRING &Out;
        char *Limit;
        ATOMICWRITER *Sink; // borrowed; null: the text is built in Out
        bool failed;
    };
    // Asks the processor to fetch the record's table and texts, which are about to be read.
    void Prefetch() const;
    // Appends the text form; with crlf every line ends with CR LF, as in a file.  The caller holds
    // this record's lock.
    void WriteText(WRITER &out, bool crlf) const;
    // About the bytes of the text form, from what the record's blocks hold (no field is read).
    size_t TextSizeGuess() const;
    // Index where name is or would be inserted; *found tells which.  Caller holds the lock.
    int Search(const char *name, bool *found) const;
    // The value of name or null, under the record's lock.
    const STRING *Lookup(const char *name);
    void CopyFrom(const HASH &other);
    // The same, for a caller that holds the locks it needs.
    void CopyFromLocked(const HASH &other);
    // Frees all fields and blocks (the caller holds the lock or owns the record alone).
    void Clear();
    // A new empty field with a name of its own, not yet in the table.
    FIELD *NewField();
    // A new block of slots fields and textBytes bytes of text, linked to the record.  withTable
    // adds room for a table of slots fields, which a record without table takes as its table;
    // own makes the slots OWNFIELDs.
    BLOCK *NewBlock(size_t slots, size_t textBytes, bool withTable = false, bool own = false);
    // Counted names equal to the n names of texts[i] (lengths[i] bytes each): the names made last
    // when they are the same, else new ones.  The caller holds one count.
    static NAMES *ShareNames(const char *const *texts, const size_t *lengths, size_t n);
    static void Release(NAMES *names);
    // The names made last, with a count of their own: the next record read with the same names
    // (the next record of a list, as a rule) shares them.
    static std::atomic<NAMES *> lastNames;
    // Whether f has a name of its own.
    static bool HasOwnName(const FIELD *f)
    {
        return reinterpret_cast<const char *>(f->Name) == reinterpret_cast<const char *>(f) + sizeof(FIELD);
    }
    // Stable order of fields by name.
    static void SortFields(FIELD **first, FIELD **last);
    // Puts field f into the table at index i.
    void InsertField(int i, FIELD *f);
    // The table has room for at least slots fields.
    void Reserve(int slots);
    // Name and value i: for callers that hold the record's lock (or, like Exists and FindKey, read
    // without it) and know 0 <= i < NumKeys().
    STRING *NameAt(int i) const { return table[i]->Name; }
    STRING *ValueAt(int i) const { return &table[i]->Value; }
    // Field i after the check of the index (a bad one is the assertion failure and the orderly stop).
    FIELD *FieldAt(int i, const char *type);

    FIELD **table;              // count fields in case-insensitive order of their names; room slots
    int count;
    int room;
    bool tableInBlock;          // the table lies in a block (not freed on its own)
    BLOCK *blocks;              // the storage of the fields, newest first
    NAMES *nameSet;             // the names every field has its name from, or null (not counted here)
    std::atomic<size_t> blockText; // about the bytes of the text read or copied (a list reads it unlocked)
    std::vector<FIELD *> spare; // own-name slots of deleted fields, for the next new name
    mutable MUTEXSEM recordLock;
    int LockTable;              // non-zero: adding a name through operator[] is an assertion failure
};

#endif
