// The pop-up's markup and arithmetic (see popupmarkup.h).
#include "kestar/windowing/popupmarkup.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace POPUPMARKUP {

namespace {

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Decimal digits at text[*pos] within end; the value stops at limit.  Moves *pos past them.
uint64_t ReadNumber(const std::u16string &text, size_t *pos, size_t end, uint64_t limit)
{
    uint64_t value = 0;
    while (*pos < end && IsDigit(text[*pos])) {
        value = value * 10 + static_cast<uint64_t>(text[*pos] - u'0');
        if (value > limit)
            value = limit;
        ++*pos;
    }
    return value;
}

// The options between "[" and "]" (text[from, to)).
void ReadOptions(const std::u16string &text, size_t from, size_t to, SEGMENT *segment)
{
    size_t pos = from;
    while (pos < to) {
        char16_t c = text[pos++];
        switch (c) {
        case u'n': segment->Small = false; break;
        case u's': segment->Small = true; break;
        case u'b': segment->Bold = true; break;
        case u'-': segment->Separator = true; break;
        case u'F':
        case u'B':
            if (pos < to && text[pos] == u'=') {
                ++pos;
                uint32_t value = static_cast<uint32_t>(ReadNumber(text, &pos, to, UINT32_MAX));
                if (c == u'F') {
                    segment->HasColour = true;
                    segment->Colour = value;
                } else {
                    segment->HasBackground = true;
                    segment->Background = value;
                }
            }
            break;
        case u'*':
            segment->Clickable = true;
            if (pos < to && text[pos] == u'=') {
                ++pos;
                if (pos < to && IsDigit(text[pos]))
                    segment->Id = static_cast<int>(ReadNumber(text, &pos, to, INT_MAX));
            }
            break;
        default:
            break;
        }
    }
}

LINE ParseLine(const std::u16string &text, size_t begin, size_t end)
{
    LINE line;
    size_t pos = begin;
    size_t escape = text.find(ESCAPE, pos);
    if (escape == std::u16string::npos || escape > end)
        escape = end;
    // Text before the first escape is a segment without options (dropped when empty and markup follows).
    if (escape > pos || escape == end) {
        SEGMENT plain;
        plain.Text = text.substr(pos, escape - pos);
        line.push_back(plain);
    }
    pos = escape;
    while (pos < end) {
        // text[pos] is ESC.
        SEGMENT segment;
        ++pos;
        if (pos < end && text[pos] == u'[') {
            size_t close = text.find(u']', pos + 1);
            size_t next = text.find(ESCAPE, pos + 1);
            if (next == std::u16string::npos || next > end)
                next = end;
            if (close == std::u16string::npos || close > next) {
                // Unclosed: the options run to the next escape, the segment has no text.
                ReadOptions(text, pos + 1, next, &segment);
                pos = next;
                line.push_back(segment);
                continue;
            }
            ReadOptions(text, pos + 1, close, &segment);
            pos = close + 1;
        }
        size_t next = text.find(ESCAPE, pos);
        if (next == std::u16string::npos || next > end)
            next = end;
        segment.Text = text.substr(pos, next - pos);
        line.push_back(segment);
        pos = next;
    }
    return line;
}

uint32_t Channel(uint32_t colour, int shift)
{
    return (colour >> shift) & 0xFF;
}

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return r | (g << 8) | (b << 16);
}

} // namespace

std::u16string ExpandControls(const std::u16string &text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c == 0x0E) {
            out += ESCAPE;
            out += u"[n]";
        } else if (c == 0x0F) {
            out += ESCAPE;
            out += u"[s]";
        } else {
            out += c;
        }
    }
    return out;
}

bool IsMultiLine(const std::u16string &text)
{
    return text.find(u'\n') != std::u16string::npos;
}

std::vector<LINE> Parse(const std::u16string &text)
{
    std::vector<LINE> lines;
    size_t begin = 0;
    for (;;) {
        size_t end = text.find(u'\n', begin);
        if (end == std::u16string::npos)
            end = text.size();
        lines.push_back(ParseLine(text, begin, end));
        if (end == text.size())
            break;
        begin = end + 1;
    }
    return lines;
}

LINELAYOUT LayoutLine(const LINE &line, int x, int y, MEASURE measure, void *context)
{
    LINELAYOUT layout;
    std::vector<EXTENT> extents(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        const SEGMENT &segment = line[i];
        EXTENT e = measure(context, segment);
        if (segment.Separator)
            e.Width = 0;
        extents[i] = e;
        int height = e.Height;
        if (segment.Clickable && !segment.Separator)
            height += e.Height * 3 / 4;
        else if (segment.Separator)
            height += e.Height / 2;
        layout.Height = std::max(layout.Height, height);
    }
    int left = x;
    for (size_t i = 0; i < line.size(); ++i) {
        const SEGMENT &segment = line[i];
        const EXTENT &e = extents[i];
        PLACED placed;
        placed.Segment = i;
        placed.TextHeight = e.Height;
        placed.Left = x;
        if (segment.Separator) {
            placed.Top = y;
            placed.Right = x;
            placed.Bottom = y + layout.Height;
        } else if (segment.Clickable) {
            int boxHeight = e.Height + e.Height * 3 / 4;
            int boxWidth = e.Height + e.Width;
            placed.Top = y + (layout.Height - boxHeight) / 2;
            placed.Right = x + boxWidth;
            placed.Bottom = placed.Top + boxHeight;
            placed.TextX = x + e.Height / 2;
            placed.TextY = placed.Top + (boxHeight - e.Height) / 2;
            x += boxWidth;
        } else {
            placed.Top = y + (layout.Height - e.Height) / 2;
            placed.Right = x + e.Width;
            placed.Bottom = placed.Top + e.Height;
            placed.TextX = x;
            placed.TextY = placed.Top;
            x += e.Width;
        }
        layout.Items.push_back(placed);
    }
    layout.Width = x - left;
    return layout;
}

