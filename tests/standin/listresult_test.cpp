// LISTRESULT and BROADCASTLINE: the list answer and the broadcast command line.
#include "common/broadcastline.h"
#include "common/listresult.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

} // namespace

TEST(LISTRESULT, MakesOkWithTheListOrNull)
{
    HASHLIST empty;
    EXPECT_EQ(S(LISTRESULT::Make(empty)), "<OK>\n<NULL>");
    HASHLIST two;
    HASH a;
    a["Name"] = "Anton";
    HASH b;
    b["Name"] = "Berta";
    two.AddItem(a);
    two.AddItem(b);
    EXPECT_EQ(S(LISTRESULT::Make(two)), "<OK>\n[#0]\nName=Anton\n\n[#1]\nName=Berta\n\n");
    HASHLIST back;
    ASSERT_TRUE(LISTRESULT::Read(LISTRESULT::Make(two), back));
    ASSERT_EQ(back.NumItems(), 2);
    EXPECT_EQ(S((*back[1])["Name"]), "Berta");
}

TEST(LISTRESULT, ReaderTable)
{
    struct CASE {
        const char *text; // null: a NULL string
        bool ok;
        int records;
    } cases[] = {
        {"<OK>\n<NULL>", true, 0},
        {"<ok>\n<null>", true, 0},
        {"<OK>\r\n<NULL>\r\n", true, 0},
        {"<OK>", true, 0},
        {"<OK>\n", true, 0},
        {"<OK>\n[#0]\nName=a\n\n[#1]\nName=b\n\n", true, 2},
        {"<OK>\n[#0]\nName=a", true, 1},
        {"<NOK>", false, 0},
        {"<FAIL>\n[#0]\nName=a\n\n", false, 0},
        {"<NULL>", false, 0},
        {"", false, 0},
        {"[#0]\nName=a\n\n", false, 0},
        {nullptr, false, 0},
    };
    for (const CASE &c : cases) {
        HASHLIST out;
        HASH stale;
        stale["Old"] = "1";
        out.AddItem(stale);
        STRING text = c.text ? STRING(c.text) : STRING();
        EXPECT_EQ(LISTRESULT::Read(text, out), c.ok) << (c.text ? c.text : "NULL");
        EXPECT_EQ(static_cast<int>(out.NumItems()), c.records) << (c.text ? c.text : "NULL");
    }
}

TEST(BROADCASTLINE, BlanksTravelAsX20)
{
    STRING line = BROADCASTLINE::Make("NEEDSERVER", "jo@pc one", "6667");
    EXPECT_EQ(S(line), "NEEDSERVER jo@pc\\x20one 6667");
    HASH params;
    EXPECT_EQ(S(BROADCASTLINE::Split(line, "pc_one", params)), "NEEDSERVER");
    EXPECT_EQ(S(params["@Parm1"]), "jo@pc one");
    EXPECT_EQ(S(params["@Parm2"]), "6667");
    EXPECT_EQ(S(params["@Sender"]), "pc_one");
}

TEST(BROADCASTLINE, SplitTable)
{
    struct CASE {
        const char *line;
        const char *command;
        const char *parm1; // null: absent
        const char *parm2;
    } cases[] = {
        {"STARTSERVER", "STARTSERVER", nullptr, nullptr},
        {"STOPSERVER a", "STOPSERVER", "a", nullptr},
        {"X a\\x20b\\x20c d e", "X", "a b c", "d"}, // a third parameter is not handed on
        {"", "", nullptr, nullptr},
    };
    for (const CASE &c : cases) {
        HASH params;
        EXPECT_EQ(S(BROADCASTLINE::Split(STRING(c.line), "srv", params)), c.command) << c.line;
        EXPECT_EQ(params.FindKey("@Parm1") >= 0, c.parm1 != nullptr) << c.line;
        EXPECT_EQ(params.FindKey("@Parm2") >= 0, c.parm2 != nullptr) << c.line;
        if (c.parm1) {
            EXPECT_EQ(S(params["@Parm1"]), c.parm1) << c.line;
        }
        if (c.parm2) {
            EXPECT_EQ(S(params["@Parm2"]), c.parm2) << c.line;
        }
    }
}
