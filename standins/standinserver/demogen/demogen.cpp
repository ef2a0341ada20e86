// demogen: makes the media files of the stand-in server's demo data set at build time, so that
// no sound or fax file comes from elsewhere: a spoken-message stand-in (WAV, 8 kHz, 16 bit) and
// two one-page faxes (SFF).  Usage: demogen OUTFOLDER (files go to OUTFOLDER/messages).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "kestar/media/sffcodec.h"
#include "kestar/media/sound.h"

namespace {

// A message of 2.5 s: syllable-like bursts of two mixed tones with pauses between them.
bool WriteMessage(const std::string &path)
{
    std::unique_ptr<SOUND> sound(SOUND::Create("SOUND WAV16:8000"));
    if (!sound)
        return false;
    const int rate = 8000;
    const int count = rate * 5 / 2;
    std::vector<int16_t> samples(count);
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        const int syllable = static_cast<int>(t * 4);
        const double phase = t * 4 - syllable;
        const double envelope = (syllable % 5 == 4) ? 0.0 : std::sin(3.14159265 * phase);
        const double f = 180.0 + 40.0 * (syllable % 3);
        const double v = envelope * (0.6 * std::sin(2 * 3.14159265 * f * t) + 0.3 * std::sin(2 * 3.14159265 * 3 * f * t));
        samples[i] = static_cast<int16_t>(v * 12000);
    }
    sound->Data.Make(static_cast<STRING_SIZE_T>(count * 2));
    for (int i = 0; i < count; ++i) {
        sound->Data[2 * i] = static_cast<char>(samples[i] & 0xFF);
        sound->Data[2 * i + 1] = static_cast<char>((samples[i] >> 8) & 0xFF);
    }
    return sound->Save(path.c_str());
}

// One 1728-pixel page of the base form (a bottom-up 1-bit BMP, black = 1 in a white-first
// palette) with a frame, a heading bar and lines of "text" blocks whose pattern depends on seed.
std::vector<unsigned char> MakePage(int seed)
{
    const int width = 1728;
    const int height = 600;
    const int rowBytes = ((width + 31) / 32) * 4;
    const size_t imageBytes = static_cast<size_t>(rowBytes) * height;
    std::vector<unsigned char> bmp(62 + imageBytes, 0);
    auto put16 = [&](size_t at, unsigned v) {
        bmp[at] = v & 0xFF;
        bmp[at + 1] = (v >> 8) & 0xFF;
    };
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = (v >> (8 * i)) & 0xFF;
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, 62);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    put16(26, 1);
    put16(28, 1);
    put32(34, static_cast<uint32_t>(imageBytes));
    put32(38, 7874); // 200 dpi
    put32(42, 3858); // 98 dpi
    put32(46, 2);
    // Palette: 0 white, 1 black.
    bmp[54] = bmp[55] = bmp[56] = 0xFF;
    auto set = [&](int x, int y) {
        const int row = height - 1 - y; // bottom-up
        bmp[62 + static_cast<size_t>(row) * rowBytes + x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
    };
    for (int x = 40; x < width - 40; ++x) {
        set(x, 20);
        set(x, height - 21);
    }
    for (int y = 20; y < height - 20; ++y) {
        set(40, y);
        set(width - 41, y);
    }
    for (int y = 50; y < 90; ++y)
        for (int x = 100; x < 900 + 100 * seed; ++x)
            set(x, y);
    unsigned state = 12345u + static_cast<unsigned>(seed) * 7919u;
    for (int line = 0; line < 12; ++line) {
        int x = 100;
        const int top = 130 + line * 36;
        while (x < width - 200) {
            state = state * 1103515245u + 12345u;
            const int word = 20 + static_cast<int>((state >> 16) % 120);
            for (int y = top; y < top + 18; ++y)
                for (int i = x; i < x + word && i < width - 100; ++i)
                    set(i, y);
            x += word + 16;
        }
    }
    return bmp;
}

bool WriteFax(const std::string &path, int seed)
{
    std::vector<unsigned char> page = MakePage(seed);
    std::vector<unsigned char> sff;
    if (SFFCODEC::Bmp2Sff(page.data(), page.size(), sff) != 1)
        return false;
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(sff.data(), 1, sff.size(), f) == sff.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: demogen OUTFOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/messages/";
    bool ok = WriteMessage(folder + "msg01004.wav");
    ok = WriteFax(folder + "fax01005.sff", 1) && ok;
    ok = WriteFax(folder + "job01006.sff", 2) && ok;
    if (!ok) {
        std::fprintf(stderr, "demogen: writing the demo media into %s failed\n", folder.c_str());
        return 1;
    }
    return 0;
}
