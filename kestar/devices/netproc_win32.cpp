// NETPROC on TCPIPIO: the listener slots, the server's side of one request, and the client call.
//
// Listeners wait in accepts that time out every second, so that a listener whose accept began
// just after Shutdown dropped the devices still notices the stop.  A listener that takes a
// connection starts its replacement.  When another listener already waits in its accept, it
// serves its request at once while the replacement starts (a thread start takes milliseconds
// under Wine); otherwise it serves as soon as the replacement signals that it waits in its
// accept.  No guessed pause, and the table lock is never held while waiting.
//
// A thread that has served its request while two others listen does not end at once: up to
// kMaxParked such threads wait in their slots, and the next listener to start is one of them
// instead of a new thread.  A thread start costs milliseconds under Wine, and every request
// needs a new listener.
// When every slot is busy and no listener waits, an overflow guard accepts and closes further
// connections (logged), so that callers hear "no" at once instead of waiting in the backlog; the
// first slot that frees starts a listener again.
#include "kestar/devices/netproc.h"

#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysthread.h"
#include "kestar/base/osystime.h"
#include "kestar/base/raisethreadpriority.h"
#include "kestar/devices/tcpipio.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

// The running call number of the process; the first call sends 0x0100.
std::atomic<unsigned> gCallNumber{0x0100};

const int kChunk = 4096;
const int kListenerAcceptPollMs = 1000;
const int kGuardAcceptPollMs = 250;
// Paces the replacement of listeners whose accept failed, so that a port that keeps failing
// does not turn into a busy loop of threads.
const int kFailedAcceptPauseMs = 100;
// Threads that have served and wait to become listeners again.
const int kMaxParked = 4;

// Whether a peer text names its port: "host:port", "[v6]:port"; "[v6]" alone does not.
bool PeerHasPort(const char *peer)
{
    const char *close = std::strrchr(peer, ']');
    return std::strchr(close ? close : peer, ':') != nullptr;
}

} // namespace

NETPROC::NETPROC(const char *defaultPort, const char *ourPort, int timeout, bool startListeners)
    : DefaultPort(defaultPort), OurPort(ourPort), Timeout(timeout), EotTimeout(500), ConnectTimeout(-1),
      ListenerWait(1000), SlotAttempts(20), SlotPauseMs(250), Member(nullptr), DummySocket(TCPSOCKET_NONE),
      DummySerial(0), Stopping(0), ListenersStarted(0), hGuard(nullptr), GuardDevice(nullptr), ShutdownDone(false)
{
    Member = new TCPIPIO(OurPort);
    LOGIT::Printf("NETPROC::NETPROC creating dummy socket to keep InUse counter up\n");
    int port = 0;
    DummySocket = Member->MakeAcceptSocket(&port, &DummySerial);
    if (DummySocket == TCPSOCKET_NONE) {
        // Without the port nobody can be served: listeners would only fail and replace each other.
        LOGIT::Assert(0, "this->DummySocket!=-1", __FILE__, __LINE__, OurPort, 0);
        return;
    }
    if (TCP::PortOfOwnId(OurPort) == 0) {
        OurPort = STRING(port);
        Member->SetOurId(OurPort);
    }
    if (startListeners)
        StartListeners();
}

NETPROC::~NETPROC()
{
    Shutdown();
    delete Member;
    Member = nullptr;
}

STRING &NETPROC::HandleProcCall(STRING &result, STRING &, HASH &, const char *)
{
    result = "<NULL>";
    return result;
}

STRING NETPROC::GetOurPort()
{
    return OurPort;
}

void NETPROC::StartListeners()
{
    Lock.Obtain(-1);
    bool start = !ListenersStarted && !Stopping && DummySocket != TCPSOCKET_NONE;
    ListenersStarted = 1;
    Lock.Release();
    if (start) {
        StartRpcThread();
        StartRpcThread();
    }
}

int NETPROC::NumServing()
{
    Lock.Obtain(-1);
    int n = 0;
    for (const PROCSLOT &slot : Slots) {
        if (slot.hThreadProc && slot.Serving)
            ++n;
    }
    Lock.Release();
    return n;
}

