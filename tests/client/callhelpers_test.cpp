// The portable call handling helpers: the secondary caller file in both forms and its lookup with
// a stand-in program runner, the program's command line, the sound list, the MAPI address-book
// list and the call-log line and file.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "client/callhelpers.h"
#include "kestar/base/osystime.h"
#include "lang/resource_ids.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

void WriteFile(const std::string &name, const std::string &bytes)
{
    std::ofstream out(name, std::ios::binary);
    out << bytes;
}

std::string Get(HASH &record, const char *name)
{
    STRING *value = nullptr;
    return record.Exists(name, &value) ? S(*value) : std::string("<absent>");
}

// The lookup program as the tests play it: it records each command line and writes the file
// the next lookup reads (or hangs, and writes nothing).
struct FAKEPROGRAM {
    static std::vector<std::string> Lines;
    static std::string File;
    static std::string Content;
    static int Result;
    static int TimeoutSeen;
    static int Run(const char *commandLine, const char *, int timeoutMs)
    {
        Lines.push_back(commandLine);
        TimeoutSeen = timeoutMs;
        if (Result == CALLHELPERS::RUN_ENDED)
            WriteFile(File, Content);
        return Result;
    }
};
std::vector<std::string> FAKEPROGRAM::Lines;
std::string FAKEPROGRAM::File;
std::string FAKEPROGRAM::Content;
int FAKEPROGRAM::Result = CALLHELPERS::RUN_ENDED;
int FAKEPROGRAM::TimeoutSeen = 0;

class CALLHELPERSLOOKUP : public ::testing::Test {
protected:
    void SetUp() override
    {
        File = Work.File("secondary.csv");
        FAKEPROGRAM::Lines.clear();
        FAKEPROGRAM::File = File;
        FAKEPROGRAM::Result = CALLHELPERS::RUN_ENDED;
    }
    int Find(const char *number, HASH &caller, const char *program = "lookup.exe $number")
    {
        return CALLHELPERS::FindSecondaryCaller(number, number, caller, List, Lock, File.c_str(), 1, program,
                                                FAKEPROGRAM::Run, "Parlomatix", 250);
    }
    TEMPFOLDER Work;
    std::string File;
    HASHLIST List;
    MUTEXSEM Lock;
};

const FIXEDTEXTTABLE &Texts()
{
    static FIXEDTEXTTABLE table = [] {
        FIXEDTEXTTABLE t;
        t.Set(IDS_CALLSTATES, "Ringing|Hung up|other|unknown|rejected|ignored");
        return t;
    }();
    return table;
}

} // namespace

TEST(CALLHELPERS, CsvLinesGiveCallersInLineOrder)
{
    TEMPFOLDER work;
    const std::string file = work.File("callers.csv");
    WriteFile(file, "0301234;\"Anna Becker\"\n"
                    "\"+49 (30) 987-65/4\";Dorn;1;ring.wav;1;extra;fields\n"
                    "\n"
                    "040 55;\"Quote \"\"x\"\"\"\n");
    HASHLIST list;
    LOGCAPTURE log;
    CALLHELPERS::LoadSecondaryCallers(list, file.c_str(), 1);
    ASSERT_EQ(list.NumItems(), 4);
    EXPECT_EQ(Get(*list[0], "Number"), "0301234");
    EXPECT_EQ(Get(*list[0], "Name"), "Anna Becker");
    EXPECT_EQ(Get(*list[0], "Blink"), "");
    EXPECT_EQ(Get(*list[0], "Sound"), "");
    EXPECT_EQ(Get(*list[0], "NoPopup"), "");
    EXPECT_EQ(Get(*list[1], "Number"), "+493098765" "4");
    EXPECT_EQ(Get(*list[1], "Name"), "Dorn");
    EXPECT_EQ(Get(*list[1], "Blink"), "1");
    EXPECT_EQ(Get(*list[1], "Sound"), "ring.wav");
    EXPECT_EQ(Get(*list[1], "NoPopup"), "1");
    EXPECT_EQ(Get(*list[2], "Number"), "");
    EXPECT_EQ(Get(*list[3], "Number"), "04055");
    // Only the quotes at the ends of a field go.
    EXPECT_EQ(Get(*list[3], "Name"), "Quote \"\"x\"\"");
    // Every record is a prepared caller: the whole schema, closed to other keys.
    EXPECT_EQ(list[0]->NumKeys(), CALLERS::NUMKEYS);
    EXPECT_EQ(list[0]->AllowNewKeys(0), 1);
    EXPECT_EQ(log.CountLines("APP::LoadSecondaryCallers before insert of 4 items"), 1);
    EXPECT_EQ(log.CountLines("APP::LoadSecondaryCallers after insert of 4 items"), 1);
    EXPECT_EQ(log.CountLines("APP::LoadSecondaryCallers before prepare"), 1);
    EXPECT_EQ(log.Failures(), 0);
}

