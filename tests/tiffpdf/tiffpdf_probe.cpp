// tiffpdf_probe: writes fixture TIFF files through libtiff into the current folder, converts
// each with convert_tiff_to_pdf, and lists in "cases.txt" what the rendered pages must show, for
// tiffpdf_check.py (which runs qpdf and poppler on them).  One line per rendered page:
//   NAME PDF PAGE RASTER RX RY OX OY [TOLERANCE]
// RASTER is a PGM/PPM file of the colours the image must render to, RX and RY the resolution to
// render at (four times the image's), OX and OY where the image's top-left corner falls on the
// rendered page (device pixels, fractional), TOLERANCE how far a sample may be off (default 0).
// Lines "same PDF PDF" name two pages that must render alike, lines "qpdf PDF" files only checked
// by qpdf.
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "kestar/media/tiffpdf.h"
#ifdef _WIN32
#include "kestar/media/tifimage.h"
#include "kestar/media/baseimage.h"
#endif

namespace {

const float kPageWidth = 595, kPageLength = 842; // A4 in points
// How far poppler's CMYK and Lab conversions may stray from the colours expected (of 255).
const int kColourTolerance = 3;

struct FIXTURE {
    std::string Name;
    uint32_t Width, Length;
    uint16_t Bits, Samples, Photometric, Compression, FillOrder;
    uint32_t RowsPerStrip; // 0: one strip
    float XRes, YRes;      // 0: no tags (the converter takes 219 x 208)
    int Pages;
    uint16_t Planar = PLANARCONFIG_CONTIG;
    int Alpha = -1; // four-sample RGB: the ExtraSamples value (-1: no tag)
};

// Whether the fixture renders in colour, and the samples of a pixel as they are written.
bool Colour(const FIXTURE &f)
{
    return f.Samples >= 3 || f.Photometric == PHOTOMETRIC_PALETTE;
}

uint8_t Sample(uint32_t x, uint32_t y, uint16_t c)
{
    return (uint8_t)(x * 4 + y * 6 + c * 80);
}

// The fourth sample of four-sample RGB: every value from transparent to opaque.
uint8_t AlphaOf(uint32_t x, uint32_t y)
{
    return (uint8_t)(x * 9 + y * 5);
}

// Ink of the bilevel pattern: text-like dashes, a frame, and a mark at the top-left corner.
bool Ink(uint32_t x, uint32_t y, uint32_t w, uint32_t h, int page)
{
    if (x < 6 && y < 6)
        return true;
    if (x == 0 || y == 0 || x + 1 == w || y + 1 == h)
        return true;
    uint32_t line = y / 12, in = y % 12;
    if (in >= 2 && in < 9 && x > 10 && x + 10 < w) {
        uint32_t word = (x + line * 37 + (uint32_t)page * 11) % 53;
        return word < 40 && ((x * 7 + y * 3 + line) % 5 != 0);
    }
    return false;
}

// The colour map of the palette fixture: 16 entries, 16-bit values whose high bytes count.
uint16_t MapValue(int channel, uint32_t index)
{
    return (uint16_t)((((index * 16 + (uint32_t)channel * 90) & 255) << 8) | 0x5A);
}

// The rendered colour of each pixel (one byte per sample).
std::vector<uint8_t> Rendered(const FIXTURE &f, int page)
{
    std::vector<uint8_t> out;
    for (uint32_t y = 0; y < f.Length; y++) {
        for (uint32_t x = 0; x < f.Width; x++) {
            if (f.Bits == 1) {
                out.push_back(Ink(x, y, f.Width, f.Length, page) ? 0 : 255);
            } else if (f.Photometric == PHOTOMETRIC_PALETTE) {
                uint32_t index = (x / 3 + y * 5) % 16;
                for (int c = 0; c < 3; c++)
                    out.push_back((uint8_t)(MapValue(c, index) >> 8));
            } else if (f.Samples == 1) {
                // Fewer bits: the value's top bits, scaled to the whole range.
                unsigned levels = (1u << f.Bits) - 1;
                unsigned v = ((uint8_t)(x * 5 + y * 9) >> (8 - f.Bits)) * 255 / levels;
                out.push_back(f.Photometric == PHOTOMETRIC_MINISWHITE ? (uint8_t)(255 - v) : (uint8_t)v);
            } else {
                for (uint16_t c = 0; c < 3; c++) {
                    unsigned v = Sample(x, y, c);
                    if (f.Samples == 4 && f.Alpha == EXTRASAMPLE_ASSOCALPHA) // composited on white
                        v = std::min(255u, v + 255u - AlphaOf(x, y));
                    out.push_back((uint8_t)v);
                }
            }
        }
    }
    return out;
}

// Row y as written; with separate planes, the row of sample `plane` only.
std::vector<uint8_t> Row(const FIXTURE &f, uint32_t y, int page, uint16_t plane = 0)
{
    if (f.Planar == PLANARCONFIG_SEPARATE) {
        std::vector<uint8_t> row(f.Width);
        for (uint32_t x = 0; x < f.Width; x++)
            row[x] = Sample(x, y, plane);
        return row;
    }
    std::vector<uint8_t> row(((size_t)f.Width * f.Bits * f.Samples + 7) / 8, 0);
    for (uint32_t x = 0; x < f.Width; x++) {
        if (f.Bits == 1) {
            bool bit = Ink(x, y, f.Width, f.Length, page) == (f.Photometric == PHOTOMETRIC_MINISWHITE);
            if (bit)
                row[x / 8] |= (uint8_t)(0x80 >> (x % 8));
        } else if (f.Photometric == PHOTOMETRIC_PALETTE) {
            uint32_t index = (x / 3 + y * 5) % 16;
            row[x / 2] |= (uint8_t)(x % 2 ? index : index << 4);
        } else if (f.Samples == 1) {
            uint8_t v = (uint8_t)((uint8_t)(x * 5 + y * 9) >> (8 - f.Bits));
            size_t bit = (size_t)x * f.Bits;
            row[bit / 8] |= (uint8_t)(v << (8 - f.Bits - bit % 8));
        } else {
            for (uint16_t c = 0; c < 3; c++)
                row[(size_t)x * f.Samples + c] = Sample(x, y, c);
            if (f.Samples == 4)
                row[(size_t)x * 4 + 3] = AlphaOf(x, y);
        }
    }
    return row;
}

bool WriteFixture(const FIXTURE &f, const std::string &path)
{
    TIFF *tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return false;
    bool ok = true;
    for (int p = 0; ok && p < f.Pages; p++) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, f.Width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, f.Length);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, f.Bits);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, f.Samples);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, f.Photometric);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, f.Compression);
        TIFFSetField(tif, TIFFTAG_FILLORDER, f.FillOrder);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, f.Planar);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, f.RowsPerStrip ? f.RowsPerStrip : f.Length);
        if (f.Alpha >= 0) {
            uint16_t extra = (uint16_t)f.Alpha;
            TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
        }
        if (f.Photometric == PHOTOMETRIC_PALETTE) {
            std::vector<uint16_t> map[3];
            for (int c = 0; c < 3; c++)
                for (uint32_t i = 0; i < 16; i++)
                    map[c].push_back(MapValue(c, i));
            TIFFSetField(tif, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data());
        }
        if (f.XRes > 0) {
            TIFFSetField(tif, TIFFTAG_XRESOLUTION, f.XRes);
            TIFFSetField(tif, TIFFTAG_YRESOLUTION, f.YRes);
            TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        }
        uint16_t planes = f.Planar == PLANARCONFIG_SEPARATE ? f.Samples : 1;
        for (uint16_t plane = 0; plane < planes; plane++) {
            for (uint32_t y = 0; ok && y < f.Length; y++) {
                std::vector<uint8_t> row = Row(f, y, p, plane);
                ok = TIFFWriteScanline(tif, row.data(), y, plane) >= 0;
            }
        }
        ok = ok && TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
    return ok;
}

