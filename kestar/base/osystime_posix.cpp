// The native stand-in of the OSYS time services' platform half: the C library's clock, local time
// zone (TZ) and locale formats.  The unique-id counter lives only in the process.
#include <cstdio>
#include <ctime>

#include "kestar/base/critsect.h"
#include "kestar/base/osystime.h"

namespace {

OSYS::SYSTIME FromTm(const std::tm &tm, int milliseconds)
{
    OSYS::SYSTIME st = {};
    st.wYear = static_cast<uint16_t>(tm.tm_year + 1900);
    st.wMonth = static_cast<uint16_t>(tm.tm_mon + 1);
    st.wDayOfWeek = static_cast<uint16_t>(tm.tm_wday);
    st.wDay = static_cast<uint16_t>(tm.tm_mday);
    st.wHour = static_cast<uint16_t>(tm.tm_hour);
    st.wMinute = static_cast<uint16_t>(tm.tm_min);
    st.wSecond = static_cast<uint16_t>(tm.tm_sec);
    st.wMilliseconds = static_cast<uint16_t>(milliseconds);
    return st;
}

bool ToTm(const OSYS::SYSTIME &st, std::tm &tm)
{
    tm = std::tm{};
    tm.tm_year = st.wYear - 1900;
    tm.tm_mon = st.wMonth - 1;
    tm.tm_mday = st.wDay;
    tm.tm_hour = st.wHour;
    tm.tm_min = st.wMinute;
    tm.tm_sec = st.wSecond;
    tm.tm_wday = st.wDayOfWeek;
    tm.tm_isdst = -1;
    return st.wYear != 0;
}

int MillisecondsNow()
{
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int>(ts.tv_nsec / 1000000);
}

// st in a strftime format; "<error>" when it cannot be formatted.
void Strftime(const OSYS::SYSTIME &st, const char *format, char *buffer, size_t size)
{
    std::tm tm;
    if (!ToTm(st, tm) || std::strftime(buffer, size, format, &tm) == 0) {
        std::snprintf(buffer, size, "%s", "<error>");
    }
}

} // namespace

namespace OSYS {

int64_t GetTime()
{
    return static_cast<int64_t>(std::time(nullptr));
}

SYSTIME TimeToSystemTime(int64_t time)
{
    std::time_t t = time == 0 ? std::time(nullptr) : static_cast<std::time_t>(time);
    std::tm tm;
    if (localtime_r(&t, &tm) == nullptr) {
        return SYSTIME{};
    }
    return FromTm(tm, MillisecondsNow());
}

int64_t SystemTimeToTime(const SYSTIME &st)
{
    std::tm tm;
    if (SystemTimeToTimeUtc(st) == -1 || !ToTm(st, tm)) {
        return -1;
    }
    return static_cast<int64_t>(std::mktime(&tm));
}

STRING FormatLocalDateTime(int64_t time)
{
    SYSTIME st = TimeToSystemTime(time);
    char date[256];
    char clock[256];
    Strftime(st, "%x", date, sizeof date);
    Strftime(st, "%H:%M:%S", clock, sizeof clock);
    STRING text;
    text.Format("%s  %s", date, clock);
    return text;
}

STRING GetDateString()
{
    char date[256];
    Strftime(TimeToSystemTime(0), "%x", date, sizeof date);
    return STRING(date);
}

STRING GetTimeString()
{
    char clock[256];
    Strftime(TimeToSystemTime(0), "%X", clock, sizeof clock);
    return STRING(clock);
}

uint32_t GetUniqueId()
{
    static CRITSECT lock;
    static int64_t last = 0;
    static uint32_t counter = 0;
    lock.Enter();
    uint32_t id = static_cast<uint32_t>(NextUniqueId(GetTime(), last, counter));
    lock.Leave();
    return id;
}

} // namespace OSYS
