// Bilevel TIFF pages: multi-page Group 3 files written from the base form, read back by libtiff
// itself and by our reader; Group 4 files from elsewhere; and the checks that refuse pages that
// are not plain bilevel images.
#include <gtest/gtest.h>

#include <tiffio.h>

#include "kestar/media/tiffpages.h"
#include "tests/support/faxpages_support.h"
#include "tests/support/tempfolder_support.h"

using faxtest::Page;

namespace {

// Pages as a TIFF file says them, read through libtiff directly.
struct TiffPage {
    Page Pixels;
    uint16_t Compression = 0, Photometric = 0, Number = 0, Of = 0;
    uint32_t Group3Options = 99;
    std::string Software;
};

std::vector<TiffPage> ReadWithLibtiff(const std::string &path)
{
    std::vector<TiffPage> pages;
    TIFF *tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return pages;
    do {
        TiffPage p;
        uint32_t w = 0, h = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
        TIFFGetField(tif, TIFFTAG_COMPRESSION, &p.Compression);
        TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &p.Photometric);
        TIFFGetField(tif, TIFFTAG_PAGENUMBER, &p.Number, &p.Of);
        TIFFGetField(tif, TIFFTAG_GROUP3OPTIONS, &p.Group3Options);
        char *software = nullptr;
        if (TIFFGetField(tif, TIFFTAG_SOFTWARE, &software) && software)
            p.Software = software;
        p.Pixels = Page((int)w, (int)h, false);
        std::vector<uint8_t> line(TIFFScanlineSize(tif));
        for (uint32_t y = 0; y < h; y++) {
            TIFFReadScanline(tif, line.data(), y, 0);
            std::copy(line.begin(), line.begin() + p.Pixels.Rows[y].size(), p.Pixels.Rows[y].begin());
            if (w & 7)
                p.Pixels.Rows[y].back() &= (uint8_t)(0xFF << (8 - (w & 7)));
        }
        pages.push_back(p);
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return pages;
}

// Writes pages with libtiff directly, with the given tags; -1 leaves a tag out.
struct Tags {
    int Compression = COMPRESSION_CCITTFAX4;
    int Bits = 1, Samples = 1, Photometric = PHOTOMETRIC_MINISWHITE;
    int Orientation = ORIENTATION_TOPLEFT, FillOrder = FILLORDER_MSB2LSB;
    int Planar = PLANARCONFIG_CONTIG;
};

bool WriteWithLibtiff(const std::string &path, const std::vector<Page> &pages,
                      const std::vector<Tags> &tags)
{
    TIFF *tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return false;
    for (size_t i = 0; i < pages.size(); i++) {
        const Page &p = pages[i];
        const Tags &t = tags[i < tags.size() ? i : tags.size() - 1];
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)p.Width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)p.Height());
        if (t.Bits >= 0)
            TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, t.Bits);
        if (t.Samples >= 0)
            TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, t.Samples);
        if (t.Photometric >= 0)
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, t.Photometric);
        if (t.Orientation >= 0)
            TIFFSetField(tif, TIFFTAG_ORIENTATION, t.Orientation);
        if (t.FillOrder >= 0)
            TIFFSetField(tif, TIFFTAG_FILLORDER, t.FillOrder);
        if (t.Planar >= 0)
            TIFFSetField(tif, TIFFTAG_PLANARCONFIG, t.Planar);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, t.Compression);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, (uint32_t)p.Height());
        std::vector<uint8_t> line(TIFFScanlineSize(tif), 0);
        for (int y = 0; y < p.Height(); y++) {
            std::fill(line.begin(), line.end(), 0);
            for (size_t i = 0; i < p.Rows[y].size() && i < line.size(); i++)
                line[i] = p.Rows[y][i];
            if (TIFFWriteScanline(tif, line.data(), (uint32_t)y, 0) < 0) {
                TIFFClose(tif);
                return false;
            }
        }
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
    return true;
}

bool WriteWithLibtiff(const std::string &path, const std::vector<Page> &pages, const Tags &t)
{
    return WriteWithLibtiff(path, pages, std::vector<Tags>{t});
}

