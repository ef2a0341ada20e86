// The toolbar's rules without a window: arrangement and dropped texts, check groups, texts from
// menu texts, the grey of disabled images, menu item data and size, and the look by version id.
#include "kestar/windowing/toolbarmath.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TOOLBARMATH;

namespace {

BUTTON Button(unsigned style, int textWidth = 0)
{
    BUTTON b;
    b.Style = style;
    b.State = InitialState(style);
    b.HasText = textWidth > 0;
    b.TextWidth = textWidth;
    return b;
}

std::string A(const std::u16string &text)
{
    return std::string(text.begin(), text.end());
}

std::u16string U(const std::string &text)
{
    return std::u16string(text.begin(), text.end());
}

} // namespace

TEST(NEWTOOLBARLAYOUT, WidthsAndPlacesBySymbolSize)
{
    struct CASE {
        int s;
        unsigned style;
        int textWidth;
        int width, y;
    } cases[] = {
        {16, 0, 0, 17, 9},
        {16, STYLE_DROPDOWN, 0, 23, 9},
        {16, STYLE_ARROW, 0, 23, 9},
        {16, 0, 40, 16 + 5 + 40 + 4, 9},
        {16, STYLE_ARROW, 40, 16 + 7 + 40 + 4, 9},
        {32, 0, 0, 33, 12},
        {32, STYLE_DROPDOWN, 0, 44, 12},
        {32, STYLE_ARROW, 30, 32 + 12 + 30 + 8, 12},
        {24, STYLE_DROPDOWN, 0, 24 + 11, 12},
        {22, 0, 0, 23, 12},
        {20, 0, 0, 21, 11},
    };
    for (const CASE &c : cases) {
        BUTTON b = Button(c.style, c.textWidth);
        ArrangeButtons(&b, 1, c.s, 1000);
        EXPECT_EQ(c.width, b.Width) << c.s << "/" << c.style;
        EXPECT_EQ(c.y, b.Y) << c.s << "/" << c.style;
        EXPECT_EQ(0, b.X);
    }
}

TEST(NEWTOOLBARLAYOUT, GapsHiddenButtonsAndAdvance)
{
    // s = 16: a plain button advances 17 + 8, a drop-down 23 + 9, a gap adds 8 in front.
    std::vector<BUTTON> row = {Button(STYLE_GAP), Button(STYLE_DROPDOWN), Button(STYLE_MENUONLY | STYLE_GAP),
                               Button(STYLE_GAP), Button(0)};
    EXPECT_FALSE(DoArrange(row.data(), 5, 16, 1000));
    EXPECT_EQ(8, row[0].X);
    EXPECT_EQ(8 + 25, row[1].X);
    EXPECT_EQ(-100, row[2].Y); // hidden: no place of its own, no gap
    EXPECT_EQ(8 + 25 + 32, row[2].X);
    EXPECT_EQ(8 + 25 + 32 + 8, row[3].X);
    EXPECT_EQ(8 + 25 + 32 + 8 + 25, row[4].X);
}

TEST(NEWTOOLBARLAYOUT, TextsDropFromTheRightUntilTheRowFits)
{
    // Three buttons with texts of 60 at s = 16: 85 + 8 each with text, 17 + 8 without.
    std::vector<BUTTON> row = {Button(STYLE_GAP, 60), Button(0, 60), Button(0, 60)};
    struct CASE {
        int width;
        int dropped;
        std::vector<bool> shown;
    } cases[] = {
        {1000, 0, {true, true, true}},
        {290, 0, {true, true, true}},  // 8 + 3 * 93 = 287
        {280, 1, {true, true, false}}, // 8 + 2 * 93 + 25 = 219
        {200, 2, {true, false, false}},
        {120, 3, {false, false, false}},
    };
    for (const CASE &c : cases) {
        EXPECT_EQ(c.dropped, ArrangeButtons(row.data(), 3, 16, c.width)) << c.width;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(c.shown[i], !(row[i].TextFlags & TEXT_DROPPED)) << c.width << " button " << i;
    }
}

TEST(NEWTOOLBARLAYOUT, ButtonsThatDoNotFitComeBackWhenWider)
{
    std::vector<BUTTON> row(6, Button(0));
    row[0].Style |= STYLE_GAP;
    // 25 a button after a gap of 8: button i starts at 8 + 25 i and fits when its x + 17 + 12 < W.
    ArrangeButtons(row.data(), 6, 16, 100);
    std::vector<bool> fits;
    for (const BUTTON &b : row)
        fits.push_back(!(b.State & STATE_NOFIT));
    EXPECT_EQ((std::vector<bool>{true, true, true, false, false, false}), fits);
    ArrangeButtons(row.data(), 6, 16, 400);
    for (const BUTTON &b : row)
        EXPECT_FALSE(b.State & STATE_NOFIT);
}

