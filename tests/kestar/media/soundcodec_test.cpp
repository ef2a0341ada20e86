// Sample codings and resampling on plain arrays: the A-law table contract with the phone server,
// the G.711 mu-law coder, 8-bit PCM, and the edges of linear resampling.
#include "kestar/media/soundcodec.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

using namespace SOUNDCODEC;

namespace {

std::vector<uint8_t> Bytes(const std::vector<int> &samples)
{
    std::vector<uint8_t> bytes(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); i++)
        PutSample(bytes.data(), i, samples[i]);
    return bytes;
}

std::vector<int> Samples(const std::vector<uint8_t> &bytes)
{
    std::vector<int> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); i++)
        samples[i] = GetSample(bytes.data(), i);
    return samples;
}

} // namespace

// The server decodes our A-law files with exactly these tables, irregular entries included.
TEST(SOUNDCODEC, AlawTablesMatchTheServerContract)
{
    struct {
        int code, stored;
    } toAlaw[] = {{0, 85}, {2, 213}, {15, 37}, {112, 187}, {113, 187}, {127, 43},
                  {128, 84}, {171, 0}, {200, 198}, {254, 42}, {255, 42}};
    for (auto &c : toAlaw)
        EXPECT_EQ(UlawCodeToAlaw(static_cast<uint8_t>(c.code)), c.stored) << "code " << c.code;

    struct {
        int stored, sample;
    } toLinear[] = {{0, 5116}, {1, -5116}, {4, 20860}, {42, 8}, {43, -8},
                    // entries that differ from a textbook table but are the server's
                    {146, 428}, {210, 460}, {171, -8}, {254, 812}, {255, -812}, {84, 31100}};
    for (auto &c : toLinear)
        EXPECT_EQ(AlawToLinear(static_cast<uint8_t>(c.stored)), c.sample) << "byte " << c.stored;

    // A fingerprint of both whole tables, so that no entry can drift unnoticed.
    long long alaw = 0, ulaw = 0;
    for (int i = 0; i < 256; i++) {
        alaw += static_cast<long long>(i * i + 7) * AlawToLinear(static_cast<uint8_t>(i));
        ulaw += static_cast<long long>(i * i + 7) * UlawCodeToAlaw(static_cast<uint8_t>(i));
    }
    EXPECT_EQ(alaw, -188091932LL);
    EXPECT_EQ(ulaw, 694404408LL);
    for (int i = 0; i < 256; i += 2)
        EXPECT_EQ(AlawToLinear(static_cast<uint8_t>(i + 1)), -AlawToLinear(static_cast<uint8_t>(i)));
}

TEST(SOUNDCODEC, EncodesKnownSamples)
{
    struct {
        int sample, ulaw, decoded, alaw, wav8;
    } cases[] = {
        {0, 0xFF, 0, 42, 128},
        {1000, 0xCE, 988, 166, 131},
        {-1, 0x7F, 0, 43, 128},
        {-256, 0x67, -260, 35, 127},
        {32767, 0x80, 32124, 84, 255},
        {32635, 0x80, 32124, 84, 255},
        {-32768, 0x00, -32124, 85, 0},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.sample);
        EXPECT_EQ(LinearToUlaw(c.sample), c.ulaw);
        EXPECT_EQ(UlawToLinear(static_cast<uint8_t>(c.ulaw)), c.decoded);
        EXPECT_EQ(LinearToAlaw(c.sample), c.alaw);
        EXPECT_EQ(LinearToWav8(c.sample), c.wav8);
    }
    EXPECT_EQ(AlawToLinear(LinearToAlaw(0)), 8);
    EXPECT_EQ(Wav8ToLinear(0), -32768);
    EXPECT_EQ(Wav8ToLinear(128), 0);
    EXPECT_EQ(Wav8ToLinear(255), 32512);
}

TEST(SOUNDCODEC, MulawCodesSurviveDecodeAndEncode)
{
    for (int code = 0; code < 256; code++) {
        if (code == 0x7F) // negative zero decodes to 0, which encodes as positive zero
            continue;
        EXPECT_EQ(LinearToUlaw(UlawToLinear(static_cast<uint8_t>(code))), code) << code;
    }
    EXPECT_EQ(LinearToUlaw(UlawToLinear(0x7F)), 0xFF);
    for (int b = 0; b < 256; b++) {
        EXPECT_EQ(LinearToWav8(Wav8ToLinear(static_cast<uint8_t>(b))), b);
        EXPECT_EQ(ReverseBits(ReverseBits(static_cast<uint8_t>(b))), b);
    }
    EXPECT_EQ(ReverseBits(0x01), 0x80);
    EXPECT_EQ(ReverseBits(0x12), 0x48);
    EXPECT_EQ(ReverseBits(0xF0), 0x0F);
}

