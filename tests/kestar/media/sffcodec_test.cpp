// SFF files: round trips through the base form, the exact layout written, and the reader's
// behaviour on broken files (fewer pages or none, never a read past the data; the native build
// runs these under AddressSanitizer with every input in an allocation of its exact size).
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>

#include "kestar/media/sffcodec.h"
#include "tests/support/faxpages_support.h"

using faxtest::Page;

namespace {

std::vector<uint8_t> ToSff(const std::vector<Page> &pages, int *written = nullptr)
{
    std::vector<uint8_t> base = faxtest::ToBase(pages);
    std::vector<uint8_t> sff;
    int n = SFFCODEC::Bmp2Sff(base.data(), base.size(), sff);
    if (written)
        *written = n;
    return sff;
}

// Decodes from a copy in an allocation of exactly the data's size.
std::vector<uint8_t> DecodeBase(const std::vector<uint8_t> &sff, int *pages,
                                size_t maxbytes = SFFCODEC::kDefaultMaxBaseBytes)
{
    std::unique_ptr<uint8_t[]> copy(new uint8_t[sff.size() ? sff.size() : 1]);
    if (!sff.empty())
        std::memcpy(copy.get(), sff.data(), sff.size());
    std::vector<uint8_t> base;
    *pages = SFFCODEC::Sff2Bmp(sff.empty() ? nullptr : copy.get(), sff.size(), base, maxbytes);
    return base;
}

std::vector<Page> Decode(const std::vector<uint8_t> &sff)
{
    int n = 0;
    std::vector<uint8_t> base = DecodeBase(sff, &n);
    std::vector<Page> pages = faxtest::FromBase(base);
    EXPECT_EQ((int)pages.size(), n) << "the base form must hold exactly the pages reported";
    return pages;
}

// What survives a round trip: trailing white lines are not written to SFF.
Page WithoutTrailingWhite(Page p)
{
    size_t step = p.Fine ? 1 : 2;
    while (p.Rows.size() >= step) {
        const std::vector<uint8_t> &top = p.Rows[p.Rows.size() - step];
        bool white = true;
        for (uint8_t b : top)
            white = white && b == 0;
        if (!white)
            break;
        p.Rows.resize(p.Rows.size() - step);
    }
    return p;
}

// Hand-made SFF files.
struct SffBuilder {
    std::vector<uint8_t> b;
    SffBuilder(uint16_t firstpage = 20)
    {
        const uint8_t h[20] = {'S', 'f', 'f', 'f', 1, 0, 0, 0, 0, 0,
                               (uint8_t)firstpage, (uint8_t)(firstpage >> 8)};
        b.assign(h, h + 20);
    }
    SffBuilder &PageHeader(int width, int vres = 1, int rest = 16)
    {
        b.push_back(254);
        b.push_back((uint8_t)rest);
        std::vector<uint8_t> f((size_t)rest, 0);
        if (rest >= 1)
            f[0] = (uint8_t)vres;
        if (rest >= 6) {
            f[4] = (uint8_t)width;
            f[5] = (uint8_t)(width >> 8);
        }
        b.insert(b.end(), f.begin(), f.end());
        return *this;
    }
    SffBuilder &Line(const std::vector<uint8_t> &code)
    {
        if (code.size() <= 216) {
            b.push_back((uint8_t)code.size());
        } else {
            b.push_back(0);
            b.push_back((uint8_t)code.size());
            b.push_back((uint8_t)(code.size() >> 8));
        }
        b.insert(b.end(), code.begin(), code.end());
        return *this;
    }
    SffBuilder &Bytes(std::initializer_list<uint8_t> bytes)
    {
        b.insert(b.end(), bytes);
        return *this;
    }
    SffBuilder &End() { return Bytes({254, 0}); }
};

// White 3, black 1, white to 1728: a line with one black pixel at x = 3.
std::vector<uint8_t> DotLine()
{
    return faxtest::PackBits("1000 010 011000 01001011");
}

} // namespace

