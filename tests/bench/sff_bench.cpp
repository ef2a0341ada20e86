// Speed of the SFF fax coding: 100 A4 pages at fine resolution (1728 × 2287), each a page of
// typed text made here, coded to SFF and decoded again by SFFCODEC, against libtiff's CCITT
// Group 3 one-dimensional codec (the same Modified Huffman lines) on the same pages, in memory.
// Both results are checked against the pages; the figures are the best of three rounds.
//
//   sff_bench [pages]      (default 100)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "kestar/media/baseform.h"
#include "kestar/media/sffcodec.h"

#if PLX_BENCH_TIFF
#include <tiffio.h>
#endif

namespace {

const int kWidth = 1728;
const int kRows = 2287;
const int kRounds = 3;
const size_t kRowBytes = kWidth / 8;

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

uint32_t gSeed = 12345;
uint32_t Random()
{
    gSeed = gSeed * 1103515245u + 12345u;
    return (gSeed >> 8) & 0xFFFFFF;
}

// A page of typed text: 12 × 20 glyph cells drawn from a font of random strokes, words of 2-9
// letters, lines of 36 rows with ragged right ends, paragraphs apart, and margins.  Rows are
// fax pixels from the top, 1 = black.
std::vector<uint8_t> TextPage(const std::vector<std::vector<uint8_t>> &font)
{
    std::vector<uint8_t> page(kRowBytes * kRows, 0);
    auto set = [&](int x, int y) { page[(size_t)y * kRowBytes + x / 8] |= (uint8_t)(0x80 >> (x % 8)); };
    const int left = 120, right = kWidth - 120;
    int y = 160;
    while (y + 20 < kRows - 150) {
        int lineEnd = right - (int)(Random() % 200);
        if (Random() % 9 == 0)
            lineEnd = left + 300 + (int)(Random() % 800); // the last line of a paragraph
        int x = left;
        while (x < lineEnd - 130) {
            int letters = 2 + (int)(Random() % 8);
            for (int l = 0; l < letters && x + 12 < lineEnd; l++, x += 14) {
                const std::vector<uint8_t> &glyph = font[Random() % font.size()];
                for (int gy = 0; gy < 20; gy++)
                    for (int gx = 0; gx < 12; gx++)
                        if (glyph[gy * 12 + gx])
                            set(x + gx, y + gy);
            }
            x += 12; // the blank between words
        }
        y += (Random() % 9 == 0) ? 72 : 36;
    }
    return page;
}

std::vector<std::vector<uint8_t>> MakeFont()
{
    std::vector<std::vector<uint8_t>> font;
    for (int g = 0; g < 60; g++) {
        std::vector<uint8_t> glyph(12 * 20, 0);
        int strokes = 2 + (int)(Random() % 3);
        for (int s = 0; s < strokes; s++) {
            int kind = (int)(Random() % 3);
            int a = (int)(Random() % 10), b = (int)(Random() % 18);
            for (int t = 0; t < 14; t++) {
                int gx = kind == 0 ? a : kind == 1 ? t % 12 : (a + t / 2) % 12;
                int gy = kind == 0 ? 3 + t : kind == 1 ? b : 3 + t;
                for (int w = 0; w < 2 && gx + w < 12; w++)
                    glyph[gy * 12 + gx + w] = 1;
            }
        }
        font.push_back(glyph);
    }
    return font;
}

// The pages in the base form (bottom-up rows).
std::vector<unsigned char> ToBase(const std::vector<std::vector<uint8_t>> &pages)
{
    std::vector<unsigned char> base;
    for (const std::vector<uint8_t> &page : pages) {
        BASEFORM::AppendHeaders(base, kWidth, kRows, true);
        for (int y = kRows - 1; y >= 0; y--)
            base.insert(base.end(), page.begin() + (long)((size_t)y * kRowBytes),
                        page.begin() + (long)((size_t)(y + 1) * kRowBytes));
    }
    return base;
}

bool SamePages(const std::vector<unsigned char> &base, const std::vector<std::vector<uint8_t>> &pages)
{
    size_t offset = 0;
    std::vector<uint8_t> row(kRowBytes);
    for (const std::vector<uint8_t> &page : pages) {
        BASEFORM::PAGE p;
        if (!BASEFORM::ReadPage(base.data(), base.size(), offset, &p) || p.Width != kWidth)
            return false;
        // Empty rows at the bottom of a page are not written to SFF.
        for (int y = 0; y < kRows; y++) {
            const uint8_t *want = &page[(size_t)y * kRowBytes];
            if (y < p.Height) {
                BASEFORM::FaxRow(p, y, row.data());
                if (std::memcmp(row.data(), want, kRowBytes) != 0)
                    return false;
            } else if (std::any_of(want, want + kRowBytes, [](uint8_t b) { return b != 0; })) {
                return false;
            }
        }
        offset += p.Size;
    }
    return offset == base.size();
}

#if PLX_BENCH_TIFF
// libtiff on a growing memory buffer.
struct MEMFILE {
    std::vector<unsigned char> Bytes;
    toff_t Pos = 0;
};

tmsize_t MemRead(thandle_t h, void *buf, tmsize_t size)
{
    MEMFILE *m = static_cast<MEMFILE *>(h);
    if (m->Pos >= m->Bytes.size())
        return 0;
    tmsize_t n = std::min<tmsize_t>(size, (tmsize_t)(m->Bytes.size() - m->Pos));
    std::memcpy(buf, m->Bytes.data() + m->Pos, (size_t)n);
    m->Pos += (toff_t)n;
    return n;
}
tmsize_t MemWrite(thandle_t h, void *buf, tmsize_t size)
{
    MEMFILE *m = static_cast<MEMFILE *>(h);
    if (m->Pos + (toff_t)size > m->Bytes.size())
        m->Bytes.resize((size_t)(m->Pos + (toff_t)size));
    std::memcpy(m->Bytes.data() + m->Pos, buf, (size_t)size);
    m->Pos += (toff_t)size;
    return size;
}
toff_t MemSeek(thandle_t h, toff_t off, int whence)
{
    MEMFILE *m = static_cast<MEMFILE *>(h);
    toff_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->Pos : m->Bytes.size();
    m->Pos = base + off;
    return m->Pos;
}
int MemClose(thandle_t) { return 0; }
toff_t MemSize(thandle_t h) { return static_cast<MEMFILE *>(h)->Bytes.size(); }
int MemMap(thandle_t, void **, toff_t *) { return 0; }
void MemUnmap(thandle_t, void *, toff_t) {}

TIFF *MemOpen(MEMFILE &m, const char *mode)
{
    m.Pos = 0;
    return TIFFClientOpen("bench", mode, &m, MemRead, MemWrite, MemSeek, MemClose, MemSize, MemMap, MemUnmap);
}

bool TiffEncode(const std::vector<std::vector<uint8_t>> &pages, MEMFILE &m)
{
    m.Bytes.clear();
    TIFF *tif = MemOpen(m, "w");
    if (!tif)
        return false;
    bool ok = true;
    std::vector<uint8_t> row(kRowBytes);
    for (const std::vector<uint8_t> &page : pages) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)kWidth);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)kRows);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
        TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, 0); // one-dimensional
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, (uint32_t)kRows);
        for (int y = 0; y < kRows && ok; y++) {
            std::memcpy(row.data(), &page[(size_t)y * kRowBytes], kRowBytes);
            ok = TIFFWriteScanline(tif, row.data(), (uint32_t)y, 0) == 1;
        }
        ok = ok && TIFFWriteDirectory(tif) == 1;
    }
    TIFFClose(tif);
    return ok;
}

