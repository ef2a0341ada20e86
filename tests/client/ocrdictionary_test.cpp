// OCRCHIE's glyph dictionary (lookup, nearest entries, learning) on small dictionaries of the
// test's own, the built-in table as compiled, and the page pieces under it: ink counts, the
// glyph feature and the segmenter.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>

#include "client/ocrdictionary.h"
#include "client/ocrsegmenter.h"
#include "tests/client/ocrpages_support.h"

namespace {

uint64_t Bits(std::initializer_list<int> bits)
{
    uint64_t p = 0;
    for (int b : bits)
        p |= 1ull << b;
    return p;
}

uint64_t LowBits(int n)
{
    return n >= 64 ? ~0ull : (1ull << n) - 1;
}

} // namespace

TEST(OCRCHIE, DictionaryLooksUpExactNearestAndUnknown)
{
    struct CASE {
        const char *Name;
        std::vector<std::pair<uint64_t, char>> Entries;
        uint64_t Probe;
        char Expected;
        int Learned; // entries added by the lookup
    };
    const CASE cases[] = {
        {"exact hit", {{Bits({1, 2}), 'a'}, {Bits({1, 2, 3}), 'b'}}, Bits({1, 2, 3}), 'b', 0},
        {"1 bit off is learned", {{0, 'a'}, {LowBits(8), 'b'}}, Bits({40}), 'a', 1},
        {"2 bits off are learned", {{0, 'a'}, {LowBits(8), 'b'}}, Bits({40, 41}), 'a', 1},
        {"3 bits off give the nearest, not learned", {{0, 'a'}, {LowBits(8), 'b'}}, Bits({10, 11, 12}), 'a', 0},
        {"the nearest of several", {{0, 'a'}, {LowBits(8), 'b'}}, LowBits(5), 'b', 0},
        {"ties go to the earliest", {{Bits({1, 2, 3}), 'f'}, {Bits({4, 5, 6}), 'g'}}, 0, 'f', 0},
        {"ties within 2 bits too", {{Bits({30}), 'g'}, {Bits({31}), 'f'}}, 0, 'g', 1},
        {"31 bits off", {{0, 'a'}}, LowBits(31), 'a', 0},
        {"32 bits off", {{0, 'a'}}, LowBits(32), '?', 0},
        {"63 bits off", {{0, 'a'}}, LowBits(63), '?', 0},
        {"empty dictionary", {}, 0, '?', 0},
    };
    for (const CASE &c : cases) {
        SCOPED_TRACE(c.Name);
        OCRDICTIONARY d;
        for (const auto &e : c.Entries)
            ASSERT_TRUE(d.Add(e.first, e.second));
        EXPECT_EQ(d.Lookup(c.Probe), c.Expected);
        ASSERT_EQ(d.Count(), (int)c.Entries.size() + c.Learned);
        if (c.Learned) {
            EXPECT_EQ(d.PatternAt(d.Count() - 1), c.Probe);
            EXPECT_EQ(d.CharacterAt(d.Count() - 1), c.Expected);
        }
    }
}

TEST(OCRCHIE, DictionaryLearnsPatternsTwoBitsOff)
{
    OCRDICTIONARY d;
    const uint64_t a = 0, c = Bits({40, 41, 42, 43, 44, 45, 46});
    ASSERT_TRUE(d.Add(a, 'a'));
    ASSERT_TRUE(d.Add(c, 'c'));
    const uint64_t first = Bits({40, 41});         // 2 from a, 5 from c
    const uint64_t second = Bits({40, 41, 42, 43}); // 2 from first, 3 from c, 4 from a
    EXPECT_EQ(d.Lookup(first), 'a');
    EXPECT_EQ(d.Count(), 3);
    // Read as its nearest neighbour, the learned pattern, not as c.
    EXPECT_EQ(d.Lookup(second), 'a');
    EXPECT_EQ(d.Count(), 4);
    EXPECT_EQ(d.Lookup(second), 'a');
    EXPECT_EQ(d.Count(), 4);

    // Without the learned pattern the second one reads as c.
    OCRDICTIONARY fresh;
    fresh.Add(a, 'a');
    fresh.Add(c, 'c');
    EXPECT_EQ(fresh.Lookup(second), 'c');
    EXPECT_EQ(fresh.Count(), 2);

    // A pattern is indexed once.
    EXPECT_FALSE(d.Add(first, 'x'));
    EXPECT_EQ(d.Count(), 4);
}

