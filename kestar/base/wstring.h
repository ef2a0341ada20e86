// WSTRING, UTF-16 text for the places where the system meets wide-character interfaces: a BINARY
// whose Flags has STRINGFLAG_WIDE.  Lengths and positions of its own operations count characters
// (16-bit units); the inherited BINARY fields count bytes.  The portable code holds the text as
// char16_t (wchar_t is 4 bytes on Linux); the Windows build converts at the Win32 boundary only.
#ifndef KESTAR_WSTRING_H
#define KESTAR_WSTRING_H

#include "kestar/base/binary.h"
#include "kestar/base/string.h"

class WSTRING : public BINARY {
public:
    WSTRING();
    // len -1: up to the terminator; a null text leaves the string NULL.
    WSTRING(const char16_t *wide, STRING_SIZE_T len = -1);
    // 8-bit text through a code page: UNICODE_CPUTF8 decodes UTF-8, any other maps byte by byte.
    explicit WSTRING(const char *text, int codepage = 1252);
    WSTRING(const char *text, STRING_SIZE_T len, int codepage);
    // By the string's CodePage.
    explicit WSTRING(const STRING &text);
    WSTRING(const WSTRING &other);
    WSTRING(WSTRING &&other) noexcept;
#if defined(_WIN32)
    WSTRING(const wchar_t *wide, STRING_SIZE_T len = -1);
#endif
    virtual ~WSTRING();

    WSTRING &operator=(const WSTRING &other);
    WSTRING &operator=(WSTRING &&other) noexcept;
    // A null text frees the buffer (NULL string).
    WSTRING &operator=(const char16_t *wide);

    // Length in characters.
    STRING_SIZE_T Length() const { return StrLen / 2; }
    // The content, zero-terminated; null for a NULL string.  Borrowed: valid until the next change.
    char16_t *GetBuffer() { return reinterpret_cast<char16_t *>(Buffer); }
    const char16_t *GetBuffer() const { return reinterpret_cast<const char16_t *>(Buffer); }
#if defined(_WIN32)
    // The same for the W functions of Win32.
    const wchar_t *GetWide() const { return reinterpret_cast<const wchar_t *>(Buffer); }
#endif
    bool NotEmpty() const { return Buffer != nullptr && StrLen >= 2; }
    bool IsEmpty() const { return !NotEmpty(); }

    void SetNotNull();
    // len -1: up to the terminator; a null text appends "<NULL>".
    void Append(const char16_t *wide, STRING_SIZE_T len = -1);
    void AppendChar(char16_t c);
    // Before pos (pos < length), appended (pos = length), nothing beyond.  The string's own buffer
    // as text is an assertion failure and changes nothing.
    void Insert(const char16_t *wide, STRING_SIZE_T pos);
    void Truncate(STRING_SIZE_T newlength);
    void DeleteLeft(STRING_SIZE_T howmany);
    void DeleteRight(STRING_SIZE_T howmany);
    // In place; how 'L', 'R' or 'B' (either case), characters that occur in set.
    WSTRING &Trim(char how, const char16_t *set);

    // Character i, 0 <= i < Length().  Outside: assertion failure and a scratch character.
    char16_t &operator[](STRING_SIZE_T i);
    const char16_t &operator[](STRING_SIZE_T i) const;

    // Case-sensitive search; offset in characters or -1.
    STRING_SIZE_T Pos(const char16_t *wide, STRING_SIZE_T start = 0) const;
    bool Find(const char16_t *wide, STRING_SIZE_T *pos = nullptr, STRING_SIZE_T start = 0) const;
    // Case-sensitive; the rules of STRING::Replace.  Returns the count.
    int Replace(const char16_t *from, const char16_t *to);

    WSTRING Mid(STRING_SIZE_T pos, STRING_SIZE_T len = -1) const;
    // The rules of STRING::Token with wide delimiters.
    WSTRING Token(int n, const char16_t *delimiters, int flags = 0) const;
    // The n-th tab-separated field.
    WSTRING TabWord(int n) const;

    // UTF-8 (code page 1252 in the result's CodePage field).
    STRING ToUtf8() const;
    // Replace the content by decoded 8-bit text; len -1 up to the terminator.
    void FromUtf8(const char *text, STRING_SIZE_T len = -1);
    void FromCodePage(const char *text, STRING_SIZE_T len, int codepage);

    // One character between a code page and Unicode (through the code-page tables).
    static char16_t CharToWide(unsigned char c, int codepage);
    static unsigned char CharFromWide(unsigned int c, int codepage);

private:
    // Byte-counting operations of BINARY that would be wrong on characters.
    using BINARY::Delete;
    char16_t *Chars() { return reinterpret_cast<char16_t *>(Buffer); }
    const char16_t *Chars() const { return reinterpret_cast<const char16_t *>(Buffer); }
    static char16_t &WideScratch();
};

#endif
