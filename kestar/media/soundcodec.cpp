// The sample codings of the sound family and linear resampling; see soundcodec.h.
#include "kestar/media/soundcodec.h"

#include <climits>

namespace {

// mu-law code (ordinary bit order) to the stored A-law byte, as the phone server's files use it.
const uint8_t kUlawToAlaw[256] = {
     85,  85, 213,  21, 149, 117, 245,  53, 181,  69, 197,   5, 133, 101, 229,  37,  // 0
    165,  93, 221,  29, 157, 125, 253,  61, 189,  77, 205,  13, 141, 109, 237,  45,  // 16
    173,  81, 209,  17, 145, 113, 241,  49, 177,  65, 193,   1, 129,  97, 225,  33,  // 32
     89, 217,  25, 153, 121, 249,  57, 185,  73, 201,   9, 137, 105, 233,  41, 169,  // 48
    215,  23, 151, 119, 247,  55, 183,  71, 199,   7, 135, 103, 231,  39, 167, 223,  // 64
    159, 127, 255,  63, 191,  79, 207,  15, 143, 111, 239,  47,  83,  19, 115,  51,  // 80
    179,  67, 195,   3, 131,  99, 227,  35, 163,  91, 219,  27, 155, 123, 251,  59,  // 96
    187, 187,  75,  75, 203, 203,  11,  11, 139, 139, 107, 107, 235, 235,  43,  43,  // 112
     84,  84, 212,  20, 148, 116, 244,  52, 180,  68, 196,   4, 132, 100, 228,  36,  // 128
    164,  92, 220,  28, 156, 124, 252,  60, 188,  76, 204,  12, 140, 108, 236,  44,  // 144
    172,  80, 208,  16, 144, 112, 240,  48, 176,  64, 192,   0, 128,  96, 224,  32,  // 160
     88, 216,  24, 152, 120, 248,  56, 184,  72, 200,   8, 136, 104, 232,  40, 168,  // 176
    214,  22, 150, 118, 246,  54, 182,  70, 198,   6, 134, 102, 230,  38, 166, 222,  // 192
    158, 126, 254,  62, 190,  78, 206,  14, 142, 110, 238,  46,  82,  18, 114,  50,  // 208
    178,  66, 194,   2, 130,  98, 226,  34, 162,  90, 218,  26, 154, 122, 250,  58,  // 224
    186, 186,  74,  74, 202, 202,  10,  10, 138, 138, 106, 106, 234, 234,  42,  42,  // 240
};

// Stored A-law byte to 16-bit sample.  The table is the server's, including its irregular
// entries; every odd byte is the negative of the even byte before it.
const int16_t kAlawToLinear[256] = {
      5116,  -5116,    324,   -324,  20860, -20860,   1308,  -1308,  // 0
      2620,  -2620,     72,    -72,  10364, -10364,    652,   -652,  // 8
      7164,  -7164,    460,   -460,  29052, -29052,   1820,  -1820,  // 16
      3644,  -3644,    196,   -196,  14460, -14460,    924,   -924,  // 24
      4092,  -4092,    260,   -260,  16764, -16764,   1052,  -1052,  // 32
      2108,  -2108,      8,     -8,   8316,  -8316,    524,   -524,  // 40
      6140,  -6140,    396,   -396,  24956, -24956,   1564,  -1564,  // 48
      3132,  -3132,    132,   -132,  12412, -12412,    780,   -780,  // 56
      5628,  -5628,    356,   -356,  22908, -22908,   1436,  -1436,  // 64
      2876,  -2876,    104,   -104,  11388, -11388,    716,   -716,  // 72
      7676,  -7676,    492,   -492,  31100, -31100,   1980,  -1980,  // 80
      3900,  -3900,    228,   -228,  15484, -15484,    988,   -988,  // 88
      4604,  -4604,    292,   -292,  18812, -18812,   1180,  -1180,  // 96
      2364,  -2364,     40,    -40,   9340,  -9340,    588,   -588,  // 104
      6652,  -6652,    428,   -428,  27004, -27004,   1692,  -1692,  // 112
      3388,  -3388,    164,   -164,  13436, -13436,    844,   -844,  // 120
      4860,  -4860,    308,   -308,  19836, -19836,   1244,  -1244,  // 128
      2492,  -2492,     56,    -56,   9852,  -9852,    620,   -620,  // 136
      6908,  -6908,    428,   -428,  28028, -28028,   1756,  -1756,  // 144
      3516,  -3516,    180,   -180,  13948, -13948,    876,   -876,  // 152
      3900,  -3900,    244,   -244,  15996, -15996,    988,   -988,  // 160
      1980,  -1980,      8,     -8,   7932,  -7932,    492,   -492,  // 168
      5884,  -5884,    372,   -372,  23932, -23932,   1500,  -1500,  // 176
      3004,  -3004,    120,   -120,  11900, -11900,    748,   -748,  // 184
      5372,  -5372,    340,   -340,  21884, -21884,   1372,  -1372,  // 192
      2748,  -2748,     88,    -88,  10876, -10876,    684,   -684,  // 200
      7420,  -7420,    460,   -460,  30076, -30076,   1884,  -1884,  // 208
      3772,  -3772,    212,   -212,  14972, -14972,    924,   -924,  // 216
      4348,  -4348,    276,   -276,  17788, -17788,   1116,  -1116,  // 224
      2236,  -2236,     24,    -24,   8828,  -8828,    556,   -556,  // 232
      6396,  -6396,    396,   -396,  25980, -25980,   1628,  -1628,  // 240
      3260,  -3260,    148,   -148,  12924, -12924,    812,   -812,  // 248
};

// The G.711 exponent of (magnitude >> 7) for values below 64.
const uint8_t kUlawExponent[64] = {
    0, 0, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3,
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4,
    5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5,
    5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5,
};

const int kUlawBias = 132;
const int kUlawClip = 32635;

// Built at compile time, so no thread ever sees a half-built table.
struct REVERSETABLE {
    uint8_t Entry[256];
    constexpr REVERSETABLE() : Entry()
    {
        for (int n = 0; n < 256; n++) {
            int r = 0;
            for (int bit = 0; bit < 8; bit++)
                if (n & (1 << bit))
                    r |= 0x80 >> bit;
            Entry[n] = static_cast<uint8_t>(r);
        }
    }
};
constexpr REVERSETABLE kReverse;

} // namespace

