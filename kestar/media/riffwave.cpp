// The byte layout of RIFF WAVE files; see riffwave.h.
#include "kestar/media/riffwave.h"

#include <cstring>

namespace {

uint32_t Get32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int Get16(const uint8_t *p)
{
    return p[0] | (p[1] << 8);
}

void Put32(uint8_t *p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

void Put16(uint8_t *p, int v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

bool IsId(const uint8_t *p, const char *id)
{
    return std::memcmp(p, id, 4) == 0;
}

} // namespace

namespace RIFFWAVE {

const char *ResultText(RESULT result)
{
    switch (result) {
    case WAVE_OK: return "ok";
    case WAVE_NOTRIFF: return "no RIFF WAVE form";
    case WAVE_TRUNCATED: return "chunk size reaches past the end of the file";
    case WAVE_NOFMT: return "no fmt chunk";
    case WAVE_EMPTYFMT: return "empty fmt chunk";
    case WAVE_SHORTFMT: return "fmt chunk too short";
    case WAVE_NODATA: return "no data chunk";
    case WAVE_UNREADABLE: return "cannot be opened or read";
    }
    return "unknown";
}

RESULT ParseFormHeader(const uint8_t *header, size_t len, uint32_t *bodyLen)
{
    *bodyLen = 0;
    if (len < kFormHeader || !IsId(header, "RIFF") || !IsId(header + 8, "WAVE"))
        return WAVE_NOTRIFF;
    uint32_t size = Get32(header + 4);
    if (size < 4)
        return WAVE_TRUNCATED;
    *bodyLen = size - 4;
    return WAVE_OK;
}

RESULT FindForm(const uint8_t *file, size_t len, const uint8_t **body, size_t *bodyLen)
{
    *body = nullptr;
    *bodyLen = 0;
    uint32_t declared;
    RESULT result = ParseFormHeader(file, len, &declared);
    if (result != WAVE_OK)
        return result;
    if (declared > len - kFormHeader)
        return WAVE_TRUNCATED;
    *body = file + kFormHeader;
    *bodyLen = declared;
    return WAVE_OK;
}

RESULT ParseBody(const uint8_t *body, size_t len, FMT *fmt, const uint8_t **data, size_t *dataLen)
{
    *data = nullptr;
    *dataLen = 0;
    const uint8_t *fmtChunk = nullptr;
    size_t fmtLen = 0;
    const uint8_t *dataChunk = nullptr;
    size_t dataChunkLen = 0;
    bool fmtSeen = false, dataSeen = false;

    size_t pos = 0;
    while (len - pos >= 8 && !(fmtSeen && dataSeen)) {
        const uint8_t *chunk = body + pos;
        size_t size = Get32(chunk + 4);
        size_t remaining = len - pos - 8;
        if (size > remaining)
            return WAVE_TRUNCATED;
        if (!fmtSeen && IsId(chunk, "fmt ")) {
            fmtSeen = true;
            fmtChunk = chunk + 8;
            fmtLen = size;
        } else if (!dataSeen && IsId(chunk, "data")) {
            dataSeen = true;
            dataChunk = chunk + 8;
            dataChunkLen = size;
        }
        // size <= remaining, so this cannot wrap; the pad byte may be missing at the end.
        pos += 8 + size;
        if ((size & 1) && pos < len)
            pos++;
    }
    if (!fmtSeen)
        return WAVE_NOFMT;
    if (fmtLen == 0)
        return WAVE_EMPTYFMT;
    if (fmtLen < 16)
        return WAVE_SHORTFMT;
    if (!dataSeen)
        return WAVE_NODATA;

    fmt->Tag = Get16(fmtChunk);
    fmt->Channels = Get16(fmtChunk + 2);
    fmt->Rate = Get32(fmtChunk + 4);
    fmt->AvgBytes = Get32(fmtChunk + 8);
    fmt->BlockAlign = Get16(fmtChunk + 12);
    fmt->Bits = Get16(fmtChunk + 14);
    *data = dataChunk;
    *dataLen = dataChunkLen;
    return WAVE_OK;
}

void MakeFmt(const FMT &fmt, uint8_t out[kFmtSize])
{
    Put16(out, fmt.Tag);
    Put16(out + 2, fmt.Channels);
    Put32(out + 4, fmt.Rate);
    Put32(out + 8, fmt.AvgBytes);
    Put16(out + 12, fmt.BlockAlign);
    Put16(out + 14, fmt.Bits);
    Put16(out + 16, 0);
}

void MakeHeader(const FMT &fmt, uint32_t dataLen, uint8_t out[kHeaderSize])
{
    uint32_t padded = dataLen + (dataLen & 1);
    std::memcpy(out, "RIFF", 4);
    Put32(out + 4, static_cast<uint32_t>(4 + 8 + kFmtSize + 8) + padded);
    std::memcpy(out + 8, "WAVE", 4);
    std::memcpy(out + 12, "fmt ", 4);
    Put32(out + 16, static_cast<uint32_t>(kFmtSize));
    MakeFmt(fmt, out + 20);
    std::memcpy(out + 20 + kFmtSize, "data", 4);
    Put32(out + 24 + kFmtSize, dataLen);
}

} // namespace RIFFWAVE
