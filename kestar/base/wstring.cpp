// WSTRING: UTF-16 text on the byte buffer, and the conversions between 8-bit and wide text.
#include "kestar/base/wstring.h"

#include <cstdio>
#include <cstring>

#include "kestar/base/logit.h"
#include "kestar/base/textrules.h"

#define WSTRING_ASSERT(cond, text, info) LOGIT::Assert((cond) ? 1 : 0, text, __FILE__, __LINE__, (info), 0)

namespace {

STRING_SIZE_T WideLength(const char16_t *wide)
{
    STRING_SIZE_T n = 0;
    while (wide[n] != 0)
        n++;
    return n;
}

// ---- Character conversions ----------------------------------------------------------------------
// All through the code-page tables, one character at a time.

// Appends decoded UTF-16 units to the WSTRING given as context.
void AppendUnits(void *context, const char16_t *units, size_t count)
{
    static_cast<WSTRING *>(context)->BINARY::Append(units, static_cast<STRING_SIZE_T>(count * 2));
}

} // namespace

char16_t WSTRING::CharToWide(unsigned char c, int codepage)
{
    return UNICODE::GetInstance()->ToWide(c, codepage);
}

unsigned char WSTRING::CharFromWide(unsigned int c, int codepage)
{
    return UNICODE::GetInstance()->FromWide(c, codepage);
}

// ---- Construction -------------------------------------------------------------------------------

WSTRING::WSTRING() : BINARY(0)
{
    Flags = STRINGFLAG_WIDE;
}

WSTRING::WSTRING(const char16_t *wide, STRING_SIZE_T len) : BINARY(0)
{
    Flags = STRINGFLAG_WIDE;
    WSTRING_ASSERT(len != UNICODE_CPSYSTEM && len != UNICODE_CPFLAT, "len!=UNICODE_CPSYSTEM && len!=UNICODE_CPFLAT", nullptr);
    if (wide == nullptr)
        return;
    if (len < 0)
        len = WideLength(wide);
    Make(len * 2, wide);
}

WSTRING::WSTRING(const char *text, int codepage) : WSTRING(text, -1, codepage) {}

WSTRING::WSTRING(const char *text, STRING_SIZE_T len, int codepage) : BINARY(0)
{
    Flags = STRINGFLAG_WIDE;
    if (text == nullptr)
        return;
    if (len < 0)
        len = static_cast<STRING_SIZE_T>(strlen(text));
    if (codepage == UNICODE_CPUTF8)
        FromUtf8(text, len);
    else
        FromCodePage(text, len, codepage);
}

WSTRING::WSTRING(const STRING &text) : WSTRING(text.Buffer, text.Buffer ? text.StrLen : -1, text.CodePage) {}

WSTRING::WSTRING(const WSTRING &other) : BINARY(other)
{
    Flags |= STRINGFLAG_WIDE;
}

WSTRING::WSTRING(WSTRING &&other) noexcept : BINARY(static_cast<BINARY &&>(other))
{
    Flags |= STRINGFLAG_WIDE;
}

#if defined(_WIN32)
WSTRING::WSTRING(const wchar_t *wide, STRING_SIZE_T len) : WSTRING(reinterpret_cast<const char16_t *>(wide), len) {}
#endif

WSTRING::~WSTRING() = default;

WSTRING &WSTRING::operator=(const WSTRING &other)
{
    BINARY::operator=(other);
    Flags |= STRINGFLAG_WIDE;
    return *this;
}

WSTRING &WSTRING::operator=(WSTRING &&other) noexcept
{
    BINARY::operator=(static_cast<BINARY &&>(other));
    Flags |= STRINGFLAG_WIDE;
    return *this;
}

WSTRING &WSTRING::operator=(const char16_t *wide)
{
    if (wide == nullptr)
        Free();
    else
        Make(WideLength(wide) * 2, wide);
    return *this;
}

void WSTRING::SetNotNull()
{
    if (Buffer == nullptr)
        Make(0);
}

// ---- Storage ------------------------------------------------------------------------------------

void WSTRING::Append(const char16_t *wide, STRING_SIZE_T len)
{
    if (wide == nullptr) {
        wide = STR::SafeWideText(wide, "WSTRING::Append");
        if (wide == nullptr)
            return;
        len = -1;
    }
    if (len < 0)
        len = WideLength(wide);
    BINARY::Append(wide, len * 2);
}

