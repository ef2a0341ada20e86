// NETPROC, one endpoint of the remote procedure calls over TCP, server and client at once.  As a
// server it keeps two listener threads waiting on its own port and serves every request on a
// thread of its own (64 slots at most); as a client (CallNetProcedure) it connects to a peer,
// sends a command with a HASH of parameters and receives a text result or a file.  Every
// connection is one TCPIPIO.
//
// One connection carries one call:
//   client: SOH "NETPROC::Call[id=0x%04x] " command LF STX     ("NETPROC::Post[" when not waiting)
//   server: ACK | NAK
//   client: the parameters' HASH text, then ETX as a write of its own (a server also takes
//           several packets, each but the last ended by STX)
//   server: ACK | NAK per packet
//   server: STX result ETX     (a file: STX "<file=NAME|SIZE>" ETX and SIZE raw bytes)
//   client: ACK | NAK
//   server: EOT, then closes;  client: EOT (after waiting briefly for the server's), then closes.
//
// The wire helpers below are portable (netproc.cpp); the endpoint is Win32 (netproc_win32.cpp).
#ifndef KESTAR_NETPROC_H
#define KESTAR_NETPROC_H

#include <atomic>
#include <cstdint>

#include "kestar/base/eventsem.h"
#include "kestar/base/hash.h"
#include "kestar/base/mutexsem.h"
#include "kestar/base/string.h"

class TCPIPIO;

// The control bytes of the wire.
enum : unsigned char {
    NETPROC_SOH = 0x01,
    NETPROC_STX = 0x02,
    NETPROC_ETX = 0x03,
    NETPROC_EOT = 0x04,
    NETPROC_ACK = 0x06,
    NETPROC_LF = 0x0A,
    NETPROC_NAK = 0x15,
};

// The wire, without sockets: what the endpoint writes and how it reads what it gets.
namespace NETPROCWIRE {

// SOH "NETPROC::Call[id=" (or "NETPROC::Post[id="), the number as "0x%04x", "] ", command, LF, STX.
STRING RequestHeader(unsigned number, const char *command, bool sync);
// Checks a received header: at least one byte, SOH "NETPROC::Call[" or SOH "NETPROC::Post[" at the
// start, LF STX at the end.  On success *sync tells the form ("::Call[" anywhere) and command
// gets the second blank-separated word of the first line.
bool ParseRequestHeader(const STRING &header, bool *sync, STRING &command);
// A result "<file=...>" (case-insensitive): true, with what stands between "<file=" and ">".
bool IsFileResult(const STRING &result, STRING &inner);
// Splits "NAME|SIZE": false when there are fewer than two tokens or SIZE is not a decimal number.
bool ParseFileAnnouncement(const STRING &inner, STRING &name, uint64_t *size);
// The extension a received file keeps: "." and the last "."-separated token of NAME's last path
// component, limited to letters, digits, "_" and "-" (at most 16); empty when there is none.  A
// peer's name can thus never lead the local file out of the temporary folder.
STRING SafeExtension(const char *name);
// The name part of a local path (after the last "\", "/" or ":"), as a file result announces it.
STRING NameOfPath(const char *path);

} // namespace NETPROCWIRE

class NETPROC {
public:
    // defaultPort: the peer port of peer names without one; ourPort: the own listening port ("0"
    // lets the system choose, and OurPort then holds its choice); timeout: ms of every
    // acknowledgement and protocol read.  startListeners false leaves the listeners to
    // StartListeners, which a derived class calls at the end of its constructor so that no request
    // reaches its HandleProcCall before it exists.
    NETPROC(const char *defaultPort, const char *ourPort, int timeout, bool startListeners = true);
    // The procedure handler, on a listener thread (several at once): fills and returns result.
    // The base answers "<NULL>".
    virtual STRING &HandleProcCall(STRING &result, STRING &command, HASH &params, const char *callerId);
    virtual ~NETPROC();
    NETPROC(const NETPROC &) = delete;
    NETPROC &operator=(const NETPROC &) = delete;

    // Calls command at peer ("host", "host:port", "[v6]:port").  sync: wait for the procedure's
    // result ("Call") or not ("Post", answered "<ASYNC>").  window: the caller's window handle,
    // or null; after each result read that got bytes it goes to the window probe (see
    // SetWindowProbe).  timeout: ms of each result read, -1 for
    // Timeout.  Returns 1 with the result (a file result as "<file=" local path ">", the file then
    // belongs to the caller), or 0 with the failure reason in result.
    int CallNetProcedure(const char *peer, const char *command, HASH &params, STRING &result, int sync,
                         void *window = nullptr, int timeout = -1);

