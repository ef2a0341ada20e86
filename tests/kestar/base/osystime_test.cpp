// The OSYS time services: calendar arithmetic and fixed-format texts against fixed times, the
// local-time conversions against each other, and the unique-id rule.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "kestar/base/osysthread.h"
#include "kestar/base/osystime.h"

namespace {

std::string Text(const STRING &s)
{
    return s.Buffer ? std::string(s.Buffer, static_cast<size_t>(s.StrLen)) : std::string("<NULL>");
}

OSYS::SYSTIME Make(int year, int month, int day, int hour, int minute, int second)
{
    OSYS::SYSTIME st = {};
    st.wYear = static_cast<uint16_t>(year);
    st.wMonth = static_cast<uint16_t>(month);
    st.wDay = static_cast<uint16_t>(day);
    st.wHour = static_cast<uint16_t>(hour);
    st.wMinute = static_cast<uint16_t>(minute);
    st.wSecond = static_cast<uint16_t>(second);
    return st;
}

// The local time zone's offset from UTC at time t, in seconds.
int64_t LocalOffset(int64_t t)
{
    return OSYS::SystemTimeToTimeUtc(OSYS::TimeToSystemTime(t)) - t;
}

bool Matches(const std::string &text, const char *pattern) // 'd' = a digit, else literally
{
    if (text.size() != std::strlen(pattern)) {
        return false;
    }
    for (size_t i = 0; i < text.size(); i++) {
        if (pattern[i] == 'd' ? !(text[i] >= '0' && text[i] <= '9') : text[i] != pattern[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

TEST(OSYSTIME, UtcConversionsOfFixedTimes)
{
    struct Case {
        int year, month, day, hour, minute, second;
        int64_t time;
        int dayOfWeek;
        const char *text;
    };
    const Case cases[] = {
        {1970, 1, 1, 0, 0, 0, 0, 4, "1970-01-01  00:00:00"},
        {1970, 1, 2, 0, 0, 0, 86400, 5, "1970-01-02  00:00:00"},
        {1999, 12, 31, 23, 59, 59, 946684799, 5, "1999-12-31  23:59:59"},
        {2000, 2, 29, 12, 34, 56, 951827696, 2, "2000-02-29  12:34:56"},
        {2038, 1, 19, 3, 14, 8, 2147483648LL, 2, "2038-01-19  03:14:08"},
        {2100, 3, 1, 0, 0, 0, 4107542400LL, 1, "2100-03-01  00:00:00"},
        {2400, 2, 29, 1, 2, 3, 13574566923LL, 2, "2400-02-29  01:02:03"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        OSYS::SYSTIME st = Make(c.year, c.month, c.day, c.hour, c.minute, c.second);
        EXPECT_EQ(OSYS::SystemTimeToTimeUtc(st), c.time);
        OSYS::SYSTIME back = OSYS::TimeToSystemTimeUtc(c.time);
        EXPECT_EQ(back.wYear, c.year);
        EXPECT_EQ(back.wMonth, c.month);
        EXPECT_EQ(back.wDay, c.day);
        EXPECT_EQ(back.wHour, c.hour);
        EXPECT_EQ(back.wMinute, c.minute);
        EXPECT_EQ(back.wSecond, c.second);
        EXPECT_EQ(back.wDayOfWeek, c.dayOfWeek);
        EXPECT_EQ(Text(OSYS::FormatDateAndTime(back)), c.text);
    }
}

TEST(OSYSTIME, UtcConversionRefusesWhatIsNoTime)
{
    const OSYS::SYSTIME cases[] = {
        Make(1969, 12, 31, 23, 59, 59), // before 1970
        Make(1601, 1, 1, 0, 0, 0),      Make(2021, 0, 1, 0, 0, 0),  Make(2021, 13, 1, 0, 0, 0),
        Make(2021, 2, 29, 0, 0, 0),     Make(1900 + 200, 2, 29, 0, 0, 0), Make(2021, 4, 31, 0, 0, 0),
        Make(2021, 1, 0, 0, 0, 0),      Make(2021, 1, 1, 24, 0, 0), Make(2021, 1, 1, 0, 60, 0),
        Make(2021, 1, 1, 0, 0, 60),
    };
    for (const OSYS::SYSTIME &st : cases) {
        SCOPED_TRACE(Text(OSYS::FormatDateAndTime(st)));
        EXPECT_EQ(OSYS::SystemTimeToTimeUtc(st), -1);
        EXPECT_EQ(OSYS::SystemTimeToTime(st), -1);
    }
    // Before 1601 and after 30827 there is no broken-down time.
    EXPECT_EQ(OSYS::TimeToSystemTimeUtc(-11644473601LL).wYear, 0);
    EXPECT_EQ(OSYS::TimeToSystemTimeUtc(-11644473600LL).wYear, 1601);
    EXPECT_EQ(OSYS::TimeToSystemTimeUtc(-1).wYear, 1969);
    EXPECT_EQ(OSYS::TimeToSystemTimeUtc(-1).wSecond, 59);
}

TEST(OSYSTIME, FixedFormatTexts)
{
    OSYS::SYSTIME st = Make(2001, 2, 3, 4, 5, 6);
    EXPECT_EQ(Text(OSYS::FormatDateStamp(st)), "2001-02-03");
    EXPECT_EQ(Text(OSYS::FormatTimeStamp(st)), "04:05:06");
    EXPECT_EQ(Text(OSYS::FormatDateAndTime(st)), "2001-02-03  04:05:06");

    EXPECT_TRUE(Matches(Text(OSYS::GetTimeStamp()), "dd:dd:dd")) << Text(OSYS::GetTimeStamp());
    EXPECT_TRUE(Matches(Text(OSYS::GetDateStamp()), "dddd-dd-dd")) << Text(OSYS::GetDateStamp());
}

TEST(OSYSTIME, FormatDateTimeIsLocalTime)
{
    const int64_t times[] = {86400, 951827696, 1790000000, 2147483648LL};
    for (int64_t t : times) {
        SCOPED_TRACE(t);
        const int64_t offset = LocalOffset(t);
        EXPECT_EQ(Text(OSYS::FormatDateTime(t)),
                  Text(OSYS::FormatDateAndTime(OSYS::TimeToSystemTimeUtc(t + offset))));
    }
    if (LocalOffset(86400) == 0) { // the test runs pin UTC
        EXPECT_EQ(Text(OSYS::FormatDateTime(86400)), "1970-01-02  00:00:00");
    }
    // 0 is now (read twice in case a second boundary falls between the calls).
    std::string now = Text(OSYS::FormatDateTime(0));
    if (now != Text(OSYS::FormatDateTime(OSYS::GetTime()))) {
        now = Text(OSYS::FormatDateTime(0));
        EXPECT_EQ(now, Text(OSYS::FormatDateTime(OSYS::GetTime())));
    }
}

TEST(OSYSTIME, LocalConversionsRoundTrip)
{
    const int64_t times[] = {86400, 951827696, 1751371200 /* July */, 1766664000 /* December */,
                             2147483648LL};
    for (int64_t t : times) {
        SCOPED_TRACE(t);
        OSYS::SYSTIME local = OSYS::TimeToSystemTime(t);
        EXPECT_NE(local.wYear, 0);
        EXPECT_EQ(OSYS::SystemTimeToTime(local), t);
    }
    OSYS::SYSTIME now = OSYS::TimeToSystemTime(0);
    int64_t nowTime = OSYS::SystemTimeToTime(now);
    EXPECT_LE(nowTime, OSYS::GetTime());
    EXPECT_GE(nowTime, OSYS::GetTime() - 2);
    EXPECT_LT(now.wMilliseconds, 1000);
}

#if !defined(_WIN32)
// Natively the time zone can be switched: a summer time converted in winter (and the other way)
// must use the daylight-saving state of its own date.
TEST(OSYSTIME, LocalConversionUsesTheDaylightSavingOfTheDate)
{
    const char *saved = std::getenv("TZ");
    std::string savedValue = saved ? saved : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    struct Case {
        int64_t time;
        int hour; // local
    };
    const Case cases[] = {
        {1751371200, 14}, // 2025-07-01 12:00 UTC, summer: UTC+2
        {1766664000, 13}, // 2025-12-25 12:00 UTC, winter: UTC+1
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.time);
        OSYS::SYSTIME local = OSYS::TimeToSystemTime(c.time);
        EXPECT_EQ(local.wHour, c.hour);
        EXPECT_EQ(OSYS::SystemTimeToTime(local), c.time);
    }
    if (saved) {
        setenv("TZ", savedValue.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}
#endif

TEST(OSYSTIME, LocaleTexts)
{
    std::string both = Text(OSYS::FormatLocalDateTime(3723));
    EXPECT_EQ(both.find("<error>"), std::string::npos) << both;
    size_t gap = both.find("  ");
    ASSERT_NE(gap, std::string::npos) << both;
    EXPECT_GT(gap, 0u) << both;
    EXPECT_TRUE(Matches(both.substr(gap + 2), "dd:dd:dd")) << both;
    if (LocalOffset(3723) == 0) {
        EXPECT_EQ(both.substr(gap + 2), "01:02:03");
    }
    std::string date = Text(OSYS::GetDateString());
    std::string time = Text(OSYS::GetTimeString());
    EXPECT_FALSE(date.empty());
    EXPECT_FALSE(time.empty());
    EXPECT_EQ(date.find("<error>"), std::string::npos);
    EXPECT_EQ(time.find("<error>"), std::string::npos);
}

TEST(OSYSTIME, UniqueIdRule)
{
    struct Step {
        int64_t now;
        int64_t id;
    };
    // Three calls in one second, then the next second: ids stay above every id before them.
    const Step steps[] = {{1000, 1000}, {1000, 1001}, {1000, 1002}, {1001, 1004}, {1005, 1005}, {1005, 1006}};
    int64_t last = 0;
    uint32_t counter = 0;
    for (const Step &s : steps) {
        SCOPED_TRACE(s.now);
        EXPECT_EQ(OSYS::NextUniqueId(s.now, last, counter), s.id);
        EXPECT_EQ(last, s.id);
    }
    // A counter of 0xFFFFFFFF (from another process, or damaged) must not wrap back to now.
    last = 5000;
    counter = 0xFFFFFFFFu;
    int64_t id = OSYS::NextUniqueId(5000, last, counter);
    EXPECT_GT(id, 5000);
    EXPECT_GT(OSYS::NextUniqueId(5000, last, counter), id);
}

TEST(OSYSTIME, GetUniqueIdIsNeverRepeatedAndNotBeforeNow)
{
    const uint32_t before = static_cast<uint32_t>(OSYS::GetTime());
    uint32_t previous = 0;
    for (int i = 0; i < 50; i++) {
        uint32_t id = OSYS::GetUniqueId();
        EXPECT_GE(id, before);
        if (i > 0) {
            EXPECT_GT(id, previous);
        }
        previous = id;
    }
}

namespace {

unsigned CollectIds(void *argument)
{
    OSYS::InitThreadCrashHandler();
    std::vector<uint32_t> *ids = static_cast<std::vector<uint32_t> *>(argument);
    for (size_t i = 0; i < ids->size(); i++) {
        (*ids)[i] = OSYS::GetUniqueId();
    }
    return 0;
}

} // namespace

TEST(OSYSTIME, GetUniqueIdFromManyThreadsHandsOutEveryIdOnce)
{
    const int kThreads = 4;
    std::vector<std::vector<uint32_t>> ids(kThreads, std::vector<uint32_t>(100));
    void *threads[kThreads];
    for (int t = 0; t < kThreads; t++) {
        threads[t] = OSYS::CreateThread(CollectIds, &ids[t]);
        ASSERT_NE(threads[t], nullptr);
    }
    for (int t = 0; t < kThreads; t++) {
        ASSERT_TRUE(OSYS::WaitThread(threads[t], -1));
    }
    std::set<uint32_t> all;
    for (const std::vector<uint32_t> &list : ids) {
        all.insert(list.begin(), list.end());
    }
    EXPECT_EQ(all.size(), static_cast<size_t>(kThreads * 100));
}