void WSTRING::AppendChar(char16_t c)
{
    BINARY::Append(&c, 2);
}

void WSTRING::Insert(const char16_t *wide, STRING_SIZE_T pos)
{
    const char16_t *wbuf = Chars();
    const char16_t *wtext = wide;
    if (wtext != nullptr && wtext == wbuf) {
        WSTRING_ASSERT(false, "wtext!=wbuf", nullptr);
        return;
    }
    WSTRING_ASSERT(pos >= 0, "pos>=0", nullptr);
    if (pos < 0 || pos > Length())
        return;
    // A text inside this buffer would move while the buffer grows.
    WSTRING holder;
    if (wide != nullptr && Buffer != nullptr && reinterpret_cast<const char *>(wide) >= Buffer &&
        reinterpret_cast<const char *>(wide) < Buffer + BufLen) {
        holder = WSTRING(wide);
        wide = holder.GetBuffer();
    }
    if (pos == Length()) {
        Append(wide);
        return;
    }
    const char16_t *t = STR::SafeWideText(wide, "WSTRING::Insert");
    if (t == nullptr)
        return;
    const STRING_SIZE_T n = WideLength(t);
    const STRING_SIZE_T oldLen = Length();
    Make((oldLen + n) * 2);
    memmove(Chars() + pos + n, Chars() + pos, static_cast<size_t>(oldLen - pos) * 2);
    memcpy(Chars() + pos, t, static_cast<size_t>(n) * 2);
}

void WSTRING::Truncate(STRING_SIZE_T newlength)
{
    WSTRING_ASSERT(newlength >= 0, "newlength>=0", nullptr);
    if (newlength < 0 || newlength >= Length())
        return;
    BINARY::Truncate(newlength * 2);
}

void WSTRING::DeleteLeft(STRING_SIZE_T howmany)
{
    WSTRING_ASSERT(howmany >= 0, "howmany>=0", nullptr);
    if (howmany <= 0)
        return;
    BINARY::Delete(howmany >= Length() ? StrLen : howmany * 2, 0);
}

void WSTRING::DeleteRight(STRING_SIZE_T howmany)
{
    WSTRING_ASSERT(howmany >= 0, "howmany>=0", nullptr);
    if (howmany <= 0 || Buffer == nullptr)
        return;
    BINARY::Truncate(howmany >= Length() ? 0 : (Length() - howmany) * 2);
}

WSTRING &WSTRING::Trim(char how, const char16_t *set)
{
    if (how >= 'a' && how <= 'z')
        how = static_cast<char>(how - ('a' - 'A'));
    if (!(how == 'L' || how == 'R' || how == 'B')) {
        WSTRING_ASSERT(false, "how=='L' || how=='R' || how=='B'", nullptr);
        return *this;
    }
    if (Buffer == nullptr || set == nullptr)
        return *this;
    STRING_SIZE_T skip, end;
    TEXTRULES::TrimBounds(Chars(), Length(), how, set, skip, end);
    Truncate(end);
    DeleteLeft(skip);
    return *this;
}

char16_t &WSTRING::WideScratch()
{
    static char16_t scratch;
    scratch = 0;
    return scratch;
}

char16_t &WSTRING::operator[](STRING_SIZE_T i)
{
    if (i >= 0 && i < Length() && Buffer != nullptr)
        return Chars()[i];
    char info[160];
    const STRING text = ToUtf8();
    snprintf(info, sizeof(info), "i= %d, len= %d, buf= %s", i, Length(), text.Buffer ? text.Buffer : "<NULL>");
    WSTRING_ASSERT(false, "i>=0 && i<this->StrLen", info);
    return WideScratch();
}

const char16_t &WSTRING::operator[](STRING_SIZE_T i) const
{
    return const_cast<WSTRING *>(this)->operator[](i);
}

// ---- Searching and sub-strings ------------------------------------------------------------------

STRING_SIZE_T WSTRING::Pos(const char16_t *wide, STRING_SIZE_T start) const
{
    if (start < 0)
        start = 0;
    const STRING_SIZE_T len = Length();
    if (start >= len || Buffer == nullptr)
        return -1;
    const char16_t *t = STR::SafeWideText(wide, "WSTRING::Pos");
    if (t == nullptr)
        return -1;
    const STRING_SIZE_T n = WideLength(t);
    for (STRING_SIZE_T i = start; i + n <= len; i++) {
        if (memcmp(Chars() + i, t, static_cast<size_t>(n) * 2) == 0)
            return i;
    }
    return -1;
}

