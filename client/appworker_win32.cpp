// APP: the worker thread (PingThread), which watches the connection to the server with a
// periodic "PING" and runs the jobs other threads queue for it by name, first in first out; the
// power notices of the main window that log off and on again around a suspend.
//
// Threads: any thread queues; the queue's own lock is held for one append or one take only,
// never while a job runs.  The jobs run on the worker thread.  StopPingThread is written by the
// clean-up on the window thread, which then waits for the worker while it dispatches messages
// (the worker's boxes and status texts need the window thread).
#include <windows.h>

#include "client/app.h"

#include <algorithm>

#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "common/commandnames.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/osysthread.h"
#include "kestar/base/winorvak.h"
#include "lang/resource_ids.h"

namespace {

// The main window's command that opens the 'connect to' dialog.
const WPARAM kConnectCommand = 2103;
// Pauses are slept in slices, so that the clean-up is not kept waiting.
const int kSleepSlice = 50;

bool SameText(STRING a, const char *b)
{
    STRING other(b ? b : "");
    a.ToUpper();
    other.ToUpper();
    return a == other;
}

unsigned WorkerEntry(void *app)
{
    return static_cast<unsigned>(static_cast<APP *>(app)->PingThread());
}

} // namespace

const char *const APP::QUEUED_FILLLISTVIEW = "QUEUED_FILLLISTVIEW";
const char *const APP::QUEUED_CLEARLISTVIEW = "QUEUED_CLEARLISTVIEW";
const char *const APP::QUEUED_FILLTREEVIEW = "QUEUED_FILLTREEVIEW";
const char *const APP::QUEUED_CLEARTREEVIEW = "QUEUED_CLEARTREEVIEW";
const char *const APP::QUEUED_RENEWTREEVIEW = "QUEUED_RENEWTREEVIEW";
const char *const APP::QUEUED_LOGONTOSERVER = "QUEUED_LOGONTOSERVER";
const char *const APP::QUEUED_RELOGONAFTERPOWERDOWN = "QUEUED_RELOGONAFTERPOWERDOWN";

void APP::QueueJobIfRunning(const char *name)
{
    if (Constructing || CleaningUp) {
        LOGIT::Printf("APP %s not queued while constructing or cleaning up\n", name ? name : "<NULL>");
        return;
    }
    AddQueuedFunction(name);
}

void APP::FillTreeview()
{
    LOGIT::Printf("APP::FillTreeview\n");
}

bool APP::StartPingThread()
{
    StopPingThread = 0;
    hPingThread = OSYS::CreateThread(WorkerEntry, this);
    if (!hPingThread)
        LOGIT::Printf("APP::StartPingThread the worker thread could not be started\n");
    return hPingThread != nullptr;
}

void APP::EndPingThread()
{
    StopPingThread = 1;
    if (!hPingThread)
        return;
    // The worker may be showing a box over the main window or setting its status text.
    WinWaitForSingleObject(hPingThread, -1);
    OSYS::WaitThread(hPingThread, -1);
    hPingThread = nullptr;
}

void APP::PauseWorker(int ms)
{
    for (int slept = 0; slept < ms && !StopPingThread; slept += kSleepSlice)
        OSYS::Sleep(std::min(kSleepSlice, ms - slept));
}

int APP::PingThread()
{
    LOGIT::Printf("APP::PingThread started\n");
    int pass = 0;
    while (!StopPingThread) {
        const int passMs = std::max(1, CLIENTTIMING::Get(CLIENTTIMING::WORKERPASS));
        PauseWorker(passMs);
        if (StopPingThread)
            break;
        // The server is checked on the first pass and then every PINGEVERY.
        const int every = std::max(1, CLIENTTIMING::Get(CLIENTTIMING::PINGEVERY) / passMs);
        const int taken = pass;
        pass = taken + 1 >= every ? 0 : taken + 1;
        if (taken == 0)
            CheckServer();
        RunQueuedFunctions();
    }
    LOGIT::Printf("APP::PingThread ends\n");
    return 0;
}

