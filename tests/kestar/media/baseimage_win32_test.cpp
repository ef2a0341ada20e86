// Bitmaps of base-form pages: GetBitmap shows the current page as it is stored in a bitmap the
// caller owns, GetRotatedBitmap turns it exactly, and broken pages give no bitmap.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "kestar/media/baseimage.h"
#include "tests/support/faxpages_support.h"

using faxtest::Page;

namespace {

std::unique_ptr<BASEIMAGE> BaseImage(const std::vector<uint8_t> &bytes)
{
    return std::unique_ptr<BASEIMAGE>(
        new BASEIMAGE(bytes.data(), (STRING_SIZE_T)bytes.size(), "IMAGE BASE:", BASEIMAGE::kBlockSize));
}

// Reads a bitmap back as a page (1 = black), top row first.
Page ReadBack(HBITMAP bitmap)
{
    BITMAP bm = {};
    GetObjectA(bitmap, sizeof(bm), &bm);
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colours[2];
    } info = {};
    info.h.biSize = sizeof(info.h);
    info.h.biWidth = bm.bmWidth;
    info.h.biHeight = -bm.bmHeight; // top-down
    info.h.biPlanes = 1;
    info.h.biBitCount = 1;
    size_t stride = ((size_t)bm.bmWidth + 31) / 32 * 4;
    std::vector<uint8_t> bits(stride * bm.bmHeight);
    HDC dc = CreateCompatibleDC(nullptr);
    int lines = GetDIBits(dc, bitmap, 0, bm.bmHeight, bits.data(), (BITMAPINFO *)&info, DIB_RGB_COLORS);
    DeleteDC(dc);
    Page p(bm.bmWidth, lines > 0 ? lines : 0);
    // GetDIBits fills the colour table: find which index is dark.
    bool zeroIsBlack = info.colours[0].rgbRed < 128;
    for (int y = 0; y < p.Height(); y++)
        for (int x = 0; x < p.Width; x++) {
            bool bit = (bits[stride * y + (x >> 3)] >> (7 - (x & 7))) & 1;
            p.Set(x, y, bit != zeroIsBlack);
        }
    return p;
}

} // namespace

TEST(BASEIMAGE, BitmapsShowTheCurrentPage)
{
    Page first = faxtest::RandomRuns(1728, 40, 1);
    Page second = faxtest::RandomRuns(96, 30, 2);
    auto image = BaseImage(faxtest::ToBase({first, second}));
    for (int page = 0; page < 2; page++) {
        ASSERT_TRUE(image->SelectPage(page));
        HBITMAP bitmap = image->GetBitmap();
        ASSERT_NE(bitmap, nullptr) << page;
        EXPECT_TRUE(ReadBack(bitmap) == (page ? second : first)) << page;
        DeleteObject(bitmap);
    }

    // The caller owns each bitmap: a new one for every call, valid after the image has gone.
    ASSERT_TRUE(image->SelectPage(0));
    HBITMAP one = image->GetBitmap(), two = image->GetBitmap();
    int w = 0, h = 0;
    HBITMAP turned = image->GetRotatedBitmap(90, &w, &h);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(turned, nullptr);
    EXPECT_NE(one, two);
    image.reset();
    EXPECT_TRUE(ReadBack(one) == first);
    EXPECT_TRUE(ReadBack(two) == first);
    EXPECT_EQ(ReadBack(turned).Width, 40);
    EXPECT_TRUE(DeleteObject(one));
    EXPECT_TRUE(DeleteObject(two));
    EXPECT_TRUE(DeleteObject(turned));
}

TEST(BASEIMAGE, RotatedBitmapsTurnQuarterTurnsExactly)
{
    Page page = faxtest::RandomRuns(45, 17, 3);
    auto image = BaseImage(faxtest::ToBase({page}));
    for (int degrees : {0, 90, 180, 270}) {
        int w = -1, h = -1;
        HBITMAP bitmap = image->GetRotatedBitmap(degrees, &w, &h);
        ASSERT_NE(bitmap, nullptr) << degrees;
        Page turned = ReadBack(bitmap);
        DeleteObject(bitmap);
        bool across = degrees % 180 != 0;
        EXPECT_EQ(w, across ? 17 : 45) << degrees;
        EXPECT_EQ(h, across ? 45 : 17) << degrees;
        ASSERT_EQ(turned.Width, w);
        ASSERT_EQ(turned.Height(), h);
        // Counter-clockwise: the right edge goes to the top (rows counted from the top here).
        for (int y = 0; y < 17; y++)
            for (int x = 0; x < 45; x++) {
                int nx = degrees == 0 ? x : degrees == 90 ? y : degrees == 180 ? 44 - x : 16 - y;
                int ny = degrees == 0 ? y : degrees == 90 ? 44 - x : degrees == 180 ? 16 - y : x;
                ASSERT_EQ(turned.Get(nx, ny), page.Get(x, y)) << degrees << ": " << x << "," << y;
            }
    }
}

TEST(BASEIMAGE, BrokenPagesGiveNoBitmap)
{
    std::vector<uint8_t> good = faxtest::ToBase({faxtest::RandomRuns(64, 8, 4)});
    struct Case {
        const char *name;
        size_t at;
        uint32_t value;
    };
    const Case cases[] = {
        {"more rows than the page holds", 22, 9},
        {"pixels before the colour table ends", 10, 58},
        {"colour table past the pixels", 46, 200},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> v = good;
        for (int i = 0; i < 4; i++)
            v[c.at + i] = (uint8_t)(c.value >> (8 * i));
        auto image = BaseImage(v);
        EXPECT_EQ(image->GetBitmap(), nullptr) << c.name;
        int w = 7, h = 7;
        EXPECT_EQ(image->GetRotatedBitmap(90, &w, &h), nullptr) << c.name;
        EXPECT_EQ(w, 7) << c.name;
    }
    BASEIMAGE empty("IMAGE BASE:", 96);
    EXPECT_EQ(empty.GetBitmap(), nullptr);
}
