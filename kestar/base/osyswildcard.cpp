// OSYS::MatchWildcard as a greedy walk with one back-track point (the last "*"): linear in
// practice and without recursion, so long names and many stars cannot blow the stack.
#include "kestar/base/osyswildcard.h"

#include <cctype>

namespace {

bool SameChar(char a, char b)
{
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
}

} // namespace

bool OSYS::MatchWildcard(const char *name, const char *pattern)
{
    if (!name || !pattern)
        return false;
    const char *n = name, *p = pattern;
    const char *star = nullptr, *resume = nullptr;
    while (*n) {
        if (*p == '*') {
            star = p++;
            resume = n;
        } else if (*p && (*p == '?' || SameChar(*p, *n))) {
            p++;
            n++;
        } else if (star) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*')
        p++;
    return *p == '\0';
}
