// HASH: the byte-exact text form (writer and reader, both ways round), name lookup and order,
// the locked key set, and the record files.
#include "kestar/base/hash.h"

#include "tests/support/bytes_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/stopchild_support.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

STRING Binary(const std::string &s)
{
    STRING b = StringOf(s);
    b.Flags |= STRINGFLAG_BINARY;
    return b;
}

// The names and values of a record in order, values as bytes (NULL ones marked), binary ones
// marked with a leading "b:".
std::vector<std::pair<std::string, std::string>> Entries(HASH &h)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (int i = 0; i < h.NumKeys(); i++) {
        const STRING &v = h.GetValueAt(i);
        out.emplace_back(TextOf(h.GetKeyAt(i)), ((v.Flags & STRINGFLAG_BINARY) ? "b:" : "") + TextOf(v));
    }
    return out;
}

using ENTRIES = std::vector<std::pair<std::string, std::string>>;

struct WRITECASE {
    const char *what;
    uint32_t handle;
    bool hasKey;
    std::string key;
    std::vector<std::pair<std::string, STRING>> set; // set through operator[] in this order
    std::string text;                                 // exactly what ToString gives
};

TEST(HASH, WritesTextFormExactlyAndReadsItBack)
{
    const WRITECASE cases[] = {
        {"names in order, '=' escaped", 5, true, "abc", {{"b", STRING("x=y")}, {"A", STRING("1")}},
         "#Handle=5\n#Key=abc\nA=1\nb=x\\x3dy\n"},
        {"empty record", 0, false, "", {}, ""},
        {"line break and tab on one line", 0, false, "", {{"v", STRING("one\ntwo\tthree")}},
         "v=one\\ntwo\\tthree\n"},
        {"backslashes doubled", 0, false, "", {{"Path", STRING("C:\\temp")}}, "Path=C:\\\\temp\n"},
        {"braces, quotes and 0x7F", 0, false, "", {{"q", StringOf("{\"'\x7f}")}},
         "q=\\x7b\"'\x7f\\x7d\n"},
        {"control bytes and high bytes", 0, false, "", {{"c", StringOf(std::string("\0\r\x1a\x01\xe4\xff", 6))}},
         "c=\\0\\r\\z\\x01\\xe4\\xff\n"},
        {"empty and NULL values", 0, false, "", {{"e", StringOf("")}, {"n", STRING()}}, "e=\nn=\n"},
        {"binary value as base64", 0, false, "", {{"name", Binary(std::string("\0\xff", 2))}},
         "name=={{AP8=}}\n"},
        {"empty binary value", 0, false, "", {{"z", Binary("")}}, "z=={{}}\n"},
        {"key with backslash and line break", 7, true, "a\\b\nc=d", {},
         "#Handle=7\n#Key=a\\\\b\\nc\\x3dd\n"},
        {"empty key", 0, true, "", {{"x", STRING("1")}}, "#Key=\nx=1\n"},
        {"largest handle", 4294967295u, false, "", {}, "#Handle=4294967295\n"},
        {"names fold like the Windows C library", 0, false, "",
         {{"ax", STRING("3")}, {"_x", STRING("1")}, {"Ay", STRING("2")}}, "_x=1\nax=3\nAy=2\n"},
    };
    for (const WRITECASE &c : cases) {
        SCOPED_TRACE(c.what);
        HASH h;
        h.Handle = c.handle;
        if (c.hasKey)
            h.Key = StringOf(c.key);
        for (const auto &kv : c.set)
            h[kv.first.c_str()] = kv.second;
        STRING text = h.ToString();
        ASSERT_NE(text.Buffer, nullptr);
        EXPECT_EQ(TextOf(text), c.text);

        // Read back: the same handle, key, names, values and binary flags.
        HASH back(text);
        EXPECT_EQ(back.Handle, c.handle);
        EXPECT_EQ(TextOf(back.Key), c.hasKey ? c.key : "(NULL)");
        ENTRIES want = Entries(h);
        for (auto &e : want)
            if (e.second == "(NULL)")
                e.second = ""; // the text form has no NULL value: it reads as empty
        EXPECT_EQ(Entries(back), want);
        EXPECT_EQ(TextOf(back.ToString()), c.text);
    }
}

