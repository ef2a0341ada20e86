// The OSYS services that answer questions about the machine (user, computer, operating system,
// the program's own file, the text of an error code, the high-resolution counter) and the small
// services that each do one thing with one or two system calls (clipboard, autostart entry,
// playing a sound file, waking a sleeping disk, ending a running screen saver).
//
// The version table and the colour mix are portable (osysinfo.cpp); the rest is Win32
// (osysinfo_win32.cpp), with native stand-ins of the machine queries in osysinfo_posix.cpp.
#ifndef KESTAR_OSYSINFO_H
#define KESTAR_OSYSINFO_H

#include <cstdint>

#include "kestar/base/string.h"

// <windows.h> turns these names into their A/W variants; a file that sees both must still reach
// the OSYS services, so the macros go (Win32 code calls the explicit A/W functions).
#ifdef GetUserName
#undef GetUserName
#endif
#ifdef GetComputerName
#undef GetComputerName
#endif
#ifdef GetCurrentDirectory
#undef GetCurrentDirectory
#endif
#ifdef SetCurrentDirectory
#undef SetCurrentDirectory
#endif

namespace OSYS {

// The error code that stands for the calling thread's last error.
const int LASTERROR = -4711;
// The command of SetAutostart that stands for the program's own file, like "<self>".
inline const char *const AUTOSTART_SELF = reinterpret_cast<const char *>(1);

// The logged-on user's name; empty on failure.
STRING GetUserName();
// The computer name; "<N/A>" on failure.
STRING GetComputerName();
// The name under which this computer identifies itself to the server: the computer name.
STRING GetStationName();

// The operating-system id (callers compare ids by size):
//   0 not the NT platform, 1 NT with major version below 5 or 7 to 9, 2 Windows 2000 (5.0),
//   3 XP (5.1), 4 5.2 and later 5.x, 5 Vista (6.0, and 6.x above 6.3), 6 Windows 7 (6.1),
//   7 Windows 8 (6.2), 8 Windows 8.1 (6.3), 9 major version above 9.
// Taken from the version the system really runs, whatever the program's manifest declares.
int GetOsVersionId();
// For tests: the id GetOsVersionId answers instead of the real one; -1 gives the real one again.
void SetOsVersionIdOverride(int id);
int GetOsVersionIdOverride();
// The name of GetOsVersionId, as OsVersionName gives it.
STRING GetOsVersionName();
// The table behind both: the id of a platform and version, and the name of an id
// ("<unknown type %d>" for an id outside 0-9).
int OsVersionId(bool ntPlatform, unsigned major, unsigned minor);
STRING OsVersionName(int id);

// The full path of the program's own executable; empty on failure.
STRING GetProgramFile();

// The system's message text for an error code (LASTERROR = the thread's last error, which the
// call leaves as it found it), without trailing CR and LF; "<no error>" when the system has no
// text for it.
STRING GetLastErrorString(int code = LASTERROR);

// Reads the high-resolution counter and/or its ticks per second (either may be null); true when
// every requested value was read.  Outputs that could not be read are set to 0.
bool GetPerformanceCounter(int64_t *counter, int64_t *frequency);

// The process's current folder (empty on failure) and changing it.
STRING GetCurrentDirectory();
bool SetCurrentDirectory(const char *path);

// The system colour of a COLOR_* index (red in the low byte).
uint32_t GetSysColor(int index);
// Mixes two 32-bit colours channel by channel (all four bytes): A + (B - A) * percent / 100, the
// fraction cut towards zero.  percent is held to 0-100.
uint32_t MixColors(uint32_t colourA, uint32_t colourB, int percent);

// Empties the clipboard and puts the text (code page 1252) on it; readers of the OEM text format
// get it converted to the OEM code page and readers of Unicode text get it exactly.
bool CopyToClipboard(const char *text);

// The autostart value valueName under HKEY_CURRENT_USER
// "Software\Microsoft\Windows\CurrentVersion\Run" (the key is created when missing).  A null
// command deletes the value; "<self>", "<ownfile>", AUTOSTART_SELF or the program's own path (case
// ignored) store the program's own path in double quotes; any other text is stored unchanged.
bool SetAutostart(const char *valueName, const char *command);

// Plays a wave file: no default sound when the file is missing, nothing when a sound is already
// playing; returns at once unless wait is set.  A failure is logged as a quiet assertion failure.
bool PlaySoundFile(const char *file, bool wait);

// The user's list separator (LOCALE_SLIST, at most 16 bytes; "," natively or when it cannot be
// read).
STRING GetListSeparator();

// Writes and deletes a small file in folder with write-through, so that a sleeping disk spins up.
void WakeupHarddisk(const char *folder);
// Ends a running screen saver.
void WakeupScreensaver();

// Switches the Scroll Lock key off (mode 0), on (1) or over (2), as KEYBOARD::SetToggleKey does;
// the client blinks its light for unread messages.  1, or 0 for another mode (an assertion).
int SetScrollLock(int mode);

} // namespace OSYS

#endif
