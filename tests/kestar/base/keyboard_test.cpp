// KEYBOARD on a fake host: key messages with a given modifier state, keyboard page and clock.
#include "kestar/base/keyboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "kestar/base/logit.h"
#include "tests/support/tempfolder_support.h"

namespace {

enum { SHIFT = 0x10, CTRL = 0x11, ALT = 0x12, CAPS = 0x14, NUMLOCK = 0x90, SCROLL = 0x91 };

// A keyboard under test control: keys down and toggled, the right Ctrl's hardware state, the
// clock, the layout's code page and the OEM characters of a US keyboard (plus the German keys
// the translation treats specially).
class FAKEHOST : public KEYBOARDHOST {
public:
    FAKEHOST()
    {
        const char *row1 = "1234567890";
        const char *row1Shifted = "!@#$%^&*()";
        for (int i = 0; i < 10; i++) {
            Oem[(unsigned char)row1[i]] = 0x02 + i;
            Oem[(unsigned char)row1Shifted[i]] = 0x10000 | (0x02 + i);
        }
        const unsigned char letterScan[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                              0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                              0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
        for (int i = 0; i < 26; i++) {
            Oem['a' + i] = letterScan[i];
            Oem['A' + i] = 0x10000 | letterScan[i];
        }
        Oem[0x81] = 0x1A;            // u with diaeresis in the DOS page
        Oem[21] = 0x10000 | 0x29;    // section sign
        Oem[239] = 0x0D;             // acute accent
    }
    bool IsKeyDown(int vk) override { return Down.count(vk) != 0; }
    bool IsKeyToggled(int vk) override { return Toggled.count(vk) != 0; }
    bool IsRightCtrlDown() override { return RightCtrl; }
    unsigned int GetTimeMs() override { return Now; }
    int GetKeyboardCodePage() override { return CodePage; }
    unsigned int OemKeyScan(unsigned char c) override
    {
        auto it = Oem.find(c);
        return it == Oem.end() ? 0xFFFFFFFFu : it->second;
    }
    unsigned char OemToAnsi(unsigned char c) override { return c == 21 ? 0xA7 : c == 239 ? 0xB4 : c; }
    int MultiByteToWide(int cp, const char *bytes, int count, char16_t *out, int outmax) override
    {
        ImeCalls.push_back(std::string(bytes, count));
        if (cp == 949 && count == 2 && (unsigned char)bytes[0] == 0xB0 && (unsigned char)bytes[1] == 0xA1 && outmax >= 1) {
            out[0] = 0xAC00;
            return 1;
        }
        if (count == 1 && outmax >= 1) {
            out[0] = (unsigned char)bytes[0];
            return 1;
        }
        int n = 0;
        for (; n < count && n < outmax; n++)
            out[n] = (unsigned char)bytes[n];
        return n;
    }
    int GetOsId() override { return OsId; }
    void SetKeyToggled(int vk, bool on) override
    {
        Written.push_back({vk, on});
        if (on)
            Toggled.insert(vk);
        else
            Toggled.erase(vk);
    }
    void SendKeyPress(int vk, int scan, bool extended) override
    {
        Presses.push_back({vk, scan, extended});
        if (Toggled.count(vk))
            Toggled.erase(vk);
        else
            Toggled.insert(vk);
    }

    std::set<int> Down, Toggled;
    bool RightCtrl = false;
    unsigned int Now = 1000;
    int CodePage = 1252;
    int OsId = 1;
    std::map<unsigned char, unsigned int> Oem;
    std::vector<std::string> ImeCalls;
    struct PRESS {
        int Vk, Scan;
        bool Extended;
    };
    std::vector<PRESS> Presses;
    std::vector<std::pair<int, bool>> Written;
};

intptr_t KeyParam(int scan, bool extended = false, bool released = false, int repeat = 1)
{
    uintptr_t bits = (uintptr_t)(repeat & 0xFFFF) | ((uintptr_t)scan << 16);
    if (extended)
        bits |= (uintptr_t)1 << 24;
    if (released)
        bits |= (uintptr_t)1 << 31 | (uintptr_t)1 << 30;
    return (intptr_t)bits;
}

// Assertions write "assert.log" into the current folder: keep it out of the build folder.
class KeyboardAsserts : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = CurrentFolderForTest();
        ASSERT_TRUE(ChangeFolderForTest(folder.Path()));
    }
    void TearDown() override { ChangeFolderForTest(previous); }
    bool Asserted(const std::string &condition)
    {
        return ReadWholeFile(folder.File("assert.log")).find(condition) != std::string::npos;
    }
    TEMPFOLDER folder;
    std::string previous;
    FAKEHOST host;
};

} // namespace

