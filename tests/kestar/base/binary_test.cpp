// BINARY: block allocation and the buffer pool, the storage primitives, escaping, base64, hex,
// and whole-file load and save.
#include "kestar/base/binary.h"
#include "kestar/base/string.h"

#include "tests/support/bytes_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/stopchild_support.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

STRING FromStd(const std::string &s)
{
    return STRING::FromBytes(s.data(), static_cast<STRING_SIZE_T>(s.size()));
}

std::string AllBytes()
{
    std::string all;
    for (int i = 0; i < 256; i++)
        all.push_back(static_cast<char>(i));
    return all;
}

} // namespace

TEST(BINARY, AllocatesWholeBlocksAndAlwaysOneMoreWhenFull)
{
    struct CASE {
        STRING_SIZE_T len;
        uint32_t flags;
        STRING_SIZE_T bufLen;
    } cases[] = {
        {0, 0, 96},                 // an empty text still has a buffer
        {94, 0, 96},                // 94 + terminator fits one block
        {95, 0, 192},               // 95 + terminator fills the block exactly: one block more
        {191, 0, 288},
        {1000, 0, 1056},            // 11 blocks of 96 (the 1024 rule starts with the next growth)
        {46 * 2, STRINGFLAG_WIDE, 96},  // wide: two terminator bytes
        {47 * 2, STRINGFLAG_WIDE, 192},
    };
    for (const CASE &c : cases) {
        BINARY b;
        b.Flags = c.flags;
        b.Make(c.len);
        EXPECT_EQ(c.bufLen, b.BufLen) << "len " << c.len;
        EXPECT_EQ(c.len, b.StrLen);
        ASSERT_NE(nullptr, b.Buffer);
        for (STRING_SIZE_T i = c.len; i < b.BufLen; i++)
            ASSERT_EQ(0, b.Buffer[i]) << "byte " << i << " after the content is not zero";
    }
}

TEST(BINARY, NegativeLengthOnlySettlesTheBlockSize)
{
    BINARY b(-5);
    EXPECT_EQ(96, b.BlockSize);
    b.BlockSize = 0;
    b.Make(-1);
    EXPECT_EQ(96, b.BlockSize);
    EXPECT_EQ(nullptr, b.Buffer);
}

TEST(BINARY, FreedSmallBuffersComeBackFromThePool)
{
    const char *first;
    {
        STRING a("pooled");
        ASSERT_EQ(96, a.BufLen);
        first = a.Buffer;
    }
    // The heap (and the sanitizer's quarantine) would not hand the same block out at once.
    STRING b("again");
    EXPECT_EQ(first, b.Buffer);
    EXPECT_EQ("again", TextOf(b));
    EXPECT_EQ(0, b.Buffer[5]);
    EXPECT_EQ(0, b.Buffer[95]) << "a recycled buffer is cleared";
}

TEST(BINARY, LargeBuffersFreedAndTakenAgainStartCleared)
{
    // A large text built and freed again (a list's text at every save) is followed by another of
    // about its size.  On Windows the freed buffer is kept for it instead of fresh pages from the
    // system; either way the new buffer holds nothing of the old content.
    const STRING_SIZE_T sizes[] = {3 << 20, 3 << 20, (3 << 20) - 4096, 5 << 20, 2 << 20};
    const char *previous = nullptr;
    for (STRING_SIZE_T size : sizes) {
        SCOPED_TRACE(size);
        STRING s;
        s.Make(size);
        ASSERT_NE(s.Buffer, nullptr);
        EXPECT_EQ(std::string(s.Buffer, static_cast<size_t>(s.BufLen)), std::string(static_cast<size_t>(s.BufLen), '\0'));
#if defined(_WIN32)
        if (size == (3 << 20) - 4096)
            EXPECT_EQ(s.Buffer, previous) << "the last large buffer freed is taken again";
#endif
        std::memset(s.Buffer, 'x', static_cast<size_t>(s.BufLen));
        previous = s.Buffer;
    }
    STRING written;
    char *room = written.Reserve(4 << 20);
    std::memset(room, 'y', 4 << 20);
    written.Extend(10);
    EXPECT_EQ(TextOf(written), "yyyyyyyyyy");
    EXPECT_EQ(written.Buffer[written.BufLen - 1], 0);
}

