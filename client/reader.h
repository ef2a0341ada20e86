// A page reader of the fax-command recognition: reads the first page of one image file into a
// page bitmap.  Derived classes know the file format.
#ifndef CLIENT_READER_H
#define CLIENT_READER_H

#include "client/ocrbitmap.h"
#include "client/operation.h"
#include "kestar/base/string.h"

class Reader : public Operation {
public:
    explicit Reader(const char *filename);
    ~Reader() override;

    // Opens the file, reads its first page into bitmap and closes it; false when the file cannot
    // be opened or its page not read (bitmap then holds no page).
    virtual bool ReadPage(OCRBITMAP &bitmap) = 0;
    // Opens the file; false when it cannot be opened.
    virtual bool Open() = 0;
    // Reads the first page of the open file into bitmap; false when it cannot.
    virtual bool ReadImage(OCRBITMAP &bitmap) = 0;
    // Closes the file (nothing when it is not open).
    virtual void Close() = 0;

    bool IsOpen() const { return opened; }
    const STRING &FileName() const { return fileName; }

protected:
    STRING fileName;
    bool opened = false;
};

#endif
