// STANDINSTATE, STANDINSCRIPT and STANDINCONFIG: the stand-in server's data, script and command
// line, without the wire.
#include "standins/standinserver/standinconfig.h"
#include "standins/standinserver/standinscript.h"
#include "standins/standinserver/standinstate.h"

#include <gtest/gtest.h>

#include <string>

#include "kestar/base/filename.h"
#include "kestar/base/stringarray.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

// The demo data set: its source folder natively, the built copy beside the test program on Windows.
std::string DemoFolder()
{
#if defined(_WIN32)
    return TestProgramFolder() + "\\standindemo";
#else
    return STANDIN_DEMO_SOURCE;
#endif
}

const int64_t kNow = 1800000000;

} // namespace

TEST(STANDINSTATE, ClientFileNamesStayInTheWorkingFolder)
{
    struct CASE {
        const char *name;
        bool ok;
    } cases[] = {
        {".\\messages\\msg01004.wav", true}, {"smsprovider.ini", true}, {"./messages/a.sff", true},
        {".\\smsprovider.ini", true},         {"..\\x", false},          {"../x", false},
        {"messages\\..\\..\\x", false},       {"messages/../x", false},   {"C:\\windows\\win.ini", false},
        {"c:x", false},                       {"\\x", false},             {"/etc/passwd", false},
        {"\\\\server\\share\\x", false},      {"", false},                {"messages\\...\\x", false},
        {"messages\\\\x", false},             {"messages\\ ..\\x", false},
    };
    for (const CASE &c : cases)
        EXPECT_EQ(STANDINSTATE::IsSafeClientName(c.name), c.ok) << c.name;
    EXPECT_FALSE(STANDINSTATE::IsSafeClientName(nullptr));
}

TEST(STANDINSTATE, CanonicalNumbersTable)
{
    struct CASE {
        const char *number;
        const char *canonical;
    } cases[] = {
        {"089 100 1000", "0891001000"}, {"+49 89 100-1000", "0891001000"}, {"0049 (89) 1001000", "0891001000"},
        {"089/100-1000", "0891001000"}, {"+43 1 156 1555", "004311561555"}, {"", ""},
    };
    for (const CASE &c : cases)
        EXPECT_EQ(S(STANDINSTATE::CanonicalNumber(c.number, "49")), c.canonical) << c.number;
}

class STANDINSTATEDEMO : public ::testing::Test {
protected:
    void SetUp() override
    {
        STRING reason;
        ASSERT_TRUE(State.Open(DemoFolder().c_str(), Work.File("state").c_str(), 0, kNow, reason)) << S(reason);
    }
    TEMPFOLDER Work;
    STANDINSTATE State;
};

TEST_F(STANDINSTATEDEMO, DemoSetHasItsListsAndShiftedCalls)
{
    EXPECT_EQ(State.Callers().NumItems(), 40);
    EXPECT_EQ(State.Targets().NumItems(), 6);
    EXPECT_EQ(State.Users().NumItems(), 5);
    EXPECT_EQ(State.Options().NumKeys(), 55);
    HASHLIST current = State.Items(0, 0, false);
    ASSERT_EQ(current.NumItems(), 8);
    int64_t newest = 0;
    for (STRING_SIZE_T i = 0; i < current.NumItems(); ++i)
        newest = std::max<int64_t>(newest, (*current[i])["LTime"].ToInt64());
    EXPECT_EQ(newest, kNow - 60);
    HASHLIST archive = State.Items(0, 0, true);
    ASSERT_EQ(archive.NumItems(), 1);
    EXPECT_EQ(archive[0]->Handle, 1001u);
}

TEST_F(STANDINSTATEDEMO, ItemsAreTheNewestFromFirstIdAscending)
{
    HASHLIST three = State.Items(3, 0, false);
    ASSERT_EQ(three.NumItems(), 3);
    EXPECT_EQ(three[0]->Handle, 1007u);
    EXPECT_EQ(three[2]->Handle, 1009u);
    HASHLIST from = State.Items(100, 1006, false);
    ASSERT_EQ(from.NumItems(), 4);
    EXPECT_EQ(from[0]->Handle, 1006u);
    EXPECT_EQ(State.Items(100, 5000, false).NumItems(), 0);
}

