// The few process facts the application frame reads from the system, kept behind one seam so that
// the argument handling stays portable (orvakappos_win32.cpp, orvakappos_posix.cpp).  Paths are
// read whole, however long: a program or work folder deep below a long path must not be cut.
#ifndef KESTAR_ORVAKAPPOS_H
#define KESTAR_ORVAKAPPOS_H

#include "kestar/base/string.h"

namespace ORVAKAPPOS {

// The running program's full path (code page 1252); empty when the system cannot tell.
STRING ProgramFile();
// The process's current folder without a trailing separator (except a root); empty on failure.
STRING CurrentDirectory();
unsigned long ProcessId();
// The locale ids the frame logs: the thread's, the user's default and the system's default.
void LocaleIds(unsigned long &thread, unsigned long &user, unsigned long &system);
// The path separator of the platform ("\" under Windows).
char Separator();

} // namespace ORVAKAPPOS

#endif
