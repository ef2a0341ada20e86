// APP: the session with the phone server: logon, logout, the connectivity check and the server's
// commands that log this client on and off.  The decisions that need no window are LOGONRULES'.
//
// Threads: a logon runs on the logon thread at start, on the worker thread or on a NETPROC call
// thread; the process-wide inside-logon flag lets only one run at a time (a second returns at
// once).  The logon lock serialises the "LOGIN" exchange against a logout; it is never held
// beyond that exchange, so a logout on another thread always gets it.
#include <windows.h>

#include "client/app.h"

#include <algorithm>
#include <unordered_set>

#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "client/comminterface.h"
#include "client/logonrules.h"
#include "client/providerfile.h"
#include "common/broadcastline.h"
#include "common/commandnames.h"
#include "common/sms.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysenv.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/osysthread.h"
#include "kestar/base/winorvak.h"
#include "kestar/windowing/datadialogbox.h"
#include "kestar/windowing/datadialogentry.h"
#include "kestar/windowing/md5.h"
#include "kestar/windowing/statusbar.h"
#include "kestar/windowing/taskbaricon.h"
#include "lang/resource_ids.h"

namespace {

// Set while a logon runs, in the whole process.
std::atomic<int> gInsideLogon{0};

const int kStatusTimer = 4;
const int kTrayOnline = 2090;
const int kTrayOffline = 2093;
const int kPasswordLimit = 128;
// The pause while the server starts is slept in slices, so that the clean-up is not kept waiting.
const int kPauseSlice = 50;

const char *Text(const STRING &s)
{
    return s.IsNull() ? "<NULL>" : static_cast<const char *>(s);
}

STRING Param(HASH &params, const char *name)
{
    STRING *value = nullptr;
    return params.Exists(name, &value) && value && !value->IsNull() ? *value : STRING("");
}

bool SameText(STRING a, const char *b)
{
    STRING other(b ? b : "");
    a.ToUpper();
    other.ToUpper();
    return a == other;
}

STRING Resource(int id)
{
    return OSYS::GetStringFromResource(id);
}

// Asks for the password in dialog 2058.  1 with the typed text when confirmed with a non-empty
// entry; 0 for cancel and for an empty entry.
int AskPassword(HWND owner, STRING &typed)
{
    STRING entry("");
    DATADIALOGBOX box(IDD_PASSWORD, owner);
    box.AddItem(new DATADIALOGENTRY(IDC_PASSWORD_EDIT, entry, kPasswordLimit));
    const int result = box.DoModal();
    if (result != 1 || entry.IsEmpty())
        return 0;
    typed = entry;
    return 1;
}

} // namespace

std::atomic<int> APP::LogonAtStart{1};

STRING APP::Who()
{
    STRING who = OSYS::GetUserName();
    who += "@";
    who += OSYS::GetStationName();
    return who;
}

void APP::SetStatusText(const char *text, bool clearLater)
{
    // Other threads post the text: the window thread may be waiting for them.
    if (OSYS::GetCurrentThreadId() != WindowThread) {
        STRING *copy = text ? new STRING(text) : nullptr;
        if (!PostMessageA(hWnd, WM__SETSTATUSTEXT, clearLater ? 1 : 0, reinterpret_cast<LPARAM>(copy)))
            delete copy;
        return;
    }
    if (StatusBar && text)
        StatusBar->SetText(0, text);
    if (clearLater)
        SetTimer(kStatusTimer, static_cast<UINT>(CLIENTTIMING::Get(CLIENTTIMING::STATUSCLEAR)));
}

int APP::HandleSessionMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM__SETSTATUSTEXT) {
        STRING *text = reinterpret_cast<STRING *>(lParam);
        SetStatusText(text ? static_cast<const char *>(*text) : nullptr, wParam != 0);
        delete text;
        return 1;
    }
    if (message == WM__REFRESHTITLE) {
        SetTitle();
        return 1;
    }
    return 0;
}

void APP::ShowStatus(int textId, const char *name, bool clearLater)
{
    STRING text = Resource(textId);
    text.Replace("$NAME", name ? name : "");
    LOGIT::Printf("APP status: %s\n", Text(text));
    SetStatusText(text, clearLater);
}

void APP::SetTrayIcon(int iconId)
{
    TrayIconId = iconId;
    if (TrayIcon)
        TrayIcon->SetIcon(iconId);
}

int APP::HandleSessionTimer(UINT_PTR timer)
{
    if (timer != kStatusTimer)
        return 0;
    KillTimer(kStatusTimer);
    if (StatusBar)
        StatusBar->SetText(0, "");
    return 1;
}

