// TIFFPDF: the TIFF-to-PDF converter on fixtures written here through libtiff.  The file layout
// is checked byte for byte (object numbers, cross-reference offsets, image dictionaries), the
// image streams are decoded again through libtiff and compared with the source pixels, and the
// failures are checked for their messages and for the files they leave.  Rendering and qpdf's
// checks are done by tests/tiffpdf/tiffpdf_check.py.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "kestar/base/fsys.h"
#include "kestar/base/osystime.h"
#include "kestar/media/t2p.h"
#include "kestar/media/t2poutput.h"
#include "kestar/media/t2pwriter.h"
#include "kestar/media/tiffpdf.h"
#include "tests/support/tempfolder_support.h"

namespace {

// How a fixture page is written.  Ink(x, y) is true where the page is black (or dark).
struct SPEC {
    uint32_t Width = 64;
    uint32_t Length = 40;
    uint16_t Bits = 1;
    uint16_t Samples = 1;
    uint16_t Photometric = PHOTOMETRIC_MINISWHITE;
    uint16_t Compression = COMPRESSION_CCITTFAX4;
    uint16_t FillOrder = FILLORDER_MSB2LSB;
    uint32_t RowsPerStrip = 0; // 0: one strip
    float XRes = 0, YRes = 0;  // 0: no tag
    uint16_t ResUnit = 0;      // 0: no tag
    uint16_t Orientation = 0;  // 0: no tag
    int SubfileType = -1;      // -1: no tag
    std::string DateTime, DocumentName, Artist;
};

bool Ink(uint32_t x, uint32_t y)
{
    return ((x / 3 + y / 2) % 5 == 0) || (x < 4 && y < 4);
}

uint8_t Grey(uint32_t x, uint32_t y)
{
    return (uint8_t)(x * 7 + y * 13);
}

// The page's rows as written (samples packed MSB first, as libtiff hands them over).
std::vector<std::vector<uint8_t>> Rows(const SPEC &s)
{
    size_t rowbytes = ((size_t)s.Width * s.Bits * s.Samples + 7) / 8;
    std::vector<std::vector<uint8_t>> rows(s.Length, std::vector<uint8_t>(rowbytes, 0));
    for (uint32_t y = 0; y < s.Length; y++) {
        for (uint32_t x = 0; x < s.Width; x++) {
            if (s.Bits == 1) {
                bool bit = Ink(x, y) == (s.Photometric == PHOTOMETRIC_MINISWHITE);
                if (bit)
                    rows[y][x / 8] |= (uint8_t)(0x80 >> (x % 8));
            } else if (s.Bits == 8) {
                for (uint16_t c = 0; c < s.Samples; c++)
                    rows[y][(size_t)x * s.Samples + c] = (uint8_t)(Grey(x, y) + 85 * c);
            } else if (s.Bits == 16) {
                rows[y][(size_t)x * 2] = Grey(x, y);
            }
        }
    }
    return rows;
}

bool WriteTiff(const std::string &path, const std::vector<SPEC> &pages)
{
    TIFF *tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return false;
    bool ok = true;
    for (const SPEC &s : pages) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, s.Width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, s.Length);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, s.Bits);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, s.Samples);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, s.Photometric);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, s.Compression);
        TIFFSetField(tif, TIFFTAG_FILLORDER, s.FillOrder);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, s.RowsPerStrip ? s.RowsPerStrip : s.Length);
        if (s.XRes > 0)
            TIFFSetField(tif, TIFFTAG_XRESOLUTION, s.XRes);
        if (s.YRes > 0)
            TIFFSetField(tif, TIFFTAG_YRESOLUTION, s.YRes);
        if (s.ResUnit)
            TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, s.ResUnit);
        if (s.Orientation)
            TIFFSetField(tif, TIFFTAG_ORIENTATION, s.Orientation);
        if (s.SubfileType >= 0)
            TIFFSetField(tif, TIFFTAG_SUBFILETYPE, (uint32_t)s.SubfileType);
        if (!s.DateTime.empty())
            TIFFSetField(tif, TIFFTAG_DATETIME, s.DateTime.c_str());
        if (!s.DocumentName.empty())
            TIFFSetField(tif, TIFFTAG_DOCUMENTNAME, s.DocumentName.c_str());
        if (!s.Artist.empty())
            TIFFSetField(tif, TIFFTAG_ARTIST, s.Artist.c_str());
        std::vector<std::vector<uint8_t>> rows = Rows(s);
        for (uint32_t y = 0; ok && y < s.Length; y++)
            ok = TIFFWriteScanline(tif, rows[y].data(), y, 0) >= 0;
        ok = ok && TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
    return ok;
}

// Sets the value of a SHORT tag in directory `directory` (from 0) of a little-endian classic TIFF
// file in place: for values libtiff will not write.  false when the tag is not there.
bool PatchShortTag(const std::string &path, uint16_t tag, uint16_t value, int directory = 0)
{
    std::string bytes = ReadWholeFile(path);
    auto get16 = [&](size_t at) { return (uint16_t)((uint8_t)bytes[at] | (uint8_t)bytes[at + 1] << 8); };
    auto get32 = [&](size_t at) { return (uint32_t)get16(at) | (uint32_t)get16(at + 2) << 16; };
    if (bytes.size() < 8 || bytes.compare(0, 4, std::string("II*\0", 4)) != 0)
        return false;
    size_t ifd = get32(4);
    for (int d = 0; d < directory && ifd + 2 <= bytes.size(); d++) {
        size_t next = ifd + 2 + 12 * (size_t)get16(ifd);
        if (next + 4 > bytes.size())
            return false;
        ifd = get32(next);
    }
    if (ifd == 0 || ifd + 2 > bytes.size())
        return false;
    for (size_t i = 0, n = get16(ifd); i < n && ifd + 2 + 12 * (i + 1) <= bytes.size(); i++) {
        size_t entry = ifd + 2 + 12 * i;
        if (get16(entry) == tag) {
            bytes[entry + 8] = (char)(value & 0xFF);
            bytes[entry + 9] = (char)(value >> 8);
            FILE *f = std::fopen(path.c_str(), "wb");
            if (!f)
                return false;
            bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
            return std::fclose(f) == 0 && ok;
        }
    }
    return false;
}

// libtiff's error and warning handlers collect the messages of one conversion.
std::vector<std::string> gMessages;

void Collect(const char *kind, const char *module, const char *format, va_list arguments)
{
    char text[2048];
    vsnprintf(text, sizeof(text), format, arguments);
    gMessages.push_back(std::string(kind) + (module ? module : "") + ": " + text);
}

void CollectError(const char *module, const char *format, va_list arguments)
{
    Collect("E ", module, format, arguments);
}

void CollectWarning(const char *module, const char *format, va_list arguments)
{
    Collect("W ", module, format, arguments);
}

class HANDLERS {
public:
    HANDLERS()
    {
        gMessages.clear();
        oldError = TIFFSetErrorHandler(CollectError);
        oldWarning = TIFFSetWarningHandler(CollectWarning);
    }
    ~HANDLERS()
    {
        TIFFSetErrorHandler(oldError);
        TIFFSetWarningHandler(oldWarning);
    }
    bool Has(const std::string &message) const
    {
        for (const std::string &m : gMessages)
            if (m == message)
                return true;
        return false;
    }
    std::string All() const
    {
        std::string all;
        for (const std::string &m : gMessages)
            all += m + "\n";
        return all;
    }

private:
    TIFFErrorHandler oldError, oldWarning;
};

// A finished PDF, read back.
struct PDF {
    std::string Bytes;

    size_t Find(const std::string &text, size_t from = 0) const { return Bytes.find(text, from); }
    bool Has(const std::string &text) const { return Find(text) != std::string::npos; }
    size_t Count(const std::string &text) const
    {
        size_t n = 0;
        for (size_t at = Find(text); at != std::string::npos; at = Find(text, at + 1))
            n++;
        return n;
    }
    // The offsets of the cross-reference table (entry 0, the free one, left out); empty when the
    // table is not where startxref says.
    std::vector<uint64_t> Xref() const
    {
        std::vector<uint64_t> offsets;
        size_t at = Bytes.rfind("startxref\r");
        if (at == std::string::npos)
            return offsets;
        size_t xref = std::strtoull(Bytes.c_str() + at + 10, nullptr, 10);
        unsigned long count = 0;
        if (xref >= Bytes.size() || std::sscanf(Bytes.c_str() + xref, "xref\r0 %lu \r", &count) != 1)
            return offsets;
        size_t entry = Bytes.find("0000000000 65535 f\r\n", xref);
        if (entry == std::string::npos)
            return offsets;
        entry += 20;
        for (unsigned long i = 1; i < count && entry + 20 <= Bytes.size(); i++, entry += 20)
            offsets.push_back(std::strtoull(Bytes.c_str() + entry, nullptr, 10));
        return offsets;
    }
    // The value of a length object ("N 0 obj\rVALUE\rendobj\r").
    uint64_t LengthObject(unsigned long number) const
    {
        std::string head = std::to_string(number) + " 0 obj\r";
        size_t at = Find("\r" + head);
        if (at == std::string::npos)
            return 0;
        return std::strtoull(Bytes.c_str() + at + 1 + head.size(), nullptr, 10);
    }
    // The dictionary and stream of image object `number`.
    bool Image(unsigned long number, std::string &dict, std::string &stream) const
    {
        std::string head = "\r" + std::to_string(number) + " 0 obj\r";
        size_t at = Find(head);
        if (at == std::string::npos)
            return false;
        size_t start = Find("stream\r\n", at);
        if (start == std::string::npos)
            return false;
        dict = Bytes.substr(at + head.size(), start - at - head.size());
        unsigned long lengthObject = 0;
        size_t l = dict.find("/Length ");
        if (l == std::string::npos || std::sscanf(dict.c_str() + l, "/Length %lu 0 R", &lengthObject) != 1)
            return false;
        uint64_t length = LengthObject(lengthObject);
        start += 8;
        if (start + length > Bytes.size())
            return false;
        stream = Bytes.substr(start, (size_t)length);
        return Bytes.compare(start + (size_t)length, 11, "\rendstream\r") == 0;
    }
};

