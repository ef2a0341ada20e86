// KEYBOARD: the translation of keyboard messages into key events, on an exchangeable host.
#include "kestar/base/keyboard.h"

#include <atomic>

#include "kestar/base/logit.h"
#include "kestar/base/unicode.h"

namespace {

std::atomic<KEYBOARD *> gInstance{nullptr};

// Virtual-key codes used here (the Win32 values).
enum {
    VK_BACK_ = 0x08, VK_TAB_ = 0x09, VK_RETURN_ = 0x0D, VK_CAPITAL_ = 0x14,
};

// Extended keys: their hardware scan code and the key code they are known by.
const struct {
    unsigned char Scan;
    unsigned char KeyCode;
} kExtendedScan[] = {
    {0x52, 0x68}, // Insert
    {0x53, 0x69}, // Delete
    {0x47, 0x60}, // Home
    {0x4F, 0x65}, // End
    {0x49, 0x62}, // Page Up
    {0x51, 0x67}, // Page Down
    {0x35, 0x5C}, // keypad /
    {0x1C, 0x5A}, // keypad Enter
    {0x37, 0x7C}, // Print Screen
    {0x4B, 0x63}, // Left
    {0x48, 0x61}, // Up
    {0x4D, 0x64}, // Right
    {0x50, 0x66}, // Down
    {0x38, 0x5E}, // right Alt (AltGr)
    {0x1D, 0x5B}, // right Ctrl
};

// Keys that become special-key events.
const unsigned char kSpecialKeys[] = {
    0x10, 0x11, 0x12,                                                       // Shift, Ctrl, Alt
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, // F1-F12
    0x1B, 0x08, 0x09, 0x0D,                   // Escape, Backspace, Tab, Return
    0x2E, 0x2D, 0x21, 0x22, 0x23, 0x24,       // Delete, Insert, Page Up, Page Down, End, Home
    0x26, 0x28, 0x25, 0x27,                   // Up, Down, Left, Right
    0x91, 0x90, 0x13, 0x03, 0x2C, 0x0C,       // Scroll Lock, Num Lock, Pause, Cancel, Print, Clear
    0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, // OEM-specific
};

// Keypad keys that the OEM key scan does not report.
const struct {
    unsigned char KeyCode;
    char Character;
} kKeypad[] = {
    {0x4E, '+'}, {0x4A, '-'}, {0x4F, '1'}, {0x50, '2'}, {0x51, '3'}, {0x4B, '4'},
    {0x4C, '5'}, {0x4D, '6'}, {0x47, '7'}, {0x48, '8'}, {0x49, '9'},
};

const unsigned char kKeyCodeEscape = 1, kKeyCodeBackspace = 14, kKeyCodeTab = 15, kKeyCodeEnter = 28,
                    kKeyCodeKeypadEnter = 90, kKeyCodeLeftCtrl = 29, kKeyCodeRightAlt = 94;
// Windows sends its own left-Ctrl press at most this long before the right Alt key.
const unsigned int kAltGrCtrlMs = 5;

bool IsSpecialKey(uintptr_t vk)
{
    for (unsigned char key : kSpecialKeys) {
        if (key == vk)
            return true;
    }
    return false;
}

bool IsAsciiLetter(unsigned int c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The 8-bit character of an event, its flag and its code-page-437 form.
void SetAnsi(KEYEVENT *event, unsigned char ansi, unsigned char oem)
{
    event->Flags = (event->Flags & ~(unsigned int)KEYFLAG_ANSIMASK) | KEYFLAG_ANSI | ((unsigned int)ansi << 9);
    event->Oem = oem;
}

unsigned char OemForm(unsigned char ansi)
{
    UNICODE *u = UNICODE::GetInstance();
    return u->FromWide(u->ToWide(ansi, 1252), 437);
}

} // namespace

KEYBOARD *KEYBOARD::GetInstance()
{
    KEYBOARD *instance = gInstance.load(std::memory_order_acquire);
    if (instance)
        return instance;
    KEYBOARD *fresh = new KEYBOARD();
    if (gInstance.compare_exchange_strong(instance, fresh, std::memory_order_acq_rel))
        return fresh;
    delete fresh;
    return instance;
}

void KEYBOARD::FreeInstance()
{
    delete gInstance.exchange(nullptr, std::memory_order_acq_rel);
}

KEYBOARD::KEYBOARD(KEYBOARDHOST *host)
    : Host(host ? host : SystemHost()), LeftCtrlHeld(false), LeftCtrlTime(0)
{
    LOGIT::Printf("KEYBOARD::KEYBOARD\n");
    LOGIT::Printf("KEYBOARD::KEYBOARD done\n");
}

KEYBOARD::~KEYBOARD() = default;

int KEYBOARD::GetKeyboardCodePage()
{
    return Host->GetKeyboardCodePage();
}

int KEYBOARD::GetKeyState(int key)
{
    switch (key) {
    case 16:
    case 17:
    case 18:
        return Host->IsKeyDown(key) ? 1 : 0;
    case 144:
    case 145:
        return Host->IsKeyToggled(key) ? 1 : 0;
    case 159:
    case VK_CAPITAL_:
        return Host->IsKeyToggled(VK_CAPITAL_) ? 1 : 0;
    default:
        LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, nullptr, 0);
        return 0;
    }
}