EXTENT MeasureLines(const std::vector<LINE> &lines, MEASURE measure, void *context)
{
    EXTENT total;
    int y = 0;
    for (const LINE &line : lines) {
        LINELAYOUT layout = LayoutLine(line, 0, y, measure, context);
        total.Width = std::max(total.Width, layout.Width);
        y += layout.Height;
    }
    total.Height = y;
    return total;
}

OPTIONS OptionsFromRecord(const int *record)
{
    OPTIONS options;
    if (record == nullptr)
        return options;
    options.Transparency = std::min(255, std::max(0, record[0]));
    options.MarginX = record[1] >= 1 ? record[1] : 0;
    options.MarginY = record[2] >= 1 ? record[2] : 0;
    options.Animation = record[3];
    return options;
}

void DefaultMargins(int oWidth, int oHeight, int *marginX, int *marginY)
{
    if (*marginX < 1)
        *marginX = oWidth;
    if (*marginY < 1)
        *marginY = oHeight / 3;
}

std::string FontVariant(const std::string &spec, bool bold, bool small)
{
    size_t digits = 0;
    while (digits < spec.size() && spec[digits] >= '0' && spec[digits] <= '9')
        ++digits;
    size_t dot = spec.find('.');
    if (digits == 0 || digits > 5 || dot == std::string::npos || dot < digits)
        return spec;
    int points = std::stoi(spec.substr(0, digits));
    if (points <= 0)
        return spec;
    std::string letters = spec.substr(digits, dot - digits);
    if (bold && letters.find('B') == std::string::npos && letters.find('b') == std::string::npos)
        letters += 'B';
    if (small)
        points = std::max(1, points * 9 / 10);
    return std::to_string(points) + letters + spec.substr(dot);
}

void Place(int kind, const AREA &work, int width, int height, int *x, int *y)
{
    switch (kind) {
    case 1:
        *x = work.Left;
        *y = work.Top;
        break;
    case 3:
        *x = work.Left;
        *y = work.Bottom - height;
        break;
    case 4:
        *x = work.Right - width;
        *y = work.Bottom - height;
        break;
    case 5:
        *x = work.Left + (work.Right - work.Left - width) / 2;
        *y = work.Top + (work.Bottom - work.Top - height) / 2;
        break;
    default:
        *x = work.Right - width;
        *y = work.Top;
        break;
    }
}

ANIMATION AnimationFor(int kind, int position)
{
    ANIMATION a;
    switch (kind) {
    case 0:
        break;
    case 2:
        a.Show = a.Hide = AW_CENTER_;
        break;
    case 3:
    case 4: {
        bool bottom = position == 3 || position == 4;
        a.Show = bottom ? AW_VER_NEGATIVE_ : AW_VER_POSITIVE_;
        a.Hide = bottom ? AW_VER_POSITIVE_ : AW_VER_NEGATIVE_;
        if (kind == 3) {
            a.Show |= AW_SLIDE_;
            a.Hide |= AW_SLIDE_;
        }
        a.Ms = 500;
        break;
    }
    default:
        a.Show = a.Hide = AW_BLEND_;
        break;
    }
    return a;
}

uint32_t Lighten(uint32_t colour, int percent)
{
    uint32_t c[3];
    for (int i = 0; i < 3; ++i) {
        uint32_t v = Channel(colour, i * 8);
        c[i] = v + (255 - v) * static_cast<uint32_t>(percent) / 100;
    }
    return Rgb(c[0], c[1], c[2]);
}

uint32_t Darken(uint32_t colour, int percent)
{
    uint32_t c[3];
    for (int i = 0; i < 3; ++i)
        c[i] = Channel(colour, i * 8) * static_cast<uint32_t>(100 - percent) / 100;
    return Rgb(c[0], c[1], c[2]);
}

uint32_t SeparatorColour(uint32_t background, int edge)
{
    uint32_t light = Lighten(background, 70);
    uint32_t dark = Darken(background, 20);
    edge = std::min(SEPARATOR_STEPS, std::max(0, edge));
    // Weight 0 at both ends, 1000 in the middle.
    int weight = static_cast<int>(std::lround(std::sin(3.14159265358979 * edge / SEPARATOR_STEPS) * 1000));
    uint32_t c[3];
    for (int i = 0; i < 3; ++i) {
        int l = static_cast<int>(Channel(light, i * 8));
        int d = static_cast<int>(Channel(dark, i * 8));
        c[i] = static_cast<uint32_t>(l + (d - l) * weight / 1000);
    }
    return Rgb(c[0], c[1], c[2]);
}

} // namespace POPUPMARKUP
