// SFF fax files as images ("IMAGE SFF:"): Data holds a whole SFF file.  FromBase codes base-form
// pages as SFF (BMP2SFF), ToBase decodes SFF into the base form (SFF2BMP); the file layout and
// the checks of the reader are SFFCODEC's.  Pure code: the port monitor links it too.
#ifndef KESTAR_SFFIMAGE_H
#define KESTAR_SFFIMAGE_H

#include "kestar/media/baseimage.h"

class SFFIMAGE : public BASEIMAGE {
public:
    // The block size of the base-form image that ToBase makes.
    static const STRING_SIZE_T kBaseBlockSize = 500000;

    SFFIMAGE(const char *format, STRING_SIZE_T blocksize);
    ~SFFIMAGE() override;

    // "sff".
    STRING GetExtension() const override;
    // BMP2SFF: Format becomes "IMAGE SFF:" and Data the SFF file of base's pages (pages that are
    // no 1-bit bitmaps are left out, logged).  Always true.
    bool FromBase(const BASEIMAGE &base) override;
    // SFF2BMP: a new "IMAGE BASE:" image with the pages decoded from Data; a broken file gives the
    // pages before the damage, or none.  Never null; the caller owns it.
    BASEIMAGE *ToBase() const override;

    // Pages are only shown in the base form: each of these asserts "FALSE" and gives 0.
    int GetWidth() const override;
    int GetHeight() const override;
#if defined(_WIN32)
    HBITMAP__ *GetBitmap() const override;
#endif
    int GetPageCount() const override;
    bool SelectPage(int page) override;
};

#endif