PDF ReadPdf(const std::string &path)
{
    PDF pdf;
    pdf.Bytes = ReadWholeFile(path);
    return pdf;
}

// Every cross-reference entry points at "N 0 obj" of its own number.
void ExpectXrefExact(const PDF &pdf, size_t objects)
{
    std::vector<uint64_t> offsets = pdf.Xref();
    ASSERT_EQ(offsets.size(), objects);
    for (size_t i = 0; i < offsets.size(); i++) {
        std::string head = std::to_string(i + 1) + " 0 obj\r";
        ASSERT_LT(offsets[i], pdf.Bytes.size());
        EXPECT_EQ(pdf.Bytes.compare((size_t)offsets[i], head.size(), head), 0) << "object " << i + 1;
    }
}

// Decodes a CCITT Group 4 stream through libtiff (a one-strip TIFF around it): rows of 1 = ink.
std::vector<std::vector<uint8_t>> DecodeG4(const TEMPFOLDER &dir, const std::string &stream, uint32_t width,
                                          uint32_t length, bool blackIs1)
{
    std::vector<std::vector<uint8_t>> rows;
    std::string path = dir.File("decode.tif");
    TIFF *tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return rows;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, length);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, length);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    // The codec's "black" runs are its 1 bits; BlackIs1 false means those are ink.
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, blackIs1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_MINISWHITE);
    TIFFWriteRawStrip(tif, 0, (void *)stream.data(), (tmsize_t)stream.size());
    TIFFWriteDirectory(tif);
    TIFFClose(tif);
    tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return rows;
    std::vector<uint8_t> line(TIFFScanlineSize(tif));
    for (uint32_t y = 0; y < length; y++) {
        if (TIFFReadScanline(tif, line.data(), y, 0) < 0)
            break;
        std::vector<uint8_t> row(width);
        for (uint32_t x = 0; x < width; x++) {
            bool bit = (line[x / 8] >> (7 - x % 8)) & 1;
            row[x] = (uint8_t)(blackIs1 ? !bit : bit);
        }
        rows.push_back(row);
    }
    TIFFClose(tif);
    return rows;
}

// The raw first strip of a TIFF file's page.
std::string RawStrip(const std::string &path, int directory)
{
    TIFF *tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return std::string();
    TIFFSetDirectory(tif, (tdir_t)directory);
    uint64_t *counts = nullptr;
    TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts);
    std::string raw(counts ? (size_t)counts[0] : 0, '\0');
    TIFFReadRawStrip(tif, 0, &raw[0], (tmsize_t)raw.size());
    TIFFClose(tif);
    return raw;
}

std::string Reversed(std::string bytes)
{
    TIFFReverseBits(reinterpret_cast<uint8_t *>(&bytes[0]), (tmsize_t)bytes.size());
    return bytes;
}

// The placement line of content object `number` ("q  a b c d e f cm /ImN Do Q"), checked against
// its length object; the six values compared to 0.0001 (x87 on i686 rounds differently).
void ExpectPlacement(const PDF &pdf, unsigned long number, const std::vector<double> &expected)
{
    std::string head = "\r" + std::to_string(number) + " 0 obj\r<< \r/Length " + std::to_string(number + 1) +
                       " 0 R \r >>\rstream\r\n";
    size_t at = pdf.Find(head);
    ASSERT_NE(at, std::string::npos) << head;
    at += head.size();
    size_t end = pdf.Find("\rendstream\r", at);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(pdf.LengthObject(number + 1), end - at);
    std::string line = pdf.Bytes.substr(at, end - at);
    double v[6] = {0, 0, 0, 0, 0, 0};
    int image = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "q  %lf %lf %lf %lf %lf %lf cm /Im%d Do Q\r", &v[0], &v[1], &v[2], &v[3],
                          &v[4], &v[5], &image),
              7)
        << line;
    EXPECT_EQ(line.back(), '\r');
    for (int i = 0; i < 6; i++)
        EXPECT_NEAR(v[i], expected[i], 0.00015) << line;
}

// The names in a folder, sorted.
std::vector<std::string> Listing(const TEMPFOLDER &dir)
{
    std::vector<std::string> names;
    FSYS::FINDENTRY entry;
    void *walk = FSYS::FindFirst(dir.File("*").c_str(), entry);
    for (bool more = walk != nullptr; more; more = FSYS::FindNext(walk, entry))
        if (entry.Name != "." && entry.Name != "..")
            names.push_back(entry.Name);
    if (walk)
        FSYS::FindClose(walk);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(TIFFPDF, PaperSizesByNameInAnyCase)
{
    struct Case {
        const char *Name;
        bool Found;
        float Width, Length;
    };
    const Case cases[] = {
        {"A4", true, 595, 842},       {"a4", true, 595, 842},         {"letter", true, 612, 792},
        {"JISB10", true, 91, 128},    {"sra0", true, 2551, 3628},     {"4A0", true, 4768, 6741},
        {"A4EXTRA", true, 667, 914},  {"K", true, 2880, 10296},       {"A11", false, 1, 2},
        {"", false, 1, 2},            {"A4 ", false, 1, 2},
    };
    for (const Case &c : cases) {
        float w = 1, l = 2;
        EXPECT_EQ(t2p_paper_size(c.Name, &w, &l), c.Found) << c.Name;
        EXPECT_EQ(w, c.Found ? c.Width : 1.0f) << c.Name;
        EXPECT_EQ(l, c.Found ? c.Length : 2.0f) << c.Name;
    }
}

TEST(TIFFPDF, PageGeometryOnA4)
{
    struct Case {
        uint32_t Width, Length;
        float XRes, YRes; // as the analysis hands them over (0: none)
        float ImageWidth, ImageLength, X1, Y1;
    };
    const Case cases[] = {
        // No resolution: the fax defaults 219 x 208.
        {1728, 2291, 0, 0, 568.1096f, 793.0385f, 13.4452f, 24.4808f},
        // A fine fax is wider than A4: centred, past each side by the same amount.
        {1728, 2200, 204, 196, 609.8824f, 808.1633f, -7.4412f, 16.9184f},
    };
    for (const Case &c : cases) {
        T2P *t2p = t2p_init();
        ASSERT_NE(t2p, nullptr);
        t2p->DefaultXRes = 219;
        t2p->DefaultYRes = 208;
        ASSERT_TRUE(t2p_paper_size("A4", &t2p->DefaultPageWidth, &t2p->DefaultPageLength));
        t2p->OverridePageSize = true;
        t2p->Width = c.Width;
        t2p->Length = c.Length;
        t2p->XRes = c.XRes;
        t2p->YRes = c.YRes;
        t2p_compose_pdf_page(t2p);
        EXPECT_NEAR(t2p->PdfImageWidth, c.ImageWidth, 0.0001) << c.Width;
        EXPECT_NEAR(t2p->PdfImageLength, c.ImageLength, 0.0001) << c.Length;
        EXPECT_NEAR(t2p->ImageBox.X1, c.X1, 0.0001);
        EXPECT_NEAR(t2p->ImageBox.Y1, c.Y1, 0.0001);
        EXPECT_NEAR(t2p->ImageBox.X2 - t2p->ImageBox.X1, c.ImageWidth, 0.0001);
        EXPECT_EQ(t2p->MediaBox.X2, 595.0f);
        EXPECT_EQ(t2p->MediaBox.Y2, 842.0f);
        t2p_free(t2p);
    }
}

TEST(TIFFPDF, OrientationMatrices)
{
    // Box (10, 20) - (110, 70): w = 100, h = 50.
    const float w = 100, h = 50, x1 = 10, y1 = 20;
    const float expected[9][6] = {
        {w, 0, 0, h, x1, y1},          {w, 0, 0, h, x1, y1},          {-w, 0, 0, h, x1 + w, y1},
        {-w, 0, 0, -h, x1 + w, y1 + h}, {w, 0, 0, -h, x1, y1 + h},     {0, -w, -h, 0, x1 + h, y1 + w},
        {0, -w, h, 0, x1, y1 + w},     {0, w, h, 0, x1, y1},          {0, w, -h, 0, x1 + h, y1},
    };
    for (uint16_t o = 0; o <= 8; o++) {
        T2P_BOX box;
        box.X1 = 110; // given the wrong way round: the corners are put in order first
        box.Y1 = 20;
        box.X2 = 10;
        box.Y2 = 70;
        t2p_compose_pdf_page_orient(&box, o);
        for (int i = 0; i < 6; i++)
            EXPECT_NEAR(box.Mat[i], expected[o][i], 0.0001) << "orientation " << o << " value " << i;
    }
}

TEST(TIFFPDF, TwoPagesGiveTheObjectLayoutAndExactOffsets)
{
    TEMPFOLDER dir;
    HANDLERS handlers;
    SPEC fax;
    fax.Width = 1728;
    fax.Length = 60;
    fax.Compression = COMPRESSION_CCITTFAX3;
    fax.XRes = 204;
    fax.YRes = 196;
    fax.ResUnit = RESUNIT_INCH;
    std::string tif = dir.File("fax.tif"), pdfName = dir.File("fax.pdf");
    ASSERT_TRUE(WriteTiff(tif, {fax, fax}));
    ASSERT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 1) << handlers.All();
    PDF pdf = ReadPdf(pdfName);

    EXPECT_EQ(pdf.Bytes.compare(0, 17, std::string("%PDF-1.1 \r%\xE2\xE3\xCF\xD3\r\n", 17)), 0);
    EXPECT_TRUE(pdf.Has("1 0 obj\r<< \r/Type /Catalog \r/Pages 3 0 R \r>>\rendobj\r"));
    EXPECT_TRUE(pdf.Has("3 0 obj\r<< \r/Type /Pages \r/Kids [ 4 0 R 9 0 R ] \r/Count 2 \r>> \rendobj\r"));
    EXPECT_TRUE(pdf.Has("4 0 obj\r<<\r/Type /Page \r/Parent 3 0 R \r/MediaBox [0.0000 0.0000 595.0000 842.0000] \r"
                        "/Contents 5 0 R \r/Resources << \r/XObject <<\r/Im1 7 0 R >>\r/ProcSet [ /ImageB ]\r>>\r>>\r"
                        "endobj\r"));
    EXPECT_TRUE(pdf.Has("/XObject <<\r/Im2 12 0 R >>\r"));
    ExpectPlacement(pdf, 5, {609.8824, 0, 0, 22.0408, -7.4412, 409.9796});
    ExpectPlacement(pdf, 10, {609.8824, 0, 0, 22.0408, -7.4412, 409.9796});
    EXPECT_EQ(pdf.Count("/Filter /CCITTFaxDecode /DecodeParms << /K -1 /Columns 1728 /Rows 60>>\r"), 2u);
    EXPECT_FALSE(pdf.Has("/Decode ["));
    EXPECT_FALSE(pdf.Has("/BlackIs1"));
    EXPECT_TRUE(pdf.Has("/Producer (Orvak PDF Creator \\(using code from TIFFLib\\))\r/Creator (Parlomatix by Orvak)\r"));
    ExpectXrefExact(pdf, 13);
    EXPECT_TRUE(pdf.Has("trailer\r<<\r/Size 14\r/Root 1 0 R \r/Info 2 0 R \r/ID[<"));
    EXPECT_EQ(pdf.Bytes.substr(pdf.Bytes.size() - 7), "\r%%EOF\r");

    // Both images, re-encoded from Group 3, decode to the source pixels.
    std::vector<std::vector<uint8_t>> ink(fax.Length, std::vector<uint8_t>(fax.Width));
    for (uint32_t y = 0; y < fax.Length; y++)
        for (uint32_t x = 0; x < fax.Width; x++)
            ink[y][x] = Ink(x, y);
    for (unsigned long image : {7ul, 12ul}) {
        std::string dict, stream;
        ASSERT_TRUE(pdf.Image(image, dict, stream)) << image;
        EXPECT_EQ(DecodeG4(dir, stream, fax.Width, fax.Length, false), ink) << image;
    }
    EXPECT_TRUE(gMessages.empty()) << handlers.All();
}

