// Modified Huffman line coder and decoder.  The tables are written as T.4 prints them (code text,
// run, kind); both directions derive their lookup tables from them once, so a typo could only
// ever make the coder and the decoder disagree with T.4 together, which the tests catch by
// checking the tables for prefix freedom and completeness.
#include "kestar/media/mhcode.h"

#include <cstdint>
#include <cstring>

namespace MHCODE {
namespace {

// Extended makeup codes, shared by both colours (T.4 table 3).
#define EXT_MAKEUP                                                                           \
    {"00000001000", 1792, KIND_EXT_MAKEUP}, {"00000001100", 1856, KIND_EXT_MAKEUP},          \
    {"00000001101", 1920, KIND_EXT_MAKEUP}, {"000000010010", 1984, KIND_EXT_MAKEUP},         \
    {"000000010011", 2048, KIND_EXT_MAKEUP}, {"000000010100", 2112, KIND_EXT_MAKEUP},        \
    {"000000010101", 2176, KIND_EXT_MAKEUP}, {"000000010110", 2240, KIND_EXT_MAKEUP},        \
    {"000000010111", 2304, KIND_EXT_MAKEUP}, {"000000011100", 2368, KIND_EXT_MAKEUP},        \
    {"000000011101", 2432, KIND_EXT_MAKEUP}, {"000000011110", 2496, KIND_EXT_MAKEUP},        \
    {"000000011111", 2560, KIND_EXT_MAKEUP}

const CODE kWhite[] = {
    {"00110101", 0, KIND_WHITE_TERM},   {"000111", 1, KIND_WHITE_TERM},
    {"0111", 2, KIND_WHITE_TERM},       {"1000", 3, KIND_WHITE_TERM},
    {"1011", 4, KIND_WHITE_TERM},       {"1100", 5, KIND_WHITE_TERM},
    {"1110", 6, KIND_WHITE_TERM},       {"1111", 7, KIND_WHITE_TERM},
    {"10011", 8, KIND_WHITE_TERM},      {"10100", 9, KIND_WHITE_TERM},
    {"00111", 10, KIND_WHITE_TERM},     {"01000", 11, KIND_WHITE_TERM},
    {"001000", 12, KIND_WHITE_TERM},    {"000011", 13, KIND_WHITE_TERM},
    {"110100", 14, KIND_WHITE_TERM},    {"110101", 15, KIND_WHITE_TERM},
    {"101010", 16, KIND_WHITE_TERM},    {"101011", 17, KIND_WHITE_TERM},
    {"0100111", 18, KIND_WHITE_TERM},   {"0001100", 19, KIND_WHITE_TERM},
    {"0001000", 20, KIND_WHITE_TERM},   {"0010111", 21, KIND_WHITE_TERM},
    {"0000011", 22, KIND_WHITE_TERM},   {"0000100", 23, KIND_WHITE_TERM},
    {"0101000", 24, KIND_WHITE_TERM},   {"0101011", 25, KIND_WHITE_TERM},
    {"0010011", 26, KIND_WHITE_TERM},   {"0100100", 27, KIND_WHITE_TERM},
    {"0011000", 28, KIND_WHITE_TERM},   {"00000010", 29, KIND_WHITE_TERM},
    {"00000011", 30, KIND_WHITE_TERM},  {"00011010", 31, KIND_WHITE_TERM},
    {"00011011", 32, KIND_WHITE_TERM},  {"00010010", 33, KIND_WHITE_TERM},
    {"00010011", 34, KIND_WHITE_TERM},  {"00010100", 35, KIND_WHITE_TERM},
    {"00010101", 36, KIND_WHITE_TERM},  {"00010110", 37, KIND_WHITE_TERM},
    {"00010111", 38, KIND_WHITE_TERM},  {"00101000", 39, KIND_WHITE_TERM},
    {"00101001", 40, KIND_WHITE_TERM},  {"00101010", 41, KIND_WHITE_TERM},
    {"00101011", 42, KIND_WHITE_TERM},  {"00101100", 43, KIND_WHITE_TERM},
    {"00101101", 44, KIND_WHITE_TERM},  {"00000100", 45, KIND_WHITE_TERM},
    {"00000101", 46, KIND_WHITE_TERM},  {"00001010", 47, KIND_WHITE_TERM},
    {"00001011", 48, KIND_WHITE_TERM},  {"01010010", 49, KIND_WHITE_TERM},
    {"01010011", 50, KIND_WHITE_TERM},  {"01010100", 51, KIND_WHITE_TERM},
    {"01010101", 52, KIND_WHITE_TERM},  {"00100100", 53, KIND_WHITE_TERM},
    {"00100101", 54, KIND_WHITE_TERM},  {"01011000", 55, KIND_WHITE_TERM},
    {"01011001", 56, KIND_WHITE_TERM},  {"01011010", 57, KIND_WHITE_TERM},
    {"01011011", 58, KIND_WHITE_TERM},  {"01001010", 59, KIND_WHITE_TERM},
    {"01001011", 60, KIND_WHITE_TERM},  {"00110010", 61, KIND_WHITE_TERM},
    {"00110011", 62, KIND_WHITE_TERM},  {"00110100", 63, KIND_WHITE_TERM},
    {"11011", 64, KIND_WHITE_MAKEUP},   {"10010", 128, KIND_WHITE_MAKEUP},
    {"010111", 192, KIND_WHITE_MAKEUP}, {"0110111", 256, KIND_WHITE_MAKEUP},
    {"00110110", 320, KIND_WHITE_MAKEUP},  {"00110111", 384, KIND_WHITE_MAKEUP},
    {"01100100", 448, KIND_WHITE_MAKEUP},  {"01100101", 512, KIND_WHITE_MAKEUP},
    {"01101000", 576, KIND_WHITE_MAKEUP},  {"01100111", 640, KIND_WHITE_MAKEUP},
    {"011001100", 704, KIND_WHITE_MAKEUP}, {"011001101", 768, KIND_WHITE_MAKEUP},
    {"011010010", 832, KIND_WHITE_MAKEUP}, {"011010011", 896, KIND_WHITE_MAKEUP},
    {"011010100", 960, KIND_WHITE_MAKEUP}, {"011010101", 1024, KIND_WHITE_MAKEUP},
    {"011010110", 1088, KIND_WHITE_MAKEUP}, {"011010111", 1152, KIND_WHITE_MAKEUP},
    {"011011000", 1216, KIND_WHITE_MAKEUP}, {"011011001", 1280, KIND_WHITE_MAKEUP},
    {"011011010", 1344, KIND_WHITE_MAKEUP}, {"011011011", 1408, KIND_WHITE_MAKEUP},
    {"010011000", 1472, KIND_WHITE_MAKEUP}, {"010011001", 1536, KIND_WHITE_MAKEUP},
    {"010011010", 1600, KIND_WHITE_MAKEUP}, {"011000", 1664, KIND_WHITE_MAKEUP},
    {"010011011", 1728, KIND_WHITE_MAKEUP},
    EXT_MAKEUP,
    {nullptr, 0, KIND_END},
};

const CODE kBlack[] = {
    {"0000110111", 0, KIND_BLACK_TERM},    {"010", 1, KIND_BLACK_TERM},
    {"11", 2, KIND_BLACK_TERM},            {"10", 3, KIND_BLACK_TERM},
    {"011", 4, KIND_BLACK_TERM},           {"0011", 5, KIND_BLACK_TERM},
    {"0010", 6, KIND_BLACK_TERM},          {"00011", 7, KIND_BLACK_TERM},
    {"000101", 8, KIND_BLACK_TERM},        {"000100", 9, KIND_BLACK_TERM},
    {"0000100", 10, KIND_BLACK_TERM},      {"0000101", 11, KIND_BLACK_TERM},
    {"0000111", 12, KIND_BLACK_TERM},      {"00000100", 13, KIND_BLACK_TERM},
    {"00000111", 14, KIND_BLACK_TERM},     {"000011000", 15, KIND_BLACK_TERM},
    {"0000010111", 16, KIND_BLACK_TERM},   {"0000011000", 17, KIND_BLACK_TERM},
    {"0000001000", 18, KIND_BLACK_TERM},   {"00001100111", 19, KIND_BLACK_TERM},
    {"00001101000", 20, KIND_BLACK_TERM},  {"00001101100", 21, KIND_BLACK_TERM},
    {"00000110111", 22, KIND_BLACK_TERM},  {"00000101000", 23, KIND_BLACK_TERM},
    {"00000010111", 24, KIND_BLACK_TERM},  {"00000011000", 25, KIND_BLACK_TERM},
    {"000011001010", 26, KIND_BLACK_TERM}, {"000011001011", 27, KIND_BLACK_TERM},
    {"000011001100", 28, KIND_BLACK_TERM}, {"000011001101", 29, KIND_BLACK_TERM},
    {"000001101000", 30, KIND_BLACK_TERM}, {"000001101001", 31, KIND_BLACK_TERM},
    {"000001101010", 32, KIND_BLACK_TERM}, {"000001101011", 33, KIND_BLACK_TERM},
    {"000011010010", 34, KIND_BLACK_TERM}, {"000011010011", 35, KIND_BLACK_TERM},
    {"000011010100", 36, KIND_BLACK_TERM}, {"000011010101", 37, KIND_BLACK_TERM},
    {"000011010110", 38, KIND_BLACK_TERM}, {"000011010111", 39, KIND_BLACK_TERM},
    {"000001101100", 40, KIND_BLACK_TERM}, {"000001101101", 41, KIND_BLACK_TERM},
    {"000011011010", 42, KIND_BLACK_TERM}, {"000011011011", 43, KIND_BLACK_TERM},
    {"000001010100", 44, KIND_BLACK_TERM}, {"000001010101", 45, KIND_BLACK_TERM},
    {"000001010110", 46, KIND_BLACK_TERM}, {"000001010111", 47, KIND_BLACK_TERM},
    {"000001100100", 48, KIND_BLACK_TERM}, {"000001100101", 49, KIND_BLACK_TERM},
    {"000001010010", 50, KIND_BLACK_TERM}, {"000001010011", 51, KIND_BLACK_TERM},
    {"000000100100", 52, KIND_BLACK_TERM}, {"000000110111", 53, KIND_BLACK_TERM},
    {"000000111000", 54, KIND_BLACK_TERM}, {"000000100111", 55, KIND_BLACK_TERM},
    {"000000101000", 56, KIND_BLACK_TERM}, {"000001011000", 57, KIND_BLACK_TERM},
    {"000001011001", 58, KIND_BLACK_TERM}, {"000000101011", 59, KIND_BLACK_TERM},
    {"000000101100", 60, KIND_BLACK_TERM}, {"000001011010", 61, KIND_BLACK_TERM},
    {"000001100110", 62, KIND_BLACK_TERM}, {"000001100111", 63, KIND_BLACK_TERM},
    {"0000001111", 64, KIND_BLACK_MAKEUP},     {"000011001000", 128, KIND_BLACK_MAKEUP},
    {"000011001001", 192, KIND_BLACK_MAKEUP},  {"000001011011", 256, KIND_BLACK_MAKEUP},
    {"000000110011", 320, KIND_BLACK_MAKEUP},  {"000000110100", 384, KIND_BLACK_MAKEUP},
    {"000000110101", 448, KIND_BLACK_MAKEUP},  {"0000001101100", 512, KIND_BLACK_MAKEUP},
    {"0000001101101", 576, KIND_BLACK_MAKEUP}, {"0000001001010", 640, KIND_BLACK_MAKEUP},
    {"0000001001011", 704, KIND_BLACK_MAKEUP}, {"0000001001100", 768, KIND_BLACK_MAKEUP},
    {"0000001001101", 832, KIND_BLACK_MAKEUP}, {"0000001110010", 896, KIND_BLACK_MAKEUP},
    {"0000001110011", 960, KIND_BLACK_MAKEUP}, {"0000001110100", 1024, KIND_BLACK_MAKEUP},
    {"0000001110101", 1088, KIND_BLACK_MAKEUP}, {"0000001110110", 1152, KIND_BLACK_MAKEUP},
    {"0000001110111", 1216, KIND_BLACK_MAKEUP}, {"0000001010010", 1280, KIND_BLACK_MAKEUP},
    {"0000001010011", 1344, KIND_BLACK_MAKEUP}, {"0000001010100", 1408, KIND_BLACK_MAKEUP},
    {"0000001010101", 1472, KIND_BLACK_MAKEUP}, {"0000001011010", 1536, KIND_BLACK_MAKEUP},
    {"0000001011011", 1600, KIND_BLACK_MAKEUP}, {"0000001100100", 1664, KIND_BLACK_MAKEUP},
    {"0000001100101", 1728, KIND_BLACK_MAKEUP},
    EXT_MAKEUP,
    {nullptr, 0, KIND_END},
};

#undef EXT_MAKEUP

const int kMaxBits = 13; // the longest code (black makeup 512 and up)

// A code ready to be packed: its bits with the first transmitted bit in bit 0.
struct PACKED {
    uint32_t Bits;
    int Length;
};

// Lookup tables derived once from the code texts.
struct TABLES {
    // Encoding, per colour (0 white, 1 black): terminating codes 0-63, makeup codes 64-1728
    // (index run / 64 - 1), extended makeup codes 1792-2560 (index (run - 1792) / 64).
    PACKED Term[2][64];
    PACKED Makeup[2][27];
    PACKED Ext[13];
    // Decoding, per colour: index (1 << length) | code (first bit most significant); the value
    // is the index into the colour's table plus 1, 0 for no code.
    short Decode[2][1 << (kMaxBits + 1)];

