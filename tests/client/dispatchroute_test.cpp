// DISPATCHROUTE: where a command goes, the sender keys it carries, and the sender test of
// broadcasts.
#include "client/dispatchroute.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/logcapture_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

// The active clients as the server sends them; the records are closed to new keys, as the
// record lists close theirs.
HASHLIST ActiveClients()
{
    HASHLIST list(STRING("[#1]\nName=anna@pc1\nPeerId=10.0.0.5\nPort=6670\nPassiveMode=0\n"
                         "[#2]\nName=bernd@pc2\nPeerId=10.0.0.6\nPort=6671\nPassiveMode=1\n"
                         "[#3]\nName=carl@pc3\nPeerId=10.0.0.7\nPort=6672\n"
                         "[#4]\nName=dora@pc4\nPort=6673\nPassiveMode=0\n"));
    for (int i = 0; i < list.NumItems(); ++i)
        list[i]->AllowNewKeys(0);
    return list;
}

} // namespace

TEST(DISPATCHROUTE, PeersTable)
{
    HASHLIST clients = ActiveClients();
    struct CASE {
        const char *peer;
        const char *server;
        DISPATCHROUTE::KIND kind;
        const char *address;
    } cases[] = {
        {"{SERVER}", "pbx:6666", DISPATCHROUTE::SEND, "pbx:6666"},
        {"{server}", "pbx", DISPATCHROUTE::SEND, "pbx"},            // any case
        {"{SERVER}", "", DISPATCHROUTE::NOPEER, ""},                // no server: nothing is sent
        {"{LOCAL}", "pbx", DISPATCHROUTE::LOCAL, ""},
        {"{clients}", "pbx", DISPATCHROUTE::CLIENTS, ""},
        {"ANNA@PC1", "", DISPATCHROUTE::SEND, "10.0.0.5:6670"},    // names ignore case
        {"bernd@pc2", "pbx", DISPATCHROUTE::SKIP_PASSIVE, ""},
        {"carl@pc3", "pbx", DISPATCHROUTE::SEND, "10.0.0.7:6672"},  // no PassiveMode: active
        {"dora@pc4", "pbx", DISPATCHROUTE::SKIP_NOPEERID, ""},      // reported, not sent to ":6673"
        {"erik@pc5", "pbx", DISPATCHROUTE::SKIP_ABSENT, ""},
        {"10.1.1.1:7000", "pbx", DISPATCHROUTE::SEND, "10.1.1.1:7000"},
        {"", "pbx", DISPATCHROUTE::NOPEER, ""},
    };
    LOGCAPTURE capture;
    for (const auto &c : cases) {
        STRING address("stale");
        EXPECT_EQ(DISPATCHROUTE::Route(STRING(c.peer), STRING(c.server), clients, address), c.kind) << c.peer;
        EXPECT_EQ(S(address), c.address) << c.peer;
    }
    // Only the record without "PeerId" is reported; the lookups added no key to any record (a
    // closed record would have asserted too).
    ASSERT_EQ(capture.Failures(), 1);
    EXPECT_EQ(capture.Conditions()[0], "this->ActiveClients[idx][\"PeerId\"].NotEmpty()");
    EXPECT_EQ(capture.InfoOf(capture.Conditions()[0]), "dora@pc4");
    EXPECT_EQ(clients[2]->FindKey("PassiveMode"), -1);
    EXPECT_EQ(clients[3]->FindKey("PeerId"), -1);
}

TEST(DISPATCHROUTE, SenderKeysOnACopy)
{
    HASH params;
    params["Number"] = "*";
    params["@Port"] = "1";
    HASH out = DISPATCHROUTE::WithSenderKeys(params, "jo@pc", "6668", "4.23", true);
    EXPECT_EQ(out.NumKeys(), 6);
    EXPECT_EQ(S(out["Number"]), "*");
    EXPECT_EQ(S(out["@Sender"]), "jo@pc");
    EXPECT_EQ(S(out["@Port"]), "6668"); // replaced
    EXPECT_EQ(S(out["@Version"]), "4.23");
    EXPECT_EQ(S(out["@SenderRole"]), "{CLIENT}");
    EXPECT_EQ(S(out["@ExecMode"]), "<SYNC>");
    EXPECT_EQ(S(DISPATCHROUTE::WithSenderKeys(params, "jo@pc", "6668", "4.23", false)["@ExecMode"]), "<ASYNC>");
    EXPECT_EQ(params.NumKeys(), 2); // the caller's record is left alone
    EXPECT_EQ(S(params["@Port"]), "1");
}

TEST(DISPATCHROUTE, BroadcastSenderIsTheConfiguredServer)
{
    struct CASE {
        const char *sender;
        const char *server;
        bool expect;
    } cases[] = {
        {"PBX1", "pbx1:6666", true},
        {"pbx1", "PBX1.office.example.com:6666", true}, // a full DNS name, "." read as "_"
        {"pbx1_office", "pbx1.office.example.com", true},
        {"pbx2", "pbx1:6666", false},
        {"pbx2", "", true},                             // no server configured: any sender
        {"", "pbx1", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DISPATCHROUTE::IsFromServer(STRING(c.sender), STRING(c.server)), c.expect)
            << c.sender << " / " << c.server;
}
