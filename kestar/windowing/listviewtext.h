// LISTVIEWTEXT: the text rules of the list view that need no window: a record's tab-separated
// fields, the stored column widths and the default order of rows.  Portable, so that the native
// build tests it under the sanitizers.
#ifndef KESTAR_WINDOWING_LISTVIEWTEXT_H
#define KESTAR_WINDOWING_LISTVIEWTEXT_H

#include "kestar/base/string.h"
#include "kestar/base/wstring.h"

#include <vector>

namespace LISTVIEWTEXT {

// The longest text of one field (the controls' 512-character buffers with their terminator).
const int FIELD_CHARACTERS = 511;
// The bytes of the stored column widths that are read back (with the terminator).
const int COLUMNWIDTHS_BYTES = 64;

// The fields of a record, one per column: field 0 always (the row carries the record's handle
// even when its first text is empty), then the fields after it up to the first empty one (an
// empty field 0 ends the record too); each cut to FIELD_CHARACTERS.
std::vector<WSTRING> RecordFields(const WSTRING &record);
// A text cut to FIELD_CHARACTERS; a NULL text becomes empty.
WSTRING CutField(const WSTRING &text);

// The widths joined by "|", without a trailing "|" ("120|80|200"); empty for no columns.
STRING ColumnWidthsText(const int *widths, int count);
// The fields of a stored width text, one per column (1 plus the number of "|"): the width, or -1
// for a field that is not a plain decimal number (that column keeps its width).  A null text
// gives no fields.
std::vector<int> ParseColumnWidths(const char *text);

// Compares two 8-bit texts of code page 1252 ignoring case (ASCII and the accented letters of
// the code page fold to lower case), by byte value otherwise; null reads as empty.  <0, 0, >0.
int CompareIgnoringCase(const char *a, const char *b);
// The default order of two rows: their texts of the sort column compared ignoring case; on
// equality the texts of the next column when both could be read (non-null); negated for order 1.
int CompareRows(const char *a, const char *b, const char *nextA, const char *nextB, int order);

} // namespace LISTVIEWTEXT

#endif
