// The page arithmetic of the printer: margins and positions, the line-printer walk (tabs, wraps,
// line and page breaks) against a fake device with fixed character cells, the header line and
// the fit of a bitmap.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kestar/media/printlayout.h"

namespace {

// A device whose characters are all one cell wide; it records what was drawn where.
class FAKEDEVICE : public PRINTLAYOUT::SINK {
public:
    struct RUN {
        int page, x, y;
        std::u16string text;
    };
    explicit FAKEDEVICE(PRINTLAYOUT &layout, int cellWidth = 10, int cellHeight = 20)
        : layout(layout), cellWidth(cellWidth), cellHeight(cellHeight)
    {
        layout.CellWidth = cellWidth;
        layout.CellHeight = cellHeight;
        layout.Home();
    }
    bool DrawRun(const char16_t *text, int count, int *newx) override
    {
        if (failDraw)
            return false;
        runs.push_back({pages, layout.X, layout.Y, std::u16string(text, static_cast<size_t>(count))});
        *newx = layout.X + count * cellWidth;
        return true;
    }
    bool NewPage() override
    {
        if (++pages > pageLimit)
            return false;
        layout.Home();
        return true;
    }
    // The text of each line of one page, by row.
    std::vector<std::u16string> Lines(int page) const
    {
        std::vector<std::u16string> lines;
        for (const RUN &r : runs) {
            if (r.page != page)
                continue;
            size_t row = static_cast<size_t>((r.y - layout.Margins.top) / cellHeight);
            if (lines.size() <= row)
                lines.resize(row + 1);
            lines[row] += r.text;
        }
        return lines;
    }

    PRINTLAYOUT &layout;
    int cellWidth, cellHeight;
    int pages = 1;
    int pageLimit = 1000;
    bool failDraw = false;
    std::vector<RUN> runs;
};

// 10 cells of 10 pixels between x 100 and 200; 5 lines of 20 pixels between y 50 and 150.
void SmallPage(PRINTLAYOUT &layout)
{
    layout.Margins = {100, 50, 200, 150};
}

std::string Narrow(const std::u16string &s)
{
    return std::string(s.begin(), s.end());
}

} // namespace

TEST(PRINTLAYOUT, MarginsInMillimetresBecomeDevicePixels)
{
    const struct {
        int l, t, r, b, dpix, dpiy, horz, vert;
        PRINTLAYOUT::BOX want;
    } cases[] = {
        {0, 0, 0, 0, 300, 300, 2479, 3508, {0, 0, 2479, 3508}},           // whole printable area
        {20, 10, 20, 10, 300, 300, 2479, 3508, {236, 118, 2243, 3390}},   // 20 x 300 x 10 / 254 = 236
        {10, 10, 10, 10, 600, 300, 4958, 3508, {236, 118, 4722, 3390}},   // x and y resolutions apart
        {25, 0, 0, 0, 72, 72, 595, 842, {70, 0, 595, 842}},
    };
    for (const auto &c : cases) {
        PRINTLAYOUT layout;
        layout.SetMargins(c.l, c.t, c.r, c.b, c.dpix, c.dpiy, c.horz, c.vert);
        EXPECT_EQ(layout.Margins.left, c.want.left) << c.l << " mm at " << c.dpix;
        EXPECT_EQ(layout.Margins.top, c.want.top) << c.t;
        EXPECT_EQ(layout.Margins.right, c.want.right) << c.r;
        EXPECT_EQ(layout.Margins.bottom, c.want.bottom) << c.b;
    }
}

TEST(PRINTLAYOUT, PositionsInPerCentOfThePrintableArea)
{
    PRINTLAYOUT layout;
    layout.Margins = {100, 200, 1100, 2200};
    layout.Home();
    int x = -1, y = -1;
    layout.GetPosition(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);

    const struct {
        int xpct, ypct, devx, devy;
    } cases[] = {{0, 0, 100, 200}, {50, 25, 600, 700}, {100, 100, 1100, 2200}, {33, 67, 430, 1540}};
    for (const auto &c : cases) {
        layout.SetPosition(c.xpct, c.ypct);
        EXPECT_EQ(layout.X, c.devx) << c.xpct;
        EXPECT_EQ(layout.Y, c.devy) << c.ypct;
        layout.GetPosition(&x, &y);
        EXPECT_EQ(x, c.xpct);
        EXPECT_EQ(y, c.ypct);
    }
}

