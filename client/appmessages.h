// The main window's private messages that other threads post or send to it (WM_USER = 1024),
// and the mouse message the tray icon passes on.  Portable: the list code names them too.
#ifndef CLIENT_APPMESSAGES_H
#define CLIENT_APPMESSAGES_H

namespace APPMSG {

const unsigned OPENPOPUPWINDOW = 1025;   // lParam: a POPUPREQUEST, owned by the window
const unsigned LASTRECORDFOCUS = 1028;   // wParam: an item handle, 0 for the last item
const unsigned PLEASEWAITDLGOPEN = 1033; // wParam: delay in ms; lParam: the stop flag (int *) or 0
const unsigned PLEASEWAITDLGCLOSE = 1034;
const unsigned PLEASEWAITDLGSETTEXT = 1035; // wParam: the text (8-bit, the sender's)
const unsigned SETTIMER = 1042;          // wParam: the timer; lParam: its period in ms, 0 to stop it
const unsigned TASKBARNOTIFY = 1264;     // lParam: the mouse message
const long LBUTTONDBLCLK = 515;          // the tray icon's left double click: restore the window

} // namespace APPMSG

#endif
