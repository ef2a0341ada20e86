// The stand-in phone server's answers, pushes and broadcasts.
#include "standins/standinserver/standinserver.h"

#include <cstdio>
#include <cstring>

#include "common/broadcastline.h"
#include "common/commandnames.h"
#include "common/listresult.h"
#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/devices/mailio.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysthread.h"
#include "kestar/base/osystime.h"
#include "kestar/base/stringarray.h"
#include "kestar/devices/tcpipio.h"

namespace {

const char kVersion[] = "4.23";
// Internal pusher job: one step of a job's progress (never sent).
const char kJobStep[] = "#JOBSTEP";

STRING Param(HASH &params, const char *name)
{
    STRING *value = nullptr;
    if (params.Exists(name, &value) && value && !value->IsNull())
        return *value;
    STRING empty("");
    return empty;
}

bool IsLockName(const STRING &name)
{
    return name == PLXLOCK::TARGETS || name == PLXLOCK::CALLERS || name == PLXLOCK::CLIENTS ||
           name == PLXLOCK::SRVOPTIONS;
}

// The "|"-separated ids of "ItemID".
STRINGARRAY SplitIds(const STRING &ids)
{
    STRINGARRAY list;
    const int n = ids.NumTokens("|");
    for (int i = 0; i < n; ++i) {
        STRING id = ids.Token(i, "|", STRING_TOKEN_NOTNULL);
        id.Trim('B', " ");
        if (id.NotEmpty() && id.ToULong() > 0)
            list.AddItem(id);
    }
    return list;
}

} // namespace

STANDINSERVER::STANDINSERVER(const STANDINCONFIG &config)
    : NETPROC("6667", config.Port, config.TimeoutMs, false), Config(config),
      Pusher(&STANDINSERVER::SendJob, &STANDINSERVER::Tick, this),
      Records(config.Host.NotEmpty() ? static_cast<const char *>(config.Host) : static_cast<const char *>(OSYS::GetComputerName())),
      StartMs(STANDINPUSHER::Now())
{
    Host = Config.Host.NotEmpty() ? Config.Host : OSYS::GetComputerName();
    SenderName = STRING("standin@") + Host;
    SetConnectTimeout(Config.ConnectTimeoutMs);
}

STANDINSERVER::~STANDINSERVER()
{
    Stop();
}

bool STANDINSERVER::Start(STRING &reason)
{
    if (!State.Open(Config.DataFolder, Config.StateFolder, Config.GeneratedCalls, OSYS::GetTime(), reason))
        return false;
    if (Config.ScriptFile.NotEmpty()) {
        STRING text;
        if (!text.Load(Config.ScriptFile)) {
            reason.Format("cannot read the script %s", static_cast<const char *>(Config.ScriptFile));
            return false;
        }
        text.Replace("\r\n", "\n");
        if (Script.Add(text, reason) < 0)
            return false;
    }
    if (Config.CallLogFile.NotEmpty() && !CallLog.Open(Config.CallLogFile)) {
        reason.Format("cannot write the call log %s", static_cast<const char *>(Config.CallLogFile));
        return false;
    }
    StartMs = STANDINPUSHER::Now();
    if (!Pusher.Start()) {
        reason = "cannot start the push thread";
        return false;
    }
    StartListeners();
    if (NumListening() == 0) {
        OSYS::Sleep(200);
        if (NumListening() == 0) {
            reason.Format("cannot listen on port %s", static_cast<const char *>(Config.Port));
            return false;
        }
    }

    Mail.reset(new MAILIO(PLXSLOT::SERVER_OWN, nullptr, nullptr));
    Mail->SetDataCallback(&STANDINSERVER::MailData, this);
    if (!Mail->AcceptCall())
        LOGIT::Printf("STANDINSERVER cannot create the server's mailslot\n");
    // Wine opens a slot only while its reader exists; Broadcast tries again.
    Mail->MakeCall(PLXSLOT::SERVER_PEER);
    if (Config.BroadcastStart)
        Broadcast(PLXCMD::STARTSERVER);
    return true;
}

