// APP: the state the server pushes to this client (the channels and the music player's volume,
// status texts, messages and warnings, the targets and the active clients) and the calls on the
// server's single targets and callers.
//
// Threads: the commands arrive on NETPROC call threads.  What changes the main window is posted
// to the window thread (a call thread that sent to it could wait for ever while the window
// thread waits for the link's threads at the clean-up); the boxes block only their call thread.
#include <windows.h>

#include "client/app.h"

#include "client/channelstatus.h"
#include "client/clienttiming.h"
#include "client/clientglobals.h"
#include "client/itunes.h"
#include "client/listchange.h"
#include "common/commandnames.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/winorvak.h"
#include "kestar/windowing/statusbar.h"
#include "lang/resource_ids.h"

namespace {

// The private messages of this file (WM_USER + n); lParam: a STRING made with new, which the
// window thread deletes.
const UINT kMsgChannelStatus = 1040; // the "BChannelStatus" text
const UINT kMsgStatusText = 1041;    // part 0's text; wParam: ms until timer 4 clears it
const UINT_PTR kStatusTimer = 4;
const int kChannelPartWidth = 55;
const int kLastChannelPartWidth = 70;

STRING Param(HASH &params, const char *name)
{
    STRING *value = nullptr;
    return params.Exists(name, &value) && value && !value->IsNull() ? *value : STRING("");
}

const char *Text(const STRING &s)
{
    return s.IsNull() ? "<NULL>" : static_cast<const char *>(s);
}

// Whole texts equal, ignoring the case of ASCII letters (answer words such as "<ok>").
bool SameText(STRING a, const char *b)
{
    STRING other(b ? b : "");
    a.ToUpper();
    other.ToUpper();
    return a == other;
}

// The controls of the call-forwarding dialog that show the server's forwarding states, and the
// button enabled when the answer has come.
const int kForwardUnconditional = 204;
const int kForwardBusy = 205;
const int kForwardNoReply = 206;
const int kForwardAnswered = 101;

} // namespace

int APP::HandlePushedState(STRING &command, HASH &params, STRING &result)
{
    (void)result;
    if (command == PLXCMD::BCHANNELSTATUS) {
        const STRING text = Param(params, "BChannelStatus");
        PostToWindow(kMsgChannelStatus, 0, text);
        if (gITunesControl)
            FadeMusicForChannels(text);
        return 1;
    }
    if (command == PLXCMD::SETSTATUSBAR) {
        STRING text = OSYS::GetStringFromResource(IDS_SERVERINFO);
        text.Replace("$NAME", Param(params, "Server"));
        text += Param(params, "Info");
        const STRING duration = Param(params, "Duration");
        const int seconds = duration.NotEmpty() ? static_cast<int>(duration) : -1;
        const int ms = seconds >= 0 && seconds <= 0x7fffffff / 1000 ? seconds * 1000
                                                                     : CLIENTTIMING::Get(CLIENTTIMING::STATUSBARSHOW);
        PostToWindow(kMsgStatusText, static_cast<WPARAM>(ms), text);
        return 1;
    }
    if (command == PLXCMD::SHOWMESSAGE) {
        STRING title = OSYS::GetStringFromResource(IDS_MESSAGEFROM);
        title += Param(params, "From");
        WINORVAK::InfoMsgBox(nullptr, title, Param(params, "Message"));
        return 1;
    }
    if (command == PLXCMD::ALERTTOOMUCHDEVICES) {
        WINORVAK::ErrorMsgBox(hWnd, OSYS::GetStringFromResource(IDS_APPTITLE),
                              OSYS::GetStringFromResource(IDS_TOOMANYDEVICES));
        return 1;
    }
    if (command == PLXCMD::ALERTBROKENFILES) {
        STRINGARRAY lines(Param(params, "Broken"), "\n");
        for (int i = 0; i < lines.NumItems(); ++i) {
            STRING &line = *lines[i];
            if (line.Length() > 0 && line[static_cast<int>(line.Length()) - 1] == '\r')
                line = line.Left(line.Length() - 1);
        }
        AlertBrokenFiles(lines);
        return 1;
    }
    if (command == PLXCMD::UPDATEACTIVECLIENTS) {
        HASHLIST received;
        received.FromString(Param(params, "ActiveClients"));
        ActiveClients.Lock();
        ActiveClients.DeleteAll();
        for (int i = 0; i < received.NumItems(); ++i)
            ActiveClients.AddItem(*received[i]);
        for (int i = 0; i < ActiveClients.NumItems(); ++i)
            CLIENTS::Prepare(*ActiveClients[i], ActiveClients.NewHandle());
        ActiveClients.Unlock();
        if (LoggedOn)
            QueueJobIfRunning("QUEUED_FILLTREEVIEW");
        return 1;
    }
    if (command == PLXCMD::SERVERTARGETSCHANGED) {
        ServerTargetsChanged(Param(params, "Targets"));
        return 1;
    }
    if (command == PLXCMD::SERVERONETARGETCHANGED) {
        STRING *cfResult = nullptr;
        ServerOneTargetChanged(Param(params, "Target"), params.Exists("CFQueryResult", &cfResult) != 0);
        return 1;
    }
    return 0;
}

