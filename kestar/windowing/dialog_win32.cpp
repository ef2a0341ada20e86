// Dialogs: the template copy with the message-font rewrite, the static dialog procedure, the
// routing into the WINDOW slots and the private modal loop (see dialog.h).
#include "kestar/windowing/dialog.h"

#include <commctrl.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kestar/base/helpfile.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/wstring.h"
#include "kestar/windowing/dialogtemplate.h"
#include "kestar/windowing/ownerdraw.h"
#include "kestar/windowing/windraw.h"

namespace {

HMODULE LanguageModule()
{
    HMODULE module = static_cast<HMODULE>(OSYS::GetLanguageModule());
    return module ? module : GetModuleHandleA(nullptr);
}

// The system message font as points and face; false when the system cannot tell.
bool MessageFont(int *points, WSTRING *face)
{
    NONCLIENTMETRICSA metrics;
    std::memset(&metrics, 0, sizeof metrics);
    // The size without the padded border that newer headers add: older systems refuse the larger.
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        return false;
    char spec[128];
    if (!WINDRAW::FormatFontSpec(&metrics.lfMessageFont, spec, sizeof spec))
        return false;
    const char *dot = std::strchr(spec, '.');
    if (dot == nullptr)
        return false;
    *points = std::atoi(spec);
    *face = WSTRING(dot + 1, 1252);
    return *points > 0 && face->NotEmpty();
}

} // namespace

// ---- construction ----------------------------------------------------------------------------

DIALOG::DIALOG(int templateId, HWND parent, HMODULE module)
{
    DialogRouting = true;
    if (templateId == 0)
        return;
    Id = templateId;
    std::vector<unsigned char> copy;
    if (LoadTemplate(module, templateId, &copy)) {
        HMODULE instance = module ? module : LanguageModule();
        CreateDialogIndirectParamA(instance, reinterpret_cast<const DLGTEMPLATE *>(copy.data()), parent,
                                   StaticDlgProc, reinterpret_cast<LPARAM>(this));
    }
    AutoDestroy = 1;
    if (hWnd == nullptr) {
        char info[32];
        std::snprintf(info, sizeof info, "%d", templateId);
        LOGIT::Assert(0, "this->hWnd", __FILE__, __LINE__, info, 0);
        return;
    }
    if (!(GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD))
        CenterOver(WINDOW(parent).GetTopLevel().hWnd);
    if (GetWindowLongPtrA(hWnd, GWLP_ID) == 0)
        SetWindowLongPtrA(hWnd, GWLP_ID, templateId);
}

DIALOG::~DIALOG()
{
    if (hWnd && IsWindow(hWnd)) {
        DestroyWindow(hWnd);
        hWnd = nullptr;
    }
}

bool DIALOG::LoadTemplate(HMODULE module, int templateId, std::vector<unsigned char> *out)
{
    out->clear();
    if (module == nullptr)
        module = LanguageModule();
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(templateId), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (resource == nullptr)
        return false;
    DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const unsigned char *data = loaded ? static_cast<const unsigned char *>(LockResource(loaded)) : nullptr;
    if (data == nullptr || size == 0)
        return false;
    bool extended = size >= 4 && data[2] == 0xFF && data[3] == 0xFF;
    int points = 0;
    WSTRING face;
    if (extended && OSYS::GetOsVersionId() >= 5 && MessageFont(&points, &face)) {
        DIALOGTEMPLATE::RewriteFont(data, size, points, face.GetBuffer(), out);
        return true;
    }
    out->assign(data, data + size);
    return true;
}

// ---- the dialog procedure and the routing ------------------------------------------------------

INT_PTR CALLBACK DIALOG::StaticDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT answer = 0;
    if (message == WM_MEASUREITEM)
        answer = OWNERDRAW::MeasureItem(dialog, wParam, lParam);
    else if (message == WM_DELETEITEM)
        OWNERDRAW::DeleteItem(lParam);
    if (message == WM_INITDIALOG && lParam != 0) {
        DIALOG *object = reinterpret_cast<DIALOG *>(lParam);
        object->hWnd = dialog;
        SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
        PostMessageA(dialog, WM__DEFERREDCREATE, 0, 0);
    }
    DIALOG *object = reinterpret_cast<DIALOG *>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (object == nullptr)
        return answer;
    if (object->HookProc) {
        LRESULT hooked = object->HookProc(dialog, message, wParam, lParam);
        if (hooked != 0)
            answer = hooked;
    }
    LOGIT::HandleDebugHotKeys(message, wParam, lParam);
    if (message == WM_DESTROY)
        object->DIALOG::DlgProc(message, wParam, lParam);
    if (answer == 0)
        answer = object->DlgProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // As for windows: the handle may be reused, so the object lets go of it for good.
        SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
        if (object->hWnd == dialog) {
            object->hWnd = nullptr;
            object->AutoDestroy = 0;
        }
    }
    return answer;
}

