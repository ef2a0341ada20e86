// APP: the application object, its main window and the remote command dispatch (see app.h).
#include <windows.h>

#include "client/app.h"
#include "client/applisthost.h"
#include "client/listupdate.h"

#include <tapi.h>

#include <vector>

#include "client/callhelpers.h"
#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "client/comminterface.h"
#include "client/dispatchroute.h"
#include "client/smsdialogtable.h"
#include "client/titletext.h"
#include "common/broadcastline.h"
#include "common/commandnames.h"
#include "common/dtmftones.h"
#include "common/findbestmatchnumber.h"
#include "common/phonenumber.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysprogram.h"
#include "kestar/base/osyspath.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/osysthread.h"
#include "kestar/base/winorvak.h"
#include "kestar/devices/mapiclass.h"
#include "kestar/media/sound.h"
#include "kestar/media/soundblaster.h"
#include "kestar/windowing/remembermsgbox.h"
#include "kestar/windowing/semitooltip.h"
#include "kestar/windowing/statusbar.h"
#include "kestar/windowing/taskbaricon.h"
#include "lang/resource_ids.h"

namespace {

const char *Text(const STRING &s)
{
    return s.IsNull() ? "<NULL>" : static_cast<const char *>(s);
}

// A parameter's value; empty when the record lacks it (the record is never extended).
STRING Param(HASH &params, const char *name)
{
    STRING *value = nullptr;
    return params.Exists(name, &value) && value ? *value : STRING("");
}

// Whole texts equal, ignoring the case of ASCII letters (answer words such as "<locked>").
bool SameText(STRING a, const char *b)
{
    STRING other(b ? b : "");
    a.ToUpper();
    other.ToUpper();
    return a == other;
}

const int kStatusBarId = 2004;
const int kTrayIconNotLoggedOn = 2093;
const int kClassIconId = 2000;
const int kItemViewId = 2002;
const int kArchiveViewId = 2003;

// The logon thread of the constructor.
unsigned LogonThread(void *argument)
{
    OSYS::InitThreadCrashHandler();
    static_cast<APP *>(argument)->LogonToServer(1);
    return 0;
}

long WindowsMakeCall(const char *destination, const char *appName, const char *calledParty, const char *comment)
{
    return tapiRequestMakeCallA(destination, appName, calledParty, comment);
}

} // namespace

APP::MAKECALLFUNCTION APP::MakeCall = WindowsMakeCall;

APP::APP(int startMinimized)
    : WINDOW(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, OSYS::GetStringFromResource(IDS_APPTITLE),
             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, kClassIconId, 0, gMainWindowClass),
      WorkDir(nullptr, "Orvak", nullptr), StatusBar(nullptr), Comm(nullptr), TrayIcon(nullptr),
      TrayIconId(kTrayIconNotLoggedOn), ItemView(this, this, kItemViewId), ArchiveView(this, this, kArchiveViewId),
      Mapi(nullptr), ListHost(nullptr), ListUpdate(nullptr), Popup(nullptr), hFillArchiveLvThread(nullptr)
{
    LOGIT::Printf("APP::APP() entered\n");
    WindowThread = OSYS::GetCurrentThreadId();
    LogonLock.WindowThreadId = WindowThread;
    // Before the link: the server may push updates as soon as the listeners run.
    ListHost = new APPLISTHOST(*this);
    ListUpdate = new LISTUPDATE(*ListHost, ItemView, ArchiveView, Targets);

    // The work-folder decision is final: the folder of the start values served only until now.
    STRING previous;
    WorkDir.GetWorkDir(hWnd, 0, gWorkDir, previous, OSYS::SYSPATH_APPDATA);
    LOGIT::Printf("APP::APP work folder %s\n", Text(gWorkDir));

    STRING ini(gWorkDir);
    ini += "\\parlomatix.ini";
    {
        CRITSECTHOLD hold(SettingsLock);
        if (!Settings.Load(ini))
            LOGIT::Printf("APP::APP no settings in %s\n", Text(ini));
        if (!Settings.Exists("NetworkPrimaryServer"))
            Settings["NetworkPrimaryServer"] = "";
    }

    StatusBar = new STATUSBAR(hWnd, kStatusBarId);
    StatusBar->Resize();

    COMMINTERFACE *comm = new COMMINTERFACE(this, "6666", gOwnPort);
    Comm = comm;
    // Asked for the system's choice (tests): the port that the listeners got is the own port.
    if (gOwnPort == "0")
        gOwnPort = comm->GetOurPort();
    LOGIT::Printf("APP::APP listening on port %s\n", Text(gOwnPort));
    comm->MakeNetworkAndDevice();

    TrayTooltip = OSYS::GetStringFromResource(IDS_TRAYTIP);
    TrayIcon = new TASKBARICON(hWnd, TrayIconId, TrayTooltip);

    SetTitle();
    if (startMinimized) {
        ShowWindow(hWnd, SW_SHOWMINNOACTIVE);
    } else {
        Show(true);
        UpdateWindow(hWnd);
    }

    // The first logon runs on a thread of its own while this thread goes on dispatching, so the
    // window answers meanwhile and the logon's boxes and dialogs can be shown.
    if (LogonAtStart) {
        void *thread = OSYS::CreateThread(&LogonThread, this);
        if (thread) {
            WinWaitForSingleObject(static_cast<HANDLE>(thread), -1);
            OSYS::WaitThread(thread, -1);
        } else {
            LOGIT::Printf("APP::APP cannot start the logon thread\n");
        }
    }
    StartPingThread();
    Constructing = 0;
    LOGIT::Printf("APP::APP() done\n");
}

