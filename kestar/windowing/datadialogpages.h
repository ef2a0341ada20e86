// DATADIALOGPAGES: a modal data-bound dialog of up to 32 pages, each a DATADIALOG child shown one
// at a time.  The pages share one rule table, so that a rule may join controls of different
// pages.  How a page is chosen is the derived class's (DATADIALOGTABS).  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGPAGES_H
#define KESTAR_WINDOWING_DATADIALOGPAGES_H

#include "kestar/windowing/datadialog.h"

struct DATADIALOGPAGEENTRY {
    DATADIALOG *Page = nullptr; // owned by the container
    STRING Title;
    int Tab = -1;
};

class DATADIALOGPAGES : public DATADIALOG {
public:
    static const int Max = 32;
    DATADIALOGPAGES(int templateId, WINDOW &parent, HMODULE module = nullptr);
    // Deletes the pages.
    ~DATADIALOGPAGES() override;

    // Slot 7: takes ownership of page.  The 33rd is an assertion failure, deleted and not added;
    // false.
    virtual bool AddPage(DATADIALOG *page, const char *title);
    // Slot 8: a page of the template, on the shared rule table; null when refused.
    virtual DATADIALOG *NewPage(int templateId, const char *title);
    // Slot 9: null outside 0..count-1.
    virtual DATADIALOG *GetPage(int index);
    // Slot 10: the close box then means OK.
    virtual void SetCloseIsOk(int flag) { CloseIsOk = flag; }
    // Slot 11, 12: -1 = none.
    virtual void SelectPage(int index) = 0;
    virtual int GetCurrentPage() = 0;

    int GetPageCount() const { return Howmany; }

    LRESULT OnPushbutton(int id) override;
    LRESULT OnClose() override;
    // The help of the current page's window (the container's when none), else the default.
    LRESULT OnHelp() override;
    // Stores every page, then the container's own items.
    void OnEndModal(int code) override;
    // Loads the container's items and every page, selects the first page and runs the dialog.
    int DoModal(bool noShow = false) override;
    // The same, starting on startPage.
    int DoModal(int startPage);

protected:
    void ClearPageFlags();

    DATADIALOGPAGEENTRY Pages[Max];
    int Howmany = 0;
    int CloseIsOk = 0;
    DISABLEITEM SharedRules[MaxRules];
    int SharedCount = 0;
    HMODULE Module;
};

#endif
