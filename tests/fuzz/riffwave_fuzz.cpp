// Feeds arbitrary bytes to the WAVE reader's chunk walk as a damaged or hostile file could hold
// them.  Besides memory errors it checks that the data chunk found lies inside the file, and that
// a canonical file made from the format and data found reads back to the same format and bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "kestar/media/riffwave.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool SameFmt(const RIFFWAVE::FMT &a, const RIFFWAVE::FMT &b)
{
    return a.Tag == b.Tag && a.Channels == b.Channels && a.Rate == b.Rate && a.AvgBytes == b.AvgBytes &&
           a.BlockAlign == b.BlockAlign && a.Bits == b.Bits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    uint32_t declared = 0;
    RIFFWAVE::RESULT head = RIFFWAVE::ParseFormHeader(data, size, &declared);
    const uint8_t *body = nullptr;
    size_t bodyLen = 0;
    RIFFWAVE::RESULT form = RIFFWAVE::FindForm(data, size, &body, &bodyLen);
    Check(RIFFWAVE::ResultText(form) != nullptr);
    if (form != RIFFWAVE::WAVE_OK)
        return 0;
    Check(head == RIFFWAVE::WAVE_OK);
    Check(body >= data && bodyLen <= size && static_cast<size_t>(body - data) <= size - bodyLen);

    RIFFWAVE::FMT fmt;
    const uint8_t *samples = nullptr;
    size_t samplesLen = 0;
    if (RIFFWAVE::ParseBody(body, bodyLen, &fmt, &samples, &samplesLen) != RIFFWAVE::WAVE_OK)
        return 0;
    Check(samples != nullptr && samples >= body && samplesLen <= bodyLen &&
          static_cast<size_t>(samples - body) <= bodyLen - samplesLen);

    // The canonical file of what was found.
    std::vector<uint8_t> file(RIFFWAVE::kHeaderSize);
    RIFFWAVE::MakeHeader(fmt, static_cast<uint32_t>(samplesLen), file.data());
    file.insert(file.end(), samples, samples + samplesLen);
    if (samplesLen & 1)
        file.push_back(0); // the pad byte that the header counts
    const uint8_t *body2 = nullptr;
    size_t bodyLen2 = 0;
    Check(RIFFWAVE::FindForm(file.data(), file.size(), &body2, &bodyLen2) == RIFFWAVE::WAVE_OK);
    RIFFWAVE::FMT fmt2;
    const uint8_t *samples2 = nullptr;
    size_t samplesLen2 = 0;
    Check(RIFFWAVE::ParseBody(body2, bodyLen2, &fmt2, &samples2, &samplesLen2) == RIFFWAVE::WAVE_OK);
    Check(SameFmt(fmt, fmt2) && samplesLen2 == samplesLen &&
          (samplesLen == 0 || std::memcmp(samples2, samples, samplesLen) == 0));
    return 0;
}
