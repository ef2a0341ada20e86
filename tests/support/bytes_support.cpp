#include "tests/support/bytes_support.h"

#include "kestar/media/soundcodec.h"

std::string TextOf(const BINARY &s, const char *nullText)
{
    return s.Buffer ? std::string(s.Buffer, static_cast<size_t>(s.StrLen)) : std::string(nullText);
}

STRING StringOf(const std::string &s)
{
    return STRING::FromBytes(s.data(), static_cast<STRING_SIZE_T>(s.size()));
}

std::vector<uint8_t> ByteVectorOf(const BINARY &data)
{
    const uint8_t *p = reinterpret_cast<const uint8_t *>(data.GetBuffer());
    return data.IsNull() ? std::vector<uint8_t>() : std::vector<uint8_t>(p, p + data.Length());
}

void Set32(std::vector<uint8_t> &v, size_t at, uint32_t x)
{
    for (int i = 0; i < 4; i++)
        v.at(at + i) = static_cast<uint8_t>(x >> (8 * i));
}

std::vector<int> SamplesOf(const BINARY &data)
{
    std::vector<int> samples;
    for (STRING_SIZE_T i = 0; i + 1 < data.StrLen; i += 2)
        samples.push_back(SOUNDCODEC::GetSample(reinterpret_cast<const uint8_t *>(data.Buffer), i / 2));
    return samples;
}
