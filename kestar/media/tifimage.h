// TIFF fax files as images ("IMAGE TIF:").  In memory a TIFIMAGE always holds the base form
// (1-bit BMP pages back to back): Load reads a bilevel TIFF file into it, Save writes it as a
// multi-page CCITT Group 3 TIFF file (TIFFPAGES, through libtiff).  libtiff is only built for
// Windows: the class is defined in tifimage_win32.cpp.
#ifndef KESTAR_TIFIMAGE_H
#define KESTAR_TIFIMAGE_H

#include "kestar/media/baseimage.h"

class TIFIMAGE : public BASEIMAGE {
public:
    TIFIMAGE(const char *format, STRING_SIZE_T blocksize);
    ~TIFIMAGE() override;

    // Replaces Data by the pages of a bilevel TIFF file (see TIFFPAGES::Load: a normal-resolution
    // page has each line twice and bfReserved1 0, a fine one or one without resolution tags
    // bfReserved1 1; missing Orientation and FillOrder tags count as top-left and fill order 1)
    // and sets PageCount to their number; the first page becomes the current one.  false, and
    // the object unchanged, when the file cannot be opened or its first page is no plain bilevel
    // image or cannot be read.  A later page that cannot be read ends the pages taken.
    bool Load(const char *filename) override;
    // Writes the first PageCount pages of Data (fewer when Data holds fewer) as a multi-page
    // Group 3 TIFF file, numbered 1 of n to n of n, each with its resolution (fine pages at 196
    // lines per inch, normal ones with every second row at 98).  false when any write fails.
    bool Save(const char *filename) const override;
    // "tif".
    STRING GetExtension() const override;
    // Format becomes "IMAGE TIF:", Data a copy of base's data and PageCount base's page count.
    bool FromBase(const BASEIMAGE &base) override;
    // A new "IMAGE BASE:" image with a copy of Data (block size 4096); the caller owns it.
    BASEIMAGE *ToBase() const override;

    // Pages are shown through the base form: each of these asserts "FALSE" and gives 0.
    int GetWidth() const override;
    int GetHeight() const override;
    HBITMAP__ *GetBitmap() const override;
    int GetPageCount() const override;
    bool SelectPage(int page) override;

    // TIFF to PDF: output (when null, the input name with its last three characters replaced by
    // "pdf") from every page of the TIFF file input, through the TIFF-to-PDF writer.  The input
    // name should end in "tif" or "tmp" (any case; otherwise an assertion, and it goes on).
    // 1 when the PDF was written, 0 on failure.
    static int Convert(const char *input, const char *output);

    int PageCount = 1; // the number of pages Save writes
};

#endif
