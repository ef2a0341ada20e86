// BASEIMAGE and SFFIMAGE: files, the page walk with its checks, page selection, and the
// conversions between the base form and SFF through the image objects.
#include <gtest/gtest.h>

#include <memory>

#include "kestar/media/baseimage.h"
#include "kestar/media/sffimage.h"
#include "tests/support/bytes_support.h"
#include "tests/support/faxpages_support.h"
#include "tests/support/tempfolder_support.h"

using faxtest::Page;

namespace {

std::unique_ptr<BASEIMAGE> BaseImage(const std::vector<uint8_t> &bytes)
{
    return std::unique_ptr<BASEIMAGE>(
        new BASEIMAGE(bytes.data(), (STRING_SIZE_T)bytes.size(), "IMAGE BASE:", BASEIMAGE::kBlockSize));
}

} // namespace

TEST(BASEIMAGE, LoadAppendsTheFileAndSaveWritesData)
{
    TEMPFOLDER dir;
    std::vector<uint8_t> one = faxtest::ToBase({faxtest::RandomRuns(1728, 20, 1)});
    std::vector<uint8_t> two = faxtest::ToBase({faxtest::RandomRuns(2048, 7, 2)});
    ASSERT_TRUE(faxtest::WriteFile(dir.File("one.bmp"), one));
    ASSERT_TRUE(faxtest::WriteFile(dir.File("two.bmp"), two));

    BASEIMAGE image("IMAGE BASE:", BASEIMAGE::kBlockSize);
    ASSERT_TRUE(image.Load(dir.File("one.bmp").c_str()));
    ASSERT_TRUE(image.Load(dir.File("two.bmp").c_str()));
    std::vector<uint8_t> both = one;
    both.insert(both.end(), two.begin(), two.end());
    EXPECT_EQ(ByteVectorOf(image.Data), both);
    EXPECT_EQ(image.GetPageCount(), 2);

    EXPECT_FALSE(image.Load(dir.File("missing.bmp").c_str()));
    EXPECT_EQ(ByteVectorOf(image.Data), both);

    ASSERT_TRUE(image.Save(dir.File("both.bmp").c_str()));
    EXPECT_EQ(ReadWholeFile(dir.File("both.bmp")), std::string(both.begin(), both.end()));
    EXPECT_FALSE(image.Save(dir.File("no/such/folder/x.bmp").c_str()));
}

TEST(BASEIMAGE, PagesAreCountedSelectedAndMeasured)
{
    std::vector<uint8_t> data =
        faxtest::ToBase({Page(1728, 10), Page(2432, 3, false), Page(1700, 1)});
    struct Case {
        const char *name;
        size_t cut;    // bytes removed from the end
        uint32_t size; // bfSize written into the second page (0: unchanged)
        int pages;
    };
    const Case cases[] = {
        {"intact", 0, 0, 3},
        {"last page cut short", 1, 0, 2},
        {"second page too small", 0, 20, 1},
        {"second page past the data", 0, 0x7FFFFFFF, 1},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> v = data;
        if (c.size)
            Set32(v, 2222 + 2, c.size);
        v.resize(v.size() - c.cut);
        auto image = BaseImage(v);
        EXPECT_EQ(image->GetPageCount(), c.pages) << c.name;
        for (int i = 0; i < c.pages; i++)
            EXPECT_TRUE(image->SelectPage(i)) << c.name << " page " << i;
        // A page beyond the last fails and keeps the current page.
        STRING_SIZE_T current = image->GetPageOffset();
        EXPECT_FALSE(image->SelectPage(c.pages)) << c.name;
        EXPECT_FALSE(image->SelectPage(-1)) << c.name;
        EXPECT_EQ(image->GetPageOffset(), current) << c.name;
    }

    auto image = BaseImage(data);
    const struct {
        int page, width, height;
        STRING_SIZE_T offset;
    } pages[] = {{1, 2432, 3, 2222}, {2, 1700, 1, 2222 + 974}, {0, 1728, 10, 0}};
    for (const auto &p : pages) {
        ASSERT_TRUE(image->SelectPage(p.page));
        EXPECT_EQ(image->GetPageOffset(), p.offset);
        EXPECT_EQ(image->GetWidth(), p.width);
        EXPECT_EQ(image->GetHeight(), p.height);
    }

    BASEIMAGE empty("IMAGE BASE:", BASEIMAGE::kBlockSize);
    EXPECT_EQ(empty.GetPageCount(), 0);
    EXPECT_FALSE(empty.SelectPage(0));
    EXPECT_EQ(empty.GetWidth(), 0);
}

