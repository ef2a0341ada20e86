// STRING and the STR helpers: construction, searching, tokens, trimming and replacing,
// formatting, and the treatment of NULL texts.
#include "kestar/base/string.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kestar/base/logit.h"
#include "kestar/base/osysenv.h"
#include "kestar/base/textrules.h"
#include "kestar/base/wstring.h"

// Reports a failed condition under the exact text that identifies it in logs and assert.log.
#define STRING_ASSERT(cond, text, info) LOGIT::Assert((cond) ? 1 : 0, text, __FILE__, __LINE__, (info), 0)

namespace {

// The NULL-text mode of STR::SafeText: 0 at start, replaced by "ORVAKFAILONNULL" when it is set.
std::atomic<int> gNullMode{0};

const char NULLTEXT[] = "<NULL>";

inline unsigned char AsciiLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

inline unsigned char AsciiUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

// The C library's stricmp in the C locale: ASCII letters folded to lower case.
int AsciiStricmp(const char *a, const char *b)
{
    const unsigned char *p = reinterpret_cast<const unsigned char *>(a);
    const unsigned char *q = reinterpret_cast<const unsigned char *>(b);
    for (;; p++, q++) {
        const int d = AsciiLower(*p) - AsciiLower(*q);
        if (d != 0 || *p == 0)
            return d;
    }
}

// True when byte c is one of the bytes of set (never the terminator).
using TEXTRULES::InSet;

// A copy of text when it lies inside the given buffer (operations that change the buffer would
// otherwise read freed or moved bytes); else text itself.
const char *Detach(const char *text, const char *buffer, STRING_SIZE_T buflen, STRING &holder)
{
    if (text != nullptr && buffer != nullptr && text >= buffer && text < buffer + buflen) {
        holder = STRING(text);
        return holder.Buffer;
    }
    return text;
}

} // namespace

// ---- STR ----------------------------------------------------------------------------------------

const char *STR::SafeText(const char *text, const char *context)
{
    if (text != nullptr)
        return text;
    char value[32];
    if (OSYSENV::Get("ORVAKFAILONNULL", value, sizeof(value)))
        gNullMode.store(static_cast<int>(strtol(value, nullptr, 10)));
    const int mode = gNullMode.load();
    if (!(mode & 1))
        return NULLTEXT;
    if (mode & 2)
        STRING_ASSERT(false, "p!=NULL", context != nullptr ? context : "<none>");
    return nullptr;
}

const char16_t *STR::SafeWideText(const char16_t *text, const char *context)
{
    if (text != nullptr)
        return text;
    // The same mode as for 8-bit texts.
    if (SafeText(nullptr, context) == nullptr)
        return nullptr;
    return u"<NULL>";
}

int STR::stricmp(const char *a, const char *b, int nullaware)
{
    if (nullaware) {
        if (a == nullptr && b == nullptr)
            return 0;
        if (a == nullptr || b == nullptr)
            return 1;
    } else {
        a = SafeText(a, "stricmp p1");
        b = SafeText(b, "stricmp p2");
        if (a == nullptr || b == nullptr)
            return a == b ? 0 : (a == nullptr ? -1 : 1);
    }
    return AsciiStricmp(a, b);
}

int STR::memcmp(const void *a, const void *b, STRING_SIZE_T n)
{
    const bool aNull = a == nullptr;
    const bool bNull = b == nullptr;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(aNull ? SafeText(nullptr, "memcmp p1") : a);
    const unsigned char *q = reinterpret_cast<const unsigned char *>(bNull ? SafeText(nullptr, "memcmp p2") : b);
    if (p == nullptr || q == nullptr)
        return p == q ? 0 : (p == nullptr ? -1 : 1);
    if (!aNull && !bNull)
        return n > 0 ? ::memcmp(p, q, static_cast<size_t>(n)) : 0;
    // A "<NULL>" stand-in is a C text: compare no further than its terminator.
    for (STRING_SIZE_T i = 0; i < n; i++) {
        if (p[i] != q[i])
            return p[i] - q[i];
        if (p[i] == 0)
            return 0;
    }
    return 0;
}

