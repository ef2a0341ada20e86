// MONITORHOST: the spooler's side of the port monitor interface (see monitorhost.h).
#include "standins/spooler/monitorhost.h"

#include <winspool.h>
#include <winsplp.h>

#include <cstring>

namespace {

// The 9x spooler's record: 13 entries, then a guard word of the host that no monitor may touch.
struct RECORD9X {
    void *entries[13];
    void *guard;
};

void *const kGuard = reinterpret_cast<void *>(static_cast<uintptr_t>(0x5A5A5A5A));

// The form's width of an ASCII text.
std::wstring Wide(const std::string &text)
{
    return std::wstring(text.begin(), text.end());
}

// Entry numbers (from 1) in each form's order; 0 where a form has no such entry.
enum OP { OP_ENUMPORTS, OP_OPENPORT, OP_STARTDOC, OP_WRITE, OP_READ, OP_ENDDOC, OP_CLOSE, OP_ADD, OP_CONFIGURE, OP_DELETE };
const int kNtIndex[] = {1, 2, 4, 5, 6, 7, 8, 9, 11, 12};
const int k9xIndex[] = {1, 2, 4, 5, 6, 7, 8, 9, 10, 11};

typedef BOOL(WINAPI *ENUMPORTSW)(LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
typedef BOOL(WINAPI *ENUMPORTSA)(LPSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
typedef BOOL(WINAPI *OPENPORTW)(LPWSTR, PHANDLE);
typedef BOOL(WINAPI *OPENPORTA)(LPSTR, PHANDLE);
typedef BOOL(WINAPI *STARTDOCW)(HANDLE, LPWSTR, DWORD, DWORD, LPBYTE);
typedef BOOL(WINAPI *STARTDOCA)(HANDLE, LPSTR, DWORD, DWORD, LPBYTE);
typedef BOOL(WINAPI *READWRITE)(HANDLE, LPBYTE, DWORD, LPDWORD);
typedef BOOL(WINAPI *PORTONLY)(HANDLE);
typedef BOOL(WINAPI *PORTUIW)(LPWSTR, HWND, LPWSTR);
typedef BOOL(WINAPI *PORTUIA)(LPSTR, HWND, LPSTR);

const char kPortName[] = "ParlomatixFax:";
const char kMonitorName[] = "ParlomatixFax Port Monitor";

} // namespace

MONITORHOST::MONITORHOST() : library(nullptr), form(FORM_NT), monitorEx(nullptr), record9x(nullptr)
{
}

MONITORHOST::~MONITORHOST()
{
    if (library)
        FreeLibrary(library);
    delete static_cast<RECORD9X *>(record9x);
}

bool MONITORHOST::Load(const std::string &path, FORM loadForm)
{
    form = loadForm;
    library = LoadLibraryA(path.c_str());
    if (!library) {
        error = "LoadLibrary(" + path + ") failed: " + std::to_string(GetLastError());
        return false;
    }
    if (form == FORM_NT) {
        typedef LPMONITOREX(WINAPI * ENTRY)(LPWSTR);
        ENTRY entry = reinterpret_cast<ENTRY>(reinterpret_cast<void *>(GetProcAddress(library, "InitializePrintMonitor")));
        if (!entry) {
            error = "no InitializePrintMonitor";
            return false;
        }
        WCHAR root[] = L"System\\CurrentControlSet\\Control\\Print\\Monitors\\ParlomatixFax Port Monitor";
        monitorEx = entry(root);
        if (!monitorEx) {
            error = "InitializePrintMonitor returned null";
            return false;
        }
        return true;
    }
    typedef BOOL(WINAPI * ENTRY)(LPSTR, void *);
    ENTRY entry = reinterpret_cast<ENTRY>(reinterpret_cast<void *>(GetProcAddress(library, "InitializeMonitorEx")));
    if (!entry) {
        error = "no InitializeMonitorEx";
        return false;
    }
    RECORD9X *record = new RECORD9X;
    // Garbage in every entry, as a spooler's uninitialised record may hold: the monitor must
    // write all 13.
    for (void *&e : record->entries)
        e = reinterpret_cast<void *>(static_cast<uintptr_t>(0xBAD0BAD0));
    record->guard = kGuard;
    record9x = record;
    char root[] = "System\\CurrentControlSet\\Control\\Print\\Monitors\\ParlomatixFax Port Monitor";
    if (!entry(root, record)) {
        error = "InitializeMonitorEx returned FALSE";
        return false;
    }
    return true;
}

void *MONITORHOST::Entry(int index) const
{
    if (index < 1 || index > EntryCount())
        return nullptr;
    if (form == FORM_NT) {
        if (!monitorEx)
            return nullptr;
        // The entries of MONITOR are function pointers in a row, right after dwMonitorSize.
        const MONITOREX *ex = static_cast<const MONITOREX *>(monitorEx);
        void *const *entries = reinterpret_cast<void *const *>(&ex->Monitor);
        return entries[index - 1];
    }
    if (!record9x)
        return nullptr;
    return static_cast<const RECORD9X *>(record9x)->entries[index - 1];
}

DWORD MONITORHOST::MonitorSize() const
{
    if (form != FORM_NT || !monitorEx)
        return 0;
    return static_cast<const MONITOREX *>(monitorEx)->dwMonitorSize;
}

bool MONITORHOST::GuardIntact() const
{
    if (form == FORM_NT)
        return true;
    return record9x && static_cast<const RECORD9X *>(record9x)->guard == kGuard;
}

void *MONITORHOST::Call(int ntIndex, int x9Index) const
{
    return Entry(form == FORM_NT ? ntIndex : x9Index);
}

#define HOST_ENTRY(op) Call(kNtIndex[op], k9xIndex[op])

BOOL MONITORHOST::EnumPorts(DWORD level, BYTE *buffer, DWORD size, DWORD *needed, DWORD *returned)
{
    void *f = HOST_ENTRY(OP_ENUMPORTS);
    if (form == FORM_NT)
        return reinterpret_cast<ENUMPORTSW>(f)(nullptr, level, buffer, size, needed, returned);
    return reinterpret_cast<ENUMPORTSA>(f)(nullptr, level, buffer, size, needed, returned);
}

BOOL MONITORHOST::OpenPort(HANDLE *port)
{
    void *f = HOST_ENTRY(OP_OPENPORT);
    if (form == FORM_NT) {
        std::wstring name = Wide(kPortName);
        return reinterpret_cast<OPENPORTW>(f)(&name[0], port);
    }
    std::string name = kPortName;
    return reinterpret_cast<OPENPORTA>(f)(&name[0], port);
}

BOOL MONITORHOST::StartDocPort(HANDLE port, const std::string &printer, DWORD jobId)
{
    void *f = HOST_ENTRY(OP_STARTDOC);
    if (form == FORM_NT) {
        std::wstring name = Wide(printer);
        DOC_INFO_1W info = {};
        return reinterpret_cast<STARTDOCW>(f)(port, &name[0], jobId, 1, reinterpret_cast<LPBYTE>(&info));
    }
    std::string name = printer;
    DOC_INFO_1A info = {};
    return reinterpret_cast<STARTDOCA>(f)(port, &name[0], jobId, 1, reinterpret_cast<LPBYTE>(&info));
}

BOOL MONITORHOST::WritePort(HANDLE port, const void *bytes, DWORD count, DWORD *written)
{
    void *f = HOST_ENTRY(OP_WRITE);
    return reinterpret_cast<READWRITE>(f)(port, static_cast<LPBYTE>(const_cast<void *>(bytes)), count, written);
}

BOOL MONITORHOST::ReadPort(HANDLE port, BYTE *buffer, DWORD size, DWORD *read)
{
    return reinterpret_cast<READWRITE>(HOST_ENTRY(OP_READ))(port, buffer, size, read);
}

BOOL MONITORHOST::EndDocPort(HANDLE port)
{
    return reinterpret_cast<PORTONLY>(HOST_ENTRY(OP_ENDDOC))(port);
}

BOOL MONITORHOST::ClosePort(HANDLE port)
{
    return reinterpret_cast<PORTONLY>(HOST_ENTRY(OP_CLOSE))(port);
}

BOOL MONITORHOST::AddPort(HWND owner)
{
    void *f = HOST_ENTRY(OP_ADD);
    if (form == FORM_NT) {
        std::wstring monitor = Wide(kMonitorName);
        return reinterpret_cast<PORTUIW>(f)(nullptr, owner, &monitor[0]);
    }
    std::string monitor = kMonitorName;
    return reinterpret_cast<PORTUIA>(f)(nullptr, owner, &monitor[0]);
}

BOOL MONITORHOST::ConfigurePort(HWND owner)
{
    void *f = HOST_ENTRY(OP_CONFIGURE);
    if (form == FORM_NT) {
        std::wstring name = Wide(kPortName);
        return reinterpret_cast<PORTUIW>(f)(nullptr, owner, &name[0]);
    }
    std::string name = kPortName;
    return reinterpret_cast<PORTUIA>(f)(nullptr, owner, &name[0]);
}

BOOL MONITORHOST::DeletePort(HWND owner)
{
    void *f = HOST_ENTRY(OP_DELETE);
    if (form == FORM_NT) {
        std::wstring name = Wide(kPortName);
        return reinterpret_cast<PORTUIW>(f)(nullptr, owner, &name[0]);
    }
    std::string name = kPortName;
    return reinterpret_cast<PORTUIA>(f)(nullptr, owner, &name[0]);
}

bool MONITORHOST::PrintJob(HANDLE port, const std::string &printer, DWORD jobId, const std::string &bytes,
                           size_t pieceSize)
{
    if (!StartDocPort(port, printer, jobId))
        return false;
    if (pieceSize == 0)
        pieceSize = 1;
    for (size_t at = 0; at < bytes.size(); at += pieceSize) {
        DWORD count = static_cast<DWORD>(bytes.size() - at < pieceSize ? bytes.size() - at : pieceSize);
        DWORD written = 0;
        if (!WritePort(port, bytes.data() + at, count, &written) || written != count)
            return false;
    }
    return EndDocPort(port) != FALSE;
}