TEST(OCRCHIE, DictionaryStopsLearningAtItsLimit)
{
    // Three far apart entries and patterns one or two bits off them (2016 around each).
    OCRDICTIONARY d;
    const uint64_t bases[] = {0, LowBits(63), LowBits(31)};
    for (uint64_t base : bases)
        ASSERT_TRUE(d.Add(base, 'a'));
    int probes = 0;
    for (uint64_t base : bases)
        for (int i = 0; i < 63; i++)
            for (int j = i; j < 63; j++, probes++)
                ASSERT_EQ(d.Lookup(base ^ Bits({i, j})), 'a');
    ASSERT_GT(probes, OCRDICTIONARY::kMaxLearned);
    EXPECT_EQ(d.Count(), 3 + OCRDICTIONARY::kMaxLearned);
}

TEST(OCRCHIE, BuiltinTableAsCompiled)
{
    const unsigned char *table = OCRDICTIONARY::BuiltinTable();
    const int n = OCRDICTIONARY::kBuiltinEntries, half = n / 2;
    std::set<uint64_t> patterns;
    std::map<uint64_t, std::set<char>> charactersOf;
    int equalDrawings = 0;
    for (int i = 0; i < n; i++) {
        const unsigned char *e = table + (size_t)i * OCRDICTIONARY::kBuiltinEntryBytes;
        ASSERT_NE(e[0], 0) << i;
        for (int z = 1; z < 8; z++)
            EXPECT_EQ(e[z], 0) << i;
        const uint64_t p = ocrtest::TablePattern((char)e[0], i / half);
        EXPECT_EQ(p >> 63, 0u) << i;
        patterns.insert(p);
        charactersOf[p].insert((char)e[0]);
        if (i < half) {
            EXPECT_EQ((char)table[(size_t)(i + half) * OCRDICTIONARY::kBuiltinEntryBytes], (char)e[0]) << i;
            if (p == ocrtest::TablePattern((char)e[0], 1))
                equalDrawings++;
        }
    }
    const unsigned char *end = table + (size_t)n * OCRDICTIONARY::kBuiltinEntryBytes;
    for (size_t z = 0; z < OCRDICTIONARY::kBuiltinEntryBytes; z++)
        EXPECT_EQ(end[z], 0);
    EXPECT_EQ(patterns.size(), 97u);
    EXPECT_EQ(equalDrawings, 15);
    for (const auto &pc : charactersOf)
        EXPECT_EQ(pc.second.size(), 1u) << std::hex << pc.first;
    EXPECT_EQ(ocrtest::TableCharacters(), "@#()*+-/0123456789[]&:;|_={}<>ABCDEFGHIJKLMNOPQRSTUVWXYZ");

    // The drawings the layout of a pattern is read by.
    EXPECT_EQ(ocrtest::TablePattern('-'), 0x7Full << 28);
    EXPECT_EQ(ocrtest::TablePattern('_'), 0x7Full << 56);
    EXPECT_EQ(ocrtest::TablePattern('T'), 0x7Full | Bits({10, 11, 17, 18, 24, 25, 31, 32, 38, 39, 45, 46}));

    OCRDICTIONARY d;
    ASSERT_TRUE(d.LoadBuiltin());
    EXPECT_EQ(d.Count(), 97);
    EXPECT_EQ(d.Lookup(ocrtest::TablePattern('Q', 1)), 'Q');
    EXPECT_EQ(d.Count(), 97);
}

TEST(OCRCHIE, CountsInkOverAnyPixelRange)
{
    OCRBITMAP b;
    ASSERT_TRUE(b.Allocate(77, 3, 1, OCRBITMAP::kMinIsWhite));
    EXPECT_EQ(b.Stride(), 12u);
    std::mt19937 rng(5);
    for (uint32_t y = 0; y < 3; y++)
        for (size_t i = 0; i < b.Stride(); i++)
            b.Row(y)[i] = (unsigned char)rng();
    for (uint32_t y = 0; y < 3; y++)
        for (uint32_t x0 = 0; x0 <= 77; x0++)
            for (uint32_t x1 = x0; x1 <= 90; x1++) {
                uint32_t expected = 0;
                for (uint32_t x = x0; x < x1 && x < 77; x++)
                    expected += (b.Row(y)[x >> 3] >> (7 - (x & 7))) & 1;
                ASSERT_EQ(b.CountInk(y, x0, x1), expected) << y << " " << x0 << " " << x1;
            }
}