int STR::wstricmp(const char16_t *a, const char16_t *b, int nullaware)
{
    if (nullaware) {
        if (a == nullptr && b == nullptr)
            return 0;
        if (a == nullptr || b == nullptr)
            return 1;
    } else {
        a = SafeWideText(a, "wstricmp p1");
        b = SafeWideText(b, "wstricmp p2");
        if (a == nullptr || b == nullptr)
            return a == b ? 0 : (a == nullptr ? -1 : 1);
    }
    for (;; a++, b++) {
        if (*a != *b)
            return *a < *b ? -1 : 1;
        if (*a == 0)
            return 0;
    }
}

bool STR::operator==(const STRING &a, const STRING &b)
{
    return STR::stricmp(a.Buffer, b.Buffer, 1) == 0;
}

bool STR::operator==(const STRING &a, const char *b)
{
    return STR::stricmp(a.Buffer, b, 1) == 0;
}

bool STR::operator==(const char *a, const STRING &b)
{
    return STR::stricmp(a, b.Buffer, 1) == 0;
}

bool STR::operator!=(const STRING &a, const STRING &b)
{
    return !(a == b);
}

bool STR::operator!=(const STRING &a, const char *b)
{
    return !(a == b);
}

bool STR::operator!=(const char *a, const STRING &b)
{
    return !(a == b);
}

bool STR::operator<(const STRING &a, const STRING &b)
{
    return STR::stricmp(a.Buffer, b.Buffer, 0) < 0;
}

bool STR::operator<(const STRING &a, const char *b)
{
    return STR::stricmp(a.Buffer, b, 0) < 0;
}

bool STR::operator>(const STRING &a, const STRING &b)
{
    return STR::stricmp(a.Buffer, b.Buffer, 0) > 0;
}

bool STR::operator>(const STRING &a, const char *b)
{
    return STR::stricmp(a.Buffer, b, 0) > 0;
}

bool STR::operator<=(const STRING &a, const STRING &b)
{
    return STR::stricmp(a.Buffer, b.Buffer, 0) <= 0;
}

bool STR::operator<=(const STRING &a, const char *b)
{
    return STR::stricmp(a.Buffer, b, 0) <= 0;
}

namespace {

STRING Concat(const char *a, STRING_SIZE_T la, const char *b, STRING_SIZE_T lb)
{
    STRING result;
    result.Make(la + lb);
    if (la > 0)
        memcpy(result.Buffer, a, static_cast<size_t>(la));
    if (lb > 0)
        memcpy(result.Buffer + la, b, static_cast<size_t>(lb));
    return result;
}

} // namespace

STRING STR::operator+(const STRING &a, const STRING &b)
{
    return Concat(a.Buffer, a.Buffer ? a.StrLen : 0, b.Buffer, b.Buffer ? b.StrLen : 0);
}

STRING STR::operator+(const STRING &a, const char *b)
{
    const char *text = SafeText(b, "STR::op2||");
    return Concat(a.Buffer, a.Buffer ? a.StrLen : 0, text, text ? static_cast<STRING_SIZE_T>(strlen(text)) : 0);
}

STRING STR::operator+(const char *a, const STRING &b)
{
    const char *text = SafeText(a, "STR::op1||");
    return Concat(text, text ? static_cast<STRING_SIZE_T>(strlen(text)) : 0, b.Buffer, b.Buffer ? b.StrLen : 0);
}

