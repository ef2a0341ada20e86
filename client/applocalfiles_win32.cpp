// APP: the local list files of the work folder and their backups, the server's targets merged
// into TARGETS, the call item and server option defaults, and the rights that govern the files
// (see app.h).
#include <windows.h>

#include <tapi.h>

#include <initializer_list>

#include "client/app.h"
#include "common/callitem.h"
#include "common/commandnames.h"
#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"

namespace {

const char *const kSettingsFile = "\\parlomatix.ini";
const char *const kCallersFile = "\\callers.ini";
const char *const kTargetsFile = "\\targets.ini";
const char *const kRecentcallsFile = "\\recentcalls.ini";

const char *Text(const STRING &s)
{
    return s.IsNull() ? "<NULL>" : static_cast<const char *>(s);
}

STRING WorkFile(const char *name)
{
    STRING path(gWorkDir);
    path += name;
    return path;
}

bool SameText(STRING a, const char *b)
{
    STRING other(b ? b : "");
    a.ToUpper();
    other.ToUpper();
    return a == other;
}

long WindowsLocation(STRING &country, STRING &city)
{
    char countryCode[32] = {0};
    char cityCode[32] = {0};
    const long result = tapiGetLocationInfoA(countryCode, cityCode);
    countryCode[sizeof(countryCode) - 1] = 0;
    cityCode[sizeof(cityCode) - 1] = 0;
    country = countryCode;
    city = cityCode;
    return result;
}

} // namespace

SERVEROPTIONS::LOCATIONFUNCTION APP::GetLocation = WindowsLocation;

int APP::PrepareServerOptions(HASH &options)
{
    return SERVEROPTIONS::Prepare(options, ORVAKAPP::IsGerman(), GetLocation, gWorkDir);
}

int APP::CheckPermission(const char *right)
{
    CRITSECTHOLD hold(RightsLock);
    STRING *value = nullptr;
    if (!right || !Rights.Exists(right, &value) || !value)
        return 0;
    return static_cast<int>(*value);
}

void APP::SetRights(const HASH &rights)
{
    CRITSECTHOLD hold(RightsLock);
    Rights = rights;
}

void APP::GetLocalCallers()
{
    Callers.Lock();
    Callers.DeleteAll();
    if (CheckPermission("PermLocalCallers")) {
        LOGIT::Printf("APP::GetLocalCallers\n");
        const STRING path = WorkFile(kCallersFile);
        if (FILENAME(path).IsFile())
            Callers.Load(path);
        for (int i = 0; i < Callers.NumItems(); ++i)
            CALLERS::Prepare(*Callers[i]);
    }
    Callers.Unlock();
}

void APP::GetLocalTargets()
{
    Targets.Lock();
    Targets.DeleteAll();
    if (CheckPermission("PermLocalTargets")) {
        LOGIT::Printf("APP::GetLocalTargets\n");
        const STRING path = WorkFile(kTargetsFile);
        if (FILENAME(path).IsFile()) {
            Targets.Load(path);
            for (int i = 0; i < Targets.NumItems(); ++i) {
                Targets[i]->Handle = 0;
                TARGETS::Prepare(*Targets[i], Targets.NewHandle());
            }
        }
        GetServerTargets("*");
    } else {
        LOGIT::Printf("APP::GetServerTargets\n");
        HASH params;
        params["Number"] = "*";
        STRING result;
        if (!DispatchFunction(PLXPEER::SERVER, PLXCMD::GETTARGETS, params, result, 1, -1)) {
            ReportCommError("DispatchFunction GETTARGETS failed", "COMM", "NETWORK");
        } else if (SameText(result.GetLine(0), PLXRESULT::OK) && !SameText(result.GetLine(1, true), PLXRESULT::NONE)) {
            HASHLIST received;
            received.FromString(result.GetLine(1, true));
            // A target that arrives without the right never starts a program on this PC.
            for (int i = 0; i < received.NumItems(); ++i) {
                HASH *target = received[i];
                const int locked = target->AllowNewKeys(1);
                (*target)["RunProg"] = "0";
                (*target)["Program"] = "";
                (*target)["ProgParm"] = "";
                target->AllowNewKeys(!locked);
                Targets.AddItem(*target);
            }
        }
    }
    for (int i = 0; i < Targets.NumItems(); ++i) {
        Targets[i]->Handle = 0;
        TARGETS::Prepare(*Targets[i], Targets.NewHandle());
    }
    Targets.Unlock();
}

