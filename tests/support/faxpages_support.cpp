// Test pages for the fax image tests (see faxpages_support.h).
#include "tests/support/faxpages_support.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <sstream>

namespace faxtest {

Page::Page(int width, int height, bool fine) : Width(width), Fine(fine)
{
    Rows.assign(height, std::vector<uint8_t>((width + 7) / 8, 0));
}

bool Page::Get(int x, int y) const
{
    return (Rows[y][x >> 3] >> (7 - (x & 7))) & 1;
}

void Page::Set(int x, int y, bool black)
{
    uint8_t bit = (uint8_t)(0x80 >> (x & 7));
    if (black)
        Rows[y][x >> 3] |= bit;
    else
        Rows[y][x >> 3] &= (uint8_t)~bit;
}

void Page::Fill(int x0, int x1, int y, bool black)
{
    for (int x = x0; x < x1; x++)
        Set(x, y, black);
}

bool operator==(const Page &a, const Page &b)
{
    return a.Width == b.Width && a.Fine == b.Fine && a.Rows == b.Rows;
}

std::string Describe(const Page &p)
{
    std::ostringstream s;
    s << p.Width << "x" << p.Height() << (p.Fine ? " fine" : " normal");
    return s.str();
}

Page RandomRuns(int width, int height, uint32_t seed, bool fine)
{
    Page p(width, height, fine);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; y++) {
        int x = 0;
        bool black = rng() % 2;
        while (x < width) {
            int run = 1 + (int)(rng() % 300);
            if (black)
                p.Fill(x, std::min(width, x + run), y);
            x += run;
            black = !black;
        }
    }
    return p;
}

Page Alternating(int width, int height, bool fine)
{
    Page p(width, height, fine);
    for (int y = 0; y < height; y++)
        for (int x = (y & 1); x < width; x += 2)
            p.Set(x, y);
    return p;
}

Page WhiteRunThenBlack(int width, int white, bool fine)
{
    Page p(width, 2, fine);
    p.Fill(white, width, 0);
    return p;
}

static void Put32(std::vector<uint8_t> &v, uint32_t x)
{
    for (int i = 0; i < 4; i++)
        v.push_back((uint8_t)(x >> (8 * i)));
}

static void Put16(std::vector<uint8_t> &v, uint16_t x)
{
    v.push_back((uint8_t)x);
    v.push_back((uint8_t)(x >> 8));
}

std::vector<uint8_t> ToBase(const std::vector<Page> &pages)
{
    std::vector<uint8_t> out;
    for (const Page &p : pages) {
        size_t stride = ((size_t)p.Width + 31) / 32 * 4;
        out.push_back('B');
        out.push_back('M');
        Put32(out, (uint32_t)(62 + stride * p.Height()));
        Put16(out, p.Fine ? 1 : 0);
        Put16(out, 0);
        Put32(out, 62);
        Put32(out, 40);
        Put32(out, (uint32_t)p.Width);
        Put32(out, (uint32_t)p.Height());
        Put16(out, 1);
        Put16(out, 1);
        for (int i = 0; i < 6; i++)
            Put32(out, 0);
        Put32(out, 0x00FFFFFF);
        Put32(out, 0);
        for (int y = p.Height() - 1; y >= 0; y--) {
            std::vector<uint8_t> row = p.Rows[y];
            row.resize(stride, 0);
            out.insert(out.end(), row.begin(), row.end());
        }
    }
    return out;
}

uint32_t Get32(const std::vector<uint8_t> &v, size_t at)
{
    return (uint32_t)v.at(at) | (uint32_t)v.at(at + 1) << 8 | (uint32_t)v.at(at + 2) << 16 |
           (uint32_t)v.at(at + 3) << 24;
}

uint16_t Get16(const std::vector<uint8_t> &v, size_t at)
{
    return (uint16_t)(v.at(at) | v.at(at + 1) << 8);
}

std::vector<Page> FromBase(const std::vector<uint8_t> &base)
{
    std::vector<Page> pages;
    size_t at = 0;
    while (at < base.size()) {
        if (base.size() - at < 62 || base[at] != 'B' || base[at + 1] != 'M')
            return {};
        uint32_t size = Get32(base, at + 2);
        int width = (int)Get32(base, at + 18);
        int height = (int)Get32(base, at + 22);
        uint32_t offbits = Get32(base, at + 10);
        if (size < 62 || size > base.size() - at || Get16(base, at + 28) != 1 || width <= 0 ||
            height < 0)
            return {};
        size_t stride = ((size_t)width + 31) / 32 * 4;
        if (offbits + stride * height > size)
            return {};
        Page p(width, height, Get16(base, at + 6) == 1);
        for (int y = 0; y < height; y++) {
            const uint8_t *row = &base[at + offbits + stride * (height - 1 - y)];
            p.Rows[y].assign(row, row + (width + 7) / 8);
            if (width & 7)
                p.Rows[y].back() &= (uint8_t)(0xFF << (8 - (width & 7)));
        }
        pages.push_back(p);
        at += size;
    }
    return pages;
}

std::vector<uint8_t> PackBits(const std::string &bits)
{
    std::vector<uint8_t> out;
    int n = 0;
    for (char c : bits) {
        if (c != '0' && c != '1')
            continue;
        if (n % 8 == 0)
            out.push_back(0);
        if (c == '1')
            out.back() |= (uint8_t)(1 << (n % 8));
        n++;
    }
    return out;
}

bool MoveStripPastEnd(std::vector<uint8_t> &tiff, int directory)
{
    auto get = [&](size_t at, int n, uint32_t *v) {
        if (at + n > tiff.size())
            return false;
        *v = 0;
        for (int i = n - 1; i >= 0; i--)
            *v = *v << 8 | tiff[at + i];
        return true;
    };
    uint32_t ifd = 0, count = 0;
    if (tiff.size() < 8 || tiff[0] != 'I' || tiff[1] != 'I' || !get(4, 4, &ifd))
        return false;
    for (int d = 0; d < directory; d++)
        if (!get(ifd, 2, &count) || !get(ifd + 2 + 12 * (size_t)count, 4, &ifd))
            return false;
    if (!get(ifd, 2, &count))
        return false;
    for (uint32_t e = 0; e < count; e++) {
        size_t entry = ifd + 2 + 12 * (size_t)e;
        uint32_t tag = 0, type = 0, n = 0;
        if (!get(entry, 2, &tag) || !get(entry + 2, 2, &type) || !get(entry + 4, 4, &n))
            return false;
        if (tag == 273) { // StripOffsets
            if (type != 4 || n != 1) // one LONG, held in the entry
                return false;
            for (int i = 0; i < 4; i++)
                tiff[entry + 8 + i] = (uint8_t)(0x70000000u >> (8 * i));
            return true;
        }
    }
    return false;
}

bool WriteFile(const std::string &path, const std::vector<uint8_t> &data)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace faxtest