TEST(SOUNDCODEC, ResamplesShortSoundsWithoutReadingOutside)
{
    struct {
        std::vector<int> in;
        int oldRate, newRate;
        std::vector<int> out;
    } cases[] = {
        {{}, 8000, 16000, {}},
        {{7}, 8000, 16000, {7, 7}},
        {{7}, 16000, 8000, {}},
        {{7}, 8000, 8000, {7}},
        {{0, 100}, 8000, 16000, {0, 50, 100, 100}},
        {{0, -101}, 8000, 16000, {0, -50, -101, -101}},
        {{0, 100, 200}, 8000, 16000, {0, 50, 100, 150, 200, 200}},
        {{0, 100, 200}, 16000, 8000, {0}},
        {{0, 100, 200}, 8000, 8000, {0, 100, 200}},
        {{0, 300, 600}, 8000, 12000, {0, 200, 400, 600}},
        {{-32768, 32767, -32768}, 8000, 16000, {-32768, -1, 32767, 0, -32768, -32768}},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.size() << " samples " << c.oldRate << "->" << c.newRate);
        long long m = -1;
        ASSERT_TRUE(ResampledCount(static_cast<long long>(c.in.size()), c.oldRate, c.newRate, &m));
        ASSERT_EQ(m, static_cast<long long>(c.out.size()));
        // Exact-size heap buffers, so the sanitizers see any read or write outside them.
        std::vector<uint8_t> in = Bytes(c.in);
        std::vector<uint8_t> out(static_cast<size_t>(m) * 2, 0xA5);
        ASSERT_TRUE(Resample(in.empty() ? nullptr : in.data(), c.in.size(), c.oldRate, c.newRate,
                             out.empty() ? nullptr : out.data(), static_cast<size_t>(m)));
        EXPECT_EQ(Samples(out), c.out);
    }
}

TEST(SOUNDCODEC, LongUpsamplingFillsEveryOutputSample)
{
    std::vector<int> ramp;
    for (int i = 0; i < 1000; i++)
        ramp.push_back(i * 30 - 15000);
    long long m = 0;
    ASSERT_TRUE(ResampledCount(1000, 8000, 22050, &m));
    EXPECT_EQ(m, 2756);
    std::vector<uint8_t> in = Bytes(ramp);
    std::vector<uint8_t> out(static_cast<size_t>(m) * 2, 0xA5);
    ASSERT_TRUE(Resample(in.data(), 1000, 8000, 22050, out.data(), static_cast<size_t>(m)));
    std::vector<int> got = Samples(out);
    for (size_t i = 1; i < got.size(); i++)
        ASSERT_GE(got[i], got[i - 1]) << "at " << i; // a ramp stays a ramp: nothing left unset
    EXPECT_EQ(got.front(), -15000);
    EXPECT_EQ(got.back(), 14970); // the last source sample, held
}

TEST(SOUNDCODEC, RefusesBadRates)
{
    struct {
        long long n;
        int oldRate, newRate;
    } cases[] = {{10, 0, 8000}, {10, 8000, 0}, {10, -8000, 8000}, {10, 8000, -1},
                 {-1, 8000, 8000}, {100000, 1, INT_MAX}};
    for (auto &c : cases) {
        long long m = 99;
        EXPECT_FALSE(ResampledCount(c.n, c.oldRate, c.newRate, &m)) << c.oldRate << "->" << c.newRate;
        EXPECT_EQ(m, 0);
    }
    std::vector<uint8_t> in = Bytes({1, 2, 3});
    std::vector<uint8_t> out(6, 0xA5);
    EXPECT_FALSE(Resample(in.data(), 3, 0, 8000, out.data(), 3));
    EXPECT_FALSE(Resample(in.data(), 3, 8000, -5, out.data(), 3));
    EXPECT_EQ(out, std::vector<uint8_t>(6, 0xA5));
}
