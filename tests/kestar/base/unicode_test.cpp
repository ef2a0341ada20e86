// UNICODE: every byte of every built-in page against the reference codecs, the reverse direction,
// the fallbacks, and the UTF-8 coder with split, overlong and out-of-range input.
#include "kestar/base/unicode.h"

#include <gtest/gtest.h>

#include "kestar/base/logit.h"
#include "kestar/base/wstring.h"
#include "tests/support/tempfolder_support.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct CODECROW {
    int CodePage;
    int Byte;
    int Value; // -1: the codec leaves the byte undefined
};

const CODECROW kCodec[] = {
#include "tests/kestar/base/unicode_expect.inc"
};

// The table rules, written out here on their own: ASCII stays ASCII, an undefined byte and the
// ISO pages' 0x80-0x9F become U+007F.
int ExpectedValue(const CODECROW &row)
{
    if (row.Byte < 0x80)
        return row.Byte;
    if (row.CodePage >= 8860 && row.CodePage <= 8875 && row.Byte <= 0x9F)
        return 0x7F;
    return row.Value < 0 ? 0x7F : row.Value;
}

int ExpectedKorean(int byte)
{
    return byte >= 0x81 && byte <= 0xFE ? 0 : byte;
}

std::u16string Decode(const std::string &bytes, UTF8STATE *state)
{
    std::u16string out;
    UNICODE::Utf8ToWide(bytes.data(), (ptrdiff_t)bytes.size(), state,
                        [](void *context, const char16_t *units, size_t count) {
                            static_cast<std::u16string *>(context)->append(units, count);
                        },
                        &out);
    return out;
}

std::u16string Flush(UTF8STATE *state)
{
    std::u16string out;
    UNICODE::Utf8Flush(state,
                       [](void *context, const char16_t *units, size_t count) {
                           static_cast<std::u16string *>(context)->append(units, count);
                       },
                       &out);
    return out;
}

std::string Hex(const std::u16string &units)
{
    std::string out;
    char buffer[8];
    for (char16_t unit : units) {
        snprintf(buffer, sizeof(buffer), "%04X ", (unsigned)unit);
        out += buffer;
    }
    return out;
}

} // namespace

TEST(UNICODE, TablesInIndexOrder)
{
    const struct {
        int Index;
        const char *Name;
        int CodePage;
    } cases[] = {
        {0, "Latin I", 1252},   {1, "DOS/OEM", 437},         {2, "Central Europe", 1250},
        {3, "Cyrillic", 1251},  {4, "Greek", 1253},          {5, "DOS Greek", 737},
        {6, "DOS Russian", 866}, {7, "DOS Central European (Slavic)", 852},
        {8, "MAC Roman", 999},  {9, "KOI8R", 878},           {10, "Arabic", 1256},
        {11, "Hebrew", 1255},   {12, "DOS Latin1", 850},     {13, "Korean", 949},
        {14, "Turkish", 1254},  {15, "ISO 8859-1", 8860},    {25, "ISO 8859-11", 8870},
        {26, "ISO 8859-13", 8872}, {29, "ISO 8859-16", 8875},
    };
    UNICODE *u = UNICODE::GetInstance();
    EXPECT_EQ(30, u->GetNumTables());
    for (const auto &c : cases) {
        EXPECT_EQ(c.Index, u->GetTableIndex(c.CodePage)) << c.Name;
        const UNICODE::TABLE *table = u->GetTable(c.CodePage);
        ASSERT_NE(nullptr, table) << c.Name;
        EXPECT_STREQ(c.Name, table->Name);
        EXPECT_EQ(c.CodePage == 949 ? 1 : 0, table->DoubleByte) << c.Name;
    }
    for (int cp : {8871, 1000, 932, 0, UNICODE_CPSYSTEM, UNICODE_CPFLAT, UNICODE_CPUTF8}) {
        EXPECT_EQ(-1, u->GetTableIndex(cp)) << cp;
        EXPECT_EQ(nullptr, u->GetTable(cp)) << cp;
    }
}