TEST(TIFFPDF, CodingOfBilevelPages)
{
    struct Case {
        const char *Name;
        uint16_t Compression;
        uint32_t RowsPerStrip;
        uint16_t FillOrder;
        uint16_t Photometric;
        bool Copied; // the stream is the strip as it is (bit-reversed for fill order 2)
    };
    const Case cases[] = {
        {"one-strip G4", COMPRESSION_CCITTFAX4, 0, FILLORDER_MSB2LSB, PHOTOMETRIC_MINISWHITE, true},
        {"one-strip G4, fill order 2", COMPRESSION_CCITTFAX4, 0, FILLORDER_LSB2MSB, PHOTOMETRIC_MINISWHITE, true},
        {"one-strip G4, min-is-black", COMPRESSION_CCITTFAX4, 0, FILLORDER_MSB2LSB, PHOTOMETRIC_MINISBLACK, true},
        {"multi-strip G4", COMPRESSION_CCITTFAX4, 16, FILLORDER_MSB2LSB, PHOTOMETRIC_MINISWHITE, false},
        {"G3", COMPRESSION_CCITTFAX3, 0, FILLORDER_MSB2LSB, PHOTOMETRIC_MINISWHITE, false},
        {"G3, fill order 2", COMPRESSION_CCITTFAX3, 8, FILLORDER_LSB2MSB, PHOTOMETRIC_MINISWHITE, false},
        {"uncompressed, min-is-black", COMPRESSION_NONE, 7, FILLORDER_MSB2LSB, PHOTOMETRIC_MINISBLACK, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TEMPFOLDER dir;
        HANDLERS handlers;
        SPEC s;
        s.Width = 100;
        s.Length = 50;
        s.Compression = c.Compression;
        s.RowsPerStrip = c.RowsPerStrip;
        s.FillOrder = c.FillOrder;
        s.Photometric = c.Photometric;
        std::string tif = dir.File("page.tif"), pdfName = dir.File("page.pdf");
        ASSERT_TRUE(WriteTiff(tif, {s}));
        ASSERT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 1) << handlers.All();
        PDF pdf = ReadPdf(pdfName);
        ExpectXrefExact(pdf, 8);
        std::string dict, stream;
        ASSERT_TRUE(pdf.Image(7, dict, stream));
        bool blackIs1 = c.Photometric == PHOTOMETRIC_MINISBLACK;
        EXPECT_NE(dict.find("/BitsPerComponent 1\r/ColorSpace /DeviceGray \r/Filter /CCITTFaxDecode "
                            "/DecodeParms << /K -1 /Columns 100 /Rows 50"),
                  std::string::npos)
            << dict;
        EXPECT_EQ(dict.find("/Decode "), std::string::npos) << dict;
        EXPECT_EQ(dict.find(" /BlackIs1 true >>\r") != std::string::npos, blackIs1) << dict;
        std::string raw = RawStrip(tif, 0);
        if (c.Copied) {
            EXPECT_EQ(stream, c.FillOrder == FILLORDER_LSB2MSB ? Reversed(raw) : raw);
        } else {
            EXPECT_NE(stream, raw);
        }
        std::vector<std::vector<uint8_t>> ink(s.Length, std::vector<uint8_t>(s.Width));
        for (uint32_t y = 0; y < s.Length; y++)
            for (uint32_t x = 0; x < s.Width; x++)
                ink[y][x] = Ink(x, y);
        EXPECT_EQ(DecodeG4(dir, stream, s.Width, s.Length, blackIs1), ink);
    }
}

TEST(TIFFPDF, PageSelectionAndDocumentInformation)
{
    TEMPFOLDER dir;
    HANDLERS handlers;
    SPEC page, reduced;
    page.DateTime = "2024:02:29 13:45:07";
    page.DocumentName = "Fax (urgent) \\ \x01\xE9";
    page.Artist = std::string(600, 'a');
    reduced.SubfileType = FILETYPE_REDUCEDIMAGE;
    reduced.Width = 16;
    reduced.Length = 10;
    SPEC second = page;
    second.SubfileType = FILETYPE_PAGE;
    std::string tif = dir.File("in.tif"), pdfName = dir.File("out.pdf");
    ASSERT_TRUE(WriteTiff(tif, {page, reduced, second}));
    ASSERT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 1) << handlers.All();
    PDF pdf = ReadPdf(pdfName);
    // The reduced-resolution directory is no page.
    EXPECT_TRUE(pdf.Has("/Kids [ 4 0 R 9 0 R ] \r/Count 2 \r"));
    ExpectXrefExact(pdf, 13);
    EXPECT_TRUE(pdf.Has("<< \r/CreationDate (D:20240229134507)\r/ModDate (D:20240229134507)\r/Producer "));
    EXPECT_TRUE(pdf.Has("/Title (Fax \\(urgent\\) \\\\ \\001\\351)\r"));
    EXPECT_TRUE(pdf.Has("/Author (" + std::string(511, 'a') + ")\r"));
    EXPECT_FALSE(pdf.Has("/Subject"));

    // Without DateTime: the local time now.
    SPEC plain;
    ASSERT_TRUE(WriteTiff(tif, {plain}));
    auto stamp = [] {
        OSYS::SYSTIME t = OSYS::TimeToSystemTime(0);
        char text[40];
        snprintf(text, sizeof(text), "D:%.4d%.2d%.2d%.2d%.2d", (int)t.wYear, (int)t.wMonth, (int)t.wDay,
                 (int)t.wHour, (int)t.wMinute);
        return std::string(text);
    };
    std::string before = stamp();
    ASSERT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 1) << handlers.All();
    std::string after = stamp();
    pdf = ReadPdf(pdfName);
    size_t at = pdf.Find("/CreationDate (");
    ASSERT_NE(at, std::string::npos);
    std::string date = pdf.Bytes.substr(at + 15, 16);
    EXPECT_TRUE(date.compare(0, 14, before) == 0 || date.compare(0, 14, after) == 0) << date;
    EXPECT_TRUE(pdf.Has("/ModDate (" + date + ")\r"));
}