bool TiffDecode(MEMFILE &m, std::vector<uint8_t> &pixels)
{
    TIFF *tif = MemOpen(m, "r");
    if (!tif)
        return false;
    pixels.clear();
    bool ok = true;
    std::vector<uint8_t> row(kRowBytes);
    do {
        for (int y = 0; y < kRows && ok; y++) {
            ok = TIFFReadScanline(tif, row.data(), (uint32_t)y, 0) == 1;
            pixels.insert(pixels.end(), row.begin(), row.end());
        }
    } while (ok && TIFFReadDirectory(tif));
    TIFFClose(tif);
    return ok;
}
#endif

void Result(const char *what, int pages, double ours, double reference)
{
    if (reference > 0)
        std::printf("BENCH SFF %s %d A4 fine pages | %.3f s | %.3f s | %.2f | -\n", what, pages, ours, reference,
                    ours / reference);
    else
        std::printf("BENCH SFF %s %d A4 fine pages | %.3f s | - | - | -\n", what, pages, ours);
}

} // namespace

int main(int argc, char **argv)
{
    int count = argc > 1 ? std::atoi(argv[1]) : 100;
    if (count < 1)
        count = 1;
#if defined(_WIN32)
    std::printf("sff_bench (%d-bit Windows build)\n", static_cast<int>(sizeof(void *) * 8));
#else
    std::printf("sff_bench (%d-bit native build)\n", static_cast<int>(sizeof(void *) * 8));
#endif
    // Ten different pages, repeated: enough variety, and a page costs little memory twice.
    std::vector<std::vector<uint8_t>> font = MakeFont(), distinct, pages;
    for (int i = 0; i < 10 && i < count; i++)
        distinct.push_back(TextPage(font));
    for (int i = 0; i < count; i++)
        pages.push_back(distinct[(size_t)i % distinct.size()]);
    std::vector<unsigned char> base = ToBase(pages);

    double encode = 1e30, decode = 1e30;
    std::vector<unsigned char> sff, back;
    for (int round = 0; round < kRounds; round++) {
        double t0 = Now();
        int written = SFFCODEC::Bmp2Sff(base.data(), base.size(), sff);
        double t1 = Now();
        int read = SFFCODEC::Sff2Bmp(sff.data(), sff.size(), back);
        double t2 = Now();
        if (written != count || read != count) {
            std::printf("SFF round trip failed: %d written, %d read\n", written, read);
            return 1;
        }
        encode = std::min(encode, t1 - t0);
        decode = std::min(decode, t2 - t1);
    }
    bool ok = SamePages(back, pages);
    std::printf("  SFF: %zu bytes for %d pages (%.1f KB a page); encode %.3f s, decode %.3f s; pages %s\n",
                sff.size(), count, sff.size() / 1024.0 / count, encode, decode, ok ? "ok" : "DIFFER");
    if (!ok)
        return 1;

    double tiffEncode = 0, tiffDecode = 0;
#if PLX_BENCH_TIFF
    TIFFSetWarningHandler(nullptr);
    tiffEncode = tiffDecode = 1e30;
    MEMFILE m;
    std::vector<uint8_t> pixels;
    for (int round = 0; round < kRounds; round++) {
        double t0 = Now();
        bool encoded = TiffEncode(pages, m);
        double t1 = Now();
        bool decoded = encoded && TiffDecode(m, pixels);
        double t2 = Now();
        if (!decoded) {
            std::printf("libtiff round trip failed\n");
            return 1;
        }
        tiffEncode = std::min(tiffEncode, t1 - t0);
        tiffDecode = std::min(tiffDecode, t2 - t1);
    }
    bool same = pixels.size() == (size_t)count * kRows * kRowBytes;
    for (int i = 0; i < count && same; i++)
        same = std::memcmp(&pixels[(size_t)i * kRows * kRowBytes], pages[(size_t)i].data(), pages[(size_t)i].size()) == 0;
    std::printf("  libtiff G3 1D: %zu bytes; encode %.3f s, decode %.3f s; pages %s\n", m.Bytes.size(), tiffEncode,
                tiffDecode, same ? "ok" : "DIFFER");
    if (!same)
        return 1;
#else
    std::printf("  libtiff G3 1D: not in this build\n");
#endif
    Result("encode", count, encode, tiffEncode);
    Result("decode", count, decode, tiffDecode);
    return 0;
}
