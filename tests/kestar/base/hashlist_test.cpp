// HASHLIST: the list text form (writer, both readers, files), malformed lists from peers and
// hand-edited files, handles and sorting.
#include "kestar/base/hashlist.h"

#include "kestar/base/osysfile.h"

#include "tests/support/bytes_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>
#if defined(_WIN32)
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

// One line per record: its handle (when set) and its "name=value" pairs, as in the text form.
std::vector<std::string> Records(HASHLIST &list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.NumItems(); i++) {
        std::string text = TextOf(list[i]->ToString());
        for (char &c : text)
            if (c == '\n')
                c = ' ';
        out.push_back(text);
    }
    return out;
}

HASH Record(uint32_t handle, const std::vector<std::pair<const char *, const char *>> &values)
{
    HASH h;
    h.Handle = handle;
    for (const auto &kv : values)
        h[kv.first] = kv.second;
    return h;
}

TEST(HASHLIST, WritesTextFormAndReadsItBack)
{
    HASHLIST list;
    list.AddItem(Record(3, {{"Name", "Ann"}, {"Number", "0301234"}}));
    HASH second = Record(0, {{"Name", "Bob = B"}});
    second.Key = "k";
    list.AddItem(second);
    const std::string text = "[#0]\n#Handle=3\nName=Ann\nNumber=0301234\n\n"
                             "[#1]\n#Key=k\nName=Bob \\x3d B\n\n";
    EXPECT_EQ(TextOf(list.ToString()), text);

    HASHLIST back;
    back.AddItem(Record(1, {{"stale", "x"}})); // FromString empties the list first
    EXPECT_EQ(back.FromString(StringOf(text)), 2);
    EXPECT_EQ(Records(back), Records(list));
    EXPECT_EQ(TextOf(back.ToString()), text);

    HASHLIST constructed(StringOf(text));
    EXPECT_EQ(TextOf(constructed.ToString()), text);

    HASHLIST empty;
    STRING none = empty.ToString();
    EXPECT_NE(none.Buffer, nullptr);
    EXPECT_EQ(none.StrLen, 0);
    EXPECT_EQ(empty.FromString(none), 0);
}

TEST(HASHLIST, EmptyRecordsSurviveTheRoundTrip)
{
    HASHLIST list;
    list.AddItem(HASH());
    list.AddItem(Record(0, {{"a", "1"}}));
    list.AddItem(HASH());
    const std::string text = TextOf(list.ToString());
    EXPECT_EQ(text, "[#0]\n\n[#1]\na=1\n\n[#2]\n\n");
    HASHLIST back;
    EXPECT_EQ(back.FromString(StringOf(text)), 3);
    EXPECT_EQ(TextOf(back.ToString()), text);

    TEMPFOLDER dir;
    std::string file = dir.File("list.ini");
    ASSERT_EQ(list.Save(file.c_str()), 3);
    HASHLIST loaded;
    EXPECT_EQ(loaded.Load(file.c_str()), 3);
    EXPECT_EQ(TextOf(loaded.ToString()), text);
}

struct READCASE {
    const char *what;
    std::string text;
    std::vector<std::string> records;
    std::vector<std::string> assertions; // the conditions reported, in order
};

// The same table for both readers: a text and a file with that content give the same records.
// (Lines ending in CR LF differ, see below.)
const READCASE kReadCases[] = {
    {"plain list", "[#0]\na=1\n\n[#1]\nb=2\n\n", {"a=1 ", "b=2 "}, {}},
    {"gap in section numbers", "[#0]\na=1\n[#5]\nb=2\n[#2]\nc=3\n", {"a=1 ", "b=2 ", "c=3 "}, {}},
    {"numbers start at 1", "[#1]\na=1\n[#2]\nb=2\n", {"a=1 ", "b=2 "}, {}},
    {"repeated and unnumbered headers", "[#0]\na=1\n[#0]\nb=2\n[#]\nc=3\n", {"a=1 ", "b=2 ", "c=3 "}, {}},
    {"last line without line feed", "[#0]\na=1\n\n[#1]\nb=2", {"a=1 ", "b=2 "}, {}},
    {"a plain record text is one record", "#Handle=4\nx=1\n", {"#Handle=4 x=1 "}, {}},
    {"empty lines everywhere", "\n\n[#0]\n\n\na=1\n\n\n", {"a=1 "}, {}},
    {"header without '#'", "[0]\na=1\n", {"a=1 "}, {"buf[1]=='#'"}},
    {"header without ']'", "[#0\na=1\n", {"a=1 "}, {"buf[buf.Length()-2]==']'"}},
    {"text before the first header is kept", "x=1\n[#0]\na=1\n[#1]\nb=2\n", {"a=1 x=1 ", "b=2 "},
     {"Section.Length()==0"}},
    {"a bare '['", "[\na=1\n", {"a=1 "}, {"buf[1]=='#'", "buf[buf.Length()-2]==']'"}},
    {"a line without '=' inside a record", "[#0]\na=1\nnonsense\n", {"a=1 "}, {"item.Find(\"=\")"}},
};

