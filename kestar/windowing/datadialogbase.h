// DATADIALOGBASE: the item table (up to 64 owned items) and the enable/show rule table of a
// data-bound dialog, its change callback and its save flag.  The rules are evaluated when a
// source control reports a change (the evaluation itself is DATADIALOGRULES).  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGBASE_H
#define KESTAR_WINDOWING_DATADIALOGBASE_H

#include "kestar/windowing/window.h"

#include "kestar/base/string.h"

class CONTROL;
class DATADIALOGITEM;

// One enable/show rule (see DATADIALOGRULES for the flags).
struct DISABLEITEM {
    HWND TargetParent = nullptr;
    int TargetId = 0;
    HWND SourceParent = nullptr;
    int SourceId = 0;
    int Flags = 0;
    STRING Compare;
    int Mark = 0;
};

class DATADIALOGBASE {
public:
    static const int Max = 64;
    static const int MaxRules = 64;
    // Called on every control notification of the dialog.
    typedef void (*CHANGECALLBACK)(void *userData, HWND dialog, int code, CONTROL &source);

    // Rules go into the dialog's own table.
    DATADIALOGBASE();
    // Rules go into a table shared with other dialogs (the pages of one container); both
    // borrowed, must outlive the dialog.
    DATADIALOGBASE(DISABLEITEM *sharedRules, int *sharedCount);
    DATADIALOGBASE(const DATADIALOGBASE &) = delete;
    DATADIALOGBASE &operator=(const DATADIALOGBASE &) = delete;

    // Slot 0: the dialog's window.
    virtual HWND GetHwnd() = 0;
    // Slot 1: the change callback, then the rules of the notifying control; 0.
    virtual int OnControlNotify(int code, CONTROL &source, int data);
    // Slot 2: 1 when an item has the id idc (push items run their callback), else 0.
    virtual int OnPush(int idc);
    // Slot 3: deletes the items, the last added first.
    virtual ~DATADIALOGBASE();
    // Slot 4: every item's Init, then the first rule pass.
    virtual void InitItems();
    // Slot 5: every item's Exit, while the save flag is set.
    virtual void ExitItems();
    // Slot 6.
    virtual void ClearSaveFlag() { SaveFlag = 0; }

    // Takes ownership of item.  The 65th is an assertion failure, deleted and not added; false.
    bool AddItem(DATADIALOGITEM *item);
    // A rule: target and source controls by parent window (null: this dialog) and id.  The 65th
    // rule is an assertion failure and not added; false.
    bool AddDisableItem(HWND targetParent, int targetId, HWND sourceParent, int sourceId, int flags,
                        const char *compare);
    // The same with both controls in this dialog.
    bool AddDisableItem(int targetId, int sourceId, int flags, const char *compare);
    void SetCallback(CHANGECALLBACK function, void *userData);

    int GetItemCount() const { return Howmany; }
    DATADIALOGITEM *GetItem(int index) const { return index >= 0 && index < Howmany ? Items[index] : nullptr; }
    int GetRuleCount() const { return *DisableItemCount; }

    int SaveFlag = 1;

protected:
    // Deletes the items now (before the window goes), the last added first.
    void DeleteItems();

    DATADIALOGITEM *Items[Max] = {}; // owned
    int Howmany = 0;
    DISABLEITEM *DisableItems;       // the table in use: OwnRules or a shared one
    int *DisableItemCount;
    DISABLEITEM OwnRules[MaxRules];
    int OwnRuleCount = 0;
    CHANGECALLBACK Callback = nullptr;
    void *CallbackData = nullptr;
};

#endif
