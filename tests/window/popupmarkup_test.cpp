// The notification pop-up's markup, line layout, options, placement, animation and colours,
// without a window.
#include "kestar/windowing/popupmarkup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace POPUPMARKUP;

namespace {

std::u16string U(const std::string &text)
{
    return std::u16string(text.begin(), text.end());
}

std::string A(const std::u16string &text)
{
    return std::string(text.begin(), text.end());
}

// A fixed-pitch measure: 7 pixels a character, 14 pixels high, 12 for small text.
EXTENT Fixed(void *, const SEGMENT &segment)
{
    EXTENT e;
    e.Width = static_cast<int>(segment.Text.size()) * 7;
    e.Height = segment.Small ? 12 : 14;
    return e;
}

} // namespace

TEST(SEMITOOLTIPMARKUP, BoldThenNormalSegments)
{
    std::vector<LINE> lines = Parse(ExpandControls(U("Call from\n\x1b[b]Anna \x1b[n]Berg")));
    ASSERT_EQ(2u, lines.size());
    ASSERT_EQ(1u, lines[0].size());
    EXPECT_EQ("Call from", A(lines[0][0].Text));
    ASSERT_EQ(2u, lines[1].size());
    EXPECT_EQ("Anna ", A(lines[1][0].Text));
    EXPECT_TRUE(lines[1][0].Bold);
    EXPECT_FALSE(lines[1][0].Small);
    EXPECT_EQ("Berg", A(lines[1][1].Text));
    EXPECT_FALSE(lines[1][1].Bold);
    EXPECT_FALSE(lines[1][1].Small);
}

TEST(SEMITOOLTIPMARKUP, ClickableIdsColoursAndSeparator)
{
    std::vector<LINE> lines =
        Parse(U("\x1b[*=7]Call back\x1b[*=8]Mail\x1b[*]Open\n\x1b[-]\n\x1b[sF=255B=16711680]red on blue\x1b[sb]x"));
    ASSERT_EQ(3u, lines.size());
    ASSERT_EQ(3u, lines[0].size());
    EXPECT_TRUE(lines[0][0].Clickable);
    EXPECT_EQ(7, lines[0][0].Id);
    EXPECT_EQ(8, lines[0][1].Id);
    EXPECT_TRUE(lines[0][2].Clickable);
    EXPECT_EQ(DEFAULT_ID, lines[0][2].Id);
    EXPECT_EQ("Open", A(lines[0][2].Text));
    ASSERT_EQ(1u, lines[1].size());
    EXPECT_TRUE(lines[1][0].Separator);
    ASSERT_EQ(2u, lines[2].size());
    const SEGMENT &coloured = lines[2][0];
    EXPECT_TRUE(coloured.Small);
    EXPECT_TRUE(coloured.HasColour);
    EXPECT_EQ(255u, coloured.Colour);
    EXPECT_TRUE(coloured.HasBackground);
    EXPECT_EQ(0xFF0000u, coloured.Background);
    EXPECT_TRUE(lines[2][1].Small && lines[2][1].Bold);
    EXPECT_FALSE(lines[2][1].HasColour); // options belong to their segment only
}

TEST(SEMITOOLTIPMARKUP, ControlCharactersExpand)
{
    EXPECT_EQ(U("a\x1b[n]b\x1b[s]c"), ExpandControls(U("a\x0e" "b\x0f" "c")));
    std::vector<LINE> lines = Parse(ExpandControls(U("\x0f" "small\x0e" "normal")));
    ASSERT_EQ(2u, lines[0].size());
    EXPECT_TRUE(lines[0][0].Small);
    EXPECT_FALSE(lines[0][1].Small);
}

TEST(SEMITOOLTIPMARKUP, OneLineIsNotInterpreted)
{
    EXPECT_FALSE(IsMultiLine(U("\x1b[b]bold?")));
    EXPECT_TRUE(IsMultiLine(U("a\n")));
}

