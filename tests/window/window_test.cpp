// The window arithmetic and the font texts, without a window: DPI scales, icon sizes, sizing
// edges, the wheel amount, the stored-rectangle rule, the fallback gradient's bands and the
// parsing and writing of font texts.
#include "kestar/windowing/windowmath.h"
#include "kestar/windowing/windraw.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Narrow(const WSTRING &wide)
{
    std::string out;
    for (STRING_SIZE_T i = 0; i < wide.Length(); ++i)
        out += static_cast<char>(wide[i]);
    return out;
}

} // namespace

TEST(WINDOW, DpiScaleAndIconSizes)
{
    EXPECT_EQ(100, WINDOWMATH::ScaleFromDpi(96, 96));
    EXPECT_EQ(150, WINDOWMATH::ScaleFromDpi(144, 144));
    EXPECT_EQ(125, WINDOWMATH::ScaleFromDpi(120, 120));
    // The mean is taken first, in integers: (96 + 97) / 2 = 96.
    EXPECT_EQ(100, WINDOWMATH::ScaleFromDpi(96, 97));
    EXPECT_EQ(201, WINDOWMATH::ScaleFromDpi(193, 193));
    EXPECT_EQ(45, WINDOWMATH::ScaleValue(30, 150));
    EXPECT_EQ(37, WINDOWMATH::ScaleValue(30, 125));

    struct CASE {
        int base, scale, size;
        bool valid;
    } cases[] = {
        {16, 100, 16, true}, {24, 149, 24, true}, {32, 100, 32, true},
        {16, 150, 24, true}, {24, 199, 32, true}, {32, 150, 48, true},
        {16, 200, 32, true}, {24, 250, 48, true}, {32, 200, 64, true},
        {20, 100, 16, false}, {48, 200, 32, false},
    };
    for (const CASE &c : cases) {
        bool valid = !c.valid;
        EXPECT_EQ(c.size, WINDOWMATH::IconSizeForScale(c.base, c.scale, &valid)) << c.base << "@" << c.scale;
        EXPECT_EQ(c.valid, valid) << c.base;
    }
}

TEST(WINDOW, SizingEdgesAndWheel)
{
    // WMSZ_LEFT .. WMSZ_BOTTOMRIGHT, then 0 and values outside.
    const int bits[] = {0, 1, 2, 4, 5, 6, 8, 9, 10};
    for (int edge = 0; edge <= 8; ++edge)
        EXPECT_EQ(bits[edge], WINDOWMATH::SizingEdgeBits(edge)) << edge;
    EXPECT_EQ(0, WINDOWMATH::SizingEdgeBits(9));
    EXPECT_EQ(0, WINDOWMATH::SizingEdgeBits(-1));

    EXPECT_EQ(1000, WINDOWMATH::WheelAmount(120));
    EXPECT_EQ(-1000, WINDOWMATH::WheelAmount(-120));
    EXPECT_EQ(2000, WINDOWMATH::WheelAmount(240));
    EXPECT_EQ(8, WINDOWMATH::WheelAmount(1));
    EXPECT_EQ(-273058, WINDOWMATH::WheelAmount(-32767));

    EXPECT_EQ(300, WINDOWMATH::ScaledSize(200, 150, 100));
    EXPECT_EQ(133, WINDOWMATH::ScaledSize(200, 100, 150)); // 133.3 cut
    EXPECT_EQ(200, WINDOWMATH::ScaledSize(200, 150, 0));
}

TEST(WINDOW, StoredRectangleRule)
{
    const WINDOWMATH::RECTANGLE desktop = {0, 0, 1024, 740};
    struct CASE {
        WINDOWMATH::RECTANGLE rect;
        bool accepted;
    } cases[] = {
        {{100, 120, 400, 320}, true},
        {{-10, -10, 300, 300}, true},     // ten pixels past the top left still counts
        {{-11, 0, 300, 300}, false},
        {{0, -11, 300, 300}, false},
        {{1013, 0, 1300, 300}, true},     // left edge at desktop right - 11
        {{1014, 0, 1300, 300}, false},    // at desktop right - 10: off screen
        {{0, 729, 300, 900}, true},
        {{0, 730, 300, 900}, false},
    };
    for (const CASE &c : cases) {
        unsigned char bytes[16];
        WINDOWMATH::EncodeRect(c.rect, bytes);
        WINDOWMATH::RECTANGLE out = {-1, -1, -1, -1};
        EXPECT_EQ(c.accepted, WINDOWMATH::AcceptStoredRect(bytes, sizeof bytes, desktop, &out))
            << c.rect.Left << "," << c.rect.Top;
        if (c.accepted) {
            EXPECT_EQ(c.rect.Left, out.Left);
            EXPECT_EQ(c.rect.Bottom, out.Bottom);
        } else {
            EXPECT_EQ(-1, out.Left); // unchanged
        }
    }
    // Little-endian, signed.
    unsigned char bytes[16];
    WINDOWMATH::EncodeRect({-2, 1, 258, 0x01020304}, bytes);
    const unsigned char expect[16] = {0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 2, 1, 0, 0, 4, 3, 2, 1};
    EXPECT_EQ(0, memcmp(expect, bytes, 16));
    // Only exactly 16 bytes count.
    WINDOWMATH::EncodeRect({10, 10, 20, 20}, bytes);
    EXPECT_FALSE(WINDOWMATH::AcceptStoredRect(bytes, 12, desktop, nullptr));
    EXPECT_FALSE(WINDOWMATH::AcceptStoredRect(bytes, 17, desktop, nullptr));
    EXPECT_FALSE(WINDOWMATH::AcceptStoredRect(nullptr, 16, desktop, nullptr));
}