bool WriteRaster(const std::string &path, const FIXTURE &f, const std::vector<uint8_t> &pixels)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    std::fprintf(file, "%s\n%lu %lu\n255\n", Colour(f) ? "P6" : "P5", (unsigned long)f.Width, (unsigned long)f.Length);
    bool ok = std::fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size();
    return std::fclose(file) == 0 && ok;
}

#ifdef _WIN32
// The fax as the viewer exports it: the base form saved by TIFIMAGE (Group 3), then converted
// from a name ending in "TMP", as the viewer's export names its TIFF.
bool WriteThroughTifimage(const FIXTURE &f, const std::string &path)
{
    std::string plain = path + ".plain.tif";
    FIXTURE g3 = f;
    g3.Compression = COMPRESSION_NONE;
    if (!WriteFixture(g3, plain))
        return false;
    TIFIMAGE image("IMAGE TIF:", BASEIMAGE::kBlockSize);
    return image.Load(plain.c_str()) && image.Save(path.c_str());
}
#endif

// A grey page of 63 x 42 at 72 dpi in orientation `orientation`, tiled (32 x 16) or in strips.
bool WriteOriented(const std::string &path, uint16_t orientation, bool tiled)
{
    const uint32_t width = 63, length = 42, tw = 32, tl = 16;
    TIFF *tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, length);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, orientation);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 72.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 72.0f);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    auto value = [](uint32_t x, uint32_t y) { return (uint8_t)(x < 5 && y < 5 ? 0 : 40 + x * 3 + y * 2); };
    bool ok = true;
    if (tiled) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, tw);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, tl);
        std::vector<uint8_t> tile(tw * tl);
        for (uint32_t ty = 0; ok && ty < length; ty += tl)
            for (uint32_t tx = 0; ok && tx < width; tx += tw) {
                for (uint32_t y = 0; y < tl; y++)
                    for (uint32_t x = 0; x < tw; x++)
                        tile[y * tw + x] = value(tx + x, ty + y);
                ok = TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0) > 0;
            }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, length);
        std::vector<uint8_t> row(width);
        for (uint32_t y = 0; ok && y < length; y++) {
            for (uint32_t x = 0; x < width; x++)
                row[x] = value(x, y);
            ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
        }
    }
    ok = ok && TIFFWriteDirectory(tif);
    TIFFClose(tif);
    return ok;
}