TEST(BINARY, LongContentSwitchesToGrowingBlocks)
{
    LOGCAPTURE log;
    BINARY b;
    std::string chunk(1000, 'x');
    std::string expect;
    while (b.StrLen <= 32768) {
        b.Append(chunk.data(), static_cast<STRING_SIZE_T>(chunk.size()));
        expect += chunk;
    }
    EXPECT_TRUE(b.Flags & STRINGFLAG_DYNABLOCK);
    EXPECT_EQ(0x8000, b.BlockSize);
    EXPECT_EQ(1, log.CountLines("STRING::Make Upgrade String to STRINGFLAG_DYNABLOCK"));
    // Block sizes rise with the buffer but stop at 2 MiB.
    std::string big(1 << 20, 'y');
    for (int i = 0; i < 9; i++) {
        b.Append(big.data(), static_cast<STRING_SIZE_T>(big.size()));
        expect += big;
        EXPECT_LE(b.BlockSize, 0x200000);
        EXPECT_EQ(0, b.BlockSize % 1024);
    }
    EXPECT_EQ(0x200000, b.BlockSize);
    EXPECT_EQ(expect, TextOf(b));
    EXPECT_LT(b.StrLen, b.BufLen);
}

TEST(BINARY, SizeRulesRaiseTheBlockForTheNextGrowth)
{
    struct CASE {
        STRING_SIZE_T len;
        STRING_SIZE_T block;
    } cases[] = {{500, 96}, {1100, 1024}, {4200, 2048}, {8300, 4096}};
    for (const CASE &c : cases) {
        BINARY b;
        b.Make(c.len);
        EXPECT_EQ(c.block, b.BlockSize) << "len " << c.len;
        EXPECT_FALSE(b.Flags & STRINGFLAG_DYNABLOCK);
    }
}

TEST(BINARY, MakeAndAppendAcceptTheirOwnContent)
{
    BINARY b;
    b.Make(10, "0123456789");
    b.Make(4, b.Buffer + 6); // overlapping move
    EXPECT_EQ("6789", TextOf(b));
    b.Append(b.Buffer, b.StrLen);
    EXPECT_EQ("67896789", TextOf(b));
    // Appending its own content while the buffer must grow.
    BINARY big;
    std::string text(90, 'q');
    big.Make(90, text.data());
    big.Append(big.Buffer + 10, 80);
    EXPECT_EQ(std::string(170, 'q'), TextOf(big));
    // A shorter replacement clears the old tail.
    big.Make(3, "abc");
    EXPECT_EQ(0, big.Buffer[3]);
    EXPECT_EQ(0, big.Buffer[100]);
    big.AppendBinary(big);
    EXPECT_EQ("abcabc", TextOf(big));
}

TEST(BINARY, AppendToNullGivesABufferAndKeepsZeroBytes)
{
    BINARY b;
    b.Append("", 0);
    ASSERT_NE(nullptr, b.Buffer);
    EXPECT_EQ(0, b.StrLen);
    b.Append("a\0b", 3);
    EXPECT_EQ(std::string("a\0b", 3), TextOf(b));
}

