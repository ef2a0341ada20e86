// The log facility: line format, nesting and channel tags, level filtering, switches, the
// assertion report and the long-line cut.  Every test logs into a file of its own scratch folder
// and reads it back.
#include "kestar/base/logit.h"

#include "kestar/base/osysthread.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

// One log line taken apart: "[sss.mmm" + mark + tid + "] " + body.
struct LOGLINE {
    bool hasColumn = false;
    std::string seconds; // "012.345"
    char mark = 0;       // ':' or '#'
    std::string tid;
    std::string body;
};

LOGLINE ParseLine(const std::string &line)
{
    LOGLINE out;
    out.body = line;
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    auto hex = [&](char c) { return digit(c) || (c >= 'a' && c <= 'f'); };
    if (line.size() < 15 || line[0] != '[' || line[4] != '.')
        return out;
    for (int i : {1, 2, 3, 5, 6, 7})
        if (!digit(line[static_cast<size_t>(i)]))
            return out;
    if (line[8] != ':' && line[8] != '#')
        return out;
    size_t close = line.find("] ", 9);
    if (close == std::string::npos || close < 13 || close > 14)
        return out;
    for (size_t i = 9; i < close; ++i)
        if (!hex(line[i]))
            return out;
    out.hasColumn = true;
    out.seconds = line.substr(1, 7);
    out.mark = line[8];
    out.tid = line.substr(9, close - 9);
    out.body = line.substr(close + 2);
    return out;
}

std::string Body(const std::string &line)
{
    return ParseLine(line).body;
}

bool StartsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Opens the log into a scratch file as at program start; Lines() closes it and returns what was
// written after the two opening lines.
class LogitFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        LOGIT::Close();
        LOGIT::SetLogitLevel(0);
        LOGIT::ResetForTests();
        name = folder.File("log.txt");
        ASSERT_EQ(1, LOGIT::HandleSwitch(("/LOGIT:" + name).c_str()));
        ASSERT_TRUE(LOGIT::IsLogging());
    }
    void TearDown() override
    {
        LOGIT::Close();
        LOGIT::SetLogitLevel(0);
        LOGIT::ResetForTests();
    }
    std::string Text()
    {
        LOGIT::Close();
        return ReadWholeFile(name);
    }
    std::vector<std::string> Lines()
    {
        std::vector<std::string> all = SplitLines(Text());
        if (all.size() >= 2)
            all.erase(all.begin(), all.begin() + 2);
        return all;
    }
    std::vector<std::string> Bodies()
    {
        std::vector<std::string> out;
        for (const std::string &l : Lines())
            out.push_back(Body(l));
        return out;
    }

    TEMPFOLDER folder;
    std::string name;
};

TEST_F(LogitFile, FirstLineStartsTheClockAndNamesTheFirstThread)
{
    LOGIT::Printf("APP::Test value=%d\n", 7);
    std::vector<std::string> all = SplitLines(Text());
    ASSERT_GE(all.size(), 3u);
    LOGLINE first = ParseLine(all[0]), second = ParseLine(all[1]), third = ParseLine(all[2]);
    ASSERT_TRUE(first.hasColumn) << all[0];
    EXPECT_EQ("000.000", first.seconds);
    EXPECT_EQ(':', first.mark);
    EXPECT_TRUE(StartsWith(first.body, "Logging starts at ")) << all[0];
    EXPECT_EQ(std::string("Logging starts at 2000-01-01 00:00:00").size(), first.body.size()) << all[0];
    EXPECT_TRUE(StartsWith(second.body, "Running as ")) << all[1];
    EXPECT_NE(std::string::npos, second.body.find(" bytes, ")) << all[1];
    ASSERT_TRUE(third.hasColumn) << all[2];
    EXPECT_EQ(':', third.mark);
    EXPECT_EQ(first.tid, third.tid);
    EXPECT_EQ("APP::Test value=7", third.body);
}

