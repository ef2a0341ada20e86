// The sample codings of the sound family and linear resampling, on plain sample arrays.
//
// Everything here is table lookup and arithmetic without any OS call, so the sound classes, the
// wave devices and the tests share one implementation and the native build checks it under the
// sanitizers.  The A-law tables are the ones the phone server uses for its message files: they
// are copied verbatim and must not be "corrected" towards another codec's tables.
#ifndef KESTAR_SOUNDCODEC_H
#define KESTAR_SOUNDCODEC_H

#include <cstddef>
#include <cstdint>

namespace SOUNDCODEC {

// The byte with its eight bits in reverse order (A-law and mu-law bytes are held reversed in
// memory and in ordinary order in WAVE files).
uint8_t ReverseBits(uint8_t b);

// G.711 mu-law (bias 132, clip 32635); the code is in ordinary bit order.
uint8_t LinearToUlaw(int sample);
int16_t UlawToLinear(uint8_t code);

// A-law in this system's stored (bit-reversed) order: encoded through the mu-law code and the
// mu-law to A-law table, decoded by the A-law table.  Bit 0 of the stored byte is the sign.
uint8_t LinearToAlaw(int sample);
int16_t AlawToLinear(uint8_t stored);
// The mu-law code to stored A-law byte table, for the table contract tests.
uint8_t UlawCodeToAlaw(uint8_t code);

// Unsigned 8-bit PCM, 128 = silence.
uint8_t LinearToWav8(int sample);
int16_t Wav8ToLinear(uint8_t byte);

// Little-endian 16-bit samples in a byte buffer of any alignment.
inline int16_t GetSample(const uint8_t *bytes, size_t index)
{
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8)));
}
inline void PutSample(uint8_t *bytes, size_t index, int sample)
{
    bytes[2 * index] = static_cast<uint8_t>(sample & 0xFF);
    bytes[2 * index + 1] = static_cast<uint8_t>((sample >> 8) & 0xFF);
}

// The number of samples that n samples at oldRate give at newRate (n × newRate / oldRate,
// truncated).  false, count set to 0, when a rate is 0 or less, n is negative, or the result
// would not fit a buffer of 16-bit samples whose byte length is a signed 32-bit number.
bool ResampledCount(long long n, int oldRate, int newRate, long long *count);

// Linear interpolation of n little-endian 16-bit samples at oldRate into m samples at newRate
// (m from ResampledCount).  Output sample i lies at source position i × oldRate / newRate; where
// that position has no right neighbour the last source sample is held, so every one of the m
// output samples is written and no source sample outside 0..n-1 is read.  With n = 0, m must
// be 0.  false (nothing written) for a rate of 0 or less.
bool Resample(const uint8_t *source, size_t n, int oldRate, int newRate, uint8_t *target, size_t m);

} // namespace SOUNDCODEC

#endif
