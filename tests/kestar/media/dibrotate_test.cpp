// Rotation of packed DIBs: quarter turns move every pixel exactly (no lost edge row), any angle
// fills the uncovered corners with the background, and bitmaps that do not fit their bytes or
// use an unsupported layout give no result.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "kestar/media/dibrotate.h"

namespace {

const double kDegree = 6.283185307 / 360; // as the viewer computes its angles

// A packed DIB with bottom-up rows; pixel(x, y) gives the value at column x of row y (row 0 is
// the bottom one, as stored).
struct Dib {
    int Width, Height, Bits;
    std::vector<uint8_t> Bytes;

    Dib(int w, int h, int bits, int entries) : Width(w), Height(h), Bits(bits)
    {
        Bytes.assign(40 + 4 * (size_t)entries + Stride() * h, 0);
        Put(0, 40);
        Put(4, (uint32_t)w);
        Put(8, (uint32_t)h);
        Bytes[12] = 1;
        Bytes[14] = (uint8_t)bits;
        Put(32, (uint32_t)entries);
        for (int i = 0; i < entries; i++) {
            Bytes[40 + 4 * i] = (uint8_t)(i * 10);     // blue
            Bytes[40 + 4 * i + 1] = (uint8_t)(i * 20); // green
            Bytes[40 + 4 * i + 2] = (uint8_t)(i * 30); // red
        }
    }
    size_t Stride() const { return ((size_t)Width * Bits + 31) / 32 * 4; }
    size_t PixelStart() const { return Bytes.size() - Stride() * Height; }
    void Put(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; i++)
            Bytes[at + i] = (uint8_t)(v >> (8 * i));
    }
    uint32_t Get(int x, int y) const
    {
        const uint8_t *row = &Bytes[PixelStart() + Stride() * y];
        switch (Bits) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 8:
            return row[x];
        default: // 24
            return row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
        }
    }
    void Set(int x, int y, uint32_t v)
    {
        uint8_t *row = &Bytes[PixelStart() + Stride() * y];
        switch (Bits) {
        case 1:
            if (v)
                row[x >> 3] |= (uint8_t)(0x80 >> (x & 7));
            break;
        case 8:
            row[x] = (uint8_t)v;
            break;
        default:
            row[3 * x] = (uint8_t)v;
            row[3 * x + 1] = (uint8_t)(v >> 8);
            row[3 * x + 2] = (uint8_t)(v >> 16);
        }
    }
};

// Rotates from an exact-size copy and reads the result back as a Dib.
bool Turn(const Dib &in, double degrees, Dib *result, uint32_t background = 0)
{
    std::unique_ptr<uint8_t[]> copy(new uint8_t[in.Bytes.size()]);
    std::memcpy(copy.get(), in.Bytes.data(), in.Bytes.size());
    std::vector<uint8_t> out;
    int w = 0, h = 0;
    if (!DIBROTATE::Rotate(copy.get(), in.Bytes.size(), degrees * kDegree, background, out, &w,
                           &h))
        return false;
    uint32_t entries = in.Bytes[32] | in.Bytes[33] << 8;
    *result = Dib(w, h, in.Bits, (int)entries);
    EXPECT_EQ(out.size(), result->Bytes.size());
    if (out.size() == result->Bytes.size())
        result->Bytes = out;
    return true;
}

Dib Pattern(int bits)
{
    Dib d(13, 5, bits, bits == 1 ? 2 : bits == 8 ? 16 : 0);
    for (int y = 0; y < 5; y++)
        for (int x = 0; x < 13; x++)
            if (bits == 1 ? (x * 7 + y * 3) % 5 == 0 : true)
                d.Set(x, y, bits == 1 ? 1 : bits == 8 ? (uint32_t)((x + y) % 16)
                                                      : (uint32_t)(x * 0x10101 + y * 0x30000));
    return d;
}

} // namespace

