// The byte layout of RIFF WAVE files: finding the WAVE form, walking its chunks, and making the
// fmt chunk and the canonical header.
//
// No OS calls: the platform file code (mmio on Windows, stdio natively) only moves bytes, and
// every size read from a file is checked here against the bytes that really remain, so a lying
// or truncated chunk size can never lead to a wrapped allocation or a read past the buffer.
#ifndef KESTAR_RIFFWAVE_H
#define KESTAR_RIFFWAVE_H

#include <cstddef>
#include <cstdint>

namespace RIFFWAVE {

// The fields of a WAVEFORMATEX that the sound family uses.
struct FMT {
    int Tag = 0;           // 1 PCM, 6 A-law, 7 mu-law
    int Channels = 0;
    uint32_t Rate = 0;     // samples per second
    uint32_t AvgBytes = 0; // bytes per second
    int BlockAlign = 0;    // bytes of one frame (all channels)
    int Bits = 0;          // bits of one sample
};

enum RESULT {
    WAVE_OK = 0,
    WAVE_NOTRIFF,     // no "RIFF" chunk of form type "WAVE" at the start
    WAVE_TRUNCATED,   // a chunk size reaches past the bytes that remain
    WAVE_NOFMT,       // no "fmt " chunk
    WAVE_EMPTYFMT,    // a "fmt " chunk of size 0
    WAVE_SHORTFMT,    // a "fmt " chunk too short for the 16 bytes of the PCM format
    WAVE_NODATA,      // no "data" chunk
    WAVE_UNREADABLE,  // the file cannot be opened or read
};

// A short English text for a result, for log lines.
const char *ResultText(RESULT result);

// Bytes of the chunk header ("RIFF", size) plus the form type "WAVE".
const size_t kFormHeader = 12;

// Checks the 12-byte form header at the start of a file and gives the declared size of the form
// body (the RIFF chunk size minus the 4 bytes of the form type).  WAVE_NOTRIFF when the bytes
// are no RIFF WAVE header (or fewer than 12 are given).
RESULT ParseFormHeader(const uint8_t *header, size_t len, uint32_t *bodyLen);

// Finds the WAVE form in a whole file image; body and bodyLen describe the form body within
// file.  WAVE_TRUNCATED when the RIFF chunk size reaches past the end of the file.
RESULT FindForm(const uint8_t *file, size_t len, const uint8_t **body, size_t *bodyLen);

// Walks the chunks of a form body and takes the first "fmt " and "data" chunks.  Chunks are
// word aligned; a missing pad byte after the last chunk is accepted.  On failure fmt is
// unchanged and data is null.
RESULT ParseBody(const uint8_t *body, size_t len, FMT *fmt, const uint8_t **data, size_t *dataLen);

// The 18 bytes of a WAVEFORMATEX with cbSize 0, little-endian.
const size_t kFmtSize = 18;
void MakeFmt(const FMT &fmt, uint8_t out[kFmtSize]);

// The header of a canonical file up to the data bytes: "RIFF", size, "WAVE", "fmt " chunk of 18
// bytes, "data" and its size.  dataLen must leave room for the header within 32 bits.
const size_t kHeaderSize = 12 + 8 + kFmtSize + 8;
void MakeHeader(const FMT &fmt, uint32_t dataLen, uint8_t out[kHeaderSize]);

} // namespace RIFFWAVE

#endif
