// The bytes of the classes under test as standard containers, for comparisons and failure
// messages, and the few byte-level builders several tests share.
#ifndef TESTS_SUPPORT_BYTES_SUPPORT_H
#define TESTS_SUPPORT_BYTES_SUPPORT_H

#include "kestar/base/string.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The bytes of s; nullText when s has no buffer, so that a NULL string never compares equal to an
// empty one.
std::string TextOf(const BINARY &s, const char *nullText = "(NULL)");
// A STRING holding exactly the bytes of s (NUL bytes included).
STRING StringOf(const std::string &s);
// The bytes of data as a vector; empty for a NULL one.
std::vector<uint8_t> ByteVectorOf(const BINARY &data);
// Stores x little-endian at v[at..at+3] (at() checks the range).
void Set32(std::vector<uint8_t> &v, size_t at, uint32_t x);
// The 16-bit PCM samples of a sound buffer (a trailing odd byte is left out).
std::vector<int> SamplesOf(const BINARY &data);

#endif