TEST_F(LogitFile, NestingIndentsTheOwnersLines)
{
    LOGIT::Printf("[>>]A\n");
    LOGIT::Printf("B\n");
    LOGIT::Printf("[<<]C\n");
    EXPECT_EQ((std::vector<std::string>{"A", "| B", "C"}), Bodies());
}

TEST_F(LogitFile, NestingStopsAtThirtyCharactersAndUnmatchedTagsStayInTheText)
{
    for (int i = 0; i < 16; ++i)
        LOGIT::Printf("[>>]open %d\n", i);
    for (int i = 0; i < 16; ++i)
        LOGIT::Printf("[<<]close %d\n", i);
    std::vector<std::string> bodies = Bodies();
    ASSERT_EQ(32u, bodies.size());
    const std::string bars = "| | | | | | | | | | | | | | | ";
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(bars.substr(0, static_cast<size_t>(2 * i)) + "open " + std::to_string(i), bodies[static_cast<size_t>(i)]);
    // The sixteenth level would pass 30 characters: its tag is printed as it stands.
    EXPECT_EQ(bars + "[>>]open 15", bodies[15]);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(bars.substr(0, static_cast<size_t>(28 - 2 * i)) + "close " + std::to_string(i), bodies[static_cast<size_t>(16 + i)]);
    EXPECT_EQ("[<<]close 15", bodies[31]);
}

struct OTHERLINE {
    const char *text;
};

unsigned WriteFromOtherThread(void *p)
{
    OSYS::InitThreadCrashHandler();
    LOGIT::Printf(static_cast<OTHERLINE *>(p)->text); // tags are read from the text as written
    return 0;
}

TEST_F(LogitFile, OtherThreadsLinesAreMarkedAndCannotNestWhileALevelIsHeld)
{
    LOGIT::Printf("[>>]outer\n");
    OTHERLINE other = {"[>>]from elsewhere\n"};
    void *t = OSYS::CreateThread(WriteFromOtherThread, &other);
    ASSERT_NE(nullptr, t);
    ASSERT_TRUE(OSYS::WaitThread(t, -1));
    LOGIT::Printf("inner\n");
    LOGIT::Printf("[<<]done\n");
    OTHERLINE after = {"[>>]free again\n"};
    t = OSYS::CreateThread(WriteFromOtherThread, &after);
    ASSERT_TRUE(OSYS::WaitThread(t, -1));
    LOGIT::Printf("[<<]back\n");

    std::vector<std::string> lines = Lines();
    std::vector<std::string> expected = {"outer", "@ [>>]from elsewhere", "| inner", "done", "free again", "@ [<<]back"};
    std::vector<std::string> bodies;
    for (const std::string &l : lines) {
        // Thread creation notes of the log itself are not part of this picture.
        if (Body(l).find("OSYS::") == std::string::npos)
            bodies.push_back(Body(l));
    }
    EXPECT_EQ(expected, bodies);
    // The other thread's lines carry '#', the first thread's ':'.  "free again" opened a level
    // that the other thread owns, so the main thread's "[<<]back" cannot close it.
    for (const std::string &l : lines) {
        LOGLINE parsed = ParseLine(l);
        bool fromOther = parsed.body == "@ [>>]from elsewhere" || parsed.body == "free again";
        EXPECT_EQ(fromOther ? '#' : ':', parsed.mark) << l;
    }
}

TEST_F(LogitFile, ChannelChangesAreSetOffByEmptyLines)
{
    LOGIT::Printf("[!1]x\n");
    LOGIT::Printf("[!1]x2\n");
    LOGIT::Printf("[!2]y\n");
    LOGIT::Printf("z\n");
    LOGIT::Printf("w\n");
    EXPECT_EQ((std::vector<std::string>{"x", "x2", "", "y", "", "z", "w"}), Bodies());
}