bool WSTRING::Find(const char16_t *wide, STRING_SIZE_T *pos, STRING_SIZE_T start) const
{
    const STRING_SIZE_T at = Pos(wide, start);
    if (pos != nullptr)
        *pos = at;
    return at >= 0;
}

int WSTRING::Replace(const char16_t *from, const char16_t *to)
{
    if (from == nullptr || *from == 0 || Buffer == nullptr)
        return 0;
    const char16_t *toText = STR::SafeWideText(to, "WSTRING::Replace");
    if (toText == nullptr || STR::wstricmp(from, toText, 1) == 0)
        return 0;
    // Private copies: both texts may lie in this buffer.
    WSTRING fromCopy(from);
    WSTRING toCopy(toText);
    const STRING_SIZE_T fromLen = fromCopy.Length();
    const STRING_SIZE_T toLen = toCopy.Length();
    int count = 0;
    STRING_SIZE_T at = 0;
    for (;;) {
        at = Pos(fromCopy.GetBuffer(), at);
        if (at < 0)
            break;
        BINARY::Delete(fromLen * 2, at * 2);
        Insert(toCopy.GetBuffer(), at);
        at += toLen;
        count++;
    }
    return count;
}

WSTRING WSTRING::Mid(STRING_SIZE_T pos, STRING_SIZE_T len) const
{
    WSTRING result;
    if (pos < 0)
        pos = 0;
    const STRING_SIZE_T total = Length();
    if (Buffer == nullptr || pos >= total) {
        result.SetNotNull();
        return result;
    }
    if (len < 0 || len > total - pos)
        len = total - pos;
    result.Make(len * 2, Chars() + pos);
    return result;
}

WSTRING WSTRING::Token(int n, const char16_t *delimiters, int flags) const
{
    WSTRING result;
    STRING_SIZE_T from, to;
    if (!TEXTRULES::TokenBounds(Buffer != nullptr ? Chars() : nullptr, Length(), n, delimiters,
                                (flags & 0xFFFF) != 0, from, to)) {
        if (flags & STRING_TOKEN_NOTNULL)
            result.SetNotNull();
        return result;
    }
    result.Make((to - from) * 2, Chars() + from);
    return result;
}

WSTRING WSTRING::TabWord(int n) const
{
    return Token(n, u"\t", 0);
}

// ---- Conversions --------------------------------------------------------------------------------

STRING WSTRING::ToUtf8() const
{
    STRING result;
    if (Buffer == nullptr)
        return result;
    result.SetNotNull();
    const STRING_SIZE_T len = Length();
    size_t i = 0;
    while (i < static_cast<size_t>(len)) {
        // A surrogate pair is one character of 4 bytes.
        const unsigned int c = UNICODE::NextCodePoint(Chars(), static_cast<size_t>(len), &i);
        if (c < 0x80) {
            const char byte = static_cast<char>(c);
            result.BINARY::Append(&byte, 1);
        } else {
            char bytes[8];
            const int n = UNICODE::WideToUtf8(c, bytes, sizeof(bytes));
            result.BINARY::Append(bytes, n);
        }
    }
    result.CodePage = 1252;
    return result;
}

void WSTRING::FromUtf8(const char *text, STRING_SIZE_T len)
{
    Free();
    if (text == nullptr)
        return;
    if (len < 0)
        len = static_cast<STRING_SIZE_T>(strlen(text));
    SetNotNull();
    UTF8STATE state = {};
    UNICODE::Utf8ToWide(text, len, &state, AppendUnits, this);
    UNICODE::Utf8Flush(&state, AppendUnits, this);
}

void WSTRING::FromCodePage(const char *text, STRING_SIZE_T len, int codepage)
{
    Free();
    if (text == nullptr)
        return;
    if (len < 0)
        len = static_cast<STRING_SIZE_T>(strlen(text));
    Make(len * 2);
    for (STRING_SIZE_T i = 0; i < len; i++)
        Chars()[i] = CharToWide(static_cast<unsigned char>(text[i]), codepage);
}