APP::~APP()
{
    Cleanup();
}

void APP::Cleanup()
{
    if (CleaningUp.exchange(1))
        return;
    LOGIT::Printf("APP::Cleanup\n");
    // The worker first: it calls the server and shows boxes over the window.  Queued jobs that
    // it has not taken yet are not run.
    EndPingThread();
    // The archive thread calls the server and sends to the window: it ends first.
    StopFillArchiveListview();
    if (ScrollLockBlinks.exchange(0)) {
        KillTimer(2);
        SetScrollLockLight(0);
    }
    if (LoggedOn)
        LogoutFromServer(0);
    // The link next: no remote call may reach the object while its parts go.  Calls that start
    // meanwhile find no link and fail; the running ones end before the link goes.
    delete Comm.exchange(nullptr);
    delete ListUpdate;
    ListUpdate = nullptr;
    delete ListHost;
    ListHost = nullptr;
    {
        CRITSECTHOLD hold(PopupLock);
        delete Popup;
        Popup = nullptr;
    }
    delete TrayIcon;
    TrayIcon = nullptr;
    delete StatusBar;
    StatusBar = nullptr;
    ActiveClients.DeleteAll();
    DeleteTempFiles();
    MapiLock.Obtain();
    delete Mapi;
    Mapi = nullptr;
    MapiLock.Release();
    LOGIT::Printf("APP::Cleanup done\n");
}

void APP::SetTitle()
{
    LOGIT::Printf("APP::SetTitle\n");
    const STRING server = GetLoggedOnServer();
    const STRING title = TITLETEXT::Make(OSYS::GetStringFromResource(IDS_APPTITLE), ClientVersionText(), server,
                                         OSYS::GetStringFromResource(IDS_TITLE_NOSERVER), gITunesControl != 0,
                                         ArchiveViewActive ? static_cast<const char *>(OSYS::GetStringFromResource(IDS_TITLE_ARCHIVE)) : "");
    // Another thread (a logon) only asks: sending to the window thread could wait for ever while
    // that thread waits for the other one.
    if (OSYS::GetCurrentThreadId() != WindowThread) {
        PostMessageA(hWnd, WM__REFRESHTITLE, 0, 0);
        return;
    }
    SetText(title);
    LOGIT::Printf("APP::SetTitle set to %s\n", Text(title));
}

STRING APP::GetSetting(const char *name)
{
    CRITSECTHOLD hold(SettingsLock);
    return Param(Settings, name);
}

void APP::SetSetting(const char *name, const char *value)
{
    CRITSECTHOLD hold(SettingsLock);
    Settings[name] = value ? value : "";
}

