// Replacing a file so that no reader ever sees half of it: the new content is written under a
// temporary name in the target's folder, flushed to disk, and only then renamed over the target.
// A crash or a full disk during the write leaves the old file as it was.  Settings and list files
// are read by other processes (and by us at the next start), so they are always saved this way.
#ifndef KESTAR_ATOMICFILE_H
#define KESTAR_ATOMICFILE_H

#include <cstddef>

namespace ATOMICFILE {

// Writes len bytes of data (binary, no line-end translation) to a temporary file beside path and
// renames it over path.  true when every write, the flush, the close and the rename succeeded.
// On failure the temporary file is removed, path is left as it was, and *error (when not null)
// holds the system's error code (GetLastError on Windows, errno elsewhere), which is also left as
// the thread's last error.
bool WriteReplace(const char *path, const void *data, size_t len, int *error);

} // namespace ATOMICFILE

#endif