STRING STR::Repeat(const char *text, int n)
{
    STRING result;
    const char *t = SafeText(text, "Repeat");
    result.SetNotNull();
    if (t == nullptr)
        return result;
    if (n < 1)
        n = 1;
    const STRING_SIZE_T len = static_cast<STRING_SIZE_T>(strlen(t));
    const long long total = static_cast<long long>(len) * n;
    if (total > 0x40000000LL) {
        STRING_ASSERT(false, "len*n<=0x40000000", t);
        return result;
    }
    result.Make(static_cast<STRING_SIZE_T>(total));
    for (int i = 0; i < n; i++)
        memcpy(result.Buffer + static_cast<long long>(i) * len, t, static_cast<size_t>(len));
    return result;
}

// ---- Construction -------------------------------------------------------------------------------

STRING::STRING(const char *text, int codepage) : BINARY(0), CodePage(codepage)
{
    if (text != nullptr)
        Make(static_cast<STRING_SIZE_T>(strlen(text)), text);
}

STRING::STRING(const STRING &other) : BINARY(other), CodePage(other.CodePage) {}

STRING::STRING(STRING &&other) noexcept : BINARY(static_cast<BINARY &&>(other)), CodePage(other.CodePage) {}

namespace {

void SetNumber(STRING &s, const char *format, ...)
{
    char text[64];
    va_list arguments;
    va_start(arguments, format);
    const int n = vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    s.Make(n > 0 && n < static_cast<int>(sizeof(text)) ? n : 0, text);
}

} // namespace

STRING::STRING(int value) : BINARY(16), CodePage(1252)
{
    SetNumber(*this, "%d", value);
}

STRING::STRING(unsigned value) : BINARY(16), CodePage(1252)
{
    SetNumber(*this, "%u", value);
}

STRING::STRING(long value) : BINARY(16), CodePage(1252)
{
    SetNumber(*this, "%ld", value);
}

STRING::STRING(unsigned long value) : BINARY(16), CodePage(1252)
{
    SetNumber(*this, "%lu", value);
}

STRING::STRING(long long value) : BINARY(16), CodePage(1252)
{
    SetNumber(*this, "%lld", value);
}

STRING::STRING(unsigned long long value) : BINARY(16), CodePage(1252)
{
    SetNumber(*this, "%llu", value);
}

STRING::STRING(double value, int precision) : BINARY(0), CodePage(1252)
{
    const bool strip = precision < 0;
    Format("%1.*lf", strip ? 4 : precision, value);
    if (strip && Buffer != nullptr) {
        // Trailing zeros go, never the first character; then a trailing point.
        STRING_SIZE_T len = StrLen;
        while (len > 1 && Buffer[len - 1] == '0')
            len--;
        if (len > 1 && Buffer[len - 1] == '.')
            len--;
        Truncate(len);
    }
}

STRING::STRING(const char16_t *wide, STRING_SIZE_T length, int codepage) : BINARY(0), CodePage(codepage)
{
    STRING_ASSERT(length != UNICODE_CPSYSTEM && length != UNICODE_CPFLAT,
                  "length!=UNICODE_CPSYSTEM && length!=UNICODE_CPFLAT", nullptr);
    if (wide == nullptr)
        return;
    if (length < 0) {
        length = 0;
        while (wide[length] != 0)
            length++;
    }
    if (codepage == UNICODE_CPUTF8) {
        WSTRING w(wide, length);
        *this = w.ToUtf8();
        CodePage = UNICODE_CPUTF8;
        return;
    }
    // One byte per character; a surrogate pair is one character (with no byte in any page).
    Make(length);
    size_t i = 0;
    STRING_SIZE_T out = 0;
    while (i < static_cast<size_t>(length)) {
        const unsigned int c = UNICODE::NextCodePoint(wide, static_cast<size_t>(length), &i);
        Buffer[out++] = static_cast<char>(WSTRING::CharFromWide(c, codepage));
    }
    Truncate(out);
}

STRING::STRING(const WSTRING &wide, int codepage) : STRING(wide.GetBuffer(), wide.Length(), codepage) {}

#if defined(_WIN32)
STRING::STRING(const wchar_t *wide, STRING_SIZE_T length, int codepage)
    : STRING(reinterpret_cast<const char16_t *>(wide), length, codepage)
{
}
#endif