STRING APP::GetLoggedOnServer()
{
    CRITSECTHOLD hold(ServerLock);
    return LoggedOnServer.NotEmpty() ? LoggedOnServer : STRING("");
}

void APP::SetLoggedOnServer(const char *name, const char *port, const char *address)
{
    CRITSECTHOLD hold(ServerLock);
    LoggedOnServer = name ? name : "";
    ServerPort = port ? port : "";
    LoggedOnAddress = address ? address : "";
}

LRESULT APP::OnSized()
{
    ArrangeControls();
    return 0;
}

LRESULT APP::WinProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_POWERBROADCAST) {
        PowerBroadcast(wParam);
        return TRUE;
    }
    if (HandleListMessage(message, wParam, lParam))
        return 0;
    return WINDOW::WinProc(message, wParam, lParam);
}

LRESULT APP::OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HandleSessionMessage(message, wParam, lParam))
        return 1;
    return HandlePushedMessage(message, wParam, lParam);
}

LRESULT APP::OnTimer(UINT_PTR timer)
{
    if (HandleListTimer(timer))
        return 1;
    return HandleSessionTimer(timer);
}

LRESULT APP::OnCommand(int command)
{
    if (command == IDM_CONNECT) {
        ConnectDialog();
        return 1;
    }
    return 0;
}

LRESULT APP::OnDestroy()
{
    // The main window gone ends the message loop (twice is harmless).
    PostQuitMessage(0);
    return 0;
}

int APP::DispatchFunction(const char *peer, const char *command, HASH &params, STRING &result, int sync, int waitMs)
{
    LOGIT::Printf("APP::DispatchFunction peer=%s, cmd=%s\n", peer ? peer : "<NULL>", command ? command : "<NULL>");
    STRING sender = OSYS::GetUserName();
    sender += "@";
    sender += OSYS::GetStationName();
    HASH out = DISPATCHROUTE::WithSenderKeys(params, sender, gOwnPort, ClientVersionText(), sync != 0);
    result = "";
    int ok = 0;
    STRING address;
    switch (DISPATCHROUTE::Route(STRING(peer ? peer : ""), GetSetting("NetworkPrimaryServer"), ActiveClients, address)) {
    case DISPATCHROUTE::CLIENTS:
        // Only a server talks to all clients at once.
        LOGIT::Assert(0, "NETWORK_SERVER", __FILE__, __LINE__, command, 0);
        if (sync)
            LOGIT::Assert(0, "!sync", __FILE__, __LINE__, command, 0);
        break;
    case DISPATCHROUTE::LOCAL: {
        STRING cmd(command ? command : "");
        result = HandleFunction(cmd, out, "<LOCAL>");
        ok = 1;
        break;
    }
    case DISPATCHROUTE::SKIP_ABSENT:
        LOGIT::Printf("APP::DispatchFunction skipped because client is no longer logged in\n");
        ok = 1;
        break;
    case DISPATCHROUTE::SKIP_PASSIVE:
        LOGIT::Printf("APP::DispatchFunction skipped because PassiveMode=1\n");
        ok = 1;
        break;
    case DISPATCHROUTE::SKIP_NOPEERID:
        LOGIT::Printf("APP::DispatchFunction skipped because the client has no PeerId\n");
        ok = 1;
        break;
    case DISPATCHROUTE::NOPEER:
        break;
    case DISPATCHROUTE::SEND: {
        COMMINTERFACE *comm = Comm;
        ok = comm ? comm->CallRemoteFunction(address, command, out, result, sync, waitMs) : 0;
        break;
    }
    }
    LOGIT::Printf("APP::DispatchFunction done ok=%d, result=%s\n", ok, Text(result.Left(80)));
    return ok;
}

STRING APP::DispatchFunctionResult(const char *peer, const char *command, HASH &params, int sync, int waitMs)
{
    STRING result;
    if (DispatchFunction(peer, command, params, result, sync, waitMs))
        return result;
    return STRING("");
}

