// The sound family: the factory, conversions through the base form, resampling, and WAVE files
// written and read back (also files that lie about their sizes or do not fit the object).
#include "kestar/media/sound.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "kestar/media/soundcodec.h"
#include "tests/support/bytes_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

std::vector<int> BytesOf(const BINARY &data)
{
    std::vector<int> bytes;
    for (STRING_SIZE_T i = 0; i < data.StrLen; i++)
        bytes.push_back(static_cast<uint8_t>(data.Buffer[i]));
    return bytes;
}

std::unique_ptr<SOUND> BaseSound(const std::vector<int> &samples, const char *format = "SOUND BASE:8000")
{
    std::string bytes(samples.size() * 2, '\0');
    for (size_t i = 0; i < samples.size(); i++)
        SOUNDCODEC::PutSample(reinterpret_cast<uint8_t *>(&bytes[0]), i, samples[i]);
    return std::unique_ptr<SOUND>(new SOUND(bytes.data(), static_cast<STRING_SIZE_T>(bytes.size()), format, 4096));
}

// A WAVE file image, chunk by chunk.
struct WAVEBYTES {
    std::string bytes;
    void Add32(uint32_t v)
    {
        for (int i = 0; i < 4; i++)
            bytes += static_cast<char>(v >> (8 * i));
    }
    void Add16(int v)
    {
        bytes += static_cast<char>(v);
        bytes += static_cast<char>(v >> 8);
    }
};

std::string WaveFile(int tag, int channels, uint32_t rate, int bits, const std::string &data,
                     long long dataSizeField = -1, long long riffSizeField = -1)
{
    WAVEBYTES w;
    w.bytes = "RIFF";
    size_t riffSize = 4 + 8 + 16 + 8 + data.size() + (data.size() & 1);
    w.Add32(riffSizeField >= 0 ? static_cast<uint32_t>(riffSizeField) : static_cast<uint32_t>(riffSize));
    w.bytes += "WAVEfmt ";
    w.Add32(16);
    w.Add16(tag);
    w.Add16(channels);
    w.Add32(rate);
    w.Add32(rate * channels * bits / 8);
    w.Add16(channels * bits / 8);
    w.Add16(bits);
    w.bytes += "data";
    w.Add32(dataSizeField >= 0 ? static_cast<uint32_t>(dataSizeField) : static_cast<uint32_t>(data.size()));
    w.bytes += data;
    if (data.size() & 1)
        w.bytes += '\0';
    return w.bytes;
}

void WriteFile(const std::string &name, const std::string &bytes)
{
    FILE *f = fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    fclose(f);
}