struct READCASE {
    const char *what;
    std::string text;
    uint32_t handle;
    std::string key; // "(NULL)" for none
    ENTRIES entries;
};

TEST(HASH, ReadsTextForm)
{
    const READCASE cases[] = {
        {"blanks belong to name and value", "Name = Value\n", 0, "(NULL)", {{"Name ", " Value"}}},
        {"further '=' belong to the value", "k=a=b", 0, "(NULL)", {{"k", "a=b"}}},
        {"comments, empty lines, lower-case handle", "#Comment\n// note\n\n#handle=7\n", 7, "(NULL)", {}},
        {"names sorted on reading", "zeta=1\nAlpha=2\n", 0, "(NULL)", {{"Alpha", "2"}, {"zeta", "1"}}},
        {"repeated names kept in order", "x=1\nX=2\nx=3\n", 0, "(NULL)", {{"x", "1"}, {"X", "2"}, {"x", "3"}}},
        {"CR LF and stray CRs at line ends", "a=1\r\nb=2\r\r\n\r\nc=3\r", 0, "(NULL)",
         {{"a", "1"}, {"b", "2"}, {"c", "3"}}},
        {"empty value is empty, not NULL", "k=\n", 0, "(NULL)", {{"k", ""}}},
        {"escaped key, upper-case name", "#KEY=a\\x3db\\\\c\n", 0, "a=b\\c", {}},
        {"base64 value", "k=={{YQ==}}\nl=={{}}\n", 0, "(NULL)", {{"k", "b:a"}, {"l", "b:"}}},
        {"braces without the leading '=' are text", "k={{YQ==}}\n", 0, "(NULL)", {{"k", "{{YQ==}}"}}},
        {"'={{' without '}}' is escaped text", "k=={{YQ\n", 0, "(NULL)", {{"k", "={{YQ"}}},
        {"handle read as a number", "#Handle=12abc\n", 12, "(NULL)", {}},
        {"negative handle keeps 32 bits", "#Handle=-1\n", 4294967295u, "(NULL)", {}},
        {"handle above 32 bits keeps the low 32", "#Handle=4294967297\n", 1, "(NULL)", {}},
        {"handle of 18 digits", "#Handle=123456789012345678\n", 2788225870u, "(NULL)", {}},
        {"handle past 64 bits is the largest number", "#Handle=99999999999999999999\n", 4294967295u, "(NULL)", {}},
        {"handle with leading zeros", "#Handle=0042\n", 42, "(NULL)", {}},
        {"handle after a blank", "#Handle= 5\n", 5, "(NULL)", {}},
        {"'#' names other than handle and key are comments", "#Handles=3\n#Keys=x\n", 0, "(NULL)", {}},
        {"empty name", "=v\n", 0, "(NULL)", {{"", "v"}}},
        {"no line feed anywhere", "a=1", 0, "(NULL)", {{"a", "1"}}},
    };
    for (const READCASE &c : cases) {
        SCOPED_TRACE(c.what);
        LOGCAPTURE log;
        HASH h(StringOf(c.text));
        EXPECT_EQ(h.Handle, c.handle);
        EXPECT_EQ(TextOf(h.Key), c.key);
        EXPECT_EQ(Entries(h), c.entries);
        EXPECT_EQ(log.Conditions(), std::vector<std::string>{});
    }
}

TEST(HASH, LinesSplitAtTheirFirstEqualsSignWhateverTheirLength)
{
    // Names and values of every length up to a few words, with "=" and escapes inside values and
    // the next line's "=" close behind, with LF and CR LF line ends; each record written and read
    // again is the same.
    LOGCAPTURE log;
    int lines = 0;
    for (int nameLen = 1; nameLen <= 35; nameLen++) {
        for (int valueLen = 0; valueLen <= 35; valueLen++) {
            for (const char *end : {"\n", "\r\n"}) {
                std::string name(static_cast<size_t>(nameLen), 'n');
                std::string value(static_cast<size_t>(valueLen), 'v'), unescaped = value;
                if (valueLen > 4) {
                    value.replace(static_cast<size_t>(valueLen / 2), 2, "\\\\");
                    value[1] = '=';
                    unescaped = value;
                    unescaped.erase(static_cast<size_t>(valueLen / 2), 1);
                }
                std::string text = name + "=" + value + end + "x=y" + end + name + "z" + end;
                HASH h(text.c_str());
                EXPECT_EQ(Entries(h), (ENTRIES{{name, unescaped}, {"x", "y"}})) << text;
                HASH again(h.ToString());
                EXPECT_EQ(Entries(again), Entries(h)) << text;
                lines++;
            }
        }
    }
    EXPECT_EQ(log.Failures(), lines); // each text's line without "="
}

