// The portable part of the tip of the day: the tips file, the due rule over the starts of a user,
// the choice of the next tip (wrapping, empty tips, force) and the dialog's texts.
#include "kestar/windowing/tipofday.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> List(STRINGARRAY tips)
{
    std::vector<std::string> out;
    for (STRING_SIZE_T i = 0; i < tips.NumItems(); ++i)
        out.push_back(tips[i]->GetBuffer());
    return out;
}

} // namespace

TEST(TIPOFDAY, ParserTable)
{
    typedef std::vector<std::string> LIST;
    struct CASE {
        const char *content;
        LIST tips;
    } cases[] = {
        // Sections: title, platform filter, text lines joined by blanks, paragraph breaks.
        {"[TIP]\r\ntitle=Faxes\r\nYou can send\r\n  a fax.\r\n\r\nFrom every program.\r\n"
         "[tip]\nplatform=Mac\nOnly elsewhere.\n"
         "[TIP]\n platform= \tWindows \nFor us.\n"
         "[TIP]\nTitle=Only a title\n"
         "[TIP]\nplatform=windows-ce\nNot us either.\n",
         {"Faxes|You can send a fax. \r\n\r\nFrom every program. ", "For us. "}},
        {"Before the first.\n[TIP]\nAfter.\n\n", {"Before the first. ", "After. "}},
        {"[TIP]\ntitle=A|B\nText\n", {"A|B|Text "}},
        // Plain lines: each line with more than blanks is a tip.
        {"First tip\r\n\r\n   \r\nSecond tip\nThird|with title", {"First tip", "Second tip", "Third|with title"}},
        {"", {}},
        {nullptr, {}},
    };
    for (const CASE &c : cases)
        EXPECT_EQ(List(TIPOFDAY::ParseTips(c.content)), c.tips) << (c.content ? c.content : "(null)");
}

TEST(TIPOFDAY, DueTable)
{
    const long long today = 20000;
    struct CASE {
        const char *what;
        int style;
        long long last;
        int force;
        bool show;
        long long newLast;
    } cases[] = {
        {"first start: nothing, today - 1 stored", 2, 0, 0, false, today - 1},
        {"first start, every start", 1, 0, 0, false, today - 1},
        {"first start, never", 0, 0, 0, false, 0},
        {"second start that day, daily", 2, today - 1, 0, true, today},
        {"daily, already shown today", 2, today, 0, false, today},
        {"every start, shown today", 1, today, 0, true, today},
        {"every second day, yesterday", 3, today - 1, 0, false, today - 1},
        {"every second day, two days ago", 3, today - 2, 0, true, today},
        {"weekly, six days ago", 4, today - 6, 0, false, today - 6},
        {"weekly, seven days ago", 4, today - 7, 0, true, today},
        {"never", 0, today - 100, 0, false, today - 100},
        {"an unknown style", 9, today - 100, 0, false, today - 100},
        {"forced with style never", 0, today, 1, true, today},
        {"forced at the first start", 2, 0, 1, true, today},
    };
    for (const CASE &c : cases) {
        long long newLast = -1;
        EXPECT_EQ(TIPOFDAY::IsDue(c.style, c.last, today, c.force, &newLast), c.show) << c.what;
        EXPECT_EQ(newLast, c.newLast) << c.what;
    }
}

TEST(TIPOFDAY, NextTipWrapsAndPassesOverEmptyTips)
{
    STRINGARRAY tips;
    tips.AddItem(STRING("\tone "));
    tips.AddItem(STRING("  "));
    tips.AddItem(STRING("three"));
    struct CASE {
        int count;
        int force;
        bool found;
        const char *tip;
        int newCount;
    } cases[] = {
        {0, 0, true, "one", 1},
        {2, 0, true, "three", 3},
        {3, 0, true, "one", 1},   // past the end: from the first again
        {57, 0, true, "one", 1},
        {-4, 0, true, "one", 1},  // a negative count counts as 0
        {1, 0, false, "", 2},     // an empty tip ends the showing
        {1, 1, true, "three", 3}, // unless forced
    };
    for (const CASE &c : cases) {
        int count = c.count;
        STRING tip("");
        EXPECT_EQ(TIPOFDAY::NextTip(tips, &count, c.force, &tip), c.found) << c.count << "/" << c.force;
        EXPECT_STREQ(tip.GetBuffer(), c.tip);
        EXPECT_EQ(count, c.newCount);
    }

    // All blank, forced: one full pass and the end, not a loop for ever.
    STRINGARRAY blank;
    blank.AddItem(STRING(" "));
    blank.AddItem(STRING("\t"));
    int count = 1;
    STRING tip;
    EXPECT_FALSE(TIPOFDAY::NextTip(blank, &count, 1, &tip));
    STRINGARRAY none;
    count = 0;
    EXPECT_FALSE(TIPOFDAY::NextTip(none, &count, 1, &tip));
}

TEST(TIPOFDAY, DialogTexts)
{
    STRING title, text;
    TIPOFDAY::SplitTip(STRING("Faxes|Send a fax|now"), "Did you know...?", &title, &text);
    EXPECT_STREQ(title.GetBuffer(), "Faxes");
    EXPECT_STREQ(text.GetBuffer(), "Send a fax|now");
    TIPOFDAY::SplitTip(STRING("Plain tip"), "Did you know...?", &title, &text);
    EXPECT_STREQ(title.GetBuffer(), "Did you know...?");
    EXPECT_STREQ(text.GetBuffer(), "Plain tip");

    EXPECT_STREQ(TIPOFDAY::DialogTitle("Parlomatix - connected", "Tip of the Day").GetBuffer(), "Parlomatix Tip of the Day");
    EXPECT_STREQ(TIPOFDAY::DialogTitle("<not connected> Parlomatix", "Tip of the Day").GetBuffer(), "Tip of the Day");
    EXPECT_STREQ(TIPOFDAY::DialogTitle("", "Tip of the Day").GetBuffer(), "Tip of the Day");
    EXPECT_STREQ(TIPOFDAY::DialogTitle(nullptr, "Tip of the Day").GetBuffer(), "Tip of the Day");

    EXPECT_EQ(TIPOFDAY::ReadValue(STRING(), 2), 2);
    EXPECT_EQ(TIPOFDAY::ReadValue(STRING(""), 2), 2);
    EXPECT_EQ(TIPOFDAY::ReadValue(STRING("4"), 2), 4);
    EXPECT_EQ(TIPOFDAY::ReadValue(STRING("-3"), 0), -3);
}
