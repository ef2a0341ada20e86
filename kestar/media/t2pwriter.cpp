// The PDF objects and file layout of the TIFF-to-PDF converter (see t2pwriter.h).  The writer
// never seeks back: a length unknown when its dictionary is written goes into the next object.
#include "kestar/media/t2pwriter.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "kestar/base/osystime.h"
#include "kestar/media/t2poutput.h"

namespace {

const char kProducer[] = "Orvak PDF Creator (using code from TIFFLib)";
const size_t kMaxInfoText = 511;

const char *NameOf(TIFF *tif)
{
    const char *name = TIFFFileName(tif);
    return name ? name : "";
}

// The writing side shared by the object writers: every byte goes through the output, and the
// first failed write fails the conversion.
class PDFOUT {
public:
    PDFOUT(T2P *t2p, T2POUTPUT &output) : t2p(t2p), out(output) {}

    bool Put(const void *data, size_t size)
    {
        if (t2p->Error)
            return false;
        if (!out.Write(data, size)) {
            t2p_error("Error writing to output PDF %s", t2p->OutputName.c_str());
            t2p->Error = true;
            return false;
        }
        return true;
    }
    bool Put(const char *text) { return Put(text, std::strlen(text)); }
    bool Printf(const char *format, ...)
#if defined(__GNUC__) && !defined(_WIN32)
        __attribute__((format(printf, 2, 3)))
#endif
    {
        char text[512];
        va_list arguments;
        va_start(arguments, format);
        int n = vsnprintf(text, sizeof(text), format, arguments);
        va_end(arguments);
        if (n < 0)
            n = 0;
        if ((size_t)n >= sizeof(text))
            n = (int)sizeof(text) - 1;
        return Put(text, (size_t)n);
    }
    // "N 0 obj": records where object `number` starts.  The table was sized for the objects
    // planned; an object beyond it is a failure, never a write past the table.
    bool ObjStart(uint32_t number)
    {
        if (t2p->Error)
            return false;
        if (number == 0 || number - 1 != t2p->ObjectCount || t2p->ObjectCount >= t2p->XrefOffsets.size()) {
            t2p_error("Object %lu is beyond the %lu objects planned for output PDF %s", (unsigned long)number,
                      (unsigned long)t2p->XrefOffsets.size(), t2p->OutputName.c_str());
            t2p->Error = true;
            return false;
        }
        t2p->XrefOffsets[t2p->ObjectCount++] = out.Count();
        return Printf("%lu 0 obj\r", (unsigned long)number);
    }
    bool ObjEnd() { return Put("endobj\r"); }
    bool DictStart() { return Put("<< \r"); }
    bool DictEnd() { return Put(" >>\r"); }
    bool StreamStart() { return Put("stream\r\n"); }
    bool StreamEnd() { return Put("\rendstream\r"); }
    // "/Length " and either the length or a reference to the object that will hold it.
    bool StreamLength(uint64_t length) { return Printf("/Length %llu\r", (unsigned long long)length); }
    bool StreamLengthRef(uint32_t number) { return Printf("/Length %lu 0 R \r", (unsigned long)number); }
    // A bare length value as the whole content of a length object.
    bool LengthObject(uint32_t number, uint64_t length)
    {
        return ObjStart(number) && Printf("%llu\r", (unsigned long long)length) && ObjEnd();
    }
    bool String(const char *text, size_t size)
    {
        if (t2p->Error)
            return false;
        std::string s;
        s.reserve(size + 2);
        s += '(';
        for (size_t i = 0; i < size; i++) {
            unsigned char c = (unsigned char)text[i];
            if (c < 32 || c >= 127) {
                char octal[8];
                snprintf(octal, sizeof(octal), "\\%.3o", (unsigned)c);
                s += octal;
            } else if (c == '(' || c == ')' || c == '\\') {
                s += '\\';
                s += (char)c;
            } else {
                s += (char)c;
            }
        }
        s += ')';
        return Put(s.data(), s.size());
    }
    bool String(const std::string &text) { return String(text.data(), text.size()); }