TEST(TIFFPDF, ResolutionUnitsAndOrientationOnThePage)
{
    struct Case {
        const char *Name;
        float XRes, YRes;
        uint16_t Unit, Orientation;
        std::vector<double> Placement;
        const char *MediaBox;
    };
    // 80 x 77 per centimetre is 203.2 x 195.58 dpi: 160 x 100 pixels give 56.6929 x 36.8136 points.
    const Case cases[] = {
        {"centimetre", 80, 77, RESUNIT_CENTIMETER, 0,
         {56.6929, 0, 0, 36.8136, 269.1535, 402.5932}, "[0.0000 0.0000 595.0000 842.0000]"},
        {"orientation 6", 80, 77, RESUNIT_CENTIMETER, 6,
         {0, -56.6929, 36.8136, 0, 269.1535, 459.2861}, "[0.0000 0.0000 842.0000 595.0000]"},
        {"orientation 9", 72, 72, RESUNIT_INCH, 9,
         {160, 0, 0, 100, 217.5, 371}, "[0.0000 0.0000 595.0000 842.0000]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TEMPFOLDER dir;
        HANDLERS handlers;
        SPEC s;
        s.Width = 160;
        s.Length = 100;
        s.XRes = c.XRes;
        s.YRes = c.YRes;
        s.ResUnit = c.Unit;
        s.Orientation = c.Orientation > 8 ? 1 : c.Orientation;
        std::string tif = dir.File("in.tif"), pdfName = dir.File("out.pdf");
        ASSERT_TRUE(WriteTiff(tif, {s}));
        if (c.Orientation > 8) {
            ASSERT_TRUE(PatchShortTag(tif, TIFFTAG_ORIENTATION, c.Orientation));
        }
        ASSERT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 1) << handlers.All();
        PDF pdf = ReadPdf(pdfName);
        ExpectPlacement(pdf, 5, c.Placement);
        EXPECT_TRUE(pdf.Has(std::string("/MediaBox ") + c.MediaBox)) << c.MediaBox;
        if (c.Orientation == 9) {
            // libtiff drops the value when it reads the directory: the page is placed top-left.
            EXPECT_NE(handlers.All().find("Bad value 9 for \"Orientation\" tag"), std::string::npos)
                << handlers.All();
        }
    }
}

