// tiffpdf_probe: writes fixture TIFF files through libtiff into the current folder, converts
// each with convert_tiff_to_pdf, and lists in "cases.txt" what the rendered pages must show, for
// tiffpdf_check.py (which runs qpdf and poppler on them).  One line per rendered page:
//   NAME PDF PAGE RASTER RX RY OX OY
// RASTER is a PGM/PPM file of the colours the image must render to, RX and RY the resolution to
// render at (four times the image's), OX and OY where the image's top-left corner falls on the
// rendered page (device pixels, fractional).
#include <tiffio.h>

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

struct FIXTURE {
    std::string Name;
    uint32_t Width, Length;
    uint16_t Bits, Samples, Photometric, Compression, FillOrder;
    uint32_t RowsPerStrip; // 0: one strip
    float XRes, YRes;      // 0: no tags (the converter takes 219 x 208)
    int Pages;
};

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
                uint8_t v = (uint8_t)(x * 5 + y * 9);
                out.push_back(f.Photometric == PHOTOMETRIC_MINISWHITE ? (uint8_t)(255 - v) : v);
            } else {
                for (uint16_t c = 0; c < 3; c++)
                    out.push_back((uint8_t)(x * 4 + y * 6 + c * 80));
            }
        }
    }
    return out;
}

std::vector<uint8_t> Row(const FIXTURE &f, uint32_t y, int page)
{
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
            row[x] = (uint8_t)(x * 5 + y * 9);
        } else {
            for (uint16_t c = 0; c < 3; c++)
                row[(size_t)x * 3 + c] = (uint8_t)(x * 4 + y * 6 + c * 80);
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
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, f.RowsPerStrip ? f.RowsPerStrip : f.Length);
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
        for (uint32_t y = 0; ok && y < f.Length; y++) {
            std::vector<uint8_t> row = Row(f, y, p);
            ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
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
    bool colour = f.Samples == 3 || f.Photometric == PHOTOMETRIC_PALETTE;
    std::fprintf(file, "%s\n%lu %lu\n255\n", colour ? "P6" : "P5", (unsigned long)f.Width, (unsigned long)f.Length);
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
        float width = f.Width * 72.0f / xres, length = f.Length * 72.0f / yres;
        double rx = 4.0 * xres, ry = 4.0 * yres;
        double ox = (kPageWidth - width) / 2.0 * rx / 72.0;
        double oy = (kPageLength - (kPageLength + length) / 2.0) * ry / 72.0;
        for (int p = 0; p < f.Pages; p++) {
            bool colour = f.Samples == 3 || f.Photometric == PHOTOMETRIC_PALETTE;
            std::string raster = f.Name + "-" + std::to_string(p + 1) + (colour ? ".ppm" : ".pgm");
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
    std::fclose(cases);
    std::printf("probe done, %d failures\n", failures);
    return failures ? 1 : 0;
}
