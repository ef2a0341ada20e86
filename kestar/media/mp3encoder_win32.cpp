// MP3 encoding through LAME; see mp3encoder.h.  This file carries the _win32 suffix because the
// LAME library is cross-built for the Windows targets only, not because it calls Win32.
//
// The samples go to the encoder in slices, each with an output buffer of the size LAME asks for
// (1.25 × samples + 7200 bytes): one slice would need a buffer the size of the whole sound, and
// a buffer smaller than that rule makes LAME fail with "buffer too small" on short sounds.
#include "kestar/media/mp3encoder.h"

#include <cstdio>
#include <memory>
#include <new>

#include <lame/lame.h>

#include "kestar/base/logit.h"

namespace {

const size_t kSliceSamples = 8192;

struct LAMEHOLDER {
    lame_global_flags *gfp;
    ~LAMEHOLDER()
    {
        if (gfp)
            lame_close(gfp);
    }
};

// Writes n bytes; false on a short write.
bool WriteAll(FILE *f, const unsigned char *bytes, int n)
{
    if (n <= 0)
        return true;
    size_t howmany = fwrite(bytes, 1, static_cast<size_t>(n), f);
    if (howmany == static_cast<size_t>(n))
        return true;
    LOGIT::Printf("MP3ENCODER: wrote %u of %d bytes\n", static_cast<unsigned>(howmany), n);
    LOGIT::Assert(0, "howmany==size", __FILE__, __LINE__, nullptr, 0);
    return false;
}

bool Encode(FILE *f, const unsigned char *samples, size_t count, int rate)
{
    LAMEHOLDER lame = {lame_init()};
    if (!lame.gfp) {
        LOGIT::Printf("MP3ENCODER: lame_init failed\n");
        return false;
    }
    lame_set_num_channels(lame.gfp, 1);
    lame_set_brate(lame.gfp, 16);
    lame_set_quality(lame.gfp, 9);
    lame_set_in_samplerate(lame.gfp, rate);
    lame_set_mode(lame.gfp, MONO);
    int check_settings = lame_init_params(lame.gfp);
    if (check_settings < 0) {
        LOGIT::Printf("MP3ENCODER: lame_init_params failed: %d (rate %d)\n", check_settings, rate);
        LOGIT::Assert(0, "check_settings>=0", __FILE__, __LINE__, nullptr, 0);
        return false;
    }

    const size_t room = MP3ENCODER::BufferSize(kSliceSamples);
    std::unique_ptr<unsigned char[]> mp3buffer(new (std::nothrow) unsigned char[room]);
    std::unique_ptr<short[]> slice(new (std::nothrow) short[kSliceSamples]);
    if (!mp3buffer || !slice) {
        LOGIT::Printf("MP3ENCODER: no memory for the buffers\n");
        return false;
    }
    for (size_t done = 0; done < count;) {
        size_t n = count - done < kSliceSamples ? count - done : kSliceSamples;
        for (size_t i = 0; i < n; i++) {
            const unsigned char *p = samples + 2 * (done + i);
            slice[i] = static_cast<short>(static_cast<unsigned short>(p[0] | (p[1] << 8)));
        }
        // Mono: the left channel is the only one LAME reads.
        int size = lame_encode_buffer(lame.gfp, slice.get(), slice.get(), static_cast<int>(n), mp3buffer.get(),
                                      static_cast<int>(room));
        if (size < 0) {
            LOGIT::Printf("MP3ENCODER: lame_encode_buffer failed: %d\n", size);
            return false;
        }
        if (!WriteAll(f, mp3buffer.get(), size))
            return false;
        done += n;
    }
    int size = lame_encode_flush(lame.gfp, mp3buffer.get(), static_cast<int>(room));
    if (size < 0) {
        LOGIT::Printf("MP3ENCODER: lame_encode_flush failed: %d\n", size);
        return false;
    }
    return WriteAll(f, mp3buffer.get(), size);
}

} // namespace

namespace MP3ENCODER {

bool EncodeFile(const char *filename, const unsigned char *samples, size_t count, int rate)
{
    if (!filename || rate <= 0) {
        LOGIT::Printf("MP3ENCODER: no file name or rate %d\n", rate);
        return false;
    }
    FILE *f = fopen(filename, "wb");
    if (!f) {
        LOGIT::Printf("MP3ENCODER: cannot create %s\n", filename);
        return false;
    }
    bool ok = Encode(f, samples, count, rate);
    ok = fflush(f) == 0 && ok;
    ok = fclose(f) == 0 && ok;
    if (!ok) {
        LOGIT::Printf("MP3ENCODER: writing %s failed\n", filename);
        remove(filename);
    }
    return ok;
}

} // namespace MP3ENCODER