int NETPROC::NumListening()
{
    Lock.Obtain(-1);
    int n = 0;
    for (const PROCSLOT &slot : Slots) {
        if (slot.hThreadProc && !slot.Serving && !slot.Parked)
            ++n;
    }
    Lock.Release();
    return n;
}

void NETPROC::Shutdown()
{
    Lock.Obtain(-1);
    if (ShutdownDone) {
        Lock.Release();
        return;
    }
    ShutdownDone = true;
    Lock.Release();

    LOGIT::Printf("NETPROC::~NETPROC\n");
    if (DummySocket != TCPSOCKET_NONE) {
        TCPIPIO::FreeAcceptSocket(DummySocket, DummySerial, 0);
        DummySocket = TCPSOCKET_NONE;
    }
    void *waitList[MAXSLOTS];
    int waiting = 0;
    Lock.Obtain(-1);
    Stopping = 1;
    for (PROCSLOT &slot : Slots) {
        if (slot.hThreadProc)
            slot.Stop = 1;
        if (slot.Parked) {
            slot.Parked = 0;
            slot.Wake.Set();
        }
        if (slot.Device)
            slot.Device->DropCall(); // ends a pending accept
        if (slot.hThreadProc) {
            waitList[waiting++] = slot.hThreadProc;
            slot.hThreadProc = nullptr;
        }
    }
    void *guard = hGuard;
    hGuard = nullptr;
    if (GuardDevice)
        GuardDevice->DropCall();
    Lock.Release();

    for (int i = 0; i < waiting; ++i)
        OSYS::WaitThread(waitList[i], -1);
    if (guard)
        OSYS::WaitThread(guard, -1);

    Lock.Obtain(-1);
    for (PROCSLOT &slot : Slots) {
        delete slot.Device;
        slot.Device = nullptr;
        slot.Serving = 0;
    }
    Lock.Release();
    LOGIT::Printf("NETPROC::~NETPROC done\n");
}

int NETPROC::StartInFreeSlot(int onlyBelow, int *slotOut, int *accepting)
{
    Lock.Obtain(-1);
    if (Stopping || (onlyBelow > 0 && NumListening() >= onlyBelow)) {
        Lock.Release();
        return -1;
    }
    if (accepting) {
        *accepting = 0;
        for (const PROCSLOT &slot : Slots) {
            if (slot.hThreadProc && !slot.Serving && slot.Device && slot.Device->IsAccepting())
                ++*accepting;
        }
    }
    // A parked thread first: it listens within microseconds, a new thread within milliseconds.
    for (int i = 0; i < MAXSLOTS; ++i) {
        PROCSLOT &slot = Slots[i];
        if (!slot.hThreadProc || !slot.Parked)
            continue;
        slot.Listening.Reset();
        slot.Parked = 0;
        slot.Stop = 0;
        slot.Serving = 0;
        slot.Wake.Set();
        StopGuardAccepting();
        LOGIT::Printf("NETPROC::StartRpcThread new slot found with idx=%d, hThreadProc=%p\n", i, slot.hThreadProc);
        Lock.Release();
        if (slotOut)
            *slotOut = i;
        return 1;
    }
    for (int i = 0; i < MAXSLOTS; ++i) {
        PROCSLOT &slot = Slots[i];
        if (slot.hThreadProc)
            continue;
        // Reset before the thread exists: the thread's signal must not be lost.
        slot.Listening.Reset();
        void *h = OSYS::CreateThreadWithParm(ProcedureListener, this, i);
        if (!h) {
            Lock.Release();
            ORVAK_ASSERT(h!=NULL);
            return -1;
        }
        slot.hThreadProc = h;
        slot.Stop = 0;
        slot.Serving = 0;
        StopGuardAccepting();
        LOGIT::Printf("NETPROC::StartRpcThread new slot found with idx=%d, hThreadProc=%p\n", i, h);
        Lock.Release();
        if (slotOut)
            *slotOut = i;
        return 1;
    }
    Lock.Release();
    return 0;
}