    uint64_t Count() const { return out.Count(); }

private:
    T2P *t2p;
    T2POUTPUT &out;
};

// The object number of every page: 4 for the first, then each after the objects of the one
// before (page, content, content length, its extra objects, two per image).
std::vector<uint32_t> PageObjects(const T2P *t2p)
{
    std::vector<uint32_t> numbers;
    uint32_t next = 4;
    for (const T2P_PAGE &page : t2p->Pages) {
        numbers.push_back(next);
        next += 3 + page.Extra + 2 * std::max<uint32_t>(page.TileCount, 1);
    }
    return numbers;
}

void WriteHeader(T2P *t2p, PDFOUT &pdf)
{
    pdf.Printf("%%PDF-%u.%u ", (unsigned)t2p->PdfMajor, (unsigned)t2p->PdfMinor);
    static const unsigned char binary[8] = {'\r', '%', 0xE2, 0xE3, 0xCF, 0xD3, '\r', '\n'};
    pdf.Put(binary, sizeof(binary));
}

void WriteCatalog(T2P *t2p, PDFOUT &pdf)
{
    pdf.ObjStart(t2p->Catalog);
    pdf.Printf("<< \r/Type /Catalog \r/Pages %lu 0 R \r>>\r", (unsigned long)t2p->PagesObject);
    pdf.ObjEnd();
}

// A text tag of the current directory, cut to what the information dictionary takes.
bool InfoText(TIFF *input, ttag_t tag, std::string &text)
{
    const char *value = nullptr;
    if (!TIFFGetField(input, tag, &value) || !value)
        return false;
    text.assign(value, strnlen(value, kMaxInfoText));
    return true;
}

void WriteInfo(T2P *t2p, TIFF *input, PDFOUT &pdf)
{
    pdf.ObjStart(t2p->Info);
    pdf.Put("<< \r/CreationDate ");
    pdf.String(t2p->DateTime);
    pdf.Put("\r/ModDate ");
    pdf.String(t2p->DateTime);
    pdf.Put("\r/Producer ");
    pdf.String(kProducer, std::strlen(kProducer));
    pdf.Put("\r");
    pdf.Put("/Creator ");
    pdf.String(t2p->Creator);
    pdf.Put("\r");
    std::string text;
    if (InfoText(input, TIFFTAG_ARTIST, text) || InfoText(input, TIFFTAG_COPYRIGHT, text)) {
        t2p->Author = text;
        pdf.Put("/Author ");
        pdf.String(text);
        pdf.Put("\r");
    }
    if (InfoText(input, TIFFTAG_DOCUMENTNAME, text)) {
        t2p->Title = text;
        pdf.Put("/Title ");
        pdf.String(text);
        pdf.Put("\r");
    }
    if (InfoText(input, TIFFTAG_IMAGEDESCRIPTION, text)) {
        t2p->Subject = text;
        pdf.Put("/Subject ");
        pdf.String(text);
        pdf.Put("\r");
    }
    pdf.Put(">> \r");
    pdf.ObjEnd();
}

void WritePageTree(T2P *t2p, PDFOUT &pdf, const std::vector<uint32_t> &pages)
{
    pdf.ObjStart(t2p->PagesObject);
    pdf.Put("<< \r/Type /Pages \r/Kids [ ");
    for (size_t i = 0; i < pages.size(); i++) {
        pdf.Printf("%lu 0 R ", (unsigned long)pages[i]);
        if ((i + 1) % 8 == 0)
            pdf.Put("\r");
    }
    pdf.Printf("] \r/Count %lu \r>> \r", (unsigned long)t2p->PageCount);
    pdf.ObjEnd();
}

void WritePage(T2P *t2p, PDFOUT &pdf, uint32_t number)
{
    const T2P_PAGE &page = t2p->Pages[t2p->CurrentPage];
    pdf.ObjStart(number);
    pdf.Printf("<<\r/Type /Page \r/Parent %lu 0 R \r", (unsigned long)t2p->PagesObject);
    pdf.Printf("/MediaBox [%.4f %.4f %.4f %.4f] \r", t2p->MediaBox.X1, t2p->MediaBox.Y1, t2p->MediaBox.X2,
               t2p->MediaBox.Y2);
    pdf.Printf("/Contents %lu 0 R \r", (unsigned long)(number + 1));
    pdf.Put("/Resources << \r");
    pdf.Put("/XObject <<\r");
    uint32_t image = number + 3 + page.Extra;
    if (page.TileCount == 0) {
        pdf.Printf("/Im%lu %lu 0 R ", (unsigned long)(t2p->CurrentPage + 1), (unsigned long)image);
    } else {
        for (uint32_t t = 0; t < page.TileCount; t++) {
            pdf.Printf("/Im%lu_%lu %lu 0 R ", (unsigned long)(t2p->CurrentPage + 1), (unsigned long)(t + 1),
                       (unsigned long)(image + 2 * t));
            if ((t + 1) % 4 == 0)
                pdf.Put("\r");
        }
    }
    pdf.Put(">>\r");
    if (t2p->TransferCount > 0)
        pdf.Printf("/ExtGState <</GS1 %lu 0 R >> \r", (unsigned long)(number + 3));
    pdf.Put("/ProcSet [ ");
    if (t2p->ColorSpace == T2P_CS_BILEVEL || t2p->ColorSpace == T2P_CS_GRAY) {
        pdf.Put("/ImageB ");
    } else {
        pdf.Put("/ImageC ");
        if (t2p->ColorSpace & T2P_CS_PALETTE)
            pdf.Put("/ImageI ");
    }
    pdf.Put("]\r>>\r>>\r");
    pdf.ObjEnd();
}

std::string ContentLine(const T2P_BOX &box, const char *name, bool gs)
{
    char line[512];
    snprintf(line, sizeof(line), "q %s %.4f %.4f %.4f %.4f %.4f %.4f cm /Im%s Do Q\r", gs ? "/GS1 gs " : "",
             box.Mat[0], box.Mat[1],
             box.Mat[2], box.Mat[3], box.Mat[4], box.Mat[5], name);
    return line;
}

void WriteContent(T2P *t2p, PDFOUT &pdf, uint32_t number)
{
    char name[64];
    std::string content;
    const T2P_PAGE &page = t2p->Pages[t2p->CurrentPage];
    if (page.TileCount == 0) {
        snprintf(name, sizeof(name), "%lu", (unsigned long)(t2p->CurrentPage + 1));
        content = ContentLine(t2p->ImageBox, name, t2p->TransferCount > 0);
    } else {
        const T2P_TILES &tiles = t2p->Tiles[t2p->CurrentPage];
        for (uint32_t t = 0; t < page.TileCount && t < tiles.Boxes.size(); t++) {
            snprintf(name, sizeof(name), "%lu_%lu", (unsigned long)(t2p->CurrentPage + 1), (unsigned long)(t + 1));
            content += ContentLine(tiles.Boxes[t], name, t2p->TransferCount > 0);
        }
    }
    pdf.ObjStart(number);
    pdf.DictStart();
    pdf.StreamLengthRef(number + 1);
    pdf.DictEnd();
    pdf.StreamStart();
    pdf.Put(content.data(), content.size());
    pdf.StreamEnd();
    pdf.ObjEnd();
    pdf.LengthObject(number + 1, content.size());
}

void WriteWhitePoint(T2P *t2p, PDFOUT &pdf)
{
    float x = t2p->WhitePoint[0], y = t2p->WhitePoint[1];
    pdf.Printf("/WhitePoint [%.4f %.4f %.4f] \r", x / y, 1.0f, (1.0f - x - y) / y);
}

// The XYZ matrix of calibrated RGB: the primaries' XYZ (Y = 1) scaled so that RGB (1, 1, 1)
// gives the white point; written column by column (red, green, blue).
void WriteCalRgbMatrix(T2P *t2p, PDFOUT &pdf)
{
    double m[3][3]; // m[row][primary]
    for (int i = 0; i < 3; i++) {
        double x = t2p->Primaries[2 * i], y = t2p->Primaries[2 * i + 1];
        if (y == 0)
            y = 1e-6;
        m[0][i] = x / y;
        m[1][i] = 1.0;
        m[2][i] = (1.0 - x - y) / y;
    }
    double xw = t2p->WhitePoint[0], yw = t2p->WhitePoint[1];
    double w[3] = {xw / yw, 1.0, (1.0 - xw - yw) / yw};
    // Solve m * s = w by Cramer's rule.
    auto det = [](double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    double d = det(m);
    double scale[3] = {1, 1, 1};
    if (d != 0) {
        for (int i = 0; i < 3; i++) {
            double a[3][3];
            for (int r = 0; r < 3; r++)
                for (int c = 0; c < 3; c++)
                    a[r][c] = c == i ? w[r] : m[r][c];
            scale[i] = det(a) / d;
        }
    }
    float v[9];
    for (int i = 0; i < 3; i++)
        for (int r = 0; r < 3; r++)
            v[i * 3 + r] = (float)(m[r][i] * scale[i]);
    pdf.Printf("/Matrix [%.4f %.4f %.4f %.4f %.4f %.4f %.4f %.4f %.4f] \r", v[0], v[1], v[2], v[3], v[4], v[5], v[6],
               v[7], v[8]);
}

void WriteColorSpace(T2P *t2p, PDFOUT &pdf, bool base = false, bool withIcc = true)
{
    // The profile describes the page's colours: a palette's base, else the image itself.
    bool palette = (t2p->ColorSpace & T2P_CS_PALETTE) != 0;
    if (withIcc && (t2p->ColorSpace & T2P_CS_ICCBASED) && (palette ? base : !base)) {
        pdf.Printf("[/ICCBased %lu 0 R] \r", (unsigned long)t2p->IccObject);
    } else if (!base && (t2p->ColorSpace & T2P_CS_PALETTE)) {
        pdf.Put("[ /Indexed ");
        WriteColorSpace(t2p, pdf, true);
        pdf.Printf("%lu %lu 0 R ]\r", (unsigned long)((1u << t2p->BitsPerSample) - 1),
                   (unsigned long)t2p->PaletteObject);
    } else if (t2p->ColorSpace & T2P_CS_CALGRAY) {
        pdf.Put("[/CalGray << \r");
        WriteWhitePoint(t2p, pdf);
        pdf.Put("/Gamma 2.2 \r>>] \r");
    } else if (t2p->ColorSpace & T2P_CS_CALRGB) {
        pdf.Put("[/CalRGB << \r");
        WriteWhitePoint(t2p, pdf);
        WriteCalRgbMatrix(t2p, pdf);
        pdf.Put("/Gamma [2.2 2.2 2.2] \r>>] \r");
    } else if (t2p->ColorSpace & (T2P_CS_BILEVEL | T2P_CS_GRAY)) {
        pdf.Put("/DeviceGray \r");
    } else if (t2p->ColorSpace & T2P_CS_RGB) {
        pdf.Put("/DeviceRGB \r");
    } else if (t2p->ColorSpace & T2P_CS_CMYK) {
        pdf.Put("/DeviceCMYK \r");
    } else if (t2p->ColorSpace & T2P_CS_LAB) {
        pdf.Put("[/Lab << \r");
        WriteWhitePoint(t2p, pdf);
        pdf.Printf("/Range [%d %d %d %d] \r", t2p->LabRange[0], t2p->LabRange[1], t2p->LabRange[2],
                   t2p->LabRange[3]);
        pdf.Put(">>] \r");
    }
}

// The extended graphics state and the transfer functions (sampled, 16 bits big-endian).
void WriteTransfer(T2P *t2p, PDFOUT &pdf, uint32_t number)
{
    pdf.ObjStart(number);
    if (t2p->TransferCount == 1)
        pdf.Printf("<< /Type /ExtGState \r/TR %lu 0 R ", (unsigned long)(number + 1));
    else
        pdf.Printf("<< /Type /ExtGState \r/TR [ %lu 0 R %lu 0 R %lu 0 R /Identity ] ", (unsigned long)(number + 1),
                   (unsigned long)(number + 2), (unsigned long)(number + 3));
    pdf.Put(" >> \r");
    pdf.ObjEnd();
    uint32_t entries = 1u << t2p->BitsPerSample;
    for (int i = 0; i < t2p->TransferCount; i++) {
        std::string table;
        for (uint32_t e = 0; e < entries && e < t2p->Transfer[i].size(); e++) {
            table += (char)(t2p->Transfer[i][e] >> 8);
            table += (char)(t2p->Transfer[i][e] & 0xFF);
        }
        pdf.ObjStart(number + 1 + (uint32_t)i);
        pdf.DictStart();
        pdf.Put("/FunctionType 0 \r/Domain [0.0 1.0] \r/Range [0.0 1.0] \r");
        pdf.Printf("/Size [%lu] \r/BitsPerSample 16 \r", (unsigned long)entries);
        pdf.StreamLength(table.size());
        pdf.DictEnd();
        pdf.StreamStart();
        pdf.Put(table.data(), table.size());
        pdf.StreamEnd();
        pdf.ObjEnd();
    }
}

// The ICC profile stream, with the colour space it stands for as the alternate.
void WriteIcc(T2P *t2p, PDFOUT &pdf, uint32_t number)
{
    t2p->IccObject = number;
    pdf.ObjStart(number);
    pdf.DictStart();
    pdf.Printf("/N %u \r", (unsigned)t2p->PdfSamples);
    pdf.Put("/Alternate ");
    WriteColorSpace(t2p, pdf, false, false);
    pdf.StreamLength(t2p->IccProfile.size());
    pdf.DictEnd();
    pdf.StreamStart();
    pdf.Put(t2p->IccProfile.data(), t2p->IccProfile.size());
    pdf.StreamEnd();
    pdf.ObjEnd();
}

// The palette stream of a palette page.
void WritePalette(T2P *t2p, PDFOUT &pdf, uint32_t number)
{
    t2p->PaletteObject = number;
    pdf.ObjStart(number);
    pdf.DictStart();
    pdf.StreamLength(t2p->Palette.size());
    pdf.DictEnd();
    pdf.StreamStart();
    pdf.Put(t2p->Palette.data(), t2p->Palette.size());
    pdf.StreamEnd();
    pdf.ObjEnd();
}

void WriteImageDict(T2P *t2p, PDFOUT &pdf, uint32_t length, const char *name, uint32_t width, uint32_t height)
{
    pdf.DictStart();
    pdf.StreamLengthRef(length);
    pdf.Printf("/Type /XObject \r/Subtype /Image \r/Name /Im%s", name);
    pdf.Printf("\r/Width %lu", (unsigned long)width);
    pdf.Printf("\r/Height %lu", (unsigned long)height);
    pdf.Printf("\r/BitsPerComponent %u", (unsigned)t2p->PdfBits);
    pdf.Put("\r/ColorSpace ");
    WriteColorSpace(t2p, pdf);
    bool g4bilevel = t2p->ColorSpace == T2P_CS_BILEVEL && t2p->Compress == T2P_COMPRESS_G4;
    if (t2p->SwitchDecode && !g4bilevel) {
        pdf.Put("/Decode [ ");
        for (uint16_t i = 0; i < t2p->PdfSamples; i++)
            pdf.Put("1 0 ");
        pdf.Put("]\r");
    }
    if (t2p->Compress == T2P_COMPRESS_G4) {
        pdf.Put("/Filter /CCITTFaxDecode /DecodeParms << /K -1 ");
        pdf.Printf("/Columns %lu /Rows %lu", (unsigned long)width, (unsigned long)height);
        if (!t2p->SwitchDecode)
            pdf.Put(" /BlackIs1 true ");
        pdf.Put(">>\r");
    }
    pdf.DictEnd();
}

// A buffer of the page's data size, or null (reported) when it passes the limit or cannot be
// had.  The limit keeps a 32-bit process clear of files that claim enormous pages.
unsigned char *AllocImage(T2P *t2p, TIFF *input, uint64_t size, std::vector<unsigned char> &buffer)
{
    if (size == 0 || size > T2P_MAX_IMAGE_BYTES || size > (uint64_t)SIZE_MAX) {
        t2p_error("Can't allocate %llu bytes of memory for t2p_readwrite_pdf_image, %s", (unsigned long long)size,
                  NameOf(input));
        t2p->Error = true;
        return nullptr;
    }
    try {
        buffer.assign((size_t)size, 0);
    } catch (const std::bad_alloc &) {
        t2p_error("Can't allocate %llu bytes of memory for t2p_readwrite_pdf_image, %s", (unsigned long long)size,
                  NameOf(input));
        t2p->Error = true;
        return nullptr;
    }
    return buffer.data();
}

// Decodes strips [first, first + count) into buffer, at most size bytes; the bytes decoded, or -1
// (reported).
int64_t DecodeStrips(T2P *t2p, TIFF *input, uint32_t first, uint32_t count, unsigned char *buffer, uint64_t size)
{
    uint64_t done = 0;
    for (uint32_t s = first; s < first + count && done < size; s++) {
        uint64_t left = size - done;
        tmsize_t got = TIFFReadEncodedStrip(input, s, buffer + done, (tmsize_t)left);
        if (got < 0) {
            t2p_error("Error on decoding strip %lu of %s", (unsigned long)s, NameOf(input));
            t2p->Error = true;
            return -1;
        }
        done += (uint64_t)got;
    }
    return (int64_t)done;
}

// Decodes the whole page into buffer, samples contiguous.  false, reported, on failure.
bool DecodePage(T2P *t2p, TIFF *input, std::vector<unsigned char> &buffer)
{
    unsigned char *data = AllocImage(t2p, input, t2p->DataSize, buffer);
    if (!data)
        return false;
    uint32_t strips = TIFFNumberOfStrips(input);
    if (!(t2p->Sample & T2P_SAMPLE_PLANAR_SEPARATE_TO_CONTIG))
        return DecodeStrips(t2p, input, 0, strips, data, t2p->DataSize) >= 0;
    // Separate planes: strip s of plane p is strip s + p x strips-per-plane.
    uint16_t planes = t2p->SamplesPerPixel;
    uint32_t perplane = strips / planes;
    uint64_t planesize = t2p->DataSize / planes;
    std::vector<unsigned char> plane;
    try {
        plane.assign((size_t)planesize, 0);
    } catch (const std::bad_alloc &) {
        t2p_error("Can't allocate %llu bytes of memory for t2p_readwrite_pdf_image, %s",
                  (unsigned long long)planesize, NameOf(input));
        t2p->Error = true;
        return false;
    }
    for (uint16_t p = 0; p < planes; p++) {
        std::fill(plane.begin(), plane.end(), 0);
        if (DecodeStrips(t2p, input, p * perplane, perplane, plane.data(), planesize) < 0)
            return false;
        for (uint64_t i = 0; i < planesize; i++)
            data[i * planes + p] = plane[(size_t)i];
    }
    return true;
}

// YCbCr pages through libtiff's RGBA reader, top row first, reduced to RGB.  The reader's raster
// is the page's buffer itself (four bytes a pixel), narrowed to three bytes in place: the page is
// held in memory once.
bool ReadRGBA(T2P *t2p, TIFF *input, std::vector<unsigned char> &buffer)
{
    unsigned char *data = AllocImage(t2p, input, t2p->DataSize, buffer);
    if (!data)
        return false;
    size_t pixels = (size_t)t2p->Width * t2p->Length; // DataSize is four times this, within the limit
    if (!TIFFReadRGBAImageOriented(input, t2p->Width, t2p->Length, reinterpret_cast<uint32_t *>(data),
                                   ORIENTATION_TOPLEFT, 0)) {
        t2p_error("Can't use TIFFReadRGBAImageOriented to extract RGB image from %s", NameOf(input));
        t2p->Error = true;
        return false;
    }
    // Pixel i's three bytes go below its four (3i + 2 < 4i + 4), after it is read whole.
    for (size_t i = 0; i < pixels; i++) {
        uint32_t pixel;
        std::memcpy(&pixel, data + i * 4, 4);
        data[i * 3] = (unsigned char)TIFFGetR(pixel);
        data[i * 3 + 1] = (unsigned char)TIFFGetG(pixel);
        data[i * 3 + 2] = (unsigned char)TIFFGetB(pixel);
    }
    buffer.resize(pixels * 3);
    return true;
}

// The sample conversions between decoding and encoding (four-sample RGB to three, Lab a and b
// from signed to unsigned).
void ConvertSamples(T2P *t2p, std::vector<unsigned char> &buffer)
{
    if (t2p->Sample & (T2P_SAMPLE_RGBA_TO_RGB | T2P_SAMPLE_RGBAA_TO_RGB)) {
        bool composite = (t2p->Sample & T2P_SAMPLE_RGBAA_TO_RGB) != 0;
        size_t pixels = buffer.size() / 4;
        for (size_t i = 0; i < pixels; i++) {
            unsigned alpha = buffer[i * 4 + 3];
            for (int c = 0; c < 3; c++) {
                unsigned v = buffer[i * 4 + c];
                if (composite) // on white: colour + 255 - alpha
                    v = std::min(255u, v + 255u - alpha);
                buffer[i * 3 + c] = (unsigned char)v;
            }
        }
        buffer.resize(pixels * 3);
    }
    if (t2p->Sample & T2P_SAMPLE_LAB_SIGNED_TO_UNSIGNED) {
        for (size_t i = 0; i + 2 < buffer.size(); i += 3) {
            buffer[i + 1] = (unsigned char)(buffer[i + 1] + 128);
            buffer[i + 2] = (unsigned char)(buffer[i + 2] + 128);
        }
    }
}

// Encodes buffer through the output's libtiff handle as one strip at the end of the PDF; the
// bytes it took, or 0 with t2p->Error set.
uint64_t EncodeImage(T2P *t2p, T2POUTPUT &output, TIFF *handle, std::vector<unsigned char> &buffer, uint32_t width,
                     uint32_t height, bool tile)
{
    output.SetDiscard(true);
    uint16_t photometric = PHOTOMETRIC_MINISBLACK; // a palette's indices, or Lab samples
    if (t2p->ColorSpace & (T2P_CS_BILEVEL | T2P_CS_GRAY))
        photometric = t2p->Photometric;
    else if ((t2p->ColorSpace & T2P_CS_RGB) && !(t2p->ColorSpace & T2P_CS_PALETTE))
        photometric = PHOTOMETRIC_RGB;
    else if ((t2p->ColorSpace & T2P_CS_CMYK) && !(t2p->ColorSpace & T2P_CS_PALETTE))
        photometric = PHOTOMETRIC_SEPARATED;
    TIFFSetField(handle, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(handle, TIFFTAG_BITSPERSAMPLE, t2p->PdfBits);
    TIFFSetField(handle, TIFFTAG_SAMPLESPERPIXEL, t2p->PdfSamples);
    TIFFSetField(handle, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(handle, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(handle, TIFFTAG_ROWSPERSTRIP, height);
    TIFFSetField(handle, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(handle, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(handle, TIFFTAG_COMPRESSION,
                 t2p->Compress == T2P_COMPRESS_G4 ? COMPRESSION_CCITTFAX4 : COMPRESSION_NONE);
    uint64_t before = output.Count();
    output.SetDiscard(false);
    tmsize_t written = TIFFWriteEncodedStrip(handle, 0, buffer.data(), (tmsize_t)buffer.size());
    output.SetDiscard(true);
    if (written < 0 || output.Failed()) {
        t2p_error(tile ? "Error writing encoded tile to output PDF %s" : "Error writing encoded strip to output PDF %s",
                  t2p->OutputName.c_str());
        t2p->Error = true;
        return 0;
    }
    uint64_t length = output.Count() - before;
    if (!TIFFWriteDirectory(handle)) {
        t2p_error("Error writing virtual directory to output PDF %s", t2p->OutputName.c_str());
        t2p->Error = true;
        return 0;
    }
    return length;
}

// The image data of the current page (untiled): copied raw or decoded and encoded.  The bytes
// written, or 0 with t2p->Error set.
uint64_t t2p_readwrite_pdf_image(T2P *t2p, TIFF *input, T2POUTPUT &output, TIFF *handle)
{
    std::vector<unsigned char> buffer;
    if (t2p->Transcode == T2P_TRANSCODE_RAW) {
        unsigned char *data = AllocImage(t2p, input, t2p->DataSize, buffer);
        if (!data)
            return 0;
        tmsize_t got = TIFFReadRawStrip(input, 0, data, (tmsize_t)t2p->DataSize);
        if (got < 0) {
            t2p_error("Error on decoding strip %u of %s", 0u, NameOf(input));
            t2p->Error = true;
            return 0;
        }
        if (t2p->FillOrder == FILLORDER_LSB2MSB)
            TIFFReverseBits(data, got);
        if (!output.Write(data, (size_t)got)) {
            t2p_error("Error writing to output PDF %s", t2p->OutputName.c_str());
            t2p->Error = true;
            return 0;
        }
        return (uint64_t)got;
    }
    if (t2p->Sample & T2P_SAMPLE_YCBCR_TO_RGB) {
        if (!ReadRGBA(t2p, input, buffer))
            return 0;
    } else if (!DecodePage(t2p, input, buffer)) {
        return 0;
    }
    ConvertSamples(t2p, buffer);
    return EncodeImage(t2p, output, handle, buffer, t2p->Width, t2p->Length, false);
}

// One tile: its inner tiles of a Group 4 page copied raw, every other tile decoded (the edge
// tiles narrowed to the image) and encoded.  The bytes written, or 0 with t2p->Error set.
uint64_t t2p_readwrite_pdf_image_tile(T2P *t2p, TIFF *input, T2POUTPUT &output, TIFF *handle, uint32_t tile,
                                      uint32_t width, uint32_t height)
{
    const T2P_TILES &tiles = t2p->Tiles[t2p->CurrentPage];
    bool edge = width != tiles.Width || height != tiles.Length;
    std::vector<unsigned char> buffer;
    if (t2p->Transcode == T2P_TRANSCODE_RAW && !edge) {
        uint64_t *counts = nullptr;
        uint64_t size = TIFFGetField(input, TIFFTAG_TILEBYTECOUNTS, &counts) && counts ? counts[tile] : 0;
        if (size == 0 || size > T2P_MAX_IMAGE_BYTES) {
            t2p_error("Can't allocate %llu bytes of memory for t2p_readwrite_pdf_image_tile, %s",
                      (unsigned long long)size, NameOf(input));
            t2p->Error = true;
            return 0;
        }
        buffer.assign((size_t)size, 0);
        tmsize_t got = TIFFReadRawTile(input, tile, buffer.data(), (tmsize_t)size);
        if (got < 0) {
            t2p_error("Error on decoding tile %lu of %s", (unsigned long)tile, NameOf(input));
            t2p->Error = true;
            return 0;
        }
        if (t2p->FillOrder == FILLORDER_LSB2MSB)
            TIFFReverseBits(buffer.data(), got);
        if (!output.Write(buffer.data(), (size_t)got)) {
            t2p_error("Error writing to output PDF %s", t2p->OutputName.c_str());
            t2p->Error = true;
            return 0;
        }
        return (uint64_t)got;
    }
    uint64_t size = t2p->DataSize;
    if (size == 0 || size > T2P_MAX_IMAGE_BYTES) {
        t2p_error("Can't allocate %llu bytes of memory for t2p_readwrite_pdf_image_tile, %s", (unsigned long long)size,
                  NameOf(input));
        t2p->Error = true;
        return 0;
    }
    buffer.assign((size_t)size, 0);
    uint16_t planes = (t2p->Sample & T2P_SAMPLE_PLANAR_SEPARATE_TO_CONTIG) ? t2p->SamplesPerPixel : 1;
    uint64_t planesize = size / planes;
    std::vector<unsigned char> plane(planes > 1 ? (size_t)planesize : 0);
    for (uint16_t p = 0; p < planes; p++) {
        unsigned char *into = planes > 1 ? plane.data() : buffer.data();
        if (TIFFReadEncodedTile(input, tile + p * tiles.Count, into, (tmsize_t)planesize) < 0) {
            t2p_error("Error on decoding tile %lu of %s", (unsigned long)(tile + p * tiles.Count), NameOf(input));
            t2p->Error = true;
            return 0;
        }
        if (planes > 1)
            for (uint64_t i = 0; i < planesize; i++)
                buffer[(size_t)(i * planes + p)] = plane[(size_t)i];
    }
    if (edge) {
        // Rows of the whole tile width, cut to the image's; rows past the image dropped.
        uint64_t bitsPerPixel = (uint64_t)t2p->BitsPerSample * t2p->SamplesPerPixel;
        size_t fullRow = (size_t)((tiles.Width * bitsPerPixel + 7) / 8);
        size_t row = (size_t)((width * bitsPerPixel + 7) / 8);
        for (uint32_t y = 0; y < height; y++)
            std::memmove(&buffer[y * row], &buffer[y * fullRow], row);
        buffer.resize(row * height);
    }
    ConvertSamples(t2p, buffer);
    return EncodeImage(t2p, output, handle, buffer, width, height, true);
}

void WriteImage(T2P *t2p, TIFF *input, PDFOUT &pdf, T2POUTPUT &output, TIFF *handle, uint32_t number)
{
    const T2P_PAGE &page = t2p->Pages[t2p->CurrentPage];
    uint32_t images = std::max<uint32_t>(page.TileCount, 1);
    const T2P_TILES &tiles = t2p->Tiles[t2p->CurrentPage];
    for (uint32_t t = 0; t < images && !t2p->Error; t++) {
        char name[64];
        uint32_t width = t2p->Width, height = t2p->Length;
        if (page.TileCount == 0) {
            snprintf(name, sizeof(name), "%lu", (unsigned long)(t2p->CurrentPage + 1));
        } else {
            snprintf(name, sizeof(name), "%lu_%lu", (unsigned long)(t2p->CurrentPage + 1), (unsigned long)(t + 1));
            bool lastColumn = t % tiles.Across == tiles.Across - 1, lastRow = t / tiles.Across == tiles.Down - 1;
            width = lastColumn && tiles.EdgeWidth ? tiles.EdgeWidth : tiles.Width;
            height = lastRow && tiles.EdgeLength ? tiles.EdgeLength : tiles.Length;
        }
        uint32_t object = number + 2 * t;
        pdf.ObjStart(object);
        WriteImageDict(t2p, pdf, object + 1, name, width, height);
        pdf.StreamStart();
        if (t2p->Error)
            return;
        uint64_t length = page.TileCount == 0
                              ? t2p_readwrite_pdf_image(t2p, input, output, handle)
                              : t2p_readwrite_pdf_image_tile(t2p, input, output, handle, t, width, height);
        if (t2p->Error)
            return;
        pdf.StreamEnd();
        pdf.ObjEnd();
        pdf.LengthObject(object + 1, length);
    }
}

void WriteXrefAndTrailer(T2P *t2p, PDFOUT &pdf)
{
    t2p->StartXref = pdf.Count();
    pdf.Printf("xref\r0 %lu \r0000000000 65535 f\r\n", (unsigned long)(t2p->ObjectCount + 1));
    std::string entries;
    entries.reserve((size_t)t2p->ObjectCount * 20);
    for (uint32_t i = 0; i < t2p->ObjectCount; i++) {
        char entry[32];
        snprintf(entry, sizeof(entry), "%.10llu 00000 n\r\n", (unsigned long long)t2p->XrefOffsets[i]);
        entries += entry;
    }
    pdf.Put(entries.data(), entries.size());

    // The file identifier: four values of the runtime's generator, each as four bytes, low first.
    unsigned char id[16];
    for (int i = 0; i < 4; i++) {
        unsigned value = (unsigned)std::rand();
        for (int b = 0; b < 4; b++)
            id[i * 4 + b] = (unsigned char)(value >> (8 * b));
    }
    t2p->FileId.clear();
    for (unsigned char byte : id) {
        char hex[4];
        snprintf(hex, sizeof(hex), "%.2X", (unsigned)byte);
        t2p->FileId += hex;
    }
    pdf.Printf("trailer\r<<\r/Size %lu\r/Root %lu 0 R \r/Info %lu 0 R \r/ID[<%s><%s>]\r>>\rstartxref\r%llu\r%%%%EOF\r",
               (unsigned long)(t2p->ObjectCount + 1), (unsigned long)t2p->Catalog, (unsigned long)t2p->Info,
               t2p->FileId.c_str(), t2p->FileId.c_str(), (unsigned long long)t2p->StartXref);
}

} // namespace

void t2p_pdf_tiff_time(T2P *t2p, TIFF *input)
{
    const char *datetime = nullptr;
    if (TIFFGetField(input, TIFFTAG_DATETIME, &datetime) && datetime && std::strlen(datetime) > 18) {
        static const int at[] = {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18};
        t2p->DateTime = "D:";
        for (int i : at)
            t2p->DateTime += datetime[i];
        return;
    }
    OSYS::SYSTIME now = OSYS::TimeToSystemTime(0);
    char text[40];
    snprintf(text, sizeof(text), "D:%.4d%.2d%.2d%.2d%.2d%.2d", (int)now.wYear, (int)now.wMonth, (int)now.wDay,
             (int)now.wHour, (int)now.wMinute, (int)now.wSecond);
    t2p->DateTime = text;
}

size_t t2p_write_pdf_string(const char *text, size_t size, T2POUTPUT &output)
{
    T2P scratch;
    PDFOUT pdf(&scratch, output);
    uint64_t before = output.Count();
    pdf.String(text, size);
    return (size_t)(output.Count() - before);
}

uint64_t t2p_write_pdf(T2P *t2p, TIFF *input, T2POUTPUT &output, TIFF *handle)
{
    t2p_read_tiff_init(t2p, input);
    if (t2p->Error)
        return 0;
    try {
        t2p->XrefOffsets.assign(t2p->ObjectCount, 0);
    } catch (const std::bad_alloc &) {
        t2p_error("Can't allocate %lu bytes of memory for t2p_write_pdf",
                  (unsigned long)(t2p->ObjectCount * sizeof(uint64_t)));
        t2p->Error = true;
        return 0;
    }
    t2p->ObjectCount = 0;
    PDFOUT pdf(t2p, output);
    uint64_t start = output.Count();

    t2p->Catalog = 1;
    t2p->Info = 2;
    t2p->PagesObject = 3;
    WriteHeader(t2p, pdf);
    WriteCatalog(t2p, pdf);
    // The information comes from the directory current after the page selection: the last page.
    t2p_pdf_tiff_time(t2p, input);
    WriteInfo(t2p, input, pdf);
    std::vector<uint32_t> pages = PageObjects(t2p);
    WritePageTree(t2p, pdf, pages);
    for (t2p->CurrentPage = 0; t2p->CurrentPage < t2p->PageCount && !t2p->Error; t2p->CurrentPage++) {
        t2p_read_tiff_image(t2p, input);
        if (t2p->Error)
            break;
        uint32_t number = pages[t2p->CurrentPage];
        WritePage(t2p, pdf, number);
        WriteContent(t2p, pdf, number + 1);
        uint32_t next = number + 3;
        if (t2p->TransferCount > 0) {
            WriteTransfer(t2p, pdf, next);
            next += 1 + (uint32_t)t2p->TransferCount;
        }
        if (t2p->ColorSpace & T2P_CS_PALETTE)
            WritePalette(t2p, pdf, next++);
        if (t2p->ColorSpace & T2P_CS_ICCBASED)
            WriteIcc(t2p, pdf, next++);
        WriteImage(t2p, input, pdf, output, handle, number + 3 + t2p->Pages[t2p->CurrentPage].Extra);
    }
    if (!t2p->Error)
        WriteXrefAndTrailer(t2p, pdf);
    return output.Count() - start;
}