uint32_t Get32(const std::string &b, size_t at)
{
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
           static_cast<uint8_t>(b[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

} // namespace

TEST(SOUND, CreateMakesTheClassOfTheKeyword)
{
    struct {
        const char *format;
        const char *extension; // null: no object
    } cases[] = {
        {"SOUND WAV16:8000", "wav16"}, {"SOUND WAV8:11025", "wav8"}, {"SOUND ALAW:8000", "alaw"},
        {"sound ulaw:8000", "ulaw"},   {"SOUND Ulaw:16000", "ulaw"}, {"SOUND BASE:8000", ""},
        {"SOUND MP3:8000", nullptr},   {"SOUND XYZ:8000", nullptr},  {"IMAGE WAV16:8000", nullptr},
        {"", nullptr},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.format);
        std::unique_ptr<SOUND> sound(SOUND::Create(c.format));
        if (!c.extension) {
            EXPECT_EQ(sound, nullptr);
            continue;
        }
        ASSERT_NE(sound, nullptr);
        EXPECT_EQ(TextOf(sound->Format), c.format);
        EXPECT_EQ(TextOf(sound->GetExtension()), c.extension);
        EXPECT_EQ(sound->Data.StrLen, 0);
    }
    EXPECT_EQ(SOUND(nullptr, 4096).GetSampleRate(), 8000);
    EXPECT_EQ(SOUND("SOUND BASE:22050", 4096).GetSampleRate(), 22050);
}

TEST(SOUND, ConvertsThroughTheBaseForm)
{
    const std::vector<int> samples = {0, 1000, -1000, 32767, -32768, 256, -257, 12345};
    struct {
        const char *format;
        std::vector<int> stored; // what the coded object holds for samples (empty: 16-bit copy)
    } cases[] = {
        {"SOUND WAV16:8000", {}},
        {"SOUND WAV8:8000", {128, 131, 125, 255, 0, 129, 127, 176}},
        {"SOUND ULAW:8000", {}},
        {"SOUND ALAW:8000", {}},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.format);
        std::unique_ptr<SOUND> base = BaseSound(samples, "SOUND BASE:16000");
        std::unique_ptr<SOUND> coded(SOUND::Create(c.format));
        ASSERT_NE(coded, nullptr);
        ASSERT_TRUE(coded->FromBase(*base));
        std::string keyword = TextOf(STRING(c.format).Word(1).Token(0, ":"));
        EXPECT_EQ(TextOf(coded->Format), "SOUND " + keyword + ":16000"); // the rate comes from base
        if (!c.stored.empty()) {
            EXPECT_EQ(BytesOf(coded->Data), c.stored);
        }

        std::unique_ptr<SOUND> back(coded->ToBase());
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(TextOf(back->Format), "SOUND BASE:16000");
        std::vector<int> expected;
        for (int s : samples) {
            if (keyword == "WAV16")
                expected.push_back(s);
            else if (keyword == "WAV8")
                expected.push_back(SOUNDCODEC::Wav8ToLinear(SOUNDCODEC::LinearToWav8(s)));
            else if (keyword == "ULAW")
                expected.push_back(SOUNDCODEC::UlawToLinear(SOUNDCODEC::LinearToUlaw(s)));
            else
                expected.push_back(SOUNDCODEC::AlawToLinear(SOUNDCODEC::LinearToAlaw(s)));
        }
        EXPECT_EQ(SamplesOf(back->Data), expected);
    }

    // The fixed points of the in-memory codings: mu-law bytes are stored bit-reversed.
    std::unique_ptr<SOUND> silence = BaseSound({0, 1000});
    SOUNDULAW ulaw("SOUND ULAW:8000", 4096);
    ASSERT_TRUE(ulaw.FromBase(*silence));
    EXPECT_EQ(BytesOf(ulaw.Data), std::vector<int>({255, SOUNDCODEC::ReverseBits(0xCE)}));
    std::unique_ptr<SOUND> ulawBack(ulaw.ToBase());
    EXPECT_EQ(SamplesOf(ulawBack->Data), std::vector<int>({0, 988}));
    SOUNDALAW alaw("SOUND ALAW:8000", 4096);
    ASSERT_TRUE(alaw.FromBase(*silence));
    EXPECT_EQ(BytesOf(alaw.Data)[0], 42);
    std::unique_ptr<SOUND> alawBack(alaw.ToBase());
    EXPECT_EQ(SamplesOf(alawBack->Data)[0], 8);
}

TEST(SOUND, FromBaseNeedsSixteenBitSamples)
{
    std::unique_ptr<SOUND> base = BaseSound({100, 200});
    SOUNDWAV8 wav8("SOUND WAV8:8000", 4096);
    ASSERT_TRUE(wav8.FromBase(*base));

    SOUNDALAW alaw("SOUND ALAW:8000", 4096);
    EXPECT_FALSE(alaw.FromBase(wav8)); // 8-bit bytes are no 16-bit samples
    EXPECT_EQ(TextOf(alaw.Format), "SOUND ALAW:8000");
    EXPECT_EQ(alaw.Data.StrLen, 0);
    SOUND plain("SOUND BASE:8000", 4096);
    EXPECT_FALSE(plain.FromBase(wav8));
    EXPECT_TRUE(plain.Data.IsNull());

    // The base class takes a 16-bit sound as it is, format text included.
    SOUNDWAV16 wav16("SOUND WAV16:11025", 4096);
    ASSERT_TRUE(wav16.FromBase(*base));
    EXPECT_EQ(TextOf(wav16.Format), "SOUND WAV16:8000");
    ASSERT_TRUE(plain.FromBase(wav16));
    EXPECT_EQ(TextOf(plain.Format), "SOUND WAV16:8000");
    EXPECT_EQ(SamplesOf(plain.Data), std::vector<int>({100, 200}));
}

