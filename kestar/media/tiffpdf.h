// The TIFF-to-PDF writer's entry: a PDF for A4 paper from every page of a TIFF file.
#ifndef KESTAR_TIFFPDF_H
#define KESTAR_TIFFPDF_H

#include <cstdint>

struct tiff;
class T2POUTPUT;

// Writes the PDF `output` from the TIFF file `input` (8-bit texts); 1 when the PDF was written,
// 0 on failure (reported through libtiff's error handler and the log).  The PDF is written under
// a temporary name in the output's folder and renamed over `output` only when complete: on
// failure an existing `output` stays as it was and nothing is left behind.
int convert_tiff_to_pdf(const char *input, const char *output);

// The conversion between open handles: the fax defaults (219 x 208 dpi, A4 pages, our creator)
// and the whole PDF of `input` into `output`, whose libtiff handle `handle` encodes the images.
// `outputName` names the output in messages.  true when the PDF is complete.
bool convert_tiff_to_pdf_handles(tiff *input, T2POUTPUT &output, tiff *handle, const char *outputName);

#endif
