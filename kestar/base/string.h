// STRING, the 8-bit text of the whole system: a BINARY with a code page (1252 unless set).  A
// STRING without buffer is NULL; wherever a NULL text is read it counts as "<NULL>" (see
// STR::SafeText).  Equality and ordering ignore case.  A STRING owns its buffer; copies copy.
//
// Never include winternl.h where this header is seen: it has a typedef of the same name.
#ifndef KESTAR_STRING_H
#define KESTAR_STRING_H

#include <cstdarg>
#include <cstdint>
#include <type_traits>

#include "kestar/base/binary.h"
#include "kestar/base/unicode.h" // the special code pages UNICODE_CPSYSTEM, UNICODE_CPFLAT, UNICODE_CPUTF8

class WSTRING;

#if defined(__MINGW32__)
#define KESTAR_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#elif defined(__GNUC__)
#define KESTAR_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define KESTAR_PRINTF_FORMAT(f, a)
#endif

// Flags of STRING::Token.
enum : int {
    STRING_TOKEN_REST = 0x0001,     // any of the low 16 bits: the token runs to the end of the text
    STRING_TOKEN_NOTNULL = 0x10000, // a missing token is empty instead of NULL
};

class STRING : public BINARY {
public:
    STRING() : BINARY(0), CodePage(1252) {}
    // A copy of a C text; a null text leaves the string NULL.
    STRING(const char *text, int codepage = 1252);
    STRING(const STRING &other);
    STRING(STRING &&other) noexcept;
    // Decimal text ("%d", "%u", "%ld", "%lu", "%lld", "%llu"), block size 16.
    explicit STRING(int value);
    explicit STRING(unsigned value);
    explicit STRING(long value);
    explicit STRING(unsigned long value);
    explicit STRING(long long value);
    explicit STRING(unsigned long long value);
    // "%1.*lf"; precision -1 means 4 with the trailing zeros (and a trailing point) removed.
    explicit STRING(double value, int precision = -1);
    // One byte per UTF-16 character through the code page, which becomes CodePage (UNICODE_CPUTF8
    // gives UTF-8).  length -1: up to the terminator; a null text leaves the string NULL.
    explicit STRING(const char16_t *wide, STRING_SIZE_T length = -1, int codepage = 1252);
    explicit STRING(const WSTRING &wide, int codepage = 1252);
#if defined(_WIN32)
    explicit STRING(const wchar_t *wide, STRING_SIZE_T length = -1, int codepage = 1252);
#endif
    ~STRING() = default;

    STRING &operator=(const STRING &other);
    STRING &operator=(STRING &&other) noexcept;
    // A null text makes the string NULL.
    STRING &operator=(const char *text);

    // len bytes of data (which may hold zero bytes); code page 1252.
    static STRING FromBytes(const void *data, STRING_SIZE_T len, STRING_SIZE_T blocksize = STRING_DEFAULT_BLOCKSIZE);

    // Gives a NULL string an empty buffer.
    void SetNotNull();
    // Takes the other's text only when this string is NULL.
    void SetDefault(const STRING &other);

    using BINARY::Append;
    // len -1 = up to the terminator; a null text appends "<NULL>".
    void Append(const char *text, STRING_SIZE_T len = -1);
    STRING &operator+=(const STRING &other);
    STRING &operator+=(const char *text);

    // howmany copies of c before pos; nothing when pos is at or past the end.
    void InsertChars(STRING_SIZE_T howmany, STRING_SIZE_T pos, char c);
    // text before pos (pos < length), appended (pos = length), nothing beyond.  The string's own
    // buffer as text is an assertion failure and changes nothing.
    void Insert(const char *text, STRING_SIZE_T pos);

    // Byte i, 0 <= i <= StrLen (the terminator may be addressed).  Outside: assertion failure and a
    // scratch byte.  One overload per integer type so that no index is ambiguous with the
    // conversion to a C text.
    char &operator[](int i) { return At(i); }
    char &operator[](unsigned i) { return At(ClampIndex(i)); }
    char &operator[](long i) { return At(ClampIndex(i)); }
    char &operator[](unsigned long i) { return At(ClampIndex(i)); }
    char &operator[](long long i) { return At(ClampIndex(i)); }
    char &operator[](unsigned long long i) { return At(ClampIndex(i)); }
    const char &operator[](int i) const { return At(i); }
    const char &operator[](unsigned i) const { return At(ClampIndex(i)); }
    const char &operator[](long i) const { return At(ClampIndex(i)); }
    const char &operator[](unsigned long i) const { return At(ClampIndex(i)); }
    const char &operator[](long long i) const { return At(ClampIndex(i)); }
    const char &operator[](unsigned long long i) const { return At(ClampIndex(i)); }

    // The content as a C text; null for a NULL string.  Borrowed: valid until the next change.
    operator const char *() const { return Buffer; }

    bool NotEmpty() const { return Buffer != nullptr && StrLen > 0; }
    bool IsEmpty() const { return !NotEmpty(); }

    // Offset of text from the start of the string, or -1; -1 at once when start >= length.
    // Pos is case-sensitive; iPos ignores case (ASCII letters).
    STRING_SIZE_T Pos(const char *text, STRING_SIZE_T start = 0) const;
    STRING_SIZE_T iPos(const char *text, STRING_SIZE_T start = 0) const;
    // Whether text occurs; pos (may be null) gets the offset, -1 when not found.
    bool Find(const char *text, STRING_SIZE_T *pos = nullptr, STRING_SIZE_T start = 0) const;
    bool iFind(const char *text, STRING_SIZE_T *pos = nullptr, STRING_SIZE_T start = 0) const;
    STRING_SIZE_T PosChar(char c) const;
    bool FindChar(char c, STRING_SIZE_T *pos = nullptr) const;

