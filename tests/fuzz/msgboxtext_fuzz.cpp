// Feeds arbitrary texts to the message boxes' formatter (messages carry texts from the server).
// The first byte picks width, force and the version id; the rest is the text, as 16-bit units.
// Besides memory errors it checks what the formatter promises whatever the text: never NULL, no
// "\n" left, no more characters than the text once the markup is resolved, and the same result
// for the 8-bit form when the text is plain ASCII.
#include <cstddef>
#include <cstdint>
#include <string>

#include "kestar/base/winorvak.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const int kWidths[] = {55, -1, 0, 1, 10};
    const int width = kWidths[(data[0] & 0x7) % 5];
    const int force = (data[0] >> 3) & 1;
    const int os = (data[0] >> 4) & 0xF;
    std::u16string text;
    for (size_t i = 1; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    WSTRING wide(text.c_str(), static_cast<STRING_SIZE_T>(text.size()));
    wide.SetNotNull();
    WSTRING result = WINORVAK::FormatMsgBoxTextFor(wide, width, force, os);
    Check(!result.IsNull());
    Check(result.Length() <= static_cast<STRING_SIZE_T>(text.size()));
    for (STRING_SIZE_T i = 0; i < result.Length(); ++i)
        Check(result.GetBuffer()[i] != u'\n' && result.GetBuffer()[i] != WINORVAK::NBSP_PLACEHOLDER);

    // The same bytes as 8-bit text: ASCII reads alike in every code page.
    std::string ascii;
    for (size_t i = 1; i < size; ++i)
        ascii.push_back(static_cast<char>(data[i] & 0x7F ? data[i] & 0x7F : 'x'));
    WSTRING fromBytes = WINORVAK::FormatMsgBoxTextFor(WSTRING(ascii.c_str(), 1252), width, force, os);
    Check(fromBytes.Length() <= static_cast<STRING_SIZE_T>(ascii.size()));
    return 0;
}