TEST(HASHLIST, FromStringReadsWhatPeersSend)
{
    for (const READCASE &c : kReadCases) {
        SCOPED_TRACE(c.what);
        LOGCAPTURE log;
        HASHLIST list;
        EXPECT_EQ(list.FromString(StringOf(c.text)), static_cast<int>(c.records.size()));
        EXPECT_EQ(Records(list), c.records);
        EXPECT_EQ(log.Conditions(), c.assertions);
    }
}

TEST(HASHLIST, LoadReadsTheSameFromFiles)
{
    TEMPFOLDER dir;
    std::string file = dir.File("list.ini");
    for (const READCASE &c : kReadCases) {
        SCOPED_TRACE(c.what);
        // As written by the Windows text-mode streams: every line feed as CR LF.
        std::string crlf;
        for (char ch : c.text)
            crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
        for (const std::string &content : {c.text, crlf}) {
            FILE *f = std::fopen(file.c_str(), "wb");
            ASSERT_NE(f, nullptr);
            std::fwrite(content.data(), 1, content.size(), f);
            std::fclose(f);
            LOGCAPTURE log;
            HASHLIST list;
            EXPECT_EQ(list.Load(file.c_str()), static_cast<int>(c.records.size()));
            EXPECT_EQ(Records(list), c.records);
            EXPECT_EQ(log.Conditions(), c.assertions);
        }
    }
}

