// REGISTRY round trips on a scratch key under HKCU\Software\Orvak\, removed after each test.
#include <gtest/gtest.h>

#include "kestar/base/registry.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

std::string Str(const STRING &s)
{
    return s.Buffer ? std::string(s.Buffer, static_cast<size_t>(s.StrLen)) : std::string("<NULL>");
}

class REGISTRYKEY : public ::testing::Test {
protected:
    void SetUp() override
    {
        static LONG counter = 0;
        app = "PlxTest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(InterlockedIncrement(&counter));
        path = "Software\\Orvak\\" + app;
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()); }
    // A raw value, to give REGISTRY what other programs may have stored.
    void Raw(const char *name, DWORD type, const void *data, DWORD len)
    {
        HKEY k;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(k, name, 0, type, static_cast<const BYTE *>(data), len), ERROR_SUCCESS);
        RegCloseKey(k);
    }
    std::string app, path;
};

} // namespace

TEST(REGISTRY, JoinPath)
{
    const struct {
        const char *base, *sub, *expected;
    } cases[] = {
        {"Software\\Orvak\\", "App", "Software\\Orvak\\App"},
        {"Software\\Orvak", "\\\\App\\", "Software\\Orvak\\App"},
        {"Software\\Orvak\\", nullptr, "Software\\Orvak"},
        {"", "App", "App"},
        {"Software\\Orvak\\", "App\\Sub", "Software\\Orvak\\App\\Sub"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Str(REGISTRY::JoinPath(c.base, c.sub)), c.expected) << c.base << " + " << (c.sub ? c.sub : "null");
}

TEST_F(REGISTRYKEY, StringAndBinaryRoundTrips)
{
    {
        REGISTRY reg(app.c_str(), "Software\\Orvak\\", REGISTRY::USER_CURRENT);
        ASSERT_TRUE(reg.IsOpen());
        EXPECT_EQ(Str(reg.GetPath()), path);
        EXPECT_TRUE(reg.WriteString("WorkDir", "C:\\Data\\Parlomatix"));
        const char bytes[] = {1, 0, 2, 0, 0};
        EXPECT_TRUE(reg.WriteBinary("Blob", bytes, sizeof(bytes)));
    }
    EXPECT_TRUE(REGISTRY::KeyExists(HKEY_CURRENT_USER, "Software\\Orvak\\", app.c_str(), REGISTRY::MODE_READ));
    EXPECT_FALSE(REGISTRY::KeyExists(HKEY_CURRENT_USER, "Software\\Orvak\\", (app + "-none").c_str(), REGISTRY::MODE_READ));

    REGISTRY reg(HKEY_CURRENT_USER, "Software\\Orvak", app.c_str(), REGISTRY::MODE_WRITE);
    ASSERT_TRUE(reg.IsOpen());
    STRING s;
    EXPECT_TRUE(reg.ReadString("WorkDir", s));
    EXPECT_EQ(Str(s), "C:\\Data\\Parlomatix");
    STRING blob;
    EXPECT_TRUE(reg.ReadString("Blob", blob));
    EXPECT_EQ(Str(blob), std::string("\x01\x00\x02\x00\x00", 5)); // binary values keep their zeros

    char buf[64];
    unsigned long size = sizeof(buf);
    EXPECT_TRUE(reg.Read("WorkDir", buf, &size));
    EXPECT_EQ(size, std::strlen("C:\\Data\\Parlomatix") + 1);
    EXPECT_STREQ(buf, "C:\\Data\\Parlomatix");

    EXPECT_TRUE(reg.DeleteValue("WorkDir"));
    STRING unchanged("before");
    EXPECT_FALSE(reg.ReadString("WorkDir", unchanged));
    EXPECT_EQ(Str(unchanged), "before");
    EXPECT_FALSE(reg.DeleteValue("WorkDir"));

    REGISTRY readonly(HKEY_CURRENT_USER, "Software\\Orvak", app.c_str(), REGISTRY::MODE_READ);
    ASSERT_TRUE(readonly.IsOpen());
    EXPECT_FALSE(readonly.WriteString("X", "y"));
}

TEST_F(REGISTRYKEY, LongValuesReadWhole)
{
    std::string big(5000, 'q');
    big[4999] = 'z';
    REGISTRY reg(app.c_str(), "Software\\Orvak\\", REGISTRY::USER_CURRENT);
    ASSERT_TRUE(reg.WriteString("Big", big.c_str()));
    ASSERT_TRUE(reg.WriteBinary("BigBlob", big.data(), 3000));
    STRING s, b;
    EXPECT_TRUE(reg.ReadString("Big", s));
    EXPECT_EQ(Str(s), big);
    EXPECT_TRUE(reg.ReadString("BigBlob", b));
    EXPECT_EQ(Str(b), big.substr(0, 3000));
}

TEST_F(REGISTRYKEY, StringValuesAreAlwaysTerminated)
{
    Raw("Bare", REG_SZ, "abcdefgh", 8); // stored without its terminator
    Raw("Empty", REG_SZ, "", 1);
    Raw("NoBytes", REG_SZ, "", 0);
    Raw("Padded", REG_SZ, "ab\0\0\0", 5);
    REGISTRY reg(HKEY_CURRENT_USER, path.c_str(), nullptr, REGISTRY::MODE_READ);
    ASSERT_TRUE(reg.IsOpen());

    char buf[16];
    std::memset(buf, 'x', sizeof(buf));
    unsigned long size = 8; // the text fills the buffer: there is no room for the terminator
    EXPECT_FALSE(reg.Read("Bare", buf, &size));
    EXPECT_GT(size, 8u);
    EXPECT_LT(std::strlen(buf), 8u);
    EXPECT_EQ(buf[8], 'x'); // nothing written behind the given size

    std::memset(buf, 'x', sizeof(buf));
    size = 9;
    EXPECT_TRUE(reg.Read("Bare", buf, &size));
    EXPECT_GE(size, 8u); // the A function may add the terminator itself
    EXPECT_LE(size, 9u);
    EXPECT_STREQ(buf, "abcdefgh");

    std::memset(buf, 'x', sizeof(buf));
    size = sizeof(buf);
    EXPECT_TRUE(reg.Read("Empty", buf, &size));
    EXPECT_STREQ(buf, "");

    STRING s;
    for (const char *name : {"Empty", "NoBytes"}) {
        s = STRING("old");
        EXPECT_TRUE(reg.ReadString(name, s)) << name;
        EXPECT_TRUE(s.Buffer != nullptr) << name; // empty, not NULL
        EXPECT_EQ(Str(s), "") << name;
    }
    EXPECT_TRUE(reg.ReadString("Padded", s));
    EXPECT_EQ(Str(s), "ab");
    EXPECT_TRUE(reg.ReadString("Bare", s));
    EXPECT_EQ(Str(s), "abcdefgh");
}

TEST_F(REGISTRYKEY, ClosedKeysFailEveryCall)
{
    REGISTRY badmode(HKEY_CURRENT_USER, "Software\\Orvak", app.c_str(), 300);
    EXPECT_FALSE(badmode.IsOpen());
    STRING s("keep");
    EXPECT_FALSE(badmode.ReadString("X", s));
    EXPECT_EQ(Str(s), "keep");
    EXPECT_FALSE(badmode.WriteString("X", "y"));
    unsigned long size = 4;
    char buf[4];
    EXPECT_FALSE(badmode.Read("X", buf, &size));
    EXPECT_FALSE(badmode.DeleteValue("X"));

    REGISTRY missing(HKEY_CURRENT_USER, "Software\\Orvak", (app + "-none").c_str(), REGISTRY::MODE_READ);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(REGISTRY::KeyExists(HKEY_CURRENT_USER, "Software\\Orvak", (app + "-none").c_str(), REGISTRY::MODE_READ));

    // An unresolved application name makes no key.
    REGISTRY unresolved("<APPNAME>", path.c_str(), REGISTRY::USER_CURRENT);
    EXPECT_FALSE(unresolved.IsOpen());
    EXPECT_FALSE(REGISTRY::KeyExists(HKEY_CURRENT_USER, path.c_str(), "<APPNAME>", REGISTRY::MODE_READ));
}

TEST_F(REGISTRYKEY, ThirtyTwoBitView)
{
    {
        REGISTRY reg(HKEY_CURRENT_USER, "Software\\Orvak", app.c_str(), REGISTRY::MODE_CREATE);
        ASSERT_TRUE(reg.WriteString("V", "w"));
    }
    REGISTRY reg(HKEY_CURRENT_USER, "Software\\Orvak", app.c_str(), REGISTRY::MODE_WRITE32);
    ASSERT_TRUE(reg.IsOpen()); // HKCU\Software is shared by both views
    STRING s;
    EXPECT_TRUE(reg.ReadString("V", s));
    EXPECT_EQ(Str(s), "w");
    EXPECT_TRUE(REGISTRY::KeyExists(HKEY_LOCAL_MACHINE, "Software", "Microsoft", REGISTRY::MODE_READ32));
}