TEST_F(LogitFile, TextWithoutLineFeedLeavesTheLineOpen)
{
    LOGIT::Printf("part one, ");
    LOGIT::Printf("[>>]part two\n");
    LOGIT::Printf("100%% sure\n");
    LOGIT::Printf("[>>]%s\n", "[<<]tags come from the text, not from its arguments");
    LOGIT::Printf("[<<]%s\n", "done");
    EXPECT_EQ((std::vector<std::string>{"part one, [>>]part two", "100% sure",
                                        "[<<]tags come from the text, not from its arguments", "done"}),
              Bodies());
}

TEST_F(LogitFile, LevelAndCategoryFiltering)
{
    struct CASE {
        int mask;
        int level;
        bool written;
    } cases[] = {
        {0, 0, true},        {0, 1, false},       {1, 1, true},        {1, 2, false},      {15, 14, true},
        {0, 0x20, false},    {0x20, 0x20, true},  {1, 0x21, false},    {0x20, 0x21, false}, {0x21, 0x21, true},
        {0x31, 0x21, true},  {0x2F, 1, true},     {0x10, 0x21, false}, {3, 0x12, false},   {0x13, 0x12, true},
    };
    for (const CASE &c : cases) {
        LOGIT::SetLogitLevel(c.mask);
        EXPECT_EQ(c.written ? 1 : 0, LOGIT::PrintfLevel(c.level, "mask %x level %x\n", c.mask, c.level))
            << "mask " << c.mask << " level " << c.level;
    }
    LOGIT::SetLogitLevel(0);
    std::vector<std::string> bodies = Bodies();
    size_t expected = 0;
    for (const CASE &c : cases)
        expected += c.written ? 1 : 0;
    EXPECT_EQ(expected, bodies.size());
}

TEST_F(LogitFile, LevelSwitchOrsTheMaskAndLogsIt)
{
    EXPECT_EQ(0, LOGIT::PrintfLevel(1, "hidden\n"));
    EXPECT_EQ(1, LOGIT::HandleSwitch("/LOG:1"));
    EXPECT_EQ(1, LOGIT::PrintfLevel(1, "shown\n"));
    EXPECT_EQ(0, LOGIT::PrintfLevel(0x21, "needs the category\n"));
    EXPECT_EQ(1, LOGIT::HandleSwitch("-d:32"));
    EXPECT_EQ(0x21, LOGIT::GetLogitLevel());
    EXPECT_EQ(1, LOGIT::PrintfLevel(0x21, "has the category\n"));
    EXPECT_EQ((std::vector<std::string>{"LogitLevel 00000001", "shown", "LogitLevel 00000021", "has the category"}), Bodies());
}

TEST_F(LogitFile, OverlongLineIsCutWithAMarkerInsteadOfAnAssertion)
{
    std::string cwd = CurrentFolderForTest();
    ASSERT_TRUE(ChangeFolderForTest(folder.Path()));
    std::string big(20000, 'x');
    EXPECT_EQ(1, LOGIT::Printf("long: %s\n", big.c_str()));
    std::string plain = "plain " + std::string(9000, 'y') + "\n";
    EXPECT_EQ(1, LOGIT::Printf(plain.c_str()));
    LOGIT::Printf("after\n");
    ChangeFolderForTest(cwd);
    std::string text = Text();
    std::vector<std::string> all = SplitLines(text);
    ASSERT_EQ(5u, all.size());
    for (int i = 2; i < 4; ++i) {
        const std::string &l = all[static_cast<size_t>(i)];
        EXPECT_EQ(8189u, l.size()); // 8191 bytes with its CR LF
        EXPECT_NE(std::string::npos, l.find("[...line cut]"));
    }
    EXPECT_EQ("after", Body(all[4]));
    EXPECT_EQ(std::string::npos, text.find("ASSERTION"));
    EXPECT_FALSE(FileExistsForTest(folder.File("assert.log")));
}

