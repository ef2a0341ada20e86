// COMMINTERFACE: the client's remote calls and mailslot broadcasts (see comminterface.h).
#include <windows.h>

#include "client/comminterface.h"

#include <vector>

#include "client/app.h"
#include "client/clienttiming.h"
#include "common/commandnames.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysinfo.h"
#include "kestar/devices/mailio.h"

namespace {

const char *Text(const STRING &s)
{
    return s.IsNull() ? "<NULL>" : static_cast<const char *>(s);
}

} // namespace

COMMINTERFACE::COMMINTERFACE(APP *app, const char *defaultPort, const char *ownPort)
    : WINDOW(), NETPROC(defaultPort, ownPort, CLIENTTIMING::Get(CLIENTTIMING::RPC), false), Owner(app),
      Records(OSYS::GetComputerName())
{
    LOGIT::Printf("COMMINTERFACE::COMMINTERFACE port=%s, own port=%s\n", defaultPort, ownPort);
    SetConnectTimeout(CLIENTTIMING::Get(CLIENTTIMING::CONNECT));
    SetEotTimeout(CLIENTTIMING::Get(CLIENTTIMING::EOT));
    Mail.reset(new MAILIO(PLXSLOT::CLIENT_OWN, nullptr, nullptr));
    Mail->SetDataCallback(&COMMINTERFACE::DataCallback, this);
    // The own slot is read only when broadcasts can also be sent: a client that cannot answer a
    // server's broadcast has no use for hearing it.
    if (Mail->MakeCall(PLXSLOT::CLIENT_PEER)) {
        Receiving = Mail->AcceptCall() != 0;
        if (!Receiving)
            LOGIT::Printf("COMMINTERFACE::COMMINTERFACE cannot read %s\n", PLXSLOT::CLIENT_OWN);
    } else {
        LOGIT::Printf("COMMINTERFACE::COMMINTERFACE cannot write %s: no broadcasts\n", PLXSLOT::CLIENT_PEER);
    }
    // Last: no request may reach HandleProcCall before the object is whole.
    StartListeners();
}

COMMINTERFACE::~COMMINTERFACE()
{
    LOGIT::Printf("COMMINTERFACE::~COMMINTERFACE\n");
    CleanupDevice();
    // No procedure may still run into APP once the members go.
    Shutdown();
}

int COMMINTERFACE::CallRemoteFunction(const char *peer, const char *command, HASH &params, STRING &result, int sync,
                                      int waitMs)
{
    LOGIT::Printf("COMMINTERFACE::CallRemoteFunction peer=%s, cmd=%s\n", peer ? peer : "<NULL>",
                  command ? command : "<NULL>");
    result = "";
    if (!peer || !*peer) {
        result = "No hostname given";
        return 0;
    }
    const STRING cmd(command ? command : "");
    const bool cursor = sync && cmd != PLXCMD::ACTIONLOCK && cmd != PLXCMD::ACTIONUNLOCK;
    if (cursor) {
        ++WaitCursorsShown;
        WINDOW::ShowWaitCursor();
    }
    // While cleaning up, the window may be half gone: the call then waits without it.
    void *window = Owner && !Owner->CleaningUp ? static_cast<void *>(Owner->hWnd) : nullptr;
    const int ok = CallNetProcedure(peer, cmd, params, result, sync, window, CLIENTTIMING::CallWait(waitMs));
    if (cursor)
        WINDOW::RefreshCursor();
    if (!ok)
        LOGIT::Printf("COMMINTERFACE::CallRemoteFunction CallNetProcedure FAILED\n");
    LOGIT::Printf("COMMINTERFACE::CallRemoteFunction done ok=%d, result=%s\n", ok, Text(result.Left(80)));
    return ok;
}

STRING &COMMINTERFACE::HandleProcCall(STRING &result, STRING &command, HASH &params, const char *callerId)
{
    result = "<NULL>";
    LOGIT::Printf("COMMINTERFACE::HandleProcCall cmd=%s, peer=%s\n", Text(command), callerId ? callerId : "<NULL>");
    if (Owner)
        result = Owner->HandleFunction(command, params, callerId);
    LOGIT::Printf("COMMINTERFACE::HandleProcCall done result=%s\n", Text(result.Left(80)));
    return result;
}

int COMMINTERFACE::BroadcastString(const char *line, const char *addressee)
{
    MailIoBroadCast(line, addressee && *addressee ? addressee : "*");
    return 1;
}

int COMMINTERFACE::MailIoBroadCast(const char *payload, const char *addressee)
{
    STRING record = Records.Write(payload, addressee);
    LOGIT::Printf("COMMINTERFACE::MailIoBroadCast %s", Text(record));
    CRITSECTHOLD hold(mailLock);
    if (!Mail)
        return 0;
    return Mail->Write(record, static_cast<int>(record.Length()));
}

void COMMINTERFACE::DataCallback(void *self, const void *data, int length)
{
    COMMINTERFACE *comm = static_cast<COMMINTERFACE *>(self);
    std::vector<MAILRECORD::ENTRY> entries;
    comm->Records.Feed(data, length, entries);
    for (const MAILRECORD::ENTRY &e : entries)
        comm->NetCallback(e.Number, e.Sender, e.Payload);
}

int COMMINTERFACE::NetCallback(int number, const STRING &sender, const STRING &payload)
{
    LOGIT::Printf("COMMINTERFACE::NetCallback %04x from %s: %s\n", static_cast<unsigned>(number), Text(sender),
                  Text(payload));
    return Owner ? Owner->HandleBroadcast(number, sender, payload) : 0;
}

void COMMINTERFACE::MakeNetworkAndDevice()
{
    LOGIT::Printf("COMMINTERFACE::MakeNetworkAndDevice\n");
    if (!Owner)
        return;
    Owner->SetLoggedOnServer("", "", "");
    Owner->SetTitle();
    Records.SetPartner(Owner->GetSetting("NetworkPrimaryServer"));
    Records.SetWorkFolder(gWorkDir);
}

void COMMINTERFACE::SetPartner(const char *server)
{
    Records.SetPartner(server);
}

void COMMINTERFACE::CleanupDevice()
{
    std::unique_ptr<MAILIO> device;
    {
        CRITSECTHOLD hold(mailLock);
        device.swap(Mail);
    }
    // Deleted outside the lock: its daemon may be in DataCallback, which takes no mailLock but
    // may broadcast through MailIoBroadCast.
    device.reset();
}