TEST(SEMITOOLTIPMARKUP, OddInputStaysBounded)
{
    struct CASE {
        std::string text;
        size_t segments;
        std::string lastText;
    } cases[] = {
        {"", 1, ""},
        {"\x1b", 1, ""},                  // a lone escape: an empty segment
        {"\x1b[b", 1, ""},                // unclosed options take the rest
        {"\x1b[b\x1b[n]x", 2, "x"},       // unclosed up to the next escape
        {"\x1bplain", 1, "plain"},        // an escape without options
        {"\x1b[F=99999999999999999999]x", 1, "x"},
        {"\x1b[*=]x\x1b[*=abc]y", 2, "y"},
        {"\x1b[]]x", 1, "]x"},
    };
    for (const CASE &c : cases) {
        std::vector<LINE> lines = Parse(U(c.text));
        ASSERT_EQ(1u, lines.size()) << c.text;
        ASSERT_EQ(c.segments, lines[0].size()) << c.text;
        EXPECT_EQ(c.lastText, A(lines[0].back().Text)) << c.text;
    }
    EXPECT_EQ(0xFFFFFFFFu, Parse(U("\x1b[F=99999999999999999999]x"))[0][0].Colour);
    std::vector<LINE> ids = Parse(U("\x1b[*=]x\x1b[*=99999999999]y"));
    EXPECT_EQ(DEFAULT_ID, ids[0][0].Id);
    EXPECT_EQ(2147483647, ids[0][1].Id);
}

TEST(SEMITOOLTIPMARKUP, LineLayout)
{
    // A clickable entry: box h + 3h/4 high and h + text wide; the line as high as the box.
    LINE line = Parse(U("ab\x1b[*=3]cd"))[0];
    LINELAYOUT layout = LayoutLine(line, 10, 20, Fixed, nullptr);
    ASSERT_EQ(2u, layout.Items.size());
    EXPECT_EQ(14 + 10, layout.Height);
    EXPECT_EQ(14 + 14 + 14, layout.Width);
    const PLACED &box = layout.Items[1];
    EXPECT_EQ(24, box.Left);
    EXPECT_EQ(20, box.Top);
    EXPECT_EQ(24 + 14 + 14, box.Right);
    EXPECT_EQ(44, box.Bottom);
    EXPECT_EQ(24 + 7, box.TextX);
    // The plain text is centred in the line.
    EXPECT_EQ(25, layout.Items[0].TextY);

    // A separator adds half its height and no width.
    LINELAYOUT separator = LayoutLine(Parse(U("\x1b[-]"))[0], 0, 0, Fixed, nullptr);
    EXPECT_EQ(21, separator.Height);
    EXPECT_EQ(0, separator.Width);

    EXTENT all = MeasureLines(Parse(U("abc\n\x1b[s]abcdef\n\x1b[-]")), Fixed, nullptr);
    EXPECT_EQ(42, all.Width);
    EXPECT_EQ(14 + 12 + 21, all.Height);
}

TEST(SEMITOOLTIPMARKUP, OptionsFontsAndMargins)
{
    OPTIONS none = OptionsFromRecord(nullptr);
    EXPECT_EQ(0, none.Transparency);
    EXPECT_EQ(0, none.Animation);
    const int record[] = {40, 0, -3, 3};
    OPTIONS o = OptionsFromRecord(record);
    EXPECT_EQ(40, o.Transparency);
    EXPECT_EQ(0, o.MarginX);
    EXPECT_EQ(0, o.MarginY);
    EXPECT_EQ(3, o.Animation);
    const int wild[] = {900, 12, 5, 0};
    EXPECT_EQ(255, OptionsFromRecord(wild).Transparency);
    EXPECT_EQ(12, OptionsFromRecord(wild).MarginX);

    int mx = 0, my = 0;
    DefaultMargins(7, 16, &mx, &my);
    EXPECT_EQ(7, mx);
    EXPECT_EQ(5, my);
    mx = 12;
    my = 4;
    DefaultMargins(7, 16, &mx, &my);
    EXPECT_EQ(12, mx);
    EXPECT_EQ(4, my);

    EXPECT_EQ("10B.Arial", FontVariant("10.Arial", true, false));
    EXPECT_EQ("10bI.Arial", FontVariant("10bI.Arial", true, false));
    EXPECT_EQ("9I.Arial", FontVariant("10I.Arial", false, true));
    EXPECT_EQ("7B.MS Shell Dlg", FontVariant("8.MS Shell Dlg", true, true));
    EXPECT_EQ("1.X", FontVariant("1.X", false, true));
    EXPECT_EQ("Arial", FontVariant("Arial", true, true));
    EXPECT_EQ("0.Arial", FontVariant("0.Arial", true, true));
}

