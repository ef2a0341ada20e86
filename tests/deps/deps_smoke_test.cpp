// Proves that zlib, libtiff, LAME and minizip are linked and work on this architecture.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <lame/lame.h>
#include <minizip/unzip.h>
#include <tiffio.h>
#include <zlib.h>

namespace {

std::string gFixtureZip;

std::string TempName(const char *prefix)
{
    char dir[MAX_PATH], name[MAX_PATH];
    GetTempPathA(sizeof(dir), dir);
    GetTempFileNameA(dir, prefix, 0, name);
    return name;
}

std::string ReadWhole(const std::string &path)
{
    std::string data;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return data;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
        data.append(buf, n);
    fclose(f);
    return data;
}

} // namespace

TEST(Zlib, GzipWritesAndReadsBack)
{
    std::string path = TempName("gz");
    std::string text;
    for (int i = 0; i < 2000; i++)
        text += "line " + std::to_string(i) + "\n";

    gzFile out = gzopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(gzwrite(out, text.data(), (unsigned)text.size()), (int)text.size());
    ASSERT_EQ(gzclose(out), Z_OK);

    std::string raw = ReadWhole(path);
    ASSERT_GE(raw.size(), 2u);
    EXPECT_EQ((unsigned char)raw[0], 0x1f);
    EXPECT_EQ((unsigned char)raw[1], 0x8b);
    EXPECT_LT(raw.size(), text.size());

    gzFile in = gzopen(path.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    std::vector<char> back(text.size() + 16);
    int n = gzread(in, back.data(), (unsigned)back.size());
    gzclose(in);
    EXPECT_EQ(std::string(back.data(), n > 0 ? n : 0), text);
    DeleteFileA(path.c_str());
}

TEST(LibTiff, Group4PageRoundTrip)
{
    const uint32_t width = 1728, height = 64;
    std::string path = TempName("tif");
    std::vector<std::vector<unsigned char>> rows(height, std::vector<unsigned char>(width / 8));
    for (uint32_t y = 0; y < height; y++)
        for (uint32_t x = 0; x < width / 8; x++)
            rows[y][x] = (unsigned char)(((x + y) % 7 == 0) ? 0xF0 : (y % 5 == 0 ? 0xFF : 0x00));

    TIFF *out = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(out, nullptr);
    TIFFSetField(out, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(out, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(out, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(out, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
    TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, height);
    TIFFSetField(out, TIFFTAG_XRESOLUTION, 204.0f);
    TIFFSetField(out, TIFFTAG_YRESOLUTION, 196.0f);
    for (uint32_t y = 0; y < height; y++)
        ASSERT_EQ(TIFFWriteScanline(out, rows[y].data(), y, 0), 1);
    ASSERT_EQ(TIFFWriteDirectory(out), 1);
    TIFFClose(out);

    TIFF *in = TIFFOpen(path.c_str(), "r");
    ASSERT_NE(in, nullptr);
    uint32_t w = 0, h = 0;
    uint16_t compression = 0;
    TIFFGetField(in, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(in, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetField(in, TIFFTAG_COMPRESSION, &compression);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    EXPECT_EQ(compression, COMPRESSION_CCITTFAX4);
    ASSERT_EQ(TIFFScanlineSize(in), (tmsize_t)(width / 8));
    std::vector<unsigned char> row(width / 8);
    for (uint32_t y = 0; y < height; y++) {
        ASSERT_EQ(TIFFReadScanline(in, row.data(), y, 0), 1);
        ASSERT_EQ(row, rows[y]) << "row " << y;
    }
    TIFFClose(in);
    DeleteFileA(path.c_str());
}

TEST(Lame, EncodesOneSecondOfMono8kHz)
{
    const int rate = 8000;
    std::vector<short> pcm(rate);
    for (int i = 0; i < rate; i++)
        pcm[i] = (short)(8000 * std::sin(2 * 3.14159265 * 440 * i / rate));

    lame_global_flags *lame = lame_init();
    ASSERT_NE(lame, nullptr);
    lame_set_num_channels(lame, 1);
    lame_set_in_samplerate(lame, rate);
    lame_set_brate(lame, 16);
    lame_set_mode(lame, MONO);
    lame_set_quality(lame, 9);
    ASSERT_EQ(lame_init_params(lame), 0);
    std::vector<unsigned char> mp3(pcm.size() * 5 / 4 + 7200);
    int n = lame_encode_buffer(lame, pcm.data(), pcm.data(), (int)pcm.size(), mp3.data(), (int)mp3.size());
    ASSERT_GE(n, 0);
    int m = lame_encode_flush(lame, mp3.data() + n, (int)mp3.size() - n);
    ASSERT_GE(m, 0);
    lame_close(lame);
    int total = n + m;
    // One second at 16 kbit/s is about 2000 bytes; frames start with the 11-bit sync word.
    EXPECT_GT(total, 1000);
    EXPECT_LT(total, 4000);
    ASSERT_GE(total, 2);
    EXPECT_EQ(mp3[0], 0xFF);
    EXPECT_EQ(mp3[1] & 0xE0, 0xE0);
}

TEST(Minizip, ReadsEveryEntryOfAZip)
{
    ASSERT_FALSE(gFixtureZip.empty()) << "pass --fixture=PATH";
    unzFile zip = unzOpen(gFixtureZip.c_str());
    ASSERT_NE(zip, nullptr) << gFixtureZip;
    std::vector<std::pair<std::string, std::string>> entries;
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
        char name[256];
        unz_file_info info;
        ASSERT_EQ(unzGetCurrentFileInfo(zip, &info, name, sizeof(name), nullptr, 0, nullptr, 0), UNZ_OK);
        ASSERT_EQ(unzOpenCurrentFile(zip), UNZ_OK);
        std::string data;
        char buf[1000];
        int n;
        while ((n = unzReadCurrentFile(zip, buf, sizeof(buf))) > 0)
            data.append(buf, n);
        EXPECT_EQ(n, 0);
        EXPECT_EQ(unzCloseCurrentFile(zip), UNZ_OK);   // checks the CRC
        entries.emplace_back(name, data);
    }
    unzClose(zip);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].first, "readme.txt");
    EXPECT_EQ(entries[0].second, "stored entry\r\n");
    EXPECT_EQ(entries[1].first, "sub/data.txt");
    std::string expect;
    for (int i = 0; i < 500; i++)
        expect += "fax line\r\n";
    EXPECT_EQ(entries[1].second, expect);
}

// The ZIP fixture comes from the source tree; its Linux path is reachable under Wine as Z:.
int PlxParseFixtureArg = [] {
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 0; argv && i < argc; i++) {
        char arg[2048];
        WideCharToMultiByte(CP_ACP, 0, argv[i], -1, arg, sizeof(arg), nullptr, nullptr);
        if (strncmp(arg, "--fixture=", 10) == 0) {
            gFixtureZip = arg + 10;
            if (!gFixtureZip.empty() && gFixtureZip[0] == '/')
                gFixtureZip = "Z:" + gFixtureZip;
        }
    }
    LocalFree(argv);
    return 0;
}();
