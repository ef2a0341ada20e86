// OCRCHIE: commands between "@@" markers read from rendered fax pages, through TIFF files as the
// client writes them and from bitmaps; pages it must refuse; libtiff's handlers left as found.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "client/ocrchie.h"
#include "tests/client/ocrpages_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/tempfolder_support.h"

using faxtest::Page;
using ocrtest::GlyphStyle;

namespace {

const int kFaxWidth = 1728;

struct COMMAND {
    std::string Text;
    OCRBOX Box;
};

std::vector<COMMAND> CommandsOf(OCRCHIE &ocr)
{
    std::vector<COMMAND> all;
    COMMAND c;
    STRING text;
    while (ocr.GetNextCommand(text, c.Box)) {
        c.Text = (const char *)text;
        all.push_back(c);
    }
    return all;
}

std::string Describe(const std::vector<COMMAND> &commands)
{
    std::string s;
    for (const COMMAND &c : commands)
        s += "\"" + c.Text + "\" (" + std::to_string(c.Box.Left) + "," + std::to_string(c.Box.Top) + ")-(" +
             std::to_string(c.Box.Right) + "," + std::to_string(c.Box.Bottom) + ") ";
    return s.empty() ? "none" : s;
}

OCRBOX Span(const std::vector<OCRBOX> &glyphs, int first, int last)
{
    OCRBOX box;
    box.Left = glyphs[first].Left;
    box.Top = glyphs[first].Top;
    box.Right = glyphs[last].Right;
    box.Bottom = glyphs[last].Bottom;
    return box;
}

bool operator==(const OCRBOX &a, const OCRBOX &b)
{
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

// Two bits off "T" (ink in the bottom corners), nearer to "T" than to any other entry.
const uint64_t kSmudgedT = ocrtest::TablePattern('T') | (1ull << (7 * 7 + 0)) | (1ull << (7 * 8 + 6));

struct PAGECASE {
    const char *Name;
    int X;
    std::string Text;
    GlyphStyle Style;
    // The commands expected: text and the first and last glyph of the box.
    std::vector<std::tuple<std::string, int, int>> Expected;
};

} // namespace

TEST(OCRCHIE, ReadsTheCommandsOfPages)
{
    const GlyphStyle cells = ocrtest::Cells(3);
    const std::vector<PAGECASE> cases = {
        {"a number between markers", 40, "@@TO123@@", cells, {{"TO123", 0, 8}}},
        {"three markers", 40, "@@X@@Y@@", cells, {{"X", 0, 4}}},
        {"four markers", 40, "@@A@@B@@C@@", cells, {{"A", 0, 4}, {"C", 6, 10}}},
        {"signs", 40, "@@A-B_C@@", cells, {{"A-B_C", 0, 8}}},
        {"larger cells", 40, "@@TO123@@", ocrtest::Cells(6), {{"TO123", 0, 8}}},
        {"in the right half", kFaxWidth / 2 + 8, "@@TO123@@", cells, {}},
        {"from the left into the right half", kFaxWidth / 2 - 30, "@@TO123@@", cells, {{"TO123", 0, 8}}},
        {"12 rows high", 40, "@@TO@@", GlyphStyle{1, 12, 1}, {{"TO", 0, 5}}},
        {"11 rows high", 40, "@@TO@@", GlyphStyle{1, 11, 1}, {}},
        {"two glyphs 2 bits off", 40, "@@tt@@", cells, {{"TT", 0, 5}}},
        {"no markers", 40, "TO123", cells, {}},
    };
    TEMPFOLDER dir;
    for (const PAGECASE &c : cases) {
        SCOPED_TRACE(c.Name);
        Page page(kFaxWidth, 120);
        std::vector<OCRBOX> glyphs = ocrtest::DrawText(page, c.X, 30, c.Text, c.Style, {{'t', kSmudgedT}});
        const std::string path = dir.File("page.tif");
        ASSERT_TRUE(ocrtest::WriteTiff(path, page));
        OCRCHIE ocr(path.c_str());
        std::vector<COMMAND> found = CommandsOf(ocr);
        ASSERT_EQ(found.size(), c.Expected.size()) << Describe(found);
        EXPECT_EQ(ocr.Count(), (int)found.size());
        for (size_t i = 0; i < found.size(); i++) {
            EXPECT_EQ(found[i].Text, std::get<0>(c.Expected[i]));
            EXPECT_TRUE(found[i].Box == Span(glyphs, std::get<1>(c.Expected[i]), std::get<2>(c.Expected[i])))
                << Describe(found);
        }
        STRING text("unchanged");
        OCRBOX box;
        EXPECT_EQ(ocr.GetNextCommand(text, box), 0);
        EXPECT_EQ(STRING(text), "unchanged");
    }
}

TEST(OCRCHIE, ReadsLinesFromTheTopAndLogsWhatItFinds)
{
    Page page(kFaxWidth, 200);
    std::vector<OCRBOX> first = ocrtest::DrawText(page, 100, 20, "@@TO123@@", ocrtest::Cells(3));
    std::vector<OCRBOX> second = ocrtest::DrawText(page, 10, 120, "@@FAX@@", ocrtest::Cells(4));
    TEMPFOLDER dir;
    const std::string path = dir.File("page.tif");
    ASSERT_TRUE(ocrtest::WriteTiff(path, page));

    LOGCAPTURE log;
    OCRCHIE ocr(path.c_str());
    std::vector<COMMAND> found = CommandsOf(ocr);
    ASSERT_EQ(found.size(), 2u) << Describe(found);
    EXPECT_EQ(found[0].Text, "TO123");
    EXPECT_TRUE(found[0].Box == Span(first, 0, 8));
    EXPECT_EQ(found[1].Text, "FAX");
    EXPECT_TRUE(found[1].Box == Span(second, 0, 6));

    const std::string &text = log.Text();
    size_t at = 0;
    for (const char *line : {"OCRCHIE::OCRCHIE constructor", "OCRCHIE::OCRCHIE dict sucessfully loaded",
                             "OCRCHIE::OCRCHIE found command=TO123", "OCRCHIE::OCRCHIE found command=FAX",
                             "OCRCHIE::OCRCHIE ~constructor"}) {
        size_t found = text.find(std::string("] ") + line, at);
        ASSERT_NE(found, std::string::npos) << line << " in " << text;
        at = found + 2 + std::strlen(line);
        EXPECT_TRUE(text[at] == '\r' || text[at] == '\n') << line;
    }
}

// Every character of the table reads back in both of its drawings, through the feature's
// threshold at several cell sizes.
TEST(OCRCHIE, ReadsEveryCharacterOfTheTable)
{
    const std::string all = ocrtest::TableCharacters();
    ASSERT_EQ(all.size(), 56u);
    for (int drawing = 0; drawing < 2; drawing++) {
        std::map<char, uint64_t> patterns;
        std::string inner;
        for (char c : all) {
            patterns[c] = ocrtest::TablePattern(c, drawing);
            // Patterns that leave an edge column empty give a narrower box and another feature.
            if (c != '@' && ocrtest::FillsAllColumns(patterns[c]))
                inner += c;
        }
        ASSERT_GE(inner.size(), 40u);
        for (int k : {3, 4, 7}) {
            SCOPED_TRACE("drawing " + std::to_string(drawing) + ", cells of " + std::to_string(k));
            Page page((int)(inner.size() + 4) * 8 * k + 40, 12 * k);
            ocrtest::DrawText(page, 10, k, "@@" + inner + "@@", ocrtest::Cells(k), patterns);
            OCRBITMAP bitmap;
            ocrtest::ToBitmap(page, bitmap);
            OCRCHIE ocr(bitmap);
            std::vector<COMMAND> found = CommandsOf(ocr);
            ASSERT_EQ(found.size(), 1u);
            EXPECT_EQ(found[0].Text, inner);
        }
    }
}

TEST(OCRCHIE, KeepsSixtyFourCommandsAndLogsTheRest)
{
    // 65 marker pairs on five lines of 13.
    Page page(kFaxWidth, 240);
    std::vector<std::string> texts;
    for (int line = 0; line < 5; line++) {
        std::string text;
        for (int pair = 0; pair < 13; pair++) {
            texts.push_back(std::string(1, (char)('0' + texts.size() % 10)));
            text += "@@" + texts.back() + "@@";
        }
        ocrtest::DrawText(page, 20, 10 + 45 * line, text, ocrtest::Cells(3));
    }
    OCRBITMAP bitmap;
    ocrtest::ToBitmap(page, bitmap);
    LOGCAPTURE log;
    OCRCHIE ocr(bitmap);
    std::vector<COMMAND> found = CommandsOf(ocr);
    ASSERT_EQ(found.size(), 64u);
    for (size_t i = 0; i < found.size(); i++)
        EXPECT_EQ(found[i].Text, texts[i]) << i;
    EXPECT_EQ(log.CountLines("OCRCHIE::OCRCHIE found command="), 64);
    EXPECT_EQ(log.CountLines("ignored command=4"), 1);
}

TEST(OCRCHIE, FilesThatAreNoPageGiveNoCommands)
{
    TEMPFOLDER dir;
    ASSERT_TRUE(faxtest::WriteFile(dir.File("text.tif"), {'@', '@', 'T', 'O', '1', '@', '@', '\n'}));
    ASSERT_TRUE(faxtest::WriteFile(dir.File("cut.tif"), {'I', 'I', 42, 0, 8, 0, 0, 0, 9}));
    std::FILE *empty = std::fopen(dir.File("empty.tif").c_str(), "wb");
    ASSERT_NE(empty, nullptr);
    std::fclose(empty);
    for (const char *name : {"text.tif", "cut.tif", "empty.tif", "missing.tif"}) {
        SCOPED_TRACE(name);
        LOGCAPTURE log;
        OCRCHIE ocr(dir.File(name).c_str());
        EXPECT_EQ(ocr.Count(), 0);
        STRING text;
        OCRBOX box;
        EXPECT_EQ(ocr.GetNextCommand(text, box), 0);
        EXPECT_EQ(log.CountLines("OCRCHIE::OCRCHIE constructor"), 1);
        EXPECT_EQ(log.CountLines("OCRCHIE::OCRCHIE ~constructor"), 1);
        EXPECT_EQ(log.CountLines("dict sucessfully loaded"), 0);
    }
    OCRCHIE none(nullptr);
    EXPECT_EQ(none.Count(), 0);
}

TEST(OCRCHIE, ReadsRowsUpToTheFirstThatFails)
{
    // Uncompressed, one row per strip, cut after row 70: the command above is still read.
    Page page(kFaxWidth, 300);
    ocrtest::DrawText(page, 40, 30, "@@TO123@@", ocrtest::Cells(3));
    ocrtest::DrawText(page, 40, 150, "@@X@@", ocrtest::Cells(3));
    TEMPFOLDER dir;
    const std::string path = dir.File("cut.tif");
    ocrtest::TiffLayout layout;
    layout.Group3 = false;
    layout.RowsPerStrip = 1;
    layout.WrittenRows = 70;
    ASSERT_TRUE(ocrtest::WriteTiff(path, page, layout));
    OCRCHIE ocr(path.c_str());
    std::vector<COMMAND> found = CommandsOf(ocr);
    ASSERT_EQ(found.size(), 1u) << Describe(found);
    EXPECT_EQ(found[0].Text, "TO123");
}

TEST(OCRCHIE, RefusesTiledPages)
{
    Page page(512, 96);
    ocrtest::DrawText(page, 16, 30, "@@TO123@@", ocrtest::Cells(3));
    TEMPFOLDER dir;
    ocrtest::TiffLayout strips;
    strips.Group3 = false;
    ASSERT_TRUE(ocrtest::WriteTiff(dir.File("strips.tif"), page, strips));
    ocrtest::TiffLayout tiles = strips;
    tiles.Tile = 64;
    ASSERT_TRUE(ocrtest::WriteTiff(dir.File("tiles.tif"), page, tiles));
    EXPECT_EQ(OCRCHIE(dir.File("strips.tif").c_str()).Count(), 1);
    EXPECT_EQ(OCRCHIE(dir.File("tiles.tif").c_str()).Count(), 0);
}

namespace {

// A page of random bytes in another pixel format, uncompressed.
bool WriteDeepPage(const std::string &path, uint16_t bits, uint16_t samples, uint16_t photometric, uint16_t planar,
                   uint16_t extra)
{
    TIFF *tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return false;
    const uint32_t width = 97, height = 40;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, planar);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
    if (extra) {
        uint16_t kinds[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, kinds);
    }
    std::mt19937 rng(bits * 100 + samples);
    std::vector<uint8_t> row((size_t)TIFFScanlineSize(tif));
    bool ok = true;
    const int planes = planar == PLANARCONFIG_SEPARATE ? samples : 1;
    for (int s = 0; s < planes && ok; s++)
        for (uint32_t y = 0; y < height && ok; y++) {
            for (uint8_t &b : row)
                b = (uint8_t)rng();
            ok = TIFFWriteScanline(tif, row.data(), y, (uint16_t)s) >= 0;
        }
    TIFFClose(tif);
    return ok;
}

} // namespace

