// Bilevel TIFF pages through libtiff.  libtiff's messages go to our log through per-file handlers
// (TIFFOpenExt), never to the standard error of a GUI program, and its allocations are capped so
// that a file claiming huge strips cannot exhaust a 32-bit process.
#include "kestar/media/tiffpages.h"

#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "kestar/media/baseform.h"
#include "kestar/base/logit.h"

namespace TIFFPAGES {
namespace {

const char kSoftware[] = "Orvak";
// Fax resolutions in dots (lines) per inch: 8 dots per mm across, 3.85 or 7.7 lines per mm down.
const float kFaxDpi = 204;
const float kNormalLpi = 98;
const float kFineLpi = 196;

int LogMessage(TIFF *, void *kind, const char *module, const char *format, va_list arguments)
{
    char text[1024];
    vsnprintf(text, sizeof(text), format, arguments);
    LOGIT::Printf("TIFF %s: %s: %s\n", (const char *)kind, module ? module : "", text);
    return 1; // handled: libtiff's own handlers stay quiet
}

TIFF *Open(const char *filename, const char *mode)
{
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, LogMessage, (void *)"error");
    TIFFOpenOptionsSetWarningHandlerExtR(options, LogMessage, (void *)"warning");
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, (tmsize_t)BASEFORM::kMaxImageBytes);
    TIFF *tif = TIFFOpenExt(filename, mode, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

// The checks of one directory, in their order; the first that fails is logged.  Tags that are
// missing take their TIFF defaults (1 bit, 1 sample, top-left, fill order 1, contiguous), which
// many fax programs rely on; the photometric interpretation has no default.
bool CheckPage(TIFF *tif)
{
    uint16_t value = 0;
    if (!TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &value) || value != 1) {
        LOGIT::Printf("TIFF::Load() Undefined or unsupported number of bits per sample\n");
        return false;
    }
    if (!TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &value) || value != 1) {
        LOGIT::Printf("TIFF::Load() Undefined or unsupported number of samples per pixel\n");
        return false;
    }
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &value) || value != PHOTOMETRIC_MINISWHITE) {
        LOGIT::Printf("TIFF::Load() Undefined or unsupported photo metric\n");
        return false;
    }
    if (!TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &value) || value != ORIENTATION_TOPLEFT) {
        LOGIT::Printf("TIFF::Load() Undefined or unsupported orientation\n");
        return false;
    }
    if (!TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &value) || value != FILLORDER_MSB2LSB) {
        LOGIT::Printf("TIFF::Load() Undefined or unsupported fill order\n");
        return false;
    }
    if (!TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &value) || value != PLANARCONFIG_CONTIG) {
        LOGIT::Printf("TIFF::Load() Undefined or unsupported planar configuration\n");
        return false;
    }
    return true;
}

// Fax pages come at about 98 lines per inch (normal) or 196 (fine); the split between them lies
// halfway.  A page without a usable vertical resolution is fine, as fax files usually are.  With
// no absolute unit the ratio to the horizontal resolution (about 204 dots per inch) decides.
bool IsFinePage(TIFF *tif)
{
    float yres = 0;
    if (!TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres) || !(yres > 0))
        return true;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (unit == RESUNIT_CENTIMETER)
        return yres * 2.54f >= (kNormalLpi + kFineLpi) / 2;
    if (unit == RESUNIT_INCH)
        return yres >= (kNormalLpi + kFineLpi) / 2;
    float xres = 0;
    if (!TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) || !(xres > 0))
        return true;
    return yres / xres >= (kNormalLpi + kFineLpi) / 2 / kFaxDpi;
}

