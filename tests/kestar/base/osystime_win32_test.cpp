// The unique-id counter in the registry under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include "kestar/base/osystime.h"

namespace {

// The root whose "Software\Orvak" GetUniqueId uses: the machine's when it can be written.
HKEY CounterRoot()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Orvak", 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
        return HKEY_LOCAL_MACHINE;
    }
    return HKEY_CURRENT_USER;
}

bool ReadCounter(DWORD &type, DWORD &size, uint32_t &value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(CounterRoot(), "Software\\Orvak", 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    size = sizeof value;
    LONG rc = RegQueryValueExA(key, "UniqueId", nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool WriteCounter(uint32_t value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(CounterRoot(), "Software\\Orvak", 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
        return false;
    }
    LONG rc = RegSetValueExA(key, "UniqueId", 0, REG_BINARY, reinterpret_cast<const BYTE *>(&value), sizeof value);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

} // namespace

TEST(OSYSTIME, UniqueIdCounterLivesInTheRegistry)
{
    OSYS::GetUniqueId(); // makes the key and the value
    DWORD type = 0;
    DWORD size = 0;
    uint32_t counter = 0;
    ASSERT_TRUE(ReadCounter(type, size, counter));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 4u);

    // A counter that another process left is honoured once ids of this second are handed out:
    // the next id jumps past it.  Retried in case a second boundary falls between the calls.
    bool jumped = false;
    for (int attempt = 0; attempt < 5 && !jumped; attempt++) {
        uint32_t first = OSYS::GetUniqueId();
        ASSERT_TRUE(WriteCounter(first - static_cast<uint32_t>(OSYS::GetTime()) + 1000));
        uint32_t second = OSYS::GetUniqueId();
        ASSERT_GT(second, first);
        jumped = second - first >= 1000;
    }
    EXPECT_TRUE(jumped);
    ASSERT_TRUE(ReadCounter(type, size, counter));
    EXPECT_GE(counter, 1001u);
}
