// Small services in the manner of the C library of other systems, for code that needs them on
// Windows too.
#ifndef KESTAR_UNIXPORT_H
#define KESTAR_UNIXPORT_H

#include <cstdarg>
#include <cstddef>

namespace UNIXPORT {

// The bounded text functions below never write beyond size bytes (characters for the wide form)
// and always end the text with a zero when size is above 0.

// Copies source; the length of source when it fitted, else -1 with the copy cut to size - 1.
// A null source counts as an empty text.
int StrCopy(char *destination, size_t size, const char *source);

// Appends text to the zero-ended destination; the resulting length when it fitted, else -1
// (cut).  A destination without a zero within size is left as it is and gives -1.
int StrCat(char *destination, size_t size, const char *text);

// Formats like vsnprintf and returns the length the full text needs, also when it was cut.  A
// format of exactly "%s" copies its argument directly (a null text as "(null)").  -1 on a format
// the C library rejects; destination is then empty.
int VFormat(char *destination, size_t size, const char *format, va_list arguments);
int Format(char *destination, size_t size, const char *format, ...);

// The wide form of Format; size counts characters.  Use %ls for wide texts (the meaning of %s
// differs between C libraries).
int FormatWide(wchar_t *destination, size_t size, const wchar_t *format, ...);

// Replaces the six "X" that end templ by letters and digits so that no file of that name exists
// now; no file is created.  Safe for concurrent callers: they never get the same name from one
// state.  false with errno EINVAL (no "XXXXXX" at the end), EEXIST (no free name after 3844
// tries) or EIO (the existence test failed); templ is then unspecified.
bool MakeTempName(char *templ);

} // namespace UNIXPORT

#endif