LRESULT DIALOG::DlgProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
    case WM_MOVE:
    case WM_SIZE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_CLOSE:
    case WM_ENDSESSION:
    case WM_SHOWWINDOW:
    case WM_HELP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_COMMAND:
    case WM_TIMER:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_SIZING:
    case WM__QUERYID:
    case WM__QUERYOBJECT:
        return WINDOW::WinProc(message, wParam, lParam);
    case WM_NOTIFY: {
        // The dialog manager answers a notification with DWLP_MSGRESULT, not with this result:
        // without it a dialog could not refuse e.g. an up-down step.  The dispatcher's 1 for a
        // tab change that is about to happen only says it was handled: written as the answer, it
        // would refuse every click on a dialog's tabs.
        LRESULT result = WINDOW::WinProc(message, wParam, lParam);
        const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
        if (header == nullptr || header->code != static_cast<UINT>(TCN_SELCHANGING))
            SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
        return result;
    }
    case WM_INITDIALOG:
        if (lParam != 0) {
            // A template can ask not to have the default focus set: control 800 says so.
            HWND marker = GetDlgItem(hWnd, 800);
            char text[32] = "";
            if (marker != nullptr)
                GetWindowTextA(marker, text, sizeof text);
            return std::strcmp(text, "WM_INITDIALOG:RC=0") == 0 ? 0 : 1;
        }
        OnCreate();
        return 1;
    case WM__DEFERREDCREATE:
        DlgProc(WM_INITDIALOG, 0, 0);
        return 0;
    default:
        if (message >= WM__USERFIRST && message <= WM__USERLAST)
            return WINDOW::WinProc(message, wParam, lParam);
        return 0;
    }
}

LRESULT DIALOG::OnPushbutton(int button)
{
    EndModal(button == IDCANCEL ? 0 : button);
    return 1;
}

LRESULT DIALOG::OnClose()
{
    EndModal(0);
    return 1;
}

int DIALOG::IsDialogMessage(HWND dialog, MSG *message)
{
    return ::IsDialogMessageA(dialog, message) ? 1 : 0;
}

// ---- modal use ---------------------------------------------------------------------------------

int DIALOG::DoModal(bool noShow)
{
    HWND owner = GetOwner().hWnd;
    HWND parent = GetParent().hWnd;
    bool disabled = false;
    if (owner != nullptr && (!IsChild() || owner != parent)) {
        // Enabled again afterwards only when this dialog disabled it: a nested dialog with the same
        // owner must not enable it under the outer one.
        disabled = !EnableWindow(owner, FALSE);
    }
    if (!noShow) {
        Show(true);
        BringToForeground();
    }
    int code = RunModalLoop();
    if (disabled)
        EnableWindow(owner, TRUE);
    if (!noShow && hWnd)
        Show(false);
    return code;
}

int DIALOG::RunModalLoop()
{
    // End messages of other dialogs taken here (a nested loop sees the outer dialog's) are
    // posted again when this loop ends, so that each loop ends only on its own but none is lost.
    std::vector<MSG> others;
    int code = 0;
    for (;;) {
        MSG message;
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            // WM_QUIT belongs to the program's own loop: leave it there.
            if (got == 0)
                PostQuitMessage(static_cast<int>(message.wParam));
            else
                LOGIT::Printf("DIALOG::RunModalLoop GetMessageA failed: %lu\n", GetLastError());
            code = 0;
            break;
        }
        if (PreTranslate(&message))
            continue;
        if (message.message == WM__ENDMODAL && message.hwnd != hWnd && message.hwnd != nullptr) {
            others.push_back(message);
            continue;
        }
        bool ctrlTab = message.message == WM_KEYDOWN && message.wParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000);
        if (ctrlTab) {
            message.hwnd = hWnd;
        } else if (message.message != WM__ENDMODAL && IsDialogMessage(hWnd, &message)) {
            continue;
        }
        HELPFILE *help = HELPFILE::GetHelpFile();
        if (help != nullptr && help->PreTranslateMessage(&message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (message.message == WM__ENDMODAL && message.hwnd == hWnd) {
            code = static_cast<int>(message.wParam);
            OnEndModal(code);
            break;
        }
    }
    for (const MSG &other : others)
        PostMessageA(other.hwnd, other.message, other.wParam, other.lParam);
    return code;
}

void DIALOG::EndModal(int code)
{
    PostMessageA(hWnd, WM__ENDMODAL, static_cast<WPARAM>(code), 0);
}

void DIALOG::CenterOver(HWND reference)
{
    if (hWnd == nullptr)
        return;
    RECT area;
    if (reference == nullptr || !IsWindowVisible(reference)) {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    } else {
        if (::IsChild(reference, hWnd)) {
            LOGIT::Assert(0, "!is_child", __FILE__, __LINE__, nullptr, 0);
            return;
        }
        GetWindowRect(reference, &area);
    }
    RECT own = {};
    GetWindowRect(hWnd, &own);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    int x = area.left + ((area.right - area.left) - width) / 2;
    int y = area.top + ((area.bottom - area.top) - height) / 2;
    RECT desktop = GetDesktopRect();
    if (x + width > desktop.right)
        x = desktop.right - width;
    if (x < desktop.left)
        x = desktop.left;
    if (y + height > desktop.bottom)
        y = desktop.bottom - height;
    if (y < desktop.top)
        y = desktop.top;
    SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