TEST(SOUND, ResampleKeepsRateAndDataTogether)
{
    struct {
        std::vector<int> in;
        int rate;
        std::vector<int> out;
    } cases[] = {
        {{}, 16000, {}},
        {{5}, 16000, {5, 5}},
        {{0, 10}, 16000, {0, 5, 10, 10}},
        {{0, 10, 20}, 4000, {0}},
        {{0, 30, 60}, 12000, {0, 20, 40, 60}},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.size() << " samples to " << c.rate);
        SOUNDWAV16 sound("SOUND WAV16:8000", 4096);
        std::unique_ptr<SOUND> base = BaseSound(c.in);
        ASSERT_TRUE(sound.FromBase(*base));
        ASSERT_TRUE(sound.Resample(c.rate));
        EXPECT_EQ(SamplesOf(sound.Data), c.out);
        EXPECT_EQ(sound.Data.StrLen, static_cast<STRING_SIZE_T>(c.out.size() * 2));
        EXPECT_EQ(sound.GetSampleRate(), c.rate);
        EXPECT_EQ(TextOf(sound.Format), "SOUND BASE:" + std::to_string(c.rate));
    }

    // Refused: a new rate of 0 or less, a sound whose own rate is unusable, 8-bit classes.
    std::unique_ptr<SOUND> base = BaseSound({1, 2, 3});
    for (int rate : {0, -8000}) {
        EXPECT_FALSE(base->Resample(rate));
        EXPECT_EQ(TextOf(base->Format), "SOUND BASE:8000");
        EXPECT_EQ(SamplesOf(base->Data), std::vector<int>({1, 2, 3}));
    }
    std::unique_ptr<SOUND> noRate = BaseSound({1, 2, 3}, "SOUND BASE:");
    EXPECT_FALSE(noRate->Resample(8000));
    std::unique_ptr<SOUND> zeroRate = BaseSound({1, 2, 3}, "SOUND BASE:0");
    EXPECT_FALSE(zeroRate->Resample(8000));
    EXPECT_EQ(SamplesOf(zeroRate->Data), std::vector<int>({1, 2, 3}));
    for (const char *format : {"SOUND WAV8:8000", "SOUND ALAW:8000", "SOUND ULAW:8000"}) {
        std::unique_ptr<SOUND> coded(SOUND::Create(format));
        ASSERT_TRUE(coded->FromBase(*base));
        std::vector<int> before = BytesOf(coded->Data);
        EXPECT_FALSE(coded->Resample(16000)) << format;
        EXPECT_EQ(TextOf(coded->Format), format);
        EXPECT_EQ(BytesOf(coded->Data), before);
    }
}

