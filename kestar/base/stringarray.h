// STRINGARRAY, an array of STRINGs: built by splitting a text at a token or from the lines of a
// text file; searched by several match modes; sorted byte-wise, case-insensitively or by number.
#ifndef KESTAR_STRINGARRAY_H
#define KESTAR_STRINGARRAY_H

#include "kestar/base/dynarray.h"
#include "kestar/base/string.h"

// Compare and Sort flags of the string arrays.
enum : int {
    STRINGARRAY_NUMERIC = 0x01,    // compare the elements read as decimal numbers
    STRINGARRAY_DESCENDING = 0x08, // reverse the order (applied by DYNARRAY::Sort)
    STRINGARRAY_NOCASE = 0x10,     // compare ignoring the case of ASCII letters
};

// Modes of STRINGARRAY::Find.
enum : int {
    STRINGARRAY_FIND_EQUAL = 0,    // equal, ignoring case
    STRINGARRAY_FIND_BEGINS = 1,   // begins with the text, ignoring case
    STRINGARRAY_FIND_CONTAINS = 2, // contains the text, ignoring case
    STRINGARRAY_FIND_NUMBER = 3,   // equal when both are read as decimal numbers
};

class STRINGARRAY : public DYNARRAY<STRING> {
public:
    // Empty, size slots, growth 64.
    explicit STRINGARRAY(STRING_SIZE_T size = 0);
    // The fields of source split at token (see Split); size slots, growth 64.
    STRINGARRAY(const char *source, const char *token, STRING_SIZE_T size = 64);

    int Compare(STRING *item1, STRING *item2, int flags) override;

    // Deletes all elements, then appends the fields of source: every byte of token ends a field,
    // and so does the end of the text; empty fields are kept.  A null source gives no elements.
    void Split(const char *source, const char *token);
    // Inserts the lines of a text file at the indexes 0, 1, ... (existing elements end up behind
    // them), unescaped strictly when unescape is set.  Empty lines are kept; a last line without a
    // line feed is kept when not empty.  Returns the number of lines read (0 when the file cannot
    // be opened).
    int Load(const char *path, int unescape = 0);
    // Index of the first element that matches text in mode (STRINGARRAY_FIND_...), or -1.
    STRING_SIZE_T Find(const char *text, int mode = STRINGARRAY_FIND_EQUAL);
};

#endif
