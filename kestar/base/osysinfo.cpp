// The portable part of the OSYS system information: the operating-system table and the colour
// mix.  The platform queries are in osysinfo_win32.cpp (osysinfo_posix.cpp natively).
#include "kestar/base/osysinfo.h"

#include "kestar/base/keyboard.h"

namespace OSYS {

int OsVersionId(bool ntPlatform, unsigned major, unsigned minor)
{
    if (!ntPlatform) {
        return 0;
    }
    if (major > 9) {
        return 9;
    }
    if (major == 5) {
        return minor == 0 ? 2 : minor == 1 ? 3 : 4;
    }
    if (major == 6) {
        static const int ids[4] = {5, 6, 7, 8};
        // 6.x beyond 6.3 never shipped as a release; it counts as the first 6.x.
        return minor < 4 ? ids[minor] : 5;
    }
    return 1; // NT 3.x and 4, and the versions 7 to 9 that never existed
}

STRING OsVersionName(int id)
{
    static const char *const names[10] = {
        "Windows 95/98", "Windows NT4",   "Windows 2000", "Windows XP",  "Windows 2003 family",
        "Windows Vista", "Windows 7",     "Windows 8",    "Windows 8.1", "Windows 10",
    };
    if (id < 0 || id > 9) {
        STRING text;
        text.Format("<unknown type %d>", id);
        return text;
    }
    return STRING(names[id]);
}

STRING GetOsVersionName()
{
    return OsVersionName(GetOsVersionId());
}

STRING GetStationName()
{
    return GetComputerName();
}

uint32_t MixColors(uint32_t colourA, uint32_t colourB, int percent)
{
    if (percent < 0) {
        percent = 0;
    } else if (percent > 100) {
        percent = 100;
    }
    uint32_t mixed = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = static_cast<int>((colourA >> shift) & 0xFF);
        const int b = static_cast<int>((colourB >> shift) & 0xFF);
        // C++ division cuts towards zero, also for a negative difference.
        const int channel = a + (b - a) * percent / 100;
        mixed |= static_cast<uint32_t>(channel) << shift;
    }
    return mixed;
}

int SetScrollLock(int mode)
{
    return KEYBOARD::GetInstance()->SetToggleKey(0x91, mode);
}

namespace {
// Set by tests only, before the code under test runs.
int gOsVersionIdOverride = -1;
} // namespace

void SetOsVersionIdOverride(int id)
{
    gOsVersionIdOverride = id;
}

int GetOsVersionIdOverride()
{
    return gOsVersionIdOverride;
}

} // namespace OSYS
