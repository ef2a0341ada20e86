// The portable parts of the local list files: the call item defaults, and the server's targets
// merged into the local ones.
#include "common/callitem.h"
#include "common/targets.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/logcapture_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

// A list of prepared targets from their text form.
void PreparedTargets(TARGETS &list, const char *text)
{
    HASHLIST parsed;
    parsed.FromString(text);
    for (int i = 0; i < parsed.NumItems(); ++i) {
        TARGETS::Prepare(*parsed[i], 16534 + static_cast<uint32_t>(i));
        list.AddItem(*parsed[i]);
    }
}

} // namespace

TEST(LOCALFILES, CallItemSparseRecordGetsAll33KeysInOrder)
{
    const char *order[] = {
        "CallerNumber", "CallerNational", "CallerCanonical", "CallerDialable", "CallerBeautified",
        "CallerBeautifiedNat", "CallerBeautifiedLocal", "CallerBeautifiedNatLocal", "CallerLocation",
        "CallerNameSrv", "CallerIconSrv", "CallerSubtypeSrv", "CallerAdditionalInfoSrv", "TargetNumber",
        "TargetNameSrv", "TargetIconSrv", "CallerName", "CallerIcon", "CallerSubtype", "CallerAdditionalInfo",
        "TargetName", "TargetIcon", "LTime", "Status", "Comment", "Type", "Server", "MsgFile", "MsgSeen",
        "HowMany", "TransmissionInfo", "InProgress", "Archived",
    };
    ASSERT_EQ(CALLITEM::NUMDEFAULTS, 33);
    for (int i = 0; i < 33; ++i)
        EXPECT_STREQ(CALLITEM::DEFAULTS[i].Key, order[i]);

    LOGCAPTURE capture;
    // A key with an empty text keeps it; a key that is missing gets its default; a key outside
    // the table stays.
    HASH item("Type=MESSAGE\nCallerIcon=\nInProgress=1\nOwnerClient=anna@pc1\n");
    CALLITEM::Prepare(item);
    EXPECT_EQ(item.NumKeys(), 34);
    EXPECT_EQ(S(item["CallerIcon"]), "");
    EXPECT_EQ(S(item["TargetIcon"]), "0");
    EXPECT_EQ(S(item["CallerIconSrv"]), "0");
    EXPECT_EQ(S(item["Archived"]), "0");
    EXPECT_EQ(S(item["InProgress"]), "1");
    EXPECT_EQ(S(item["Type"]), "MESSAGE");
    EXPECT_EQ(S(item["LTime"]), "");
    EXPECT_EQ(S(item["OwnerClient"]), "anna@pc1");
    EXPECT_EQ(capture.Failures(), 0);
}

TEST(LOCALFILES, CallItemHandleKeptOrNewAndKeysClosed)
{
    HASH kept("#Handle=4711\nType=FAX\n");
    CALLITEM::Prepare(kept);
    EXPECT_EQ(kept.Handle, 4711u);

    std::set<uint32_t> handles;
    for (int i = 0; i < 3; ++i) {
        HASH fresh;
        CALLITEM::Prepare(fresh);
        EXPECT_NE(fresh.Handle, 0u);
        handles.insert(fresh.Handle);
    }
    EXPECT_EQ(handles.size(), 3u);

    // Prepared twice: opened for the defaults, closed again; a new key is then an assertion.
    {
        LOGCAPTURE quiet;
        CALLITEM::Prepare(kept);
        EXPECT_EQ(quiet.Failures(), 0);
    }
    LOGCAPTURE capture;
    kept["CallerCommentSrv"];
    EXPECT_EQ(capture.Conditions(), std::vector<std::string>{"!this->LockTable"});
}

TEST(LOCALFILES, ServerTargetsMergedKeepTheLocalKeys)
{
    TARGETS targets;
    PreparedTargets(targets, "[#0]\nNumber=5551001\nName=My office\nSound=ring.wav\nRunProg=1\nProgram=notepad.exe\n"
                             "ProgParm=/p\nCustomColor=1\nBackColor=255\nTextColor=65535\nCustomIcon=405\nProgClick=1\n"
                             "DoAnswerphone=0\n\n"
                             "[#1]\nNumber=0000\nName=Gone\n\n");
    const uint32_t officeHandle = targets[0]->Handle;
    HASHLIST received("[#0]\nNumber=5551001\nName=Zentrale\nSound=server.wav\nRunProg=0\nProgram=calc.exe\n"
                      "ProgParm=/s\nCustomColor=0\nBackColor=1\nTextColor=2\nCustomIcon=400\nProgClick=0\n"
                      "DoAnswerphone=1\nServerOnlyKey=x\n\n"
                      "[#1]\nNumber=ABC\nName=New\nProgram=calc.exe\nFonPickupTime=20\n\n");
    LOGCAPTURE capture;
    // One number: nothing removed.
    EXPECT_EQ(targets.MergeFromServer(received, 0), 3);
    HASH *office = targets[0];
    for (const char *key : {"Name", "Sound", "RunProg", "Program", "ProgParm", "CustomColor", "BackColor",
                            "TextColor", "CustomIcon", "ProgClick"})
        EXPECT_NE(S(office->Get(key)), S(received[0]->Get(key))) << key;
    EXPECT_EQ(S(office->Get("DoAnswerphone")), "1");
    EXPECT_FALSE(office->Exists("ServerOnlyKey"));
    EXPECT_EQ(office->Handle, officeHandle);
    // A new target: prepared, its own handle, every received key it has.
    HASH *fresh = targets[2];
    EXPECT_EQ(S(fresh->Get("Number")), "ABC");
    EXPECT_EQ(S(fresh->Get("Name")), "New");
    EXPECT_EQ(S(fresh->Get("Program")), "calc.exe");
    EXPECT_EQ(S(fresh->Get("FonPickupTime")), "20");
    EXPECT_EQ(S(fresh->Get("BackColor")), "8388608");
    EXPECT_EQ(fresh->Handle, 16536u);

    // The number in another case is the same target; a full rebuild removes the one not received.
    HASHLIST again("[#0]\nNumber=abc\nName=Renamed\nFonPickupTime=30\n\n[#1]\nNumber=5551001\n\n");
    EXPECT_EQ(targets.MergeFromServer(again, 1), 2);
    EXPECT_EQ(targets.FindValue("Number", "0000", 1), -1);
    ASSERT_NE(targets.FindValue("Number", "ABC", 1), -1);
    HASH *abc = targets[targets.FindValue("Number", "ABC", 1)];
    EXPECT_EQ(S(abc->Get("Name")), "New");
    EXPECT_EQ(S(abc->Get("FonPickupTime")), "30");
    EXPECT_EQ(capture.Failures(), 0);

    // An empty received list with a full rebuild empties the list.
    HASHLIST none;
    EXPECT_EQ(targets.MergeFromServer(none, 1), 0);
}
