// STRING and the STR helpers: NULL against empty, comparisons, searching, tokens, trimming and
// replacing, numbers, formatting and the NULL-text mode of the environment.
#include "kestar/base/string.h"

#include "tests/support/logcapture_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

// What a STRING holds, with NULL shown as such.
std::string Show(const STRING &s)
{
    return s.Buffer ? std::string(s.Buffer, static_cast<size_t>(s.StrLen)) : std::string("(NULL)");
}

// Sets or removes an environment variable the way the system sees it (not the runtime's copy).
void SetEnv(const char *name, const char *value)
{
#if defined(_WIN32)
    SetEnvironmentVariableA(name, value);
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

} // namespace

TEST(STRING, NullIsNotEmpty)
{
    STRING none;
    EXPECT_EQ(nullptr, none.Buffer);
    EXPECT_EQ(1252, none.CodePage);
    EXPECT_FALSE(none.NotEmpty());
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_TRUE(none == STRING());
    EXPECT_FALSE(none == "");
    EXPECT_FALSE(none == STRING(""));
    EXPECT_TRUE(none != "");
    EXPECT_TRUE(none == static_cast<const char *>(nullptr));
    EXPECT_STREQ("<NULL>", STR::SafeText(none, "test"));
    EXPECT_EQ(0, static_cast<int>(none));
    EXPECT_TRUE(STRING(static_cast<const char *>(nullptr)).IsNull());

    STRING text;
    text.Format("[%s]", STR::SafeText(none, "test"));
    EXPECT_EQ("[<NULL>]", Show(text));

    none.SetNotNull();
    EXPECT_TRUE(none == "");
    EXPECT_FALSE(none.NotEmpty());
    EXPECT_EQ("", Show(none));

    STRING value("x");
    value.Free();
    EXPECT_TRUE(value.IsNull());
}

TEST(STRING, SetDefaultFillsOnlyNull)
{
    STRING none, empty(""), full("own");
    const STRING other("other");
    none.SetDefault(other);
    empty.SetDefault(other);
    full.SetDefault(other);
    EXPECT_EQ("other", Show(none));
    EXPECT_EQ("", Show(empty));
    EXPECT_EQ("own", Show(full));
}

TEST(STRING, ComparisonsIgnoreCase)
{
    EXPECT_TRUE(STRING("ABC") == "abc");
    EXPECT_TRUE(STRING("ABC") == STRING("abc"));
    EXPECT_TRUE("abc" == STRING("aBc"));
    EXPECT_TRUE(STRING("ABC") != "abd");
    EXPECT_TRUE(STRING("apple") < STRING("Banana"));
    EXPECT_TRUE(STRING("Banana") > "apple");
    EXPECT_TRUE(STRING("V4") <= "v4");
    EXPECT_TRUE(STRING("V3") <= "V4");
    EXPECT_FALSE(STRING("V5") <= "V4");
    // Letters fold to lower case: "_" (0x5F) sorts before the letters.
    EXPECT_TRUE(STRING("_") < STRING("A"));
    // NULL reads "<NULL>" for ordering.
    EXPECT_TRUE(STRING() < STRING("a"));
    EXPECT_TRUE(STRING("=") > STRING()); // "=" (0x3D) sorts after "<" (0x3C)
}

TEST(STRING, StricmpNullRules)
{
    struct CASE {
        const char *a, *b;
        int nullaware;
        int sign;
    } cases[] = {
        {nullptr, nullptr, 1, 0}, {nullptr, "x", 1, 1},   {"x", nullptr, 1, 1},  {"ABC", "abc", 1, 0},
        {"a", "B", 1, -1},        {nullptr, "<null>", 0, 0}, {nullptr, nullptr, 0, 0}, {"b", "A", 0, 1},
    };
    for (const CASE &c : cases) {
        const int rc = STR::stricmp(c.a, c.b, c.nullaware);
        EXPECT_EQ(c.sign, (rc > 0) - (rc < 0)) << (c.a ? c.a : "null") << " / " << (c.b ? c.b : "null");
    }
    EXPECT_EQ(0, STR::memcmp(nullptr, "<NULL>", 7));
    EXPECT_EQ(0, STR::memcmp(nullptr, "<NULL>", 100)) << "never reads past the stand-in";
    EXPECT_NE(0, STR::memcmp("ab", "ac", 2));
}

