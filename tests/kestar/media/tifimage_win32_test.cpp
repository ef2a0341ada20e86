// TIFIMAGE: the base form saved as a multi-page Group 3 file and loaded back with every page and
// its resolution, files that give no page, and the PDF conversion's file names.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "kestar/base/logit.h"
#include "kestar/media/sffimage.h"
#include "kestar/media/tifimage.h"
#include "tests/support/bytes_support.h"
#include "tests/support/faxpages_support.h"
#include "tests/support/tempfolder_support.h"

using faxtest::Page;

namespace {

std::vector<std::pair<int, int>> PageNumbers(const std::string &path)
{
    std::vector<std::pair<int, int>> numbers;
    TIFF *tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return numbers;
    do {
        uint16_t n = 0, of = 0;
        TIFFGetField(tif, TIFFTAG_PAGENUMBER, &n, &of);
        numbers.push_back({n, of});
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return numbers;
}

// Each page's height in rows and its vertical resolution, as the file says them.
std::vector<std::pair<int, float>> Heights(const std::string &path)
{
    std::vector<std::pair<int, float>> heights;
    TIFF *tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return heights;
    do {
        uint32_t rows = 0;
        float yres = 0;
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &rows);
        TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres);
        heights.push_back({(int)rows, yres});
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return heights;
}

// A one-page Group 4 fax as other programs write it, at yres lines per inch (0: no resolution
// tags) and 204 dots per inch across.
bool WriteFax(const std::string &path, const Page &page, float yres)
{
    TIFF *tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)page.Width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)page.Height());
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, (uint32_t)page.Height());
    if (yres > 0) {
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, 204.0f);
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, yres);
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    }
    bool ok = true;
    for (int y = 0; ok && y < page.Height(); y++) {
        std::vector<uint8_t> row = page.Rows[y];
        ok = TIFFWriteScanline(tif, row.data(), (uint32_t)y, 0) >= 0;
    }
    ok = ok && TIFFWriteDirectory(tif);
    TIFFClose(tif);
    return ok;
}

// A page of the base form at normal resolution: every line twice.
Page Doubled(const Page &lines)
{
    Page p(lines.Width, 0, false);
    for (const std::vector<uint8_t> &row : lines.Rows) {
        p.Rows.push_back(row);
        p.Rows.push_back(row);
    }
    return p;
}

} // namespace

TEST(TIFIMAGE, SavesEveryPageFromBaseAndLoadsThemBack)
{
    TEMPFOLDER dir;
    // The second page is at normal resolution: the base form holds each of its lines twice.
    const std::vector<Page> pages = {faxtest::RandomRuns(1728, 30, 1), Doubled(faxtest::RandomRuns(1728, 6, 2))};
    std::vector<uint8_t> data = faxtest::ToBase(pages);
    BASEIMAGE base(data.data(), (STRING_SIZE_T)data.size(), "IMAGE BASE:", BASEIMAGE::kBlockSize);

    TIFIMAGE tif("IMAGE TIF:", BASEIMAGE::kBlockSize);
    EXPECT_EQ(tif.PageCount, 1);
    EXPECT_EQ(tif.GetExtension(), "tif");
    ASSERT_TRUE(tif.FromBase(base));
    EXPECT_EQ(tif.Format, "IMAGE TIF:");
    EXPECT_EQ(tif.PageCount, 2);
    std::string path = dir.File("fax.tif");
    ASSERT_TRUE(tif.Save(path.c_str()));
    EXPECT_EQ(PageNumbers(path), (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));
    EXPECT_EQ(Heights(path), (std::vector<std::pair<int, float>>{{30, 196.0f}, {6, 98.0f}}));

    // Loading gives the same base-form pages, resolution included, and saving them again keeps
    // them all.
    TIFIMAGE loaded("IMAGE TIF:", BASEIMAGE::kBlockSize);
    ASSERT_TRUE(loaded.Load(path.c_str()));
    EXPECT_EQ(loaded.PageCount, 2);
    std::unique_ptr<BASEIMAGE> back(loaded.ToBase());
    EXPECT_EQ(back->Format, "IMAGE BASE:");
    EXPECT_EQ(back->GetPageCount(), 2);
    std::vector<uint8_t> bytes = ByteVectorOf(back->Data);
    std::vector<Page> read = faxtest::FromBase(bytes);
    ASSERT_EQ(read.size(), 2u);
    for (size_t i = 0; i < 2; i++)
        EXPECT_TRUE(read[i] == pages[i]) << i << ": " << faxtest::Describe(read[i]);
    std::string again = dir.File("again.tif");
    ASSERT_TRUE(loaded.Save(again.c_str()));
    EXPECT_EQ(Heights(again), Heights(path));
}

