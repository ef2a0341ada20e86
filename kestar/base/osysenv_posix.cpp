// The environment of the native build: the C library's getenv is live on POSIX systems.
#include "kestar/base/osysenv.h"

#include <cstdlib>
#include <cstring>

bool OSYSENV::Get(const char *name, char *value, size_t size)
{
    if (value == nullptr || size == 0)
        return false;
    value[0] = 0;
    if (name == nullptr)
        return false;
    const char *text = getenv(name);
    if (text == nullptr)
        return false;
    size_t n = strlen(text);
    if (n >= size)
        n = size - 1;
    memcpy(value, text, n);
    value[n] = 0;
    return true;
}