STRING &STRING::operator=(const STRING &other)
{
    if (this != &other) {
        BINARY::operator=(other);
        CodePage = other.CodePage;
    }
    return *this;
}

STRING &STRING::operator=(STRING &&other) noexcept
{
    if (this != &other) {
        BINARY::operator=(static_cast<BINARY &&>(other));
        CodePage = other.CodePage;
    }
    return *this;
}

STRING &STRING::operator=(const char *text)
{
    if (text == nullptr)
        Free();
    else
        Make(static_cast<STRING_SIZE_T>(strlen(text)), text);
    return *this;
}

STRING STRING::FromBytes(const void *data, STRING_SIZE_T len, STRING_SIZE_T blocksize)
{
    STRING result;
    result.BlockSize = blocksize > 0 ? blocksize : STRING_DEFAULT_BLOCKSIZE;
    if (len < 0)
        len = data != nullptr ? static_cast<STRING_SIZE_T>(strlen(static_cast<const char *>(data))) : 0;
    result.Make(len, data);
    return result;
}

void STRING::SetNotNull()
{
    if (Buffer == nullptr)
        Make(0);
}

void STRING::SetDefault(const STRING &other)
{
    if (Buffer == nullptr && other.Buffer != nullptr && &other != this)
        Make(other.StrLen, other.Buffer);
}

// ---- Storage ------------------------------------------------------------------------------------

void STRING::Append(const char *text, STRING_SIZE_T len)
{
    if (text == nullptr) {
        text = STR::SafeText(text, "STRING::Append op1");
        if (text == nullptr)
            return;
        len = -1;
    }
    if (len < 0)
        len = static_cast<STRING_SIZE_T>(strlen(text));
    BINARY::Append(text, len);
}

STRING &STRING::operator+=(const STRING &other)
{
    if (other.Buffer != nullptr)
        BINARY::Append(other.Buffer, other.StrLen);
    else
        SetNotNull();
    return *this;
}

STRING &STRING::operator+=(const char *text)
{
    Append(text);
    return *this;
}

void STRING::InsertChars(STRING_SIZE_T howmany, STRING_SIZE_T pos, char c)
{
    STRING_ASSERT(howmany >= 0, "howmany>=0", nullptr);
    STRING_ASSERT(pos >= 0, "pos>=0", nullptr);
    if (howmany <= 0 || pos < 0 || Buffer == nullptr || pos >= StrLen)
        return;
    const STRING_SIZE_T oldLen = StrLen;
    Make(StrLen + howmany);
    memmove(Buffer + pos + howmany, Buffer + pos, static_cast<size_t>(oldLen - pos));
    memset(Buffer + pos, c, static_cast<size_t>(howmany));
}

void STRING::Insert(const char *text, STRING_SIZE_T pos)
{
    if (text != nullptr && text == Buffer) {
        STRING_ASSERT(false, "text!=this->Buffer", nullptr);
        return;
    }
    STRING_ASSERT(pos >= 0, "pos>=0", nullptr);
    if (pos < 0 || pos > StrLen)
        return;
    STRING holder;
    text = Detach(text, Buffer, BufLen, holder);
    if (pos == StrLen) {
        Append(text);
        return;
    }
    const char *t = STR::SafeText(text, "Insert");
    if (t == nullptr)
        return;
    const STRING_SIZE_T n = static_cast<STRING_SIZE_T>(strlen(t));
    const STRING_SIZE_T oldLen = StrLen;
    Make(StrLen + n);
    memmove(Buffer + pos + n, Buffer + pos, static_cast<size_t>(oldLen - pos));
    memcpy(Buffer + pos, t, static_cast<size_t>(n));
}

