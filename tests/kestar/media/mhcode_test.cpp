// Modified Huffman line coding: the tables, exact codes of known lines (including runs beyond
// 2623 pixels), round trips of many widths, and a decoder that never writes past its row.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "kestar/media/mhcode.h"
#include "tests/support/faxpages_support.h"

using faxtest::PackBits;
using faxtest::Page;

namespace {

std::vector<uint8_t> Encode(const Page &p, int y)
{
    std::vector<uint8_t> out;
    MHCODE::EncodeRow(p.Rows[y].data(), p.Width, out);
    return out;
}

// Decodes into a row allocated at its exact size, so that ASan sees any write past it.
std::vector<uint8_t> Decode(const std::vector<uint8_t> &code, int width, MHCODE::RESULT *result,
                            int *linepos = nullptr)
{
    size_t bytes = ((size_t)width + 7) / 8;
    std::unique_ptr<uint8_t[]> row(new uint8_t[bytes]());
    std::unique_ptr<uint8_t[]> in(new uint8_t[code.size() ? code.size() : 1]);
    if (!code.empty())
        std::memcpy(in.get(), code.data(), code.size());
    *result = MHCODE::DecodeRow(in.get(), code.size(), row.get(), width, linepos);
    return std::vector<uint8_t>(row.get(), row.get() + bytes);
}

} // namespace

TEST(MHCODE, TablesArePrefixFreeAndCoverEveryRun)
{
    const MHCODE::CODE *tables[2] = {MHCODE::WhiteTable(), MHCODE::BlackTable()};
    for (int colour = 0; colour < 2; colour++) {
        std::set<std::string> codes;
        std::map<int, int> kinds; // run -> kind
        for (const MHCODE::CODE *c = tables[colour]; c->Kind != MHCODE::KIND_END; c++) {
            EXPECT_TRUE(codes.insert(c->Bits).second) << c->Bits;
            EXPECT_TRUE(kinds.emplace(c->Run, c->Kind).second) << c->Run;
        }
        for (const std::string &a : codes) {
            for (const std::string &b : codes) {
                if (a != b) {
                    EXPECT_NE(b.compare(0, a.size(), a), 0) << a << " is a prefix of " << b;
                }
            }
        }
        int term = colour ? MHCODE::KIND_BLACK_TERM : MHCODE::KIND_WHITE_TERM;
        int makeup = colour ? MHCODE::KIND_BLACK_MAKEUP : MHCODE::KIND_WHITE_MAKEUP;
        for (int run = 0; run < 64; run++)
            EXPECT_EQ(kinds[run], term) << run;
        for (int run = 64; run <= 1728; run += 64)
            EXPECT_EQ(kinds[run], makeup) << run;
        for (int run = 1792; run <= 2560; run += 64)
            EXPECT_EQ(kinds[run], MHCODE::KIND_EXT_MAKEUP) << run;
        EXPECT_EQ(kinds.size(), 64u + 27u + 13u);
    }
}

TEST(MHCODE, EncodesKnownLinesExactly)
{
    struct Case {
        const char *name;
        Page page;
        const char *bits;
    };
    Page blackfirst(16, 1);
    blackfirst.Fill(0, 3, 0); // black 3, white 13
    Page mixed(1728, 1);
    mixed.Fill(100, 110, 0); // white 100, black 10, white 1618
    Page allblack(6000, 1);
    allblack.Fill(0, 6000, 0);
    Case cases[] = {
        {"all white A4", Page(1728, 1), "010011011 00110101"},
        // A line that starts black begins with the white code for a run of 0.
        {"black first", blackfirst, "00110101 10 000011"},
        {"mixed", mixed, "11011 00010101 0000100 010011010 0100111"},
        // 2624 and more: repeated 2560 codes, then makeup and terminating code.
        {"white 2624", Page(2624, 1), "000000011111 11011 00110101"},
        {"white 5000", Page(5000, 1), "000000011111 000000011101 10011"},
        {"black 6000", allblack,
         "00110101 000000011111 000000011111 0000001001101 000001100100"},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> got = Encode(c.page, 0);
        EXPECT_EQ(got, PackBits(c.bits)) << c.name;
        EXPECT_LE(got.size(), MHCODE::MaxCodedBytes(c.page.Width)) << c.name;
    }
}

TEST(MHCODE, RoundTripsRowsOfManyWidths)
{
    const int widths[] = {1, 7, 8, 9, 63, 64, 65, 1728, 2048, 2432, 2623, 2624, 2625, 5184, 8000,
                          65535};
    for (int width : widths) {
        std::vector<Page> pages = {faxtest::RandomRuns(width, 4, (uint32_t)width),
                                   faxtest::Alternating(width, 2), Page(width, 1)};
        Page black(width, 1);
        black.Fill(0, width, 0);
        pages.push_back(black);
        for (const Page &p : pages) {
            for (int y = 0; y < p.Height(); y++) {
                std::vector<uint8_t> code = Encode(p, y);
                ASSERT_LE(code.size(), MHCODE::MaxCodedBytes(width)) << width;
                MHCODE::RESULT r;
                int linepos = -1;
                std::vector<uint8_t> row = Decode(code, width, &r, &linepos);
                EXPECT_EQ(r, MHCODE::DECODE_OK) << width << " row " << y;
                EXPECT_EQ(linepos, width);
                EXPECT_EQ(row, p.Rows[y]) << "width " << width << " row " << y;
            }
        }
    }
}

TEST(MHCODE, DecoderStaysInsideItsRowAndReportsBrokenCodes)
{
    MHCODE::RESULT r;
    int linepos = 0;
    struct Case {
        const char *name;
        const char *bits;
        int width;
        MHCODE::RESULT result;
        int linepos;
        const char *row; // expected pixels as '0'/'1', MSB first
    };
    const Case cases[] = {
        // A black run that passes the line end is cut at the width.
        {"black overshoot", "0111 0000111", 10, MHCODE::DECODE_OK, 10, "0011111111"},
        // Bits after a complete line are skipped, even if they are no code.
        {"junk after line", "1011 11 00000000 00000001", 6, MHCODE::DECODE_OK, 6, "000011"},
        // A record that ends early leaves the rest of the row white.
        {"short record", "1000 010", 12, MHCODE::DECODE_OK, 4, "000100000000"},
        // Zero fill up to the end of the record is accepted.
        {"zero fill", "1000 010 00000000000000000", 12, MHCODE::DECODE_OK, 4, "000100000000"},
        // A run of zeros followed by a one is no code: a decoder error.
        {"no such code", "1000 0000000000000001", 12, MHCODE::DECODE_ERROR, 3, "000000000000"},
        // An extended makeup code keeps the colour; the terminating code after it switches.
        {"makeup then end", "00000001000 00110101 010", 1793, MHCODE::DECODE_OK, 1793, nullptr},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> row = Decode(PackBits(c.bits), c.width, &r, &linepos);
        EXPECT_EQ(r, c.result) << c.name;
        EXPECT_EQ(linepos, c.linepos) << c.name;
        if (c.row) {
            std::string got;
            for (int x = 0; x < c.width; x++)
                got += ((row[x >> 3] >> (7 - (x & 7))) & 1) ? '1' : '0';
            EXPECT_EQ(got, c.row) << c.name;
        }
    }
    // An empty record decodes to a white row.
    std::vector<uint8_t> row = Decode({}, 1728, &r, &linepos);
    EXPECT_EQ(r, MHCODE::DECODE_OK);
    EXPECT_EQ(row, std::vector<uint8_t>(216, 0));
}