int KEYBOARD::SetToggleKey(int vk, int mode)
{
    if (mode < 0 || mode > 2) {
        LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, nullptr, 0);
        return 0;
    }
    bool on = Host->IsKeyToggled(vk);
    bool wanted = mode == 2 ? !on : mode == 1;
    if (Host->GetOsId() == 0) {
        // The old family takes the state table as it is written.
        Host->SetKeyToggled(vk, wanted);
        return 1;
    }
    if (mode == 2 || on != wanted)
        Host->SendKeyPress(vk, 69, true);
    return 1;
}

int KEYBOARD::KeyCharFromScan(int keycode, int keymodifiers)
{
    if (!ORVAK_ASSERT((keymodifiers & ~KEYMOD_SHIFT)==0))
        keymodifiers &= KEYMOD_SHIFT;
    unsigned int shift = (keymodifiers & KEYMOD_SHIFT) ? 1 : 0;
    for (int c = 1; c < 256; c++) {
        unsigned int scan = Host->OemKeyScan((unsigned char)c);
        if (scan == 0xFFFFFFFFu)
            continue;
        if ((scan & 0xFFFF) == (unsigned int)keycode && ((scan >> 16) & 0xFFFF) == shift) {
            // Section sign and acute accent: the OEM table of the DOS page we convert with has
            // other glyphs there, so the system's own OEM conversion is asked.
            if (c == 239 || c == 21)
                return Host->OemToAnsi((unsigned char)c);
            return UNICODE::GetInstance()->ToWide((unsigned char)c, 437);
        }
    }
    for (const auto &key : kKeypad) {
        if (key.KeyCode == keycode)
            return key.Character;
    }
    return 0;
}

