// The native stand-in of the log facility's private OS services (see logitos.h): POSIX files,
// the monotonic clock and Linux thread ids.  There is no message box here: an assertion goes on.
#include "kestar/base/logitos.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

pthread_mutex_t gLogLock = PTHREAD_RECURSIVE_MUTEX_INITIALIZER_NP;

void FromTimeT(time_t value, long nanoseconds, LOGITOS::DATETIME &t)
{
    struct tm tmv;
    localtime_r(&value, &tmv);
    t.year = tmv.tm_year + 1900;
    t.month = tmv.tm_mon + 1;
    t.day = tmv.tm_mday;
    t.hour = tmv.tm_hour;
    t.minute = tmv.tm_min;
    t.second = tmv.tm_sec;
    t.millisecond = static_cast<int>(nanoseconds / 1000000L);
}

bool HomeSubfolder(const char *sub, char *buffer, size_t size)
{
    if (size == 0)
        return false;
    buffer[0] = 0;
    const char *home = std::getenv("HOME");
    if (!home || !home[0])
        return false;
    char path[1024];
    std::snprintf(path, sizeof(path), "%s/%s", home, sub);
    struct stat st;
    if (stat(path, &st) == 0 && S_ISDIR(st.st_mode))
        std::snprintf(buffer, size, "%s", path);
    else
        std::snprintf(buffer, size, "%s", home);
    return true;
}

} // namespace

namespace LOGITOS {

void LockLog()
{
    pthread_mutex_lock(&gLogLock);
}

void UnlockLog()
{
    pthread_mutex_unlock(&gLogLock);
}

unsigned long long Counter()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<unsigned long long>(ts.tv_sec) * 1000000000ULL + static_cast<unsigned long long>(ts.tv_nsec);
}

unsigned long long CounterFrequency()
{
    return 1000000000ULL;
}

void *OpenLogFile(const char *name, bool append, bool writeThrough)
{
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC) | (writeThrough ? O_SYNC : 0);
    int fd = open(name, flags, 0644);
    if (fd < 0)
        return nullptr;
    // Handles are pointers; keep fd 0 apart from "none".
    return reinterpret_cast<void *>(static_cast<intptr_t>(fd) + 1);
}

void *StdErrOutput()
{
    return reinterpret_cast<void *>(static_cast<intptr_t>(STDERR_FILENO) + 1);
}

void *OpenConsole(bool &allocated)
{
    allocated = false;
    // A native program has its terminal already: the console is standard output.
    int fd = dup(STDOUT_FILENO);
    if (fd < 0)
        return nullptr;
    return reinterpret_cast<void *>(static_cast<intptr_t>(fd) + 1);
}

void CloseOutput(void *handle, bool)
{
    if (handle)
        close(static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1));
}

bool WriteOutput(void *handle, const char *data, size_t length)
{
    int fd = static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1);
    while (length > 0) {
        ssize_t n = write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

void DebuggerOutput(const char *)
{
    // No debugger channel natively.
}

bool AppendToFile(const char *name, const char *text)
{
    FILE *f = std::fopen(name, "a");
    if (!f)
        return false;
    bool ok = std::fputs(text, f) >= 0;
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

bool RemoveFile(const char *name)
{
    return unlink(name) == 0;
}

bool FileExists(const char *name)
{
    struct stat st;
    return stat(name, &st) == 0 && S_ISREG(st.st_mode);
}

bool IsAbsolutePath(const char *name)
{
    return name && name[0] == '/';
}

char PathSeparator()
{
    return '/';
}

int LastErrorCode()
{
    return errno;
}

void ErrorText(int code, char *buffer, size_t size)
{
    if (size == 0)
        return;
    buffer[0] = 0;
    if (code != 0)
        std::snprintf(buffer, size, "%s", std::strerror(code));
}

void LocalNow(DATETIME &now)
{
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    FromTimeT(ts.tv_sec, ts.tv_nsec, now);
}

bool DocumentsFolder(char *buffer, size_t size, bool)
{
    return HomeSubfolder("Documents", buffer, size);
}

bool DesktopFolder(char *buffer, size_t size)
{
    return HomeSubfolder("Desktop", buffer, size);
}

bool RunsAsSystemUser()
{
    return false;
}

bool ProgramPath(char *buffer, size_t size)
{
    if (size == 0)
        return false;
    ssize_t n = readlink("/proc/self/exe", buffer, size - 1);
    if (n <= 0) {
        buffer[0] = 0;
        return false;
    }
    buffer[n] = 0;
    return true;
}

bool FileSizeAndTime(const char *name, unsigned long &size, DATETIME &modified)
{
    struct stat st;
    if (stat(name, &st) != 0)
        return false;
    size = static_cast<unsigned long>(st.st_size);
    FromTimeT(st.st_mtim.tv_sec, st.st_mtim.tv_nsec, modified);
    return true;
}

bool AskYesNo(const char *caption, const char *text)
{
    std::fprintf(stderr, "%s\n%s\n(no user interface: going on)\n", caption, text);
    return true;
}

void Beep(unsigned, unsigned)
{
}

void ExitProcess(int code)
{
    std::fflush(nullptr);
    _exit(code);
}

} // namespace LOGITOS
