// DATADIALOG: a dialog of a template whose controls are bound to the caller's data by items, with
// enable/show rules between its controls.  DATADIALOGBOX runs one modally and loads and stores by
// itself.  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOG_H
#define KESTAR_WINDOWING_DATADIALOG_H

#include "kestar/windowing/datadialogbase.h"
#include "kestar/windowing/dialog.h"

class DATADIALOG : public DATADIALOGBASE, public DIALOG {
public:
    // module: where the template is; null for the language module.
    DATADIALOG(int templateId, WINDOW &parent, HMODULE module = nullptr);
    DATADIALOG(int templateId, HWND parent, HMODULE module = nullptr);
    // A page: its rules go into the container's shared table (both borrowed).
    DATADIALOG(int templateId, HWND parent, DISABLEITEM *sharedRules, int *sharedCount, HMODULE module);
    // Deletes the items while the controls still exist.
    ~DATADIALOG() override;

    HWND GetHwnd() override { return hWnd; }
    // A bound button runs its item; any other ends the dialog as a DIALOG does.
    LRESULT OnPushbutton(int id) override;
    // The rules, then the default handling.
    LRESULT OnNotify(int code, CONTROL *control, LPARAM data) override;
};

#endif