bool KEYBOARD::HandleKeyboardMsg(unsigned int msg, uintptr_t wParam, intptr_t lParam, KEYEVENT *event)
{
    if (!ORVAK_ASSERT(event != nullptr))
        return false;
    UNICODE *u = UNICODE::GetInstance();
    bool isChar = msg == KEYMSG_CHAR || msg == KEYMSG_SYSCHAR;

    // 1. Modifiers.
    bool shift = Host->IsKeyDown(0x10) || Host->IsKeyToggled(VK_CAPITAL_);
    bool ctrl = Host->IsKeyDown(0x11);
    bool alt = Host->IsKeyDown(0x12);
    bool rightCtrl = Host->IsRightCtrlDown();
    uintptr_t bits = (uintptr_t)lParam;
    unsigned char scan = (unsigned char)((bits >> 16) & 0xFF);
    bool extended = ((bits >> 24) & 1) != 0;
    bool released = ((bits >> 31) & 1) != 0;
    LOGIT::PrintfLevel(isChar ? 0 : 1,
                       "[>>]KEYBOARD::HandleKeyboardMsg msg= %04x, mp1= %p, mp2= %p, scan= %02x, ext= %d\n",
                       msg, (void *)wParam, (void *)lParam, scan, extended ? 1 : 0);

    // 2. Extended keys have key codes of their own.
    unsigned char keyCode = scan;
    if (extended) {
        for (const auto &key : kExtendedScan) {
            if (key.Scan == scan) {
                keyCode = key.KeyCode;
                bits = (bits & ~(uintptr_t)0x00FF0000) | ((uintptr_t)keyCode << 16);
                break;
            }
        }
    }

    // 3. The common part of the record.
    *event = KEYEVENT();
    event->Message = msg;
    event->WParam = wParam;
    event->LParam = (intptr_t)bits;
    event->Repeat = (unsigned char)(bits & 0xFF);
    event->KeyCode = keyCode;
    event->Modifiers = (shift ? KEYMOD_SHIFT : 0) | (ctrl ? KEYMOD_CTRL : 0) | (alt ? KEYMOD_ALT : 0);
    if (scan)
        event->Flags |= KEYFLAG_SCAN;
    if (released)
        event->Flags |= KEYFLAG_RELEASED;
    if (shift)
        event->Flags |= KEYFLAG_SHIFT;
    if (ctrl)
        event->Flags |= KEYFLAG_CTRL;
    if (alt)
        event->Flags |= KEYFLAG_ALT;

    if (isChar) {
        // 4. Characters.
        uintptr_t c = wParam;
        if (((c == 27 || c == 13) && keyCode == kKeyCodeEscape) || keyCode == kKeyCodeBackspace ||
            keyCode == kKeyCodeTab || keyCode == kKeyCodeEnter || keyCode == kKeyCodeKeypadEnter || c < 32) {
            // Those keys arrive as special keys; control characters are no characters.
            event->Message = 0;
        } else if (c <= 255) {
            SetAnsi(event, (unsigned char)c, OemForm((unsigned char)c));
            int cp = Host->GetKeyboardCodePage();
            LOGIT::Printf("KEYBOARD::HandleKeyboardMsg cp= %d\n", cp);
            if (cp >= 1 && u->GetTableIndex(cp) != -1) {
                event->CodePage = cp;
                char16_t wide = u->ToWide((unsigned char)c, cp);
                if (wide > 0xFF) {
                    event->Unicode = wide;
                    event->Flags |= KEYFLAG_UNICODE;
                }
            }
        } else {
            char16_t wide = (char16_t)(c & 0xFFFF);
            event->Unicode = wide;
            event->Flags |= KEYFLAG_UNICODE;
            event->CodePage = 1252;
            SetAnsi(event, u->FromWide(wide, 1252), u->FromWide(wide, 437));
        }
        // AltGr: Windows reports it as Ctrl+Alt.  A typed symbol is no Alt shortcut, and the Ctrl
        // stays only when a Ctrl key of its own is down.
        if (event->Message && ctrl && alt && (event->Flags & KEYFLAG_ANSI) && !IsAsciiLetter(event->Ansi())) {
            event->Flags &= ~(unsigned int)KEYFLAG_ALT;
            event->Modifiers &= ~KEYMOD_ALT;
            if (!(rightCtrl || LeftCtrlHeld)) {
                event->Flags &= ~(unsigned int)KEYFLAG_CTRL;
                event->Modifiers &= ~KEYMOD_CTRL;
            }
        }
    } else if (msg == KEYMSG_IME_CHAR) {
        // 5. A character from the input method: one or two bytes of the keyboard's page.
        LOGIT::Printf("KEYBOARD::HandleKeyboardMsg WM_IME_CHAR\n");
        int cp = Host->GetKeyboardCodePage();
        LOGIT::Printf("KEYBOARD::HandleKeyboardMsg WM_IME_CHAR cp= %d\n", cp);
        char bytes[2];
        int count = 0;
        // A single-byte character has no lead byte; converting the zero high byte would make
        // it two characters.
        if ((wParam >> 8) & 0xFF)
            bytes[count++] = (char)((wParam >> 8) & 0xFF);
        bytes[count++] = (char)(wParam & 0xFF);
        char16_t wide[4] = {0, 0, 0, 0};
        int howmany = Host->MultiByteToWide(cp, bytes, count, wide, 4);
        LOGIT::Printf("KEYBOARD::HandleKeyboardMsg WM_IME_CHAR MultiByteToWideChar howmany= %d, wsz[0]= %04x\n",
                      howmany, (unsigned int)wide[0]);
        if (howmany == 1) {
            event->Unicode = wide[0];
            event->CodePage = cp;
            event->Flags |= KEYFLAG_UNICODE;
            SetAnsi(event, 0, 0);
        } else {
            event->Message = 0;
        }
    } else {
        // 6. Key messages.
        bool handled = false;
        bool hasChar = false;
        if (ctrl && !alt && msg == KEYMSG_KEYDOWN && wParam >= 48 && wParam <= 255) {
            // Ctrl with a character key: the control code of a letter, else the character.
            int c = KeyCharFromScan(keyCode, Host->IsKeyDown(0x10) ? KEYMOD_SHIFT : 0);
            if (IsAsciiLetter((unsigned int)c))
                c &= 0x1F;
            if (c >= 1 && c <= 255) {
                SetAnsi(event, (unsigned char)c, OemForm((unsigned char)c));
                event->Unicode = (char16_t)c;
                hasChar = true;
            } else {
                event->VirtualKey = (unsigned short)wParam;
                event->Flags |= KEYFLAG_VKEY;
            }
            handled = true;
        }
        if (keyCode == kKeyCodeLeftCtrl) {
            LeftCtrlHeld = !released;
            if (!released)
                LeftCtrlTime = Host->GetTimeMs();
        } else if (keyCode == kKeyCodeRightAlt && !released && LeftCtrlHeld &&
                   Host->GetTimeMs() - LeftCtrlTime <= kAltGrCtrlMs) {
            LeftCtrlHeld = false;
        }
        if (!handled) {
            if (!(ctrl && alt && !hasChar)) {
                if (IsSpecialKey(wParam)) {
                    event->VirtualKey = (unsigned short)wParam;
                    event->Flags |= KEYFLAG_VKEY;
                    int c = -1;
                    if (wParam == VK_BACK_)
                        c = ctrl ? 127 : 8;
                    else if (wParam == VK_TAB_)
                        c = ctrl ? -1 : 9;
                    else if (wParam == VK_RETURN_)
                        c = ctrl ? 10 : 13;
                    if (c >= 0) {
                        SetAnsi(event, (unsigned char)c, (unsigned char)c);
                        event->Unicode = (char16_t)c;
                        event->Flags |= KEYFLAG_UNICODE;
                    }
                }
            } else {
                // Ctrl+Alt shortcuts: every key is a special key; letters and digits also carry
                // their character.
                event->VirtualKey = (unsigned short)wParam;
                event->Flags |= KEYFLAG_VKEY;
                if ((wParam >= 'A' && wParam <= 'Z') || (wParam >= '0' && wParam <= '9'))
                    SetAnsi(event, (unsigned char)wParam, (unsigned char)wParam);
            }
        }
    }

    // 7. Validity.
    if (!(event->Flags & (KEYFLAG_VKEY | KEYFLAG_ANSI)))
        event->Message = 0;
    event->Valid = event->Message != 0;
    LOGIT::Printf("[<<]KEYBOARD::HandleKeyboardMsg returns isvalid= %d, ansi= %02X, unicode= %04X\n", event->Valid,
                  (unsigned int)event->Ansi(), (unsigned int)event->Unicode);
    return event->Valid != 0;
}
