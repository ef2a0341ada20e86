// UNIXPORT::MakeTempName: free file names for "<tmp>" and for files written under a temporary
// name.  The process-wide state is advanced under a lock, so two threads asking at the same
// moment work from different states.
#include "kestar/base/unixport.h"

#include "kestar/base/critsect.h"
#include "kestar/base/fsys.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

namespace UNIXPORT {

namespace {

const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

CRITSECT &StateLock()
{
    static CRITSECT lock;
    return lock;
}

uint64_t gState = 0; // guarded by StateLock()
uint64_t gCalls = 0; // guarded by StateLock()

// A well-spread 64-bit value from another, so that calls in the same microsecond still differ.
uint64_t Spread(uint64_t z)
{
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Mixes the time of day and the process id into the process state once per call and hands the
// caller its own starting value.
uint64_t NextStart()
{
    auto now = std::chrono::system_clock::now().time_since_epoch();
    uint64_t usec = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
    uint64_t sec = usec / 1000000u;
    StateLock().Enter();
    gCalls++;
    gState += ((usec % 1000000u) << 16) ^ sec ^ (static_cast<uint64_t>(FSYS::ProcessId()) << 32);
    uint64_t start = Spread(gState ^ (gCalls << 48) ^ gCalls);
    StateLock().Leave();
    return start;
}

} // namespace

bool MakeTempName(char *templ)
{
    size_t len = templ ? std::strlen(templ) : 0;
    if (len < 6 || std::strcmp(templ + len - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return false;
    }
    char *x = templ + len - 6;
    uint64_t state = NextStart();
    for (int attempt = 0; attempt < 62 * 62; attempt++) {
        uint64_t v = state;
        for (int i = 0; i < 5; i++) {
            x[i] = kLetters[v % 62];
            v /= 62;
        }
        x[5] = kLetters[v % 62];
        switch (FSYS::Probe(templ)) {
        case FSYS::PROBE_MISSING:
            return true;
        case FSYS::PROBE_EXISTS:
            break;
        default:
            errno = EIO;
            return false;
        }
        state += 1234;
    }
    errno = EEXIST;
    return false;
}

} // namespace UNIXPORT

// ---- Bounded texts ------------------------------------------------------------------------------

namespace UNIXPORT {

int StrCopy(char *destination, size_t size, const char *source)
{
    if (destination == nullptr || size == 0)
        return -1;
    if (source == nullptr)
        source = "";
    size_t len = std::strlen(source);
    if (len < size) {
        std::memcpy(destination, source, len + 1);
        return static_cast<int>(len);
    }
    std::memcpy(destination, source, size - 1);
    destination[size - 1] = 0;
    return -1;
}

int StrCat(char *destination, size_t size, const char *text)
{
    if (destination == nullptr || size == 0)
        return -1;
    const void *end = std::memchr(destination, 0, size);
    if (end == nullptr)
        return -1;
    size_t used = static_cast<const char *>(end) - destination;
    int n = StrCopy(destination + used, size - used, text);
    return n < 0 ? -1 : static_cast<int>(used) + n;
}

int VFormat(char *destination, size_t size, const char *format, va_list arguments)
{
    if (format == nullptr)
        format = "";
    if (std::strcmp(format, "%s") == 0) {
        const char *text = va_arg(arguments, const char *);
        if (text == nullptr)
            text = "(null)";
        int len = static_cast<int>(std::strlen(text));
        StrCopy(destination, size, text);
        return len;
    }
    if (destination == nullptr)
        size = 0;
    // The C99 formatter everywhere: the msvcrt one neither terminates a cut text nor reports the
    // length needed.
#if defined(__MINGW32__)
    int n = __mingw_vsnprintf(destination, size, format, arguments);
#else
    int n = std::vsnprintf(destination, size, format, arguments);
#endif
    if (size > 0) {
        if (n < 0)
            destination[0] = 0;
        else
            destination[size - 1 < static_cast<size_t>(n) ? size - 1 : n] = 0;
    }
    return n;
}

int Format(char *destination, size_t size, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int n = VFormat(destination, size, format, arguments);
    va_end(arguments);
    return n;
}

int FormatWide(wchar_t *destination, size_t size, const wchar_t *format, ...)
{
    if (destination == nullptr)
        size = 0;
    if (size > 0)
        destination[0] = 0;
    if (format == nullptr)
        return 0;
    // vswprintf reports only failure when the text does not fit, so the full text is formatted
    // into a buffer that grows until it does; that also yields the length it needs.
    std::vector<wchar_t> full(size > 256 ? size + 1 : 256);
    int n = -1;
    while (full.size() <= (1u << 24)) {
        va_list again;
        va_start(again, format);
        n = std::vswprintf(full.data(), full.size(), format, again);
        va_end(again);
        if (n >= 0 && static_cast<size_t>(n) < full.size() - 1)
            break;
        n = -1;
        full.resize(full.size() * 4);
    }
    if (n < 0)
        return -1;
    if (size > 0) {
        size_t keep = static_cast<size_t>(n) < size ? n : size - 1;
        std::wmemcpy(destination, full.data(), keep);
        destination[keep] = 0;
    }
    return n;
}

} // namespace UNIXPORT