void APP::ServerTargetsChanged(const STRING &text)
{
    TARGETS before;
    Targets.Lock();
    before.AddItems(Targets);
    Targets.Unlock();
    if (CheckPermission("PermLocalTargets")) {
        GetServerTargets("*");
    } else {
        HASHLIST received;
        received.FromString(text);
        LISTCHANGE::TakeServerTargets(Targets, received);
        QueueJobIfRunning("QUEUED_CLEARTREEVIEW");
    }
    TARGETS after;
    Targets.Lock();
    after.AddItems(Targets);
    Targets.Unlock();
    HASHLIST diff;
    DiffRecordLists(before, after, diff);
    UpdateItemsAfterListChange(0, 1, nullptr, &diff);
    QueueJobIfRunning("QUEUED_FILLTREEVIEW");
}

void APP::ServerOneTargetChanged(const STRING &text, bool queryAnswer)
{
    HASH target(text);
    const STRING number = Param(target, "Number");
    if (CheckPermission("PermLocalTargets")) {
        GetServerTargets(number);
    } else {
        Targets.Lock();
        const int idx = number.NotEmpty() ? Targets.FindValue("Number", number, 1) : -1;
        if (idx != -1) {
            HASH &local = *Targets[idx];
            const int locked = local.AllowNewKeys(1);
            for (int i = 0; i < target.NumKeys(); ++i)
                local[target.GetKeyAt(i)] = target.GetValueAt(i);
            // As with the whole list: the server never starts a program on this PC.
            local["RunProg"] = "0";
            local["Program"] = "";
            local["ProgParm"] = "";
            local.AllowNewKeys(!locked);
        }
        Targets.Unlock();
    }
    if (queryAnswer) {
        CFQueryInProgress = 0;
        LOGIT::Printf("HandleClientFunction SERVERONETARGETCHANGED set CFQueryInProgress to FALSE\n");
    }
    HWND dialog = ForwardingDialog;
    if (dialog && IsWindow(dialog)) {
        HASH states(Param(target, "ForwardLastRemoteState"));
        SetDlgItemTextA(dialog, kForwardUnconditional, Param(states, "UNCONDITIONAL"));
        SetDlgItemTextA(dialog, kForwardBusy, Param(states, "BUSY"));
        SetDlgItemTextA(dialog, kForwardNoReply, Param(states, "NOREPLY"));
        EnableWindow(GetDlgItem(dialog, kForwardAnswered), TRUE);
    }
    HASHLIST changed;
    changed.AddItem(target);
    UpdateItemsAfterListChange(0, 1, nullptr, &changed);
    QueueJobIfRunning("QUEUED_FILLTREEVIEW");
}

void APP::DiffRecordLists(HASHLIST &a, HASHLIST &b, HASHLIST &out)
{
    LISTCHANGE::DiffRecordLists(a, b, out);
}

void APP::UpdateItemsAfterListChange(int callersChanged, int targetsChanged, HASHLIST *callersDiff,
                                     HASHLIST *targetsDiff)
{
    if (callersChanged && !callersDiff) {
        LOGIT::Assert(0, "pcallersdiff", __FILE__, __LINE__, nullptr, 0);
        callersChanged = 0;
    }
    if (targetsChanged && !targetsDiff) {
        LOGIT::Assert(0, "ptargetsdiff", __FILE__, __LINE__, nullptr, 0);
        targetsChanged = 0;
    }
    if (!callersChanged && !targetsChanged)
        return;
    const LISTCHANGE::CALLERLOOKUP lookup = [this](const char *number, const char *canonical, HASH &caller,
                                                   STRING *position) {
        return FindPrimaryCaller(number, canonical, caller, position);
    };
    ITEMVIEW *views[2] = {&ItemView, &ArchiveView};
    for (ITEMVIEW *view : views) {
        // The items lock first, then the lists' (as on the new-call road).
        HASHLIST &items = view->LockItems();
        const std::vector<int> changed = LISTCHANGE::RefreshItems(items, callersChanged ? callersDiff : nullptr,
                                                                  targetsChanged ? targetsDiff : nullptr, lookup,
                                                                  Targets);
        for (int idx : changed)
            view->ItemToListview(idx, 0, 0, 0, 0, ITEMVIEW::FILTER_SETTING, ITEMVIEW::FILTER_SETTING);
        view->UnlockItems();
        LOGIT::Printf("APP::UpdateItemsAfterListChange %d item(s) of list %d redrawn\n",
                      static_cast<int>(changed.size()), view->ControlId);
    }
}