bool STANDINSERVER::WaitForStop(int timeoutMs)
{
    return StopRequested.Wait(timeoutMs);
}

void STANDINSERVER::Stop()
{
    if (Stopped.exchange(true))
        return;
    if (Config.BroadcastStop && Mail)
        Broadcast(PLXCMD::STOPSERVER);
    Shutdown();
    Pusher.Stop();
    Mail.reset();
}

void STANDINSERVER::Log(const char *peer, const char *command, const char *mode, HASH &params, const char *result,
                        bool ok)
{
    CallLog.Add(STANDINPUSHER::Now() - StartMs, peer, command, mode, params, result, ok);
}

STRING &STANDINSERVER::HandleProcCall(STRING &result, STRING &command, HASH &params, const char *callerId)
{
    const bool async = Param(params, "@ExecMode") == PLXPEER::ASYNC;
    STANDINSCRIPT::ANSWER scripted;
    if (command != "STANDINCONTROL" && Script.TakeAnswer(command, scripted)) {
        if (scripted.DelayMs > 0)
            OSYS::Sleep(scripted.DelayMs);
        result = scripted.Text;
    } else {
        result = Dispatch(command, params, callerId);
    }
    if (result.IsEmpty())
        result = PLXRESULT::NONE;
    STRING peer(callerId ? callerId : "");
    if (Param(params, "@Sender").NotEmpty())
        peer = Param(params, "@Sender") + " " + peer;
    Log(peer, command, async ? "POST" : "CALL", params, result, true);
    for (STANDINSCRIPT::PUSH &p : Script.TakeAfter(command))
        PushTo(p.To, p.Command, p.Params, p.Sync);
    return result;
}