TEST(SFFCODEC, RoundTripsPagesThroughTheBaseForm)
{
    Page normal = faxtest::RandomRuns(1728, 30, 7, false);
    for (int y = 0; y + 1 < normal.Height(); y += 2)
        normal.Rows[y + 1] = normal.Rows[y]; // the base form holds normal lines twice
    Page gaps = faxtest::RandomRuns(2048, 120, 9);
    for (int y = 10; y < 100; y++)
        gaps.Rows[y].assign(gaps.Rows[y].size(), 0); // 90 empty lines: 37 + 37 + 16
    Page wide(5184, 3);
    wide.Fill(3000, 3001, 0); // a white run of 3000 pixels, longer than any makeup code
    wide.Fill(0, 2700, 1);    // a black run of 2700
    wide.Fill(2700, 5184, 2); // white 2700, black to the end
    const std::vector<Page> pages = {faxtest::RandomRuns(1728, 100, 1), normal,
                                     faxtest::Alternating(2432, 40), gaps, wide,
                                     faxtest::WhiteRunThenBlack(1728, 1000),
                                     // Narrow pages are converted too (after an assertion).
                                     faxtest::RandomRuns(13, 5, 4), faxtest::RandomRuns(1700, 9, 5)};
    int written = 0;
    std::vector<uint8_t> sff = ToSff(pages, &written);
    EXPECT_EQ(written, (int)pages.size());
    std::vector<Page> back = Decode(sff);
    ASSERT_EQ(back.size(), pages.size());
    for (size_t i = 0; i < pages.size(); i++)
        EXPECT_TRUE(back[i] == WithoutTrailingWhite(pages[i]))
            << "page " << i << ": " << faxtest::Describe(back[i]) << " vs "
            << faxtest::Describe(pages[i]);
    // Coding the decoded pages again gives the same file.
    EXPECT_EQ(ToSff(back), sff);
}

TEST(SFFCODEC, WritesTheSffLayout)
{
    struct Case {
        bool fine;
        std::vector<uint8_t> expected;
    };
    // 80 rows: 40 white, the dot line, 39 white (37 written as one run, 2 left pending at the
    // end of the page).  At normal resolution only rows 0, 2, 4, ... are taken: 20 white, the
    // dot line (row 40), 19 white left pending.
    Page p(1728, 80);
    p.Set(3, 40);
    std::vector<uint8_t> dot = DotLine();
    const uint8_t doc[20] = {'S', 'f', 'f', 'f', 1, 0, 0, 0, 0, 0, 20, 0};
    auto expect = [&](bool fine, std::initializer_list<uint8_t> runs,
                      std::initializer_list<uint8_t> after) {
        std::vector<uint8_t> v(doc, doc + 20);
        const uint8_t head[18] = {254, 16, (uint8_t)(fine ? 1 : 0), 0, 0, 0, 0xC0, 0x06};
        v.insert(v.end(), head, head + 18);
        v.insert(v.end(), runs);
        v.push_back((uint8_t)dot.size());
        v.insert(v.end(), dot.begin(), dot.end());
        v.insert(v.end(), after);
        v.push_back(254);
        v.push_back(0);
        return v;
    };
    const Case cases[] = {
        {true, expect(true, {253, 219}, {253})}, // 37 + 3 empty lines; 37 of 39 after
        {false, expect(false, {236}, {})},       // 20 empty lines
    };
    for (const Case &c : cases) {
        p.Fine = c.fine;
        EXPECT_EQ(ToSff({p}), c.expected) << (c.fine ? "fine" : "normal");
    }
    // No pages: just the document header and its end.
    std::vector<uint8_t> none(doc, doc + 20);
    none.push_back(254);
    none.push_back(0);
    EXPECT_EQ(ToSff({}), none);
}

TEST(SFFCODEC, LongCodedLinesUseTheEscapedCount)
{
    // Find lines whose code is exactly 216 and 217 bytes long: black pixels at every odd x
    // below n, white after.
    int found = 0;
    for (int n = 300; n < 1728 && found != 3; n++) {
        Page p(1728, 1);
        for (int x = 1; x < n; x += 2)
            p.Set(x, 0);
        std::vector<uint8_t> sff = ToSff({p});
        size_t at = 20 + 18;
        // The record starts right after the page header.
        if (sff[at] == 216 && !(found & 1)) {
            EXPECT_EQ(sff.size(), at + 1 + 216 + 2);
            EXPECT_TRUE(Decode(sff).at(0) == p) << n;
            found |= 1;
        }
        if (sff[at] == 0 && sff[at + 1] == 217 && sff[at + 2] == 0 && !(found & 2)) {
            EXPECT_EQ(sff.size(), at + 3 + 217 + 2);
            EXPECT_TRUE(Decode(sff).at(0) == p) << n;
            found |= 2;
        }
    }
    EXPECT_EQ(found, 3) << "no line of 216 or 217 coded bytes found";
}