TEST(TIFFPDF, FailuresReportAndLeaveNoFile)
{
    TEMPFOLDER dir;
    SPEC deep;
    deep.Bits = 16;
    deep.Photometric = PHOTOMETRIC_MINISBLACK;
    deep.Compression = COMPRESSION_NONE;
    std::string deepTif = dir.File("deep.tif");
    ASSERT_TRUE(WriteTiff(deepTif, {deep}));
    std::string missing = dir.File("missing.tif");
    std::string out = dir.File("out.pdf");
    std::string nowhere = dir.File("no-such-folder") + dir.File("").substr(dir.Path().size()) + "out.pdf";
    struct Case {
        std::string Input, Output;
        std::vector<std::string> Messages;
    };
    const Case cases[] = {
        {missing, out, {"E Parlomatix: Can't open input file " + missing + " for reading"}},
        {deepTif, out,
         {"E Parlomatix: No support for " + deepTif + " with 16 bits per sample",
          "E Parlomatix: An error occurred in converting TIFF " + deepTif + " to PDF " + out}},
        {deepTif, nowhere, {"E Parlomatix: Can't open output file " + nowhere + " for writing"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Input + " -> " + c.Output);
        HANDLERS handlers;
        EXPECT_EQ(convert_tiff_to_pdf(c.Input.c_str(), c.Output.c_str()), 0);
        for (const std::string &m : c.Messages)
            EXPECT_TRUE(handlers.Has(m)) << m << "\n" << handlers.All();
        EXPECT_FALSE(FileExistsForTest(c.Output));
        // No temporary file was left behind either.
        EXPECT_EQ(Listing(dir), std::vector<std::string>{"deep.tif"});
    }
    // An existing output survives a failed conversion.
    {
        HANDLERS handlers;
        FILE *f = std::fopen(out.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("keep me", f);
        std::fclose(f);
        EXPECT_EQ(convert_tiff_to_pdf(deepTif.c_str(), out.c_str()), 0);
        EXPECT_EQ(ReadWholeFile(out), "keep me");
        EXPECT_EQ(Listing(dir), (std::vector<std::string>{"deep.tif", "out.pdf"}));
    }
}

TEST(TIFFPDF, OutputInMemoryHasExactOffsets)
{
    // The entry between open handles, as the fuzz target drives it: a grey page and a fax page.
    TEMPFOLDER dir;
    HANDLERS handlers;
    SPEC grey;
    grey.Bits = 8;
    grey.Photometric = PHOTOMETRIC_MINISWHITE;
    grey.Compression = COMPRESSION_NONE;
    SPEC fax;
    std::string tif = dir.File("in.tif");
    ASSERT_TRUE(WriteTiff(tif, {grey, fax}));
    TIFF *input = TIFFOpen(tif.c_str(), "r");
    ASSERT_NE(input, nullptr);
    std::vector<unsigned char> memory;
    T2POUTPUT output(&memory);
    TIFF *handle = output.Open("memory.pdf");
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(convert_tiff_to_pdf_handles(input, output, handle, "memory.pdf")) << handlers.All();
    output.Close();
    TIFFClose(input);
    PDF pdf;
    pdf.Bytes.assign(memory.begin(), memory.end());
    EXPECT_EQ(output.Count(), memory.size());
    ExpectXrefExact(pdf, 13);
    std::string dict, stream;
    ASSERT_TRUE(pdf.Image(7, dict, stream));
    EXPECT_NE(dict.find("/BitsPerComponent 8\r/ColorSpace /DeviceGray \r/Decode [ 1 0 ]\r >>\r"), std::string::npos)
        << dict;
    ASSERT_EQ(stream.size(), (size_t)grey.Width * grey.Length);
    EXPECT_EQ((uint8_t)stream[grey.Width * 3 + 5], Grey(5, 3));
    EXPECT_TRUE(pdf.Has("/ProcSet [ /ImageB ]"));
}

TEST(TIFFPDF, ColourPagesAndTheirColourSpaces)
{
    const uint32_t width = 8, length = 4;
    using Tags = std::function<void(TIFF *)>;
    using Expect = std::function<std::string(const std::string &)>;
    auto same = [](const std::string &source) { return source; };
    struct Case {
        const char *Name;
        uint16_t Photometric, Bits, Samples;
        Tags MoreTags;
        std::string Dict;    // expected in the image dictionary, from /BitsPerComponent
        const char *ProcSet;
        Expect Stream;       // the image stream from the source bytes
        const char *Warning; // "" for none
    };
    static uint16_t map[3][16];
    for (int c = 0; c < 3; c++)
        for (int i = 0; i < 16; i++)
            map[c][i] = (uint16_t)(((i * 16 + c * 40) & 255) << 8 | 0x7F);
    auto palette = [](int components) {
        std::string bytes;
        for (int i = 0; i < 16; i++) {
            for (int c = 0; c < 3; c++)
                bytes += (char)(map[c][i] >> 8);
            if (components == 4)
                bytes += '\0';
        }
        return bytes;
    };
    const Case cases[] = {
        {"grey 8, min-is-black", PHOTOMETRIC_MINISBLACK, 8, 1, nullptr,
         "/BitsPerComponent 8\r/ColorSpace /DeviceGray \r >>\r", "/ImageB ", same, ""},
        {"grey 4, min-is-white", PHOTOMETRIC_MINISWHITE, 4, 1, nullptr,
         "/BitsPerComponent 4\r/ColorSpace /DeviceGray \r/Decode [ 1 0 ]\r >>\r", "/ImageB ", same, ""},
        {"RGB", PHOTOMETRIC_RGB, 8, 3, nullptr, "/BitsPerComponent 8\r/ColorSpace /DeviceRGB \r >>\r", "/ImageC ",
         same, ""},
        {"palette 4", PHOTOMETRIC_PALETTE, 4, 1,
         [](TIFF *tif) { TIFFSetField(tif, TIFFTAG_COLORMAP, map[0], map[1], map[2]); },
         "/BitsPerComponent 4\r/ColorSpace [ /Indexed /DeviceRGB \r15 7 0 R ]\r >>\r", "/ImageC /ImageI ", same, ""},
        {"CMYK", PHOTOMETRIC_SEPARATED, 8, 4, nullptr, "/BitsPerComponent 8\r/ColorSpace /DeviceCMYK \r >>\r",
         "/ImageC ", same, ""},
        {"CIE Lab", PHOTOMETRIC_CIELAB, 8, 3, nullptr,
         "/BitsPerComponent 8\r/ColorSpace [/Lab << \r/WhitePoint [0.9643 1.0000 0.8251] \r/Range [-127 127 -127 127] "
         "\r>>] \r >>\r",
         "/ImageC ",
         [](const std::string &source) {
             std::string s = source;
             for (size_t i = 0; i < s.size(); i += 3) {
                 s[i + 1] = (char)(s[i + 1] + 128);
                 s[i + 2] = (char)(s[i + 2] + 128);
             }
             return s;
         },
         ""},
        {"RGB with unassociated alpha", PHOTOMETRIC_RGB, 8, 4,
         [](TIFF *tif) {
             uint16_t extra = EXTRASAMPLE_UNASSALPHA;
             TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
         },
         "/BitsPerComponent 8\r/ColorSpace /DeviceRGB \r >>\r", "/ImageC ",
         [](const std::string &source) {
             std::string s;
             for (size_t i = 0; i < source.size(); i += 4)
                 s += source.substr(i, 3);
             return s;
         },
         ""},
        {"RGB with associated alpha", PHOTOMETRIC_RGB, 8, 4,
         [](TIFF *tif) {
             uint16_t extra = EXTRASAMPLE_ASSOCALPHA;
             TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
         },
         "/BitsPerComponent 8\r/ColorSpace /DeviceRGB \r >>\r", "/ImageC ",
         [](const std::string &source) {
             std::string s;
             for (size_t i = 0; i < source.size(); i += 4)
                 for (int c = 0; c < 3; c++)
                     s += (char)std::min(255, (uint8_t)source[i + c] + 255 - (uint8_t)source[i + 3]);
             return s;
         },
         ""},
        {"grey 2, min-is-black", PHOTOMETRIC_MINISBLACK, 2, 1, nullptr,
         "/BitsPerComponent 2\r/ColorSpace /DeviceGray \r >>\r", "/ImageB ", same, ""},
        // The codecs of every build beside the CCITT ones: decoded, written uncompressed.
        {"grey 8, LZW", PHOTOMETRIC_MINISBLACK, 8, 1,
         [](TIFF *tif) { TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW); },
         "/BitsPerComponent 8\r/ColorSpace /DeviceGray \r >>\r", "/ImageB ", same, ""},
        {"RGB, PackBits", PHOTOMETRIC_RGB, 8, 3,
         [](TIFF *tif) { TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS); },
         "/BitsPerComponent 8\r/ColorSpace /DeviceRGB \r >>\r", "/ImageC ", same, ""},
        // Palettised CMYK: C, M and Y from the colour map's red, green and blue, K 0.
        {"palettised CMYK", PHOTOMETRIC_SEPARATED, 4, 1,
         [](TIFF *tif) {
             TIFFSetField(tif, TIFFTAG_INDEXED, 1);
             TIFFSetField(tif, TIFFTAG_COLORMAP, map[0], map[1], map[2]);
         },
         "/BitsPerComponent 4\r/ColorSpace [ /Indexed /DeviceCMYK \r15 7 0 R ]\r >>\r", "/ImageC /ImageI ", same, ""},
        {"ICC Lab", PHOTOMETRIC_ICCLAB, 8, 3, nullptr,
         "/BitsPerComponent 8\r/ColorSpace [/Lab << \r/WhitePoint [0.9643 1.0000 0.8251] \r/Range [0 255 0 255] "
         "\r>>] \r >>\r",
         "/ImageC ", same, ""},
        {"ITU Lab", PHOTOMETRIC_ITULAB, 8, 3, nullptr,
         "/BitsPerComponent 8\r/ColorSpace [/Lab << \r/WhitePoint [0.9643 1.0000 0.8251] \r/Range [-85 85 -75 124] "
         "\r>>] \r >>\r",
         "/ImageC ",
         [](const std::string &source) {
             std::string s = source;
             for (size_t i = 0; i < s.size(); i += 3) {
                 s[i + 1] = (char)(s[i + 1] + 128);
                 s[i + 2] = (char)(s[i + 2] + 128);
             }
             return s;
         },
         ""},
        {"RGB with four samples, unspecified extra sample", PHOTOMETRIC_RGB, 8, 4,
         [](TIFF *tif) {
             uint16_t extra = EXTRASAMPLE_UNSPECIFIED;
             TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
         },
         "/BitsPerComponent 8\r/ColorSpace /DeviceRGB \r >>\r", "/ImageC ",
         [](const std::string &source) {
             std::string s;
             for (size_t i = 0; i < source.size(); i += 4)
                 s += source.substr(i, 3);
             return s;
         },
         "has 4 samples per pixel, assuming RGBA"},
        {"RGB with four samples, no extra samples", PHOTOMETRIC_RGB, 8, 4, nullptr,
         "/BitsPerComponent 8\r/ColorSpace /DeviceCMYK \r/Decode [ 1 0 1 0 1 0 1 0 ]\r >>\r", "/ImageC ", same,
         "has 4 samples per pixel, assuming inverse CMYK"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TEMPFOLDER dir;
        HANDLERS handlers;
        std::string tif = dir.File("in.tif"), pdfName = dir.File("out.pdf");
        size_t rowbytes = ((size_t)width * c.Bits * c.Samples + 7) / 8;
        std::string source;
        for (size_t i = 0; i < rowbytes * length; i++)
            source += (char)(i * 37 + 11);
        TIFF *t = TIFFOpen(tif.c_str(), "w");
        ASSERT_NE(t, nullptr);
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, length);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, c.Bits);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, c.Samples);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, c.Photometric);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, length);
        if (c.MoreTags)
            c.MoreTags(t);
        EXPECT_EQ(TIFFWriteEncodedStrip(t, 0, &source[0], (tmsize_t)source.size()), (tmsize_t)source.size());
        TIFFClose(t);
        ASSERT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 1) << handlers.All();
        PDF pdf = ReadPdf(pdfName);
        bool palettePage = c.Dict.find("/Indexed") != std::string::npos;
        int paletteComponents = c.Dict.find("/DeviceCMYK") != std::string::npos ? 4 : 3;
        ExpectXrefExact(pdf, palettePage ? 9 : 8);
        std::string dict, stream;
        ASSERT_TRUE(pdf.Image(palettePage ? 8 : 7, dict, stream));
        EXPECT_NE(dict.find(c.Dict), std::string::npos) << dict;
        EXPECT_TRUE(pdf.Has(std::string("/ProcSet [ ") + c.ProcSet + "]\r")) << c.ProcSet;
        EXPECT_EQ(stream, c.Stream(source));
        if (palettePage) {
            std::string p = palette(paletteComponents);
            EXPECT_TRUE(pdf.Has("\r7 0 obj\r<< \r/Length " + std::to_string(p.size()) + "\r >>\rstream\r\n" + p +
                                "\rendstream\rendobj\r"));
        }
        if (*c.Warning) {
            EXPECT_NE(handlers.All().find(c.Warning), std::string::npos) << handlers.All();
        }
    }
}