TEST(STRING, PositionsAndFinding)
{
    const STRING s("Hello World hello");
    struct CASE {
        const char *text;
        STRING_SIZE_T start;
        STRING_SIZE_T pos, ipos;
    } cases[] = {
        {"hello", 0, 12, 0}, {"World", 0, 6, 6}, {"WORLD", 0, -1, 6}, {"o", 5, 7, 7},
        {"x", 0, -1, -1},    {"hello", 13, -1, -1}, {"o", 17, -1, -1}, {"", 3, 3, 3},
    };
    for (const CASE &c : cases) {
        EXPECT_EQ(c.pos, s.Pos(c.text, c.start)) << c.text;
        EXPECT_EQ(c.ipos, s.iPos(c.text, c.start)) << c.text;
        STRING_SIZE_T at = 99;
        EXPECT_EQ(c.pos >= 0, s.Find(c.text, &at, c.start));
        EXPECT_EQ(c.pos, at);
        EXPECT_EQ(c.ipos >= 0, s.iFind(c.text, nullptr, c.start));
    }
    EXPECT_EQ(4, s.PosChar('o'));
    EXPECT_EQ(-1, s.PosChar('#'));
    STRING_SIZE_T at = 0;
    EXPECT_FALSE(STRING().FindChar('N', &at));
    EXPECT_EQ(-1, at);
    EXPECT_EQ(-1, STRING().Pos("<NULL>"));
}

TEST(STRING, SubStrings)
{
    const STRING s("abcdef");
    EXPECT_EQ("abc", Show(s.Left(3)));
    EXPECT_EQ("abcdef", Show(s.Left(10)));
    EXPECT_EQ("", Show(s.Left(0)));
    EXPECT_EQ("def", Show(s.Right(3)));
    EXPECT_EQ("abcdef", Show(s.Right(9)));
    EXPECT_EQ("", Show(s.Right(0)));
    EXPECT_EQ("cd", Show(s.Mid(2, 2)));
    EXPECT_EQ("", Show(STRING().Right(2)));
    STRING cp("x", 437);
    EXPECT_EQ(1252, cp.Mid(0).CodePage);
}

TEST(STRING, Tokens)
{
    struct CASE {
        const char *text;
        int n;
        const char *delimiters;
        int flags;
        const char *expect; // null: the result is NULL
    } cases[] = {
        {"a,,b", 0, ",", 0, "a"},
        {"a,,b", 1, ",", 0, ""},
        {"a,,b", 2, ",", 0, "b"},
        {"a,,b", 3, ",", 0, nullptr},
        {"a,,b", 3, ",", STRING_TOKEN_NOTNULL, ""},
        {"k=a=b", 1, "=", 1, "a=b"},
        {"k=a=b", 0, "=", 1, "k=a=b"},
        {"x|y;z", 2, "|;", 0, "z"},
        {"a,", 1, ",", 0, ""},
        {"", 0, ",", 0, ""},
        {"", 1, ",", 0, nullptr},
        {"one two", 1, " ", 0, "two"},
    };
    for (const CASE &c : cases) {
        STRING t = STRING(c.text).Token(c.n, c.delimiters, c.flags);
        EXPECT_EQ(c.expect ? std::string(c.expect) : std::string("(NULL)"), Show(t)) << c.text << " #" << c.n;
    }
    EXPECT_EQ(3, STRING("a,,b").NumTokens(","));
    EXPECT_EQ(1, STRING().NumTokens(","));
    EXPECT_EQ(1, STRING("").NumTokens(","));
    EXPECT_EQ("(NULL)", Show(STRING().Token(0, ",")));
    EXPECT_EQ("two", Show(STRING("one two three").Word(1)));
    EXPECT_EQ("line1", Show(STRING("line0\nline1\nline2").GetLine(1)));
    EXPECT_EQ("line1\nline2", Show(STRING("line0\nline1\nline2").GetLine(1, true)));
    EXPECT_EQ("(NULL)", Show(STRING("line0").GetLine(2)));
}

