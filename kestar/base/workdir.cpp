// The portable path rules of WORKDIR (see workdir.h).
#include "kestar/base/workdir.h"

#include <cctype>
#include <cstring>

namespace {

bool IsSep(char c)
{
    return c == '\\' || c == '/';
}

// The text without trailing separators (a root such as "C:\" or "/" keeps its one).
STRING Trimmed(const char *text)
{
    STRING s(text ? text : "");
    s.SetNotNull();
    while (s.StrLen > 1 && IsSep(s[s.StrLen - 1]) && !(s.StrLen == 3 && s[1] == ':'))
        s.Truncate(s.StrLen - 1);
    return s;
}

bool SameChar(char a, char b)
{
    if (IsSep(a) && IsSep(b))
        return true;
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
}

// Length of base when text begins with it and goes on with a separator or ends; -1 otherwise.
STRING_SIZE_T PrefixLength(const STRING &text, const STRING &base)
{
    if (base.IsEmpty() || text.StrLen < base.StrLen)
        return -1;
    for (STRING_SIZE_T i = 0; i < base.StrLen; ++i) {
        if (!SameChar(text[i], base[i]))
            return -1;
    }
    if (text.StrLen == base.StrLen || IsSep(text[base.StrLen]) || IsSep(base[base.StrLen - 1]))
        return base.StrLen;
    return -1;
}

} // namespace

bool WORKDIR::IsSameOrInside(const char *folder, const char *base)
{
    return PrefixLength(Trimmed(folder), Trimmed(base)) >= 0;
}

bool WORKDIR::RebaseFolder(const char *oldPrefix, const char *newPrefix, STRING &path)
{
    STRING from = Trimmed(oldPrefix);
    STRING_SIZE_T n = PrefixLength(path, from);
    if (n < 0)
        return false;
    STRING rebased = Trimmed(newPrefix);
    STRING rest = path.Mid(n);
    rest.SetNotNull();
    // "C:\" as the old prefix leaves a rest without its separator.
    if (rest.NotEmpty() && !IsSep(rest[0]) && rebased.NotEmpty() && !IsSep(rebased[rebased.StrLen - 1]))
        rebased += "\\";
    rebased += rest;
    path = rebased;
    return true;
}