int NETPROC::StartRpcThread()
{
    return StartListener(true);
}

int NETPROC::StartReplacement()
{
    return StartListener(false);
}

int NETPROC::StartListener(bool waitAlways)
{
    int attempts = SlotAttempts.load();
    for (int attempt = 0; attempt < attempts; ++attempt) {
        int slot = -1;
        int accepting = 0;
        int started = StartInFreeSlot(0, &slot, &accepting);
        if (started < 0)
            return 0;
        if (started > 0 && !waitAlways && accepting > 0) {
            // Somebody takes the next connection meanwhile; the new listener joins it soon.
            return 1;
        }
        if (started > 0) {
            // The slot's event may already belong to a later listener of the same slot when this
            // one came and went quickly; that one signals as well, so the wait stays short.
            int wait = ListenerWait.load();
            if (!Slots[slot].Listening.Wait(wait))
                LOGIT::Printf("NETPROC::StartRpcThread listener %d not accepting after %d ms, going on\n", slot, wait);
            return 1;
        }
        int pause = SlotPauseMs.load();
        LOGIT::Printf("NETPROC::StartRpcThread starts to sleep for %dms\n", pause);
        OSYS::Sleep(pause);
    }
    Lock.Obtain(-1);
    for (int i = 0; i < MAXSLOTS; ++i) {
        const PROCSLOT &slot = Slots[i];
        LOGIT::Printf("\t%d: %s, %s, %s, %s\n", i, STR::SafeText(slot.StartTime, "time"),
                      STR::SafeText(slot.CallText, "call"), STR::SafeText(slot.ParamText, "param"),
                      STR::SafeText(slot.CallerId, "caller"));
    }
    Lock.Release();
    // Any peer can open 64 connections: that is no fault of the program, so no assertion box.
    LOGIT::Printf("NETPROC::StartRpcThread NETPROC Procedure Table Overflow, all %d slots busy: refusing calls\n",
                  MAXSLOTS);
    StartOverflowGuard();
    return 0;
}

unsigned NETPROC::ProcedureListener(void *parm)
{
    OSYS::InitThreadCrashHandler();
    OSYS::THREADPARM *block = static_cast<OSYS::THREADPARM *>(parm);
    if (!block || block->magic != OSYS::THREADPARM_MAGIC) {
        ORVAK_ASSERT(block && block->magic==OSYS::THREADPARM_MAGIC);
        return 0;
    }
    NETPROC *self = static_cast<NETPROC *>(block->object);
    int idx = block->parameter;
    delete block;

    int rc = 0;
    do {
        rc = self->DoProcedure(idx);
    } while (self->NextTurn(idx));
    return static_cast<unsigned>(rc);
}

bool NETPROC::NextTurn(int idx)
{
    Lock.Obtain(-1);
    PROCSLOT &slot = Slots[idx];
    // Shutdown has taken the slot over: leave it alone.
    if (slot.Stop || Stopping) {
        Lock.Release();
        return false;
    }
    delete slot.Device;
    slot.Device = nullptr;
    slot.Serving = 0;
    slot.StartTime = "";
    slot.CallText = "";
    slot.ParamText = "";
    slot.CallerId = "";
    // A listener whose replacement found no slot left fewer than two listening: now there is
    // room.  Decided under the lock, so that slots freeing together start only what is missing.
    int listening = 0;
    int parked = 0;
    for (int i = 0; i < MAXSLOTS; ++i) {
        const PROCSLOT &other = Slots[i];
        if (i == idx || !other.hThreadProc)
            continue;
        if (other.Parked)
            ++parked;
        else if (!other.Serving)
            ++listening;
    }
    if (listening < 2) {
        StopGuardAccepting();
        Lock.Release();
        LOGIT::Printf("NETPROC::ProcedureListener slot %d freed, listening again\n", idx);
        return true;
    }
    if (parked >= kMaxParked) {
        OSYS::CloseThreadHandle(slot.hThreadProc);
        slot.hThreadProc = nullptr;
        Lock.Release();
        return false;
    }
    slot.Wake.Reset();
    slot.Parked = 1;
    Lock.Release();
    slot.Wake.Wait(-1);
    Lock.Obtain(-1);
    bool listen = !slot.Stop && !Stopping;
    Lock.Release();
    return listen;
}

