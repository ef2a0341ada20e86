// STANDINSERVER, the stand-in phone server: answers every client-to-server command of the
// client's protocol from the data set of STANDINSTATE, keeps the logged-on clients and the edit
// locks, and pushes the follow-ups (list updates, changed lists, messages) to the clients on a
// thread of its own.  Broadcasts go both ways through the mailslots; "NEEDSERVER" is answered
// with "WELCOME".  Tests steer it with a script (STANDINSCRIPT) and the command
// "STANDINCONTROL", and read what happened in the call log (STANDINCALLLOG).
//
// Threads: NETPROC's call threads run HandleProcCall (several at once); the mailslot daemon runs
// the broadcast reader; the pusher thread runs every push and the job steps.  The clients and
// locks are guarded by clientsLock; the data by STANDINSTATE's own lock.
#ifndef STANDINS_STANDINSERVER_STANDINSERVER_H
#define STANDINS_STANDINSERVER_STANDINSERVER_H

#include <atomic>
#include <cstdint>
#include <memory>

#include "common/mailrecord.h"
#include "kestar/base/critsect.h"
#include "kestar/base/eventsem.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/devices/netproc.h"
#include "kestar/base/string.h"
#include "standins/standinserver/standincalllog.h"
#include "standins/standinserver/standinconfig.h"
#include "standins/standinserver/standinpusher.h"
#include "standins/standinserver/standinscript.h"
#include "standins/standinserver/standinstate.h"

class MAILIO;

class STANDINSERVER : public NETPROC {
public:
    explicit STANDINSERVER(const STANDINCONFIG &config);
    ~STANDINSERVER() override;

    // Opens the data, the script and the call log, starts the pusher, the listeners and the
    // mailslots, and broadcasts "STARTSERVER" when asked.  false with reason when it cannot run.
    bool Start(STRING &reason);
    // Waits until "STANDINCONTROL" with "Action" "STOP" arrives, or timeoutMs passed (-1: no
    // limit); true when told to stop.
    bool WaitForStop(int timeoutMs);
    // Broadcasts "STOPSERVER" when asked, stops serving, ends the pusher and the mailslots.
    void Stop();

    STRING &HandleProcCall(STRING &result, STRING &command, HASH &params, const char *callerId) override;

    STRING StateFolder() const { return State.Folder(); }

private:
    // One answer; sender is "@Sender", callerId the connection's peer address.
    STRING Dispatch(const STRING &command, HASH &params, const char *callerId);
    STRING Login(HASH &params, const char *callerId);
    STRING Logout(HASH &params);
    STRING Items(HASH &params);
    STRING AddJob(HASH &params);
    STRING ChangeItems(const STRING &command, HASH &params);
    STRING MessageFile(HASH &params);
    STRING ServerFile(HASH &params);
    STRING ActionLock(HASH &params, bool lock);
    STRING CheckConnectivity(HASH &params, const char *callerId);
    STRING Control(HASH &params);

    // The parameters every call of the server carries.
    HASH OwnParams(const HASH &params, bool sync);
    // Pushes command to "*" / "{CLIENTS}" (every client not in passive mode), a client's name, or
    // an address; dueMs 0 = now.
    void PushTo(const char *to, const char *command, const HASH &params, bool sync = false, int64_t dueMs = 0);
    void PushItem(const char *action, const HASH &item);
    void PushActiveClients();
    // The address "PeerId:Port" of a logged-on client; false when it is not logged on or passive.
    bool ClientAddress(const char *name, STRING &address);
    bool IsLoggedOn(const char *name);

    static void SendJob(void *self, STANDINPUSHER::JOB &job);
    static void Tick(void *self);
    void JobStep(STANDINPUSHER::JOB &job);

    static void MailData(void *self, const void *data, int length);
    void Broadcast(const char *line);
    void Log(const char *peer, const char *command, const char *mode, HASH &params, const char *result, bool ok);

    STANDINCONFIG Config;
    STANDINSTATE State;
    STANDINSCRIPT Script;
    STANDINCALLLOG CallLog;
    STANDINPUSHER Pusher;
    MAILRECORD Records;
    std::unique_ptr<MAILIO> Mail; // owned; set by Start, dropped by Stop
    CRITSECT mailLock;           // one broadcast write at a time
    STRING Host;                 // the server's name
    STRING SenderName;           // "standin@" + Host
    int64_t StartMs;
    HASHLIST Active;             // logged-on clients: "Name", "PeerId", "Port", "PassiveMode"; clientsLock
    HASH Locks;                  // lock name -> holder; guarded by clientsLock
    CRITSECT clientsLock;
    EVENTSEM StopRequested;
    std::atomic<bool> Stopped{false};
};

#endif