STRING STANDINSERVER::Dispatch(const STRING &command, HASH &params, const char *callerId)
{
    const STRING sender = Param(params, "@Sender");
    STRING ok(PLXRESULT::OK);

    if (command == PLXCMD::LOGIN)
        return Login(params, callerId);
    if (command == PLXCMD::LOGOUT)
        return Logout(params);
    if (command == PLXCMD::PING)
        return STRING(IsLoggedOn(sender) ? PLXRESULT::OK : PLXRESULT::NOK);
    if (command == PLXCMD::CHECKCONNECTIVITY)
        return CheckConnectivity(params, callerId);
    if (command == PLXCMD::GETSRVHARDWARE)
        return State.Hardware().ToString();
    if (command == PLXCMD::GETSERVERFILE)
        return ServerFile(params);
    if (command == PLXCMD::GETSMSSENDOPTIONS || command == PLXCMD::GETFAXSENDOPTIONS) {
        HASH options = State.Options();
        HASH out;
        const bool sms = command == PLXCMD::GETSMSSENDOPTIONS;
        for (int i = 0; i < options.NumKeys(); ++i) {
            const STRING &key = options.GetKeyAt(i);
            if (key.Left(7) == (sms ? "SmsSend" : "FaxSend"))
                out[key] = options.GetValueAt(i);
        }
        return out.ToString();
    }
    if (command == PLXCMD::GETITEMS)
        return Items(params);
    if (command == PLXCMD::GETTARGETS) {
        STRING number = Param(params, "Number");
        if (number.IsEmpty() || number == "*") {
            HASHLIST targets = State.Targets();
            return LISTRESULT::Make(targets);
        }
        HASHLIST one;
        HASH target;
        if (State.FindTarget(number, target))
            one.AddItem(target);
        return LISTRESULT::Make(one);
    }
    if (command == PLXCMD::GETCALLERS) {
        HASHLIST callers = State.Callers();
        return LISTRESULT::Make(callers);
    }
    if (command == PLXCMD::GETCLIENTS) {
        HASHLIST users = State.Users();
        return LISTRESULT::Make(users);
    }
    if (command == PLXCMD::GETACTIVECLIENTS) {
        CRITSECTHOLD hold(clientsLock);
        return LISTRESULT::Make(Active);
    }
    if (command == PLXCMD::GETSRVOPTIONS)
        return ok + "\n" + State.Options().ToString();
    if (command == PLXCMD::FINDCALLER) {
        HASH caller;
        if (!State.FindCaller(Param(params, "From"), caller))
            return STRING(PLXRESULT::FAIL);
        return caller.ToString();
    }
    if (command == PLXCMD::SAVETARGETS) {
        HASHLIST targets(Param(params, "Targets"));
        if (!State.SetTargets(targets))
            return STRING(PLXRESULT::NOK);
        HASHLIST saved = State.Targets();
        HASH push;
        push["Targets"] = saved.ToString();
        PushTo(PLXPEER::CLIENTS, PLXCMD::SERVERTARGETSCHANGED, push);
        return ok;
    }
    if (command == PLXCMD::SAVEONETARGET) {
        HASH target(Param(params, "Target"));
        if (Param(target, "Number").IsEmpty() || !State.SaveOneTarget(target))
            return STRING(PLXRESULT::NOK);
        HASH saved;
        State.FindTarget(Param(target, "Number"), saved);
        HASH push;
        push["Target"] = saved.ToString();
        PushTo(PLXPEER::CLIENTS, PLXCMD::SERVERONETARGETCHANGED, push);
        return ok;
    }
    if (command == PLXCMD::SAVECALLERS || command == PLXCMD::ADDCALLER) {
        bool saved;
        if (command == PLXCMD::SAVECALLERS)
            saved = State.SetCallers(HASHLIST(Param(params, "Callers")));
        else
            saved = State.AddCaller(HASH(Param(params, "Caller")));
        if (!saved)
            return STRING(PLXRESULT::NOK);
        PushTo(PLXPEER::CLIENTS, PLXCMD::SERVERCALLERSCHANGED, HASH());
        return ok;
    }
    if (command == PLXCMD::SAVECLIENTS) {
        if (!State.SetUsers(HASHLIST(Param(params, "Clients"))))
            return STRING(PLXRESULT::NOK);
        PushTo(PLXPEER::CLIENTS, PLXCMD::PERMCHANGED, HASH());
        return ok;
    }
    if (command == PLXCMD::SAVESRVOPTIONS) {
        if (!State.SetOptions(HASH(Param(params, "SrvOptions"))))
            return STRING(PLXRESULT::NOK);
        PushTo(PLXPEER::CLIENTS, PLXCMD::SERVEROPTIONSCHANGED, HASH());
        return ok;
    }
    if (command == PLXCMD::ADDJOB)
        return AddJob(params);
    if (command == PLXCMD::ABORTFAXJOB || command == PLXCMD::REJECTCALL || command == PLXCMD::ITEMDELETE ||
        command == PLXCMD::ITEMARCHIVE || command == PLXCMD::ITEMCOMMENT || command == PLXCMD::ITEMSEEN)
        return ChangeItems(command, params);
    if (command == PLXCMD::SENDMESSAGE) {
        HASH push;
        push["From"] = sender;
        push["Message"] = Param(params, "Message");
        STRING to = Param(params, "To");
        PushTo(to.IsEmpty() ? STRING(PLXPEER::CLIENTS) : to, PLXCMD::SHOWMESSAGE, push);
        return ok;
    }
    if (command == PLXCMD::CFSETSTATUS) {
        HASH target;
        if (!State.SetForwarding(Param(params, "Number"), Param(params, "CFType"), Param(params, "CFMode"),
                                 Param(params, "CFDest"), target))
            return STRING(PLXRESULT::NOK);
        return ok;
    }
    if (command == PLXCMD::CFQUERYSTATUS) {
        // "Target": the target's number, or its record.
        STRING number = Param(params, "Target");
        HASH asRecord(number);
        if (Param(asRecord, "Number").NotEmpty())
            number = Param(asRecord, "Number");
        HASH target;
        if (!State.FindTarget(number, target))
            return STRING(PLXRESULT::NOK);
        HASH push;
        push["Target"] = target.ToString();
        push["CFQueryResult"] = "1";
        PushTo(sender, PLXCMD::SERVERONETARGETCHANGED, push);
        return ok;
    }
    if (command == PLXCMD::ACTIONLOCK || command == PLXCMD::ACTIONUNLOCK)
        return ActionLock(params, command == PLXCMD::ACTIONLOCK);
    if (command == PLXCMD::GETMESSAGEFILE)
        return MessageFile(params);
    if (command == "STANDINCONTROL")
        return Control(params);
    LOGIT::Printf("STANDINSERVER unknown command %s\n", static_cast<const char *>(command));
    return STRING(PLXRESULT::NONE);
}

