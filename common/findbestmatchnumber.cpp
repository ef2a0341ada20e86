#include "common/findbestmatchnumber.h"

#include <cstring>
#include <string>

const char *const MATCHNUMBERKEYS[5] = {"Number", "NumberFax", "NumberMobile", "NumberOffice", "NumberData"};

namespace {

std::string Digits(const char *value)
{
    std::string out;
    for (const char *p = value; *p; ++p)
        if (!std::strchr(" /-()", *p))
            out += *p;
    return out;
}

std::string PlusAsZeros(const std::string &value)
{
    std::string out;
    for (char c : value) {
        if (c == '+')
            out += "00";
        else
            out += c;
    }
    return out;
}

bool Begins(const std::string &text, const std::string &prefix)
{
    return prefix.size() <= text.size() && std::memcmp(text.data(), prefix.data(), prefix.size()) == 0;
}

} // namespace

int FindBestMatchNumber(HASHLIST &list, const char *number, const char *canonical, STRING *keyPosition)
{
    const std::string received = number ? number : "";
    const bool hasCanonical = canonical && *canonical;
    const std::string canon = hasCanonical ? PlusAsZeros(canonical) : std::string();
    // A best found under "Number" leaves the position as the caller had it, even after a match
    // under another key of an earlier record wrote one.
    const STRING entry = keyPosition ? *keyPosition : STRING();

    size_t bestReceived = 0;
    size_t bestCanonical = 0;
    int result = -1;
    for (int i = 0; i < list.NumItems(); ++i) {
        HASH *record = list[i];
        for (int k = 0; k < 5; ++k) {
            STRING *stored = nullptr;
            if (!record->Exists(MATCHNUMBERKEYS[k], &stored) || stored->IsEmpty())
                continue;
            const std::string forms[2] = {std::string(static_cast<const char *>(*stored)),
                                          Digits(*stored)};
            for (const std::string &value : forms) {
                bool found = false;
                bool whole = false;
                if (value.size() > bestReceived && Begins(received, value)) {
                    bestReceived = value.size();
                    found = true;
                    whole = value.size() == received.size();
                } else if (hasCanonical) {
                    const std::string value00 = PlusAsZeros(value);
                    if (value00.size() > bestCanonical && Begins(canon, value00)) {
                        bestCanonical = value00.size();
                        found = true;
                        whole = value00.size() == canon.size();
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
