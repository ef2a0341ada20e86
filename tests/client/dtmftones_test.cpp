// DTMFTONES: the tone data of a dialled number; PHONENUMBER: the number found in a text.
#include "common/dtmftones.h"
#include "common/phonenumber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// The tone formula with the product's 3.141592, computed here on its own.
int16_t Expected(int j, int low, int high)
{
    const double a = std::sin(2.0 * 3.141592 * j * low / 8000.0) * 4096.0;
    const double b = std::sin(2.0 * 3.141592 * j * high / 8000.0) * 4096.0;
    return static_cast<int16_t>(std::trunc(a + b));
}

// The block of character n holds the tone pair in its first half and filler in its second.
void ExpectToneBlock(const std::vector<int16_t> &samples, int n, int low, int high)
{
    const size_t base = static_cast<size_t>(n) * DTMFTONES::kBlockSamples;
    for (int j = 0; j < 4; ++j)
        EXPECT_EQ(samples[base + j], Expected(j, low, high)) << "block " << n << " sample " << j;
    // Further in, where rounding of the sines matters more.
    for (int j : {100, 500, 767})
        EXPECT_EQ(samples[base + j], Expected(j, low, high)) << "block " << n << " sample " << j;
    for (int j = DTMFTONES::kToneSamples; j < DTMFTONES::kBlockSamples; ++j)
        ASSERT_EQ(samples[base + j], 257) << "block " << n << " sample " << j;
}

} // namespace

TEST(DTMFTONES, OutsideLineAndThreeDigitsGiveFourBlocksOf192Ms)
{
    const std::vector<int16_t> samples = DTMFTONES::Make("0123");
    ASSERT_EQ(samples.size(), 6144u);
    EXPECT_EQ(samples.size() * 1000 / DTMFTONES::kSampleRate, 768u);
    ExpectToneBlock(samples, 0, 941, 1336);
    ExpectToneBlock(samples, 1, 697, 1209);
    ExpectToneBlock(samples, 2, 697, 1336);
    ExpectToneBlock(samples, 3, 697, 1477);
    // Sample 0 of every tone is sin(0) + sin(0).
    EXPECT_EQ(samples[0], 0);
    // A sample that is not trivially zero, to be sure the formula is the one in use.
    EXPECT_NE(samples[1], 0);
}

TEST(DTMFTONES, EveryKeyHasItsRowAndColumn)
{
    struct CASE {
        char key;
        int low;
        int high;
    } cases[] = {{'1', 697, 1209}, {'2', 697, 1336}, {'3', 697, 1477}, {'A', 697, 1633},
                 {'4', 770, 1209}, {'5', 770, 1336}, {'6', 770, 1477}, {'B', 770, 1633},
                 {'7', 852, 1209}, {'8', 852, 1336}, {'9', 852, 1477}, {'C', 852, 1633},
                 {'*', 941, 1209}, {'0', 941, 1336}, {'#', 941, 1477}, {'D', 941, 1633}};
    for (const auto &c : cases) {
        int low = 0;
        int high = 0;
        ASSERT_TRUE(DTMFTONES::GetFrequencies(c.key, low, high)) << c.key;
        EXPECT_EQ(low, c.low) << c.key;
        EXPECT_EQ(high, c.high) << c.key;
    }
}

TEST(DTMFTONES, KeysMatchCaseAndOtherCharactersArePauses)
{
    int low = 1;
    int high = 2;
    for (char c : std::string("abcd ,-+E\x80"))
        EXPECT_FALSE(DTMFTONES::GetFrequencies(c, low, high)) << static_cast<int>(c);
    EXPECT_FALSE(DTMFTONES::GetFrequencies('\0', low, high));
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 2);

    // "A" plays, "a" after it is a block of filler alone (no repeat of the "A"), then "5" plays.
    const std::vector<int16_t> samples = DTMFTONES::Make("Aa5");
    ASSERT_EQ(samples.size(), 3u * DTMFTONES::kBlockSamples);
    ExpectToneBlock(samples, 0, 697, 1633);
    for (int j = 0; j < DTMFTONES::kBlockSamples; ++j)
        ASSERT_EQ(samples[DTMFTONES::kBlockSamples + j], 257) << j;
    ExpectToneBlock(samples, 2, 770, 1336);

    // A leading non-key is filler too.
    const std::vector<int16_t> pause = DTMFTONES::Make("x");
    ASSERT_EQ(pause.size(), static_cast<size_t>(DTMFTONES::kBlockSamples));
    for (int16_t s : pause)
        ASSERT_EQ(s, 257);

    EXPECT_TRUE(DTMFTONES::Make("").empty());
    EXPECT_TRUE(DTMFTONES::Make(nullptr).empty());
}

TEST(DTMFTONES, TonesStayWithinTwiceTheAmplitude)
{
    const std::vector<int16_t> samples = DTMFTONES::Make(DTMFTONES::kKeys);
    ASSERT_EQ(samples.size(), 16u * DTMFTONES::kBlockSamples);
    for (int16_t s : samples)
        ASSERT_LE(std::abs(static_cast<int>(s)), 8192);
}

TEST(PHONENUMBER, Extract)
{
    struct CASE {
        const char *text;
        const char *expect;
    } cases[] = {
        {"Office (089) 12-34/5 ext", "08912345"},
        {"Call 0171 555 at noon", "0171555"},
        {"+49 89 123", "4989123"},
        {"089.123", "089"},
        {"12ab34", "12"},
        {"(0) -/ 7", "07"},
        {"no number here", ""},
        {"", ""},
        {"()-/ ", ""},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(PHONENUMBER::Extract(c.text), c.expect) << c.text;
    EXPECT_STREQ(PHONENUMBER::Extract(nullptr), "");
}
