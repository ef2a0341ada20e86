// The Win32 half of the OSYS time services: the system clock, the local time zone (with the
// daylight-saving rule of the date converted, not of today) and the user's locale formats.
#include <windows.h>

#include <cstddef>
#include <cstring>

#include "kestar/base/critsect.h"
#include "kestar/base/logit.h"
#include "kestar/base/osystime.h"
#include "kestar/base/registry.h"

static_assert(sizeof(OSYS::SYSTIME) == sizeof(SYSTEMTIME), "SYSTIME must match SYSTEMTIME");
static_assert(offsetof(SYSTEMTIME, wMilliseconds) == offsetof(OSYS::SYSTIME, wMilliseconds),
              "SYSTIME must match SYSTEMTIME");

namespace {

// 100-ns intervals between 1601-01-01 (FILETIME) and 1970-01-01.
const int64_t kFileTimeOf1970 = 116444736000000000LL;

int64_t FileTimeNow()
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

SYSTEMTIME ToWin(const OSYS::SYSTIME &st)
{
    SYSTEMTIME out;
    std::memcpy(&out, &st, sizeof out);
    return out;
}

OSYS::SYSTIME FromWin(const SYSTEMTIME &st)
{
    OSYS::SYSTIME out;
    std::memcpy(&out, &st, sizeof out);
    return out;
}

// The user's short date of st (today when null); "<error>" when it cannot be formatted.
void ShortDate(const SYSTEMTIME *st, char *buffer, int size)
{
    if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, st, nullptr, buffer, size) <= 0) {
        lstrcpynA(buffer, "<error>", size);
    }
}

// The time of st (now when null) in a locale time format; "<error>" when it cannot be formatted.
void TimeText(const SYSTEMTIME *st, const char *format, char *buffer, int size)
{
    if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, st, format, buffer, size) <= 0) {
        lstrcpynA(buffer, "<error>", size);
    }
}

} // namespace

namespace OSYS {

int64_t GetTime()
{
    return (FileTimeNow() - kFileTimeOf1970) / 10000000;
}

SYSTIME TimeToSystemTime(int64_t time)
{
    SYSTEMTIME local = {};
    if (time == 0) {
        GetLocalTime(&local);
        return FromWin(local);
    }
    SYSTIME utc = TimeToSystemTimeUtc(time);
    if (utc.wYear == 0) {
        return SYSTIME{};
    }
    SYSTEMTIME winUtc = ToWin(utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &winUtc, &local)) {
        return SYSTIME{};
    }
    local.wMilliseconds = static_cast<WORD>(FileTimeNow() / 10000 % 1000);
    return FromWin(local);
}

int64_t SystemTimeToTime(const SYSTIME &st)
{
    if (SystemTimeToTimeUtc(st) == -1) {
        return -1;
    }
    SYSTEMTIME local = ToWin(st);
    local.wMilliseconds = 0;
    SYSTEMTIME utc;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc)) {
        return -1;
    }
    // Through FILETIME: a local time just after 1970-01-01 00:00 east of Greenwich lies before
    // 1970 in UTC, which SystemTimeToTimeUtc would refuse.
    FILETIME ft;
    if (!SystemTimeToFileTime(&utc, &ft)) {
        return -1;
    }
    int64_t ticks = static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
    return (ticks - kFileTimeOf1970) / 10000000;
}

STRING FormatLocalDateTime(int64_t time)
{
    SYSTEMTIME st = ToWin(TimeToSystemTime(time));
    char date[256];
    char clock[256];
    ShortDate(&st, date, sizeof date);
    TimeText(&st, "HH:mm:ss", clock, sizeof clock);
    STRING text;
    text.Format("%s  %s", date, clock);
    return text;
}

STRING GetDateString()
{
    char date[256];
    ShortDate(nullptr, date, sizeof date);
    return STRING(date);
}

STRING GetTimeString()
{
    char format[80];
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, format, sizeof format) <= 0) {
        std::strcpy(format, "HH:mm:ss");
    }
    char clock[256];
    TimeText(nullptr, format, clock, sizeof clock);
    return STRING(clock);
}

uint32_t GetUniqueId()
{
    // The state is process-wide; the lock keeps two threads from handing out the same id.
    static CRITSECT lock;
    static int64_t last = 0;
    static uint32_t counter = 0;
    lock.Enter();
    const int64_t now = GetTime();
    // The machine-wide counter when this user may write it, else the user's own.
    void *root = REGISTRY::KeyExists(HKEY_LOCAL_MACHINE, "Software\\Orvak", nullptr, REGISTRY::MODE_WRITE)
                     ? static_cast<void *>(HKEY_LOCAL_MACHINE)
                     : static_cast<void *>(HKEY_CURRENT_USER);
    REGISTRY key(root, "Software\\Orvak", nullptr, REGISTRY::MODE_CREATE);
    uint32_t stored = 0;
    unsigned long size = sizeof stored;
    if (key.Read("UniqueId", &stored, &size) && size == sizeof stored) {
        counter = stored;
    }
    const int64_t id = NextUniqueId(now, last, counter);
    if (!key.WriteBinary("UniqueId", &counter, sizeof counter)) {
        LOGIT::Printf("OSYS::GetUniqueId cannot store the counter\n");
    }
    lock.Leave();
    return static_cast<uint32_t>(id);
}

} // namespace OSYS
