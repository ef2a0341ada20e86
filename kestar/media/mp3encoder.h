// MP3 encoding of 16-bit mono samples into a file, for SOUNDMP3.  The encoder library is only
// cross-built for the Windows targets (mp3encoder_win32.cpp); the native build has a stand-in
// that refuses (mp3encoder_posix.cpp).
#ifndef KESTAR_MP3ENCODER_H
#define KESTAR_MP3ENCODER_H

#include <cstddef>

namespace MP3ENCODER {

// The output room the encoder needs for count samples in one call: 1.25 × count + 7200 bytes.
inline size_t BufferSize(size_t count)
{
    return count + (count + 3) / 4 + 7200;
}

// Writes count little-endian 16-bit mono samples at rate as MP3 (one channel, mono mode,
// 16 kbit/s, quality 9) to filename, replacing an existing file.  true only when the encoder
// reported no error and every byte was written and the file closed; a partly written file is
// removed.
bool EncodeFile(const char *filename, const unsigned char *samples, size_t count, int rate);

} // namespace MP3ENCODER

#endif
