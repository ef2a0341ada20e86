// MAILIO, the BASEIO device over Windows mailslots: connectionless messages that one process
// writes to a named slot of this computer (or of every computer of the domain) and the slot's
// owner reads.  One device holds two handles: its own slot, created by AcceptCall and read by the
// daemon, which hands every message whole to the data callback; and a peer's slot, opened by
// MakeCall and written by Write in messages of at most 400 bytes.  Windows only.
//
// Threads: the daemon reads and calls the callback; any thread may write.  The own slot's handle
// is guarded by slotLock, which the daemon holds through each read; the reads end after the slot's
// read time-out, so closing the slot and stopping the daemon wait at most that long (a blocked
// mailslot read cannot be cancelled under Wine).  The peer handle and the chunks of one Write are
// guarded by writeLock, so the messages of two writers never interleave.
#ifndef KESTAR_MAILIO_H
#define KESTAR_MAILIO_H

#include <atomic>

#include "kestar/devices/baseio.h"
#include "kestar/base/binary.h"
#include "kestar/base/critsect.h"
#include "kestar/base/eventsem.h"
#include "kestar/base/string.h"

// The largest message the own slot takes, and the largest message one Write chunk makes.
constexpr int MAILIO_MAX_MESSAGE = 1400;
constexpr int MAILIO_CHUNK = 400;
// How long one read of the own slot waits for a message before the daemon looks round again.
constexpr int MAILIO_DEFAULT_READ_TIMEOUT = 250;

class MAILIO : public BASEIO {
public:
    // ownSlot: the name of the own slot ("\\.\mailslot\NAME"), which AcceptCall creates.
    MAILIO(const char *ownSlot, const char *callType, const char *parm);
    // Stops the daemon (waiting at most one read time-out), then closes both slots.
    ~MAILIO() override;

    // Called by the daemon only: waits up to the read time-out for one message of the own slot
    // and hands it to Feed (the bytes never go to buffer; *count becomes 0).  A message equal to
    // the one before it is dropped.  Non-zero unless the read failed.
    int DevRead(void *buffer, int *count, int timeout) override;
    // Writes data as messages of at most 400 bytes, in order; a failed message is written again
    // up to 3 times in all, reopening the peer slot before each retry.  Non-zero only when every
    // message was written; 0 at once without a peer slot.
    int DevWrite(const void *data, int count) override;
    // From the own slot: the size of the next message, 0 when none waits, -1 when it cannot be
    // asked (no slot).
    int DevGetNumAvail() override;
    // Non-zero while either slot is open.
    int DevIsConnected() override;
    int IsReady() override { return 1; }
    // Opens the peer slot for writing and keeps its name for reopening.  A domain-wide name
    // ("\\*\...") that the host refuses is opened as the slot of this computer ("\\.\...").
    // Non-zero when the peer slot is open.
    int MakeCall(const char *slotName) override;
    // Creates the own slot (name: the own id) for the daemon; the data callback must be set
    // first.  Non-zero when the slot exists.
    int AcceptCall() override;
    // Closes the peer slot; 1.
    int DropCall() override;
    // Closes the own slot (waiting for a running read to end); 1.
    int DropAccept();
    // Remembers that a callback is set (AcceptCall and DevRead insist on one) and starts the
    // daemon.
    void SetDataCallback(BASEIO_DATACALLBACK callback, void *userData) override;
    // "ONLINE", "DEVICENAME" ("MAIL"), "BANDWIDTH", "LASTERROR" (the last failed read's system
    // error), "LASTERRORSTRING", "OWNID", "CALLERID"; any other name is an assertion failure and
    // an empty text.
    STRING &GetProperty(STRING &result, const char *name) override;

    // The read time-out of the own slot in ms (at least 1); applies at once to an open slot.
    void SetReadTimeout(int milliseconds);

private:
    // Open and close without taking writeLock (the caller holds it).
    bool OpenPeer();
    void ClosePeer();
    // One message to the peer slot; false when it was not written whole (*written and *error
    // tell what happened).
    bool WriteMessage(const char *data, int length, unsigned long *written, unsigned long *error);

    // Changed under their locks; read without them only to tell whether they are open.
    std::atomic<void *> hMailSlotClient; // owned: the peer slot; guarded by writeLock
    std::atomic<void *> hMailSlotServer; // owned: the own slot; guarded by slotLock
    std::atomic<int> MailLastError;  // system error of the last failed read (daemon writes)
    BINARY LastMessage;              // the last message passed on (daemon only)
    STRING PeerName;                 // the slot name of the last MakeCall; guarded by writeLock
    std::atomic<int> ReadTimeout;    // ms
    std::atomic<bool> CallbackSet;
    EVENTSEM Stopping;               // set by the destructor: the idle daemon stops waiting
    CRITSECT writeLock;
    CRITSECT slotLock;
};

#endif