TEST(KEYBOARD, TranslatesMessagesWithTheirModifiers)
{
    const unsigned V = KEYFLAG_VKEY, A = KEYFLAG_ANSI, U = KEYFLAG_UNICODE, S = KEYFLAG_SCAN;
    const unsigned FS = KEYFLAG_SHIFT, FC = KEYFLAG_CTRL, FA = KEYFLAG_ALT, R = KEYFLAG_RELEASED;
    const struct {
        const char *Name;
        unsigned Msg;
        uintptr_t WParam;
        intptr_t LParam;
        std::set<int> Down;   // virtual keys down (CAPS: Caps Lock on)
        int CodePage;         // of the keyboard layout
        bool Valid;
        unsigned KeyCode;
        unsigned VirtualKey;
        unsigned Ansi;
        unsigned Unicode;
        unsigned Flags;       // without the 8-bit character bits
        unsigned Modifiers;
    } cases[] = {
        {"letter a", KEYMSG_CHAR, 'a', KeyParam(0x1E), {}, 1252, true, 0x1E, 0, 'a', 0, A | S, 0},
        {"shifted A", KEYMSG_CHAR, 'A', KeyParam(0x1E), {SHIFT}, 1252, true, 0x1E, 0, 'A', 0, A | S | FS, KEYMOD_SHIFT},
        {"Caps Lock counts as Shift", KEYMSG_CHAR, 'A', KeyParam(0x1E), {CAPS}, 1252, true, 0x1E, 0, 'A', 0,
         A | S | FS, KEYMOD_SHIFT},
        {"e acute stays 8-bit", KEYMSG_CHAR, 0xE9, KeyParam(0x1A), {}, 1252, true, 0x1A, 0, 0xE9, 0, A | S, 0},
        {"euro byte in 1252", KEYMSG_CHAR, 0x80, KeyParam(0x12), {}, 1252, true, 0x12, 0, 0x80, 0x20AC, A | U | S, 0},
        {"byte in a Cyrillic layout", KEYMSG_CHAR, 0xC0, KeyParam(0x21), {}, 1251, true, 0x21, 0, 0xC0, 0x0410,
         A | U | S, 0},
        {"layout page unknown", KEYMSG_CHAR, 0x80, KeyParam(0x12), {}, -1, true, 0x12, 0, 0x80, 0, A | S, 0},
        {"layout page without table", KEYMSG_CHAR, 0x80, KeyParam(0x12), {}, 932, true, 0x12, 0, 0x80, 0, A | S, 0},
        {"character above 255", KEYMSG_CHAR, 0x20AC, KeyParam(0x12), {}, 1252, true, 0x12, 0, 0x80, 0x20AC,
         A | U | S, 0},
        {"system character", KEYMSG_SYSCHAR, 'f', KeyParam(0x21), {ALT}, 1252, true, 0x21, 0, 'f', 0, A | S | FA,
         KEYMOD_ALT},
        {"Escape character", KEYMSG_CHAR, 27, KeyParam(0x01), {}, 1252, false, 0x01, 0, 0, 0, S, 0},
        {"Backspace character", KEYMSG_CHAR, 8, KeyParam(0x0E), {}, 1252, false, 0x0E, 0, 0, 0, S, 0},
        {"Tab character", KEYMSG_CHAR, 9, KeyParam(0x0F), {}, 1252, false, 0x0F, 0, 0, 0, S, 0},
        {"keypad Enter character", KEYMSG_CHAR, 13, KeyParam(0x1C, true), {}, 1252, false, 0x5A, 0, 0, 0, S, 0},
        {"control character", KEYMSG_CHAR, 0x05, KeyParam(0x12), {CTRL}, 1252, false, 0x12, 0, 0, 0, S | FC, KEYMOD_CTRL},
        {"Ctrl+A", KEYMSG_KEYDOWN, 'A', KeyParam(0x1E), {CTRL}, 1252, true, 0x1E, 0, 0x01, 0x01, A | S | FC, KEYMOD_CTRL},
        {"Ctrl+Shift+Z", KEYMSG_KEYDOWN, 'Z', KeyParam(0x2C), {CTRL, SHIFT}, 1252, true, 0x2C, 0, 0x1A, 0x1A,
         A | S | FC | FS, KEYMOD_CTRL | KEYMOD_SHIFT},
        {"Ctrl+1", KEYMSG_KEYDOWN, '1', KeyParam(0x02), {CTRL}, 1252, true, 0x02, 0, '1', '1', A | S | FC, KEYMOD_CTRL},
        {"Ctrl+Shift+1", KEYMSG_KEYDOWN, '1', KeyParam(0x02), {CTRL, SHIFT}, 1252, true, 0x02, 0, '!', '!',
         A | S | FC | FS, KEYMOD_CTRL | KEYMOD_SHIFT},
        {"Ctrl+keypad 7", KEYMSG_KEYDOWN, 0x67, KeyParam(0x47), {CTRL}, 1252, true, 0x47, 0, '7', '7', A | S | FC,
         KEYMOD_CTRL},
        {"Ctrl+key without character", KEYMSG_KEYDOWN, 0xBA, KeyParam(0x27), {CTRL}, 1252, true, 0x27, 0xBA, 0, 0,
         V | S | FC, KEYMOD_CTRL},
        {"Ctrl+F5", KEYMSG_KEYDOWN, 0x74, KeyParam(0x3F), {CTRL}, 1252, true, 0x3F, 0x74, 0, 0, V | S | FC, KEYMOD_CTRL},
        {"Return", KEYMSG_KEYDOWN, 0x0D, KeyParam(0x1C), {}, 1252, true, 0x1C, 0x0D, 13, 13, V | A | U | S, 0},
        {"Ctrl+Return", KEYMSG_KEYDOWN, 0x0D, KeyParam(0x1C), {CTRL}, 1252, true, 0x1C, 0x0D, 10, 10,
         V | A | U | S | FC, KEYMOD_CTRL},
        {"Backspace", KEYMSG_KEYDOWN, 0x08, KeyParam(0x0E), {}, 1252, true, 0x0E, 0x08, 8, 8, V | A | U | S, 0},
        {"Ctrl+Backspace", KEYMSG_KEYDOWN, 0x08, KeyParam(0x0E), {CTRL}, 1252, true, 0x0E, 0x08, 127, 127,
         V | A | U | S | FC, KEYMOD_CTRL},
        {"Tab", KEYMSG_KEYDOWN, 0x09, KeyParam(0x0F), {}, 1252, true, 0x0F, 0x09, 9, 9, V | A | U | S, 0},
        {"Ctrl+Tab", KEYMSG_KEYDOWN, 0x09, KeyParam(0x0F), {CTRL}, 1252, true, 0x0F, 0x09, 0, 0, V | S | FC, KEYMOD_CTRL},
        {"Up arrow", KEYMSG_KEYDOWN, 0x26, KeyParam(0x48, true), {}, 1252, true, 0x61, 0x26, 0, 0, V | S, 0},
        {"keypad 8 (not extended)", KEYMSG_KEYDOWN, 0x26, KeyParam(0x48), {}, 1252, true, 0x48, 0x26, 0, 0, V | S, 0},
        {"extended key not in the table", KEYMSG_KEYDOWN, 0x5B, KeyParam(0x5B, true), {}, 1252, false, 0x5B, 0, 0, 0,
         S, 0},
        {"F5 released", KEYMSG_KEYUP, 0x74, KeyParam(0x3F, false, true), {}, 1252, true, 0x3F, 0x74, 0, 0, V | S | R, 0},
        {"plain letter key", KEYMSG_KEYDOWN, 'A', KeyParam(0x1E), {}, 1252, false, 0x1E, 0, 0, 0, S, 0},
        {"Shift alone", KEYMSG_KEYDOWN, 0x10, KeyParam(0x2A), {SHIFT}, 1252, true, 0x2A, 0x10, 0, 0, V | S | FS,
         KEYMOD_SHIFT},
        {"Ctrl+Alt+Q", KEYMSG_KEYDOWN, 'Q', KeyParam(0x10), {CTRL, ALT}, 1252, true, 0x10, 'Q', 'Q', 0,
         V | A | S | FC | FA, KEYMOD_CTRL | KEYMOD_ALT},
        {"Ctrl+Alt+7", KEYMSG_KEYDOWN, '7', KeyParam(0x08), {CTRL, ALT}, 1252, true, 0x08, '7', '7', 0,
         V | A | S | FC | FA, KEYMOD_CTRL | KEYMOD_ALT},
        {"Ctrl+Alt+comma key", KEYMSG_KEYDOWN, 0xBC, KeyParam(0x33), {CTRL, ALT}, 1252, true, 0x33, 0xBC, 0, 0,
         V | S | FC | FA, KEYMOD_CTRL | KEYMOD_ALT},
        {"Ctrl+Alt+Return", KEYMSG_KEYDOWN, 0x0D, KeyParam(0x1C), {CTRL, ALT}, 1252, true, 0x1C, 0x0D, 0, 0,
         V | S | FC | FA, KEYMOD_CTRL | KEYMOD_ALT},
        {"Ctrl+Alt letter character", KEYMSG_CHAR, 'q', KeyParam(0x10), {CTRL, ALT}, 1252, true, 0x10, 0, 'q', 0,
         A | S | FC | FA, KEYMOD_CTRL | KEYMOD_ALT},
        {"no scan code", KEYMSG_CHAR, 'a', 1, {}, 1252, true, 0, 0, 'a', 0, A, 0},
    };
    for (const auto &c : cases) {
        FAKEHOST host;
        for (int vk : c.Down) {
            if (vk == CAPS)
                host.Toggled.insert(vk);
            else
                host.Down.insert(vk);
        }
        host.CodePage = c.CodePage;
        KEYBOARD keyboard(&host);
        KEYEVENT event;
        memset(&event, 0x5A, sizeof(event));
        bool valid = keyboard.HandleKeyboardMsg(c.Msg, c.WParam, c.LParam, &event);
        EXPECT_EQ(c.Valid, valid) << c.Name;
        EXPECT_EQ(c.Valid ? 1 : 0, event.Valid) << c.Name;
        EXPECT_EQ(c.Valid ? c.Msg : 0u, event.Message) << c.Name;
        EXPECT_EQ(c.WParam, event.WParam) << c.Name;
        EXPECT_EQ(c.KeyCode, event.KeyCode) << c.Name;
        EXPECT_EQ(c.KeyCode, (unsigned)(((uintptr_t)event.LParam >> 16) & 0xFF)) << c.Name;
        EXPECT_EQ(1u, event.Repeat) << c.Name;
        EXPECT_EQ(c.VirtualKey, event.VirtualKey) << c.Name;
        EXPECT_EQ(c.Ansi, event.Ansi()) << c.Name;
        EXPECT_EQ(c.Unicode, (unsigned)event.Unicode) << c.Name;
        EXPECT_EQ(c.Flags, event.Flags & ~(unsigned)KEYFLAG_ANSIMASK) << std::hex << c.Name;
        EXPECT_EQ(c.Modifiers, (unsigned)event.Modifiers) << c.Name;
    }
}

