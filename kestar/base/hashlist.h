// HASHLIST, an ordered list of HASH records, and its text form: each record as "[#i]", the
// record's text and an empty line.  The phone book, the targets, the clients and every list a
// remote call returns travel and are stored this way; the record lists of the client derive from
// it.  The readers take input from files and peers and never end the program over it.
#ifndef KESTAR_HASHLIST_H
#define KESTAR_HASHLIST_H

#include <cstdint>

#include "kestar/base/dynarray.h"
#include "kestar/base/hash.h"
#include "kestar/base/string.h"
#include "kestar/base/stringarray.h"

class HASHLIST : public DYNARRAY<HASH> {
public:
    HASHLIST();
    // Deep copy of the records, capacity, growth and sort names.
    HASHLIST(const HASHLIST &other);
    // Parses the list text form (FromString).  A text that reads as a non-zero number is the
    // assertion failure "(int)data==0" and is not parsed (a number passed where a list was meant).
    explicit HASHLIST(const STRING &text);
    explicit HASHLIST(const char *text);
    HASHLIST &operator=(const HASHLIST &other);

    // Record order for the DYNARRAY sort: the sort names in turn, numeric with flag 0x01 (three-way,
    // no overflow) else byte-wise (strcmp); the first difference decides.  A record without a sort
    // name, or with a NULL value, compares as the text "<NULL>" (number 0) would.
    int Compare(HASH *a, HASH *b, int flags) override;
    ~HASHLIST() override;

    // Appends a copy of the record and returns its index.  A full table grows by half its size
    // (at least by the step of 64), so that building a long list copies its table a few times,
    // not once per 64 records.
    STRING_SIZE_T AddItem(const HASH &record);

    // The list text form: "[#i]" LF, record i's text, LF, for every record.  An empty list gives
    // an empty, not NULL, text.  Holds the list's lock, then each record's in turn.
    STRING ToString();
    // Writes the text form with CR LF line ends under the list's lock, atomically (the old file
    // stays until the new one is complete).  The number of records (1 for an empty list), or 0
    // when anything failed.
    int Save(const char *path);
    // Appends the records of a list file (callers empty the list first); the number of records
    // read, 0 when the file could not be read.  CR LF is read as LF.
    int Load(const char *path);
    // Empties the list and reads the text form; the number of records.  Records are appended in
    // the order of their sections whatever the section numbers say (a gap or a repeat is logged).
    int FromString(const STRING &text);
    int FromString(const char *text);

    // The largest Handle plus 1; 16534 for an empty list or when every handle is 0.
    uint32_t NewHandle();
    // Index of the first record with that Handle, or -1.
    int FindHandle(uint32_t handle);
    // Index of the first record that has name and whose value equals value (whole non-zero) or
    // begins with value (whole zero), case-insensitively; -1 when none.
    int FindValue(const char *name, const char *value, int whole);

    // Store the sort names (copied) and sort the list (flags: 0x01 numeric, 0x08 descending).
    void SortBy(const char *const *names, int count, int flags);
    void SortByKey(const char *name, int flags);

private:
    // About the bytes of the text form, from what the records hold.  The caller holds the lock.
    size_t TextSizeGuess(bool crlf);
    // Writes the text form to w, each record under one hold of its lock; stops early once w's
    // sink failed.  The caller holds the list's lock.
    void WriteText(HASH::WRITER &w, bool crlf);
    // Reads the list text form [p, p+len) and appends its records; fromFile selects the file
    // reading (CR LF as LF, header numbers ignored).  Returns the number of records appended.
    int ReadText(const char *p, size_t len, bool fromFile);
    // Appends a record made with new and takes it over (the list deletes it, as an element that
    // InsertItem copied).  The caller holds the list's lock.
    void AppendOwned(HASH *record);

    STRINGARRAY sortNames; // the names to sort by, in order
};

#endif
