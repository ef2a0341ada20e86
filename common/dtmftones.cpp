// The DTMF tone synthesis (see dtmftones.h).
#include "common/dtmftones.h"

#include <algorithm>
#include <cmath>
#include <cstring>

const char *const DTMFTONES::kKeys = "123A456B789C*0#D";

namespace {

const int kLowHz[4] = {697, 770, 852, 941};
const int kHighHz[4] = {1209, 1336, 1477, 1633};

} // namespace

bool DTMFTONES::GetFrequencies(char key, int &lowHz, int &highHz)
{
    if (key == '\0')
        return false;
    const char *found = std::strchr(kKeys, key);
    if (!found)
        return false;
    const int index = static_cast<int>(found - kKeys);
    lowHz = kLowHz[index / 4];
    highHz = kHighHz[index % 4];
    return true;
}

std::vector<int16_t> DTMFTONES::Make(const char *text)
{
    std::vector<int16_t> samples;
    if (!text)
        return samples;
    std::vector<int16_t> block(kBlockSamples, kFiller);
    samples.reserve(std::strlen(text) * kBlockSamples);
    for (const char *c = text; *c; ++c) {
        int low = 0;
        int high = 0;
        if (GetFrequencies(*c, low, high)) {
            // 3.141592, not full-precision pi, is part of the tone as the product has always made it.
            for (int j = 0; j < kToneSamples; ++j)
                block[j] = static_cast<int16_t>(std::sin(2 * 3.141592 * j * low / kSampleRate) * 4096 +
                                                std::sin(2 * 3.141592 * j * high / kSampleRate) * 4096);
        } else {
            std::fill(block.begin(), block.begin() + kToneSamples, kFiller);
        }
        samples.insert(samples.end(), block.begin(), block.end());
    }
    return samples;
}
