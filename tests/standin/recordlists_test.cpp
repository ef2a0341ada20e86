// CALLERS, TARGETS and CLIENTS: the preparation of their records, and FindBestMatchNumber.
#include "common/callers.h"
#include "common/clients.h"
#include "common/findbestmatchnumber.h"
#include "common/targets.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/logcapture_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

} // namespace

TEST(RECORDLISTS, TargetDefaultsCopiesAndForcedKeys)
{
    struct CASE {
        const char *text;  // the record as the server sends it
        const char *key;
        const char *value; // after Prepare
    } cases[] = {
        {"Name=Office\n", "BackColor", "8388608"},
        {"BackColor=255\n", "BackColor", "255"},
        {"BackColor=\n", "BackColor", "8388608"},            // no text: the default too
        {"FonNextCallAsSound=1\n", "FonNextCallAsSound", "0"}, // forced whatever it held
        {"", "CustomIcon", "400"},
        {"", "FonPickupTime", "10"},
        {"", "FaxPickupTime", "5"},
        {"", "FonDoRecord", "2"},
        {"", "NotifyEmailMessages", "1"},
        {"", "FonDoNotPlayBeep", "0"},
        {"FonDoNotPlayBeep=1\n", "FonDoNotPlayBeep", "1"},
        {"", "Program", ""},
        {"", "ForwardLastRemoteState", ""},
        {"DoAnswerphone=1\n", "HasAnswerphone", "1"},         // copy of the value at that moment
        {"DoAnswerphone=1\nHasAnswerphone=0\n", "HasAnswerphone", "0"},
        {"", "HasAnswerphone", "0"},                          // the copied key's default came first
        {"DoFaxmachine=1\n", "HasFaxmachine", "1"},
        {"DoSmsNotify=1\n", "HasSmsNotify", "1"},
        {"DoEmailNotify=1\n", "HasEmailNotify", "1"},
        {"DoForwarding=1\n", "HasForwarding", "1"},
        {"Sound=ring.wav\n", "Sound", "ring.wav"},
    };
    LOGCAPTURE capture;
    for (const auto &c : cases) {
        HASH record(c.text);
        TARGETS::Prepare(record, 17000);
        STRING *value = nullptr;
        ASSERT_TRUE(record.Exists(c.key, &value)) << c.text << c.key;
        EXPECT_EQ(S(*value), c.value) << c.text << c.key;
    }
    EXPECT_EQ(capture.Failures(), 0);
}

TEST(RECORDLISTS, TargetSchemaAndHandle)
{
    EXPECT_EQ(TARGETS::NUMRULES + 1, 74); // with "FonDoNotPlayBeep"
    LOGCAPTURE capture;
    HASH fresh("Name=Office\nNumber=123\n");
    TARGETS::Prepare(fresh, 17000);
    EXPECT_EQ(fresh.Handle, 17000u);
    EXPECT_EQ(fresh.NumKeys(), 74);
    HASH kept("#Handle=5\nName=Home\n");
    TARGETS::Prepare(kept, 17001);
    EXPECT_EQ(kept.Handle, 5u);
    // The text form lists the keys in the record's order, whatever order they were prepared in.
    std::string text = S(fresh.ToString());
    EXPECT_EQ(text.rfind("#Handle=17000\nBackColor=8388608\nCustomColor=0\nCustomIcon=400\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nFonDoNotPlayBeep=0\nFonDoRecord=2\n"), std::string::npos) << text;
    EXPECT_EQ(capture.CountLines("TARGETS::Prepare new handle given for name=Office handle=17000"), 1);
    EXPECT_EQ(capture.CountLines("TARGETS::Prepare new handle given for name=Home"), 0);
}

TEST(RECORDLISTS, ClientDefaultsInOrder)
{
    LOGCAPTURE capture;
    HASH record("Name=anna\nPermFax=0\nOwnMSN=\n");
    CLIENTS::Prepare(record, 16534);
    const char *expected[][2] = {
        {"Name", "anna"}, {"HasPassword", "0"}, {"Password", ""}, {"Description", ""},
        {"OwnMSN", "*"}, {"PermFax", "0"}, {"PermSMS", "1"}, {"PermAddCaller", "1"},
        {"PermEditServerRecentcalls", "1"}, {"PermLocalTargets", "0"}, {"PermLocalCallers", "0"},
        {"PermLocalRecentcalls", "0"}, {"PermAdministrateServer", "0"},
    };
    ASSERT_EQ(CLIENTS::NUMDEFAULTS, 13);
    for (int i = 0; i < 13; ++i) {
        EXPECT_STREQ(CLIENTS::DEFAULTS[i].Key, expected[i][0]);
        EXPECT_EQ(S(record.Get(expected[i][0])), expected[i][1]) << expected[i][0];
    }
    EXPECT_EQ(record.NumKeys(), 13);
    EXPECT_EQ(record.Handle, 16534u);
    EXPECT_EQ(capture.CountLines("CLIENTS::Prepare new handle given for name=anna handle=16534"), 1);
}

