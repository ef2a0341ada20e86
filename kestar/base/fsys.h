// The file-system calls under FILENAME, FILESEARCH and the folder services of OSYS.  One
// implementation per platform: fsys_win32.cpp (the A functions of Win32 and msvcrt) and
// fsys_posix.cpp (the native stand-in, which maps "\" to "/" so that the portable path code can be
// tested under the sanitizers).  Paths are 8-bit texts; nothing here logs or asserts: the callers
// do, with the error text this layer keeps.
#ifndef KESTAR_FSYS_H
#define KESTAR_FSYS_H

#include <cstdint>
#include <cstdio>
#include <string>

namespace FSYS {

// File attribute bits as the Windows file system reports them.
constexpr long ATTR_READONLY = 0x01;
constexpr long ATTR_DIRECTORY = 0x10;
constexpr long ATTR_NORMAL = 0x80;

// Drive types (the values of GetDriveType).
constexpr int DRIVE_KIND_UNKNOWN = 0;
constexpr int DRIVE_KIND_NO_ROOT = 1;
constexpr int DRIVE_KIND_FIXED = 3;
constexpr int DRIVE_KIND_REMOTE = 4;

// Sharing modes of OpenShared (the runtime library's _SH_ values).
constexpr int SHARE_DENY_RW = 0x10;
constexpr int SHARE_DENY_WR = 0x20;
constexpr int SHARE_DENY_RD = 0x30;
constexpr int SHARE_DENY_NO = 0x40;

// Result of Probe.
enum PROBE { PROBE_ERROR = -1, PROBE_MISSING = 0, PROBE_EXISTS = 1 };

// The text of the last failure of a call of this layer on this thread ("" when none).
std::string LastErrorText();

// Attributes of a file or folder, -1 when they cannot be read.
long Attributes(const char *path);
// Whether a name is taken; PROBE_MISSING also when a folder of the path is missing.
PROBE Probe(const char *path);
// Size in bytes, -1 when the file cannot be examined.
int64_t Size(const char *path);
// GetFullPathName / GetLongPathName; out unchanged on failure.
bool FullPath(const char *path, std::string &out);
bool LongPath(const char *path, std::string &out);
// Drive type of a root such as "C:\".
int DriveType(const char *root);

bool Remove(const char *path);
bool MakeDir(const char *path);
bool RemoveDir(const char *path);
// Renames within one volume; replace=false fails when the target exists (never replaces it).
bool Rename(const char *from, const char *to, bool replace);

// Opens a stream with a runtime-library mode and one of the SHARE_ values; null on failure.
FILE *OpenShared(const char *path, const char *mode, int share);
// Writes the stream's buffer and asks the system to put the file on disk.
bool Commit(FILE *stream);
// The descriptor under a stream (for the log).
int Descriptor(FILE *stream);

// The environment as it is now (not the start-up snapshot of the runtime library).
bool GetEnv(const char *name, std::string &out);
// The system's temporary folder (used when neither TEMP nor TMP is set).
std::string TempFolder();
unsigned long ProcessId();

// One folder walk.  pattern is a path whose last component may hold "*" and "?".
struct FINDENTRY {
    std::string Name;
    long Attributes = 0;
    int64_t Size = 0;
};
// Returns a walk handle positioned on the first entry, null when nothing matches.
void *FindFirst(const char *pattern, FINDENTRY &entry);
// Moves to the next entry; false at the end.
bool FindNext(void *walk, FINDENTRY &entry);
void FindClose(void *walk);

} // namespace FSYS

#endif
