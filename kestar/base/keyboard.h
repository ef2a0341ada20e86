// Keyboard translation: turns the keyboard messages of a window (key down and up, character,
// system character, IME character) into one key-event record with the typed character, the
// special key and the modifiers, with the PC keyboard's quirks (extended keys, AltGr, keypad)
// resolved; and switches the toggle keys (Caps Lock, Num Lock, Scroll Lock).
//
// Everything the translation asks of the system (key states, the clock, the keyboard's code page,
// the OEM key scan) goes through a KEYBOARDHOST, so that tests can drive it with a fake one; the
// real host is in keyboard_win32.cpp, a quiet stand-in in keyboard_posix.cpp.
#ifndef KESTAR_KEYBOARD_H
#define KESTAR_KEYBOARD_H

#include <cstdint>

// The keyboard message numbers (the Win32 values, for code that cannot see windows.h).
enum {
    KEYMSG_KEYDOWN = 0x0100,
    KEYMSG_KEYUP = 0x0101,
    KEYMSG_CHAR = 0x0102,
    KEYMSG_SYSKEYDOWN = 0x0104,
    KEYMSG_SYSKEYUP = 0x0105,
    KEYMSG_SYSCHAR = 0x0106,
    KEYMSG_IME_CHAR = 0x0286,
};

// Modifier byte of a key event.
enum { KEYMOD_SHIFT = 0x01, KEYMOD_CTRL = 0x02, KEYMOD_ALT = 0x04 };

// Flag word of a key event.
enum {
    KEYFLAG_UNICODE = 0x0001,   // Unicode holds the character
    KEYFLAG_ANSI = 0x0002,      // the 8-bit character (bits 9-16) is valid
    KEYFLAG_VKEY = 0x0004,      // VirtualKey holds a special key
    KEYFLAG_SCAN = 0x0008,      // the message carries a scan code
    KEYFLAG_SHIFT = 0x0010,     // Shift is down or Caps Lock is on
    KEYFLAG_CTRL = 0x0020,
    KEYFLAG_ALT = 0x0040,
    KEYFLAG_RELEASED = 0x0100,  // the key is being released
    KEYFLAG_ANSIMASK = 0x1FE00, // the 8-bit character
};

// One translated keyboard message.
struct KEYEVENT {
    int Valid;
    unsigned int Message;     // the message; 0 when the event is not valid
    uintptr_t WParam;
    intptr_t LParam;          // for an extended key, the scan-code byte holds the key code
    int CodePage;             // the code page of the character, 0 when none was involved
    unsigned char Repeat;     // low byte of the repeat count
    unsigned char KeyCode;    // the scan code, or the extended key's own code
    unsigned char Oem;        // the 8-bit character in DOS code page 437
    unsigned short VirtualKey;
    char16_t Unicode;
    unsigned char Modifiers;  // KEYMOD_ bits
    unsigned int Flags;       // KEYFLAG_ bits

    // The 8-bit (code page 1252) character, meaningful with KEYFLAG_ANSI.
    unsigned char Ansi() const { return (unsigned char)((Flags & KEYFLAG_ANSIMASK) >> 9); }
};

// What the translation needs of the system.  All calls come from the window thread.
class KEYBOARDHOST {
public:
    virtual ~KEYBOARDHOST() {}
    // Key states as the thread's message queue sees them (virtual-key codes).
    virtual bool IsKeyDown(int vk) = 0;
    virtual bool IsKeyToggled(int vk) = 0;
    // The right Ctrl key, read from the hardware state.
    virtual bool IsRightCtrlDown() = 0;
    // A millisecond clock; only differences are used, so it may wrap.
    virtual unsigned int GetTimeMs() = 0;
    // The ANSI code page of the current keyboard layout's language; -1 when it cannot be read.
    virtual int GetKeyboardCodePage() = 0;
    // The OEM key scan of a character of the OEM page: scan code in the low word, shift state
    // (1 Shift, 2 Ctrl, 4 Alt) in the high word; 0xFFFFFFFF when no key types it.
    virtual unsigned int OemKeyScan(unsigned char oemchar) = 0;
    // The system's OEM-to-ANSI conversion of one character.
    virtual unsigned char OemToAnsi(unsigned char oemchar) = 0;
    // Converts count bytes of code page cp; returns the number of UTF-16 units written (at most
    // outmax), 0 on failure.
    virtual int MultiByteToWide(int cp, const char *bytes, int count, char16_t *out, int outmax) = 0;
    // The OS id of the system information (0: the old Windows family).
    virtual int GetOsId() = 0;
    // Writes a toggle key's state into the keyboard state table (old Windows family).
    virtual void SetKeyToggled(int vk, bool on) = 0;
    // Simulates a press and a release of a key.
    virtual void SendKeyPress(int vk, int scan, bool extended) = 0;
};

class KEYBOARD {
public:
    // The process-wide object on the system's host, built on the first call; owned by the
    // process, never null.
    static KEYBOARD *GetInstance();
    // Deletes the process-wide object (at program exit).
    static void FreeInstance();
    // The system's host (keyboard_win32.cpp / keyboard_posix.cpp); a static object, never null.
    static KEYBOARDHOST *SystemHost();

    // host is borrowed and must outlive the object; null means SystemHost().
    explicit KEYBOARD(KEYBOARDHOST *host = nullptr);
    ~KEYBOARD();
    KEYBOARD(const KEYBOARD &) = delete;
    KEYBOARD &operator=(const KEYBOARD &) = delete;

    // Translates one keyboard message into *event (always cleared first).  Returns whether the
    // event is valid; an invalid event is left to the default window procedure.
    bool HandleKeyboardMsg(unsigned int msg, uintptr_t wParam, intptr_t lParam, KEYEVENT *event);
    // Switches a toggle key (virtual key) off (mode 0), on (1) or over (2).  Returns 1, or 0 for
    // another mode (an assertion).
    int SetToggleKey(int vk, int mode);
    // 16 Shift, 17 Ctrl, 18 Alt: 1 while down; 144 Num Lock, 145 Scroll Lock, 159 (or 20) Caps
    // Lock: 1 while on.  Another key is an assertion and gives 0.
    int GetKeyState(int key);
    // The ANSI code page of the current keyboard layout's language, -1 when it cannot be read.
    int GetKeyboardCodePage();
    // The character that the key with this key code types, shifted when keymodifiers holds
    // KEYMOD_SHIFT (any other modifier is an assertion); the keypad gives "+", "-" and the
    // digits; 0 when the key types nothing.
    int KeyCharFromScan(int keycode, int keymodifiers);

private:
    KEYBOARDHOST *Host;           // borrowed
    // AltGr tracking: Windows sends a left-Ctrl press ahead of the right Alt key; that press
    // does not count as Ctrl.  Written on the window thread only.
    bool LeftCtrlHeld;
    unsigned int LeftCtrlTime;
};

#endif
