// WSTRING: UTF-16 text on the byte buffer, its character-counting operations and the conversions
// between 8-bit and wide text.
#include "kestar/base/wstring.h"

#include "tests/support/bytes_support.h"
#include "tests/support/logcapture_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Show(const WSTRING &w)
{
    return w.GetBuffer() ? std::u16string(w.GetBuffer(), static_cast<size_t>(w.Length())) : std::u16string(u"(NULL)");
}

} // namespace

TEST(WSTRING, LengthsCountCharactersAndTheTerminatorIsTwoBytes)
{
    WSTRING w(u"abc");
    EXPECT_EQ(3, w.Length());
    EXPECT_EQ(6, w.StrLen);
    EXPECT_TRUE(w.Flags & STRINGFLAG_WIDE);
    EXPECT_EQ(0, w.Buffer[6]);
    EXPECT_EQ(0, w.Buffer[7]);
    EXPECT_EQ(192, WSTRING(std::u16string(47, u'x').c_str()).BufLen) << "47 characters fill the first block";
    EXPECT_EQ(96, WSTRING(std::u16string(46, u'x').c_str()).BufLen);

    WSTRING none;
    EXPECT_TRUE(none.IsNull());
    EXPECT_TRUE(none.IsEmpty());
    none.SetNotNull();
    EXPECT_FALSE(none.IsNull());
    EXPECT_EQ(0, none.Length());
    WSTRING copy(w);
    EXPECT_NE(copy.Buffer, w.Buffer);
    EXPECT_EQ(u"abc", Show(copy));
    copy = static_cast<const char16_t *>(nullptr);
    EXPECT_TRUE(copy.IsNull());
    EXPECT_EQ(u"a", Show(WSTRING(u"ab", 1)));
}

TEST(WSTRING, ConvertsThroughTheCodePage)
{
    // 0x80 is the euro sign in 1252 and U+00C7 in the DOS page 437.
    EXPECT_EQ(u"a\u20ac", Show(WSTRING("a\x80", 1252)));
    EXPECT_EQ(u"a\u00c7", Show(WSTRING("a\x80", 437)));
    EXPECT_EQ(u"ab", Show(WSTRING("abc", 2, 1252)));
    EXPECT_EQ(u"\u00e9\u20ac", Show(WSTRING("\xc3\xa9\xe2\x82\xac", UNICODE_CPUTF8)));
    EXPECT_TRUE(WSTRING(static_cast<const char *>(nullptr), 1252).IsNull());

    STRING cp437("\x80", 437);
    EXPECT_EQ(u"\u00c7", Show(WSTRING(cp437)));

    STRING back(WSTRING(u"x\u20ac\u00c7"), 1252);
    EXPECT_EQ("x\x80\xc7", TextOf(back));
    EXPECT_EQ(1252, back.CodePage);
    STRING dos(u"\u00c7", -1, 437);
    EXPECT_EQ("\x80", TextOf(dos));
    EXPECT_EQ(437, dos.CodePage);
    EXPECT_TRUE(STRING(static_cast<const char16_t *>(nullptr)).IsNull());
}

TEST(WSTRING, Utf8BothWays)
{
    const char16_t text[] = u"A\u00e9\u20ac\U0001F600";
    STRING utf8 = WSTRING(text).ToUtf8();
    EXPECT_EQ("A\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", TextOf(utf8));
    EXPECT_EQ(1252, utf8.CodePage);
    WSTRING back;
    back.FromUtf8(utf8.Buffer, utf8.StrLen);
    EXPECT_EQ(std::u16string(text), Show(back));
    // A broken sequence gives its bytes as characters.
    back.FromUtf8("\xc3\x41");
    EXPECT_EQ(u"\u00c3A", Show(back));
    // A sequence cut by the end of the text is not lost either.
    back.FromUtf8("x\xe2\x82");
    EXPECT_EQ(u"x\u00e2\u0082", Show(back));
    STRING viaCp(WSTRING(u"\u00e9"), UNICODE_CPUTF8);
    EXPECT_EQ("\xc3\xa9", TextOf(viaCp));
    EXPECT_EQ(u"\u00e9", Show(WSTRING(viaCp)));
    EXPECT_TRUE(WSTRING().ToUtf8().IsNull());
}

TEST(WSTRING, EditingCountsCharacters)
{
    WSTRING w(u"  hello world  ");
    w.Trim('B', u" ");
    EXPECT_EQ(u"hello world", Show(w));
    EXPECT_EQ(6, w.Pos(u"world"));
    EXPECT_EQ(-1, w.Pos(u"World"));
    STRING_SIZE_T at = 0;
    EXPECT_TRUE(w.Find(u"o", &at, 5));
    EXPECT_EQ(7, at);
    EXPECT_EQ(u"lo w", Show(w.Mid(3, 4)));
    EXPECT_EQ(u"", Show(w.Mid(20)));
    w.Insert(u"big ", 6);
    EXPECT_EQ(u"hello big world", Show(w));
    w.Insert(u"!", w.Length());
    EXPECT_EQ(u"hello big world!", Show(w));
    w.DeleteLeft(6);
    w.DeleteRight(1);
    EXPECT_EQ(u"big world", Show(w));
    w.Truncate(3);
    EXPECT_EQ(u"big", Show(w));
    w.Append(u"gest");
    w.AppendChar(u'!');
    EXPECT_EQ(u"biggest!", Show(w));
    EXPECT_EQ(2, w.Replace(u"g", u"gg"));
    EXPECT_EQ(u"biggggest!", Show(w));
    w[0] = u'B';
    EXPECT_EQ(u'B', w[0]);

    LOGCAPTURE log;
    w.Insert(w.GetBuffer(), 0);
    w[10] = u'X';
    w.Trim('Q', u" ");
    EXPECT_EQ(u"Biggggest!", Show(w));
    EXPECT_EQ("i= 10, len= 10, buf= Biggggest!", log.InfoOf("i>=0 && i<this->StrLen"));
    EXPECT_EQ((std::vector<std::string>{"wtext!=wbuf", "i>=0 && i<this->StrLen", "how=='L' || how=='R' || how=='B'"}),
              log.Conditions());
}

TEST(WSTRING, TokensAndTabFields)
{
    const WSTRING w(u"name\t\tnumber\tnote");
    EXPECT_EQ(u"name", Show(w.TabWord(0)));
    EXPECT_EQ(u"", Show(w.TabWord(1)));
    EXPECT_EQ(u"note", Show(w.TabWord(3)));
    EXPECT_EQ(u"(NULL)", Show(w.TabWord(4)));
    EXPECT_EQ(u"", Show(w.Token(4, u"\t", STRING_TOKEN_NOTNULL)));
    EXPECT_EQ(u"number\tnote", Show(w.Token(2, u"\t", 1)));
}

TEST(WSTRING, WideComparisonIsCaseSensitive)
{
    EXPECT_NE(0, STR::wstricmp(u"ABC", u"abc"));
    EXPECT_EQ(0, STR::wstricmp(u"abc", u"abc"));
    EXPECT_EQ(0, STR::wstricmp(nullptr, nullptr));
    EXPECT_EQ(1, STR::wstricmp(nullptr, u"x"));
    EXPECT_EQ(0, STR::wstricmp(nullptr, u"<NULL>", 0));
}
