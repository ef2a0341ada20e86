// Fax commands on a printed page: the presets they set and their boxes blanked on the page, and
// the destination and headline of the fax job.
#include "client/faxcommands.h"
#include "client/faxjobfields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/faxpages_support.h"

namespace {

std::string Value(HASH &record, const char *name)
{
    STRING *value = nullptr;
    return record.Exists(name, &value) ? std::string(static_cast<const char *>(*value)) : std::string("<absent>");
}

OCRBOX Box(int left, int top, int right, int bottom)
{
    OCRBOX box;
    box.Left = left;
    box.Top = top;
    box.Right = right;
    box.Bottom = bottom;
    return box;
}

} // namespace

TEST(SENDFAX, CommandsSetPresets)
{
    struct CASE {
        const char *command;
        int applied;
        const char *key;
        const char *value;
    } const cases[] = {
        {"DIALOG", 1, "FaxSendShowDialog", "1"},
        {"dialog", 1, "FaxSendShowDialog", "1"},
        {"DIALOGS", 0, nullptr, nullptr},
        {"TO:+49 (89) 123-45", 1, "FaxSendDestination", "+49 (89) 123-45"},
        {"to 0815", 1, "FaxSendDestination", "0815"},
        {"TO", 1, "FaxSendDestination", ""},
        {"FROM:4711", 1, "FaxSendOriginMsn", "4711"},
        {"RETRY=3", 1, "FaxSendAttempts", "3"},
        {"PAUSE 60", 1, "FaxSendPauseBetween", "60"},
        {"PRINT", 0, nullptr, nullptr},
        {"", 0, nullptr, nullptr},
    };
    for (const CASE &c : cases) {
        HASH presets;
        EXPECT_EQ(FAXCOMMANDS::Apply(STRING(c.command), presets), c.applied) << c.command;
        if (c.key) {
            EXPECT_EQ(presets.NumKeys(), 1) << c.command;
            EXPECT_EQ(Value(presets, c.key), c.value) << c.command;
        } else {
            EXPECT_EQ(presets.NumKeys(), 0) << c.command;
        }
    }
    HASH presets;
    EXPECT_EQ(FAXCOMMANDS::Apply(STRING(), presets), 0);
}

TEST(SENDFAX, BlankingStaysInsideThePage)
{
    // A page of exactly its rows (no padding beyond the last byte), so that the sanitizers see
    // any byte written past it.  Rows of 13 bytes: 100 pixels.
    const size_t rowBytes = 13;
    const int rows = 20;
    std::vector<unsigned char> pixels(rowBytes * rows, 0xFF);
    auto ink = [&](int x, int yFromTop) {
        const unsigned char *row = &pixels[static_cast<size_t>(rows - 1 - yFromTop) * rowBytes];
        return (row[x / 8] >> (7 - x % 8)) & 1;
    };

    // Inside: rows 2 to 4, bytes 1 to 1 + 16/8 + 2 = 4.
    EXPECT_EQ(FAXCOMMANDS::BlankBox(pixels.data(), rowBytes, rowBytes, rows, false, false, Box(8, 2, 24, 4), 1), 3);
    EXPECT_EQ(ink(8, 2), 0);
    EXPECT_EQ(ink(39, 4), 0);
    EXPECT_EQ(ink(40, 4), 1);
    EXPECT_EQ(ink(8, 5), 1);
    EXPECT_EQ(ink(7, 3), 1);

    // At the right edge: cut at the row's end.
    EXPECT_EQ(FAXCOMMANDS::BlankBox(pixels.data(), rowBytes, rowBytes, rows, false, false, Box(90, 6, 99, 7), 1), 2);
    EXPECT_EQ(ink(99, 6), 0);
    EXPECT_EQ(ink(88, 7), 0);
    // Wholly beyond the right edge, and reaching below the last row: cut to the page.
    EXPECT_EQ(FAXCOMMANDS::BlankBox(pixels.data(), rowBytes, rowBytes, rows, false, false, Box(500, 0, 600, 3), 1),
              0);
    EXPECT_EQ(FAXCOMMANDS::BlankBox(pixels.data(), rowBytes, rowBytes, rows, false, false, Box(0, 18, 10, 40), 1), 2);
    EXPECT_EQ(ink(0, 19), 0);
    EXPECT_EQ(FAXCOMMANDS::BlankBox(pixels.data(), rowBytes, rowBytes, rows, false, false, Box(0, 25, 10, 40), 1), 0);
    // Above and left of the page: only what lies on it.
    EXPECT_EQ(FAXCOMMANDS::BlankBox(pixels.data(), rowBytes, rowBytes, rows, false, false, Box(-30, -5, 2, 0), 1), 1);
    EXPECT_EQ(ink(0, 0), 0);
    EXPECT_EQ(ink(8, 1), 1);

    // Inverted boxes change nothing.
    const std::vector<unsigned char> before = pixels;
    EXPECT_EQ(FAXCOMMANDS::BlankBox(pixels.data(), rowBytes, rowBytes, rows, false, false, Box(50, 10, 40, 12), 1), 0);
    EXPECT_EQ(FAXCOMMANDS::BlankBox(pixels.data(), rowBytes, rowBytes, rows, false, false, Box(40, 12, 50, 10), 1), 0);
    EXPECT_EQ(pixels, before);
    // Boxes at the ends of the number range neither wrap nor write.
    EXPECT_EQ(FAXCOMMANDS::BlankBox(pixels.data(), rowBytes, rowBytes, rows, false, false,
                                    Box(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), 1),
              rows);
}

