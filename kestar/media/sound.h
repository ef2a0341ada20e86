// The sound family: a MEDIAOBJECT whose format text is "SOUND " + keyword + ":" + sample rate
// and whose bytes are mono samples in the keyword's coding.
//
//   SOUND       "BASE"   signed 16-bit little-endian PCM (the base form all sounds convert through)
//   SOUNDWAV16  "WAV16"  signed 16-bit little-endian PCM
//   SOUNDWAV8   "WAV8"   unsigned 8-bit PCM, 128 = silence
//   SOUNDALAW   "ALAW"   A-law, each byte bit-reversed (this system's in-memory order)
//   SOUNDULAW   "ULAW"   G.711 mu-law, each byte bit-reversed
//
// WAVE files hold A-law and mu-law bytes in ordinary bit order; Load and Save reverse them.  The
// file access itself is the platform's (WAVEIO: mmio on Windows, stdio natively); the checks of
// the file's layout are RIFFWAVE's, the same on both.
#ifndef KESTAR_SOUND_H
#define KESTAR_SOUND_H

#include "kestar/media/mediaobject.h"

class SOUND : public MEDIAOBJECT {
public:
    // The block size of sounds made by conversions and by Create.
    static const STRING_SIZE_T kBlockSize = 4096;

    SOUND(const char *format, STRING_SIZE_T blocksize);
    SOUND(const void *bytes, STRING_SIZE_T length, const char *format, STRING_SIZE_T blocksize);
    // A copy of another object's format text and bytes (block size 4096).
    explicit SOUND(const MEDIAOBJECT &other);
    ~SOUND() override;

    // Appends the samples of a RIFF WAVE file to Data.  The file must match the object's format
    // text: format tag and sample size of the keyword, and the same rate.  The rule for channels,
    // in every format: a file of two or more channels gives its first channel (the left one of a
    // stereo file), one sample of each whole frame; the bytes of a last, incomplete frame are
    // left out.  false, Data unchanged, when the file cannot be read, is no complete WAVE file
    // (every chunk size is checked against the bytes that remain), has no channel or does not
    // match.  On Windows the name may have at most 259 characters (the wave file functions'
    // limit); a longer one is refused, and so by Save and LoadWaveFile.
    bool Load(const char *filename) override;
    // Writes Data as a mono RIFF WAVE file in the format of the keyword (A-law and mu-law bytes
    // in ordinary bit order).  true only when the whole file was written; a file that could not
    // be written completely is removed.
    bool Save(const char *filename) const override;
    // "wav16", "wav8", "alaw", "ulaw"; the base form has none (assertion, empty text).
    STRING GetExtension() const override;

    // Replaces Format and Data by base's samples in this class's coding.  base must hold 16-bit
    // samples (keyword BASE, WAV16 or MP3); otherwise assertion, false and nothing changes.  The
    // base class copies base's format text and bytes as they are.
    virtual bool FromBase(const SOUND &base);
    // A new sound "SOUND BASE:" + this object's rate holding the samples as signed 16-bit values
    // (block size 4096; the base class copies its own format text).  The caller owns it.  Null
    // only when the 16-bit samples would not fit one buffer (over a billion samples).
    virtual SOUND *ToBase() const;
    // Resamples the 16-bit samples to rate by linear interpolation; Format becomes "SOUND BASE:"
    // + rate.  Only for 16-bit classes (WAV8, ALAW and ULAW: assertion, false, no change).  A rate
    // of 0 or less (new or current), or a result too large for one buffer: false, no change.
    virtual bool Resample(int rate);

    // The rate of the format text as a decimal number; 8000 when there is no format text.
    int GetSampleRate() const;

    // A new, empty sound of the class of the format text's keyword (ALAW, ULAW, BASE, WAV16,
    // WAV8; any case), holding the whole format text, block size 4096.  No object when word 0 is
    // not "SOUND" or the keyword is another one (MP3 included).  The caller owns it.
    static SOUND *Create(const char *format);
    // A new sound of the file's format and rate (16-bit or 8-bit PCM, A-law, mu-law) holding its
    // samples, the first channel of a file of several as Load takes it; no object when the file
    // cannot be read or is no such WAVE file.  The caller owns it.
    static SOUND *LoadWaveFile(const char *filename);

protected:
    // true when base's keyword names 16-bit samples (BASE, WAV16, MP3); otherwise the assertion
    // failure "FALSE" and false.
    static bool HoldsLinearSamples(const SOUND &base);
};

class SOUNDWAV16 : public SOUND {
public:
    SOUNDWAV16(const char *format, STRING_SIZE_T blocksize);
    STRING GetExtension() const override;
    bool FromBase(const SOUND &base) override;
    SOUND *ToBase() const override;
};

class SOUNDWAV8 : public SOUND {
public:
    SOUNDWAV8(const char *format, STRING_SIZE_T blocksize);
    STRING GetExtension() const override;
    bool FromBase(const SOUND &base) override;
    SOUND *ToBase() const override;
    bool Resample(int rate) override;
};

class SOUNDALAW : public SOUND {
public:
    SOUNDALAW(const char *format, STRING_SIZE_T blocksize);
    STRING GetExtension() const override;
    bool FromBase(const SOUND &base) override;
    SOUND *ToBase() const override;
    bool Resample(int rate) override;
};

class SOUNDULAW : public SOUND {
public:
    SOUNDULAW(const char *format, STRING_SIZE_T blocksize);
    STRING GetExtension() const override;
    bool FromBase(const SOUND &base) override;
    SOUND *ToBase() const override;
    bool Resample(int rate) override;
};

#endif