STRING APP::HandleFunction(STRING &command, HASH &params, const char *peerId)
{
    STRING result(PLXRESULT::NONE);
    LOGIT::Printf("APP::HandleFunction cmd=%s, peer=%s\n", Text(command), peerId ? peerId : "<NULL>");
    if (!HandleClientFunction(command, params, result)) {
        LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, Text(command), 0);
        result = PLXRESULT::NONE;
    }
    LOGIT::Printf("APP::HandleFunction done result=%s\n", Text(result.Left(80)));
    return result;
}

int APP::HandleClientFunction(STRING &command, HASH &params, STRING &result)
{
    if (HandlePushedState(command, params, result))
        return 1;
    if (HandleSessionCommand(command, params, result))
        return 1;
    if (command == PLXCMD::CHECKCONNECTIVITY) {
        result = PLXRESULT::OK;
        return 1;
    }
    if (command == PLXCMD::PING) {
        // The server asks whether this client still counts it as its server.
        result = GetLoggedOnServer().NotEmpty() ? PLXRESULT::OK : PLXRESULT::NOK;
        return 1;
    }
    if (command == PLXCMD::SERVERCALLERSCHANGED)
        return 1;
    if (command == PLXCMD::UPDATELISTVIEW) {
        // The command has no result: it stays "<NULL>".
        if (ListUpdate)
            ListUpdate->Handle(params);
        return 1;
    }
    if (command == PLXCMD::SMSDIALOGCALLBACK) {
        SMSDIALOGTABLE::Get().Deliver(Param(params, "This"), Param(params, "JobId"), Param(params, "Info"),
                                      Param(params, "AppData"));
        return 1;
    }
    return 0;
}

int APP::HandleBroadcast(int number, const STRING &sender, const STRING &payload)
{
    HASH params;
    const STRING command = BROADCASTLINE::Split(payload, sender, params);
    LOGIT::Printf("APP::HandleBroadcast %d from %s: cmd=%s, Parm1=%s, Parm2=%s\n", number, Text(sender),
                  Text(command), Text(Param(params, "@Parm1")), Text(Param(params, "@Parm2")));
    const bool fromServer = DISPATCHROUTE::IsFromServer(sender, GetSetting("NetworkPrimaryServer"));
    if (fromServer && (command == PLXCMD::STARTSERVER || command == PLXCMD::STOPSERVER)) {
        STRING result;
        DispatchFunction(PLXPEER::LOCAL, command, params, result, 1, -1);
    } else {
        LOGIT::Printf("APP::HandleBroadcast not acted on\n");
    }
    return 0;
}

int APP::DispatchBroadcast(const char *line)
{
    LOGIT::Printf("APP::DispatchBroadcast %s\n", line ? line : "<NULL>");
    COMMINTERFACE *comm = Comm;
    return comm ? comm->BroadcastString(line, "*") : 0;
}

void APP::ReportCommError(const char *text, const char *category1, const char *category2)
{
    // The categories are not used.
    (void)category1;
    (void)category2;
    LOGIT::Assert(0, "FALSE", "..\\common\\misccommon", 895, text, 1);
}

int APP::CallPhoneNumber(const char *number, const char *name)
{
    STRING full = GetSetting("LocalOutsideLine");
    full += number ? number : "";
    const int mode = static_cast<int>(GetSetting("DoubleClickCallback"));
    const STRING title = OSYS::GetStringFromResource(IDS_APPTITLE);

    if (mode == 1) {
        LOGIT::Printf("APP::CallPhoneNumber TAPI Make call to %s\n", Text(full));
        const long result = MakeCall(full, title, name ? name : "", "");
        if (result != 0)
            LOGIT::Printf("APP::CallPhoneNumber tapiRequestMakeCall failed: %ld\n", result);
        return result == 0 ? 1 : 0;
    }
    if (mode == 2) {
        LOGIT::Printf("APP::CallPhoneNumber DTMF Melody call to %s\n", Text(full));
        // The box is modal: it works on a copy of its state key so that no other thread waits
        // for the settings lock meanwhile; the state goes back afterwards.
        const char *const stateKey = "DontShowAgainDtmfCallback";
        HASH state;
        {
            CRITSECTHOLD hold(SettingsLock);
            STRING *value = nullptr;
            if (Settings.Exists(stateKey, &value) && value)
                state[stateKey] = *value;
        }
        WINORVAK::InfoOnceMsgBox(nullptr, title, OSYS::GetStringFromResource(IDS_DTMF_HINT), state, stateKey);
        if (state.Exists(stateKey))
            SetSetting(stateKey, state[stateKey]);
        Sleep(static_cast<DWORD>(CLIENTTIMING::Get(CLIENTTIMING::DTMFHINT)));
        return PlayDtmfNumber(full);
    }
    const STRING program = GetSetting("CallbackSpecialProgram");
    if (mode == 3 && program.NotEmpty()) {
        LOGIT::Printf("APP::CallPhoneNumber external program call to %s\n", Text(full));
        STRING line(program);
        STRING parameters(full);
        if (line.Find("$number") || line.Find("$nummer")) {
            line.Replace("$number", full);
            line.Replace("$nummer", full);
            parameters = "";
        }
        return OSYS::StartProgram(line, parameters, nullptr, title, 0, nullptr, nullptr) ? 1 : 0;
    }
    return 0;
}

