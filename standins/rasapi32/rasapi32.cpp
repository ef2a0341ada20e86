// Stand-in of the remote access library for the tests: a phone book of fixed entry names.  The
// environment value PLX_STANDIN_RAS (read at every call) chooses what the enumeration returns:
// a number of entries (default 70, more than the 64 records a first call offers room for), or
// "fail" for a phone book that cannot be opened.  Like the real library it checks the record size
// of the caller's first record and reports the room it needs when given too little.
#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const DWORD kDefaultEntries = 70;
const DWORD kMaxEntries = 1000;

// Entry i (from 0): "Dial-up 001" and on; entry 2 has the longest name a record holds.
void EntryName(DWORD i, char *name, size_t size)
{
    if (i == 2) {
        std::memset(name, 'L', RAS_MaxEntryName);
        name[RAS_MaxEntryName] = '\0';
        return;
    }
    std::snprintf(name, size, "Dial-up %03lu", static_cast<unsigned long>(i + 1));
}

// The number of entries, or -1 for a phone book that cannot be opened.
long Mode()
{
    char value[32];
    DWORD n = GetEnvironmentVariableA("PLX_STANDIN_RAS", value, sizeof(value));
    if (n == 0 || n >= sizeof(value))
        return kDefaultEntries;
    if (std::strcmp(value, "fail") == 0)
        return -1;
    long count = std::strtol(value, nullptr, 10);
    return count < 0 ? 0 : (count > static_cast<long>(kMaxEntries) ? kMaxEntries : count);
}

} // namespace

#define STANDIN_EXPORT extern "C" __declspec(dllexport)


STANDIN_EXPORT DWORD WINAPI RasEnumEntriesA(LPCSTR, LPCSTR, LPRASENTRYNAMEA entries, LPDWORD bytes, LPDWORD count)
{
    if (!bytes || !count)
        return ERROR_INVALID_PARAMETER;
    long mode = Mode();
    if (mode < 0)
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (entries && *bytes >= sizeof(DWORD) && entries->dwSize != sizeof(RASENTRYNAMEA))
        return ERROR_INVALID_SIZE;
    DWORD total = static_cast<DWORD>(mode);
    DWORD needed = total * static_cast<DWORD>(sizeof(RASENTRYNAMEA));
    *count = total;
    if (!entries || *bytes < needed) {
        *bytes = needed;
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (DWORD i = 0; i < total; ++i) {
        RASENTRYNAMEA &entry = entries[i];
        entry.dwSize = sizeof(RASENTRYNAMEA);
        EntryName(i, entry.szEntryName, sizeof(entry.szEntryName));
        entry.dwFlags = REN_User;
        entry.szPhonebookPath[0] = '\0';
    }
    *bytes = needed;
    return 0;
}

// The rest of what the client binds; it never calls them.
STANDIN_EXPORT DWORD WINAPI RasGetEntryDialParamsA(LPCSTR, LPRASDIALPARAMSA, LPBOOL)
{
    return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
}

STANDIN_EXPORT DWORD WINAPI RasDialA(LPRASDIALEXTENSIONS, LPCSTR, LPRASDIALPARAMSA, DWORD, LPVOID, LPHRASCONN)
{
    return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
}

STANDIN_EXPORT DWORD WINAPI RasHangUpA(HRASCONN)
{
    return ERROR_INVALID_HANDLE;
}

STANDIN_EXPORT DWORD WINAPI RasGetErrorStringA(UINT, LPSTR text, DWORD size)
{
    if (!text || size == 0)
        return ERROR_INVALID_PARAMETER;
    std::snprintf(text, size, "stand-in error");
    return 0;
}

STANDIN_EXPORT DWORD WINAPI RasEnumConnectionsA(LPRASCONNA, LPDWORD bytes, LPDWORD count)
{
    if (!bytes || !count)
        return ERROR_INVALID_PARAMETER;
    *count = 0;
    return 0;
}

STANDIN_EXPORT DWORD WINAPI RasEditPhonebookEntryA(HWND, LPCSTR, LPCSTR)
{
    return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
}

STANDIN_EXPORT DWORD WINAPI RasGetConnectStatusA(HRASCONN, LPRASCONNSTATUSA)
{
    return ERROR_INVALID_HANDLE;
}
