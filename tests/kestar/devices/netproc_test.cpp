// The remote-procedure wire without sockets: headers, file announcements and received file names.
#include "kestar/devices/netproc.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(static_cast<const char *>(s), static_cast<size_t>(s.Length()));
}

TEST(NETPROCWIRE, RequestHeaders)
{
    EXPECT_EQ("\x01NETPROC::Call[id=0x0100] GETCALLERS\x0a\x02", Text(NETPROCWIRE::RequestHeader(0x100, "GETCALLERS", true)));
    EXPECT_EQ("\x01NETPROC::Post[id=0x00ff] LOGOUT\x0a\x02", Text(NETPROCWIRE::RequestHeader(0xff, "LOGOUT", false)));
    EXPECT_EQ("\x01NETPROC::Call[id=0x12345] PING\x0a\x02", Text(NETPROCWIRE::RequestHeader(0x12345, "PING", true)));
}

TEST(NETPROCWIRE, ReceivedHeadersAreCheckedAndGiveTheCommand)
{
    struct CASE {
        std::string header;
        bool valid;
        bool sync;
        const char *command;
    } cases[] = {
        {"\x01NETPROC::Call[id=0x0100] GETCALLERS\x0a\x02", true, true, "GETCALLERS"},
        {"\x01NETPROC::Post[id=0x0101] UPDATELISTVIEW\x0a\x02", true, false, "UPDATELISTVIEW"},
        {"\x01NETPROC::Call[id=0x0100] TWO WORDS\x0a\x02", true, true, "TWO"},
        {"\x01NETPROC::Call[id=0x0100]\x0a\x02", true, true, ""},
        {"\x01NETPROC::Post[x] A::Call[\x0a\x02", true, true, "A::Call["},
        {"\x01NETPROC::Call[id=0x0100] GETCALLERS\x02", false, false, ""},
        {"\x01NETPROC::Call[id=0x0100] GETCALLERS\x0a", false, false, ""},
        {"NETPROC::Call[id=0x0100] GETCALLERS\x0a\x02", false, false, ""},
        {"\x01NETPROC::Exec[id=0x0100] GETCALLERS\x0a\x02", false, false, ""},
        {"\x01netproc::call[id=0x0100] GETCALLERS\x0a\x02", false, false, ""},
        {"\x01NETPROC::Call\x0a\x02", false, false, ""},
        {"", false, false, ""},
    };
    for (const CASE &c : cases) {
        bool sync = false;
        STRING command("untouched");
        STRING header = STRING::FromBytes(c.header.data(), static_cast<STRING_SIZE_T>(c.header.size()));
        EXPECT_EQ(c.valid, NETPROCWIRE::ParseRequestHeader(header, &sync, command)) << c.header;
        if (c.valid) {
            EXPECT_EQ(c.sync, sync) << c.header;
            EXPECT_EQ(c.command, Text(command)) << c.header;
        }
    }
}

TEST(NETPROCWIRE, FileAnnouncements)
{
    struct CASE {
        const char *result;
        bool isFile;
        bool parses;
        const char *name;
        uint64_t size;
    } cases[] = {
        {"<file=fax.sff|1234>", true, true, "fax.sff", 1234},
        {"<FILE=Fax.SFF|0>", true, true, "Fax.SFF", 0},
        {"<file=a|b.wav|7>", true, true, "a|b.wav", 7},
        {"<file=big.bin|5000000000>", true, true, "big.bin", 5000000000ull},
        {"<file=fax.sff>", true, false, "", 0},
        {"<file=fax.sff|12x>", true, false, "", 0},
        {"<file=fax.sff|>", true, false, "", 0},
        {"<file=fax.sff|-1>", true, false, "", 0},
        {"<OK>", false, false, "", 0},
        {"<file=fax.sff|12", false, false, "", 0},
        {"x<file=fax.sff|12>", false, false, "", 0},
    };
    for (const CASE &c : cases) {
        STRING inner;
        ASSERT_EQ(c.isFile, NETPROCWIRE::IsFileResult(STRING(c.result), inner)) << c.result;
        if (!c.isFile)
            continue;
        STRING name;
        uint64_t size = 99;
        EXPECT_EQ(c.parses, NETPROCWIRE::ParseFileAnnouncement(inner, name, &size)) << c.result;
        if (c.parses) {
            EXPECT_EQ(c.name, Text(name)) << c.result;
            EXPECT_EQ(c.size, size) << c.result;
        }
    }
}

TEST(NETPROCWIRE, ReceivedFilesKeepOnlyASafeExtension)
{
    struct CASE {
        const char *name;
        const char *extension;
    } cases[] = {
        {"fax.sff", ".sff"},
        {"message.2024.wav", ".wav"},
        {"noextension", ""},
        {"", ""},
        {"trailingdot.", ""},
        {"..\\..\\windows\\evil.exe", ".exe"},
        {"x.\\..\\..\\evil", ""},
        {"x./../../evil", ""},
        {"c:evil.bat", ".bat"},
        {"name.s\\f:f", ""},
        {"odd.a b*c?", ".abc"},
        {"long.abcdefghijklmnopqrstuvwxyz", ".abcdefghijklmnop"},
        {"..", ""},
    };
    for (const CASE &c : cases)
        EXPECT_EQ(c.extension, Text(NETPROCWIRE::SafeExtension(c.name))) << c.name;
}

TEST(NETPROCWIRE, AnnouncedNamesLoseTheirFolder)
{
    EXPECT_EQ("fax.sff", Text(NETPROCWIRE::NameOfPath("C:\\spool\\fax.sff")));
    EXPECT_EQ("fax.sff", Text(NETPROCWIRE::NameOfPath("/tmp/fax.sff")));
    EXPECT_EQ("fax.sff", Text(NETPROCWIRE::NameOfPath("fax.sff")));
    EXPECT_EQ("", Text(NETPROCWIRE::NameOfPath("C:\\spool\\")));
}

} // namespace
