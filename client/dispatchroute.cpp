// Routing of outgoing remote commands and the sender test of broadcasts.
#include "client/dispatchroute.h"

#include "common/commandnames.h"
#include "kestar/base/logit.h"

namespace {

// The value of name in record, empty when the record lacks it (never adds the name: the
// records of the active-clients list may be closed to new keys).
STRING ValueOf(HASH &record, const char *name)
{
    STRING *value = nullptr;
    if (record.Exists(name, &value) && value)
        return *value;
    return STRING("");
}

} // namespace

DISPATCHROUTE::KIND DISPATCHROUTE::Route(const STRING &peer, const STRING &server, HASHLIST &activeClients,
                                         STRING &address)
{
    address = "";
    STRING target = peer;
    if (target == PLXPEER::SERVER) // STRING compares ignoring case
        target = server.NotEmpty() ? server : STRING("");
    if (target == PLXPEER::CLIENTS)
        return CLIENTS;
    if (target == PLXPEER::LOCAL)
        return LOCAL;
    if (target.FindChar('@')) {
        activeClients.Lock();
        const int idx = activeClients.FindValue("Name", target, 1);
        STRING peerId, port, passive;
        if (idx >= 0) {
            HASH *record = activeClients[idx];
            peerId = ValueOf(*record, "PeerId");
            port = ValueOf(*record, "Port");
            passive = ValueOf(*record, "PassiveMode");
        }
        activeClients.Unlock();
        if (idx < 0)
            return SKIP_ABSENT;
        if (peerId.IsEmpty()) {
            LOGIT::Assert(0, "this->ActiveClients[idx][\"PeerId\"].NotEmpty()", __FILE__, __LINE__, target, 0);
            return SKIP_NOPEERID;
        }
        if (passive.NotEmpty() && static_cast<int>(passive) == 1)
            return SKIP_PASSIVE;
        target = peerId;
        target += ":";
        target += port;
    }
    if (target.IsEmpty())
        return NOPEER;
    address = target;
    return SEND;
}

HASH DISPATCHROUTE::WithSenderKeys(const HASH &params, const char *sender, const char *port, const char *version,
                                   bool sync)
{
    HASH out(params);
    out.AllowNewKeys(1);
    out["@Sender"] = sender ? sender : "";
    out["@Port"] = port ? port : "";
    out["@Version"] = version ? version : "";
    out["@SenderRole"] = PLXPEER::ROLE_CLIENT;
    out["@ExecMode"] = sync ? PLXPEER::SYNC : PLXPEER::ASYNC;
    return out;
}

bool DISPATCHROUTE::IsFromServer(const STRING &sender, const STRING &server)
{
    STRING host = server.NotEmpty() ? server.Token(0, ":", STRING_TOKEN_NOTNULL) : STRING("");
    if (host.IsEmpty())
        return true;
    if (sender.IsEmpty())
        return false;
    host.Replace(".", "_");
    return host.iFind(sender);
}