STRING STANDINSERVER::Login(HASH &params, const char *callerId)
{
    HASH answer;
    STRING from = Param(params, "From");
    if (from.IsEmpty())
        from = Param(params, "@Sender");
    HASH user;
    if (Param(params, "CommVersion") != PLXLOGIN::COMMVERSION) {
        answer["Ok"] = PLXLOGIN::DIFFERENT_COMM_VERSION;
    } else if (from.IsEmpty() || !State.FindUser(from, user)) {
        answer["Ok"] = PLXLOGIN::CLIENT_NOT_FOUND;
    } else if ((Param(user, "HasPassword") == "1" || Param(user, "Password").NotEmpty()) &&
               Param(params, "Password").IsEmpty()) {
        answer["Ok"] = PLXLOGIN::PASSWORD_REQUIRED;
    } else if ((Param(user, "HasPassword") == "1" || Param(user, "Password").NotEmpty()) &&
               Param(params, "Password") != Param(user, "Password")) {
        answer["Ok"] = PLXLOGIN::PASSWORD_WRONG;
    } else {
        HASH permissions;
        for (int i = 0; i < user.NumKeys(); ++i)
            if (user.GetKeyAt(i).Left(4) == "Perm")
                permissions[user.GetKeyAt(i)] = user.GetValueAt(i);
        answer["Ok"] = PLXLOGIN::SUCCESSFUL;
        answer["ServerName"] = Host;
        answer["ServerPort"] = GetOurPort();
        answer["Permissions"] = permissions.ToString();
        answer["ServerDirectory"] = State.Folder();
        answer["CommVersion"] = PLXLOGIN::COMMVERSION;
        // The first logon of a listed user; for the "*" user, of each client name.
        const STRING userName = Param(user, "Name");
        answer["InitialServerLogin"] = State.FirstLogon(userName == "*" ? from : userName) ? "1" : "0";
        HASH client;
        client["Name"] = from;
        client["PeerId"] = callerId ? callerId : "";
        client["Port"] = Param(params, "Port");
        client["PassiveMode"] = Param(params, "PassiveMode") == "1" ? "1" : "0";
        clientsLock.Enter();
        const int idx = Active.FindValue("Name", from, 1);
        if (idx >= 0)
            Active.DeleteItem(idx);
        client.Handle = Active.NewHandle();
        Active.AddItem(client);
        clientsLock.Leave();
        PushActiveClients();
    }
    return answer.ToString();
}

STRING STANDINSERVER::Logout(HASH &params)
{
    STRING from = Param(params, "From");
    if (from.IsEmpty())
        from = Param(params, "@Sender");
    clientsLock.Enter();
    const int idx = Active.FindValue("Name", from, 1);
    if (idx >= 0)
        Active.DeleteItem(idx);
    // Locks held by the client that leaves are freed.
    for (int i = Locks.NumKeys() - 1; i >= 0; --i)
        if (Locks.GetValueAt(i) == from) {
            STRING name = Locks.GetKeyAt(i);
            Locks.DeleteKey(name);
        }
    clientsLock.Leave();
    if (idx >= 0)
        PushActiveClients();
    return STRING(PLXRESULT::OK);
}

bool STANDINSERVER::IsLoggedOn(const char *name)
{
    if (!name || !*name)
        return false;
    CRITSECTHOLD hold(clientsLock);
    return Active.FindValue("Name", name, 1) >= 0;
}

bool STANDINSERVER::ClientAddress(const char *name, STRING &address)
{
    CRITSECTHOLD hold(clientsLock);
    const int idx = name && *name ? Active.FindValue("Name", name, 1) : -1;
    if (idx < 0)
        return false;
    HASH &c = *Active[idx];
    if (Param(c, "PassiveMode") == "1" || Param(c, "PeerId").IsEmpty())
        return false;
    address = Param(c, "PeerId") + ":" + Param(c, "Port");
    return true;
}