TEST(WINDOW, FallbackGradientBands)
{
    EXPECT_EQ(2, WINDOWMATH::GradientBandRows(120));
    EXPECT_EQ(1, WINDOWMATH::GradientBandRows(49));
    EXPECT_EQ(1, WINDOWMATH::GradientBandRows(0));
    EXPECT_EQ(4, WINDOWMATH::GradientBandRows(200));
    EXPECT_EQ(0, WINDOWMATH::GradientPercent(0, 120));
    EXPECT_EQ(50, WINDOWMATH::GradientPercent(60, 120));
    EXPECT_EQ(99, WINDOWMATH::GradientPercent(119, 120));
    EXPECT_EQ(0, WINDOWMATH::GradientPercent(5, 0));
}

TEST(WINDRAW, ParseFontSpec)
{
    struct CASE {
        const char16_t *spec;
        bool ok;
        const char *face;
        int points;
        bool bold, italic, fixed;
    } cases[] = {
        {u"10f.Helv", true, "MS Shell Dlg", 10, false, false, true},
        {u"8B.MS Shell Dlg", true, "MS Shell Dlg", 8, true, false, false},
        {u"14bIF.Arial", true, "Arial", 14, true, true, true},
        {u"12x.Arial", true, "Arial", 12, false, false, false}, // other letters are ignored
        {u"9.Arial.Black", true, "Arial.Black", 9, false, false, false},
        {u"10.helv", true, "helv", 10, false, false, false},    // case-sensitive here
        {u"10.Helvetica", true, "Helvetica", 10, false, false, false},
        {u"10.", true, "", 10, false, false, false},
        {u"0.Arial", false, nullptr, 0, false, false, false},
        {u"10B Arial", false, nullptr, 0, false, false, false},
        {u".Arial", false, nullptr, 0, false, false, false},
        {u"B10.Arial", false, nullptr, 0, false, false, false},
        {u"99999999999.Arial", false, nullptr, 0, false, false, false},
        {u"", false, nullptr, 0, false, false, false},
    };
    for (const CASE &c : cases) {
        WSTRING face(u"unchanged");
        int points = -7;
        bool bold = false, italic = false, fixed = false;
        bool ok = WINDRAW::ParseFontSpecW(c.spec, &face, &points, &bold, &italic, &fixed);
        std::string name = Narrow(WSTRING(c.spec));
        ASSERT_EQ(c.ok, ok) << name;
        if (!ok) {
            EXPECT_EQ("unchanged", Narrow(face)) << name;
            EXPECT_EQ(-7, points) << name;
            continue;
        }
        EXPECT_EQ(c.face, Narrow(face)) << name;
        EXPECT_EQ(c.points, points) << name;
        EXPECT_EQ(c.bold, bold) << name;
        EXPECT_EQ(c.italic, italic) << name;
        EXPECT_EQ(c.fixed, fixed) << name;
    }
    EXPECT_FALSE(WINDRAW::ParseFontSpecW(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(WINDRAW::ParseFontSpecW(u"8.x", nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST(WINDRAW, FontSpecTextAndHeights)
{
    EXPECT_STREQ("13BI.Arial", WINDRAW::FontSpecText(13, true, true, false, "Arial"));
    EXPECT_STREQ("8.MS Shell Dlg", WINDRAW::FontSpecText(8, false, false, false, "MS Shell Dlg"));
    EXPECT_STREQ("10F.Courier New", WINDRAW::FontSpecText(10, false, false, true, "Courier New"));

    // The height is cut, the points come back rounded: a round trip keeps the points.
    struct CASE {
        int points, dpi, height;
    } cases[] = {{13, 96, -17}, {13, 120, -21}, {10, 96, -13}, {8, 144, -16}, {72, 72, -72}};
    for (const CASE &c : cases) {
        EXPECT_EQ(c.height, WINDRAW::FontHeightForPoints(c.points, c.dpi)) << c.points << "@" << c.dpi;
        EXPECT_EQ(c.points, WINDRAW::PointsForFontHeight(c.height, c.dpi)) << c.points << "@" << c.dpi;
        EXPECT_EQ(c.points, WINDRAW::PointsForFontHeight(-c.height, c.dpi));
    }
    EXPECT_EQ(0, WINDRAW::PointsForFontHeight(-13, 0));
}