void NETPROC::StopGuardAccepting()
{
    // A listener is back: the guard must not take (and refuse) the next call.  Under the lock,
    // like the guard's own look at the listeners before each accept.
    if (GuardDevice)
        GuardDevice->CancelAccept();
}

void NETPROC::StartOverflowGuard()
{
    Lock.Obtain(-1);
    if (!hGuard && !Stopping)
        hGuard = OSYS::CreateThread(OverflowGuard, this);
    Lock.Release();
}

unsigned NETPROC::OverflowGuard(void *p)
{
    OSYS::InitThreadCrashHandler();
    NETPROC *self = static_cast<NETPROC *>(p);
    TCPIPIO *device = new TCPIPIO(self->OurPort);
    device->SetAcceptTimeout(kGuardAcceptPollMs);
    device->SetWriteTimeout(self->Timeout.load());
    self->Lock.Obtain(-1);
    self->GuardDevice = device;
    self->Lock.Release();
    LOGIT::Printf("NETPROC::OverflowGuard all %d slots busy, refusing calls until one frees\n", MAXSLOTS);
    for (;;) {
        self->Lock.Obtain(-1);
        if (self->Stopping || self->NumListening() > 0) {
            // Decided under the lock, so that StartOverflowGuard never sees a guard that is leaving.
            self->GuardDevice = nullptr;
            if (!self->Stopping && self->hGuard) {
                OSYS::CloseThreadHandle(self->hGuard);
                self->hGuard = nullptr;
            }
            self->Lock.Release();
            break;
        }
        device->ResumeAccept();
        self->Lock.Release();
        if (device->AcceptCall()) {
            STRING caller;
            device->GetProperty(caller, "CALLERID");
            LOGIT::Printf("NETPROC::OverflowGuard refused the call from %s: all %d slots busy\n",
                          STR::SafeText(caller, "caller"), MAXSLOTS);
            device->DropCall();
        } else if (!device->AcceptTimedOut()) {
            OSYS::Sleep(100);
        }
    }
    LOGIT::Printf("NETPROC::OverflowGuard done\n");
    delete device;
    return 0;
}

int NETPROC::AcceptOnSlot(int, TCPIPIO *device)
{
    for (;;) {
        if (Stopping)
            return 0;
        if (device->AcceptCall())
            return 1;
        if (!device->AcceptTimedOut())
            return 0;
    }
}

int NETPROC::ReplyFile(TCPIPIO &device, const STRING &path, STRING &reason)
{
    // The whole file first: the size announced is then exactly what is sent, and a file that is
    // missing or unreadable gets a failure result instead of an announcement we cannot keep.
    BINARY data;
    if (!data.Load(path, "rb")) {
        LOGIT::Printf("NETPROC::DoProcedure file %s is missing or unreadable, answering <FAIL>\n",
                      STR::SafeText(path, "path"));
        STRING reply("\x02<FAIL>\x03");
        if (!device.Write(reply, reply.Length())) {
            LOGIT::Printf("NETPROC::DoProcedure tcp.Write() failed\n");
            reason = "error in writing the result";
            return 0;
        }
        return 1;
    }
    STRING name = NETPROCWIRE::NameOfPath(path);
    STRING announce;
    announce.Format("\x02<file=%s|%d>\x03", static_cast<const char *>(name), data.Length());
    int ok = device.Write(announce, announce.Length());
    for (STRING_SIZE_T sent = 0; ok && sent < data.Length(); sent += kChunk) {
        STRING_SIZE_T n = data.Length() - sent < kChunk ? data.Length() - sent : kChunk;
        ok = device.Write(data.Buffer + sent, n);
    }
    if (!ok) {
        LOGIT::Printf("NETPROC::DoProcedure tcp.Write() failed\n");
        reason = "error in writing the result";
    }
    return ok;
}