void APP::RunIntroWizard()
{
    LOGIT::Printf("APP::RunIntroWizard\n");
}

void APP::DisableMenuItems()
{
    LOGIT::Printf("APP::DisableMenuItems\n");
}

void APP::ClearTreeview()
{
    LOGIT::Printf("APP::ClearTreeview\n");
}

void APP::CloseArchiveView()
{
    LOGIT::Printf("APP::CloseArchiveView closes the archive view and waits for it\n");
    ArchiveViewActive = 0;
}

void APP::ConnectDialog()
{
    LOGIT::Printf("APP::ConnectDialog the 'connect to' dialog\n");
}

void APP::AddQueuedFunction(const char *name)
{
    QueuedFunctions.Lock();
    QueuedFunctions.AddItem(STRING(name ? name : ""));
    QueuedFunctions.Unlock();
    LOGIT::Printf("APP queued %s\n", name ? name : "<NULL>");
}

int APP::LogonToServer(int checkConnectivity)
{
    LOGIT::Printf("APP::LogonToServer()\n");
    ++LogonRequests;
    if (PoweredDown) {
        LOGIT::Printf("APP::LogonToServer cancelled because PowerIsDown\n");
        return 0;
    }
    const int running = gInsideLogon.exchange(1);
    if (running) {
        LOGIT::Printf("APP::LogonToServer cancelled because InsideLogon=%d()\n", running);
        return 0;
    }
    if (LoggedOn)
        LogoutFromServer(0);

    int result = 0;
    const STRING server = GetSetting("NetworkPrimaryServer");
    if (server.IsEmpty()) {
        // A server that hears this answers with "WELCOME".
        ShowStatus(IDS_LOGON_NOSERVER, "", true);
        DispatchBroadcast(BROADCASTLINE::Make(PLXCMD::NEEDSERVER, Who(), gOwnPort));
    } else {
        result = LogonSteps(server, checkConnectivity);
    }

    if (!CleaningUp) {
        DisableMenuItems();
        SetTitle();
    }
    gInsideLogon = 0;
    LOGIT::Printf("APP::LogonToServer returns %d\n", result);
    return result;
}

int APP::LogonSteps(const STRING &server, int checkConnectivity)
{
    ShowStatus(IDS_LOGON_CONNECTING, server, false);
    const int reachable = checkConnectivity ? QueryIPConnectivity(server, 0) : 1;

    HASH answer;
    STRING password;
    const int loggedIn = LoginExchange(server, reachable, answer, password);
    if (loggedIn <= 0) {
        // -1: the server could not be reached; the status text and the dialog say so.
        if (loggedIn == 0)
            SetStatusText("", false);
        return 0;
    }

    // The take-over.
    const STRING serverName = Param(answer, "ServerName");
    SetLoggedOnServer(serverName, Param(answer, "ServerPort"), server);
    SetRights(HASH(Param(answer, "Permissions")));
    {
        CRITSECTHOLD hold(ServerLock);
        ServerDirectory = Param(answer, "ServerDirectory");
        StoredPassword = password;
    }
    if (LOGONRULES::IsLocalServer(serverName, OSYS::GetStationName()))
        gNetworkFlags |= NETWORK_LOCALCLIENT;
    else
        gNetworkFlags &= ~NETWORK_LOCALCLIENT;
    SetTitle();

    FetchServerFacts();

    if (static_cast<int>(Param(answer, "InitialServerLogin")) != 0)
        RunIntroWizard();
    ShowStatus(IDS_LOGON_LOADING, server, false);
    GetLocalCallers();
    GetLocalTargets();
    GetServerActiveClients();
    GetLocalRecentcalls(serverName, static_cast<int>(GetSetting("RememberMsglist")));
    FetchItems(serverName);

    AddQueuedFunction("QUEUED_FILLLISTVIEW");
    AddQueuedFunction("QUEUED_RENEWTREEVIEW");
    DisableMenuItems();
    SetTrayIcon(kTrayOnline);
    LoggedOn = 1;
    // The loading text goes a while after the lists are in.
    SetStatusText(nullptr, true);
    return 1;
}

