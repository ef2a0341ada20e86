// The native stand-in of the streamed file replacement: open(O_EXCL) + write + fsync + rename(2).
#include "kestar/base/atomicwriter.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

unsigned gTempCounter = 0; // only makes names distinct; O_EXCL settles any race

} // namespace

ATOMICWRITER::ATOMICWRITER() : file(-1), error(0)
{
}

ATOMICWRITER::~ATOMICWRITER()
{
    // Keep the caller's last error: destroying an abandoned stream is no new failure.
    int last = errno;
    Abandon();
    errno = last;
}

void ATOMICWRITER::KeepError() const
{
    errno = error;
}

bool ATOMICWRITER::Fail(int code)
{
    if (error == 0)
        error = code != 0 ? code : EIO;
    Abandon();
    KeepError();
    return false;
}

bool ATOMICWRITER::Open(const char *path)
{
    if (IsOpen()) {
        // A second Open would lose the first stream's file: refused, the open stream goes on.
        errno = EINVAL;
        return false;
    }
    error = 0;
    if (!path || !*path)
        return Fail(EINVAL);

    // Keep the mode of a file we replace; a new file gets the usual 0666 & ~umask.
    struct stat st;
    const bool keepMode = ::stat(path, &st) == 0 && S_ISREG(st.st_mode);

    target = path;
    for (int attempt = 0; attempt < 100; attempt++) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".~%x-%x.tmp", static_cast<unsigned>(::getpid()),
                      __atomic_add_fetch(&gTempCounter, 1, __ATOMIC_RELAXED));
        temp = target + suffix;
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            file = fd;
            if (keepMode)
                ::fchmod(fd, st.st_mode & 07777);
            KeepError();
            return true;
        }
        if (errno != EEXIST)
            return Fail(errno);
    }
    return Fail(EEXIST);
}

bool ATOMICWRITER::Write(const void *data, size_t len)
{
    if (!IsOpen())
        return Fail(error != 0 ? error : EBADF);
    if (len > 0 && !data)
        return Fail(EINVAL);
    const char *p = static_cast<const char *>(data);
    while (len > 0) {
        ssize_t n = ::write(static_cast<int>(file), p, len);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fail(errno);
        }
        if (n == 0)
            return Fail(EIO);
        p += n;
        len -= static_cast<size_t>(n);
    }
    KeepError();
    return true;
}

bool ATOMICWRITER::Commit()
{
    if (!IsOpen())
        return Fail(error != 0 ? error : EBADF);
    // The flush makes the replacement safe: a crash after the rename must not find a file whose
    // blocks never reached the disk.
    if (::fsync(static_cast<int>(file)) != 0)
        return Fail(errno);
    // Closed here, so that a failure below removes the file by its name only.
    const int fd = static_cast<int>(file);
    file = -1;
    const bool ok = ::close(fd) == 0 && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        error = errno != 0 ? errno : EIO;
        ::unlink(temp.c_str());
    }
    KeepError();
    return ok;
}

void ATOMICWRITER::Abandon()
{
    if (!IsOpen())
        return;
    ::close(static_cast<int>(file));
    file = -1;
    ::unlink(temp.c_str());
}