TEST(BASEIMAGE, ConversionsCopyTheBaseForm)
{
    std::vector<uint8_t> data = faxtest::ToBase({faxtest::RandomRuns(1728, 4, 3)});
    auto image = BaseImage(data);
    std::unique_ptr<BASEIMAGE> copy(image->ToBase());
    EXPECT_EQ(copy->Format, "IMAGE BASE:");
    EXPECT_EQ(ByteVectorOf(copy->Data), data);
    BASEIMAGE other("IMAGE SOMETHING:", 96);
    EXPECT_TRUE(other.FromBase(*image));
    EXPECT_EQ(other.Format, "IMAGE BASE:");
    EXPECT_EQ(ByteVectorOf(other.Data), data);
}

TEST(SFFIMAGE, ConvertsBaseFormToSffAndBack)
{
    TEMPFOLDER dir;
    const std::vector<Page> pages = {faxtest::RandomRuns(1728, 50, 1),
                                     faxtest::RandomRuns(1728, 20, 2, false),
                                     faxtest::RandomRuns(2432, 9, 3)};
    std::vector<Page> normal = pages;
    for (int y = 0; y + 1 < normal[1].Height(); y += 2)
        normal[1].Rows[y + 1] = normal[1].Rows[y];
    auto base = BaseImage(faxtest::ToBase(normal));

    SFFIMAGE sff("IMAGE SFF:", BASEIMAGE::kBlockSize);
    EXPECT_EQ(sff.GetExtension(), "sff");
    ASSERT_TRUE(sff.FromBase(*base));
    EXPECT_EQ(sff.Format, "IMAGE SFF:");
    std::vector<uint8_t> bytes = ByteVectorOf(sff.Data);
    ASSERT_GE(bytes.size(), 20u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "Sfff");
    ASSERT_TRUE(sff.Save(dir.File("fax.sff").c_str()));

    SFFIMAGE loaded("IMAGE SFF:", BASEIMAGE::kBlockSize);
    ASSERT_TRUE(loaded.Load(dir.File("fax.sff").c_str()));
    std::unique_ptr<BASEIMAGE> back(loaded.ToBase());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Format, "IMAGE BASE:");
    EXPECT_EQ(back->GetPageCount(), 3);
    std::vector<Page> decoded = faxtest::FromBase(ByteVectorOf(back->Data));
    ASSERT_EQ(decoded.size(), 3u);
    for (size_t i = 0; i < 3; i++)
        EXPECT_TRUE(decoded[i] == normal[i]) << i;

    // Pages are only shown from the base form.
    EXPECT_EQ(loaded.GetPageCount(), 0);
    EXPECT_FALSE(loaded.SelectPage(0));
    EXPECT_EQ(loaded.GetWidth(), 0);

    // An SFF image without data (assertion "sffdata") and one with junk give no pages.
    SFFIMAGE none("IMAGE SFF:", BASEIMAGE::kBlockSize);
    std::unique_ptr<BASEIMAGE> nothing(none.ToBase());
    ASSERT_NE(nothing, nullptr);
    EXPECT_EQ(nothing->GetPageCount(), 0);
    none.Data.Append("Sfff\x01junk", 9);
    nothing.reset(none.ToBase());
    EXPECT_EQ(nothing->GetPageCount(), 0);
}
