// Reads the first page of a TIFF file into the page bitmap of the fax-command recognition,
// through libtiff, one scanline at a time.  libtiff says nothing meanwhile: its error and warning
// handlers are off during ReadPage and restored afterwards, so other users of libtiff in the
// process keep their messages.
#ifndef CLIENT_TIFF_READER_H
#define CLIENT_TIFF_READER_H

#include "client/reader.h"

struct tiff;

class TIFF_Reader : public Reader {
public:
    explicit TIFF_Reader(const char *filename);
    ~TIFF_Reader() override; // closes the file when it is still open

    // Open, ReadImage and Close with libtiff's handlers off.
    bool ReadPage(OCRBITMAP &bitmap) override;
    // TIFFOpen in mode "r".
    bool Open() override;
    // The depth follows bits per sample: 1, 4 and 16 as they are; 8 stays 8 (24 for RGB) and
    // needs a photometric interpretation from 0 to 3; others fail.  Rows are read until one
    // fails; the rest stay blank.  Tiled pages, pages with separate planes and pages whose
    // bitmap would pass OCRBITMAP::kMaxBytes fail.
    bool ReadImage(OCRBITMAP &bitmap) override;
    void Close() override;

private:
    tiff *handle = nullptr; // owned while open
};

#endif