// Rows wider than the depth rule says (RGBA, 16-bit RGB, grey with alpha) are read into a row
// buffer of libtiff's size; the sanitizers see any write past it.
TEST(OCRCHIE, ReadsPagesOfOtherFormatsSafely)
{
    struct FORMAT {
        const char *Name;
        uint16_t Bits, Samples, Photometric, Planar, Extra;
        bool Read;
    };
    const FORMAT formats[] = {
        {"RGBA", 8, 4, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG, 1, true},
        {"16-bit RGB", 16, 3, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG, 0, true},
        {"grey with alpha", 8, 2, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, 1, true},
        {"4-bit grey", 4, 1, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, 0, true},
        {"RGB in separate planes", 8, 3, PHOTOMETRIC_RGB, PLANARCONFIG_SEPARATE, 0, false},
        {"CMYK", 8, 4, PHOTOMETRIC_SEPARATED, PLANARCONFIG_CONTIG, 0, false},
        {"2 bits", 2, 1, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, 0, false},
    };
    TEMPFOLDER dir;
    for (const FORMAT &f : formats) {
        SCOPED_TRACE(f.Name);
        const std::string path = dir.File("deep.tif");
        ASSERT_TRUE(WriteDeepPage(path, f.Bits, f.Samples, f.Photometric, f.Planar, f.Extra));
        LOGCAPTURE log;
        OCRCHIE ocr(path.c_str());
        EXPECT_LE(ocr.Count(), OCRCHIE::kMaxCommands);
        EXPECT_EQ(log.CountLines("dict sucessfully loaded"), f.Read ? 1 : 0);
    }
}