TEST(KEYBOARD, RecordKeepsPageRepeatAndDosForm)
{
    FAKEHOST host;
    KEYBOARD keyboard(&host);
    KEYEVENT event;
    ASSERT_TRUE(keyboard.HandleKeyboardMsg(KEYMSG_CHAR, 0xE9, KeyParam(0x1A, false, false, 3), &event));
    EXPECT_EQ(3, event.Repeat);
    EXPECT_EQ(1252, event.CodePage);
    EXPECT_EQ(0x82, event.Oem); // e acute in DOS code page 437

    ASSERT_TRUE(keyboard.HandleKeyboardMsg(KEYMSG_CHAR, 0x0416, KeyParam(0x27), &event));
    EXPECT_EQ(1252, event.CodePage);
    EXPECT_EQ(0x0416, event.Unicode);

    host.CodePage = 1251;
    ASSERT_TRUE(keyboard.HandleKeyboardMsg(KEYMSG_CHAR, 'x', KeyParam(0x2D), &event));
    EXPECT_EQ(1251, event.CodePage);
    EXPECT_EQ('x', event.Oem);
}

TEST(KEYBOARD, ImeCharacters)
{
    FAKEHOST host;
    host.CodePage = 949;
    KEYBOARD keyboard(&host);
    KEYEVENT event;
    // A double-byte character: lead byte in the high byte.
    ASSERT_TRUE(keyboard.HandleKeyboardMsg(KEYMSG_IME_CHAR, 0xB0A1, 0, &event));
    EXPECT_EQ(0xAC00, event.Unicode);
    EXPECT_EQ(unsigned(KEYFLAG_UNICODE | KEYFLAG_ANSI), event.Flags);
    EXPECT_EQ(0, event.Ansi());
    EXPECT_EQ(949, event.CodePage);
    EXPECT_EQ(std::string("\xB0\xA1"), host.ImeCalls.back());
    // A single-byte character is converted alone.
    ASSERT_TRUE(keyboard.HandleKeyboardMsg(KEYMSG_IME_CHAR, 'k', 0, &event));
    EXPECT_EQ('k', event.Unicode);
    EXPECT_EQ(std::string("k"), host.ImeCalls.back());
    // Two bytes that make two characters are no event.
    EXPECT_FALSE(keyboard.HandleKeyboardMsg(KEYMSG_IME_CHAR, 0x4142, 0, &event));
    EXPECT_EQ(0u, event.Message);
}

