// WINORVAK: the standard message boxes through which every question and notice reaches the user.
// They share one owner rule (the top-level window of the window the caller names) and one default
// title (the application name, text 10001 of the language library).  Each logs its title and text
// before it shows the box.  Windows only.
#ifndef KESTAR_WINORVAK_H
#define KESTAR_WINORVAK_H

namespace WINORVAK {

// parent: a window handle (HWND) or null; title: null for text 10001; texts in code page 1252.
void InfoMsgBox(void *parent, const char *title, const char *text);
void ErrorMsgBox(void *parent, const char *title, const char *text);
// 1 when the answer is Yes, else 0.
int YesNoMsgBox(void *parent, const char *title, const char *text);

} // namespace WINORVAK

#endif
