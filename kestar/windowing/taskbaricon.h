// TASKBARICON: the program's icon in the notification area, with its tooltip; events reach the
// owner window as WM__TRAYCALLBACK.  A failed add is tried once more, and a failed change
// re-adds the icon once (the taskbar may have been re-created), never in a loop.  The shell call
// goes through a seam that tests replace.  Windows only.
#ifndef KESTAR_WINDOWING_TASKBARICON_H
#define KESTAR_WINDOWING_TASKBARICON_H

#include <windows.h>
#include <shellapi.h>

#include "kestar/base/string.h"

class TASKBARICON {
public:
    // id is also the icon's resource id (language module, else the program).  Adds at once.
    TASKBARICON(HWND owner, int id, const char *tooltip);
    // Removes the icon and clears the fields.
    ~TASKBARICON();
    TASKBARICON(const TASKBARICON &) = delete;
    TASKBARICON &operator=(const TASKBARICON &) = delete;

    // The shell's NIM_ADD / NIM_MODIFY / NIM_DELETE (null restores Shell_NotifyIconA).
    typedef BOOL (*SHELLNOTIFY)(DWORD message, NOTIFYICONDATAA *record);
    static void SetShellNotify(SHELLNOTIFY notify);
    // The size the record is passed with: the layout that holds a 127-character tip.
    static DWORD RecordSize();

    bool Add();
    // keep: the owner, id, icon id and tooltip stay for a later Add.
    bool Remove(bool keep);
    bool SetTooltip(const char *text);
    bool SetIcon(int iconId);
    // Re-adds the icon when forced or when setting the tooltip fails; then sets the tooltip.
    bool Refresh(bool force);

    int UpAndRunning;  // the result of the last add
    HWND Owner;        // borrowed
    int Id;
    int IconId;
    STRING Tooltip;    // prepared (see CONTROLMATH::PrepareTooltip)
    int Version;       // 5 after a successful add, else 0

private:
    void Fill(NOTIFYICONDATAA *record, UINT flags);
    HICON LoadSmallIcon(int iconId);
    bool Notify(DWORD message, NOTIFYICONDATAA *record);
    bool ModifyTooltip();
    bool Refreshing;   // the re-entry guard of SetTooltip's re-add
};

#endif
