// A data-bound dialog: the items' buttons and the rules' notifications.
#include "kestar/windowing/datadialog.h"

#include "kestar/windowing/control.h"

DATADIALOG::DATADIALOG(int templateId, WINDOW &parent, HMODULE module) : DIALOG(templateId, parent.hWnd, module) {}

DATADIALOG::DATADIALOG(int templateId, HWND parent, HMODULE module) : DIALOG(templateId, parent, module) {}

DATADIALOG::DATADIALOG(int templateId, HWND parent, DISABLEITEM *sharedRules, int *sharedCount, HMODULE module)
    : DATADIALOGBASE(sharedRules, sharedCount), DIALOG(templateId, parent, module)
{
}

DATADIALOG::~DATADIALOG()
{
    DeleteItems();
}

LRESULT DATADIALOG::OnPushbutton(int id)
{
    if (id != IDHELP && OnPush(id))
        return 1;
    return DIALOG::OnPushbutton(id);
}

LRESULT DATADIALOG::OnNotify(int code, CONTROL *control, LPARAM data)
{
    if (control != nullptr)
        OnControlNotify(code, *control, static_cast<int>(data));
    return DIALOG::OnNotify(code, control, data);
}