TEST(HASH, MalformedLinesAreReportedAndSkipped)
{
    struct {
        const char *what;
        std::string text;
        const char *assertion;
        ENTRIES entries;
    } cases[] = {
        {"line without '='", "a=1\nnot a pair\nb=2\n", "item.Find(\"=\")", {{"a", "1"}, {"b", "2"}}},
        {"unknown escape keeps the byte", "a=x\\qy\n", "FALSE", {{"a", "xqy"}}},
        {"zero byte in a line", std::string("a=1\n\0\nb=2\n", 10), "item.Find(\"=\")", {{"a", "1"}, {"b", "2"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        LOGCAPTURE log;
        HASH h(StringOf(c.text));
        EXPECT_EQ(Entries(h), c.entries);
        EXPECT_EQ(log.Conditions(), std::vector<std::string>{c.assertion});
    }
}

TEST(HASH, LookupAddsInOrderAndIgnoresCase)
{
    HASH h;
    h["Number"] = "123";
    h["alpha"] = "a";
    h["Zulu"] = "z";
    EXPECT_EQ(TextOf(h["NUMBER"]), "123");
    EXPECT_EQ(h.NumKeys(), 3);
    EXPECT_EQ(TextOf(h.GetKeyAt(0)), "alpha");
    EXPECT_EQ(TextOf(h.GetKeyAt(2)), "Zulu");
    EXPECT_EQ(h.FindKey("zulu"), 2);
    EXPECT_EQ(h.FindKey("missing"), -1);

    STRING dummy;
    STRING *v = &dummy;
    EXPECT_EQ(h.Exists("ALPHA", &v), 1);
    EXPECT_EQ(TextOf(*v), "a");
    EXPECT_EQ(h.Exists("beta", &v), 0);
    EXPECT_EQ(v, nullptr);
    EXPECT_EQ(TextOf(h.Get("number")), "123");

    // A new name starts NULL; the reference stays good while other names are added.
    STRING &fresh = h["Middle"];
    EXPECT_EQ(fresh.Buffer, nullptr);
    h["Aardvark"] = "x";
    fresh = "m";
    EXPECT_EQ(TextOf(h.Get("middle")), "m");

    EXPECT_EQ(h.DeleteKey("MIDDLE"), 1);
    EXPECT_EQ(h.DeleteKey("Middle"), 0);
    STRINGARRAY keys = h.GetKeys();
    ASSERT_EQ(keys.NumItems(), 4);
    EXPECT_EQ(TextOf(*keys[0]), "Aardvark");
}

TEST(HASH, ValuesReadFromTextChangeGrowAndOutliveTheirRecord)
{
    // Names and values read from a text share the record's storage; whatever a caller does with
    // them must work as with strings of their own (the sanitizer build sees any stray access).
    STRING taken, name;
    HASH copy;
    {
        HASH h("a=short\nb=second\nc=third\nd=={{AP8=}}\n");
        STRING &a = h["a"];
        STRING &c = h["c"];
        a = "x";
        h["b"].Append("-and-a-much-longer-tail", -1);
        h.GetValueAt(3).Append("!", 1);
        h["new"] = "n";
        EXPECT_EQ(h.DeleteKey("b"), 1);
        h["b2"] = "again";
        h["aa"] = "1";
        EXPECT_EQ(TextOf(a), "x") << "references stay good while names come and go";
        EXPECT_EQ(&c, &h.Get("c"));
        EXPECT_EQ(TextOf(h.ToString()), "a=x\naa=1\nb2=again\nc=third\nd=={{AP8h}}\nnew=n\n");
        copy = h;
        name = h.GetKeyAt(3);
        taken = std::move(h["c"]);
    }
    EXPECT_EQ(TextOf(taken), "third");
    EXPECT_EQ(TextOf(name), "c");
    EXPECT_EQ(TextOf(copy.ToString()), "a=x\naa=1\nb2=again\nc=third\nd=={{AP8h}}\nnew=n\n");
    copy["c"] += "-changed";
    EXPECT_EQ(TextOf(copy.Get("C")), "third-changed");
}

TEST(HASH, RecordsReadAlikeShareTheirNamesYetChangeAlone)
{
    // Records read with the same names, and copies of them, hold one set of names between them;
    // each record still changes on its own, and names stay good while any record holds them.
    std::vector<HASH *> records;
    for (int i = 0; i < 3; i++)
        records.push_back(new HASH(("Name=caller " + std::to_string(i) + "\nNumber=" + std::to_string(i) + "\n").c_str()));
    HASH copy(*records[1]);
    const STRING &number = copy.GetKeyAt(1);
    (*records[0])["Comment"] = "new";
    EXPECT_EQ(records[0]->DeleteKey("name"), 1);
    (*records[0])["Name"] = "again";
    EXPECT_EQ(records[2]->DeleteKey("Number"), 1);
    HASH other("Other=1\n"); // names of their own, made after the shared ones
    for (HASH *h : records)
        delete h;
    EXPECT_EQ(TextOf(number), "Number");
    EXPECT_EQ(Entries(copy), (ENTRIES{{"Name", "caller 1"}, {"Number", "1"}}));
    HASH second(copy);
    second["Number"] = "2";
    EXPECT_EQ(TextOf(copy.ToString()), "Name=caller 1\nNumber=1\n");
    EXPECT_EQ(TextOf(second.ToString()), "Name=caller 1\nNumber=2\n");
    EXPECT_EQ(TextOf(other.GetKeyAt(0)), "Other");
}

TEST(HASH, RecordsReadAlikeAreSortedAlike)
{
    // Records that share their names share whether those names are in order: each record read
    // with names out of order is sorted, whatever the record before it had.
    const char *texts[] = {"b=1\na=2\n", "b=3\na=4\n", "a=5\nb=6\n", "a=7\nb=8\n", "x=1\nX=2\n",
                           "x=3\nX=4\n", "b=9\na=10\n"};
    const ENTRIES expected[] = {{{"a", "2"}, {"b", "1"}}, {{"a", "4"}, {"b", "3"}}, {{"a", "5"}, {"b", "6"}},
                                {{"a", "7"}, {"b", "8"}}, {{"x", "1"}, {"X", "2"}}, {{"x", "3"}, {"X", "4"}},
                                {{"a", "10"}, {"b", "9"}}};
    for (size_t i = 0; i < sizeof texts / sizeof texts[0]; i++) {
        HASH h(texts[i]);
        EXPECT_EQ(Entries(h), expected[i]) << texts[i];
    }
}

TEST(HASH, RecordsMadeAndFreedInAnyOrderKeepTheirContent)
{
    // Record storage freed by some records is taken by others of every size (read, grown name by
    // name, copied); each record keeps exactly its own text.
    auto textOf = [](int i, int round) {
        std::string text;
        for (int k = 0; k < 1 + (i * 7 + round) % 40; k++)
            text += "N" + std::to_string(k) + "=" + std::string(static_cast<size_t>((i + k) % 23), static_cast<char>('a' + (i + round) % 26)) + "\n";
        return text;
    };
    auto make = [&](int i, int round) {
        HASH *h = new HASH(textOf(i, round).c_str());
        for (int k = 0; k < (i + round) % 30; k++)
            (*h)[("Grown" + std::to_string(k)).c_str()] = std::to_string(i * k).c_str();
        if (i % 3 == 0) {
            HASH *copy = new HASH(*h);
            delete h;
            h = copy;
        }
        return h;
    };
    auto expected = [&](int i, int round) {
        HASH h(textOf(i, round).c_str());
        for (int k = 0; k < (i + round) % 30; k++)
            h[("Grown" + std::to_string(k)).c_str()] = std::to_string(i * k).c_str();
        return TextOf(h.ToString());
    };
    const int n = 600;
    std::vector<HASH *> records(n);
    std::vector<int> rounds(n, 0);
    for (int i = 0; i < n; i++)
        records[i] = make(i, 0);
    for (int round = 1; round <= 3; round++) {
        for (int i = round % 2; i < n; i += 2) {
            delete records[i];
            records[i] = make(i, round);
            rounds[i] = round;
        }
    }
    for (int i = 0; i < n; i++) {
        ASSERT_EQ(TextOf(records[i]->ToString()), expected(i, rounds[i])) << i;
        delete records[i];
    }
}

TEST(HASH, LockedRecordReportsNewNamesButKeepsWorking)
{
    LOGCAPTURE log;
    HASH h;
    h["Name"] = "x";
    EXPECT_EQ(h.AllowNewKeys(0), 0);
    h["NAME"] = "y"; // an existing name is fine
    h["Other"] = "z"; // a new one is reported, then added as in an open record
    EXPECT_EQ(TextOf(h.Get("other")), "z");
    EXPECT_EQ(TextOf(h.Get("name")), "y");
    EXPECT_EQ(h.AllowNewKeys(1), 1);
    h["Third"] = "3"; // open again
    EXPECT_EQ(log.Conditions(), std::vector<std::string>{"!this->LockTable"});
    EXPECT_EQ(log.InfoOf("!this->LockTable"), "Other");
}

TEST(HASH, CopiesAreDeepAndMergeOverwrites)
{
    HASH a;
    a.Handle = 9;
    a.Key = "k";
    a["x"] = "1";
    a["bin"] = Binary("\x01");
    a.AllowNewKeys(0);

    HASH b(a);
    b["x"] = "2";
    EXPECT_EQ(TextOf(a.Get("x")), "1");
    EXPECT_EQ(b.Handle, 9u);
    EXPECT_EQ(TextOf(b.Key), "k");
    EXPECT_TRUE(b.Get("bin").Flags & STRINGFLAG_BINARY);
    EXPECT_EQ(b.AllowNewKeys(1), 1); // LockTable came along

    HASH c;
    c["old"] = "o";
    c.Assign(a);
    EXPECT_EQ(c.FindKey("old"), -1);
    EXPECT_EQ(TextOf(c.ToString()), TextOf(a.ToString()));
    c.Assign(c);
    EXPECT_EQ(TextOf(c.ToString()), TextOf(a.ToString()));

    HASH m;
    m["x"] = "mine";
    m["y"] = "keep";
    m.Merge(b);
    EXPECT_EQ(TextOf(m.Get("x")), "2");
    EXPECT_EQ(TextOf(m.Get("y")), "keep");
    EXPECT_EQ(TextOf(m.Get("bin")), "\x01");
    m.Merge(m);
    EXPECT_EQ(m.NumKeys(), 3);
}

TEST(HASH, SortKeysIsStableAndKeyLessFoldsCase)
{
    EXPECT_TRUE(HASH::KeyLess("alpha", "Beta"));
    EXPECT_FALSE(HASH::KeyLess("Beta", "alpha"));
    EXPECT_FALSE(HASH::KeyLess("ABC", "abc"));
    EXPECT_TRUE(HASH::KeyLess("_", "a"));
    EXPECT_TRUE(HASH::KeyLess("_", "A")); // folded to lower case: "_" before both "A" and "a"
    EXPECT_TRUE(HASH::KeyLess(nullptr, "z"));  // "<NULL>"
    EXPECT_FALSE(HASH::KeyLess(nullptr, "<")); // "<NULL>" after "<"

    // Many names in reverse order, with repeats: sorted, repeats in their order of arrival.
    std::string text;
    for (int i = 2000; i > 0; i--)
        text += "n" + std::to_string(i % 500) + "=" + std::to_string(i) + "\n";
    HASH h(StringOf(text));
    ASSERT_EQ(h.NumKeys(), 2000);
    for (int i = 1; i < h.NumKeys(); i++) {
        const std::string prev = TextOf(h.GetKeyAt(i - 1)), cur = TextOf(h.GetKeyAt(i));
        ASSERT_FALSE(HASH::KeyLess(cur.c_str(), prev.c_str())) << i;
        if (prev == cur) {
            ASSERT_GT(std::stoi(TextOf(h.GetValueAt(i - 1))), std::stoi(TextOf(h.GetValueAt(i)))) << i;
        }
    }
}

#if GTEST_HAS_DEATH_TEST
TEST(HASH, GetOfMissingNameStopsTheProgram)
{
    STOPCHILDFOLDER scratch;
    HASH h;
    h["present"] = "1";
    EXPECT_EXIT((STOPCHILDFOLDER::InChild(), h.Get("absent")), testing::ExitedWithCode(42),
                "Condition: rcidx!=-1");
    EXPECT_EQ(TextOf(h.Get("present")), "1");
}
#endif

TEST(HASH, SaveWritesCrLfAndLoadReplacesRecord)
{
    TEMPFOLDER dir;
    std::string file = dir.File("settings.ini");
    HASH h;
    h.Handle = 3;
    h["Server"] = "host:6666";
    h["Note"] = "two\nlines";
    ASSERT_EQ(h.Save(file.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(file), "#Handle=3\r\nNote=two\\nlines\r\nServer=host:6666\r\n");

    HASH loaded;
    loaded.Key = "kept";
    loaded["Gone"] = "x";
    loaded.AllowNewKeys(0);
    ASSERT_EQ(loaded.Load(file.c_str()), 1);
    EXPECT_EQ(loaded.Handle, 3u);
    EXPECT_EQ(TextOf(loaded.Key), "kept"); // the file has no key
    EXPECT_EQ(loaded.FindKey("Gone"), -1);
    EXPECT_EQ(TextOf(loaded.Get("note")), "two\nlines");
    EXPECT_EQ(loaded.AllowNewKeys(1), 0); // loading opened the record

    // A missing file leaves the record as it was.
    EXPECT_EQ(loaded.Load(dir.File("missing.ini").c_str()), 0);
    EXPECT_EQ(TextOf(loaded.Get("server")), "host:6666");
}

TEST(HASH, SaveFailureIsReportedAndKeepsTheOldFile)
{
    TEMPFOLDER dir;
    std::string file = dir.File("settings.ini");
    HASH h;
    h["a"] = "1";
    ASSERT_EQ(h.Save(file.c_str()), 1);
    EXPECT_EQ(h.Save(dir.File("no such folder/settings.ini").c_str()), 0);
    EXPECT_EQ(h.Save(dir.Path().c_str()), 0); // a folder cannot be replaced by a file
    EXPECT_EQ(ReadWholeFile(file), "a=1\r\n");

    // Saving again replaces the file completely, leaving no temporary file behind.
    HASH shorter;
    ASSERT_EQ(shorter.Save(file.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(file), "");
    HASH again;
    ASSERT_EQ(again.Load(file.c_str()), 1);
    EXPECT_EQ(again.NumKeys(), 0);
}

} // namespace

namespace {

// The record's lock keeps a writer and a reader on different threads apart: every text the
// reader takes is a whole record (names in order, each line complete) while names are added.
TEST(HASH, TextIsTakenWholeWhileAnotherThreadAddsNames)
{
    HASH h;
    std::thread writer([&h] {
        for (int i = 0; i < 600; i++) {
            std::string name = "n" + std::to_string((i * 7919) % 600);
            h[name.c_str()] = STRING(std::to_string(i).c_str());
        }
    });
    int previous = 0;
    for (int round = 0; round < 200; round++) {
        HASH copy(h.ToString());
        ASSERT_GE(copy.NumKeys(), previous);
        previous = copy.NumKeys();
        for (int i = 1; i < copy.NumKeys(); i++)
            ASSERT_TRUE(HASH::KeyLess(copy.GetKeyAt(i - 1).Buffer, copy.GetKeyAt(i).Buffer));
    }
    writer.join();
    EXPECT_EQ(h.NumKeys(), 600);
}

} // namespace

#if defined(_WIN32)
TEST(HASH, LoadDeniesWriters)
{
    TEMPFOLDER dir;
    const std::string file = dir.File("record.ini");
    HASH h;
    h["Name"] = "value";
    ASSERT_EQ(h.Save(file.c_str()), 1);
    FILE *writer = std::fopen(file.c_str(), "ab");
    ASSERT_NE(writer, nullptr);
    HASH loaded;
    EXPECT_EQ(loaded.Load(file.c_str()), 0);
    std::fclose(writer);
    EXPECT_EQ(loaded.Load(file.c_str()), 1);
    EXPECT_EQ(TextOf(loaded.Get("Name")), "value");
}
#endif