char &STRING::At(STRING_SIZE_T i)
{
    if (i >= 0 && i <= StrLen) {
        if (Buffer != nullptr)
            return Buffer[i];
        return Scratch(); // the terminator of a NULL string
    }
    char info[160];
    const char *text = STR::SafeText(Buffer, "[]");
    snprintf(info, sizeof(info), "i= %d, len= %d, buf= %s", i, StrLen, text ? text : "");
    STRING_ASSERT(false, "i>=0 && i<=this->StrLen", info);
    return Scratch();
}

const char &STRING::At(STRING_SIZE_T i) const
{
    return const_cast<STRING *>(this)->At(i);
}

// ---- Searching ----------------------------------------------------------------------------------

STRING_SIZE_T STRING::Pos(const char *text, STRING_SIZE_T start) const
{
    if (start < 0)
        start = 0;
    if (start >= StrLen)
        return -1;
    const char *buffer = STR::SafeText(Buffer, "Pos Buffer");
    const char *t = STR::SafeText(text, "Pos str");
    if (buffer == nullptr || t == nullptr)
        return -1;
    const STRING_SIZE_T n = static_cast<STRING_SIZE_T>(strlen(t));
    for (STRING_SIZE_T i = start; i + n <= StrLen; i++) {
        if (::memcmp(buffer + i, t, static_cast<size_t>(n)) == 0)
            return i;
    }
    return -1;
}

STRING_SIZE_T STRING::iPos(const char *text, STRING_SIZE_T start) const
{
    if (start < 0)
        start = 0;
    if (start >= StrLen)
        return -1;
    const char *buffer = STR::SafeText(Buffer, "iPos Buffer");
    const char *t = STR::SafeText(text, "iPos str");
    if (buffer == nullptr || t == nullptr)
        return -1;
    const STRING_SIZE_T n = static_cast<STRING_SIZE_T>(strlen(t));
    for (STRING_SIZE_T i = start; i + n <= StrLen; i++) {
        STRING_SIZE_T k = 0;
        while (k < n && AsciiUpper(static_cast<unsigned char>(buffer[i + k])) == AsciiUpper(static_cast<unsigned char>(t[k])))
            k++;
        if (k == n)
            return i;
    }
    return -1;
}

bool STRING::Find(const char *text, STRING_SIZE_T *pos, STRING_SIZE_T start) const
{
    const STRING_SIZE_T at = Pos(text, start);
    if (pos != nullptr)
        *pos = at;
    return at >= 0;
}

bool STRING::iFind(const char *text, STRING_SIZE_T *pos, STRING_SIZE_T start) const
{
    const STRING_SIZE_T at = iPos(text, start);
    if (pos != nullptr)
        *pos = at;
    return at >= 0;
}

STRING_SIZE_T STRING::PosChar(char c) const
{
    if (Buffer == nullptr)
        return -1;
    const void *hit = memchr(Buffer, c, static_cast<size_t>(StrLen));
    return hit != nullptr ? static_cast<STRING_SIZE_T>(static_cast<const char *>(hit) - Buffer) : -1;
}

bool STRING::FindChar(char c, STRING_SIZE_T *pos) const
{
    const STRING_SIZE_T at = PosChar(c);
    if (pos != nullptr)
        *pos = at;
    return at >= 0;
}

// ---- Numbers ------------------------------------------------------------------------------------

STRING::operator int() const
{
    const char *text = STR::SafeText(Buffer, "atoi");
    return text != nullptr ? static_cast<int>(strtol(text, nullptr, 10)) : 0;
}

unsigned long STRING::ToULong() const
{
    const char *text = STR::SafeText(Buffer, "atol");
    return text != nullptr ? strtoul(text, nullptr, 10) : 0;
}

int64_t STRING::ToInt64() const
{
    const char *text = STR::SafeText(Buffer, "atoi64");
    return text != nullptr ? static_cast<int64_t>(strtoll(text, nullptr, 10)) : 0;
}

double STRING::ToDouble() const
{
    const char *text = STR::SafeText(Buffer, "atof");
    return text != nullptr ? atof(text) : 0.0;
}

