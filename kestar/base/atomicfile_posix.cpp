// The native stand-in of the atomic file replacement: open(O_EXCL) + fsync + rename(2).
#include "kestar/base/atomicfile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writes the whole buffer, retrying short writes and interrupted calls.
bool WriteAll(int fd, const char *p, size_t len)
{
    while (len > 0) {
        ssize_t n = ::write(fd, p, len);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        p += n;
        len -= static_cast<size_t>(n);
    }
    return true;
}

unsigned gTempCounter = 0; // only makes names distinct; O_EXCL settles any race

} // namespace

bool ATOMICFILE::WriteReplace(const char *path, const void *data, size_t len, int *error)
{
    if (error)
        *error = 0;
    if (!path || !*path || (len > 0 && !data)) {
        errno = EINVAL;
        if (error)
            *error = EINVAL;
        return false;
    }

    // Keep the mode of a file we replace; a new file gets the usual 0666 & ~umask.
    struct stat st;
    bool keepMode = ::stat(path, &st) == 0 && S_ISREG(st.st_mode);

    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; attempt++) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".~%x-%x.tmp", static_cast<unsigned>(::getpid()),
                      __atomic_add_fetch(&gTempCounter, 1, __ATOMIC_RELAXED));
        tmp = std::string(path) + suffix;
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    int err = 0;
    if (fd < 0) {
        err = errno;
    } else {
        bool ok = WriteAll(fd, static_cast<const char *>(data), len);
        if (ok && keepMode)
            ::fchmod(fd, st.st_mode & 07777);
        if (ok && ::fsync(fd) != 0)
            ok = false;
        if (!ok)
            err = errno;
        if (::close(fd) != 0 && ok) {
            ok = false;
            err = errno;
        }
        if (ok && ::rename(tmp.c_str(), path) != 0) {
            ok = false;
            err = errno;
        }
        if (!ok)
            ::unlink(tmp.c_str());
    }
    if (error)
        *error = err;
    errno = err;
    return err == 0;
}