TEST(CALLHELPERS, ListFormAppendsAndPrepares)
{
    TEMPFOLDER work;
    const std::string file = work.File("callers.ini");
    HASHLIST stored;
    HASH a;
    a["Number"] = "0891";
    a["Name"] = "Eva";
    a["Own"] = "kept";
    stored.AddItem(a);
    ASSERT_TRUE(stored.Save(file.c_str()));
    HASHLIST list;
    HASH old;
    old["Number"] = "1";
    list.AddItem(old);
    CALLHELPERS::LoadSecondaryCallers(list, file.c_str(), 0);
    ASSERT_EQ(list.NumItems(), 2);
    EXPECT_EQ(Get(*list[1], "Name"), "Eva");
    EXPECT_EQ(Get(*list[1], "Own"), "kept");
    EXPECT_EQ(Get(*list[0], "Vip"), "");
    EXPECT_EQ(Get(*list[1], "Vip"), "");
}

TEST(CALLHELPERS, MissingFileLeavesTheListEmptyAndNoNameAsserts)
{
    TEMPFOLDER work;
    HASHLIST list;
    LOGCAPTURE log;
    CALLHELPERS::LoadSecondaryCallers(list, work.File("none.csv").c_str(), 1);
    CALLHELPERS::LoadSecondaryCallers(list, work.File("none.ini").c_str(), 0);
    EXPECT_EQ(list.NumItems(), 0);
    CALLHELPERS::LoadSecondaryCallers(list, "", 1);
    EXPECT_EQ(list.NumItems(), 0);
    EXPECT_EQ(log.Conditions(), std::vector<std::string>{"filename.Length()>0"});
}

TEST_F(CALLHELPERSLOOKUP, KnownNumberDoesNotRunTheProgram)
{
    FAKEPROGRAM::Content = "0301234;Anna\n";
    HASH caller;
    ASSERT_EQ(Find("0301234", caller), 1);
    EXPECT_EQ(Get(caller, "Name"), "Anna");
    ASSERT_EQ(FAKEPROGRAM::Lines, std::vector<std::string>{"lookup.exe 0301234"});
    EXPECT_EQ(FAKEPROGRAM::TimeoutSeen, 250);

    // Already in the list: no program, no reading.
    WriteFile(File, "");
    HASH again;
    EXPECT_EQ(Find("0301234", again), 1);
    EXPECT_EQ(FAKEPROGRAM::Lines.size(), 1u);
    EXPECT_EQ(List.NumItems(), 1);
}

TEST_F(CALLHELPERSLOOKUP, NewNumberEmptiesTheListRunsAndReadsAgain)
{
    FAKEPROGRAM::Content = "0301234;Anna\n";
    HASH caller;
    ASSERT_EQ(Find("0301234", caller), 1);
    FAKEPROGRAM::Content = "0405555;Dorn\n";
    HASH other;
    ASSERT_EQ(Find("0405555", other, "lookup.exe /n:$nummer /m:$number"), 1);
    EXPECT_EQ(Get(other, "Name"), "Dorn");
    ASSERT_EQ(FAKEPROGRAM::Lines.size(), 2u);
    EXPECT_EQ(FAKEPROGRAM::Lines[1], "lookup.exe /n:0405555 /m:0405555");
    // Only the new file's caller is left.
    ASSERT_EQ(List.NumItems(), 1);
    EXPECT_EQ(Get(*List[0], "Name"), "Dorn");
}

TEST_F(CALLHELPERSLOOKUP, NumberIsInsertedAsText)
{
    FAKEPROGRAM::Content = "";
    HASH caller;
    EXPECT_EQ(Find("$nummer", caller), 0);
    ASSERT_EQ(FAKEPROGRAM::Lines, std::vector<std::string>{"lookup.exe $nummer"});
}

