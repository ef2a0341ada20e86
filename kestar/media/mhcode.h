// Modified Huffman coding of single fax lines (the one-dimensional coding of ITU-T T.4), as the
// SFF line records hold them: runs alternate white and black starting with white, no EOL codes,
// no fill, code bits packed from the least significant bit of each byte upward.  Pure code on
// byte buffers: the port monitor links it and the native build runs it under the sanitizers.
#ifndef KESTAR_MHCODE_H
#define KESTAR_MHCODE_H

#include <cstddef>
#include <vector>

namespace MHCODE {

// Entry kinds of the code tables.
enum {
    KIND_END = -1,
    KIND_WHITE_TERM = 1,
    KIND_WHITE_MAKEUP = 2,
    KIND_EXT_MAKEUP = 3, // 1792-2560, common to both colours
    KIND_BLACK_TERM = 4,
    KIND_BLACK_MAKEUP = 5,
};

struct CODE {
    const char *Bits; // the code as a text of '0' and '1', first transmitted bit first
    int Run;          // run length in pixels
    int Kind;         // KIND_*
};

// The code tables of one colour, each ended by an entry of kind KIND_END.  The extended makeup
// codes are part of both.  Borrowed, static.
const CODE *WhiteTable();
const CODE *BlackTable();

// Worst-case number of coded bytes of one line of `width` pixels (a buffer this large never
// overflows, whatever the pixels).
size_t MaxCodedBytes(int width);

// Appends the code of one line to `out` and returns the number of bytes appended.  `row` holds
// `width` pixels, leftmost in the most significant bit of byte 0, 1 = black; it must hold at
// least (width + 7) / 8 bytes.  Runs of 2624 pixels and more are coded with repeated makeup
// codes of 2560, as T.4 requires, so no width is out of reach.
size_t EncodeRow(const unsigned char *row, int width, std::vector<unsigned char> &out);

// How DecodeRow ended.
enum RESULT {
    DECODE_OK = 0,    // the line is complete or the record's bits ran out before it was
    DECODE_ERROR = 1, // a bit sequence that is no code of the current colour's table
};

// Optional trace of DecodeRow, one call per code found (for the level-15 log lines).
typedef void (*TRACEFN)(void *context, int run, int kind, int linepos, int bitpos);

// Decodes the coded line `code` (`length` bytes) into `row`, which the caller has cleared to
// white and which holds at least (width + 7) / 8 bytes.  Decoding stops when the line position
// reaches `width` (the remaining bits are skipped) or when the bits run out; a black run never
// sets pixels at or past `width`.  Trailing zero bits (fill) end the line without error.
// `linepos` (may be null) receives the line position reached.
RESULT DecodeRow(const unsigned char *code, size_t length, unsigned char *row, int width,
                 int *linepos = nullptr, TRACEFN trace = nullptr, void *context = nullptr);

} // namespace MHCODE

#endif