int NETPROC::DoProcedure(int idx)
{
    TCPIPIO *device = new TCPIPIO(OurPort);
    device->SetAcceptTimeout(kListenerAcceptPollMs);
    device->SetAcceptingSignal(&Slots[idx].Listening);
    Lock.Obtain(-1);
    if (Stopping || Slots[idx].Stop) {
        Lock.Release();
        Slots[idx].Listening.Set();
        delete device;
        return 0;
    }
    Slots[idx].Device = device;
    Lock.Release();
    RAISETHREADPRIORITY priority(1);

    STRING reason;
    STRING command;
    STRING callerId;
    HASH params;
    bool sync = false;
    int ok = 0;
    int accepted = AcceptOnSlot(idx, device);
    device->SetAcceptingSignal(nullptr);
    // Whoever started this listener waits no longer, whatever the accept gave.
    Slots[idx].Listening.Set();
    if (!accepted) {
        if (!Stopping) {
            LOGIT::Printf("NETPROC::DoProcedure AcceptCall failed without in destructor mode\n");
            StartRpcThread();
            OSYS::Sleep(kFailedAcceptPauseMs);
        }
        reason = "accept failed or cancelled";
    } else {
        Lock.Obtain(-1);
        Slots[idx].Serving = 1;
        Lock.Release();
        // Another listener waits before this request is served.
        if (!Stopping)
            StartReplacement();
        device->GetProperty(callerId, "CALLERID");
        std::unique_ptr<char[]> chunk(new (std::nothrow) char[kChunk]);
        const int timeout = Timeout.load();
        // A caller that takes nothing must not hold the slot for ever.
        device->SetWriteTimeout(timeout);
        bool replied = false;
        do {
            if (!chunk) {
                reason = "out of memory";
                break;
            }
            int n = kChunk;
            device->Read(chunk.get(), &n, timeout, "\x02");
            STRING header = STRING::FromBytes(chunk.get(), n);
            bool valid = n > 0 && NETPROCWIRE::ParseRequestHeader(header, &sync, command);
            if (!device->WriteByte(valid ? NETPROC_ACK : NETPROC_NAK)) {
                LOGIT::Printf("NETPROC::DoProcedure tcp.Write() failed\n");
                reason = valid ? "error in writing ACK" : "error in request header";
                break;
            }
            if (!valid) {
                reason = "error in request header";
                break;
            }

            // Packets until one ends in ETX; the header's STX counts as the first terminator.
            STRING packet0;
            bool failed = false;
            char last = NETPROC_STX;
            for (int packet = 0; last == NETPROC_STX && !failed; ++packet) {
                STRING text;
                text.SetNotNull();
                for (;;) {
                    int got = kChunk;
                    device->Read(chunk.get(), &got, timeout, "\x02\x03");
                    if (got <= 0) {
                        reason.Format("error in request parameter packet #%d", packet);
                        failed = true;
                        break;
                    }
                    text.BINARY::Append(chunk.get(), got);
                    char end = chunk[got - 1];
                    if (end == NETPROC_STX || end == NETPROC_ETX) {
                        last = end;
                        text.Truncate(text.Length() - 1);
                        break;
                    }
                }
                if (!device->WriteByte(failed ? NETPROC_NAK : NETPROC_ACK)) {
                    LOGIT::Printf("NETPROC::DoProcedure tcp.Write() failed\n");
                    if (!failed)
                        reason = "error in writing ACK";
                    failed = true;
                }
                if (packet == 0)
                    packet0 = text;
            }
            if (failed)
                break;
            params = HASH(packet0);

            Lock.Obtain(-1);
            PROCSLOT &slot = Slots[idx];
            slot.StartTime = OSYS::GetTimeStamp();
            slot.CallText = sync ? "CALL:" : "ASYNC:";
            slot.CallText += command;
            slot.ParamText = packet0.Left(256);
            slot.CallerId = callerId;
            Lock.Release();

            STRING result;
            if (sync) {
                HandleProcCall(result, command, params, callerId);
                if (result.IsEmpty())
                    result = "<NULL>";
            } else {
                result = "<ASYNC>";
            }
            STRING path;
            if (NETPROCWIRE::IsFileResult(result, path)) {
                if (!ReplyFile(*device, path, reason))
                    break;
            } else {
                if (result.PosChar(static_cast<char>(NETPROC_ETX)) >= 0) {
                    // The caller's reading ends at the first ETX: such a text cannot travel whole.
                    LOGIT::Printf("NETPROC::DoProcedure the result of %s holds ETX, answering <FAIL>\n",
                                  static_cast<const char *>(command));
                    result = "<FAIL>";
                }
                STRING reply("\x02");
                reply += result;
                reply += "\x03";
                if (!device->Write(reply, reply.Length())) {
                    LOGIT::Printf("NETPROC::DoProcedure tcp.Write() failed\n");
                    reason = "error in writing the result";
                    break;
                }
            }
            replied = true;
        } while (false);

        if (replied) {
            unsigned char ack = 0;
            if (device->ReadByte(&ack, timeout) && ack == NETPROC_ACK) {
                ok = 1;
            } else {
                reason = "error in reading ACK for return code";
                STRING wsa;
                device->GetProperty(wsa, "WSALASTERRORSTRING");
                LOGIT::Printf("WSALASTERRORSTRING= %s\n", STR::SafeText(wsa, "wsa"));
            }
            device->WriteByte(NETPROC_EOT);
        }
        device->DropCall();
        if (ok && !sync) {
            STRING discarded;
            HandleProcCall(discarded, command, params, callerId);
        }
    }
    if (!ok) {
        STRING wsa;
        device->GetProperty(wsa, "WSALASTERRORSTRING");
        LOGIT::Printf("NETPROC::DoProcedure Incoming ProcCall failed, reason= %s\n", STR::SafeText(reason, "reason"));
        LOGIT::Printf("WSALASTERRORSTRING= %s\n", STR::SafeText(wsa, "wsa"));
    }
    LOGIT::Printf("NETPROC::DoProcedure done ok= %d, reason= %s\n", ok, ok ? "<none>" : STR::SafeText(reason, "reason"));
    return ok;
}

