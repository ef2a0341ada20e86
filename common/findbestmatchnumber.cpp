#include "common/findbestmatchnumber.h"

#include <cstring>
#include <string>

const char *const MATCHNUMBERKEYS[5] = {"Number", "NumberFax", "NumberMobile", "NumberOffice", "NumberData"};

namespace {

// The stored value without blanks, "/", "-", "(" and ")", into out (its buffer is reused).
void StripInto(const char *value, size_t length, std::string &out)
{
    out.clear();
    for (size_t i = 0; i < length; ++i)
        if (!std::strchr(" /-()", value[i]))
            out += value[i];
}

// The length of value with every "+" written "00".
size_t LengthAs00(const char *value, size_t length)
{
    size_t n = length;
    for (size_t i = 0; i < length; ++i)
        if (value[i] == '+')
            ++n;
    return n;
}

// True when text begins with value written with every "+" as "00" (value's such length: n00).
bool BeginsAs00(const std::string &text, const char *value, size_t length, size_t n00)
{
    if (n00 > text.size())
        return false;
    size_t t = 0;
    for (size_t i = 0; i < length; ++i) {
        if (value[i] == '+') {
            if (text[t] != '0' || text[t + 1] != '0')
                return false;
            t += 2;
        } else if (text[t++] != value[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

int FindBestMatchNumber(HASHLIST &list, const char *number, const char *canonical, STRING *keyPosition)
{
    const char *received = number ? number : "";
    const size_t receivedLength = std::strlen(received);
    const bool hasCanonical = canonical && *canonical;
    std::string canon;
    if (hasCanonical) {
        for (const char *p = canonical; *p; ++p) {
            if (*p == '+')
                canon += "00";
            else
                canon += *p;
        }
    }
    // A best found under "Number" leaves the position as the caller had it, even after a match
    // under another key of an earlier record wrote one.
    const STRING entry = keyPosition ? *keyPosition : STRING();

    size_t bestReceived = 0;
    size_t bestCanonical = 0;
    int result = -1;
    std::string stripped; // reused for every value: no allocation per value
    for (int i = 0; i < list.NumItems(); ++i) {
        HASH *record = list[i];
        for (int k = 0; k < 5; ++k) {
            STRING *stored = nullptr;
            if (!record->Exists(MATCHNUMBERKEYS[k], &stored) || stored->IsEmpty())
                continue;
            const char *raw = *stored;
            const size_t rawLength = std::strlen(raw);
            StripInto(raw, rawLength, stripped);
            const char *forms[2] = {raw, stripped.c_str()};
            const size_t lengths[2] = {rawLength, stripped.size()};
            for (int f = 0; f < 2; ++f) {
                const char *value = forms[f];
                const size_t length = lengths[f];
                bool found = false;
                bool whole = false;
                if (length > bestReceived && length <= receivedLength && std::memcmp(received, value, length) == 0) {
                    bestReceived = length;
                    found = true;
                    whole = length == receivedLength;
                } else if (hasCanonical) {
                    const size_t n00 = LengthAs00(value, length);
                    if (n00 > bestCanonical && BeginsAs00(canon, value, length, n00)) {
                        bestCanonical = n00;
                        found = true;
                        whole = n00 == canon.size();
                    }
                }
                if (!found)
                    continue;
                result = i;
                if (keyPosition) {
                    if (k > 0)
                        *keyPosition = STRING(k);
                    else
                        *keyPosition = entry;
                }
                if (whole)
                    return result;
            }
        }
    }
    return result;
}