TEST(BINARY, TryAppendAppendsOrReportsFalseWithTheContentUnchanged)
{
    LOGCAPTURE log;
    BINARY b;
    EXPECT_TRUE(b.TryAppend("", 0));
    ASSERT_NE(nullptr, b.Buffer);
    std::string expect;
    for (int i = 0; i < 200; i++) {
        std::string piece(static_cast<size_t>(i % 37), static_cast<char>(i));
        ASSERT_TRUE(b.TryAppend(piece.data(), static_cast<STRING_SIZE_T>(piece.size())));
        expect += piece;
    }
    EXPECT_TRUE(b.TryAppend(b.Buffer + 1, 5)); // its own content while growing
    expect += expect.substr(1, 5);
    EXPECT_EQ(expect, TextOf(b));

    EXPECT_FALSE(b.TryAppend("x", -1));
    EXPECT_FALSE(b.TryAppend(nullptr, 4));
    EXPECT_FALSE(b.TryAppend("x", INT32_MAX - 8)) << "past the 32-bit length";
    EXPECT_EQ(expect, TextOf(b));
}

TEST(BINARY, DeleteAndTruncate)
{
    struct CASE {
        const char *op;
        STRING_SIZE_T n, pos;
        const char *expect;
    } cases[] = {
        {"left", 2, 0, "cdef"},  {"left", 9, 0, ""},       {"right", 2, 0, "abcd"}, {"right", 6, 0, ""},
        {"del", 2, 1, "adef"},   {"del", 9, 3, "abc"},     {"del", 1, 6, "abcdef"}, {"del", 0, 2, "abcdef"},
        {"trunc", 3, 0, "abc"},  {"trunc", 10, 0, "abcdef"},
    };
    for (const CASE &c : cases) {
        BINARY b;
        b.Make(6, "abcdef");
        std::string op = c.op;
        if (op == "left")
            b.DeleteLeft(c.n);
        else if (op == "right")
            b.DeleteRight(c.n);
        else if (op == "del")
            b.Delete(c.n, c.pos);
        else
            b.Truncate(c.n);
        EXPECT_EQ(c.expect, TextOf(b)) << op << " " << c.n << " " << c.pos;
        EXPECT_EQ(0, b.Buffer[b.StrLen]);
    }
}

TEST(BINARY, NegativeCountsAreReportedAndChangeNothing)
{
    LOGCAPTURE log;
    BINARY b;
    b.Make(3, "abc");
    b.Truncate(-1);
    b.DeleteLeft(-1);
    b.Delete(-2, 0);
    b.Append("x", -1);
    EXPECT_EQ("abc", TextOf(b));
    std::vector<std::string> conditions = log.Conditions();
    EXPECT_EQ((std::vector<std::string>{"newlength>=0", "howmany>=0", "howmany>=0", "howmany>=0"}), conditions);
}

TEST(BINARY, BadIndexIsReportedAndNeverWritesOutsideTheContent)
{
    LOGCAPTURE log;
    BINARY b;
    b.Make(3, "abc");
    b[3] = 'X';
    b[-1] = 'Y';
    EXPECT_EQ("abc", TextOf(b));
    EXPECT_EQ(0, b.Buffer[3]);
    EXPECT_EQ(0, b[7]) << "the scratch byte reads 0 again";
    EXPECT_EQ("i= 3, len= 3, buf= abc", log.InfoOf("i>=0 && i<this->StrLen"));
    EXPECT_EQ(3u, log.Conditions().size());
    BINARY none;
    none[0] = 'Z';
    EXPECT_EQ(nullptr, none.Buffer);
}

TEST(BINARY, CopiesAreDeepAndKeepNull)
{
    BINARY a(200);
    a.Make(3, "abc");
    a.Flags |= STRINGFLAG_BINARY;
    BINARY b(a);
    EXPECT_NE(a.Buffer, b.Buffer);
    EXPECT_EQ("abc", TextOf(b));
    EXPECT_EQ(200, b.BlockSize);
    EXPECT_EQ(a.Flags, b.Flags);
    BINARY empty;
    b = empty;
    EXPECT_EQ(nullptr, b.Buffer);
    EXPECT_EQ(0, b.StrLen);
}

