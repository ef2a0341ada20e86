// The TIFF-to-PDF converter's context, paper sizes, page selection and page analysis (see t2p.h).
#include "kestar/media/t2p.h"

#include <tiffio.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "kestar/base/logit.h"

namespace {

const char kModule[] = "Parlomatix";
// Primaries for a page with a white point but none of its own.
const float kSrgbPrimaries[6] = {0.64f, 0.33f, 0.30f, 0.60f, 0.15f, 0.06f};

struct PAPER {
    const char *Name;
    float Width, Length;
};

const PAPER kPapers[] = {
    {"LETTER", 612, 792}, {"A4", 595, 842}, {"LEGAL", 612, 1008}, {"EXECUTIVE", 522, 756},
    {"LEDGER", 792, 1224}, {"TABLOID", 792, 1224}, {"STATEMENT", 396, 612}, {"FOLIO", 612, 936},
    {"QUARTO", 609, 780},
    {"A", 612, 792}, {"B", 792, 1224}, {"C", 1224, 1584}, {"D", 1584, 2448}, {"E", 2448, 3168},
    {"F", 2016, 2880}, {"G", 792, 6480}, {"H", 2016, 10296}, {"J", 2448, 12672}, {"K", 2880, 10296},
    {"A10", 74, 105}, {"A9", 105, 147}, {"A8", 147, 210}, {"A7", 210, 298}, {"A6", 298, 420},
    {"A5", 420, 595}, {"A3", 842, 1191}, {"A2", 1191, 1684}, {"A1", 1684, 2384}, {"A0", 2384, 3370},
    {"2A0", 3370, 4768}, {"4A0", 4768, 6741}, {"2A", 3370, 4768}, {"4A", 4768, 6741},
    {"B10", 88, 125}, {"B9", 125, 176}, {"B8", 176, 249}, {"B7", 249, 354}, {"B6", 354, 499},
    {"B5", 499, 709}, {"B4", 709, 1001}, {"B3", 1001, 1417}, {"B2", 1417, 2004}, {"B1", 2004, 2835},
    {"B0", 2835, 4008},
    {"JISB10", 91, 128}, {"JISB9", 128, 181}, {"JISB8", 181, 258}, {"JISB7", 258, 363},
    {"JISB6", 363, 516}, {"JISB5", 516, 729}, {"JISB4", 729, 1032}, {"JISB3", 1032, 1460},
    {"JISB2", 1460, 2064}, {"JISB1", 2064, 2920}, {"JISB0", 2920, 4127},
    {"C10", 79, 113}, {"C9", 113, 162}, {"C8", 162, 230}, {"C7", 230, 323}, {"C6", 323, 459},
    {"C5", 459, 649}, {"C4", 649, 918}, {"C3", 918, 1298}, {"C2", 1298, 1837}, {"C1", 1837, 2599},
    {"C0", 2599, 3677},
    {"RA2", 1219, 1729}, {"RA1", 1729, 2438}, {"RA0", 2438, 3458}, {"SRA4", 638, 907},
    {"SRA3", 907, 1276}, {"SRA2", 1276, 1814}, {"SRA1", 1814, 2551}, {"SRA0", 2551, 3628},
    {"A3EXTRA", 914, 1262}, {"A4EXTRA", 667, 914},
};

void Report(bool error, const char *format, va_list arguments)
{
    char text[2048];
    vsnprintf(text, sizeof(text), format, arguments);
    LOGIT::Printf("convert_tiff_to_pdf %s: %s\n", error ? "error" : "warning", text);
    if (error)
        TIFFError(kModule, "%s", text);
    else
        TIFFWarning(kModule, "%s", text);
}

const char *NameOf(TIFF *input)
{
    const char *name = TIFFFileName(input);
    return name ? name : "";
}

} // namespace

void t2p_error(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    Report(true, format, arguments);
    va_end(arguments);
}

void t2p_warning(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    Report(false, format, arguments);
    va_end(arguments);
}

T2P *t2p_init()
{
    T2P *t2p = new (std::nothrow) T2P();
    if (!t2p) {
        t2p_error("Can't allocate %u bytes of memory for t2p_init", (unsigned)sizeof(T2P));
        return nullptr;
    }
    t2p->DefaultXRes = 300.0f;
    t2p->DefaultYRes = 300.0f;
    t2p->DefaultPageWidth = 612.0f;
    t2p->DefaultPageLength = 792.0f;
    t2p->PdfMajor = 1;
    t2p->PdfMinor = 1;
    t2p->ObjectCount = 3; // catalog, information, page tree
    return t2p;
}