TEST(NEWTOOLBARGROUP, CheckingOneUnchecksItsRunOnly)
{
    const unsigned G = STYLE_CHECK | STYLE_GROUP;
    // Run 1: 0..2, a plain check button at 3, run 2: 4..5.
    std::vector<BUTTON> row = {Button(G), Button(G), Button(G), Button(STYLE_CHECK), Button(G), Button(G)};
    for (BUTTON &b : row)
        b.State |= STATE_CHECKED | STATE_HOT;
    EXPECT_TRUE(CheckButton(row.data(), 6, 1, true));
    std::vector<bool> checked;
    for (const BUTTON &b : row)
        checked.push_back(b.State & STATE_CHECKED);
    EXPECT_EQ((std::vector<bool>{false, true, false, true, true, true}), checked);
    EXPECT_FALSE(row[0].State & STATE_HOT);

    // Unchecking a group button does nothing; a plain check button unchecks.
    EXPECT_TRUE(CheckButton(row.data(), 6, 1, false));
    EXPECT_TRUE(row[1].State & STATE_CHECKED);
    EXPECT_TRUE(CheckButton(row.data(), 6, 3, false));
    EXPECT_FALSE(row[3].State & (STATE_CHECKED | STATE_HOT));

    // A hidden button is left alone.
    row[4].State |= STATE_HIDDEN;
    EXPECT_FALSE(CheckButton(row.data(), 6, 4, false));
    row[4].State &= ~STATE_CHECKED;
    EXPECT_FALSE(CheckButton(row.data(), 6, 4, true));
    EXPECT_FALSE(row[4].State & STATE_CHECKED);
    EXPECT_TRUE(row[5].State & STATE_CHECKED);

    // Not a check button: refused.
    BUTTON plain = Button(0);
    EXPECT_FALSE(CheckButton(&plain, 1, 0, true));
    EXPECT_FALSE(plain.State & STATE_CHECKED);
}

TEST(NEWTOOLBARTEXT, ButtonAndTooltipTexts)
{
    struct CASE {
        std::string menu, button, tooltip;
    } cases[] = {
        {"&Open...\tCtrl+O", "Open ", "&Open...  (Ctrl+O)"},
        {"Save &as", "Save as ", "Save &as"},
        {"Print... \t", "Print ", "Print...   ()"},
        {"", "", ""},
    };
    for (const CASE &c : cases) {
        EXPECT_EQ(c.button, A(ButtonText(U(c.menu)))) << c.menu;
        EXPECT_EQ(c.tooltip, TooltipText(c.menu)) << c.menu;
    }
    std::string tip = TooltipText(std::string(70, 'x') + "\tCtrl+Shift+F12");
    EXPECT_EQ(79u, tip.size());
    EXPECT_EQ(std::string(70, 'x') + "  (Ctrl+S", tip);
}

TEST(NEWTOOLBARLOOK, GreyOfDisabledImages)
{
    EXPECT_EQ(128, GreyOf(0, 0, 0));
    EXPECT_EQ(225, GreyOf(255, 255, 255));
    EXPECT_EQ(128 + 2 * 3104 / 223, GreyOf(255, 0, 0));
    EXPECT_EQ(128 + 4 * 3104 / 223, GreyOf(0, 255, 0));
    EXPECT_EQ(128, GreyOf(0, 0, 255));
}

TEST(NEWTOOLBARMENU, ItemDataAndSize)
{
    uint32_t data = 0;
    EXPECT_TRUE(MenuItemData(2000, false, 2101, &data));
    EXPECT_EQ((2000u << 16) | 2101u, data);
    EXPECT_TRUE(MenuItemData(2000, true, 10651, &data));
    EXPECT_EQ((2000u << 16) | 0x8000u | 10651u, data);
    data = 7;
    EXPECT_FALSE(MenuItemData(2000, false, 0x8000, &data));
    EXPECT_EQ(7u, data);

    std::u16string label, shortcut;
    SplitMenuText(U("&Open...\tCtrl+O"), &label, &shortcut);
    EXPECT_EQ("Open...", A(label));
    EXPECT_EQ("Ctrl+O", A(shortcut));
    SplitMenuText(U("E&xit"), &label, &shortcut);
    EXPECT_EQ("Exit", A(label));
    EXPECT_EQ("", A(shortcut));

    int w = 0, h = 0;
    MenuItemSize(50, 30, true, 13, 16, false, &w, &h);
    EXPECT_EQ(50 + 30 + 16 + 16 + 30, w);
    EXPECT_EQ(19, h);
    MenuItemSize(50, 0, false, 20, 16, true, &w, &h);
    EXPECT_EQ(54, w);
    EXPECT_EQ(23, h);
}

TEST(NEWTOOLBARLOOK, ByVersionId)
{
    struct CASE {
        int version;
        bool manifest;
        bool themed, hilight, menuBarImages;
        BARCOLOUR bar;
        int percent;
        bool shadow, highlight;
    } cases[] = {
        {2, true, false, false, false, BAR_BTNFACE, 50, true, true},
        {3, false, true, true, false, BAR_BTNFACE, 50, true, true},
        {5, false, true, true, false, BAR_BTNFACE, 50, true, true},
        {5, true, true, true, false, BAR_REBARTHEME, 50, true, true},
        {6, true, true, true, true, BAR_REBARTHEME, 50, true, true},
        {6, false, true, true, true, BAR_BTNFACE, 50, true, true},
        {7, false, true, true, true, BAR_MENUBAR, 33, true, false},
        {8, true, true, true, true, BAR_MENUBAR, 33, true, false},
        {9, true, true, true, true, BAR_MENUBAR, 33, false, false},
    };
    for (const CASE &c : cases) {
        LOOK look = LookFor(c.version, c.manifest);
        EXPECT_EQ(c.themed, look.Themed) << c.version;
        EXPECT_EQ(c.hilight, look.MenuHilight) << c.version;
        EXPECT_EQ(c.menuBarImages, look.MenuBarImages) << c.version;
        EXPECT_EQ(c.bar, look.Bar) << c.version << "/" << c.manifest;
        EXPECT_EQ(c.percent, look.HighlightPercent) << c.version;
        EXPECT_EQ(c.shadow, look.ShadowLine) << c.version;
        EXPECT_EQ(c.highlight, look.HighlightLine) << c.version;
    }
    EXPECT_EQ(0x00FFBF7Fu, Towards255(0x00FF8000, 50));
    EXPECT_EQ(0x00A9A9A9u, Towards255(0x00808080, 33));
}