STRING STANDINSERVER::Items(HASH &params)
{
    HASHLIST items;
    if (Param(params, "ExecSql").NotEmpty())
        items = State.Items(0, 0, true);
    else
        items = State.Items(static_cast<int>(Param(params, "MaxNumber")),
                            static_cast<uint32_t>(Param(params, "FirstId").ToULong()), false);
    for (STRING_SIZE_T i = 0; i < items.NumItems(); ++i)
        (*items[i])["Server"] = Host;
    return LISTRESULT::Make(items);
}

STRING STANDINSERVER::AddJob(HASH &params)
{
    const STRING type = Param(params, "Type");
    const char *itemType = nullptr;
    if (type == "FAXCALL" || type == "FAXPOLL")
        itemType = type == "FAXCALL" ? "FAXCALL" : "FAXPOLL";
    else if (type == "EMAIL")
        itemType = "MAILCALL";
    else if (type == "SMSDLG")
        itemType = "SMSCALL";
    if (!itemType)
        return STRING(PLXRESULT::NOK);

    HASH item;
    item["Type"] = itemType;
    item["Status"] = "JOBPENDING";
    item["LTime"] = STRING(static_cast<long long>(OSYS::GetTime()));
    STRING dest = type == "EMAIL" ? Param(params, "To") : Param(params, "Dest");
    item["CallerNumber"] = dest;
    item["CallerCanonical"] = dest;
    item["TargetNumber"] = type == "SMSDLG" ? Param(params, "SourceMSN") : Param(params, "OriginMSN");
    item["InProgress"] = "1";
    item["Archived"] = "0";
    item["MsgSeen"] = "1";
    item["OwnerClient"] = Param(params, "@Sender");
    item["Comment"] = Param(params, "Comment");
    if (type == "FAXCALL" && Param(params, "Filedata").NotEmpty()) {
        STRING bytes = Param(params, "Filedata").DecodeBase64();
        item["MsgFile"] = State.StoreMessageFile("job", "sff", bytes);
    }
    const uint32_t id = State.AddItem(item);
    if (id == 0)
        return STRING(PLXRESULT::NOK);
    PushItem("CREATE", item);

    // The job's progress: one step, then the end, each a job step of the pusher.
    const int64_t now = STANDINPUSHER::Now();
    for (int step = 1; step <= 2; ++step) {
        STANDINPUSHER::JOB job;
        job.Command = kJobStep;
        job.Params["Id"] = STRING(static_cast<unsigned long>(id));
        job.Params["Step"] = STRING(step);
        job.Params["Type"] = type;
        job.Params["Owner"] = Param(params, "@Sender");
        job.Params["This"] = Param(params, "This");
        job.Params["AppData"] = Param(params, "AppData");
        job.DueMs = now + static_cast<int64_t>(Config.JobStepMs) * step;
        Pusher.Queue(job);
    }
    return STRING(PLXRESULT::OK);
}

void STANDINSERVER::JobStep(STANDINPUSHER::JOB &job)
{
    const uint32_t id = static_cast<uint32_t>(Param(job.Params, "Id").ToULong());
    const STRING type = Param(job.Params, "Type");
    const bool last = Param(job.Params, "Step") == "2";
    HASH current;
    // An aborted or rejected job has ended already.
    if (!State.GetItem(id, current) || Param(current, "InProgress") == "0")
        return;
    HASH values;
    if (type == "SMSDLG")
        values["Status"] = last ? "SMSSTATE|JOB|RESULT|OK" : "SMSSTATE|CALLING|Gateway|1|1";
    else if (type == "EMAIL")
        values["Status"] = last ? "MAILSTATE|250 OK" : "JOBPENDING";
    else
        values["Status"] = last ? "FAXSTATE|JOB|RESULT|OK|1" : "FAXSTATE|STATUS|PROGRESS_PERC|50|-1";
    values["InProgress"] = last ? "0" : "1";
    HASH item;
    if (!State.SetItemValues(id, values, item))
        return;
    PushItem("CHANGE", item);
    if (type == "SMSDLG") {
        HASH callback;
        // "This" and "AppData" go back exactly as they came; the client maps them.
        callback["This"] = Param(job.Params, "This");
        callback["JobId"] = STRING(static_cast<unsigned long>(id));
        callback["Info"] = last ? "JOB|COMPLETED" : "CALLING|Gateway|1|1";
        callback["AppData"] = Param(job.Params, "AppData");
        PushTo(Param(job.Params, "Owner"), PLXCMD::SMSDIALOGCALLBACK, callback);
    }
}

