// MAILRECORD: the records written and the records a reader accepts.
#include "common/mailrecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

std::vector<MAILRECORD::ENTRY> FeedAll(MAILRECORD &reader, const std::string &bytes)
{
    std::vector<MAILRECORD::ENTRY> out;
    reader.Feed(bytes.data(), static_cast<int>(bytes.size()), out);
    return out;
}

} // namespace

TEST(MAILRECORD, NumbersRunFrom0000PastFourDigits)
{
    MAILRECORD::SetNumberForTests(0);
    MAILRECORD writer("pc.one");
    EXPECT_EQ(S(writer.Write("STARTSERVER", nullptr)), "[0000.pc_one.*]STARTSERVER\n");
    EXPECT_EQ(S(writer.Write("STOPSERVER", "")), "[0001.pc_one.*]STOPSERVER\n");
    MAILRECORD::SetNumberForTests(0);
    STRING last;
    for (int i = 0; i < 65537; ++i)
        last = writer.Write("X", "jo");
    EXPECT_EQ(S(last), "[10000.pc_one.jo]X\n"); // the 65537th
}

TEST(MAILRECORD, HeaderIsCutTo126Characters)
{
    MAILRECORD::SetNumberForTests(0);
    MAILRECORD writer("pc");
    const std::string to(200, 'a');
    std::string record = S(writer.Write("X", to.c_str()));
    ASSERT_EQ(record.front(), '[');
    EXPECT_EQ(record.find(']'), 127u); // "[" + 126 header characters
    EXPECT_EQ(record.substr(128), "X\n");
}

TEST(MAILRECORD, TwoLinesTravelAsOneRecord)
{
    MAILRECORD writer("server");
    STRING record = writer.Write("SHOW one\ntwo", "*");
    std::string text = S(record);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
    EXPECT_NE(text.find("one\x01two"), std::string::npos);
    MAILRECORD reader("client");
    auto got = FeedAll(reader, text);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(S(got[0].Payload), "SHOW one\ntwo");
    EXPECT_EQ(S(got[0].Sender), "server");
}

TEST(MAILRECORD, ReaderTable)
{
    struct CASE {
        const char *partner; // null: none set
        const char *bytes;
        int accepted;
        const char *payload; // of the last accepted record
        const char *sender;
        int number;
    } cases[] = {
        {nullptr, "[0001.srv.*]STARTSERVER\n", 1, "STARTSERVER", "srv", 1},
        {nullptr, "[00ff.srv.client]STARTSERVER\n", 1, "STARTSERVER", "srv", 255},      // to us by name
        {nullptr, "[0001.srv.CLIENT]STARTSERVER\n", 1, "STARTSERVER", "srv", 1},        // names ignore case
        {nullptr, "[0001.srv.other]STARTSERVER\n", 0, nullptr, nullptr, 0},             // not the addressee
        {nullptr, "[0001.srv.*]STARTSERVER\n[0001.srv.*]STARTSERVER\n", 1, "STARTSERVER", "srv", 1}, // double
        {nullptr, "[0001.srv.*]A\n[0002.srv.*]B\n", 2, "B", "srv", 2},
        {nullptr, "[0001..]X\n", 1, "X", "ANONYMOUS", 1},
        {"srv.example:6666", "[0003.srv_example.*]X\n", 1, "X", "srv_example", 3},      // our partner
        {"srv.example:6666", "[0003.intruder.*]X\n", 0, nullptr, nullptr, 0},           // not our partner
        {"*", "[0003.anyone.*]X\n", 1, "X", "anyone", 3},
        {nullptr, "[0004.srv.*]\n", 0, nullptr, nullptr, 0},                            // no payload
        {nullptr, "[.srv.*]X\n", 0, nullptr, nullptr, 0},                               // no number
        {nullptr, "0005.srv.*]X\n", 1, "X", "srv", 5},                                   // "[" missing: reported
        {nullptr, "[0006.srv.*]X", 0, nullptr, nullptr, 0},                             // no LF yet
    };
    for (const CASE &c : cases) {
        MAILRECORD reader("client");
        if (c.partner)
            reader.SetPartner(c.partner);
        auto got = FeedAll(reader, c.bytes);
        ASSERT_EQ(static_cast<int>(got.size()), c.accepted) << c.bytes;
        if (c.accepted) {
            EXPECT_EQ(S(got.back().Payload), c.payload) << c.bytes;
            EXPECT_EQ(S(got.back().Sender), c.sender) << c.bytes;
            EXPECT_EQ(got.back().Number, c.number) << c.bytes;
        }
    }
}

