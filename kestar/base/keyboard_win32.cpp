// The keyboard's system side on Windows: the thread's key states, the OEM key scan and the code
// page of the keyboard layout, and simulated key presses for the toggle keys.
#include <windows.h>

#include <cstdlib>

#include "kestar/base/keyboard.h"

#include "kestar/base/osysinfo.h"
#include "kestar/base/osystime.h"

namespace {

class WIN32KEYBOARDHOST : public KEYBOARDHOST {
public:
    bool IsKeyDown(int vk) override { return (::GetKeyState(vk) & 0x8000) != 0; }
    bool IsKeyToggled(int vk) override { return (::GetKeyState(vk) & 1) != 0; }
    // GetKeyState reports both Ctrl keys as VK_CONTROL; the right one is told apart only by the
    // asynchronous state.
    bool IsRightCtrlDown() override { return (::GetAsyncKeyState(VK_RCONTROL) & 0x8000) != 0; }
    // The system's millisecond clock, which the frame starts with the program.
    unsigned int GetTimeMs() override { return (unsigned int)OSYS::GetClockMs(); }
    int GetKeyboardCodePage() override
    {
        LANGID lang = LOWORD((UINT_PTR)::GetKeyboardLayout(0));
        char text[16];
        if (!::GetLocaleInfoA(MAKELCID(lang, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, text, sizeof(text)))
            return -1;
        return atoi(text);
    }
    unsigned int OemKeyScan(unsigned char oemchar) override { return (unsigned int)::OemKeyScan(oemchar); }
    unsigned char OemToAnsi(unsigned char oemchar) override
    {
        char in[2] = {(char)oemchar, 0};
        char out[2] = {0, 0};
        if (!::OemToCharBuffA(in, out, 1))
            return 0;
        return (unsigned char)out[0];
    }
    int MultiByteToWide(int cp, const char *bytes, int count, char16_t *out, int outmax) override
    {
        if (cp < 0)
            return 0;
        return ::MultiByteToWideChar((UINT)cp, 0, bytes, count, reinterpret_cast<LPWSTR>(out), outmax);
    }
    int GetOsId() override { return OSYS::GetOsVersionId(); }
    void SetKeyToggled(int vk, bool on) override
    {
        BYTE state[256];
        if (!::GetKeyboardState(state))
            return;
        state[vk & 0xFF] = (BYTE)((state[vk & 0xFF] & ~1) | (on ? 1 : 0));
        ::SetKeyboardState(state);
    }
    void SendKeyPress(int vk, int scan, bool extended) override
    {
        DWORD flags = extended ? KEYEVENTF_EXTENDEDKEY : 0;
        ::keybd_event((BYTE)vk, (BYTE)scan, flags, 0);
        ::keybd_event((BYTE)vk, (BYTE)scan, flags | KEYEVENTF_KEYUP, 0);
    }
};

} // namespace

KEYBOARDHOST *KEYBOARD::SystemHost()
{
    static WIN32KEYBOARDHOST host;
    return &host;
}
