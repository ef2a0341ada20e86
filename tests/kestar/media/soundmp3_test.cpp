// SOUNDMP3 in memory: taking samples from the base form, giving them back, and keeping its rate
// with its samples through resampling.
#include "kestar/media/soundmp3.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kestar/media/soundcodec.h"
#include "tests/support/bytes_support.h"

namespace {

SOUND BaseOf(const std::vector<int> &samples, const char *format)
{
    std::string bytes(samples.size() * 2, '\0');
    for (size_t i = 0; i < samples.size(); i++)
        SOUNDCODEC::PutSample(reinterpret_cast<uint8_t *>(&bytes[0]), i, samples[i]);
    return SOUND(bytes.data(), static_cast<STRING_SIZE_T>(bytes.size()), format, 4096);
}

} // namespace

TEST(SOUNDMP3, TakesAndGivesBackBaseSamples)
{
    SOUNDMP3 mp3(20000);
    EXPECT_EQ(TextOf(mp3.Format), "SOUND MP3:8000");
    EXPECT_EQ(mp3.SampleRate, 8000);
    EXPECT_EQ(TextOf(mp3.GetExtension()), "mp3");

    struct {
        const char *format;
        int rate;
    } bases[] = {{"SOUND BASE:8000", 8000}, {"SOUND WAV16:16000", 16000}, {"SOUND BASE:11025", 11025}};
    for (auto &b : bases) {
        SCOPED_TRACE(b.format);
        SOUND base = BaseOf({1, -2, 300, -32768, 32767}, b.format);
        ASSERT_TRUE(mp3.FromBase(base));
        EXPECT_EQ(mp3.SampleRate, b.rate);
        EXPECT_EQ(TextOf(mp3.Format), "SOUND MP3:" + std::to_string(b.rate));
        std::unique_ptr<SOUND> back(mp3.ToBase());
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(TextOf(back->Format), "SOUND BASE:" + std::to_string(b.rate));
        EXPECT_EQ(SamplesOf(back->Data), std::vector<int>({1, -2, 300, -32768, 32767}));
    }

    // 8-bit bytes and unusable rates are refused and change nothing.
    SOUND base = BaseOf({5, 6}, "SOUND BASE:8000");
    SOUNDWAV8 wav8("SOUND WAV8:8000", 4096);
    ASSERT_TRUE(wav8.FromBase(base));
    EXPECT_FALSE(mp3.FromBase(wav8));
    SOUND noRate = BaseOf({5, 6}, "SOUND BASE:0");
    EXPECT_FALSE(mp3.FromBase(noRate));
    EXPECT_EQ(mp3.SampleRate, 11025);
    EXPECT_EQ(SamplesOf(mp3.Data).size(), 5u);

    EXPECT_FALSE(mp3.Load("any.mp3"));
    EXPECT_EQ(SOUNDMP3("SOUND MP3:22050", 4096).SampleRate, 22050);
    EXPECT_EQ(SOUNDMP3("SOUND MP3:", 4096).SampleRate, 8000);
}

TEST(SOUNDMP3, ResampleMovesTheRateWithTheSamples)
{
    SOUNDMP3 mp3(4096);
    SOUND base = BaseOf({0, 100, 200, 300}, "SOUND BASE:8000");
    ASSERT_TRUE(mp3.FromBase(base));
    ASSERT_TRUE(mp3.Resample(16000));
    EXPECT_EQ(mp3.SampleRate, 16000);
    EXPECT_EQ(mp3.GetSampleRate(), 16000);
    EXPECT_EQ(SamplesOf(mp3.Data), std::vector<int>({0, 50, 100, 150, 200, 250, 300, 300}));
    std::unique_ptr<SOUND> back(mp3.ToBase());
    EXPECT_EQ(TextOf(back->Format), "SOUND BASE:16000");

    EXPECT_FALSE(mp3.Resample(0));
    EXPECT_EQ(mp3.SampleRate, 16000);
    EXPECT_EQ(SamplesOf(mp3.Data).size(), 8u);
}