// Runs of two pixels.  (libtiff's own Group 3 reader sizes its run table by the width and so
// cannot read rows of one-pixel runs that start black; our SFF decoder can.)
Page Checker(int width, int height)
{
    Page p(width, height, true);
    for (int y = 0; y < height; y++)
        for (int x = (y & 1) * 2; x + 1 < width; x += 4)
            p.Fill(x, x + 2, y);
    return p;
}

Page AsNormal(Page p)
{
    p.Fine = false; // TIFF pages load with bfReserved1 0
    return p;
}

} // namespace

TEST(TIFFPAGES, GroupThreeMultiPageRoundTrip)
{
    TEMPFOLDER dir;
    Page normal = faxtest::RandomRuns(1728, 40, 2, false);
    const std::vector<Page> pages = {faxtest::RandomRuns(1728, 120, 1), normal,
                                     Checker(2432, 30), faxtest::RandomRuns(1700, 7, 3),
                                     Page(5184, 3)};
    std::vector<uint8_t> base = faxtest::ToBase(pages);
    std::string path = dir.File("fax.tif");
    ASSERT_TRUE(TIFFPAGES::Save(path.c_str(), base.data(), base.size(), (int)pages.size()));

    std::vector<TiffPage> tiff = ReadWithLibtiff(path);
    ASSERT_EQ(tiff.size(), pages.size());
    for (size_t i = 0; i < pages.size(); i++) {
        EXPECT_EQ(tiff[i].Compression, COMPRESSION_CCITTFAX3) << i;
        EXPECT_EQ(tiff[i].Group3Options, 0u) << i;
        EXPECT_EQ(tiff[i].Photometric, PHOTOMETRIC_MINISWHITE) << i;
        EXPECT_EQ(tiff[i].Number, i + 1) << i;
        EXPECT_EQ(tiff[i].Of, pages.size()) << i;
        EXPECT_EQ(tiff[i].Software, "Orvak") << i;
        // Every row is kept, whatever the resolution.
        EXPECT_TRUE(tiff[i].Pixels == AsNormal(pages[i])) << i;
    }

    std::vector<uint8_t> back;
    ASSERT_TRUE(TIFFPAGES::Load(path.c_str(), back));
    std::vector<Page> loaded = faxtest::FromBase(back);
    ASSERT_EQ(loaded.size(), pages.size());
    for (size_t i = 0; i < pages.size(); i++)
        EXPECT_TRUE(loaded[i] == AsNormal(pages[i])) << i << ": " << faxtest::Describe(loaded[i]);
}

TEST(TIFFPAGES, SavesOnlyThePagesAskedForAndThatExist)
{
    TEMPFOLDER dir;
    std::vector<uint8_t> base = faxtest::ToBase(
        {faxtest::RandomRuns(1728, 5, 1), faxtest::RandomRuns(1728, 5, 2), Page(1728, 2)});
    struct Case {
        int asked, written;
    };
    for (const Case &c : {Case{2, 2}, Case{3, 3}, Case{9, 3}, Case{1, 1}}) {
        std::string path = dir.File("p" + std::to_string(c.asked) + ".tif");
        ASSERT_TRUE(TIFFPAGES::Save(path.c_str(), base.data(), base.size(), c.asked)) << c.asked;
        std::vector<TiffPage> tiff = ReadWithLibtiff(path);
        ASSERT_EQ((int)tiff.size(), c.written) << c.asked;
        for (int i = 0; i < c.written; i++) {
            EXPECT_EQ(tiff[i].Number, i + 1);
            EXPECT_EQ(tiff[i].Of, c.written);
        }
    }
    // A page without rows becomes one white row: the file stays readable.
    std::vector<uint8_t> empty = faxtest::ToBase({Page(1728, 0), faxtest::RandomRuns(1728, 5, 1)});
    ASSERT_TRUE(TIFFPAGES::Save(dir.File("empty.tif").c_str(), empty.data(), empty.size(), 2));
    std::vector<uint8_t> back;
    ASSERT_TRUE(TIFFPAGES::Load(dir.File("empty.tif").c_str(), back));
    std::vector<Page> loaded = faxtest::FromBase(back);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_TRUE(loaded[0] == Page(1728, 1, false));
    EXPECT_EQ(loaded[1].Height(), 5);

    // A page that is not 1 bit deep fails the save.
    std::vector<uint8_t> deep = base;
    deep[28] = 8;
    EXPECT_FALSE(TIFFPAGES::Save(dir.File("deep.tif").c_str(), deep.data(), deep.size(), 3));
    EXPECT_FALSE(TIFFPAGES::Save(dir.File("no\\such\\folder\\x.tif").c_str(), base.data(),
                                 base.size(), 3));
}