TEST(KEYBOARD, AltGrCharactersLoseAltAndTheSystemsCtrl)
{
    // Windows sends AltGr as a left-Ctrl press followed (within 5 ms) by the right Alt key; only a
    // Ctrl the user holds on its own keeps the Ctrl flag of the character.
    const struct {
        const char *Name;
        unsigned CtrlToAltMs;   // from the left-Ctrl press to the right-Alt press
        bool ReleaseLeftCtrl;   // left Ctrl released before the character
        bool RightCtrl;         // right Ctrl down in the hardware state
        unsigned StartTime;
        bool CtrlFlag;
    } cases[] = {
        {"AltGr alone", 0, false, false, 1000, false},
        {"AltGr alone, 5 ms", 5, false, false, 1000, false},
        {"AltGr alone across the clock wrap", 3, false, false, 0xFFFFFFFEu, false},
        {"left Ctrl held, then AltGr", 6, false, false, 1000, true},
        {"left Ctrl held long before", 400, false, false, 1000, true},
        {"left Ctrl pressed and let go", 400, true, false, 1000, false},
        {"right Ctrl with AltGr", 0, false, true, 1000, true},
    };
    for (const auto &c : cases) {
        FAKEHOST host;
        KEYBOARD keyboard(&host);
        KEYEVENT event;
        host.Now = c.StartTime;
        host.Down = {CTRL};
        EXPECT_TRUE(keyboard.HandleKeyboardMsg(KEYMSG_KEYDOWN, CTRL, KeyParam(0x1D), &event)) << c.Name;
        EXPECT_EQ(CTRL, event.VirtualKey) << c.Name;
        host.Now = c.StartTime + c.CtrlToAltMs;
        host.Down = {CTRL, ALT};
        keyboard.HandleKeyboardMsg(KEYMSG_KEYDOWN, ALT, KeyParam(0x38, true), &event);
        EXPECT_EQ(0x5E, event.KeyCode) << c.Name;
        if (c.ReleaseLeftCtrl)
            keyboard.HandleKeyboardMsg(KEYMSG_KEYUP, CTRL, KeyParam(0x1D, false, true), &event);
        host.RightCtrl = c.RightCtrl;
        // AltGr+Q on a German keyboard: the key message first, then the character.
        EXPECT_TRUE(keyboard.HandleKeyboardMsg(KEYMSG_KEYDOWN, 'Q', KeyParam(0x10), &event)) << c.Name;
        ASSERT_TRUE(keyboard.HandleKeyboardMsg(KEYMSG_CHAR, '@', KeyParam(0x10), &event)) << c.Name;
        EXPECT_EQ('@', event.Ansi()) << c.Name;
        EXPECT_EQ(0u, event.Flags & KEYFLAG_ALT) << c.Name;
        EXPECT_EQ(0, event.Modifiers & KEYMOD_ALT) << c.Name;
        EXPECT_EQ(c.CtrlFlag, (event.Flags & KEYFLAG_CTRL) != 0) << c.Name;
        EXPECT_EQ(c.CtrlFlag, (event.Modifiers & KEYMOD_CTRL) != 0) << c.Name;
    }
}