TEST(SOUND, WaveFilesRoundTrip)
{
    TEMPFOLDER folder;
    // An odd number of samples, so the 8-bit data chunks need their pad byte.
    const std::vector<int> samples = {0, 500, -500, 32767, -32768, 7, -7, 20000, -20000};
    struct {
        const char *format;
        int tag, bits;
    } cases[] = {
        {"SOUND WAV16:8000", 1, 16}, {"SOUND BASE:11025", 1, 16}, {"SOUND WAV8:8000", 1, 8},
        {"SOUND ALAW:8000", 6, 8},   {"SOUND ULAW:22050", 7, 8},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.format);
        STRING format(c.format);
        std::string rate = TextOf(format.Word(1).Token(1, ":"));
        std::unique_ptr<SOUND> base = BaseSound(samples, ("SOUND BASE:" + rate).c_str());
        std::unique_ptr<SOUND> sound(SOUND::Create(c.format));
        ASSERT_TRUE(sound->FromBase(*base));
        std::string name = folder.File(std::string("round") + TextOf(format.Word(1).Token(0, ":")) + ".wav");
        ASSERT_TRUE(sound->Save(name.c_str()));

        // The file itself: canonical header, mono, and codes in ordinary bit order.
        std::string file = ReadWholeFile(name);
        size_t dataLen = sound->Data.StrLen;
        ASSERT_EQ(file.size(), 46 + dataLen + (dataLen & 1));
        EXPECT_EQ(file.substr(0, 4), "RIFF");
        EXPECT_EQ(Get32(file, 4), file.size() - 8);
        EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(static_cast<uint8_t>(file[20]), c.tag);
        EXPECT_EQ(static_cast<uint8_t>(file[22]), 1);
        EXPECT_EQ(Get32(file, 24), static_cast<uint32_t>(std::stoi(rate)));
        EXPECT_EQ(static_cast<uint8_t>(file[34]), c.bits);
        EXPECT_EQ(Get32(file, 42), dataLen);
        uint8_t first = static_cast<uint8_t>(sound->Data.Buffer[0]);
        EXPECT_EQ(static_cast<uint8_t>(file[46]), c.tag == 1 ? first : SOUNDCODEC::ReverseBits(first));

        // Read back into a fresh object of the same format, and through LoadWaveFile.
        std::unique_ptr<SOUND> again(SOUND::Create(c.format));
        ASSERT_TRUE(again->Load(name.c_str()));
        EXPECT_EQ(BytesOf(again->Data), BytesOf(sound->Data));
        std::unique_ptr<SOUND> loaded(SOUND::LoadWaveFile(name.c_str()));
        ASSERT_NE(loaded, nullptr);
        std::string keyword = TextOf(format.Word(1).Token(0, ":"));
        EXPECT_EQ(TextOf(loaded->Format), "SOUND " + (keyword == "BASE" ? std::string("WAV16") : keyword) + ":" + rate);
        EXPECT_EQ(BytesOf(loaded->Data), BytesOf(sound->Data));
    }
}

TEST(SOUND, LoadTakesTheLeftChannelAndAppends)
{
    TEMPFOLDER folder;
    // Frames (left, right): 16-bit (100, -1), (200, -2); A-law bytes in file order.
    std::string stereo16 = std::string("\x64\x00\xff\xff\xc8\x00\xfe\xff", 8);
    std::string stereoAlaw = std::string("\x01\x02\x03\x04\x05\x06", 6);
    std::string monoUlaw = std::string("\x01\x80\xff", 3);
    WriteFile(folder.File("s16.wav"), WaveFile(1, 2, 8000, 16, stereo16));
    WriteFile(folder.File("salaw.wav"), WaveFile(6, 2, 8000, 8, stereoAlaw));
    WriteFile(folder.File("mulaw.wav"), WaveFile(7, 1, 8000, 8, monoUlaw));

    std::unique_ptr<SOUND> left(SOUND::LoadWaveFile(folder.File("s16.wav").c_str()));
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(TextOf(left->Format), "SOUND WAV16:8000");
    EXPECT_EQ(SamplesOf(left->Data), std::vector<int>({100, 200}));

    SOUNDALAW alaw("SOUND ALAW:8000", 4096);
    ASSERT_TRUE(alaw.Load(folder.File("salaw.wav").c_str()));
    EXPECT_EQ(BytesOf(alaw.Data), std::vector<int>({0x80, 0xC0, 0xA0})); // 1, 3, 5 bit-reversed

    SOUNDULAW ulaw("SOUND ULAW:8000", 4096);
    ulaw.Data.Append("\x11", 1);
    ASSERT_TRUE(ulaw.Load(folder.File("mulaw.wav").c_str()));
    ASSERT_TRUE(ulaw.Load(folder.File("mulaw.wav").c_str()));
    EXPECT_EQ(BytesOf(ulaw.Data), std::vector<int>({0x11, 0x80, 0x01, 0xFF, 0x80, 0x01, 0xFF}));
}

