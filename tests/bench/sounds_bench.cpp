// Speed of the sound conversions: an hour of 8 kHz speech-like audio converted from the base form
// into each stored format and back through the SOUND classes, against a plain loop of the
// textbook coding of the same format over the same samples (the floor of the work); and MP3
// encoding of the same samples through SOUNDMP3 against LAME called directly (same settings: one
// channel, mono, 16 kbit/s, quality 9), both writing a file.  Conversion figures are the best of
// three rounds; MP3 runs once.
//
//   sounds_bench [minutes]      (default 60)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "kestar/media/sound.h"
#include "kestar/media/soundmp3.h"

#if PLX_BENCH_LAME
#include <lame/lame.h>
#endif

namespace {

const int kRate = 8000;
const int kRounds = 3;

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Speech-like samples: a few partials whose pitch and loudness wander, syllables and pauses, and
// a little noise.
std::vector<int16_t> MakeSamples(size_t count)
{
    std::vector<int16_t> s(count);
    uint32_t seed = 7;
    double phase[3] = {0, 0, 0};
    for (size_t i = 0; i < count; i++) {
        double t = (double)i / kRate;
        double pitch = 120 + 40 * std::sin(t * 0.7);
        double envelope = std::max(0.0, std::sin(t * 9.0)) * (0.4 + 0.6 * std::fabs(std::sin(t * 0.31)));
        double v = 0;
        for (int k = 0; k < 3; k++) {
            phase[k] += 2 * 3.14159265358979 * pitch * (k + 1) / kRate;
            v += std::sin(phase[k]) / (k + 1);
        }
        seed = seed * 1103515245u + 12345u;
        double noise = ((double)((seed >> 8) & 0xFFFF) / 65536.0 - 0.5) * 600;
        double x = v * 9000 * envelope + noise;
        s[i] = (int16_t)std::max(-32768.0, std::min(32767.0, x));
    }
    return s;
}

// The textbook G.711 codings (segment search), for the floor.
uint8_t TextbookUlaw(int pcm)
{
    int mask = 0xFF;
    if (pcm < 0) {
        pcm = -pcm;
        mask = 0x7F;
    }
    if (pcm > 32635)
        pcm = 32635;
    pcm += 132;
    int seg = 0;
    for (int v = pcm >> 7; v > 1 && seg < 7; v >>= 1)
        seg++;
    return (uint8_t)(((seg << 4) | ((pcm >> (seg + 3)) & 0x0F)) ^ mask);
}

int TextbookUlawDecode(uint8_t code)
{
    code = (uint8_t)~code;
    int t = (((code & 0x0F) << 3) + 132) << ((code & 0x70) >> 4);
    return (code & 0x80) ? 132 - t : t - 132;
}

uint8_t TextbookAlaw(int pcm)
{
    int mask = 0xD5;
    if (pcm < 0) {
        pcm = -pcm - 1;
        mask = 0x55;
    }
    pcm >>= 3;
    int seg = 0;
    for (int v = pcm >> 5; v > 0 && seg < 7; v >>= 1)
        seg++;
    int aval = seg << 4;
    aval |= seg < 2 ? (pcm >> 1) & 0x0F : (pcm >> seg) & 0x0F;
    return (uint8_t)(aval ^ mask);
}

int TextbookAlawDecode(uint8_t a)
{
    a ^= 0x55;
    int t = (a & 0x0F) << 4;
    int seg = (a & 0x70) >> 4;
    t = seg == 0 ? t + 8 : seg == 1 ? t + 0x108 : (t + 0x108) << (seg - 1);
    return (a & 0x80) ? t : -t;
}

// The floor of one conversion: the coding loop over the samples into a new buffer and back.
double FloorSeconds(const char *keyword, const std::vector<int16_t> &samples, long long *check)
{
    size_t n = samples.size();
    double t0 = Now();
    long long sum = 0;
    if (std::strcmp(keyword, "WAV16") == 0) {
        std::vector<uint8_t> bytes(2 * n);
        std::memcpy(bytes.data(), samples.data(), 2 * n);
        std::vector<int16_t> back(n);
        std::memcpy(back.data(), bytes.data(), 2 * n);
        sum = back[n / 2];
    } else {
        std::vector<uint8_t> coded(n);
        std::vector<int16_t> back(n);
        if (std::strcmp(keyword, "WAV8") == 0) {
            for (size_t i = 0; i < n; i++)
                coded[i] = (uint8_t)((samples[i] >> 8) + 128);
            for (size_t i = 0; i < n; i++)
                back[i] = (int16_t)((coded[i] - 128) * 256);
        } else if (std::strcmp(keyword, "ULAW") == 0) {
            for (size_t i = 0; i < n; i++)
                coded[i] = TextbookUlaw(samples[i]);
            for (size_t i = 0; i < n; i++)
                back[i] = (int16_t)TextbookUlawDecode(coded[i]);
        } else {
            for (size_t i = 0; i < n; i++)
                coded[i] = TextbookAlaw(samples[i]);
            for (size_t i = 0; i < n; i++)
                back[i] = (int16_t)TextbookAlawDecode(coded[i]);
        }
        sum = back[n / 2] + coded[n / 3];
    }
    *check += sum;
    return Now() - t0;
}

#if PLX_BENCH_LAME
bool LameDirect(const std::vector<int16_t> &samples, const char *path)
{
    lame_global_flags *gfp = lame_init();
    if (!gfp)
        return false;
    lame_set_num_channels(gfp, 1);
    lame_set_brate(gfp, 16);
    lame_set_quality(gfp, 9);
    lame_set_in_samplerate(gfp, kRate);
    lame_set_mode(gfp, MONO);
    bool ok = lame_init_params(gfp) >= 0;
    std::FILE *f = ok ? std::fopen(path, "wb") : nullptr;
    ok = f != nullptr;
    const size_t slice = 8192;
    std::vector<unsigned char> out(slice + slice / 4 + 7200);
    std::vector<int16_t> pcm(slice);
    for (size_t done = 0; ok && done < samples.size(); done += slice) {
        size_t n = std::min(slice, samples.size() - done);
        std::memcpy(pcm.data(), &samples[done], n * 2);
        int size = lame_encode_buffer(gfp, pcm.data(), pcm.data(), (int)n, out.data(), (int)out.size());
        ok = size >= 0 && std::fwrite(out.data(), 1, (size_t)size, f) == (size_t)size;
    }
    if (ok) {
        int size = lame_encode_flush(gfp, out.data(), (int)out.size());
        ok = size >= 0 && std::fwrite(out.data(), 1, (size_t)size, f) == (size_t)size;
    }
    if (f && std::fclose(f) != 0)
        ok = false;
    lame_close(gfp);
    return ok;
}
#endif

#if PLX_BENCH_LAME
long FileSize(const char *path)
{
    std::FILE *f = std::fopen(path, "rb");
    if (!f)
        return -1;
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fclose(f);
    return size;
}
#endif

} // namespace