TEST(OCRCHIE, BitmapRowsAndLimits)
{
    OCRBITMAP b;
    EXPECT_EQ(OCRBITMAP::StrideFor(1728, 1), 216u);
    EXPECT_EQ(OCRBITMAP::StrideFor(33, 1), 8u);
    EXPECT_EQ(OCRBITMAP::StrideFor(5, 24), 16u);
    ASSERT_TRUE(b.Allocate(100, 10, 1, OCRBITMAP::kMinIsWhite));
    std::memset(b.Row(9), 0xFF, b.Stride());
    // Reused and cleared when it fits.
    const unsigned char *rows = b.Row(0);
    ASSERT_TRUE(b.Allocate(50, 12, 1, OCRBITMAP::kMinIsBlack));
    EXPECT_EQ(b.Row(0), rows);
    for (uint32_t y = 0; y < 12; y++)
        EXPECT_EQ(b.CountInk(y, 0, 50), 0u);
    EXPECT_EQ(b.Photometric(), OCRBITMAP::kMinIsBlack);
    EXPECT_FALSE(b.Allocate(70000, 40000, 1, OCRBITMAP::kMinIsWhite));
    EXPECT_EQ(b.Width(), 0u);
    EXPECT_EQ(b.Height(), 0u);
    EXPECT_FALSE(b.Allocate(0, 10, 1, OCRBITMAP::kMinIsWhite));
}

TEST(OCRCHIE, SegmenterFindsLinesAndGlyphs)
{
    faxtest::Page page(200, 120);
    // Rows 5-15 (11 rows) are no line; rows 20-31 (12 rows) are one.
    for (int y = 5; y < 16; y++)
        page.Set(3, y);
    for (int y = 20; y < 32; y++)
        page.Set(3, y);
    // Glyphs over the whole width: a column inked in one row joins, a blank column cuts.
    page.Fill(10, 14, 21);
    page.Set(14, 31);
    page.Set(16, 25);
    page.Fill(150, 200, 26); // runs into the right edge
    // Ink only in the right half makes no line; a run at the bottom ends with the page.
    for (int y = 40; y < 80; y++)
        page.Set(100, y);
    for (int y = 100; y < 120; y++)
        page.Set(99, y);
    OCRBITMAP bitmap;
    ocrtest::ToBitmap(page, bitmap);
    OCRSEGMENTER segmenter(bitmap);
    OCRLINE line;
    ASSERT_TRUE(segmenter.NextLine(line));
    EXPECT_EQ(line.Top, 20);
    EXPECT_EQ(line.Bottom, 32);
    ASSERT_EQ(line.Count, 4);
    const int32_t expected[4][2] = {{3, 4}, {10, 15}, {16, 17}, {150, 200}};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(line.Glyphs[i].Left, expected[i][0]) << i;
        EXPECT_EQ(line.Glyphs[i].Right, expected[i][1]) << i;
        EXPECT_EQ(line.Glyphs[i].Top, 20);
        EXPECT_EQ(line.Glyphs[i].Bottom, 32);
    }
    ASSERT_TRUE(segmenter.NextLine(line));
    EXPECT_EQ(line.Top, 100);
    EXPECT_EQ(line.Bottom, 120);
    EXPECT_EQ(line.Count, 1);
    EXPECT_FALSE(segmenter.NextLine(line));
}

TEST(OCRCHIE, SegmenterKeepsTheFirst255GlyphsOfALine)
{
    faxtest::Page page(700, 20);
    for (int x = 0; x < 600; x += 2)
        page.Fill(x, x + 1, 2);
    for (int y = 0; y < 20; y++)
        page.Set(0, y);
    OCRBITMAP bitmap;
    ocrtest::ToBitmap(page, bitmap);
    OCRSEGMENTER segmenter(bitmap);
    OCRLINE line;
    ASSERT_TRUE(segmenter.NextLine(line));
    ASSERT_EQ(line.Count, 255);
    EXPECT_EQ(line.Glyphs[254].Left, 508);
    EXPECT_FALSE(segmenter.NextLine(line));
}

TEST(OCRCHIE, FeatureOfAGlyphFollowsItsCells)
{
    // A cell counts when it holds more than 3/8 of its share of the box: with cells of 4 x 4
    // pixels (threshold 6) 7 pixels count and 6 do not.
    faxtest::Page page(40, 36);
    for (int y = 0; y < 36; y++)
        page.Fill(0, 4, y);
    page.Fill(4, 8, 0);
    page.Fill(4, 7, 1); // cell (0, 1): 7 pixels
    page.Fill(8, 12, 4);
    page.Fill(8, 10, 5); // cell (1, 2): 6 pixels
    OCRBITMAP bitmap;
    ocrtest::ToBitmap(page, bitmap);
    OCRBOX box;
    box.Left = 0;
    box.Top = 0;
    box.Right = 28;
    box.Bottom = 36;
    uint64_t expected = Bits({1});
    for (int i = 0; i < 9; i++)
        expected |= 1ull << (7 * i);
    EXPECT_EQ(bitmap.Feature(box), expected);
    // In a box of 3 x 4 pixels most cells have no rows or no columns and stay clear.
    box.Right = 3;
    box.Bottom = 4;
    expected = 0;
    for (int i : {2, 4, 6, 8})
        for (int j : {2, 4, 6})
            expected |= 1ull << (7 * i + j);
    EXPECT_EQ(bitmap.Feature(box), expected);
}
