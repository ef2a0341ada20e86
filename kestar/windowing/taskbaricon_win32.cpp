// The notification-area icon (see taskbaricon.h).
#include "kestar/windowing/taskbaricon.h"

#include <cstring>

#include "kestar/base/logit.h"
#include "kestar/base/osysresource.h"
#include "kestar/windowing/basewindow.h"
#include "kestar/windowing/controlmath.h"

namespace {

BOOL CallShell(DWORD message, NOTIFYICONDATAA *record)
{
    return Shell_NotifyIconA(message, record);
}

TASKBARICON::SHELLNOTIFY gNotify = nullptr; // user-interface thread only

} // namespace

void TASKBARICON::SetShellNotify(SHELLNOTIFY notify)
{
    gNotify = notify;
}

DWORD TASKBARICON::RecordSize()
{
    return NOTIFYICONDATAA_V2_SIZE;
}

TASKBARICON::TASKBARICON(HWND owner, int id, const char *tooltip)
    : UpAndRunning(0), Owner(owner), Id(id), IconId(id), Tooltip(CONTROLMATH::PrepareTooltip(tooltip)), Version(0),
      Refreshing(false)
{
    Add();
}

TASKBARICON::~TASKBARICON()
{
    Remove(false);
}

void TASKBARICON::Fill(NOTIFYICONDATAA *record, UINT flags)
{
    std::memset(record, 0, sizeof *record);
    record->cbSize = RecordSize();
    record->hWnd = Owner;
    record->uID = static_cast<UINT>(Id);
    record->uFlags = flags;
    if (flags & NIF_TIP) {
        const char *tip = Tooltip;
        // The field holds 127 characters and the terminator.
        std::strncpy(record->szTip, tip ? tip : "", CONTROLMATH::TOOLTIP_FIELD - 1);
    }
}

HICON TASKBARICON::LoadSmallIcon(int iconId)
{
    int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    HICON icon = nullptr;
    HMODULE language = static_cast<HMODULE>(OSYS::GetLanguageModule());
    if (language)
        icon = static_cast<HICON>(LoadImageA(language, MAKEINTRESOURCEA(iconId), IMAGE_ICON, cx, cy, 0));
    if (icon == nullptr)
        icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId), IMAGE_ICON, cx, cy, 0));
    return icon;
}

bool TASKBARICON::Notify(DWORD message, NOTIFYICONDATAA *record)
{
    SHELLNOTIFY notify = gNotify ? gNotify : CallShell;
    return notify(message, record) != 0;
}

bool TASKBARICON::Add()
{
    NOTIFYICONDATAA record;
    Fill(&record, NIF_MESSAGE | (Tooltip.NotEmpty() ? NIF_TIP : 0));
    record.uCallbackMessage = WM__TRAYCALLBACK;
    if (IconId != 0) {
        record.hIcon = LoadSmallIcon(IconId);
        if (record.hIcon == nullptr)
            LOGIT::Assert(0, "nof.hIcon", __FILE__, __LINE__, nullptr, 0);
        else
            record.uFlags |= NIF_ICON;
    }
    LOGIT::Printf("TASKBARICON::TASKBARICON about to Shell_NotifyIcon(NIM_ADD, &nof)\n");
    LOGIT::Printf("TASKBARICON::TASKBARICON                (%p, %d, %s)\n", static_cast<void *>(Owner), Id,
                  static_cast<const char *>(Tooltip) ? static_cast<const char *>(Tooltip) : "");
    bool ok = Notify(NIM_ADD, &record);
    if (!ok)
        ok = Notify(NIM_ADD, &record);
    UpAndRunning = ok ? 1 : 0;
    Version = ok ? 5 : 0;
    if (!ok)
        LOGIT::Printf("TASKBARICON::TASKBARICON UpAndRunning= %d %dL\n", UpAndRunning, static_cast<int>(GetLastError()));
    if (record.hIcon)
        DestroyIcon(record.hIcon); // the shell keeps its own copy
    return ok;
}

bool TASKBARICON::Remove(bool keep)
{
    NOTIFYICONDATAA record;
    Fill(&record, 0);
    bool ok = Owner != nullptr && Notify(NIM_DELETE, &record);
    if (!keep) {
        Owner = nullptr;
        Id = 0;
        IconId = 0;
        Tooltip = "";
    }
    return ok;
}

bool TASKBARICON::ModifyTooltip()
{
    NOTIFYICONDATAA record;
    Fill(&record, NIF_TIP);
    LOGIT::Printf("TASKBARICON::SetTooltip about to Shell_NotifyIcon(NIM_MODIFY, &nof)\n");
    bool ok = Notify(NIM_MODIFY, &record);
    LOGIT::Printf("TASKBARICON::SetTooltip returned ok= %d\n", ok ? 1 : 0);
    return ok;
}

bool TASKBARICON::SetTooltip(const char *text)
{
    Tooltip = CONTROLMATH::PrepareTooltip(text);
    bool ok = ModifyTooltip();
    if (!ok && !Refreshing)
        ok = Refresh(true);
    return ok;
}

bool TASKBARICON::SetIcon(int iconId)
{
    IconId = iconId;
    NOTIFYICONDATAA record;
    Fill(&record, NIF_ICON);
    record.hIcon = LoadSmallIcon(iconId);
    if (record.hIcon == nullptr) {
        char info[32];
        wsprintfA(info, "idicon=%d", iconId);
        LOGIT::Assert(0, "nof.hIcon", __FILE__, __LINE__, info, 0);
    }
    LOGIT::Printf("TASKBARICON::SetIcon about to Shell_NotifyIcon(NIM_MODIFY, &nof)\n");
    bool ok = Notify(NIM_MODIFY, &record);
    LOGIT::Printf("TASKBARICON::SetIcon returned ok= %d\n", ok ? 1 : 0);
    if (record.hIcon)
        DestroyIcon(record.hIcon);
    if (!ok)
        ok = Refresh(true);
    return ok;
}

bool TASKBARICON::Refresh(bool force)
{
    // One re-add per call: the guard keeps a failing tooltip change from re-adding again.
    bool outer = !Refreshing;
    Refreshing = true;
    if (force || !ModifyTooltip()) {
        Remove(true);
        Add();
    }
    bool ok = ModifyTooltip();
    if (outer)
        Refreshing = false;
    return ok;
}