int APP::PlayDtmfNumber(const char *text)
{
    const std::vector<int16_t> samples = DTMFTONES::Make(text);
    SoundBlaster device;
    if (!device.PlayStart(DTMFTONES::kSampleRate, nullptr, nullptr, SoundBlaster::kDefaultDevice)) {
        LOGIT::Printf("APP::PlayDtmfNumber no wave output at %d Hz\n", DTMFTONES::kSampleRate);
        return 0;
    }
    SOUND *sound = SOUND::Create("SOUND WAV16:8000");
    if (sound) {
        sound->Data.Append(samples.data(), static_cast<STRING_SIZE_T>(samples.size() * sizeof(int16_t)));
        device.PlayData(*sound, 0, true);
        delete sound;
    }
    device.PlayStop();
    return 1;
}

STRING APP::ExtractPhoneNumber(const char *text)
{
    return PHONENUMBER::Extract(text);
}

int APP::FindBestMatchNumberIdx(HASHLIST &list, const char *number, const char *canonical, STRING *keyPosition)
{
    return CALLHELPERS::BestMatchIdx(list, number, canonical, keyPosition);
}

void APP::ItemDelete(const char *itemId)
{
    HASH params;
    params["ItemID"] = itemId;
    DispatchFunctionResult(PLXPEER::SERVER, PLXCMD::ITEMDELETE, params, 0, -1);
}

void APP::ItemArchive(const char *itemId, const char *state)
{
    HASH params;
    params["ItemID"] = itemId;
    params["State"] = state;
    DispatchFunctionResult(PLXPEER::SERVER, PLXCMD::ITEMARCHIVE, params, 0, -1);
}

void APP::ItemComment(const char *itemId, const char *comment)
{
    HASH params;
    params["ItemID"] = itemId;
    params["Comment"] = comment;
    DispatchFunctionResult(PLXPEER::SERVER, PLXCMD::ITEMCOMMENT, params, 0, -1);
}

void APP::ItemSeen(const char *itemId, int seen)
{
    HASH params;
    params["ItemID"] = itemId;
    params["Seen"] = STRING(seen);
    DispatchFunctionResult(PLXPEER::SERVER, PLXCMD::ITEMSEEN, params, 0, -1);
}

int APP::LockServerAction(const char *action, STRING *holder)
{
    LOGIT::Printf("APP::LockServerAction action=%s entered\n", action ? action : "<NULL>");
    HASH params;
    params["Action"] = action;
    STRING result;
    int rc = 0;
    if (!DispatchFunction(PLXPEER::SERVER, PLXCMD::ACTIONLOCK, params, result, 1, -1)) {
        ReportCommError("DispatchFunction ACTIONLOCK failed", "COMM", "NETWORK");
    } else {
        const STRING first = result.GetLine(0);
        if (SameText(first, PLXRESULT::OK)) {
            rc = 1;
        } else if (SameText(first, PLXRESULT::LOCKED)) {
            if (holder)
                *holder = result.GetLine(1);
        }
    }
    LOGIT::Printf("APP::LockServerAction action=%s returns %d\n", action ? action : "<NULL>", rc);
    return rc;
}

