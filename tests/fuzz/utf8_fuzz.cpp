// Feeds arbitrary bytes to the UTF-8 decoder.  Besides memory errors it checks that the decoder
// gives the same text however the bytes are split across calls, never more units than bytes, and
// that decoding what the encoder makes of the result gives the result again (bad bytes come out
// as characters of their own values, which encode and decode cleanly).
#include <cstddef>
#include <cstdint>
#include <string>

#include "kestar/base/unicode.h"

namespace {

void Append(void *context, const char16_t *units, size_t count)
{
    static_cast<std::u16string *>(context)->append(units, count);
}

std::u16string DecodeInPieces(const uint8_t *data, size_t size, size_t piece)
{
    std::u16string out;
    UTF8STATE state = {};
    for (size_t at = 0; at < size; at += piece) {
        size_t n = size - at < piece ? size - at : piece;
        UNICODE::Utf8ToWide(reinterpret_cast<const char *>(data + at), (ptrdiff_t)n, &state, Append, &out);
    }
    UNICODE::Utf8Flush(&state, Append, &out);
    return out;
}

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::u16string whole = DecodeInPieces(data, size, size ? size : 1);
    Check(whole.size() <= size);
    Check(DecodeInPieces(data, size, 1) == whole);
    Check(DecodeInPieces(data, size, 2) == whole);
    Check(DecodeInPieces(data, size, 3) == whole);

    std::string utf8;
    char buffer[8];
    size_t pos = 0;
    while (pos < whole.size()) {
        unsigned int value = UNICODE::NextCodePoint(whole.data(), whole.size(), &pos);
        // The decoder never produces a lone surrogate.
        Check(value < 0xD800 || value > 0xDFFF);
        int n = UNICODE::WideToUtf8(value, buffer, sizeof(buffer));
        Check(n >= 1 && n <= 4);
        utf8.append(buffer, n);
    }
    Check(DecodeInPieces(reinterpret_cast<const uint8_t *>(utf8.data()), utf8.size(),
                         utf8.size() ? utf8.size() : 1) == whole);

    // Every character also goes through the code-page lookups of one page.
    static const int kPages[] = {1252, 437, 999, 949, 8875, 932, UNICODE_CPSYSTEM, UNICODE_CPFLAT};
    int cp = kPages[size ? data[0] % (sizeof(kPages) / sizeof(kPages[0])) : 0];
    UNICODE *u = UNICODE::GetInstance();
    pos = 0;
    while (pos < whole.size())
        u->FromWide(UNICODE::NextCodePoint(whole.data(), whole.size(), &pos), cp);
    return 0;
}