TEST(KEYBOARD, KeyCharFromScan)
{
    FAKEHOST host;
    KEYBOARD keyboard(&host);
    const struct {
        int KeyCode;
        int Modifiers;
        int Expected;
    } cases[] = {
        {0x1E, 0, 'a'},           {0x1E, KEYMOD_SHIFT, 'A'}, {0x02, 0, '1'},   {0x02, KEYMOD_SHIFT, '!'},
        {0x1A, 0, 0xFC},          // a DOS-page character through code page 437
        {0x29, KEYMOD_SHIFT, 0xA7}, // section sign through the system's OEM conversion
        {0x0D, 0, 0xB4},          // acute accent likewise
        {0x4E, 0, '+'},           {0x4A, 0, '-'},            {0x4F, 0, '1'},   {0x4C, 0, '5'},
        {0x49, 0, '9'},           {0x47, KEYMOD_SHIFT, '7'}, {0x7F, 0, 0},     {0x3B, 0, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.Expected, keyboard.KeyCharFromScan(c.KeyCode, c.Modifiers)) << std::hex << c.KeyCode;
}

TEST(KEYBOARD, SetToggleKey)
{
    const struct {
        const char *Name;
        int OsId;
        bool On;
        int Mode;
        size_t Presses;
        bool Written;   // old family: the state table is written
        bool OnAfter;
    } cases[] = {
        {"on when off", 1, false, 1, 1, false, true},
        {"on when on", 1, true, 1, 0, false, true},
        {"off when on", 1, true, 0, 1, false, false},
        {"off when off", 1, false, 0, 0, false, false},
        {"toggle", 1, true, 2, 1, false, false},
        {"old family on", 0, false, 1, 0, true, true},
        {"old family toggle", 0, true, 2, 0, true, false},
    };
    for (const auto &c : cases) {
        FAKEHOST host;
        host.OsId = c.OsId;
        if (c.On)
            host.Toggled.insert(SCROLL);
        KEYBOARD keyboard(&host);
        EXPECT_EQ(1, keyboard.SetToggleKey(SCROLL, c.Mode)) << c.Name;
        ASSERT_EQ(c.Presses, host.Presses.size()) << c.Name;
        for (const auto &press : host.Presses) {
            EXPECT_EQ(SCROLL, press.Vk) << c.Name;
            EXPECT_EQ(69, press.Scan) << c.Name;
            EXPECT_TRUE(press.Extended) << c.Name;
        }
        EXPECT_EQ(c.Written, !host.Written.empty()) << c.Name;
        EXPECT_EQ(c.OnAfter, host.Toggled.count(SCROLL) != 0) << c.Name;
    }
}

TEST(KEYBOARD, GetKeyState)
{
    FAKEHOST host;
    host.Down = {SHIFT, ALT};
    host.Toggled = {NUMLOCK, CAPS};
    KEYBOARD keyboard(&host);
    const struct {
        int Key;
        int Expected;
    } cases[] = {{16, 1}, {17, 0}, {18, 1}, {144, 1}, {145, 0}, {159, 1}, {20, 1}};
    for (const auto &c : cases)
        EXPECT_EQ(c.Expected, keyboard.GetKeyState(c.Key)) << c.Key;
}

TEST_F(KeyboardAsserts, BadArgumentsReport)
{
    KEYBOARD keyboard(&host);
    EXPECT_EQ(0, keyboard.GetKeyState(65));
    EXPECT_TRUE(Asserted("FALSE"));
    EXPECT_EQ(0, keyboard.SetToggleKey(SCROLL, 3));
    EXPECT_TRUE(host.Presses.empty());
    EXPECT_EQ('A', keyboard.KeyCharFromScan(0x1E, KEYMOD_SHIFT | KEYMOD_CTRL));
    EXPECT_TRUE(Asserted("(keymodifiers & ~KEYMOD_SHIFT)==0"));
}

TEST(KEYBOARD, InstanceOnTheSystemHost)
{
    KEYBOARD *keyboard = KEYBOARD::GetInstance();
    ASSERT_NE(nullptr, keyboard);
    EXPECT_EQ(keyboard, KEYBOARD::GetInstance());
    KEYEVENT event;
    EXPECT_TRUE(keyboard->HandleKeyboardMsg(KEYMSG_KEYDOWN, 0x70, KeyParam(0x3B), &event));
    EXPECT_EQ(0x70, event.VirtualKey);
    KEYBOARD::FreeInstance();
}