TEST(BINARY, BorrowedBufferIsNeitherFreedNorHandedOn)
{
    // A container's block with "abc" and "xy"; strings borrow their bytes from it.  Freeing or
    // keeping a pointer into it would show in the sanitizer build.
    char block[] = {'a', 'b', 'c', 0, 'x', 'y', 0};
    auto borrow = [&block](BINARY &b, int at, STRING_SIZE_T len) {
        b.Buffer = block + at;
        b.StrLen = len;
        b.BufLen = len + 1;
        b.Flags = STRINGFLAG_BORROWED | STRINGFLAG_BINARY;
    };
    {
        BINARY b;
        borrow(b, 0, 3);
        BINARY copy(b);
        EXPECT_NE(block, copy.Buffer);
        EXPECT_EQ("abc", TextOf(copy));
        EXPECT_EQ(unsigned(STRINGFLAG_BINARY), copy.Flags) << "the copy owns its buffer";

        // A move copies too: the block may be gone before the string that took it.
        BINARY moved(std::move(b));
        EXPECT_NE(block, moved.Buffer);
        EXPECT_EQ("abc", TextOf(moved));
        EXPECT_EQ(0u, moved.Flags & STRINGFLAG_BORROWED);
        BINARY target;
        target.Make(2, "zz");
        target = std::move(b);
        EXPECT_NE(block, target.Buffer);
        EXPECT_EQ("abc", TextOf(target));
        EXPECT_EQ(0u, target.Flags & STRINGFLAG_BORROWED);

        // Content that fits stays in the block; content that does not moves to a buffer of its own.
        b.Make(2, "de");
        EXPECT_EQ(block, b.Buffer);
        EXPECT_EQ(std::string("de\0\0xy", 6), std::string(block, 6));
        b.Append("fghij", 5);
        EXPECT_NE(block, b.Buffer);
        EXPECT_EQ("defghij", TextOf(b));
        EXPECT_EQ(unsigned(STRINGFLAG_BINARY), b.Flags);
    }
    {
        BINARY b;
        borrow(b, 4, 2);
        BINARY small;
        small.Make(1, "k");
        b = small; // fits: written into the block
        EXPECT_EQ(block + 4, b.Buffer);
        EXPECT_TRUE(b.Flags & STRINGFLAG_BORROWED);
        BINARY longer;
        longer.Make(5, "hello");
        b = longer;
        EXPECT_NE(block + 4, b.Buffer);
        EXPECT_EQ(0u, b.Flags & STRINGFLAG_BORROWED);
        borrow(b = BINARY(), 4, 2);
        b = std::move(longer); // takes the other's own buffer
        EXPECT_EQ("hello", TextOf(b));
        EXPECT_EQ(0u, b.Flags & STRINGFLAG_BORROWED);
        borrow(b = BINARY(), 0, 3);
        b.Free();
        EXPECT_EQ(nullptr, b.Buffer);
        EXPECT_EQ(0u, b.Flags & STRINGFLAG_BORROWED);
    }
    EXPECT_EQ(std::string("de\0\0k\0\0", 7), std::string(block, 7));
}

TEST(BINARY, MidCountsFromPositionAndNeverGivesNull)
{
    struct CASE {
        STRING_SIZE_T pos, len;
        const char *expect;
    } cases[] = {{0, -1, "abcdef"}, {2, 2, "cd"}, {4, 10, "ef"}, {6, 1, ""}, {9, -1, ""}, {-3, 2, "ab"}};
    BINARY b;
    b.Make(6, "abcdef");
    for (const CASE &c : cases) {
        STRING m = b.Mid(c.pos, c.len);
        ASSERT_NE(nullptr, m.Buffer);
        EXPECT_EQ(c.expect, TextOf(m)) << c.pos << "," << c.len;
        EXPECT_EQ(1252, m.CodePage);
    }
    BINARY none;
    EXPECT_NE(nullptr, none.Mid(0).Buffer);
}

