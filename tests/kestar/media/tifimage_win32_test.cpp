// TIFIMAGE: the base form saved as a multi-page Group 3 file and loaded back with every page,
// and the PDF conversion's file names.
#include <gtest/gtest.h>

#include <tiffio.h>

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

TEST(TIFIMAGE, ConvertNamesThePdfAfterTheInput)
{
    TEMPFOLDER dir;
    std::string log = dir.File("convert.log");
    ASSERT_EQ(1, LOGIT::HandleSwitch(("/LOGIT:" + log).c_str()));
    struct Case {
        std::string input;
        const char *output;
        std::string expected;
    };
    const Case cases[] = {
        {dir.File("fax.tif"), nullptr, dir.File("fax.pdf")},
        {dir.File("fax.TMP"), nullptr, dir.File("fax.pdf")},
        {dir.File("fax.tif"), "elsewhere.pdf", "elsewhere.pdf"},
    };
    for (const Case &c : cases) {
        // No PDF writer in this build (and no input file): the conversion fails.
        EXPECT_EQ(TIFIMAGE::Convert(c.input.c_str(), c.output), 0) << c.input;
    }
    LOGIT::Close();
    std::string text = ReadWholeFile(log);
    EXPECT_NE(text.find("TIFIMAGE::Convert TIF2PDF"), std::string::npos);
    for (const Case &c : cases)
        EXPECT_NE(text.find(c.input + " -> " + c.expected), std::string::npos) << c.expected;
}
