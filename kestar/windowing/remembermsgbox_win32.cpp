// The remembered message box (see remembermsgbox.h): the dialog of template 10701 with the system
// message font, laid out around the measured text, with the system icon painted into item 10002.
#include "kestar/windowing/remembermsgbox.h"

#include "kestar/base/logit.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/winorvak.h"
#include "kestar/base/wstring.h"
#include "kestar/windowing/dialog.h"
#include "lang/resource_ids.h"

#include <cstddef>
#include <cstring>

namespace {

const int kButtonsMask = 0x0F;
const int kIconMask = 0xF0;

// Item 10002 shows the icon kind kept in its user data; it paints nothing else.
LRESULT CALLBACK IconProc(HWND item, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    if (message != WM_PAINT)
        return 0;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(item, &paint);
    LPCSTR name = nullptr;
    switch (GetWindowLongPtrA(item, GWLP_USERDATA)) {
    case MB_ICONHAND:
        name = IDI_HAND;
        break;
    case MB_ICONQUESTION:
        name = IDI_QUESTION;
        break;
    case MB_ICONEXCLAMATION:
        name = IDI_EXCLAMATION;
        break;
    case MB_ICONASTERISK:
        name = IDI_ASTERISK;
        break;
    default:
        LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, "icon kind", 0);
        break;
    }
    if (name) {
        HICON icon = LoadIconA(nullptr, name);
        if (icon) {
            DrawIcon(dc, 0, 0, icon);
            DestroyIcon(icon);
        }
    }
    EndPaint(item, &paint); // validated in every case: no endless WM_PAINT
    return 0;
}

// The size of text in dc (an empty line measures as "X").
SIZE Measure(HDC dc, const WSTRING &line)
{
    SIZE size = {0, 0};
    if (line.NotEmpty())
        GetTextExtentPoint32W(dc, line.GetWide(), line.Length(), &size);
    else
        GetTextExtentPoint32W(dc, L"X", 1, &size);
    return size;
}

class REMEMBERBOX : public DIALOG {
public:
    REMEMBERBOX(HWND parent) : DIALOG(IDD_REMEMBERBOX, parent), Font(nullptr), OldTextFont(nullptr), OldCheckFont(nullptr)
    {
    }

    ~REMEMBERBOX() override
    {
        if (hWnd) {
            SendDlgItemMessageA(hWnd, IDC_REMEMBERBOX_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(OldTextFont), FALSE);
            SendDlgItemMessageA(hWnd, IDC_REMEMBERBOX_CHECK, WM_SETFONT, reinterpret_cast<WPARAM>(OldCheckFont), FALSE);
        }
        if (Font)
            DeleteObject(Font);
    }

