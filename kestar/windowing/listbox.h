// LISTBOX: list boxes, combo boxes and drop-down lists in one wrapper: LB_ messages for a list
// box, CB_ messages for the combo kinds.  Texts are 8-bit (code page 1252) and go through the
// wide messages.  Windows only.
#ifndef KESTAR_WINDOWING_LISTBOX_H
#define KESTAR_WINDOWING_LISTBOX_H

#include "kestar/windowing/control.h"

class LISTBOX : public CONTROL {
public:
    // Creates and owns a list box (WS_VSCROLL, LBS_NOTIFY, a client edge added to style).
    LISTBOX(HWND parent, int id, DWORD style, int x, int y, int width, int height);
    // The dialog item id of parent, not owned.
    LISTBOX(HWND parent, int id);
    ~LISTBOX() override {}
    // The same for an item that must be a drop-down list / a drop-down combo (else an assertion).
    static LISTBOX FromDropdownList(HWND parent, int id);
    static LISTBOX FromDropdownCombo(HWND parent, int id);

    void ResetContent();
    void DeleteString(int index);
    // The index of the new item; -1 on failure.  An owner-drawn list without strings of its own
    // keeps a copy of text as the item's data (owned by the list, freed with the item).
    int InsertText(const char *text, int index);
    int AddText(const char *text);
    // Each word of text between separators, at index, index + 1, ... (index -1: appended).
    void AddTextList(const char *text, char separator, int index);
    // The index of the first item beginning with text, -1 when none.
    int FindString(const char *text);
    int GetCount();
    // 1 for combo boxes.
    int GetSelCount();
    // The n-th selected index; -1 when there is none.
    int GetSelection(int n);
    // Selects (or, off, clears) and notifies the parent as a selection change.
    void Select(int index, bool on);
    // The item's text (-1: the selection); empty when there is none.
    STRING GetItemText(int index);
    STRING GetSelectedText(int n);

    bool IsListBox; // "ListBox": LB_ messages; else CB_ messages

private:
    bool OwnsItemTexts();
};

#endif
