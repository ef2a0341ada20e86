// The token and trim rules that STRING and WSTRING share, over a text of either character type.
// A text is a pointer and a length in characters; a null text has no tokens and nothing to trim.
// Delimiter and trim sets end at their first 0, and the character 0 is never in a set.
#ifndef KESTAR_TEXTRULES_H
#define KESTAR_TEXTRULES_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kestar/base/binary.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace TEXTRULES {

// The first byte c in [p, p + n), or null.  Sixteen bytes at a time where the processor has SSE2,
// else eight: the C library's memchr of some runtimes (Wine's among them) looks at one byte at a
// time, and the list readers search every line of a phone book.
inline const char *FindByte(const char *p, size_t n, char c)
{
#if defined(__GLIBC__)
    return static_cast<const char *>(std::memchr(p, c, n)); // glibc's is faster still
#endif
    const char *end = p + n;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    for (; end - p >= 16; p += 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        if (unsigned at = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted))))
            return p + __builtin_ctz(at);
    }
#endif
    const uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    const uint64_t pattern = ones * static_cast<unsigned char>(c);
    for (; end - p >= 8; p += 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        uint64_t x = word ^ pattern; // a zero byte where c is
        if ((x - ones) & ~x & highs)
            break;
    }
    for (; p < end; p++)
        if (*p == c)
            return p;
    return nullptr;
}

// Copies n bytes from p to out (not overlapping).  The names and values of records are a few
// bytes each: copied here without a call into the C library, which on Windows is a call into
// another module for every value.  Longer runs go to memcpy.
inline void CopyBytes(char *out, const char *p, size_t n)
{
    if (n > 32) {
        std::memcpy(out, p, n);
    } else if (n >= 8) {
        // Words from the front and from the back, overlapping where they meet.
        uint64_t a, b, c, d;
        std::memcpy(&a, p, 8);
        std::memcpy(&b, p + n - 8, 8);
        if (n > 16) {
            std::memcpy(&c, p + 8, 8);
            std::memcpy(&d, p + n - 16, 8);
            std::memcpy(out + 8, &c, 8);
            std::memcpy(out + n - 16, &d, 8);
        }
        std::memcpy(out, &a, 8);
        std::memcpy(out + n - 8, &b, 8);
    } else if (n >= 4) {
        uint32_t a, b;
        std::memcpy(&a, p, 4);
        std::memcpy(&b, p + n - 4, 4);
        std::memcpy(out, &a, 4);
        std::memcpy(out + n - 4, &b, 4);
    } else if (n > 0) {
        // First, middle and last cover 1 to 3 bytes.
        char first = p[0], middle = p[n / 2], last = p[n - 1];
        out[0] = first;
        out[n / 2] = middle;
        out[n - 1] = last;
    }
}

inline char *FindByte(char *p, size_t n, char c)
{
    return const_cast<char *>(FindByte(static_cast<const char *>(p), n, c));
}

template <typename C>
bool InSet(C c, const C *set)
{
    if (c == 0 || set == nullptr)
        return false;
    for (; *set != 0; set++) {
        if (*set == c)
            return true;
    }
    return false;
}

// Offset of the first delimiter at or after from, or -1.
template <typename C>
STRING_SIZE_T NextDelimiter(const C *text, STRING_SIZE_T len, STRING_SIZE_T from, const C *delimiters)
{
    for (STRING_SIZE_T i = from; i < len; i++) {
        if (InSet(text[i], delimiters))
            return i;
    }
    return -1;
}

// The bounds [from, to) of token n (from 0) between any characters of delimiters; adjacent
// delimiters give empty tokens, and with rest the token runs to the end of the text.  False when
// the text is null, n is negative or the text has fewer tokens.
template <typename C>
bool TokenBounds(const C *text, STRING_SIZE_T len, int n, const C *delimiters, bool rest,
                 STRING_SIZE_T &from, STRING_SIZE_T &to)
{
    if (text == nullptr || n < 0)
        return false;
    from = 0;
    for (int k = 0; k < n; k++) {
        const STRING_SIZE_T at = NextDelimiter(text, len, from, delimiters);
        if (at < 0)
            return false;
        from = at + 1;
    }
    to = len;
    if (!rest) {
        const STRING_SIZE_T at = NextDelimiter(text, len, from, delimiters);
        if (at >= 0)
            to = at;
    }
    return true;
}

// What a trim keeps of a text: the characters [skip, end).  how is 'L', 'R' or 'B' (both), already
// checked by the caller; the right end is cut first, then the left within what is left.
template <typename C>
void TrimBounds(const C *text, STRING_SIZE_T len, char how, const C *set, STRING_SIZE_T &skip,
                STRING_SIZE_T &end)
{
    skip = 0;
    end = len;
    if (text == nullptr || set == nullptr)
        return;
    if (how == 'R' || how == 'B') {
        while (end > 0 && InSet(text[end - 1], set))
            end--;
    }
    if (how == 'L' || how == 'B') {
        while (skip < end && InSet(text[skip], set))
            skip++;
    }
}

} // namespace TEXTRULES

#endif