STRING STANDINSERVER::ChangeItems(const STRING &command, HASH &params)
{
    if (command == PLXCMD::ABORTFAXJOB || command == PLXCMD::REJECTCALL) {
        const uint32_t id = static_cast<uint32_t>(Param(params, "Handle").ToULong());
        HASH current;
        if (!State.GetItem(id, current))
            return STRING(PLXRESULT::FAIL);
        // A job or call that has ended cannot be aborted or rejected any more.
        if (Param(current, "InProgress") != "1")
            return STRING(PLXRESULT::NOK);
        HASH values;
        values["Status"] = command == PLXCMD::ABORTFAXJOB ? "FAXSTATE|STATUS|ABORTED|-1" : "REJECTED_SOFT";
        values["InProgress"] = "0";
        HASH item;
        if (!State.SetItemValues(id, values, item))
            return STRING(PLXRESULT::FAIL);
        PushItem("CHANGE", item);
        return STRING(PLXRESULT::OK);
    }
    const STRING idText = Param(params, "ItemID");
    STRINGARRAY ids = SplitIds(idText);
    if (ids.NumItems() == 0)
        return STRING(PLXRESULT::FAIL);
    if (command == PLXCMD::ITEMDELETE) {
        State.DeleteItems(ids);
        HASH push;
        push["Action"] = "DELETE";
        push["Id"] = idText;
        PushTo(PLXPEER::CLIENTS, PLXCMD::UPDATELISTVIEW, push);
        return STRING(PLXRESULT::OK);
    }
    const char *key = command == PLXCMD::ITEMARCHIVE ? "Archived" : command == PLXCMD::ITEMCOMMENT ? "Comment" : "MsgSeen";
    const char *from = command == PLXCMD::ITEMARCHIVE ? "State" : command == PLXCMD::ITEMCOMMENT ? "Comment" : "Seen";
    const STRING value = Param(params, from);
    for (STRING_SIZE_T i = 0; i < ids.NumItems(); ++i) {
        HASH item;
        if (!State.SetItemValue(static_cast<uint32_t>(ids[i]->ToULong()), key, value, item))
            continue;
        // Back from the archive: the item is new again to the clients' current lists.
        if (command == PLXCMD::ITEMARCHIVE && value != "1")
            PushItem("CREATE", item);
        else if (command != PLXCMD::ITEMARCHIVE)
            PushItem("CHANGE", item);
    }
    if (command == PLXCMD::ITEMARCHIVE && value == "1") {
        HASH push;
        push["Action"] = "ARCHIVE";
        push["State"] = "1";
        push["Id"] = idText;
        PushTo(PLXPEER::CLIENTS, PLXCMD::UPDATELISTVIEW, push);
    }
    return STRING(PLXRESULT::OK);
}

STRING STANDINSERVER::MessageFile(HASH &params)
{
    STRING name = Param(params, "Filename");
    STRING path;
    if (!State.ResolveClientFile(name, path)) {
        LOGIT::Printf("STANDINSERVER GETMESSAGEFILE refused %s\n", static_cast<const char *>(name));
        return STRING(PLXRESULT::NOK);
    }
    if (!FILENAME(path).IsFile())
        return STRING(PLXRESULT::FAIL);
    return STRING("<file=") + path + ">";
}

STRING STANDINSERVER::ServerFile(HASH &params)
{
    STRING name = Param(params, "Filename");
    STRING path;
    if (!State.ResolveClientFile(name, path)) {
        LOGIT::Printf("STANDINSERVER GETSERVERFILE refused %s\n", static_cast<const char *>(name));
        return STRING(PLXRESULT::NOK);
    }
    STRING data;
    if (!FILENAME(path).IsFile() || !data.Load(path))
        return STRING("");
    return data.EncodeBase64(false);
}