TEST(TIFFPDF, RefusedPagesReportAndLeaveNoFile)
{
    struct Case {
        const char *Name;
        uint16_t Photometric, Bits, Samples;
        std::function<void(TIFF *)> MoreTags;
        std::string Message; // the error, "%s" standing for the file
    };
    static uint16_t map[3][256];
    auto colourMap = [](TIFF *tif) { TIFFSetField(tif, TIFFTAG_COLORMAP, map[0], map[1], map[2]); };
    const std::string open = "Can't open input file %s for reading";
    const Case cases[] = {
        {"CMYK of another ink set", PHOTOMETRIC_SEPARATED, 8, 4,
         [](TIFF *tif) { TIFFSetField(tif, TIFFTAG_INKSET, INKSET_MULTIINK); },
         "No support for %s because its inkset is not CMYK"},
        {"separated with 3 samples", PHOTOMETRIC_SEPARATED, 8, 3, nullptr,
         "No support for %s because it has 3 samples per pixel"},
        {"RGB with 2 samples", PHOTOMETRIC_RGB, 8, 2, nullptr, "No support for RGB image %s with 2 samples per pixel"},
        {"5 samples", PHOTOMETRIC_MINISBLACK, 8, 5, nullptr, "No support for %s with 5 samples per pixel"},
        {"signed samples", PHOTOMETRIC_MINISBLACK, 8, 1,
         [](TIFF *tif) { TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_INT); },
         "No support for %s with sample format 2"},
        {"LogLuv", PHOTOMETRIC_LOGLUV, 8, 3, nullptr, "No support for %s with photometric interpretation LogL/LogLuv"},
        {"photometric 7", 7, 8, 1, nullptr, "No support for %s with photometric interpretation 7"},
        {"separate planes at 4 bits", PHOTOMETRIC_RGB, 4, 3,
         [](TIFF *tif) { TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE); },
         "No support for %s with separated planar configuration and 4 bits per sample"},
        {"palette with three samples", PHOTOMETRIC_PALETTE, 8, 3, colourMap,
         "No support for palettized image %s with not one sample per pixel"},
        {"palettised CMYK with four samples", PHOTOMETRIC_SEPARATED, 8, 4,
         [](TIFF *tif) { TIFFSetField(tif, TIFFTAG_INDEXED, 1); },
         "No support for palettized CMYK image %s with not one sample per pixel"},
        {"YCbCr in tiles", PHOTOMETRIC_YCBCR, 8, 3,
         [](TIFF *tif) {
             TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, 1, 1);
             TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16u);
             TIFFSetField(tif, TIFFTAG_TILELENGTH, 16u);
         },
         "No support for YCbCr to RGB in tile for %s"},
        // libtiff itself refuses to open these.
        {"YCbCr with one sample", PHOTOMETRIC_YCBCR, 8, 1, nullptr, open},
        {"palette without a colour map", PHOTOMETRIC_PALETTE, 4, 1, nullptr, open},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TEMPFOLDER dir;
        std::string tif = dir.File("in.tif"), pdfName = dir.File("out.pdf");
        TIFF *t = TIFFOpen(tif.c_str(), "w");
        ASSERT_NE(t, nullptr);
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 4u);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, 2u);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, c.Bits);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, c.Samples);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, c.Photometric);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 2u);
        if (c.MoreTags)
            c.MoreTags(t);
        if (TIFFIsTiled(t)) {
            std::string data(16 * 16 * c.Samples, '\x55');
            TIFFWriteEncodedTile(t, 0, &data[0], (tmsize_t)data.size());
        } else {
            std::string data(4 * 2 * c.Samples, '\x55');
            TIFFWriteEncodedStrip(t, 0, &data[0], (tmsize_t)data.size());
        }
        TIFFClose(t);
        HANDLERS handlers;
        EXPECT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 0);
        std::string expected = "E Parlomatix: " + c.Message;
        expected.replace(expected.find("%s"), 2, tif);
        EXPECT_TRUE(handlers.Has(expected)) << expected << "\n" << handlers.All();
        if (c.Message != open) {
            EXPECT_TRUE(handlers.Has("E Parlomatix: An error occurred in converting TIFF " + tif + " to PDF " + pdfName));
        }
        EXPECT_EQ(Listing(dir), std::vector<std::string>{"in.tif"});
    }
}

TEST(TIFFPDF, SeparatePlanesAreInterleaved)
{
    const uint32_t width = 5, length = 3;
    TEMPFOLDER dir;
    HANDLERS handlers;
    std::string tif = dir.File("in.tif"), pdfName = dir.File("out.pdf");
    TIFF *t = TIFFOpen(tif.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, length);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 2u); // two strips per plane
    std::string expected(width * length * 3, '\0');
    for (uint32_t p = 0; p < 3; p++) {
        std::string plane;
        for (uint32_t i = 0; i < width * length; i++) {
            plane += (char)(i * 11 + p * 100);
            expected[i * 3 + p] = (char)(i * 11 + p * 100);
        }
        ASSERT_GT(TIFFWriteEncodedStrip(t, p * 2, &plane[0], width * 2), 0);
        ASSERT_GT(TIFFWriteEncodedStrip(t, p * 2 + 1, &plane[width * 2], width), 0);
    }
    TIFFClose(t);
    ASSERT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 1) << handlers.All();
    PDF pdf = ReadPdf(pdfName);
    std::string dict, stream;
    ASSERT_TRUE(pdf.Image(7, dict, stream));
    EXPECT_NE(dict.find("/BitsPerComponent 8\r/ColorSpace /DeviceRGB \r >>\r"), std::string::npos) << dict;
    EXPECT_EQ(stream, expected);
}

TEST(TIFFPDF, PageTooLargeIsRefusedAsAFailedAllocation)
{
    // 40000 rows of 65000 pixels in strips: 325 MB decoded, past the 256 MiB limit.
    TEMPFOLDER dir;
    std::string tif = dir.File("huge.tif"), pdfName = dir.File("huge.pdf");
    SPEC s;
    s.Width = 65000;
    s.Length = 40000;
    s.RowsPerStrip = 20000;
    TIFF *t = TIFFOpen(tif.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, s.Width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, s.Length);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, s.RowsPerStrip);
    // White rows only: the strips are written raw (a few bytes of Group 4 each would do, but an
    // empty strip decodes as white rows too, with a warning at most).
    std::vector<uint8_t> row(s.Width / 8 + 1, 0);
    for (uint32_t y = 0; y < s.Length; y++)
        ASSERT_GE(TIFFWriteScanline(t, row.data(), y, 0), 0);
    TIFFClose(t);
    HANDLERS handlers;
    EXPECT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 0);
    std::string expected =
        "E Parlomatix: Can't allocate 325000000 bytes of memory for t2p_readwrite_pdf_image, " + tif;
    EXPECT_TRUE(handlers.Has(expected)) << expected << "\n" << handlers.All();
    EXPECT_FALSE(FileExistsForTest(pdfName));
}

TEST(TIFFPDF, TransferFunctionsProfilesAndCalibration)
{
    const uint32_t width = 6, length = 3;
    static uint16_t table[256];
    for (int i = 0; i < 256; i++)
        table[i] = (uint16_t)(65535 - i * 257 + (i & 1)); // both bytes differ, so order shows
    static std::string profile;
    profile.clear();
    for (int i = 0; i < 200; i++)
        profile += (char)(i * 7 + 3);
    static float d65[2] = {0.3127f, 0.3290f};
    static float srgb[6] = {0.64f, 0.33f, 0.30f, 0.60f, 0.15f, 0.06f};
    struct Case {
        const char *Name;
        uint16_t Photometric, Samples;
        std::function<void(TIFF *)> MoreTags;
        const char *Version;
        std::vector<std::string> Texts; // all expected in the file
        size_t Objects;
        unsigned long Image;
    };
    static uint16_t table2[256], table3[256];
    for (int i = 0; i < 256; i++) {
        table2[i] = (uint16_t)(i * 256 + 255 - i);
        table3[i] = (uint16_t)(i * 131);
    }
    auto bigEndianOf = [](const uint16_t *t) {
        std::string bytes;
        for (int i = 0; i < 256; i++) {
            bytes += (char)(t[i] >> 8);
            bytes += (char)(t[i] & 0xFF);
        }
        return bytes;
    };
    std::string bigEndian = bigEndianOf(table), bigEndian2 = bigEndianOf(table2), bigEndian3 = bigEndianOf(table3);
    const Case cases[] = {
        {"one transfer function", PHOTOMETRIC_MINISBLACK, 1,
         [](TIFF *tif) { TIFFSetField(tif, TIFFTAG_TRANSFERFUNCTION, table); }, "%PDF-1.2 ",
         {"/XObject <<\r/Im1 9 0 R >>\r/ExtGState <</GS1 7 0 R >> \r/ProcSet [ /ImageB ]\r",
          "stream\r\nq /GS1 gs  ",
          "\r7 0 obj\r<< /Type /ExtGState \r/TR 8 0 R  >> \rendobj\r",
          "\r8 0 obj\r<< \r/FunctionType 0 \r/Domain [0.0 1.0] \r/Range [0.0 1.0] \r/Size [256] \r/BitsPerSample 16 \r"
          "/Length 512\r >>\rstream\r\n" + bigEndian + "\rendstream\rendobj\r"},
         10, 9},
        {"three transfer functions", PHOTOMETRIC_RGB, 3,
         [](TIFF *tif) { TIFFSetField(tif, TIFFTAG_TRANSFERFUNCTION, table, table2, table3); }, "%PDF-1.2 ",
         {"/XObject <<\r/Im1 11 0 R >>\r/ExtGState <</GS1 7 0 R >> \r/ProcSet [ /ImageC ]\r",
          "\r7 0 obj\r<< /Type /ExtGState \r/TR [ 8 0 R 9 0 R 10 0 R /Identity ]  >> \rendobj\r",
          "\r8 0 obj\r<< \r/FunctionType 0 \r/Domain [0.0 1.0] \r/Range [0.0 1.0] \r/Size [256] \r/BitsPerSample 16 \r"
          "/Length 512\r >>\rstream\r\n" + bigEndian + "\rendstream\rendobj\r",
          "/Length 512\r >>\rstream\r\n" + bigEndian2 + "\rendstream\rendobj\r10 0 obj\r",
          "/Length 512\r >>\rstream\r\n" + bigEndian3 + "\rendstream\rendobj\r11 0 obj\r"},
         12, 11},
        {"ICC profile", PHOTOMETRIC_RGB, 3,
         [](TIFF *tif) { TIFFSetField(tif, TIFFTAG_ICCPROFILE, (uint32_t)profile.size(), profile.data()); },
         "%PDF-1.3 ",
         {"\r7 0 obj\r<< \r/N 3 \r/Alternate /DeviceRGB \r/Length 200\r >>\rstream\r\n" + profile +
              "\rendstream\rendobj\r",
          "/ColorSpace [/ICCBased 7 0 R] \r"},
         9, 8},
        {"calibrated grey", PHOTOMETRIC_MINISBLACK, 1, [](TIFF *tif) { TIFFSetField(tif, TIFFTAG_WHITEPOINT, d65); },
         "%PDF-1.1 ",
         {"/ColorSpace [/CalGray << \r/WhitePoint [0.9505 1.0000 1.0891] \r/Gamma 2.2 \r>>] \r"}, 8, 7},
        {"calibrated RGB", PHOTOMETRIC_RGB, 3,
         [](TIFF *tif) {
             TIFFSetField(tif, TIFFTAG_WHITEPOINT, d65);
             TIFFSetField(tif, TIFFTAG_PRIMARYCHROMATICITIES, srgb);
         },
         "%PDF-1.1 ", {"/ColorSpace [/CalRGB << \r/WhitePoint [0.9505 1.0000 1.0891] \r/Matrix ["}, 8, 7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TEMPFOLDER dir;
        HANDLERS handlers;
        std::string tif = dir.File("in.tif"), pdfName = dir.File("out.pdf");
        TIFF *t = TIFFOpen(tif.c_str(), "w");
        ASSERT_NE(t, nullptr);
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, length);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, c.Samples);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, c.Photometric);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, length);
        c.MoreTags(t);
        std::string data(width * length * c.Samples, '\x40');
        TIFFWriteEncodedStrip(t, 0, &data[0], (tmsize_t)data.size());
        TIFFClose(t);
        ASSERT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 1) << handlers.All();
        PDF pdf = ReadPdf(pdfName);
        EXPECT_EQ(pdf.Bytes.compare(0, 9, c.Version), 0) << pdf.Bytes.substr(0, 9);
        for (const std::string &text : c.Texts)
            EXPECT_TRUE(pdf.Has(text)) << text;
        ExpectXrefExact(pdf, c.Objects);
        std::string dict, stream;
        ASSERT_TRUE(pdf.Image(c.Image, dict, stream));
        EXPECT_EQ(stream, data);
        if (c.Photometric == PHOTOMETRIC_RGB && std::string(c.Name) == "calibrated RGB") {
            // sRGB's matrix for D65: columns red, green, blue.
            size_t at = pdf.Find("/Matrix [");
            ASSERT_NE(at, std::string::npos);
            double m[9];
            ASSERT_EQ(std::sscanf(pdf.Bytes.c_str() + at, "/Matrix [%lf %lf %lf %lf %lf %lf %lf %lf %lf]", &m[0], &m[1],
                                  &m[2], &m[3], &m[4], &m[5], &m[6], &m[7], &m[8]),
                      9);
            const double expected[9] = {0.4124, 0.2126, 0.0193, 0.3576, 0.7152, 0.1192, 0.1805, 0.0722, 0.9505};
            for (int i = 0; i < 9; i++)
                EXPECT_NEAR(m[i], expected[i], 0.002) << i;
        }
    }
}

