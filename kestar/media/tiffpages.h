// Bilevel TIFF files and the base form of fax images, through libtiff: reading every page of a
// TIFF file, and writing base-form pages as a multi-page CCITT Group 3 file.  libtiff is only
// built for Windows, so the code lives in tiffpages_win32.cpp.
#ifndef KESTAR_TIFFPAGES_H
#define KESTAR_TIFFPAGES_H

#include <cstddef>
#include <vector>

namespace TIFFPAGES {

// Reads the pages of a bilevel TIFF file (any compression libtiff reads) into base-form pages
// (bfReserved1 0), which replace the contents of `base`.  A page must have 1 bit per sample, 1
// sample per pixel, white as zero, top-left orientation, fill order 1 and contiguous planes; a
// tag that is missing counts as its TIFF default (the photometric tag has none and must be
// there).  false, `base` empty, when the file cannot be opened or its first page fails a check
// (logged with its own text); a later page that fails, or whose rows cannot be read, ends the
// pages read (logged).
bool Load(const char *filename, std::vector<unsigned char> &base);

// Writes the first `pages` pages of the base form `base` (`length` bytes; fewer when it holds
// fewer) as a TIFF file with one CCITT Group 3 (one-dimensional) page per directory, numbered 1
// of n to n of n.  false when the file cannot be created, a page is not a 1-bit bitmap, or any
// write fails (the pages written so far stay in the file).
bool Save(const char *filename, const unsigned char *base, size_t length, int pages);

} // namespace TIFFPAGES

#endif