TEST(BINARY, EscapeWritesOnePrintableLine)
{
    STRING sample = FromStd(std::string("a\x3d\x0a\x5c\xe4", 5));
    EXPECT_EQ("a\\x3d\\n\\\\\\xe4", TextOf(sample.Escape("={}")));

    struct CASE {
        std::string in;
        const char *extra;
        const char *expect;
    } cases[] = {
        {std::string("\0\t\n\r\x1a", 5), "", "\\0\\t\\n\\r\\z"},
        {"\"'", "", "\"'"},
        {"\"'", "\"'", "\\\"\\'"},
        {"{x}", "={}", "\\x7bx\\x7d"},
        {"\x7f\x80\x01 ~", nullptr, "\x7f\\x80\\x01 ~"},
        {"", "", ""},
    };
    for (const CASE &c : cases) {
        STRING out = FromStd(c.in).Escape(c.extra);
        ASSERT_NE(nullptr, out.Buffer);
        EXPECT_EQ(c.expect, TextOf(out));
    }
    EXPECT_NE(nullptr, BINARY().Escape("").Buffer);
}

TEST(BINARY, EscapeOfAllByteValuesRoundTrips)
{
    const std::string all = AllBytes();
    for (const char *extra : {"", "={}", "\"'"}) {
        LOGCAPTURE log;
        STRING escaped = FromStd(all).Escape(extra);
        for (STRING_SIZE_T i = 0; i < escaped.StrLen; i++) {
            const unsigned char c = static_cast<unsigned char>(escaped.Buffer[i]);
            ASSERT_TRUE(c >= 0x20 && c <= 0x7F) << "byte " << int(c) << " in the escaped text";
        }
        EXPECT_EQ(all, TextOf(escaped.Unescape(false))) << "extra " << extra;
        EXPECT_EQ(all, TextOf(escaped.Unescape(true)));
        EXPECT_TRUE(log.Conditions().empty());
    }
}

TEST(BINARY, UnescapeNeverReadsPastTheContent)
{
    struct CASE {
        std::string in;
        bool keep;
        std::string expect;
        const char *condition; // the one assertion failure expected, or null
    } cases[] = {
        {"\\x41\\X", true, "A\\X", nullptr},
        {"\\x41\\X", false, "AX", "FALSE"},
        {"ab\\", true, "ab\\", nullptr},
        {"ab\\", false, "ab", "FALSE"},
        {"ab\\x", true, "ab\\x", nullptr},
        {"ab\\x", false, "abx", "FALSE"},
        {"ab\\x4", true, "ab\\x4", nullptr},
        {"ab\\x4", false, "abx4", "FALSE"},
        {"\\xAf\\x0a", false, "\xaf\n", nullptr},
        {"\\xg1z", true, "\\xg1z", "isxdigit(xdigit[0])"},
        {"\\x1gz", true, "\\x1gz", "isxdigit(xdigit[1])"},
        {"\\\"\\'\\0\\\\", false, std::string("\"'\0\\", 4), nullptr},
    };
    for (const CASE &c : cases) {
        LOGCAPTURE log;
        // Exactly the bytes of the case, in a buffer of their own size, so that the sanitizer sees
        // any read beyond them.
        BINARY b;
        b.Make(static_cast<STRING_SIZE_T>(c.in.size()), c.in.data());
        STRING out = b.Unescape(c.keep);
        EXPECT_EQ(c.expect, TextOf(out)) << c.in;
        std::vector<std::string> conditions = log.Conditions();
        if (c.condition) {
            ASSERT_EQ(1u, conditions.size()) << c.in;
            EXPECT_EQ(c.condition, conditions[0]);
        } else {
            EXPECT_TRUE(conditions.empty()) << c.in;
        }
    }
}

TEST(BINARY, UnknownEscapeReportsTheWholeText)
{
    LOGCAPTURE log;
    STRING("x\\qy").Unescape(false);
    EXPECT_EQ("x\\qy", log.InfoOf("FALSE"));
}