int NETPROC::ReceiveFile(TCPIPIO &device, const STRING &inner, STRING &result)
{
    STRING name;
    uint64_t size = 0;
    if (!NETPROCWIRE::ParseFileAnnouncement(inner, name, &size)) {
        if (inner.NumTokens("|") <= 1)
            LOGIT::Assert(0, "rc2.NumTokens()>1", __FILE__, __LINE__, inner, 0);
        else
            LOGIT::Printf("NETPROC::CallNetProcedure bad file size in %s\n", static_cast<const char *>(inner));
        return 0;
    }
    FILENAME local("<temp>");
    STRING path = local.GetString();
    path += NETPROCWIRE::SafeExtension(name);
    FILE *f = local.IsEmpty() ? nullptr : FILENAME::fsopen(path, "wb");
    if (!f) {
        LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, path, 0);
        return 0;
    }
    std::unique_ptr<char[]> chunk(new (std::nothrow) char[kChunk]);
    uint64_t left = size;
    bool ok = chunk != nullptr;
    const int timeout = Timeout.load();
    while (ok && left > 0) {
        int n = left < static_cast<uint64_t>(kChunk) ? static_cast<int>(left) : kChunk;
        device.Read(chunk.get(), &n, timeout, nullptr);
        if (n <= 0) {
            // The peer stopped short of the size it announced.
            LOGIT::Printf("NETPROC::CallNetProcedure file transfer stopped with %llu of %llu bytes missing\n",
                          static_cast<unsigned long long>(left), static_cast<unsigned long long>(size));
            ok = false;
            break;
        }
        ok = std::fwrite(chunk.get(), 1, static_cast<size_t>(n), f) == static_cast<size_t>(n);
        left -= static_cast<uint64_t>(n);
    }
    if (std::fclose(f) != 0)
        ok = false;
    if (!ok) {
        FILENAME(path).Delete();
        return 0;
    }
    result = "<file=";
    result += path;
    result += ">";
    return 1;
}

