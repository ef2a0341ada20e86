// Test pages for the fax image tests: bilevel pages as plain rows of pixels, written to and read
// from the base form by code of their own (not by the classes under test), so that a fault in
// the product's header writing cannot hide itself in a round trip.
#ifndef TESTS_SUPPORT_FAXPAGES_SUPPORT_H
#define TESTS_SUPPORT_FAXPAGES_SUPPORT_H

#include <cstdint>
#include <string>
#include <vector>

namespace faxtest {

// One page: Rows[y] is row y from the top, (Width + 7) / 8 bytes, leftmost pixel in the most
// significant bit, 1 = black.
struct Page {
    int Width = 0;
    bool Fine = true;
    std::vector<std::vector<uint8_t>> Rows;

    Page() = default;
    Page(int width, int height, bool fine = true);
    int Height() const { return (int)Rows.size(); }
    bool Get(int x, int y) const;
    void Set(int x, int y, bool black = true);
    void Fill(int x0, int x1, int y, bool black = true); // pixels x0 <= x < x1
};

bool operator==(const Page &a, const Page &b);
std::string Describe(const Page &p); // size and the first differing details, for messages

// Pages filled with patterns.
Page RandomRuns(int width, int height, uint32_t seed, bool fine = true); // runs of 1-300 pixels
Page Alternating(int width, int height, bool fine = true);               // 1-pixel runs
Page WhiteRunThenBlack(int width, int white, bool fine = true);          // one row, then white

// The base form of the pages: BMP files with 32-bit padded rows, bottom-up.
std::vector<uint8_t> ToBase(const std::vector<Page> &pages);
// Reads base form pages (1-bit, bottom-up, any padding to 32 bits); an empty list when the
// data is not made of well-formed pages.
std::vector<Page> FromBase(const std::vector<uint8_t> &base);

// A helper for byte-exact expectations: packs a text of '0' and '1' codes least significant bit
// first, the last byte padded with zero bits (blanks in the text are ignored).
std::vector<uint8_t> PackBits(const std::string &bits);

// Little-endian helpers.
uint32_t Get32(const std::vector<uint8_t> &v, size_t at);
uint16_t Get16(const std::vector<uint8_t> &v, size_t at);

// Makes the strip of directory `directory` (from 0) of a little-endian classic TIFF file image
// whose pages are one strip each point past the end of the file, so that no row of that page
// can be read; false when the file is not laid out so.
bool MoveStripPastEnd(std::vector<uint8_t> &tiff, int directory);

// Writes bytes to a file (binary); false on any failure.
bool WriteFile(const std::string &path, const std::vector<uint8_t> &data);

} // namespace faxtest

#endif