void t2p_free(T2P *t2p)
{
    delete t2p;
}

bool t2p_paper_size(const char *name, float *width, float *length)
{
    if (!name)
        return false;
    // The caller's text stays as it is (it may be a literal): the upper case goes into a copy.
    std::string upper(name);
    for (char &c : upper)
        c = (char)std::toupper((unsigned char)c);
    for (const PAPER &paper : kPapers) {
        if (upper == paper.Name) {
            *width = paper.Width;
            *length = paper.Length;
            return true;
        }
    }
    return false;
}

// The number of transfer functions the current directory has (0, 1 or 3), and their tables.
static int TransferFunctions(TIFF *input, const uint16_t *tables[3])
{
    tables[0] = tables[1] = tables[2] = nullptr;
    if (!TIFFGetField(input, TIFFTAG_TRANSFERFUNCTION, &tables[0], &tables[1], &tables[2]) || !tables[0])
        return 0;
    uint16_t samples = 1, extras = 0;
    uint16_t *extraTypes = nullptr;
    TIFFGetFieldDefaulted(input, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(input, TIFFTAG_EXTRASAMPLES, &extras, &extraTypes);
    if (samples - extras > 1 && tables[1] && tables[2] && (tables[1] != tables[0] || tables[2] != tables[0]))
        return 3;
    return 1;
}

void t2p_read_tiff_init(T2P *t2p, TIFF *input)
{
    tdir_t directories = TIFFNumberOfDirectories(input);
    t2p->Pages.assign(directories, T2P_PAGE());
    t2p->Tiles.assign(directories, T2P_TILES());
    t2p->PageCount = 0;
    for (tdir_t i = 0; i < directories; i++) {
        if (!TIFFSetDirectory(input, i)) {
            t2p_error("Can't set directory %u of input file %s", (unsigned)i, NameOf(input));
            t2p->Error = true;
            return;
        }
        uint32_t subfiletype = 0;
        uint16_t osubfiletype = 0;
        if (TIFFGetField(input, TIFFTAG_SUBFILETYPE, &subfiletype)) {
            if (subfiletype != 0 && !(subfiletype & FILETYPE_PAGE))
                continue;
        } else if (TIFFGetField(input, TIFFTAG_OSUBFILETYPE, &osubfiletype)) {
            if (osubfiletype != 0 && osubfiletype != OFILETYPE_IMAGE && osubfiletype != OFILETYPE_PAGE)
                continue;
        }
        T2P_PAGE &page = t2p->Pages[t2p->PageCount];
        page.Number = t2p->PageCount;
        page.Directory = i;
        if (TIFFIsTiled(input))
            page.TileCount = TIFFNumberOfTiles(input);
        t2p->PageCount++;
    }
    t2p->Pages.resize(t2p->PageCount);
    t2p->Tiles.resize(t2p->PageCount);
    std::stable_sort(t2p->Pages.begin(), t2p->Pages.end(),
                     [](const T2P_PAGE &a, const T2P_PAGE &b) { return a.Number < b.Number; });

    for (uint32_t i = 0; i < t2p->PageCount; i++) {
        T2P_PAGE &page = t2p->Pages[i];
        if (!TIFFSetDirectory(input, page.Directory)) {
            t2p_error("Can't set directory %u of input file %s", (unsigned)page.Directory, NameOf(input));
            t2p->Error = true;
            return;
        }
        t2p->ObjectCount += 5; // page, content, content length, image, image length
        // A palette page needs its palette object; the decision is the page analysis's own, so
        // that the objects planned are the objects written.
        uint16_t photometric = 0, indexed = 0, samples = 1;
        TIFFGetField(input, TIFFTAG_PHOTOMETRIC, &photometric);
        TIFFGetFieldDefaulted(input, TIFFTAG_SAMPLESPERPIXEL, &samples);
        bool isIndexed = TIFFGetField(input, TIFFTAG_INDEXED, &indexed) && indexed == 1;
        if (photometric == PHOTOMETRIC_PALETTE ||
            (isIndexed && (photometric == PHOTOMETRIC_SEPARATED ||
                           (photometric == PHOTOMETRIC_RGB && samples != 3)))) {
            page.Extra++; // the palette
            t2p->ObjectCount++;
        }
        const uint16_t *tables[3];
        int transfers = TransferFunctions(input, tables);
        if (transfers > 0) {
            // The graphics state and one object per function.
            page.Extra += (uint32_t)transfers + 1;
            t2p->ObjectCount += (uint32_t)transfers + 1;
            if (t2p->PdfMinor < 2)
                t2p->PdfMinor = 2;
        }
        uint32_t iccLength = 0;
        void *icc = nullptr;
        if (TIFFGetField(input, TIFFTAG_ICCPROFILE, &iccLength, &icc) && icc && iccLength > 0) {
            page.Extra++;
            t2p->ObjectCount++;
            if (t2p->PdfMinor < 3)
                t2p->PdfMinor = 3;
        }
        if (page.TileCount > 0) {
            uint16_t planar = PLANARCONFIG_CONTIG, samples = 1;
            TIFFGetFieldDefaulted(input, TIFFTAG_PLANARCONFIG, &planar);
            TIFFGetFieldDefaulted(input, TIFFTAG_SAMPLESPERPIXEL, &samples);
            if (planar == PLANARCONFIG_SEPARATE && samples > 0)
                page.TileCount /= samples; // one tile per plane
            T2P_TILES &tiles = t2p->Tiles[i];
            tiles.Count = page.TileCount;
            TIFFGetField(input, TIFFTAG_TILEWIDTH, &tiles.Width);
            TIFFGetField(input, TIFFTAG_TILELENGTH, &tiles.Length);
            // The box list, under the limit of an image: a file claiming millions of tiles would
            // otherwise take gigabytes of boxes, objects and content.
            uint64_t bytes = (uint64_t)tiles.Count * sizeof(T2P_BOX);
            bool allocated = bytes <= T2P_MAX_IMAGE_BYTES;
            if (allocated) {
                try {
                    tiles.Boxes.reserve((size_t)tiles.Count);
                } catch (const std::bad_alloc &) {
                    allocated = false;
                }
            }
            if (!allocated) {
                t2p_error("Can't allocate %llu bytes of memory for t2p_read_tiff_init, %s", (unsigned long long)bytes,
                          NameOf(input));
                t2p->Error = true;
                return;
            }
            if (page.TileCount > 1)
                t2p->ObjectCount += 2 * (page.TileCount - 1);
        }
    }
}

void t2p_compose_pdf_page_orient(T2P_BOX *box, uint16_t orientation)
{
    if (box->X1 > box->X2)
        std::swap(box->X1, box->X2);
    if (box->Y1 > box->Y2)
        std::swap(box->Y1, box->Y2);
    float w = box->X2 - box->X1, h = box->Y2 - box->Y1;
    float x1 = box->X1, y1 = box->Y1;
    float *m = box->Mat;
    switch (orientation) {
    case 2: m[0] = -w; m[1] = 0; m[2] = 0; m[3] = h; m[4] = x1 + w; m[5] = y1; break;
    case 3: m[0] = -w; m[1] = 0; m[2] = 0; m[3] = -h; m[4] = x1 + w; m[5] = y1 + h; break;
    case 4: m[0] = w; m[1] = 0; m[2] = 0; m[3] = -h; m[4] = x1; m[5] = y1 + h; break;
    case 5: m[0] = 0; m[1] = -w; m[2] = -h; m[3] = 0; m[4] = x1 + h; m[5] = y1 + w; break;
    case 6: m[0] = 0; m[1] = -w; m[2] = h; m[3] = 0; m[4] = x1; m[5] = y1 + w; break;
    case 7: m[0] = 0; m[1] = w; m[2] = h; m[3] = 0; m[4] = x1; m[5] = y1; break;
    case 8: m[0] = 0; m[1] = w; m[2] = -h; m[3] = 0; m[4] = x1 + h; m[5] = y1; break;
    default: m[0] = w; m[1] = 0; m[2] = 0; m[3] = h; m[4] = x1; m[5] = y1; break;
    }
}

void t2p_compose_pdf_tiles(T2P *t2p)
{
    // Each tile's part of the image in the image's own unit square (rows from the top), mapped
    // through the page's matrix: a tiled page then lies exactly as the same page untiled, in every
    // orientation (mirrored or transposed tiles with w and h exchanged for 5-8 fall out of it).
    T2P_TILES &tiles = t2p->Tiles[t2p->CurrentPage];
    const float *p = t2p->ImageBox.Mat;
    float w = t2p->ImageBox.X2 - t2p->ImageBox.X1, h = t2p->ImageBox.Y2 - t2p->ImageBox.Y1;
    tiles.Boxes.assign((size_t)tiles.Count, T2P_BOX());
    for (uint32_t t = 0; t < tiles.Count; t++) {
        uint32_t column = t % tiles.Across, row = t / tiles.Across;
        double x0 = (double)column * tiles.Width, y0 = (double)row * tiles.Length;
        double x1 = std::min<double>(x0 + tiles.Width, t2p->Width);
        double y1 = std::min<double>(y0 + tiles.Length, t2p->Length);
        float u0 = (float)(x0 / t2p->Width), u1 = (float)(x1 / t2p->Width);
        float v0 = (float)(1.0 - y1 / t2p->Length), v1 = (float)(1.0 - y0 / t2p->Length);
        T2P_BOX &box = tiles.Boxes[t];
        // The tile's box as it lies for orientation 1: a proportional part of the image box.
        box.X1 = t2p->ImageBox.X1 + u0 * w;
        box.X2 = t2p->ImageBox.X1 + u1 * w;
        box.Y1 = t2p->ImageBox.Y1 + v0 * h;
        box.Y2 = t2p->ImageBox.Y1 + v1 * h;
        float ta = u1 - u0, td = v1 - v0, te = u0, tf = v0;
        box.Mat[0] = ta * p[0];
        box.Mat[1] = ta * p[1];
        box.Mat[2] = td * p[2];
        box.Mat[3] = td * p[3];
        box.Mat[4] = te * p[0] + tf * p[2] + p[4];
        box.Mat[5] = te * p[1] + tf * p[3] + p[5];
    }
}

void t2p_compose_pdf_page(T2P *t2p)
{
    t2p->PdfXRes = t2p->XRes;
    t2p->PdfYRes = t2p->YRes;
    if (t2p->OverrideRes) {
        t2p->PdfXRes = t2p->DefaultXRes;
        t2p->PdfYRes = t2p->DefaultYRes;
    }
    if (t2p->PdfXRes == 0.0f)
        t2p->PdfXRes = t2p->DefaultXRes;
    if (t2p->PdfYRes == 0.0f)
        t2p->PdfYRes = t2p->DefaultYRes;
    t2p->PdfImageWidth = (float)t2p->Width * 72.0f / t2p->PdfXRes;
    t2p->PdfImageLength = (float)t2p->Length * 72.0f / t2p->PdfYRes;
    if (t2p->OverridePageSize) {
        t2p->PdfPageWidth = t2p->DefaultPageWidth;
        t2p->PdfPageLength = t2p->DefaultPageLength;
    } else {
        t2p->PdfPageWidth = t2p->PdfImageWidth;
        t2p->PdfPageLength = t2p->PdfImageLength;
    }
    t2p->MediaBox = T2P_BOX();
    t2p->MediaBox.X2 = t2p->PdfPageWidth;
    t2p->MediaBox.Y2 = t2p->PdfPageLength;
    t2p->ImageBox = T2P_BOX();
    t2p->ImageBox.X2 = t2p->PdfImageWidth;
    t2p->ImageBox.Y2 = t2p->PdfImageLength;
    if (t2p->OverridePageSize) {
        // Centred at its natural size, never scaled: a larger image passes both edges equally.
        float dx = (t2p->PdfPageWidth - t2p->PdfImageWidth) / 2.0f;
        float dy = (t2p->PdfPageLength - t2p->PdfImageLength) / 2.0f;
        t2p->ImageBox.X1 += dx;
        t2p->ImageBox.X2 += dx;
        t2p->ImageBox.Y1 += dy;
        t2p->ImageBox.Y2 += dy;
    }
    if (t2p->Orientation > 4)
        std::swap(t2p->MediaBox.X2, t2p->MediaBox.Y2);
    t2p_compose_pdf_page_orient(&t2p->ImageBox, t2p->Orientation);
}

namespace {

// The bytes of image data the current page needs: the first strip as it is for a raw copy,
// else the decoded image.  0 when libtiff cannot size it.
uint64_t DataSize(T2P *t2p, TIFF *input)
{
    if (TIFFIsTiled(input)) {
        // Per tile: the raw copies take each tile's own byte count (see the writer).
        uint64_t size = TIFFTileSize64(input);
        if (t2p->PlanarConfig == PLANARCONFIG_SEPARATE) {
            if (size > UINT64_MAX / t2p->SamplesPerPixel)
                return UINT64_MAX;
            size *= t2p->SamplesPerPixel;
        }
        return size;
    }
    if (t2p->Transcode == T2P_TRANSCODE_RAW) {
        uint64_t *counts = nullptr;
        if (!TIFFGetField(input, TIFFTAG_STRIPBYTECOUNTS, &counts) || !counts)
            return 0;
        return counts[0];
    }
    if (t2p->Sample & T2P_SAMPLE_YCBCR_TO_RGB) {
        // The RGBA reader's raster: four bytes per pixel, whatever the subsampling.
        uint64_t pixels = (uint64_t)t2p->Width * t2p->Length;
        return pixels > UINT64_MAX / 4 ? UINT64_MAX : pixels * 4;
    }
    uint64_t size = TIFFScanlineSize64(input);
    if (size == 0)
        return 0;
    if (t2p->Length > UINT64_MAX / size)
        return UINT64_MAX;
    size *= t2p->Length;
    if (t2p->PlanarConfig == PLANARCONFIG_SEPARATE) {
        if (size > UINT64_MAX / t2p->SamplesPerPixel)
            return UINT64_MAX;
        size *= t2p->SamplesPerPixel;
    }
    return size;
}

// The palette of the current directory: 2^bits entries from the high bytes of the colour map,
// three per entry (RGB) or four (CMYK: red, green and blue give C, M and Y; K is 0).
bool ReadPalette(T2P *t2p, TIFF *input, int components)
{
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(input, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b) {
        t2p_error("Palettized image %s has no color map", NameOf(input));
        return false;
    }
    uint32_t entries = 1u << t2p->BitsPerSample;
    t2p->Palette.assign((size_t)entries * components, 0);
    for (uint32_t i = 0; i < entries; i++) {
        t2p->Palette[i * components + 0] = (unsigned char)(r[i] >> 8);
        t2p->Palette[i * components + 1] = (unsigned char)(g[i] >> 8);
        t2p->Palette[i * components + 2] = (unsigned char)(b[i] >> 8);
    }
    return true;
}

// Four-sample RGB: the fourth sample by ExtraSamples, or inverse CMYK without the tag.
bool ReadFourSampleRGB(T2P *t2p, TIFF *input)
{
    const char *name = NameOf(input);
    uint16_t count = 0;
    uint16_t *values = nullptr;
    if (TIFFGetField(input, TIFFTAG_EXTRASAMPLES, &count, &values) && count == 1 && values) {
        if (t2p->BitsPerSample != 8) {
            t2p_error("No support for RGB image %s with %u bits per sample and 4 samples per pixel", name,
                      (unsigned)t2p->BitsPerSample);
            return false;
        }
        if (values[0] == EXTRASAMPLE_ASSOCALPHA) {
            t2p->Sample |= T2P_SAMPLE_RGBAA_TO_RGB;
        } else {
            if (values[0] != EXTRASAMPLE_UNASSALPHA)
                t2p_warning("RGB image %s has 4 samples per pixel, assuming RGBA", name);
            t2p->Sample |= T2P_SAMPLE_RGBA_TO_RGB;
        }
        t2p->ColorSpace = T2P_CS_RGB;
        return true;
    }
    t2p_warning("RGB image %s has 4 samples per pixel, assuming inverse CMYK", name);
    t2p->ColorSpace = T2P_CS_CMYK;
    t2p->SwitchDecode = !t2p->SwitchDecode;
    return true;
}

bool ReadLab(T2P *t2p, TIFF *input, int amin, int amax, int bmin, int bmax, bool signedAB)
{
    if (t2p->SamplesPerPixel != 3 || t2p->BitsPerSample != 8) {
        t2p_error("No support for Lab image %s with %u samples per pixel and %u bits per sample", NameOf(input),
                  (unsigned)t2p->SamplesPerPixel, (unsigned)t2p->BitsPerSample);
        return false;
    }
    t2p->ColorSpace = T2P_CS_LAB;
    t2p->LabRange[0] = amin;
    t2p->LabRange[1] = amax;
    t2p->LabRange[2] = bmin;
    t2p->LabRange[3] = bmax;
    if (signedAB)
        t2p->Sample |= T2P_SAMPLE_LAB_SIGNED_TO_UNSIGNED;
    float *white = nullptr;
    if (TIFFGetField(input, TIFFTAG_WHITEPOINT, &white) && white && white[1] != 0.0f) {
        t2p->WhitePoint[0] = white[0];
        t2p->WhitePoint[1] = white[1];
    } else {
        t2p->WhitePoint[0] = 0.3457f;
        t2p->WhitePoint[1] = 0.3585f;
    }
    return true;
}

// Step 7: the colour space from the photometric interpretation.  false, reported, when refused.
bool ReadColorSpace(T2P *t2p, TIFF *input)
{
    const char *name = NameOf(input);
    uint16_t indexed = 0;
    bool isIndexed = TIFFGetField(input, TIFFTAG_INDEXED, &indexed) && indexed == 1;
    switch (t2p->Photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
        if (t2p->SamplesPerPixel != 1) {
            t2p_error("No support for %s with %u samples per pixel", name, (unsigned)t2p->SamplesPerPixel);
            return false;
        }
        t2p->ColorSpace = t2p->BitsPerSample == 1 ? T2P_CS_BILEVEL : T2P_CS_GRAY;
        if (t2p->Photometric == PHOTOMETRIC_MINISWHITE)
            t2p->SwitchDecode = true;
        return true;
    case PHOTOMETRIC_RGB:
        if (t2p->SamplesPerPixel == 3) {
            t2p->ColorSpace = T2P_CS_RGB;
            return true;
        }
        if (isIndexed)
            break; // a palette, as photometric 3
        if (t2p->SamplesPerPixel == 4)
            return ReadFourSampleRGB(t2p, input);
        t2p_error("No support for RGB image %s with %u samples per pixel", name, (unsigned)t2p->SamplesPerPixel);
        return false;
    case PHOTOMETRIC_PALETTE:
        break;
    case PHOTOMETRIC_SEPARATED: {
        if (isIndexed) {
            if (t2p->SamplesPerPixel != 1) {
                t2p_error("No support for palettized CMYK image %s with not one sample per pixel", name);
                return false;
            }
            t2p->ColorSpace = T2P_CS_CMYK | T2P_CS_PALETTE;
            return ReadPalette(t2p, input, 4);
        }
        uint16_t inkset = INKSET_CMYK;
        if (TIFFGetField(input, TIFFTAG_INKSET, &inkset) && inkset != INKSET_CMYK) {
            t2p_error("No support for %s because its inkset is not CMYK", name);
            return false;
        }
        if (t2p->SamplesPerPixel != 4) {
            t2p_error("No support for %s because it has %u samples per pixel", name, (unsigned)t2p->SamplesPerPixel);
            return false;
        }
        t2p->ColorSpace = T2P_CS_CMYK;
        return true;
    }
    case PHOTOMETRIC_YCBCR:
        if (t2p->SamplesPerPixel == 1) {
            t2p->ColorSpace = T2P_CS_GRAY;
            t2p->Photometric = PHOTOMETRIC_MINISBLACK;
            return true;
        }
        t2p->ColorSpace = T2P_CS_RGB;
        t2p->Sample |= T2P_SAMPLE_YCBCR_TO_RGB;
        return true;
    case PHOTOMETRIC_CIELAB:
        return ReadLab(t2p, input, -127, 127, -127, 127, true);
    case PHOTOMETRIC_ICCLAB:
        return ReadLab(t2p, input, 0, 255, 0, 255, false);
    case PHOTOMETRIC_ITULAB:
        return ReadLab(t2p, input, -85, 85, -75, 124, true);
    case PHOTOMETRIC_LOGL:
    case PHOTOMETRIC_LOGLUV:
        t2p_error("No support for %s with photometric interpretation LogL/LogLuv", name);
        return false;
    default:
        t2p_error("No support for %s with photometric interpretation %u", name, (unsigned)t2p->Photometric);
        return false;
    }
    // Palette over RGB.
    if (t2p->SamplesPerPixel != 1) {
        t2p_error("No support for palettized image %s with not one sample per pixel", name);
        return false;
    }
    t2p->ColorSpace = T2P_CS_RGB | T2P_CS_PALETTE;
    return ReadPalette(t2p, input, 3);
}

} // namespace

void t2p_read_tiff_image(T2P *t2p, TIFF *input)
{
    const T2P_PAGE &page = t2p->Pages[t2p->CurrentPage];
    const char *name = NameOf(input);
    if (!TIFFSetDirectory(input, page.Directory)) {
        t2p_error("Can't set directory %u of input file %s", (unsigned)page.Directory, name);
        t2p->Error = true;
        return;
    }
    t2p->Transcode = T2P_TRANSCODE_ENCODE;
    t2p->Compress = t2p->DefaultCompress;
    t2p->Sample = T2P_SAMPLE_NOTHING;
    t2p->ColorSpace = 0;
    t2p->SwitchDecode = false;
    t2p->Palette.clear();
    t2p->DataSize = 0;

    t2p->Width = 0;
    t2p->Length = 0;
    TIFFGetField(input, TIFFTAG_IMAGEWIDTH, &t2p->Width);
    if (t2p->Width == 0) {
        t2p_error("No support for %s with zero width", name);
        t2p->Error = true;
        return;
    }
    TIFFGetField(input, TIFFTAG_IMAGELENGTH, &t2p->Length);
    if (t2p->Length == 0) {
        t2p_error("No support for %s with zero length", name);
        t2p->Error = true;
        return;
    }
    t2p->Compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(input, TIFFTAG_COMPRESSION, &t2p->Compression);
    if (!TIFFIsCODECConfigured(t2p->Compression)) {
        t2p_error("No support for %s with compression type %u:  not configured", name,
                  (unsigned)t2p->Compression);
        t2p->Error = true;
        return;
    }
    t2p->BitsPerSample = 1;
    TIFFGetFieldDefaulted(input, TIFFTAG_BITSPERSAMPLE, &t2p->BitsPerSample);
    switch (t2p->BitsPerSample) {
    case 0:
        t2p_warning("Image %s has 0 bits per sample, assuming 1", name);
        t2p->BitsPerSample = 1;
        break;
    case 1: case 2: case 4: case 8:
        break;
    default:
        t2p_error("No support for %s with %u bits per sample", name, (unsigned)t2p->BitsPerSample);
        t2p->Error = true;
        return;
    }
    t2p->SamplesPerPixel = 1;
    TIFFGetFieldDefaulted(input, TIFFTAG_SAMPLESPERPIXEL, &t2p->SamplesPerPixel);
    if (t2p->SamplesPerPixel == 0) {
        t2p_warning("Image %s has 0 samples per pixel, assuming 1", name);
        t2p->SamplesPerPixel = 1;
    } else if (t2p->SamplesPerPixel > 4) {
        t2p_error("No support for %s with %u samples per pixel", name, (unsigned)t2p->SamplesPerPixel);
        t2p->Error = true;
        return;
    }
    uint16_t sampleformat = 0;
    if (TIFFGetField(input, TIFFTAG_SAMPLEFORMAT, &sampleformat) && sampleformat != 0 &&
        sampleformat != SAMPLEFORMAT_UINT && sampleformat != SAMPLEFORMAT_VOID) {
        t2p_error("No support for %s with sample format %u", name, (unsigned)sampleformat);
        t2p->Error = true;
        return;
    }
    t2p->FillOrder = FILLORDER_MSB2LSB;
    TIFFGetFieldDefaulted(input, TIFFTAG_FILLORDER, &t2p->FillOrder);
    // A missing photometric tag counts as min-is-white, as fax readers take it.
    t2p->Photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetField(input, TIFFTAG_PHOTOMETRIC, &t2p->Photometric);
    if (!ReadColorSpace(t2p, input)) {
        t2p->Error = true;
        return;
    }
    t2p->PlanarConfig = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(input, TIFFTAG_PLANARCONFIG, &t2p->PlanarConfig);
    switch (t2p->PlanarConfig) {
    case 0:
        t2p_warning("Image %s has planar configuration 0, assuming 1", name);
        t2p->PlanarConfig = PLANARCONFIG_CONTIG;
        break;
    case PLANARCONFIG_CONTIG:
        break;
    case PLANARCONFIG_SEPARATE:
        if (t2p->BitsPerSample != 8) {
            t2p_error("No support for %s with separated planar configuration and %u bits per sample", name,
                      (unsigned)t2p->BitsPerSample);
            t2p->Error = true;
            return;
        }
        t2p->Sample |= T2P_SAMPLE_PLANAR_SEPARATE_TO_CONTIG;
        break;
    default:
        t2p_error("No support for %s with planar configuration %u", name, (unsigned)t2p->PlanarConfig);
        t2p->Error = true;
        return;
    }
    t2p->Orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(input, TIFFTAG_ORIENTATION, &t2p->Orientation);
    if (t2p->Orientation > 8) {
        t2p_warning("Image %s has orientation %u, assuming 0", name, (unsigned)t2p->Orientation);
        t2p->Orientation = 0;
    }
    t2p->XRes = 0.0f;
    t2p->YRes = 0.0f;
    TIFFGetField(input, TIFFTAG_XRESOLUTION, &t2p->XRes);
    TIFFGetField(input, TIFFTAG_YRESOLUTION, &t2p->YRes);
    t2p->ResUnit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(input, TIFFTAG_RESOLUTIONUNIT, &t2p->ResUnit);
    if (t2p->ResUnit == RESUNIT_CENTIMETER) {
        t2p->XRes *= 2.54f;
        t2p->YRes *= 2.54f;
    }
    // A resolution libtiff hands out as it found it may be negative or not a number.
    if (!std::isfinite(t2p->XRes) || t2p->XRes < 0.0f)
        t2p->XRes = 0.0f;
    if (!std::isfinite(t2p->YRes) || t2p->YRes < 0.0f)
        t2p->YRes = 0.0f;

    bool tiled = page.TileCount > 0;
    if (tiled) {
        T2P_TILES &tiles = t2p->Tiles[t2p->CurrentPage];
        if (tiles.Width == 0 || tiles.Length == 0) {
            t2p_error("No support for %s with zero tile width or length", name);
            t2p->Error = true;
            return;
        }
        tiles.Across = (uint32_t)(((uint64_t)t2p->Width + tiles.Width - 1) / tiles.Width);
        tiles.Down = (uint32_t)(((uint64_t)t2p->Length + tiles.Length - 1) / tiles.Length);
        tiles.EdgeWidth = t2p->Width % tiles.Width;
        tiles.EdgeLength = t2p->Length % tiles.Length;
        if ((uint64_t)tiles.Across * tiles.Down != tiles.Count) {
            t2p_error("No support for %s with %lu tiles for %lu x %lu", name, (unsigned long)tiles.Count,
                      (unsigned long)tiles.Across, (unsigned long)tiles.Down);
            t2p->Error = true;
            return;
        }
        if (t2p->Sample & T2P_SAMPLE_YCBCR_TO_RGB) {
            t2p_error("No support for YCbCr to RGB in tile for %s", name);
            t2p->Error = true;
            return;
        }
    }

    t2p_compose_pdf_page(t2p);
    if (tiled)
        t2p_compose_pdf_tiles(t2p);

    if (t2p->Compression == COMPRESSION_CCITTFAX4 && (tiled || TIFFNumberOfStrips(input) == 1) &&
        t2p->ColorSpace == T2P_CS_BILEVEL) {
        t2p->Transcode = T2P_TRANSCODE_RAW;
        t2p->Compress = T2P_COMPRESS_G4;
    } else {
        t2p->Compress = t2p->DefaultCompress;
    }
    if (t2p->BitsPerSample == 1 && t2p->SamplesPerPixel == 1)
        t2p->Compress = T2P_COMPRESS_G4;

    // Transfer functions, calibration and the ICC profile.
    const uint16_t *tables[3];
    t2p->TransferCount = TransferFunctions(input, tables);
    for (int i = 0; i < 3; i++) {
        if (i < t2p->TransferCount)
            t2p->Transfer[i].assign(tables[i], tables[i] + ((size_t)1 << t2p->BitsPerSample));
        else
            t2p->Transfer[i].clear();
    }
    float *white = nullptr, *primaries = nullptr;
    bool hasWhite = TIFFGetField(input, TIFFTAG_WHITEPOINT, &white) && white && white[1] != 0.0f;
    bool hasPrimaries = TIFFGetField(input, TIFFTAG_PRIMARYCHROMATICITIES, &primaries) && primaries;
    if (hasWhite && !(t2p->ColorSpace & T2P_CS_LAB)) {
        t2p->WhitePoint[0] = white[0];
        t2p->WhitePoint[1] = white[1];
    } else if (!(t2p->ColorSpace & T2P_CS_LAB)) {
        t2p->WhitePoint[0] = 0.3457f; // D50, as for Lab
        t2p->WhitePoint[1] = 0.3585f;
    }
    bool plain = !(t2p->ColorSpace & T2P_CS_PALETTE);
    if (plain && (t2p->ColorSpace & T2P_CS_GRAY) && hasWhite)
        t2p->ColorSpace |= T2P_CS_CALGRAY;
    if (plain && (t2p->ColorSpace & T2P_CS_RGB) && (hasWhite || hasPrimaries)) {
        t2p->ColorSpace |= T2P_CS_CALRGB;
        if (hasPrimaries)
            std::copy(primaries, primaries + 6, t2p->Primaries);
        else
            std::copy(kSrgbPrimaries, kSrgbPrimaries + 6, t2p->Primaries);
    }
    uint32_t iccLength = 0;
    void *icc = nullptr;
    if (TIFFGetField(input, TIFFTAG_ICCPROFILE, &iccLength, &icc) && icc && iccLength > 0) {
        const unsigned char *bytes = static_cast<const unsigned char *>(icc);
        t2p->IccProfile.assign(bytes, bytes + iccLength);
        t2p->ColorSpace |= T2P_CS_ICCBASED;
    } else {
        t2p->IccProfile.clear();
    }

    t2p->DataSize = DataSize(t2p, input);
    t2p->PdfBits = t2p->BitsPerSample;
    t2p->PdfSamples = t2p->SamplesPerPixel;
    if (t2p->Sample & (T2P_SAMPLE_RGBA_TO_RGB | T2P_SAMPLE_RGBAA_TO_RGB | T2P_SAMPLE_YCBCR_TO_RGB)) {
        t2p->PdfBits = 8;
        t2p->PdfSamples = 3;
    }
}
