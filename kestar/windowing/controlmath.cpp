// The arithmetic of the control wrappers (see controlmath.h).
#include "kestar/windowing/controlmath.h"

#include <cstdlib>
#include <string>

namespace CONTROLMATH {

STRING PrepareTooltip(const char *text)
{
    std::string prepared;
    for (const char *p = text ? text : ""; *p; ++p) {
        if (*p == '&')
            prepared += "&&&";
        else
            prepared += *p;
    }
    if (prepared.size() > static_cast<size_t>(TOOLTIP_CHARACTERS))
        prepared.resize(TOOLTIP_CHARACTERS);
    return STRING(prepared.c_str());
}

int StatusBarEdges(const int *widths, int count, int clientWidth, int *edges)
{
    int stretched = -1;
    long long others = 0;
    for (int i = 0; i < count; ++i) {
        if (widths[i] < 0 && stretched == -1)
            stretched = i;
        else
            others += std::llabs(static_cast<long long>(widths[i]));
    }
    long long edge = 0;
    for (int i = 0; i < count; ++i) {
        long long width = std::llabs(static_cast<long long>(widths[i]));
        if (i == stretched && clientWidth - others > width)
            width = clientWidth - others;
        edge += width;
        edges[i] = edge > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(edge);
    }
    return stretched;
}

int UpDownCharacters(int lo, int hi)
{
    long long low = lo < hi ? lo : hi;
    long long far = std::llabs(static_cast<long long>(lo)) > std::llabs(static_cast<long long>(hi))
                        ? std::llabs(static_cast<long long>(lo))
                        : std::llabs(static_cast<long long>(hi));
    int digits = 1;
    for (long long v = far; v >= 10; v /= 10)
        ++digits;
    return digits + (low < 0 ? 1 : 0);
}

bool UpDownNeeds32Bit(int lo, int hi)
{
    auto fits = [](int v) { return v >= -0x7FFF && v <= 0x7FFF; };
    return !fits(lo) || !fits(hi);
}

int SplitterX(int x, int minimumLeft, int maximum)
{
    if ((x < maximum ? x : maximum) < minimumLeft)
        return minimumLeft;
    if (x >= maximum)
        return maximum;
    return x;
}

} // namespace CONTROLMATH