TEST(RECORDLISTS, CallerKeysAllPresentNoHandle)
{
    HASH record("Name=Anton\nNumber=0301234\n");
    CALLERS::Prepare(record);
    ASSERT_EQ(CALLERS::NUMKEYS, 18);
    EXPECT_EQ(record.NumKeys(), 18);
    EXPECT_EQ(record.Handle, 0u);
    for (int i = 0; i < CALLERS::NUMKEYS; ++i)
        EXPECT_FALSE(record.Get(CALLERS::KEYS[i]).IsNull()) << CALLERS::KEYS[i];
    EXPECT_EQ(S(record["Number"]), "0301234");
}

TEST(RECORDLISTS, PreparedRecordRefusesForeignKeys)
{
    LOGCAPTURE capture;
    HASH target("Name=Office\n");
    TARGETS::Prepare(target, 1);
    target["NumberFax"]; // a caller key, not a target key
    HASH client;
    CLIENTS::Prepare(client, 2);
    client["FonSound"];
    HASH caller;
    CALLERS::Prepare(caller);
    caller["HasPassword"];
    EXPECT_EQ(capture.Failures(), 3);
    EXPECT_EQ(capture.InfoOf("!this->LockTable"), "NumberFax");
    // Prepared again under its own schema, a record raises nothing.
    TARGETS::Prepare(target, 1);
    EXPECT_EQ(capture.Failures(), 3);
}

TEST(RECORDLISTS, FindBestMatchNumberTable)
{
    struct CASE {
        const char *name;
        const char *list;      // HASHLIST text
        const char *number;
        const char *canonical; // null: none
        int index;
        const char *position;  // the key position afterwards; "E" was its value on entry
    } cases[] = {
        {"longer full match wins", "[#0]\nNumber=0301\n\n[#1]\nNumber=0301234\n\n", "0301234", nullptr, 1, "E"},
        {"full match stops the search",
         "[#0]\nNumber=0301234\n\n[#1]\nNumber=0049301234\n\n", "0301234", "+49301234", 0, "E"},
        {"prefix only", "[#0]\nNumberMobile=0301\n\n", "0301234", nullptr, 0, "2"},
        {"punctuation form", "[#0]\nNumberOffice=030 / 12-3 (4)\n\n", "0301234", nullptr, 0, "3"},
        {"stored 00 through the canonical number", "[#0]\nNumberData=0049301234\n\n", "0301234",
         "+49301234", 0, "4"},
        {"stored + through the canonical number", "[#0]\nNumberFax=+49 30 1234\n\n", "0301234",
         "+49301234", 0, "1"},
        {"international form without a canonical number", "[#0]\nNumber=0049301234\n\n", "0301234",
         nullptr, -1, "E"},
        {"tie: first record", "[#0]\nNumber=0301234\n\n[#1]\nNumber=0301234\n\n", "0301234", nullptr, 0, "E"},
        {"tie: first key", "[#0]\nNumberData=0301\nNumberFax=0301\n\n", "0301234", nullptr, 0, "1"},
        {"tie: first form", "[#0]\nNumberFax=0301\nNumberMobile=03-01\n\n", "0301234", nullptr, 0, "1"},
        {"shorter canonical match in a later record still takes it",
         "[#0]\nNumber=03012\n\n[#1]\nNumberFax=0049\n\n", "0301234", "+49301234", 1, "1"},
        {"a fax match beaten by a longer Number match leaves no stale position",
         "[#0]\nNumberFax=0301\n\n[#1]\nNumber=030123\n\n", "0301234", nullptr, 1, "E"},
        {"case-sensitive", "[#0]\nNumber=A12\n\n", "a123", nullptr, -1, "E"},
        {"empty values never match", "[#0]\nNumber=\nNumberFax=()\n\n", "0301234", nullptr, -1, "E"},
        {"no number", "[#0]\nNumber=0301\n\n", "", nullptr, -1, "E"},
        {"unknown", "[#0]\nNumber=0401\n\n", "0301234", "+49301234", -1, "E"},
    };
    for (const auto &c : cases) {
        HASHLIST list(c.list);
        STRING position("E");
        EXPECT_EQ(FindBestMatchNumber(list, c.number, c.canonical, &position), c.index) << c.name;
        EXPECT_EQ(S(position), c.position) << c.name;
        EXPECT_EQ(FindBestMatchNumber(list, c.number, c.canonical, nullptr), c.index) << c.name;
    }
}
