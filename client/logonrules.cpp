// The logon's decisions (see logonrules.h).
#include "client/logonrules.h"

#include "common/commandnames.h"

namespace {

const char kDefaultServerPort[] = "6666";

bool IsPortNumber(const STRING &port)
{
    if (port.IsEmpty() || port.Length() > 5)
        return false;
    for (STRING_SIZE_T i = 0; i < port.Length(); ++i)
        if (port[i] < '0' || port[i] > '9')
            return false;
    const unsigned long value = port.ToULong();
    return value >= 1 && value <= 65535;
}

} // namespace

LOGONRULES::NEXT LOGONRULES::Answer(const char *ok, const char *commVersion, bool haveStored)
{
    // STRING compares ignoring case.
    const STRING answer(ok ? ok : "");
    if (answer == PLXLOGIN::PASSWORD_REQUIRED || answer == PLXLOGIN::PASSWORD_WRONG)
        return haveStored ? USE_STORED : ASK_PASSWORD;
    if (answer == PLXLOGIN::SERVER_IS_STARTING)
        return WAIT_STARTING;
    if (answer == PLXLOGIN::CLIENT_NOT_FOUND)
        return CLIENT_NOT_FOUND;
    if (answer == PLXLOGIN::DIFFERENT_COMM_VERSION)
        return WRONG_VERSION;
    if (answer == PLXLOGIN::SUCCESSFUL) {
        const STRING version(commVersion ? commVersion : "n/a");
        return version == PLXLOGIN::COMMVERSION ? SUCCESS : WRONG_VERSION;
    }
    return REFUSED;
}

bool LOGONRULES::WelcomeServer(const char *sender, const char *port, STRING &server)
{
    const STRING from(sender ? sender : "");
    const STRING_SIZE_T at = from.PosChar('@');
    if (at < 0)
        return false;
    STRING host = from.Mid(at + 1);
    if (host.IsEmpty())
        return false;
    if (port && !IsPortNumber(STRING(port)))
        return false;
    if (port && !(STRING(port) == kDefaultServerPort)) {
        host += ":";
        host += port;
    }
    server = host;
    return true;
}

uint32_t LOGONRULES::FirstId(bool localList, bool haveItems, uint32_t firstHandle, uint32_t lastId,
                             bool &resetLastId)
{
    resetLastId = !localList;
    if (!localList)
        return 0;
    return haveItems ? firstHandle : lastId + 1;
}

STRING LOGONRULES::ServerPort(const char *server)
{
    const STRING text(server ? server : "");
    STRING_SIZE_T colon = -1;
    for (STRING_SIZE_T i = 0; i < text.Length(); ++i)
        if (text[i] == ':')
            colon = i;
    return colon >= 0 ? text.Mid(colon + 1) : STRING(kDefaultServerPort);
}

STRING LOGONRULES::CallFailedText(const char *text, const char *serverPort, const char *server)
{
    STRING out(text ? text : "");
    out.Replace("$SP", serverPort ? serverPort : "");
    out.Replace("$S", server ? server : "");
    return out;
}

STRING LOGONRULES::RefusedText(const char *text, const char *ownPort, const char *station, const char *server)
{
    STRING out(text ? text : "");
    out.Replace("$CP", ownPort ? ownPort : "");
    out.Replace("$C", station ? station : "");
    out.Replace("$S", server ? server : "");
    return out;
}

bool LOGONRULES::IsLocalServer(const char *serverName, const char *station)
{
    const STRING name(serverName ? serverName : "");
    return name.NotEmpty() && station && *station && name == station;
}