// ---- Sub-strings and tokens ---------------------------------------------------------------------

STRING STRING::Left(STRING_SIZE_T n) const
{
    return Mid(0, n);
}

STRING STRING::Right(STRING_SIZE_T n) const
{
    const long long pos = static_cast<long long>(StrLen) - n;
    if (pos > StrLen)
        return Mid(StrLen, 0);
    return Mid(pos > 0 ? static_cast<STRING_SIZE_T>(pos) : 0, n);
}

STRING STRING::Token(int n, const char *delimiters, int flags) const
{
    STRING result;
    STRING_SIZE_T from, to;
    if (!TEXTRULES::TokenBounds(Buffer, StrLen, n, delimiters, (flags & 0xFFFF) != 0, from, to)) {
        if (flags & STRING_TOKEN_NOTNULL)
            result.SetNotNull();
        return result;
    }
    result.Make(to - from, Buffer + from);
    return result;
}

STRING STRING::Word(int n, int flags) const
{
    return Token(n, " ", flags);
}

STRING STRING::GetLine(int n, bool rest) const
{
    return Token(n, "\n", rest ? STRING_TOKEN_REST : 0);
}

int STRING::NumTokens(const char *delimiters) const
{
    int count = 1;
    for (STRING_SIZE_T i = 0; Buffer != nullptr && i < StrLen; i++) {
        if (InSet(Buffer[i], delimiters))
            count++;
    }
    return count;
}

void STRING::SetToken(int n, const char *delim, const char *text)
{
    const bool oneByte = delim != nullptr && strlen(delim) == 1;
    STRING_ASSERT(oneByte, "strlen(delim)==1", delim);
    if (!oneByte || n < 0)
        return;
    STRING result;
    result.SetNotNull();
    for (int k = 0; k < n; k++) {
        result += Token(k, delim, STRING_TOKEN_NOTNULL);
        result.BINARY::Append(delim, 1);
    }
    result.Append(text);
    if (NumTokens(delim) > n + 1) {
        result.BINARY::Append(delim, 1);
        result += Token(n + 1, delim, STRING_TOKEN_REST);
    }
    Make(result.StrLen, result.Buffer);
}

// ---- In-place changes ---------------------------------------------------------------------------

STRING &STRING::Trim(char how, const char *set)
{
    how = static_cast<char>(AsciiUpper(static_cast<unsigned char>(how)));
    if (!STRING_ASSERT(how == 'L' || how == 'R' || how == 'B', "how=='L' || how=='R' || how=='B'", nullptr) ||
        !(how == 'L' || how == 'R' || how == 'B'))
        return *this;
    if (Buffer == nullptr || set == nullptr)
        return *this;
    STRING_SIZE_T skip, end;
    TEXTRULES::TrimBounds(Buffer, StrLen, how, set, skip, end);
    Truncate(end);
    DeleteLeft(skip);
    return *this;
}

STRING &STRING::RemoveChars(const char *set)
{
    if (Buffer == nullptr || set == nullptr)
        return *this;
    STRING_SIZE_T to = 0;
    for (STRING_SIZE_T i = 0; i < StrLen; i++) {
        if (!InSet(Buffer[i], set))
            Buffer[to++] = Buffer[i];
    }
    Truncate(to);
    return *this;
}

int STRING::StripLastChar(char c)
{
    if (Buffer == nullptr || StrLen == 0 || Buffer[StrLen - 1] != c)
        return 0;
    Truncate(StrLen - 1);
    return 1;
}

int STRING::StripFirstChar(char c)
{
    if (Buffer == nullptr || StrLen == 0 || Buffer[0] != c)
        return 0;
    DeleteLeft(1);
    return 1;
}

STRING &STRING::ToUpper()
{
    if (Buffer == nullptr)
        return *this;
    for (STRING_SIZE_T i = 0; i < StrLen; i++)
        Buffer[i] = static_cast<char>(AsciiUpper(static_cast<unsigned char>(Buffer[i])));
    return *this;
}