TEST(MAILRECORD, RecordsSplitAcrossReadsAreJoined)
{
    MAILRECORD reader("client");
    EXPECT_TRUE(FeedAll(reader, "[0001.srv.*]STA").empty());
    auto got = FeedAll(reader, "RTSERVER\n[0002.s");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(S(got[0].Payload), "STARTSERVER");
    got = FeedAll(reader, "rv.*]STOPSERVER\n");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(S(got[0].Payload), "STOPSERVER");
}

TEST(MAILRECORD, EndlessRecordIsDroppedAndReadingGoesOn)
{
    MAILRECORD reader("client");
    // Just under the limit the bytes wait for their line feed...
    EXPECT_TRUE(FeedAll(reader, "[0001.srv.*]" + std::string(MAILRECORD::MAXPENDING - 12, 'x')).empty());
    auto got = FeedAll(reader, "\n");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].Payload.Length(), MAILRECORD::MAXPENDING - 12);
    // ...past it they are dropped, and the next whole record is read as usual.
    EXPECT_TRUE(FeedAll(reader, "[0002.srv.*]" + std::string(MAILRECORD::MAXPENDING, 'y')).empty());
    got = FeedAll(reader, "tail\n[0003.srv.*]STOPSERVER\n");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(S(got[0].Payload), "STOPSERVER");
}

TEST(MAILRECORD, OwnRecordHeardBackIsADouble)
{
    MAILRECORD both("pc");
    STRING record = both.Write("NEEDSERVER jo@pc 6667", "*");
    EXPECT_TRUE(FeedAll(both, S(record)).empty());
}

TEST(MAILRECORD, WorkFolderMentionsBecomeRelative)
{
    MAILRECORD writer("pc");
    writer.SetWorkFolder("C:\\Work");
    std::string record = S(writer.Write("PLAY FILE C:\\Work\\a.wav", "*"));
    EXPECT_NE(record.find("PLAY FILE .\\a.wav"), std::string::npos) << record;
    writer.SetWorkFolder(".");
    record = S(writer.Write("PLAY FILE .\\b.wav", "*"));
    EXPECT_NE(record.find("PLAY FILE .\\b.wav"), std::string::npos) << record;
}

// Two writers at the same moment never share a header, so no reader drops the second as a double.
TEST(MAILRECORD, ConcurrentWritersGetDistinctNumbers)
{
    MAILRECORD::SetNumberForTests(0);
    MAILRECORD a("pc");
    MAILRECORD b("pc");
    std::vector<std::string> fromA, fromB;
    std::thread ta([&] {
        for (int i = 0; i < 2000; ++i)
            fromA.push_back(S(a.Write("X", "*")));
    });
    std::thread tb([&] {
        for (int i = 0; i < 2000; ++i)
            fromB.push_back(S(b.Write("X", "*")));
    });
    ta.join();
    tb.join();
    std::set<std::string> all(fromA.begin(), fromA.end());
    all.insert(fromB.begin(), fromB.end());
    EXPECT_EQ(all.size(), 4000u);
    MAILRECORD reader("client");
    std::string joined;
    for (size_t i = 0; i < fromA.size(); ++i)
        joined += fromA[i] + fromB[i];
    EXPECT_EQ(FeedAll(reader, joined).size(), 4000u);
}
