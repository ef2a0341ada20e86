// DATADIALOGTABS: the pages container on a tab control: one tab per page, Ctrl+Tab between tabs.
// Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGTABS_H
#define KESTAR_WINDOWING_DATADIALOGTABS_H

#include "kestar/windowing/datadialogpages.h"
#include "kestar/windowing/tabcontrol.h"

class DATADIALOGTABS : public DATADIALOGPAGES {
public:
    // tabControlId: the template's tab control.
    DATADIALOGTABS(int templateId, WINDOW &parent, int tabControlId, HMODULE module = nullptr);

    // Adds a tab for the page; the first page's tab is selected.
    bool AddPage(DATADIALOG *page, const char *title) override;
    void SelectPage(int index) override;
    int GetCurrentPage() override;

    // A tab change shows its page.
    LRESULT OnNotify(int code, CONTROL *control, LPARAM data) override;
    // Ctrl+Tab and Ctrl+Shift+Tab go to the tab control first.
    LRESULT DlgProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TABCONTROL Tabs;
};

#endif
