// SOUNDMP3 files: whatever the length of the sound, the file is a clean run of mono 16 kbit/s
// MPEG audio layer III frames that lasts as long as the samples.
#include "kestar/media/soundmp3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "kestar/media/soundcodec.h"
#include "tests/support/tempfolder_support.h"

namespace {

struct FRAMES {
    bool valid = true;
    std::string error;
    int count = 0;
    int outRate = 0;
    double seconds = 0;
};

// Walks the file frame by frame from its first byte to its last.
FRAMES WalkFrames(const std::string &file)
{
    static const int kBitrates2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    static const int kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    FRAMES frames;
    size_t pos = 0;
    while (pos < file.size()) {
        if (file.size() - pos < 4) {
            frames.valid = false;
            frames.error = "bytes after the last frame";
            break;
        }
        const unsigned char *h = reinterpret_cast<const unsigned char *>(file.data() + pos);
        int version = (h[1] >> 3) & 3;
        int layer = (h[1] >> 1) & 3;
        int bitrateIndex = h[2] >> 4;
        int rateIndex = (h[2] >> 2) & 3;
        int padding = (h[2] >> 1) & 1;
        int mode = h[3] >> 6;
        if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0 || version == 1 || layer != 1 || rateIndex == 3) {
            frames.valid = false;
            frames.error = "no frame header at " + std::to_string(pos);
            break;
        }
        int bitrate = version == 3 ? 0 : kBitrates2[bitrateIndex]; // 16 kbit/s only exists below MPEG-1
        int rate = kRates[version][rateIndex];
        if (bitrate != 16 || mode != 3 || (frames.outRate && rate != frames.outRate)) {
            frames.valid = false;
            frames.error = "frame " + std::to_string(frames.count) + " is not 16 kbit/s mono at one rate";
            break;
        }
        frames.outRate = rate;
        frames.count++;
        frames.seconds += 576.0 / rate;
        pos += 72 * bitrate * 1000 / rate + padding;
    }
    return frames;
}

SOUND Tone(int count, int rate)
{
    std::string bytes(static_cast<size_t>(count) * 2, '\0');
    for (int i = 0; i < count; i++)
        SOUNDCODEC::PutSample(reinterpret_cast<uint8_t *>(&bytes[0]), i,
                              static_cast<int>(8000 * std::sin(2 * 3.141592 * 440 * i / rate)));
    STRING format;
    format.Format("SOUND BASE:%d", rate);
    return SOUND(bytes.data(), static_cast<STRING_SIZE_T>(bytes.size()), format, 4096);
}

} // namespace

TEST(SOUNDMP3, SavesWholeMonoFramesOfAnyLength)
{
    TEMPFOLDER folder;
    struct {
        int samples, rate;
    } cases[] = {{0, 8000}, {1, 8000}, {10, 8000}, {575, 8000}, {8000, 8000}, {40000, 8000}, {16000, 16000}, {11025, 11025}};
    for (auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.samples << " samples at " << c.rate);
        SOUNDMP3 mp3(20000);
        ASSERT_TRUE(mp3.FromBase(Tone(c.samples, c.rate)));
        std::string name = folder.File("tone" + std::to_string(c.samples) + "_" + std::to_string(c.rate) + ".mp3");
        ASSERT_TRUE(mp3.Save(name.c_str()));
        std::string file = ReadWholeFile(name);
        FRAMES frames = WalkFrames(file);
        EXPECT_TRUE(frames.valid) << frames.error;
        if (c.samples > 0) {
            EXPECT_GT(frames.count, 0);
            EXPECT_GE(frames.seconds, static_cast<double>(c.samples) / c.rate);
            EXPECT_LT(frames.seconds, static_cast<double>(c.samples) / c.rate + 0.5);
        }
    }
}

TEST(SOUNDMP3, ResampledSoundKeepsItsDuration)
{
    TEMPFOLDER folder;
    SOUNDMP3 mp3(20000);
    ASSERT_TRUE(mp3.FromBase(Tone(16000, 8000))); // two seconds
    ASSERT_TRUE(mp3.Resample(16000));
    std::string name = folder.File("resampled.mp3");
    ASSERT_TRUE(mp3.Save(name.c_str()));
    FRAMES frames = WalkFrames(ReadWholeFile(name));
    ASSERT_TRUE(frames.valid) << frames.error;
    EXPECT_GE(frames.seconds, 2.0);
    EXPECT_LT(frames.seconds, 2.5); // encoded at the old rate it would last four seconds
}

TEST(SOUNDMP3, SaveFailureLeavesNoFile)
{
    TEMPFOLDER folder;
    SOUNDMP3 mp3(20000);
    ASSERT_TRUE(mp3.FromBase(Tone(800, 8000)));
    std::string nowhere = folder.File("no-such-folder") + "\\x.mp3";
    EXPECT_FALSE(mp3.Save(nowhere.c_str()));

    std::string name = folder.File("badrate.mp3");
    mp3.SampleRate = 0;
    EXPECT_FALSE(mp3.Save(name.c_str()));
    EXPECT_FALSE(FileExistsForTest(name));
}