TEST(BINARY, Base64Vectors)
{
    struct CASE {
        const char *plain;
        const char *encoded;
    } cases[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"abc", "YWJj"},
                 {"ab", "YWI="},    {"a", "YQ=="}};
    for (const CASE &c : cases) {
        STRING encoded = STRING(c.plain).EncodeBase64(false);
        EXPECT_EQ(c.encoded, TextOf(encoded));
        EXPECT_EQ(1252, encoded.CodePage);
        EXPECT_EQ(c.plain, TextOf(STRING(c.encoded).DecodeBase64()));
    }
}

TEST(BINARY, Base64DecodingSkipsForeignBytesAndStopsAtPadding)
{
    struct CASE {
        const char *in;
        std::string expect;
    } cases[] = {
        {"YW\r\nJj", "abc"},
        {" Y W J j ", "abc"},
        {"YWI=YWJj", "ab"},  // the first "=" ends decoding
        {"YQ==", "a"},
        {"YWJjY", "abc"},    // an incomplete last group without "=" is dropped
        {"YWJjYW", "abc"},
        {"Y=", ""},
        {"", ""},
        {"AP8A", std::string("\0\xff\0", 3)},
    };
    for (const CASE &c : cases) {
        STRING out = STRING(c.in).DecodeBase64();
        ASSERT_NE(nullptr, out.Buffer);
        EXPECT_EQ(c.expect, TextOf(out)) << c.in;
    }
}

TEST(BINARY, Base64LineBreaksEveryColumn76)
{
    struct CASE {
        size_t bytes;
        std::string shape; // line lengths joined by '/'
    } cases[] = {{57, "76/"}, {58, "76/4/"}, {114, "76/76/"}, {1, "4/"}, {0, ""}};
    for (const CASE &c : cases) {
        std::string plain(c.bytes, '\xa5');
        std::string encoded = TextOf(FromStd(plain).EncodeBase64(true));
        std::string shape;
        size_t start = 0;
        for (size_t at = encoded.find("\r\n"); at != std::string::npos; at = encoded.find("\r\n", start)) {
            shape += std::to_string(at - start) + "/";
            start = at + 2;
        }
        EXPECT_EQ(start, encoded.size()) << "the output ends with a line break";
        EXPECT_EQ(c.shape, shape) << c.bytes << " bytes";
        EXPECT_EQ(plain, TextOf(STRING(encoded.c_str()).DecodeBase64()));
    }
    const std::string all = AllBytes();
    EXPECT_EQ(all, TextOf(FromStd(all).EncodeBase64(true).DecodeBase64()));
    EXPECT_EQ(all, TextOf(FromStd(all).EncodeBase64(false).DecodeBase64()));
}

TEST(BINARY, ToHexWritesTwoLowerCaseDigitsPerByte)
{
    EXPECT_EQ("00ff7f0a41", TextOf(FromStd(std::string("\0\xff\x7f\nA", 5)).ToHex()));
    EXPECT_EQ("", TextOf(BINARY().ToHex()));
    EXPECT_NE(nullptr, BINARY().ToHex().Buffer);
}

TEST(BINARY, SaveAndLoadRoundTripEveryByte)
{
    TEMPFOLDER folder;
    const std::string path = folder.File("all.bin");
    std::string content;
    for (int i = 0; i < 300; i++)
        content += AllBytes();
    STRING data = FromStd(content);
    ASSERT_TRUE(data.Save(path.c_str()));
    EXPECT_EQ(content, ReadWholeFile(path));

    BINARY back;
    back.Make(5, "stale");
    ASSERT_TRUE(back.Load(path.c_str()));
    EXPECT_EQ(content, TextOf(back));
    EXPECT_EQ(131072, back.BlockSize) << "the file size rounded up to 64 KiB";

    BINARY empty;
    ASSERT_TRUE(BINARY().Save(folder.File("empty.bin").c_str()));
    ASSERT_TRUE(empty.Load(folder.File("empty.bin").c_str()));
    EXPECT_NE(nullptr, empty.Buffer) << "an empty file gives an empty, not a NULL, content";
    EXPECT_EQ(0, empty.StrLen);
}

