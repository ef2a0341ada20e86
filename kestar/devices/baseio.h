// BASEIO, the byte device under every connection.  A device class supplies the primitive
// operations (device read and write, bytes pending, connected, make, accept and drop a call);
// BASEIO adds the rest: a daemon thread that pumps the device into a 1 MiB RINGBUFFER or into a
// data callback, a read with a time-out and optional end bytes, one-byte reads and writes, the
// property interface, and the start and stop of the daemon.
//
// Threads: the daemon (when one runs) is the only writer of the ring buffer and the only caller of
// the data callback; reads belong to one thread at a time; writes go straight to DevWrite, which
// the device class serialises when it needs to.
#ifndef KESTAR_BASEIO_H
#define KESTAR_BASEIO_H

#include <atomic>
#include <cstdint>

#include "kestar/base/binary.h"
#include "kestar/base/critsect.h"
#include "kestar/base/eventsem.h"
#include "kestar/base/hash.h"
#include "kestar/devices/ringbuffer.h"
#include "kestar/base/string.h"

// Bits of the device flags.
enum : int {
    BASEIO_DEVICE_SIGNALS_DONE = 0x01,           // ConstructorDone starts unset; the class sets it
    BASEIO_DEVICE_SUPPORTS_READTIMEOUT = 0x02,   // DevRead honours a time-out
    BASEIO_DEVICE_NO_SYNCFILL = 0x04,            // Read never fills the ring buffer by itself
    BASEIO_DEVICE_IS_PACKETBASED = 0x08,         // whole packets go to the data callback; no Read
    BASEIO_DEVICE_DIRECTREAD = 0x10,             // Read goes straight to DevRead
};

// Size of every device's receive buffer, and the most one device read moves.
constexpr int BASEIO_RINGBUFFER_SIZE = 0x100000;
constexpr int BASEIO_MAX_DEVREAD = 0x8000;
// PrintfLevel of the byte dumps of received and sent data ("/LOG:0x101" shows them).
constexpr int BASEIO_LOGLEVEL_DATA = 0x0101;

// The data callback: user data, the bytes (borrowed for the call) and their count.  Runs on the
// daemon thread and must not call Read.
typedef void (*BASEIO_DATACALLBACK)(void *userData, const void *data, int length);

class BASEIO {
public:
    // ourId: the device's own address; callType and parm: kept for the device class.  Null texts
    // are kept as NULL strings.  Starts the daemon unless a flag of 0x02, 0x04 or 0x08 is set; a
    // daemon started here needs BASEIO_DEVICE_SIGNALS_DONE (the class sets ConstructorDone at the
    // end of its constructor), since it must not call the device operations before they exist.
    BASEIO(const char *ourId, const char *callType, const char *parm, int deviceFlags);

    // The device operations, in slot order.  DevRead: count in = room, out = bytes read; timeout
    // in ms (-1 from the daemon: wait for data).  Non-zero on success.
    virtual int DevRead(void *buffer, int *count, int timeout) = 0;
    virtual int DevWrite(const void *data, int count) = 0;
    // Bytes waiting in the device, 0 for none, negative on error.
    virtual int DevGetNumAvail() = 0;
    virtual int DevIsConnected() = 0;
    // The device class calls KillDaemon(1) in its destructor, before its members go.
    virtual ~BASEIO();
    virtual int IsReady() = 0;
    virtual int MakeCall(const char *peer) = 0;
    virtual int AcceptCall() = 0;
    virtual int DropCall() = 0;
    // 1 when NumAvail is not 0 (an error count included) or DevIsConnected.
    virtual int IsAlive();
    virtual void SetParams(int param1, int param2);
    // Stores the callback (null removes it) and starts the daemon when none runs.
    virtual void SetDataCallback(BASEIO_DATACALLBACK callback, void *userData);
    virtual void SetCallType(const char *callType);
    virtual void SetOurId(const char *ourId);
    virtual STRING GetOurId();
    // Fills result (the name is compared without regard to case) and returns it: "ONLINE",
    // "LASTERROR", "LASTERRORSTRING", "OWNID", "CALLERID", "DEVICENAME"; any other name gives
    // "BASEIO::BAD-REQUEST".  Device classes answer more.
    virtual STRING &GetProperty(STRING &result, const char *name);
    // Stores value under name in the property table (which GetProperty does not consult).
    virtual void SetProperty(const char *name, const char *value);

    BASEIO(const BASEIO &) = delete;
    BASEIO &operator=(const BASEIO &) = delete;

    // DevWrite of length bytes (-1: the text length of data).
    int Write(const void *data, int length);
    int WriteByte(unsigned char byte);
    // Reads up to *length bytes: ends at the first end byte (endBytes, zero-terminated, may be
    // null), at *length bytes, after timeout ms (-1: no limit while the device lives, 0: poll),
    // or at once when the device is disconnected and holds nothing.  *length gets the count read
    // (0 on failure); returns 1 when it is above 0.
    int Read(void *buffer, int *length, int timeout, const char *endBytes = nullptr);
    int ReadByte(unsigned char *byte, int timeout);
    // Bytes in the ring buffer plus DevGetNumAvail.
    int NumAvail();
    // Hands bytes back: the next reads deliver them first, in their order.
    void PushBack(const void *data, int length);
    // Passes received bytes to the data callback (1) or into the ring buffer (its result).
    int Feed(const void *data, int length);
    // One device read (of what is pending, else 1 byte when timeout is -1, else 128; at most
    // 0x8000) into Feed.  Returns DevRead's result.
    int ReadDeviceToRingbuffer(int timeout);
    // Stops the daemon and waits for it; dead sets IsDead.
    void KillDaemon(int dead);
    // The daemon's thread handle (borrowed), null when none runs.
    void *GetThreadHandle() const { return hThread.load(); }

    // Milliseconds since a base time taken at the first call and whenever reset is non-zero: the
    // process clock OSYS::GetClockMs.
    static int64_t GetTimeMs(int reset = 0);

protected:
    // Set by a device class with BASEIO_DEVICE_SIGNALS_DONE at the end of its constructor.
    EVENTSEM ConstructorDone;
    std::atomic<int> IsDead;         // set when the device is finished
    int DeviceFlags;
    STRING OurId;                    // guarded by textLock
    STRING CallType;                 // guarded by textLock
    STRING Parm;                     // set at construction only
    // The class's last failure; written by the thread that failed, read through the properties.
    std::atomic<int> LastError;
    STRING LastErrorString;          // guarded by textLock
    CRITSECT textLock;               // guards the texts above, the property table and the pushback

    // Sets LastError and LastErrorString together.
    void SetLastError(int error, const char *text);
    STRING GetLastErrorString();

private:
    static unsigned DaemonMain(void *self);
    void Daemon();
    bool StartDaemon();
    bool TakePushback(char *byte);

    EVENTSEM semKillThread;          // set to stop the daemon
    std::atomic<void *> hThread;     // owned: the daemon's thread handle, null when none
    uint32_t magic1;
    RINGBUFFER Ring;
    HASH Properties;                 // guarded by textLock
    BINARY Pushback;                 // guarded by textLock
    int Param1;
    int Param2;
    CRITSECT callbackLock;           // guards the callback pair against SetDataCallback
    BASEIO_DATACALLBACK pfnDataCallback;
    void *callbackUserData;          // borrowed: the callback's user data
    uint32_t magic2;
};

#endif
