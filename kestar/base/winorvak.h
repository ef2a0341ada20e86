// WINORVAK: the standard message boxes through which every question and notice reaches the user,
// and the formatter of their texts.  The boxes share one owner rule (the top-level window of the
// window the caller names), one default title (the application name, text 10001 of the language
// library) and FormatMsgBoxText, which reflows the program's plain texts and resolves their small
// markup.  Each box logs its title and text before it shows the box.
//
// They live beside the application frame because the frame and the work folder ask through them;
// the remembered box, a dialog of its own, is in kestar/windowing/remembermsgbox.h.  The boxes are
// Windows only; the formatter is portable.
#ifndef KESTAR_WINORVAK_H
#define KESTAR_WINORVAK_H

#include "kestar/base/string.h"
#include "kestar/base/wstring.h"

namespace WINORVAK {

// The text that "&nbsp;" stands for while the text is reflowed: a private-use character, so that a
// real character of the message never turns into a blank.
constexpr char16_t NBSP_PLACEHOLDER = 0xE000;

// Reflows text for a box (see FormatMsgBoxTextFor) with the running system's version id.  The
// 8-bit text is read in the system's ANSI code page.  Never NULL.
WSTRING FormatMsgBoxText(STRING text, int width, int force);
// The formatter on wide text:
//  - "\r\n" and "\n" become "\r"; "&nbsp;" a blank that never breaks; "&rarr;" the arrow U+2192;
//  - a text that begins with "##NOWRAP##" and a line break loses that marker and keeps every
//    line break as it is;
//  - otherwise a single line break joins its lines with a blank (or nothing after a blank); an
//    empty line or a line that begins with a blank or a tab keeps its break;
//  - when force is set, or the system is older than Vista (osVersionId below 5) and width is not
//    -1, the first blank past column width becomes a line break.
// Line breaks come out as "\r".  An empty text gives an empty (not NULL) result.
WSTRING FormatMsgBoxTextFor(const WSTRING &text, int width, int force, int osVersionId);

#if defined(_WIN32)
// parent: a window handle (HWND) or null; title: null for text 10001; texts in code page 1252.
void InfoMsgBox(void *parent, const char *title, const char *text);
void WarningMsgBox(void *parent, const char *title, const char *text);
void ErrorMsgBox(void *parent, const char *title, const char *text);
// 1 when the answer is Yes, else 0 (also when the box could not be shown).
int YesNoMsgBox(void *parent, const char *title, const char *text);
// 1 for Yes, -1 for Cancel (Escape and the close box too), 0 for anything else.
int YesNoCancelMsgBox(void *parent, const char *title, const char *text);
#endif

} // namespace WINORVAK

#endif
