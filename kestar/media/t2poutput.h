// The PDF output of the TIFF-to-PDF writer: a file (or, for tests and fuzzing, memory) behind a
// libtiff handle opened with our own procedures, so that libtiff's encoders write image data
// straight into the PDF.  Everything libtiff writes outside an image (header, directories,
// close-time data) is discarded, and its seeks never move, so no TIFF structure reaches the PDF.
// The bytes really written are counted: the count is the PDF's length, which gives the object
// offsets and the image lengths.
#ifndef KESTAR_T2POUTPUT_H
#define KESTAR_T2POUTPUT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

struct tiff;

class T2POUTPUT {
public:
    // Appends to a stream opened for writing; the stream is borrowed and must outlive us.
    explicit T2POUTPUT(FILE *stream);
    // Appends to a buffer; borrowed, must outlive us.
    explicit T2POUTPUT(std::vector<unsigned char> *memory);
    ~T2POUTPUT();
    T2POUTPUT(const T2POUTPUT &) = delete;
    T2POUTPUT &operator=(const T2POUTPUT &) = delete;

    // Opens the libtiff handle over this output (mode "w"), named `name` in libtiff's messages;
    // null on failure.  Owned by us: closed (writing nothing) by Close or the destructor.
    tiff *Open(const char *name);
    // Closes the libtiff handle, if open.
    void Close();

    // Writes PDF bytes; false when they were not all written (the output is then failed for good).
    bool Write(const void *data, size_t size);
    // While discarding (the default) libtiff's writes report success and write nothing; only the
    // encoded image data of one strip is written with discarding off.
    void SetDiscard(bool discard) { Discarding = discard; }

    // The bytes written so far: the PDF's length.
    uint64_t Count() const { return Written; }
    // true once any write was short or failed.
    bool Failed() const { return Broken; }

    // The libtiff procedures' work (see t2poutput.cpp).  Reads give zeros: libtiff reads back
    // only the directories it believes it wrote, and a zero entry count ends its walk.
    size_t ClientRead(void *data, size_t size);
    size_t ClientWrite(const void *data, size_t size);
    uint64_t ClientSeek(uint64_t offset, int whence) const;

private:
    size_t ClientWriteAlways(const void *data, size_t size);

    FILE *Stream = nullptr;                       // borrowed, or null
    std::vector<unsigned char> *Memory = nullptr; // borrowed, or null
    tiff *Handle = nullptr;                       // owned
    bool Discarding = true;
    bool Broken = false;
    uint64_t Written = 0;
};

#endif