TEST(SEMITOOLTIPPLACEMENT, KindsOnAWorkArea)
{
    const AREA work = {0, 30, 1000, 730};
    struct CASE {
        int kind, x, y;
    } cases[] = {
        {1, 0, 30}, {3, 0, 630}, {4, 800, 630}, {5, 400, 330}, {2, 800, 30}, {0, 800, 30}, {9, 800, 30},
    };
    for (const CASE &c : cases) {
        int x = -1, y = -1;
        Place(c.kind, work, 200, 100, &x, &y);
        EXPECT_EQ(c.x, x) << c.kind;
        EXPECT_EQ(c.y, y) << c.kind;
    }
}

TEST(SEMITOOLTIPPLACEMENT, AnimationFlagsAndTimes)
{
    struct CASE {
        int kind, position;
        uint32_t show, hide;
        int ms;
    } cases[] = {
        {0, 2, 0, 0, 250},
        {1, 2, AW_BLEND_, AW_BLEND_, 250},
        {2, 4, AW_CENTER_, AW_CENTER_, 250},
        {3, 1, AW_VER_POSITIVE_ | AW_SLIDE_, AW_VER_NEGATIVE_ | AW_SLIDE_, 500},
        {3, 4, AW_VER_NEGATIVE_ | AW_SLIDE_, AW_VER_POSITIVE_ | AW_SLIDE_, 500},
        {4, 2, AW_VER_POSITIVE_, AW_VER_NEGATIVE_, 500},
        {4, 3, AW_VER_NEGATIVE_, AW_VER_POSITIVE_, 500},
        {4, 5, AW_VER_POSITIVE_, AW_VER_NEGATIVE_, 500},
        {7, 4, AW_BLEND_, AW_BLEND_, 250},
    };
    for (const CASE &c : cases) {
        ANIMATION a = AnimationFor(c.kind, c.position);
        EXPECT_EQ(c.show, a.Show) << c.kind << "/" << c.position;
        EXPECT_EQ(c.hide, a.Hide) << c.kind << "/" << c.position;
        EXPECT_EQ(c.ms, a.Ms) << c.kind << "/" << c.position;
    }
}

TEST(SEMITOOLTIPMARKUP, Colours)
{
    EXPECT_EQ(0x00FFFFFFu, Lighten(0x00FFFFFF, 50));
    EXPECT_EQ(0x007F7F7Fu, Lighten(0x00000000, 50));
    EXPECT_EQ(0x00BF9F7Fu, Lighten(0x00804000, 50));
    EXPECT_EQ(0x00664C33u, Darken(0x00805F40, 20));
    // The separator: light ends, dark middle, symmetric.
    const uint32_t bg = 0x00808080;
    EXPECT_EQ(Lighten(bg, 70), SeparatorColour(bg, 0));
    EXPECT_EQ(Lighten(bg, 70), SeparatorColour(bg, SEPARATOR_STEPS));
    EXPECT_EQ(Darken(bg, 20), SeparatorColour(bg, SEPARATOR_STEPS / 2));
    EXPECT_EQ(SeparatorColour(bg, 1), SeparatorColour(bg, 7));
    EXPECT_LT(SeparatorColour(bg, 3) & 0xFF, SeparatorColour(bg, 1) & 0xFF);
}