STRING STANDINSERVER::ActionLock(HASH &params, bool lock)
{
    const STRING name = Param(params, "Action");
    const STRING sender = Param(params, "@Sender");
    if (!IsLockName(name) || sender.IsEmpty())
        return STRING(PLXRESULT::NOK);
    CRITSECTHOLD hold(clientsLock);
    STRING *holder = nullptr;
    const bool held = Locks.Exists(name, &holder) && holder && holder->NotEmpty();
    if (lock) {
        if (held && *holder != sender)
            return STRING(PLXRESULT::LOCKED) + "\n" + *holder;
        Locks[name] = sender;
        return STRING(PLXRESULT::OK);
    }
    if (held && *holder != sender)
        return STRING(PLXRESULT::NOK);
    Locks.DeleteKey(name);
    return STRING(PLXRESULT::OK);
}

STRING STANDINSERVER::CheckConnectivity(HASH &params, const char *callerId)
{
    // The way back: the connection's own address and the port the client names.
    STRING address = STRING(callerId ? callerId : "") + ":" + Param(params, "Port");
    HASH call = OwnParams(HASH(), true);
    STRING result;
    const int ok = CallNetProcedure(address, PLXCMD::CHECKCONNECTIVITY, call, result, 1, nullptr, Config.PushTimeoutMs);
    Log(address, PLXCMD::CHECKCONNECTIVITY, "PUSHCALL", call, result, ok != 0);
    return STRING(ok && result == PLXRESULT::OK ? PLXRESULT::OK : PLXRESULT::NOK);
}

STRING STANDINSERVER::Control(HASH &params)
{
    const STRING action = Param(params, "Action");
    if (action == "STOP") {
        StopRequested.Set();
        return STRING(PLXRESULT::OK);
    }
    if (action == "SCRIPT") {
        STRING reason;
        if (Script.Add(Param(params, "Script"), reason) < 0)
            return STRING(PLXRESULT::NOK) + "\n" + reason;
        return STRING(PLXRESULT::OK);
    }
    if (action == "BROADCAST") {
        Broadcast(Param(params, "Line"));
        return STRING(PLXRESULT::OK);
    }
    if (action == "WAITIDLE")
        return STRING(Pusher.WaitIdle(Config.PushTimeoutMs * 4) ? PLXRESULT::OK : PLXRESULT::NOK);
    return STRING(PLXRESULT::NOK);
}

HASH STANDINSERVER::OwnParams(const HASH &params, bool sync)
{
    HASH out(params);
    out["@Sender"] = SenderName;
    out["@Port"] = GetOurPort();
    out["@Version"] = kVersion;
    out["@SenderRole"] = PLXPEER::ROLE_SERVER;
    out["@ExecMode"] = sync ? PLXPEER::SYNC : PLXPEER::ASYNC;
    return out;
}

void STANDINSERVER::PushTo(const char *to, const char *command, const HASH &params, bool sync, int64_t dueMs)
{
    STRING target(to ? to : "");
    std::vector<std::pair<STRING, STRING>> peers; // client name, address
    if (target == "*" || target == PLXPEER::CLIENTS) {
        CRITSECTHOLD hold(clientsLock);
        for (STRING_SIZE_T i = 0; i < Active.NumItems(); ++i) {
            HASH &c = *Active[i];
            if (Param(c, "PassiveMode") != "1" && Param(c, "PeerId").NotEmpty())
                peers.emplace_back(Param(c, "Name"), Param(c, "PeerId") + ":" + Param(c, "Port"));
        }
    } else if (target.PosChar('@') >= 0) {
        STRING address;
        if (ClientAddress(target, address))
            peers.emplace_back(target, address);
        else
            LOGIT::Printf("STANDINSERVER push %s skipped: %s is not logged on\n", command, static_cast<const char *>(target));
    } else if (target.NotEmpty()) {
        peers.emplace_back(STRING(""), target);
    }
    for (auto &p : peers) {
        STANDINPUSHER::JOB job;
        job.Client = p.first;
        job.Peer = p.second;
        job.Command = command;
        job.Params = OwnParams(params, sync);
        job.Sync = sync;
        job.DueMs = dueMs;
        Pusher.Queue(job);
    }
}

