// The font rewrite of extended dialog templates (see dialogtemplate.h).  Every read is checked
// against the template's size: a template that does not parse is handed on unchanged.
#include "kestar/windowing/dialogtemplate.h"

#include <cstdint>

namespace DIALOGTEMPLATE {

namespace {

const size_t TITLE_OFFSET = 30;    // after the fixed header, a zero menu word and a zero class word
const size_t STYLE_OFFSET = 12;
const size_t COUNT_OFFSET = 16;
const size_t MENU_OFFSET = 26;
const size_t ITEM_FIXED = 24;      // help id, extended style, style, x, y, cx, cy, id
const uint32_t SETFONT = 0x40;     // DS_SETFONT

class READER {
public:
    READER(const unsigned char *data, size_t size) : data(data), size(size) {}

    bool Word(size_t at, uint16_t *value) const
    {
        if (at > size || size - at < 2)
            return false;
        *value = static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
        return true;
    }
    bool Dword(size_t at, uint32_t *value) const
    {
        uint16_t low, high;
        if (!Word(at, &low) || !Word(at + 2, &high))
            return false;
        *value = low | (static_cast<uint32_t>(high) << 16);
        return true;
    }
    // A zero-terminated UTF-16 string at *at; *at moves past its zero.
    bool SkipString(size_t *at) const
    {
        for (;;) {
            uint16_t unit;
            if (!Word(*at, &unit))
                return false;
            *at += 2;
            if (unit == 0)
                return true;
        }
    }
    // A class or title field: 0xFFFF and an ordinal, or a string.
    bool SkipNameOrOrdinal(size_t *at) const
    {
        uint16_t first;
        if (!Word(*at, &first))
            return false;
        if (first == 0xFFFF) {
            if (size - *at < 4)
                return false;
            *at += 4;
            return true;
        }
        return SkipString(at);
    }

private:
    const unsigned char *data;
    size_t size;
};

size_t Align4(size_t at)
{
    return (at + 3) & ~static_cast<size_t>(3);
}

bool FaceEquals(const unsigned char *data, size_t at, size_t end, const char *ascii)
{
    size_t i = 0;
    for (; ascii[i]; ++i) {
        size_t p = at + 2 * i;
        if (p + 2 > end || data[p] != static_cast<unsigned char>(ascii[i]) || data[p + 1] != 0)
            return false;
    }
    return at + 2 * i + 2 <= end && data[at + 2 * i] == 0 && data[at + 2 * i + 1] == 0;
}

void PutWord(std::vector<unsigned char> *out, uint16_t value)
{
    out->push_back(static_cast<unsigned char>(value & 0xFF));
    out->push_back(static_cast<unsigned char>(value >> 8));
}

} // namespace

bool RewriteFont(const unsigned char *data, size_t size, int points, const char16_t *face,
                 std::vector<unsigned char> *out)
{
    out->assign(data, data + size);
    if (data == nullptr || points <= 0 || points > 0x7FFF || face == nullptr || face[0] == 0)
        return false;
    size_t faceLength = 0;
    while (face[faceLength] != 0) {
        if (++faceLength > static_cast<size_t>(MAX_FACE))
            return false;
    }

    READER reader(data, size);
    uint16_t version, signature, menu, windowClass, count, oldPoints;
    uint32_t style;
    if (!reader.Word(0, &version) || !reader.Word(2, &signature) || signature != 0xFFFF)
        return false;
    if (!reader.Dword(STYLE_OFFSET, &style) || !(style & SETFONT))
        return false;
    if (!reader.Word(COUNT_OFFSET, &count))
        return false;
    // The title is found at a fixed place only when menu and class are both absent.
    if (!reader.Word(MENU_OFFSET, &menu) || !reader.Word(MENU_OFFSET + 2, &windowClass) || menu != 0 ||
        windowClass != 0)
        return false;
    size_t at = TITLE_OFFSET;
    if (!reader.SkipString(&at))
        return false;
    const size_t pointsAt = at;
    if (!reader.Word(pointsAt, &oldPoints) || size - pointsAt < 6)
        return false;
    const size_t faceAt = pointsAt + 6; // points, weight, italic, charset
    size_t faceEnd = faceAt;
    if (!reader.SkipString(&faceEnd))
        return false;
    if (oldPoints != 8 || !FaceEquals(data, faceAt, faceEnd, "MS Shell Dlg"))
        return false;

    const size_t firstItem = Align4(faceEnd);
    size_t end = firstItem;
    for (uint16_t i = 0; i < count; ++i) {
        size_t item = Align4(end);
        if (item > size || size - item < ITEM_FIXED)
            return false;
        size_t p = item + ITEM_FIXED;
        uint16_t extra;
        if (!reader.SkipNameOrOrdinal(&p) || !reader.SkipNameOrOrdinal(&p) || !reader.Word(p, &extra))
            return false;
        p += 2;
        if (size - p < extra)
            return false;
        end = p + extra;
    }

    std::vector<unsigned char> rewritten(data, data + faceAt);
    rewritten[pointsAt] = static_cast<unsigned char>(points & 0xFF);
    rewritten[pointsAt + 1] = static_cast<unsigned char>(points >> 8);
    for (size_t i = 0; i < faceLength; ++i)
        PutWord(&rewritten, static_cast<uint16_t>(face[i]));
    PutWord(&rewritten, 0);
    rewritten.resize(Align4(rewritten.size()), 0);
    if (count > 0)
        rewritten.insert(rewritten.end(), data + firstItem, data + end);
    out->swap(rewritten);
    return true;
}

} // namespace DIALOGTEMPLATE