namespace SOUNDCODEC {

uint8_t ReverseBits(uint8_t b)
{
    return kReverse.Entry[b];
}

uint8_t LinearToUlaw(int sample)
{
    int sign = 0;
    int magnitude = sample;
    if (magnitude < 0) {
        sign = 0x80;
        magnitude = -magnitude;
    }
    if (magnitude > kUlawClip)
        magnitude = kUlawClip;
    magnitude += kUlawBias;
    int exponent;
    if (magnitude >= 16384)
        exponent = 7;
    else if ((magnitude >> 7) > 63)
        exponent = 6;
    else
        exponent = kUlawExponent[magnitude >> 7];
    int mantissa = (magnitude >> (exponent + 3)) & 15;
    return static_cast<uint8_t>(~(sign | (exponent << 4) | mantissa));
}

int16_t UlawToLinear(uint8_t code)
{
    int u = static_cast<uint8_t>(~code);
    int t = (((u & 15) << 3) + kUlawBias) << ((u >> 4) & 7);
    return static_cast<int16_t>((u & 0x80) ? kUlawBias - t : t - kUlawBias);
}

uint8_t LinearToAlaw(int sample)
{
    return kUlawToAlaw[LinearToUlaw(sample)];
}

int16_t AlawToLinear(uint8_t stored)
{
    return kAlawToLinear[stored];
}

uint8_t UlawCodeToAlaw(uint8_t code)
{
    return kUlawToAlaw[code];
}

uint8_t LinearToWav8(int sample)
{
    // Division truncates toward zero, so -1 .. -255 give 128 like 0 .. 255 do.
    return static_cast<uint8_t>((sample / 256 + 128) & 0xFF);
}

int16_t Wav8ToLinear(uint8_t byte)
{
    return static_cast<int16_t>(byte * 256 - 32768);
}

bool ResampledCount(long long n, int oldRate, int newRate, long long *count)
{
    *count = 0;
    // Two bytes a sample plus the terminator must stay below the 32-bit length of a buffer, and
    // n × newRate must stay within 64 bits.
    const long long limit = INT_MAX / 2 - 16;
    if (n < 0 || n > limit || oldRate <= 0 || newRate <= 0)
        return false;
    long long m = n * newRate / oldRate;
    if (m > limit)
        return false;
    *count = m;
    return true;
}

bool Resample(const uint8_t *source, size_t n, int oldRate, int newRate, uint8_t *target, size_t m)
{
    if (oldRate <= 0 || newRate <= 0)
        return false;
    if (m == 0)
        return true;
    if (n == 0) {
        // Nothing to interpolate from: silence rather than unset samples.
        for (size_t i = 0; i < m; i++)
            PutSample(target, i, 0);
        return true;
    }
    // The source position of output sample i is i × oldRate / newRate, kept as an exact
    // fraction: floating point gives other results on x87 (i686) than on SSE (x86_64).
    for (size_t i = 0; i < m; i++) {
        long long position = static_cast<long long>(i) * oldRate;
        size_t k = static_cast<size_t>(position / newRate);
        long long fraction = position % newRate;
        int value;
        if (k + 1 >= n) {
            // No right neighbour: hold the last sample to the end.
            value = GetSample(source, n - 1);
        } else {
            int left = GetSample(source, k);
            int right = GetSample(source, k + 1);
            value = left + static_cast<int>(fraction * (right - left) / newRate);
        }
        PutSample(target, i, value);
    }
    return true;
}

} // namespace SOUNDCODEC
