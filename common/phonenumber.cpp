// The phone number in a text (see phonenumber.h).
#include "common/phonenumber.h"

#include <cstring>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

STRING PHONENUMBER::Extract(const char *text)
{
    STRING number("");
    if (!text)
        return number;
    const char *c = text;
    while (*c && !IsDigit(*c))
        ++c;
    for (; *c; ++c) {
        if (IsDigit(*c))
            number.Append(c, 1);
        else if (!std::strchr(" -/()", *c))
            break;
    }
    return number;
}