TEST(OCRCHIE, RefusesPagesLargerThanItsLimit)
{
    // 40000 rows of 70000 pixels need 350 MB: the page is refused before any row is read.
    TEMPFOLDER dir;
    const std::string path = dir.File("huge.tif");
    TIFF *tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 70000u);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 40000u);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 1u);
    std::vector<uint8_t> row(70000 / 8, 0xFF);
    ASSERT_GE(TIFFWriteScanline(tif, row.data(), 0, 0), 0);
    TIFFClose(tif);

    LOGCAPTURE log;
    OCRCHIE ocr(path.c_str());
    EXPECT_EQ(ocr.Count(), 0);
    EXPECT_EQ(log.CountLines("page of 70000 x 40000 x 1 not read"), 1) << log.Text();
}

namespace {

int gErrors = 0, gWarnings = 0;
void CountError(const char *, const char *, va_list) { gErrors++; }
void CountWarning(const char *, const char *, va_list) { gWarnings++; }

} // namespace

TEST(OCRCHIE, SilencesLibtiffForItsReadOnly)
{
    TEMPFOLDER dir;
    ASSERT_TRUE(faxtest::WriteFile(dir.File("bad.tif"), {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0, 1, 3, 0}));
    TIFFErrorHandler oldError = TIFFSetErrorHandler(CountError);
    TIFFErrorHandler oldWarning = TIFFSetWarningHandler(CountWarning);
    gErrors = gWarnings = 0;

    OCRCHIE ocr(dir.File("bad.tif").c_str());
    EXPECT_EQ(ocr.Count(), 0);
    EXPECT_EQ(gErrors + gWarnings, 0);

    // Our handlers are back: libtiff reports the same file to them.
    TIFF *tif = TIFFOpen(dir.File("bad.tif").c_str(), "r");
    if (tif)
        TIFFClose(tif);
    EXPECT_GT(gErrors + gWarnings, 0);
    EXPECT_EQ(TIFFSetErrorHandler(oldError), (TIFFErrorHandler)CountError);
    EXPECT_EQ(TIFFSetWarningHandler(oldWarning), (TIFFErrorHandler)CountWarning);
}
