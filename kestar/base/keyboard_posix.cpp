// The native stand-in of the keyboard's system side: no key is down or toggled, the keyboard's
// page is 1252, no key types an OEM character, and toggle switches go nowhere.
#include "kestar/base/keyboard.h"

#include "kestar/base/osystime.h"
#include "kestar/base/unicode.h"

namespace {

class POSIXKEYBOARDHOST : public KEYBOARDHOST {
public:
    bool IsKeyDown(int) override { return false; }
    bool IsKeyToggled(int) override { return false; }
    bool IsRightCtrlDown() override { return false; }
    unsigned int GetTimeMs() override { return (unsigned int)OSYS::GetClockMs(); }
    int GetKeyboardCodePage() override { return 1252; }
    unsigned int OemKeyScan(unsigned char) override { return 0xFFFFFFFFu; }
    unsigned char OemToAnsi(unsigned char oemchar) override
    {
        UNICODE *u = UNICODE::GetInstance();
        return u->FromWide(u->ToWide(oemchar, 437), 1252);
    }
    int MultiByteToWide(int cp, const char *bytes, int count, char16_t *out, int outmax) override
    {
        UNICODE *u = UNICODE::GetInstance();
        if (u->GetTableIndex(cp) == -1 || count > outmax)
            return 0;
        for (int i = 0; i < count; i++)
            out[i] = u->ToWide((unsigned char)bytes[i], cp);
        return count;
    }
    int GetOsId() override { return 1; }
    void SetKeyToggled(int, bool) override {}
    void SendKeyPress(int, int, bool) override {}
};

} // namespace

KEYBOARDHOST *KEYBOARD::SystemHost()
{
    static POSIXKEYBOARDHOST host;
    return &host;
}
