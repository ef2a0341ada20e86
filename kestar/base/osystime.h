// The time services of OSYS: the clock, the time and date texts, conversions between seconds since
// 1970 and broken-down times, and the process-wide unique ids.
//
// Times are signed 64-bit seconds since 1970-01-01 00:00 UTC.  The fixed-format texts are built
// here from a broken-down local time; the clock, the local time zone, the user's locale formats
// and the unique-id counter in the registry come from osystime_win32.cpp (osystime_posix.cpp in
// the native build).
#ifndef KESTAR_OSYSTIME_H
#define KESTAR_OSYSTIME_H

#include <cstdint>

#include "kestar/base/string.h"

namespace OSYS {

// A broken-down time in the layout of the Windows SYSTEMTIME record (eight 16-bit fields in this
// order), so that Win32 code can copy it into a SYSTEMTIME with memcpy.
struct SYSTIME {
    uint16_t wYear;
    uint16_t wMonth; // 1-12
    uint16_t wDayOfWeek; // 0 = Sunday
    uint16_t wDay;
    uint16_t wHour;
    uint16_t wMinute;
    uint16_t wSecond;
    uint16_t wMilliseconds;
};

// Now, in seconds since 1970.
int64_t GetTime();
// Local time now as "%02d:%02d:%02d" (hour, minute, second).
STRING GetTimeStamp();
// Local date now as "%04d-%02d-%02d".
STRING GetDateStamp();
// Local "%04d-%02d-%02d  %02d:%02d:%02d" (two blanks); time 0 means now.
STRING FormatDateTime(int64_t time);
// The user's short date, two blanks and the time as "HH:mm:ss" in the user's locale; time 0 means
// now.  A part that cannot be formatted reads "<error>".
STRING FormatLocalDateTime(int64_t time);
// Today in the user's short date format.
STRING GetDateString();
// The time now in the user's time format ("HH:mm:ss" when the locale's format cannot be read).
STRING GetTimeString();

// Local broken-down time of a time (0 = now); the milliseconds are those of the system clock now.
// A time that cannot be converted gives a record of zeros.
SYSTIME TimeToSystemTime(int64_t time);
// The broken-down time taken as UTC.  -1 for a year before 1970 and for fields out of range
// (month 1-12, day within the month, hour 0-23, minute and second 0-59); the day of week and the
// milliseconds are not read.
int64_t SystemTimeToTimeUtc(const SYSTIME &st);
// The broken-down time taken as local time, with the daylight-saving state that the local time
// zone has at that moment (not at the moment of the call).  -1 as for SystemTimeToTimeUtc.
int64_t SystemTimeToTime(const SYSTIME &st);

// The process's millisecond clock: milliseconds since a base time taken at the first call and
// whenever reset is non-zero (which returns 0).  Device time stamps and the keyboard's timing are
// read on it.  Safe to call from any thread.
int64_t GetClockMs(int reset = 0);

// A 32-bit id, never the same twice in this process and never smaller than the current time in
// seconds (low 32 bits).  The counter behind it is kept in the registry value "UniqueId" (4 bytes,
// REG_BINARY) under "Software\Orvak", in HKEY_LOCAL_MACHINE when that key can be written, else in
// HKEY_CURRENT_USER.  Safe to call from any thread.
uint32_t GetUniqueId();

// Building blocks of the platform layers, open to tests.

// The broken-down UTC time of a time (day of week set, milliseconds 0); zeros for a time whose
// year would fall outside 1601-30827.
SYSTIME TimeToSystemTimeUtc(int64_t time);
// "%04d-%02d-%02d", "%02d:%02d:%02d" and both joined by two blanks, of a broken-down time.
STRING FormatDateStamp(const SYSTIME &st);
STRING FormatTimeStamp(const SYSTIME &st);
STRING FormatDateAndTime(const SYSTIME &st);
// One step of the unique-id rule: with the current time now, the last id handed out and the
// counter (both updated), returns the next id (all 64 bits).  The caller holds the lock.
int64_t NextUniqueId(int64_t now, int64_t &last, uint32_t &counter);

} // namespace OSYS

#endif
