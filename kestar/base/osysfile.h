// The few file services the string classes need: open a C stream, ask a file's size, commit a
// written stream to disk, test whether a path exists, and the system's text for the last error.
// A small OS layer of its own, so that the portable string code never includes a system header.
#ifndef KESTAR_OSYSFILE_H
#define KESTAR_OSYSFILE_H

#include <cstddef>
#include <cstdio>

namespace OSYSFILE {

// Opens path with a C stream mode ("r", "w", "rb", "wb", ...); null on failure.  The caller owns
// the stream and closes it with fclose.  Paths are 8-bit texts in the system's ANSI code page.
FILE *Open(const char *path, const char *mode);
// Size in bytes of an existing file; -1 when it does not exist or cannot be examined.
long long Size(const char *path);
// Hands the data of a flushed stream to the disk; true on success.
bool Commit(FILE *stream);
// true when path names an existing file or folder.
bool Exists(const char *path);
// Writes the system's text for the calling thread's last error (without a trailing line break)
// into text; call it right after the failing operation.  size must be > 0.
void LastErrorText(char *text, size_t size);

} // namespace OSYSFILE

// true when path names an existing file; a folder is no file.
bool FileExists(const char *path);

#endif