namespace {
std::atomic<NETPROC::WINDOWPROBE> gWindowProbe{nullptr};
} // namespace

void NETPROC::SetWindowProbe(WINDOWPROBE probe)
{
    gWindowProbe.store(probe);
}

int NETPROC::CallNetProcedure(const char *peer, const char *command, HASH &params, STRING &result, int sync,
                              void *window, int timeout)
{
    result = "";
    RAISETHREADPRIORITY priority(1);
    LOGIT::Printf("NETPROC::CallNetProcedure %s %s, sync= %d\n", STR::SafeText(peer, "peer"),
                  STR::SafeText(command, "command"), sync);
    STRING target(peer ? peer : "");
    if (!PeerHasPort(target)) {
        target += ":";
        target += DefaultPort;
    }
    const int protocolTimeout = Timeout.load();
    const int readTimeout = timeout == -1 ? protocolTimeout : timeout;
    TCPIPIO *device = new TCPIPIO(OurPort);
    device->SetConnectTimeout(ConnectTimeout.load());
    device->SetWriteTimeout(protocolTimeout);
    std::unique_ptr<char[]> chunk(new (std::nothrow) char[kChunk]);
    STRING reason;
    int ok = 0;
    unsigned char byte = 0;
    do {
        if (!chunk) {
            reason = "out of memory";
            break;
        }
        if (!device->MakeCall(target)) {
            reason = "no answer";
            break;
        }
        STRING header = NETPROCWIRE::RequestHeader(gCallNumber.fetch_add(1), command, sync != 0);
        if (!device->Write(header, header.Length()) || !device->ReadByte(&byte, protocolTimeout) ||
            byte != NETPROC_ACK) {
            reason = "error in reading ACK for header";
            device->DropCall();
            break;
        }
        STRING text = params.ToString();
        if (!device->Write(text.IsNull() ? "" : static_cast<const char *>(text), text.Length()) ||
            !device->WriteByte(NETPROC_ETX) || !device->ReadByte(&byte, protocolTimeout) || byte != NETPROC_ACK) {
            reason = "error in reading ACK for parameter packet";
            device->DropCall();
            break;
        }

        STRING buffer;
        bool good = false;
        for (;;) {
            int n = kChunk;
            device->Read(chunk.get(), &n, readTimeout, "\x03");
            if (n <= 0)
                break;
            if (window != nullptr) {
                if (WINDOWPROBE probe = gWindowProbe.load())
                    probe(window);
            }
            buffer.BINARY::Append(chunk.get(), n);
            if (chunk[n - 1] == NETPROC_ETX) {
                good = buffer.Length() >= 2 && buffer[0] == static_cast<char>(NETPROC_STX);
                break;
            }
        }
        STRING inner;
        if (good) {
            result = buffer.Mid(1, buffer.Length() - 2);
            if (NETPROCWIRE::IsFileResult(result, inner))
                good = ReceiveFile(*device, inner, result) != 0;
        }
        if (!good)
            reason = "error in reading return code";
        device->WriteByte(good ? NETPROC_ACK : NETPROC_NAK);
        unsigned char eot = 0;
        int gotEot = device->ReadByte(&eot, EotTimeout.load());
        device->WriteByte(NETPROC_EOT);
        LOGIT::Printf("NETPROC::CallNetProcedure after EOT ok= %d, eot= %d\n", good ? 1 : 0,
                      gotEot && eot == NETPROC_EOT ? 1 : 0);
        device->DropCall();
        ok = good ? 1 : 0;
    } while (false);

    if (!ok) {
        result = reason;
        STRING wsa;
        device->GetProperty(wsa, "WSALASTERRORSTRING");
        LOGIT::Printf("NETPROC::CallNetProcedure failed, reason= %s\n", STR::SafeText(reason, "reason"));
        LOGIT::Printf("WSALASTERRORSTRING= %s\n", STR::SafeText(wsa, "wsa"));
    }
    LOGIT::Printf("NETPROC::CallNetProcedure %s returns ok= %d\n", STR::SafeText(command, "command"), ok);
    delete device;
    return ok;
}