void APP::CheckServer()
{
    LOGIT::Printf("APP::PingThread is starting checking {SERVER}\n");
    if (LoggedOn) {
        HASH none;
        STRING result;
        const int ok = DispatchFunction(PLXPEER::SERVER, PLXCMD::PING, none, result, 1, -1);
        if (ok && SameText(result, PLXRESULT::NOK)) {
            LOGIT::Printf("APP::PingThread received <NOK>, so relogin\n");
            LogonToServer(1);
        } else if (!ok || !SameText(result, PLXRESULT::OK)) {
            LOGIT::Printf("APP::PingThread did not receive <OK>, commok=%d, so try to logout\n", ok);
            LogoutFromServer(1);
            if (gSilentRelogin && !PoweredDown) {
                AddQueuedFunction(QUEUED_RELOGONAFTERPOWERDOWN);
                LOGIT::Printf("APP::PingThread added relogonafterpowerdown cause of gSilentRelogin is set\n");
            } else {
                if (!gSilentRelogin && !PoweredDown)
                    WINORVAK::ErrorMsgBox(hWnd, OSYS::GetStringFromResource(IDS_APPNAME),
                                          OSYS::GetStringFromResource(IDS_SERVERLOST));
                PostMessageA(hWnd, WM_COMMAND, kConnectCommand, 0);
                LOGIT::Printf("APP::PingThread after posting 'connect to' dialog\n");
            }
        }
    }
    LOGIT::Printf("APP::PingThread ended checking {SERVER}\n");
}

void APP::RunQueuedFunctions()
{
    for (;;) {
        STRING name("");
        QueuedFunctions.Lock();
        if (QueuedFunctions.NumItems() > 0) {
            name = *QueuedFunctions[0];
            QueuedFunctions.DeleteItem(0);
        }
        QueuedFunctions.Unlock();
        if (name.IsEmpty())
            return;
        LOGIT::Printf("APP::PingThread processed queued function %s\n", static_cast<const char *>(name));
        RunQueuedFunction(name);
    }
}

void APP::RunQueuedFunction(const STRING &name)
{
    if (name == QUEUED_LOGONTOSERVER) {
        LogonToServer(1);
        LOGIT::Printf("APP::PingThread LogonToServer processing finished\n");
    } else if (name == QUEUED_RELOGONAFTERPOWERDOWN) {
        RelogonAfterPowerDown();
        LOGIT::Printf("APP::PingThread ReLogonToServer after powerdown processing finished\n");
    } else if (name == QUEUED_RENEWTREEVIEW) {
        ClearTreeview();
        FillTreeview();
        LOGIT::Printf("APP::PingThread RenewTreeview processing finished\n");
    } else if (name == QUEUED_CLEARTREEVIEW) {
        ClearTreeview();
        LOGIT::Printf("APP::PingThread ClearTreeview processing finished\n");
    } else if (name == QUEUED_FILLTREEVIEW) {
        FillTreeview();
        LOGIT::Printf("APP::PingThread FillTreeview processing finished\n");
    } else if (name == QUEUED_CLEARLISTVIEW) {
        ItemView.ClearListview();
        LOGIT::Printf("APP::PingThread ClearListview processing finished\n");
    } else if (name == QUEUED_FILLLISTVIEW) {
        ItemView.FillListview(ITEMVIEW::FILTER_SETTING, ITEMVIEW::FILTER_SETTING);
        LOGIT::Printf("APP::PingThread FillListview processing finished\n");
    } else {
        STRING info("Unknown PingThread command=");
        info += name;
        LOGIT::Assert(0, "FALSE", "miscclient", 1117, info, 0);
    }
}

void APP::RelogonAfterPowerDown()
{
    SetStatusText(OSYS::GetStringFromResource(IDS_RELOGON_WAITING), false);
    const STRING server = GetSetting("NetworkPrimaryServer");
    const int tries = CLIENTTIMING::Get(CLIENTTIMING::RELOGONTRIES);
    for (int left = tries; left >= 1 && !StopPingThread; --left) {
        if (QueryIPConnectivity(server, 1))
            break;
        LOGIT::Printf("APP::PingThread ReLogonToServer testing connection failed, try=%d, waiting 6 seconds\n", left);
        PauseWorker(CLIENTTIMING::Get(CLIENTTIMING::RELOGONPAUSE));
    }
    // A clean-up that began meanwhile ends the wait; no logon follows then.
    if (!StopPingThread)
        LogonToServer(1);
}

void APP::PowerBroadcast(WPARAM event)
{
    if (event == PBT_APMSUSPEND || event == PBT_APMSTANDBY) {
        LOGIT::Printf("APP::WinProc WM_POWERBROADCAST notifies powerdown\n");
        PoweredDown = 1;
        LogoutFromServer(0);
    } else if (event == PBT_APMRESUMESUSPEND || event == PBT_APMRESUMESTANDBY) {
        LOGIT::Printf("APP::WinProc WM_POWERBROADCAST notifies powerup\n");
        PoweredDown = 0;
        AddQueuedFunction(QUEUED_RELOGONAFTERPOWERDOWN);
        LOGIT::Printf("APP::WM_POWERBROADCAST added LogonToServer\n");
    }
}