TEST(HASHLIST, LoadReadsFilesLongerThanItsReadingBufferTheSame)
{
    // The reader takes a file piece by piece: sections cross the ends of the pieces, one value is
    // longer than a piece, lines stand before the first header, and a file without any header is
    // one record however long it is.
    std::string list = "before=the first header\n";
    for (int i = 0; i < 30000; i++) {
        list += "[#" + std::to_string(i) + "]\n#Handle=" + std::to_string(i + 1) + "\nName=Caller " +
                std::to_string(i) + "\nNumber=+49 30 " + std::to_string(i * 7) + "\nComment=a\\nb\n\n";
        if (i == 20000)
            list += "Long=" + std::string(3 << 20, 'v') + "\n\n";
    }
    std::string single = "Long=" + std::string(3 << 20, 'w') + "\nShort=s\n";
    TEMPFOLDER dir;
    std::string file = dir.File("long.ini");
    for (const std::string *text : {&list, &single}) {
        std::string crlf;
        for (char ch : *text)
            crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
        FILE *f = std::fopen(file.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(crlf.data(), 1, crlf.size(), f);
        std::fclose(f);
        HASHLIST expected, loaded;
        int n;
        std::vector<std::string> expectedAssertions;
        {
            LOGCAPTURE fromText;
            n = expected.FromString(STRING::FromBytes(text->data(), static_cast<STRING_SIZE_T>(text->size())));
            expectedAssertions = fromText.Conditions();
        }
        LOGCAPTURE fromFile;
        EXPECT_EQ(loaded.Load(file.c_str()), n);
        EXPECT_EQ(fromFile.Conditions(), expectedAssertions);
        EXPECT_EQ(TextOf(loaded.ToString()), TextOf(expected.ToString()));
    }
}

TEST(HASHLIST, CrLfTextFromPeerIsReportedButRead)
{
    // In a text (not a file) the CR stays in front of the line feed, so every header is reported;
    // the records are still read, since the record reader drops trailing CRs.
    LOGCAPTURE log;
    HASHLIST list;
    EXPECT_EQ(list.FromString(StringOf("[#0]\r\na=1\r\n\r\n[#1]\r\nb=2\r\n\r\n")), 2);
    EXPECT_EQ(Records(list), (std::vector<std::string>{"a=1 ", "b=2 "}));
    EXPECT_EQ(log.Conditions(), (std::vector<std::string>{"buf[buf.Length()-2]==']'", "buf[buf.Length()-2]==']'"}));
}

TEST(HASHLIST, GapsInSectionNumbersAreLoggedNotFatal)
{
    LOGCAPTURE log;
    HASHLIST list;
    EXPECT_EQ(list.FromString(StringOf("[#0]\na=1\n[#7]\nb=2\n")), 2);
    EXPECT_EQ(log.CountLines("HASHLIST::FromString section [#7] read as record 1"), 1);
    EXPECT_EQ(log.Conditions(), std::vector<std::string>{});
}

TEST(HASHLIST, NumberTextIsNotAList)
{
    LOGCAPTURE log;
    HASHLIST list(StringOf("12\n[#0]\na=1\n"));
    EXPECT_EQ(list.NumItems(), 0);
    HASHLIST none(STRING{});
    EXPECT_EQ(none.NumItems(), 0);
    HASHLIST zero("0\n");
    EXPECT_EQ(zero.NumItems(), 1); // "0" reads as no number: the text is parsed (one empty-ish record)
    EXPECT_EQ(log.Conditions(), (std::vector<std::string>{"(int)data==0", "item.Find(\"=\")"}));
}

TEST(HASHLIST, SaveWritesCrLfLoadAppends)
{
    TEMPFOLDER dir;
    std::string file = dir.File("callers.ini");
    HASHLIST list;
    list.AddItem(Record(0, {{"Name", "Ann"}}));
    list.AddItem(Record(0, {{"Name", "Bob"}}));
    ASSERT_EQ(list.Save(file.c_str()), 2);
    EXPECT_EQ(ReadWholeFile(file), "[#0]\r\nName=Ann\r\n\r\n[#1]\r\nName=Bob\r\n\r\n");

    HASHLIST loaded;
    loaded.AddItem(Record(0, {{"Name", "Old"}}));
    EXPECT_EQ(loaded.Load(file.c_str()), 2); // the records read, appended to what was there
    EXPECT_EQ(Records(loaded), (std::vector<std::string>{"Name=Old ", "Name=Ann ", "Name=Bob "}));

    HASHLIST empty;
    EXPECT_EQ(empty.Save(file.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(file), "");
    EXPECT_EQ(empty.Load(dir.File("missing.ini").c_str()), 0);
}

TEST(HASHLIST, SaveWritesTheTextWithCrLfEvenWhereEscapesMakeItLonger)
{
    // Values that need escapes take up to four times their length, more than the list's first
    // estimate of its text: the text grows as needed and the file is still the text with CR LF.
    TEMPFOLDER dir;
    std::string file = dir.File("escapes.ini");
    HASHLIST list;
    std::string control(300, '\x01');
    for (int i = 0; i < 400; i++) {
        HASH h;
        h.Handle = static_cast<uint32_t>(i + 1);
        h["Control"] = StringOf(control);
        h["Line\nbreak"] = "in the name"; // names are written as they stand
        list.AddItem(h);
    }
    std::string text = TextOf(list.ToString());
    std::string expected;
    for (int i = 0; i < 400; i++) {
        std::string record = TextOf(list[i]->ToString());
        expected += "[#" + std::to_string(i) + "]\n" + record + "\n";
    }
    ASSERT_EQ(text, expected);
    EXPECT_NE(text.find("Control=\\x01\\x01"), std::string::npos);
    std::string crlf;
    for (char c : text) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    ASSERT_EQ(list.Save(file.c_str()), 400);
    EXPECT_EQ(ReadWholeFile(file), crlf);
}

TEST(HASHLIST, SaveFailureIsReportedAndKeepsTheOldFile)
{
    TEMPFOLDER dir;
    std::string file = dir.File("callers.ini");
    HASHLIST list;
    list.AddItem(Record(0, {{"Name", "Ann"}}));
    ASSERT_EQ(list.Save(file.c_str()), 1);
    list.AddItem(Record(0, {{"Name", "Bob"}}));
    EXPECT_EQ(list.Save(dir.File("missing/callers.ini").c_str()), 0);
    EXPECT_EQ(list.Save(dir.Path().c_str()), 0);
    EXPECT_EQ(ReadWholeFile(file), "[#0]\r\nName=Ann\r\n\r\n");
}

// The text with every line feed preceded by a CR, as a file holds it.
std::string WithCrLf(const std::string &text)
{
    std::string crlf;
    for (char c : text) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    return crlf;
}

// A list whose text is several times the buffer Save writes it through (256 KB): many records
// with escapes, and one value longer than the whole buffer.
void FillLongList(HASHLIST &list, int records)
{
    for (int i = 0; i < records; i++) {
        HASH h;
        h.Handle = static_cast<uint32_t>(i + 1);
        h["Name"] = StringOf("Caller " + std::to_string(i));
        h["Comment"] = StringOf("line one\nline two = \\ \x01 " + std::string(static_cast<size_t>(i % 300), 'c'));
        if (i == records / 2)
            h["Picture"] = StringOf(std::string(700 * 1024, 'p'));
        list.AddItem(h);
    }
}

// The names in a folder, sorted: no temporary file may stay behind.

TEST(HASHLIST, SaveWritesLongListsInPiecesByteForByte)
{
    TEMPFOLDER dir;
    std::string file = dir.File("callers.ini");
    HASHLIST list;
    FillLongList(list, 3000);
    std::string expected = WithCrLf(TextOf(list.ToString()));
    ASSERT_GT(expected.size(), 4u * 256 * 1024);
    LOGCAPTURE log;
    ASSERT_EQ(list.Save(file.c_str()), 3000);
    EXPECT_EQ(ReadWholeFile(file), expected);
    EXPECT_EQ(FolderListing(dir.Path()), "callers.ini;");
    EXPECT_EQ(log.CountLines("HASHLIST::Save " + file), 1);
    EXPECT_EQ(log.CountLines("HASHLIST::Save returns rc 3000"), 1);
    EXPECT_EQ(log.Conditions(), std::vector<std::string>{});
}

// The system's text for an error code, as the save's log line gives it.
std::string SystemText(int code)
{
#if defined(_WIN32)
    SetLastError(static_cast<DWORD>(code));
#else
    errno = code;
#endif
    char text[256];
    OSYSFILE::LastErrorText(text, sizeof text);
    return text;
}

TEST(HASHLIST, FailedSaveKeepsThePreviousFileByteForByte)
{
    TEMPFOLDER dir;
    std::string file = dir.File("callers.ini");
    HASHLIST list;
    FillLongList(list, 2000);
    ASSERT_EQ(list.Save(file.c_str()), 2000);
    const std::string previous = ReadWholeFile(file);
    list.AddItem(Record(0, {{"Name", "Bob"}}));
    LOGCAPTURE log;
#if defined(_WIN32)
    // A read-only file is refused before anything is written.
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    int rc = list.Save(file.c_str());
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    const int code = ERROR_ACCESS_DENIED;
#else
    // The file size limit (which even root cannot pass) lets the first piece through and fails a
    // later one: the save stops there.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 300 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int rc = list.Save(file.c_str());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    const int code = EFBIG;
#endif
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(ReadWholeFile(file) == previous);
    EXPECT_EQ(FolderListing(dir.Path()), "callers.ini;");
    EXPECT_EQ(log.CountLines("HASHLIST::Save " + file + " failed: " + SystemText(code)), 1);
    EXPECT_EQ(log.CountLines("HASHLIST::Save returns rc 0"), 1);
}

TEST(HASHLIST, HandlesAndSearch)
{
    HASHLIST list;
    EXPECT_EQ(list.NewHandle(), 16534u);
    list.AddItem(Record(0, {{"Name", "Ann"}}));
    EXPECT_EQ(list.NewHandle(), 16534u);
    list.AddItem(Record(3, {{"Name", "Bobby"}, {"Number", "030"}}));
    list.AddItem(Record(9, {{"Name", "bob"}}));
    EXPECT_EQ(list.NewHandle(), 10u);

    EXPECT_EQ(list.FindHandle(9), 2);
    EXPECT_EQ(list.FindHandle(4), -1);

    EXPECT_EQ(list.FindValue("name", "BOB", 1), 2);
    EXPECT_EQ(list.FindValue("Name", "bob", 0), 1);
    EXPECT_EQ(list.FindValue("Number", "03", 0), 1);
    EXPECT_EQ(list.FindValue("Number", "03", 1), -1);
    EXPECT_EQ(list.FindValue("Missing", "", 0), -1);
}

TEST(HASHLIST, SortsByNamesAndFlags)
{
    struct {
        const char *what;
        std::vector<const char *> names;
        int flags;
        std::vector<std::string> order; // "Name" values after the sort
    } cases[] = {
        {"text, byte order", {"Name"}, 0, {"Bob", "ann", "cid"}},
        {"text, descending", {"Name"}, 0x08, {"cid", "ann", "Bob"}},
        {"numbers", {"Count"}, 0x01, {"cid", "Bob", "ann"}},
        {"numbers, descending", {"Count"}, 0x09, {"ann", "Bob", "cid"}},
        {"second name breaks ties", {"Group", "Name"}, 0, {"Bob", "cid", "ann"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        HASHLIST list;
        // Counts at the ends of the 32-bit range: a difference would overflow.
        list.AddItem(Record(0, {{"Name", "ann"}, {"Count", "2147483647"}, {"Group", "2"}}));
        list.AddItem(Record(0, {{"Name", "cid"}, {"Count", "-2147483648"}, {"Group", "1"}}));
        list.AddItem(Record(0, {{"Name", "Bob"}, {"Count", "5"}, {"Group", "1"}}));
        if (c.names.size() == 1)
            list.SortByKey(c.names[0], c.flags);
        else
            list.SortBy(c.names.data(), static_cast<int>(c.names.size()), c.flags);
        std::vector<std::string> order;
        for (int i = 0; i < list.NumItems(); i++)
            order.push_back(TextOf(list[i]->Get("Name")));
        EXPECT_EQ(order, c.order);
    }
}

TEST(HASHLIST, RecordWithoutSortNameSortsAsNull)
{
    LOGCAPTURE log;
    HASHLIST list;
    list.AddItem(Record(1, {{"Name", "zed"}}));
    list.AddItem(Record(2, {{"Other", "x"}})); // no "Name": compares as "<NULL>"
    list.AddItem(Record(3, {{"Name", "ABC"}}));
    list.SortByKey("Name", 0);
    ASSERT_EQ(list.NumItems(), 3);
    EXPECT_EQ(list[0]->Handle, 2u); // "<" sorts before letters
    EXPECT_EQ(list[1]->Handle, 3u);
    EXPECT_EQ(list[2]->Handle, 1u);

    list.SortByKey("Name", 0x01); // numeric: every value reads as 0; nothing ends the program
    EXPECT_EQ(list.NumItems(), 3);
    EXPECT_EQ(log.CountLines("1 of 3 records lack a sort name"), 2);
    EXPECT_EQ(log.Conditions(), std::vector<std::string>{});
}

TEST(HASHLIST, CopyIsDeep)
{
    HASHLIST list;
    list.AddItem(Record(1, {{"Name", "b"}}));
    list.AddItem(Record(2, {{"Name", "a"}}));
    list.SortByKey("Name", 0);
    HASHLIST copy(list);
    copy[0]->Get("Name") = "changed";
    EXPECT_EQ(TextOf(list[0]->Get("Name")), "a");
    EXPECT_EQ(copy.NumItems(), 2);

    HASHLIST assigned;
    assigned.AddItem(Record(7, {}));
    assigned = list;
    EXPECT_EQ(TextOf(assigned.ToString()), TextOf(list.ToString()));
    assigned.AddItems(list);
    EXPECT_EQ(assigned.NumItems(), 4);
}

} // namespace

namespace {

// ToString holds the list's lock: records added by another thread meanwhile never tear the text.
TEST(HASHLIST, TextIsTakenWholeWhileAnotherThreadAddsRecords)
{
    HASHLIST list;
    std::thread writer([&list] {
        for (int i = 0; i < 300; i++)
            list.AddItem(Record(static_cast<uint32_t>(i + 1), {{"Name", "x"}, {"Number", "1"}}));
    });
    int previous = 0;
    for (int round = 0; round < 100; round++) {
        HASHLIST copy;
        int n = copy.FromString(list.ToString());
        ASSERT_GE(n, previous);
        previous = n;
        for (int i = 0; i < n; i++)
            ASSERT_EQ(copy[i]->Handle, static_cast<uint32_t>(i + 1));
    }
    writer.join();
    EXPECT_EQ(list.NumItems(), 300);
}

} // namespace

#if defined(_WIN32)
TEST(HASHLIST, LoadDeniesWriters)
{
    HASHLIST list;
    list.AddItem(Record(0, {{"a", "1"}}));
    TEMPFOLDER dir;
    const std::string file = dir.File("list.ini");
    ASSERT_EQ(list.Save(file.c_str()), 1);
    FILE *writer = std::fopen(file.c_str(), "ab");
    ASSERT_NE(writer, nullptr);
    HASHLIST loaded;
    EXPECT_EQ(loaded.Load(file.c_str()), 0);
    std::fclose(writer);
    EXPECT_EQ(loaded.Load(file.c_str()), 1);
}
#endif
