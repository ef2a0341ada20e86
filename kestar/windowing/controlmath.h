// CONTROLMATH: the arithmetic of the control wrappers that needs no window: the notification-area
// tooltip text, the right edges of status-bar parts, the up-down control's digits and range
// message and the splitter bar's limits.  Portable, so that the native build tests it under the
// sanitizers.
#ifndef KESTAR_WINDOWING_CONTROLMATH_H
#define KESTAR_WINDOWING_CONTROLMATH_H

#include "kestar/base/string.h"

namespace CONTROLMATH {

// The longest tooltip the notification area shows, and the room of the record's tip field.
const int TOOLTIP_CHARACTERS = 63;
const int TOOLTIP_FIELD = 128;
// Status-bar parts: at most 8 widths are kept, 2 to 7 may be set.
const int STATUSBAR_MAXPARTS = 8;

// Every "&" doubled twice ("&&&": the shell shows one), then cut to 63 characters.
STRING PrepareTooltip(const char *text);

// The right edges of count parts (1..8) on a bar clientWidth wide.  The first negative width is
// the part that takes the room left: max(-width, clientWidth - the sum of the others); any other
// width counts by its size (a negative one as its absolute value).  Without a negative width
// every part keeps its width.  Returns the index of the stretched part, -1 when there is none.
int StatusBarEdges(const int *widths, int count, int clientWidth, int *edges);

// The characters the buddy edit of an up-down control takes for the range lo..hi (either order):
// the decimal digits of the bound farther from 0, plus one for the sign when the smaller bound is
// negative.
int UpDownCharacters(int lo, int hi);
// Whether the range needs the 32-bit range message: a bound outside -0x7FFF..0x7FFF.
bool UpDownNeeds32Bit(int lo, int hi);

// The splitter bar's left edge x held to its limits: maximum is the parent's client width less
// the space kept free on the right.  A value whose minimum with maximum lies below minimumLeft
// becomes minimumLeft (so minimumLeft wins when the limits collide); otherwise a value at or
// above maximum becomes maximum.
int SplitterX(int x, int minimumLeft, int maximum);

} // namespace CONTROLMATH

#endif