TEST(SENDFAX, BlankingOnBasePages)
{
    // A fine page takes the box's rows as they are; a normal page holds every row twice in the
    // base form, so a box row covers two of its rows.
    faxtest::Page fine(64, 10, true);
    faxtest::Page normal(64, 20, false);
    for (int y = 0; y < 10; ++y)
        fine.Fill(0, 64, y);
    for (int y = 0; y < 20; ++y)
        normal.Fill(0, 64, y);
    std::vector<uint8_t> base = faxtest::ToBase({fine, normal});

    EXPECT_EQ(FAXCOMMANDS::BlankBoxOnBasePage(base.data(), base.size(), 0, Box(0, 2, 8, 3)), 2);
    EXPECT_EQ(FAXCOMMANDS::BlankBoxOnBasePage(base.data(), base.size(), 1, Box(0, 2, 8, 3)), 4);
    // Beyond the page's last row.
    EXPECT_EQ(FAXCOMMANDS::BlankBoxOnBasePage(base.data(), base.size(), 1, Box(56, 9, 63, 30)), 2);
    EXPECT_EQ(FAXCOMMANDS::BlankBoxOnBasePage(base.data(), base.size(), 2, Box(0, 0, 8, 1)), -1);

    const std::vector<faxtest::Page> pages = faxtest::FromBase(base);
    ASSERT_EQ(pages.size(), 2u);
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(pages[0].Get(0, y), !(y == 2 || y == 3)) << y;
    for (int y = 0; y < 20; ++y) {
        EXPECT_EQ(pages[1].Get(0, y), !(y >= 4 && y <= 7)) << y;
        EXPECT_EQ(pages[1].Get(63, y), y < 18) << y;
    }
    // The byte of the box and the next two are white, the one after stays black.
    EXPECT_FALSE(pages[0].Get(23, 2));
    EXPECT_TRUE(pages[0].Get(24, 2));
}

TEST(SENDFAX, DestinationAndHeadline)
{
    EXPECT_STREQ(FAXJOBFIELDS::Destination("+49 (89) 123-45"), "00498912345");
    EXPECT_STREQ(FAXJOBFIELDS::Destination("0 89/12 34"), "0891234");
    EXPECT_STREQ(FAXJOBFIELDS::Destination(nullptr), "");
    EXPECT_STREQ(FAXJOBFIELDS::Headline(""), "[]");
    EXPECT_STREQ(FAXJOBFIELDS::Headline(nullptr), "[]");
    EXPECT_STREQ(FAXJOBFIELDS::Headline("Short"), "[Short]");
    EXPECT_STREQ(FAXJOBFIELDS::Headline("1234567890123456789012345678XYZ"), "[1234567890123456789012345678]");
}
