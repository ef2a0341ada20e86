// DIALOG: a dialog window made from a template of the language module (or a given module), with
// its own message routing into the WINDOW slots, a private modal loop and an end code carried by
// WM__ENDMODAL.  Modal use: construct (the window is made hidden or shown as the template says),
// DoModal, read the end code, destroy the object (which destroys the window).  Windows only; the
// font rewrite of templates is portable (dialogtemplate.h).
#ifndef KESTAR_WINDOWING_DIALOG_H
#define KESTAR_WINDOWING_DIALOG_H

#include "kestar/windowing/window.h"

#include <vector>

class DIALOG : public WINDOW {
public:
    // templateId 0 leaves the object unattached (for derived classes that make their window
    // another way).  module: where the template is; null for the language module.  A template
    // that cannot be found raises the assertion "this->hWnd" and leaves hWnd null.  A dialog that
    // is not a child is centred over the top-level window of parent.
    DIALOG(int templateId, HWND parent, HMODULE module = nullptr);
    // Destroys the dialog window when it still exists.
    ~DIALOG() override;

    // EndModal(button), IDCANCEL ending with 0; 1.
    LRESULT OnPushbutton(int button) override;
    // EndModal(0); 1.
    LRESULT OnClose() override;

    // Slot 36: the routing of the dialog's messages into the WINDOW slots (dialog_win32.cpp).
    virtual LRESULT DlgProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Slot 37: sees every message of the modal loop first; non-zero swallows it.
    virtual int PreTranslate(MSG *message) { (void)message; return 0; }
    // Slot 38: the dialog manager's keyboard handling (IsDialogMessageA; the Windows headers make
    // this name IsDialogMessageA too, consistently).
    virtual int IsDialogMessage(HWND dialog, MSG *message);
    // Slot 39: called with the end code when the modal loop ends.
    virtual void OnEndModal(int code) { (void)code; }
    // Slot 40: disables the owner, shows the dialog (unless noShow), runs the modal loop, enables
    // the owner again and hides the dialog (unless noShow).  The end code; the window remains.
    virtual int DoModal(bool noShow = false);
    // Slot 41: the modal loop; ends on WM__ENDMODAL for this dialog (its wParam is the end code)
    // and on WM_QUIT (posted again for the loops outside; then 0).
    virtual int RunModalLoop();
    // Slot 42: posts WM__ENDMODAL with code; the loop ends after the present message.
    virtual void EndModal(int code);

    // Centres the dialog over reference (null or hidden: the work area), kept on the desktop.
    void CenterOver(HWND reference);

    // The RT_DIALOG templateId of module (null: the language module) into *out.  Extended
    // templates in 8 pt "MS Shell Dlg" take the system message font on version id 5 and up.
    // False (*out emptied) when the resource is missing.
    static bool LoadTemplate(HMODULE module, int templateId, std::vector<unsigned char> *out);
    // The procedure of every dialog of the library.
    static INT_PTR CALLBACK StaticDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};

#endif