TEST(TIFFPDF, TiledGroup4PageCopiesInnerTilesAndReencodesEdges)
{
    // 100 x 40 pixels in tiles of 32 x 16: 4 x 3 tiles, the last column 4 and the last row 8 wide.
    const uint32_t width = 100, length = 40, tw = 32, tl = 16;
    TEMPFOLDER dir;
    HANDLERS handlers;
    std::string tif = dir.File("tiled.tif"), pdfName = dir.File("tiled.pdf");
    TIFF *t = TIFFOpen(tif.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, length);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(t, TIFFTAG_TILEWIDTH, tw);
    TIFFSetField(t, TIFFTAG_TILELENGTH, tl);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, 72.0f);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, 72.0f);
    for (uint32_t ty = 0; ty < length; ty += tl) {
        for (uint32_t tx = 0; tx < width; tx += tw) {
            std::vector<uint8_t> tile(tw / 8 * tl, 0);
            for (uint32_t y = 0; y < tl; y++)
                for (uint32_t x = 0; x < tw; x++)
                    if (tx + x < width && ty + y < length && Ink(tx + x, ty + y))
                        tile[y * (tw / 8) + x / 8] |= (uint8_t)(0x80 >> (x % 8));
            ASSERT_GT(TIFFWriteTile(t, tile.data(), tx, ty, 0, 0), 0);
        }
    }
    TIFFClose(t);
    ASSERT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 1) << handlers.All();
    PDF pdf = ReadPdf(pdfName);
    ExpectXrefExact(pdf, 30);
    EXPECT_TRUE(pdf.Has("/XObject <<\r/Im1_1 7 0 R /Im1_2 9 0 R /Im1_3 11 0 R /Im1_4 13 0 R \r/Im1_5 15 0 R "));
    // Raw tiles of the file, for the inner ones.
    TIFF *in = TIFFOpen(tif.c_str(), "r");
    ASSERT_NE(in, nullptr);
    for (uint32_t i = 0; i < 12; i++) {
        SCOPED_TRACE("tile " + std::to_string(i + 1));
        uint32_t column = i % 4, row = i / 4;
        uint32_t w = column == 3 ? 4 : tw, h = row == 2 ? 8 : tl;
        std::string dict, stream;
        ASSERT_TRUE(pdf.Image(7 + 2 * i, dict, stream));
        char size[64];
        snprintf(size, sizeof(size), "/Name /Im1_%lu\r/Width %lu\r/Height %lu\r", (unsigned long)(i + 1),
                 (unsigned long)w, (unsigned long)h);
        EXPECT_NE(dict.find(size), std::string::npos) << dict;
        if (column < 3 && row < 2) {
            uint64_t *counts = nullptr;
            ASSERT_TRUE(TIFFGetField(in, TIFFTAG_TILEBYTECOUNTS, &counts));
            std::string raw((size_t)counts[i], '\0');
            TIFFReadRawTile(in, i, &raw[0], (tmsize_t)raw.size());
            EXPECT_EQ(stream, raw);
        }
        std::vector<std::vector<uint8_t>> ink(h, std::vector<uint8_t>(w));
        for (uint32_t y = 0; y < h; y++)
            for (uint32_t x = 0; x < w; x++)
                ink[y][x] = Ink(column * tw + x, row * tl + y);
        EXPECT_EQ(DecodeG4(dir, stream, w, h, false), ink);
    }
    TIFFClose(in);
    // Tile 1 lies at the image's top left: (595 - 100) / 2 across, the top row 16 points high.
    size_t at = pdf.Find("stream\r\nq  ");
    ASSERT_NE(at, std::string::npos);
    double v[6];
    ASSERT_EQ(std::sscanf(pdf.Bytes.c_str() + at + 8, "q  %lf %lf %lf %lf %lf %lf cm /Im1_1 Do Q\r", &v[0], &v[1],
                          &v[2], &v[3], &v[4], &v[5]),
              6);
    const double expected[6] = {32, 0, 0, 16, 247.5, 401 + 40 - 16};
    for (int i = 0; i < 6; i++)
        EXPECT_NEAR(v[i], expected[i], 0.0002) << i;
    EXPECT_EQ(pdf.Count(" cm /Im1_"), 12u);
}

TEST(TIFFPDF, ValuesLibtiffWillNotWrite)
{
    // One tag patched in a written file.  Where libtiff itself refuses the directory or drops the
    // value, the row expects that instead of the converter's warning.
    struct Case {
        const char *Name;
        uint16_t Tag, Value;
        int Result;
        std::string Message; // "%s" stands for the file
        int Directory = 0;   // of two pages
    };
    const Case cases[] = {
        {"zero length", TIFFTAG_IMAGELENGTH, 0, 0, "E Parlomatix: Can't open input file %s for reading"},
        {"planar configuration 3", TIFFTAG_PLANARCONFIG, 3, 0, "E Parlomatix: Can't open input file %s for reading"},
        // The strip lies past the end of the file: its decoding fails.
        {"strip past the end", TIFFTAG_STRIPOFFSETS, 0xFFFF, 0, "E Parlomatix: Error on decoding strip 0 of %s"},
        // A later page libtiff refuses: the page selection stops there.
        {"zero width on page 2", TIFFTAG_IMAGEWIDTH, 0, 0, "E Parlomatix: Can't set directory 1 of input file %s", 1},
        {"compression no libtiff knows on page 2", TIFFTAG_COMPRESSION, 60000, 0,
         "E Parlomatix: No support for %s with compression type 60000:  not configured", 1},
        {"0 bits per sample", TIFFTAG_BITSPERSAMPLE, 0, 0, "E Parlomatix: Can't open input file %s for reading"},
        {"0 samples per pixel", TIFFTAG_SAMPLESPERPIXEL, 0, 0, "E Parlomatix: Can't open input file %s for reading"},
        {"planar configuration 0", TIFFTAG_PLANARCONFIG, 0, 0, "E Parlomatix: Can't open input file %s for reading"},
        {"compression no libtiff knows", TIFFTAG_COMPRESSION, 60000, 0,
         "E Parlomatix: No support for %s with compression type 60000:  not configured"},
        {"zero width", TIFFTAG_IMAGEWIDTH, 0, 0, "E Parlomatix: Can't open input file %s for reading"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TEMPFOLDER dir;
        std::string tif = dir.File("in.tif"), pdfName = dir.File("out.pdf");
        SPEC s;
        s.Compression = COMPRESSION_NONE;
        ASSERT_TRUE(WriteTiff(tif, {s, s}));
        ASSERT_TRUE(PatchShortTag(tif, c.Tag, c.Value, c.Directory));
        HANDLERS handlers;
        EXPECT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), c.Result) << handlers.All();
        std::string message = c.Message;
        size_t at = message.find("%s");
        if (at != std::string::npos)
            message.replace(at, 2, tif);
        EXPECT_NE(handlers.All().find(message), std::string::npos) << message << "\n" << handlers.All();
        EXPECT_EQ(FileExistsForTest(pdfName), c.Result == 1);
    }
}