    // What a call does with its window after each result read that got bytes.  The windowing
    // library sets it: it wraps the handle in a temporary window object, which asks a window of
    // this process without a control id for its id.  Null (the default): nothing.  Process-wide.
    typedef void (*WINDOWPROBE)(void *window);
    static void SetWindowProbe(WINDOWPROBE probe);

    // Starts the two waiting listeners (once; the constructor does it unless told not to).
    void StartListeners();
    // Stops serving and waits for every listener and running procedure (idempotent; the
    // destructor calls it).  A derived class calls it first in its destructor.
    void Shutdown();
    // Occupies the first free slot with a new listener and returns once that listener waits in
    // its accept (or after the listener wait, see SetListenerWait); 1 when a slot was found.
    int StartRpcThread();
    // Serves one incoming request on slot idx; 1 when the whole exchange succeeded.
    int DoProcedure(int idx);

    // The own listening port, in decimal text.
    STRING GetOurPort();
    // Time-outs and limits, settable for tests and callers (ms).
    void SetTimeout(int ms) { Timeout = ms; }
    void SetEotTimeout(int ms) { EotTimeout = ms; }           // closing EOT, 500
    void SetConnectTimeout(int ms) { ConnectTimeout = ms; }   // -1: the device's 60000
    // How long StartRpcThread waits at most for its new listener to reach its accept (1000).
    void SetListenerWait(int ms) { ListenerWait = ms; }
    // StartRpcThread's tries when every slot is busy (20, 250 ms apart).
    void SetSlotRetry(int attempts, int pauseMs)
    {
        SlotAttempts = attempts;
        SlotPauseMs = pauseMs;
    }
    // Slots serving a request, and listeners waiting for one.
    int NumServing();
    int NumListening();

    static constexpr int MAXSLOTS = 64;

private:
    struct PROCSLOT {
        void *hThreadProc = nullptr; // owned: the listener thread; null marks a free slot
        EVENTSEM Listening;          // reset when a listener starts; set once it waits in its accept
        TCPIPIO *Device = nullptr;   // owned: the connection of the current request
        int Stop = 0;                // set by Shutdown: the thread leaves the slot alone
        int Serving = 0;             // a connection was accepted
        int Parked = 0;              // the thread has served and waits in Wake to listen again
        EVENTSEM Wake;               // set to send a parked thread back to listening (or to end)
        STRING StartTime;            // the four texts serve the overflow report
        STRING CallText;
        STRING ParamText;
        STRING CallerId;
    };

    // Starts a listener in the first free slot (its index in *slot): 1 started, 0 no free slot,
    // -1 stopping, failed, or (onlyBelow > 0) already onlyBelow listeners waiting.  *accepting
    // (may be null) gets the number of other listeners that waited in their accept just then.
    int StartInFreeSlot(int onlyBelow, int *slot, int *accepting = nullptr);
    // StartRpcThread for a listener that has just taken a connection: when another listener
    // already waits in its accept, the new one is started and not waited for.
    int StartReplacement();
    int StartListener(bool waitAlways);
    static unsigned ProcedureListener(void *parm);
    // After a request on slot idx: true when the thread is to listen on its slot again (at once,
    // or after being parked and woken); false when it ends.
    bool NextTurn(int idx);
    static unsigned OverflowGuard(void *self);
    int AcceptOnSlot(int idx, TCPIPIO *device);
    void StartOverflowGuard();
    // Ends the overflow guard's waiting accept; the caller holds Lock.
    void StopGuardAccepting();
    int ReplyFile(TCPIPIO &device, const STRING &path, STRING &reason);
    int ReceiveFile(TCPIPIO &device, const STRING &inner, STRING &result);

    PROCSLOT Slots[MAXSLOTS];            // guarded by Lock
    MUTEXSEM Lock;                       // the slots, the guard and the listeners' start
    STRING DefaultPort;
    STRING OurPort;                      // set at construction only
    std::atomic<int> Timeout;
    std::atomic<int> EotTimeout;
    std::atomic<int> ConnectTimeout;
    std::atomic<int> ListenerWait;
    std::atomic<int> SlotAttempts;
    std::atomic<int> SlotPauseMs;
    TCPIPIO *Member;                     // owned: holds the DummySocket reference
    uintptr_t DummySocket;               // a TCPSOCKET; TCPSOCKET_NONE for none
    unsigned DummySerial;
    std::atomic<int> Stopping;           // set by Shutdown; no new listeners after it
    int ListenersStarted;                // guarded by Lock
    void *hGuard;                        // owned: the overflow guard thread; guarded by Lock
    TCPIPIO *GuardDevice;                // owned by the guard thread; guarded by Lock
    bool ShutdownDone;                   // guarded by Lock
};

#endif
