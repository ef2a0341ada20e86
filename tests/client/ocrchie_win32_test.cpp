// OCRCHIE on a fax page written by the class library's own TIFF writer (Windows only, where
// the writer is built).
#include <gtest/gtest.h>

#include "client/ocrchie.h"
#include "kestar/media/baseimage.h"
#include "kestar/media/tifimage.h"
#include "tests/client/ocrpages_support.h"
#include "tests/support/tempfolder_support.h"

TEST(OCRCHIE, ReadsAPageSavedByTheImageClasses)
{
    faxtest::Page page(1728, 200);
    std::vector<OCRBOX> glyphs = ocrtest::DrawText(page, 60, 40, "@@TO0815@@", ocrtest::Cells(4));
    std::vector<uint8_t> data = faxtest::ToBase({page});
    BASEIMAGE base(data.data(), (STRING_SIZE_T)data.size(), "IMAGE BASE:", BASEIMAGE::kBlockSize);
    TIFIMAGE tif("IMAGE TIF:", BASEIMAGE::kBlockSize);
    ASSERT_TRUE(tif.FromBase(base));
    TEMPFOLDER dir;
    const std::string path = dir.File("fax.tmp");
    ASSERT_TRUE(tif.Save(path.c_str()));

    OCRCHIE ocr(path.c_str());
    STRING text;
    OCRBOX box;
    ASSERT_EQ(ocr.GetNextCommand(text, box), 1);
    EXPECT_EQ(STRING(text), "TO0815");
    EXPECT_EQ(box.Left, glyphs[0].Left);
    EXPECT_EQ(box.Top, glyphs[0].Top);
    EXPECT_EQ(box.Right, glyphs[9].Right);
    EXPECT_EQ(box.Bottom, glyphs[9].Bottom);
    EXPECT_EQ(ocr.GetNextCommand(text, box), 0);
}