// A page of 63 x 42 at 72 dpi in CMYK or CIE Lab (8 bits), and the colours it should render to
// (poppler's own conversions differ a little: the check allows a tolerance).
bool WriteConverted(const std::string &path, bool lab, std::vector<uint8_t> &rendered)
{
    const uint32_t width = 63, length = 42;
    TIFF *tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, length);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, lab ? 3 : 4);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, lab ? PHOTOMETRIC_CIELAB : PHOTOMETRIC_SEPARATED);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, length);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 72.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 72.0f);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    bool ok = true;
    rendered.clear();
    std::vector<uint8_t> row(width * (lab ? 3 : 4));
    for (uint32_t y = 0; ok && y < length; y++) {
        for (uint32_t x = 0; x < width; x++) {
            uint8_t *p = &row[x * (lab ? 3 : 4)];
            if (lab) {
                // Neutral greys (a = b = 0) of every lightness: L* 0-100 as 0-255.
                p[0] = (uint8_t)((x * 4 + y * 2) % 256);
                p[1] = 0;
                p[2] = 0;
                double l = p[0] * 100.0 / 255.0;
                double yy = l > 8 ? std::pow((l + 16) / 116, 3) : l / 903.3;
                double srgb = yy <= 0.0031308 ? 12.92 * yy : 1.055 * std::pow(yy, 1 / 2.4) - 0.055;
                uint8_t v = (uint8_t)std::lround(std::min(1.0, srgb) * 255);
                rendered.insert(rendered.end(), {v, v, v});
            } else {
                // One ink at a time, in bands of 11 rows: cyan, magenta, yellow, black.  poppler
                // shows a full ink as a printed one (cyan is not 0 255 255), and a part of it in
                // proportion between white and that colour.
                static const double kInks[4][3] = {{0, 173, 239}, {236, 0, 140}, {255, 242, 0}, {35, 31, 32}};
                uint8_t level = (uint8_t)(x * 4 + y * 2);
                int ink = (int)(y / 11);
                for (int c = 0; c < 4; c++)
                    p[c] = c == ink ? level : 0;
                for (int c = 0; c < 3; c++)
                    rendered.push_back((uint8_t)std::lround(255 - level / 255.0 * (255 - kInks[ink][c])));
            }
        }
        ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
    }
    ok = ok && TIFFWriteDirectory(tif);
    TIFFClose(tif);
    return ok;
}

