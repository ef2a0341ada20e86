// The environment through the system: GetEnvironmentVariableA sees changes made after start-up,
// which the runtime's getenv snapshot does not.
#include "kestar/base/osysenv.h"

#include <windows.h>

#include <cstring>

bool OSYSENV::Get(const char *name, char *value, size_t size)
{
    if (value == nullptr || size == 0)
        return false;
    value[0] = 0;
    if (name == nullptr)
        return false;
    SetLastError(ERROR_SUCCESS);
    DWORD rc = GetEnvironmentVariableA(name, value, static_cast<DWORD>(size));
    if (rc == 0) {
        // 0 is both "not set" and "set to an empty text"; only the error code tells them apart.
        value[0] = 0;
        return GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    }
    if (rc >= size) {
        // Too long for the caller's buffer: the system copied nothing.  Take the head of it.
        char *whole = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, rc));
        if (whole != nullptr) {
            DWORD again = GetEnvironmentVariableA(name, whole, rc);
            if (again > 0 && again < rc) {
                memcpy(value, whole, size - 1);
                value[size - 1] = 0;
            }
            HeapFree(GetProcessHeap(), 0, whole);
        }
    }
    return true;
}
