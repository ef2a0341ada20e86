// The notification sounds of a call under Wine (the null audio device of tools/test.sh): the
// files of the list play one after the other, each to its end, up to the first empty field.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "client/app.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

// A mono 16-bit 8000 Hz wave file of ms milliseconds of a quiet tone.
void WriteWave(const std::string &name, int ms)
{
    const uint32_t samples = static_cast<uint32_t>(8 * ms);
    const uint32_t dataBytes = samples * 2;
    std::vector<char> bytes;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto put16 = [&](uint16_t v) {
        bytes.push_back(static_cast<char>(v & 0xFF));
        bytes.push_back(static_cast<char>(v >> 8));
    };
    auto tag = [&](const char *t) { bytes.insert(bytes.end(), t, t + 4); };
    tag("RIFF");
    put32(36 + dataBytes);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);
    put16(1);
    put32(8000);
    put32(16000);
    put16(2);
    put16(16);
    tag("data");
    put32(dataBytes);
    for (uint32_t i = 0; i < samples; ++i)
        put16(static_cast<uint16_t>((i / 8) % 2 ? 800 : -800));
    std::ofstream(name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The log time (seconds) of the first line containing text, -1 when none.
double LoggedAt(const std::string &log, const std::string &text)
{
    const size_t at = log.find(text);
    if (at == std::string::npos)
        return -1;
    const size_t line = log.rfind('\n', at);
    return std::atof(log.c_str() + (line == std::string::npos ? 0 : line + 1) + 1);
}

std::vector<std::string> Played(const std::string &log)
{
    std::vector<std::string> files;
    const std::string mark = "APP::PlaySound playing \"";
    for (size_t at = log.find(mark); at != std::string::npos; at = log.find(mark, at + 1)) {
        const size_t from = at + mark.size();
        files.push_back(log.substr(from, log.find('"', from) - from));
    }
    return files;
}

} // namespace

TEST(CALLHELPERS, PlaySoundPlaysTheListInOrder)
{
    TEMPFOLDER work;
    const std::string a = work.File("a.wav");
    const std::string b = work.File("b.wav");
    WriteWave(a, 300);
    WriteWave(b, 300);
    std::string text;
    {
        LOGCAPTURE log;
        EXPECT_EQ(APP::PlaySound(new STRING((a + "\t" + b).c_str())), 0u);
        text = log.Text();
    }
    EXPECT_EQ(Played(text), (std::vector<std::string>{a, b}));
    EXPECT_NE(text.find("APP::PlaySound(\"" + a + "\t" + b + "\")"), std::string::npos);
    // One after the other: the second is started after the first (how long the null audio device
    // takes for a file is its own affair, so no duration is asserted).
    const double first = LoggedAt(text, "playing \"" + a);
    const double second = LoggedAt(text, "playing \"" + b);
    ASSERT_GE(first, 0);
    EXPECT_GE(second, first) << text;

    LOGCAPTURE one;
    EXPECT_EQ(APP::PlaySound(new STRING((a + "\t").c_str())), 0u);
    EXPECT_EQ(Played(one.Text()), std::vector<std::string>{a});
}