TEST_F(STANDINSTATEDEMO, ChangesAreSavedInTheWorkingFolderOnly)
{
    HASH target;
    ASSERT_TRUE(State.FindTarget("5551002", target));
    target["Name"] = "Verkauf";
    ASSERT_TRUE(State.SaveOneTarget(target));
    HASH caller;
    caller["Name"] = "Neu";
    caller["Number"] = "030 1234";
    ASSERT_TRUE(State.AddCaller(caller));
    STRINGARRAY ids;
    ids.AddItem(STRING("1002"));
    ids.AddItem(STRING("4711"));
    EXPECT_EQ(State.DeleteItems(ids), 1);

    STANDINSTATE again;
    STRING reason;
    ASSERT_TRUE(again.Open(DemoFolder().c_str(), Work.File("state").c_str(), 0, kNow, reason)) << S(reason);
    HASH reread;
    ASSERT_TRUE(again.FindTarget("5551002", reread));
    EXPECT_EQ(S(reread["Name"]), "Verkauf");
    EXPECT_EQ(again.Callers().NumItems(), 41);
    HASH gone;
    EXPECT_FALSE(again.GetItem(1002, gone));

    STANDINSTATE fresh;
    ASSERT_TRUE(fresh.Open(DemoFolder().c_str(), Work.File("other").c_str(), 0, kNow, reason)) << S(reason);
    ASSERT_TRUE(fresh.FindTarget("5551002", reread));
    EXPECT_EQ(S(reread["Name"]), "Vertrieb"); // the data set itself was not written
}

TEST_F(STANDINSTATEDEMO, FindsCallersUsersAndForwarding)
{
    HASH caller;
    for (const char *n : {"089 100 1000", "+49891001000", "0049 89 100-1000"}) {
        ASSERT_TRUE(State.FindCaller(n, caller)) << n;
        EXPECT_EQ(S(caller["Name"]), "Anton Adler") << n;
    }
    EXPECT_FALSE(State.FindCaller("0800 999", caller));
    EXPECT_FALSE(State.FindCaller("", caller));

    HASH user;
    ASSERT_TRUE(State.FindUser("anna@pc7", user));
    EXPECT_EQ(S(user["Name"]), "anna");
    ASSERT_TRUE(State.FindUser("BERND", user));
    EXPECT_EQ(S(user["Name"]), "bernd");
    ASSERT_TRUE(State.FindUser("zoe@pc9", user));
    EXPECT_EQ(S(user["Name"]), "*");
    EXPECT_TRUE(State.FirstLogon("zoe@pc9"));
    EXPECT_FALSE(State.FirstLogon("zoe@pc9"));

    HASH target;
    ASSERT_TRUE(State.SetForwarding("5551001", "BUSY", "ACTIVATE", "0171 1", target));
    EXPECT_EQ(S(target["DoBusyForwarding"]), "1");
    EXPECT_EQ(S(target["ForwardBusyTo"]), "0171 1");
    EXPECT_EQ(S(HASH(target["ForwardLastRemoteState"])["BUSY"]), "0171 1");
    EXPECT_FALSE(State.SetForwarding("5551001", "SOMETIMES", "ACTIVATE", "1", target));
    EXPECT_FALSE(State.SetForwarding("999", "BUSY", "ACTIVATE", "1", target));
}

TEST(STANDINSTATE, GeneratedCallsAndAMissingDataSet)
{
    TEMPFOLDER work;
    STANDINSTATE state;
    STRING reason;
    ASSERT_TRUE(state.Open(DemoFolder().c_str(), work.File("s").c_str(), 25, kNow, reason)) << S(reason);
    EXPECT_EQ(state.Items(0, 0, false).NumItems(), 33);
    STANDINSTATE none;
    EXPECT_FALSE(none.Open(work.File("nothing").c_str(), work.File("t").c_str(), 0, kNow, reason));
    EXPECT_NE(S(reason).find("no data set"), std::string::npos);
}