// A grey page of 63 x 42 at 72 dpi (value x * 5 + y * 9) with a transfer function that inverts
// it (a table whose high and low bytes differ, so that their order shows in the rendering), or
// with an ICC profile of our own (its bytes are no real profile: qpdf only checks the file).
bool WriteGreyWithTags(const std::string &path, bool transfer, bool icc)
{
    const uint32_t width = 63, length = 42;
    TIFF *tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, length);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, length);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 72.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 72.0f);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    static uint16_t table[256];
    for (unsigned i = 0; i < 256; i++)
        table[i] = (uint16_t)((255 - i) << 8 | i);
    if (transfer)
        TIFFSetField(tif, TIFFTAG_TRANSFERFUNCTION, table);
    std::string profile;
    for (int i = 0; i < 300; i++)
        profile += (char)(i * 13 + 1);
    if (icc)
        TIFFSetField(tif, TIFFTAG_ICCPROFILE, (uint32_t)profile.size(), profile.data());
    bool ok = true;
    std::vector<uint8_t> row(width);
    for (uint32_t y = 0; ok && y < length; y++) {
        for (uint32_t x = 0; x < width; x++)
            row[x] = (uint8_t)(x * 5 + y * 9);
        ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
    }
    ok = ok && TIFFWriteDirectory(tif);
    TIFFClose(tif);
    return ok;
}

} // namespace

