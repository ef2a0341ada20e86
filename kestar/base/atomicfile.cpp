// The one-call form of the file replacement: the whole content written through one ATOMICWRITER.
#include "kestar/base/atomicfile.h"

#include "kestar/base/atomicwriter.h"

bool ATOMICFILE::WriteReplace(const char *path, const void *data, size_t len, int *error)
{
    ATOMICWRITER file;
    bool ok = file.Open(path) && file.Write(data, len) && file.Commit();
    if (error)
        *error = file.Error();
    return ok;
}