TEST_F(LogitFile, FailedAssertionWithoutBoxIsLoggedAndAppendedToAssertLog)
{
    std::string cwd = CurrentFolderForTest();
    ASSERT_TRUE(ChangeFolderForTest(folder.Path()));
    LOGIT::SetApplication("Parlomatix", "4.23", false);
    EXPECT_EQ(1, LOGIT::Assert(1, "never", "x.cpp", 1, nullptr, 0));
    EXPECT_EQ(1, LOGIT::Assert(0, "count > 0", "/src/kestar/dir\\sub:file.cpp", 123, "more", 0));
    EXPECT_EQ(1, ORVAK_ASSERT_QUIET(1 == 2, nullptr));
    ChangeFolderForTest(cwd);
    LOGIT::SetApplication(nullptr, nullptr, false);

    std::string log = Text();
    EXPECT_NE(std::string::npos, log.find("*** ASSERTION FAILED: \n    Condition: count > 0\n    Location : file.cpp line 123\n"
                                          "    Last Err.: "))
        << log;
    EXPECT_NE(std::string::npos, log.find("    Add. Info: more\n")) << log;
    EXPECT_NE(std::string::npos, log.find("    Condition: 1 == 2\n")) << log;
    EXPECT_NE(std::string::npos, log.find("    Add. Info: <null>\n")) << log;
    EXPECT_EQ(std::string::npos, log.find("never"));

    std::string entry = ReadWholeFile(folder.File("assert.log"));
    // A Windows text file there; compare with plain line feeds.
    std::string flat;
    for (char c : entry)
        if (c != '\r')
            flat += c;
    EXPECT_EQ(0u, flat.find("--- Orvak Parlomatix (4.23) --- ")) << flat;
    EXPECT_NE(std::string::npos, flat.find(" ---\n\n    Condition: count > 0\n    Location : file.cpp line 123\n")) << flat;
    EXPECT_NE(std::string::npos, flat.find("    Add. Info: more\n\n\n--- Orvak Parlomatix (4.23) --- ")) << flat;
}

TEST_F(LogitFile, GermanAssertionBlock)
{
    std::string cwd = CurrentFolderForTest();
    ASSERT_TRUE(ChangeFolderForTest(folder.Path()));
    LOGIT::SetApplication("Parlomatix", "4.23", true);
    LOGIT::Assert(0, "ok", "a/b.cpp", 7, nullptr, 1);
    LOGIT::SetApplication(nullptr, nullptr, false);
    ChangeFolderForTest(cwd);
    EXPECT_NE(std::string::npos, Text().find("    Bedingung: ok\n    Datei: b.cpp Zeile 7\n    Code : "));
}

// Writers keep logging while the log is closed and reopened: nothing crashes and no line is ever
// torn or mixed with another.
struct WRITER {
    std::atomic<bool> *stop;
    int id;
};

unsigned KeepWriting(void *p)
{
    OSYS::InitThreadCrashHandler();
    WRITER *w = static_cast<WRITER *>(p);
    for (int i = 0; !w->stop->load(); ++i)
        LOGIT::Printf("writer %d line %d %s\n", w->id, i, "0123456789abcdefghijklmnopqrstuvwxyz");
    return 0;
}

TEST_F(LogitFile, CloseAndReopenUnderWritingThreads)
{
    std::atomic<bool> stop{false};
    WRITER writers[4];
    void *threads[4];
    for (int i = 0; i < 4; ++i) {
        writers[i] = {&stop, i};
        threads[i] = OSYS::CreateThread(KeepWriting, &writers[i]);
        ASSERT_NE(nullptr, threads[i]);
    }
    for (int round = 0; round < 40; ++round) {
        EXPECT_EQ(1, LOGIT::HandleSwitch("/LOGITCLOSE"));
        OSYS::Sleep(1);
        EXPECT_EQ(1, LOGIT::HandleSwitch(("/LOGITAPPEND:" + name).c_str()));
        OSYS::Sleep(1);
    }
    stop = true;
    for (void *t : threads)
        EXPECT_TRUE(OSYS::WaitThread(t, -1));
    std::vector<std::string> all = SplitLines(Text());
    size_t writerLines = 0;
    for (const std::string &l : all) {
        if (l.empty())
            continue; // the empty line that starts each appending session
        LOGLINE parsed = ParseLine(l);
        ASSERT_TRUE(parsed.hasColumn) << l;
        const std::string &b = parsed.body;
        if (StartsWith(b, "writer ")) {
            ++writerLines;
            EXPECT_TRUE(b.size() > 36 && b.compare(b.size() - 36, 36, "0123456789abcdefghijklmnopqrstuvwxyz") == 0) << l;
        } else {
            EXPECT_TRUE(StartsWith(b, "Logging starts at ") || StartsWith(b, "Running as ") || StartsWith(b, "OSYS::"))
                << l;
        }
    }
    EXPECT_GT(writerLines, 0u);
}