TEST(UNICODE, EveryByteOfEveryPageMatchesTheReferenceCodec)
{
    UNICODE *u = UNICODE::GetInstance();
    std::map<int, int> bytesPerPage;
    for (const CODECROW &row : kCodec) {
        EXPECT_EQ(ExpectedValue(row), (int)u->ToWide((unsigned char)row.Byte, row.CodePage))
            << "code page " << row.CodePage << " byte " << row.Byte;
        bytesPerPage[row.CodePage]++;
    }
    for (int byte = 0; byte < 256; byte++)
        EXPECT_EQ(ExpectedKorean(byte), (int)u->ToWide((unsigned char)byte, 949)) << byte;
    // Every page with a codec is there whole.
    EXPECT_EQ(29u, bytesPerPage.size());
    for (const auto &page : bytesPerPage)
        EXPECT_EQ(256, page.second) << page.first;
}

TEST(UNICODE, EveryCharacterOfEveryPageConvertsBackToItsFirstByte)
{
    // The byte a character goes back to is the lowest byte of the page that stands for it; this
    // covers the characters past the reverse index too (the Mac Roman logo and ligatures).
    UNICODE *u = UNICODE::GetInstance();
    std::map<int, std::map<int, int>> firstByte; // page -> character -> byte
    for (const CODECROW &row : kCodec) {
        int value = ExpectedValue(row);
        firstByte[row.CodePage].emplace(value, row.Byte);
    }
    for (int byte = 0; byte < 256; byte++)
        firstByte[949].emplace(ExpectedKorean(byte), byte);
    for (const auto &page : firstByte) {
        for (const auto &character : page.second) {
            int expected = character.first < 128 ? character.first : character.second;
            EXPECT_EQ(expected, (int)u->FromWide(character.first, page.first))
                << "code page " << page.first << " U+" << std::hex << character.first;
        }
    }
}

TEST(UNICODE, SingleCharacterEdgeCases)
{
    UNICODE *u = UNICODE::GetInstance();
    const struct {
        unsigned char Byte;
        int CodePage;
        unsigned Expected;
    } toWide[] = {
        {0x80, 1252, 0x20AC}, {0x81, 1252, 0x7F},  {0x80, 1000, 0x20AC}, {0x0D, 437, 0x0D},
        {0x41, 437, 0x41},    {0x41, 949, 0x41},   {0x41, 932, 0x41},    {0x0A, 932, 0x0A},
        {0x80, UNICODE_CPFLAT, 0x80}, {0xFF, UNICODE_CPFLAT, 0xFF},
        {0x80, UNICODE_CPSYSTEM, 0x20AC}, {0xE9, UNICODE_CPSYSTEM, 0xE9},
        {0xC4, 437, 0x2500},  {0xF0, 999, 0xF8FF}, {0xDE, 999, 0xFB01},
    };
    for (const auto &c : toWide)
        EXPECT_EQ(c.Expected, (unsigned)u->ToWide(c.Byte, c.CodePage)) << c.CodePage << " " << (int)c.Byte;

    const struct {
        unsigned Value;
        int CodePage;
        unsigned char Expected;
    } fromWide[] = {
        {0x20AC, 1252, 0x80}, {0x2502, 1252, '|'},  {0x2500, 1252, '-'},  {0x2551, 1252, '"'},
        {0x255D, 1252, '+'},  {0x2554, 8860, '+'},  {0x2500, 437, 0xC4},  {0x41, 932, 0x41},
        {0x20AC, UNICODE_CPFLAT, 0xAC}, {0x20AC, 1000, 0x80}, {0x20AC, UNICODE_CPSYSTEM, 0x80},
        {0xE9, UNICODE_CPSYSTEM, 0xE9}, {0x2502, UNICODE_CPSYSTEM, '|'},
        // A value from 1 to 254 that no page holds stands for itself in the first page.
        {0x81, 1252, 0x81},
        // Past the reverse index: found in its own page, the default character elsewhere.
        {0xF8FF, 999, 0xF0},  {0xFB02, 999, 0xDF},  {0xF8FF, 1252, '?'},
        {0x4E2D, 1252, '?'},  {0x1F600, 1252, '?'}, {0x1F600, 999, '?'},
        {0xD800, 1252, '?'},  {0x110000, 437, '?'},
    };
    for (const auto &c : fromWide)
        EXPECT_EQ(c.Expected, u->FromWide(c.Value, c.CodePage))
            << c.CodePage << " U+" << std::hex << c.Value;
}