TEST_F(CALLHELPERSLOOKUP, HungProgramEndsTheWaitAndTheFileIsReadAsItIs)
{
    WriteFile(File, "0301234;Anna\n");
    FAKEPROGRAM::Result = CALLHELPERS::RUN_TIMEDOUT;
    HASH caller;
    LOGCAPTURE log;
    EXPECT_EQ(Find("0301234", caller), 1);
    EXPECT_EQ(Get(caller, "Name"), "Anna");
    EXPECT_EQ(log.CountLines("program still running after 250 ms"), 1);
    // The lock is free again: another lookup goes through.
    EXPECT_TRUE(Lock.Obtain(0));
    Lock.Release();
}

TEST_F(CALLHELPERSLOOKUP, WithoutProgramOnlyTheFileIsRead)
{
    WriteFile(File, "0301234;Anna\n");
    HASH caller;
    EXPECT_EQ(Find("0301234999", caller, ""), 1);
    EXPECT_TRUE(FAKEPROGRAM::Lines.empty());
    HASH none;
    EXPECT_EQ(CALLHELPERS::FindSecondaryCaller("0301234", "", none, List, Lock, "", 1, "x", FAKEPROGRAM::Run, "", 1),
              0);
    EXPECT_EQ(Get(none, "Name"), "<absent>");
}

TEST(CALLHELPERS, PrimaryLookupCopiesTheBestRecord)
{
    CALLERS callers;
    HASH a;
    a["Number"] = "030";
    a["Name"] = "Prefix";
    HASH b;
    b["Number"] = "999";
    b["NumberMobile"] = "0301234";
    b["Name"] = "Whole";
    callers.AddItem(a);
    callers.AddItem(b);
    HASH caller;
    STRING key("");
    EXPECT_EQ(CALLHELPERS::FindPrimaryCaller(callers, "0301234", "+49301234", caller, &key), 1);
    EXPECT_EQ(Get(caller, "Name"), "Whole");
    EXPECT_EQ(S(key), "2");
    HASH none;
    EXPECT_EQ(CALLHELPERS::FindPrimaryCaller(callers, "089", "", none, nullptr), 0);
    EXPECT_EQ(none.NumKeys(), 0);
}

TEST(CALLHELPERS, ProgramCommandLineMacros)
{
    HASH target;
    target["Name"] = "Office";
    target["Number"] = "555";
    target["Program"] = "C:\\tools\\notify.exe";
    HASH caller;
    caller["Name"] = "Anna";

    target["ProgParm"] = "$fromname $from";
    EXPECT_EQ(S(CALLHELPERS::BuildProgramCommandLine(target, &caller, "+49301", "0301", "SOUND")),
              "C:\\tools\\notify.exe Anna Anna");
    EXPECT_EQ(S(CALLHELPERS::BuildProgramCommandLine(target, nullptr, "+49301", "0301", "SOUND")),
              "C:\\tools\\notify.exe <unknown> 0301");

    const struct {
        const char *parm;
        const char *withCaller;
    } cases[] = {
        {"$toname|$tonumber|$fromname|$fromnumber|$fromcanonical|$from|$calltype",
         "Office|555|Anna|0301|+49301|Anna|SOUND"},
        {"$anname|$annummer|$vonname|$vonnummer|$vonkanonisch|$von|$anruftyp", "Office|555|Anna|0301|+49301|Anna|SOUND"},
        // Upper case is no macro.
        {"$FROM $Toname", "$FROM $Toname"},
        {"", ""},
    };
    for (const auto &c : cases) {
        target["ProgParm"] = c.parm;
        EXPECT_EQ(S(CALLHELPERS::BuildProgramCommandLine(target, &caller, "+49301", "0301", "SOUND")),
                  std::string("C:\\tools\\notify.exe ") + c.withCaller)
            << c.parm;
    }
    // A name from the network cannot bring in a macro.
    caller["Name"] = "$tonumber";
    target["ProgParm"] = "$fromname";
    EXPECT_EQ(S(CALLHELPERS::BuildProgramCommandLine(target, &caller, "", "", "")),
              "C:\\tools\\notify.exe $tonumber");
}

TEST(CALLHELPERS, SoundListStopsAtTheFirstEmptyField)
{
    const struct {
        const char *list;
        std::vector<std::string> files;
    } cases[] = {
        {"a.wav\tb.wav", {"a.wav", "b.wav"}},
        {"a.wav\t", {"a.wav"}},
        {"\tb.wav", {}},
        {"", {}},
        {"a.wav\t\tc.wav", {"a.wav"}},
    };
    for (const auto &c : cases) {
        STRINGARRAY files = CALLHELPERS::SoundFiles(c.list);
        std::vector<std::string> got;
        for (int i = 0; i < files.NumItems(); ++i)
            got.push_back(S(*files[i]));
        EXPECT_EQ(got, c.files) << c.list;
    }
}

