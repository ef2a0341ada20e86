// Reading the process environment from portable code.  The C runtime's getenv on Windows returns
// the snapshot taken at program start, so a variable set later by the program (or by a test) would
// go unseen; the Windows build asks the system instead.
#ifndef KESTAR_OSYSENV_H
#define KESTAR_OSYSENV_H

#include <cstddef>

namespace OSYSENV {

// true when the variable exists (also when it is set to an empty text); value then holds the text,
// cut to size-1 bytes and zero-terminated.  On false value holds an empty text.  size must be > 0.
bool Get(const char *name, char *value, size_t size);

} // namespace OSYSENV

#endif