// Runs with the log open into a scratch folder, which is also the current folder, so that the
// assertion file lands there.
class UnicodeLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = CurrentFolderForTest();
        ASSERT_TRUE(ChangeFolderForTest(folder.Path()));
        LOGIT::Close();
        ASSERT_EQ(1, LOGIT::HandleSwitch(("/LOGIT:" + folder.File("log.txt")).c_str()));
    }
    void TearDown() override
    {
        LOGIT::Close();
        ChangeFolderForTest(previous);
    }
    std::string Log()
    {
        LOGIT::Close();
        return ReadWholeFile(folder.File("log.txt"));
    }
    static bool Has(const std::string &text, const std::string &part)
    {
        return text.find(part) != std::string::npos;
    }

    TEMPFOLDER folder;
    std::string previous;
};

TEST_F(UnicodeLog, PageWithoutTableReportsAndGivesAtSign)
{
    UNICODE *u = UNICODE::GetInstance();
    EXPECT_EQ(u'@', u->ToWide(0x80, 932));
    EXPECT_EQ(u'@', u->ToWide(0xE9, 8871));
    std::string log = Log();
    EXPECT_TRUE(Has(log, "idx!=-1")) << log;
    EXPECT_TRUE(Has(log, "codepage :932")) << log;
    EXPECT_TRUE(Has(log, "codepage :8871")) << log;
    EXPECT_TRUE(Has(ReadWholeFile(folder.File("assert.log")), "codepage :932"));
}

TEST_F(UnicodeLog, Utf8PageInSingleByteConversionsReports)
{
    UNICODE *u = UNICODE::GetInstance();
    EXPECT_EQ(u'A', u->ToWide('A', UNICODE_CPUTF8));
    EXPECT_EQ(u'@', u->ToWide(0x80, UNICODE_CPUTF8));
    EXPECT_EQ('A', u->FromWide('A', UNICODE_CPUTF8));
    std::string log = Log();
    EXPECT_TRUE(Has(log, "cp!=UNICODE_CPUTF8")) << log;
    EXPECT_FALSE(Has(log, "idx!=-1")) << log;
}

TEST_F(UnicodeLog, BuildingLogsItsSteps)
{
    std::unique_ptr<UNICODE> u(new UNICODE());
    std::string log = Log();
    // The message part of each line, after the "[time:thread] " column.
    std::vector<std::string> bodies;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        std::string line = log.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? log.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t column = line.find("] ");
        bodies.push_back(column == std::string::npos ? line : line.substr(column + 2));
    }
    std::vector<std::string> expected = {"UNICODE::UNICODE", "UNICODE::UNICODE init tables",
                                         "UNICODE::UNICODE init done", "UNICODE::UNICODE done"};
    auto first = std::find(bodies.begin(), bodies.end(), expected[0]);
    ASSERT_NE(bodies.end(), first) << log;
    EXPECT_EQ(expected, std::vector<std::string>(first, first + std::min<size_t>(4, bodies.end() - first))) << log;
    EXPECT_FALSE(Has(log, "ASSERTION")) << log;
}

TEST(UNICODE, EntryAccessorsOfAPrivateBuild)
{
    std::unique_ptr<UNICODE> u(new UNICODE());
    EXPECT_EQ(0x20AC, u->GetEntry(0, 0x80));
    EXPECT_TRUE(u->SetEntry(31, 0x41, 0x263A, 4711));
    EXPECT_EQ(0x263A, u->GetEntry(31, 0x41));
    EXPECT_EQ(0x7F, u->GetEntry(31, 0x42)); // empty entry
    EXPECT_FALSE(u->SetEntry(31, 0x43, 0x263B, 0));
    EXPECT_EQ(0x7F, u->GetEntry(31, 0x43));
}