int APP::SaveServerOneTarget(HASH &target, int treeUpdate)
{
    HASH params;
    params["Target"] = target.ToString();
    params["TreeUpdate"] = STRING(treeUpdate);
    STRING result;
    if (!DispatchFunction(PLXPEER::SERVER, PLXCMD::SAVEONETARGET, params, result, 1, -1)) {
        ReportCommError("DispatchFunction SAVEONETARGET failed", "COMM", "NETWORK");
        return 0;
    }
    return SameText(result, PLXRESULT::OK) ? 1 : 0;
}

int APP::FindServerCaller(const char *number, HASH &caller)
{
    LOGIT::Printf("APP::FindServerCaller %s\n", number ? number : "<NULL>");
    HASH params;
    params["From"] = number ? number : "";
    STRING result;
    int found = 0;
    if (!DispatchFunction(PLXPEER::SERVER, PLXCMD::FINDCALLER, params, result, 1, -1)) {
        ReportCommError("DispatchFunction FINDCALLER failed", "COMM", "NETWORK");
    } else if (!SameText(result, PLXRESULT::FAIL)) {
        caller = HASH(result);
        found = 1;
    }
    LOGIT::Printf("APP::FindServerCaller done found=%d\n", found);
    return found;
}

void APP::AddServerCaller(HASH &caller)
{
    HASH params;
    params["Caller"] = caller.ToString();
    STRING result;
    if (!DispatchFunction(PLXPEER::SERVER, PLXCMD::ADDCALLER, params, result, 0, -1))
        ReportCommError("DispatchFunction ADDCALLER failed", "COMM", "NETWORK");
}

void APP::PostToWindow(UINT message, WPARAM wParam, const STRING &text)
{
    STRING *copy = new STRING(text);
    if (!hWnd || !PostMessageA(hWnd, message, wParam, reinterpret_cast<LPARAM>(copy))) {
        LOGIT::Printf("APP::PostToWindow message %u not posted: %lu\n", message, GetLastError());
        delete copy;
    }
}

int APP::HandlePushedMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kMsgChannelStatus && message != kMsgStatusText)
        return 0;
    STRING *text = reinterpret_cast<STRING *>(lParam);
    if (message == kMsgChannelStatus) {
        ShowChannelStatus(text ? static_cast<const char *>(*text) : "");
    } else if (StatusBar) {
        StatusBar->SetText(0, text ? static_cast<const char *>(*text) : "");
        SetTimer(kStatusTimer, static_cast<UINT>(wParam));
    }
    delete text;
    return 1;
}

void APP::ShowChannelStatus(const char *text)
{
    if (!StatusBar)
        return;
    const CHANNELSTATUS status(text);
    const int channels = status.Channels();
    LOGIT::Printf("APP::ShowChannelStatus %s, %d channel(s)\n", text ? text : "<NULL>", channels);
    if (channels == 0) {
        StatusBar->Reset();
        return;
    }
    if (StatusBar->GetPartCount() != channels + 1) {
        int widths[CHANNELSTATUS::MAXCHANNELS + 1];
        status.PartWidths(ScaleByDpi(kChannelPartWidth, hWnd), ScaleByDpi(kLastChannelPartWidth, hWnd), widths);
        StatusBar->SetParts(channels + 1, widths);
    }
    for (int i = 1; i <= channels; ++i) {
        StatusBar->SetIcon(CHANNELSTATUS::ICONBASE + status.State(i), i);
        STRING part("Ch");
        part += STRING(i);
        StatusBar->SetText(i, part);
    }
}

void APP::FadeMusicForChannels(const char *text)
{
    const bool busy = CHANNELSTATUS(text).Busy();
    // One fade at a time: two reports never fade twice.
    ITunesLock.Obtain(-1);
    if (!ITunesFaded && busy) {
        ITUNES player;
        if (player.ConnectToITunes()) {
            int previous = ITunesVolume;
            if (player.MuteITunesVolume(0, gITunesLevel, previous)) {
                ITunesVolume = previous;
                ITunesFaded = 1;
            }
            player.DisconnectFromITunes();
        }
    } else if (ITunesFaded && !busy) {
        ITUNES player;
        if (player.ConnectToITunes()) {
            player.RestoreITunesVolume(0, ITunesVolume);
            player.DisconnectFromITunes();
        }
        ITunesFaded = 0;
    }
    LOGIT::Printf("APP::FadeMusicForChannels busy=%d, faded=%d, volume=%d\n", busy ? 1 : 0, ITunesFaded,
                  ITunesVolume);
    ITunesLock.Release();
}