STRING &STRING::ToLower()
{
    if (Buffer == nullptr)
        return *this;
    for (STRING_SIZE_T i = 0; i < StrLen; i++)
        Buffer[i] = static_cast<char>(AsciiLower(static_cast<unsigned char>(Buffer[i])));
    return *this;
}

int STRING::Replace(const char *from, const char *to, int casesensitive)
{
    if (from == nullptr || *from == 0 || Buffer == nullptr)
        return 0;
    const char *toText = STR::SafeText(to, "Replace");
    if (toText == nullptr || strcmp(from, toText) == 0)
        return 0;
    STRING fromHolder, toHolder;
    from = Detach(from, Buffer, BufLen, fromHolder);
    toText = Detach(toText, Buffer, BufLen, toHolder);
    const STRING_SIZE_T fromLen = static_cast<STRING_SIZE_T>(strlen(from));
    const STRING_SIZE_T toLen = static_cast<STRING_SIZE_T>(strlen(toText));
    int count = 0;
    STRING_SIZE_T at = 0;
    for (;;) {
        at = casesensitive ? Pos(from, at) : iPos(from, at);
        if (at < 0)
            break;
        Delete(fromLen, at);
        Insert(toText, at);
        at += toLen;
        count++;
    }
    return count;
}

// ---- Formatting ---------------------------------------------------------------------------------

int STRING::FormatInto(bool append, const char *format, va_list arguments)
{
    char buf[8192];
    buf[0] = 0;
    // The C99 formatter on every platform: it always terminates and reports the full length
    // (the msvcrt _vsnprintf does neither).
    const char *pattern = format != nullptr ? format : "";
#if defined(__MINGW32__)
    const int rc = __mingw_vsnprintf(buf, sizeof(buf), pattern, arguments);
#else
    const int rc = vsnprintf(buf, sizeof(buf), pattern, arguments);
#endif
    buf[sizeof(buf) - 1] = 0;
    STRING_ASSERT(rc >= 0 && rc < static_cast<int>(sizeof(buf)) - 1, "rc>=0 && rc<sizeof(buf)-1", format);
    STRING_SIZE_T len;
    if (rc >= 0 && rc < static_cast<int>(sizeof(buf)))
        len = rc;
    else if (rc >= 0)
        len = static_cast<STRING_SIZE_T>(sizeof(buf)) - 1;
    else
        len = static_cast<STRING_SIZE_T>(strlen(buf));
    if (append) {
        BINARY::Append(buf, len);
    } else {
        Make(len, buf);
        CodePage = 1252;
    }
    return len;
}

int STRING::Format(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int n = FormatInto(false, format, arguments);
    va_end(arguments);
    return n;
}

int STRING::AppendFormat(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int n = FormatInto(true, format, arguments);
    va_end(arguments);
    return n;
}

STRING STRING::FromHex() const
{
    STRING result;
    result.BlockSize = StrLen <= 80 ? STRING_DEFAULT_BLOCKSIZE : 1024;
    result.SetNotNull();
    result.Flags |= STRINGFLAG_BINARY;
    for (STRING_SIZE_T i = 0; Buffer != nullptr && i + 1 < StrLen; i += 2) {
        const unsigned char hi = static_cast<unsigned char>(Buffer[i]);
        const unsigned char lo = static_cast<unsigned char>(Buffer[i + 1]);
        if (!isxdigit(hi) || !isxdigit(lo))
            break;
        const int value = (isdigit(hi) ? hi - '0' : AsciiLower(hi) - 'a' + 10) * 16 +
                          (isdigit(lo) ? lo - '0' : AsciiLower(lo) - 'a' + 10);
        const char byte = static_cast<char>(value);
        result.BINARY::Append(&byte, 1);
    }
    return result;
}
