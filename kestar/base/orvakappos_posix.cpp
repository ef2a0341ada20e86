// Native stand-ins of the frame's process facts (see orvakappos.h).
#include "kestar/base/orvakappos.h"

#include <unistd.h>

#include <string>
#include <vector>

namespace ORVAKAPPOS {

STRING ProgramFile()
{
    std::vector<char> buffer(256);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) {
            STRING empty;
            empty.SetNotNull();
            return empty;
        }
        if (static_cast<size_t>(n) < buffer.size())
            return STRING::FromBytes(buffer.data(), static_cast<STRING_SIZE_T>(n));
        buffer.resize(buffer.size() * 2);
    }
}

STRING CurrentDirectory()
{
    std::vector<char> buffer(256);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (buffer.size() > (1u << 20)) {
            STRING empty;
            empty.SetNotNull();
            return empty;
        }
        buffer.resize(buffer.size() * 2);
    }
    return STRING(buffer.data());
}

unsigned long ProcessId()
{
    return static_cast<unsigned long>(getpid());
}

void LocaleIds(unsigned long &thread, unsigned long &user, unsigned long &system)
{
    // en-US, as a neutral answer for the native build.
    thread = user = system = 0x409;
}

char Separator()
{
    return '/';
}

} // namespace ORVAKAPPOS