TEST(STRING, SetTokenRebuildsTheFields)
{
    struct CASE {
        const char *text;
        int n;
        const char *value;
        const char *expect;
    } cases[] = {
        {"a,b,c", 1, "X", "a,X,c"}, {"a,b,c", 0, "X", "X,b,c"}, {"a,b,c", 2, "X", "a,b,X"},
        {"a", 3, "X", "a,,,X"},     {"a,b", 1, "X", "a,X"},     {"", 0, "X", "X"},
        {"a,b,c,d", 1, "", "a,,c,d"},
    };
    for (const CASE &c : cases) {
        STRING s(c.text);
        s.SetToken(c.n, ",", c.value);
        EXPECT_EQ(c.expect, Show(s)) << c.text << " #" << c.n;
    }
    LOGCAPTURE log;
    STRING s("a,b");
    s.SetToken(0, ",;", "X");
    EXPECT_EQ("a,b", Show(s));
    EXPECT_EQ((std::vector<std::string>{"strlen(delim)==1"}), log.Conditions());
}

TEST(STRING, TrimAndStrip)
{
    struct CASE {
        const char *text;
        char how;
        const char *expect;
    } cases[] = {
        {"  x  ", 'B', "x"}, {"  x  ", 'b', "x"}, {"  x  ", 'L', "x  "}, {" \t x \t", 'R', " \t x"},
        {"    ", 'B', ""},   {"x", 'B', "x"},
    };
    for (const CASE &c : cases) {
        STRING s(c.text);
        s.Trim(c.how, " \t");
        EXPECT_EQ(c.expect, Show(s)) << "[" << c.text << "] " << c.how;
    }
    STRING other("--a--");
    other.Trim("-", 'R');
    EXPECT_EQ("--a", Show(other));

    LOGCAPTURE log;
    STRING q("  x  ");
    q.Trim('Q', " ");
    EXPECT_EQ("  x  ", Show(q));
    EXPECT_EQ((std::vector<std::string>{"how=='L' || how=='R' || how=='B'"}), log.Conditions());

    STRING none;
    none.Trim('B', " ");
    EXPECT_TRUE(none.IsNull());

    STRING r("a-b_c-");
    r.RemoveChars("-_");
    EXPECT_EQ("abc", Show(r));

    STRING path("dir\\");
    EXPECT_EQ(1, path.StripLastChar('\\'));
    EXPECT_EQ(0, path.StripLastChar('\\'));
    EXPECT_EQ("dir", Show(path));
    EXPECT_EQ(1, path.StripFirstChar('d'));
    EXPECT_EQ("ir", Show(path));
    STRING empty("");
    EXPECT_EQ(0, empty.StripLastChar(0));
    EXPECT_EQ(0, empty.StripFirstChar(0));
}

TEST(STRING, CaseConversionTouchesAsciiLettersOnly)
{
    STRING s("abc XYZ \xe4\xc4 1");
    s.ToUpper();
    EXPECT_EQ("ABC XYZ \xe4\xc4 1", Show(s));
    s.ToLower();
    EXPECT_EQ("abc xyz \xe4\xc4 1", Show(s));
    STRING none;
    none.ToUpper();
    EXPECT_TRUE(none.IsNull());
}

TEST(STRING, ReplaceMakesOnePass)
{
    struct CASE {
        const char *text, *from, *to;
        int casesensitive;
        const char *expect;
        int count;
    } cases[] = {
        {"aaaa", "aa", "a", 1, "aa", 2},
        {"a.b.c", ".", "..", 1, "a..b..c", 2},    // inserted text is never searched again
        {"Path $DIR and $dir", "$DIR", "C:", 1, "Path C: and $dir", 1},
        {"Path $DIR and $dir", "$DIR", "C:", 0, "Path C: and C:", 2},
        {"x", "x", nullptr, 1, "<NULL>", 1},
        {"same", "same", "same", 1, "same", 0},
        {"abc", "", "z", 1, "abc", 0},
        {"abc", nullptr, "z", 1, "abc", 0},
        {"end.", ".", "", 1, "end", 1},
    };
    for (const CASE &c : cases) {
        STRING s(c.text);
        EXPECT_EQ(c.count, s.Replace(c.from, c.to, c.casesensitive)) << c.text;
        EXPECT_EQ(c.expect, Show(s)) << c.text;
    }
    STRING self("abab");
    self.Replace(self.Buffer + 2, "x"); // "ab" taken from its own buffer
    EXPECT_EQ("xx", Show(self));
}

