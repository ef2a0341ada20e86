// The tip of the day: at start the client may show one tip of a plain-text tips file in a small
// dialog (template 10700); the user pages on and chooses how often it comes.  How often
// ("TipOfDayStyle"), the next tip ("TipOfDayCount") and the day of the last showing
// ("TipOfDayLast", days since 1970) are decimal texts under HKEY_CURRENT_USER "Software\Orvak\" and
// the application key.  The tips file, the due rule and the choice of the next tip are portable
// (TIPOFDAY); the dialog is Windows only.
#ifndef KESTAR_WINDOWING_TIPOFDAY_H
#define KESTAR_WINDOWING_TIPOFDAY_H

#include "kestar/base/string.h"
#include "kestar/base/stringarray.h"

namespace TIPOFDAY {

enum { STYLE_NEVER = 0, STYLE_EVERY_START = 1, STYLE_DAILY = 2, STYLE_EVERY_SECOND_DAY = 3, STYLE_WEEKLY = 4 };
enum { DEFAULT_STYLE = STYLE_DAILY };

// The tips of a tips file's content.  With "[TIP]" anywhere: sections started by "[TIP]" lines,
// each with "title=" and "platform=" lines (only tips for no platform or "windows" are taken) and
// text lines (a non-empty line adds itself and a blank, an empty line a paragraph break); a tip is
// its text without trailing line breaks, after its title and "|" when it has one.  Without
// "[TIP]": every line that holds more than blanks is a tip.  Lines are trimmed of line breaks,
// blanks and tabs first.
STRINGARRAY ParseTips(const char *content);

// Whether a tip is shown at this start, and the day to store as the last showing (*newLast).
// Due: style 1 always, 2 when last < today, 3 when last + 1 < today, 4 when last + 6 < today,
// any other never.  Not due and not forced: nothing, last kept.  Never shown (last 0) and not
// forced: nothing this time, and today - 1 is stored so that the next start counts as due.
bool IsDue(int style, long long last, long long today, int force, long long *newLast);

// The next tip to show: tip *count (from the first when *count is outside the list), *count then
// points past it; blanks and tabs trimmed.  An empty tip ends the showing unless force is set, in
// which case the following tip is taken, but at most one full pass is made.  False: nothing more
// to show.
bool NextTip(STRINGARRAY &tips, int *count, int force, STRING *tip);

// A tip's title (before the first "|"; defaultTitle without one) and text.
void SplitTip(const STRING &tip, const char *defaultTitle, STRING *title, STRING *text);

// The dialog's title: the first word of the owner's title, a blank and the template's title;
// the template's title alone when there is no such word or it begins with "<".
STRING DialogTitle(const char *ownerTitle, const char *templateTitle);

// A stored decimal value: defaultValue when the text is NULL or empty.
long long ReadValue(const STRING &text, long long defaultValue);

} // namespace TIPOFDAY

#if defined(_WIN32)
#include <windows.h>

// Reads the three values, the tips file and shows the due tips over owner (see above); force
// (the menu command) shows a tip whatever the style.  The values are written back in every case.
void ShowTipOfDay(HWND owner, const char *tipsFile, const char *appKey, int force);
#endif

#endif
