// The push item and the stock functions of its buttons.
#include "kestar/windowing/datadialogpush.h"

#include <windows.h>
#include <commdlg.h>

#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysprogram.h"
#include "kestar/media/printer.h"
#include "kestar/windowing/control.h"
#include "kestar/windowing/datadialogrules.h"
#include "kestar/windowing/filedialog.h"
#include "kestar/windowing/windraw.h"

#include <cstdint>
#include <cstring>

DATADIALOGPUSH::DATADIALOGPUSH(int id, STRING &datum, CALLBACK8 callback, void *userData, int targetId)
    : DATADIALOGITEM(id, datum), Callback(callback), UserData(userData), TargetId(targetId), Wide(false)
{
}

DATADIALOGPUSH::DATADIALOGPUSH(int id, STRING &datum, WSTRING &wide, CALLBACKWIDE callback, void *userData,
                               int targetId)
    : DATADIALOGITEM(id, datum), WideCallback(callback), UserData(userData), TargetId(targetId), Wide(true)
{
    SetWideBinding(&wide);
}

DATADIALOGPUSH::~DATADIALOGPUSH()
{
    Magic = 0;
}

void DATADIALOGPUSH::Init(HWND dialog)
{
    Dialog = dialog;
    if (Wide && pWide != nullptr)
        WText = *pWide;
    else
        Text = *pData;
}

void DATADIALOGPUSH::Exit(HWND dialog)
{
    (void)dialog;
    if (Wide && pWide != nullptr)
        *pWide = WText;
    else
        *pData = Text;
}

void DATADIALOGPUSH::Push(HWND dialog)
{
    if (!DATADIALOG_REQUIRE(this->Magic == 0x50555348, static_cast<const char *>(STRING(Id))))
        return;
    if (Dialog == nullptr)
        Dialog = dialog;
    if (Wide) {
        if (WideCallback != nullptr)
            WideCallback(UserData, TargetId, Dialog, &WText);
    } else if (Callback != nullptr) {
        Callback(UserData, TargetId, Dialog, &Text);
    }
}

namespace {

int TargetOf(void *userData, int targetId)
{
    return targetId != 0 ? targetId : static_cast<int>(reinterpret_cast<intptr_t>(userData));
}

STRING FieldText(HWND dialog, int id)
{
    CONTROL field(dialog, id);
    STRING text = field.IsValid() ? field.GetText() : STRING("");
    text.SetNotNull();
    return text;
}

void SetFieldText(HWND dialog, int id, const char *text)
{
    CONTROL field(dialog, id);
    if (field.IsValid())
        field.SetText(text);
}

} // namespace

void DATADIALOGPUSH::Run(void *userData, int targetId, HWND dialog, STRING *value)
{
    (void)userData;
    (void)targetId;
    if (value != nullptr && value->NotEmpty())
        OSYS::ShellOpen(*value, dialog);
}

void DATADIALOGPUSH::Open(void *userData, int targetId, HWND dialog, STRING *value)
{
    (void)value;
    STRING text = FieldText(dialog, TargetOf(userData, targetId));
    if (text.NotEmpty())
        OSYS::ShellExecuteRun(dialog, text, nullptr, text);
}

void DATADIALOGPUSH::Play(void *userData, int targetId, HWND dialog, STRING *value)
{
    (void)value;
    STRING text = FieldText(dialog, TargetOf(userData, targetId));
    if (text.NotEmpty())
        OSYS::PlaySoundFile(text, false);
}

void DATADIALOGPUSH::BrowseFolder(void *userData, int targetId, HWND dialog, STRING *value)
{
    int target = TargetOf(userData, targetId);
    STRING all = value != nullptr ? *value : STRING("");
    STRING title = all.Token(0, "|", STRING_TOKEN_NOTNULL);
    STRING base = all.Token(1, "|", STRING_TOKEN_NOTNULL);
    STRING start = FieldText(dialog, target);
    if (base.NotEmpty())
        start = STRING(FILENAME(base, start).Text());
    STRING chosen;
    AskFolderDlg(chosen, dialog, title, start.NotEmpty() ? static_cast<const char *>(start) : nullptr);
    if (chosen.IsEmpty())
        return;
    if (base.NotEmpty())
        chosen = STRING(FILENAME(chosen).RelativeTo(base).Text());
    SetFieldText(dialog, target, chosen);
}

void DATADIALOGPUSH::BrowseFile(void *userData, int targetId, HWND dialog, STRING *value)
{
    int target = TargetOf(userData, targetId);
    STRING all = value != nullptr ? *value : STRING("");
    STRING first = all.GetLine(0);
    first.SetNotNull();
    STRING filter = all.GetLine(1, true);
    STRING title = first.Token(0, "|", STRING_TOKEN_NOTNULL);
    STRING start = first.Token(1, "|", STRING_TOKEN_NOTNULL);
    STRING name = DATADIALOGRULES::BrowseFileStart(start, FieldText(dialog, target));
    const char *chosen = AskOpenFilenameDlg(dialog, title, name,
                                                        filter.NotEmpty() ? static_cast<const char *>(filter) : nullptr);
    if (chosen != nullptr && chosen[0] != '\0')
        SetFieldText(dialog, target, chosen);
}

void DATADIALOGPUSH::ChooseColour(void *userData, int targetId, HWND dialog, STRING *value)
{
    (void)userData;
    (void)targetId;
    if (value == nullptr)
        return;
    static COLORREF custom[16];
    for (COLORREF &c : custom)
        c = 0xFFFFFF;
    CHOOSECOLORA cc;
    std::memset(&cc, 0, sizeof cc);
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = dialog;
    cc.rgbResult = static_cast<COLORREF>(value->ToULong());
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_SOLIDCOLOR | CC_ANYCOLOR;
    if (::ChooseColorA(&cc))
        *value = STRING(static_cast<unsigned long>(cc.rgbResult));
}

void DATADIALOGPUSH::ChooseFontSpec(void *userData, int targetId, HWND dialog, STRING *value)
{
    (void)targetId;
    if (value == nullptr)
        return;
    LOGFONTA font;
    std::memset(&font, 0, sizeof font);
    CHOOSEFONTA cf;
    std::memset(&cf, 0, sizeof cf);
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = dialog;
    cf.lpLogFont = &font;
    cf.Flags = CF_SCREENFONTS | CF_FORCEFONTEXIST | CF_NOVERTFONTS;
    if (reinterpret_cast<intptr_t>(userData) & 1)
        cf.Flags |= CF_FIXEDPITCHONLY;
    if (value->NotEmpty() && WINDRAW::FontSpecToLogFont(*value, 1252, &font))
        cf.Flags |= CF_INITTOLOGFONTSTRUCT;
    if (!::ChooseFontA(&cf))
        return;
    char text[128];
    if (WINDRAW::FormatFontSpec(&font, text, sizeof text))
        *value = STRING(text);
}

void DATADIALOGPUSH::ChoosePrinter(void *userData, int targetId, HWND dialog, STRING *value)
{
    (void)userData;
    (void)targetId;
    if (value == nullptr)
        return;
    PRINTER printer;
    if (value->NotEmpty())
        printer.SetDevmode(value);
    if (!printer.PrinterDialog(dialog, nullptr, nullptr, 0, nullptr, 0, 0, nullptr))
        return;
    STRING devmode;
    if (printer.GetDevmode(devmode))
        *value = devmode;
}
