// The TIFF-to-PDF writer's entry: a PDF for A4 paper from every page of a TIFF file.
#ifndef KESTAR_TIFFPDF_H
#define KESTAR_TIFFPDF_H

// Writes the PDF `output` from the TIFF file `input` (8-bit texts); 1 when the PDF was written,
// 0 on failure (reported in the log; a partly written output is deleted unless it is "-").
int convert_tiff_to_pdf(const char *input, const char *output);

#endif
