// DTMFTONES: the tone data that plays a phone number as DTMF tones through a loudspeaker, for a
// handset held to it.  8000 Hz, signed 16-bit mono; each character gives one block of 1536
// samples: 768 samples of its tone pair, then 768 filler samples (257, near silence).  Portable.
#ifndef COMMON_DTMFTONES_H
#define COMMON_DTMFTONES_H

#include <cstdint>
#include <vector>

class DTMFTONES {
public:
    static constexpr int kSampleRate = 8000;
    static constexpr int kBlockSamples = 1536;
    static constexpr int kToneSamples = 768;
    // Every sample of a fresh block: the bytes 01 01.
    static constexpr int16_t kFiller = 257;
    // The keys as four rows of four: the row gives the low tone, the column the high tone.
    static const char *const kKeys;

    // The samples for text, one block per character.  A character that is no key (matched
    // case-sensitively) gives a block of filler only: a pause, not a repeat of the tone before.
    // A null text gives none.
    static std::vector<int16_t> Make(const char *text);
    // false when key is no key; the frequencies are then unchanged.
    static bool GetFrequencies(char key, int &lowHz, int &highHz);
};

#endif