    // Numbers: strtol, strtoul, strtoll base 10, atof.  A NULL string reads as "<NULL>" (0).
    explicit operator int() const;
    unsigned long ToULong() const;
    int64_t ToInt64() const;
    double ToDouble() const;

    // Sub-strings (code page 1252).  Left(n) = Mid(0, n); Right(n) = the last n bytes.
    using BINARY::Mid;
    STRING Left(STRING_SIZE_T n) const;
    STRING Right(STRING_SIZE_T n) const;

    // Token n (from 0) between any bytes of delimiters; adjacent delimiters give empty tokens.  A
    // missing token is NULL (empty with STRING_TOKEN_NOTNULL); with any of the low 16 flag bits the
    // token runs to the end of the text.
    STRING Token(int n, const char *delimiters, int flags = 0) const;
    // Token(n, " ", flags).
    STRING Word(int n, int flags = 0) const;
    // Line n of the text (split at "\n"); with rest, everything from line n on.
    STRING GetLine(int n, bool rest = false) const;
    // 1 + the number of delimiter bytes in the text (1 for a NULL or empty string).
    int NumTokens(const char *delimiters) const;
    // Replaces token n, padding with empty tokens as needed; delimiter must be one byte.
    void SetToken(int n, const char *delimiter, const char *text);

    // In place.  how: 'L' leading, 'R' trailing, 'B' both (either case) bytes that occur in set.
    STRING &Trim(char how, const char *set);
    // The same with the arguments the other way round.
    STRING &Trim(const char *set, char how) { return Trim(how, set); }
    // In place: removes every byte that occurs in set.
    STRING &RemoveChars(const char *set);
    // Removes the last (first) byte when it equals c; 1 when removed, else 0.
    int StripLastChar(char c);
    int StripFirstChar(char c);
    // In place, ASCII letters only (C locale); a NULL string stays NULL.
    STRING &ToUpper();
    STRING &ToLower();
    // Replaces every occurrence of from by to (a null to reads "<NULL>"), searching on behind each
    // inserted text; nothing when from is null or empty or equal to to.  Returns the count.
    int Replace(const char *from, const char *to, int casesensitive = 1);

    // Formats into an 8192-byte buffer (C99 semantics, always terminated); a result of 8191 bytes
    // or more is an assertion failure and is cut to 8191 bytes.  Format replaces the content (code
    // page 1252), AppendFormat appends; both return the length of the formatted text.
    int Format(const char *format, ...) KESTAR_PRINTF_FORMAT(2, 3);
    int AppendFormat(const char *format, ...) KESTAR_PRINTF_FORMAT(2, 3);

    // Pairs of hex digits to bytes (a trailing single digit is ignored; reading stops at the first
    // pair that is not two hex digits).  The result is flagged STRINGFLAG_BINARY.
    STRING FromHex() const;

    int CodePage;

private:
    char &At(STRING_SIZE_T i);
    const char &At(STRING_SIZE_T i) const;
    template <class T> static STRING_SIZE_T ClampIndex(T i)
    {
        // Indexes beyond the 32-bit range are simply out of range.
        if constexpr (std::is_signed<T>::value) {
            if (i < 0)
                return -1;
        }
        if (static_cast<unsigned long long>(i) > 0x7FFFFFFFull)
            return -1;
        return static_cast<STRING_SIZE_T>(i);
    }
    int FormatInto(bool append, const char *format, va_list arguments);
};

// Free text helpers and the comparison operators (available unqualified for STRING arguments).
namespace STR {

// text when it is not null.  For a null text: "<NULL>", unless the environment variable
// "ORVAKFAILONNULL" (read at every call) set bit 0 of the mode; then null, and with bit 1 also an
// assertion failure naming context.  Callers never read through a null result.
const char *SafeText(const char *text, const char *context);
const char16_t *SafeWideText(const char16_t *text, const char *context);

// Case-insensitive (ASCII).  nullaware: both null 0, one null 1; otherwise null reads "<NULL>".
int stricmp(const char *a, const char *b, int nullaware = 1);
// Byte comparison of n bytes; null sides read "<NULL>".
int memcmp(const void *a, const void *b, STRING_SIZE_T n);
// Case-sensitive comparison of UTF-16 texts with stricmp's null rules.
int wstricmp(const char16_t *a, const char16_t *b, int nullaware = 1);

// Case-insensitive; a NULL side equals only another NULL side.
bool operator==(const STRING &a, const STRING &b);
bool operator==(const STRING &a, const char *b);
bool operator==(const char *a, const STRING &b);
bool operator!=(const STRING &a, const STRING &b);
bool operator!=(const STRING &a, const char *b);
bool operator!=(const char *a, const STRING &b);
// Case-insensitive order; NULL reads "<NULL>".
bool operator<(const STRING &a, const STRING &b);
bool operator<(const STRING &a, const char *b);
bool operator>(const STRING &a, const STRING &b);
bool operator>(const STRING &a, const char *b);
bool operator<=(const STRING &a, const STRING &b);
bool operator<=(const STRING &a, const char *b);

// Code page 1252; a NULL STRING side adds nothing, a null text side adds "<NULL>".
STRING operator+(const STRING &a, const STRING &b);
STRING operator+(const STRING &a, const char *b);
STRING operator+(const char *a, const STRING &b);
// n copies of text (at least one).
STRING Repeat(const char *text, int n);

} // namespace STR

using STR::operator==;
using STR::operator!=;
using STR::operator<;
using STR::operator>;
using STR::operator<=;
using STR::operator+;

#endif