void STANDINSERVER::PushItem(const char *action, const HASH &item)
{
    HASH push;
    HASH copy(item);
    copy["Server"] = Host;
    push["Action"] = action;
    push["Id"] = STRING(static_cast<unsigned long>(item.Handle));
    push["Item"] = copy.ToString();
    push["Sender"] = Host;
    PushTo(PLXPEER::CLIENTS, PLXCMD::UPDATELISTVIEW, push);
}

void STANDINSERVER::PushActiveClients()
{
    HASH push;
    clientsLock.Enter();
    push["ActiveClients"] = Active.ToString();
    clientsLock.Leave();
    PushTo(PLXPEER::CLIENTS, PLXCMD::UPDATEACTIVECLIENTS, push);
}

void STANDINSERVER::SendJob(void *self, STANDINPUSHER::JOB &job)
{
    STANDINSERVER *server = static_cast<STANDINSERVER *>(self);
    if (job.Command == kJobStep) {
        server->JobStep(job);
        return;
    }
    STRING result;
    const int ok = server->CallNetProcedure(job.Peer, job.Command, job.Params, result, job.Sync ? 1 : 0, nullptr,
                                            server->Config.PushTimeoutMs);
    // Answers to pushes are logged, never checked.
    STRING peer = job.Client.NotEmpty() ? job.Client + " " + job.Peer : job.Peer;
    server->Log(peer, job.Command, job.Sync ? "PUSHCALL" : "PUSH", job.Params, result, ok != 0);
}

void STANDINSERVER::Tick(void *self)
{
    STANDINSERVER *server = static_cast<STANDINSERVER *>(self);
    for (STANDINSCRIPT::PUSH &p : server->Script.TakeDue(STANDINPUSHER::Now() - server->StartMs))
        server->PushTo(p.To, p.Command, p.Params, p.Sync);
}

void STANDINSERVER::MailData(void *self, const void *data, int length)
{
    STANDINSERVER *server = static_cast<STANDINSERVER *>(self);
    std::vector<MAILRECORD::ENTRY> entries;
    server->Records.Feed(data, length, entries);
    for (MAILRECORD::ENTRY &e : entries) {
        HASH params;
        STRING command = BROADCASTLINE::Split(e.Payload, e.Sender, params);
        if (command != PLXCMD::NEEDSERVER) {
            server->Log(e.Sender, command, "BROADCAST", params, "ignored", true);
            continue;
        }
        // "NEEDSERVER user@station port": WELCOME to that station.
        STRING station = Param(params, "@Parm1").Token(1, "@", STRING_TOKEN_NOTNULL);
        STRING port = Param(params, "@Parm2");
        STRING host("127.0.0.1");
        if (station.NotEmpty()) {
            TCPIPIO resolver("0");
            TCPPEER peer{};
            if (resolver.Resolv(station, &peer, 6667) && peer.Count > 0)
                host = std::strchr(peer.Address, ':') ? STRING("[") + peer.Address + "]" : STRING(peer.Address);
        }
        server->Log(e.Sender, command, "BROADCAST", params, "WELCOME", true);
        HASH welcome;
        welcome["Port"] = server->GetOurPort();
        server->PushTo(host + ":" + (port.NotEmpty() ? port : STRING("6667")), PLXCMD::WELCOME, welcome);
    }
}

void STANDINSERVER::Broadcast(const char *line)
{
    if (!Mail)
        return;
    CRITSECTHOLD hold(mailLock);
    STRING record = Records.Write(line, "*");
    int ok = Mail->Write(record, record.Length());
    if (!ok && Mail->MakeCall(PLXSLOT::SERVER_PEER))
        ok = Mail->Write(record, record.Length());
    HASH none;
    Log("*", line, "BROADCAST", none, record, ok != 0);
}
