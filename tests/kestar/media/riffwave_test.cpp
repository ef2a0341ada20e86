// RIFF WAVE byte layout: well-formed files, odd chunks, and sizes that lie about the bytes that
// remain (the sanitizers of the native build watch every case for reads outside the buffer).
#include "kestar/media/riffwave.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace RIFFWAVE;

namespace {

typedef std::vector<uint8_t> BYTES;

void Add32(BYTES &b, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Add16(BYTES &b, int v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void AddChunk(BYTES &b, const char *id, const BYTES &content, bool pad = true)
{
    b.insert(b.end(), id, id + 4);
    Add32(b, static_cast<uint32_t>(content.size()));
    b.insert(b.end(), content.begin(), content.end());
    if (pad && (content.size() & 1))
        b.push_back(0);
}

BYTES Fmt(int tag, int channels, uint32_t rate, int bits, size_t size = 16)
{
    BYTES f;
    Add16(f, tag);
    Add16(f, channels);
    Add32(f, rate);
    Add32(f, rate * channels * bits / 8);
    Add16(f, channels * bits / 8);
    Add16(f, bits);
    f.resize(size, 0);
    return f;
}

// A whole file image: "RIFF", the form size (or a given one), "WAVE" and the chunks.
BYTES File(const BYTES &chunks, long long riffSize = -1)
{
    BYTES b = {'R', 'I', 'F', 'F'};
    Add32(b, riffSize >= 0 ? static_cast<uint32_t>(riffSize) : static_cast<uint32_t>(chunks.size() + 4));
    b.insert(b.end(), {'W', 'A', 'V', 'E'});
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

// Parses a file image held in a heap block of exactly its size.
RESULT Parse(const BYTES &file, FMT *fmt, BYTES *data)
{
    const uint8_t *body;
    size_t bodyLen;
    RESULT r = FindForm(file.data(), file.size(), &body, &bodyLen);
    if (r != WAVE_OK)
        return r;
    const uint8_t *d;
    size_t dLen;
    r = ParseBody(body, bodyLen, fmt, &d, &dLen);
    if (r == WAVE_OK)
        data->assign(d, d + dLen);
    return r;
}

} // namespace

TEST(RIFFWAVE, ReadsWellFormedFiles)
{
    const BYTES five = {1, 2, 3, 4, 5};
    BYTES junk = {9, 9, 9};
    struct {
        const char *what;
        BYTES file;
        int tag, channels, rate, bits;
    } cases[] = {
        {"plain", File([&] { BYTES c; AddChunk(c, "fmt ", Fmt(1, 1, 8000, 16)); AddChunk(c, "data", five); return c; }()), 1, 1, 8000, 16},
        {"fmt of 18 bytes, odd chunk padded before data",
         File([&] { BYTES c; AddChunk(c, "fmt ", Fmt(6, 1, 8000, 8, 18)); AddChunk(c, "LIST", junk); AddChunk(c, "data", five); return c; }()), 6, 1, 8000, 8},
        {"data before fmt", File([&] { BYTES c; AddChunk(c, "data", five); AddChunk(c, "fmt ", Fmt(7, 2, 11025, 8)); return c; }()), 7, 2, 11025, 8},
        {"odd last chunk without its pad byte",
         File([&] { BYTES c; AddChunk(c, "fmt ", Fmt(1, 1, 22050, 8)); AddChunk(c, "data", five, false); return c; }()), 1, 1, 22050, 8},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.what);
        FMT fmt;
        BYTES data;
        ASSERT_EQ(Parse(c.file, &fmt, &data), WAVE_OK);
        EXPECT_EQ(fmt.Tag, c.tag);
        EXPECT_EQ(fmt.Channels, c.channels);
        EXPECT_EQ(fmt.Rate, static_cast<uint32_t>(c.rate));
        EXPECT_EQ(fmt.Bits, c.bits);
        EXPECT_EQ(data, five);
    }
}

TEST(RIFFWAVE, RefusesMalformedAndLyingFiles)
{
    const BYTES five = {1, 2, 3, 4, 5};
    BYTES good;
    AddChunk(good, "fmt ", Fmt(1, 1, 8000, 16));
    AddChunk(good, "data", five);

    // The data chunk's size field sits 4 bytes into the data chunk header.
    auto withDataSize = [&](uint32_t size) {
        BYTES f = File(good);
        size_t at = 12 + 8 + 16 + 4;
        for (int i = 0; i < 4; i++)
            f[at + i] = static_cast<uint8_t>(size >> (8 * i));
        return f;
    };
    auto withFmtSize = [&](uint32_t size) {
        BYTES f = File(good);
        for (int i = 0; i < 4; i++)
            f[16 + i] = static_cast<uint8_t>(size >> (8 * i));
        return f;
    };
    BYTES noData;
    AddChunk(noData, "fmt ", Fmt(1, 1, 8000, 16));
    BYTES noFmt;
    AddChunk(noFmt, "data", five);
    BYTES shortFmt;
    AddChunk(shortFmt, "fmt ", Fmt(1, 1, 8000, 16, 14));
    AddChunk(shortFmt, "data", five);
    BYTES emptyFmt;
    AddChunk(emptyFmt, "fmt ", BYTES());
    AddChunk(emptyFmt, "data", five);
    BYTES text(64, 'x');
    BYTES riffOnly = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A'};
    BYTES notWave = File(good);
    notWave[11] = 'X';

    struct {
        const char *what;
        BYTES file;
        RESULT expected;
    } cases[] = {
        {"empty file", BYTES(), WAVE_NOTRIFF},
        {"text file", text, WAVE_NOTRIFF},
        {"header cut short", riffOnly, WAVE_NOTRIFF},
        {"form type not WAVE", notWave, WAVE_NOTRIFF},
        {"RIFF size past the end", File(good, static_cast<long long>(good.size()) + 4 + 100), WAVE_TRUNCATED},
        {"RIFF size 0xFFFFFFFF", File(good, 0xFFFFFFFFLL), WAVE_TRUNCATED},
        {"RIFF size below the form type", File(good, 2), WAVE_TRUNCATED},
        {"data size one past the end (the pad byte is the last)", withDataSize(7), WAVE_TRUNCATED},
        {"data size 0xFFFFFFFF (wraps when one is added)", withDataSize(0xFFFFFFFFu), WAVE_TRUNCATED},
        {"data size 0xFFFFFFF8 (wraps when the header is added)", withDataSize(0xFFFFFFF8u), WAVE_TRUNCATED},
        {"fmt size 0xFFFFFFFF", withFmtSize(0xFFFFFFFFu), WAVE_TRUNCATED},
        {"fmt size past the end", withFmtSize(1000), WAVE_TRUNCATED},
        {"no data chunk", File(noData), WAVE_NODATA},
        {"no fmt chunk", File(noFmt), WAVE_NOFMT},
        {"fmt of 14 bytes", File(shortFmt), WAVE_SHORTFMT},
        {"fmt of 0 bytes", File(emptyFmt), WAVE_EMPTYFMT},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.what);
        FMT fmt;
        fmt.Tag = 99;
        BYTES data;
        EXPECT_EQ(Parse(c.file, &fmt, &data), c.expected);
        EXPECT_EQ(fmt.Tag, 99); // untouched on failure
        EXPECT_TRUE(data.empty());
    }
}

TEST(RIFFWAVE, HeaderIsCanonicalAndParsesBack)
{
    FMT fmt;
    fmt.Tag = 6;
    fmt.Channels = 1;
    fmt.Rate = 8000;
    fmt.AvgBytes = 8000;
    fmt.BlockAlign = 1;
    fmt.Bits = 8;
    uint8_t header[kHeaderSize];
    MakeHeader(fmt, 3, header);
    BYTES file(header, header + kHeaderSize);
    file.insert(file.end(), {0x11, 0x22, 0x33, 0});

    EXPECT_EQ(kHeaderSize, 46u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(header), 4), "RIFF");
    EXPECT_EQ(header[4] | header[5] << 8, static_cast<int>(file.size() - 8)); // pad byte included
    EXPECT_EQ(header[16], 18); // WAVEFORMATEX with cbSize
    EXPECT_EQ(header[42], 3);  // the data size itself excludes the pad byte

    FMT back;
    BYTES data;
    ASSERT_EQ(Parse(file, &back, &data), WAVE_OK);
    EXPECT_EQ(back.Tag, 6);
    EXPECT_EQ(back.Channels, 1);
    EXPECT_EQ(back.Rate, 8000u);
    EXPECT_EQ(back.AvgBytes, 8000u);
    EXPECT_EQ(back.BlockAlign, 1);
    EXPECT_EQ(back.Bits, 8);
    EXPECT_EQ(data, BYTES({0x11, 0x22, 0x33}));
}
