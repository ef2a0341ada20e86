// The glyph dictionary of the fax-command recognition and its built-in table.
#include "client/ocrdictionary.h"

#include <cstring>
#include <new>

namespace {

// One 16-byte entry of the built-in table: the character, seven zero bytes and the pattern,
// least significant byte first.
#define GLYPH(c, p) (unsigned char)(c), 0, 0, 0, 0, 0, 0, 0, BYTES8((unsigned long long)(p))
#define BYTES8(v)                                                                                    \
    (unsigned char)((v) >> 0), (unsigned char)((v) >> 8), (unsigned char)((v) >> 16),               \
        (unsigned char)((v) >> 24), (unsigned char)((v) >> 32), (unsigned char)((v) >> 40),          \
        (unsigned char)((v) >> 48), (unsigned char)((v) >> 56)

// Bit 7 x row + column is the cell in that row (0 at the top) and column (0 at the left).
const unsigned char kGlyphTable[(OCRDICTIONARY::kBuiltinEntries + 1) * OCRDICTIONARY::kBuiltinEntryBytes] = {
    // One drawing of each character.
    GLYPH('@', 0x3C84FD9D3ABF911C),
    GLYPH('#', 0x00006FB766DFF648),
    GLYPH('(', 0x4070383870E39C40),
    GLYPH(')', 0x0239C3060C1C0E02),
    GLYPH('*', 0x00000000000D3F18),
    GLYPH('+', 0x000000408FE20400),
    GLYPH('-', 0x00000007F0000000),
    GLYPH('/', 0x00000C30C30C3040),
    GLYPH('0', 0x0000FB1E3C78F1BE),
    GLYPH('1', 0x000183060C18FC40),
    GLYPH('2', 0x0001FC718E1831BC),
    GLYPH('3', 0x0000FB1E079C319E),
    GLYPH('4', 0x0000C3FFF6CF1C20),
    GLYPH('5', 0x0000FB1E0C6FC1FE),
    GLYPH('6', 0x0000FB1E3FE6F1BC),
    GLYPH('7', 0x00003060C30C307F),
    GLYPH('8', 0x0000FB1E37D8F19C),
    GLYPH('9', 0x0000FB1FEC78F19E),
    GLYPH('[', 0x7E1C3870E1C3877E),
    GLYPH(']', 0x7EE1C3870E1C387E),
    GLYPH('&', 0x0001FB9FB3870B1C),
    GLYPH(':', 0x0001500000150000),
    GLYPH(';', 0x14A1500000150000),
    GLYPH('|', 0x4891224489122448),
    GLYPH('_', 0x7F00000000000000),
    GLYPH('=', 0x00000007F01FC000),
    GLYPH('{', 0x703060C0F3060C70),
    GLYPH('}', 0x0F3060C703060C0F),
    GLYPH('<', 0x00000301E1DE0000),
    GLYPH('>', 0x0000003BCE038000),
    GLYPH('A', 0x00010F13E4CD0E1C),
    GLYPH('B', 0x0001FE1E37F8F1BF),
    GLYPH('C', 0x0000FB103070F13C),
    GLYPH('D', 0x0000FF1C3870F19F),
    GLYPH('E', 0x0001FC183FE0C1FF),
    GLYPH('F', 0x00000C1837E0C1FF),
    GLYPH('G', 0x0000F2143020F33C),
    GLYPH('H', 0x00010E1C3FF0E1C1),
    GLYPH('I', 0x000152A54A952A54),
    GLYPH('J', 0x0000FB1E0C183060),
    GLYPH('K', 0x00018D99B1E7DDE1),
    GLYPH('L', 0x0001FC183060C183),
    GLYPH('M', 0x000126EDDABDF1E3),
    GLYPH('N', 0x00018F9D3B71E3C3),
    GLYPH('O', 0x0000FB1C1830511C),
    GLYPH('P', 0x00000C18BD70F1BF),
    GLYPH('Q', 0x0001FB9C1830511C),
    GLYPH('R', 0x00018D1B37F8F1BF),
    GLYPH('S', 0x0001FA1C0790B13C),
    GLYPH('T', 0x000060C183060C7F),
    GLYPH('U', 0x0000FA1C3870E1C1),
    GLYPH('V', 0x000070A344D8B1C3),
    GLYPH('W', 0x000089356AF464C9),
    GLYPH('X', 0x00018DB1C3871B62),
    GLYPH('Y', 0x000060C1838D1363),
    GLYPH('Z', 0x0001FC30C304387E),
    // A second drawing of each, in the same order.
    GLYPH('@', 0x3C84F6AD5ABA911C),
    GLYPH('#', 0x000068F7F69FF648),
    GLYPH('(', 0x7078383870E79E60),
    GLYPH(')', 0x073CE3870E0F0F03),
    GLYPH('*', 0x00000000001DBF98),
    GLYPH('+', 0x000000C58B060000),
    GLYPH('-', 0x00000007F0000000),
    GLYPH('/', 0x00000C70C30C3040),
    GLYPH('0', 0x0000FA1C3870F1BC),
    GLYPH('1', 0x000183060C187C60),
    GLYPH('2', 0x0001FC718E1871BE),
    GLYPH('3', 0x0000FA1C0718319C),
    GLYPH('4', 0x000183FE2D9E3820),
    GLYPH('5', 0x0000FA1C086FC1FE),
    GLYPH('6', 0x0000F21437E0E13C),
    GLYPH('7', 0x00001860C306307F),
    GLYPH('8', 0x0000FA1C3798B1BC),
    GLYPH('9', 0x0000FB040C50E19C),
    GLYPH('[', 0x7E1C3870E1C3877E),
    GLYPH(']', 0x7EE1C3870E1C387E),
    GLYPH('&', 0x00017B9F3B871B1C),
    GLYPH(':', 0x0001500000152A00),
    GLYPH(';', 0x14A9500000152A00),
    GLYPH('|', 0x4891224489122448),
    GLYPH('_', 0x7F00000000000000),
    GLYPH('=', 0x00000007F01FC000),
    GLYPH('{', 0x78306060B3060C78),
    GLYPH('}', 0x0F3061C403060C0F),
    GLYPH('<', 0x000103C0F1FE2000),
    GLYPH('>', 0x0000047F8F03C080),
    GLYPH('A', 0x00010F13E4CD0A18),
    GLYPH('B', 0x0000FE1C3FF8F1BF),
    GLYPH('C', 0x0000F2103070F13C),
    GLYPH('D', 0x0000FF1C3870F19F),
    GLYPH('E', 0x0001FC1837E0C1FF),
    GLYPH('F', 0x00000C1837E0C1FF),
    GLYPH('G', 0x0000F2141020F13C),
    GLYPH('H', 0x00010E1C3FF0E1C1),
    GLYPH('I', 0x000152A54A952A54),
    GLYPH('J', 0x0000FB1E0C183060),
    GLYPH('K', 0x00018D99B1E6D9E1),
    GLYPH('L', 0x0001FC183060C183),
    GLYPH('M', 0x000126ED5AB8F1C1),
    GLYPH('N', 0x00018F1DB973E3C3),
    GLYPH('O', 0x0000731C1830511C),
    GLYPH('P', 0x00000C197EF0E1BF),
    GLYPH('Q', 0x0001F3941830D11C),
    GLYPH('R', 0x00018D9BF6F8F1BF),
    GLYPH('S', 0x0000F21F0380F11C),
    GLYPH('T', 0x000060C183060C7F),
    GLYPH('U', 0x0000FA1C3870E1C1),
    GLYPH('V', 0x000070E346C8B141),
    GLYPH('W', 0x000099B56AB76CC9),
    GLYPH('X', 0x00018DB1C3871B62),
    GLYPH('Y', 0x000060C1838D3341),
    GLYPH('Z', 0x0001FC30C304187E),
    // The end of the table.
    GLYPH(0, 0x0000000000000000),
};

#undef GLYPH
#undef BYTES8

int Distance(uint64_t a, uint64_t b)
{
    uint64_t x = a ^ b;
    int n = 0;
    for (; x; x &= x - 1)
        n++;
    return n;
}

} // namespace