TEST(TIFFPAGES, ReadsGroupFourAndUncompressedPagesFromElsewhere)
{
    TEMPFOLDER dir;
    const std::vector<Page> pages = {faxtest::RandomRuns(1728, 60, 5), Checker(1728, 9),
                                     faxtest::RandomRuns(2048, 33, 6)};
    struct Case {
        const char *name;
        Tags tags;
    };
    Tags g4, none, noorientation, defaults;
    none.Compression = COMPRESSION_NONE;
    noorientation.Orientation = -1;
    defaults.Bits = defaults.Samples = defaults.Orientation = defaults.FillOrder =
        defaults.Planar = -1;
    for (const Case &c : {Case{"group 4", g4}, Case{"uncompressed", none},
                          Case{"no orientation tag", noorientation},
                          Case{"only required tags", defaults}}) {
        std::string path = dir.File(std::string(c.name) + ".tif");
        ASSERT_TRUE(WriteWithLibtiff(path, pages, c.tags)) << c.name;
        std::vector<uint8_t> base;
        ASSERT_TRUE(TIFFPAGES::Load(path.c_str(), base)) << c.name;
        std::vector<Page> loaded = faxtest::FromBase(base);
        ASSERT_EQ(loaded.size(), pages.size()) << c.name;
        for (size_t i = 0; i < pages.size(); i++) {
            EXPECT_TRUE(loaded[i] == AsNormal(pages[i])) << c.name << " page " << i;
            EXPECT_EQ(faxtest::Get16(base, 6), 0) << c.name; // bfReserved1
        }
    }
}

TEST(TIFFPAGES, RefusesPagesThatAreNotPlainBilevel)
{
    TEMPFOLDER dir;
    Page page = faxtest::RandomRuns(64, 8, 7);
    struct Case {
        const char *name;
        Tags tags;
    };
    Tags gray, rgb, black, orientation, fill, nophotometric;
    gray.Bits = 8;
    gray.Compression = rgb.Compression = COMPRESSION_NONE;
    rgb.Bits = 8;
    rgb.Samples = 3;
    rgb.Photometric = PHOTOMETRIC_RGB;
    black.Photometric = PHOTOMETRIC_MINISBLACK;
    orientation.Orientation = ORIENTATION_BOTRIGHT;
    fill.FillOrder = FILLORDER_LSB2MSB;
    nophotometric.Photometric = -1;
    nophotometric.Compression = COMPRESSION_NONE;
    for (const Case &c : {Case{"8 bits", gray}, Case{"RGB", rgb}, Case{"black is zero", black},
                          Case{"bottom-right orientation", orientation},
                          Case{"fill order 2", fill},
                          Case{"no photometric tag", nophotometric}}) {
        std::string path = dir.File(std::string(c.name) + ".tif");
        ASSERT_TRUE(WriteWithLibtiff(path, {page}, c.tags)) << c.name;
        std::vector<uint8_t> base(5, 1);
        EXPECT_FALSE(TIFFPAGES::Load(path.c_str(), base)) << c.name;
        EXPECT_TRUE(base.empty()) << c.name;
    }
    std::vector<uint8_t> base(5, 1);
    EXPECT_FALSE(TIFFPAGES::Load(dir.File("missing.tif").c_str(), base));
    EXPECT_TRUE(base.empty());
    ASSERT_TRUE(faxtest::WriteFile(dir.File("junk.tif"), {'I', 'I', 42, 0, 1, 2, 3}));
    EXPECT_FALSE(TIFFPAGES::Load(dir.File("junk.tif").c_str(), base));

    // A later page that fails the checks ends the pages read; the first ones stay.
    std::string path = dir.File("mixed.tif");
    ASSERT_TRUE(WriteWithLibtiff(path, {page, page, page}, std::vector<Tags>{Tags(), gray, Tags()}));
    ASSERT_TRUE(TIFFPAGES::Load(path.c_str(), base));
    std::vector<Page> loaded = faxtest::FromBase(base);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_TRUE(loaded[0] == AsNormal(page));
}
