// The native build has no MP3 encoder (the library is only cross-built for Windows): saving an
// MP3 sound fails there, loudly in the log, and writes nothing.
#include "kestar/media/mp3encoder.h"

#include "kestar/base/logit.h"

namespace MP3ENCODER {

bool EncodeFile(const char *filename, const unsigned char *, size_t, int)
{
    LOGIT::Printf("MP3ENCODER::EncodeFile %s: no MP3 encoder in this build\n", filename ? filename : "<null>");
    return false;
}

} // namespace MP3ENCODER