int main(int argc, char **argv)
{
    int minutes = argc > 1 ? std::atoi(argv[1]) : 60;
    if (minutes < 1)
        minutes = 1;
#if defined(_WIN32)
    std::printf("sounds_bench (%d-bit Windows build)\n", static_cast<int>(sizeof(void *) * 8));
#else
    std::printf("sounds_bench (%d-bit native build)\n", static_cast<int>(sizeof(void *) * 8));
#endif
    std::vector<int16_t> samples = MakeSamples((size_t)minutes * 60 * kRate);
    char format[32];
    std::snprintf(format, sizeof format, "SOUND BASE:%d", kRate);
    std::unique_ptr<SOUND> base(SOUND::Create(format));
    base->Data.Make((STRING_SIZE_T)(samples.size() * 2), samples.data());

    long long check = 0;
    const char *keywords[] = {"WAV16", "WAV8", "ALAW", "ULAW"};
    for (const char *keyword : keywords) {
        char target[32];
        std::snprintf(target, sizeof target, "SOUND %s:%d", keyword, kRate);
        double ours = 1e30, floor = 1e30;
        bool ok = true;
        for (int round = 0; round < kRounds; round++) {
            std::unique_ptr<SOUND> coded(SOUND::Create(target));
            double t0 = Now();
            bool converted = coded && coded->FromBase(*base);
            std::unique_ptr<SOUND> back(converted ? coded->ToBase() : nullptr);
            ours = std::min(ours, Now() - t0);
            ok = ok && back && back->Data.StrLen == base->Data.StrLen &&
                 coded->Data.StrLen == (STRING_SIZE_T)(samples.size() * (std::strcmp(keyword, "WAV16") ? 1 : 2));
            floor = std::min(floor, FloorSeconds(keyword, samples, &check));
        }
        if (!ok) {
            std::printf("conversion to %s failed\n", keyword);
            return 1;
        }
        std::printf("BENCH SOUND BASE to %s and back %d min 8 kHz | %.3f s | %.3f s | %.2f | -\n", keyword, minutes,
                    ours, floor, ours / floor);
    }

    // MP3: SOUNDMP3 against LAME called directly, each writing its file.
    SOUNDMP3 mp3(SOUND::kBlockSize);
    double t0 = Now();
    bool ours = mp3.FromBase(*base) && mp3.Save("sounds_bench_ours.mp3");
    double oursSeconds = Now() - t0;
#if PLX_BENCH_LAME
    long oursSize = FileSize("sounds_bench_ours.mp3");
    std::remove("sounds_bench_ours.mp3");
    t0 = Now();
    bool reference = LameDirect(samples, "sounds_bench_lame.mp3");
    double lameSeconds = Now() - t0;
    long lameSize = FileSize("sounds_bench_lame.mp3");
    std::remove("sounds_bench_lame.mp3");
    if (!ours || !reference || oursSize != lameSize) {
        std::printf("MP3 encoding failed or differs: ours %d (%ld bytes), LAME %d (%ld bytes)\n", ours, oursSize,
                    reference, lameSize);
        return 1;
    }
    std::printf("BENCH MP3 encode %d min 8 kHz | %.3f s | %.3f s | %.2f | -\n", minutes, oursSeconds, lameSeconds,
                oursSeconds / lameSeconds);
#else
    std::remove("sounds_bench_ours.mp3");
    std::printf("  MP3: no encoder in this build (%s after %.3f s)\n", ours ? "saved" : "refused", oursSeconds);
#endif
    std::printf("  (check %lld)\n", check);
    return 0;
}
