// The base form's page walk and page checks: sizes that are too small or reach past the data
// end the walk; a page whose headers do not fit is refused; rows are padded to 32 bits.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "kestar/media/baseform.h"
#include "tests/support/bytes_support.h"
#include "tests/support/faxpages_support.h"

using faxtest::Page;

namespace {

// Counts pages in an exact-size copy (ASan sees any read past it).
int Count(const std::vector<uint8_t> &v)
{
    std::unique_ptr<uint8_t[]> copy(new uint8_t[v.size() + 1]);
    std::memcpy(copy.get(), v.data(), v.size());
    return BASEFORM::CountPages(v.empty() ? nullptr : copy.get(), v.size());
}

} // namespace

TEST(BASEFORM, RowsArePaddedToWholeWords)
{
    const struct {
        int width;
        size_t bytes;
    } cases[] = {{1, 4}, {32, 4}, {33, 8}, {1700, 216}, {1728, 216}, {1729, 220}, {2432, 304}};
    for (const auto &c : cases)
        EXPECT_EQ(BASEFORM::RowBytes(c.width), c.bytes) << c.width;
}

TEST(BASEFORM, PageWalkStopsAtSizesThatDoNotFit)
{
    std::vector<uint8_t> three =
        faxtest::ToBase({Page(1728, 10), Page(1700, 3), Page(2432, 1)}); // 2222 + 710 + 366
    ASSERT_EQ(three.size(), 2222u + 710u + 366u);
    const size_t second = 2222, third = 2222 + 710;
    struct Case {
        const char *name;
        size_t at;     // bfSize of the page at this offset is changed ...
        uint32_t size; // ... to this
        size_t length; // data cut to this length (0: whole)
        int pages;
    };
    const Case cases[] = {
        {"intact", 0, 2222, 0, 3},
        {"last page past the data", third, 367, 0, 2},
        {"size 0", second, 0, 0, 1},
        {"size below the headers", second, 61, 0, 1},
        {"huge size", 0, 0xFFFFFFFFu, 0, 0},
        {"data cut inside the last page", 0, 2222, three.size() - 1, 2},
        {"data cut inside a header", 0, 2222, 20, 0},
        {"trailing bytes", 0, 2222, 0, 3},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> v = three;
        Set32(v, c.at + 2, c.size);
        if (c.length)
            v.resize(c.length);
        if (std::string(c.name) == "trailing bytes")
            v.insert(v.end(), 30, 0xEE);
        EXPECT_EQ(Count(v), c.pages) << c.name;
        size_t offset = 12345;
        EXPECT_EQ(BASEFORM::FindPage(v.data(), v.size(), c.pages, &offset), false) << c.name;
        EXPECT_EQ(offset, 12345u) << c.name;
        if (c.pages > 0) {
            EXPECT_TRUE(BASEFORM::FindPage(v.data(), v.size(), c.pages - 1, &offset)) << c.name;
            EXPECT_EQ(offset, c.pages == 1 ? 0 : c.pages == 2 ? second : third) << c.name;
        }
    }
    EXPECT_EQ(BASEFORM::CountPages(nullptr, 0), 0);
    size_t offset = 0;
    EXPECT_FALSE(BASEFORM::FindPage(three.data(), three.size(), -1, &offset));
}

TEST(BASEFORM, ReadPageRefusesHeadersThatDoNotFit)
{
    Page p(1728, 4);
    p.Set(0, 0);
    const std::vector<uint8_t> good = faxtest::ToBase({p});
    struct Case {
        const char *name;
        size_t at;
        uint32_t value;
        int bytes;
        bool ok;
    };
    const Case cases[] = {
        {"intact", 0, 'B', 1, true},
        {"no BM", 0, 'X', 1, false},
        {"info header too small", 14, 12, 4, false},
        {"info header past the page", 14, 4000, 4, false},
        {"width 0", 18, 0, 4, false},
        {"negative width", 18, 0xFFFFFFF0u, 4, false},
        {"more rows than the page holds", 22, 5, 4, false},
        {"top-down rows", 22, (uint32_t)-4, 4, true},
        {"compressed", 30, 2, 4, false},
        {"odd bit depth", 28, 3, 2, false},
        {"8 bits do not fit", 28, 8, 2, false},
        {"pixels before the headers", 10, 20, 4, false},
        {"pixels past the page", 10, 9000, 4, false},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> v = good;
        for (int i = 0; i < c.bytes; i++)
            v[c.at + i] = (uint8_t)(c.value >> (8 * i));
        BASEFORM::PAGE page;
        EXPECT_EQ(BASEFORM::ReadPage(v.data(), v.size(), 0, &page), c.ok) << c.name;
    }
    BASEFORM::PAGE page;
    ASSERT_TRUE(BASEFORM::ReadPage(good.data(), good.size(), 0, &page));
    EXPECT_EQ(page.Width, 1728);
    EXPECT_EQ(page.Height, 4);
    EXPECT_TRUE(page.Fine);
    EXPECT_EQ(page.BitCount, 1);
    EXPECT_EQ(page.Stride, 216u);
    EXPECT_EQ(page.RowFromTop(0)[0], 0x80);
}

TEST(BASEFORM, FaxRowFollowsThePaletteAndOrientation)
{
    Page p(13, 3);
    p.Fill(0, 5, 0); // top row: 5 black
    p.Set(12, 2);    // bottom row: last pixel
    std::vector<uint8_t> v = faxtest::ToBase({p});
    // Padding bits set in the file must not show as pixels.
    v[62 + 1] |= 0x07;
    BASEFORM::PAGE page;
    ASSERT_TRUE(BASEFORM::ReadPage(v.data(), v.size(), 0, &page));
    uint8_t row[2];
    BASEFORM::FaxRow(page, 0, row);
    EXPECT_EQ(row[0], 0xF8);
    EXPECT_EQ(row[1], 0x00);
    BASEFORM::FaxRow(page, 2, row);
    EXPECT_EQ(row[0], 0x00);
    EXPECT_EQ(row[1], 0x08);

    // A palette with black first: the same picture is stored inverted.
    std::vector<uint8_t> inv = v;
    std::memcpy(&inv[54], "\0\0\0\0\xff\xff\xff\0", 8);
    for (size_t i = 62; i < inv.size(); i++)
        inv[i] = (uint8_t)~inv[i];
    ASSERT_TRUE(BASEFORM::ReadPage(inv.data(), inv.size(), 0, &page));
    EXPECT_TRUE(page.InvertedPalette);
    BASEFORM::FaxRow(page, 0, row);
    EXPECT_EQ(row[0], 0xF8);
    EXPECT_EQ(row[1], 0x00);

    // Top-down storage (negative height).
    std::vector<uint8_t> td = faxtest::ToBase({p});
    Set32(td, 22, (uint32_t)-3);
    std::vector<uint8_t> rows(td.begin() + 62, td.end());
    for (int y = 0; y < 3; y++)
        std::memcpy(&td[62 + 4 * y], &rows[4 * (2 - y)], 4);
    ASSERT_TRUE(BASEFORM::ReadPage(td.data(), td.size(), 0, &page));
    EXPECT_TRUE(page.TopDown);
    BASEFORM::FaxRow(page, 0, row);
    EXPECT_EQ(row[0], 0xF8);
}