void APP::GetLocalRecentcalls(const char *server, int load)
{
    HASHLIST &items = ItemView.LockItems();
    items.DeleteAll();
    const int allowed = CheckPermission("PermLocalRecentcalls");
    if (allowed && load) {
        LOGIT::Printf("APP::GetLocalRecentcalls\n");
        const STRING path = WorkFile(kRecentcallsFile);
        if (FILENAME(path).IsFile())
            items.Load(path);
    }
    if (!allowed && server && *server) {
        // The server's next update is then taken in full.
        LOGIT::Printf("APP::ResetPeerLastId\n");
        SetPeerLastId(server, "0");
    }
    for (int i = 0; i < items.NumItems(); ++i) {
        HASH *item = items[i];
        PrepareCallItem(*item);
        // A call that was running when the list was saved has ended since.
        (*item)["InProgress"] = "0";
    }
    ItemView.UnlockItems();
}

int APP::SaveLocalFiles(int recentCalls, int callers, int unused, int targets, int settings)
{
    (void)unused;
    if (SessionEnded) {
        LOGIT::Printf("APP::SaveLocalFiles not after the end of the session\n");
        return 1;
    }
    if (NoSave) {
        LOGIT::Printf("APP::SaveLocalFiles saving is off\n");
        return 1;
    }
    int ok = 1;
    auto report = [&](bool written, const char *name) {
        if (!written) {
            LOGIT::Printf("APP::SaveLocalFiles cannot write %s\n", Text(WorkFile(name)));
            ok = 0;
        }
    };
    if (recentCalls && CheckPermission("PermLocalRecentcalls"))
        report(ItemView.Items.Save(WorkFile(kRecentcallsFile)) != 0, kRecentcallsFile);
    if (callers && CheckPermission("PermLocalCallers"))
        report(Callers.Save(WorkFile(kCallersFile)) != 0, kCallersFile);
    if (targets && CheckPermission("PermLocalTargets"))
        report(Targets.Save(WorkFile(kTargetsFile)) != 0, kTargetsFile);
    if (settings) {
        CRITSECTHOLD hold(SettingsLock);
        report(Settings.Save(WorkFile(kSettingsFile)) != 0, kSettingsFile);
    }
    return ok;
}

int APP::BackupIniFiles()
{
    LOGIT::Printf("APP::BackupIniFiles\n");
    int ok = 1;
    for (const char *name : {kSettingsFile, kCallersFile, kTargetsFile, kRecentcallsFile}) {
        const STRING path = WorkFile(name);
        const FILENAME source(path);
        if (!source.IsFile()) {
            LOGIT::Printf("APP::BackupIniFiles no %s\n", Text(path));
            continue;
        }
        STRING backup(path);
        backup += ".bak";
        // CopyTo writes a temporary copy and renames it over the old backup.
        if (!source.CopyTo(FILENAME(backup), true)) {
            LOGIT::Printf("APP::BackupIniFiles cannot write %s\n", Text(backup));
            ok = 0;
        }
    }
    return ok;
}

int APP::GetServerTargets(const char *number)
{
    HASH params;
    params["Number"] = number ? number : "";
    STRING result;
    if (!DispatchFunction(PLXPEER::SERVER, PLXCMD::GETTARGETS, params, result, 1, -1)) {
        ReportCommError("DispatchFunction GETTARGETS failed", "COMM", "NETWORK");
        return 0;
    }
    if (!SameText(result.GetLine(0), PLXRESULT::OK) || SameText(result.GetLine(1, true), PLXRESULT::NONE))
        return 0;
    HASHLIST received;
    received.FromString(result.GetLine(1, true));
    UpdateTargetsFromServer(received, number && STRING(number) == STRING("*") ? 1 : 0);
    return 1;
}

void APP::UpdateTargetsFromServer(HASHLIST &received, int fullRebuild)
{
    // The save under the lock: the file holds the list as merged, not a later change.
    Targets.Lock();
    const int count = Targets.MergeFromServer(received, fullRebuild);
    SaveLocalFiles(0, 0, 0, 1, 0);
    Targets.Unlock();
    LOGIT::Printf("APP::UpdateTargetsFromServer num of targets=%d, fullrebuild=%d\n", count, fullRebuild);
}

void APP::PrepareCallItem(HASH &item)
{
    CALLITEM::Prepare(item);
}

LRESULT APP::OnEndSession()
{
    Cleanup();
    SessionEnded = 1;
    return WINDOW::OnEndSession();
}
