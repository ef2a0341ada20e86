// The PDF file of the TIFF-to-PDF converter: header, catalog, document information, page tree,
// per page its page, content and image objects, the cross-reference table and the trailer.
// Lines end in a single carriage return and reals are written "%.4f", byte for byte as readers
// of our older files have seen them.
#ifndef KESTAR_T2PWRITER_H
#define KESTAR_T2PWRITER_H

#include <cstddef>
#include <cstdint>

#include "kestar/media/t2p.h"

class T2POUTPUT;

// Writes the whole PDF of `input` to `output`, whose libtiff handle `handle` encodes the images.
// Returns the bytes written; sets t2p->Error on any failure (nothing further is written then).
uint64_t t2p_write_pdf(T2P *t2p, tiff *input, T2POUTPUT &output, tiff *handle);

// "D:" and the date and time from the current directory's DateTime tag (when it is longer than
// 18 characters), else from the local time now.
void t2p_pdf_tiff_time(T2P *t2p, tiff *input);

// Writes `size` bytes of text as a PDF string "(...)" with the escapes readers need.  Returns the
// bytes written (short on a failed write).
size_t t2p_write_pdf_string(const char *text, size_t size, T2POUTPUT &output);

#endif