TEST(TIFFPDF, YCbCrPageThroughTheRGBAReader)
{
    // Y of every level with neutral Cb and Cr: RGB of the same level.
    const uint32_t width = 8, length = 4;
    TEMPFOLDER dir;
    HANDLERS handlers;
    std::string tif = dir.File("in.tif"), pdfName = dir.File("out.pdf");
    TIFF *t = TIFFOpen(tif.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, length);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
    TIFFSetField(t, TIFFTAG_YCBCRSUBSAMPLING, 1, 1);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, length);
    std::string data, rgb;
    for (uint32_t i = 0; i < width * length; i++) {
        char y = (char)(i * 8 + 3);
        data += std::string{y, '\x80', '\x80'};
        rgb += std::string(3, y);
    }
    ASSERT_EQ(TIFFWriteEncodedStrip(t, 0, &data[0], (tmsize_t)data.size()), (tmsize_t)data.size());
    TIFFClose(t);
    ASSERT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 1) << handlers.All();
    PDF pdf = ReadPdf(pdfName);
    ExpectXrefExact(pdf, 8);
    std::string dict, stream;
    ASSERT_TRUE(pdf.Image(7, dict, stream));
    EXPECT_NE(dict.find("/Width 8\r/Height 4\r/BitsPerComponent 8\r/ColorSpace /DeviceRGB \r >>\r"), std::string::npos)
        << dict;
    ASSERT_EQ(stream.size(), rgb.size());
    for (size_t i = 0; i < rgb.size(); i++)
        EXPECT_NEAR((uint8_t)stream[i], (uint8_t)rgb[i], 1) << i;
}

TEST(TIFFPDF, JpegPagesConvertWhereLibtiffHasTheCodec)
{
    // The Windows builds' libtiff has no JPEG codec (its library is not among our dependencies):
    // such a page is refused there.  Debian's libtiff decodes it.
    const uint32_t width = 16, length = 16;
    TEMPFOLDER dir;
    std::string tif = dir.File("in.tif"), pdfName = dir.File("out.pdf");
    TIFF *t = TIFFOpen(tif.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, length);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, length);
    bool jpeg = TIFFIsCODECConfigured(COMPRESSION_JPEG);
#ifdef _WIN32
    EXPECT_FALSE(jpeg);
#else
    EXPECT_TRUE(jpeg);
#endif
    if (jpeg) {
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
        TIFFSetField(t, TIFFTAG_JPEGQUALITY, 100);
    }
    std::string data;
    for (uint32_t y = 0; y < length; y++)
        for (uint32_t x = 0; x < width; x++)
            data += (char)(x * 8 + y * 4);
    ASSERT_EQ(TIFFWriteEncodedStrip(t, 0, &data[0], (tmsize_t)data.size()), (tmsize_t)data.size());
    TIFFClose(t);
    HANDLERS handlers;
    if (!jpeg) {
        // Written uncompressed, then marked as JPEG: libtiff cannot write what it cannot code.
        ASSERT_TRUE(PatchShortTag(tif, TIFFTAG_COMPRESSION, COMPRESSION_JPEG));
        EXPECT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 0);
        std::string expected = "E Parlomatix: No support for " + tif + " with compression type 7:  not configured";
        EXPECT_TRUE(handlers.Has(expected)) << expected << "\n" << handlers.All();
        EXPECT_EQ(Listing(dir), std::vector<std::string>{"in.tif"});
        return;
    }
    ASSERT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 1) << handlers.All();
    PDF pdf = ReadPdf(pdfName);
    ExpectXrefExact(pdf, 8);
    std::string dict, stream;
    ASSERT_TRUE(pdf.Image(7, dict, stream));
    EXPECT_NE(dict.find("/BitsPerComponent 8\r/ColorSpace /DeviceGray \r >>\r"), std::string::npos) << dict;
    ASSERT_EQ(stream.size(), data.size());
    for (size_t i = 0; i < data.size(); i++)
        EXPECT_NEAR((uint8_t)stream[i], (uint8_t)data[i], 4) << i;
}

TEST(TIFFPDF, FailedWritesFailTheConversion)
{
    // A stream that takes no bytes (opened for reading): the first write fails, and with it the
    // conversion, which writes nothing further.
    TEMPFOLDER dir;
    HANDLERS handlers;
    std::string tif = dir.File("in.tif"), full = dir.File("full.pdf");
    ASSERT_TRUE(WriteTiff(tif, {SPEC()}));
    FILE *f = std::fopen(full.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    FILE *stream = std::fopen(full.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    TIFF *input = TIFFOpen(tif.c_str(), "r");
    ASSERT_NE(input, nullptr);
    {
        T2POUTPUT output(stream);
        TIFF *handle = output.Open("out.pdf");
        ASSERT_NE(handle, nullptr);
        EXPECT_FALSE(convert_tiff_to_pdf_handles(input, output, handle, "out.pdf"));
        EXPECT_TRUE(output.Failed());
        EXPECT_EQ(output.Count(), 0u);
    }
    TIFFClose(input);
    std::fclose(stream);
    EXPECT_TRUE(handlers.Has("E Parlomatix: Error writing to output PDF out.pdf")) << handlers.All();
    // Reported once: nothing is tried after the first failure.
    EXPECT_EQ(std::count(gMessages.begin(), gMessages.end(), "E Parlomatix: Error writing to output PDF out.pdf"), 1)
        << handlers.All();
}

TEST(TIFFPDF, YCbCrPageSizedAsTheRGBARaster)
{
    // Subsampled 2 x 2, 9000 x 8000 pixels take 108 MB as stored but 288 MB as the RGBA reader's
    // raster (four bytes a pixel): past the 256 MiB limit, refused before anything is read.
    TEMPFOLDER dir;
    std::string tif = dir.File("ycbcr.tif"), pdfName = dir.File("ycbcr.pdf");
    TIFF *t = TIFFOpen(tif.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 9000u);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, 8000u);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
    TIFFSetField(t, TIFFTAG_YCBCRSUBSAMPLING, 2, 2);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 8000u);
    std::string data(6 * 100, '\x80'); // a little of the strip is enough to be a file
    ASSERT_GT(TIFFWriteEncodedStrip(t, 0, &data[0], (tmsize_t)data.size()), 0);
    TIFFClose(t);
    HANDLERS handlers;
    EXPECT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 0);
    std::string expected = "E Parlomatix: Can't allocate 288000000 bytes of memory for t2p_readwrite_pdf_image, " + tif;
    EXPECT_TRUE(handlers.Has(expected)) << expected << "\n" << handlers.All();
    EXPECT_EQ(Listing(dir), std::vector<std::string>{"ycbcr.tif"});
}

TEST(TIFFPDF, TileFailuresReportAndLeaveNoFile)
{
    struct Case {
        const char *Name;
        uint16_t PatchedSize; // of the image and its one tile, patched in (0: 32 as written)
        bool PastTheEnd;      // the tile's offset patched past the end of the file
        std::string Message;
    };
    const Case cases[] = {
        {"tile past the end", 0, true, "Error on decoding tile 0 of %s"},
        // 16400 x 16400 bytes is past the 256 MiB limit (its data need not be there).
        {"tile too large", 16400, false,
         "Can't allocate 268960000 bytes of memory for t2p_readwrite_pdf_image_tile, %s"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TEMPFOLDER dir;
        std::string tif = dir.File("tile.tif"), pdfName = dir.File("tile.pdf");
        TIFF *t = TIFFOpen(tif.c_str(), "w");
        ASSERT_NE(t, nullptr);
        const uint32_t size = 32;
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, size);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, size);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(t, TIFFTAG_TILEWIDTH, size);
        TIFFSetField(t, TIFFTAG_TILELENGTH, size);
        std::string data((size_t)size * size, '\x40');
        ASSERT_GT(TIFFWriteEncodedTile(t, 0, &data[0], (tmsize_t)data.size()), 0);
        TIFFClose(t);
        if (c.PatchedSize) {
            for (uint16_t tag : {TIFFTAG_IMAGEWIDTH, TIFFTAG_IMAGELENGTH, TIFFTAG_TILEWIDTH, TIFFTAG_TILELENGTH})
                ASSERT_TRUE(PatchShortTag(tif, tag, c.PatchedSize)) << tag;
        }
        if (c.PastTheEnd) {
            ASSERT_TRUE(PatchShortTag(tif, TIFFTAG_TILEOFFSETS, 0xFFFF));
        }
        HANDLERS handlers;
        EXPECT_EQ(convert_tiff_to_pdf(tif.c_str(), pdfName.c_str()), 0);
        std::string expected = "E Parlomatix: " + c.Message;
        expected.replace(expected.find("%s"), 2, tif);
        EXPECT_TRUE(handlers.Has(expected)) << expected << "\n" << handlers.All();
        EXPECT_EQ(Listing(dir), std::vector<std::string>{"tile.tif"});
    }
}