// The open modes: a plain open replaces the file, an appending one keeps it and starts with an
// empty line, a temporary one is deleted when the log closes.
TEST(LOGIT, OpenModes)
{
    TEMPFOLDER folder;
    LOGIT::Close();
    std::string name = folder.File("modes.log");
    {
        FILE *f = std::fopen(name.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        std::fputs("old content\r\n", f);
        std::fclose(f);
    }
    ASSERT_EQ(1, LOGIT::HandleSwitch(("/LOGITAPPEND:" + name).c_str()));
    LOGIT::Printf("appended\n");
    LOGIT::Close();
    std::string text = ReadWholeFile(name);
    EXPECT_EQ(0u, text.find("old content\r\n\r\n[")) << text;
    EXPECT_NE(std::string::npos, text.find("] appended\r\n"));

    ASSERT_EQ(1, LOGIT::HandleSwitch(("/logit:" + name).c_str()));
    char open[1024];
    LOGIT::GetFileName(open, sizeof(open));
    EXPECT_EQ(name, std::string(open));
    LOGIT::Close();
    EXPECT_EQ(std::string::npos, ReadWholeFile(name).find("old content"));

    std::string temp = folder.File("temp.log");
    ASSERT_EQ(1, LOGIT::HandleSwitch(("/LOGITTEMP:" + temp).c_str()));
    LOGIT::Printf("soon gone\n");
    EXPECT_TRUE(FileExistsForTest(temp));
    EXPECT_EQ(1, LOGIT::HandleSwitch("/LOGITCLOSE"));
    EXPECT_FALSE(FileExistsForTest(temp));
    EXPECT_FALSE(LOGIT::IsLogging());

    std::string hard = folder.File("hard.log");
    int dumpLevel = LOGIT::GetCrashDumpLevel();
    LOGIT::SetCrashDumpLevel(0);
    ASSERT_EQ(1, LOGIT::HandleSwitch(("/LOGITHARD:" + hard).c_str()));
    EXPECT_EQ(2, LOGIT::GetCrashDumpLevel());
    LOGIT::Close();
    EXPECT_NE(std::string::npos, ReadWholeFile(hard).find("Logging starts at "));
    LOGIT::SetCrashDumpLevel(dumpLevel);

    // A file that cannot be created leaves logging off, silently.
    EXPECT_EQ(1, LOGIT::HandleSwitch(("/LOGIT:" + folder.File("missing") + "/sub/x.log").c_str()));
    EXPECT_FALSE(LOGIT::IsLogging());
}

TEST(LOGIT, SwitchRecognition)
{
    struct CASE {
        const char *text;
        int isSwitch;
    } cases[] = {
        {"/LOGITX", 0}, {"LOGIT", 0},       {"/LOG", 0},       {"/", 0},          {"", 0},
        {"/LOGDEBUG:1", 0}, {"/NOASSERT:1", 0}, {"/LANG:ENGL", 0}, {"/WORKDIR:c:\\x", 0}, {"-MIN", 0},
    };
    for (const CASE &c : cases)
        EXPECT_EQ(c.isSwitch, LOGIT::HandleSwitch(c.text)) << c.text;
    EXPECT_EQ(0, LOGIT::HandleSwitch(nullptr));
}

TEST(LOGIT, NoAssertTogglesAndCrashDumpLevelIsKept)
{
    bool before = LOGIT::IsNoAssert();
    EXPECT_EQ(1, LOGIT::HandleSwitch("/NOASSERT"));
    EXPECT_EQ(!before, LOGIT::IsNoAssert());
    EXPECT_EQ(1, LOGIT::HandleSwitch("-noassert"));
    EXPECT_EQ(before, LOGIT::IsNoAssert());

    int dumpLevel = LOGIT::GetCrashDumpLevel();
    LOGIT::SetCrashDumpLevel(0);
    // The switch raises the level and never lowers it.
    struct CASE {
        const char *text;
        int level;
    } cases[] = {{"-crashdump:1", 1}, {"/CRASHDUMP:", 2}, {"/CRASHDUMP", 2}, {"/CRASHDUMP:3", 3},
                 {"-crashdump:1", 3}, {"/CRASHDUMP", 3}, {"/CRASHDUMP:0", 3}, {"/CRASHDUMP:4", 4}};
    for (const CASE &c : cases) {
        EXPECT_EQ(1, LOGIT::HandleSwitch(c.text)) << c.text;
        EXPECT_EQ(c.level, LOGIT::GetCrashDumpLevel()) << c.text;
    }
    LOGIT::SetCrashDumpLevel(dumpLevel);
}

TEST(LOGIT, DashAndSlashOpenTheStandardErrorAlike)
{
    for (const char *sw : {"/LOGIT:STDERR", "-LOGIT:STDERR", "-logit:stderr"}) {
        LOGIT::Close();
        EXPECT_EQ(1, LOGIT::HandleSwitch(sw)) << sw;
        EXPECT_TRUE(LOGIT::IsLogging()) << sw;
        char open[64] = "x";
        LOGIT::GetFileName(open, sizeof(open));
        EXPECT_STREQ("", open) << sw;
        EXPECT_EQ(1, LOGIT::Printf("to the standard error via %s\n", sw));
        LOGIT::Close();
        EXPECT_FALSE(LOGIT::IsLogging());
        EXPECT_EQ(0, LOGIT::Printf("not written\n"));
    }
}

TEST(LOGIT, DefaultNameAndDevelopmentTree)
{
    TEMPFOLDER folder;
    std::string cwd = CurrentFolderForTest();
    ASSERT_TRUE(ChangeFolderForTest(folder.Path()));
    // A development tree: "main.cpp" here puts the log here as "logit.log".
    { FILE *f = std::fopen("main.cpp", "wb"); ASSERT_NE(nullptr, f); std::fclose(f); }
    EXPECT_EQ(1, LOGIT::HandleSwitch("/LOGIT"));
    char open[1024];
    LOGIT::GetFileName(open, sizeof(open));
    LOGIT::Close();
    EXPECT_EQ("logit.log", std::string(open));
    EXPECT_TRUE(FileExistsForTest(folder.File("logit.log")));
    // A "/LOG:" switch while logging is off opens the log too.
    EXPECT_EQ(1, LOGIT::HandleSwitch("/LOG:0"));
    EXPECT_TRUE(LOGIT::IsLogging());
    LOGIT::Close();
    ChangeFolderForTest(cwd);
}

// Named targets and relative names land in the user's folders; "/LOGITTEMP" takes them away
// again when the log closes.
TEST(LOGIT, NamedTargetsAndRelativeNames)
{
    TEMPFOLDER folder;
    std::string cwd = CurrentFolderForTest();
    ASSERT_TRUE(ChangeFolderForTest(folder.Path())); // no development tree here
    struct CASE {
        const char *target;
        const char *prefix;  // of the file name, after the folder
        const char *suffix;
    } cases[] = {
        {"", "Orvak_KESTAR_BASE_TESTS", "logit.log"},
        {":UNIQUE", "Orvak_KESTAR_BASE_TESTS", ".log"},
        {":desktop", "Orvak_KESTAR_BASE_TESTS", "logit.log"},
        {":plx_relative_name.log", "plx_relative_name.log", "plx_relative_name.log"},
    };
    for (const CASE &c : cases) {
        ASSERT_EQ(1, LOGIT::HandleSwitch((std::string("/LOGITTEMP") + c.target).c_str())) << c.target;
        char open[1024] = "";
        LOGIT::GetFileName(open, sizeof(open));
        std::string full = open;
        ASSERT_TRUE(LOGIT::IsLogging()) << c.target;
        EXPECT_TRUE(FileExistsForTest(full)) << full;
        size_t slash = full.find_last_of("/\\");
        ASSERT_NE(std::string::npos, slash) << full; // placed in a folder, not the current one
        std::string base = full.substr(slash + 1);
        EXPECT_TRUE(StartsWith(base, c.prefix)) << base;
        EXPECT_TRUE(base.size() >= std::strlen(c.suffix) &&
                    base.compare(base.size() - std::strlen(c.suffix), std::string::npos, c.suffix) == 0)
            << base;
        if (std::string(c.target) == ":UNIQUE") {
            // Logit_<date>_<time>-<ms>_<pid>.log
            EXPECT_NE(std::string::npos, base.find("Logit_")) << base;
            EXPECT_EQ(std::string::npos, base.find(' ')) << base;
            EXPECT_EQ(std::string::npos, base.find(':')) << base;
        }
        LOGIT::Close();
        EXPECT_FALSE(FileExistsForTest(full)) << full;
    }
    ChangeFolderForTest(cwd);
}

TEST(LOGIT, HotKeysOpenAndCloseTheLog)
{
    TEMPFOLDER folder;
    std::string cwd = CurrentFolderForTest();
    ASSERT_TRUE(ChangeFolderForTest(folder.Path()));
    { FILE *f = std::fopen("main.cpp", "wb"); ASSERT_NE(nullptr, f); std::fclose(f); }
    LOGIT::Close();
    EXPECT_EQ(0, LOGIT::HandleDebugKey(4));
    EXPECT_EQ(1, LOGIT::HandleDebugKey(5));
    EXPECT_TRUE(LOGIT::IsLogging());
    EXPECT_EQ(1, LOGIT::HandleDebugKey(8));
    EXPECT_FALSE(LOGIT::IsLogging());
    ChangeFolderForTest(cwd);
    EXPECT_TRUE(FileExistsForTest(folder.File("logit.log")));
}

// Runs in the death test's child: works in the scratch folder that the parent named.
void StopIn(const char *folder, bool viaAssertion)
{
    ChangeFolderForTest(folder);
    if (viaAssertion)
        ORVAK_ASSERT_FATAL(1 + 1 == 3, "index 5");
    else
        LOGIT::OrderlyStop();
}

TEST(LOGIT, OrderlyStopEndsTheProcessWith42)
{
    // The child runs this body again up to the statement; it takes the parent's scratch folder
    // from its environment and makes none of its own.
    const char *inherited = std::getenv("PLX_CHILD_FOLDER");
    std::string path = inherited ? inherited : "";
    std::unique_ptr<TEMPFOLDER> folder;
    if (path.empty()) {
        folder.reset(new TEMPFOLDER);
        path = folder->Path();
#if defined(_WIN32)
        _putenv_s("PLX_CHILD_FOLDER", path.c_str());
#else
        setenv("PLX_CHILD_FOLDER", path.c_str(), 1);
#endif
    }
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(StopIn(path.c_str(), false), ::testing::ExitedWithCode(42), "");
    EXPECT_EXIT(StopIn(path.c_str(), true), ::testing::ExitedWithCode(42), "");
#if defined(_WIN32)
    _putenv_s("PLX_CHILD_FOLDER", "");
#else
    unsetenv("PLX_CHILD_FOLDER");
#endif
    ASSERT_TRUE(folder);
    EXPECT_NE(std::string::npos, ReadWholeFile(folder->File("assert.log")).find("    Add. Info: index 5"));
}

} // namespace
