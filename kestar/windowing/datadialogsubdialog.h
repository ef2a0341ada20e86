// DATADIALOGSUBDIALOG: a push button that opens a nested DATADIALOGBOX whose items work on copies
// of the caller's data: the nested OK fills the copies, and only the outer dialog's store hands
// them to the caller.  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGSUBDIALOG_H
#define KESTAR_WINDOWING_DATADIALOGSUBDIALOG_H

#include "kestar/windowing/datadialogitem.h"

class DATADIALOGBOX;
class DIALOG;
class WINDOW;

class DATADIALOGSUBDIALOG : public DATADIALOGITEM {
public:
    static const int Max = 32;
    // module: where the nested template is; null for the language module.
    DATADIALOGSUBDIALOG(int id, STRING &datum, int templateId, WINDOW &parent, HMODULE module = nullptr);
    ~DATADIALOGSUBDIALOG() override;

    void Init(HWND dialog) override;
    void Exit(HWND dialog) override;
    // Runs the nested dialog, owned by the outer one.
    void Push(HWND dialog) override;

    // The nested dialog (owned by this item).
    DIALOG *GetDialog();
    // Takes ownership of item for the nested dialog, bound to a working copy of its datum.  The
    // 33rd is an assertion failure, deleted and not added; false.
    bool AddItem(DATADIALOGITEM *item);
    // A rule with both controls in the nested dialog.
    bool AddDisableItem(int targetId, int sourceId, int flags, const char *compare);

private:
    DATADIALOGBOX *Nested;    // owned
    STRING *Caller[Max] = {}; // borrowed: the caller's data
    STRING Work[Max];         // the working copies
    int Howmany = 0;
    HWND Outer = nullptr;
};

#endif
