// COMMINTERFACE: the client's one endpoint towards the phone server.  It is the NETPROC endpoint
// that sends the client's remote calls and serves the server's (handing each to APP), and it owns
// the mailslot device through which broadcasts go out to every server and come in from them.
// Windows only.
//
// Threads: HandleProcCall runs on NETPROC's call threads (several at once); DataCallback on the
// mailslot daemon; CallRemoteFunction and the broadcasts on any thread that calls out.  The
// record state is MAILRECORD's, which guards it; the device pointer is set at construction and
// dropped only by CleanupDevice, after which no broadcast goes out.
#ifndef CLIENT_COMMINTERFACE_H
#define CLIENT_COMMINTERFACE_H

#include <atomic>
#include <memory>

#include "common/mailrecord.h"
#include "kestar/base/critsect.h"
#include "kestar/base/hash.h"
#include "kestar/base/string.h"
#include "kestar/devices/netproc.h"
#include "kestar/windowing/window.h"

class APP;
class MAILIO;

class COMMINTERFACE : public WINDOW, public NETPROC {
public:
    // app: the owner (borrowed; outlives this).  defaultPort: the server port of peers named
    // without one ("6666").  ownPort: the own listening port ("0": the system's choice).
    COMMINTERFACE(APP *app, const char *defaultPort, const char *ownPort);
    ~COMMINTERFACE() override;
    COMMINTERFACE(const COMMINTERFACE &) = delete;
    COMMINTERFACE &operator=(const COMMINTERFACE &) = delete;

    // Calls command at peer: result gets the answer, or the reason of a failure ("No hostname
    // given" for an empty peer, which is never contacted).  sync: wait for the result.  waitMs:
    // the result wait, -1 for the default.  Returns 1 on success.
    int CallRemoteFunction(const char *peer, const char *command, HASH &params, STRING &result, int sync,
                           int waitMs);
    // Every incoming procedure: APP::HandleFunction's answer ("<NULL>" when it set none).
    STRING &HandleProcCall(STRING &result, STRING &command, HASH &params, const char *callerId) override;

    // Broadcasts a command line to addressee (null: "*"); 1.
    int BroadcastString(const char *line, const char *addressee);
    // Writes one record through the mailslot; the device write's result, 0 without a device.
    int MailIoBroadCast(const char *payload, const char *addressee);
    // The mailslot daemon's data callback: cuts the bytes into records and hands every accepted
    // one to NetCallback.
    static void DataCallback(void *self, const void *data, int length);
    // One accepted record: to APP::HandleBroadcast.
    int NetCallback(int number, const STRING &sender, const STRING &payload);

    // After the settings are loaded: clears APP's server fields, refreshes the title and takes
    // the host of "NetworkPrimaryServer" as the expected sender of broadcasts.
    void MakeNetworkAndDevice();
    // The host of server becomes the expected sender of broadcasts (a server taken from "WELCOME").
    void SetPartner(const char *server);
    // Closes the mailslot device (its daemon ends); broadcasts are no longer sent or received.
    void CleanupDevice();

    // Whether the mailslot can be read (both slots opened at construction).
    bool CanReceiveBroadcasts() const { return Receiving; }
    // How often a call showed the wait cursor (for tests).
    std::atomic<int> WaitCursorsShown{0};

private:
    APP *Owner;                   // borrowed: the application object
    std::unique_ptr<MAILIO> Mail; // owned: the mailslot device; null after CleanupDevice
    CRITSECT mailLock;            // Mail against CleanupDevice
    MAILRECORD Records;           // the record format, the partner and the last headers
    bool Receiving = false;       // set at construction only
};

#endif
