// Native stand-ins of the OSYS machine queries that portable code uses (names, version id, own
// file, error texts, counter, current folder).  Clipboard, autostart, sounds and the screen saver
// exist only in the Windows build.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <pwd.h>
#include <unistd.h>

#include "kestar/base/osysinfo.h"

namespace OSYS {

STRING GetUserName()
{
    struct passwd entry;
    struct passwd *found = nullptr;
    char buffer[1024];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr) {
        STRING empty;
        empty.SetNotNull();
        return empty;
    }
    return STRING(found->pw_name);
}

STRING GetComputerName()
{
    char name[256];
    if (gethostname(name, sizeof name) != 0) {
        return STRING("<N/A>");
    }
    name[sizeof name - 1] = '\0';
    return STRING(name);
}

int GetOsVersionId()
{
    if (GetOsVersionIdOverride() != -1)
        return GetOsVersionIdOverride();
    // The native build stands for a current system.
    return 9;
}

STRING GetProgramFile()
{
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        STRING empty;
        empty.SetNotNull();
        return empty;
    }
    path[length] = '\0';
    return STRING(path);
}

STRING GetLastErrorString(int code)
{
    const int saved = errno;
    const int error = code == LASTERROR ? saved : code;
    char text[256] = "<no error>";
    if (error != 0) {
        std::snprintf(text, sizeof text, "%s", std::strerror(error));
    }
    errno = saved;
    return STRING(text);
}

bool GetPerformanceCounter(int64_t *counter, int64_t *frequency)
{
    if (counter != nullptr) {
        timespec ts;
        clock_gettime(CLOCK_MONOTONIC, &ts);
        *counter = static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }
    if (frequency != nullptr) {
        *frequency = 1000000000;
    }
    return true;
}

STRING GetCurrentDirectory()
{
    char path[4096];
    if (getcwd(path, sizeof path) == nullptr) {
        STRING empty;
        empty.SetNotNull();
        return empty;
    }
    return STRING(path);
}

bool SetCurrentDirectory(const char *path)
{
    return path != nullptr && chdir(path) == 0;
}

STRING GetListSeparator()
{
    return STRING(",");
}

} // namespace OSYS
