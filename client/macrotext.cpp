// One-pass macro replacement.
#include "client/macrotext.h"

#include <cstring>
#include <string>

STRING MACROTEXT::Expand(const char *text, const MACRO *macros, int count)
{
    std::string out;
    if (text) {
        const size_t length = std::strlen(text);
        size_t i = 0;
        while (i < length) {
            const MACRO *hit = nullptr;
            size_t nameLength = 0;
            if (text[i] == '$') {
                for (int m = 0; m < count && !hit; ++m) {
                    const size_t n = std::strlen(macros[m].Name);
                    if (n > 0 && std::strncmp(text + i, macros[m].Name, n) == 0) {
                        hit = &macros[m];
                        nameLength = n;
                    }
                }
            }
            if (hit) {
                if (hit->Value.NotEmpty())
                    out.append(hit->Value.GetBuffer(), static_cast<size_t>(hit->Value.Length()));
                i += nameLength;
            } else {
                out += text[i++];
            }
        }
    }
    STRING result("");
    result.Append(out.data(), static_cast<STRING_SIZE_T>(out.size()));
    return result;
}