TEST(STRING, InsertAndInsertChars)
{
    struct CASE {
        const char *text;
        const char *insert;
        STRING_SIZE_T pos;
        const char *expect;
    } cases[] = {
        {"abc", "XY", 0, "XYabc"}, {"abc", "XY", 2, "abXYc"}, {"abc", "XY", 3, "abcXY"},
        {"abc", "XY", 4, "abc"},   {"", "XY", 0, "XY"},
    };
    for (const CASE &c : cases) {
        STRING s(c.text);
        s.Insert(c.insert, c.pos);
        EXPECT_EQ(c.expect, Show(s));
    }
    STRING none;
    none.Insert("new", 0);
    EXPECT_EQ("new", Show(none));

    STRING n("abc");
    n.InsertChars(2, 1, '-');
    EXPECT_EQ("a--bc", Show(n));
    n.InsertChars(2, 5, '-');
    EXPECT_EQ("a--bc", Show(n)) << "nothing at or past the end";

    LOGCAPTURE log;
    STRING own("abc");
    own.Insert(own.Buffer, 1);
    EXPECT_EQ("abc", Show(own));
    own.Insert(own.Buffer + 1, 1); // a part of its own buffer is copied first
    EXPECT_EQ("abcbc", Show(own));
    EXPECT_EQ((std::vector<std::string>{"text!=this->Buffer"}), log.Conditions());
}

TEST(STRING, IndexMayAddressTheTerminator)
{
    LOGCAPTURE log;
    STRING s("abc");
    EXPECT_EQ('c', s[2]);
    EXPECT_EQ(0, s[3]);
    EXPECT_EQ('b', s[static_cast<size_t>(1)]);
    s[4] = 'X';
    s[-1] = 'Y';
    EXPECT_EQ("abc", Show(s));
    EXPECT_EQ(0, s.Buffer[3]);
    EXPECT_EQ("i= 4, len= 3, buf= abc", log.InfoOf("i>=0 && i<=this->StrLen"));
    EXPECT_EQ(2u, log.Conditions().size());
    const STRING none;
    EXPECT_EQ(0, none[0]);
}

TEST(STRING, Numbers)
{
    EXPECT_EQ("-2147483648", Show(STRING(INT_MIN)));
    EXPECT_EQ(16, STRING(5).BlockSize);
    EXPECT_EQ("4294967295", Show(STRING(4294967295u)));
    EXPECT_EQ("4294967295", Show(STRING(4294967295ul)));
    EXPECT_EQ("18446744073709551615", Show(STRING(18446744073709551615ull)));
    EXPECT_EQ("-9223372036854775807", Show(STRING(-9223372036854775807ll)));

    struct CASE {
        double value;
        int precision;
        const char *expect;
    } cases[] = {{2.5, -1, "2.5"}, {3.0, -1, "3"},      {3.0, 2, "3.00"}, {1.5, -1, "1.5"},
                 {0.0, -1, "0"},   {10.0, -1, "10"},    {-0.25, -1, "-0.25"}, {123.456789, -1, "123.4568"},
                 {2.0, 0, "2"}};
    for (const CASE &c : cases)
        EXPECT_EQ(c.expect, Show(STRING(c.value, c.precision))) << c.value << " " << c.precision;

    EXPECT_EQ(42, static_cast<int>(STRING(" 42abc")));
    EXPECT_EQ(-7, static_cast<int>(STRING("-7")));
    EXPECT_EQ(0, static_cast<int>(STRING("abc")));
    EXPECT_EQ(4000000000ul, STRING("4000000000").ToULong());
    EXPECT_EQ(int64_t(9000000000LL), STRING("9000000000").ToInt64());
    EXPECT_DOUBLE_EQ(1.25, STRING("1.25").ToDouble());
    EXPECT_EQ(0, STRING().ToInt64());
    EXPECT_DOUBLE_EQ(0.0, STRING().ToDouble());
}