TEST(STANDINSCRIPT, AnswersQueuePerCommandAndPushesWait)
{
    STANDINSCRIPT script;
    STRING reason;
    const char *text = "[#0]\nAnswer=Ok=SERVER_IS_STARTING\\n\nCommand=LOGIN\nCount=3\n\n"
                       "[#1]\nAnswer=<FAIL>\nCommand=FINDCALLER\nDelay=20\n\n"
                       "[#2]\nAt=500\nPush=SETSTATUSBAR\nParams=Info=hello\\n\n\n"
                       "[#3]\nAfter=LOGIN\nPush=PERMCHANGED\nTo=jo@pc\n\n";
    ASSERT_EQ(script.Add(STRING(text), reason), 6) << S(reason);
    STANDINSCRIPT::ANSWER a;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(script.TakeAnswer("login", a));
        EXPECT_EQ(S(a.Text), "Ok=SERVER_IS_STARTING\n");
    }
    EXPECT_FALSE(script.TakeAnswer("LOGIN", a));
    ASSERT_TRUE(script.TakeAnswer("FINDCALLER", a));
    EXPECT_EQ(a.DelayMs, 20);

    EXPECT_EQ(script.NextDue(), 500);
    EXPECT_TRUE(script.TakeDue(499).empty());
    auto due = script.TakeDue(500);
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(S(due[0].To), "*");
    EXPECT_EQ(S(due[0].Params["Info"]), "hello");
    EXPECT_EQ(script.NextDue(), -1);
    auto after = script.TakeAfter("LOGIN");
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(S(after[0].Command), "PERMCHANGED");
    EXPECT_TRUE(script.TakeAfter("LOGIN").empty());

    EXPECT_EQ(script.Add(STRING("[#0]\nCommand=PING\nAnswer=<OK>\n\n[#1]\nOther=1\n\n"), reason), -1);
    EXPECT_FALSE(script.TakeAnswer("PING", a)); // nothing of a bad script is taken
}

TEST(STANDINCONFIG, CommandLineTable)
{
    struct CASE {
        std::vector<const char *> args;
        bool ok;
    } cases[] = {
        {{"s"}, true},
        {{"s", "/PORT:0", "/HOST:srv", "/DATA:d", "/STATE:st", "/SCRIPT:x", "/CALLLOG:c", "/CALLS:5", "/START", "/stop"}, true},
        {{"s", "/port:65535", "/JOBSTEP:0", "/PUSHTIMEOUT:100", "/LOGIT", "/NOASSERT"}, true},
        {{"s", "/PORT:70000"}, false},
        {{"s", "/PORT:abc"}, false},
        {{"s", "/CALLS:-1"}, false},
        {{"s", "/TIMEOUT:0"}, false},
        {{"s", "/WHAT"}, false},
    };
    for (const CASE &c : cases) {
        STANDINCONFIG config;
        STRING reason;
        EXPECT_EQ(config.Parse(static_cast<int>(c.args.size()), c.args.data(), reason), c.ok) << c.args.back();
    }
    STANDINCONFIG config;
    STRING reason;
    const char *args[] = {"s", "/PORT:0", "/HOST:srv", "/CALLS:5", "/START", "/stop", "/CALLLOG:c:\\x y.log"};
    ASSERT_TRUE(config.Parse(7, args, reason));
    EXPECT_EQ(S(config.Port), "0");
    EXPECT_EQ(S(config.Host), "srv");
    EXPECT_EQ(config.GeneratedCalls, 5);
    EXPECT_TRUE(config.BroadcastStart);
    EXPECT_TRUE(config.BroadcastStop);
    EXPECT_EQ(S(config.CallLogFile), "c:\\x y.log");
}
