// Small services in the manner of the C library of other systems, for code that needs them on
// Windows too.
#ifndef KESTAR_UNIXPORT_H
#define KESTAR_UNIXPORT_H

namespace UNIXPORT {

// Replaces the six "X" that end templ by letters and digits so that no file of that name exists
// now; no file is created.  Safe for concurrent callers: they never get the same name from one
// state.  false with errno EINVAL (no "XXXXXX" at the end), EEXIST (no free name after 3844
// tries) or EIO (the existence test failed); templ is then unspecified.
bool MakeTempName(char *templ);

} // namespace UNIXPORT

#endif
