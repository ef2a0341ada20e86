// CHECKLIST: a list of lines, each with a check mark, made of a list view inside a window of its
// own (class "WinClassOrvakCheckList").  Every line is a record whose handle is the line's id and
// whose image is its state: image 0 unchecked (icon ICON_UNCHECKED), image 1 checked (icon
// ICON_CHECKED), both from the language module.  A click toggles the line.  Windows only.
#ifndef KESTAR_WINDOWING_CHECKLIST_H
#define KESTAR_WINDOWING_CHECKLIST_H

#include "kestar/windowing/listview.h"
#include "kestar/windowing/window.h"

class CHECKLIST : public WINDOW {
public:
    // The icons of the language module (16, 24 and 32 pixels).
    enum { ICON_CHECKED = 10901, ICON_UNCHECKED = 10902, LIST_ID = 100 };

    // A child of parent with child id id.  With placeholderId (not -1) the check list takes the
    // placeholder item's rectangle, hides it and makes a line of every non-empty line of its text
    // (split at "\n", blanks and "\r" trimmed on the right), unchecked, with the line number from
    // 0 as its id.  Shown on top of its siblings.
    CHECKLIST(HWND parent, int id, int placeholderId);
    // Destroys the list and the window.
    ~CHECKLIST() override;
    CHECKLIST(const CHECKLIST &) = delete;
    CHECKLIST &operator=(const CHECKLIST &) = delete;

    // Appends a line; the column is sized again.  False when the row could not be made.
    bool AddItem(int id, const char *text, bool checked);
    // 1 when the line is checked, 0 when not (or missing: assertion "n!=-1").
    int IsChecked(int id);
    // Checks or unchecks a line; false when it is missing.
    bool SetChecked(int id, bool checked);

    // Slot 0: sizing, enabling, painting and the click that toggles a line.
    LRESULT WinProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    LISTVIEW List; // the inner list, child id 100
};

#endif
