// The list view's text rules (see listviewtext.h).
#include "kestar/windowing/listviewtext.h"

#include <cstring>

namespace LISTVIEWTEXT {

namespace {

// Lower case of a code page 1252 byte: ASCII, the Latin-1 letters (not the multiplication sign)
// and the four letter pairs of 0x80..0x9F.
unsigned char Fold(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A: return 0x9A; // S caron
    case 0x8C: return 0x9C; // OE
    case 0x8E: return 0x9E; // Z caron
    case 0x9F: return 0xFF; // Y diaeresis
    default: return c;
    }
}

} // namespace

WSTRING CutField(const WSTRING &text)
{
    WSTRING field = text;
    field.SetNotNull();
    if (field.Length() > FIELD_CHARACTERS)
        field.Truncate(FIELD_CHARACTERS);
    return field;
}

std::vector<WSTRING> RecordFields(const WSTRING &record)
{
    std::vector<WSTRING> fields;
    fields.push_back(CutField(record.TabWord(0)));
    for (int i = 1; fields[0].NotEmpty(); ++i) {
        WSTRING field = record.TabWord(i);
        if (field.IsEmpty())
            break;
        fields.push_back(CutField(field));
    }
    return fields;
}

STRING ColumnWidthsText(const int *widths, int count)
{
    STRING text;
    text.SetNotNull();
    for (int i = 0; i < count; ++i)
        text.AppendFormat("%d|", widths[i]);
    text.StripLastChar('|');
    return text;
}

std::vector<int> ParseColumnWidths(const char *text)
{
    std::vector<int> widths;
    if (text == nullptr)
        return widths;
    const char *field = text;
    for (;;) {
        const char *end = std::strchr(field, '|');
        size_t length = end ? static_cast<size_t>(end - field) : std::strlen(field);
        long value = length > 0 && length <= 6 ? 0 : -1;
        for (size_t i = 0; i < length && value != -1; ++i) {
            if (field[i] < '0' || field[i] > '9')
                value = -1;
            else
                value = value * 10 + (field[i] - '0');
        }
        widths.push_back(static_cast<int>(value));
        if (end == nullptr)
            break;
        field = end + 1;
    }
    return widths;
}

int CompareIgnoringCase(const char *a, const char *b)
{
    const unsigned char *x = reinterpret_cast<const unsigned char *>(a ? a : "");
    const unsigned char *y = reinterpret_cast<const unsigned char *>(b ? b : "");
    for (;; ++x, ++y) {
        unsigned char cx = Fold(*x), cy = Fold(*y);
        if (cx != cy)
            return cx < cy ? -1 : 1;
        if (cx == 0)
            return 0;
    }
}

int CompareRows(const char *a, const char *b, const char *nextA, const char *nextB, int order)
{
    int result = CompareIgnoringCase(a, b);
    if (result == 0 && nextA != nullptr && nextB != nullptr)
        result = CompareIgnoringCase(nextA, nextB);
    return order == 1 ? -result : result;
}

} // namespace LISTVIEWTEXT
