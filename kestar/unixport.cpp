// UNIXPORT::MakeTempName: free file names for "<tmp>" and for files written under a temporary
// name.  The process-wide state is advanced under a lock, so two threads asking at the same
// moment work from different states.
#include "kestar/unixport.h"

#include "kestar/critsect.h"
#include "kestar/fsys.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

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
