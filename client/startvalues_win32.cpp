// STARTVALUES::Settle: the registry values and the binding test of the start values.
#include <windows.h>

#include "client/startvalues.h"

#include "client/clientglobals.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/registry.h"
#include "kestar/devices/tcpipio.h"
#include "lang/resource_ids.h"

int STARTVALUES::Settle(const char *registryBase)
{
    const STRING app = OSYS::GetStringFromResource(IDS_APPREGKEY);
    REGISTRY key(app, registryBase, REGISTRY::USER_CURRENT);
    STRING port;
    if (key.ReadString("NetworkRpcPortIn", port) && port.NotEmpty())
        gOwnPort = port;
    gOwnPort = ScanPort(gOwnPort, TCP::TryBind);

    const int minimised = ReadSwitches();

    const char *given = GetArgValue("WORKDIR", 0);
    STRING byswitch(given ? given : "");
    STRING stored("");
    if (byswitch.IsEmpty() && !key.ReadString("WorkDir", stored))
        stored = "";
    gWorkDir = ChooseWorkDir(byswitch, stored, ORVAKAPP::GetProgramFolder());
    LOGIT::Printf("STARTVALUES::Settle own port %s, work folder %s, MIN=%d SILENTRELOGIN=%d NOHIDEDURINGMINIMIZE=%d "
                  "ITUNES=%d:%d\n",
                  static_cast<const char *>(gOwnPort), static_cast<const char *>(gWorkDir), minimised, gSilentRelogin,
                  gKeepWindowWhileMinimized, gITunesControl, gITunesLevel);
    return minimised;
}
