// The portable half of the OSYS time services: calendar arithmetic on broken-down UTC times, the
// fixed-format time texts and the unique-id rule.  The clock and the local time zone come from
// the platform layer (osystime_win32.cpp, osystime_posix.cpp).
#include "kestar/base/osystime.h"

#include <atomic>
#include <chrono>

namespace {

const int64_t kSecondsPerDay = 86400;

bool IsLeapYear(int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int64_t year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1-12); also before 1970.
int64_t DaysFromCivil(int64_t year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The inverse of DaysFromCivil.
void CivilFromDays(int64_t days, int64_t &year, int &month, int &day)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

} // namespace

namespace OSYS {

int64_t SystemTimeToTimeUtc(const SYSTIME &st)
{
    if (st.wYear < 1970 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
        st.wDay > DaysInMonth(st.wYear, st.wMonth) || st.wHour > 23 || st.wMinute > 59 ||
        st.wSecond > 59) {
        return -1;
    }
    return DaysFromCivil(st.wYear, st.wMonth, st.wDay) * kSecondsPerDay + st.wHour * 3600 +
           st.wMinute * 60 + st.wSecond;
}

SYSTIME TimeToSystemTimeUtc(int64_t time)
{
    SYSTIME st = {};
    // Floor division, so that times before 1970 land on the right day.
    int64_t days = time / kSecondsPerDay;
    int64_t rest = time % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        days -= 1;
    }
    int64_t year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days, year, month, day);
    if (year < 1601 || year > 30827) {
        return st;
    }
    st.wYear = static_cast<uint16_t>(year);
    st.wMonth = static_cast<uint16_t>(month);
    st.wDay = static_cast<uint16_t>(day);
    // 1970-01-01 was a Thursday.
    st.wDayOfWeek = static_cast<uint16_t>(((days % 7) + 7 + 4) % 7);
    st.wHour = static_cast<uint16_t>(rest / 3600);
    st.wMinute = static_cast<uint16_t>(rest / 60 % 60);
    st.wSecond = static_cast<uint16_t>(rest % 60);
    return st;
}

STRING FormatDateStamp(const SYSTIME &st)
{
    STRING text;
    text.Format("%04d-%02d-%02d", st.wYear, st.wMonth, st.wDay);
    return text;
}

STRING FormatTimeStamp(const SYSTIME &st)
{
    STRING text;
    text.Format("%02d:%02d:%02d", st.wHour, st.wMinute, st.wSecond);
    return text;
}

STRING FormatDateAndTime(const SYSTIME &st)
{
    STRING text;
    text.Format("%04d-%02d-%02d  %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay, st.wHour,
                st.wMinute, st.wSecond);
    return text;
}

STRING GetTimeStamp()
{
    return FormatTimeStamp(TimeToSystemTime(0));
}

STRING GetDateStamp()
{
    return FormatDateStamp(TimeToSystemTime(0));
}

STRING FormatDateTime(int64_t time)
{
    return FormatDateAndTime(TimeToSystemTime(time));
}

int64_t NextUniqueId(int64_t now, int64_t &last, uint32_t &counter)
{
    int64_t id;
    if (last < now) {
        counter = 0;
        id = now;
    } else {
        // In 64 bits: a counter of 0xFFFFFFFF (say, a damaged registry value) must not wrap to 0
        // and hand out an id that was given before.
        int64_t step = last - now;
        if (step < static_cast<int64_t>(counter)) {
            step = counter;
        }
        step += 1;
        counter = static_cast<uint32_t>(step);
        id = now + step;
    }
    last = id;
    return id;
}

int64_t GetClockMs(int reset)
{
    static std::atomic<int64_t> base{INT64_MIN};
    int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
    if (reset) {
        base.store(now);
        return 0;
    }
    int64_t b = base.load();
    if (b == INT64_MIN) {
        base.compare_exchange_strong(b, now);
        b = base.load();
    }
    return now - b;
}

} // namespace OSYS
