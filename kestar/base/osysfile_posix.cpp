// File services of the string classes in the native build: plain POSIX calls; errno carries the
// reason of a failure.
#include "kestar/base/osysfile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

FILE *OSYSFILE::Open(const char *path, const char *mode)
{
    if (path == nullptr || mode == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    return fopen(path, mode);
}

long long OSYSFILE::Size(const char *path)
{
    struct stat st;
    if (path == nullptr || stat(path, &st) != 0 || S_ISDIR(st.st_mode))
        return -1;
    return static_cast<long long>(st.st_size);
}

bool OSYSFILE::Commit(FILE *stream)
{
    if (stream == nullptr)
        return false;
    return fsync(fileno(stream)) == 0;
}

bool OSYSFILE::Exists(const char *path)
{
    struct stat st;
    return path != nullptr && stat(path, &st) == 0;
}

void OSYSFILE::LastErrorText(char *text, size_t size)
{
    if (text == nullptr || size == 0)
        return;
    const char *msg = strerror(errno);
    strncpy(text, msg != nullptr ? msg : "unknown error", size - 1);
    text[size - 1] = 0;
}

bool FileExists(const char *path)
{
    struct stat st;
    return path != nullptr && stat(path, &st) == 0 && !S_ISDIR(st.st_mode);
}
