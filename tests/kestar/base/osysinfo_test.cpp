// The OSYS system information: the operating-system table, the colour mix, and the machine
// queries that portable code relies on.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "kestar/base/osysinfo.h"

namespace {

std::string Text(const STRING &s)
{
    return s.Buffer ? std::string(s.Buffer, static_cast<size_t>(s.StrLen)) : std::string("<NULL>");
}

} // namespace

TEST(OSYSINFO, OsVersionTable)
{
    struct Case {
        bool nt;
        unsigned major, minor;
        int id;
        const char *name;
    };
    const Case cases[] = {
        {false, 4, 10, 0, "Windows 95/98"}, {false, 10, 0, 0, "Windows 95/98"},
        {true, 3, 51, 1, "Windows NT4"},    {true, 4, 0, 1, "Windows NT4"},
        {true, 5, 0, 2, "Windows 2000"},    {true, 5, 1, 3, "Windows XP"},
        {true, 5, 2, 4, "Windows 2003 family"}, {true, 5, 7, 4, "Windows 2003 family"},
        {true, 6, 0, 5, "Windows Vista"},   {true, 6, 1, 6, "Windows 7"},
        {true, 6, 2, 7, "Windows 8"},       {true, 6, 3, 8, "Windows 8.1"},
        {true, 6, 4, 5, "Windows Vista"},   {true, 7, 0, 1, "Windows NT4"},
        {true, 9, 9, 1, "Windows NT4"},     {true, 10, 0, 9, "Windows 10"},
        {true, 11, 2, 9, "Windows 10"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.nt << " " << c.major << "." << c.minor);
        int id = OSYS::OsVersionId(c.nt, c.major, c.minor);
        EXPECT_EQ(id, c.id);
        EXPECT_EQ(Text(OSYS::OsVersionName(id)), c.name);
    }
    EXPECT_EQ(Text(OSYS::OsVersionName(10)), "<unknown type 10>");
    EXPECT_EQ(Text(OSYS::OsVersionName(-1)), "<unknown type -1>");

    int running = OSYS::GetOsVersionId();
    EXPECT_GE(running, 0);
    EXPECT_LE(running, 9);
    EXPECT_EQ(Text(OSYS::GetOsVersionName()), Text(OSYS::OsVersionName(running)));
}

TEST(OSYSINFO, MixColors)
{
    struct Case {
        uint32_t a, b;
        int percent;
        uint32_t mixed;
    };
    const Case cases[] = {
        {0x00000000, 0xFFFFFFFF, 0, 0x00000000},   {0x00000000, 0xFFFFFFFF, 100, 0xFFFFFFFF},
        {0x00000000, 0xFFFFFFFF, 50, 0x7F7F7F7F},  {0xFFFFFFFF, 0x00000000, 50, 0x80808080},
        {0x11223344, 0x55667788, 25, 0x22334455},  {0x80FF0010, 0x00000000, 10, 0x74E6000F},
        {0x12345678, 0x9ABCDEF0, 0, 0x12345678},   {0x12345678, 0x9ABCDEF0, 100, 0x9ABCDEF0},
        {0x00000000, 0xFFFFFFFF, -5, 0x00000000},  {0x00000000, 0xFFFFFFFF, 250, 0xFFFFFFFF},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.a << " " << c.b << " " << std::dec << c.percent);
        EXPECT_EQ(OSYS::MixColors(c.a, c.b, c.percent), c.mixed);
    }
}

TEST(OSYSINFO, NamesAndOwnFile)
{
    EXPECT_FALSE(Text(OSYS::GetUserName()).empty());
    std::string computer = Text(OSYS::GetComputerName());
    EXPECT_FALSE(computer.empty());
    EXPECT_NE(computer, "<N/A>");
    EXPECT_EQ(Text(OSYS::GetStationName()), computer);

    std::string program = Text(OSYS::GetProgramFile());
#if defined(_WIN32)
    const std::string ending = "kestar_base_tests.exe";
#else
    const std::string ending = "kestar_base_tests";
#endif
    ASSERT_GE(program.size(), ending.size());
    EXPECT_EQ(program.substr(program.size() - ending.size()), ending) << program;
    std::FILE *self = std::fopen(program.c_str(), "rb");
    EXPECT_NE(self, nullptr) << program;
    if (self) {
        std::fclose(self);
    }
}

TEST(OSYSINFO, LastErrorString)
{
#if defined(_WIN32)
    const int known = ERROR_FILE_NOT_FOUND;
    SetLastError(known);
#else
    const int known = ENOENT;
    errno = known;
#endif
    std::string last = Text(OSYS::GetLastErrorString());
#if defined(_WIN32)
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(known)) << "the thread's last error must stay";
#else
    EXPECT_EQ(errno, known);
#endif
    EXPECT_EQ(last, Text(OSYS::GetLastErrorString(known)));
    EXPECT_FALSE(last.empty());
    EXPECT_NE(last, "<no error>");
    ASSERT_FALSE(last.empty());
    EXPECT_NE(last.back(), '\n');
    EXPECT_NE(last.back(), '\r');
    EXPECT_EQ(last.find('\n'), std::string::npos) << last;
#if defined(_WIN32)
    EXPECT_EQ(Text(OSYS::GetLastErrorString(0x2000F00D)), "<no error>");
#endif
}

TEST(OSYSINFO, PerformanceCounter)
{
    int64_t first = 0;
    int64_t second = 0;
    int64_t frequency = 0;
    ASSERT_TRUE(OSYS::GetPerformanceCounter(&first, &frequency));
    EXPECT_GT(frequency, 0);
    ASSERT_TRUE(OSYS::GetPerformanceCounter(&second, nullptr));
    EXPECT_GE(second, first);
    frequency = 0;
    EXPECT_TRUE(OSYS::GetPerformanceCounter(nullptr, &frequency));
    EXPECT_GT(frequency, 0);
    EXPECT_TRUE(OSYS::GetPerformanceCounter(nullptr, nullptr));
}

TEST(OSYSINFO, CurrentDirectory)
{
    std::string saved = Text(OSYS::GetCurrentDirectory());
    ASSERT_FALSE(saved.empty());
    std::string program = Text(OSYS::GetProgramFile());
    std::string folder = program.substr(0, program.find_last_of("\\/"));
    ASSERT_TRUE(OSYS::SetCurrentDirectory(folder.c_str())) << folder;
    EXPECT_EQ(Text(OSYS::GetCurrentDirectory()), folder);
    EXPECT_FALSE(OSYS::SetCurrentDirectory((folder + "/no such folder").c_str()));
    EXPECT_FALSE(OSYS::SetCurrentDirectory(nullptr));
    EXPECT_EQ(Text(OSYS::GetCurrentDirectory()), folder);
    EXPECT_TRUE(OSYS::SetCurrentDirectory(saved.c_str()));
}