// Reads the current directory as one base-form page appended to `base`.  A normal-resolution
// page holds every line twice (bfReserved1 0), a fine one every line once (bfReserved1 1), so
// all base-form pages share the row density of fine resolution.  false when its size is
// unusable or a row cannot be read (nothing appended then).
bool ReadPage(TIFF *tif, std::vector<unsigned char> &base)
{
    uint32_t width = 0, rows = 0;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &rows) || width == 0 || width > 0xFFFFFF) {
        LOGIT::Printf("TIFF::Load() page without a usable size (%lu x %lu)\n",
                      (unsigned long)width, (unsigned long)rows);
        return false;
    }
    bool fine = IsFinePage(tif);
    size_t copies = fine ? 1 : 2;
    size_t rowbytes = ((size_t)width + 7) / 8;
    size_t stride = BASEFORM::RowBytes((int)width);
    size_t used = base.size() + BASEFORM::kHeaderBytes;
    if (used > BASEFORM::kMaxImageBytes ||
        rows > (BASEFORM::kMaxImageBytes - used) / stride / copies) {
        LOGIT::Printf("TIFF::Load() page of %lu x %lu is too large\n", (unsigned long)width,
                      (unsigned long)rows);
        return false;
    }
    tmsize_t scanline = TIFFScanlineSize(tif);
    if (scanline <= 0 || (size_t)scanline < rowbytes) {
        LOGIT::Printf("TIFF::Load() scan line size %ld does not fit the width %lu\n",
                      (long)scanline, (unsigned long)width);
        return false;
    }
    std::vector<unsigned char> line((size_t)scanline);
    std::vector<unsigned char> pixels(stride * rows, 0); // top row first
    for (uint32_t y = 0; y < rows; y++) {
        if (TIFFReadScanline(tif, line.data(), y, 0) < 0) {
            LOGIT::Printf("TIFF::Load() row %lu of %lu cannot be read\n", (unsigned long)y,
                          (unsigned long)rows);
            return false;
        }
        unsigned char *row = &pixels[stride * y];
        std::memcpy(row, line.data(), rowbytes);
        if (width & 7)
            row[rowbytes - 1] &= (unsigned char)(0xFF << (8 - (width & 7)));
    }
    BASEFORM::AppendHeaders(base, (int)width, (int)(rows * copies), fine);
    base.reserve(base.size() + pixels.size() * copies);
    for (uint32_t y = rows; y-- > 0;)
        for (size_t c = 0; c < copies; c++)
            base.insert(base.end(), pixels.begin() + stride * y, pixels.begin() + stride * (y + 1));
    return true;
}

} // namespace

bool Load(const char *filename, std::vector<unsigned char> &base)
{
    base.clear();
    TIFF *tif = Open(filename, "r");
    if (!tif) {
        LOGIT::Printf("TIFF::Load() cannot open %s\n", filename);
        return false;
    }
    if (!CheckPage(tif)) {
        TIFFClose(tif);
        return false;
    }
    int page = 0;
    do {
        if (page > 0 && !CheckPage(tif)) {
            LOGIT::Printf("TIFF::Load() page %d refused, %d pages read\n", page + 1, page);
            break;
        }
        if (!ReadPage(tif, base)) {
            LOGIT::Printf("TIFF::Load() page %d unreadable, %d pages read\n", page + 1, page);
            break;
        }
        page++;
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    // A file whose first page cannot be read holds no fax.
    return page > 0;
}

bool Save(const char *filename, const unsigned char *base, size_t length, int pages)
{
    int count = BASEFORM::CountPages(base, length);
    if (pages > count) {
        LOGIT::Printf("TIFF::Save() %d pages asked, the image holds %d\n", pages, count);
        pages = count;
    }
    TIFF *tif = Open(filename, "w");
    if (!tif) {
        LOGIT::Printf("TIFF::Save() cannot create %s\n", filename);
        return false;
    }
    bool ok = true;
    size_t offset = 0;
    std::vector<unsigned char> row;
    for (int i = 1; ok && i <= pages; i++) {
        BASEFORM::PAGE page;
        if (!BASEFORM::ReadPage(base, length, offset, &page) || page.BitCount != 1) {
            LOGIT::Printf("TIFF::Save() page %d is no 1-bit bitmap\n", i);
            ok = false;
            break;
        }
        offset += page.Size;
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
        TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, 0);
        TIFFSetField(tif, TIFFTAG_FAXMODE, FAXMODE_NORTC);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, (uint32_t)0xFFFFFFFF);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
        TIFFSetField(tif, TIFFTAG_SOFTWARE, kSoftware);
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)page.Width);
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, kFaxDpi);
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, page.Fine ? kFineLpi : kNormalLpi);
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        // A normal-resolution page holds every line twice: every second row is written, as the
        // SFF converter does.
        int step = page.Fine ? 1 : 2;
        int lines = (page.Height + step - 1) / step;
        // A page without rows (an SFF page whose lines were all left out as trailing white) would
        // make a directory without strips, which no reader opens: it is written as one white row.
        int rows = lines > 0 ? lines : 1;
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)rows);
        TIFFSetField(tif, TIFFTAG_PAGENUMBER, (uint16_t)i, (uint16_t)pages);
        row.assign(((size_t)page.Width + 7) / 8, 0);
        for (int y = 0; ok && y < rows; y++) {
            if (y < lines)
                BASEFORM::FaxRow(page, y * step, row.data());
            if (TIFFWriteScanline(tif, row.data(), (uint32_t)y, 0) < 0) {
                LOGIT::Printf("TIFF::Save() row %d of page %d cannot be written\n", y, i);
                ok = false;
            }
        }
        if (ok && !TIFFWriteDirectory(tif)) {
            LOGIT::Printf("TIFF::Save() page %d cannot be written\n", i);
            ok = false;
        }
    }
    TIFFClose(tif);
    return ok;
}

} // namespace TIFFPAGES
