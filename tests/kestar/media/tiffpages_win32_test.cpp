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
    float XRes = 0, YRes = 0;
    uint16_t Unit = 0;
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
        TIFFGetField(tif, TIFFTAG_XRESOLUTION, &p.XRes);
        TIFFGetField(tif, TIFFTAG_YRESOLUTION, &p.YRes);
        TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &p.Unit);
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
    float XRes = 0, YRes = 0; // 0: no resolution tags
    int Unit = RESUNIT_INCH;
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
        if (t.XRes > 0)
            TIFFSetField(tif, TIFFTAG_XRESOLUTION, t.XRes);
        if (t.YRes > 0) {
            TIFFSetField(tif, TIFFTAG_YRESOLUTION, t.YRes);
            TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, t.Unit);
        }
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

// The lines of a page as a file holds them: every row of a fine page, every second row (from the
// top) of a normal one; flagged as libtiff reads them (ReadWithLibtiff knows no resolution).
Page Lines(const Page &page)
{
    Page p(page.Width, 0, false);
    for (int y = 0; y < page.Height(); y += page.Fine ? 1 : 2)
        p.Rows.push_back(page.Rows[y]);
    return p;
}

} // namespace

TEST(TIFFPAGES, GroupThreeMultiPageRoundTrip)
{
    TEMPFOLDER dir;
    // Normal-resolution pages of the base form hold every line twice; one has an odd number of
    // rows, whose last line is kept.
    Page odd = faxtest::RandomRuns(1728, 9, 8, false);
    Page oddLines = Lines(odd);
    const std::vector<Page> pages = {faxtest::RandomRuns(1728, 120, 1),
                                     Doubled(faxtest::RandomRuns(1728, 20, 2)),
                                     Checker(2432, 30), faxtest::RandomRuns(1700, 7, 3),
                                     Page(5184, 3), odd};
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
        EXPECT_EQ(tiff[i].Unit, RESUNIT_INCH) << i;
        EXPECT_EQ(tiff[i].XRes, 204.0f) << i;
        EXPECT_EQ(tiff[i].YRes, pages[i].Fine ? 196.0f : 98.0f) << i;
        // A normal page gives each of its lines once.
        EXPECT_TRUE(tiff[i].Pixels == Lines(pages[i])) << i << ": " << faxtest::Describe(tiff[i].Pixels);
    }
    EXPECT_EQ(tiff[1].Pixels.Height(), 20);
    EXPECT_EQ(tiff[5].Pixels.Height(), 5);

    // Read back, every page has its height and resolution again.
    std::vector<uint8_t> back;
    ASSERT_TRUE(TIFFPAGES::Load(path.c_str(), back));
    std::vector<Page> loaded = faxtest::FromBase(back);
    ASSERT_EQ(loaded.size(), pages.size());
    for (size_t i = 0; i < 5; i++)
        EXPECT_TRUE(loaded[i] == pages[i]) << i << ": " << faxtest::Describe(loaded[i]);
    EXPECT_TRUE(loaded[5] == Doubled(oddLines)) << faxtest::Describe(loaded[5]);
}

// Files from elsewhere say their resolution in inches or centimetres, or not at all.
TEST(TIFFPAGES, TheVerticalResolutionDecidesNormalOrFine)
{
    TEMPFOLDER dir;
    Page lines = faxtest::RandomRuns(1728, 11, 9);
    struct Case {
        const char *name;
        float xres, yres;
        int unit;
        bool fine;
    };
    const Case cases[] = {
        {"no tags", 0, 0, RESUNIT_INCH, true},
        {"204 x 196 per inch", 204, 196, RESUNIT_INCH, true},
        {"204 x 98 per inch", 204, 98, RESUNIT_INCH, false},
        {"200 x 100 per inch", 200, 100, RESUNIT_INCH, false},
        {"300 x 300 per inch", 300, 300, RESUNIT_INCH, true},
        {"80 x 77 per cm", 80, 77, RESUNIT_CENTIMETER, true},
        {"80 x 38.5 per cm", 80, 38.5f, RESUNIT_CENTIMETER, false},
        {"no unit, 2 x 1", 2, 1, RESUNIT_NONE, false},
        {"no unit, 1 x 1", 1, 1, RESUNIT_NONE, true},
        {"only YResolution, 98 per inch", 0, 98, RESUNIT_INCH, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Tags t;
        t.XRes = c.xres;
        t.YRes = c.yres;
        t.Unit = c.unit;
        std::string path = dir.File("res.tif");
        ASSERT_TRUE(WriteWithLibtiff(path, {lines}, t));
        std::vector<uint8_t> base;
        ASSERT_TRUE(TIFFPAGES::Load(path.c_str(), base));
        std::vector<Page> loaded = faxtest::FromBase(base);
        ASSERT_EQ(loaded.size(), 1u);
        EXPECT_EQ(faxtest::Get16(base, 6), c.fine ? 1 : 0); // bfReserved1
        EXPECT_TRUE(loaded[0] == (c.fine ? lines : Doubled(lines))) << faxtest::Describe(loaded[0]);
    }
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
    EXPECT_TRUE(loaded[0] == Page(1728, 1));
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
            // No resolution tags: fine pages, every line once.
            EXPECT_TRUE(loaded[i] == pages[i]) << c.name << " page " << i;
            EXPECT_EQ(faxtest::Get16(base, 6), 1) << c.name; // bfReserved1
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
    EXPECT_TRUE(loaded[0] == page);
}

// A page whose rows cannot be read: the file's first page gives no fax at all, a later one
// ends the pages read after the good ones.
TEST(TIFFPAGES, AnUnreadablePageEndsThePagesRead)
{
    TEMPFOLDER dir;
    Page page = faxtest::RandomRuns(1728, 40, 10);
    std::string good = dir.File("good.tif");
    ASSERT_TRUE(WriteWithLibtiff(good, {page, page}, Tags()));
    auto garbled = [&](int directory) {
        std::string bytes = ReadWholeFile(good);
        std::vector<uint8_t> v(bytes.begin(), bytes.end());
        EXPECT_TRUE(faxtest::MoveStripPastEnd(v, directory));
        std::string path = dir.File("bad" + std::to_string(directory) + ".tif");
        EXPECT_TRUE(faxtest::WriteFile(path, v));
        return path;
    };
    std::vector<uint8_t> base(5, 1);
    EXPECT_FALSE(TIFFPAGES::Load(garbled(0).c_str(), base));
    EXPECT_TRUE(base.empty());

    ASSERT_TRUE(TIFFPAGES::Load(garbled(1).c_str(), base));
    std::vector<Page> loaded = faxtest::FromBase(base);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_TRUE(loaded[0] == page);
}