TEST(STRING, ConcatenationAndRepeat)
{
    const STRING none;
    EXPECT_EQ("ab", Show(STRING("a") + STRING("b")));
    EXPECT_EQ("a", Show(STRING("a") + none));
    EXPECT_EQ("", Show(none + none));
    EXPECT_EQ("a<NULL>", Show(STRING("a") + static_cast<const char *>(nullptr)));
    EXPECT_EQ("<NULL>b", Show(static_cast<const char *>(nullptr) + STRING("b")));
    EXPECT_EQ("x-y", Show("x" + STRING("-") + "y"));
    STRING cp("x", 437);
    EXPECT_EQ(1252, (cp + "y").CodePage);

    STRING s("a");
    s += STRING("b");
    s += "c";
    s += static_cast<const char *>(nullptr);
    s.Append("defg", 2);
    EXPECT_EQ("abc<NULL>de", Show(s));
    STRING n;
    n += STRING();
    EXPECT_EQ("", Show(n));

    EXPECT_EQ("ababab", Show(STR::Repeat("ab", 3)));
    EXPECT_EQ("ab", Show(STR::Repeat("ab", 0)));
}

TEST(STRING, CopiesKeepTheCodePage)
{
    STRING a("text", 437);
    STRING b(a);
    EXPECT_EQ(437, b.CodePage);
    STRING c;
    c = a;
    EXPECT_EQ(437, c.CodePage);
    EXPECT_NE(a.Buffer, c.Buffer);
    c = static_cast<const char *>(nullptr);
    EXPECT_TRUE(c.IsNull());
    STRING raw = STRING::FromBytes("a\0b", 3, 16);
    EXPECT_EQ(3, raw.StrLen);
    EXPECT_EQ(16, raw.BlockSize);
}

TEST(STRING, FormatCutsAtTheBufferAndReportsIt)
{
    STRING s("x", 437);
    EXPECT_EQ(5, s.Format("%d-%s", 12, "ab"));
    EXPECT_EQ("12-ab", Show(s));
    EXPECT_EQ(1252, s.CodePage);
    EXPECT_EQ(3, s.AppendFormat("%03u", 7u));
    EXPECT_EQ("12-ab007", Show(s));
    EXPECT_EQ(20, s.Format("%llu", 18446744073709551615ull));

    LOGCAPTURE log;
    const std::string long9000(9000, 'L');
    STRING head("<");
    EXPECT_EQ(8191, head.AppendFormat("%s", long9000.c_str()));
    EXPECT_EQ(8192, head.StrLen);
    EXPECT_EQ("<" + std::string(8191, 'L'), Show(head));
    EXPECT_EQ((std::vector<std::string>{"rc>=0 && rc<sizeof(buf)-1"}), log.Conditions());
}

TEST(STRING, FromHexReadsPairs)
{
    struct CASE {
        const char *text;
        std::string expect;
    } cases[] = {{"0A1", "\x0a"}, {"00ff7F", std::string("\0\xff\x7f", 3)}, {"", ""}, {"4142zz43", "AB"}};
    for (const CASE &c : cases) {
        STRING bytes = STRING(c.text).FromHex();
        EXPECT_EQ(c.expect, Show(bytes)) << c.text;
        EXPECT_TRUE(bytes.Flags & STRINGFLAG_BINARY);
        EXPECT_EQ(96, bytes.BlockSize);
    }
    EXPECT_EQ(1024, STRING(std::string(82, 'a').c_str()).FromHex().BlockSize);
}

TEST(STRING, NullModeComesFromTheEnvironmentAtEveryRead)
{
    const STRING none;
    {
        LOGCAPTURE log;
        SetEnv("ORVAKFAILONNULL", "3");
        EXPECT_EQ(0, static_cast<int>(none));
        EXPECT_EQ(nullptr, STR::SafeText(nullptr, "test"));
        EXPECT_EQ(-1, STRING("abc").Pos(nullptr)) << "a null text is never read";
        SetEnv("ORVAKFAILONNULL", "1");
        EXPECT_EQ(nullptr, STR::SafeText(nullptr, "quiet"));
        SetEnv("ORVAKFAILONNULL", "0");
        EXPECT_STREQ("<NULL>", STR::SafeText(nullptr, "test"));
        EXPECT_EQ("atoi", log.InfoOf("p!=NULL"));
        EXPECT_EQ(3u, log.Conditions().size());
    }
    SetEnv("ORVAKFAILONNULL", nullptr);
    LOGCAPTURE log;
    EXPECT_STREQ("<NULL>", STR::SafeText(nullptr, "test"));
    EXPECT_EQ(0, static_cast<int>(none));
    EXPECT_EQ(std::u16string(u"<NULL>"), std::u16string(STR::SafeWideText(nullptr, "w")));
    EXPECT_TRUE(log.Conditions().empty());
}
