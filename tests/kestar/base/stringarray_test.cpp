// STRINGARRAY and WSTRINGARRAY: splitting, reading text files, searching and the compare rules.
#include "kestar/base/stringarray.h"
#include "kestar/base/wstringarray.h"

#include "tests/support/logcapture_support.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Texts(STRINGARRAY &a)
{
    std::vector<std::string> out;
    for (STRING_SIZE_T i = 0; i < a.NumItems(); i++)
        out.push_back(a[i]->Buffer ? std::string(a[i]->Buffer, static_cast<size_t>(a[i]->StrLen)) : "(NULL)");
    return out;
}

std::vector<std::u16string> Texts(WSTRINGARRAY &a)
{
    std::vector<std::u16string> out;
    for (STRING_SIZE_T i = 0; i < a.NumItems(); i++)
        out.push_back(a[i]->GetBuffer() ? std::u16string(a[i]->GetBuffer()) : u"(NULL)");
    return out;
}

void WriteFile(const std::string &path, const std::string &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

} // namespace

TEST(STRINGARRAY, SplitKeepsEmptyFields)
{
    struct CASE {
        const char *source;
        const char *token;
        std::vector<std::string> expect;
    } cases[] = {
        {"a,,b", ",", {"a", "", "b"}},
        {"a\r\nb", "\r\n", {"a", "", "b"}}, // every byte of the token ends a field
        {"a,", ",", {"a", ""}},
        {"", ",", {""}},
        {"x|y;z", "|;", {"x", "y", "z"}},
        {"whole", nullptr, {"whole"}},
        {nullptr, ",", {}},
    };
    for (const CASE &c : cases) {
        STRINGARRAY a(c.source, c.token);
        EXPECT_EQ(c.expect, Texts(a)) << (c.source ? c.source : "null");
        EXPECT_EQ(64, a.GrowBy);
        for (STRING_SIZE_T i = 0; i < a.NumItems(); i++)
            EXPECT_EQ(1252, a[i]->CodePage);
    }
    STRINGARRAY a("old,items", ",");
    a.Split("new", ",");
    EXPECT_EQ((std::vector<std::string>{"new"}), Texts(a));

    LOGCAPTURE log(1);
    STRINGARRAY logged("p;q", ";");
    EXPECT_EQ(1, log.CountLines("STRINGARRAY::STRINGARRAY source= p;q, token= ;"));
}

TEST(STRINGARRAY, SortByTheCompareFlags)
{
    struct CASE {
        const char *items;
        int flags;
        std::vector<std::string> expect;
    } cases[] = {
        {"b,A,c", 0x18, {"c", "b", "A"}},
        {"b,A,c", 0x10, {"A", "b", "c"}},
        {"b,A,c", 0x00, {"A", "b", "c"}},
        {"b,A,c", 0x08, {"c", "b", "A"}},
        {"10,9,100", 0x01, {"9", "10", "100"}},
        {"10,9,100", 0x00, {"10", "100", "9"}},
        {"10,9,100", 0x09, {"100", "10", "9"}},
        {"", 0x01, {""}},
    };
    for (const CASE &c : cases) {
        STRINGARRAY a(c.items, ",");
        a.Sort(c.flags);
        EXPECT_EQ(c.expect, Texts(a)) << c.items << " flags " << c.flags;
    }
    STRINGARRAY withNull;
    withNull.AddItem(STRING("a"));
    withNull.AddItem(STRING());
    withNull.Sort(0);
    EXPECT_EQ((std::vector<std::string>{"(NULL)", "a"}), Texts(withNull)) << "NULL sorts as \"<NULL>\"";
}

TEST(STRINGARRAY, FindModes)
{
    STRINGARRAY a("xyz,ABC,007,the cat", ",");
    struct CASE {
        const char *text;
        int mode;
        STRING_SIZE_T expect;
    } cases[] = {
        {"abc", 0, 1}, {"ab", 0, -1}, {"ab", 1, 1},   {"AT", 2, 3},  {"7", 3, 2},
        {"7", 0, -1},  {"zz", 2, -1}, {"XY", 1, 0},   {"", 1, 0},    {"0", 3, 0},
    };
    for (const CASE &c : cases)
        EXPECT_EQ(c.expect, a.Find(c.text, c.mode)) << c.text << " mode " << c.mode;
}

