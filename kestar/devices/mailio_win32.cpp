// MAILIO on the Win32 mailslot calls.
//
// The own slot is created with a finite read time-out instead of "wait for ever", and the daemon
// reads whole messages into a buffer of the slot's largest size: under Wine a read blocked on a
// mailslot can be neither cancelled nor ended by closing the handle, and a zero-byte read does
// not wait for a message.  A read that times out is no failure; the daemon simply reads again,
// and between two reads it sees when it is told to stop.
#include "kestar/devices/mailio.h"

#include "kestar/base/logit.h"
#include "kestar/base/nulldacl.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>

namespace {

// The first "last message": no real message equals it.
const char kMarker[] = "~~++##''@@\xa7\xa7";
const int kMarkerLength = 12;
// A message too large for the slot (which Wine lets through) is read into a buffer of its own and
// dropped, so that it cannot block the slot; past this size it is not even read.
const DWORD kMaxDroppedMessage = 0x10000;
// How long the daemon idles when there is nothing to read from.
const int kIdleMs = 250;

HANDLE H(void *h)
{
    return static_cast<HANDLE>(h);
}

STRING ErrorText(DWORD code)
{
    char text[256] = {0};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof(text), nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        text[--n] = '\0';
    STRING s(text);
    return s;
}

// The name of the same slot on this computer when name is a domain-wide one ("\\*\..."); NULL
// otherwise.
STRING LocalSlotName(const STRING &name)
{
    STRING local;
    if (name.Length() > 4 && std::strncmp(name, "\\\\*\\", 4) == 0) {
        local = "\\\\.\\";
        local.Append(static_cast<const char *>(name) + 4);
    }
    return local;
}

} // namespace

MAILIO::MAILIO(const char *ownSlot, const char *callType, const char *parm)
    : BASEIO(ownSlot, callType, parm, BASEIO_DEVICE_IS_PACKETBASED), hMailSlotClient(nullptr),
      hMailSlotServer(nullptr), MailLastError(0), ReadTimeout(MAILIO_DEFAULT_READ_TIMEOUT), CallbackSet(false),
      Stopping(false)
{
    LastMessage.Make(kMarkerLength, kMarker);
    LOGIT::Printf("MAILIO::MAILIO\n");
}

MAILIO::~MAILIO()
{
    // The daemon first: its read ends within the read time-out, and only then are the slots
    // closed, so it never reads through a closed (or reused) handle.
    Stopping.Set();
    KillDaemon(1);
    DropCall();
    DropAccept();
}

void MAILIO::SetDataCallback(BASEIO_DATACALLBACK callback, void *userData)
{
    // Before the daemon starts: its first read looks for the callback.
    CallbackSet = callback != nullptr;
    BASEIO::SetDataCallback(callback, userData);
}

void MAILIO::SetReadTimeout(int milliseconds)
{
    ReadTimeout = milliseconds > 0 ? milliseconds : 1;
    slotLock.Enter();
    if (hMailSlotServer && !SetMailslotInfo(H(hMailSlotServer), static_cast<DWORD>(ReadTimeout.load())))
        LOGIT::Printf("MAILIO::SetReadTimeout SetMailslotInfo failed: %lu\n", GetLastError());
    slotLock.Leave();
}

int MAILIO::MakeCall(const char *slotName)
{
    if (IsDead) {
        ORVAK_ASSERT(!this->IsDead);
        return 0;
    }
    if (!slotName) {
        ORVAK_ASSERT(slotName!=NULL);
        return 0;
    }
    writeLock.Enter();
    if (hMailSlotClient) {
        ORVAK_ASSERT(this->hMailSlotClient==NULL);
        writeLock.Leave();
        return 0;
    }
    PeerName = slotName;
    OpenPeer();
    void *handle = hMailSlotClient;
    writeLock.Leave();
    LOGIT::Printf("MAILSLOT::MakeCall hp= %p\n", handle);
    return handle != nullptr ? 1 : 0;
}

