// The tip-of-the-day dialog and ShowTipOfDay (see tipofday.h): the three registry values, the
// tips file, and dialog 10700 run once per tip shown.
#include "kestar/windowing/tipofday.h"

#include "kestar/base/binary.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/registry.h"
#include "kestar/windowing/dialog.h"
#include "kestar/windowing/drawcontext.h"
#include "kestar/windowing/listbox.h"
#include "kestar/windowing/windraw.h"
#include "lang/resource_ids.h"

#include <ctime>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBand = RGB(70, 100, 150);

class TIPDIALOG : public DIALOG {
public:
    TIPDIALOG(HWND owner) : DIALOG(IDD_TIPOFDAY, owner)
    {
        if (!hWnd)
            return;
        char caption[256] = "";
        GetWindowTextA(hWnd, caption, sizeof caption);
        STRING ownerTitle = owner ? WINDOW(owner).GetText() : STRING("");
        SetText(TIPOFDAY::DialogTitle(ownerTitle, caption));
        char title[256] = "";
        GetDlgItemTextA(hWnd, IDC_TIPOFDAY_TITLE, title, sizeof title);
        DefaultTitle = title;
        TitleFont = WINDRAW::CreateFontFromSpec(hWnd, "14B.MS Shell Dlg", 1252);
        TextFont = WINDRAW::CreateFontFromSpec(hWnd, "10.MS Shell Dlg", 1252);
        SendDlgItemMessageA(hWnd, IDC_TIPOFDAY_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(TitleFont), FALSE);
        SendDlgItemMessageA(hWnd, IDC_TIPOFDAY_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(TextFont), FALSE);
        LISTBOX::FromDropdownList(hWnd, IDC_TIPOFDAY_STYLE)
            .AddTextList(OSYS::GetStringFromResource(IDS_TIPOFDAY_STYLES), '|', -1);
    }

    ~TIPDIALOG() override
    {
        if (hWnd && IsWindow(hWnd)) {
            DestroyWindow(hWnd); // before the fonts and brushes it uses go
            hWnd = nullptr;
        }
        for (HGDIOBJ object : {static_cast<HGDIOBJ>(TitleFont), static_cast<HGDIOBJ>(TextFont),
                               static_cast<HGDIOBJ>(WhiteBrush), static_cast<HGDIOBJ>(BandBrush)})
            if (object)
                DeleteObject(object);
    }

    void ShowTip(const STRING &tip, int style)
    {
        STRING title, text;
        TIPOFDAY::SplitTip(tip, DefaultTitle, &title, &text);
        WINDOW(GetDlgItem(hWnd, IDC_TIPOFDAY_TITLE)).SetText(title);
        WINDOW(GetDlgItem(hWnd, IDC_TIPOFDAY_TEXT)).SetText(text);
        SendDlgItemMessageA(hWnd, IDC_TIPOFDAY_STYLE, CB_SETCURSEL, static_cast<WPARAM>(style), 0);
    }

    int SelectedStyle()
    {
        LRESULT selected = SendDlgItemMessageA(hWnd, IDC_TIPOFDAY_STYLE, CB_GETCURSEL, 0, 0);
        return selected == CB_ERR ? 1 : static_cast<int>(selected);
    }

    LRESULT OnCtlColor(UINT message, CONTROL *control, DRAWCONTEXT *context) override
    {
        (void)message;
        int id = static_cast<int>(GetDlgCtrlID(control->hWnd));
        if (id == IDC_TIPOFDAY_TITLE || id == IDC_TIPOFDAY_TEXT) {
            if (!WhiteBrush)
                WhiteBrush = CreateSolidBrush(kWhite);
            SetBkColor(context->GetHdc(), kWhite);
            return reinterpret_cast<LRESULT>(WhiteBrush);
        }
        if (id == IDC_TIPOFDAY_BAND) {
            if (!BandBrush)
                BandBrush = CreateSolidBrush(kBand);
            SetBkColor(context->GetHdc(), kBand);
            return reinterpret_cast<LRESULT>(BandBrush);
        }
        return 0;
    }

private:
    STRING DefaultTitle;
    HFONT TitleFont = nullptr;  // owned, like the brushes: made here, deleted with the dialog
    HFONT TextFont = nullptr;
    HBRUSH WhiteBrush = nullptr; // made on first use
    HBRUSH BandBrush = nullptr;
};

long long ReadRegistryValue(REGISTRY &key, const char *name, long long defaultValue)
{
    STRING text;
    if (!key.ReadString(name, text))
        return defaultValue;
    return TIPOFDAY::ReadValue(text, defaultValue);
}

void WriteRegistryValue(REGISTRY &key, const char *name, long long value)
{
    STRING text;
    text.Format("%lld", value);
    key.WriteString(name, text);
}

} // namespace

void ShowTipOfDay(HWND owner, const char *tipsFile, const char *appKey, int force)
{
    LOGIT::Printf("ShowTipOfDay file=%s force=%d\n", tipsFile ? tipsFile : "<NULL>", force);
    REGISTRY key(appKey, "Software\\Orvak", REGISTRY::USER_CURRENT);
    int style = static_cast<int>(ReadRegistryValue(key, "TipOfDayStyle", TIPOFDAY::DEFAULT_STYLE));
    long long count = ReadRegistryValue(key, "TipOfDayCount", 0);
    if (count < 0 || count > 0x7FFFFFFF)
        count = 0;
    int next = static_cast<int>(count);
    long long last = ReadRegistryValue(key, "TipOfDayLast", 0);
    const long long today = static_cast<long long>(std::time(nullptr)) / 86400;

    long long newLast = last;
    if (TIPOFDAY::IsDue(style, last, today, force, &newLast)) {
        BINARY content;
        STRINGARRAY tips;
        if (tipsFile && content.Load(tipsFile, "rb")) {
            tips = TIPOFDAY::ParseTips(content.GetBuffer() ? content.GetBuffer() : "");
        }
        STRING tip;
        if (TIPOFDAY::NextTip(tips, &next, force, &tip)) {
            TIPDIALOG dialog(owner);
            if (dialog.IsValid()) {
                // Shown once and kept up while the user pages through the tips.
                dialog.Show(true);
                dialog.BringToForeground();
                bool more = true;
                while (more) {
                    dialog.ShowTip(tip, style);
                    int code = dialog.DoModal(true);
                    style = dialog.SelectedStyle();
                    more = code == IDC_TIPOFDAY_NEXT && TIPOFDAY::NextTip(tips, &next, force, &tip);
                }
            }
        }
    }
    WriteRegistryValue(key, "TipOfDayStyle", style);
    WriteRegistryValue(key, "TipOfDayCount", next);
    WriteRegistryValue(key, "TipOfDayLast", newLast);
}