    void Prepare(int type, HWND owner, const char *title, const WSTRING &text)
    {
        HWND textItem = GetDlgItem(hWnd, IDC_REMEMBERBOX_TEXT);
        HWND check = GetDlgItem(hWnd, IDC_REMEMBERBOX_CHECK);
        NONCLIENTMETRICSA metrics;
        std::memset(&metrics, 0, sizeof metrics);
        metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
        if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
            Font = CreateFontIndirectA(&metrics.lfMessageFont);
        if (Font) {
            OldTextFont = reinterpret_cast<HFONT>(SendMessageA(textItem, WM_GETFONT, 0, 0));
            OldCheckFont = reinterpret_cast<HFONT>(SendMessageA(check, WM_GETFONT, 0, 0));
            SendMessageA(textItem, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
            SendMessageA(check, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
        }

        Layout(type, owner, text);

        WSTRING shown(text);
        shown.SetNotNull();
        SetWindowTextW(textItem, shown.GetWide());
        STRING caption = title ? STRING(title) : OSYS::GetStringFromResource(IDS_APPNAME);
        SetText(caption);

        HWND icon = GetDlgItem(hWnd, IDC_REMEMBERBOX_ICON);
        SetWindowLongPtrA(icon, GWLP_USERDATA, type & kIconMask);
        SetWindowLongPtrA(icon, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(IconProc));
    }

    bool Checked() { return IsDlgButtonChecked(hWnd, IDC_REMEMBERBOX_CHECK) == BST_CHECKED; }

private:
    void Layout(int type, HWND owner, const WSTRING &text)
    {
        HWND textItem = GetDlgItem(hWnd, IDC_REMEMBERBOX_TEXT);
        HWND check = GetDlgItem(hWnd, IDC_REMEMBERBOX_CHECK);
        auto S = [owner](int n) { return WINDOW::ScaleByDpi(n, owner); };

        // The text's size, line by line in the message font; the first line counts twice in the
        // height, which leaves room below the last one.
        int textWidth = 0, textHeight = 0, checkWidth = 0, checkHeight = 0;
        HDC dc = ::GetDC(hWnd);
        if (LOGIT::Assert(dc != nullptr, "hdc", __FILE__, __LINE__, nullptr, 0) && dc) {
            HGDIOBJ old = Font ? SelectObject(dc, Font) : nullptr;
            // Lines end at "\r\n", "\r" or "\n".
            const char16_t *chars = text.GetBuffer();
            const STRING_SIZE_T n = chars ? text.Length() : 0;
            STRING_SIZE_T start = 0;
            for (int line = 0; start <= n; ++line) {
                STRING_SIZE_T end = start;
                while (end < n && chars[end] != u'\r' && chars[end] != u'\n')
                    ++end;
                SIZE size = Measure(dc, WSTRING(chars ? chars + start : u"", end - start));
                if (size.cx > textWidth)
                    textWidth = size.cx;
                textHeight += size.cy * (line == 0 ? 2 : 1);
                if (end + 1 < n && chars[end] == u'\r' && chars[end + 1] == u'\n')
                    ++end;
                start = end + 1;
            }
            wchar_t label[256] = L"";
            GetWindowTextW(check, label, 256);
            SIZE labelSize = Measure(dc, WSTRING(label));
            checkWidth = labelSize.cx + GetSystemMetrics(SM_CXMENUCHECK) + S(8);
            checkHeight = labelSize.cy + S(4);
            if (old)
                SelectObject(dc, old);
            ::ReleaseDC(hWnd, dc);
        }
        if (textWidth < checkWidth)
            textWidth = checkWidth;

        const int textX = GetSystemMetrics(SM_CXICON) + 3 * S(10);
        const int textY = S(20);
        const int width = textX + textWidth + 3 * S(10);
        MoveWindow(textItem, textX, textY, textWidth, textHeight, FALSE);
        MoveWindow(GetDlgItem(hWnd, IDC_REMEMBERBOX_ICON), S(10), textY, GetSystemMetrics(SM_CXICON),
                   GetSystemMetrics(SM_CYICON), FALSE);

        int checkY = textY + textHeight;
        if (checkY < GetSystemMetrics(SM_CYICON))
            checkY += GetSystemMetrics(SM_CYICON);
        checkY += 2 * S(10);
        MoveWindow(check, (width - checkWidth) / 2, checkY, checkWidth, checkHeight, FALSE);

        HWND ok = GetDlgItem(hWnd, IDOK), yes = GetDlgItem(hWnd, IDYES), no = GetDlgItem(hWnd, IDNO);
        RECT button;
        ::GetWindowRect(ok, &button);
        const int buttonWidth = button.right - button.left, buttonHeight = button.bottom - button.top;
        const int buttonY = checkY + checkHeight + 2 * S(10);
        switch (type & kButtonsMask) {
        case MB_OK:
            MoveWindow(ok, (width - buttonWidth) / 2, buttonY, buttonWidth, buttonHeight, FALSE);
            ShowWindow(yes, SW_HIDE);
            ShowWindow(no, SW_HIDE);
            break;
        case MB_YESNO: {
            const int left = (width - 2 * buttonWidth - S(10)) / 2;
            MoveWindow(yes, left, buttonY, buttonWidth, buttonHeight, FALSE);
            MoveWindow(no, left + buttonWidth + S(10), buttonY, buttonWidth, buttonHeight, FALSE);
            ShowWindow(ok, SW_HIDE);
            SendMessageA(hWnd, DM_SETDEFID, IDYES, 0);
            break;
        }
        default:
            LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, "button kind", 0);
            break;
        }
        const int height = buttonY + buttonHeight + S(30) + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION);
        RECT work = {0, 0, 0, 0};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        MoveWindow(hWnd, work.left + (work.right - work.left - width) / 2, work.top + (work.bottom - work.top - height) / 2,
                   width, height, FALSE);
    }

    HFONT Font;         // owned: the message font of the text and the check box
    HFONT OldTextFont;  // borrowed: the items' fonts before, put back before the dialog goes
    HFONT OldCheckFont;
};

} // namespace

namespace WINORVAK {

int RememberMsgBox(int type, HWND parent, const char *title, const char *text, HASH &settings, const char *statekey)
{
    const bool withState = statekey != nullptr;
    LOGIT::Assert(withState, "pstatekey", __FILE__, __LINE__, text, 0);
    if (withState) {
        int locked = settings.AllowNewKeys(1);
        STRING state = settings[statekey];
        settings.AllowNewKeys(!locked);
        if (state.NotEmpty() && static_cast<int>(state) != 0)
            return -1;
    }

    REMEMBERBOX box(parent);
    if (!box.IsValid())
        return 1;
    box.Prepare(type, parent, title, FormatMsgBoxText(STRING(text ? text : ""), 55, 1));
    MessageBeep(static_cast<UINT>(type & kIconMask));
    int code = box.DoModal();
    int result = code == IDNO ? 0 : 1;
    if (withState) {
        int locked = settings.AllowNewKeys(1);
        settings[statekey].Format("%d", box.Checked() ? 1 : 0);
        settings.AllowNewKeys(!locked);
    }
    return result;
}

void InfoOnceMsgBox(HWND parent, const char *title, const char *text, HASH &settings, const char *statekey)
{
    HWND owner = parent ? WINDOW(parent).GetTopLevel().hWnd : nullptr;
    RememberMsgBox(MB_ICONINFORMATION | MB_OK, owner, title, text, settings, statekey);
}

} // namespace WINORVAK
