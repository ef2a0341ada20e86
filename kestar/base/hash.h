// HASH, the system's record: an ordered table of name/value STRINGs with a numeric handle and an
// optional text key.  Its text form ("#Handle=", "#Key=", then "name=value" lines with escaped
// values, base64 for binary values) is the format of every settings file and of every remote-call
// parameter block, so the writer and the reader below are exact to the byte and read whatever a
// peer or a hand-edited file sends without ending the program.
#ifndef KESTAR_HASH_H
#define KESTAR_HASH_H

#include <cstdint>

#include "kestar/base/string.h"
#include "kestar/base/stringarray.h"

class HASH {
public:
    HASH();
    // Deep copy of handle, names, values, LockTable and Key.
    HASH(const HASH &other);
    // Parses the text form (see HASH::ParseText); a NULL text gives an empty record.
    explicit HASH(const STRING &text);
    explicit HASH(const char *text);
    virtual ~HASH();

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

    // Appends the parsed lines of text [p, p+len) and sorts the names.  Malformed lines are
    // reported and skipped.  Returns true when a "#Key=" line was seen.  Only for a record that
    // no other thread can see yet (being constructed or read into a list): it takes no locks.
    bool ParseText(const char *p, size_t len);
    // Appends the text form to out (the caller holds this record's lock).
    void AppendText(STRING &out);
    // Upper bound of the bytes AppendText writes.
    size_t TextSizeBound();
    // The bytes AppendText writes when no value needs an escape (the caller holds the lock).
    size_t TextSizeHint();
    // Index where name is or would be inserted; *found tells which.  Caller holds the lock.
    int Search(const char *name, bool *found) const;
    // The value of name or null, under the record's lock.
    const STRING *Lookup(const char *name);
    void CopyFrom(const HASH &other);
    // The same, for a caller that holds the locks it needs.
    void CopyFromLocked(const HASH &other);
    // Name and value i without another trip through the arrays' locks: for callers that hold the
    // record's lock (or, like Exists and FindKey, read without it) and know 0 <= i < NumKeys().
    STRING *NameAt(int i) const { return keys.ppItems[i]; }
    STRING *ValueAt(int i) const { return values.ppItems[i]; }
    // Writes a record or list text with CR LF line ends, atomically; 1 on success.  error gets
    // "OK" or the system's text for the failure.
    static int SaveText(const char *path, const STRING &text, char *error, size_t errorSize);

    STRINGARRAY keys;   // "HASH-KEYS": the names, in case-insensitive order; its lock is ours
    STRINGARRAY values; // "HASH-VALUES": value i belongs to name i
    int LockTable;      // non-zero: adding a name through operator[] is an assertion failure
};

#endif