int APP::LoginExchange(const STRING &server, int reachable, HASH &answer, STRING &password)
{
    HASH login;
    login["From"] = Who();
    login["Port"] = gOwnPort;
    login["Version"] = gVersion;
    login["SubVersion"] = gSubVersion;
    login["CommVersion"] = gCommVersion;
    login["Compiled"] = gCompiled;

    LogonLock.Obtain(-1);
    int result = 0;
    for (;;) {
        STRING text;
        if (reachable) {
            ShowStatus(IDS_LOGON_LOGGINGON, server, false);
            reachable = DispatchFunction(PLXPEER::SERVER, PLXCMD::LOGIN, login, text, 1, -1);
        }
        if (!reachable) {
            ShowStatus(IDS_LOGON_FAILED, server, false);
            SetTrayIcon(kTrayOffline);
            PostMessageA(hWnd, WM_COMMAND, IDM_CONNECT, 0);
            result = -1;
            break;
        }
        answer = HASH(text);
        STRING *version = nullptr;
        const int hasVersion = answer.Exists("CommVersion", &version);
        bool haveStored;
        {
            CRITSECTHOLD hold(ServerLock);
            haveStored = StoredPassword.NotEmpty();
        }
        const LOGONRULES::NEXT next = LOGONRULES::Answer(
            Param(answer, "Ok"), hasVersion && version ? static_cast<const char *>(*version) : nullptr, haveStored);
        LOGIT::Printf("APP::LogonToServer answer Ok=%s\n", Text(Param(answer, "Ok")));
        if (next == LOGONRULES::USE_STORED) {
            CRITSECTHOLD hold(ServerLock);
            login["Password"] = StoredPassword;
            StoredPassword = "";
            continue;
        }
        if (next == LOGONRULES::ASK_PASSWORD) {
            STRING typed;
            if (!AskPassword(hWnd, typed)) {
                LOGIT::Printf("APP::LogonToServer no password given\n");
                break;
            }
            login["Password"] = MD5(typed, typed.Length()).ToHex();
            continue;
        }
        if (next == LOGONRULES::WAIT_STARTING) {
            LOGIT::Printf("APP::LogonToServer server is starting, waiting\n");
            for (int waited = 0; waited < CLIENTTIMING::Get(CLIENTTIMING::STARTING) && !CleaningUp; waited += kPauseSlice)
                OSYS::Sleep(std::min(kPauseSlice, CLIENTTIMING::Get(CLIENTTIMING::STARTING) - waited));
            if (CleaningUp) {
                LOGIT::Printf("APP::LogonToServer given up: cleaning up\n");
                break;
            }
            continue;
        }
        if (next == LOGONRULES::CLIENT_NOT_FOUND || next == LOGONRULES::WRONG_VERSION) {
            if (!PoweredDown) {
                STRING message = Resource(next == LOGONRULES::CLIENT_NOT_FOUND ? IDS_LOGON_CLIENTNOTFOUND
                                                                               : IDS_LOGON_WRONGVERSION);
                message.Replace("$NAME", Param(login, "From"));
                WINORVAK::ErrorMsgBox(hWnd, Resource(IDS_APPNAME), message);
            }
            break;
        }
        if (next == LOGONRULES::SUCCESS) {
            password = Param(login, "Password");
            result = 1;
        }
        break;
    }
    LogonLock.Release();
    return result;
}

void APP::FetchServerFacts()
{
    HASH none;
    STRING result;
    if (DispatchFunction(PLXPEER::SERVER, PLXCMD::GETSRVHARDWARE, none, result, 1, -1)) {
        HASH hardware(result);
        IsdnBoardDetected = static_cast<int>(Param(hardware, "IsdnBoardDetected"));
        CanFax = static_cast<int>(Param(hardware, "CanFax"));
        CanFaxPoll = static_cast<int>(Param(hardware, "CanFaxPoll"));
        CanCallForwarding = static_cast<int>(Param(hardware, "CanCallForwarding"));
    } else {
        ReportCommError("DispatchFunction GETSRVHARDWARE failed", "COMM", "NETWORK");
    }

    HASH file;
    file["Filename"] = STRING(".\\") + PROVIDERFILE::Name;
    if (DispatchFunction(PLXPEER::SERVER, PLXCMD::GETSERVERFILE, file, result, 1, -1)) {
        STRING bytes;
        if (PROVIDERFILE::Decode(result, bytes)) {
            // A folder of its own: no other file of that name is touched.
            char temp[MAX_PATH] = "";
            STRING parent = OSYSENV::Get("TEMP", temp, sizeof temp) && temp[0] ? STRING(temp) : gWorkDir;
            const STRING folder = PROVIDERFILE::WriteInNewFolder(parent, bytes);
            if (folder.NotEmpty()) {
                LOGIT::Printf("APP::LogonToServer SMS providers in %s\n", Text(folder));
                // With force: a logon to another server does not keep the old table.
                SMS::LoadProviders(folder, 1);
                PROVIDERFILE::RemoveFolder(folder);
            }
        } else {
            LOGIT::Printf("APP::LogonToServer no SMS provider file: %s\n", Text(result.Left(40)));
            if (!PoweredDown)
                WINORVAK::ErrorMsgBox(hWnd, Resource(IDS_APPNAME), Resource(IDS_SMSPROVIDER_MISSING));
        }
    } else {
        ReportCommError("DispatchFunction GETSERVERFILE failed", "COMM", "NETWORK");
    }

    if (!TakeSmsSendOptions())
        ReportCommError("DispatchFunction GETSMSSENDOPTIONS failed", "COMM", "NETWORK");
}

