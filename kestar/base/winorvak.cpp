// The text formatter of the message boxes (see winorvak.h).  Portable: texts from the server reach
// it, so it is tested and fuzzed natively.
#include "kestar/base/winorvak.h"

#include "kestar/base/osysinfo.h"
#include "kestar/base/unicode.h"

namespace {

bool IsBreakAfter(char16_t c)
{
    return c == u'\r' || c == u' ' || c == u'\t';
}

bool StartsWith(const char16_t *s, STRING_SIZE_T left, const char16_t *what, STRING_SIZE_T n)
{
    if (left < n)
        return false;
    for (STRING_SIZE_T i = 0; i < n; ++i)
        if (s[i] != what[i])
            return false;
    return true;
}

// Line breaks as "\r", the two entities resolved; one pass, so long texts stay linear.
WSTRING ResolveMarkup(const WSTRING &text)
{
    WSTRING out;
    out.SetNotNull();
    const char16_t *s = text.GetBuffer();
    const STRING_SIZE_T n = s ? text.Length() : 0;
    for (STRING_SIZE_T i = 0; i < n;) {
        if (s[i] == u'\r' && i + 1 < n && s[i + 1] == u'\n') {
            out.AppendChar(u'\r');
            i += 2;
        } else if (s[i] == u'\n') {
            out.AppendChar(u'\r');
            ++i;
        } else if (StartsWith(s + i, n - i, u"&nbsp;", 6)) {
            out.AppendChar(WINORVAK::NBSP_PLACEHOLDER);
            i += 6;
        } else if (StartsWith(s + i, n - i, u"&rarr;", 6)) {
            out.AppendChar(u'\u2192');
            i += 6;
        } else {
            out.AppendChar(s[i]);
            ++i;
        }
    }
    return out;
}

} // namespace

namespace WINORVAK {

WSTRING FormatMsgBoxText(STRING text, int width, int force)
{
    WSTRING wide(text.GetBuffer() ? text.GetBuffer() : "", UNICODE_CPSYSTEM);
    return FormatMsgBoxTextFor(wide, width, force, OSYS::GetOsVersionId());
}

WSTRING FormatMsgBoxTextFor(const WSTRING &text, int width, int force, int osVersionId)
{
    WSTRING source = ResolveMarkup(text);
    bool wrap = true;
    static const char16_t kMarker[] = u"##NOWRAP##\r";
    const STRING_SIZE_T markerLength = 11;
    if (StartsWith(source.GetBuffer(), source.Length(), kMarker, markerLength)) {
        source.DeleteLeft(markerLength);
        wrap = false;
    }

    WSTRING result;
    result.SetNotNull();
    const STRING_SIZE_T n = source.Length();
    if (n == 0)
        return result;
    const char16_t *s = source.GetBuffer();
    const bool breakLongLines = force != 0 || (osVersionId < 5 && width != -1);
    result.AppendChar(s[0]);
    int column = 1;
    for (STRING_SIZE_T i = 1; i + 1 < n; ++i) {
        char16_t c = s[i];
        if (c == u'\r' && wrap) {
            if (s[i - 1] == u'\r' || IsBreakAfter(s[i + 1])) {
                column = 0; // a paragraph break or an indented line
            } else if (s[i - 1] == u' ') {
                continue; // a soft break after a blank: the blank is enough
            } else {
                c = u' ';
            }
        }
        ++column;
        if (wrap && breakLongLines && column > width && c == u' ') {
            c = u'\r';
            column = 0;
        }
        result.AppendChar(c);
    }
    if (n > 1)
        result.AppendChar(s[n - 1]);
    char16_t *out = result.GetBuffer();
    for (STRING_SIZE_T i = 0; i < result.Length(); ++i)
        if (out[i] == NBSP_PLACEHOLDER)
            out[i] = u' ';
    return result;
}

} // namespace WINORVAK