TEST(CALLHELPERS, MapiSearchKeyAndAddressBookList)
{
    EXPECT_EQ(S(CALLHELPERS::MapiSearchKey("12345")), "12345");
    EXPECT_EQ(S(CALLHELPERS::MapiSearchKey("123456")), "3456");
    EXPECT_EQ(S(CALLHELPERS::MapiSearchKey(nullptr)), "");

    HASHLIST old;
    HASH a;
    a["Name"] = "Old A";
    a["EntryId"] = "ab01";
    a["Active"] = "1";
    HASH b;
    b["Name"] = "Old B";
    b["EntryId"] = "CD02";
    b["Active"] = "0";
    old.AddItem(a);
    old.AddItem(b);
    const std::vector<std::pair<STRING, STRING>> books = {
        {STRING("Contacts"), STRING("CD02")}, {STRING("New"), STRING("EF03")}, {STRING("A"), STRING("AB01")}};
    HASHLIST merged(CALLHELPERS::MergeAddressBooks(books, old.ToString(), 0));
    ASSERT_EQ(merged.NumItems(), 3);
    EXPECT_EQ(Get(*merged[0], "Name"), "Contacts");
    EXPECT_EQ(Get(*merged[0], "Active"), "0");
    EXPECT_EQ(Get(*merged[1], "Active"), "0");
    EXPECT_EQ(Get(*merged[2], "EntryId"), "AB01");
    EXPECT_EQ(Get(*merged[2], "Active"), "1");
    HASHLIST all(CALLHELPERS::MergeAddressBooks(books, "", 1));
    for (int i = 0; i < all.NumItems(); ++i)
        EXPECT_EQ(Get(*all[i], "Active"), "1");
}

TEST(CALLHELPERS, CallLogBytesPlainAndCsv)
{
    const int64_t when = 1773309600; // any fixed time
    const std::string time = S(OSYS::FormatLocalDateTime(when));
    HASH item;
    item["CallerName"] = "";
    item["CallerNameSrv"] = "Anna \"Nan\" B";
    item["CallerNumber"] = "0301";
    item["TargetName"] = "";
    item["TargetNameSrv"] = "";
    item["TargetNumber"] = "555";
    item["LTime"] = STRING(static_cast<long long>(when));
    item["Status"] = "RINGING";
    item.AllowNewKeys(0);

    TEMPFOLDER work;
    const std::string plain = work.File("calls.log");
    const std::string csv = work.File("calls.csv");
    MUTEXSEM lock;
    ASSERT_EQ(CALLHELPERS::AppendCallLog(lock, plain.c_str(), 0, ";", item, Texts()), 1);
    ASSERT_EQ(CALLHELPERS::AppendCallLog(lock, plain.c_str(), 0, ";", item, Texts()), 1);
    const std::string line = "Anna \"Nan\" B -> 555 (" + time + " Ringing)\r\n";
    EXPECT_EQ(ReadWholeFile(plain), line + line);

    ASSERT_EQ(CALLHELPERS::AppendCallLog(lock, csv.c_str(), 1, ";", item, Texts()), 1);
    EXPECT_EQ(ReadWholeFile(csv), "\"Anna \"\"Nan\"\" B\";\"555\";\"" + time + "\";\"Ringing\"\r\n");

    // A long line keeps its line end, so the next call starts a line of its own.
    const std::string longName(600, 'n');
    item["CallerNameSrv"] = longName.c_str();
    const std::string longLog = work.File("long.log");
    ASSERT_EQ(CALLHELPERS::AppendCallLog(lock, longLog.c_str(), 0, ";", item, Texts()), 1);
    ASSERT_EQ(CALLHELPERS::AppendCallLog(lock, longLog.c_str(), 0, ";", item, Texts()), 1);
    const std::string longLine = longName + " -> 555 (" + time + " Ringing)\r\n";
    EXPECT_EQ(ReadWholeFile(longLog), longLine + longLine);

    EXPECT_EQ(CALLHELPERS::AppendCallLog(lock, "", 0, ";", item, Texts()), 0);
    EXPECT_EQ(CALLHELPERS::AppendCallLog(lock, work.File("missing/folder.log").c_str(), 0, ";", item, Texts()), 0);
    // The lock is given back on every way out.
    EXPECT_TRUE(lock.Obtain(0));
    lock.Release();
}
