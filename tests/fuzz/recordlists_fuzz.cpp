// Reads arbitrary bytes as a phone number (the first line) and a record list (the rest), as a
// server's list or a hand-edited list file could arrive.  Every record is prepared under each of
// the three schemas and the number is looked up in the list: nothing may crash, every prepared
// record holds its schema, and the match is a record of the list.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/callers.h"
#include "common/clients.h"
#include "common/findbestmatchnumber.h"
#include "common/targets.h"
#include "kestar/base/logit.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The matching rule written out plainly, to hold the optimised search against.
int PlainBestMatch(HASHLIST &list, const std::string &received, const char *canonical, STRING *keyPosition)
{
    auto plus00 = [](const std::string &v) {
        std::string out;
        for (char c : v)
            out += c == '+' ? std::string("00") : std::string(1, c);
        return out;
    };
    auto begins = [](const std::string &text, const std::string &prefix) {
        return prefix.size() <= text.size() && text.compare(0, prefix.size(), prefix) == 0;
    };
    const bool hasCanonical = canonical && *canonical;
    const std::string canon = hasCanonical ? plus00(canonical) : std::string();
    const STRING entry = *keyPosition;
    size_t bestR = 0, bestC = 0;
    int result = -1;
    for (int i = 0; i < list.NumItems(); ++i) {
        for (int k = 0; k < 5; ++k) {
            STRING *stored = nullptr;
            if (!list[i]->Exists(MATCHNUMBERKEYS[k], &stored) || stored->IsEmpty())
                continue;
            std::string forms[2] = {static_cast<const char *>(*stored), ""};
            for (char c : forms[0])
                if (!std::strchr(" /-()", c))
                    forms[1] += c;
            for (const std::string &v : forms) {
                bool found = false, whole = false;
                if (v.size() > bestR && begins(received, v)) {
                    bestR = v.size();
                    found = true;
                    whole = v.size() == received.size();
                } else if (hasCanonical && plus00(v).size() > bestC && begins(canon, plus00(v))) {
                    bestC = plus00(v).size();
                    found = true;
                    whole = bestC == canon.size();
                }
                if (!found)
                    continue;
                result = i;
                *keyPosition = k > 0 ? STRING(k) : entry;
                if (whole)
                    return result;
            }
        }
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 16)
        return 0;
    const char *bytes = reinterpret_cast<const char *>(data);
    const void *end = std::memchr(bytes, '\n', size);
    const size_t numberLength = end ? static_cast<size_t>(static_cast<const char *>(end) - bytes) : size;
    const STRING number = STRING::FromBytes(bytes, static_cast<STRING_SIZE_T>(numberLength));
    const size_t rest = end ? size - numberLength - 1 : 0;
    HASHLIST list;
    list.FromString(STRING::FromBytes(bytes + size - rest, static_cast<STRING_SIZE_T>(rest)));

    CALLERS callers;
    for (int i = 0; i < list.NumItems(); ++i) {
        HASH caller(*list[i]);
        CALLERS::Prepare(caller);
        Check(caller.NumKeys() >= CALLERS::NUMKEYS);
        callers.AddItem(caller);
        HASH target(*list[i]);
        TARGETS::Prepare(target, 16534);
        Check(target.NumKeys() >= TARGETS::NUMRULES + 1);
        Check(target.Handle != 0);
        HASH client(*list[i]);
        CLIENTS::Prepare(client, 16534);
        Check(client.NumKeys() >= CLIENTS::NUMDEFAULTS);
    }
    STRING position("E");
    const int idx = FindBestMatchNumber(callers, number, number, &position);
    Check(idx >= -1 && idx < callers.NumItems());
    Check(position == "E" || position == "1" || position == "2" || position == "3" || position == "4");
    STRING plainPosition("E");
    Check(PlainBestMatch(callers, number.IsNull() ? "" : static_cast<const char *>(number), number, &plainPosition) == idx);
    Check(plainPosition == position);
    Check(FindBestMatchNumber(list, number, nullptr, nullptr) >= -1);
    return 0;
}
