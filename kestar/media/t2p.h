// The TIFF-to-PDF converter's context and its page analysis: which TIFF directories are pages,
// what each page's image is (colour space, coding) and where it sits on the page.  The PDF
// itself is written by t2pwriter.cpp.  Every message goes to libtiff's handlers (TIFFError and
// TIFFWarning, module "Parlomatix") and to our log.
#ifndef KESTAR_T2P_H
#define KESTAR_T2P_H

#include <cstdint>
#include <string>
#include <vector>

struct tiff;

// Colour-space flags of a page (combinable).
enum : uint32_t {
    T2P_CS_BILEVEL = 0x01,
    T2P_CS_GRAY = 0x02,
    T2P_CS_RGB = 0x04,
    T2P_CS_CMYK = 0x08,
    T2P_CS_LAB = 0x10,
    T2P_CS_CALGRAY = 0x20,
    T2P_CS_CALRGB = 0x40,
    T2P_CS_ICCBASED = 0x80,
    T2P_CS_PALETTE = 0x100,
};

// Sample conversions a page needs between decoding and encoding.
enum : uint32_t {
    T2P_SAMPLE_NOTHING = 0,
    T2P_SAMPLE_PLANAR_SEPARATE_TO_CONTIG = 0x01,
    T2P_SAMPLE_RGBA_TO_RGB = 0x02,         // drop the fourth sample
    T2P_SAMPLE_RGBAA_TO_RGB = 0x04,        // composite the fourth sample on white
    T2P_SAMPLE_YCBCR_TO_RGB = 0x08,        // through libtiff's RGBA image reader
    T2P_SAMPLE_LAB_SIGNED_TO_UNSIGNED = 0x10,
};

enum T2P_TRANSCODE { T2P_TRANSCODE_ENCODE, T2P_TRANSCODE_RAW };
enum T2P_COMPRESS { T2P_COMPRESS_NONE, T2P_COMPRESS_G4 };

// One TIFF directory that is a page.
struct T2P_PAGE {
    uint32_t Directory = 0;
    uint32_t Number = 0;    // sort key
    uint32_t TileCount = 0; // 0 for a page in strips
    uint32_t Extra = 0;     // PDF objects beyond the five every page has
};

// The placement of an image: its box on the page and the matrix that maps the unit square onto
// it ("a b c d e f" of the "cm" operator).
struct T2P_BOX {
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    float Mat[6] = {0, 0, 0, 0, 0, 0};
};

// One row of the tile table.
struct T2P_TILES {
    uint32_t Count = 0;
    uint32_t Width = 0, Length = 0;
    uint32_t Across = 0, Down = 0;
    uint32_t EdgeWidth = 0, EdgeLength = 0;
    std::vector<T2P_BOX> Boxes;
};

// The converter context: one per conversion, made by t2p_init and freed by t2p_free.
struct T2P {
    bool Error = false; // set by every failing step

    std::vector<T2P_PAGE> Pages;
    std::vector<T2P_TILES> Tiles;
    uint32_t PageCount = 0;

    // The current page as read from the TIFF.
    uint16_t Compression = 1;
    uint16_t Photometric = 0;
    uint16_t FillOrder = 1;
    uint16_t BitsPerSample = 1;
    uint16_t SamplesPerPixel = 1;
    uint16_t PlanarConfig = 1;
    uint32_t Width = 0, Length = 0;
    float XRes = 0, YRes = 0;
    uint16_t Orientation = 0;
    uint16_t ResUnit = 2;
    uint64_t DataSize = 0; // bytes of image data to read
    uint16_t PdfBits = 1, PdfSamples = 1; // of the image as the PDF holds it (after conversions)

    // Options.
    bool OverrideRes = false;
    bool OverridePageSize = false;
    float DefaultXRes = 300, DefaultYRes = 300;     // dots per inch
    float DefaultPageWidth = 612, DefaultPageLength = 792; // points

    // Geometry of the current page (points).
    float PdfXRes = 0, PdfYRes = 0;
    float PdfPageWidth = 0, PdfPageLength = 0;
    float PdfImageWidth = 0, PdfImageLength = 0;
    T2P_BOX MediaBox;
    T2P_BOX ImageBox;

    // PDF state.
    uint8_t PdfMajor = 1, PdfMinor = 1;
    uint32_t Catalog = 0, Info = 0, PagesObject = 0;
    uint32_t ObjectCount = 0;         // objects planned, then objects written
    std::vector<uint64_t> XrefOffsets; // one per planned object
    uint64_t StartXref = 0;
    uint32_t CurrentPage = 0;

    std::string FileId;
    std::string DateTime;
    std::string Creator, Author, Title, Subject, Keywords;

    // Coding of the current page.
    T2P_TRANSCODE Transcode = T2P_TRANSCODE_ENCODE;
    T2P_COMPRESS Compress = T2P_COMPRESS_NONE;
    T2P_COMPRESS DefaultCompress = T2P_COMPRESS_NONE;
    uint32_t Sample = T2P_SAMPLE_NOTHING;
    uint32_t ColorSpace = 0;
    bool SwitchDecode = false;
    std::vector<unsigned char> Palette; // entries of 3 (RGB) or 4 (CMYK) bytes
    uint32_t PaletteObject = 0;
    int LabRange[4] = {0, 0, 0, 0};
    float WhitePoint[2] = {0, 0};
    float Primaries[6] = {0, 0, 0, 0, 0, 0};
    int TransferCount = 0;                    // 0, 1 or 3 transfer functions
    std::vector<uint16_t> Transfer[3];        // their tables, 2^bits entries each
    std::vector<unsigned char> IccProfile;    // empty: none
    uint32_t IccObject = 0;

    // The caller's name of the output, for messages (the file actually written may be a
    // temporary one).
    std::string OutputName;
};

// A new zeroed context with the defaults (300 x 300 dpi, 612 x 792 points, PDF 1.1, three
// objects); null, reported, when it cannot be allocated.  The caller frees it with t2p_free.
T2P *t2p_init();
// Frees the context and everything it owns; accepts null.
void t2p_free(T2P *t2p);

// The paper size of name (case ignored) in points; true, width and length set, when the name is
// in the table, else false and both unchanged.
bool t2p_paper_size(const char *name, float *width, float *length);

// Page selection: the page and tile tables and the object count.  Sets t2p->Error on failure.
void t2p_read_tiff_init(T2P *t2p, tiff *input);
// Analyses page t2p->CurrentPage (its properties, colour space, coding and geometry).  Sets
// t2p->Error on a page that cannot be converted.
void t2p_read_tiff_image(T2P *t2p, tiff *input);
// The geometry of the current page from its size, resolution and orientation.
void t2p_compose_pdf_page(T2P *t2p);
// The boxes and matrices of the current page's tiles, from its image box and matrix.
void t2p_compose_pdf_tiles(T2P *t2p);
// The matrix of `box` for orientation (0-8).
void t2p_compose_pdf_page_orient(T2P_BOX *box, uint16_t orientation);

// Messages: formatted, logged, and passed to TIFFError / TIFFWarning with module "Parlomatix".
void t2p_error(const char *format, ...)
#if defined(__GNUC__) && !defined(_WIN32)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
void t2p_warning(const char *format, ...)
#if defined(__GNUC__) && !defined(_WIN32)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The largest decoded image a page may have.
const uint64_t T2P_MAX_IMAGE_BYTES = (uint64_t)256 << 20;

#endif
