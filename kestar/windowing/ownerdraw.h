// OWNERDRAW: what the library's window and dialog procedures do for owner-drawn list and combo
// items: the measuring of combo-box items (an icon item, or the selection field beside an edit),
// and the texts that LISTBOX::AddText keeps as item data of an owner-drawn list.  Those texts are
// heap copies owned by the list: they are freed when the item goes (WM_DELETEITEM, which Windows
// sends to the list's parent for DeleteString, ResetContent and the list's destruction), so a
// measure never reads a text the caller has freed.  User-interface thread only.  Windows only.
#ifndef KESTAR_WINDOWING_OWNERDRAW_H
#define KESTAR_WINDOWING_OWNERDRAW_H

#include <windows.h>

namespace OWNERDRAW {

// WM_MEASUREITEM for a combo box of dialog: an item without data is the selection field, as high
// and wide as the edit just before the combo in Z order minus 3, else the DPI icon size for 16
// plus 4, answer 0; an item whose data text begins with "##ICON=" is the DPI icon size plus 4,
// answer 1.  Any other item, and any other control type: 0, nothing changed.
LRESULT MeasureItem(HWND dialog, WPARAM wParam, LPARAM lParam);
// A heap copy of text to be item data of a list (owned by the list from then on).
char *CopyText(const char *text);
// data as the text CopyText made, or null when it is not one of them.
const char *OwnedText(ULONG_PTR data);
// WM_DELETEITEM: frees the item's data when it is a text made by CopyText (and only then).
void DeleteItem(LPARAM lParam);

} // namespace OWNERDRAW

#endif
