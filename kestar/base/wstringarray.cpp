// WSTRINGARRAY: splitting wide texts and comparing wide strings.
#include "kestar/base/wstringarray.h"

#include "kestar/base/logit.h"

namespace {

bool InWideToken(char16_t c, const char16_t *token)
{
    if (c == 0 || token == nullptr)
        return false;
    for (; *token != 0; token++) {
        if (*token == c)
            return true;
    }
    return false;
}

char16_t FoldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

// The runtime's wtoi: optional blanks and sign, then decimal digits.
int WideToInt(const char16_t *text)
{
    const char16_t *p = STR::SafeWideText(text, "wtoi");
    if (p == nullptr)
        return 0;
    while (*p == u' ' || *p == u'\t')
        p++;
    bool negative = false;
    if (*p == u'-' || *p == u'+')
        negative = *p++ == u'-';
    long long value = 0;
    for (; *p >= u'0' && *p <= u'9'; p++) {
        if (value < 0x80000000LL)
            value = value * 10 + (*p - u'0');
    }
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFFLL)
        value = 0x7FFFFFFFLL;
    if (value < -0x80000000LL)
        value = -0x80000000LL;
    return static_cast<int>(value);
}

} // namespace

WSTRINGARRAY::WSTRINGARRAY(STRING_SIZE_T size) : DYNARRAY<WSTRING>(size, 64)
{
    SetTypeName("WSTRINGARRAY");
}

WSTRINGARRAY::WSTRINGARRAY(const char16_t *source, const char16_t *token, STRING_SIZE_T size)
    : DYNARRAY<WSTRING>(size, 64)
{
    SetTypeName("WSTRINGARRAY");
#if defined(_WIN32)
    LOGIT::PrintfLevel(1, "WSTRINGARRAY::WSTRINGARRAY source= %ls, token= %ls\n",
                       reinterpret_cast<const wchar_t *>(source ? source : u""),
                       reinterpret_cast<const wchar_t *>(token ? token : u""));
#else
    // wchar_t is 4 bytes here: log the texts as UTF-8.
    const STRING s = WSTRING(source ? source : u"").ToUtf8();
    const STRING t = WSTRING(token ? token : u"").ToUtf8();
    LOGIT::PrintfLevel(1, "WSTRINGARRAY::WSTRINGARRAY source= %s, token= %s\n", s.Buffer, t.Buffer);
#endif
    Split(source, token);
}

#if defined(_WIN32)
WSTRINGARRAY::WSTRINGARRAY(const wchar_t *source, const wchar_t *token, STRING_SIZE_T size)
    : WSTRINGARRAY(reinterpret_cast<const char16_t *>(source), reinterpret_cast<const char16_t *>(token), size)
{
}
#endif

int WSTRINGARRAY::Compare(WSTRING *item1, WSTRING *item2, int flags)
{
    if (flags & STRINGARRAY_NUMERIC) {
        const int a = WideToInt(item1->GetBuffer());
        const int b = WideToInt(item2->GetBuffer());
        return (a > b) - (a < b);
    }
    const char16_t *a = STR::SafeWideText(item1->GetBuffer(), "wcscmp p1");
    const char16_t *b = STR::SafeWideText(item2->GetBuffer(), "wcscmp p2");
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : (a == nullptr ? -1 : 1);
    const bool nocase = (flags & STRINGARRAY_NOCASE) != 0;
    for (;; a++, b++) {
        const char16_t x = nocase ? FoldAscii(*a) : *a;
        const char16_t y = nocase ? FoldAscii(*b) : *b;
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
}

void WSTRINGARRAY::Split(const char16_t *source, const char16_t *token)
{
    Lock();
    DeleteAll();
    if (source != nullptr) {
        const char16_t *start = source;
        for (const char16_t *p = source;; p++) {
            if (*p == 0 || InWideToken(*p, token)) {
                AddItem(WSTRING(start, static_cast<STRING_SIZE_T>(p - start)));
                if (*p == 0)
                    break;
                start = p + 1;
            }
        }
    }
    Unlock();
}