// A normal-resolution fax from elsewhere goes through the base form into an SFF file and back
// into a TIFF file without coming out at half or double its height.
TEST(TIFIMAGE, ANormalResolutionFaxKeepsItsHeight)
{
    TEMPFOLDER dir;
    Page lines = faxtest::RandomRuns(1728, 25, 5);
    std::string path = dir.File("normal.tif");
    ASSERT_TRUE(WriteFax(path, lines, 98.0f));

    TIFIMAGE tif("IMAGE TIF:", BASEIMAGE::kBlockSize);
    ASSERT_TRUE(tif.Load(path.c_str()));
    std::unique_ptr<BASEIMAGE> base(tif.ToBase());
    SFFIMAGE sff("IMAGE SFF:", BASEIMAGE::kBlockSize);
    ASSERT_TRUE(sff.FromBase(*base));
    std::vector<uint8_t> sffBytes = ByteVectorOf(sff.Data);
    ASSERT_GT(sffBytes.size(), 20u + 18u);
    EXPECT_EQ(sffBytes[20 + 2], 0); // the SFF page is at normal resolution

    std::unique_ptr<BASEIMAGE> decoded(sff.ToBase());
    std::vector<Page> pages = faxtest::FromBase(ByteVectorOf(decoded->Data));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].Height(), 50); // each line twice, as in every base form

    TIFIMAGE out("IMAGE TIF:", BASEIMAGE::kBlockSize);
    ASSERT_TRUE(out.FromBase(*decoded));
    std::string again = dir.File("again.tif");
    ASSERT_TRUE(out.Save(again.c_str()));
    EXPECT_EQ(Heights(again), (std::vector<std::pair<int, float>>{{25, 98.0f}}));
    TIFIMAGE reread("IMAGE TIF:", BASEIMAGE::kBlockSize);
    ASSERT_TRUE(reread.Load(again.c_str()));
    EXPECT_EQ(ByteVectorOf(reread.Data), ByteVectorOf(tif.Data));
}

TEST(TIFIMAGE, AFileThatGivesNoPageLeavesTheImageAsItWas)
{
    TEMPFOLDER dir;
    Page page = faxtest::RandomRuns(1728, 20, 6);
    std::string good = dir.File("good.tif");
    ASSERT_TRUE(WriteFax(good, page, 0));
    std::string twoPages = dir.File("two.tif");
    std::vector<uint8_t> data = faxtest::ToBase({page, page});
    BASEIMAGE base(data.data(), (STRING_SIZE_T)data.size(), "IMAGE BASE:", BASEIMAGE::kBlockSize);
    TIFIMAGE writer("IMAGE TIF:", BASEIMAGE::kBlockSize);
    ASSERT_TRUE(writer.FromBase(base));
    ASSERT_TRUE(writer.Save(twoPages.c_str()));
    std::string bytes = ReadWholeFile(twoPages);
    std::vector<uint8_t> firstBad(bytes.begin(), bytes.end()), secondBad = firstBad;
    ASSERT_TRUE(faxtest::MoveStripPastEnd(firstBad, 0));
    ASSERT_TRUE(faxtest::MoveStripPastEnd(secondBad, 1));
    ASSERT_TRUE(faxtest::WriteFile(dir.File("firstbad.tif"), firstBad));
    ASSERT_TRUE(faxtest::WriteFile(dir.File("secondbad.tif"), secondBad));
    ASSERT_TRUE(faxtest::WriteFile(dir.File("junk.tif"), {'M', 'M', 0, 42, 0, 0, 0, 8}));

    TIFIMAGE image("IMAGE TIF:", BASEIMAGE::kBlockSize);
    ASSERT_TRUE(image.Load(twoPages.c_str()));
    ASSERT_EQ(image.PageCount, 2);
    const std::vector<uint8_t> before = ByteVectorOf(image.Data);
    for (const char *name : {"firstbad.tif", "junk.tif", "missing.tif"}) {
        EXPECT_FALSE(image.Load(dir.File(name).c_str())) << name;
        EXPECT_EQ(image.Format, "IMAGE TIF:") << name;
        EXPECT_EQ(image.PageCount, 2) << name;
        EXPECT_TRUE(ByteVectorOf(image.Data) == before) << name;
    }

    // A later page that cannot be read: the pages before it are the image.
    ASSERT_TRUE(image.Load(dir.File("secondbad.tif").c_str()));
    EXPECT_EQ(image.PageCount, 1);
    std::vector<Page> pages = faxtest::FromBase(ByteVectorOf(image.Data));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages[0] == page);
}