    TABLES()
    {
        std::memset(this, 0, sizeof(*this));
        const CODE *tables[2] = {kWhite, kBlack};
        for (int colour = 0; colour < 2; colour++) {
            for (int i = 0; tables[colour][i].Kind != KIND_END; i++) {
                const CODE &c = tables[colour][i];
                int length = (int)std::strlen(c.Bits);
                PACKED packed = {0, length};
                uint32_t value = 0;
                for (int b = 0; b < length; b++) {
                    uint32_t bit = c.Bits[b] == '1' ? 1u : 0u;
                    packed.Bits |= bit << b;
                    value = value << 1 | bit;
                }
                Decode[colour][(1u << length) | value] = (short)(i + 1);
                if (c.Kind == KIND_WHITE_TERM || c.Kind == KIND_BLACK_TERM)
                    Term[colour][c.Run] = packed;
                else if (c.Kind == KIND_EXT_MAKEUP)
                    Ext[(c.Run - 1792) / 64] = packed;
                else
                    Makeup[colour][c.Run / 64 - 1] = packed;
            }
        }
    }
};

const TABLES &Tables()
{
    static const TABLES tables;
    return tables;
}

// Packs codes from the least significant bit of each byte upward.
class BITWRITER {
public:
    explicit BITWRITER(std::vector<unsigned char> &out) : Out(out) {}
    void Put(const PACKED &code)
    {
        Acc |= (uint64_t)code.Bits << Count;
        Count += code.Length;
        while (Count >= 8) {
            Out.push_back((unsigned char)(Acc & 0xFF));
            Acc >>= 8;
            Count -= 8;
        }
    }
    // Completes the last byte with zero bits.
    void Flush()
    {
        if (Count > 0)
            Out.push_back((unsigned char)(Acc & 0xFF));
        Acc = 0;
        Count = 0;
    }

private:
    std::vector<unsigned char> &Out; // borrowed
    uint64_t Acc = 0;
    int Count = 0;
};

inline int Pixel(const unsigned char *row, int x)
{
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

// The end of the run of `colour` that starts at x (whole bytes of one colour are skipped at once).
int RunEnd(const unsigned char *row, int x, int width, int colour)
{
    const unsigned char full = colour ? 0xFF : 0x00;
    while (x < width) {
        if ((x & 7) == 0 && x + 8 <= width && row[x >> 3] == full) {
            x += 8;
            continue;
        }
        if (Pixel(row, x) != colour)
            break;
        x++;
    }
    return x;
}

void PutRun(BITWRITER &writer, const TABLES &t, int colour, int run)
{
    // T.4: runs of 2624 and more take as many makeup codes of 2560 as needed, then the usual
    // makeup code and terminating code for the rest.
    while (run >= 2624) {
        writer.Put(t.Ext[(2560 - 1792) / 64]);
        run -= 2560;
    }
    if (run >= 64) {
        int makeup = run / 64 * 64;
        if (makeup >= 1792)
            writer.Put(t.Ext[(makeup - 1792) / 64]);
        else
            writer.Put(t.Makeup[colour][makeup / 64 - 1]);
        run -= makeup;
    }
    writer.Put(t.Term[colour][run]);
}

void SetBlack(unsigned char *row, int from, int to)
{
    while (from < to && (from & 7) != 0) {
        row[from >> 3] |= (unsigned char)(0x80 >> (from & 7));
        from++;
    }
    while (from + 8 <= to) {
        row[from >> 3] = 0xFF;
        from += 8;
    }
    while (from < to) {
        row[from >> 3] |= (unsigned char)(0x80 >> (from & 7));
        from++;
    }
}

} // namespace

const CODE *WhiteTable()
{
    return kWhite;
}

const CODE *BlackTable()
{
    return kBlack;
}

size_t MaxCodedBytes(int width)
{
    if (width < 0)
        width = 0;
    // The most bits per pixel are 6 (white runs of one pixel); the first white run of 0 takes 8.
    return ((size_t)width * 6 + 8 + 7) / 8 + 4;
}

size_t EncodeRow(const unsigned char *row, int width, std::vector<unsigned char> &out)
{
    const TABLES &t = Tables();
    size_t before = out.size();
    out.reserve(before + MaxCodedBytes(width));
    BITWRITER writer(out);
    int x = 0, colour = 0;
    if (width <= 0) {
        writer.Put(t.Term[0][0]);
    } else {
        while (x < width) {
            int end = RunEnd(row, x, width, colour);
            PutRun(writer, t, colour, end - x);
            x = end;
            colour ^= 1;
        }
    }
    writer.Flush();
    return out.size() - before;
}

RESULT DecodeRow(const unsigned char *code, size_t length, unsigned char *row, int width,
                 int *linepos, TRACEFN trace, void *context)
{
    const TABLES &t = Tables();
    int pos = 0, colour = 0;
    uint32_t acc = 1; // a marker bit above the collected bits
    int collected = 0;
    RESULT result = DECODE_OK;
    const size_t bits = length * 8;
    for (size_t i = 0; i < bits && pos < width; i++) {
        acc = acc << 1 | ((code[i >> 3] >> (i & 7)) & 1u);
        collected++;
        int entry = t.Decode[colour][acc];
        if (entry) {
            const CODE &c = (colour ? kBlack : kWhite)[entry - 1];
            if (colour) {
                int end = c.Run > width - pos ? width : pos + c.Run;
                SetBlack(row, pos, end);
            }
            pos = c.Run > width - pos ? width : pos + c.Run;
            if (trace)
                trace(context, c.Run, c.Kind, pos, (int)(i + 1));
            if (c.Kind == KIND_WHITE_TERM || c.Kind == KIND_BLACK_TERM)
                colour ^= 1;
            acc = 1;
            collected = 0;
        } else if (collected >= kMaxBits) {
            // No code has this prefix.  Zero bits up to the end of the record are fill, which
            // some writers add; anything else is a broken line.
            bool fill = acc == (1u << collected);
            for (size_t j = i + 1; fill && j < bits; j++)
                fill = ((code[j >> 3] >> (j & 7)) & 1u) == 0;
            if (!fill)
                result = DECODE_ERROR;
            break;
        }
    }
    if (linepos)
        *linepos = pos;
    return result;
}

} // namespace MHCODE
