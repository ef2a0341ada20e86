// WINRAS on the remote access library, loaded by name at run time.  The enumeration starts with
// room for 64 entry records; when the system has more it reports the room it needs and the call is
// made again with that room, so a long phone book is listed whole.
#include "kestar/devices/winras.h"

#include "kestar/base/critsect.h"
#include "kestar/base/dllinterface.h"
#include "kestar/base/logit.h"

#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <cstring>
#include <memory>
#include <new>

// The record size the enumeration is given: the entry name and the phone-book path of the
// Windows 2000 record layout, the same on both architectures.
static_assert(sizeof(RASENTRYNAMEA) == 532, "RASENTRYNAMEA must have the 532-byte layout");

namespace {

typedef DWORD(WINAPI *RASENUMENTRIESA)(LPCSTR, LPCSTR, LPRASENTRYNAMEA, LPDWORD, LPDWORD);

// The ten entry points by name: the first eight are required of the library.
const char *const kEntryNames[] = {
    "RasEnumEntriesA",     "RasGetEntryDialParamsA", "RasDialA",
    "RasHangUpA",          "RasGetErrorStringA",     "RasEnumConnectionsA",
    "RasEditPhonebookEntryA", "RasGetConnectStatusA", "RasGetConnectionStatistics",
    "RasClearConnectionStatistics",
};
const int kEntryCount = sizeof(kEntryNames) / sizeof(kEntryNames[0]);
const int kRequiredEntries = 8;

// The first room offered, in entry records, and how often a call that asks for more room is
// repeated (the phone book may grow between two calls).
const DWORD kInitialEntries = 64;
const int kMaxAttempts = 4;
// More room than any phone book needs; a larger request is taken for a fault of the library.
const DWORD kMaxEntries = 16384;

// Process-wide state of all WINRAS objects besides the class's own, guarded by Lock().
// Constant-initialised, so that a WINRAS built by a static initialiser finds it ready.
void *EntryPoints[kEntryCount] = {};  // in hRasApi; all null while it is not loaded

CRITSECT &Lock()
{
    // Never destroyed: a global WINRAS may be destroyed after this file's statics.
    static CRITSECT *section = new CRITSECT();
    return *section;
}

void ForgetEntryPoints()
{
    for (int i = 0; i < kEntryCount; ++i)
        EntryPoints[i] = nullptr;
}

} // namespace

int WINRAS::InstanceCount = 0;
DLLINTERFACE *WINRAS::hRasApi = nullptr;

WINRAS::WINRAS(int parameter) : Text("0"), Parameter(parameter), Reserved(0)
{
    InitPointers();
}

WINRAS::~WINRAS()
{
    Lock().Enter();
    if (InstanceCount > 0) {
        --InstanceCount;
        if (InstanceCount == 0) {
            ForgetEntryPoints();
            delete hRasApi;
            hRasApi = nullptr;
        }
    } else {
        ORVAK_ASSERT(InstanceCount>0);
    }
    Lock().Leave();
}

bool WINRAS::InitPointers()
{
    Lock().Enter();
    ++InstanceCount;
    if (InstanceCount == 1) {
        if (hRasApi != nullptr) {
            ORVAK_ASSERT(WINRAS::hRasApi==NULL);
        } else {
            DLLINTERFACE *library = new (std::nothrow) DLLINTERFACE("RASAPI32");
            if (library && library->IsLoaded()) {
                hRasApi = library;
                bool complete = true;
                for (int i = 0; i < kEntryCount; ++i) {
                    EntryPoints[i] = library->GetFunction(kEntryNames[i]);
                    if (!EntryPoints[i] && i < kRequiredEntries) {
                        LOGIT::Printf("WINRAS::InitPointers %s missing\n", kEntryNames[i]);
                        complete = false;
                    }
                }
                if (!complete)
                    ORVAK_ASSERT(FALSE);
            } else {
                LOGIT::Printf("WINRAS::InitPointers RASAPI32 not loaded: %lu\n", GetLastError());
                delete library;
            }
        }
    }
    bool loaded = hRasApi != nullptr;
    Lock().Leave();
    return loaded;
}

bool WINRAS::IsLibraryLoaded()
{
    Lock().Enter();
    bool loaded = hRasApi != nullptr;
    Lock().Leave();
    return loaded;
}

STRING WINRAS::GetEntryList()
{
    LOGIT::Printf("WINRAS::GetEntryList\n");
    STRING list;
    list.SetNotNull();
    // The library stays loaded while this object lives, so the pointer may be used unlocked.
    Lock().Enter();
    RASENUMENTRIESA enumEntries = reinterpret_cast<RASENUMENTRIESA>(EntryPoints[0]);
    Lock().Leave();
    if (!enumEntries) {
        LOGIT::Printf("WINRAS::GetEntryList done\n");
        return list;
    }

    std::unique_ptr<RASENTRYNAMEA[]> entries;
    DWORD room = kInitialEntries;
    DWORD count = 0;
    DWORD rc = ERROR_BUFFER_TOO_SMALL;
    for (int attempt = 0; attempt < kMaxAttempts && rc == ERROR_BUFFER_TOO_SMALL; ++attempt) {
        entries.reset(new (std::nothrow) RASENTRYNAMEA[room]());
        if (!entries) {
            LOGIT::Printf("WINRAS::GetEntryList no memory for %lu entries\n", static_cast<unsigned long>(room));
            rc = ERROR_NOT_ENOUGH_MEMORY;
            break;
        }
        for (DWORD i = 0; i < room; ++i)
            entries[i].dwSize = sizeof(RASENTRYNAMEA);
        DWORD bytes = room * static_cast<DWORD>(sizeof(RASENTRYNAMEA));
        count = 0;
        rc = enumEntries(nullptr, nullptr, entries.get(), &bytes, &count);
        if (rc == ERROR_BUFFER_TOO_SMALL) {
            // bytes now holds the room the call needs; one record more covers a rounded answer.
            DWORD needed = bytes / static_cast<DWORD>(sizeof(RASENTRYNAMEA)) + 1;
            LOGIT::Printf("WINRAS::GetEntryList needs %lu bytes for %lu entries\n", static_cast<unsigned long>(bytes),
                          static_cast<unsigned long>(count));
            room = needed > room ? needed : room * 2;
            if (room > kMaxEntries) {
                LOGIT::Printf("WINRAS::GetEntryList refuses room for %lu entries\n", static_cast<unsigned long>(room));
                break;
            }
        }
    }
    if (rc != 0) {
        LOGIT::Printf("WINRAS::GetEntryList RasEnumEntriesA failed: %lu\n", static_cast<unsigned long>(rc));
    } else {
        if (count > room)
            count = room;
        for (DWORD i = 0; i < count; ++i) {
            // A name fills at most its field; never read past it.
            const char *name = entries[i].szEntryName;
            size_t length = strnlen(name, sizeof(entries[i].szEntryName));
            if (i > 0)
                list.Append("|");
            list.Append(name, static_cast<STRING_SIZE_T>(length));
        }
    }
    LOGIT::Printf("WINRAS::GetEntryList done\n");
    return list;
}