TEST(TIFIMAGE, ConvertWritesThePdfNamedAfterTheInput)
{
    TEMPFOLDER dir;
    std::string log = dir.File("convert.log");
    ASSERT_EQ(1, LOGIT::HandleSwitch(("/LOGIT:" + log).c_str()));
    const std::vector<Page> pages = {faxtest::RandomRuns(1728, 40, 3), faxtest::RandomRuns(1728, 25, 4)};
    std::vector<uint8_t> data = faxtest::ToBase(pages);
    BASEIMAGE base(data.data(), (STRING_SIZE_T)data.size(), "IMAGE BASE:", BASEIMAGE::kBlockSize);
    TIFIMAGE tif("IMAGE TIF:", BASEIMAGE::kBlockSize);
    ASSERT_TRUE(tif.FromBase(base));
    struct Case {
        std::string input;
        const char *output;
        std::string expected;
    };
    std::string elsewhere = dir.File("elsewhere.pdf");
    const Case cases[] = {
        {dir.File("fax.tif"), nullptr, dir.File("fax.pdf")},
        // The viewer's export writes its TIFF as "....TMP" beside the PDF: it must survive.
        {dir.File("fax.TMP"), nullptr, dir.File("fax.pdf")},
        {dir.File("fax.tif"), elsewhere.c_str(), elsewhere},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.input);
        std::remove(c.expected.c_str());
        ASSERT_TRUE(tif.Save(c.input.c_str()));
        EXPECT_EQ(TIFIMAGE::Convert(c.input.c_str(), c.output), 1);
        EXPECT_TRUE(FileExistsForTest(c.input));
        std::string pdf = ReadWholeFile(c.expected);
        // Two fax pages: objects 1-3, pages 4 and 9, 13 objects and 14 cross-reference entries.
        EXPECT_NE(pdf.find("/Kids [ 4 0 R 9 0 R ] \r/Count 2 \r"), std::string::npos);
        EXPECT_NE(pdf.find("xref\r0 14 \r"), std::string::npos);
        EXPECT_NE(pdf.find("/Size 14\r"), std::string::npos);
        size_t xref = pdf.find("xref\r0 14 \r0000000000 65535 f\r\n");
        ASSERT_NE(xref, std::string::npos);
        for (int i = 1; i <= 13; i++) {
            size_t offset = std::strtoul(pdf.c_str() + xref + 29 + 20 * (i - 1), nullptr, 10);
            std::string head = std::to_string(i) + " 0 obj\r";
            EXPECT_EQ(pdf.compare(offset, head.size(), head), 0) << i;
        }
        EXPECT_NE(pdf.find("/CCITTFaxDecode /DecodeParms << /K -1 /Columns 1728 /Rows 40>>"), std::string::npos);
        EXPECT_NE(pdf.find("/CCITTFaxDecode /DecodeParms << /K -1 /Columns 1728 /Rows 25>>"), std::string::npos);
    }
    LOGIT::Close();
    std::string text = ReadWholeFile(log);
    EXPECT_NE(text.find("TIFIMAGE::Convert TIF2PDF"), std::string::npos);
    for (const Case &c : cases)
        EXPECT_NE(text.find("convert_tiff_to_pdf " + c.input + " -> " + c.expected), std::string::npos) << c.expected;
}
