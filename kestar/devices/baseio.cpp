// BASEIO: the daemon, the read with time-out and end bytes, Feed and the properties.
//
// Device reads go through a heap buffer: a 0x8000-byte buffer on the stack would fill a whole
// 32 KB thread stack.
#include "kestar/devices/baseio.h"

#include "kestar/base/logit.h"
#include "kestar/base/osysthread.h"
#include "kestar/base/osystime.h"
#include "kestar/base/raisethreadpriority.h"

#include <chrono>
#include <cstring>
#include <new>

namespace {

const uint32_t kMagic = 0x22cc8833u;
// A read without limit still looks at the device this often, so that it notices a disconnect.
const int kUnlimitedSliceMs = 250;

// A clock that nobody resets: the time-outs of Read are measured on it.
int64_t SteadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool IsEndByte(const char *endBytes, char c)
{
    if (!endBytes)
        return false;
    for (const char *p = endBytes; *p; ++p) {
        if (*p == c)
            return true;
    }
    return false;
}

void DumpBytes(const void *data, int length)
{
    // Formatting costs a call per byte: nothing to do while nobody logs.
    if (!LOGIT::IsLogging())
        return;
    const unsigned char *p = static_cast<const unsigned char *>(data);
    char line[16 * 3 + 2];
    int used = 0;
    for (int i = 0; i < length; ++i) {
        used += std::snprintf(line + used, sizeof(line) - static_cast<size_t>(used), " %02x", p[i]);
        if ((i % 16) == 15 || i + 1 == length) {
            LOGIT::PrintfLevel(BASEIO_LOGLEVEL_DATA, "%s\n", line);
            used = 0;
        }
    }
}

} // namespace

BASEIO::BASEIO(const char *ourId, const char *callType, const char *parm, int deviceFlags)
    : ConstructorDone((deviceFlags & BASEIO_DEVICE_SIGNALS_DONE) == 0), IsDead(0), DeviceFlags(deviceFlags),
      OurId(ourId), CallType(callType), Parm(parm), LastError(0), LastErrorString("<unknown>"),
      semKillThread(false), hThread(nullptr), magic1(kMagic), Ring(BASEIO_RINGBUFFER_SIZE), Pushback(96),
      Param1(0), Param2(0), pfnDataCallback(nullptr), callbackUserData(nullptr), magic2(kMagic)
{
    LOGIT::Printf("BASEIO::BASEIO this= %p, ourid= %s, calltype= %s, parm= %s\n", static_cast<void *>(this),
                  STR::SafeText(ourId, "ourid"), STR::SafeText(callType, "calltype"), STR::SafeText(parm, "parm"));
    if ((deviceFlags & (BASEIO_DEVICE_SUPPORTS_READTIMEOUT | BASEIO_DEVICE_NO_SYNCFILL |
                        BASEIO_DEVICE_IS_PACKETBASED)) == 0) {
        if ((deviceFlags & BASEIO_DEVICE_SIGNALS_DONE) == 0) {
            // The daemon would call DevRead before the device class is built.
            ORVAK_ASSERT(deviceFlags & BASEIO_DEVICE_SIGNALS_DONE);
            return;
        }
        StartDaemon();
    }
}

BASEIO::~BASEIO()
{
    if (hThread.load()) {
        ORVAK_ASSERT(!this->hThread);
        KillDaemon(1);
    }
    IsDead = 1;
}

bool BASEIO::StartDaemon()
{
    semKillThread.Reset();
    void *h = OSYS::CreateThread(DaemonMain, this);
    if (!h) {
        ORVAK_ASSERT(h!=NULL);
        return false;
    }
    hThread.store(h);
    return true;
}

unsigned BASEIO::DaemonMain(void *self)
{
    OSYS::InitThreadCrashHandler();
    static_cast<BASEIO *>(self)->Daemon();
    return 0;
}

void BASEIO::Daemon()
{
    ORVAK_ASSERT(!this->IsDead);
    ConstructorDone.Wait(-1);
    RAISETHREADPRIORITY priority(1);
    LOGIT::Printf("BASEIO::Daemon (this= %p)\n", static_cast<void *>(this));
    while (!semKillThread.Wait(0)) {
        if (magic1 != kMagic || magic2 != kMagic) {
            char info[64];
            std::snprintf(info, sizeof(info), "magic1= %08lx, magic2= %08lx", static_cast<unsigned long>(magic1),
                          static_cast<unsigned long>(magic2));
            ORVAK_ASSERT_INFO(magic1 == kMagic && magic2 == kMagic, info);
        }
        if (!ReadDeviceToRingbuffer(-1))
            semKillThread.Wait(100);
    }
    LOGIT::Printf("BASEIO::~Daemon\n");
}

