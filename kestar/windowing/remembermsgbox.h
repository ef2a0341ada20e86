// The remembered message box of WINORVAK: a box with a check box that asks not to show it again,
// built on the dialog template 10701 of the language library (1 OK, 6 Yes, 7 No, 10001 the text,
// 10002 the icon, 10003 the check box), laid out around its text.  Its state is the value of the
// caller's state key in the caller's settings record: "1" once the box was ticked, "0" when not.
// The standard boxes are in kestar/base/winorvak.h.  Windows only.
#ifndef KESTAR_WINDOWING_REMEMBERMSGBOX_H
#define KESTAR_WINDOWING_REMEMBERMSGBOX_H

#include "kestar/base/hash.h"

#include <windows.h>

namespace WINORVAK {

// type: the buttons in the low four bits (0 OK, 4 Yes and No) and the icon in bits 4 to 7 (16
// stop, 32 question, 48 exclamation, 64 information).  title: null for text 10001.  The text is
// formatted with FormatMsgBoxText(text, 55, 1).  -1 when the state says not to show the box
// (nothing is shown); 0 when it ended with No; 1 for every other end.  A missing state key is
// added with an empty value while it is read; the check box's state is stored afterwards.  A null
// statekey is the assertion failure "pstatekey": the box is shown and no state read or stored.
// The caller's locks on settings are not taken.
int RememberMsgBox(int type, HWND parent, const char *title, const char *text, HASH &settings, const char *statekey);
// RememberMsgBox with the information icon and OK only, owned by the top-level window of parent.
void InfoOnceMsgBox(HWND parent, const char *title, const char *text, HASH &settings, const char *statekey);

} // namespace WINORVAK

#endif
