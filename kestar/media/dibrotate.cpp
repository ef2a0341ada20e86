// Rotation of packed DIBs.  Every new pixel is mapped back to the source through its centre, so
// that turns by multiples of 90 degrees (the viewer's only ones) move each pixel exactly, with
// no lost edge row; other angles sample the nearest source pixel.
#include "kestar/media/dibrotate.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace DIBROTATE {
namespace {

const size_t kMaxResult = (size_t)512 << 20;
const double kPi = 3.14159265358979323846;
const unsigned long kBiRgb = 0, kBiBitfields = 3;

unsigned Get16(const unsigned char *p)
{
    return (unsigned)p[0] | (unsigned)p[1] << 8;
}

uint32_t Get32(const unsigned char *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

void Put32(unsigned char *p, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        p[i] = (unsigned char)(v >> (8 * i));
}

size_t Stride(long width, int bits)
{
    return ((size_t)width * (size_t)bits + 31) / 32 * 4;
}

uint32_t GetPixel(const unsigned char *row, long x, int bits)
{
    switch (bits) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
        return (x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4;
    case 8:
        return row[x];
    case 16:
        return Get16(row + 2 * x);
    case 24:
        return (uint32_t)row[3 * x] | (uint32_t)row[3 * x + 1] << 8 | (uint32_t)row[3 * x + 2] << 16;
    default:
        return Get32(row + 4 * x);
    }
}

void SetPixel(unsigned char *row, long x, int bits, uint32_t v)
{
    switch (bits) {
    case 1: {
        unsigned char mask = (unsigned char)(0x80 >> (x & 7));
        row[x >> 3] = (unsigned char)(v ? row[x >> 3] | mask : row[x >> 3] & ~mask);
        break;
    }
    case 4:
        if (x & 1)
            row[x >> 1] = (unsigned char)((row[x >> 1] & 0xF0) | (v & 0x0F));
        else
            row[x >> 1] = (unsigned char)((row[x >> 1] & 0x0F) | (v & 0x0F) << 4);
        break;
    case 8:
        row[x] = (unsigned char)v;
        break;
    case 16:
        row[2 * x] = (unsigned char)v;
        row[2 * x + 1] = (unsigned char)(v >> 8);
        break;
    case 24:
        row[3 * x] = (unsigned char)v;
        row[3 * x + 1] = (unsigned char)(v >> 8);
        row[3 * x + 2] = (unsigned char)(v >> 16);
        break;
    default:
        Put32(row + 4 * x, v);
        break;
    }
}

// The background as a pixel value of the given depth.
uint32_t BackgroundPixel(uint32_t colour, int bits, const unsigned char *table, size_t entries)
{
    unsigned r = colour & 0xFF, g = colour >> 8 & 0xFF, b = colour >> 16 & 0xFF;
    switch (bits) {
    case 1:
        return (colour & 0xFFFFFF) == 0xFFFFFF ? 1u : 0u;
    case 4:
    case 8:
        for (size_t i = 0; i < entries; i++) {
            const unsigned char *q = table + 4 * i; // RGBQUAD: blue, green, red, reserved
            if (q[0] == b && q[1] == g && q[2] == r)
                return (uint32_t)i;
        }
        return 0;
    case 16: // 5-5-5
        return (uint32_t)((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
    default: // 24 and 32 bits: blue, green, red in memory order
        return (uint32_t)(b | g << 8 | r << 16);
    }
}

} // namespace

bool Rotate(const unsigned char *dib, size_t length, double radians, uint32_t background,
            std::vector<unsigned char> &out, int *width, int *height)
{
    out.clear();
    if (!dib || length < 40)
        return false;
    uint32_t infosize = Get32(dib);
    if (infosize < 40 || infosize > length)
        return false;
    long w = (long)(int32_t)Get32(dib + 4);
    long h = (long)(int32_t)Get32(dib + 8);
    int bits = (int)Get16(dib + 14);
    unsigned long compression = Get32(dib + 16);
    uint32_t used = Get32(dib + 32);
    if (h < 0 || w <= 0 || w > 0xFFFFFF || h > 0xFFFFFF)
        return false;
    if (compression != kBiRgb && compression != kBiBitfields)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    // The colour table: biClrUsed entries, or all 2^bits for the palette depths; the three masks
    // of BI_BITFIELDS follow a 40-byte header.  (2^24 entries for true colour would be nonsense.)
    size_t entries = used ? used : (bits <= 8 ? (size_t)1 << bits : 0);
    if (entries > 256 && bits <= 8)
        return false;
    size_t tablebytes = entries * 4;
    if (compression == kBiBitfields && infosize == 40)
        tablebytes += 12;
    if (tablebytes > length - infosize)
        return false;
    size_t headbytes = infosize + tablebytes;
    size_t stride = Stride(w, bits);
    if (h > 0 && stride > (length - headbytes) / (size_t)h)
        return false;
    const unsigned char *pixels = dib + headbytes;

    // Turns by whole quarters use exact sines, so that the corners and every pixel land on whole
    // numbers (the rounding of a computed cos 90° would otherwise shift the image by one pixel).
    double c = std::cos(radians), s = std::sin(radians);
    double quarters = radians / (kPi / 2);
    double k = std::floor(quarters + 0.5);
    if (std::fabs(quarters - k) < 1e-6) {
        static const int kCos[4] = {1, 0, -1, 0}, kSin[4] = {0, 1, 0, -1};
        int q = (int)std::fmod(std::fmod(k, 4.0) + 4.0, 4.0);
        c = kCos[q];
        s = kSin[q];
    }
    const double cx[4] = {0, w * c, -h * s, w * c - h * s};
    const double cy[4] = {0, w * s, h * c, h * c + w * s};
    long minx = 0, maxx = 0, miny = 0, maxy = 0;
    for (int i = 0; i < 4; i++) {
        long x = (long)std::trunc(cx[i]), y = (long)std::trunc(cy[i]);
        minx = std::min(minx, x);
        maxx = std::max(maxx, x);
        miny = std::min(miny, y);
        maxy = std::max(maxy, y);
    }
    long nw = maxx - minx, nh = maxy - miny;
    if (nw <= 0 || nh <= 0)
        return false;
    size_t nstride = Stride(nw, bits);
    if (nstride > (kMaxResult - headbytes) / (size_t)nh)
        return false;

    out.assign(headbytes + nstride * (size_t)nh, 0);
    std::memcpy(out.data(), dib, headbytes);
    Put32(out.data() + 4, (uint32_t)nw);
    Put32(out.data() + 8, (uint32_t)nh);
    Put32(out.data() + 20, (uint32_t)(nstride * (size_t)nh));
    unsigned char *npixels = out.data() + headbytes;
    uint32_t bg = BackgroundPixel(background, bits, dib + infosize, entries);

    for (long y = 0; y < nh; y++) {
        unsigned char *nrow = npixels + nstride * (size_t)y;
        double yc = (double)(y + miny) + 0.5;
        for (long x = 0; x < nw; x++) {
            double xc = (double)(x + minx) + 0.5;
            double u = std::floor(yc * s + xc * c), v = std::floor(yc * c - xc * s);
            uint32_t value = bg;
            if (u >= 0 && u < w && v >= 0 && v < h)
                value = GetPixel(pixels + stride * (size_t)v, (long)u, bits);
            if (value)
                SetPixel(nrow, x, bits, value);
        }
    }
    if (width)
        *width = (int)nw;
    if (height)
        *height = (int)nh;
    return true;
}

} // namespace DIBROTATE
