// Fax images.  Every image converts through one base form ("IMAGE BASE:"): 1-bit BMP files back
// to back, one per page (see baseform.h).  BASEIMAGE holds the base form itself and shows its
// pages; SFFIMAGE (sffimage.h) and TIFIMAGE (tifimage.h) hold other formats and convert.
//
// Each method says what it does with images of other keywords; every walk over the pages checks
// the page sizes against Data, so a broken image shows fewer pages, never memory past its end.
#ifndef KESTAR_BASEIMAGE_H
#define KESTAR_BASEIMAGE_H

#include "kestar/media/mediaobject.h"

#if defined(_WIN32)
struct HBITMAP__; // HBITMAP, without <windows.h> in every user of the header
#endif

class BASEIMAGE : public MEDIAOBJECT {
public:
    // The block size of images made by conversions.
    static const STRING_SIZE_T kBlockSize = 4096;

    BASEIMAGE(const char *format, STRING_SIZE_T blocksize);
    BASEIMAGE(const void *bytes, STRING_SIZE_T length, const char *format, STRING_SIZE_T blocksize);
    ~BASEIMAGE() override;

    // Appends the whole file to Data.  false, Data unchanged, when the file cannot be opened or
    // read to its end.
    bool Load(const char *filename) override;
    // Writes Data to the file; true only when every byte was written and the file closed cleanly.
    bool Save(const char *filename) const override;
    // The base form has no file extension: assertion, empty text.
    STRING GetExtension() const override;

    // Replaces Format and Data by copies of base's.  Subclasses convert from the base form.
    virtual bool FromBase(const BASEIMAGE &base);
    // A new image in the base form; here a copy with the same format text (block size 4096).
    // The caller owns it.
    virtual BASEIMAGE *ToBase() const;

    // biWidth and biHeight of the current page; 0 when its headers do not fit in Data.  Only for
    // the base form (another keyword: assertion, and the value is read all the same).
    virtual int GetWidth() const;
    virtual int GetHeight() const;
#if defined(_WIN32)
    // A device-dependent bitmap of the current page (compatible with a memory DC of the screen);
    // null when the page is no valid bitmap or GDI fails.  Each call makes a new bitmap, which
    // the caller owns: it deletes it (DeleteObject) when done, and it stays valid after the image
    // changes or goes.  The image keeps no bitmap.
    virtual HBITMAP__ *GetBitmap() const;
    // The current page turned by degrees (counter-clockwise; quarter turns are exact), as a new
    // bitmap that the caller owns, as GetBitmap's; *width and *height (may be null) receive its
    // size.  Null, the sizes unchanged, when there is no result (assertion "memory" when the
    // rotation gave none).
    virtual HBITMAP__ *GetRotatedBitmap(int degrees, int *width, int *height) const;
#endif
    // The number of pages: bfSize steps from the start while each page lies inside Data and is at
    // least as large as its headers.  0 for no data.
    virtual int GetPageCount() const;
    // Makes page `page` (from 0) the current one; false, the current page kept, when there is no
    // such page.
    virtual bool SelectPage(int page);

    // The byte offset of the current page in Data (0 after construction).
    STRING_SIZE_T GetPageOffset() const { return PageOffset; }

protected:
    STRING_SIZE_T PageOffset = 0; // changed only by SelectPage
};

#endif
