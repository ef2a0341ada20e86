// The pages container on a tab control.
#include "kestar/windowing/datadialogtabs.h"

#include <commctrl.h>

DATADIALOGTABS::DATADIALOGTABS(int templateId, WINDOW &parent, int tabControlId, HMODULE module)
    : DATADIALOGPAGES(templateId, parent, module), Tabs(hWnd, tabControlId)
{
}

bool DATADIALOGTABS::AddPage(DATADIALOG *page, const char *title)
{
    if (!DATADIALOGPAGES::AddPage(page, title))
        return false;
    DATADIALOGPAGEENTRY &e = Pages[Howmany - 1];
    e.Tab = Tabs.AddPage(title != nullptr ? title : "", page->hWnd);
    if (Howmany == 1) {
        Tabs.SelectPage(e.Tab);
        Tabs.PageChanged(e.Tab);
    }
    return true;
}

void DATADIALOGTABS::SelectPage(int index)
{
    if (index < 0 || index >= Howmany || Pages[index].Tab < 0)
        return;
    Tabs.SelectPage(Pages[index].Tab);
    Tabs.PageChanged(Pages[index].Tab);
}

int DATADIALOGTABS::GetCurrentPage()
{
    int tab = Tabs.GetCurSel();
    for (int i = 0; i < Howmany; i++) {
        if (Pages[i].Tab == tab && tab >= 0)
            return i;
    }
    return -1;
}

LRESULT DATADIALOGTABS::OnNotify(int code, CONTROL *control, LPARAM data)
{
    if (code == static_cast<int>(TCN_SELCHANGE) && control != nullptr && control->hWnd == Tabs.hWnd) {
        Tabs.PageChanged(Tabs.GetCurSel());
        return 1;
    }
    return DATADIALOGPAGES::OnNotify(code, control, data);
}

LRESULT DATADIALOGTABS::DlgProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if ((message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && Tabs.HandleKey(message, static_cast<int>(wParam)))
        return 1;
    return DATADIALOGPAGES::DlgProc(message, wParam, lParam);
}
