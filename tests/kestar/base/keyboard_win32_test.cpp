// KEYBOARD on the real Windows host (the test run pins a US English layout, code page 1252).
#include "kestar/base/keyboard.h"

#include "kestar/base/osysinfo.h"
#include "kestar/base/osystime.h"

#include <gtest/gtest.h>

TEST(KEYBOARD_WIN32, SystemHostReadsTheLayout)
{
    KEYBOARD keyboard;
    EXPECT_EQ(1252, keyboard.GetKeyboardCodePage());
    // The OEM key scan of the US layout.
    EXPECT_EQ('a', keyboard.KeyCharFromScan(0x1E, 0));
    EXPECT_EQ('A', keyboard.KeyCharFromScan(0x1E, KEYMOD_SHIFT));
    EXPECT_EQ('!', keyboard.KeyCharFromScan(0x02, KEYMOD_SHIFT));
    EXPECT_EQ('5', keyboard.KeyCharFromScan(0x4C, 0));

    KEYEVENT event;
    ASSERT_TRUE(keyboard.HandleKeyboardMsg(KEYMSG_CHAR, 0x80, 0x00120001, &event));
    EXPECT_EQ(0x20AC, event.Unicode);
    ASSERT_TRUE(keyboard.HandleKeyboardMsg(KEYMSG_IME_CHAR, 0xE9, 0, &event));
    EXPECT_EQ(0xE9, event.Unicode);
    EXPECT_EQ(1252, event.CodePage);
}

TEST(KEYBOARD_WIN32, SystemHostTakesTheSystemClockAndOsId)
{
    KEYBOARDHOST *host = KEYBOARD::SystemHost();
    EXPECT_EQ(OSYS::GetOsVersionId(), host->GetOsId());
    // The AltGr timing runs on the devices' millisecond clock.
    unsigned int before = static_cast<unsigned int>(OSYS::GetClockMs());
    unsigned int now = host->GetTimeMs();
    unsigned int after = static_cast<unsigned int>(OSYS::GetClockMs());
    EXPECT_LE(before, now);
    EXPECT_LE(now, after);
}
