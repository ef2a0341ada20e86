// SOUNDMP3, the member of the sound family that is stored as MP3: in memory it holds signed
// 16-bit mono samples like the base form and encodes them only when it saves (one channel,
// 16 kbit/s, quality 9).  It cannot read MP3 files.
#ifndef KESTAR_SOUNDMP3_H
#define KESTAR_SOUNDMP3_H

#include "kestar/media/sound.h"

class SOUNDMP3 : public SOUND {
public:
    // "SOUND MP3:8000".
    explicit SOUNDMP3(STRING_SIZE_T blocksize);
    // SampleRate is the rate of the format text, 8000 when it has none.
    SOUNDMP3(const char *format, STRING_SIZE_T blocksize);

    // MP3 files are not read: assertion "FALSE", false.
    bool Load(const char *filename) override;
    // Encodes Data at SampleRate into an MP3 file, replacing an existing one.  true only when the
    // encoder accepted every step and every byte was written; a partly written file is removed.
    bool Save(const char *filename) const override;
    // "mp3".
    STRING GetExtension() const override;
    // Copies base's samples (16-bit only); SampleRate becomes base's rate and Format
    // "SOUND MP3:" + that rate.  false, nothing changed, for other samples or a rate of 0 or less.
    bool FromBase(const SOUND &base) override;
    // A new "SOUND BASE:" + SampleRate sound with a copy of Data.  The caller owns it.
    SOUND *ToBase() const override;
    // The resampling of the base form; SampleRate follows the new rate, so the file is
    // encoded at the rate the samples really have.
    bool Resample(int rate) override;

    int SampleRate; // samples per second of Data
};

#endif