const unsigned char *OCRDICTIONARY::BuiltinTable()
{
    return kGlyphTable;
}

OCRDICTIONARY::~OCRDICTIONARY()
{
    delete[] entries;
    delete[] slots;
}

bool OCRDICTIONARY::LoadBuiltin()
{
    for (const unsigned char *e = kGlyphTable; e[0] != 0; e += kBuiltinEntryBytes) {
        uint64_t pattern = 0;
        for (int i = 7; i >= 0; i--)
            pattern = (pattern << 8) | e[8 + i];
        if (Find(pattern) < 0 && !Add(pattern, (char)e[0]))
            return false;
    }
    return true;
}

size_t OCRDICTIONARY::SlotOf(uint64_t pattern) const
{
    return (size_t)((pattern * 0x9E3779B97F4A7C15ull) >> (64 - slotBits));
}

int OCRDICTIONARY::Find(uint64_t pattern) const
{
    if (slotCount == 0)
        return -1;
    for (size_t s = SlotOf(pattern);; s = (s + 1) & (slotCount - 1)) {
        if (slots[s] < 0)
            return -1;
        if (entries[slots[s]].Pattern == pattern)
            return slots[s];
    }
}

bool OCRDICTIONARY::Reserve(int entriesNeeded)
{
    if (entriesNeeded > capacity) {
        int grown = capacity ? capacity * 2 : 128;
        ENTRY *more = new (std::nothrow) ENTRY[grown];
        if (!more)
            return false;
        if (count)
            std::memcpy(more, entries, sizeof(ENTRY) * (size_t)count);
        delete[] entries;
        entries = more;
        capacity = grown;
    }
    if ((size_t)entriesNeeded * 2 > slotCount) {
        int bits = slotBits ? slotBits + 1 : 8;
        size_t n = (size_t)1 << bits;
        int32_t *more = new (std::nothrow) int32_t[n];
        if (!more)
            return false;
        for (size_t s = 0; s < n; s++)
            more[s] = -1;
        delete[] slots;
        slots = more;
        slotCount = n;
        slotBits = bits;
        for (int i = 0; i < count; i++) {
            size_t s = SlotOf(entries[i].Pattern);
            while (slots[s] >= 0)
                s = (s + 1) & (slotCount - 1);
            slots[s] = i;
        }
    }
    return true;
}

bool OCRDICTIONARY::Add(uint64_t pattern, char character)
{
    if (Find(pattern) >= 0 || !Reserve(count + 1))
        return false;
    size_t s = SlotOf(pattern);
    while (slots[s] >= 0)
        s = (s + 1) & (slotCount - 1);
    entries[count] = ENTRY{pattern, character};
    slots[s] = count++;
    return true;
}

char OCRDICTIONARY::Lookup(uint64_t pattern)
{
    int hit = Find(pattern);
    if (hit >= 0)
        return entries[hit].Character;
    int best = -1, bestDistance = kNearDistance;
    for (int i = 0; i < count; i++) {
        int d = Distance(pattern, entries[i].Pattern);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    if (best < 0)
        return kUnknown;
    const char character = entries[best].Character;
    if (bestDistance <= kLearnDistance && learned < kMaxLearned && Add(pattern, character))
        learned++;
    return character;
}