TEST(PRINTLAYOUT, PositionWithoutMarginsDividesByNothing)
{
    PRINTLAYOUT layout; // no margins set yet: no extent on either axis
    layout.X = 300;
    layout.Y = 400;
    int x = -1, y = -1;
    layout.GetPosition(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    layout.Margins = {0, 0, 1000, 0}; // width but no height
    layout.GetPosition(&x, &y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 0);
    layout.SetPosition(50, 50);
    EXPECT_EQ(layout.X, 500);
    EXPECT_EQ(layout.Y, 0);
}

TEST(PRINTLAYOUT, ControlCharactersMoveThePosition)
{
    const struct {
        const char16_t *text;
        int lineFeedOnly;
        int x, y; // expected, relative to the top-left margin
    } cases[] = {
        {u"\t", 0, 80, 0},          // a tab at the left margin moves 8 cells
        {u"ab\t", 0, 80, 0},        // to the same stop from inside the first
        {u"\t\t", 0, 160, 0},       // past the right margin: no wrap for a tab
        {u"abc\b", 0, 20, 0},       // back one cell
        {u"\b", 0, 0, 0},           // never before the left margin
        {u"abc\r", 0, 0, 0},        // carriage return: to the left margin
        {u"abc\n", 0, 0, 20},       // line feed: next line, left margin
        {u"abc\n", 1, 30, 20},      // line feed only: the column stays
        {u"ab\x01\x1f" u"c", 0, 30, 0}, // other control characters are skipped
    };
    for (const auto &c : cases) {
        PRINTLAYOUT layout;
        SmallPage(layout);
        layout.LineFeedOnly = c.lineFeedOnly;
        FAKEDEVICE device(layout);
        ASSERT_TRUE(layout.WriteText(c.text, -1, device));
        EXPECT_EQ(layout.X - 100, c.x) << Narrow(c.text);
        EXPECT_EQ(layout.Y - 50, c.y) << Narrow(c.text);
        EXPECT_EQ(device.pages, 1);
    }
}

TEST(PRINTLAYOUT, LongRunsWrapInPiecesThatFit)
{
    const struct {
        const char16_t *text;
        std::vector<std::string> lines;
        int x; // cells from the left margin at the end
    } cases[] = {
        {u"0123456789ABCDEFGHIJKLMNO", {"0123456789", "ABCDEFGHIJ", "KLMNO"}, 5},
        {u"0123456789", {"0123456789"}, 10},          // fits exactly: stays on its line
        {u"abc\t0123", {"abc01", "23"}, 2},            // the rest of a line after a tab
        {u"0123456789X\r\nnext", {"0123456789", "X", "next"}, 4},
    };
    for (const auto &c : cases) {
        PRINTLAYOUT layout;
        SmallPage(layout);
        FAKEDEVICE device(layout);
        ASSERT_TRUE(layout.WriteText(c.text, -1, device));
        std::vector<std::string> lines;
        for (const auto &l : device.Lines(1))
            lines.push_back(Narrow(l));
        EXPECT_EQ(lines, c.lines) << Narrow(c.text);
        EXPECT_EQ((layout.X - 100) / 10, c.x) << Narrow(c.text);
        EXPECT_EQ(device.pages, 1);
    }
}

TEST(PRINTLAYOUT, WrappingWithoutRoomStillMovesOn)
{
    // Margins narrower than one cell: one character per line, pages follow, the walk ends.
    PRINTLAYOUT layout;
    layout.Margins = {100, 50, 105, 150};
    FAKEDEVICE device(layout);
    ASSERT_TRUE(layout.WriteText(u"abcdefghijkl", -1, device));
    ASSERT_EQ(device.runs.size(), 12u);
    for (const auto &r : device.runs)
        EXPECT_EQ(r.text.size(), 1u);
    EXPECT_EQ(device.pages, 3); // 5 lines per page

    // A position already past the right margin: the run starts on the next line.
    PRINTLAYOUT past;
    SmallPage(past);
    FAKEDEVICE device2(past);
    past.X = 250;
    ASSERT_TRUE(past.WriteText(u"abc", -1, device2));
    ASSERT_EQ(device2.runs.size(), 1u);
    EXPECT_EQ(device2.runs[0].x, 100);
    EXPECT_EQ(device2.runs[0].y, 70);

    // Without a measured cell the walk still ends.
    PRINTLAYOUT nocell;
    SmallPage(nocell);
    FAKEDEVICE device3(nocell, 10, 20);
    nocell.CellWidth = 0;
    EXPECT_TRUE(nocell.WriteText(u"\tabcdefghijklmnopqrstuvwxyz\b\n", -1, device3));
}

TEST(PRINTLAYOUT, PagesBreakAtTheBottomMarginAndAtFormFeeds)
{
    PRINTLAYOUT layout;
    SmallPage(layout);
    FAKEDEVICE device(layout);
    ASSERT_TRUE(layout.WriteText(u"1\n2\n3\n4\n5\n6\fseven", -1, device));
    EXPECT_EQ(device.pages, 3);
    EXPECT_EQ(device.Lines(1), (std::vector<std::u16string>{u"1", u"2", u"3", u"4", u"5"}));
    EXPECT_EQ(device.Lines(2), (std::vector<std::u16string>{u"6"}));
    EXPECT_EQ(device.Lines(3), (std::vector<std::u16string>{u"seven"}));

    // A form feed puts the position back to the top-left margin.
    PRINTLAYOUT ff;
    SmallPage(ff);
    FAKEDEVICE device2(ff);
    ASSERT_TRUE(ff.WriteText(u"abc\n\tx\f", -1, device2));
    EXPECT_EQ(device2.pages, 2);
    EXPECT_EQ(ff.X, 100);
    EXPECT_EQ(ff.Y, 50);

    // A long run spanning pages wraps onto the next page.
    PRINTLAYOUT span;
    SmallPage(span);
    FAKEDEVICE device3(span);
    ASSERT_TRUE(span.WriteText(std::u16string(75, u'z').c_str(), -1, device3));
    EXPECT_EQ(device3.pages, 2);
    EXPECT_EQ(device3.Lines(2).size(), 3u); // 50 on page 1, 25 on page 2
}

TEST(PRINTLAYOUT, FailuresStopTheWalk)
{
    PRINTLAYOUT none; // margins never set
    FAKEDEVICE device(none);
    EXPECT_FALSE(none.WriteText(u"abc", -1, device));
    EXPECT_TRUE(device.runs.empty());

    PRINTLAYOUT layout;
    SmallPage(layout);
    FAKEDEVICE failing(layout);
    failing.pageLimit = 1; // no second page can be started
    EXPECT_FALSE(layout.WriteText(u"1\n2\n3\n4\n5\n6\n7\n", -1, failing));
    EXPECT_EQ(failing.runs.size(), 5u);

    PRINTLAYOUT draw;
    SmallPage(draw);
    FAKEDEVICE broken(draw);
    broken.failDraw = true;
    EXPECT_FALSE(draw.WriteText(u"abc", -1, broken));

    // An explicit length stops before the terminator; a zero in it is skipped.
    PRINTLAYOUT part;
    SmallPage(part);
    FAKEDEVICE device2(part);
    const char16_t text[] = {u'a', u'b', 0, u'c', u'd', u'e'};
    ASSERT_TRUE(part.WriteText(text, 5, device2));
    EXPECT_EQ(device2.Lines(1), (std::vector<std::u16string>{u"abcd"}));
}

TEST(PRINTLAYOUT, HeaderPlaceholdersAndPositions)
{
    const struct {
        const char16_t *templ;
        int page;
        const char16_t *want;
    } cases[] = {
        {u"Page %PAGE%", 3, u"Page 3"},
        {u"%PAGE%/%PAGE%", 12, u"12/12"},
        {u"Fax report", 7, u"Fax report"},
        {u"%USERNAME%@%COMPUTERNAME% %DATE% %TIME%", 1, u"anna@DESK 1/2/03 10:11"},
        {u"%username%", 1, u"%username%"}, // placeholders are matched exactly
    };
    for (const auto &c : cases) {
        WSTRING got = PRINTLAYOUT::ExpandHeader(WSTRING(c.templ), u"anna", u"DESK", u"1/2/03", u"10:11", c.page);
        EXPECT_EQ(std::u16string(got.GetBuffer()), std::u16string(c.want));
    }

    PRINTLAYOUT layout;
    layout.Margins = {236, 118, 2243, 3390};
    EXPECT_EQ(layout.HeaderX(0, 300), 236);
    EXPECT_EQ(layout.HeaderX(1, 300), (236 + 2243) / 2 - 35);
    EXPECT_EQ(layout.HeaderX(2, 300), 2243 - 94);
    EXPECT_EQ(PRINTLAYOUT::HeaderY(300), 94);
}

TEST(PRINTLAYOUT, BitmapsFitThePageAndKeepTheirShape)
{
    const struct {
        int horz, vert, dpix, dpiy, width, height, xpct, ypct, scale;
        PRINTLAYOUT::PLACE want;
    } cases[] = {
        // A4 at 300 dpi, a fax page of 1728 x 2292: the width limits the fit (143 %).
        {2479, 3508, 300, 300, 1728, 2292, 0, 0, 100, {0, 0, 2471, 3277}},
        // A tall strip: the height limits (3508 %).
        {2479, 3508, 300, 300, 10, 100, 0, 0, 100, {0, 0, 350, 3508}},
        // A wide bitmap: the width limits.
        {2479, 3508, 300, 300, 1000, 100, 10, 20, 100, {247, 701, 2470, 247}},
        // Half the scale, centred.
        {2479, 3508, 300, 300, 1000, 1000, 25, 25, 50, {619, 877, 1235, 1235}},
        // A device with rows half as dense as columns: the same picture in half the rows.
        {4958, 3508, 600, 300, 1000, 1000, 0, 50, 100, {0, 1754, 4950, 2475}},
        // Nothing to fit.
        {2479, 3508, 300, 300, 0, 100, 0, 0, 100, {0, 0, 0, 0}},
    };
    for (const auto &c : cases) {
        PRINTLAYOUT::PLACE p = PRINTLAYOUT::PlaceBitmap(c.horz, c.vert, c.dpix, c.dpiy, c.width, c.height, c.xpct,
                                                         c.ypct, c.scale);
        EXPECT_EQ(p.x, c.want.x) << c.width << "x" << c.height;
        EXPECT_EQ(p.y, c.want.y) << c.width << "x" << c.height;
        EXPECT_EQ(p.cx, c.want.cx) << c.width << "x" << c.height;
        EXPECT_EQ(p.cy, c.want.cy) << c.width << "x" << c.height;
    }
}