// Every format gives the first channel of each whole frame (the left one of a stereo file); the
// bytes of a last, incomplete frame are left out.
TEST(SOUND, FilesOfThreeOrMoreChannelsGiveTheirFirstChannel)
{
    TEMPFOLDER folder;
    struct {
        const char *what;
        int tag, channels, bits;
        std::string data;
        const char *format;
        std::vector<int> bytes; // Data after loading
    } cases[] = {
        // Frames (100, -1, 7), (200, -2, 8), then half a frame.
        {"16-bit, 3 channels", 1, 3, 16, std::string("\x64\x00\xff\xff\x07\x00\xc8\x00\xfe\xff\x08\x00\x01\x02", 14),
         "SOUND WAV16:8000", {0x64, 0x00, 0xC8, 0x00}},
        {"8-bit, 4 channels", 1, 4, 8, std::string("\x10\x20\x30\x40\x11\x21\x31\x41\x12", 9), "SOUND WAV8:8000",
         {0x10, 0x11}},
        // A-law and mu-law bytes are bit-reversed into the in-memory order.
        {"A-law, 3 channels", 6, 3, 8, std::string("\x01\x02\x03\x80\x05\x06", 6), "SOUND ALAW:8000", {0x80, 0x01}},
        {"mu-law, 6 channels", 7, 6, 8, std::string("\x03\x00\x00\x00\x00\x00\xc0\x00\x00\x00\x00\x00", 12),
         "SOUND ULAW:8000", {0xC0, 0x03}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::string name = folder.File("multi.wav");
        WriteFile(name, WaveFile(c.tag, c.channels, 8000, c.bits, c.data));
        std::unique_ptr<SOUND> sound(SOUND::Create(c.format));
        ASSERT_NE(sound, nullptr);
        ASSERT_TRUE(sound->Load(name.c_str()));
        EXPECT_EQ(BytesOf(sound->Data), c.bytes);
        std::unique_ptr<SOUND> loaded(SOUND::LoadWaveFile(name.c_str()));
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(TextOf(loaded->Format), c.format);
        EXPECT_EQ(BytesOf(loaded->Data), c.bytes);
    }
}

// Windows' wave file functions take names of at most 259 characters (MAX_PATH with its
// terminator): such a name works, a longer one is refused without writing or reading anything.
// The native build has no such limit.
TEST(SOUND, LongFileNames)
{
    TEMPFOLDER folder;
    auto named = [&](size_t length) {
        std::string name = folder.File("");
        return name + std::string(length - name.size() - 4, 'n') + ".wav";
    };
    std::unique_ptr<SOUND> base = BaseSound({1, -2, 3});
    SOUNDWAV16 wav("SOUND WAV16:8000", 4096);
    ASSERT_TRUE(wav.FromBase(*base));

    std::string longest = named(259);
    ASSERT_EQ(longest.size(), 259u);
    ASSERT_TRUE(wav.Save(longest.c_str()));
    std::unique_ptr<SOUND> back(SOUND::LoadWaveFile(longest.c_str()));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(BytesOf(back->Data), BytesOf(wav.Data));

    std::string tooLong = named(260);
    ASSERT_EQ(tooLong.size(), 260u);
    SOUNDWAV16 other("SOUND WAV16:8000", 4096);
    other.Data.Append("\x11\x22", 2);
#ifdef _WIN32
    EXPECT_FALSE(wav.Save(tooLong.c_str()));
    // Not cut to a name that fits either.
    EXPECT_FALSE(FileExistsForTest(tooLong.substr(0, 259)));
    EXPECT_FALSE(other.Load(tooLong.c_str()));
    EXPECT_EQ(BytesOf(other.Data), std::vector<int>({0x11, 0x22}));
    EXPECT_EQ(SOUND::LoadWaveFile(tooLong.c_str()), nullptr);
#else
    ASSERT_TRUE(wav.Save(tooLong.c_str()));
    ASSERT_TRUE(other.Load(tooLong.c_str()));
    EXPECT_EQ(BytesOf(other.Data), std::vector<int>({0x11, 0x22, 0x01, 0x00, 0xFE, 0xFF, 0x03, 0x00}));
#endif
}

TEST(SOUND, LoadRefusesBadOrMismatchingFiles)
{
    TEMPFOLDER folder;
    std::string pcm(100, '\x10');
    struct {
        const char *what;
        std::string file; // empty: no file at all
        const char *format;
        bool broken; // LoadWaveFile, which takes any supported format, must refuse it too
    } cases[] = {
        {"missing file", "", "SOUND WAV16:8000", true},
        {"text file", std::string(200, 'x'), "SOUND WAV16:8000", true},
        {"data size past the end", WaveFile(1, 1, 8000, 16, pcm, 102), "SOUND WAV16:8000", true},
        {"data size 0xFFFFFFFF", WaveFile(1, 1, 8000, 16, pcm, 0xFFFFFFFFLL), "SOUND WAV16:8000", true},
        {"RIFF size past the end", WaveFile(1, 1, 8000, 16, pcm, -1, 1000), "SOUND WAV16:8000", true},
        {"file cut in the data", WaveFile(1, 1, 8000, 16, pcm).substr(0, 80), "SOUND WAV16:8000", true},
        {"no channels", WaveFile(1, 0, 8000, 16, pcm), "SOUND WAV16:8000", true},
        {"A-law file for a WAV16 sound", WaveFile(6, 1, 8000, 8, pcm), "SOUND WAV16:8000", false},
        {"8-bit PCM for a WAV16 sound", WaveFile(1, 1, 8000, 8, pcm), "SOUND WAV16:8000", false},
        {"16-bit PCM for a WAV8 sound", WaveFile(1, 1, 8000, 16, pcm), "SOUND WAV8:8000", false},
        {"mu-law file for an A-law sound", WaveFile(7, 1, 8000, 8, pcm), "SOUND ALAW:8000", false},
        {"other rate", WaveFile(1, 1, 16000, 16, pcm), "SOUND WAV16:8000", false},
    };
    int n = 0;
    for (auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::string name = folder.File("bad" + std::to_string(n++) + ".wav");
        if (!c.file.empty())
            WriteFile(name, c.file);
        std::unique_ptr<SOUND> sound(SOUND::Create(c.format));
        sound->Data.Append("kept", 4);
        EXPECT_FALSE(sound->Load(name.c_str()));
        EXPECT_EQ(TextOf(sound->Data), "kept");
        std::unique_ptr<SOUND> loaded(SOUND::LoadWaveFile(name.c_str()));
        EXPECT_EQ(loaded == nullptr, c.broken);
    }
    // Formats the family does not hold.
    WriteFile(folder.File("pcm24.wav"), WaveFile(1, 1, 8000, 24, pcm.substr(0, 99)));
    WriteFile(folder.File("float.wav"), WaveFile(3, 1, 8000, 32, pcm));
    EXPECT_EQ(std::unique_ptr<SOUND>(SOUND::LoadWaveFile(folder.File("pcm24.wav").c_str())), nullptr);
    EXPECT_EQ(std::unique_ptr<SOUND>(SOUND::LoadWaveFile(folder.File("float.wav").c_str())), nullptr);
}

TEST(SOUND, SaveFailsWithoutWritingGarbage)
{
    TEMPFOLDER folder;
    std::unique_ptr<SOUND> base = BaseSound({1, 2, 3});
    std::string nowhere = folder.File("no-such-folder") + "/x.wav";
    EXPECT_FALSE(base->Save(nowhere.c_str()));

    // A sound whose format names no coding cannot say what its bytes are.
    SOUND unknown("SOUND XYZ:8000", 4096);
    unknown.Data.Append("abcd", 4);
    std::string name = folder.File("unknown.wav");
    EXPECT_FALSE(unknown.Save(name.c_str()));
    EXPECT_FALSE(FileExistsForTest(name));
    SOUND noRate("SOUND WAV16:0", 4096);
    EXPECT_FALSE(noRate.Save(name.c_str()));
    EXPECT_FALSE(FileExistsForTest(name));
}
