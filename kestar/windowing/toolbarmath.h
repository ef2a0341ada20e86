// TOOLBARMATH: the toolbar's rules that need no window: the arrangement of a row of buttons
// (DoArrange and the dropping of texts), check groups, the button and tooltip texts taken from
// menu texts, the grey of disabled images, the menu items' data and size, and which colours and
// lines a Windows version id asks for.  Portable, so that the native build tests it.
#ifndef KESTAR_WINDOWING_TOOLBARMATH_H
#define KESTAR_WINDOWING_TOOLBARMATH_H

#include <cstdint>
#include <string>

namespace TOOLBARMATH {

// Button state bits.
enum : unsigned {
    STATE_CHECKED = 0x1,
    STATE_ENABLED = 0x4,
    STATE_HIDDEN = 0x8,
    STATE_HOT = 0x40,
    STATE_PRESSED = 0x80,
    STATE_NOFIT = 0x200,
};
// Button style bits.
enum : unsigned {
    STYLE_GAP = 0x1,        // a separator gap in front
    STYLE_CHECK = 0x2,      // TBSTYLE_CHECK
    STYLE_GROUP = 0x4,
    STYLE_DROPDOWN = 0x8,   // the whole button opens a drop-down
    STYLE_ARROW = 0x800,    // a drop-down arrow part at the right
    STYLE_TEXT = 0x8000,    // shows a text (from the menu unless given)
    STYLE_MENUONLY = 0x10000, // starts hidden: only lends its image to the menu
};
// Text flag bits.
enum : unsigned {
    TEXT_HAS = 0x4,
    TEXT_DROPPED = 0x100,
};
// The first state of a new button: enabled, and hidden for the styles 0x200, 0x2000 and 0x10000.
unsigned InitialState(unsigned style);

struct BUTTON {
    int Command = 0;
    unsigned State = STATE_ENABLED;
    unsigned Style = 0;
    unsigned TextFlags = 0;
    int X = 0, Y = 0, Width = 0;
    bool HasText = false; // a non-empty button text
    int TextWidth = 0;    // its width in the bar's font
};

// The width of a drop-down part: s/2 - 1 while s/2 is below 14, else 12.
int ArrowWidth(int symbolSize);
bool HasDropDown(const BUTTON &button);
// Places the buttons in a bar width pixels wide at symbol size s and sets or clears STATE_NOFIT
// on each; true when the row is too wide (its end passes width).
bool DoArrange(BUTTON *buttons, int count, int s, int width);
// Marks the buttons with text, then drops texts from the right (TEXT_DROPPED) while the row is too
// wide and a text is left.  Returns how many texts were dropped.
int ArrangeButtons(BUTTON *buttons, int count, int s, int width);

// Checks (on) or unchecks button index.  A hidden button is left alone (false); a button without
// STYLE_CHECK is a programmer error (false).  Checking a group button (check and group) unchecks
// the unbroken run of group buttons around it; unchecking a group button leaves it checked.
bool CheckButton(BUTTON *buttons, int count, int index, bool on);

// A menu text as a button text: every "&" and "..." removed, cut at the first tab, trailing blanks
// and tabs removed, one blank appended.  An empty text stays empty.
std::u16string ButtonText(const std::u16string &menuText);
// A menu text as a tooltip: the first tab becomes two blanks and "(" with ")" appended; at most
// 79 bytes.
const int TOOLTIP_BYTES = 79;
std::string TooltipText(const std::string &menuText);

// The grey of a pixel of a disabled image.
int GreyOf(int r, int g, int b);

// The item data of an owner-drawn menu item: (menu id << 16) | 0x8000 on a menu-bar item | id.
// An id that does not fit 15 bits has no data: false (the item stays plain).
bool MenuItemData(int menuId, bool menuBar, int id, uint32_t *data);
// A menu text without "&", split at the first tab into label and shortcut.
void SplitMenuText(const std::u16string &text, std::u16string *label, std::u16string *shortcut);
// The size of an owner-drawn menu item: label + (shortcut + 16 when there is one) + 4 on the menu
// bar, else + s + 30; height the larger of text height and s, plus 3.
void MenuItemSize(int labelWidth, int shortcutWidth, bool hasShortcut, int textHeight, int s, bool menuBar,
                  int *width, int *height);

// What a Windows version id (OSYS::GetOsVersionId) asks of the bar's look.
enum BARCOLOUR { BAR_BTNFACE, BAR_REBARTHEME, BAR_MENUBAR };
struct LOOK {
    bool Themed;            // above 2
    bool MenuHilight;       // COLOR_MENUHILIGHT from 3 (else COLOR_MENU)
    bool MenuBarImages;     // menu-bar items owner-drawn from 6
    BARCOLOUR Bar;          // BTNFACE; the REBAR theme colour on 5 and 6 with a manifest; MENUBAR from 7
    int HighlightPercent;   // 50, 33 from 7
    bool ShadowLine;        // below 9
    bool HighlightLine;     // below 7
};
LOOK LookFor(int versionId, bool manifest);
// Each channel of colour moved towards 255 by percent.
uint32_t Towards255(uint32_t colour, int percent);

} // namespace TOOLBARMATH

#endif
