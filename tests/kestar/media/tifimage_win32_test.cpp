// TIFIMAGE: the base form saved as a multi-page Group 3 file and loaded back with every page,
// and the PDF conversion's file names.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "kestar/base/logit.h"
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

} // namespace

TEST(TIFIMAGE, SavesEveryPageFromBaseAndLoadsThemBack)
{
    TEMPFOLDER dir;
    const std::vector<Page> pages = {faxtest::RandomRuns(1728, 30, 1), faxtest::RandomRuns(1728, 12, 2, false)};
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

    // Loading gives base-form pages with bfReserved1 0, and saving them again keeps them all.
    TIFIMAGE loaded("IMAGE TIF:", BASEIMAGE::kBlockSize);
    ASSERT_TRUE(loaded.Load(path.c_str()));
    EXPECT_EQ(loaded.PageCount, 2);
    std::unique_ptr<BASEIMAGE> back(loaded.ToBase());
    EXPECT_EQ(back->Format, "IMAGE BASE:");
    EXPECT_EQ(back->GetPageCount(), 2);
    std::vector<uint8_t> bytes = ByteVectorOf(back->Data);
    std::vector<Page> read = faxtest::FromBase(bytes);
    ASSERT_EQ(read.size(), 2u);
    for (size_t i = 0; i < 2; i++) {
        Page expected = pages[i];
        expected.Fine = false;
        EXPECT_TRUE(read[i] == expected) << i;
    }
    EXPECT_EQ(faxtest::Get16(bytes, 6), 0);
    std::string again = dir.File("again.tif");
    ASSERT_TRUE(loaded.Save(again.c_str()));
    EXPECT_EQ(PageNumbers(again).size(), 2u);

    // A refused file leaves no data.
    ASSERT_TRUE(faxtest::WriteFile(dir.File("junk.tif"), {'M', 'M', 0, 42, 0, 0, 0, 8}));
    EXPECT_FALSE(loaded.Load(dir.File("junk.tif").c_str()));
    EXPECT_EQ(loaded.Data.Length(), 0);
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