TEST(DIBROTATE, QuarterTurnsMoveEveryPixelExactly)
{
    for (int bits : {1, 8, 24}) {
        Dib src = Pattern(bits);
        const int W = src.Width, H = src.Height;
        struct Case {
            int degrees, width, height;
        };
        for (const Case &c : {Case{0, W, H}, Case{90, H, W}, Case{180, W, H}, Case{270, H, W},
                              Case{360, W, H}, Case{-90, H, W}}) {
            Dib r(1, 1, bits, 0);
            ASSERT_TRUE(Turn(src, c.degrees, &r)) << bits << " bits, " << c.degrees;
            ASSERT_EQ(r.Width, c.width) << c.degrees;
            ASSERT_EQ(r.Height, c.height) << c.degrees;
            // Header and colour table are copied; the image size is the new one.
            EXPECT_EQ(0, std::memcmp(&r.Bytes[12], &src.Bytes[12], 8)) << c.degrees;
            EXPECT_EQ(0, std::memcmp(&r.Bytes[40], &src.Bytes[40], src.PixelStart() - 40));
            int q = ((c.degrees / 90) % 4 + 4) % 4;
            for (int y = 0; y < H; y++) {
                for (int x = 0; x < W; x++) {
                    // Counter-clockwise with rows counted upwards: right goes to the top.
                    int nx = q == 0 ? x : q == 1 ? H - 1 - y : q == 2 ? W - 1 - x : y;
                    int ny = q == 0 ? y : q == 1 ? x : q == 2 ? H - 1 - y : W - 1 - x;
                    ASSERT_EQ(r.Get(nx, ny), src.Get(x, y))
                        << bits << " bits, " << c.degrees << " degrees, pixel " << x << "," << y;
                }
            }
        }
    }
}

TEST(DIBROTATE, OtherAnglesFillTheCornersWithTheBackground)
{
    Dib src(40, 40, 24, 0);
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 40; x++)
            src.Set(x, y, 0x112233);
    Dib r(1, 1, 24, 0);
    // The background colour 0x00BBGGRR is stored blue, green, red.
    ASSERT_TRUE(Turn(src, 45, &r, 0x00CCBBAA));
    EXPECT_EQ(r.Width, 56);
    EXPECT_EQ(r.Height, 56);
    EXPECT_EQ(r.Get(0, 0), 0xAABBCCu);
    EXPECT_EQ(r.Get(55, 55), 0xAABBCCu);
    EXPECT_EQ(r.Get(28, 28), 0x112233u);

    // 1 bit: all bits set only for white; 8 bits: the palette index of the colour.
    Dib mono(16, 16, 1, 2);
    ASSERT_TRUE(Turn(mono, 30, &r, 0xFFFFFF));
    EXPECT_EQ(r.Get(0, 0), 1u);
    ASSERT_TRUE(Turn(mono, 30, &r, 0));
    EXPECT_EQ(r.Get(0, 0), 0u);
    Dib pal(16, 16, 8, 16);
    ASSERT_TRUE(Turn(pal, 30, &r, (5 * 30) | (5 * 20) << 8 | (5 * 10) << 16));
    EXPECT_EQ(r.Get(0, 0), 5u);
}

TEST(DIBROTATE, RefusesBitmapsItCannotRead)
{
    const Dib good = Pattern(1);
    struct Case {
        const char *name;
        size_t at;
        uint32_t value;
        size_t cut; // bytes removed from the end
    };
    const Case cases[] = {
        {"top-down rows", 8, (uint32_t)-5, 0},
        {"run-length compressed", 16, 1, 0},
        {"2 bits per pixel", 14, 2, 0},
        {"header size past the data", 0, 4000, 0},
        {"header size too small", 0, 12, 0},
        {"colour table past the data", 32, 100000, 0},
        {"pixels cut off", 0, 40, 1},
        {"width 0", 4, 0, 0},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> bytes = good.Bytes;
        for (int i = 0; i < (c.at == 14 ? 2 : 4); i++)
            bytes[c.at + i] = (uint8_t)(c.value >> (8 * i));
        bytes.resize(bytes.size() - c.cut);
        std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size()]);
        std::memcpy(copy.get(), bytes.data(), bytes.size());
        std::vector<uint8_t> out(3, 1);
        EXPECT_FALSE(DIBROTATE::Rotate(copy.get(), bytes.size(), 0, 0, out)) << c.name;
        EXPECT_TRUE(out.empty()) << c.name;
    }
    std::vector<uint8_t> out;
    EXPECT_FALSE(DIBROTATE::Rotate(nullptr, 0, 0, 0, out));
}