void BASEIO::KillDaemon(int dead)
{
    void *h = hThread.load();
    if (h) {
        semKillThread.Set();
        OSYS::WaitThread(h, -1);
        hThread.store(nullptr);
    } else {
        LOGIT::Printf("BASEIO::KillDaemon nothing to do (deamonless device or already killed)\n");
    }
    if (dead)
        IsDead = 1;
}

int64_t BASEIO::GetTimeMs(int reset)
{
    return OSYS::GetClockMs(reset);
}

int BASEIO::IsAlive()
{
    // A connected device is alive whatever it holds: asking it for its byte count first would
    // cost a device call on every pass of a read.
    return (DevIsConnected() || NumAvail() != 0) ? 1 : 0;
}

void BASEIO::SetParams(int param1, int param2)
{
    Param1 = param1;
    Param2 = param2;
}

void BASEIO::SetDataCallback(BASEIO_DATACALLBACK callback, void *userData)
{
    callbackLock.Enter();
    pfnDataCallback = callback;
    callbackUserData = userData;
    callbackLock.Leave();
    if (!hThread.load()) {
        // The daemon must not read before its handle is known (MAILIO checks for it).
        ConstructorDone.Reset();
        StartDaemon();
        ConstructorDone.Set();
    }
}

void BASEIO::SetCallType(const char *callType)
{
    textLock.Enter();
    LOGIT::Printf("ISDNIO::SetCallType old=%s, new=%s\n", STR::SafeText(CallType, "old"),
                  STR::SafeText(callType, "new"));
    CallType = callType;
    textLock.Leave();
}

void BASEIO::SetOurId(const char *ourId)
{
    textLock.Enter();
    LOGIT::Printf("ISDNIO::SetOurId old=%s, new=%s\n", STR::SafeText(OurId, "old"), STR::SafeText(ourId, "new"));
    OurId = ourId;
    textLock.Leave();
}

STRING BASEIO::GetOurId()
{
    textLock.Enter();
    STRING copy(OurId);
    textLock.Leave();
    return copy;
}

void BASEIO::SetLastError(int error, const char *text)
{
    textLock.Enter();
    LastError = error;
    LastErrorString = text;
    textLock.Leave();
}

STRING BASEIO::GetLastErrorString()
{
    textLock.Enter();
    STRING copy(LastErrorString);
    textLock.Leave();
    return copy;
}

STRING &BASEIO::GetProperty(STRING &result, const char *name)
{
    STRING key(name);
    key.ToUpper();
    if (key == "ONLINE")
        result = "0";
    else if (key == "LASTERROR")
        result.Format("%d", LastError.load());
    else if (key == "LASTERRORSTRING")
        result = GetLastErrorString();
    else if (key == "OWNID")
        result = GetOurId();
    else if (key == "CALLERID")
        result = "<unknown>";
    else if (key == "DEVICENAME")
        result = "BASEIO";
    else
        result = "BASEIO::BAD-REQUEST";
    return result;
}

void BASEIO::SetProperty(const char *name, const char *value)
{
    if (!name) {
        ORVAK_ASSERT(name!=NULL);
        return;
    }
    textLock.Enter();
    Properties[name] = value;
    textLock.Leave();
}

int BASEIO::Write(const void *data, int length)
{
    if (IsDead) {
        ORVAK_ASSERT(!this->IsDead);
        return 0;
    }
    if (length == -1)
        length = data ? static_cast<int>(std::strlen(static_cast<const char *>(data))) : 0;
    return DevWrite(data, length);
}

int BASEIO::WriteByte(unsigned char byte)
{
    return Write(&byte, 1);
}

int BASEIO::NumAvail()
{
    ORVAK_ASSERT(!this->IsDead);
    return Ring.Count() + DevGetNumAvail();
}

void BASEIO::PushBack(const void *data, int length)
{
    if (length <= 0 || !data)
        return;
    textLock.Enter();
    Pushback.Append(data, length);
    textLock.Leave();
}

bool BASEIO::TakePushback(char *byte)
{
    textLock.Enter();
    bool taken = Pushback.Length() > 0;
    if (taken) {
        *byte = Pushback.Buffer[0];
        Pushback.DeleteLeft(1);
    }
    textLock.Leave();
    return taken;
}

