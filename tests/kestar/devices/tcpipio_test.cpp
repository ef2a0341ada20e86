// The portable part of the TCP device: peer texts, own ids, error texts and dump lines.
#include "kestar/devices/tcpipio.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(static_cast<const char *>(s), static_cast<size_t>(s.Length()));
}

TEST(TCP, PeerTextsSplitIntoHostAndPort)
{
    struct CASE {
        const char *peer;
        const char *host;
        const char *port;
    } cases[] = {
        {"server", "server", "23"},
        {"server:6666", "server", "6666"},
        {"server 6666", "server", "6666"},
        {"  ::*#server:6666", "server", "6666"},
        {"[::1]:6666", "::1", "6666"},
        {"[fe80::1%4]:6667", "fe80::1%4", "6667"},
        {"[::1]", "::1", "23"},
        {"127.0.0.1:6666", "127.0.0.1", "6666"},
        {"010.000.000.005:6666", "10.0.0.5", "6666"},
        {"010.000.000.005", "10.0.0.5", "23"},
        {"1.2.3", "1.2.3", "23"},
        {"10.0.0.5a", "10.0.0.5a", "23"},
        {"server:telnet", "server", "telnet"},
        {"server:6666:extra", "server", "6666"},
        {"server:0", "server", "0"},
        {"server:", "server", "23"},
        {"", "", "23"},
    };
    for (const CASE &c : cases) {
        STRING host, port;
        TCP::SplitPeerText(c.peer, host, port);
        EXPECT_EQ(c.host, Text(host)) << c.peer;
        EXPECT_EQ(c.port, Text(port)) << c.peer;
    }
    STRING host, port;
    TCP::SplitPeerText("server", host, port, 6666);
    EXPECT_EQ("6666", Text(port));
}

TEST(TCP, OwnIdsKeepThePortFirst)
{
    struct CASE {
        const char *text;
        const char *ownId;
        int port;
        const char *host;
    } cases[] = {
        {"6667", "6667", 6667, "<NULL>"},
        {"myhost:6667", "6667[myhost]", 6667, "myhost"},
        {"[::1]:6667", "6667[::1]", 6667, "::1"},
        {"127.0.0.1:0", "0[127.0.0.1]", 0, "127.0.0.1"},
        {"6667[myhost]", "6667[myhost]", 6667, "myhost"},
        {"myhost:port", "myhost:port", 0, "<NULL>"},
        {"a:b:6667", "a:b:6667", 0, "<NULL>"},
        {"0", "0", 0, "<NULL>"},
    };
    for (const CASE &c : cases) {
        STRING own = TCP::OwnIdFromText(c.text);
        EXPECT_EQ(c.ownId, Text(own)) << c.text;
        EXPECT_EQ(c.port, TCP::PortOfOwnId(own)) << c.text;
        EXPECT_EQ(c.host, Text(TCP::HostOfOwnId(own))) << c.text;
    }
}

TEST(TCP, ErrorNumbersHaveTextsAndClasses)
{
    struct CASE {
        int error;
        const char *text;
        int errorClass;
    } cases[] = {
        {0, "No Error", 200},
        {4096, "No response. (refused)", 400},
        {4097, "No TCP/IP socket or service. (refused)", 500},
        {4098, "Host not found. (refused)", 500},
        {4099, "Remote disconnected", 500},
        {4100, "Recv failed", 500},
        {4101, "Error Ioctl failed. (refused)", 500},
        {4102, "Listen failed. (refused)", 500},
        {4103, "Accept failed. (refused)", 500},
        {4104, "Bind failed. (refused)", 500},
        {4105, "4105", 599},
        {-1, "-1", 599},
    };
    for (const CASE &c : cases) {
        EXPECT_EQ(c.text, Text(TCP::ErrorText(c.error, "refused"))) << c.error;
        EXPECT_EQ(c.errorClass, TCP::ErrorClass(c.error)) << c.error;
    }
    EXPECT_EQ("No response. ()", Text(TCP::ErrorText(4096, nullptr)));
}

TEST(TCP, DumpLinesShowHexAndCharacters)
{
    const unsigned char bytes[] = {'N', 'E', 'T', 0x01, 0x7f, 0x80, ' ', '~', 'a', 'b', 0x0a, 'c', 'd', 'e', 'f', 'g'};
    STRING hex, chars;
    TCP::DumpLine(bytes, 16, hex, chars);
    EXPECT_EQ("4e 45 54 01 7f 80 20 7e  61 62 0a 63 64 65 66 67 ", Text(hex));
    EXPECT_EQ(std::string("NET.\x7f. ~ab.cdefg"), Text(chars));
    TCP::DumpLine(bytes, 3, hex, chars);
    EXPECT_EQ("4e 45 54 ", Text(hex));
    EXPECT_EQ("NET", Text(chars));
}

} // namespace