bool MAILIO::OpenPeer()
{
    NULLDACL dacl;
    LPSECURITY_ATTRIBUTES attributes = static_cast<LPSECURITY_ATTRIBUTES>(dacl.Attributes());
    HANDLE h = CreateFileA(PeerName, GENERIC_WRITE, FILE_SHARE_READ, attributes, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    DWORD err = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    STRING local = LocalSlotName(PeerName);
    if (h == INVALID_HANDLE_VALUE && local.NotEmpty()) {
        // Hosts without domain-wide mailslots (Wine) refuse "\\*\": at least the phone server and
        // the clients of this computer still meet on the local slot.
        LOGIT::Printf("MAILIO::MakeCall %s refused (%lu), opening %s\n", static_cast<const char *>(PeerName), err,
                      static_cast<const char *>(local));
        h = CreateFileA(local, GENERIC_WRITE, FILE_SHARE_READ, attributes, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        err = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    }
    if (h == INVALID_HANDLE_VALUE) {
        LOGIT::Printf("MAILIO::MakeCall CreateFileA(%s) failed: %lu\n", static_cast<const char *>(PeerName), err);
        return false;
    }
    hMailSlotClient = h;
    return true;
}

void MAILIO::ClosePeer()
{
    void *h = hMailSlotClient.exchange(nullptr);
    if (h)
        CloseHandle(H(h));
}

int MAILIO::DropCall()
{
    writeLock.Enter();
    ClosePeer();
    writeLock.Leave();
    return 1;
}

int MAILIO::AcceptCall()
{
    if (IsDead) {
        ORVAK_ASSERT(!this->IsDead);
        return 0;
    }
    if (!CallbackSet) {
        LOGIT::Assert(0, "this->pfnDataCallback", __FILE__, __LINE__, nullptr, 0);
        return 0;
    }
    slotLock.Enter();
    if (hMailSlotServer) {
        ORVAK_ASSERT(this->hMailSlotServer==NULL);
        slotLock.Leave();
        return 0;
    }
    STRING name = GetOurId();
    NULLDACL dacl;
    HANDLE h = CreateMailslotA(name, MAILIO_MAX_MESSAGE, static_cast<DWORD>(ReadTimeout.load()),
                               static_cast<LPSECURITY_ATTRIBUTES>(dacl.Attributes()));
    if (h == INVALID_HANDLE_VALUE)
        LOGIT::Printf("MAILIO::AcceptCall CreateMailslotA(%s) failed: %lu\n", static_cast<const char *>(name),
                      GetLastError());
    else
        hMailSlotServer = h;
    void *handle = hMailSlotServer;
    slotLock.Leave();
    LOGIT::Printf("MAILSLOT::AcceptCall hp= %p\n", handle);
    return handle != nullptr ? 1 : 0;
}

int MAILIO::DropAccept()
{
    slotLock.Enter();
    void *h = hMailSlotServer.exchange(nullptr);
    if (h)
        CloseHandle(H(h));
    slotLock.Leave();
    return 1;
}

int MAILIO::DevIsConnected()
{
    return (hMailSlotClient.load() != nullptr || hMailSlotServer.load() != nullptr) ? 1 : 0;
}

int MAILIO::DevGetNumAvail()
{
    slotLock.Enter();
    void *slot = hMailSlotServer;
    DWORD next = 0, count = 0;
    BOOL ok = slot ? GetMailslotInfo(H(slot), nullptr, &next, &count, nullptr) : FALSE;
    slotLock.Leave();
    if (!ok)
        return -1;
    if (count == 0 || next == MAILSLOT_NO_MESSAGE)
        return 0;
    return next > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(next);
}

int MAILIO::DevRead(void *, int *count, int timeout)
{
    if (count)
        *count = 0;
    if (timeout != -1)
        ORVAK_ASSERT(timeout==-1);
    if (!CallbackSet) {
        LOGIT::Assert(0, "this->pfnDataCallback", __FILE__, __LINE__, nullptr, 0);
        Stopping.Wait(kIdleMs);
        return 0;
    }
    if (!GetThreadHandle()) {
        ORVAK_ASSERT(this->GetThreadHandle()!=NULL);
        return 0;
    }

    char message[MAILIO_MAX_MESSAGE];
    DWORD got = 0;
    DWORD err = 0;
    bool dropped = false;
    slotLock.Enter();
    void *slot = hMailSlotServer;
    if (!slot) {
        slotLock.Leave();
        LOGIT::Printf("MAILIO::DevRead with NULL-handle\n");
        Stopping.Wait(kIdleMs);
        return 0;
    }
    BOOL ok = ReadFile(H(slot), message, sizeof(message), &got, nullptr);
    if (!ok)
        err = GetLastError();
    if (!ok && err == ERROR_INSUFFICIENT_BUFFER) {
        DWORD next = 0, waiting = 0;
        if (GetMailslotInfo(H(slot), nullptr, &next, &waiting, nullptr) && waiting > 0 &&
            next != MAILSLOT_NO_MESSAGE && next <= kMaxDroppedMessage) {
            std::unique_ptr<char[]> large(new (std::nothrow) char[next]);
            DWORD taken = 0;
            if (large && ReadFile(H(slot), large.get(), next, &taken, nullptr)) {
                got = taken;
                dropped = true;
            }
        }
    }
    slotLock.Leave();

    if (!ok && err == ERROR_SEM_TIMEOUT)
        return 1; // no message within the read time-out
    if (!ok || got == 0 || got > MAILIO_MAX_MESSAGE) {
        if (!ok) {
            MailLastError = static_cast<int>(err);
            SetLastError(static_cast<int>(err), ErrorText(err));
        }
        LOGIT::Printf("MAILIO::DevRead failed with len=%d, laserr=%d/%s\n", static_cast<int>(got), static_cast<int>(err),
                      static_cast<const char *>(ok ? STRING("<none>") : ErrorText(err)));
        return (ok || dropped) ? 1 : 0;
    }
    // Mailslot messages sent to every computer can arrive once per network protocol: a message
    // equal to the one before it is dropped.  Compared whole, zero bytes included.
    if (static_cast<STRING_SIZE_T>(got) == LastMessage.Length() && std::memcmp(message, LastMessage.Buffer, got) == 0) {
        LOGIT::Printf("MAILIO::DevRead drops a repeated message, len=%d\n", static_cast<int>(got));
        return 1;
    }
    LastMessage.Make(static_cast<STRING_SIZE_T>(got), message);
    Feed(message, static_cast<int>(got));
    return 1;
}

bool MAILIO::WriteMessage(const char *data, int length, DWORD *written, DWORD *error)
{
    *written = 0;
    *error = 0;
    void *peer = hMailSlotClient;
    if (!peer) {
        *error = ERROR_INVALID_HANDLE;
        return false;
    }
    BOOL ok = WriteFile(H(peer), data, static_cast<DWORD>(length), written, nullptr);
    if (!ok)
        *error = GetLastError();
    return ok && *written == static_cast<DWORD>(length);
}

int MAILIO::DevWrite(const void *data, int count)
{
    if (count < 0 || (count > 0 && !data)) {
        ORVAK_ASSERT(count>=0 && (data!=NULL || count==0));
        return 0;
    }
    const char *bytes = static_cast<const char *>(data);
    writeLock.Enter();
    if (!hMailSlotClient) {
        writeLock.Leave();
        return 0;
    }
    bool all = true;
    for (int offset = 0; offset < count; offset += MAILIO_CHUNK) {
        int length = count - offset < MAILIO_CHUNK ? count - offset : MAILIO_CHUNK;
        bool written = false;
        for (int attempt = 0; attempt < 3 && !written; ++attempt) {
            DWORD done = 0, err = 0;
            written = WriteMessage(bytes + offset, length, &done, &err);
            if (!written) {
                // The data is no C text: never read past its count.
                LOGIT::Printf("MAILIO::DevWrite s= %.*s, len= %d returned: len %d, ok= %d, lasterror= %04x\n", count,
                              bytes, count, static_cast<int>(done), err == 0 ? 1 : 0, static_cast<unsigned>(err));
                LOGIT::Printf("MAILIO::DevWrite connection will be reestablished!!\n");
                ClosePeer();
                OpenPeer();
            }
        }
        all = all && written;
    }
    writeLock.Leave();
    LOGIT::Printf("MAILIO::DevWrite done ok= %d\n", all ? 1 : 0);
    return all ? 1 : 0;
}

STRING &MAILIO::GetProperty(STRING &result, const char *name)
{
    STRING key(name);
    key.ToUpper();
    if (key == "ONLINE") {
        result.Format("%d", DevIsConnected());
    } else if (key == "DEVICENAME") {
        result = "MAIL";
    } else if (key == "BANDWIDTH") {
        result = "10000000";
    } else if (key == "LASTERROR") {
        result.Format("%d", MailLastError.load());
    } else if (key == "LASTERRORSTRING") {
        result = "<unknown>";
    } else if (key == "OWNID") {
        result = GetOurId();
    } else if (key == "CALLERID") {
        result = "<unknown>";
    } else {
        ORVAK_ASSERT(FALSE);
        result = "";
    }
    return result;
}