TEST(UNICODE, Utf8DecodesWholeSplitAndByteByByte)
{
    const struct {
        const char *Name;
        std::string Bytes;
        std::u16string Units;
    } cases[] = {
        {"ascii and two-byte", "A\xC3\xA9", u"A\u00E9"},
        {"lowest two-byte", "\xC2\x80", u"\u0080"},
        {"euro", "\xE2\x82\xAC", u"\u20AC"},
        {"highest 16-bit", "\xEF\xBF\xBF", u"\uFFFF"},
        {"above U+FFFF", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"highest character", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"cut by ascii", "\xC3\x41", u"\u00C3A"},
        {"cut by a lead byte", "\xE2\x82\xC3\xA9", u"\u00E2\u0082\u00E9"},
        {"stray continuation", "\x80z", u"\u0080z"},
        {"overlong NUL", std::string("\xC0\x80", 2), u"\u00C0\u0080"},
        {"overlong slash", "\xE0\x80\xAF", u"\u00E0\u0080\u00AF"},
        {"overlong euro", "\xF0\x82\x82\xAC", u"\u00F0\u0082\u0082\u00AC"},
        {"encoded surrogate", "\xED\xA0\x80", u"\u00ED\u00A0\u0080"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", u"\u00F4\u0090\u0080\u0080"},
        {"five-byte form", "\xF8\x88\x80\x80\x80", u"\u00F8\u0088\u0080\u0080\u0080"},
        {"FE FF", "\xFE\xFF", u"\u00FE\u00FF"},
        {"embedded zero", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const auto &c : cases) {
        UTF8STATE state = {};
        std::u16string whole = Decode(c.Bytes, &state);
        whole += Flush(&state);
        EXPECT_EQ(Hex(c.Units), Hex(whole)) << c.Name << " (one call)";

        std::u16string bytewise;
        state = {};
        for (char byte : c.Bytes)
            bytewise += Decode(std::string(1, byte), &state);
        bytewise += Flush(&state);
        EXPECT_EQ(Hex(c.Units), Hex(bytewise)) << c.Name << " (byte by byte)";

        for (size_t cut = 1; cut < c.Bytes.size(); cut++) {
            state = {};
            std::u16string split = Decode(c.Bytes.substr(0, cut), &state);
            split += Decode(c.Bytes.substr(cut), &state);
            split += Flush(&state);
            EXPECT_EQ(Hex(c.Units), Hex(split)) << c.Name << " (cut at " << cut << ")";
        }
    }
}

TEST(UNICODE, Utf8StateCarriesAnOpenSequenceUntilFlushed)
{
    UTF8STATE state = {};
    EXPECT_EQ(u"", Decode("\xC3", &state));        // U+00E9 split across two calls
    EXPECT_EQ(u"\u00E9", Decode("\xA9", &state));
    EXPECT_EQ(u"", Decode("\xF0\x9F", &state));    // an open sequence at the end of a text
    EXPECT_EQ(Hex(u"\u00F0\u009F"), Hex(Flush(&state)));
    EXPECT_EQ(u"x", Decode("x", &state));          // the flush left a clean state

    UTF8STATE garbage;
    memset(&garbage, 0x5A, sizeof(garbage));       // not a state the decoder leaves behind
    EXPECT_EQ(u"ok", Decode("ok", &garbage));

    std::u16string out;
    state = {};
    int n = UNICODE::Utf8ToWide("\xE2\x82\xAC!", -1, &state,
                                [](void *context, const char16_t *units, size_t count) {
                                    static_cast<std::u16string *>(context)->append(units, count);
                                },
                                &out);
    EXPECT_EQ(2, n);
    EXPECT_EQ(u"\u20AC!", out);
}

TEST(UNICODE, Utf8AppendsToAWideString)
{
    WSTRING text(u"x");
    UTF8STATE state = {};
    EXPECT_EQ(0, UNICODE::Utf8ToWide("\xC3", -1, &text, &state));
    EXPECT_EQ(3, UNICODE::Utf8ToWide("\xA9\xF0\x9F\x98\x80", 5, &text, &state));
    EXPECT_EQ(1, UNICODE::Utf8ToWide("\xE2\x82", 2, &text, &state) + UNICODE::Utf8ToWide("\xAC", 1, &text, &state));
    EXPECT_EQ(0, UNICODE::Utf8ToWide("\xE2\x82", 2, &text, &state));
    EXPECT_EQ(2, UNICODE::Utf8Flush(&state, &text));
    ASSERT_EQ(7, text.Length());
    EXPECT_EQ(Hex(u"x\u00E9\U0001F600\u20AC\u00E2\u0082"), Hex(std::u16string(text.GetBuffer(), text.Length())));

    WSTRING empty;
    state = {};
    EXPECT_EQ(0, UNICODE::Utf8ToWide("", -1, &empty, &state));
    EXPECT_EQ(nullptr, empty.GetBuffer());
}

TEST(UNICODE, WideToUtf8Bytes)
{
    const struct {
        unsigned Value;
        const char *Bytes;
    } cases[] = {
        {0x41, "A"},
        {0x7F, "\x7F"},
        {0xE9, "\xC3\xA9"},
        {0x7FF, "\xDF\xBF"},
        {0x20AC, "\xE2\x82\xAC"},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x1F600, "\xF0\x9F\x98\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
        {0xD800, "\xEF\xBF\xBD"},    // a lone surrogate is no character
        {0x110000, "\xEF\xBF\xBD"},
    };
    for (const auto &c : cases) {
        char out[8];
        memset(out, 'x', sizeof(out));
        int n = UNICODE::WideToUtf8(c.Value, out, sizeof(out));
        EXPECT_EQ((int)strlen(c.Bytes), n) << std::hex << c.Value;
        EXPECT_STREQ(c.Bytes, out) << std::hex << c.Value;
    }
    char small[4];
    EXPECT_EQ(3, UNICODE::WideToUtf8(0x20AC, small, sizeof(small)));
    EXPECT_STREQ("\xE2\x82\xAC", small);
    EXPECT_EQ(0, UNICODE::WideToUtf8(0x1F600, small, sizeof(small)));
    EXPECT_STREQ("", small);
}

TEST(UNICODE, EveryCharacterRoundTripsThroughUtf8)
{
    // UTF-16 text -> code points -> UTF-8 -> UTF-16 text, for every character including the
    // supplementary planes as surrogate pairs.
    std::u16string units;
    std::string utf8;
    for (unsigned value = 0; value <= 0x10FFFF; value++) {
        if (value >= 0xD800 && value <= 0xDFFF)
            continue;
        if (value >= 0x10000) {
            units += (char16_t)(0xD800 + ((value - 0x10000) >> 10));
            units += (char16_t)(0xDC00 + ((value - 0x10000) & 0x3FF));
        } else {
            units += (char16_t)value;
        }
    }
    size_t pos = 0;
    char buffer[8];
    while (pos < units.size()) {
        int n = UNICODE::WideToUtf8(UNICODE::NextCodePoint(units.data(), units.size(), &pos), buffer,
                                    sizeof(buffer));
        ASSERT_GT(n, 0);
        utf8.append(buffer, n);
    }
    UTF8STATE state = {};
    std::u16string back = Decode(utf8, &state);
    EXPECT_EQ(0, state.Expected);
    EXPECT_TRUE(back == units);

    // A lone surrogate in the wide text is read as itself and written as U+FFFD.
    const char16_t lone[] = {u'a', 0xD83D, u'b', 0xDE00};
    pos = 0;
    std::vector<unsigned> read;
    while (pos < 4)
        read.push_back(UNICODE::NextCodePoint(lone, 4, &pos));
    EXPECT_EQ((std::vector<unsigned>{'a', 0xD83D, 'b', 0xDE00}), read);
}