// A line that starts with runs coding to the bytes "fff" (white 709, black 2, white 62, then
// the first bit of the next code, a 0), or to "ff" and something else when the first run is
// 710, followed by `pairs` pairs of black 1 and white 2 (7 bits each, so every byte count is
// reached), white to the end.
Page FffLine(int firstwhite, int pairs)
{
    Page p(1728, 1);
    int x = firstwhite;
    p.Fill(x, x + 2, 0);
    x += 2 + 62;
    for (int i = 0; i < pairs && x < 1728 - 3; i++, x += 3)
        p.Set(x, 0);
    return p;
}

TEST(SFFCODEC, LinesThatWouldReadAsADocumentHeaderAreEscaped)
{
    // A line of 83 coded bytes has the one-byte record 0x53, "S": when its code begins with
    // "fff" the record reads as "Sfff", the header of a further document, and the rest of the
    // page would be lost.  Only that line takes the escaped count 0, 83, 0.
    struct Case {
        int firstwhite;
        size_t bytes;
        bool escaped;
    };
    const Case cases[] = {
        {709, 83, true},  // "Sfff"
        {709, 82, false}, // "Rfff"
        {709, 84, false}, // "Tfff"
        {710, 83, false}, // "Sff" and another byte
    };
    for (const Case &c : cases) {
        bool found = false;
        for (int pairs = 0; pairs < 300 && !found; pairs++) {
            Page p = FffLine(c.firstwhite, pairs);
            std::vector<uint8_t> sff = ToSff({p});
            const size_t at = 20 + 18; // the line record follows the page header
            size_t header = c.escaped ? 3 : 1;
            if (sff.size() != at + header + c.bytes + 2)
                continue;
            found = true;
            std::vector<uint8_t> code(sff.begin() + (long)(at + header), sff.end() - 2);
            EXPECT_EQ(std::memcmp(code.data(), "fff", 3) == 0, c.firstwhite == 709) << c.bytes;
            if (c.escaped) {
                EXPECT_EQ(sff[at], 0);
                EXPECT_EQ(sff[at + 1], 83);
                EXPECT_EQ(sff[at + 2], 0);
            } else {
                EXPECT_EQ(sff[at], c.bytes);
            }
            std::vector<Page> back = Decode(sff);
            ASSERT_EQ(back.size(), 1u) << c.firstwhite << " " << c.bytes;
            EXPECT_TRUE(back[0] == p) << faxtest::Describe(back[0]);
        }
        EXPECT_TRUE(found) << "no line of " << c.bytes << " coded bytes starting with white "
                           << c.firstwhite << (c.escaped ? " (escaped)" : "");
    }
}

// A file that another program could write: its page is one line of 83 coded bytes starting with
// "fff" (also a seed of the SFF fuzz target).  Rewriting it must keep the page.
TEST(SFFCODEC, TheLineThatReadsAsAHeaderSurvivesARoundTrip)
{
    std::ifstream in(PLX_SOURCE_DIR "/tests/fuzz/sff/line-reads-as-header", std::ios::binary);
    ASSERT_TRUE(in.good());
    std::vector<uint8_t> fixture((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<Page> pages = Decode(fixture);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].Width, 1730);
    EXPECT_EQ(pages[0].Height(), 1);
    std::vector<uint8_t> rewritten = ToSff(pages);
    std::vector<Page> back = Decode(rewritten);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_TRUE(back[0] == pages[0]) << faxtest::Describe(back[0]) << " vs "
                                     << faxtest::Describe(pages[0]);
}

