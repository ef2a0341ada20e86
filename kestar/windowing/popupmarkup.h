// POPUPMARKUP: the light markup of the notification pop-up and the arithmetic around it that needs
// no window: parsing a text into lines of segments, laying a line out from measured sizes, the
// font texts of the four pop-up fonts, the options record, the placement in the work area, the
// animation flags and the colours of the background and the separator.  Portable, so that the
// native build tests and fuzzes it (pop-up texts carry caller data from the server).
//
// The text: lines separated by "\n"; a line is a run of segments, each started by ESC "[",
// option letters and "]", its text running to the next ESC.  Text before the first ESC is a
// segment without options.  Options: "n" normal size, "s" small size, "b" bold, "F=" decimal text
// colour, "B=" decimal background colour, "*" clickable (with "=" decimal: its id), "-" a
// separator line instead of text.  0x0E stands for ESC "[n]", 0x0F for ESC "[s]".
#ifndef KESTAR_WINDOWING_POPUPMARKUP_H
#define KESTAR_WINDOWING_POPUPMARKUP_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace POPUPMARKUP {

const char16_t ESCAPE = 0x1B;
// The clickable entries whose rectangles the pop-up records; later ones draw but do not click.
const int MAX_CLICKRECTS = 32;
// An entry without an id of its own ("*" alone) reports the pop-up's default id.
const int DEFAULT_ID = -1;

struct SEGMENT {
    std::u16string Text;
    bool Small = false;
    bool Bold = false;
    bool Separator = false;
    bool Clickable = false;
    int Id = DEFAULT_ID;          // for a clickable segment
    bool HasColour = false;       // "F="
    uint32_t Colour = 0;
    bool HasBackground = false;   // "B="
    uint32_t Background = 0;
};
typedef std::vector<SEGMENT> LINE;

// Every 0x0E replaced by ESC "[n]" and every 0x0F by ESC "[s]".
std::u16string ExpandControls(const std::u16string &text);
// Whether the text is more than one line (holds a "\n"); a single line is shown as it stands.
bool IsMultiLine(const std::u16string &text);
// The lines of a text (after ExpandControls).  Every line has at least one segment (an empty line
// one empty segment without options).  Unknown option letters are skipped; a number that does
// not fit stops at the largest value of its type; an unclosed option list takes the rest of the
// line and leaves the segment text empty.
std::vector<LINE> Parse(const std::u16string &text);

// The size of a segment's text in its font: its width and the font's line height.
struct EXTENT {
    int Width = 0;
    int Height = 0;
};
typedef EXTENT (*MEASURE)(void *context, const SEGMENT &segment);

// A segment placed on its line.  Box: the segment's rectangle (the clickable box of an entry, the
// filled box of "B="); a separator's box is empty in width and starts where the line is drawn.
struct PLACED {
    size_t Segment = 0;
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int TextX = 0, TextY = 0;
    int TextHeight = 0;
};
struct LINELAYOUT {
    std::vector<PLACED> Items;
    int Width = 0;
    int Height = 0;
};
// Lays out one line from x, y.  A clickable entry reserves a box in front of its text: h + 3h/4
// high and h + text width wide (h: the text height); a separator adds half its text height.  The
// line is as high as its highest segment with that extra; texts are centred in it vertically.
LINELAYOUT LayoutLine(const LINE &line, int x, int y, MEASURE measure, void *context);
// The size of all lines laid out from 0, 0: the widest line and the sum of the heights.
EXTENT MeasureLines(const std::vector<LINE> &lines, MEASURE measure, void *context);

// The pop-up's options, from the caller's record of four ints (transparency, x margin, y margin,
// animation kind) or none.  Transparency is held to 0..255 (0 opaque); a margin below 1 means the
// default (0 here).
struct OPTIONS {
    int Transparency = 0;
    int MarginX = 0;
    int MarginY = 0;
    int Animation = 0;
};
OPTIONS OptionsFromRecord(const int *record);

// The default margins from the size of "o" in the normal font: its width and a third of its height.
void DefaultMargins(int oWidth, int oHeight, int *marginX, int *marginY);

// The font text with "B" added when absent (bold), and/or with the point size times 9 / 10
// (small, at least 1).  A text that is not a font text comes back unchanged.
std::string FontVariant(const std::string &spec, bool bold, bool small);

// The work area and the pop-up's place in it by position kind: 1 top-left, 3 bottom-left,
// 4 bottom-right, 5 centred, any other top-right.
struct AREA {
    int Left, Top, Right, Bottom;
};
void Place(int kind, const AREA &work, int width, int height, int *x, int *y);

// The flags of AnimateWindow (the values of the system's AW_ constants).
enum : uint32_t {
    AW_HOR_POSITIVE_ = 0x1,
    AW_HOR_NEGATIVE_ = 0x2,
    AW_VER_POSITIVE_ = 0x4,
    AW_VER_NEGATIVE_ = 0x8,
    AW_CENTER_ = 0x10,
    AW_HIDE_ = 0x10000,
    AW_SLIDE_ = 0x40000,
    AW_BLEND_ = 0x80000,
};
struct ANIMATION {
    uint32_t Show = 0;
    uint32_t Hide = 0;
    int Ms = 250;
};
// Animation kind 0 none, 2 from the centre, 3 slide, 4 roll (both 500 ms, upwards from the
// bottom positions 3 and 4, else downwards; hiding goes back), 1 and any other a blend.
ANIMATION AnimationFor(int kind, int position);

// Colours are colour references (red in the low byte).  Each channel moved towards 255 by
// percent, or towards 0 by percent.
uint32_t Lighten(uint32_t colour, int percent);
uint32_t Darken(uint32_t colour, int percent);
// The separator's colours at the 9 edges of its 8 steps: from the background lightened 70 % at
// the ends to the background darkened 20 % in the middle, weighted by a sine over half a turn.
const int SEPARATOR_STEPS = 8;
uint32_t SeparatorColour(uint32_t background, int edge);

} // namespace POPUPMARKUP

#endif
