// The message boxes' text formatter: reflow, the markup, the no-wrap marker and the long-line
// breaks on old systems and in the remembered box, tested on wide text with the version id.
#include "kestar/base/winorvak.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Show(const WSTRING &w)
{
    return w.GetBuffer() ? std::u16string(w.GetBuffer(), static_cast<size_t>(w.Length())) : std::u16string(u"(NULL)");
}

std::u16string Wide(const std::string &ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

} // namespace

TEST(WINORVAK, FormatMsgBoxTextTable)
{
    const std::u16string longLine = Wide(std::string(54, 'a') + " b c");
    const std::u16string brokenOnce = Wide(std::string(54, 'a') + " b\rc");
    const std::u16string brokenAtEveryBlank = Wide(std::string(54, 'a') + "\rb\rc");
    struct CASE {
        std::u16string text;
        int width;
        int force;
        int os;
        std::u16string expect;
    } cases[] = {
        {u"one\ntwo", 55, 0, 9, u"one two"},           // a single break joins with a blank
        {u"one\r\ntwo", 55, 0, 9, u"one two"},
        {u"one \ntwo", 55, 0, 9, u"one two"},          // after a blank the break just goes
        {u"para one\n\npara two", 55, 0, 9, u"para one\r\rpara two"}, // an empty line keeps both
        {u"list:\n  item\n\tnext", 55, 0, 9, u"list:\r  item\r\tnext"}, // indented lines stay
        {u"x&nbsp;y", 55, 0, 9, u"x y"},
        {u"aaaaaa&nbsp;bbb ccc", 5, 1, 9, u"aaaaaa bbb\rccc"}, // never broken at the &nbsp;
        {u"a &rarr; b", 55, 0, 9, u"a \u2192 b"},
        {u"caf\u00ff x\ny", 55, 0, 9, u"caf\u00ff x y"},     // a real U+00FF stays itself
        {u"&nbsp;", 55, 0, 9, u" "},
        {u"##NOWRAP##\nline1\nline2", 55, 0, 9, u"line1\rline2"},
        {u"##NOWRAP##\r\naaaa bbbb", 3, 1, 4, u"aaaa bbbb"},  // no long-line breaks either
        {u"##NOWRAP##x\ny", 55, 0, 9, u"##NOWRAP##x y"},      // the marker needs its break
        {u"##nowrap##\ny", 55, 0, 9, u"##nowrap## y"},        // and its case
        {u"##NOWRAP##\n", 55, 0, 9, u""},
        {u"", 55, 0, 9, u""},
        {u"a", 55, 0, 9, u"a"},
        {u"ab", 55, 0, 9, u"ab"},
        {u"a\n", 55, 0, 9, u"a\r"},
        {u"\n", 55, 1, 4, u"\r"},
        {longLine, 55, 1, 9, brokenOnce},      // forced: the first blank past column 55
        {longLine, 55, 0, 4, brokenOnce},      // before Vista without force too
        {longLine, 55, 0, 5, longLine},        // from Vista on the box wraps by itself
        {longLine, 55, 0, 9, longLine},
        {longLine, -1, 0, 4, longLine},        // width -1: no breaks on old systems
        {longLine, -1, 1, 9, brokenAtEveryBlank},
    };
    for (const CASE &c : cases) {
        WSTRING text(c.text.c_str());
        WSTRING result = WINORVAK::FormatMsgBoxTextFor(text, c.width, c.force, c.os);
        EXPECT_FALSE(result.IsNull());
        EXPECT_EQ(Show(result), c.expect) << "text " << std::string(c.text.begin(), c.text.end()) << " width "
                                          << c.width << " force " << c.force << " os " << c.os;
    }
}

TEST(WINORVAK, FormatMsgBoxTextFromEightBitText)
{
    EXPECT_EQ(Show(WINORVAK::FormatMsgBoxText(STRING("Go on?\nReally&nbsp;now"), 55, 0)), u"Go on? Really now");
    // A NULL text is an empty one.
    EXPECT_EQ(Show(WINORVAK::FormatMsgBoxText(STRING(), 55, 0)), u"");
}