TEST(SFFCODEC, NormalResolutionLinesAreDoubled)
{
    std::vector<uint8_t> dot = DotLine();
    std::vector<uint8_t> sff =
        SffBuilder().PageHeader(1728, 0).Line(dot).Bytes({218}).Line(dot).End().b;
    int n = 0;
    std::vector<uint8_t> base = DecodeBase(sff, &n);
    ASSERT_EQ(n, 1);
    std::vector<Page> pages = faxtest::FromBase(base);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_FALSE(pages[0].Fine);
    EXPECT_EQ(faxtest::Get16(base, 6), 0); // bfReserved1: normal resolution
    ASSERT_EQ(pages[0].Height(), 8);       // 4 lines, each twice
    for (int y = 0; y < 8; y++)
        EXPECT_EQ(pages[0].Get(3, y), y < 2 || y >= 6) << y;
    // Coding it again takes every second row and gives the same file.
    EXPECT_EQ(ToSff(pages), sff);
}

TEST(SFFCODEC, ReadsWhatOtherWritersProduce)
{
    std::vector<uint8_t> dot = DotLine();
    struct Case {
        const char *name;
        std::vector<uint8_t> sff;
        std::vector<int> heights; // rows per decoded page
    };
    const Case cases[] = {
        // A page header longer than ours is skipped by its length byte.
        {"long page header",
         SffBuilder().PageHeader(1728, 1, 40).Line(dot).End().b, {1}},
        // The document header may put the first page further on.
        {"first page offset",
         SffBuilder(24).Bytes({9, 9, 9, 9}).PageHeader(1728).Line(dot).End().b, {1}},
        // 255 0 is an unusable line (white); 255 n carries n bytes of user information.
        {"user information",
         SffBuilder().PageHeader(1728).Bytes({255, 0, 255, 3, 1, 2, 3}).Line(dot).End().b, {2}},
        // A zero-length line is a white line.
        {"empty record", SffBuilder().PageHeader(1728).Bytes({0, 0, 0}).Line(dot).End().b, {2}},
        {"two pages",
         SffBuilder().PageHeader(1728).Line(dot).PageHeader(2048).Line(dot).Line(dot).End().b,
         {1, 2}},
        // No end marker: the data end ends the page.
        {"no end", SffBuilder().PageHeader(1728).Line(dot).Line(dot).b, {2}},
        {"first page header ends the document", SffBuilder().End().b, {}},
        {"page without lines", SffBuilder().PageHeader(1728).End().b, {0}},
    };
    for (const Case &c : cases) {
        std::vector<Page> pages = Decode(c.sff);
        ASSERT_EQ(pages.size(), c.heights.size()) << c.name;
        for (size_t i = 0; i < pages.size(); i++)
            EXPECT_EQ(pages[i].Height(), c.heights[i]) << c.name << " page " << i;
    }
}

TEST(SFFCODEC, GluedDocumentsKeepEveryPage)
{
    std::vector<uint8_t> dot = DotLine();
    // A second document follows the lines of the first page instead of an end marker: the
    // rows read so far stay a page, and the second document's page follows.
    std::vector<uint8_t> sff = SffBuilder().PageHeader(1728).Line(dot).Line(dot).b;
    std::vector<uint8_t> second = SffBuilder().PageHeader(2432).Line(dot).End().b;
    sff.insert(sff.end(), second.begin(), second.end());
    std::vector<Page> pages = Decode(sff);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].Width, 1728);
    EXPECT_EQ(pages[0].Height(), 2);
    EXPECT_EQ(pages[1].Width, 2432);
    EXPECT_EQ(pages[1].Height(), 1);
}