int APP::UnlockServerAction(const char *action)
{
    LOGIT::Printf("APP::UnlockServerAction action=%s entered\n", action ? action : "<NULL>");
    HASH params;
    params["Action"] = action;
    STRING result;
    int rc = 0;
    if (!DispatchFunction(PLXPEER::SERVER, PLXCMD::ACTIONUNLOCK, params, result, 1, -1))
        ReportCommError("DispatchFunction ACTIONUNLOCK failed", "COMM", "NETWORK");
    else
        rc = SameText(result.GetLine(0), PLXRESULT::OK) ? 1 : 0;
    LOGIT::Printf("APP::UnlockServerAction action=%s returns %d\n", action ? action : "<NULL>", rc);
    return rc;
}

STRING APP::PeerMsgFile(HASH &item, const char *msgFile)
{
    LOGIT::Printf("APP::PeerMsgFile %s\n", msgFile ? msgFile : "<NULL>");
    STRING path("");
    // Only paths relative to the server's folders are asked for.
    if (!msgFile || msgFile[0] != '.') {
        LOGIT::Assert(0, "msgfile[0]=='.'", "miscclient", 962, msgFile, 0);
    } else {
        HASH params;
        params["Filename"] = msgFile;
        params["ItemID"] = STRING(static_cast<unsigned long>(item.Handle));
        STRING result;
        const int ok = DispatchFunction(PLXPEER::SERVER, PLXCMD::GETMESSAGEFILE, params, result, 1, -1);
        if (!ok)
            ReportCommError("DispatchFunction GETMESSAGEFILE failed", "COMM", "NETWORK");
        if (ok && result.Length() > 6 && SameText(result.Left(6), "<file=") && result[result.Length() - 1] == '>')
            path = result.Mid(6, result.Length() - 7);
    }
    if (path.IsEmpty() && msgFile && msgFile[0] == '.' && !PoweredDown) {
        const STRING title = OSYS::GetStringFromResource(IDS_APPNAME);
        WINORVAK::ErrorMsgBox(hWnd, title, OSYS::GetStringFromResource(IDS_MSGFILE_FAILED));
    }
    LOGIT::Printf("APP::PeerMsgFile returns %s\n", Text(path));
    return path;
}

void APP::GetServerActiveClients()
{
    ActiveClients.Lock();
    ActiveClients.DeleteAll();
    LOGIT::Printf("APP::GetServerActiveClients\n");
    HASH params;
    STRING result;
    if (DispatchFunction(PLXPEER::SERVER, PLXCMD::GETACTIVECLIENTS, params, result, 1, -1)) {
        if (SameText(result.GetLine(0), PLXRESULT::OK) && !SameText(result.GetLine(1), PLXRESULT::NONE)) {
            HASHLIST list(result.GetLine(1, true));
            for (int i = 0; i < list.NumItems(); ++i)
                ActiveClients.AddItem(*list[i]);
        }
    } else {
        ReportCommError("DispatchFunction GETACTIVECLIENTS failed", "COMM", "NETWORK");
    }
    for (int i = 0; i < ActiveClients.NumItems(); ++i)
        CLIENTS::Prepare(*ActiveClients[i], ActiveClients.NewHandle());
    ActiveClients.Unlock();
}

