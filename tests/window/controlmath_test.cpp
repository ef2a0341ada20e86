// The arithmetic of the control wrappers: tooltip texts, status-bar part edges and the up-down
// control's buddy width and range message.
#include "kestar/windowing/controlmath.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(CONTROLMATH, TooltipAmpersandsAndLength)
{
    struct CASE {
        std::string in, out;
    } cases[] = {
        {"Fax & Voice", "Fax &&& Voice"},
        {"&", "&&&"},
        {"", ""},
        {std::string(100, 'x'), std::string(63, 'x')},
        // The doubling comes first, then the cut (which may fall inside a doubled "&").
        {std::string(62, 'x') + "&y", std::string(62, 'x') + "&"},
    };
    for (const CASE &c : cases)
        EXPECT_EQ(c.out, std::string(static_cast<const char *>(CONTROLMATH::PrepareTooltip(c.in.c_str())))) << c.in;
    EXPECT_EQ("", std::string(static_cast<const char *>(CONTROLMATH::PrepareTooltip(nullptr))));
}

TEST(CONTROLMATH, StatusBarEdges)
{
    struct CASE {
        std::vector<int> widths;
        int client;
        std::vector<int> edges;
        int stretched;
    } cases[] = {
        {{100, -50, 80}, 400, {100, 320, 400}, 1},
        {{100, -50, 80}, 200, {100, 150, 230}, 1},
        {{-30, 100}, 50, {30, 130}, 0},
        // No stretching part: every width is fixed (nothing is read before the array).
        {{100, 50, 80}, 400, {100, 150, 230}, -1},
        // A second negative width counts by its size.
        {{-10, -20, 30}, 100, {50, 70, 100}, 0},
    };
    for (const CASE &c : cases) {
        std::vector<int> edges(c.widths.size());
        EXPECT_EQ(c.stretched, CONTROLMATH::StatusBarEdges(c.widths.data(), static_cast<int>(c.widths.size()),
                                                           c.client, edges.data()));
        EXPECT_EQ(c.edges, edges) << c.client;
    }
}

TEST(CONTROLMATH, UpDownCharactersAndRangeMessage)
{
    struct CASE {
        int lo, hi, characters;
        bool wide;
    } cases[] = {
        {0, 99999, 5, true},
        {-5, 10, 3, false},
        {10, -5, 3, false},
        {0, 0x7FFF, 5, false},
        {-0x8000, 0, 6, true},
        // The bound farther from 0 sets the width, also when it is the smaller one.
        {-100, -5, 4, false},
        {0, 9, 1, false},
    };
    for (const CASE &c : cases) {
        EXPECT_EQ(c.characters, CONTROLMATH::UpDownCharacters(c.lo, c.hi)) << c.lo << ".." << c.hi;
        EXPECT_EQ(c.wide, CONTROLMATH::UpDownNeeds32Bit(c.lo, c.hi)) << c.lo << ".." << c.hi;
    }
}

TEST(SPLITTERCLAMP, BarStaysBetweenItsLimits)
{
    struct CASE {
        int x, minimumLeft, maximum, expected;
    } cases[] = {
        {100, 32, 400, 100},
        {10, 32, 400, 32},   // dragged too far left
        {-50, 32, 400, 32},
        {32, 32, 400, 32},
        {400, 32, 400, 400}, // at the maximum
        {900, 32, 400, 400}, // beyond the parent less the space on the right
        {20, 32, 20, 32},    // a parent narrower than the minimum: the minimum wins
        {900, 32, 20, 32},
        {0, 0, 0, 0},
    };
    for (const CASE &c : cases)
        EXPECT_EQ(c.expected, CONTROLMATH::SplitterX(c.x, c.minimumLeft, c.maximum))
            << c.x << " in " << c.minimumLeft << ".." << c.maximum;
}
