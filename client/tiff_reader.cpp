// Reads the first page of a TIFF file for the fax-command recognition, through libtiff.
#include "client/tiff_reader.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "kestar/base/logit.h"

namespace {

// libtiff's handlers are process-wide: switched off for one read and put back afterwards.
class QUIETTIFF {
public:
    QUIETTIFF() : oldError(TIFFSetErrorHandler(nullptr)), oldWarning(TIFFSetWarningHandler(nullptr)) {}
    ~QUIETTIFF()
    {
        TIFFSetErrorHandler(oldError);
        TIFFSetWarningHandler(oldWarning);
    }
    QUIETTIFF(const QUIETTIFF &) = delete;
    QUIETTIFF &operator=(const QUIETTIFF &) = delete;

private:
    TIFFErrorHandler oldError;
    TIFFErrorHandler oldWarning;
};

} // namespace

TIFF_Reader::TIFF_Reader(const char *filename) : Reader(filename)
{
}

TIFF_Reader::~TIFF_Reader()
{
    Close();
}

bool TIFF_Reader::ReadPage(OCRBITMAP &bitmap)
{
    QUIETTIFF quiet;
    if (!Open())
        return false;
    bool ok = ReadImage(bitmap);
    Close();
    return ok;
}

bool TIFF_Reader::Open()
{
    Close();
    handle = fileName.IsEmpty() ? nullptr : TIFFOpen(fileName, "r");
    if (!handle) {
        LOGIT::Printf("TIFF_Reader::Open %s failed\n", fileName.IsEmpty() ? "<none>" : (const char *)fileName);
        return false;
    }
    opened = true;
    return true;
}

void TIFF_Reader::Close()
{
    if (handle)
        TIFFClose(handle);
    handle = nullptr;
    opened = false;
}

bool TIFF_Reader::ReadImage(OCRBITMAP &bitmap)
{
    if (!handle)
        return false;
    uint32_t width = 0, height = 0;
    uint16_t bitsPerSample = 0, samples = 0, photometric = 0, planar = 0;
    if (!TIFFGetField(handle, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(handle, TIFFTAG_IMAGELENGTH, &height) ||
        !TIFFGetFieldDefaulted(handle, TIFFTAG_BITSPERSAMPLE, &bitsPerSample) ||
        !TIFFGetFieldDefaulted(handle, TIFFTAG_SAMPLESPERPIXEL, &samples) ||
        !TIFFGetField(handle, TIFFTAG_PHOTOMETRIC, &photometric)) {
        LOGIT::Printf("TIFF_Reader::ReadImage %s: a required tag is missing\n", (const char *)fileName);
        return false;
    }
    uint32_t depth = 0;
    switch (bitsPerSample) {
    case 1:
    case 4:
    case 16:
        depth = bitsPerSample;
        break;
    case 8:
        if (photometric <= PHOTOMETRIC_PALETTE)
            depth = photometric == PHOTOMETRIC_RGB ? 24 : 8;
        break;
    }
    if (depth == 0) {
        LOGIT::Printf("TIFF_Reader::ReadImage %s: %u bits per sample, photometric %u not read\n",
                      (const char *)fileName, (unsigned)bitsPerSample, (unsigned)photometric);
        return false;
    }
    // Scanlines of tiled pages and of separate planes are no rows of the whole page.
    TIFFGetFieldDefaulted(handle, TIFFTAG_PLANARCONFIG, &planar);
    if (TIFFIsTiled(handle) || (planar == PLANARCONFIG_SEPARATE && samples > 1)) {
        LOGIT::Printf("TIFF_Reader::ReadImage %s: tiled or separate planes, not read\n", (const char *)fileName);
        return false;
    }
    const int photoClass = photometric == PHOTOMETRIC_MINISWHITE ? OCRBITMAP::kMinIsWhite
                           : photometric == PHOTOMETRIC_PALETTE  ? OCRBITMAP::kPalette
                                                                 : OCRBITMAP::kMinIsBlack;
    // The depth rule undersizes rows with more samples (RGBA, 16-bit RGB, grey with alpha): the
    // scanline goes through a buffer of libtiff's own scanline size.
    const uint64_t scanline = TIFFScanlineSize64(handle);
    if (scanline == 0 || scanline > OCRBITMAP::kMaxBytes ||
        !bitmap.Allocate(width, height, depth, photoClass)) {
        LOGIT::Printf("TIFF_Reader::ReadImage %s: page of %u x %u x %u not read (too large or no memory)\n",
                      (const char *)fileName, (unsigned)width, (unsigned)height, (unsigned)depth);
        return false;
    }
    const size_t bufferSize = std::max((size_t)scanline, bitmap.Stride());
    unsigned char *buffer = new (std::nothrow) unsigned char[bufferSize];
    if (!buffer) {
        LOGIT::Printf("TIFF_Reader::ReadImage %s: no memory for a row\n", (const char *)fileName);
        bitmap.Allocate(0, 0, 0, OCRBITMAP::kMinIsWhite); // no page
        return false;
    }
    const size_t copy = std::min((size_t)scanline, bitmap.Stride());
    uint32_t y = 0;
    for (; y < height; y++) {
        if (TIFFReadScanline(handle, buffer, y, 0) < 0)
            break;
        std::memcpy(bitmap.Row(y), buffer, copy);
    }
    delete[] buffer;
    if (y < height)
        LOGIT::Printf("TIFF_Reader::ReadImage %s: row %u of %u failed, the rest stays blank\n", (const char *)fileName,
                      (unsigned)y, (unsigned)height);
    return true;
}