void APP::GetFilteredCallers(CALLERS &out, const char *key, int local, int server, int mapi)
{
    LOGIT::Printf("APP::GetFilteredCallers entered\n");
    out.Lock();
    if (local) {
        Callers.Lock();
        out.AddItems(Callers);
        Callers.Unlock();
    }
    if (server) {
        HASH params;
        STRING result;
        // A failure leaves the server's part out, silently.
        if (DispatchFunction(PLXPEER::SERVER, PLXCMD::GETCALLERS, params, result, 1,
                             CLIENTTIMING::Get(CLIENTTIMING::CALLERS)) &&
            SameText(result.GetLine(0), PLXRESULT::OK) && !SameText(result.GetLine(1), PLXRESULT::NONE)) {
            HASHLIST list(result.GetLine(1, true));
            for (int i = 0; i < list.NumItems(); ++i)
                out.AddItem(*list[i]);
        }
    }
    if (mapi && static_cast<int>(GetSetting("MapiCallerSearch")) != 0 &&
        static_cast<int>(GetSetting("MapiInAddressBooks")) != 0) {
        HASHLIST books(GetSetting("MapiAddressBooks"));
        MAPICLASS mapiClass(1);
        if (mapiClass.IsUpAndRunning()) {
            mapiClass.QueryAllAddressBooks(0);
            LOGIT::Printf("APP::GetFilteredCallers before GetSelAdrBookEntries\n");
            for (int i = 0; i < books.NumItems() && i < mapiClass.GetNumAddressBooks(); ++i) {
                STRING *active = nullptr;
                if (books[i]->Exists("Active", &active) && static_cast<int>(*active) != 0)
                    mapiClass.GetSelAdrBookEntries(i, out);
            }
            LOGIT::Printf("APP::GetFilteredCallers after GetSelAdrBookEntries\n");
        }
    }
    if (key && *key) {
        for (int i = out.NumItems() - 1; i >= 0; --i) {
            STRING *value = nullptr;
            if (!out[i]->Exists(key, &value) || value->IsEmpty())
                out.DeleteItem(i);
        }
    }
    for (int i = 0; i < out.NumItems(); ++i)
        CALLERS::Prepare(*out[i]);
    out.Unlock();
    LOGIT::Printf("APP::GetFilteredCallers finished\n");
}

STRING APP::PeerLastId(const char *peer)
{
    STRING name("NetworkClientLastId.");
    name += peer ? peer : "";
    STRING value;
    {
        CRITSECTHOLD hold(SettingsLock);
        const int locked = Settings.AllowNewKeys(1);
        STRING &stored = Settings[name];
        if (stored.IsEmpty())
            stored = "0";
        value = stored;
        Settings.AllowNewKeys(!locked);
    }
    LOGIT::Printf("APP::PeerLastId for sender=%s returned %s\n", peer ? peer : "<NULL>", Text(value));
    return value;
}

void APP::SetPeerLastId(const char *peer, const char *id)
{
    STRING name("NetworkClientLastId.");
    name += peer ? peer : "";
    CRITSECTHOLD hold(SettingsLock);
    const int locked = Settings.AllowNewKeys(1);
    Settings[name] = id;
    Settings.AllowNewKeys(!locked);
}

void APP::GetBrokenSounds(STRINGARRAY &out, int callers, int targets)
{
    out.DeleteAll();
    HASHLIST *lists[2] = {callers ? static_cast<HASHLIST *>(&Callers) : nullptr,
                          targets ? static_cast<HASHLIST *>(&Targets) : nullptr};
    for (HASHLIST *list : lists) {
        if (!list)
            continue;
        list->Lock();
        for (int i = 0; i < list->NumItems(); ++i) {
            HASH *record = (*list)[i];
            STRING *sound = nullptr;
            if (!record->Exists("Sound", &sound) || sound->IsEmpty())
                continue;
            SOUND *loaded = SOUND::LoadWaveFile(*sound);
            if (loaded) {
                delete loaded;
                continue;
            }
            STRING *name = nullptr;
            STRING entry(*sound);
            entry += "|";
            if (record->Exists("Name", &name) && name->NotEmpty())
                entry += *name;
            out.AddItem(entry);
        }
        list->Unlock();
    }
}

void APP::AlertBrokenFiles(STRINGARRAY &files)
{
    const STRING title = OSYS::GetStringFromResource(IDS_APPTITLE);
    for (int i = 0; i < files.NumItems(); ++i) {
        const STRING &entry = *files[i];
        if (entry.IsEmpty())
            continue;
        STRING text = OSYS::GetStringFromResource(IDS_BROKENFILE);
        STRING_SIZE_T bar = entry.PosChar('|');
        const STRING file = bar < 0 ? entry : entry.Left(bar);
        const STRING name = bar < 0 ? STRING("") : entry.Mid(bar + 1, entry.Length() - bar - 1);
        text.Replace("$FILE", file, 1);
        text.Replace("$NAME", name, 1);
        WINORVAK::ErrorMsgBox(hWnd, title, text);
    }
}