int APP::TakeSmsSendOptions()
{
    HASH none;
    STRING result;
    if (!DispatchFunction(PLXPEER::SERVER, PLXCMD::GETSMSSENDOPTIONS, none, result, 1, -1))
        return 0;
    HASH options(result);
    // The table was loaded by the logon: no folder.
    const int selected = SMS::SelectGateway(static_cast<int>(Param(options, "SmsSendAttempts")),
                                            static_cast<int>(Param(options, "SmsSendPauseBetween")),
                                            static_cast<int>(Param(options, "SmsSendCheckMobile")),
                                            Param(options, "SmsSendGatewayNumber"), "");
    LOGIT::Printf("APP SMS gateway %s: record %d\n", Text(Param(options, "SmsSendGatewayNumber")), selected);
    return 1;
}

void APP::FetchItems(const STRING &serverName)
{
    const bool localList = CheckPermission("PermLocalRecentcalls") != 0;
    const uint32_t lastId = static_cast<uint32_t>(PeerLastId(serverName).ToULong());
    uint32_t firstHandle = 0;
    HASHLIST &current = ItemView.LockItems();
    const bool haveItems = current.NumItems() > 0;
    if (haveItems)
        firstHandle = current[0]->Handle;
    ItemView.UnlockItems();
    bool resetLastId = false;
    const uint32_t firstId = LOGONRULES::FirstId(localList, haveItems, firstHandle, lastId, resetLastId);
    if (resetLastId)
        SetPeerLastId(serverName, "0");
    LOGIT::Printf("APP::LogonToServer locallist=%d, firstid=%d, lastid=%d\n", localList ? 1 : 0,
                  static_cast<int>(firstId), static_cast<int>(resetLastId ? 0 : lastId));

    HASH params;
    params["MaxNumber"] = GetSetting("NumberOfEntries");
    params["FirstId"] = STRING(static_cast<unsigned long>(firstId));
    STRING result;
    if (!DispatchFunction(PLXPEER::SERVER, PLXCMD::GETITEMS, params, result, 1,
                          CLIENTTIMING::Get(CLIENTTIMING::ITEMS))) {
        ReportCommError("DispatchFunction GETITEMS failed", "COMM", "NETWORK");
        return;
    }
    if (!SameText(result.GetLine(0), PLXRESULT::OK) || SameText(result.GetLine(1), PLXRESULT::NONE))
        return;
    HASHLIST items(result.GetLine(1, true));
    LOGIT::Printf("APP::LogonToServer received %d items\n", static_cast<int>(items.NumItems()));
    MergeItems(items, localList, resetLastId ? 0 : lastId);
}

void APP::MergeItems(HASHLIST &received, bool localList, uint32_t lastId)
{
    if (localList) {
        // A call the server no longer has leaves the local list too.
        std::unordered_set<uint32_t> handles;
        handles.reserve(static_cast<size_t>(received.NumItems()));
        for (int i = 0; i < received.NumItems(); ++i)
            handles.insert(received[i]->Handle);
        HASHLIST &current = ItemView.LockItems();
        for (int i = current.NumItems() - 1; i >= 0; --i)
            if (!handles.count(current[i]->Handle))
                RemoveListviewItem(ItemView, i);
        ItemView.UnlockItems();
    }
    // The batch is created quietly and saved once after it.
    int changed = 0, created = 0;
    for (int i = 0; i < received.NumItems(); ++i) {
        HASH &item = *received[i];
        const uint32_t handle = item.Handle;
        if (localList && handle <= lastId) {
            UpdateListviewChange(item, handle, 1);
            ++changed;
        } else {
            UpdateListviewCreate(ItemView, item, handle, Param(item, "Server"), 1);
            ++created;
        }
    }
    SaveLocalFiles(1, 0, 0, 0, 0);
    LOGIT::Printf("APP::LogonToServer merged: %d changed, %d created\n", changed, created);
}