TEST(STRINGARRAY, LoadReadsLinesInFrontOfTheOldOnes)
{
    TEMPFOLDER folder;
    const std::string path = folder.File("lines.txt");
    const std::string longLine(40000, 'L');
    WriteFile(path, "first\r\n\nthird\n" + longLine + "\nlast");
    STRINGARRAY a;
    a.AddItem(STRING("old"));
    EXPECT_EQ(5, a.Load(path.c_str()));
    EXPECT_EQ((std::vector<std::string>{"first", "", "third", longLine, "last", "old"}), Texts(a));
    for (STRING_SIZE_T i = 0; i < a.NumItems(); i++)
        EXPECT_FALSE(a[i]->IsNull());

    WriteFile(path, "one\n\n");
    STRINGARRAY b;
    EXPECT_EQ(2, b.Load(path.c_str())) << "a final empty line after a line feed is no line";
    EXPECT_EQ((std::vector<std::string>{"one", ""}), Texts(b));
}

TEST(STRINGARRAY, LoadCanUnescape)
{
    TEMPFOLDER folder;
    const std::string path = folder.File("escaped.txt");
    WriteFile(path, "a\\x3db\\n\nplain\\\\\n");
    STRINGARRAY a;
    EXPECT_EQ(2, a.Load(path.c_str(), 1));
    EXPECT_EQ((std::vector<std::string>{"a=b\n", "plain\\"}), Texts(a));
    STRINGARRAY raw;
    EXPECT_EQ(2, raw.Load(path.c_str(), 0));
    EXPECT_EQ((std::vector<std::string>{"a\\x3db\\n", "plain\\\\"}), Texts(raw));
}

TEST(STRINGARRAY, LoadOfAMissingFileGivesNothing)
{
    TEMPFOLDER folder;
    LOGCAPTURE log;
    STRINGARRAY a;
    EXPECT_EQ(0, a.Load(folder.File("missing.txt").c_str()));
    EXPECT_EQ(0, a.NumItems());
    EXPECT_EQ(1, log.CountLines("STRINGARRAY::Load returns 0, "));
    EXPECT_EQ(0, log.CountLines("STRINGARRAY::Load returns 0, OK"));
}

TEST(WSTRINGARRAY, SplitAndSort)
{
    WSTRINGARRAY a(u"b\tA\t\tc", u"\t");
    EXPECT_STREQ("WSTRINGARRAY", a.TypeName);
    EXPECT_EQ((std::vector<std::u16string>{u"b", u"A", u"", u"c"}), Texts(a));
    a.Sort(STRINGARRAY_NOCASE);
    EXPECT_EQ((std::vector<std::u16string>{u"", u"A", u"b", u"c"}), Texts(a));
    a.Sort(0x08);
    EXPECT_EQ((std::vector<std::u16string>{u"c", u"b", u"A", u""}), Texts(a));
    WSTRINGARRAY n(u"10,9,-3,100", u",");
    n.Sort(STRINGARRAY_NUMERIC);
    EXPECT_EQ((std::vector<std::u16string>{u"-3", u"9", u"10", u"100"}), Texts(n));
    WSTRINGARRAY none(static_cast<const char16_t *>(nullptr), u",");
    EXPECT_EQ(0, none.NumItems());
}

#if defined(_WIN32)
TEST(STRINGARRAY, LoadDeniesWriters)
{
    // While another process writes the list, it is not read half-written; readers alone share.
    TEMPFOLDER folder;
    const std::string path = folder.File("list.txt");
    WriteFile(path, "one\ntwo\n");
    for (const char *otherMode : {"ab", "rb"}) {
        FILE *other = std::fopen(path.c_str(), otherMode);
        ASSERT_NE(other, nullptr) << otherMode;
        STRINGARRAY a;
        EXPECT_EQ(std::string(otherMode) == "rb" ? 2 : 0, a.Load(path.c_str())) << otherMode;
        std::fclose(other);
    }
}
#endif