int BASEIO::Feed(const void *data, int length)
{
    if (IsDead) {
        ORVAK_ASSERT(!this->IsDead);
        return 0;
    }
    LOGIT::Printf("BASEIO::Feed len %d\n", length);
    DumpBytes(data, length);
    callbackLock.Enter();
    BASEIO_DATACALLBACK callback = pfnDataCallback;
    void *userData = callbackUserData;
    callbackLock.Leave();
    if (callback) {
        callback(userData, data, length);
        return 1;
    }
    return Ring.Write(data, length, &semKillThread);
}

int BASEIO::ReadDeviceToRingbuffer(int timeout)
{
    int n = DevGetNumAvail();
    if (n < 1)
        n = timeout == -1 ? 1 : 128;
    if (n > BASEIO_MAX_DEVREAD)
        n = BASEIO_MAX_DEVREAD;
    char *buffer = new (std::nothrow) char[static_cast<size_t>(n)];
    if (!buffer) {
        ORVAK_ASSERT(buffer!=NULL);
        return 0;
    }
    int rc = DevRead(buffer, &n, timeout);
    if (rc && n > 0)
        Feed(buffer, n);
    delete[] buffer;
    return rc;
}

int BASEIO::Read(void *buffer, int *length, int timeout, const char *endBytes)
{
    if (!length || !buffer) {
        ORVAK_ASSERT(length!=NULL && buffer!=NULL);
        if (length)
            *length = 0;
        return 0;
    }
    int room = *length;
    *length = 0;
    if (IsDead) {
        ORVAK_ASSERT(!this->IsDead);
        return 0;
    }
    if ((this->DeviceFlags & BASEIO_DEVICE_IS_PACKETBASED) != 0) {
        ORVAK_ASSERT((this->DeviceFlags & BASEIO_DEVICE_IS_PACKETBASED)==0);
        return 0;
    }
    callbackLock.Enter();
    bool hasCallback = pfnDataCallback != nullptr;
    callbackLock.Leave();
    if (hasCallback) {
        ORVAK_ASSERT(this->pfnDataCallback==NULL);
        return 0;
    }

    if (DeviceFlags & BASEIO_DEVICE_DIRECTREAD) {
        const char *readuntil = endBytes;
        if (readuntil != nullptr || hThread.load() != nullptr ||
            (this->DeviceFlags & BASEIO_DEVICE_SUPPORTS_READTIMEOUT) == 0) {
            ORVAK_ASSERT(readuntil==NULL);
            ORVAK_ASSERT(this->hThread==NULL);
            ORVAK_ASSERT((this->DeviceFlags & BASEIO_DEVICE_SUPPORTS_READTIMEOUT)!=0);
            return 0;
        }
        int n = room;
        int rc = DevRead(buffer, &n, timeout);
        *length = rc ? n : 0;
        return rc && n > 0 ? 1 : 0;
    }

    // A tenth of the time-out per pass, at least 1 ms; without limit the device is looked at in
    // slices so that a disconnect ends the read.
    int step = timeout > 0 ? (timeout / 10 > 0 ? timeout / 10 : 1) : (timeout == 0 ? 0 : kUnlimitedSliceMs);
    int64_t start = SteadyMs();
    char *out = static_cast<char *>(buffer);
    int got = 0;
    for (;;) {
        char byte;
        if (got < room && TakePushback(&byte)) {
            out[got++] = byte;
        } else if (got < room) {
            int wait = step;
            if (Ring.Count() == 0 && !hThread.load() && (DeviceFlags & BASEIO_DEVICE_NO_SYNCFILL) == 0) {
                ReadDeviceToRingbuffer(step);
                wait = 0;
            }
            int n = room - got;
            Ring.Read(out + got, &n, wait, endBytes);
            got += n;
        }
        int64_t elapsed = SteadyMs() - start;
        if (got > 0 && IsEndByte(endBytes, out[got - 1]))
            break;
        // IsAlive covers "bytes available" too: asking NumAvail first would ask the device twice.
        if (!(got < room && (timeout < 0 || elapsed < timeout) && IsAlive()))
            break;
    }
    *length = got;
    return got > 0 ? 1 : 0;
}

int BASEIO::ReadByte(unsigned char *byte, int timeout)
{
    int n = 1;
    return Read(byte, &n, timeout, nullptr);
}
