// The log's debug hot keys (Ctrl+Shift+F5 to F8), read from window messages; the acting is
// LOGIT::HandleDebugKey.
#include "kestar/base/logit.h"

#include <windows.h>
#include <commctrl.h>

namespace LOGIT {

int HandleDebugHotKeys(unsigned message, unsigned long long wparam, long long lparam)
{
    int vk = 0;
    if (message == WM_KEYDOWN) {
        vk = static_cast<int>(wparam);
    } else if (message == WM_NOTIFY && lparam != 0) {
        const NMHDR *header = reinterpret_cast<const NMHDR *>(static_cast<LONG_PTR>(lparam));
        if (header->code == static_cast<UINT>(LVN_KEYDOWN))
            vk = reinterpret_cast<const NMLVKEYDOWN *>(header)->wVKey;
    }
    if (vk < VK_F5 || vk > VK_F8)
        return 0;
    if (!(GetKeyState(VK_CONTROL) & 0x8000) || !(GetKeyState(VK_SHIFT) & 0x8000) || (GetKeyState(VK_MENU) & 0x8000))
        return 0;
    return HandleDebugKey(vk - VK_F5 + 5);
}

} // namespace LOGIT
