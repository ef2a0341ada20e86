// DATADIALOGBOX: the modal data-bound dialog that loads its items (and those of up to 16
// embedded sub-dialogs) before it shows and stores them when it ends with anything but Cancel
// or the close box.  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGBOX_H
#define KESTAR_WINDOWING_DATADIALOGBOX_H

#include "kestar/windowing/datadialog.h"

class DATADIALOGBOX : public DATADIALOG {
public:
    static const int MaxSubDialogs = 16;
    DATADIALOGBOX(int templateId, WINDOW &parent, HMODULE module = nullptr);
    DATADIALOGBOX(int templateId, HWND parent, HMODULE module = nullptr);
    // Deletes the sub-dialogs.
    ~DATADIALOGBOX() override;

    // Embeds dialog (owned from now on) for the control id; loaded, stored and cancelled with the
    // box.  The 17th is an assertion failure, deleted and not added; false.
    bool AddSubDialog(DATADIALOG *dialog, int controlId);

    // Cancel clears the save flags of the box and its sub-dialogs.
    LRESULT OnPushbutton(int id) override;
    // The close box acts as Cancel: nothing is stored, the end code is 0.
    LRESULT OnClose() override;
    // Stores the box's items, then those of the sub-dialogs.
    void OnEndModal(int code) override;
    // Sets the box's save flag, loads the items of the box and its sub-dialogs, runs the dialog.
    // 1 for OK, 0 for Cancel and the close box, else the button's id.
    int DoModal(bool noShow = false) override;

private:
    void ClearAllSaveFlags();

    DATADIALOG *SubDialogs[MaxSubDialogs] = {}; // owned
    int SubDialogIds[MaxSubDialogs];
    int SubDialogCount = 0;
};

#endif