int main()
{
    const FIXTURE fixtures[] = {
        // name, width, length, bits, samples, photometric, compression, fill order, rows per strip,
        // resolution, pages
        {"fax", 1728, 400, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX3, FILLORDER_MSB2LSB, 0, 0, 0, 2},
        {"g4fine", 1728, 300, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4, FILLORDER_MSB2LSB, 0, 204, 196, 1},
        {"g4lsbblack", 300, 200, 1, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_CCITTFAX4, FILLORDER_LSB2MSB, 0, 72, 72, 1},
        {"g4strips", 301, 203, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4, FILLORDER_MSB2LSB, 50, 100, 100, 1},
        {"grey", 63, 42, 8, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_NONE, FILLORDER_MSB2LSB, 0, 72, 72, 1},
        {"rgb", 63, 42, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE, FILLORDER_MSB2LSB, 5, 72, 72, 1},
        {"palette", 63, 42, 4, 1, PHOTOMETRIC_PALETTE, COMPRESSION_NONE, FILLORDER_MSB2LSB, 0, 72, 72, 1},
        {"grey4", 63, 42, 4, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE, FILLORDER_MSB2LSB, 0, 72, 72, 1},
        {"grey2", 63, 42, 2, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_NONE, FILLORDER_MSB2LSB, 0, 72, 72, 1},
        // The codecs every build has beside the CCITT ones.
        {"rgb-lzw", 63, 42, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW, FILLORDER_MSB2LSB, 8, 72, 72, 1},
        {"grey-packbits", 63, 42, 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_PACKBITS, FILLORDER_MSB2LSB, 0, 72, 72, 1},
        {"planar", 63, 42, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE, FILLORDER_MSB2LSB, 16, 72, 72, 1,
         PLANARCONFIG_SEPARATE},
        {"rgba-associated", 63, 42, 8, 4, PHOTOMETRIC_RGB, COMPRESSION_NONE, FILLORDER_MSB2LSB, 0, 72, 72, 1,
         PLANARCONFIG_CONTIG, EXTRASAMPLE_ASSOCALPHA},
        {"rgba-unassociated", 63, 42, 8, 4, PHOTOMETRIC_RGB, COMPRESSION_NONE, FILLORDER_MSB2LSB, 0, 72, 72, 1,
         PLANARCONFIG_CONTIG, EXTRASAMPLE_UNASSALPHA},
    };
    FILE *cases = std::fopen("cases.txt", "wb");
    if (!cases) {
        std::printf("cannot write cases.txt\n");
        return 1;
    }
    int failures = 0;
    for (const FIXTURE &f : fixtures) {
        std::string tif = f.Name + ".tif", pdf = f.Name + ".pdf";
        bool written = WriteFixture(f, tif);
#ifdef _WIN32
        if (f.Name == "fax") {
            tif = f.Name + ".TMP";
            written = WriteThroughTifimage(f, tif);
        }
#endif
        if (!written || convert_tiff_to_pdf(tif.c_str(), pdf.c_str()) != 1) {
            std::printf("%s: %s\n", f.Name.c_str(), written ? "conversion failed" : "fixture not written");
            failures++;
            continue;
        }
        float xres = f.XRes > 0 ? f.XRes : 219, yres = f.YRes > 0 ? f.YRes : 208;
#ifdef _WIN32
        // TIFIMAGE takes a fax without resolution tags as fine and writes it so.
        if (f.Name == "fax") {
            xres = 204;
            yres = 196;
        }
#endif
        float width = f.Width * 72.0f / xres, length = f.Length * 72.0f / yres;
        double rx = 4.0 * xres, ry = 4.0 * yres;
        double ox = (kPageWidth - width) / 2.0 * rx / 72.0;
        double oy = (kPageLength - (kPageLength + length) / 2.0) * ry / 72.0;
        for (int p = 0; p < f.Pages; p++) {
            std::string raster = f.Name + "-" + std::to_string(p + 1) + (Colour(f) ? ".ppm" : ".pgm");
            if (!WriteRaster(raster, f, Rendered(f, p))) {
                std::printf("%s: raster not written\n", raster.c_str());
                failures++;
            }
            std::fprintf(cases, "%s %s %d %s %.4f %.4f %.4f %.4f\n", f.Name.c_str(), pdf.c_str(), p + 1,
                         raster.c_str(), rx, ry, ox, oy);
        }
    }
    // A tiled page must render exactly as the same page in strips, in every orientation.
    for (uint16_t o = 1; o <= 8; o++) {
        std::string tiled = "tiled-" + std::to_string(o), strips = "strips-" + std::to_string(o);
        bool ok = WriteOriented(tiled + ".tif", o, true) && WriteOriented(strips + ".tif", o, false) &&
                  convert_tiff_to_pdf((tiled + ".tif").c_str(), (tiled + ".pdf").c_str()) == 1 &&
                  convert_tiff_to_pdf((strips + ".tif").c_str(), (strips + ".pdf").c_str()) == 1;
        if (!ok) {
            std::printf("orientation %u: tiled or strip page not converted\n", (unsigned)o);
            failures++;
            continue;
        }
        std::fprintf(cases, "same %s.pdf %s.pdf\n", tiled.c_str(), strips.c_str());
    }
    // Transfer functions: the page renders through the inverting table.
    {
        FIXTURE f = {"transfer", 63, 42, 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE, FILLORDER_MSB2LSB, 0, 72, 72, 1};
        std::vector<uint8_t> inverted = Rendered(f, 0);
        for (uint8_t &v : inverted)
            v = (uint8_t)(255 - v);
        double ox = (kPageWidth - 63) / 2.0 * 4, oy = (kPageLength - (kPageLength + 42) / 2.0) * 4;
        if (WriteGreyWithTags("transfer.tif", true, false) &&
            convert_tiff_to_pdf("transfer.tif", "transfer.pdf") == 1 && WriteRaster("transfer-1.pgm", f, inverted)) {
            // Within 1: the table's values are not multiples of 257.
            std::fprintf(cases, "transfer transfer.pdf 1 transfer-1.pgm 288 288 %.4f %.4f 1\n", ox, oy);
        } else {
            std::printf("transfer: not converted\n");
            failures++;
        }
        if (WriteGreyWithTags("icc.tif", false, true) && convert_tiff_to_pdf("icc.tif", "icc.pdf") == 1) {
            std::fprintf(cases, "qpdf icc.pdf\n");
        } else {
            std::printf("icc: not converted\n");
            failures++;
        }
    }
    // CMYK and Lab: poppler's conversions, within a tolerance.
    for (bool lab : {false, true}) {
        const char *name = lab ? "lab" : "cmyk";
        FIXTURE f = {name, 63, 42, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE, FILLORDER_MSB2LSB, 0, 72, 72, 1};
        std::vector<uint8_t> rendered;
        double ox = (kPageWidth - 63) / 2.0 * 4, oy = (kPageLength - (kPageLength + 42) / 2.0) * 4;
        std::string base = name;
        if (WriteConverted(base + ".tif", lab, rendered) &&
            convert_tiff_to_pdf((base + ".tif").c_str(), (base + ".pdf").c_str()) == 1 &&
            WriteRaster(base + "-1.ppm", f, rendered)) {
            std::fprintf(cases, "%s %s.pdf 1 %s-1.ppm 288 288 %.4f %.4f %d\n", name, name, name, ox, oy, kColourTolerance);
        } else {
            std::printf("%s: not converted\n", name);
            failures++;
        }
    }
    std::fclose(cases);
    std::printf("probe done, %d failures\n", failures);
    return failures ? 1 : 0;
}
