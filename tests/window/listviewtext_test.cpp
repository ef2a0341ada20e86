// The list view's text rules without a window: record fields, the stored column widths and the
// default order of rows.
#include "kestar/windowing/listviewtext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::u16string Wide(const WSTRING &text)
{
    return text.GetBuffer() ? std::u16string(text.GetBuffer(), static_cast<size_t>(text.Length())) : u"(NULL)";
}

std::vector<std::u16string> Fields(const WSTRING &record)
{
    std::vector<std::u16string> fields;
    for (const WSTRING &field : LISTVIEWTEXT::RecordFields(record))
        fields.push_back(Wide(field));
    return fields;
}

} // namespace

TEST(LISTVIEWTEXT, RecordFieldsEndAtTheFirstEmptyOne)
{
    struct CASE {
        std::u16string record;
        std::vector<std::u16string> fields;
    } cases[] = {
        {u"Smith\t0301 555\tBerlin", {u"Smith", u"0301 555", u"Berlin"}},
        // An empty second field ends the record, even with a third after it.
        {u"Smith\t\tBerlin", {u"Smith"}},
        {u"Smith\t", {u"Smith"}},
        // The row is made even for an empty first field: it carries the handle.
        {u"", {u""}},
        {u"\tBerlin", {u""}},
    };
    for (const CASE &c : cases)
        EXPECT_EQ(c.fields, Fields(WSTRING(c.record.c_str()))) << std::string(c.record.begin(), c.record.end());
    EXPECT_EQ(std::vector<std::u16string>{u""}, Fields(WSTRING()));
}

TEST(LISTVIEWTEXT, FieldsKeepTheirFirst511Characters)
{
    std::u16string longField(600, u'x');
    longField[510] = u'L';
    longField[511] = u'M';
    std::u16string record = u"a\t" + longField + u"\tb";
    std::vector<std::u16string> fields = Fields(WSTRING(record.c_str()));
    ASSERT_EQ(3u, fields.size());
    EXPECT_EQ(511u, fields[1].size());
    EXPECT_EQ(u'L', fields[1].back());
    EXPECT_EQ(u"b", fields[2]);
    EXPECT_EQ(511, LISTVIEWTEXT::CutField(WSTRING(longField.c_str())).Length());
    EXPECT_EQ(u"", Wide(LISTVIEWTEXT::CutField(WSTRING())));
}

TEST(LISTVIEWTEXT, ColumnWidthTextRoundTrip)
{
    const int widths[] = {120, 80, 200};
    STRING text = LISTVIEWTEXT::ColumnWidthsText(widths, 3);
    EXPECT_STREQ("120|80|200", text);
    EXPECT_EQ((std::vector<int>{120, 80, 200}), LISTVIEWTEXT::ParseColumnWidths(text));
    EXPECT_STREQ("", LISTVIEWTEXT::ColumnWidthsText(widths, 0));
    EXPECT_STREQ("200", LISTVIEWTEXT::ColumnWidthsText(widths + 2, 1));

    struct CASE {
        const char *text;
        std::vector<int> widths;
    } cases[] = {
        {"55", {55}},
        {"10|20|30|40", {10, 20, 30, 40}},
        // A field that is no width leaves its column as it is.
        {"10||30", {10, -1, 30}},
        {"10|x|-5|30", {10, -1, -1, 30}},
        {"", {-1}},
        {"10|", {10, -1}},
        {"9999999", {-1}},
    };
    for (const CASE &c : cases)
        EXPECT_EQ(c.widths, LISTVIEWTEXT::ParseColumnWidths(c.text)) << c.text;
    EXPECT_TRUE(LISTVIEWTEXT::ParseColumnWidths(nullptr).empty());
}

TEST(LISTVIEWTEXT, CaseIsIgnoredInCodePage1252)
{
    struct CASE {
        const char *a, *b;
        int sign;
    } cases[] = {
        {"abc", "ABC", 0},
        {"a", "B", -1},
        {"B", "a", 1},
        {"", "a", -1},
        {"ab", "a", 1},
        {"\xC4rger", "\xE4RGER", 0},   // A and a with diaeresis
        {"\x8A", "\x9A", 0},           // S caron
        {"\x9F", "\xFF", 0},           // Y diaeresis
        {"\xD7", "\xF7", -1},          // multiplication and division signs stay apart
        {"_", "a", -1},                // folded to lower case: '_' sorts before the letters
        {nullptr, "", 0},
    };
    for (const CASE &c : cases) {
        int result = LISTVIEWTEXT::CompareIgnoringCase(c.a, c.b);
        EXPECT_EQ(c.sign, (result > 0) - (result < 0)) << (c.a ? c.a : "(null)") << " / " << c.b;
    }
}

TEST(LISTVIEWTEXT, DefaultOrderUsesTheNextColumnOnTiesAndOrderOneReverses)
{
    struct ROW {
        const char *first, *second;
    };
    std::vector<ROW> rows = {{"b", "2"}, {"a", "9"}, {"A", "1"}};
    auto sorted = [&](int order) {
        std::vector<ROW> copy = rows;
        std::stable_sort(copy.begin(), copy.end(), [order](const ROW &x, const ROW &y) {
            return LISTVIEWTEXT::CompareRows(x.first, y.first, x.second, y.second, order) < 0;
        });
        std::string result;
        for (const ROW &row : copy)
            result += std::string("(") + row.first + "," + row.second + ")";
        return result;
    };
    EXPECT_EQ("(A,1)(a,9)(b,2)", sorted(0));
    EXPECT_EQ("(A,1)(a,9)(b,2)", sorted(2)); // any order but 1 is ascending
    EXPECT_EQ("(b,2)(a,9)(A,1)", sorted(1));
    // Without a readable next column the tie stays a tie.
    EXPECT_EQ(0, LISTVIEWTEXT::CompareRows("a", "A", nullptr, "1", 0));
    EXPECT_EQ(0, LISTVIEWTEXT::CompareRows("a", "A", "9", nullptr, 1));
}
