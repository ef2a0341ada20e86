// The SFF fax file format: conversion between SFF files and the base form of fax images (1-bit
// BMP pages back to back).  SFF files come from the phone server, from disk and from other
// programs, so the reader checks every offset, count and length against the data: a broken file
// gives fewer pages or none, never a read past its end.  Pure code on bytes (no Win32): the port
// monitor links it, and the fuzz target feeds Sff2Bmp directly.
#ifndef KESTAR_SFFCODEC_H
#define KESTAR_SFFCODEC_H

#include <cstddef>
#include <vector>

#include "kestar/media/baseform.h"

namespace SFFCODEC {

const size_t kDocumentHeaderBytes = 20;
const size_t kPageHeaderBytes = 18;

// A decoded image larger than this is cut: the page that would pass it ends there (logged) and
// decoding stops.  Protects against small files that claim huge pages (one byte of an SFF file
// can stand for 37 rows of up to 8 KiB each).
const size_t kDefaultMaxBaseBytes = BASEFORM::kMaxImageBytes;

// Decodes the SFF file `sff` (`length` bytes) into base-form pages, which replace the contents of
// `base`.  Returns the number of pages written (0 for a file that is no SFF file or holds no
// page).  Pages end at a page header, at the end of the data, at a decoder error (which ends
// the whole decoding after that page is written) or when `maxbytes` would be passed.
int Sff2Bmp(const unsigned char *sff, size_t length, std::vector<unsigned char> &base,
            size_t maxbytes = kDefaultMaxBaseBytes);

// Codes the base-form pages `base` (`length` bytes) as an SFF file, which replaces the contents of
// `sff`.  Pages that are not valid 1-bit bitmaps, or wider than the 65535 pixels a page header
// can state, are skipped (logged).  Returns the number of pages written.
int Bmp2Sff(const unsigned char *base, size_t length, std::vector<unsigned char> &sff);

} // namespace SFFCODEC

#endif