TEST(SFFCODEC, BrokenFilesGiveFewerPagesOrNone)
{
    std::vector<uint8_t> dot = DotLine();
    auto good = [&]() {
        return SffBuilder().PageHeader(1728).Line(dot).Line(dot).PageHeader(1728).Line(dot);
    };
    struct Case {
        const char *name;
        std::vector<uint8_t> sff;
        int pages;
    };
    std::vector<uint8_t> badcount = good().b;
    badcount.push_back(200); // a line of 200 bytes, 3 present
    badcount.insert(badcount.end(), {0x11, 0x22, 0x33});
    std::vector<uint8_t> badescape = good().Bytes({0, 0xFF, 0xFF, 1, 2}).b;
    std::vector<uint8_t> cutescape = good().Bytes({0, 5}).b;
    std::vector<uint8_t> baduser = good().Bytes({255, 200, 1}).b;
    std::vector<uint8_t> decodeerror =
        SffBuilder().PageHeader(1728).Line(dot).Line({0, 0, 0x80}).Line(dot)
            .PageHeader(1728).Line(dot).End().b;
    std::vector<uint8_t> noid = SffBuilder().PageHeader(1728).Line(dot).End().b;
    noid[0] = 's';
    const Case cases[] = {
        {"empty", {}, 0},
        {"shorter than a document header", {'S', 'f', 'f', 'f', 1, 0}, 0},
        {"no identifier", noid, 0},
        {"first page past the data", SffBuilder(0xFFFF).PageHeader(1728).Line(dot).End().b, 0},
        {"first page inside the header", SffBuilder(2).PageHeader(1728).Line(dot).End().b, 0},
        {"first page at the last byte", SffBuilder(37).PageHeader(1728).b, 0},
        {"page header cut short", SffBuilder().Bytes({254, 16, 1, 0, 0}).b, 0},
        {"page header too short for the line length",
         SffBuilder().PageHeader(1728, 1, 4).Line(dot).End().b, 0},
        {"line length 0", SffBuilder().PageHeader(0).Line(dot).End().b, 0},
        {"line count past the data", badcount, 2},
        {"escaped count past the data", badescape, 2},
        {"escaped count cut short", cutescape, 2},
        {"user information past the data", baduser, 2},
        {"decoder error ends after its page", decodeerror, 1},
    };
    for (const Case &c : cases) {
        std::vector<Page> pages = Decode(c.sff);
        EXPECT_EQ((int)pages.size(), c.pages) << c.name;
    }
    // The decoder error keeps the rows before it, the broken line as far as it went.
    std::vector<Page> pages = Decode(decodeerror);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].Height(), 2);
}

TEST(SFFCODEC, EveryTruncationAndRandomDamageStaysInsideTheData)
{
    Page page = faxtest::RandomRuns(1728, 12, 3);
    page.Rows[5].assign(page.Rows[5].size(), 0);
    std::vector<uint8_t> sff = ToSff({page, faxtest::Alternating(1728, 3), page});
    int full = 0;
    DecodeBase(sff, &full);
    ASSERT_EQ(full, 3);
    for (size_t len = 0; len <= sff.size(); len++) {
        std::vector<uint8_t> cut(sff.begin(), sff.begin() + len);
        int n = 0;
        std::vector<uint8_t> base = DecodeBase(cut, &n);
        ASSERT_LE(n, full) << len;
        ASSERT_EQ((int)faxtest::FromBase(base).size(), n) << len;
    }
    std::mt19937 rng(42);
    for (int round = 0; round < 2000; round++) {
        std::vector<uint8_t> damaged = sff;
        int flips = 1 + (int)(rng() % 8);
        for (int i = 0; i < flips; i++)
            damaged[rng() % damaged.size()] = (uint8_t)rng();
        int n = 0;
        std::vector<uint8_t> base = DecodeBase(damaged, &n, 8u << 20);
        ASSERT_EQ((int)faxtest::FromBase(base).size(), n) << round;
    }
}

TEST(SFFCODEC, HugePagesStopAtTheSizeLimit)
{
    // Ten bytes claiming 370 empty lines of a page 65535 pixels wide (3 MB).
    SffBuilder b;
    b.PageHeader(65535);
    for (int i = 0; i < 10; i++)
        b.Bytes({253});
    b.PageHeader(1728).Line(DotLine()).End();
    const size_t limit = 1u << 20;
    int n = 0;
    std::vector<uint8_t> base = DecodeBase(b.b, &n, limit);
    EXPECT_LE(base.size(), limit);
    ASSERT_EQ(n, 1); // the page is cut and decoding ends
    std::vector<Page> pages = faxtest::FromBase(base);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].Width, 65535);
    EXPECT_GT(pages[0].Height(), 100);
    EXPECT_LT(pages[0].Height(), 370);
    // Under the default limit the whole page is there.
    std::vector<Page> whole = faxtest::FromBase(DecodeBase(b.b, &n));
    ASSERT_EQ(n, 2);
    EXPECT_EQ(whole.at(0).Height(), 370);
}