int APP::LogoutFromServer(int serverLost)
{
    LOGIT::Printf("APP::LogoutFromServer(%d)\n", serverLost);
    LogonLock.Obtain(-1);
    const STRING serverName = GetLoggedOnServer();
    if (!CheckPermission("PermLocalRecentcalls") && serverName.NotEmpty())
        SetPeerLastId(serverName, "0");
    SaveLocalFiles(1, 1, 1, 1, 1);

    STRING address;
    {
        CRITSECTHOLD hold(ServerLock);
        address = LoggedOnAddress.NotEmpty() ? LoggedOnAddress : STRING("");
    }
    if (LoggedOn && !serverLost && address.NotEmpty()) {
        HASH params;
        params["From"] = Who();
        STRING result;
        DispatchFunction(address, PLXCMD::LOGOUT, params, result, 1, -1);
    }

    LoggedOn = 0;
    SetLoggedOnServer("", "", "");
    SetRights(HASH());
    {
        CRITSECTHOLD hold(ServerLock);
        ServerDirectory = "";
    }
    gNetworkFlags &= ~NETWORK_LOCALCLIENT;
    DisableMenuItems();
    SetTitle();

    ClearTreeview();
    ItemView.LockItems().DeleteAll();
    ItemView.ClearListview();
    ItemView.UnlockItems();
    if (serverLost)
        CloseArchiveView();

    Targets.Lock();
    Targets.DeleteAll();
    Targets.Unlock();
    Callers.Lock();
    Callers.DeleteAll();
    Callers.Unlock();
    ActiveClients.Lock();
    ActiveClients.DeleteAll();
    ActiveClients.Unlock();
    ArchiveView.LockItems().DeleteAll();
    ArchiveView.ClearListview();
    ArchiveView.UnlockItems();
    SetStatusText("", false);
    SetTrayIcon(kTrayOffline);
    LogonLock.Release();
    LOGIT::Printf("APP::LogoutFromServer done\n");
    return 1;
}

int APP::QueryIPConnectivity(const char *server, int silent)
{
    LOGIT::Printf("APP::QueryIPConnectivity\n");
    if (!server || !*server)
        return 0;
    HASH params;
    params["From"] = Who();
    params["Port"] = gOwnPort;
    STRING result;
    int succeeded = 0;
    STRING message;
    if (!DispatchFunction(server, PLXCMD::CHECKCONNECTIVITY, params, result, 1,
                          CLIENTTIMING::Get(CLIENTTIMING::CONNECTIVITY))) {
        message = LOGONRULES::CallFailedText(Resource(IDS_CONNECT_NOANSWER),
                                             LOGONRULES::ServerPort(GetSetting("NetworkPrimaryServer")), server);
    } else if (!SameText(result, PLXRESULT::OK)) {
        message = LOGONRULES::RefusedText(Resource(IDS_CONNECT_NOWAYBACK), gOwnPort, OSYS::GetStationName(), server);
    } else {
        succeeded = 1;
    }
    if (!succeeded && !silent && !PoweredDown)
        WINORVAK::ErrorMsgBox(hWnd, Resource(IDS_APPTITLE), message);
    LOGIT::Printf("APP::QueryIPConnectivity finished, succeeded=%d\n", succeeded);
    return succeeded;
}

int APP::HandleSessionCommand(STRING &command, HASH &params, STRING &result)
{
    (void)result;
    if (command == PLXCMD::WELCOME) {
        if (GetSetting("NetworkPrimaryServer").NotEmpty()) {
            LOGIT::Printf("APP::HandleClientFunction WELCOME ignored: a server is configured\n");
            return 1;
        }
        STRING *port = nullptr;
        const bool hasPort = params.Exists("Port", &port) && port && !port->IsNull();
        STRING server;
        if (!LOGONRULES::WelcomeServer(Param(params, "@Sender"), hasPort ? static_cast<const char *>(*port) : nullptr,
                                       server)) {
            LOGIT::Printf("APP::HandleClientFunction WELCOME ignored: sender %s, port %s\n",
                          Text(Param(params, "@Sender")), hasPort ? Text(*port) : "<none>");
            return 1;
        }
        LOGIT::Printf("APP::HandleClientFunction WELCOME from %s\n", Text(server));
        SetSetting("NetworkPrimaryServer", server);
        if (COMMINTERFACE *comm = Comm)
            comm->SetPartner(server);
        LogonToServer(1);
        return 1;
    }
    if (command == PLXCMD::STARTSERVER || command == PLXCMD::PERMCHANGED) {
        LogonToServer(1);
        return 1;
    }
    if (command == PLXCMD::STOPSERVER) {
        LogoutFromServer(1);
        return 1;
    }
    if (command == PLXCMD::SERVEROPTIONSCHANGED) {
        if (!TakeSmsSendOptions())
            ReportCommError("DispatchFunction GETSMSSENDOPTIONS failed", "COMM", "NETWORK");
        return 1;
    }
    return 0;
}