TEST(BINARY, FailedLoadOrSaveReportsFalseAndKeepsTheContent)
{
    TEMPFOLDER folder;
    LOGCAPTURE log;
    BINARY b;
    b.Make(4, "keep");
    const std::string missing = folder.File("missing.bin");
    EXPECT_FALSE(b.Load(missing.c_str()));
    EXPECT_FALSE(b.Load(folder.Path().c_str())) << "a folder is not a file";
    EXPECT_EQ("keep", TextOf(b));
    EXPECT_FALSE(b.Save(folder.File("no/such/folder/x.bin").c_str()));
    EXPECT_FALSE(b.Save(folder.Path().c_str()));
    EXPECT_EQ(2, log.CountLines("BINARY::Load returns"));
    EXPECT_EQ(0, log.CountLines(", OK"));
    EXPECT_EQ(2, log.CountLines("BINARY::Save returns"));
}

#if !defined(_WIN32) && GTEST_HAS_DEATH_TEST
TEST(BINARY, AfterThePoolIsClosedBuffersGoToTheHeap)
{
    // Closing the pool is for good, so it happens in a child process; the sanitizer there watches
    // that no freed lock or pooled block is touched afterwards.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            STRING kept("allocated before");
            BINARY::CloseBufferPool();
            STRING a("small");
            a = "other";
            STRING b(a);
            kept.Free();
            BINARY::CloseBufferPool();
            std::exit(a == b && b == "OTHER" ? 7 : 1);
        },
        ::testing::ExitedWithCode(7), "");
}
#endif

#if !defined(_WIN32)
TEST(BINARY, SaveReportsAWriteThatFailsAfterTheOpen)
{
    // /dev/full accepts the open and fails every write with "no space left".
    BINARY b;
    std::string text(100000, 'z');
    b.Make(static_cast<STRING_SIZE_T>(text.size()), text.data());
    if (!FileExistsForTest("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    EXPECT_FALSE(b.Save("/dev/full"));
    BINARY small;
    small.Make(1, "z");
    EXPECT_FALSE(small.Save("/dev/full")) << "the failure shows only at the flush";
}
#endif

#if defined(_WIN32)
TEST(BINARY, LoadDeniesWritersAndSaveDeniesEveryone)
{
    // Another opener (the runtime's fopen shares everything) holds the file: a reader that
    // denies writers cannot open it while it is open for writing, and a writer that denies
    // everyone cannot open it while anybody has it open.
    TEMPFOLDER folder;
    const std::string path = folder.File("shared.bin");
    BINARY abc;
    abc.Make(3, "abc");
    ASSERT_TRUE(abc.Save(path.c_str()));
    struct CASE {
        const char *otherMode;
        bool loads, saves;
    } cases[] = {{"ab", false, false}, {"rb", true, false}};
    for (const CASE &c : cases) {
        FILE *other = std::fopen(path.c_str(), c.otherMode);
        ASSERT_NE(other, nullptr) << c.otherMode;
        BINARY b;
        EXPECT_EQ(c.loads, b.Load(path.c_str())) << c.otherMode;
        BINARY xyz;
        xyz.Make(3, "xyz");
        EXPECT_EQ(c.saves, xyz.Save(path.c_str())) << c.otherMode;
        std::fclose(other);
    }
    BINARY back;
    ASSERT_TRUE(back.Load(path.c_str()));
    EXPECT_EQ(TextOf(back), "abc");
}
#endif

#if GTEST_HAS_DEATH_TEST
TEST(BINARY, GrowthPastTheLargestBufferStopsTheProgram)
{
    // No buffer above 2 GiB can exist: the program stops in order instead of writing anywhere.
    STOPCHILDFOLDER scratch;
    BINARY b;
    EXPECT_EXIT(
        {
            STOPCHILDFOLDER::InChild();
            b.Make(0x7FFFFFF0);
        },
        ::testing::ExitedWithCode(42), "Add. Info: BINARY::Make");
    EXPECT_EQ(b.StrLen, 0);
}
#endif
