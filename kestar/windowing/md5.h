// MD5: the digest of RFC 1321, unchanged, and a BINARY that holds one.  The client keeps users'
// passwords only as the digest (as BINARY::ToHex, lower case).  Portable.
#ifndef KESTAR_WINDOWING_MD5_H
#define KESTAR_WINDOWING_MD5_H

#include "kestar/base/binary.h"

#include <cstddef>
#include <cstdint>

class MD5 : public BINARY {
public:
    // The digest state between the three steps; cleared to zero by Final.
    struct STATE {
        uint32_t state[4];      // the chaining words A, B, C, D
        uint32_t count[2];      // bits processed, low word first
        unsigned char buffer[64]; // input not yet transformed
    };

    // The 16 digest bytes of the first length bytes of text (-1: up to its terminator); a null
    // text gives an empty value (no digest), not the digest of "".
    MD5(const char *text, int length);

    static void Init(STATE *state);
    static void Update(STATE *state, const unsigned char *bytes, size_t count);
    // Writes the 16 digest bytes and clears the state.
    static void Final(unsigned char digest[16], STATE *state);
    // The digest of the first length bytes of text (-1: up to the terminator) as 16 bytes in out;
    // a null text empties out (Free).
    static void Compute(BINARY &out, const char *text, int length);
};

#endif
